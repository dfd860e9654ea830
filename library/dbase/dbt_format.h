#pragma once
// Memo texts: splitting a memo into lines (reader) and joining lines into a memo (writer),
// and the block number a memo field holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace talven::dbase {

// Splits memo bytes into lines: CR ends a line, LF is skipped, 0x8D (soft break) becomes a
// blank unless the line is empty or ends in a blank or "-"; lines longer than the width
// break after their last blank or "-" within it, else at the width. Fed block by block.
class MemoSplitter {
 public:
  explicit MemoSplitter(int32_t width, std::vector<std::string>* lines);
  // Feeds bytes up to (not including) the end byte. False once the line limit is reached.
  bool Feed(const uint8_t* bytes, size_t count);
  // Adds the unfinished line; an empty rest adds nothing.
  void Finish();
  bool Full() const;

 private:
  void AddLine(std::string line);
  // Adds the pieces of a line longer than the width; the rest stays in `line`.
  void EmitPieces(std::string& line);
  int32_t m_width;
  std::vector<std::string>* m_lines;
  std::string m_line;
};

// The memo of these lines: each line and CR LF, then 0x1A 0x1A, zeros to the block end.
std::vector<uint8_t> BuildMemo(const std::vector<std::string>& lines);

enum class MemoPointer { Blank, Valid, Invalid };
// Reads the block number of a memo field: blank, or a number above 0 (blanks around it).
MemoPointer ParseMemoPointer(const std::string& field, uint32_t* block);
// The block number right-aligned in the field's width (10).
std::string FormatMemoPointer(uint32_t block, size_t width);

// The width a program asks for, clamped to 1..255.
int32_t ClampMemoWidth(int64_t width);

}  // namespace talven::dbase
