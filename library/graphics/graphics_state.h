#pragma once
// The run state of the family "graphics" and what the family "printing" shares with it:
// the size of the last bitmap, the colour the last transparent copy left out, the scaling
// of a print job.

#include <cstdint>
#include <string>

#include "engine/family.h"
#include "library/families.h"
#include "library/graphics/graphics_platform.h"

namespace talven {

struct GraphicsState : FamilyState {
  int32_t bmpWidth = 0;   // %BMPX
  int32_t bmpHeight = 0;  // %BMPY
  int32_t leftOut = 0;    // &BMPCOL, as a colour value of the current mode
};

inline GraphicsState& GraphicsOf(Engine& engine) {
  return FamilyStateOf<GraphicsState>(engine, FamilyId::Graphics);
}
inline GraphicsPlatform& GraphicsPlatformOf(Engine& engine) {
  return FamilyPlatformOf<GraphicsPlatform>(engine, FamilyId::Graphics);
}

// While a print job is open, coordinates and sizes count in tenths of the page's units: a
// value times 10, in 64 bits and clamped to what a 32-bit coordinate holds.
int32_t PrintScaled(int64_t value);

// A colour of the platform as the program reads it: as it is in true-colour mode, else
// re-encoded into the reduced mode's three 5-bit components.
int32_t ColourValue(Color color, bool trueColor);

// Reads a BMP file: its picture, or an empty one when the file is missing, too large or
// refused by the reader.
bool LoadBmpFile(const std::string& name, BmpImage& image);

}  // namespace talven
