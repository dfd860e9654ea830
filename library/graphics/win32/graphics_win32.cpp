// The Win32 side of the family "graphics": pens, brushes, shapes and bitmaps on the output
// window's drawing targets (the window and its backing bitmap, a STARTPAINT target or a
// print job's page), reached through the window itself. Every temporary context and
// bitmap is released on every path by the small owners below.

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <memory>

#include "library/families.h"
#include "library/graphics/graphics_platform.h"
#include "library/graphics/win32/picture_palette.h"
#include "library/win32/win32_host.h"

namespace talven {

namespace {

// Owners of temporary GDI objects.
struct DcOwner {
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  explicit DcOwner(HDC compatibleWith) : dc(CreateCompatibleDC(compatibleWith)) {}
  ~DcOwner() {
    if (old != nullptr) SelectObject(dc, old);
    if (dc != nullptr) DeleteDC(dc);
  }
  void Hold(HGDIOBJ object) {
    HGDIOBJ previous = SelectObject(dc, object);
    if (old == nullptr) old = previous;
  }
  DcOwner(const DcOwner&) = delete;
  DcOwner& operator=(const DcOwner&) = delete;
};

struct ObjectOwner {
  HGDIOBJ object = nullptr;
  explicit ObjectOwner(HGDIOBJ o) : object(o) {}
  ~ObjectOwner() {
    if (object != nullptr) DeleteObject(object);
  }
  ObjectOwner(const ObjectOwner&) = delete;
  ObjectOwner& operator=(const ObjectOwner&) = delete;
};

// A 32-bit top-down device-independent bitmap header of that size.
BITMAPINFO DibInfo(int32_t width, int32_t height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

COLORREF FromPixel(uint32_t pixel) {
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

DWORD RasterOperation(int32_t mode) {
  switch (mode) {
    case 1: return SRCAND;
    case 2: return SRCPAINT;
    case 3: return SRCINVERT;
    case 4: return DSTINVERT;
    default: return SRCCOPY;
  }
}

// The pixels of a bitmap (not selected anywhere) as a picture.
std::optional<BmpImage> PictureOf(HBITMAP bitmap) {
  BITMAP shape = {};
  if (GetObjectA(bitmap, sizeof shape, &shape) == 0 || shape.bmWidth < 1 || shape.bmHeight < 1 ||
      static_cast<uint64_t>(shape.bmWidth) * static_cast<uint64_t>(shape.bmHeight) > kMaxBmpPixels) {
    return std::nullopt;
  }
  BmpImage image;
  image.width = shape.bmWidth;
  image.height = shape.bmHeight;
  image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
  BITMAPINFO info = DibInfo(image.width, image.height);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(image.height),
                             image.pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != image.height) return std::nullopt;
  for (uint32_t& pixel : image.pixels) pixel &= 0xFFFFFF;
  return image;
}

// Copies src (sx, sy, sw, sh) to dst `to` without the colour of the source's bottom-left
// pixel: a monochrome mask of that colour clears the destination where the picture is,
// the source is cleared where the mask is, and the two are joined in a work bitmap that
// then goes to the destination in one piece. The colour left out is returned.
COLORREF TransparentCopy(HDC dst, const Area& to, HDC src, int sx, int sy, int sw, int sh) {
  const COLORREF transparent = GetPixel(src, sx, sy + sh - 1);
  if (to.width <= 0 || to.height <= 0 || sw <= 0 || sh <= 0) return transparent;
  DcOwner sourceDc(dst);
  DcOwner maskDc(dst);
  DcOwner workDc(dst);
  ObjectOwner source(CreateCompatibleBitmap(dst, to.width, to.height));
  ObjectOwner mask(CreateBitmap(to.width, to.height, 1, 1, nullptr));
  ObjectOwner work(CreateCompatibleBitmap(dst, to.width, to.height));
  if (sourceDc.dc == nullptr || maskDc.dc == nullptr || workDc.dc == nullptr ||
      source.object == nullptr || mask.object == nullptr || work.object == nullptr) {
    return transparent;
  }
  sourceDc.Hold(source.object);
  maskDc.Hold(mask.object);
  workDc.Hold(work.object);
  SetStretchBltMode(sourceDc.dc, COLORONCOLOR);
  StretchBlt(sourceDc.dc, 0, 0, to.width, to.height, src, sx, sy, sw, sh, SRCCOPY);
  // The mask: 1 where the source has the transparent colour.
  SetBkColor(sourceDc.dc, transparent);
  BitBlt(maskDc.dc, 0, 0, to.width, to.height, sourceDc.dc, 0, 0, SRCCOPY);
  // Monochrome into colour: 0 becomes the text colour, 1 the background colour.
  for (HDC dc : {workDc.dc, sourceDc.dc}) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
  }
  BitBlt(workDc.dc, 0, 0, to.width, to.height, dst, to.x, to.y, SRCCOPY);
  BitBlt(workDc.dc, 0, 0, to.width, to.height, maskDc.dc, 0, 0, SRCAND);
  BitBlt(sourceDc.dc, 0, 0, to.width, to.height, maskDc.dc, 0, 0, 0x00220326);  // D and not S
  BitBlt(workDc.dc, 0, 0, to.width, to.height, sourceDc.dc, 0, 0, SRCPAINT);
  BitBlt(dst, to.x, to.y, to.width, to.height, workDc.dc, 0, 0, SRCCOPY);
  return transparent;
}

// One copy with a mode: the raster operations stretch when the sizes differ.
void CopyWithMode(HDC dst, const Area& to, HDC src, const Area& from, int32_t mode,
                  COLORREF* leftOut) {
  if (mode == kTransparent) {
    const COLORREF colour = TransparentCopy(dst, to, src, from.x, from.y, from.width, from.height);
    if (leftOut != nullptr) *leftOut = colour;
    return;
  }
  if (to.width == from.width && to.height == from.height) {
    BitBlt(dst, to.x, to.y, to.width, to.height, src, from.x, from.y, RasterOperation(mode));
  } else {
    SetStretchBltMode(dst, COLORONCOLOR);
    StretchBlt(dst, to.x, to.y, to.width, to.height, src, from.x, from.y, from.width, from.height,
               RasterOperation(mode));
  }
}

class Win32Graphics final : public GraphicsPlatform {
 public:
  explicit Win32Graphics(Win32Window& window) : m_window(window) {}
  // The window (a member of the host) is gone by now: the objects are only deleted.
  ~Win32Graphics() override {
    if (m_pen != nullptr) DeleteObject(m_pen);
    if (m_brush != nullptr) DeleteObject(m_brush);
  }

  void UsePen(int32_t style, int32_t width, Color color) override {
    HPEN pen = CreatePen(style, width, color);
    if (pen == nullptr) return;
    Replace(m_pen, pen);
  }

  void UseBrush(int32_t style, Color color) override {
    HGDIOBJ brush = nullptr;
    if (style == 0) {
      brush = GetStockObject(NULL_BRUSH);
    } else if (style == 1) {
      brush = CreateSolidBrush(color);
    } else {
      brush = CreateHatchBrush(style - 2, color);
    }
    if (brush == nullptr) return;
    Replace(m_brush, brush);
  }

  void SetPixel(int32_t x, int32_t y, Color color) override {
    ForEachTarget([&](HDC dc) { SetPixelV(dc, x, y, color); });
  }

  void Fill(int32_t x, int32_t y, Color border) override {
    ForEachTarget([&](HDC dc) { FloodFill(dc, x, y, border); });
  }

  void MoveTo(int32_t x, int32_t y) override {
    ForEachTarget([&](HDC dc) { MoveToEx(dc, x, y, nullptr); });
  }

  void LineTo(int32_t x, int32_t y) override {
    ForEachTarget([&](HDC dc) { ::LineTo(dc, x, y); });
  }

  void Shape(ShapeKind kind, const int32_t (&c)[8]) override {
    ForEachTarget([&](HDC dc) {
      switch (kind) {
        case ShapeKind::Line:
          MoveToEx(dc, c[0], c[1], nullptr);
          ::LineTo(dc, c[2], c[3]);
          break;
        case ShapeKind::Rectangle: Rectangle(dc, c[0], c[1], c[2], c[3]); break;
        case ShapeKind::Ellipse: Ellipse(dc, c[0], c[1], c[2], c[3]); break;
        case ShapeKind::RoundRect: RoundRect(dc, c[0], c[1], c[2], c[3], c[4], c[5]); break;
        case ShapeKind::Arc: Arc(dc, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]); break;
        case ShapeKind::Chord: Chord(dc, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]); break;
        case ShapeKind::Pie: Pie(dc, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]); break;
      }
    });
  }

  std::optional<Color> Pixel(int32_t x, int32_t y) override {
    HDC targets[2];
    const int count = m_window.DrawingTargets(targets);
    if (count == 0) return std::nullopt;
    const COLORREF colour = GetPixel(targets[count - 1], x, y);
    if (colour == CLR_INVALID) return std::nullopt;
    return static_cast<Color>(colour);
  }

  void DrawImage(const BmpImage& image, Area to, int32_t mode, Color* leftOut) override {
    if (image.pixels.empty()) return;
    const BITMAPINFO info = DibInfo(image.width, image.height);
    const std::unique_ptr<RealisedPalette> palette = PaletteFor(image);
    if (mode != kTransparent) {
      ForEachTarget([&](HDC dc) {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, to.x, to.y, to.width, to.height, 0, 0, image.width, image.height,
                      image.pixels.data(), &info, DIB_RGB_COLORS, RasterOperation(mode));
      });
      return;
    }
    // The transparent copy takes its source from a bitmap of the picture.
    void* bits = nullptr;
    HDC screen = m_window.WindowContext();
    ObjectOwner section(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (section.object == nullptr || bits == nullptr) return;
    std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
    DcOwner source(screen);
    if (source.dc == nullptr) return;
    source.Hold(section.object);
    const Area from{0, 0, image.width, image.height};
    if (leftOut != nullptr) *leftOut = FromPixel(image.At(0, image.height - 1));
    Transparently(to, [&](HDC dc) { CopyWithMode(dc, to, source.dc, from, kTransparent, nullptr); });
  }

  void CopyArea(CopySource source, Area from, Area to, int32_t mode, Color* leftOut) override {
    HDC memory = source == CopySource::MemoryBitmap ? m_window.MemoryBitmapContext() : nullptr;
    if (source == CopySource::MemoryBitmap && memory == nullptr) return;
    COLORREF colour = 0;
    // Each target copies from itself (or from the memory bitmap), so window and backing
    // bitmap stay alike even where the window is covered; a transparent copy is made in
    // the backing bitmap and shown in the window.
    auto copy = [&](HDC dc) { CopyWithMode(dc, to, memory != nullptr ? memory : dc, from, mode, &colour); };
    if (mode == kTransparent) {
      Transparently(to, copy);
    } else {
      ForEachTarget(copy);
    }
    if (leftOut != nullptr) *leftOut = colour;
  }

  bool NewMemoryBitmap(int32_t width, int32_t height) override {
    HDC screen = m_window.WindowContext();
    if (screen == nullptr) return false;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    if (bitmap == nullptr) return false;
    {
      DcOwner paint(screen);
      if (paint.dc == nullptr) {
        DeleteObject(bitmap);
        return false;
      }
      paint.Hold(bitmap);
      PatBlt(paint.dc, 0, 0, width, height, WHITENESS);
    }
    m_window.ReplaceMemoryBitmap(bitmap);
    return true;
  }

  bool LoadMemoryBitmap(const BmpImage& image) override {
    HDC screen = m_window.WindowContext();
    if (screen == nullptr || image.pixels.empty()) return false;
    const std::unique_ptr<RealisedPalette> palette = PaletteFor(image);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, image.width, image.height);
    if (bitmap == nullptr) return false;
    const BITMAPINFO info = DibInfo(image.width, image.height);
    if (SetDIBits(screen, bitmap, 0, static_cast<UINT>(image.height), image.pixels.data(), &info,
                  DIB_RGB_COLORS) == 0) {
      DeleteObject(bitmap);
      return false;
    }
    m_window.ReplaceMemoryBitmap(bitmap);
    return true;
  }

  void CopyToMemory(Area from, int32_t x, int32_t y) override {
    HDC memory = m_window.MemoryBitmapContext();
    HDC backing = m_window.BackingContext();
    if (memory == nullptr || backing == nullptr) return;
    BitBlt(memory, x, y, from.width, from.height, backing, from.x, from.y, SRCCOPY);
  }

  std::optional<BmpImage> ReadArea(Area area) override {
    HDC backing = m_window.BackingContext();
    if (backing == nullptr) return std::nullopt;
    BmpImage image;
    image.width = area.width;
    image.height = area.height;
    const BITMAPINFO info = DibInfo(area.width, area.height);
    void* bits = nullptr;
    ObjectOwner section(CreateDIBSection(backing, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (section.object == nullptr || bits == nullptr) return std::nullopt;
    {
      DcOwner copy(backing);
      if (copy.dc == nullptr) return std::nullopt;
      copy.Hold(section.object);
      // Outside the backing bitmap stays white.
      PatBlt(copy.dc, 0, 0, area.width, area.height, WHITENESS);
      BitBlt(copy.dc, 0, 0, area.width, area.height, backing, area.x, area.y, SRCCOPY);
      GdiFlush();
    }
    const auto* pixels = static_cast<const uint32_t*>(bits);
    image.pixels.assign(pixels, pixels + static_cast<size_t>(area.width) * static_cast<size_t>(area.height));
    for (uint32_t& pixel : image.pixels) pixel &= 0xFFFFFF;
    return image;
  }

  int32_t BitsPerPixel() override {
    HDC backing = m_window.BackingContext();
    if (backing == nullptr) return 24;
    return GetDeviceCaps(backing, BITSPIXEL) * GetDeviceCaps(backing, PLANES);
  }

  bool PutOnClipboard(const BmpImage& image) override {
    HDC screen = m_window.WindowContext();
    if (screen == nullptr) return false;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, image.width, image.height);
    if (bitmap == nullptr) return false;
    const BITMAPINFO info = DibInfo(image.width, image.height);
    SetDIBits(screen, bitmap, 0, static_cast<UINT>(image.height), image.pixels.data(), &info,
              DIB_RGB_COLORS);
    if (!OpenClipboard(m_window.Handle())) {
      DeleteObject(bitmap);
      return false;
    }
    EmptyClipboard();
    // The clipboard owns the bitmap once it took it.
    const bool taken = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
    CloseClipboard();
    if (!taken) DeleteObject(bitmap);
    return taken;
  }

  std::optional<BmpImage> TakeFromClipboard() override {
    if (!IsClipboardFormatAvailable(CF_BITMAP) || !OpenClipboard(m_window.Handle())) {
      return std::nullopt;
    }
    std::optional<BmpImage> image;
    if (HANDLE bitmap = GetClipboardData(CF_BITMAP)) image = PictureOf(static_cast<HBITMAP>(bitmap));
    CloseClipboard();
    return image;
  }

  bool DrawProgramIcon(std::string_view name, int32_t x, int32_t y) override {
    return DrawIconOf(LoadIconA(GetModuleHandleA(nullptr), std::string(name).c_str()), x, y);
  }

  bool DrawSystemIcon(int32_t number, int32_t x, int32_t y) override {
    return DrawIconOf(LoadIconA(nullptr, MAKEINTRESOURCEA(32512 + number)), x, y);
  }

  bool DrawModuleIcon(intptr_t module, std::string_view name, int32_t x, int32_t y) override {
    if (module == 0) return false;
    return DrawIconOf(LoadIconA(reinterpret_cast<HINSTANCE>(module), std::string(name).c_str()), x, y);
  }

  bool DrawFileIcon(std::string_view file, int32_t index, int32_t x, int32_t y) override {
    if (index < 0) return false;
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), std::string(file).c_str(),
                              static_cast<UINT>(index));
    // 1 stands for "not a program, library or icon file".
    if (reinterpret_cast<uintptr_t>(icon) <= 1) return false;
    const bool drawn = DrawIconOf(icon, x, y);
    DestroyIcon(icon);
    return drawn;
  }

  int32_t IconCount(std::string_view file) override {
    HICON count = ExtractIconA(GetModuleHandleA(nullptr), std::string(file).c_str(), UINT_MAX);
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(count));
  }

  std::optional<BmpImage> ModuleBitmap(intptr_t module, std::string_view name) override {
    if (module == 0) return std::nullopt;
    HBITMAP bitmap = LoadBitmapA(reinterpret_cast<HINSTANCE>(module), std::string(name).c_str());
    if (bitmap == nullptr) return std::nullopt;
    std::optional<BmpImage> image = PictureOf(bitmap);
    DeleteObject(bitmap);
    return image;
  }

  intptr_t MakeFont(const FontRequest& request) override {
    HFONT font = CreateFontA(request.height, request.width, request.orientation, request.orientation,
                             request.bold ? FW_BOLD : FW_NORMAL, request.italic ? TRUE : FALSE,
                             request.underline ? TRUE : FALSE, FALSE,
                             static_cast<DWORD>(request.charset), OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             request.name.c_str());
    return reinterpret_cast<intptr_t>(font);
  }

 private:
  // Runs `draw` on each drawing target with the current pen and brush selected.
  template <typename Draw>
  void ForEachTarget(Draw draw) {
    HDC targets[2];
    const int count = m_window.DrawingTargets(targets);
    for (int i = 0; i < count; ++i) {
      if (targets[i] == nullptr) continue;
      if (m_pen != nullptr) SelectObject(targets[i], m_pen);
      if (m_brush != nullptr) SelectObject(targets[i], m_brush);
      draw(targets[i]);
    }
  }

  // A transparent copy (masks, a work bitmap) is made once, into the backing bitmap, which
  // holds the whole picture even where the window is covered; the window then gets the
  // finished area in one copy. A redirected target gets it directly.
  template <typename Copy>
  void Transparently(const Area& to, Copy copy) {
    HDC targets[2] = {};
    const int count = m_window.DrawingTargets(targets);
    if (count == 2 && targets[0] != nullptr && targets[1] != nullptr &&
        targets[1] == m_window.BackingContext()) {
      copy(targets[1]);
      if (to.width > 0 && to.height > 0) {
        BitBlt(targets[0], to.x, to.y, to.width, to.height, targets[1], to.x, to.y, SRCCOPY);
      }
      return;
    }
    ForEachTarget(copy);
  }

  // Every context a pen or brush may be selected into: the window's, the backing
  // bitmap's, the memory bitmap's, and a redirection's or a page's.
  int Contexts(HDC (&all)[4]) {
    HDC targets[2] = {};
    const int count = m_window.DrawingTargets(targets);
    int n = 0;
    for (HDC dc : {m_window.WindowContext(), m_window.BackingContext(),
                   m_window.MemoryBitmap() != nullptr ? m_window.MemoryBitmapContext() : nullptr,
                   count == 1 ? targets[0] : nullptr}) {
      if (dc != nullptr) all[n++] = dc;
    }
    return n;
  }

  // The new object goes into every context before the old one is deleted (a selected
  // object cannot be deleted).
  void Replace(HGDIOBJ& slot, HGDIOBJ object) {
    HDC all[4];
    const int count = Contexts(all);
    for (int i = 0; i < count; ++i) SelectObject(all[i], object);
    Release(slot);
    slot = object;
  }

  // Contexts that still hold the object get the stock one back before it is deleted.
  void Release(HGDIOBJ& slot) {
    if (slot == nullptr) return;
    const bool pen = GetObjectType(slot) == OBJ_PEN;
    HGDIOBJ stock = GetStockObject(pen ? BLACK_PEN : WHITE_BRUSH);
    HDC all[4];
    const int count = Contexts(all);
    for (int i = 0; i < count; ++i) {
      if (GetCurrentObject(all[i], pen ? OBJ_PEN : OBJ_BRUSH) == slot) SelectObject(all[i], stock);
    }
    DeleteObject(slot);
    slot = nullptr;
  }

  // On a palette display the picture's colours are realised in the window's context
  // (and selected into the other targets) while it is drawn; the window is repainted when
  // that changed the colours it shows, unless drawing goes elsewhere. A print job's page
  // takes the pixels as they are. Nothing happens on a true-colour display.
  std::unique_ptr<RealisedPalette> PaletteFor(const BmpImage& image) {
    HDC targets[2] = {};
    const int count = m_window.DrawingTargets(targets);
    if (count == 1 && targets[0] != nullptr && GetDeviceCaps(targets[0], TECHNOLOGY) == DT_RASPRINTER) {
      return nullptr;
    }
    HDC screen = m_window.WindowContext();
    if (!UsesPalette(screen) || image.colours.empty()) return nullptr;
    auto palette = std::make_unique<RealisedPalette>(screen, image);
    for (int i = 0; i < count; ++i) palette->Also(targets[i]);
    if (palette->changed && count == 2) InvalidateRect(m_window.Handle(), nullptr, FALSE);
    return palette;
  }

  bool DrawIconOf(HICON icon, int32_t x, int32_t y) {
    if (icon == nullptr) return false;
    ForEachTarget([&](HDC dc) { DrawIcon(dc, x, y, icon); });
    return true;
  }

  Win32Window& m_window;
  HGDIOBJ m_pen = nullptr;
  HGDIOBJ m_brush = nullptr;
};

}  // namespace

void InstallGraphicsWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Graphics),
                       std::make_unique<Win32Graphics>(host.MainWindow()));
}

}  // namespace talven
