#include <gtest/gtest.h>

#include <set>
#include <string>

#include "library/profiles.h"
#include "engine/engine.h"
#include "engine/run_loop.h"
#include "engine/slots.h"
#include "tests/support/recording_host.h"

namespace talven {
namespace {

class VariablesTest : public testing::Test {
 protected:
  int Run(std::initializer_list<const char*> lines) {
    engine.store.Clear();
    host.boxes.clear();
    for (const char* line : lines) engine.store.Append(line);
    engine.ResetRunState();
    try {
      RunStatements(engine);
    } catch (const RunEnd& end) {
      return end.exitCode;
    }
    return 0;
  }
  std::vector<uint8_t> Block(const char* name) {
    const int32_t index = engine.vars.areas.Find(name);
    if (index < 0) return {};
    const AreaValue& area = engine.vars.areas.Value(index);
    const std::vector<uint8_t>* block = engine.vars.Block(area.address);
    if (block == nullptr) return {};
    return std::vector<uint8_t>(block->begin(), block->begin() + static_cast<std::ptrdiff_t>(Variables::UsableBytes(*block)));
  }
  int32_t Integer(const char* name) {
    const int32_t index = engine.vars.integers.Find(name);
    return index < 0 ? -999 : engine.vars.integers.Value(index);
  }
  std::string LastBox() const { return host.boxes.empty() ? "" : host.boxes.back().text; }

  test::RecordingHost host;
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};
};

TEST_F(VariablesTest, AreaWritesLowByteFirstAndStopAtTheEnd) {
  ASSERT_EQ(Run({"DECLARE a#", "DIM a#, 10", "BYTE a#, 0 = 321", "WORD a#, 1 = 16706",
                 "LONG a#, 3 = -2", "STRING a#, 7 = \"xy\"", "CHAR a#, 9 = \"abc\""}),
            0);
  const std::vector<uint8_t> expected = {65, 0x42, 0x41, 0xFE, 0xFF, 0xFF, 0xFF, 'x', 'y', 'a', 'b'};
  EXPECT_EQ(Block("A#"), expected);
  // STRING ends with a 0 byte when it fits; one that would pass the end is cut.
  ASSERT_EQ(Run({"DECLARE b#", "DIM b#, 3", "STRING b#, 1 = \"abcdef\""}), 0);
  EXPECT_EQ(Block("B#"), (std::vector<uint8_t>{0, 'a', 'b', 'c'}));
  ASSERT_EQ(Run({"DECLARE c#", "DIM c#, 3", "STRING c#, 1 = \"a\"", "CLEAR c#"}), 0);
  EXPECT_EQ(Block("C#"), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(VariablesTest, LongMustFitWhole) {
  EXPECT_EQ(Run({"DECLARE a#", "DIM a#, 4", "LONG a#, 1 = 7", "LONG a#, 2 = 7"}), 2);
  EXPECT_EQ(LastBox(), "Bereichsgrenze überschritten: 2");
}

TEST_F(VariablesTest, AnAddressAssignedByHandHasNoBlock) {
  // The block pointer can be assigned; an address that names no live block is not
  // written to.
  EXPECT_EQ(Run({"DECLARE a#, b#", "DIM a#, 4", "b# = a#", "BYTE b#, 0 = 9", "DISPOSE a#",
                 "BYTE b#, 0 = 9"}),
            2);
  EXPECT_EQ(LastBox(), "Bereichsvariable ist nicht DIMensioniert!");
  EXPECT_EQ(Run({"DECLARE c#", "c# = 12345", "BYTE c#, 0 = 1"}), 2);
  EXPECT_EQ(LastBox(), "Bereichsvariable ist nicht DIMensioniert!");
}

TEST_F(VariablesTest, DimListsHoldTheirValues) {
  ASSERT_EQ(Run({"DIM% 3", "DIM$ 2", "DIM! 1", "DIM& 0", "LIST% 3, 2.9", "LIST$ 2, \"a\" + \"b\"",
                 "LIST! 1, 0.5", "LIST& 0, -7"}),
            0);
  EXPECT_EQ(engine.vars.integerList.elements, (std::vector<int32_t>{0, 0, 0, 2}));
  EXPECT_EQ(engine.vars.stringList.elements.at(2), "ab");
  EXPECT_EQ(engine.vars.floatList.elements.at(1), 0.5);
  EXPECT_EQ(engine.vars.longList.elements.at(0), -7);
  EXPECT_EQ(Run({"LIST% 0, 1"}), 2);
  EXPECT_EQ(LastBox(), "Bereichsgrenze überschritten: -1");
  EXPECT_EQ(Run({"DIM% 0", "LIST% -1, 1"}), 2);
}

TEST_F(VariablesTest, LocalsAreDroppedAtTheEndOfAProcedure) {
  ASSERT_EQ(Run({"DECLARE a%, g$", "a% = 1", "PROC p", "PARAMETERS a%, b$, c!, d&", "a% = 9",
                 "DECLARE e%", "ENDPROC", "p 5, \"x\"", "END"}),
            0);
  EXPECT_EQ(engine.vars.integers.Count(), 1);
  EXPECT_EQ(engine.vars.strings.Count(), 1);
  EXPECT_EQ(engine.vars.floats.Count(), 0);
  EXPECT_EQ(engine.vars.longs.Count(), 0);
  EXPECT_EQ(Integer("A%"), 1);
  EXPECT_TRUE(engine.frames.empty());
}

TEST_F(VariablesTest, ParametersBeyondTheArgumentsKeepOlderSlots) {
  ASSERT_EQ(Run({"DECLARE r%, s%, t%", "PROC p", "PARAMETERS a%, b%, c%", "r% = a%", "s% = b%",
                 "t% = c%", "ENDPROC", "p 1, 2", "p 3"}),
            0);
  EXPECT_EQ(Integer("R%"), 3);
  EXPECT_EQ(Integer("S%"), 2);
  EXPECT_EQ(Integer("T%"), 0);
  EXPECT_EQ(engine.argumentCount, 1);
}

TEST_F(VariablesTest, SixteenParameterNamesTakeZeroPastTheSlots) {
  ASSERT_EQ(Run({"DECLARE r%", "PROC p",
                 "PARAMETERS a1%,a2%,a3%,a4%,a5%,a6%,a7%,a8%,a9%,a10%,a11%,a12%,a13%,a14%,a15%,a16%",
                 "r% = a15% * 100 + a16%", "ENDPROC",
                 "p 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"}),
            0);
  EXPECT_EQ(Integer("R%"), 1500);
}

TEST_F(VariablesTest, LaterArgumentsSeeTheEarlierOnes) {
  // Each argument is stored as soon as it is evaluated: the second argument reads slot 1
  // as the first argument filled it.
  ASSERT_EQ(Run({"DECLARE r%", "PROC p", "PARAMETERS a%, b%", "r% = a% * 10 + b%", "ENDPROC",
                 "p 4", "p 7, @%(1)"}),
            0);
  EXPECT_EQ(Integer("R%"), 77);
}

TEST_F(VariablesTest, IntegerArithmeticWraps) {
  ASSERT_EQ(Run({"DECLARE a%", "a% = 2147483647", "INC a%"}), 0);
  EXPECT_EQ(Integer("A%"), INT32_MIN);
  ASSERT_EQ(Run({"DECLARE a%", "a% = -2147483647", "DEC a%", "DEC a%", "SUB a%, -1"}), 0);
  EXPECT_EQ(Integer("A%"), INT32_MIN);
  // The literal 2147483648 is too large for the integer register: it reads 0.
  ASSERT_EQ(Run({"DECLARE a%", "a% = -2147483648"}), 0);
  EXPECT_EQ(Integer("A%"), 0);
}

TEST_F(VariablesTest, UndeclaredReadsInDeclareAreSilent) {
  ASSERT_EQ(Run({"DECLARE a%[n%]"}), 0);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(engine.vars.arrays.at(0).count, 1);
}

TEST_F(VariablesTest, NegativeBoundsGiveNoElements) {
  ASSERT_EQ(Run({"DECLARE a%[-3, -3, -3]"}), 0);
  EXPECT_EQ(engine.vars.arrays.at(0).count, 0);
  EXPECT_TRUE(engine.vars.integerPool.empty());
  EXPECT_EQ(Run({"DECLARE a%[-1]", "a%[0] = 1"}), 2);
  EXPECT_EQ(LastBox(), "Das Element gibt es nicht!");
}

TEST_F(VariablesTest, ClearSkipsUnknownNamesButTheLast) {
  ASSERT_EQ(Run({"DECLARE a%, b$[2]", "a% = 4", "b$[2] = \"x\"", "CLEAR nix%, a%, b$"}), 0);
  EXPECT_EQ(Integer("A%"), 0);
  EXPECT_EQ(engine.vars.stringPool.at(8), "");
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

TEST(SlotsGuardTest, WritesUnderAGuardAreUndoneForEveryGuard) {
  test::RecordingHost host;
  Engine engine(host, ProgramKind::Interpreter, InterpreterProfile());
  engine.ResetRunState();
  Registers one;
  SetIntegerValue(one, 1, ValueType::Integer, engine.format);
  Registers two;
  SetIntegerValue(two, 2, ValueType::Integer, engine.format);
  WriteSlot(engine, 3, one);
  {
    SlotsGuard outer(engine);
    {
      SlotsGuard inner(engine);
      WriteSlot(engine, 3, two);
      EXPECT_EQ(engine.slots[3].integer, 2);
    }
    EXPECT_EQ(engine.slots[3].integer, 1);
    WriteSlot(engine, 4, two);
  }
  EXPECT_EQ(engine.slots[3].integer, 1);
  EXPECT_EQ(engine.slots[4].integer, 0);
  EXPECT_EQ(engine.slotsGuard, nullptr);
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

// A remembered look-up holds exactly while the table shows the same list of names: the
// same names declared again after a drop find their places again, while a different
// name, an extra name that shadows, or CLEAR make the site look again.
TEST(VariableTableTest, RememberedLookUpsFollowTheListOfNames) {
  VariableTable<int32_t> table;
  table.Add("A%", 1);
  LookupCache site;
  EXPECT_EQ(table.FindCached("B%", site), -1);
  const uint32_t outside = table.Generation();
  table.Add("B%", 2);
  EXPECT_EQ(table.FindCached("B%", site), 1);
  const uint32_t inside = table.Generation();
  table.DropTo(1);
  EXPECT_EQ(table.Generation(), outside);
  EXPECT_EQ(table.FindCached("B%", site), -1);
  table.Add("B%", 3);
  EXPECT_EQ(table.Generation(), inside);
  EXPECT_EQ(table.FindCached("B%", site), 1);
  EXPECT_EQ(table.Value(1), 3);
  // Another name at the same place is another list.
  table.DropTo(1);
  table.Add("C%", 4);
  EXPECT_NE(table.Generation(), inside);
  EXPECT_EQ(table.FindCached("B%", site), -1);
  // The newest of two equal names wins.
  table.Add("B%", 5);
  table.Add("B%", 6);
  EXPECT_EQ(table.FindCached("B%", site), 3);
  table.DropTo(3);
  EXPECT_EQ(table.FindCached("B%", site), 2);
  table.Clear();
  EXPECT_EQ(table.FindCached("B%", site), -1);
  table.Add("B%", 7);
  EXPECT_EQ(table.FindCached("B%", site), 0);
}

// Past the branches a place may have every new list gets an identity of its own, never an
// older one.
TEST(VariableTableTest, ManyDifferentListsNeverShareAnIdentity) {
  VariableTable<int32_t> table;
  table.Add("X%", 0);
  std::set<uint32_t> seen;
  for (int i = 0; i < 1000; ++i) {
    table.DropTo(1);
    table.Add("V" + std::to_string(i) + "%", i);
    EXPECT_TRUE(seen.insert(table.Generation()).second) << i;
    table.Add("W%", i);
    EXPECT_TRUE(seen.insert(table.Generation()).second) << i;
  }
  LookupCache site;
  EXPECT_EQ(table.FindCached("V999%", site), 1);
  table.DropTo(1);
  table.Add("V5%", 5);
  EXPECT_EQ(table.FindCached("V999%", site), -1);
}

// What a procedure's end drops is kept for the next call's same declarations, yet it is
// gone for every reader: not found, not counted, and its value replaced when the name is
// declared again; another name at its place drops the kept entries behind it too.
TEST(VariableTableTest, DroppedEntriesAreGoneForReadersAndTakenUpAgain) {
  VariableTable<std::string> table;
  table.Add("A$", "outer");
  table.Add("B$", "first call");
  table.Add("C$", "local");
  const uint32_t full = table.Generation();
  table.DropTo(1);
  EXPECT_EQ(table.Count(), 1);
  EXPECT_EQ(table.Find("B$"), -1);
  EXPECT_EQ(table.Find("C$"), -1);
  LookupCache site;
  EXPECT_EQ(table.FindCached("C$", site), -1);
  table.Add("B$", "second call");
  EXPECT_EQ(table.Value(1), "second call");
  EXPECT_EQ(table.FindCached("C$", site), -1);
  table.Add("C$", "");
  EXPECT_EQ(table.Generation(), full);
  EXPECT_EQ(table.FindCached("C$", site), 2);
  EXPECT_EQ(table.Value(2), "");
  // Another name at place 1: the kept C$ behind it must not come back with B$'s identity.
  table.DropTo(1);
  table.Add("X$", "x");
  table.Add("C$", "c");
  EXPECT_NE(table.Generation(), full);
  EXPECT_EQ(table.FindCached("C$", site), 2);
  EXPECT_EQ(table.Find("B$"), -1);
  table.DropTo(1);
  table.Add("B$", "b");
  EXPECT_EQ(table.Find("C$"), -1);
  EXPECT_EQ(table.Count(), 2);
  table.Clear();
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.Find("A$"), -1);
  table.Add("B$", "again");
  EXPECT_EQ(table.Find("B$"), 0);
}

}  // namespace
}  // namespace talven
