#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/functions.h"
#include "engine/number_text.h"
#include "engine/run_loop.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

// ---- the catalogue --------------------------------------------------------------------

TEST(FunctionCatalogue, OneRowPerNameAndEveryCodeHasARow) {
  std::set<std::string> names;
  for (int32_t row = 0; row < CatalogueSize(); ++row) {
    const std::string name(CatalogueName(row));
    EXPECT_TRUE(names.insert(name).second) << name << " twice";
    EXPECT_EQ(FindCatalogueRow(name), row);
  }
  EXPECT_EQ(CatalogueSize(), 205);
  EXPECT_EQ(CatalogueName(0), "PWD$");
  EXPECT_EQ(CatalogueName(CatalogueSize() - 1), "TAB");
  // The compiler's code table names the same functions (and the four slot functions).
  std::set<std::string> coded;
#define TALVEN_FUNCTION(code, name) coded.insert(name);
#include "toolchain/function_codes.def"
#undef TALVEN_FUNCTION
  for (const char* slot : {"$", "%", "&", "!"}) {
    EXPECT_EQ(coded.erase(slot), 1u) << slot;
    EXPECT_EQ(FindCatalogueRow(slot), -1);
  }
  std::vector<std::string> onlyCoded, onlyListed;
  std::set_difference(coded.begin(), coded.end(), names.begin(), names.end(), std::back_inserter(onlyCoded));
  std::set_difference(names.begin(), names.end(), coded.begin(), coded.end(), std::back_inserter(onlyListed));
  // Two codes of the code file stand for names the catalogue does not have: a program
  // calling them stops with 101 in the interpreter and the runtime alike.
  EXPECT_EQ(onlyCoded, (std::vector<std::string>{"GETATTRIB", "GETDATE$"}));
  EXPECT_EQ(onlyListed, std::vector<std::string>{});
  EXPECT_EQ(FindCatalogueRow("mid$"), -1);  // the caller upper-cases
  EXPECT_EQ(FindCatalogueRow("SQX"), -1);
}

class FunctionTest : public testing::Test {
 protected:
  FunctionTest() { engine.ResetRunState(); }

  // A fatal error ends the run: its box is recorded, the registers stay as they were.
  const Registers& Eval(const std::string& text) {
    engine.param = text;
    try {
      Evaluate(engine, "");
    } catch (const RunEnd&) {
    }
    return engine.reg;
  }
  void Run(std::initializer_list<const char*> lines) {
    for (const char* line : lines) engine.store.Append(line);
    RunStatements(engine);
  }
  std::string LastBox() const { return host.boxes.empty() ? "" : host.boxes.back().text; }

  test::RecordingHost host;
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};
};

TEST_F(FunctionTest, RegistersAfterTheHandler) {
  // Integer and long results fill the float register; MOD, OR, XOR give floats.
  const Registers& len = Eval("@LEN(\"abc\")");
  EXPECT_EQ(len.type, ValueType::Integer);
  EXPECT_EQ(len.floatValue, 3.0);
  EXPECT_EQ(len.longValue, 3);
  EXPECT_EQ(Eval("@AND(6,3)").type, ValueType::Long);
  EXPECT_EQ(Eval("@OR(6,3)").type, ValueType::Float);
  EXPECT_EQ(Eval("@OR(6,3)").integer, 7);
  EXPECT_EQ(Eval("@INT(-2.5)").floatValue, -2.0);
  EXPECT_EQ(Eval("@VAL(\"$FF\")").type, ValueType::Long);
  EXPECT_EQ(Eval("@VAL(\"$FF\")").Text(), "255");
  EXPECT_EQ(Eval("@VAL(\"2.5\")").type, ValueType::Float);
  const Registers& text = Eval("@CHR$(65)");
  EXPECT_EQ(text.type, ValueType::String);
  EXPECT_EQ(text.integer, 0);
  EXPECT_EQ(text.floatValue, 0.0);
}

TEST_F(FunctionTest, CallSitesRememberTheirRowAndDefLines) {
  Run({"DEF @TWICE(1) @!(1) * 2", "DECLARE i%", "DEF @TWICE(1) 0"});
  // The same text evaluated again goes through its remembered reading.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Eval("@twice(4) + @LEN(\"ab\")").floatValue, 10.0);
    EXPECT_EQ(Eval("@TWICE(@TWICE(1))").floatValue, 4.0);
  }
  EXPECT_TRUE(host.boxes.empty());
  Eval("@NOPE(1)");
  EXPECT_EQ(LastBox(), "Funktion unbekannt: NOPE");
}

TEST_F(FunctionTest, LibraryRowsThatAreNotBuiltFailClearly) {
  for (const char* call : {"@EXTSTRING$(0,1)"}) {
    host.boxes.clear();
    engine.errors.level = -1;  // the run goes on after the error
    Eval(call);
    std::string name(call + 1);
    name.resize(name.find('('));
    EXPECT_EQ(LastBox(), "") << call;  // level -1: silent
    EXPECT_EQ(engine.errors.lastNumber, 101) << call;
    EXPECT_EQ(engine.reg.type, ValueType::None) << call;
  }
}

TEST_F(FunctionTest, IfSkipsTheOtherBranchAndStillNeedsIt) {
  EXPECT_EQ(Eval("@IF(0, @DIV(1,0), 7)").floatValue, 7.0);
  EXPECT_EQ(Eval("@IF(1, \"a\", @DIV(1,0))").Text(), "a");
  EXPECT_TRUE(host.boxes.empty());
  Eval("@IF(1, 2)");
  EXPECT_EQ(LastBox(), "Zu wenig Parameter!");
}

// ---- FORMAT$ ---------------------------------------------------------------------------

TEST(FormatPicture, DigitPlacesPointAndSeparators) {
  EXPECT_EQ(FormatPicture("0.00", 3.14159), "3.14");
  EXPECT_EQ(FormatPicture("0.00", 2.999), "3.00");
  EXPECT_EQ(FormatPicture("#.##", 0.5), ".5");
  EXPECT_EQ(FormatPicture("#.##", 1), "1");
  EXPECT_EQ(FormatPicture("0.0#", 1.5), "1.5");
  EXPECT_EQ(FormatPicture("0.0#", 1.556), "1.56");
  EXPECT_EQ(FormatPicture("000", 7), "007");
  EXPECT_EQ(FormatPicture("#", 12345), "12345");
  EXPECT_EQ(FormatPicture("#,##0", 1234567), "1,234,567");
  EXPECT_EQ(FormatPicture("#,##0", 123), "123");
  EXPECT_EQ(FormatPicture("#,##0.00", -1234.5), "-1,234.50");
  EXPECT_EQ(FormatPicture("0,000", 5), "0,005");
  EXPECT_EQ(FormatPicture("00-00", 1234), "12-34");
  EXPECT_EQ(FormatPicture("00-00", 123456), "1234-56");
  EXPECT_EQ(FormatPicture("0.00,", 1.5), "1.50");  // "," after the point has no meaning
}

TEST(FormatPicture, LiteralsSectionsAndSigns) {
  EXPECT_EQ(FormatPicture("\"Nr. \"000", 42), "Nr. 042");
  EXPECT_EQ(FormatPicture("'Nr. '000", 42), "Nr. 042");
  EXPECT_EQ(FormatPicture("0 'St;ck'", 3), "3 St;ck");  // ";" in quotes splits nothing
  EXPECT_EQ(FormatPicture("0.0;(0.0);'null'", 2.26), "2.3");
  EXPECT_EQ(FormatPicture("0.0;(0.0);'null'", -2.26), "(2.3)");
  EXPECT_EQ(FormatPicture("0.0;(0.0);'null'", 0), "null");
  EXPECT_EQ(FormatPicture("0.0;;'null'", -1), "-1.0");  // an empty section counts as none
  EXPECT_EQ(FormatPicture("0.0;(0.0)", 0), "0.0");
  EXPECT_EQ(FormatPicture("0", -0.2), "0");  // what rounds to 0 has no sign
  EXPECT_EQ(FormatPicture("#", 0), "");
  EXPECT_EQ(FormatPicture("'x'", 5), "x");
  EXPECT_EQ(FormatPicture("", 2.5), "2.5");
  EXPECT_EQ(FormatPicture("", -1e20), "-1e+20");
  EXPECT_EQ(FormatPicture("0", 1.0 / 0.0), "INF");
  EXPECT_EQ(FormatPicture("0.00", 1e300).size(), 255u);  // cut, never reported
  EXPECT_EQ(FormatPicture("#," + std::string(200, '0'), 1).size(), 255u);
}

// ---- VAL -------------------------------------------------------------------------------

TEST(ReadVal, PrefixesDecimalsAndTheTextBeforeAFault) {
  auto longOf = [](std::string_view text) {
    const ValReading r = ReadVal(text);
    EXPECT_FALSE(r.isFloat) << text;
    return r.longValue;
  };
  auto floatOf = [](std::string_view text) {
    const ValReading r = ReadVal(text);
    EXPECT_TRUE(r.isFloat) << text;
    return r.floatValue;
  };
  EXPECT_EQ(longOf(""), 0);
  EXPECT_EQ(longOf("   "), 0);
  EXPECT_EQ(longOf("$FF"), 255);
  EXPECT_EQ(longOf("$ff"), 255);
  EXPECT_EQ(longOf("$FFFFFFFF"), -1);
  EXPECT_EQ(longOf("$1G"), 1);
  EXPECT_EQ(longOf("&777"), 511);
  EXPECT_EQ(longOf("&8"), 0);
  EXPECT_EQ(longOf("%1011"), 11);
  EXPECT_EQ(longOf("%12"), 1);
  EXPECT_EQ(longOf("12abc"), 12);
  EXPECT_EQ(longOf("\t -42 \r\n"), -42);
  EXPECT_EQ(longOf("+7"), 7);
  EXPECT_EQ(longOf("1e3"), 1);
  EXPECT_EQ(longOf("2147483647"), 2147483647);
  EXPECT_EQ(longOf("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(longOf("2147483648"), 214748364);  // the digit that overflows ends it
  EXPECT_EQ(longOf("abc"), 0);
  EXPECT_EQ(floatOf("1.5"), 1.5);
  EXPECT_EQ(floatOf("-.25"), -0.25);
  EXPECT_EQ(floatOf("1.5e2x"), 150.0);
  EXPECT_EQ(floatOf("1.5e"), 1.5);
  EXPECT_EQ(floatOf("1.2.3"), 1.2);
  EXPECT_EQ(floatOf("."), 0.0);
  EXPECT_EQ(floatOf("1e999."), 0.0);  // no finite value
  EXPECT_EQ(ReadVal("3.9").longValue, 3);
}

TEST(ToBase, UnsignedDigitsWithoutPrefix) {
  EXPECT_EQ(ToBase(0, 16), "0");
  EXPECT_EQ(ToBase(255, 16), "FF");
  EXPECT_EQ(ToBase(0xFFFFFFFFu, 16), "FFFFFFFF");
  EXPECT_EQ(ToBase(0xFFFFFFFFu, 8), "37777777777");
  EXPECT_EQ(ToBase(0x80000000u, 2), "1" + std::string(31, '0'));
}

// ---- code pages ------------------------------------------------------------------------

TEST(CodePages, LettersBothWaysAndTheRestByNearestCharacter) {
  std::string ascii;
  for (int c = 0; c < 128; ++c) ascii.push_back(static_cast<char>(c));
  EXPECT_EQ(OemToAnsi(ascii), ascii);
  EXPECT_EQ(AnsiToOem(ascii), ascii);
  EXPECT_EQ(AnsiToOem("\xE4\xF6\xFC\xC4\xD6\xDC\xDF"), "\x84\x94\x81\x8E\x99\x9A\xE1");
  EXPECT_EQ(OemToAnsi("\x84\x94\x81\x8E\x99\x9A\xE1"), "\xE4\xF6\xFC\xC4\xD6\xDC\xDF");
  // Every character of 1252 from 0xA0 on is in 850 and comes back.
  for (int c = 0xA0; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    const std::string oem = AnsiToOem(one);
    EXPECT_GE(static_cast<unsigned char>(oem[0]), 128) << c;
    EXPECT_EQ(OemToAnsi(oem), one) << c;
  }
  EXPECT_EQ(OemToAnsi("\xC4\xB3\xC5\xDB"), "-|+#");  // box drawing and blocks
  EXPECT_EQ(AnsiToOem("\x80\x93\x94\x96\x8A"), "E\"\"-S");
  EXPECT_EQ(AnsiToOem("\x83"), "\x9F");  // the florin is in both
}

}  // namespace
}  // namespace talven
