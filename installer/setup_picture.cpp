#include "installer/setup_picture.h"

#include <algorithm>
#include <cstdlib>

#include "common/bytes.h"
#include "installer/setup_script.h"

namespace talven::installer {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeader = 22;
constexpr size_t kMetaHeader = 18;
constexpr size_t kFileHeader = 14;
constexpr int32_t kLargestSide = 16384;

int32_t Percent(const std::string& text) { return static_cast<int32_t>(std::clamp<int64_t>(ParseNumber(text), -1000, 1000)); }

const uint8_t* Bytes(std::string_view text) { return reinterpret_cast<const uint8_t*>(text.data()); }

}  // namespace

PictureLine ParsePictureLine(const std::string& value) {
  PictureLine line;
  line.file = Field(value, 1);
  line.x = Percent(Field(value, 2));
  line.y = Percent(Field(value, 3));
  line.width = Percent(Field(value, 4));
  line.height = Percent(Field(value, 5));
  const std::string upper = Upper(line.file);
  line.metafile = upper.size() >= 4 && upper.compare(upper.size() - 4, 4, ".WMF") == 0;
  return line;
}

PictureBox PlacePicture(const PictureLine& line, int32_t clientWidth, int32_t clientHeight,
                        int32_t imageWidth, int32_t imageHeight) {
  PictureBox box;
  if (line.metafile) {
    box.width = static_cast<int32_t>(int64_t{clientWidth} * line.width / 100);
    box.height = static_cast<int32_t>(int64_t{clientHeight} * line.height / 100);
  } else {
    box.width = imageWidth;
    box.height = imageHeight;
  }
  box.left = static_cast<int32_t>(int64_t{clientWidth - box.width} * line.x / 100);
  box.top = static_cast<int32_t>(int64_t{clientHeight - box.height} * line.y / 100);
  return box;
}

bool MetafileBits(std::string_view file, std::string& bits) {
  if (file.size() >= 4 && GetLittle32(Bytes(file)) == kPlaceableKey) {
    if (file.size() < kPlaceableHeader) return false;
    file.remove_prefix(kPlaceableHeader);
  }
  if (file.size() < kMetaHeader) return false;
  const uint8_t* head = Bytes(file);
  // Type 1 (in memory) or 2 (on disk), a header of 9 words, a version of 1.0 or 3.0.
  const uint16_t type = GetLittle16(head), headerWords = GetLittle16(head + 2), version = GetLittle16(head + 4);
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) return false;
  bits.assign(file);
  return true;
}

bool PackedBitmap(std::string_view file, std::string& packed, int32_t& width, int32_t& height,
                  size_t* pixelOffset) {
  if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') return false;
  std::string_view dib = file.substr(kFileHeader);
  const uint8_t* info = Bytes(dib);
  const uint32_t headerSize = GetLittle32(info);
  if (headerSize < 40 || headerSize > dib.size()) return false;
  const int32_t w = static_cast<int32_t>(GetLittle32(info + 4));
  const int32_t h = static_cast<int32_t>(GetLittle32(info + 8));
  const uint16_t planes = GetLittle16(info + 12), bitCount = GetLittle16(info + 14);
  const uint32_t compression = GetLittle32(info + 16);
  uint32_t colours = GetLittle32(info + 32);
  if (planes != 1 || w <= 0 || h == 0 || h == INT32_MIN || w > kLargestSide || std::abs(h) > kLargestSide) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return false;
  // Uncompressed pixels, or bit fields of 16 and 32 bits (their three masks follow a
  // 40-byte header).
  const bool bitFields = compression == 3 && (bitCount == 16 || bitCount == 32);
  if (compression != 0 && !bitFields) return false;
  if (bitCount <= 8) {
    if (colours == 0) colours = 1u << bitCount;
    if (colours > (1u << bitCount)) return false;
  } else if (colours > 256) {
    return false;
  }
  const uint64_t masks = bitFields && headerSize == 40 ? 12 : 0;
  const uint64_t stride = ((uint64_t{static_cast<uint32_t>(w)} * bitCount + 31) / 32) * 4;
  const uint64_t needed = headerSize + masks + uint64_t{colours} * 4 + stride * static_cast<uint64_t>(std::abs(h));
  if (needed > dib.size()) return false;
  packed.assign(dib.substr(0, static_cast<size_t>(needed)));
  width = w;
  height = std::abs(h);
  if (pixelOffset != nullptr) *pixelOffset = static_cast<size_t>(headerSize + masks + uint64_t{colours} * 4);
  return true;
}

int32_t BandBlue(int32_t band) { return ((128 - band) * 150) / 128 + 20; }

PictureBox BandBox(int32_t band, int32_t width, int32_t height) {
  const auto part = [band](int32_t whole) {
    return static_cast<int32_t>(static_cast<int64_t>(whole) * band / kBackgroundBands);
  };
  return PictureBox{0, 0, part(width), part(height)};
}

std::array<uint8_t, kBandPaletteEntries> BandPaletteBlues() {
  std::array<uint8_t, kBandPaletteEntries> blues{};
  for (size_t i = 0; i < blues.size(); ++i) blues[i] = static_cast<uint8_t>(BandBlue(static_cast<int32_t>(i)));
  return blues;
}

}  // namespace talven::installer
