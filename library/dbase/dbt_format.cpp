// Memo texts of dBase III memo files.

#include "library/dbase/dbt_format.h"

#include "library/dbase/limits.h"

namespace talven::dbase {

MemoSplitter::MemoSplitter(int32_t width, std::vector<std::string>* lines)
    : m_width(ClampMemoWidth(width)), m_lines(lines) {}

bool MemoSplitter::Full() const { return m_lines->size() >= static_cast<size_t>(kMaxMemoLines); }

bool MemoSplitter::Feed(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (Full()) return false;
    const uint8_t byte = bytes[i];
    if (byte == '\r') {
      AddLine(std::move(m_line));
      m_line.clear();
    } else if (byte == '\n') {
      continue;
    } else if (byte == 0x8D) {
      if (!m_line.empty() && m_line.back() != ' ' && m_line.back() != '-') m_line.push_back(' ');
    } else {
      m_line.push_back(static_cast<char>(byte));
      // A line without CR is broken as it grows (the same pieces as at its end), so
      // that a hostile memo of one endless line costs no more than its lines.
      if (m_line.size() > static_cast<size_t>(kMaxMemoWidth) * 2) EmitPieces(m_line);
    }
  }
  return !Full();
}

void MemoSplitter::Finish() {
  if (!m_line.empty()) AddLine(std::move(m_line));
  m_line.clear();
}

void MemoSplitter::AddLine(std::string line) {
  EmitPieces(line);
  if (!Full()) m_lines->push_back(std::move(line));
}

void MemoSplitter::EmitPieces(std::string& line) {
  const size_t width = static_cast<size_t>(m_width);
  while (line.size() > width && !Full()) {
    size_t cut = std::string::npos;
    for (size_t i = width; i-- > 0;) {
      if (line[i] == ' ' || line[i] == '-') {
        cut = i + 1;
        break;
      }
    }
    if (cut == std::string::npos) cut = width;
    m_lines->push_back(line.substr(0, cut));
    line.erase(0, cut);
  }
}

std::vector<uint8_t> BuildMemo(const std::vector<std::string>& lines) {
  std::vector<uint8_t> bytes;
  for (const auto& line : lines) {
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
  }
  // Two end bytes: readers of other programs look for the pair; ours stops at the first.
  bytes.push_back(kFileEnd);
  bytes.push_back(kFileEnd);
  bytes.resize((bytes.size() + kMemoBlock - 1) / kMemoBlock * kMemoBlock, 0);
  return bytes;
}

MemoPointer ParseMemoPointer(const std::string& field, uint32_t* block) {
  size_t begin = 0, end = field.size();
  while (begin < end && (field[begin] == ' ' || field[begin] == 0)) ++begin;
  while (end > begin && (field[end - 1] == ' ' || field[end - 1] == 0)) --end;
  if (begin == end) return MemoPointer::Blank;
  uint64_t value = 0;
  for (size_t i = begin; i < end; ++i) {
    if (field[i] < '0' || field[i] > '9') return MemoPointer::Invalid;
    value = value * 10 + static_cast<uint64_t>(field[i] - '0');
    if (value > 0xFFFFFFFFu) return MemoPointer::Invalid;
  }
  if (value == 0) return MemoPointer::Invalid;
  *block = static_cast<uint32_t>(value);
  return MemoPointer::Valid;
}

std::string FormatMemoPointer(uint32_t block, size_t width) {
  std::string digits = std::to_string(block);
  if (digits.size() >= width) return digits.substr(0, width);
  return std::string(width - digits.size(), ' ') + digits;
}

int32_t ClampMemoWidth(int64_t width) {
  if (width < 1) return 1;
  if (width > kMaxMemoWidth) return kMaxMemoWidth;
  return static_cast<int32_t>(width);
}

}  // namespace talven::dbase
