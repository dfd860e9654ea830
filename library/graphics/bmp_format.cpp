// The BMP reader checks every field a drawing would trust before a single pixel is read:
// the information header's size, planes, depth and compression, the dimensions, the colour
// table and the pixel rows against the bytes the file really has, all in 64-bit arithmetic
// (13325 x 80581 at 32 bits wraps to 4 bytes in 32). Whatever it accepts it decodes into
// 32-bit pixels, so the platform never sees a run-length stream or a bit mask.

#include "library/graphics/bmp_format.h"

#include <algorithm>

#include "common/bytes.h"

namespace talven {

namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;

// One channel of a bit-field pixel: where its mask starts and how wide it is.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (mask == 0) return;
    while (((mask >> shift) & 1) == 0) ++shift;
    while (shift + width < 32 && ((mask >> (shift + width)) & 1) != 0) ++width;
  }
  // The channel scaled to 8 bits (a 5-bit 31 becomes 255).
  uint32_t Expand(uint32_t pixel) const {
    if (width == 0) return 0;
    // A mask with gaps counts only its lowest run of bits.
    const uint32_t top = (width >= 32) ? 0xFFFFFFFFu : ((1u << width) - 1);
    const uint32_t value = ((pixel & mask) >> shift) & top;
    return static_cast<uint32_t>((static_cast<uint64_t>(value) * 255 + top / 2) / top);
  }
};

struct Layout {
  int32_t width = 0;
  int32_t height = 0;  // rows, always positive here
  bool topDown = false;
  uint32_t bits = 0;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;
  uint32_t masks[3] = {};
  size_t pixelOffset = 0;
};

uint32_t PaletteColour(const Layout& layout, uint32_t index) {
  // An index past the table reads as black.
  return index < layout.palette.size() ? layout.palette[index] : 0;
}

// The row of the image that the file's row `fileRow` (in file order) fills.
size_t ImageRow(const Layout& layout, int64_t fileRow) {
  return static_cast<size_t>(layout.topDown ? fileRow : layout.height - 1 - fileRow);
}

void DecodeRows(std::span<const uint8_t> file, const Layout& layout, uint64_t stride,
                BmpImage& image) {
  const Channel red(layout.masks[0]);
  const Channel green(layout.masks[1]);
  const Channel blue(layout.masks[2]);
  const size_t width = static_cast<size_t>(layout.width);
  for (int64_t fileRow = 0; fileRow < layout.height; ++fileRow) {
    const uint8_t* row = file.data() + layout.pixelOffset + static_cast<size_t>(fileRow) * stride;
    uint32_t* out = image.pixels.data() + ImageRow(layout, fileRow) * width;
    for (size_t x = 0; x < width; ++x) {
      uint32_t colour = 0;
      switch (layout.bits) {
        case 1: colour = PaletteColour(layout, (row[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: colour = PaletteColour(layout, (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15); break;
        case 8: colour = PaletteColour(layout, row[x]); break;
        case 16: {
          const uint32_t pixel = GetLittle16(row + 2 * x);
          colour = (red.Expand(pixel) << 16) | (green.Expand(pixel) << 8) | blue.Expand(pixel);
          break;
        }
        case 24: colour = row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16); break;
        default: {
          const uint32_t pixel = GetLittle32(row + 4 * x);
          colour = (red.Expand(pixel) << 16) | (green.Expand(pixel) << 8) | blue.Expand(pixel);
          break;
        }
      }
      out[x] = colour;
    }
  }
}

// Run-length streams (8 and 4 bits, always bottom-up). A run that reaches past the row's
// end is clipped there, as the system's own decoder does (some writers pad rows with a
// run); a run or a delta that leaves the bitmap's rows, or an absolute run that leaves
// the data, refuses the file. A stream that stops without its end mark keeps what it drew.
bool DecodeRunLength(std::span<const uint8_t> file, const Layout& layout, BmpImage& image) {
  const bool four = layout.bits == 4;
  const size_t width = static_cast<size_t>(layout.width);
  size_t pos = layout.pixelOffset;
  int64_t x = 0;
  int64_t y = 0;  // file row, from the bottom
  std::fill(image.pixels.begin(), image.pixels.end(), PaletteColour(layout, 0));
  auto put = [&](uint32_t index) -> bool {
    if (y >= layout.height) return false;
    if (x < layout.width) {
      image.pixels[ImageRow(layout, y) * width + static_cast<size_t>(x)] = PaletteColour(layout, index);
    }
    ++x;
    return true;
  };
  while (pos + 2 <= file.size()) {
    const uint8_t count = file[pos];
    const uint8_t value = file[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) {
        const uint32_t index = four ? ((i % 2 == 0) ? (value >> 4) : (value & 15)) : value;
        if (!put(index)) return false;
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
      continue;
    }
    if (value == 1) return true;  // end of bitmap
    if (value == 2) {             // delta
      if (pos + 2 > file.size()) return false;
      x += file[pos];
      y += file[pos + 1];
      pos += 2;
      if (y > layout.height || (y == layout.height && x > 0)) return false;
      continue;
    }
    // An absolute run of `value` pixels, padded to a 16-bit boundary.
    const size_t bytes = four ? (value + 1u) / 2 : value;
    const size_t padded = (bytes + 1) & ~size_t{1};
    if (pos + bytes > file.size()) return false;
    for (int i = 0; i < value; ++i) {
      const uint8_t byte = file[pos + (four ? i / 2 : i)];
      const uint32_t index = four ? ((i % 2 == 0) ? (byte >> 4) : (byte & 15)) : byte;
      if (!put(index)) return false;
    }
    pos += std::min(padded, file.size() - pos);
  }
  return true;
}

}  // namespace

BmpError ReadBmp(std::span<const uint8_t> file, BmpImage& image, uint64_t maxPixels) {
  image = BmpImage{};
  if (file.size() > kMaxBmpFileBytes) return BmpError::TooLarge;
  if (file.size() < kFileHeader + kInfoHeader) return BmpError::Truncated;
  if (file[0] != 'B' || file[1] != 'M') return BmpError::Signature;
  const uint8_t* info = file.data() + kFileHeader;
  const uint32_t headerSize = GetLittle32(info);
  // The 108- and 124-byte headers of later writers begin with the same 40 bytes.
  if (headerSize != 40 && headerSize != 108 && headerSize != 124) return BmpError::HeaderSize;
  if (kFileHeader + headerSize > file.size()) return BmpError::Truncated;

  Layout layout;
  const int32_t width = static_cast<int32_t>(GetLittle32(info + 4));
  const int32_t height = static_cast<int32_t>(GetLittle32(info + 8));
  const uint16_t planes = GetLittle16(info + 12);
  layout.bits = GetLittle16(info + 14);
  layout.compression = GetLittle32(info + 16);
  const uint32_t coloursUsed = GetLittle32(info + 32);
  if (planes != 1) return BmpError::Planes;
  switch (layout.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return BmpError::BitCount;
  }
  const uint32_t c = layout.compression;
  const bool compressionFits = c == kRgb || (c == kRle8 && layout.bits == 8) ||
                               (c == kRle4 && layout.bits == 4) ||
                               (c == kBitFields && (layout.bits == 16 || layout.bits == 32));
  if (!compressionFits) return BmpError::Compression;
  if (width < 1 || height == 0 || height == INT32_MIN) return BmpError::Dimensions;
  layout.width = width;
  layout.topDown = height < 0;
  layout.height = height < 0 ? -height : height;
  if (layout.topDown && (c == kRle8 || c == kRle4)) return BmpError::Dimensions;
  if (static_cast<uint64_t>(layout.width) * static_cast<uint64_t>(layout.height) > maxPixels) {
    return BmpError::TooLarge;
  }

  // Bit masks: behind a 40-byte header, inside the longer ones.
  size_t tableStart = kFileHeader + headerSize;
  if (c == kBitFields) {
    const size_t maskStart = kFileHeader + kInfoHeader;
    if (headerSize == kInfoHeader) tableStart += 12;
    if (maskStart + 12 > file.size()) return BmpError::ColourTable;
    for (int i = 0; i < 3; ++i) layout.masks[i] = GetLittle32(file.data() + maskStart + 4 * i);
  } else if (layout.bits == 16) {
    layout.masks[0] = 0x7C00;
    layout.masks[1] = 0x03E0;
    layout.masks[2] = 0x001F;
  } else if (layout.bits == 32) {
    layout.masks[0] = 0xFF0000;
    layout.masks[1] = 0x00FF00;
    layout.masks[2] = 0x0000FF;
  }

  // The colour table: for 1, 4 and 8 bits its entries (all the depth has when the count is
  // 0); deeper pictures may carry one they do not use, which is checked and passed over.
  uint64_t entries = coloursUsed;
  if (layout.bits <= 8) {
    const uint64_t most = uint64_t{1} << layout.bits;
    if (entries == 0) entries = most;
    if (entries > most) return BmpError::ColourTable;
  } else if (entries > (uint64_t{1} << 24)) {
    return BmpError::ColourTable;
  }
  if (tableStart + entries * 4 > file.size()) return BmpError::ColourTable;
  // A deeper picture's table only suggests the colours of a palette: its first ones are
  // kept for that.
  layout.palette.resize(static_cast<size_t>(std::min<uint64_t>(entries, kMaxTableColours)));
  for (size_t i = 0; i < layout.palette.size(); ++i) {
    const uint8_t* quad = file.data() + tableStart + 4 * i;
    layout.palette[i] = quad[0] | (quad[1] << 8) | (quad[2] << 16);
  }

  layout.pixelOffset = GetLittle32(file.data() + 10);
  if (layout.pixelOffset >= file.size()) return BmpError::PixelOffset;
  image.width = layout.width;
  image.height = layout.height;
  image.colours = layout.palette;
  if (c == kRle8 || c == kRle4) {
    image.pixels.resize(static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height));
    if (!DecodeRunLength(file, layout, image)) {
      image = BmpImage{};
      return BmpError::RunLength;
    }
    return BmpError::None;
  }
  const uint64_t stride = ((static_cast<uint64_t>(layout.width) * layout.bits + 31) / 32) * 4;
  if (stride * static_cast<uint64_t>(layout.height) > file.size() - layout.pixelOffset) {
    image = BmpImage{};
    return BmpError::PixelData;
  }
  image.pixels.resize(static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height));
  DecodeRows(file, layout, stride, image);
  return BmpError::None;
}

std::vector<uint32_t> PaletteColours(const BmpImage& image) {
  std::vector<uint32_t> colours;
  for (const uint32_t colour : image.colours) {
    if (colours.size() == kMaxTableColours) break;
    if (std::find(colours.begin(), colours.end(), colour & 0xFFFFFF) == colours.end()) {
      colours.push_back(colour & 0xFFFFFF);
    }
  }
  return colours;
}

std::vector<uint8_t> WriteBmp(const BmpImage& image, int32_t bitsPerPixel) {
  const uint32_t bits = (bitsPerPixel == 16 || bitsPerPixel == 32) ? bitsPerPixel : 24;
  const size_t width = static_cast<size_t>(std::max(image.width, 0));
  const size_t height = static_cast<size_t>(std::max(image.height, 0));
  const size_t stride = ((width * bits + 31) / 32) * 4;
  const size_t offset = kFileHeader + kInfoHeader;
  std::vector<uint8_t> file(offset + stride * height, 0);
  uint8_t* p = file.data();
  p[0] = 'B';
  p[1] = 'M';
  PutLittle32(p + 2, static_cast<uint32_t>(file.size()));
  PutLittle32(p + 10, static_cast<uint32_t>(offset));
  uint8_t* info = p + kFileHeader;
  PutLittle32(info, kInfoHeader);
  PutLittle32(info + 4, static_cast<uint32_t>(width));
  PutLittle32(info + 8, static_cast<uint32_t>(height));
  PutLittle16(info + 12, 1);
  PutLittle16(info + 14, static_cast<uint16_t>(bits));
  PutLittle32(info + 20, static_cast<uint32_t>(stride * height));
  PutLittle32(info + 24, 2835);  // 72 dots per inch
  PutLittle32(info + 28, 2835);
  for (size_t y = 0; y < height; ++y) {
    uint8_t* row = p + offset + (height - 1 - y) * stride;
    for (size_t x = 0; x < width; ++x) {
      const uint32_t colour = image.pixels[y * width + x];
      const uint8_t r = static_cast<uint8_t>(colour >> 16);
      const uint8_t g = static_cast<uint8_t>(colour >> 8);
      const uint8_t b = static_cast<uint8_t>(colour);
      if (bits == 16) {
        PutLittle16(row + 2 * x, static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)));
      } else if (bits == 24) {
        row[3 * x] = b;
        row[3 * x + 1] = g;
        row[3 * x + 2] = r;
      } else {
        PutLittle32(row + 4 * x, colour & 0xFFFFFF);
      }
    }
  }
  return file;
}

}  // namespace talven
