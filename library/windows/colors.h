#pragma once
// Colour values of the language and the colours Windows takes.

#include <cstdint>

#include "library/windows/window_platform.h"

namespace talven {

// True-colour mode uses a value as it is (red in the low byte). The reduced mode packs three
// 5-bit components, red + 32 * green + 1024 * blue; a component c becomes 8c + 7 (0 stays 0).
inline Color ConvertColor(int32_t value, bool trueColor) {
  const uint32_t bits = static_cast<uint32_t>(value);
  if (trueColor) return bits & 0xFFFFFF;
  auto expand = [](uint32_t c) -> uint32_t { return c == 0 ? 0 : 8 * c + 7; };
  const uint32_t red = expand(bits & 31);
  const uint32_t green = expand((bits >> 5) & 31);
  const uint32_t blue = expand((bits >> 10) & 31);
  return red | (green << 8) | (blue << 16);
}

}  // namespace talven
