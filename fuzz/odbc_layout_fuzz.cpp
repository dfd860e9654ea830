// The lines of SQLEXEC on arbitrary column types, sizes, names and values, and the
// driver messages: widths never overflow, shown lines stay within their widths.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "library/odbc/odbc_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > 4096) return 0;
  using talven::SqlTarget;
  const auto target = static_cast<SqlTarget>(data[0] % 3);
  talven::SqlLineStyle style{target, std::string(data[1] % 2, ';'), std::string(data[2] % 2, '"'), "NULL"};
  std::vector<std::optional<std::string>> values;
  std::vector<int64_t> widths;
  size_t at = 3;
  while (at + 6 <= size && values.size() < 64) {
    const int32_t type = static_cast<int8_t>(data[at]);
    const uint32_t columnSize = data[at + 1] | (data[at + 2] << 8) | (static_cast<uint32_t>(data[at + 3]) << 24);
    const size_t length = data[at + 4] % 64;
    at += 5;
    const int64_t width = talven::DisplayWidth(type, columnSize, length);
    if (width < 0) __builtin_trap();
    const size_t buffer = talven::BufferSize(width, target);
    if (buffer == 0 || (target != SqlTarget::File && buffer > 256)) __builtin_trap();
    widths.push_back(width);
    const size_t take = std::min(length, size - at);
    if (data[at - 1] & 0x80) {
      values.emplace_back(std::nullopt);
    } else {
      values.emplace_back(std::string(reinterpret_cast<const char*>(data + at), take));
    }
    at += take;
  }
  const std::string line = talven::SqlLine(values, widths, style);
  if (target != SqlTarget::File && line.size() > values.size() * (255 + 64 + 1)) __builtin_trap();
  talven::SqlSeparator(values, widths, style);
  talven::DriverMessage(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
