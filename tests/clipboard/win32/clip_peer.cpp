// tvclip: the other process of the clipboard tests (and of the wait for a broadcasting
// program).
//   tvclip put        puts an 8 x 4 bitmap on the clipboard (CF_BITMAP): the left half
//                     RGB(18, 52, 86), the right half RGB(171, 205, 239), the bottom-left
//                     pixel RGB(255, 0, 255)
//   tvclip get FILE   writes the clipboard's bitmap to FILE as text: "width height", then
//                     one line "RRGGBB" per pixel, rows top-down; exit code 1 without one
//   tvclip puttext    puts the text L"Vom Helfer: Gr\u00FC\u00DFe \u20AC \u00C4\u00D6\u00DC" as
//                     CF_UNICODETEXT only
//   tvclip gettext FILE  writes the clipboard's CF_UNICODETEXT to FILE in UTF-8; exit code
//                     1 without one
//   tvclip broadcast  sends WM_SETTINGCHANGE to every top-level window and waits until
//                     all have answered
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

BITMAPINFO Info32(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

int Put() {
  constexpr int kWidth = 8;
  constexpr int kHeight = 4;
  std::vector<DWORD> pixels(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = x < kWidth / 2 ? 0x123456 : 0xABCDEF;
  }
  pixels[(kHeight - 1) * kWidth] = 0xFF00FF;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
  const BITMAPINFO info = Info32(kWidth, kHeight);
  SetDIBits(screen, bitmap, 0, kHeight, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  // The clipboard takes data only from a process that owns it through a window.
  HWND owner = CreateWindowA("STATIC", "tvclip", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (owner == nullptr || !OpenClipboard(owner)) return 2;
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  CloseClipboard();
  DestroyWindow(owner);
  return placed ? 0 : 2;
}

int Get(const char* file) {
  if (!OpenClipboard(nullptr)) return 2;
  HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP shape = {};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof shape, &shape) == 0) {
    CloseClipboard();
    return 1;
  }
  std::vector<DWORD> pixels(static_cast<size_t>(shape.bmWidth) * shape.bmHeight);
  BITMAPINFO info = Info32(shape.bmWidth, shape.bmHeight);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, shape.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  CloseClipboard();
  if (rows != shape.bmHeight) return 2;
  std::FILE* out = std::fopen(file, "w");
  if (out == nullptr) return 2;
  std::fprintf(out, "%ld %ld\n", shape.bmWidth, shape.bmHeight);
  for (DWORD pixel : pixels) std::fprintf(out, "%06lX\n", pixel & 0xFFFFFF);
  std::fclose(out);
  return 0;
}

int PutText() {
  const wchar_t text[] = L"Vom Helfer: Gr\u00FC\u00DFe \u20AC \u00C4\u00D6\u00DC";
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(text));
  if (block == nullptr) return 2;
  std::memcpy(GlobalLock(block), text, sizeof(text));
  GlobalUnlock(block);
  HWND owner = CreateWindowA("STATIC", "tvclip", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (owner == nullptr || !OpenClipboard(owner)) {
    GlobalFree(block);
    return 2;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (!placed) GlobalFree(block);
  CloseClipboard();
  DestroyWindow(owner);
  return placed ? 0 : 2;
}

int GetText(const char* file) {
  if (!OpenClipboard(nullptr)) return 2;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wchar_t* text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (text == nullptr) {
    CloseClipboard();
    return 1;
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> utf8(static_cast<size_t>(bytes > 0 ? bytes : 1));
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), bytes, nullptr, nullptr);
  GlobalUnlock(data);
  CloseClipboard();
  std::FILE* out = std::fopen(file, "wb");
  if (out == nullptr) return 2;
  std::fputs(utf8.data(), out);
  std::fclose(out);
  return 0;
}

// SendMessage to every top-level window returns only when each has handled it: a program
// that started this one and waits for it without serving its messages would never let it end.
int Broadcast() {
  SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "put") == 0) return Put();
  if (argc == 3 && std::strcmp(argv[1], "get") == 0) return Get(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "puttext") == 0) return PutText();
  if (argc == 3 && std::strcmp(argv[1], "gettext") == 0) return GetText(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "broadcast") == 0) return Broadcast();
  std::fprintf(stderr, "usage: tvclip put | get FILE | puttext | gettext FILE | broadcast\n");
  return 2;
}
