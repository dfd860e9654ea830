#include "sfx/maker_names.h"

#include <cstring>

namespace talven::sfx {
namespace {

void CopyCut(const char* from, size_t length, char* out) {
  if (length > static_cast<size_t>(kMaxMakerPath - 1)) length = kMaxMakerPath - 1;
  std::memcpy(out, from, length);
  out[length] = '\0';
}

// The last component of a path: a dot in a directory name never counts as the extension.
const char* FileNamePart(const char* path) {
  const char* last = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') last = p + 1;
  }
  return last;
}

}  // namespace

void StubNameFor(const char* programPath, char* out) {
  CopyCut(programPath, std::strlen(programPath), out);
  for (char* p = out; *p != '\0'; ++p) {
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  }
  for (char* p = std::strstr(out, ".EXE"); p != nullptr; p = std::strstr(p + 4, ".EXE")) {
    std::memcpy(p, ".BIN", 4);
  }
}

void ArchiveNameFor(const char* parameter, char* out) {
  const size_t length = std::strlen(parameter);
  CopyCut(parameter, length, out);
  if (std::strchr(FileNamePart(out), '.') == nullptr && length + 4 < static_cast<size_t>(kMaxMakerPath)) {
    std::strcat(out, ".ZIP");
  }
}

void OutputNameFor(const char* archiveName, char* out) {
  const char* dot = std::strrchr(FileNamePart(archiveName), '.');
  const size_t keep = dot == nullptr ? std::strlen(archiveName) : static_cast<size_t>(dot - archiveName);
  CopyCut(archiveName, keep, out);
  const size_t length = std::strlen(out);
  if (length + 5 <= static_cast<size_t>(kMaxMakerPath)) std::strcat(out, ".exe");
}

void TrimName(const char* name, char* out) {
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (*name != '\0' && isBlank(*name)) ++name;
  size_t length = std::strlen(name);
  while (length > 0 && isBlank(name[length - 1])) --length;
  CopyCut(name, length, out);
}

}  // namespace talven::sfx
