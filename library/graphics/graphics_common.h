#pragma once
// What the handler files of the family "graphics" share (not for other families).

#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "library/graphics/graphics_state.h"

namespace talven::graphics {

// Drawing needs a target: the window (made on first use, as any output makes it), a paint
// redirection or a print job. False (237 raised) where the program can have no window.
bool RequireTarget(Engine& engine);
// The bitmap commands other than the loaders are refused while a print job is open (221
// with the command's name). True when refused.
bool RefusedWhilePrinting(Engine& engine);
bool Printing(Engine& engine);
// A coordinate or size as drawn: times 10 while printing.
int32_t Scale(Engine& engine, int32_t value);
// A mode as the platform takes it: -1 transparent, 1..4 the raster operations, every other
// value (other negative ones too) a plain copy.
int32_t NormalMode(int32_t mode);
// The optional "; mode" at the end of the parameter text (0 when absent).
int32_t ReadMode(Engine& engine);
// A string (file or resource name) up to the separator.
std::string ReadText(Engine& engine, std::string_view separator, bool fileName);
// After a transparent copy: &BMPCOL is the colour it left out.
void NoteLeftOut(Engine& engine, Color colour);

}  // namespace talven::graphics
