#pragma once
// A host without files, windows or settings: every box is answered with OK (or Cancel,
// every other time), no include can be found, and the queue is always empty.

#include "engine/host.h"
#include "library/families.h"
#include "library/system/null_system.h"
#include "library/windows/null_window.h"

namespace talven::fuzz {

class FuzzHost : public Host {
 public:
  FuzzHost() {
    UsePlatform(FamilyIndex(FamilyId::Window), window);
    UsePlatform(FamilyIndex(FamilyId::System), system);
  }
  BoxAnswer ShowBox(const BoxRequest&) override {
    return (++m_boxes % 2) == 0 ? BoxAnswer::Cancel : BoxAnswer::Ok;
  }
  std::optional<std::string> OpenFileDialog(std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  std::unique_ptr<InputFile> OpenInput(const std::string&) override { return nullptr; }
  bool FileExists(const std::string&) override { return false; }
  std::string ReadIniString(std::string_view, std::string_view, std::string_view,
                            std::string_view fallback) override {
    return std::string(fallback);
  }
  PumpResult PumpMessages(bool) override {
    return window.closed ? PumpResult::Quit : PumpResult::Idle;
  }
  NullWindow window;
  NullSystem system;
  void ShowMouseCursor() override {}
  void RepaintMainWindow() override {}
  void ReleaseRun() override {}
  int Boxes() const { return m_boxes; }

 private:
  int m_boxes = 0;
};

// The bytes as a text file, lines ending at LF, CR or CR LF.
class BytesFile : public InputFile {
 public:
  BytesFile(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool ReadLine(std::string& line) override {
    line.clear();
    if (m_pos >= m_size) return false;
    while (m_pos < m_size && m_data[m_pos] != '\n' && m_data[m_pos] != '\r') {
      if (line.size() < 255) line.push_back(static_cast<char>(m_data[m_pos]));
      ++m_pos;
    }
    if (m_pos < m_size && m_data[m_pos] == '\r') ++m_pos;
    if (m_pos < m_size && m_data[m_pos] == '\n') ++m_pos;
    return true;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

}  // namespace talven::fuzz
