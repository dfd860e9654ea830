// A stand-in for the 16-bit helper TALV16.EXE, for the tests only (a 32-bit program that
// speaks the helper's file protocol). Started as "TALV16 LIB|FUNCTION|DESCRIPTION|RESULT
// FILE", it appends its command line to talv16.log and copies FILE to talv16.in in the
// current folder, then acts by FUNCTION:
//   Echo  every area's first bytes become "von TALV16", the result is the sum of the
//         "%" and "&" arguments; then the marker FILE + "!"
//   Big   claims 8 bytes more for each area than it has (and fills it with "Z")
//   Cut   cuts FILE to 2 bytes
//   Late  as Echo after 300 ms
//   Die   ends at once with exit code 3, no marker

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(file);
  return bytes;
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes, const char* mode = "wb") {
  FILE* file = std::fopen(path.c_str(), mode);
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

uint32_t Long(const std::vector<uint8_t>& b, size_t at) {
  return at + 4 > b.size() ? 0 : b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void PutLong(std::vector<uint8_t>& b, size_t at, uint32_t value) {
  for (int i = 0; i < 4 && at + i < b.size(); ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string line = GetCommandLineA();
  WriteAll("talv16.log", std::vector<uint8_t>(line.begin(), line.end()), "ab");
  WriteAll("talv16.log", {'\r', '\n'}, "ab");
  if (argc < 3) return 2;
  const std::string call = argv[1];
  const std::string path = argv[2];
  std::vector<std::string> parts(1);
  for (const char c : call) {
    if (c == '|') parts.emplace_back(); else parts.back() += c;
  }
  if (parts.size() != 4) return 2;
  const std::string& function = parts[1];
  const std::string& description = parts[2];
  std::vector<uint8_t> bytes = ReadAll(path);
  WriteAll("talv16.in", bytes);
  if (function == "Die") return 3;
  if (function == "Late") Sleep(300);
  if (function == "Cut") {
    bytes.resize(2);
  } else {
    int32_t sum = 0;
    size_t at = 0;
    for (const char kind : description) {
      if (kind == '%') {
        sum += static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
        at += 2;
      } else if (kind == '&') {
        sum += static_cast<int32_t>(Long(bytes, at));
        at += 4;
      } else {
        const uint32_t size = Long(bytes, at);
        if (function == "Big") {
          PutLong(bytes, at, size + 8);
          for (uint32_t i = 0; i < size; ++i) bytes[at + 4 + i] = 'Z';
        } else {
          const char* text = "von TALV16";
          for (uint32_t i = 0; i < size && text[i] != 0; ++i) bytes[at + 4 + i] = static_cast<uint8_t>(text[i]);
        }
        at += 4 + size;
      }
    }
    PutLong(bytes, at, static_cast<uint32_t>(sum));
  }
  WriteAll(path, bytes);
  WriteAll(path + "!", {});
  return 0;
}
