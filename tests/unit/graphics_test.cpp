// The family "graphics" and its BMP reader and writer; the family "printing" (jobs,
// scaling, the commands a job refuses). Programs run on the recording platforms.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "engine/loader.h"
#include "engine/startup.h"
#include "library/graphics/bmp_format.h"
#include "library/graphics/graphics_platform.h"
#include "library/printing/printing_platform.h"
#include "library/profiles.h"
#include "tests/support/recording_host.h"
#include "tests/unit/test_program.h"

namespace talven {
namespace {

using Bytes = std::vector<uint8_t>;

// A BMP file by hand: 40-byte header, `palette` entries, the pixel bytes as given.
Bytes MakeBmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
              const std::vector<uint32_t>& palette, const Bytes& pixels, uint32_t coloursUsed = 0) {
  const size_t offset = 14 + 40 + 4 * palette.size();
  Bytes file(offset + pixels.size(), 0);
  file[0] = 'B';
  file[1] = 'M';
  PutLittle32(&file[2], static_cast<uint32_t>(file.size()));
  PutLittle32(&file[10], static_cast<uint32_t>(offset));
  PutLittle32(&file[14], 40);
  PutLittle32(&file[18], static_cast<uint32_t>(width));
  PutLittle32(&file[22], static_cast<uint32_t>(height));
  PutLittle16(&file[26], 1);
  PutLittle16(&file[28], bits);
  PutLittle32(&file[30], compression);
  PutLittle32(&file[46], coloursUsed != 0 ? coloursUsed : static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i) PutLittle32(&file[54 + 4 * i], palette[i]);
  std::copy(pixels.begin(), pixels.end(), file.begin() + static_cast<long>(offset));
  return file;
}

BmpError Read(const Bytes& file, BmpImage& image) { return ReadBmp(file, image); }

TEST(BmpReader, DecodesEveryDepthTheRightWayUp) {
  BmpImage image;
  // 1 bit, 3 x 2, bottom-up: the file's first row is the picture's last.
  Bytes one = MakeBmp(3, 2, 1, 0, {0x000000, 0xFF0000}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0});
  ASSERT_EQ(Read(one, image), BmpError::None);
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0, 0xFF0000, 0, 0xFF0000, 0, 0xFF0000}));
  // 4 bits and 8 bits through their colour tables.
  Bytes four = MakeBmp(2, 1, 4, 0, {0x111111, 0x222222, 0x333333}, {0x21, 0, 0, 0}, 3);
  ASSERT_EQ(Read(four, image), BmpError::None);
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0x333333, 0x222222}));
  Bytes eight = MakeBmp(1, 1, 8, 0, {0x0, 0xABCDEF}, {1, 0, 0, 0});
  ASSERT_EQ(Read(eight, image), BmpError::None);
  EXPECT_EQ(image.pixels[0], 0xABCDEFu);
  // 16 bits 5-5-5: 31 in a component is 255.
  Bytes sixteen = MakeBmp(1, 1, 16, 0, {}, {0x1F, 0x7C, 0, 0});
  ASSERT_EQ(Read(sixteen, image), BmpError::None);
  EXPECT_EQ(image.pixels[0], 0xFF00FFu);
  // 24 bits blue-green-red, top-down (negative height).
  Bytes top = MakeBmp(1, -2, 24, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0});
  ASSERT_EQ(Read(top, image), BmpError::None);
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0x030201, 0x060504}));
  // 32 bits with bit fields 5-6-5 in the low half.
  Bytes fields = MakeBmp(1, 1, 32, 3, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0, 0});
  PutLittle32(&fields[46], 0);  // the three masks are no colour table
  ASSERT_EQ(Read(fields, image), BmpError::None);
  EXPECT_EQ(image.pixels[0], 0x00FF00u);
}

TEST(BmpReader, RunLengthStreams) {
  BmpImage image;
  // RLE8 4 x 2: a run, a run past the row's end (clipped), an absolute run, end.
  const std::vector<uint32_t> palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
  Bytes rle8 = MakeBmp(4, 2, 8, 1, palette,
                       {2, 1, 4, 2, 0, 0,           // row 0 (bottom): 1 1 2 2, 2 2 clipped
                        0, 3, 3, 2, 1, 0, 0, 1});   // row 1: absolute 3 2 1, end of bitmap
  ASSERT_EQ(Read(rle8, image), BmpError::None);
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x000000,
                                                 0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00}));
  // RLE4: two nibbles alternate.
  Bytes rle4 = MakeBmp(3, 1, 4, 2, palette, {3, 0x12, 0, 1});
  ASSERT_EQ(Read(rle4, image), BmpError::None);
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0x0000FF}));
  // A stream that goes on past the last row, a delta out of the bitmap, an absolute run
  // past the data: refused.
  EXPECT_EQ(Read(MakeBmp(2, 1, 8, 1, palette, {0, 0, 2, 1}), image), BmpError::RunLength);
  EXPECT_EQ(Read(MakeBmp(2, 1, 8, 1, palette, {0, 2, 0, 5, 1, 1}), image), BmpError::RunLength);
  EXPECT_EQ(Read(MakeBmp(2, 1, 8, 1, palette, {0, 9, 1, 2}), image), BmpError::RunLength);
  EXPECT_TRUE(image.pixels.empty());
}

// One sample per rule of the validator.
TEST(BmpReader, HostileHeadersAreRefused) {
  BmpImage image;
  const Bytes good = MakeBmp(2, 2, 24, 0, {}, Bytes(16, 0x7F));
  ASSERT_EQ(Read(good, image), BmpError::None);
  auto with = [&](size_t at, uint32_t value, int width = 4) {
    Bytes bad = good;
    if (width == 4) PutLittle32(&bad[at], value);
    if (width == 2) PutLittle16(&bad[at], static_cast<uint16_t>(value));
    return Read(bad, image);
  };
  EXPECT_EQ(Read(Bytes(good.begin(), good.begin() + 40), image), BmpError::Truncated);
  EXPECT_EQ(with(0, 0x4D41, 2), BmpError::Signature);
  EXPECT_EQ(with(14, 12), BmpError::HeaderSize);
  EXPECT_EQ(with(26, 2, 2), BmpError::Planes);
  EXPECT_EQ(with(28, 7, 2), BmpError::BitCount);
  EXPECT_EQ(with(30, 1), BmpError::Compression);  // RLE8 at 24 bits
  EXPECT_EQ(with(30, 4), BmpError::Compression);  // an embedded JPEG
  EXPECT_EQ(with(18, 0), BmpError::Dimensions);
  EXPECT_EQ(with(22, 0), BmpError::Dimensions);
  EXPECT_EQ(with(10, 5000), BmpError::PixelOffset);
  EXPECT_EQ(with(46, 0xFFFFFFFF), BmpError::ColourTable);
  EXPECT_EQ(with(22, 3), BmpError::PixelData);
  // 13325 x 80581 at 32 bits needs 4 GB + 4 bytes: in 32 bits that wraps to 4 bytes.
  Bytes wraps = MakeBmp(13325, 80581, 32, 0, {}, Bytes(16, 0));
  EXPECT_NE(Read(wraps, image), BmpError::None);
  EXPECT_EQ(ReadBmp(wraps, image, uint64_t{1} << 40), BmpError::PixelData);
  // A colour table of more entries than 8 bits have, or reaching past the file.
  EXPECT_EQ(Read(MakeBmp(1, 1, 8, 0, {0}, {0, 0, 0, 0}, 257), image), BmpError::ColourTable);
  EXPECT_EQ(Read(MakeBmp(1, 1, 8, 0, {0}, {0, 0, 0, 0}, 200), image), BmpError::ColourTable);
  EXPECT_EQ(ReadBmp(Bytes(kMaxBmpFileBytes + 1, 0), image), BmpError::TooLarge);
  EXPECT_TRUE(image.pixels.empty());
}

// What a palette display realises: the table in order, each colour once, at most 256; a
// true-colour picture's table (a hint some writers add) counts as well; none without one.
TEST(BmpReader, ThePaletteOfAPicture) {
  BmpImage image;
  ASSERT_EQ(Read(MakeBmp(2, 1, 4, 0, {0x00FF0000, 0x0000FF00, 0x00FF0000, 0x000000FF}, {0x13, 0, 0, 0}),
                 image), BmpError::None);
  EXPECT_EQ(image.colours.size(), 4u);
  EXPECT_EQ(PaletteColours(image), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));
  // 8 bits with all 256 entries (count 0): every one, in order.
  std::vector<uint32_t> grey(256);
  for (uint32_t i = 0; i < 256; ++i) grey[i] = i * 0x010101;
  ASSERT_EQ(Read(MakeBmp(1, 1, 8, 0, grey, {7, 0, 0, 0}, 0), image), BmpError::None);
  const std::vector<uint32_t> colours = PaletteColours(image);
  ASSERT_EQ(colours.size(), 256u);
  EXPECT_EQ(colours[7], 0x070707u);
  EXPECT_EQ(image.At(0, 0), 0x070707u);
  // 24 bits with a two-colour hint, and without one.
  ASSERT_EQ(Read(MakeBmp(1, 1, 24, 0, {0x123456, 0xABCDEF}, {1, 2, 3, 0}), image), BmpError::None);
  EXPECT_EQ(PaletteColours(image), (std::vector<uint32_t>{0x123456, 0xABCDEF}));
  ASSERT_EQ(Read(MakeBmp(1, 1, 24, 0, {}, {1, 2, 3, 0}), image), BmpError::None);
  EXPECT_TRUE(PaletteColours(image).empty());
  // A 24-bit picture claiming 300 table entries keeps 256 of them (the file has them all).
  std::vector<uint32_t> many(300);
  for (uint32_t i = 0; i < 300; ++i) many[i] = i;
  ASSERT_EQ(Read(MakeBmp(1, 1, 24, 0, many, {1, 2, 3, 0}), image), BmpError::None);
  EXPECT_EQ(PaletteColours(image).size(), 256u);
}

TEST(BmpReader, TheLongerHeadersOfNewerWritersAreRead) {
  // A 124-byte header with its masks inside: the first 40 bytes mean the same.
  Bytes file(14 + 124 + 4, 0);
  file[0] = 'B';
  file[1] = 'M';
  PutLittle32(&file[10], 14 + 124);
  PutLittle32(&file[14], 124);
  PutLittle32(&file[18], 1);
  PutLittle32(&file[22], 1);
  PutLittle16(&file[26], 1);
  PutLittle16(&file[28], 32);
  PutLittle32(&file[30], 3);
  PutLittle32(&file[54], 0x00FF0000);
  PutLittle32(&file[58], 0x0000FF00);
  PutLittle32(&file[62], 0x000000FF);
  PutLittle32(&file[138], 0xFF123456);
  BmpImage image;
  ASSERT_EQ(ReadBmp(file, image), BmpError::None);
  EXPECT_EQ(image.pixels[0], 0x123456u);
}

TEST(BmpWriter, RoundTripsInEveryDepth) {
  BmpImage image;
  image.width = 3;
  image.height = 2;
  image.pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
  for (int32_t bits : {24, 32}) {
    const Bytes file = WriteBmp(image, bits);
    EXPECT_EQ(GetLittle32(&file[2]), file.size());
    EXPECT_EQ(GetLittle16(&file[28]), bits);
    BmpImage back;
    ASSERT_EQ(ReadBmp(file, back), BmpError::None);
    EXPECT_EQ(back.pixels, image.pixels) << bits;
  }
  // 16 bits keep 5 bits a component.
  BmpImage back;
  ASSERT_EQ(ReadBmp(WriteBmp(image, 16), back), BmpError::None);
  EXPECT_EQ(back.pixels[5], 0x848484u);
  // Rows are padded to 4 bytes: 3 pixels of 24 bits take 12 bytes a row.
  EXPECT_EQ(WriteBmp(image, 24).size(), 54u + 2 * 12);
}

// Runs a program held in memory in `engine`; the exit code.
int RunText(Engine& engine, const std::string& text) {
  return RunProgram(engine, [&](Engine& run) {
    test::MemoryFile file(text);
    LoadSource(run.host, file, run.store);
  });
}

struct ProgramRun {
  test::RecordingHost host;
  std::unique_ptr<Engine> engine =
      std::make_unique<Engine>(host, ProgramKind::Interpreter, InterpreterProfile());
  int exitCode = 0;
  explicit ProgramRun(const std::string& program,
               const std::function<void(RecordingGraphics&)>& prepare = nullptr,
               bool printer = true) {
    host.answers.assign(20, "ok");
    if (prepare) prepare(Graphics());
    Printer().available = printer;
    exitCode = RunText(*engine, "DECLARE A%, B%, C&, B&\n" + program);
  }
  RecordingGraphics& Graphics() {
    return static_cast<RecordingGraphics&>(engine->PlatformOf(FamilyIndex(FamilyId::Graphics)));
  }
  int32_t Integer(std::string_view name) {
    return engine->vars.integers.Value(engine->vars.integers.Find(name));
  }
  int32_t Long(std::string_view name) { return engine->vars.longs.Value(engine->vars.longs.Find(name)); }
  // The run's state goes with its engine: a job it left open is dropped then.
  void End() { engine.reset(); }
  std::vector<std::string>& Drawn() { return Graphics().log; }
  RecordingPrinter& Printer() {
    const size_t id = FamilyIndex(FamilyId::Printing);
    return static_cast<RecordingPrinter&>(engine ? engine->PlatformOf(id) : *host.InstalledPlatform(id));
  }
  std::string LastBox() const { return host.boxes.empty() ? "" : host.boxes.back().text; }
};

TEST(GraphicsFamily, ArgumentShapesReachTheShapes) {
  ProgramRun run(
      "LINE 1,2-3,4\nRECTANGLE 10,20 - 30,40\nROUNDRECT 0,0-50,60;5,6\n"
      "PIE 0,0-100,100;100,50;50,0\nARC 1,1-9,9 ; 2,2 ; 3,3\nMOVETO 7,8\nLINETO 9,10\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.Drawn(), (std::vector<std::string>{
                             "LINE 1 2 3 4 0 0 0 0", "RECTANGLE 10 20 30 40 0 0 0 0",
                             "ROUNDRECT 0 0 50 60 5 6 0 0", "PIE 0 0 100 100 100 50 50 0",
                             "ARC 1 1 9 9 2 2 3 3", "moveto 7 8", "lineto 9 10"}));
}

// The reduced mode's components c become 8c + 7 (0 stays 0); true-colour values go as
// they are. @GETPIXEL re-encodes, and a point without colour is -1 in both modes.
TEST(GraphicsFamily, ColoursInBothModes) {
  ProgramRun run(
      "USEPEN 0,1,@RGB(31,0,0)\nUSEPEN 1,2,@RGB(1,0,0)\nUSEBRUSH 7,0\nSETPIXEL 1,1,@RGB(0,31,0)\n"
      "A% = @GETPIXEL(1,1)\nSETTRUECOLOR 1\nUSEPEN 0,1,$123456\nB& = @GETPIXEL(1,1)\n");
  EXPECT_EQ(run.exitCode, 0) << run.LastBox();
  EXPECT_EQ(run.Drawn()[0], "pen 0 1 0000FF");
  EXPECT_EQ(run.Drawn()[1], "pen 1 2 00000F");
  EXPECT_EQ(run.Drawn()[2], "brush 7 000000");
  EXPECT_EQ(run.Drawn()[3], "pixel 1 1 00FF00");
  EXPECT_EQ(run.Drawn()[5], "pen 0 1 123456");
  // White read back: 31 + 32 * 31 + 1024 * 31 in the reduced mode.
  EXPECT_EQ(run.Integer("A%"), 32767);
  EXPECT_EQ(run.Long("B&"), 0xFFFFFF);

  ProgramRun outside("A% = @GETPIXEL(5000,5000)\nSETTRUECOLOR 1\nB% = @GETPIXEL(5000,5000)\n",
              [](RecordingGraphics& graphics) { graphics.pixel.reset(); });
  EXPECT_EQ(outside.Integer("A%"), -1);
  EXPECT_EQ(outside.Integer("B%"), -1);
}

std::string Temporary(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("talven_graphics_" + name)).string();
}

void WriteFile(const std::string& name, const Bytes& bytes) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// LOADBMP draws a good file with its size in %BMPX/%BMPY; a refused one warns with 228 and
// the name and draws nothing; mode -1 leaves out the bottom-left colour (&BMPCOL).
TEST(GraphicsFamily, LoadingBitmaps) {
  const std::string good = Temporary("good.bmp");
  const std::string bad = Temporary("bad.bmp");
  WriteFile(good, MakeBmp(2, 2, 24, 0, {}, {0x56, 0x34, 0x12, 1, 2, 3, 0, 0, 9, 9, 9, 9, 9, 9, 0, 0}));
  Bytes hostile = MakeBmp(2, 2, 24, 0, {}, Bytes(16, 0));
  PutLittle16(&hostile[28], 7);
  WriteFile(bad, hostile);
  ProgramRun run("SETTRUECOLOR 1\nLOADBMP \"" + good + "\", 5, 6\nA% = %BMPX\nB% = %BMPY\n"
          "LOADSIZEDBMP \"" + good + "\", 1, 2 - 30, 40 ; -1\nC& = &BMPCOL\n"
          "LOADBMP \"" + bad + "\", 0, 0 ; 3\n");
  EXPECT_EQ(run.Drawn(), (std::vector<std::string>{"image 2x2 at 5 6 2 2 mode 0",
                                                   "image 2x2 at 1 2 30 40 mode -1"}));
  EXPECT_EQ(run.Integer("A%"), 2);
  EXPECT_EQ(run.Integer("B%"), 2);
  EXPECT_EQ(run.Long("C&"), 0x123456);
  EXPECT_EQ(run.LastBox(), "Bitmap nicht ladbar: " + bad);
  std::filesystem::remove(good);
  std::filesystem::remove(bad);
}

// SAVEBMP writes a file the reader takes back; an empty area or an unwritable place
// warns with 229 and leaves an existing file as it was.
TEST(GraphicsFamily, SavingBitmaps) {
  const std::string file = Temporary("saved.bmp");
  ProgramRun run("SAVEBMP \"" + file + "\", 1, 2 - 3, 4\nA% = %BMPX\nB% = %BMPY\n");
  EXPECT_EQ(run.exitCode, 0);
  Bytes bytes;
  {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  BmpImage image;
  ASSERT_EQ(ReadBmp(bytes, image), BmpError::None);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 4);
  EXPECT_EQ(run.Integer("A%"), 3);

  ProgramRun empty("SAVEBMP \"" + file + "\", 0, 0 - 0, 5\n");
  EXPECT_EQ(empty.LastBox(), "Bitmap konnte nicht gespeichert werden: " + file);
  EXPECT_EQ(std::filesystem::file_size(file), bytes.size());
  const std::string nowhere = Temporary("no/such/folder/x.bmp");
  ProgramRun unwritable("SAVEBMP \"" + nowhere + "\", 0, 0 - 5, 5\n");
  EXPECT_EQ(unwritable.LastBox(), "Bitmap konnte nicht gespeichert werden: " + nowhere);
  std::filesystem::remove(file);
}

TEST(GraphicsFamily, MemoryBitmapAndIcons) {
  ProgramRun run("MCLS 20, 10\nMCLS -1, 5\nMCLS 100000, 100000\nMCOPYBMP 0,0-4,4>10,10;-1\n"
          "MCOPYSIZEDBMP 0,0-4,4>1,2-8,8\nCOPYBMPTOMEM 1,2-3,4>5,6\nCOPYBMP 0,0-5,5>6,6;9\n"
          "DRAWSYSICON 4,1,2\nDRAWSYSICON 5,0,0\nDRAWICON \"NICHTDA\",0,0\n");
  EXPECT_EQ(run.Drawn(), (std::vector<std::string>{
                             "mcls 20 10", "mcopy 0 0 4 4 > 10 10 4 4 mode -1",
                             "mcopy 0 0 4 4 > 1 2 8 8 mode 0", "tomem 1 2 3 4 > 5 6",
                             "copy 0 0 5 5 > 6 6 5 5 mode 0", "sysicon 4 1 2",
                             "icon NICHTDA 0 0"}));
  std::vector<std::string> texts;
  for (const BoxRequest& box : run.host.boxes) texts.push_back(box.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Bitmap nicht ladbar: Memory Bitmap",
                                             "Bitmap nicht ladbar: Memory Bitmap",
                                             "ICON nicht vorhanden! (Nur 0..4)",
                                             "ICON nicht vorhanden: NICHTDA"}));
}

// A print job: coordinates and pen widths count tenfold, the page is 640 x 960 units;
// the window's own output and the bitmap commands are refused with their names.
TEST(PrintingFamily, JobsScaleAndRefuse) {
  ProgramRun run("STARTPRINT \"Bericht\"\nUSEPEN 0,1,0\nUSEPEN 1,1,0\nNEXTPAGE\nLINE 0,0-640,960\n"
          "LINE 300000000,0-0,0\nENDPRINT\nSTARTPRINT\nCOPYBMP 0,0-1,1>2,2\n");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.Drawn(), (std::vector<std::string>{"pen 0 10 000000", "pen 1 1 000000",
                                                   "LINE 0 0 6400 9600 0 0 0 0",
                                                   "LINE 2147483647 0 0 0 0 0 0 0"}));
  run.End();
  EXPECT_EQ(run.Printer().log, (std::vector<std::string>{"start Bericht", "page", "end",
                                                         "start DruckSeite", "abort"}));
  EXPECT_EQ(run.LastBox(), "Während der Druckausgabe verboten: COPYBMP");
  for (const char* word : {"CLS", "PRINT 1", "SCREENCOPY", "WINCOPY 1", "MCLS 1,1", "SAVEBMP \"x\",0,0-1,1",
                           "STARTPAINT -1", "DRAWEXTBMP 1,\"A\",0,0", "STARTPRINT"}) {
    ProgramRun refused(std::string("STARTPRINT\n") + word + "\n");
    std::string name(word);
    name = name.substr(0, name.find(' '));
    EXPECT_EQ(refused.LastBox(), "Während der Druckausgabe verboten: " + name) << word;
    refused.End();
    EXPECT_EQ(refused.Printer().log.back(), "abort");
  }
}

TEST(PrintingFamily, JobStatesAndHardCopies) {
  ProgramRun missing("ENDPRINT\n");
  EXPECT_EQ(missing.LastBox(), "STARTPRINT fehlt!");
  ProgramRun page("NEXTPAGE\n");
  EXPECT_EQ(page.LastBox(), "STARTPRINT fehlt!");
  ProgramRun painting("STARTPAINT -1\nSTARTPRINT\n");
  EXPECT_EQ(painting.LastBox(), "Zwischen STARTPAINT/ENDPAINT verboten: STARTPRINT");
  ProgramRun none("STARTPRINT\n", nullptr, false);
  EXPECT_EQ(none.LastBox(), "Drucken ist nicht möglich!");
  EXPECT_EQ(none.exitCode, 2);
  // The job left open at the end is ended as ENDPRINT ends it.
  ProgramRun open("STARTPRINT\nLINE 0,0-1,1\n");
  EXPECT_EQ(open.Printer().log, (std::vector<std::string>{"start DruckSeite", "end"}));
  ProgramRun copies("SCREENCOPY 0,0-2000,2000\nSCREENCOPY\nSCREENCOPY 100,50-10,5\nWINCOPY 0\n");
  EXPECT_EQ(copies.Printer().log,
            (std::vector<std::string>{"screencopy 0 0 639 479 of 640", "screencopy 0 0 639 479 of 640",
                                      "screencopy 10 5 100 50 of 640"}));
  EXPECT_EQ(copies.LastBox(), "Ungültiges Fenster-Handle!");
}

TEST(PrintingFamily, PageArithmetic) {
  EXPECT_EQ(PageExtent(kPageDotsWidth, 300), 2200);
  EXPECT_EQ(PageExtent(kPageDotsWidth, 600), 4400);
  EXPECT_EQ(PageExtent(kPageDotsHeight, 96), 1056);  // not 0 below 300 dpi
  EXPECT_EQ(PageExtent(kPageDotsWidth, 72), 528);
  const CopyArea tall = ClampScreenCopy({0, 0, 100, 5000}, 200, 10000);
  EXPECT_EQ(tall.bottom, 299);  // 1.5 x the width
  const CopyArea wide = ClampScreenCopy({10, 10, 5000, 20}, 200, 100);
  EXPECT_EQ(wide.right, 209);
}


}  // namespace
}  // namespace talven

namespace talven {
namespace {

// Files written by ImageMagick, Pillow and netpbm decode to the pixels ImageMagick lists for them.
TEST(BmpReader, FixturesOfOtherProgramsDecodeAsTheyList) {
  const std::filesystem::path folder = std::filesystem::path(TALVEN_TEST_DATA) / "fixtures" / "bmp";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".bmp") continue;
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    BmpImage image;
    ASSERT_EQ(ReadBmp(bytes, image), BmpError::None) << entry.path();
    std::ifstream listing(std::filesystem::path(entry.path()).replace_extension(".txt"));
    int x = 0;
    int y = 0;
    std::string colour;
    int pixels = 0;
    while (listing >> x >> y >> colour) {
      ASSERT_LT(x, image.width);
      ASSERT_LT(y, image.height);
      EXPECT_EQ(image.At(x, y), std::stoul(colour, nullptr, 16)) << entry.path() << " " << x << "," << y;
      ++pixels;
    }
    EXPECT_EQ(pixels, image.width * image.height) << entry.path();
  }
  EXPECT_GE(files, 8);
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

// Found by fuzzing: a bit-field mask with a gap (0xFF00FF00) counts its lowest run only,
// so no channel spills into another and a written copy reads back the same.
TEST(BmpReader, GappedMasksStayInTheirChannel) {
  Bytes file = MakeBmp(1, 1, 32, 3, {0xFF00FF00, 0x000000FF, 0x00FF0000}, {0x12, 0x34, 0x56, 0x78});
  PutLittle32(&file[46], 0);
  BmpImage image;
  ASSERT_EQ(ReadBmp(file, image), BmpError::None);
  EXPECT_EQ(image.pixels[0], 0x341256u);
  BmpImage back;
  ASSERT_EQ(ReadBmp(WriteBmp(image, 24), back), BmpError::None);
  EXPECT_EQ(back.pixels, image.pixels);
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

// A fixed-seed mutation pass over the fixtures: 1 % of the bytes changed, 100 rounds each.
// The reader refuses or decodes, and what it decodes is whole (the sanitizer build runs
// this too).
TEST(BmpReader, MutatedFixturesNeverReadOutside) {
  const std::filesystem::path folder = std::filesystem::path(TALVEN_TEST_DATA) / "fixtures" / "bmp";
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  int decoded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".bmp") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (int round = 0; round < 100; ++round) {
      Bytes bytes = original;
      const size_t changes = std::max<size_t>(1, bytes.size() / 100);
      for (size_t i = 0; i < changes; ++i) bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
      BmpImage image;
      if (ReadBmp(bytes, image) == BmpError::None) {
        ++decoded;
        ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
      } else {
        ASSERT_TRUE(image.pixels.empty());
      }
    }
  }
  EXPECT_GT(decoded, 0);
}

}  // namespace
}  // namespace talven
