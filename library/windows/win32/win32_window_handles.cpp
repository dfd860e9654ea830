// Operations on any window by the handle programs see: finding, activating, showing,
// focusing, destroying, measuring, styling, placing, and sending or posting messages.
#include "library/windows/win32/win32_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "library/windows/win32/win32_window_parts.h"
#include "library/windows/window_state.h"

namespace talven {

using namespace win32_window_parts;

intptr_t Win32Window::FindByTitle(std::string_view prefix) {
  // The top-level windows from the first one; the first whose title begins with the text.
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    char title[kTextBuffer] = {};
    GetWindowTextA(window, title, sizeof(title));
    if (std::string_view(title).substr(0, prefix.size()) == prefix &&
        std::strlen(title) >= prefix.size()) {
      return AsHandle(window);
    }
  }
  return 0;
}

intptr_t Win32Window::ActiveWindow() { return AsHandle(GetActiveWindow()); }
intptr_t Win32Window::Activate(intptr_t window) {
  return AsHandle(SetActiveWindow(AsWindow(window)));
}
bool Win32Window::ShowWindowAs(intptr_t window, int32_t mode) {
  return ShowWindow(AsWindow(window), mode) != 0;
}
intptr_t Win32Window::FocusWindow() { return AsHandle(GetFocus()); }
intptr_t Win32Window::SetFocusTo(intptr_t window) { return AsHandle(SetFocus(AsWindow(window))); }
bool Win32Window::DestroyWindowOf(intptr_t window) {
  if (window == 0) return false;
  // The main window goes with its contexts and bitmaps; the quit message then ends the run.
  if (m_window != nullptr && AsWindow(window) == m_window) {
    Destroy();
    return true;
  }
  return DestroyWindow(AsWindow(window)) != 0;
}

ClientSize Win32Window::ClientSizeOf(intptr_t window) {
  RECT rect = {};
  if (!GetClientRect(AsWindow(window), &rect)) return ClientSize{};
  return ClientSize{rect.right - rect.left, rect.bottom - rect.top};
}

WindowFrame Win32Window::FrameOf(intptr_t window) {
  RECT rect = {};
  if (!GetWindowRect(AsWindow(window), &rect)) return WindowFrame{};
  return WindowFrame{rect.left, rect.top, rect.right, rect.bottom};
}

uint32_t Win32Window::StyleOf(intptr_t window) {
  return static_cast<uint32_t>(GetWindowLongA(AsWindow(window), GWL_STYLE));
}

void Win32Window::SetStyleOf(intptr_t window, uint32_t style) {
  SetWindowLongA(AsWindow(window), GWL_STYLE, static_cast<LONG>(style));
  InvalidateRect(AsWindow(window), nullptr, TRUE);
}

void Win32Window::PlaceWindow(intptr_t window, int32_t left, int32_t top, int32_t width,
                              int32_t height, std::optional<intptr_t> after) {
  UINT flags = SWP_NOACTIVATE;
  if (!after) flags |= SWP_NOZORDER;
  SetWindowPos(AsWindow(window), after ? AsWindow(*after) : nullptr, left, top, width, height,
               flags);
}

void Win32Window::EnableWindowOf(intptr_t window, bool enable) {
  EnableWindow(AsWindow(window), enable ? TRUE : FALSE);
}

intptr_t Win32Window::Deliver(intptr_t window, uint32_t message, MessageArgument& wParam,
                              MessageArgument& lParam, Delivery how) {
  // A text goes by the address of a buffer of 256 bytes.
  auto buffer = [](const MessageArgument& argument) {
    auto room = std::make_unique<std::array<char, kTextBuffer>>();
    room->fill('\0');
    std::memcpy(room->data(), argument.text.data(),
                std::min(argument.text.size(), kTextBuffer - 1));
    return room;
  };
  std::unique_ptr<std::array<char, kTextBuffer>> wText;
  std::unique_ptr<std::array<char, kTextBuffer>> lText;
  WPARAM w = static_cast<WPARAM>(wParam.number);
  LPARAM l = static_cast<LPARAM>(lParam.number);
  if (wParam.isText) {
    wText = buffer(wParam);
    w = reinterpret_cast<WPARAM>(wText->data());
  }
  if (lParam.isText) {
    lText = buffer(lParam);
    l = reinterpret_cast<LPARAM>(lText->data());
    // Mended: WM_GETTEXT never writes past the buffer, whatever size the program names.
    if (message == WM_GETTEXT && !wParam.isText && (w == 0 || w > kTextBuffer)) w = kTextBuffer;
  }
  if (how == Delivery::Post) {
    const BOOL posted = PostMessageA(AsWindow(window), message, w, l);
    // The buffers must outlive the post: they stay until the run ends.
    if (wText) m_postedTexts.push_back(std::move(wText));
    if (lText) m_postedTexts.push_back(std::move(lText));
    return posted ? 1 : 0;
  }
  const LRESULT result = SendMessageA(AsWindow(window), message, w, l);
  if (wText) wParam.text.assign(wText->data(), strnlen(wText->data(), kTextBuffer - 1));
  if (lText) lParam.text.assign(lText->data(), strnlen(lText->data(), kTextBuffer - 1));
  return static_cast<intptr_t>(result);
}

}  // namespace talven
