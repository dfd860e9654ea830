#pragma once
// BMP files: a validating reader (files are untrusted input) that decodes every layout it
// accepts into 32-bit pixels, and the writer of SAVEBMP. Pure: no I/O, no exceptions.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace talven {

// A picture as the drawing platform takes it: rows top-down, each pixel 0x00RRGGBB (the
// byte order of a 32-bit device-independent bitmap).
struct BmpImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
  // The file's colour table (0x00RRGGBB, at most kMaxTableColours entries kept): what a
  // palette display realises before the picture is drawn. Empty for pictures without one.
  std::vector<uint32_t> colours;

  uint32_t At(int32_t x, int32_t y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

// Why a file was refused (every reason ends as error 228 for the program).
enum class BmpError {
  None,
  TooLarge,         // more than kMaxBmpFileBytes, or more pixels than the caller allows
  Truncated,        // shorter than the two headers
  Signature,        // not "BM"
  HeaderSize,       // not a 40-, 108- or 124-byte information header
  Planes,
  BitCount,
  Compression,      // unknown, or not matching the depth
  Dimensions,       // width < 1, height 0, top-down RLE
  ColourTable,      // more entries than the depth has, or outside the file
  PixelOffset,      // outside the file
  PixelData,        // fewer bytes than the rows need
  RunLength,        // a run-length stream that leaves the bitmap or its data
};

inline constexpr size_t kMaxBmpFileBytes = 64u * 1024 * 1024;
// The most pixels a picture may decode into (128 MB of pixels).
inline constexpr uint64_t kMaxBmpPixels = uint64_t{1} << 25;

// The most colours a logical palette of a picture holds (that of 8 bits).
inline constexpr size_t kMaxTableColours = 256;

// The colours of the palette a picture is drawn through on a palette display: its colour
// table in order, each colour once. Empty when the picture has no table (the display's
// own palette serves then).
std::vector<uint32_t> PaletteColours(const BmpImage& image);

// Reads a whole BMP file. On success `image` holds the picture; on failure it is empty.
BmpError ReadBmp(std::span<const uint8_t> file, BmpImage& image,
                 uint64_t maxPixels = kMaxBmpPixels);

// Writes `image` as a BMP file: 14- and 40-byte headers, no compression, rows bottom-up
// padded to 4 bytes, 16 (5-5-5), 24 or 32 bits per pixel (other depths are written with
// 24); the file-size field is the file's size.
std::vector<uint8_t> WriteBmp(const BmpImage& image, int32_t bitsPerPixel);

}  // namespace talven
