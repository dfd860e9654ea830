// What a test driver reads from the window: the rows of its text grid on request.
#include "library/windows/win32/win32_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "library/windows/win32/win32_window_parts.h"
#include "library/windows/window_state.h"

namespace talven {

using namespace win32_window_parts;

LRESULT Win32Window::GridRowAtom(WPARAM row) const {
  if (m_state == nullptr || !m_state->grid) return 0;
  const TextGrid& grid = *m_state->grid;
  if (row >= static_cast<WPARAM>(grid.Rows())) return 0;
  std::string text = "|";
  for (int32_t column = 0; column < grid.Columns(); ++column) {
    text += grid.CharAt(static_cast<int32_t>(row), column);
  }
  while (text.size() > 1 && text.back() == ' ') text.pop_back();
  return GlobalAddAtomA(text.c_str());
}

}  // namespace talven
