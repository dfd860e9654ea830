#include "engine/std_file.h"

#include <cstdio>

#include "engine/limits.h"

namespace talven {

namespace {

class StdInputFile final : public InputFile {
 public:
  explicit StdInputFile(std::FILE* file) : m_file(file) {}
  ~StdInputFile() override { std::fclose(m_file); }

  // A line ends at LF, CR or CR LF. Only its first 255 characters are kept.
  bool ReadLine(std::string& line) override {
    line.clear();
    int c = std::getc(m_file);
    if (c == EOF) return false;
    while (c != EOF && c != '\n' && c != '\r') {
      if (line.size() < kMaxStringLength) line.push_back(static_cast<char>(c));
      c = std::getc(m_file);
    }
    if (c == '\r') {
      const int next = std::getc(m_file);
      if (next != '\n' && next != EOF) std::ungetc(next, m_file);
    }
    return true;
  }

 private:
  std::FILE* m_file;
};

}  // namespace

std::unique_ptr<InputFile> OpenStdInputFile(const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return nullptr;
  return std::make_unique<StdInputFile>(file);
}

}  // namespace talven
