#include "sfx/entry_names.h"

#include <cstring>

#include "sfx/local_header.h"

namespace talven::sfx {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameText(const char* a, int32_t length, const char* b) {
  for (int32_t i = 0; i < length; ++i) {
    if (b[i] == '\0' || Upper(a[i]) != Upper(b[i])) return false;
  }
  return b[length] == '\0';
}

// Windows opens these names as devices in every directory, whatever the extension.
bool IsDeviceName(const char* component, int32_t length) {
  int32_t base = 0;
  while (base < length && component[base] != '.') ++base;
  while (base > 0 && component[base - 1] == ' ') --base;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$",
                                         "CLOCK$"};
  for (const char* device : kDevices) {
    if (SameText(component, base, device)) return true;
  }
  if (base == 4 && (SameText(component, 3, "COM") || SameText(component, 3, "LPT")) &&
      component[3] >= '1' && component[3] <= '9') {
    return true;
  }
  return false;
}

}  // namespace

bool ListName(const char* storedName, PathMode mode, char* out) {
  char name[kMaxEntryName + 2];
  int32_t length = 0;
  bool hasDirectory = false;
  for (const char* p = storedName; *p != '\0' && length < kMaxEntryName; ++p) {
    const char c = *p == '/' ? '\\' : *p;
    if (c == '\\') hasDirectory = true;
    name[length++] = c;
  }
  name[length] = '\0';
  if (mode == PathMode::Flat) {
    std::strcpy(out, LastComponent(name));
    return hasDirectory;
  }
  // A backslash anywhere but in front marks a name with a directory: it is listed from the
  // archive's root, with one backslash in front.
  const char* inner = length > 1 ? std::strchr(name + 1, '\\') : nullptr;
  if (inner != nullptr) {
    // The added backslash counts against the 255 characters too.
    const int32_t kept = length < kMaxEntryName ? length : kMaxEntryName - 1;
    out[0] = '\\';
    std::memcpy(out + 1, name, static_cast<size_t>(kept));
    out[kept + 1] = '\0';
  } else {
    std::memcpy(out, name, static_cast<size_t>(length) + 1);
  }
  return hasDirectory;
}

const char* RelativeName(const char* listName) {
  return listName[0] == '\\' ? listName + 1 : listName;
}

const char* LastComponent(const char* path) {
  const char* last = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') last = p + 1;
  }
  return last;
}

bool IsSafeRelativeName(const char* relative) {
  if (relative[0] == '\0' || relative[0] == '\\' || relative[0] == '/') return false;
  const char* component = relative;
  for (const char* p = relative;; ++p) {
    const char c = *p;
    if (c == '\\' || c == '/' || c == '\0') {
      const int32_t length = static_cast<int32_t>(p - component);
      // An empty component is only allowed at the end (a directory entry "sub\").
      if (length == 0 && c != '\0') return false;
      bool dotsAndBlanks = length > 0;
      for (int32_t i = 0; i < length; ++i) {
        if (component[i] != '.' && component[i] != ' ') dotsAndBlanks = false;
      }
      const bool singleDot = length == 1 && component[0] == '.';
      if (dotsAndBlanks && !singleDot) return false;
      if (length > 0 && IsDeviceName(component, length)) return false;
      if (c == '\0') return true;
      component = p + 1;
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr(":*?\"<>|", c) != nullptr) {
      return false;
    }
  }
}

bool IsSafeEntryName(const char* storedName, PathMode mode) {
  char name[kMaxEntryName + 2];
  int32_t length = 0;
  for (const char* p = storedName; *p != '\0'; ++p) {
    if (length == kMaxEntryName) return false;  // would be cut and land elsewhere
    name[length++] = *p == '/' ? '\\' : *p;
  }
  name[length] = '\0';
  if (mode == PathMode::Flat) {
    const char* last = LastComponent(name);
    return last[0] == '\0' || IsSafeRelativeName(last);
  }
  return IsSafeRelativeName(name);
}

bool TargetName(const char* directory, const char* listName, PathMode mode, char* out) {
  size_t length = std::strlen(directory);
  const char* name = listName;
  if (mode == PathMode::WithPaths) {
    while (length > 0 && directory[length - 1] == '\\') --length;
    name = RelativeName(listName);
  } else if (length > 0 && directory[length - 1] == '\\') {
    --length;
  }
  const size_t nameLength = std::strlen(name);
  if (length + 1 + nameLength + 1 > static_cast<size_t>(kMaxPath)) return false;
  std::memcpy(out, directory, length);
  out[length] = '\\';
  std::memcpy(out + length + 1, name, nameLength + 1);
  return true;
}

void DirectoryOf(const char* path, char* out) {
  const char* last = std::strrchr(path, '\\');
  const size_t length = last == nullptr ? 0 : static_cast<size_t>(last - path);
  std::memcpy(out, path, length);
  out[length] = '\0';
}

}  // namespace talven::sfx
