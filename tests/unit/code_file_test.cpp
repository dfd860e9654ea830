// The code file byte by byte: headers of the three modes, records, the reader's checks,
// the parameter encoding and the compiler's translation of lines.

#include "toolchain/code_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolchain/code_dump.h"
#include "toolchain/code_lines.h"
#include "toolchain/codes.h"
#include "toolchain/parameter_codec.h"
#include "toolchain/translator.h"

namespace talven {
namespace {

// Draws 0, 1, 2, ... wrapped into the asked range; `fixed` >= 0 draws only that value.
class CountingRandom : public RandomSource {
 public:
  explicit CountingRandom(int fixed = -1) : m_fixed(fixed) {}
  uint8_t Next(uint8_t low, uint8_t high) override {
    const int value = m_fixed >= 0 ? m_fixed : m_count++;
    return static_cast<uint8_t>(low + value % (high - low + 1));
  }

 private:
  int m_fixed;
  int m_count = 0;
};

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<uint8_t> CodeFile(ScrambleMode mode, const std::vector<std::string>& bodies,
                              RandomSource& random) {
  const auto header = MakeCodeHeader(mode, random);
  std::vector<uint8_t> file(header.begin(), header.end());
  CodeFileWriter writer(header);
  for (const std::string& body : bodies) {
    const std::string record = writer.Record(body);
    file.insert(file.end(), record.begin(), record.end());
  }
  writer.Finish();
  return file;
}

CodeFileContent Read(const std::vector<uint8_t>& file) {
  MemoryByteSource source(file);
  return ReadCodeFile(source);
}

TEST(CodeFileHeader, PlainXorAndCipherLayout) {
  CountingRandom random;
  const auto plain = MakeCodeHeader(ScrambleMode::Plain, random);
  EXPECT_EQ(std::string(plain.begin(), plain.end()),
            std::string(" ZUL-TALVEN5 DATEI\x1A            ") + std::string(1, '\0'));
  const auto x = MakeCodeHeader(ScrambleMode::Xor, random);
  EXPECT_EQ(x[11], '5');
  for (size_t i = 26; i <= 29; ++i) EXPECT_LE(x[i], 6) << i;  // R[7..10]
  EXPECT_EQ(x[30], ' ');
  EXPECT_EQ(x[31], 0);
  CountingRandom zeros(0);
  const auto cipher = MakeCodeHeader(ScrambleMode::Cipher, zeros);
  EXPECT_EQ(std::string(cipher.begin() + 1, cipher.begin() + 18), "ZUL-TALVEN6 DATEI");
  for (size_t i = 19; i <= 29; ++i) EXPECT_EQ(cipher[i], 1) << "key bytes are 1..255";
}

TEST(CodeFileHeader, XorByteStaysInsideTheKeyBytes) {
  std::array<uint8_t, 12> r{};
  r = {0x10, 0x21, 0x42, 0x84, 0x08, 0x01, 0x02, 0, 1, 2, 3, ' '};
  // (R[R[8]] | R[R[10]]) & (R[R[7]] | R[R[9]]) = (R1 | R3) & (R0 | R2)
  EXPECT_EQ(XorByteOf(r), (0x21 | 0x84) & (0x10 | 0x42));
  r[1] = ' ';
  r[2] = ' ';
  EXPECT_EQ(XorByteOf(r), 0);
  // A foreign header with indices past the 11 key bytes wraps instead of reading beyond.
  r = {1, 2, 4, 8, 16, 32, 64, 200, 255, 11, 12, ' '};
  EXPECT_EQ(XorByteOf(r), (r[255 % 11] | r[12 % 11]) & (r[200 % 11] | r[11 % 11]));
}

TEST(CodeFileRoundTrip, EveryModeGivesBackBodiesAndFlags) {
  const std::vector<std::string> bodies = {"\xA2\"a\"", std::string("\x15\xCE") + "A%=B%+1", "",
                                           "\x27", std::string(254, 'x')};
  for (ScrambleMode mode : {ScrambleMode::Plain, ScrambleMode::Xor, ScrambleMode::Cipher}) {
    CountingRandom random(77);
    const auto file = CodeFile(mode, bodies, random);
    const CodeFileContent content = Read(file);
    ASSERT_EQ(content.error, ErrorCode::None);
    EXPECT_EQ(content.mode, mode);
    ASSERT_EQ(content.lines.size(), bodies.size());
    EXPECT_FALSE(content.lines[0].hasOperators);
    EXPECT_TRUE(content.lines[1].hasOperators);
    EXPECT_EQ(content.lines[1].body,
              "\xCE"
              "A%=B%+1");
    EXPECT_EQ(content.lines[4].body.size(), 254u);
    if (mode != ScrambleMode::Plain) {
      EXPECT_NE(std::string(file.begin() + 33, file.begin() + 37), bodies[0]) << "scrambled";
    }
  }
}

TEST(CodeFileRoundTrip, TwoCompilationsDiffer) {
  CountingRandom first;
  CountingRandom second(5);
  EXPECT_NE(CodeFile(ScrambleMode::Cipher, {"\xA2\"x\""}, first),
            CodeFile(ScrambleMode::Cipher, {"\xA2\"x\""}, second));
}

TEST(CodeFileReader, RejectsWhatIsNoCodeFile) {
  EXPECT_EQ(Read(Bytes("hello")).error, ErrorCode::NotACodeFile);
  EXPECT_EQ(Read(Bytes(" ZUL-TALVEX5 DATEI\x1A            ")).error, ErrorCode::NotACodeFile);
  CountingRandom random;
  const auto empty = CodeFile(ScrambleMode::Plain, {}, random);
  EXPECT_EQ(Read(empty).error, ErrorCode::None);
  EXPECT_TRUE(Read(empty).lines.empty());
}

TEST(CodeFileReader, DamagedRecords) {
  CountingRandom random;
  auto file = CodeFile(ScrambleMode::Plain,
                       {"\xA2"
                        "1"},
                       random);
  auto cut = file;
  cut.push_back(10);
  cut.push_back('x');
  EXPECT_EQ(Read(cut).error, ErrorCode::CodeFileDamaged) << "a record cut off";
  auto tooLong = file;
  tooLong.push_back(255);
  tooLong.insert(tooLong.end(), 255, 'x');
  EXPECT_EQ(Read(tooLong).error, ErrorCode::LineTooLong);
}

TEST(CodeFileReader, LineLimit) {
  CountingRandom random;
  auto file = CodeFile(ScrambleMode::Plain, {}, random);
  file.insert(file.end(), 65535, 0);  // empty records
  EXPECT_EQ(Read(file).error, ErrorCode::None);
  EXPECT_EQ(Read(file).lines.size(), 65535u);
  file.push_back(0);
  EXPECT_EQ(Read(file).error, ErrorCode::TooManyLines);
}

TEST(CodeFileReader, ProgEndEndsTheFile) {
  CountingRandom random;
  auto file = CodeFile(ScrambleMode::Xor,
                       {"\xA2"
                        "1",
                        "\x02"},
                       random);
  file.push_back(255);  // never read
  const CodeFileContent content = Read(file);
  EXPECT_EQ(content.error, ErrorCode::None);
  EXPECT_EQ(content.lines.size(), 2u);
}

TEST(CodeFileReader, ModeTests) {
  CountingRandom random(9);
  auto cipher = CodeFile(ScrambleMode::Cipher,
                         {"\xA2"
                          "1"},
                         random);
  // Key bytes 20 and 21 blank: plain, whatever the version says.
  cipher[20] = ' ';
  cipher[21] = ' ';
  EXPECT_EQ(Read(cipher).mode, ScrambleMode::Plain);
  // Version "4": XOR with byte 20 OR byte 21.
  CountingRandom plainRandom;
  auto old = CodeFile(ScrambleMode::Plain, {}, plainRandom);
  old[11] = '4';
  old[20] = 0x01;
  old[21] = 0x02;
  old.push_back(2);
  old.push_back(static_cast<uint8_t>(0xA2 ^ 0x03));
  old.push_back(static_cast<uint8_t>('7' ^ 0x03));
  const CodeFileContent content = Read(old);
  EXPECT_EQ(content.mode, ScrambleMode::Xor);
  ASSERT_EQ(content.lines.size(), 1u);
  EXPECT_EQ(content.lines[0].body,
            "\xA2"
            "7");
}

// A program for the encoder: DEF function SQ at line 3, constant %MAXI at line 4.
class Symbols : public ProgramSymbols, public CompiledNames {
 public:
  int32_t DefFunctionLine(std::string_view name) const override { return name == "SQ" ? 3 : 0; }
  int32_t DefConstantLine(std::string_view name) const override { return name == "%MAXI" ? 4 : 0; }
  std::string DefFunctionName(int32_t line) const override { return line == 3 ? "SQ" : "?"; }
  std::string DefConstantName(int32_t line) const override { return line == 4 ? "%MAXI" : "?"; }
};

std::string Encoded(std::string_view text, ErrorCode* error = nullptr) {
  Symbols symbols;
  std::string out;
  const EncodeResult result = EncodeParameters(text, symbols, out);
  if (error != nullptr) *error = result.error;
  return out;
}

TEST(ParameterEncoding, CodesAndTextSideBySide) {
  EXPECT_EQ(Encoded("a% and b% Or \" and \""),
            "a%\x15"
            "Ab%\x15"
            "O\" and \"");
  EXPECT_EQ(Encoded("x MOD 2"), "x\x15M2");
  EXPECT_EQ(Encoded("@LEN(a$)+len(b$)"), "@\x96(a$)+@\x96(b$)");
  EXPECT_EQ(Encoded("@$(1)"), "@$(1)");
  EXPECT_EQ(Encoded("%MAXX,$drive"), "%\xAD,$\x95");
  EXPECT_EQ(Encoded("$FF+&17+%1010"), "$FF+&17+%1010");
  EXPECT_EQ(Encoded("@SQ(3)*%MAXI"), std::string("@\xFF\x03\x00(3)*%\xFE\x04\x00", 12));
  EXPECT_EQ(Encoded("LIST(1)"), "@\xB7(1)");
  EXPECT_EQ(Encoded("a$ ' comment @NIX("), "a$ ");
  EXPECT_EQ(Encoded("len%"), "len%");
}

TEST(ParameterEncoding, Failures) {
  ErrorCode error = ErrorCode::None;
  Encoded("@NIX(1)", &error);
  EXPECT_EQ(error, ErrorCode::UnknownFunction);
  Encoded("%NIX", &error);
  EXPECT_EQ(error, ErrorCode::UnknownSystemVariable);
  Encoded("@PI", &error);
  EXPECT_EQ(error, ErrorCode::ArgumentMissing);
  Encoded("\"open", &error);
  EXPECT_EQ(error, ErrorCode::StringEndMissing);
}

TEST(ParameterEncoding, DecodingGivesTheSourceBack) {
  Symbols symbols;
  for (const char* text : {"a% AND b% OR \" and \"", "x MOD @LEN(a$)", "%MAXX+$DRIVE",
                           "@SQ(3)*%MAXI", "@SPACE$(3)", "$FF+&17", "a$[1,2]=\"@x\""}) {
    EXPECT_EQ(DecodeParameters(Encoded(text), symbols), text);
  }
}

// The codes tables hold what the compiled form promises.
TEST(CodeTables, Completeness) {
  EXPECT_EQ(FunctionCodes().size(), 211u);
  EXPECT_EQ(SystemVariableCodes().size(), 83u);
  EXPECT_EQ(FunctionCode("GETUSAGE"), 254);
  EXPECT_EQ(FunctionCode("LIST"), 183);
  EXPECT_EQ(SystemVariableCode("%PROGEND"), 0xD3);
  EXPECT_EQ(SystemVariableName(0x81), "%BUTTON");
  for (const CodeName& entry : FunctionCodes()) EXPECT_NE(entry.code, kCodeDefCall);
}

std::vector<std::string> Bodies(const std::vector<std::string>& lines,
                                TranslateError* error = nullptr) {
  ProgramStore store;
  for (const std::string& line : lines) store.Append(line);
  Translator translator(store);
  std::vector<std::string> bodies;
  TranslateError failure;
  for (int32_t n = 1; n <= store.LineCount(); ++n) {
    std::string body;
    bool progEnd = false;
    if (!translator.TranslateLine(n, body, progEnd, failure)) break;
    bodies.push_back(body);
    if (progEnd) break;
  }
  if (failure.code == ErrorCode::None) translator.Finish(failure);
  if (error != nullptr) *error = failure;
  return bodies;
}

TEST(Translation, SpecialBodies) {
  const auto bodies = Bodies({"REM x", "start:", "a% = b% + 1", "a%=1", "CASE a%: PRINT 1",
                              "oben 2", "PROC oben", "ENDPROC", "DEF @SQ(1) @!(1)*@!(1)",
                              "DEF %MAXI 100", "@LEN(\"a\")", "PROGEND", "unbekannt"});
  ASSERT_EQ(bodies.size(), 12u) << "translation stops after PROGEND";
  EXPECT_EQ(bodies[0], "\x27");
  EXPECT_EQ(bodies[1], "\xFESTART:");
  EXPECT_EQ(bodies[2],
            "\x15\xCE"
            "A%= b% + 1");
  EXPECT_EQ(bodies[3],
            "\xCE"
            "A%=1");
  EXPECT_EQ(bodies[4],
            "\x81"
            "a%:\xA2"
            "1");
  EXPECT_EQ(bodies[5], std::string("\xFF\x07\x00"
                                   "2",
                                   4))
      << "the PROC below, line 7";
  EXPECT_EQ(bodies[8], std::string("\x15\x83@\xFF\x09\x00(1)@!(1)*@!(1)", 20));
  EXPECT_EQ(bodies[9], "\x83%MAXI 100");
  EXPECT_EQ(bodies[10], "\x40@\x96(\"a\")");
  EXPECT_EQ(bodies[11], "\x02");
}

TEST(Translation, OperatorModeOff) {
  const auto bodies = Bodies({"$O-", "a% = b% + 1", "$O+", "a% = b% + 1"});
  EXPECT_EQ(bodies[0], "\x27");
  EXPECT_EQ(bodies[1],
            "\xCE"
            "A%= b% + 1");
  EXPECT_EQ(bodies[3],
            "\x15\xCE"
            "A%= b% + 1");
}

TEST(Translation, BlockErrors) {
  TranslateError error;
  Bodies({"WHILE 1", "WEND", "WEND"}, &error);
  EXPECT_EQ(error.code, ErrorCode::WhileMissing);
  EXPECT_EQ(error.context, "Zeile      3: WEND");
  Bodies({"ENDIF"}, &error);
  EXPECT_EQ(error.code, ErrorCode::IfMissing);
  Bodies({"PROC p"}, &error);
  EXPECT_EQ(error.code, ErrorCode::EndProcMissing);
  Bodies({"IF 1", "CASE 1: ENDIF"}, &error);
  EXPECT_EQ(error.code, ErrorCode::EndIfMissing) << "an ENDIF behind a CASE colon does not count";
  Bodies({"foo bar"}, &error);
  EXPECT_EQ(error.code, ErrorCode::UnknownStatement);
  EXPECT_EQ(error.detail, "FOO");
  Bodies({"PROGEND", "foo"}, &error);
  EXPECT_EQ(error.code, ErrorCode::None) << "nothing below PROGEND is translated";
}

TEST(Translation, ProcedureNumberFollowsThePosition) {
  EXPECT_EQ(Bodies({"p", "PROC p", "ENDPROC"})[0], std::string("\xFF\x02\x00", 3));
  EXPECT_EQ(Bodies({"REM", "p", "PROC p", "ENDPROC"})[1], std::string("\xFF\x03\x00", 3));
}

TEST(CodeLines, DecodedStoreRunsAsSource) {
  const auto bodies =
      Bodies({"CASE a%: oben 1", "DEF @SQ(1) @!(1)*@!(1)", "PRINT @SQ(2)", "PROC oben", "ENDPROC"});
  std::vector<CodeLine> lines;
  for (const std::string& body : bodies) {
    CodeLine line;
    line.hasOperators = !body.empty() && body.front() == '\x15';
    line.body = line.hasOperators ? body.substr(1) : body;
    lines.push_back(line);
  }
  ProgramStore store;
  StoreCodeLines(lines, store);
  EXPECT_EQ(store.Line(1).text, "CASE a%: OBEN 1");
  EXPECT_EQ(store.Line(1).procedureLine, 4);
  EXPECT_EQ(store.Line(2).text, "DEF @ZDEF2(1)@!(1)*@!(1)");
  EXPECT_EQ(store.Line(3).text, "PRINT @ZDEF2(2)");
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

TEST(CodeDump, NamesHeaderModeAndCodes) {
  CountingRandom random;
  const auto file = CodeFile(ScrambleMode::Xor,
                             {std::string("\x15\xCE"
                                          "A%=@\x96(\"x\")+%\xAD"),
                              std::string("\xFF\x03\x00", 3), "\x8Fp", "\x02"},
                             random);
  MemoryByteSource source(file);
  const std::string dump = DumpCodeFile(ReadCodeFile(source));
  EXPECT_NE(dump.find("magic: ZUL-TALVEN5 DATEI\nmode: XOR\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("    1 op CE LET | LET A%=@LEN(\"x\")+%MAXX\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("    2    FF procedure ->3 | P\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("    4    02 PROGEND | PROGEND\n"), std::string::npos) << dump;
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

// Compiled blocks are found by their codes: a call or a label that merely begins like a
// block word is none, an IF without condition still is one.
TEST(CodeLines, BlockScansSeeCodes) {
  const auto bodies =
      Bodies({"IF 0", "ELSEX(1)", "ENDIFFER", "ELSEWHERE:", "ENDIF", "PROC ENDIFFER", "ENDPROC"});
  std::vector<CodeLine> lines;
  for (const std::string& body : bodies) lines.push_back(CodeLine{false, body});
  ProgramStore store;
  StoreCodeLines(lines, store);
  EXPECT_EQ(store.Line(2).text, "ELSEX(1)");
  EXPECT_EQ(ScanTextOf(store.Line(2)), "-");
  EXPECT_EQ(ScanTextOf(store.Line(3)), "-");
  EXPECT_EQ(store.Line(3).procedureLine, 6);
  EXPECT_EQ(ScanTextOf(store.Line(4)), "-");
  EXPECT_EQ(ScanTextOf(store.Line(5)), "ENDIF");
  EXPECT_EQ(ScanTextOf(store.Line(6)), "PROC ");
  ProgramStore bare;
  StoreCodeLines({CodeLine{false, "\x85"}, CodeLine{false, "\x84"}}, bare);
  EXPECT_EQ(bare.Line(1).text, "IF");
  EXPECT_EQ(ScanTextOf(bare.Line(1)), "IF ");
}

}  // namespace
}  // namespace talven
