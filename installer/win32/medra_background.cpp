// MEDRA32's background window: the blue bands (through their own palette on 256-colour
// displays), the two shadowed headlines and the script's picture over them.

#include <vector>

#include "installer/win32/medra_internal.h"
#include "installer/win32/win32_setup_system.h"
#include "resources/medra_ids.h"

namespace talven::installer::medra {
namespace {

void FreePicture() {
  if (g_app.metafile) DeleteEnhMetaFile(g_app.metafile);
  if (g_app.bitmap) DeleteObject(g_app.bitmap);
  g_app.metafile = nullptr;
  g_app.bitmap = nullptr;
}

// The bitmap with black left out: the mask keeps the background where the picture is
// black, then the picture (black there) is laid over it.
void DrawTransparentBitmap(HDC dc, const PictureBox& box) {
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ oldSource = SelectObject(source, g_app.bitmap);
  HDC maskDc = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(box.width, box.height, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDc, mask);
  SetBkColor(source, RGB(0, 0, 0));
  BitBlt(maskDc, 0, 0, box.width, box.height, source, 0, 0, SRCCOPY);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, box.left, box.top, box.width, box.height, maskDc, 0, 0, SRCAND);
  BitBlt(dc, box.left, box.top, box.width, box.height, source, 0, 0, SRCPAINT);
  SelectObject(maskDc, oldMask);
  DeleteObject(mask);
  DeleteDC(maskDc);
  SelectObject(source, oldSource);
  DeleteDC(source);
}

void DrawPicture(HDC dc, int width, int height) {
  if (g_app.metafile) {
    const PictureBox box = PlacePicture(g_app.pictureLine, width, height, 0, 0);
    const RECT r{box.left, box.top, box.left + box.width, box.top + box.height};
    PlayEnhMetaFile(dc, g_app.metafile, &r);
  } else if (g_app.bitmap) {
    DrawTransparentBitmap(dc, PlacePicture(g_app.pictureLine, width, height, g_app.bitmapWidth, g_app.bitmapHeight));
  }
}

// The 129 blues of the bands, made once, on displays that work through a palette.
// Whether the display works through a palette is asked of the screen: a window's DC may
// draw into an off-screen surface of its own that reports no palette (so under Wine).
bool PaletteDisplay() {
  HDC screen = GetDC(nullptr);
  const bool palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
  ReleaseDC(nullptr, screen);
  return palette;
}

HPALETTE BandPalette() {
  if (!g_app.usePalette || !PaletteDisplay()) return nullptr;
  if (g_app.palette == nullptr) {
    constexpr int kEntries = static_cast<int>(kBandPaletteEntries);
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + kEntries * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = kEntries;
    const auto blues = BandPaletteBlues();
    for (int i = 0; i < kEntries; ++i) logical->palPalEntry[i] = {0, 0, blues[i], 0};
    g_app.palette = CreatePalette(logical);
  }
  return g_app.palette;
}

void PaintBackground(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  const int width = client.right, height = client.bottom;
  HPALETTE palette = BandPalette();
  HPALETTE oldPalette = nullptr;
  if (palette) {
    oldPalette = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
  }
  for (int i = kBackgroundBands; i >= 1; --i) {
    const int blue = BandBlue(i);
    HBRUSH brush = CreateSolidBrush(palette ? PALETTERGB(0, 0, blue) : RGB(0, 0, blue));
    const PictureBox box = BandBox(i, width, height);
    RECT band{0, 0, box.width, box.height};
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
  if (palette) SelectPalette(dc, oldPalette, FALSE);
  SetBkMode(dc, TRANSPARENT);
  const int screen = GetSystemMetrics(SM_CYSCREEN);
  HFONT big = CreateFontA(80 * screen / 768, 0, 0, 0, FW_BOLD, TRUE, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ old = SelectObject(dc, big);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 40, 35, g_app.headline.c_str(), static_cast<int>(g_app.headline.size()));
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 35, 30, g_app.headline.c_str(), static_cast<int>(g_app.headline.size()));
  HFONT small = CreateFontA(24 * screen / 768, 0, 0, 0, FW_BOLD, FALSE, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  SelectObject(dc, small);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 37, height - 52, g_app.subline.c_str(), static_cast<int>(g_app.subline.size()));
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 35, height - 50, g_app.subline.c_str(), static_cast<int>(g_app.subline.size()));
  SelectObject(dc, old);
  DeleteObject(big);
  DeleteObject(small);
  DrawPicture(dc, width, height);
}

// Another window changed the system palette: the bands take their blues again.
bool RealizeBandPalette(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  HPALETTE palette = g_app.background ? BandPalette() : nullptr;
  UINT changed = 0;
  if (palette) {
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    changed = RealizePalette(dc);
    SelectPalette(dc, old, FALSE);
  }
  ReleaseDC(hwnd, dc);
  if (changed > 0) InvalidateRect(hwnd, nullptr, FALSE);
  return palette != nullptr;
}

}  // namespace

// The picture of a script line, from the source folder unless the name has a path. A file
// that cannot be read or is no picture leaves the background without one.
void LoadPicture(const std::string& value) {
  FreePicture();
  g_app.pictureLine = ParsePictureLine(value);
  const std::string& name = g_app.pictureLine.file;
  if (name.empty()) return;
  const bool hasPath = name.find(':') != std::string::npos || name[0] == '\\';
  const std::string path = hasPath ? name : JoinPath(g_app.sourceDir, name);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string bytes;
  const DWORD size = GetFileSize(file, nullptr);
  constexpr DWORD kLargestPicture = 64u << 20;
  if (size != INVALID_FILE_SIZE && size <= kLargestPicture) {
    bytes.resize(size);
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size) bytes.clear();
  }
  CloseHandle(file);
  std::string packed;
  if (g_app.pictureLine.metafile) {
    if (MetafileBits(bytes, packed)) {
      g_app.metafile = SetWinMetaFileBits(static_cast<UINT>(packed.size()),
                                          reinterpret_cast<const BYTE*>(packed.data()), nullptr, nullptr);
    }
  } else if (size_t pixels = 0; PackedBitmap(bytes, packed, g_app.bitmapWidth, g_app.bitmapHeight, &pixels)) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(packed.data());
    HDC screen = GetDC(nullptr);
    g_app.bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, packed.data() + pixels, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
  }
  if (g_app.main) InvalidateRect(g_app.main, nullptr, TRUE);
}

void ReleaseBackground() {
  FreePicture();
  if (g_app.palette) DeleteObject(g_app.palette);
  g_app.palette = nullptr;
}

namespace {

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      if (g_app.background) PaintBackground(hwnd, dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      if (g_app.background) return 1;
      break;
    case WM_QUERYNEWPALETTE:
      return RealizeBandPalette(hwnd) ? TRUE : FALSE;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != hwnd) RealizeBandPalette(hwnd);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == MEDRA_CMD_CANCEL_PROGRESS && ConfirmAbort(hwnd)) {
        g_app.abort = true;
        if (g_app.progress) DestroyWindow(g_app.progress);
        g_app.progress = nullptr;
        DestroyWindow(hwnd);
      }
      return 0;
    case WM_CLOSE:
      g_app.abort = true;
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      g_app.main = nullptr;
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterMainClass(HINSTANCE instance) {
  WNDCLASSA mainClass{};
  mainClass.lpfnWndProc = MainProc;
  mainClass.hInstance = instance;
  mainClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  mainClass.lpszClassName = kMainClass;
  mainClass.hIcon = LoadIcon(instance, MAKEINTRESOURCE(1));
  RegisterClassA(&mainClass);
}

}  // namespace talven::installer::medra
