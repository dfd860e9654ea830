// The background picture's checks on arbitrary bytes: a bitmap accepted must hold its
// header, colours and pixels; a metafile accepted keeps its records. Also the picture line.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "installer/setup_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talven::installer;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string packed;
  int32_t width = 0, height = 0;
  if (PackedBitmap(bytes, packed, width, height)) {
    if (packed.size() + 14 > bytes.size() || packed.size() < 40 || width <= 0 || height <= 0) std::abort();
  }
  if (MetafileBits(bytes, packed) && packed.size() > bytes.size()) std::abort();
  const PictureLine line = ParsePictureLine(bytes);
  const PictureBox box = PlacePicture(line, 1024, 768, width, height);
  if (line.metafile && (box.width > 10240 || box.height > 7680)) std::abort();
  return 0;
}
