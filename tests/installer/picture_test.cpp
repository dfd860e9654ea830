// The setup window's picture: the script line, the placement and the checks of the files.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "installer/setup_picture.h"

namespace talven::installer {
namespace {

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(TALVEN_LHA_FIXTURES) + "/" + name, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(SetupPicture, LineAndPlacement) {
  const PictureLine bitmap = ParsePictureLine("LOGO.BMP,50,100");
  EXPECT_EQ(bitmap.file, "LOGO.BMP");
  EXPECT_FALSE(bitmap.metafile);
  // A bitmap keeps its size; 50 % and 100 % of the free room.
  EXPECT_EQ(PlacePicture(bitmap, 600, 400, 100, 40), (PictureBox{250, 360, 100, 40}));
  const PictureLine meta = ParsePictureLine("bild.wmf,0,50,25,50");
  EXPECT_TRUE(meta.metafile);
  EXPECT_EQ(PlacePicture(meta, 800, 600, 1, 1), (PictureBox{0, 150, 200, 300}));
  // Missing fields are 0; absurd percentages are held in bounds.
  EXPECT_EQ(PlacePicture(ParsePictureLine("X.BMP"), 640, 480, 10, 10), (PictureBox{0, 0, 10, 10}));
  EXPECT_EQ(ParsePictureLine("X.WMF,99999999999999999999").x, 1000);
}

TEST(SetupPicture, BitmapsByAnotherWriter) {
  std::string packed;
  int32_t width = 0, height = 0;
  const std::string red = Fixture("rot.bmp");
  ASSERT_TRUE(PackedBitmap(red, packed, width, height));
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  EXPECT_EQ(packed, red.substr(14));
  const std::string blue = Fixture("blau8.bmp");
  ASSERT_TRUE(PackedBitmap(blue, packed, width, height));
  EXPECT_EQ(width, 5);
  EXPECT_EQ(packed.size(), 40u + 2 * 4 + 4 * 4);
}

TEST(SetupPicture, DamagedBitmapsAreRefused) {
  const std::string good = Fixture("rot.bmp");
  std::string packed;
  int32_t width = 0, height = 0;
  auto damaged = [&](size_t at, char value) {
    std::string copy = good;
    copy[at] = value;
    return PackedBitmap(copy, packed, width, height);
  };
  EXPECT_FALSE(PackedBitmap(good.substr(0, good.size() - 1), packed, width, height));  // pixels cut short
  EXPECT_FALSE(PackedBitmap("BM", packed, width, height));
  EXPECT_FALSE(damaged(0, 'X'));                     // no "BM"
  EXPECT_FALSE(damaged(14 + 7, '\x7F'));             // width beyond any screen
  EXPECT_FALSE(damaged(14 + 14, 7));                 // 7 bits per pixel
  EXPECT_FALSE(damaged(14 + 16, 1));                 // run-length compressed
  EXPECT_FALSE(damaged(14 + 3, '\x7F'));             // header larger than the file
  EXPECT_FALSE(damaged(14 + 11, '\xFF'));            // a top-down height beyond any screen
}

TEST(SetupPicture, Metafiles) {
  // A placeable header (key, handle, box, inch, reserved, checksum), then a disk metafile's
  // header and the end record.
  std::string wmf = "\xD7\xCD\xC6\x9A" + std::string(18, '\0');
  const std::string records("\x02\x00\x09\x00\x00\x03\x0C\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00"
                            "\x03\x00\x00\x00\x00\x00", 24);
  std::string bits;
  ASSERT_TRUE(MetafileBits(wmf + records, bits));
  EXPECT_EQ(bits, records);
  ASSERT_TRUE(MetafileBits(records, bits));  // without the placeable header
  EXPECT_FALSE(MetafileBits(wmf, bits));
  EXPECT_FALSE(MetafileBits("\xD7\xCD\xC6\x9A", bits));
  EXPECT_FALSE(MetafileBits(std::string(40, 'x'), bits));
}

TEST(SetupPicture, BandsAndTheirPalette) {
  // From 168 at the outside to 21 inside, never brighter inwards.
  EXPECT_EQ(BandBlue(1), 168);
  EXPECT_EQ(BandBlue(kBackgroundBands), 21);
  for (int32_t band = 2; band <= kBackgroundBands; ++band) EXPECT_LE(BandBlue(band), BandBlue(band - 1));
  // The outermost band covers the window, each band lies inside the one before.
  EXPECT_EQ(BandBox(kBackgroundBands, 800, 600), (PictureBox{0, 0, 800, 600}));
  EXPECT_EQ(BandBox(1, 800, 600), (PictureBox{0, 0, 6, 4}));
  EXPECT_EQ(BandBox(kBackgroundBands, 100000000, 100000000).width, 100000000);  // no overflow
  // Every band finds its blue in the palette; the palette holds nothing but blues.
  const auto blues = BandPaletteBlues();
  ASSERT_EQ(blues.size(), 129u);
  for (int32_t band = 1; band <= kBackgroundBands; ++band) EXPECT_EQ(blues[band], BandBlue(band));
  EXPECT_EQ(blues[0], 170);
  EXPECT_EQ(blues[128], 20);
}

}  // namespace
}  // namespace talven::installer
