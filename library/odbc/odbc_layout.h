#pragma once
// The text lines of SQLEXEC: display widths by SQL type, the heading, the separator and
// the rows, with delimiter, quote and NULL text. Portable and pure.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace talven {

enum class SqlTarget : int32_t { Window = 0, List = 1, File = 2 };

struct SqlLineStyle {
  SqlTarget target = SqlTarget::Window;
  std::string delimiter;  // zero or one character
  std::string quote;      // zero or one character
  std::string nullText;
};

// The widest a column is shown in the window and the list.
inline constexpr int64_t kMaxShownWidth = 255;
// The largest buffer bound for one column of SQL.DAT.
inline constexpr int64_t kMaxFileValue = 1 << 20;

// The display width of a column: the larger of its name's length and its type's width.
int64_t DisplayWidth(int32_t sqlType, uint32_t size, size_t nameLength);
// The width used for padding (capped in the window and the list).
int64_t ShownWidth(int64_t displayWidth, SqlTarget target);
// The bytes bound for a column: its width and the zero byte.
size_t BufferSize(int64_t displayWidth, SqlTarget target);
// One line: each piece padded (window, list) or quoted (file), each followed by the
// delimiter; nullopt pieces are NULL values.
std::string SqlLine(std::span<const std::optional<std::string>> pieces, std::span<const int64_t> widths,
                    const SqlLineStyle& style);
// The separator under the heading: for each column one "-" more than its heading piece.
std::string SqlSeparator(std::span<const std::optional<std::string>> names, std::span<const int64_t> widths,
                         const SqlLineStyle& style);
// A driver message without its bracketed prefixes: the text after the last "]".
std::string DriverMessage(std::string_view message);

}  // namespace talven
