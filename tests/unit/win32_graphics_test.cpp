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
