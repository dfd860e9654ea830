// Bitmaps and icons: LOADBMP, LOADSIZEDBMP, DRAWEXTBMP, DRAWSIZEDEXTBMP, COPYBMP,
// COPYSIZEDBMP, the memory bitmap (MCLS, MLOADBMP, MCOPYBMP, MCOPYSIZEDBMP, COPYBMPTOMEM),
// SAVEBMP, SAVEBMPTOCLIP, CLIPLOADBMP; DRAWICON, DRAWSYSICON, DRAWEXTICON, DRAWLIBICON and
// DRAWPROGICON; @ICONCOUNT, %BMPX, %BMPY, &BMPCOL.

#include <cstdio>

#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "library/graphics/graphics_common.h"
#include "library/graphics/statements.h"
#include "library/windows/window_state.h"

namespace talven {

using namespace graphics;

namespace {

constexpr char kMemoryBitmapName[] = "Memory Bitmap";
constexpr int32_t kHighestSystemIcon = 4;

// x, y - width, height (the last one ending at `last`).
Area ReadArea(Engine& engine, std::string_view last) {
  Area area;
  area.x = EvaluateInteger(engine, ",");
  area.y = EvaluateInteger(engine, "-");
  area.width = EvaluateInteger(engine, ",");
  area.height = EvaluateInteger(engine, last);
  return area;
}

// "x, y ;" or, sized, "x, y - w, h ;": where a picture or an area goes; `width` and
// `height` stand unless the size is given.
Area ReadDestination(Engine& engine, bool sized, int32_t width, int32_t height) {
  Area to{EvaluateInteger(engine, ","), 0, width, height};
  if (sized) {
    to.y = EvaluateInteger(engine, "-");
    to.width = EvaluateInteger(engine, ",");
    to.height = EvaluateInteger(engine, ";");
  } else {
    to.y = EvaluateInteger(engine, ";");
  }
  return to;
}

// Draws a loaded picture at `to` (a size of -1 meaning the picture's own) with the mode,
// and makes its size %BMPX and %BMPY. A print job gets the pixels straight onto the page,
// ten times the coordinates and sizes.
void DrawPicture(Engine& engine, const BmpImage& image, Area to, int32_t mode,
                 std::string_view name) {
  GraphicsState& state = GraphicsOf(engine);
  state.bmpWidth = image.width;
  state.bmpHeight = image.height;
  if (mode == kTransparent && image.pixels.empty()) {
    Warn(engine, ErrorCode::BitmapNotLoadable, name);
    return;
  }
  if (to.width < 0) to.width = image.width;
  if (to.height < 0) to.height = image.height;
  if (Printing(engine)) {
    to = Area{PrintScaled(to.x), PrintScaled(to.y), PrintScaled(to.width), PrintScaled(to.height)};
    mode = 0;
  }
  Color leftOut = 0;
  GraphicsPlatformOf(engine).DrawImage(image, to, mode, &leftOut);
  if (mode == kTransparent) NoteLeftOut(engine, leftOut);
}

void LoadAndDraw(Engine& engine, bool sized) {
  engine.handled = true;
  const std::string file = ReadText(engine, ",", true);
  const Area to = ReadDestination(engine, sized, -1, -1);
  const int32_t mode = ReadMode(engine);
  if (!RequireTarget(engine)) return;
  BmpImage image;
  if (!LoadBmpFile(file, image)) {
    Warn(engine, ErrorCode::BitmapNotLoadable, file);
    return;
  }
  DrawPicture(engine, image, to, mode, file);
}

void ModuleBitmap(Engine& engine, bool sized) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const intptr_t module = static_cast<intptr_t>(EvaluateInteger(engine, ","));
  const std::string name = ReadText(engine, ",", false);
  const Area to = ReadDestination(engine, sized, -1, -1);
  const int32_t mode = ReadMode(engine);
  if (!RequireTarget(engine)) return;
  const std::optional<BmpImage> image = GraphicsPlatformOf(engine).ModuleBitmap(module, name);
  if (!image) {
    Warn(engine, ErrorCode::BitmapNotLoadable, name);
    return;
  }
  DrawPicture(engine, *image, to, mode, name);
}

// x1, y1 - w1, h1 > x2, y2 [- w2, h2] ; mode: the area copies.
void AreaCopy(Engine& engine, CopySource source, bool sized) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const Area from = ReadArea(engine, ">");
  const Area to = ReadDestination(engine, sized, from.width, from.height);
  const int32_t mode = ReadMode(engine);
  if (!RequireTarget(engine)) return;
  Color leftOut = 0;
  GraphicsPlatformOf(engine).CopyArea(source, from, to, mode, &leftOut);
  if (mode == kTransparent) NoteLeftOut(engine, leftOut);
}

bool IconPoint(Engine& engine, int32_t& x, int32_t& y) {
  x = EvaluateInteger(engine, ",");
  y = EvaluateInteger(engine, ",");
  return RequireTarget(engine);
}

}  // namespace

void StmtLoadBmp(Engine& engine) { LoadAndDraw(engine, false); }
void StmtLoadSizedBmp(Engine& engine) { LoadAndDraw(engine, true); }
void StmtDrawExtBmp(Engine& engine) { ModuleBitmap(engine, false); }
void StmtDrawSizedExtBmp(Engine& engine) { ModuleBitmap(engine, true); }
void StmtCopyBmp(Engine& engine) { AreaCopy(engine, CopySource::Targets, false); }
void StmtCopySizedBmp(Engine& engine) { AreaCopy(engine, CopySource::Targets, true); }
void StmtMCopyBmp(Engine& engine) { AreaCopy(engine, CopySource::MemoryBitmap, false); }
void StmtMCopySizedBmp(Engine& engine) { AreaCopy(engine, CopySource::MemoryBitmap, true); }

// MCLS width, height: a new white memory bitmap. Mended: a size below 1 or beyond what a
// picture may have is refused (228) before the platform is asked, and the old bitmap stays.
void StmtMCls(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const int32_t width = EvaluateInteger(engine, ",");
  const int32_t height = EvaluateInteger(engine, ",");
  if (!RequireTarget(engine)) return;
  const bool fits = width >= 1 && height >= 1 &&
                    static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxBmpPixels;
  if (!fits || !GraphicsPlatformOf(engine).NewMemoryBitmap(width, height)) {
    Warn(engine, ErrorCode::BitmapNotLoadable, kMemoryBitmapName);
  }
}

void StmtMLoadBmp(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const std::string file = ReadText(engine, ",", true);
  if (!RequireTarget(engine)) return;
  BmpImage image;
  if (!LoadBmpFile(file, image) || !GraphicsPlatformOf(engine).LoadMemoryBitmap(image)) {
    Warn(engine, ErrorCode::BitmapNotLoadable, file);
    return;
  }
  GraphicsOf(engine).bmpWidth = image.width;
  GraphicsOf(engine).bmpHeight = image.height;
}

// COPYBMPTOMEM x1, y1 - width, height > x2, y2: from the window into the memory bitmap.
void StmtCopyBmpToMem(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const Area from = ReadArea(engine, ">");
  const int32_t x = EvaluateInteger(engine, ",");
  const int32_t y = EvaluateInteger(engine, ",");
  if (RequireTarget(engine)) GraphicsPlatformOf(engine).CopyToMemory(from, x, y);
}

// SAVEBMP file, x, y - width, height: the area of the backing bitmap as a BMP file in the
// bitmap's depth. Mended: the file is written beside the old one under another name and
// renamed over it only when it is complete, so a failed save keeps the old file; an empty
// area is refused (229).
void StmtSaveBmp(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const std::string file = ReadText(engine, ",", true);
  const Area area = ReadArea(engine, ",");
  if (!RequireTarget(engine)) return;
  GraphicsState& state = GraphicsOf(engine);
  state.bmpWidth = area.width;
  state.bmpHeight = area.height;
  GraphicsPlatform& platform = GraphicsPlatformOf(engine);
  std::optional<BmpImage> image;
  if (area.width >= 1 && area.height >= 1 &&
      static_cast<uint64_t>(area.width) * static_cast<uint64_t>(area.height) <= kMaxBmpPixels) {
    image = platform.ReadArea(area);
  }
  bool saved = false;
  if (image) {
    const std::vector<uint8_t> bytes = WriteBmp(*image, platform.BitsPerPixel());
    const std::string temporary = file + ".$$$";
    if (std::FILE* out = std::fopen(temporary.c_str(), "wb")) {
      const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
      saved = (std::fclose(out) == 0) && written;
      // Renaming does not replace a file everywhere: then the old one goes first.
      if (saved && std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(file.c_str());
        saved = std::rename(temporary.c_str(), file.c_str()) == 0;
      }
      if (!saved) std::remove(temporary.c_str());
    }
  }
  if (!saved) Warn(engine, ErrorCode::BitmapNotSaved, file);
}

void StmtSaveBmpToClip(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const Area area = ReadArea(engine, ",");
  if (!RequireTarget(engine)) return;
  if (area.width < 1 || area.height < 1 ||
      static_cast<uint64_t>(area.width) * static_cast<uint64_t>(area.height) > kMaxBmpPixels) {
    return;
  }
  GraphicsPlatform& platform = GraphicsPlatformOf(engine);
  if (std::optional<BmpImage> image = platform.ReadArea(area)) platform.PutOnClipboard(*image);
}

// CLIPLOADBMP x, y ; mode: the clipboard's bitmap; nothing when it holds none.
void StmtClipLoadBmp(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  Area to{EvaluateInteger(engine, ","), EvaluateInteger(engine, ";"), -1, -1};
  const int32_t mode = ReadMode(engine);
  if (!RequireTarget(engine)) return;
  if (std::optional<BmpImage> image = GraphicsPlatformOf(engine).TakeFromClipboard()) {
    DrawPicture(engine, *image, to, mode, "Clipboard");
  }
}

void StmtDrawIcon(Engine& engine) {
  engine.handled = true;
  const std::string name = ReadText(engine, ",", false);
  int32_t x = 0;
  int32_t y = 0;
  if (!IconPoint(engine, x, y)) return;
  if (!GraphicsPlatformOf(engine).DrawProgramIcon(name, x, y)) {
    Warn(engine, ErrorCode::IconMissing, name);
  }
}

// DRAWSYSICON n, x, y: the system icons 0..4 only. Mended: the range is checked, since
// 32512 + 5 is a system icon as well.
void StmtDrawSysIcon(Engine& engine) {
  engine.handled = true;
  const int32_t number = EvaluateInteger(engine, ",");
  int32_t x = 0;
  int32_t y = 0;
  if (!IconPoint(engine, x, y)) return;
  if (number < 0 || number > kHighestSystemIcon ||
      !GraphicsPlatformOf(engine).DrawSystemIcon(number, x, y)) {
    Warn(engine, ErrorCode::IconNumberOutOfRange);
  }
}

void StmtDrawExtIcon(Engine& engine) {
  engine.handled = true;
  const intptr_t module = static_cast<intptr_t>(EvaluateInteger(engine, ","));
  const std::string name = ReadText(engine, ",", false);
  int32_t x = 0;
  int32_t y = 0;
  if (!IconPoint(engine, x, y)) return;
  if (!GraphicsPlatformOf(engine).DrawModuleIcon(module, name, x, y)) {
    Warn(engine, ErrorCode::IconMissing, name);
  }
}

// DRAWLIBICON, DRAWPROGICON file, index, x, y: a file without that icon draws nothing.
void StmtDrawLibIcon(Engine& engine) {
  engine.handled = true;
  const std::string file = ReadText(engine, ",", true);
  const int32_t index = EvaluateInteger(engine, ",");
  int32_t x = 0;
  int32_t y = 0;
  if (!IconPoint(engine, x, y)) return;
  GraphicsPlatformOf(engine).DrawFileIcon(file, index, x, y);
}

void FnIconCount(Engine& engine, std::string_view) {
  const std::string file = ArgString(engine);
  ResultInteger(engine, GraphicsPlatformOf(engine).IconCount(file));
}

void ReadBmpWidth(Engine& engine, std::string_view) { ResultInteger(engine, GraphicsOf(engine).bmpWidth); }
void ReadBmpHeight(Engine& engine, std::string_view) { ResultInteger(engine, GraphicsOf(engine).bmpHeight); }
void ReadBmpColour(Engine& engine, std::string_view) { ResultLong(engine, GraphicsOf(engine).leftOut); }

}  // namespace talven
