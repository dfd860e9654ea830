// tvclip: the other process of the clipboard tests.
//   tvclip put        puts an 8 x 4 bitmap on the clipboard (CF_BITMAP): the left half
//                     RGB(18, 52, 86), the right half RGB(171, 205, 239), the bottom-left
//                     pixel RGB(255, 0, 255)
//   tvclip get FILE   writes the clipboard's bitmap to FILE as text: "width height", then
//                     one line "RRGGBB" per pixel, rows top-down; exit code 1 without one
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "put") == 0) return Put();
  if (argc == 3 && std::strcmp(argv[1], "get") == 0) return Get(argv[2]);
  std::fprintf(stderr, "usage: tvclip put | tvclip get FILE\n");
  return 2;
}
