#pragma once
// Helpers for unit tests: programs held in memory.

#include <sstream>
#include <string>
#include <vector>

#include "engine/host.h"

namespace talven::test {

class MemoryFile : public InputFile {
 public:
  explicit MemoryFile(std::string text) : m_text(std::move(text)) {}
  bool ReadLine(std::string& line) override {
    line.clear();
    if (m_pos >= m_text.size()) return false;
    while (m_pos < m_text.size() && m_text[m_pos] != '\n') {
      if (m_text[m_pos] != '\r' && line.size() < 255) line.push_back(m_text[m_pos]);
      ++m_pos;
    }
    ++m_pos;
    return true;
  }

 private:
  std::string m_text;
  size_t m_pos = 0;
};

}  // namespace talven::test
