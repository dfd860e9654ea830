#include "toolchain/file_output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace talven {

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

}  // namespace talven
