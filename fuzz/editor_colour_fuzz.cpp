// Colouring of any line: the runs cover the visible part once, in order, without overlap.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editor/colouring.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const int32_t first = data[0] % 64;
  const int32_t visible = data[1];
  talven::editor::Selection selection{(data[2] & 1) != 0, {1, data[3] % 80}, {1 + (data[2] >> 7), data[4] % 80}};
  const std::string_view line(reinterpret_cast<const char*>(data + 5), size - 5);
  const auto runs = talven::editor::ColourLine(line, first, visible, 1, selection, (data[2] & 2) != 0);
  const int32_t end = std::min<int32_t>(static_cast<int32_t>(line.size()), first + visible);
  int32_t next = first;
  for (const auto& run : runs) {
    if (run.column != next || run.length <= 0) abort();
    next += run.length;
  }
  if (end > first ? next != end : !runs.empty()) abort();
  talven::editor::CommentStart(line);
  return 0;
}
