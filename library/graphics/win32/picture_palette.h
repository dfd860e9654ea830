#pragma once
// Pictures on palette displays: the logical palette of a picture's colour table, selected
// and realised in the window's context while the picture is drawn or turned into a
// device-dependent bitmap, and the old palette restored afterwards.

#include <windows.h>

#include <utility>
#include <vector>

#include "library/graphics/bmp_format.h"

namespace talven {

// The picture's palette (PaletteColours); nullptr when it has no colour table. The
// caller deletes it.
HPALETTE MakePicturePalette(const BmpImage& image);

// True when `dc` draws through a palette (an 8-bit display).
bool UsesPalette(HDC dc);

// While it lives, the picture's palette is selected and realised in `dc` (only on a
// palette device, and only for a picture with a colour table). `changed` tells whether
// realising changed the system palette's colours.
class RealisedPalette {
 public:
  RealisedPalette(HDC dc, const BmpImage& image);
  ~RealisedPalette();
  RealisedPalette(const RealisedPalette&) = delete;
  RealisedPalette& operator=(const RealisedPalette&) = delete;

  // Another context the picture is drawn into (a bitmap's) maps its colours through the
  // same palette, in the background, until the end.
  void Also(HDC dc);

  bool changed = false;

 private:
  HPALETTE m_palette = nullptr;
  // Each context the palette went into, with the palette it had before.
  std::vector<std::pair<HDC, HPALETTE>> m_selected;
};

}  // namespace talven
