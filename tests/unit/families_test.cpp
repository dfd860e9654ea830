// The library families bound to the engine's tables, and the programs' profiles.

#include <gtest/gtest.h>

#include <iostream>

#include "engine/binding.h"
#include "engine/functions.h"
#include "engine/loader.h"
#include "engine/startup.h"
#include "engine/keywords.h"
#include "engine/system_variables.h"
#include "library/families.h"
#include "library/profiles.h"
#include "tests/support/recording_host.h"
#include "library/windows/window_state.h"
#include "tests/unit/test_program.h"

namespace talven {
namespace {

// Runs a program held in memory in `engine`; the exit code.
int RunText(Engine& engine, const std::string& text) {
  return RunProgram(engine, [&](Engine& run) {
    test::MemoryFile file(text);
    LoadSource(run.host, file, run.store);
  });
}

// Every row names exactly one entry of its table and no entry is bound twice; the
// entries left unbound are what remains to be built.
TEST(Families, RowsBindEachEntryAtMostOnce) {
  EXPECT_EQ(BindingProblems(AllFamilies()), std::vector<std::string>{});
  const std::vector<std::string> unbound = UnboundEntries(AllFamilies());
  std::cout << unbound.size() << " entries unbound (tools/unbound_entries lists them)\n";
  EXPECT_LT(unbound.size(), Keywords().size() + static_cast<size_t>(CatalogueSize()) + SystemVariableCount());
}

TEST(Families, TheFamiliesStandInTheirIdsPlaces) {
  const FamilyList all = AllFamilies();
  ASSERT_EQ(all.size(), kFamilyCount);
  EXPECT_EQ(all[FamilyIndex(FamilyId::Window)]->name, "window");
  EXPECT_EQ(all[FamilyIndex(FamilyId::Files)]->name, "files");
  EXPECT_EQ(all[FamilyIndex(FamilyId::System)]->name, "system");
  EXPECT_EQ(all[FamilyIndex(FamilyId::Sound)]->name, "sound");
  for (const Family* family : all) EXPECT_NE(family, nullptr);
}

// An unbound entry stops with its number; a withheld one is no entry at all.
TEST(Families, UnboundAndWithheldEntries) {
  const Bindings& full = BindingsOf(InterpreterProfile());
  const Bindings& script = BindingsOf(ScriptProfile());
  const size_t assign = static_cast<size_t>(FindKeyword("ASSIGN"));
  EXPECT_NE(full.statements[assign], nullptr);
  EXPECT_EQ(script.statements[assign], nullptr);
  const size_t copyDBmp = static_cast<size_t>(FindKeyword("COPYDBMP"));
  EXPECT_EQ(full.statements[copyDBmp], nullptr);
  EXPECT_NE(script.statements[copyDBmp], nullptr);
  const size_t left = static_cast<size_t>(FindCatalogueRow("LEFT$"));
  EXPECT_NE(full.functions[left], nullptr);
  EXPECT_EQ(script.functions[left], nullptr);
  // Reading INI files stays, writing them goes.
  EXPECT_NE(script.functions[static_cast<size_t>(FindCatalogueRow("READINI$"))], nullptr);
  EXPECT_EQ(script.statements[static_cast<size_t>(FindKeyword("WRITEINI"))], nullptr);
}

// Each name the script withholds is an entry of one of the tables, or a name the tables do
// not have at all (then it is unknown in every program anyway).
TEST(Families, ScriptWithholdsOnlyNamesOfTheTables) {
  std::vector<std::string> strangers;
  for (std::string_view name : ScriptProfile().withheldNames) {
    if (FindKeyword(name) < 0 && FindCatalogueRow(name) < 0) strangers.emplace_back(name);
  }
  EXPECT_EQ(strangers, (std::vector<std::string>{}));
}

TEST(Families, ScriptLacksWholeFamilies) {
  const FamilyList script = ScriptProfile().families;
  EXPECT_EQ(script[FamilyIndex(FamilyId::Dbase)], nullptr);
  EXPECT_EQ(script[FamilyIndex(FamilyId::Odbc)], nullptr);
  EXPECT_EQ(script[FamilyIndex(FamilyId::Dll)], nullptr);
  EXPECT_EQ(script[FamilyIndex(FamilyId::Serial)], nullptr);
  EXPECT_EQ(script[FamilyIndex(FamilyId::Dde)], nullptr);
  EXPECT_NE(script[FamilyIndex(FamilyId::Window)], nullptr);
}

// The colour mode has one owner: SETTRUECOLOR reaches CLS and TEXTCOLOR as it reaches @RGB.
TEST(Families, TrueColourReachesTheWindowsColours) {
  test::RecordingHost host;
  Engine engine(host, ProgramKind::Interpreter, InterpreterProfile());
  EXPECT_EQ(RunText(engine, "SETTRUECOLOR 1\nCLS $00FF00\nTEXTCOLOR $0000FF, $FF0000\n"), 0);
  // The window is made white first.
  EXPECT_EQ(host.window.fills, (std::vector<uint32_t>{0xFFFFFF, 0x00FF00}));
  EXPECT_EQ(WindowOf(engine).textForeground, 0x0000FFu);
  EXPECT_EQ(WindowOf(engine).textBackground, 0xFF0000u);
  // The reduced mode packs three components of 5 bits: 2 is red 2, drawn as 8 * 2 + 7.
  test::RecordingHost reduced;
  Engine second(reduced, ProgramKind::Interpreter, InterpreterProfile());
  EXPECT_EQ(RunText(second, "CLS 2\n"), 0);
  EXPECT_EQ(reduced.window.fills, (std::vector<uint32_t>{0xFFFFFF, 23}));
}

}  // namespace
}  // namespace talven
