#pragma once
// The small text window in which the compiler and the linker show their progress.

#include <cstdint>
#include <string_view>

namespace talven {

class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // Writes `text` at column `column`, row `row` (both from 1) of the window's text grid.
  virtual void Write(int32_t column, int32_t row, std::string_view text) = 0;
};

class NoProgress : public ProgressWindow {
 public:
  void Write(int32_t, int32_t, std::string_view) override {}
};

}  // namespace talven
