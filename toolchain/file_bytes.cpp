#include "toolchain/file_bytes.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace talven {

size_t FileByteSource::Read(uint8_t* buffer, size_t count) {
  m_file.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
  return static_cast<size_t>(m_file.gcount());
}

std::unique_ptr<FileByteSource> OpenBytes(const std::string& name, uint64_t offset) {
  std::ifstream file(name, std::ios::binary);
  if (!file) return nullptr;
  file.seekg(static_cast<std::streamoff>(offset));
  if (!file) return nullptr;
  return std::make_unique<FileByteSource>(std::move(file));
}

std::optional<std::string> ReadBytesAt(const std::string& name, uint64_t offset, size_t count) {
  std::ifstream file(name, std::ios::binary);
  if (!file) return std::nullopt;
  file.seekg(static_cast<std::streamoff>(offset));
  std::string bytes(count, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(count));
  if (static_cast<size_t>(file.gcount()) != count) return std::nullopt;
  return bytes;
}

PendingOutput::PendingOutput(std::string finalName)
    : m_final(std::move(finalName)), m_temporary(m_final + ".$$$") {}

PendingOutput::~PendingOutput() {
  if (m_stream.is_open()) m_stream.close();
  if (!m_committed) std::remove(m_temporary.c_str());
}

bool PendingOutput::Open() {
  m_stream.open(m_temporary, std::ios::binary | std::ios::trunc | std::ios::in | std::ios::out);
  return m_stream.is_open();
}

bool PendingOutput::Commit() {
  m_stream.flush();
  if (!m_stream) return false;
  m_stream.close();
  // rename does not replace an existing file everywhere: the old one goes first.
  std::remove(m_final.c_str());
  if (std::rename(m_temporary.c_str(), m_final.c_str()) != 0) return false;
  m_committed = true;
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
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
