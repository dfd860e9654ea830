// The Win32 side of the family "clipboard".

#include <windows.h>

#include <cstring>
#include <memory>

#include "library/clipboard/clipboard_platform.h"
#include "library/families.h"
#include "library/clipboard/win32/clipboard_win32.h"
#include "library/win32/win32_host.h"

namespace talven {

namespace {

constexpr size_t kClipBlock = 255;

class Win32Clipboard : public ClipboardPlatform {
 public:
  ~Win32Clipboard() override {
    if (m_window != nullptr) DestroyWindow(m_window);
  }
  bool Clear(intptr_t owner) override {
    if (!OpenClipboard(Owner(owner))) return false;
    EmptyClipboard();
    CloseClipboard();
    return true;
  }
  // The block is the clipboard's once SetClipboardData took it; any way that does not get
  // there frees it again.
  // The block holds the text (at most 254 characters) and its NUL, nothing more: readers
  // that take the whole block (X11's selection under Wine does) would otherwise get the
  // bytes behind the NUL too.
  bool PutText(intptr_t owner, const std::string& text) override {
    const size_t length = text.size() < kClipBlock ? text.size() : kClipBlock - 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, length + 1);
    if (block == nullptr) return false;
    char* chars = static_cast<char*>(GlobalLock(block));
    if (chars == nullptr) {
      GlobalFree(block);
      return false;
    }
    std::memcpy(chars, text.data(), length);
    chars[length] = '\0';
    GlobalUnlock(block);
    if (!OpenClipboard(Owner(owner))) {
      GlobalFree(block);
      return false;
    }
    // An empty clipboard first: no Unicode text or picture of an earlier owner stays
    // beside the new text.
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!placed) GlobalFree(block);
    return placed;
  }

 private:
  // The main window, or before it exists a hidden window of the clipboard's own: a
  // clipboard opened without a window cannot take data.
  HWND Owner(intptr_t owner) {
    if (owner != 0 && IsWindow(reinterpret_cast<HWND>(owner))) return reinterpret_cast<HWND>(owner);
    if (m_window == nullptr) {
      m_window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    return m_window;
  }
  HWND m_window = nullptr;
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakeWin32Clipboard() { return std::make_unique<Win32Clipboard>(); }

void InstallClipboardWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Clipboard), MakeWin32Clipboard());
}

}  // namespace talven
