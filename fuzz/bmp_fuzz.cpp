// libFuzzer target: the BMP reader on any bytes (header validation, colour tables, bit
// fields, run-length streams); a picture it accepts is written again and must read back
// to the same pixels.

#include <cstddef>
#include <cstdint>
#include <span>

#include "library/graphics/bmp_format.h"

using namespace talven;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BmpImage image;
  // A lower pixel limit keeps each input fast; the checks are the same.
  if (ReadBmp(std::span<const uint8_t>(data, size), image, uint64_t{1} << 20) != BmpError::None) {
    if (!image.pixels.empty()) __builtin_trap();
    return 0;
  }
  if (image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
    __builtin_trap();
  }
  for (int32_t bits : {24, 32}) {
    BmpImage back;
    if (ReadBmp(WriteBmp(image, bits), back, uint64_t{1} << 20) != BmpError::None) __builtin_trap();
    if (back.pixels != image.pixels) __builtin_trap();
  }
  return 0;
}
