#include <gtest/gtest.h>

#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/run_loop.h"
#include "tests/support/recording_host.h"
#include "tests/support/run_state.h"

namespace talven {
namespace {

class EvaluatorTest : public testing::Test {
 protected:
  EvaluatorTest() { engine.ResetRunState(); }

  // Evaluates `text` as a statement's parameter text would be.
  const Registers& Eval(const std::string& text, std::string_view separator = "",
                        EvalMode mode = EvalMode::Any) {
    engine.param = text;
    Evaluate(engine, separator, mode);
    return engine.reg;
  }
  double Float(const std::string& text) { return Eval(text).floatValue; }

  // Runs lines (declarations) before an evaluation.
  void Run(std::initializer_list<const char*> lines) {
    for (const char* line : lines) engine.store.Append(line);
    RunStatements(engine);
  }

  std::string LastBox() const { return host.boxes.empty() ? "" : host.boxes.back().text; }

  test::RecordingHost host;
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};
};

TEST_F(EvaluatorTest, PrioritiesAndLeftAssociation) {
  EXPECT_EQ(Float("2+3*4"), 14);
  EXPECT_EQ(Float("2*3+4"), 10);
  EXPECT_EQ(Float("2^3^2"), 64);
  EXPECT_EQ(Eval("2^3^2").integer, 64);
  EXPECT_EQ(Float("10-4-3"), 3);
  EXPECT_EQ(Float("64/4/2"), 8);
  EXPECT_EQ(Float("1 = 1 + 0"), 1);
  EXPECT_EQ(Float("5 <> 5 = 1"), 1);
  EXPECT_EQ(Float("(2+3)*4"), 20);
  EXPECT_EQ(Float("-(2+3)*4"), -20);
  EXPECT_EQ(Float("2*-3"), -6);
  EXPECT_EQ(Float("3 - -2"), 5);
  EXPECT_EQ(Float("1 AND 0 OR 1"), 1);
  EXPECT_EQ(Float("1 and 2"), 1);
  EXPECT_EQ(Float("0 OR 0"), 0);
  // AND binds tighter than "<": 2 < (3 AND 3) < 2.
  EXPECT_EQ(Float("2 < 3 AND 3 < 2"), 1);
  EXPECT_EQ(Float("(2 < 3) AND (3 < 2)"), 0);
}

TEST_F(EvaluatorTest, ResultTypes) {
  EXPECT_EQ(Eval("3").type, ValueType::Long);
  EXPECT_EQ(Eval("3.0").type, ValueType::Float);
  EXPECT_EQ(Eval("3").Text(), "3");
  EXPECT_EQ(Eval("3.5").Text(), "3.500000");
  EXPECT_EQ(Eval("1+2").type, ValueType::Float);
  EXPECT_EQ(Eval("1+2").Text(), "3.000000");
  const Registers& quotient = Eval("7 \\ 2");
  EXPECT_EQ(quotient.type, ValueType::Integer);
  EXPECT_EQ(quotient.integer, 3);
  const Registers& remainder = Eval("7 MOD 2");
  EXPECT_EQ(remainder.type, ValueType::Float);
  EXPECT_EQ(remainder.floatValue, 1);
  EXPECT_EQ(Float("-7 MOD 2"), -1);
  EXPECT_EQ(Eval("2 > 1").type, ValueType::Integer);
  EXPECT_EQ(Eval("1e3").type, ValueType::Long);
  EXPECT_EQ(Eval("1e3").integer, 1000);
  EXPECT_EQ(Eval("-2147483648 \\ -1").integer, 0);
  // The widest operands the conversion leaves: no quotient overflows.
  EXPECT_EQ(Eval("-2147483647 \\ -1").integer, 2147483647);
  EXPECT_EQ(Float("-2147483647 MOD -1"), 0);
  EXPECT_EQ(Float("2147483647 MOD -10"), 7);
  EXPECT_EQ(Float("-2147483646.9 \\ 2"), -1073741823);
  // NaN (infinity less infinity) compares unequal to everything, itself included.
  const std::string nan = "(1e308 * 10 - 1e308 * 10)";
  EXPECT_EQ(Float(nan + " = " + nan), 0);
  EXPECT_EQ(Float(nan + " <> " + nan), 1);
  EXPECT_EQ(Float(nan + " <= 1"), 0);
  EXPECT_EQ(Float(nan + " >= 1"), 0);
  EXPECT_EQ(Float(nan + " < 1"), 0);
  EXPECT_EQ(Float("1 > " + nan), 0);
  EXPECT_EQ(Float("1 <> " + nan), 1);
}

TEST_F(EvaluatorTest, Conversions) {
  EXPECT_EQ(Eval("3.99").integer, 3);
  EXPECT_EQ(Eval("-3.99").integer, -3);
  EXPECT_EQ(Eval("2147483647.0").integer, 2147483647);
  EXPECT_EQ(Eval("2147483648.0").integer, 0);
  EXPECT_EQ(Eval("-2147483648.5").longValue, 0);
}

TEST_F(EvaluatorTest, Strings) {
  EXPECT_EQ(Eval("\"abc\" + \"def\"").Text(), "abcdef");
  EXPECT_EQ(Eval("\"abc\" + \"def\"").type, ValueType::String);
  EXPECT_EQ(Float("\"abc\" < \"abd\""), 1);
  EXPECT_EQ(Float("\"abc\" = \"abc\""), 1);
  EXPECT_EQ(Float("\"abc\" = \"ABC\""), 0);
  EXPECT_EQ(Float("\"\xE4\" > \"z\""), 1);  // by character codes
  EXPECT_EQ(Eval("\"a\\nb\"").Text(), "a\rb");
  EXPECT_EQ(Eval("\"\\a\\t\\.\\\\n\"").Text(), std::string("\x08\t\\\\n"));
  EXPECT_EQ(Eval("\"x\\zy\"").Text(), std::string("x\0y", 3));
  EXPECT_EQ(Eval("\"c:\\\\dir\\n\"", "", EvalMode::FileName).Text(), "c:\\dir\\n");
  EXPECT_EQ(Eval("\"a,b\"", ",").Text(), "a,b");
  EXPECT_EQ(Eval("\"a+b\"").Text(), "a+b");
}

TEST_F(EvaluatorTest, SeparatorsAndRest) {
  Eval("1, 2 ;3", ",");
  EXPECT_EQ(engine.lastSeparator, ',');
  EXPECT_EQ(engine.param, "2 ;3");
  Eval(engine.param, kListItem);
  EXPECT_EQ(engine.reg.floatValue, 2);
  EXPECT_EQ(engine.lastSeparator, ';');
  Eval(engine.param, kListItem);
  EXPECT_EQ(engine.lastSeparator, ' ');
  EXPECT_TRUE(engine.paramEnded);
  Eval("1 : END", ":");
  EXPECT_EQ(engine.param, "END");
  // A separator wins over the operator it could be.
  Eval("5-3", "-");
  EXPECT_EQ(engine.reg.floatValue, 5);
  EXPECT_EQ(engine.param, "3");
}

TEST_F(EvaluatorTest, OperatorModeOff) {
  engine.operatorMode = false;
  engine.errors.level = 0;
  const Registers& reg = Eval("2+3");
  EXPECT_EQ(reg.type, ValueType::String);
  EXPECT_EQ(engine.errors.lastNumber, 214);
  EXPECT_EQ(Eval("7, 8", ",").floatValue, 7);
}

TEST_F(EvaluatorTest, EmptyAndMissing) {
  EXPECT_THROW(Eval(""), RunEnd);
  EXPECT_EQ(LastBox(), "Zu wenig Parameter!");
  EXPECT_EQ(Eval("", kListItem).type, ValueType::String);
  engine.errors.level = -1;
  Eval("@LEN");
  EXPECT_EQ(engine.errors.lastNumber, 213);
  Eval("@UNBEKANNT(1)");
  EXPECT_EQ(engine.errors.lastNumber, 101);
  Eval("frob(1)");
  EXPECT_EQ(engine.errors.lastNumber, 101);
  Eval("%NIXDA");
  EXPECT_EQ(engine.errors.lastNumber, 100);
  Eval("7 / 0");
  EXPECT_EQ(engine.errors.lastNumber, 201);
  Eval("7 \\ 0");
  EXPECT_EQ(engine.errors.lastNumber, 201);
  Eval("7 MOD 0");
  EXPECT_EQ(engine.errors.lastNumber, 201);
}

TEST_F(EvaluatorTest, DivisionByZeroIsFatal) {
  EXPECT_THROW(Eval("7 / 0"), RunEnd);
  EXPECT_EQ(LastBox(), "Division durch 0!");
}

TEST_F(EvaluatorTest, PowerOfZeroAndNegatives) {
  EXPECT_EQ(Float("0^2"), 0);
  EXPECT_EQ(Float("0^0"), 1);
  EXPECT_EQ(Float("-2^3"), -8);
  EXPECT_EQ(Float("2^-1"), 0.5);
  engine.errors.level = -1;
  EXPECT_EQ(Float("-8^0.5"), 0);
  EXPECT_EQ(engine.errors.lastNumber, 200);
  EXPECT_EQ(Float("0^-1"), 0);
  EXPECT_EQ(engine.errors.lastNumber, 200);
}

TEST_F(EvaluatorTest, StringRequired) {
  EXPECT_EQ(Eval("\"x\"", "", EvalMode::String).Text(), "x");
  EXPECT_THROW(Eval("1+2", "", EvalMode::String), RunEnd);
  EXPECT_EQ(LastBox(), "Falscher Parametertyp: 1+2");
}

TEST_F(EvaluatorTest, NumberFormat) {
  engine.format.width = 6;
  engine.format.decimals = 2;
  EXPECT_EQ(Eval("3.14159").Text(), "  3.14");
  EXPECT_EQ(Eval("42").Text(), "    42");
  EXPECT_EQ(Eval("1e300*1e300").Text(), "   INF");
  engine.format = NumberFormat{};
  EXPECT_EQ(Eval("1e300*10.0").Text().size(), 255u);
}

TEST_F(EvaluatorTest, RadixNumbersAndConstants) {
  EXPECT_EQ(Eval("$FF").integer, 255);
  EXPECT_EQ(Eval("$FF").type, ValueType::Long);
  EXPECT_EQ(Eval("&17").integer, 15);
  EXPECT_EQ(Eval("%1010").integer, 10);
  EXPECT_EQ(Eval("$ffffffff").longValue, -1);
  Run({"DEF %MAXI 100", "DEF $NAME \"Talven\"", "DEF !PI 3.5", "REM"});
  EXPECT_EQ(Eval("%MAXI + 1").floatValue, 101);
  EXPECT_EQ(Eval("$NAME").Text(), "Talven");
  EXPECT_EQ(Eval("!PI").floatValue, 3.5);
}

TEST_F(EvaluatorTest, ConstantBelowIsNotSeen) {
  engine.store.Append("REM");
  engine.store.Append("DEF %MAXI 100");
  engine.pc = 1;
  EXPECT_THROW(Eval("%MAXI"), RunEnd);
  EXPECT_EQ(LastBox(), "Systemvariable unbekannt: %MAXI");
}

TEST_F(EvaluatorTest, Variables) {
  Run({"DECLARE a%, b&, c!, d$", "a% = 7", "b& = 8", "c! = 2.5", "d$ = \"x\""});
  EXPECT_EQ(Float("a% * b& + c!"), 58.5);
  EXPECT_EQ(Eval("d$ + \"y\"").Text(), "xy");
  EXPECT_EQ(Eval("a%").type, ValueType::Integer);
  EXPECT_EQ(Eval("-a%").integer, -7);
  EXPECT_EQ(Eval("A%").integer, 7);
  engine.errors.level = 0;
  Eval("nix%");
  EXPECT_EQ(engine.errors.lastNumber, 215);
  EXPECT_EQ(engine.errors.flag, 1);
}

TEST_F(EvaluatorTest, SlotFunctions) {
  ParameterSlot& slot = engine.slots[3];
  slot.integer = 4;
  slot.longValue = 5;
  slot.floatValue = 6.5;
  slot.SetText("sieben");
  EXPECT_EQ(Eval("@%(3)").type, ValueType::Integer);
  EXPECT_EQ(Eval("@%(3)").integer, 4);
  EXPECT_EQ(Eval("@&(3)").longValue, 5);
  EXPECT_EQ(Eval("@!(3) * 2").floatValue, 13);
  EXPECT_EQ(Eval("@$(1+2)").Text(), "sieben");
  EXPECT_EQ(Eval("@ % ( 3 )").integer, 4);
  EXPECT_THROW(Eval("@%(16)"), RunEnd);
  EXPECT_EQ(LastBox(), "Parameterzahl muß zwischen 0 und 15 liegen!");
}

TEST_F(EvaluatorTest, ErrorSystemVariablesReadAndClear) {
  engine.errors.level = 0;
  Eval("keine");
  EXPECT_EQ(Eval("%ERROR").integer, 1);
  EXPECT_EQ(Eval("%ERROR").integer, 0);
  EXPECT_EQ(Eval("%ERRNUMBER").integer, 214);
  EXPECT_EQ(Eval("%ERRNUMBER").integer, 0);
  EXPECT_EQ(Eval("%ERRORLEVEL").integer, 0);
  EXPECT_EQ(Eval("%pcount").integer, 0);
}

TEST_F(EvaluatorTest, OperatorStackOverflowIsAnError) {
  std::string deep = "1";
  for (int i = 0; i < 60; ++i) deep = "1+(" + deep + ")";
  engine.errors.level = -1;
  Eval(deep);
  EXPECT_EQ(engine.errors.lastNumber, 256);
  EXPECT_TRUE(engine.operators.empty());
  std::string fits = "1";
  for (int i = 0; i < 49; ++i) fits = "1+(" + fits + ")";
  engine.errors.lastNumber = 0;
  EXPECT_EQ(Float(fits), 50);
  EXPECT_EQ(engine.errors.lastNumber, 0);
  // Deep brackets without operators need no entries.
  EXPECT_EQ(Float(std::string(120, '(') + "5" + std::string(120, ')')), 5);
}

TEST_F(EvaluatorTest, SkipPassesOneArgument) {
  engine.param = "  @X(1,2), \"a,b\", 3";
  Skip(engine, ",");
  EXPECT_EQ(engine.param, "\"a,b\", 3");
  Skip(engine, ",");
  EXPECT_EQ(engine.param, "3");
  Skip(engine, ",");
  EXPECT_EQ(engine.param, "");
  EXPECT_THROW(Skip(engine, ","), RunEnd);
}

// What an evaluation leaves, for the comparisons below.
struct EvaluationOutcome {
  ValueType type;
  int32_t integer;
  int32_t longValue;
  double floatValue;
  std::string text;
  char separator;
  std::string param;
  bool ended;
  int32_t error;
  bool operator==(const EvaluationOutcome&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const EvaluationOutcome& o) {
    return out << "type " << static_cast<int>(o.type) << ", " << o.integer << "/" << o.longValue
               << "/" << o.floatValue << ", text \"" << o.text << "\", separator '" << o.separator
               << "', rest \"" << o.param << "\", ended " << o.ended << ", error " << o.error;
  }
};

// The short ways (one operand of any kind, one operator, numeric expressions, plain array
// indices)
// leave what the operator stack leaves: registers, text, separator, rest of the parameter
// text, end flag and the last error, at the first reading and from the kept reading.
TEST_F(EvaluatorTest, ShortPathsAgreeWithTheOperatorStack) {
  Run({"DECLARE a%, b&, c!, d$, m%[3,3,3]", "a% = 2", "b& = 8", "c! = 2.5", "d$ = \"x\"",
       "m%[2,1,3] = 5"});
  engine.errors.level = -1;
  struct Case {
    const char* text;
    const char* separator;
    EvalMode mode;
  };
  const Case cases[] = {
      {"a%", "", EvalMode::Any},          {"-a%", "", EvalMode::Any},
      {"7", "", EvalMode::Any},           {"2.5", "", EvalMode::Number},
      {"\"x\"", "", EvalMode::Any},       {"d$", "", EvalMode::String},
      {"a%", "", EvalMode::String},       {"m%[a%, 1, 3]", "", EvalMode::Any},
      {"m%[a%,1,3] + 1", "", EvalMode::Any}, {"m%[u%, 1]", "", EvalMode::Any},
      {"m%[1,1,1,1]", "", EvalMode::Any}, {"m%[a%,9,1]", "", EvalMode::Any},
      {"a% < 5", "", EvalMode::Number},   {"a% MOD 0", "", EvalMode::Any},
      {"c! * b&", "", EvalMode::Any},     {"a%, 3", ",", EvalMode::Any},
      {"c! + 1; d$", "p", EvalMode::Any}, {"u% + 1", "", EvalMode::Any},
      {"a% + 1", "", EvalMode::String},
      {"d$ = \"x\"", "", EvalMode::Any}, {"d$ + \"yz\"", "", EvalMode::Any},
      {"\"a\" < d$", "", EvalMode::Number}, {"d$ >= d$, 1", ",", EvalMode::Any},
      {"d$ <> u$", "", EvalMode::Any},     {"u$ + d$", "", EvalMode::Any},
      {"d$ + \"y\"", "", EvalMode::String}, {"d$ = \"x\"", "", EvalMode::String},
      {"\"\xe9\" > \"z\"", "", EvalMode::Any}, {"\"ab\" < \"abc\"; 2", "p", EvalMode::Any},
      {"d$ - \"y\"", "", EvalMode::Any},
      // One call, bracket, system or area variable without operators.
      {"@LEN(d$)", "", EvalMode::Any},    {"-@ABS(-a%), 2", ",", EvalMode::Any},
      {"@LEN(d$)", "", EvalMode::String}, {"@GIBTS(1)", "", EvalMode::Any},
      {"@%(u%)", "", EvalMode::Any},      {"(a% * 3)", "", EvalMode::Any},
      {"-(c!); d$", "p", EvalMode::Any},  {"(d$)", "", EvalMode::FileName},
      {"%ERR", "", EvalMode::Any},        {"&HFF, 1", ",", EvalMode::Any},
      {"x#", "", EvalMode::Any},          {"@", "", EvalMode::Any},
  };
  using Outcome = EvaluationOutcome;
  const auto outcome = [&](const Case& item) {
    engine.errors.lastNumber = 0;
    Eval(item.text, item.separator, item.mode);
    const Registers& reg = engine.reg;
    return Outcome{reg.type, reg.integer, reg.longValue, reg.floatValue, reg.Text(),
                   engine.lastSeparator, engine.param, engine.paramEnded, engine.errors.lastNumber};
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.text);
    engine.numericPath = true;
    const Outcome first = outcome(item);
    const Outcome kept = outcome(item);
    engine.numericPath = false;
    const Outcome stack = outcome(item);
    EXPECT_EQ(first, stack);
    EXPECT_EQ(kept, stack);
  }
}

// What a run of a program left: registers, separator, parameter text, errors and every
// string variable.
std::string StringRunState(const std::vector<std::string>& program, int64_t statements,
                           bool shortWays) {
  test::CutRun options;
  options.more = [](Engine& engine, test::RecordingHost&, std::string& state) {
    for (int32_t i = 0; i < engine.vars.strings.Count(); ++i) state += "|" + engine.vars.strings.Value(i);
  };
  return test::CutRunState(program, statements, shortWays, options);
}

// String assignments, comparisons and joins of literals and variables take short ways
// from their second run on; statement by statement they leave what the item after item
// way and the operator stack leave: the target read first, later or not at all, missing
// variables and targets, the 255-character cut, "," and ";" lists, items of other kinds.
TEST(StringShortWays, AgreeStatementByStatement) {
  const std::string longText(200, 'L');
  const char* statements[] = {
      "b$ = a$; \"z\"",         "a$ = a$; \"ab\"",    "a$ = a$, \"ab\",",
      "a$ = \"q\"; a$",         "a$ = a$; a$",        "a$ = c$; c$; c$",
      "a$ = u$; \"x\"",         "u$ = a$",            "a$ = \"\"",
      "a$ = \"x\"; 5",          "a$ = c$, a$",        "b$ = a$ + c$",
      "b$ = a$ + \"z\"; \"w\"", "n% = a$ = \"xyab\"", "n% = a$ < c$",
      "n% = u$ = \"\"",         "CASE a$ = \"xy\": INC n%", "a$ = -a$; \"\xe9\"",
      "n% = a$ > \"\xe9\"",    "b$ = a$; ;\"v\"",   "b$ = a$;",
  };
  for (const char* statement : statements) {
    SCOPED_TRACE(statement);
    const std::vector<std::string> program = {
        "SETERRORLEVEL -1", "DECLARE a$, b$, c$, i%, n%", "a$ = \"xy\"",
        "c$ = \"" + longText + "\"", "WHILE i% < 4", "INC i%", statement, "WEND"};
    for (int64_t budget = 6; budget < 30; ++budget) {
      SCOPED_TRACE(budget);
      EXPECT_EQ(StringRunState(program, budget, true), StringRunState(program, budget, false));
    }
  }
}

}  // namespace
}  // namespace talven
