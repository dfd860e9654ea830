// The floor of bench/graphics: the GDI calls the drawing steps of graphics.tvs make, from
// a plain loop in C++ (built and run by run.sh under Wine). Like the program's window it
// draws everything twice, into a window and into a screen-sized backing bitmap; the
// transparent copy is the same mask sequence. Prints one line per step: name, count, ms.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

HWND g_window;
HDC g_windowDc;
HDC g_backing;

template <typename Step>
void Time(const char* name, int count, Step step) {
  const DWORD start = GetTickCount();
  for (int i = 0; i < count; ++i) step(i);
  GdiFlush();
  std::printf("%s %d %lu ms\n", name, count, GetTickCount() - start);
}

BITMAPINFO Info(int width, int height, int bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bits);
  return info;
}

void Transparent(HDC dst, int x, int y, HDC src, int w, int h) {
  const COLORREF key = GetPixel(src, 0, h - 1);
  HDC sourceDc = CreateCompatibleDC(dst);
  HDC maskDc = CreateCompatibleDC(dst);
  HDC workDc = CreateCompatibleDC(dst);
  HBITMAP source = CreateCompatibleBitmap(dst, w, h);
  HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
  HBITMAP work = CreateCompatibleBitmap(dst, w, h);
  HGDIOBJ o1 = SelectObject(sourceDc, source);
  HGDIOBJ o2 = SelectObject(maskDc, mask);
  HGDIOBJ o3 = SelectObject(workDc, work);
  StretchBlt(sourceDc, 0, 0, w, h, src, 0, 0, w, h, SRCCOPY);
  SetBkColor(sourceDc, key);
  BitBlt(maskDc, 0, 0, w, h, sourceDc, 0, 0, SRCCOPY);
  for (HDC dc : {workDc, sourceDc}) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
  }
  BitBlt(workDc, 0, 0, w, h, dst, x, y, SRCCOPY);
  BitBlt(workDc, 0, 0, w, h, maskDc, 0, 0, SRCAND);
  BitBlt(sourceDc, 0, 0, w, h, maskDc, 0, 0, 0x00220326);
  BitBlt(workDc, 0, 0, w, h, sourceDc, 0, 0, SRCPAINT);
  BitBlt(dst, x, y, w, h, workDc, 0, 0, SRCCOPY);
  SelectObject(sourceDc, o1);
  SelectObject(maskDc, o2);
  SelectObject(workDc, o3);
  DeleteObject(source);
  DeleteObject(mask);
  DeleteObject(work);
  DeleteDC(sourceDc);
  DeleteDC(maskDc);
  DeleteDC(workDc);
}

std::vector<unsigned char> ReadFile(const char* name) {
  std::vector<unsigned char> bytes;
  if (std::FILE* in = std::fopen(name, "rb")) {
    unsigned char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(in);
  }
  return bytes;
}

}  // namespace

int main() {
  WNDCLASSA type = {};
  type.lpfnWndProc = DefWindowProcA;
  type.hInstance = GetModuleHandleA(nullptr);
  type.lpszClassName = "FLOOR";
  RegisterClassA(&type);
  g_window = CreateWindowA("FLOOR", "floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 660, 520, nullptr,
                           nullptr, type.hInstance, nullptr);
  g_windowDc = GetDC(g_window);
  g_backing = CreateCompatibleDC(g_windowDc);
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  SelectObject(g_backing, CreateCompatibleBitmap(g_windowDc, screenW, screenH));
  PatBlt(g_backing, 0, 0, screenW, screenH, WHITENESS);
  HDC both[2] = {g_windowDc, g_backing};

  Time("setpixel", 100000, [&](int i) {
    for (HDC dc : both) SetPixelV(dc, i % 500, i / 500, RGB(i / 500, i % 500 & 255, 0));
  });
  Time("line", 20000, [&](int i) {
    for (HDC dc : both) {
      MoveToEx(dc, 0, i % 480, nullptr);
      LineTo(dc, 639, 479);
    }
  });
  HDC sprite = CreateCompatibleDC(g_windowDc);
  SelectObject(sprite, CreateCompatibleBitmap(g_windowDc, 32, 32));
  PatBlt(sprite, 0, 0, 32, 32, WHITENESS);
  SelectObject(sprite, CreateSolidBrush(RGB(0, 255, 0)));
  Ellipse(sprite, 2, 2, 30, 30);
  Time("sprite", 2000, [&](int i) {
    Transparent(g_windowDc, (i * 37) % 600, (i * 23) % 440, sprite, 32, 32);
    BitBlt(g_backing, (i * 37) % 600, (i * 23) % 440, 32, 32, g_windowDc, (i * 37) % 600, (i * 23) % 440, SRCCOPY);
  });
  Time("loadbmp", 200, [&](int) {
    const std::vector<unsigned char> file = ReadFile("BENCH.BMP");
    if (file.size() < 54) return;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + 14);
    const unsigned offset = *reinterpret_cast<const unsigned*>(file.data() + 10);
    for (HDC dc : both) {
      StretchDIBits(dc, 0, 0, info->bmiHeader.biWidth, info->bmiHeader.biHeight, 0, 0, info->bmiHeader.biWidth,
                    info->bmiHeader.biHeight, file.data() + offset, info, DIB_RGB_COLORS, SRCCOPY);
    }
  });
  Time("savebmp", 100, [&](int) {
    BITMAPINFO info = Info(640, 480, 32);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(g_backing, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC copy = CreateCompatibleDC(g_backing);
    HGDIOBJ old = SelectObject(copy, section);
    BitBlt(copy, 0, 0, 640, 480, g_backing, 0, 0, SRCCOPY);
    GdiFlush();
    const unsigned rowBytes = 640 * 3;
    std::vector<unsigned char> out(54 + rowBytes * 480, 0);
    out[0] = 'B';
    out[1] = 'M';
    *reinterpret_cast<unsigned*>(&out[2]) = static_cast<unsigned>(out.size());
    *reinterpret_cast<unsigned*>(&out[10]) = 54;
    BITMAPINFOHEADER header = Info(640, 480, 24).bmiHeader;
    header.biHeight = 480;
    std::memcpy(&out[14], &header, sizeof header);
    const auto* pixels = static_cast<const unsigned*>(bits);
    for (int y = 0; y < 480; ++y) {
      unsigned char* row = &out[54 + (479 - y) * rowBytes];
      for (int x = 0; x < 640; ++x) {
        const unsigned p = pixels[y * 640 + x];
        row[3 * x] = static_cast<unsigned char>(p);
        row[3 * x + 1] = static_cast<unsigned char>(p >> 8);
        row[3 * x + 2] = static_cast<unsigned char>(p >> 16);
      }
    }
    SelectObject(copy, old);
    DeleteDC(copy);
    DeleteObject(section);
    if (std::FILE* f = std::fopen("SAVED.BMP", "wb")) {
      std::fwrite(out.data(), 1, out.size(), f);
      std::fclose(f);
    }
  });
  DestroyWindow(g_window);
  return 0;
}
