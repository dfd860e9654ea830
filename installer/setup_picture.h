#pragma once
// The background picture of the setup window: the script's picture line, where the picture
// goes in the window, and the checked contents of its file (a metafile or a bitmap).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace talven::installer {

// "FILE, X%, Y%, W%, H%": the position as percentages of the width and height the picture
// leaves free, the size (metafiles only) in percent of the window.
struct PictureLine {
  std::string file;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool metafile = false;  // the file ends in ".WMF"
};

PictureLine ParsePictureLine(const std::string& value);

struct PictureBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const PictureBox&) const = default;
};

// Where the picture goes in a window of clientWidth x clientHeight: a bitmap keeps its own
// size (imageWidth x imageHeight), a metafile takes its percentages of the window.
PictureBox PlacePicture(const PictureLine& line, int32_t clientWidth, int32_t clientHeight,
                        int32_t imageWidth, int32_t imageHeight);

// The metafile records of a .WMF file, a placeable metafile's 22-byte header skipped;
// false when the rest is no metafile.
bool MetafileBits(std::string_view file, std::string& bits);

// The packed bitmap (information header, colours, pixels) of a bitmap file, its 14-byte
// file header skipped; false when the header, the colours or the pixels do not fit the
// file or the picture is implausibly large. `pixelOffset` (when given) receives where the
// pixels begin in `packed`.
bool PackedBitmap(std::string_view file, std::string& packed, int32_t& width, int32_t& height,
                  size_t* pixelOffset = nullptr);

// The background: 127 nested bands from the top-left corner, band i (1 … 127) reaching i/127
// of the width and height, painted from the outside in.
constexpr int32_t kBackgroundBands = 127;
// The blue of band i: ((128 - i) * 150) / 128 + 20, from 168 outside to 21 inside.
int32_t BandBlue(int32_t band);
PictureBox BandBox(int32_t band, int32_t width, int32_t height);
// The blues of the bands' palette on 256-colour displays: entry i is BandBlue(i), i = 0 … 128,
// so that every band finds its own entry.
constexpr size_t kBandPaletteEntries = 129;
std::array<uint8_t, kBandPaletteEntries> BandPaletteBlues();

}  // namespace talven::installer
