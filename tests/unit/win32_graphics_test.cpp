// The Win32 drawing platform on the real GDI (the Windows build of the unit tests, run
// under Wine): programs draw into the output window's backing bitmap and save it with
// SAVEBMP; the saved file is read back and its pixels checked.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "engine/loader.h"
#include "engine/startup.h"
#include "library/graphics/bmp_format.h"
#include "library/graphics/win32/picture_palette.h"
#include "library/profiles.h"
#include "library/win32/win32_host.h"
#include "tests/unit/test_program.h"

namespace talven {
namespace {

// The real host with its boxes recorded instead of shown. The quit message an earlier
// run's window left in the thread's queue is taken out first.
class QuietHost : public Win32Host {
 public:
  QuietHost() { PumpMessages(true); }
  BoxAnswer ShowBox(const BoxRequest& box) override {
    boxes.push_back(box.text);
    return BoxAnswer::Ok;
  }
  std::vector<std::string> boxes;
};

std::vector<uint8_t> ReadAll(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs `program` (which closes its own window at the end) and reads
// the picture it saved as `saved`.
BmpImage DrawAndSave(const std::string& program, const std::string& saved, QuietHost& host) {
  Engine engine(host, ProgramKind::Interpreter, InterpreterProfile());
  RunProgram(engine, [&](Engine& run) {
    test::MemoryFile file(program);
    LoadSource(run.host, file, run.store);
  });
  BmpImage image;
  EXPECT_EQ(ReadBmp(ReadAll(saved), image), BmpError::None);
  std::remove(saved.c_str());
  return image;
}

// The last line: the program closes its own window, which ends the run (exit code 255)
// instead of leaving the window to a user.
#define kCloseWindow "DECLARE Z%\nZ% = @DESTROYWINDOW(%HWND)\nPRINT 1\n"

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;  // as the picture holds it: 0x00RRGGBB
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;

TEST(Win32Graphics, ShapesWithPensAndBrushes) {
  QuietHost host;
  const BmpImage image = DrawAndSave(
      "SETTRUECOLOR 1\nCLS\nUSEPEN 0,1,$0000FF\nLINE 0,0-10,0\nUSEBRUSH 1,$00FF00\n"
      "RECTANGLE 20,0-30,10\nUSEPEN 5,1,0\nUSEBRUSH 1,$FF0000\nELLIPSE 40,0-60,20\n"
      "SETPIXEL 5,15,$FF0000\nSAVEBMP \"shapes.bmp\",0,0-64,20\n" kCloseWindow,
      "shapes.bmp", host);
  ASSERT_EQ(image.width, 64);
  ASSERT_EQ(image.height, 20);
  EXPECT_EQ(image.At(5, 0), kRed);     // the line
  EXPECT_EQ(image.At(5, 1), kWhite);
  EXPECT_EQ(image.At(20, 5), kRed);    // the rectangle's border in the pen
  EXPECT_EQ(image.At(25, 5), kGreen);  // filled with the brush
  EXPECT_EQ(image.At(50, 10), kBlue);  // the ellipse without a border
  EXPECT_EQ(image.At(40, 0), kWhite);  // outside it
  EXPECT_EQ(image.At(5, 15), kBlue);
  EXPECT_TRUE(host.boxes.empty());
}

// Reduced colours: 31 is 255, 1 is 15; @GETPIXEL re-encodes.
TEST(Win32Graphics, ReducedColoursAndGetPixel) {
  QuietHost host;
  Engine engine(host, ProgramKind::Interpreter, InterpreterProfile());
  RunProgram(engine, [&](Engine& run) {
    test::MemoryFile file(
        "DECLARE A%, B%, C%\nCLS\nSETPIXEL 1,1,@RGB(31,0,0)\nSETPIXEL 2,1,@RGB(1,0,0)\n"
        "A% = @GETPIXEL(1,1)\nB% = @GETPIXEL(2,1)\nC% = @GETPIXEL(-5,-5)\n"
        "SAVEBMP \"reduced.bmp\",0,0-4,4\n" kCloseWindow);
    LoadSource(run.host, file, run.store);
  });
  EXPECT_EQ(engine.vars.integers.Value(engine.vars.integers.Find("A%")), 31);
  EXPECT_EQ(engine.vars.integers.Value(engine.vars.integers.Find("B%")), 1);
  EXPECT_EQ(engine.vars.integers.Value(engine.vars.integers.Find("C%")), -1);
  BmpImage image;
  ASSERT_EQ(ReadBmp(ReadAll("reduced.bmp"), image), BmpError::None);
  ASSERT_EQ(image.width, 4);
  std::remove("reduced.bmp");
  EXPECT_EQ(image.At(1, 1), 0xFF0000u);
  EXPECT_EQ(image.At(2, 1), 0x0F0000u);
}

// A 2 x 2 picture whose bottom-left pixel is magenta: mode -1 leaves that colour out,
// mode 3 (exclusive or) on white inverts, the sized load stretches.
TEST(Win32Graphics, BitmapModesAndTheTransparentCopy) {
  BmpImage sprite;
  sprite.width = 2;
  sprite.height = 2;
  sprite.pixels = {kRed, kGreen, 0xFF00FF, kBlue};
  const std::vector<uint8_t> file = WriteBmp(sprite, 24);
  {
    std::ofstream out("sprite.bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  QuietHost host;
  const BmpImage image = DrawAndSave(
      "SETTRUECOLOR 1\nCLS\nLOADBMP \"sprite.bmp\",0,0\nLOADBMP \"sprite.bmp\",4,0;-1\n"
      "LOADBMP \"sprite.bmp\",8,0;3\nLOADSIZEDBMP \"sprite.bmp\",12,0-4,4\n"
      "COPYBMP 0,0-2,2>0,6\nMCLS 8,8\nSTARTPAINT -1\nLOADBMP \"sprite.bmp\",1,1\nENDPAINT\n"
      "MCOPYBMP 0,0-4,4>20,0;-1\nSAVEBMP \"modes.bmp\",0,0-24,8\n" kCloseWindow,
      "modes.bmp", host);
  std::remove("sprite.bmp");
  ASSERT_EQ(image.width, 24);
  EXPECT_EQ(image.At(0, 0), kRed);
  EXPECT_EQ(image.At(0, 1), 0xFF00FFu);
  EXPECT_EQ(image.At(4, 0), kRed);      // transparent copy: drawn
  EXPECT_EQ(image.At(5, 1), kBlue);
  EXPECT_EQ(image.At(4, 1), kWhite);    // the left-out colour
  EXPECT_EQ(image.At(8, 0), 0x00FFFFu); // red xor white
  EXPECT_EQ(image.At(12, 0), kRed);     // stretched twice
  EXPECT_EQ(image.At(13, 1), kRed);
  EXPECT_EQ(image.At(15, 3), kBlue);
  EXPECT_EQ(image.At(1, 7), kBlue);     // COPYBMP's copy
  // The memory bitmap: white, the sprite at 1,1; copied with white left out (its
  // bottom-left pixel), so only the sprite arrives, at 21,1.
  EXPECT_EQ(image.At(20, 0), kWhite);
  EXPECT_EQ(image.At(21, 1), kRed);
  EXPECT_EQ(image.At(22, 2), kBlue);
  EXPECT_EQ(image.At(21, 2), 0xFF00FFu);
  EXPECT_TRUE(host.boxes.empty()) << host.boxes.front();
}

// The picture library tvpics.dll (beside the tests): a 6 x 4 picture of 8 bits under the
// name TALVBILD and the number 7, a 32 x 32 icon TALVICON with a transparent top-left
// quarter. A missing resource warns (228 for a bitmap, 224 for an icon) and draws nothing,
// as does the handle 0 a library that is not there gives.
TEST(Win32Graphics, PicturesAndIconsOfALoadedLibrary) {
  QuietHost host;
  const BmpImage image = DrawAndSave(
      "SETTRUECOLOR 1\nDECLARE M&, N&\nCLS\nM& = @USEDLL(\"tvpics.dll\")\n"
      "N& = @USEDLL(\"nichtda.dll\")\n"
      "DRAWEXTBMP M&,\"TALVBILD\",0,0\nDRAWEXTBMP M&,\"TALVBILD\",8,0;-1\n"
      "DRAWSIZEDEXTBMP M&,\"#7\",16,0-12,8\nDRAWEXTICON M&,\"TALVICON\",30,0\n"
      "DRAWEXTBMP M&,\"FEHLT\",0,0\nDRAWEXTICON M&,\"FEHLT\",0,0\n"
      "DRAWEXTBMP N&,\"TALVBILD\",0,8\nDRAWEXTICON N&,\"TALVICON\",0,8\n"
      "SAVEBMP \"library.bmp\",0,0-62,32\n" kCloseWindow,
      "library.bmp", host);
  ASSERT_EQ(image.width, 62);
  ASSERT_EQ(image.height, 32);
  constexpr uint32_t kMagenta = 0xFF00FF;
  constexpr uint32_t kNavy = 0x123456;
  // As it is, the right way up.
  EXPECT_EQ(image.At(0, 0), kRed);
  EXPECT_EQ(image.At(5, 1), kGreen);
  EXPECT_EQ(image.At(2, 2), kNavy);
  EXPECT_EQ(image.At(0, 3), kMagenta);
  EXPECT_EQ(image.At(2, 3), kBlue);
  // Without its bottom-left colour.
  EXPECT_EQ(image.At(8, 0), kRed);
  EXPECT_EQ(image.At(8, 3), kWhite);
  EXPECT_EQ(image.At(13, 3), kWhite);
  EXPECT_EQ(image.At(10, 3), kBlue);
  // By its number, stretched twice.
  EXPECT_EQ(image.At(16, 0), kRed);
  EXPECT_EQ(image.At(21, 4), kNavy);
  EXPECT_EQ(image.At(27, 7), kMagenta);
  EXPECT_EQ(image.At(28, 0), kWhite);
  // The icon keeps the window's white where it is transparent.
  EXPECT_EQ(image.At(31, 1), kWhite);
  EXPECT_EQ(image.At(61, 1), kRed);
  EXPECT_EQ(image.At(31, 31), kBlue);
  // Nothing of the refused ones.
  EXPECT_EQ(image.At(0, 8), kWhite);
  EXPECT_EQ(image.At(5, 11), kWhite);
  EXPECT_EQ(host.boxes, (std::vector<std::string>{"Bitmap nicht ladbar: FEHLT", "ICON nicht vorhanden: FEHLT",
                                                  "Bitmap nicht ladbar: TALVBILD",
                                                  "ICON nicht vorhanden: TALVICON"}));
}

// Icons of files: the picture library has one icon (drawn by DRAWLIBICON), a picture file
// and a file that is not there have none (0, nothing drawn, no warning). A memory bitmap
// that cannot be made (negative, too large) keeps the old one.
TEST(Win32Graphics, FileIconsAndAKeptMemoryBitmap) {
  QuietHost host;
  Engine engine(host, ProgramKind::Interpreter, InterpreterProfile());
  RunProgram(engine, [&](Engine& run) {
    test::MemoryFile file(
        "SETTRUECOLOR 1\nDECLARE A%, B%, C%\nCLS\nA% = @ICONCOUNT(\"tvpics.dll\")\n"
        "SAVEBMP \"none.bmp\",0,0-4,4\nB% = @ICONCOUNT(\"none.bmp\")\n"
        "C% = @ICONCOUNT(\"nichtda.exe\")\nDRAWLIBICON \"tvpics.dll\",0,0,0\n"
        "DRAWLIBICON \"tvpics.dll\",1,40,0\nDRAWLIBICON \"none.bmp\",0,80,0\n"
        "MCLS 4,4\nSTARTPAINT -1\nSETPIXEL 1,1,$0000FF\nENDPAINT\nMCLS 100000,100000\nMCLS 0,4\n"
        "MCOPYBMP 0,0-4,4>120,0\nSAVEBMP \"files.bmp\",0,0-124,32\n" kCloseWindow);
    LoadSource(run.host, file, run.store);
  });
  std::remove("none.bmp");
  EXPECT_EQ(engine.vars.integers.Value(engine.vars.integers.Find("A%")), 1);
  EXPECT_EQ(engine.vars.integers.Value(engine.vars.integers.Find("B%")), 0);
  EXPECT_EQ(engine.vars.integers.Value(engine.vars.integers.Find("C%")), 0);
  BmpImage image;
  ASSERT_EQ(ReadBmp(ReadAll("files.bmp"), image), BmpError::None);
  std::remove("files.bmp");
  ASSERT_EQ(image.width, 124);
  EXPECT_EQ(image.At(1, 1), kWhite);   // the icon's transparent quarter
  EXPECT_EQ(image.At(31, 1), kRed);
  EXPECT_EQ(image.At(1, 31), kBlue);
  for (int x = 32; x < 120; ++x) {
    for (int y = 0; y < 32; ++y) ASSERT_EQ(image.At(x, y), kWhite) << x << "," << y;
  }
  EXPECT_EQ(image.At(121, 1), kRed);   // the first memory bitmap, kept
  EXPECT_EQ(image.At(120, 0), kWhite);
  EXPECT_EQ(host.boxes, (std::vector<std::string>{"Bitmap nicht ladbar: Memory Bitmap",
                                                  "Bitmap nicht ladbar: Memory Bitmap"}));
}

// Bitmaps travel through the clipboard both ways with another process (tvclip, beside
// the tests): its 8 x 4 picture drawn as it is and without its bottom-left colour, and an
// area of the window put there and read back by tvclip.
TEST(Win32Graphics, ClipboardBitmapsWithAnotherProcess) {
  std::remove("clip.txt");
  QuietHost host;
  const BmpImage image = DrawAndSave(
      "SETTRUECOLOR 1\nDECLARE R%, G%\nCLS\nR% = @WINEXECWAIT(\"tvclip.exe put\", 0)\n"
      "CLIPLOADBMP 0,0\nCLIPLOADBMP 10,0;-1\nUSEPEN 0,1,$0000FF\nLINE 20,0-26,0\n"
      "SAVEBMPTOCLIP 19,0-7,3\nG% = @WINEXECWAIT(\"tvclip.exe get clip.txt\", 0)\n"
      "SAVEBMP \"clip.bmp\",0,0-30,4\n" kCloseWindow,
      "clip.bmp", host);
  EXPECT_TRUE(host.boxes.empty()) << host.boxes.front();
  ASSERT_EQ(image.width, 30);
  EXPECT_EQ(image.At(0, 0), 0x123456u);
  EXPECT_EQ(image.At(7, 2), 0xABCDEFu);
  EXPECT_EQ(image.At(0, 3), 0xFF00FFu);
  EXPECT_EQ(image.At(10, 3), kWhite);  // left out
  EXPECT_EQ(image.At(11, 3), 0x123456u);
  EXPECT_EQ(image.At(17, 0), 0xABCDEFu);
  std::ifstream listing("clip.txt");
  int width = 0;
  int height = 0;
  ASSERT_TRUE(listing >> width >> height) << "tvclip found no bitmap";
  EXPECT_EQ(width, 7);
  EXPECT_EQ(height, 3);
  std::vector<std::string> pixels;
  for (std::string pixel; listing >> pixel;) pixels.push_back(pixel);
  ASSERT_EQ(pixels.size(), 21u);
  EXPECT_EQ(pixels[0], "FFFFFF");
  EXPECT_EQ(pixels[1], "FF0000");
  EXPECT_EQ(pixels[6], "FF0000");
  EXPECT_EQ(pixels[8], "FFFFFF");
  listing.close();
  std::remove("clip.txt");
}

// The palette an 8-bit picture is realised through on a palette display: its table's
// colours in order. A true-colour display (this one) realises nothing.
TEST(Win32Graphics, ThePaletteOfAnEightBitPicture) {
  BmpImage image;
  ASSERT_EQ(ReadBmp(ReadAll(std::string(TALVEN_TEST_DATA) + "/dll/win32/pictures/PICTURE.BMP"), image),
            BmpError::None);
  HPALETTE palette = MakePicturePalette(image);
  ASSERT_NE(palette, nullptr);
  PALETTEENTRY entries[8] = {};
  ASSERT_EQ(GetPaletteEntries(palette, 0, 8, entries), 5u);
  EXPECT_EQ(entries[0].peRed, 0xFF);
  EXPECT_EQ(entries[1].peGreen, 0xFF);
  EXPECT_EQ(entries[2].peBlue, 0xFF);
  EXPECT_EQ(entries[4].peRed, 0x12);
  EXPECT_EQ(entries[4].peGreen, 0x34);
  EXPECT_EQ(entries[4].peBlue, 0x56);
  DeleteObject(palette);
  image.colours.clear();
  EXPECT_EQ(MakePicturePalette(image), nullptr);
  HDC screen = GetDC(nullptr);
  EXPECT_FALSE(UsesPalette(screen));
  {
    RealisedPalette realised(screen, image);
    EXPECT_FALSE(realised.changed);
  }
  ReleaseDC(nullptr, screen);
}

// Hundreds of pens, brushes, fonts and pictures do not exhaust the GDI objects; hostile
// files and sizes warn with 228 and change nothing.
TEST(Win32Graphics, ObjectsAreFreedAndBadInputWarns) {
  BmpImage dot;
  dot.width = 1;
  dot.height = 1;
  dot.pixels = {kGreen};
  const std::vector<uint8_t> good = WriteBmp(dot, 24);
  std::vector<uint8_t> bad = good;
  PutLittle32(&bad[14], 12);  // an old 12-byte header
  for (const auto& [name, bytes] : {std::pair{"dot.bmp", good}, std::pair{"bad.bmp", bad}}) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  QuietHost host;
  const BmpImage image = DrawAndSave(
      "DECLARE I%, F%\nCLS\nWHILE I% < 400\nUSEPEN 0,1,I%\nUSEBRUSH 2,I%\n"
      "F% = @CREATEFONT(\"Arial\",12,0,0,0,0)\nDELETEOBJECT F%\nLOADBMP \"dot.bmp\",0,0\n"
      "INC I%\nWEND\nLOADBMP \"bad.bmp\",1,0\nMLOADBMP \"bad.bmp\"\nMCLS -1,5\n"
      "SAVEBMP \"objects.bmp\",0,0-2,1\n" kCloseWindow,
      "objects.bmp", host);
  std::remove("dot.bmp");
  std::remove("bad.bmp");
  ASSERT_EQ(image.width, 2);
  EXPECT_EQ(image.At(0, 0), kGreen);
  EXPECT_EQ(image.At(1, 0), kWhite);
  EXPECT_EQ(host.boxes, (std::vector<std::string>{"Bitmap nicht ladbar: bad.bmp",
                                                  "Bitmap nicht ladbar: bad.bmp",
                                                  "Bitmap nicht ladbar: Memory Bitmap"}));
}

}  // namespace
}  // namespace talven
