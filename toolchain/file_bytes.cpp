#include "toolchain/file_bytes.h"

#include <climits>

namespace talven {

namespace {

// Opens `name` for reading and positions it at `offset`; nullptr when either fails.
std::FILE* OpenAt(const std::string& name, uint64_t offset) {
  if (offset > static_cast<uint64_t>(LONG_MAX)) return nullptr;
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return nullptr;
  if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

}  // namespace

FileByteSource::~FileByteSource() { std::fclose(m_file); }

size_t FileByteSource::Read(uint8_t* buffer, size_t count) {
  return std::fread(buffer, 1, count, m_file);
}

std::unique_ptr<FileByteSource> OpenBytes(const std::string& name, uint64_t offset) {
  std::FILE* file = OpenAt(name, offset);
  if (file == nullptr) return nullptr;
  return std::make_unique<FileByteSource>(file);
}

std::optional<std::string> ReadBytesAt(const std::string& name, uint64_t offset, size_t count) {
  std::FILE* file = OpenAt(name, offset);
  if (file == nullptr) return std::nullopt;
  std::string bytes(count, '\0');
  const size_t got = std::fread(bytes.data(), 1, count, file);
  std::fclose(file);
  if (got != count) return std::nullopt;
  return bytes;
}

std::string WithExtension(const std::string& name, const std::string& extension) {
  const size_t separator = name.find_last_of("\\/:");
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) {
    return name + "." + extension;
  }
  return name.substr(0, dot + 1) + extension;
}

}  // namespace talven
