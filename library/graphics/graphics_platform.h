#pragma once
// What drawing needs from the platform: pens and brushes, shapes, pixels, icons, bitmaps
// and the memory bitmap, the clipboard. Everything draws into the output window's current
// targets (the window with its backing bitmap, a STARTPAINT redirection, or a print job's
// page). win32/ implements it on the window's device contexts; the default records.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/family.h"
#include "library/graphics/bmp_format.h"
#include "library/windows/window_platform.h"

namespace talven {

struct Area {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

enum class ShapeKind { Line, Rectangle, Ellipse, RoundRect, Arc, Chord, Pie };

// Where an area copy takes its pixels: the drawing targets themselves (each from itself),
// or the memory bitmap.
enum class CopySource { Targets, MemoryBitmap };

// The bitmap modes: 0 copy, 1 and, 2 or, 3 exclusive or, 4 invert the destination, other
// non-negative codes copy; -1 copies without the colour of the source's bottom-left pixel.
inline constexpr int32_t kTransparent = -1;

class GraphicsPlatform : public FamilyPlatform {
 public:
  // USEPEN / USEBRUSH: the new object replaces (and deletes) the previous one in every
  // context.
  virtual void UsePen(int32_t style, int32_t width, Color color) = 0;
  virtual void UseBrush(int32_t style, Color color) = 0;
  virtual void SetPixel(int32_t x, int32_t y, Color color) = 0;
  // Flood fill with the current brush up to the border colour.
  virtual void Fill(int32_t x, int32_t y, Color border) = 0;
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  virtual void LineTo(int32_t x, int32_t y) = 0;
  // The box x1, y1 - x2, y2 in c[0..3]; ROUNDRECT's corner in c[4..5]; ARC, CHORD and PIE's
  // two radial points in c[4..7].
  virtual void Shape(ShapeKind kind, const int32_t (&c)[8]) = 0;
  // The colour at a point of the backing bitmap (or the redirected target); nullopt where
  // there is none (outside, or no target).
  virtual std::optional<Color> Pixel(int32_t x, int32_t y) = 0;

  // A picture into the targets at `to` (its size scales it). The colour a transparent
  // copy left out goes to `leftOut`.
  virtual void DrawImage(const BmpImage& image, Area to, int32_t mode, Color* leftOut) = 0;
  // Copies an area into the targets; a different size stretches.
  virtual void CopyArea(CopySource source, Area from, Area to, int32_t mode, Color* leftOut) = 0;
  // MCLS: a new white memory bitmap; false (the old one kept) when it cannot be made.
  virtual bool NewMemoryBitmap(int32_t width, int32_t height) = 0;
  virtual bool LoadMemoryBitmap(const BmpImage& image) = 0;
  // COPYBMPTOMEM: from the window's backing bitmap into the memory bitmap.
  virtual void CopyToMemory(Area from, int32_t x, int32_t y) = 0;
  // The area of the backing bitmap (SAVEBMP, SAVEBMPTOCLIP); nullopt when unreadable.
  virtual std::optional<BmpImage> ReadArea(Area area) = 0;
  // The depth SAVEBMP writes: the backing bitmap's bits per pixel.
  virtual int32_t BitsPerPixel() = 0;
  virtual bool PutOnClipboard(const BmpImage& image) = 0;
  virtual std::optional<BmpImage> TakeFromClipboard() = 0;

  // Icons: of the program (DRAWICON), the system's 32512 + n (DRAWSYSICON), of a loaded
  // module (DRAWEXTICON), number `index` of a program or library file (DRAWLIBICON);
  // false when there is none.
  virtual bool DrawProgramIcon(std::string_view name, int32_t x, int32_t y) = 0;
  virtual bool DrawSystemIcon(int32_t number, int32_t x, int32_t y) = 0;
  virtual bool DrawModuleIcon(intptr_t module, std::string_view name, int32_t x, int32_t y) = 0;
  virtual bool DrawFileIcon(std::string_view file, int32_t index, int32_t x, int32_t y) = 0;
  virtual int32_t IconCount(std::string_view file) = 0;
  // A bitmap resource of a loaded module as a picture; nullopt when there is none.
  virtual std::optional<BmpImage> ModuleBitmap(intptr_t module, std::string_view name) = 0;
  // @CREATEFONT: a font made like USEFONT's, not selected; 0 when none.
  virtual intptr_t MakeFont(const FontRequest& request) = 0;
};

// The default: remembers what was asked, one line per call, for the in-process tests.
class RecordingGraphics : public GraphicsPlatform {
 public:
  void UsePen(int32_t style, int32_t width, Color color) override;
  void UseBrush(int32_t style, Color color) override;
  void SetPixel(int32_t x, int32_t y, Color color) override;
  void Fill(int32_t x, int32_t y, Color border) override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void Shape(ShapeKind kind, const int32_t (&c)[8]) override;
  std::optional<Color> Pixel(int32_t x, int32_t y) override;
  void DrawImage(const BmpImage& image, Area to, int32_t mode, Color* leftOut) override;
  void CopyArea(CopySource source, Area from, Area to, int32_t mode, Color* leftOut) override;
  bool NewMemoryBitmap(int32_t width, int32_t height) override;
  bool LoadMemoryBitmap(const BmpImage& image) override;
  void CopyToMemory(Area from, int32_t x, int32_t y) override;
  std::optional<BmpImage> ReadArea(Area area) override;
  int32_t BitsPerPixel() override { return 24; }
  bool PutOnClipboard(const BmpImage& image) override;
  std::optional<BmpImage> TakeFromClipboard() override;
  bool DrawProgramIcon(std::string_view name, int32_t x, int32_t y) override;
  bool DrawSystemIcon(int32_t number, int32_t x, int32_t y) override;
  bool DrawModuleIcon(intptr_t, std::string_view, int32_t, int32_t) override { return false; }
  bool DrawFileIcon(std::string_view, int32_t, int32_t, int32_t) override { return false; }
  int32_t IconCount(std::string_view) override { return 0; }
  std::optional<BmpImage> ModuleBitmap(intptr_t, std::string_view) override { return std::nullopt; }
  intptr_t MakeFont(const FontRequest& request) override;

  std::vector<std::string> log;
  // What Pixel answers: a colour for every point, or none.
  std::optional<Color> pixel = 0xFFFFFF;
  std::optional<BmpImage> clipboard;
  intptr_t nextFont = 100;
};

}  // namespace talven
