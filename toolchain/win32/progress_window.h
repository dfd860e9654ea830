#pragma once
// The compiler's and the linker's progress window on Win32: a small window with a text
// grid of 40 columns by 12 rows, repainted as the texts change.

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "toolchain/progress.h"

namespace talven {

struct ProgressPlacement {
  const char* title;
  int left;
  int top;
  int width;
  int height;
};

class Win32ProgressWindow : public ProgressWindow {
 public:
  explicit Win32ProgressWindow(const ProgressPlacement& placement);
  ~Win32ProgressWindow() override;
  void Write(int32_t column, int32_t row, std::string_view text) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  HWND m_window = nullptr;
  std::array<std::string, 12> m_rows;
};

}  // namespace talven
