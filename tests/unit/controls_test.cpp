// The family "controls" without a screen: key strings, the list as edit text, the
// templates, and the statements and functions on a recording platform (identifiers, styles,
// the dialogs' results and the list fillers' limits).

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/loader.h"
#include "engine/startup.h"
#include "library/controls/controls_platform.h"
#include "library/controls/key_string.h"
#include "library/controls/list_text.h"
#include "library/controls/shared_list.h"
#include "library/families.h"
#include "library/profiles.h"
#include "tests/support/recording_host.h"
#include "tests/unit/test_program.h"

namespace talven {
namespace {

// A layout like the German one for the characters the tests use: letters (capitals with
// Shift), digits, "@" with AltGr (state 6), "Q"; bytes it has no key for give -1.
int16_t GermanLike(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<int16_t>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<int16_t>(0x100 | c);
  if (c >= '0' && c <= '9') return static_cast<int16_t>(c);
  if (c == '@') return static_cast<int16_t>(0x600 | 'Q');
  if (c == ' ') return 0x20;
  return -1;
}

std::string Written(const std::vector<KeyPress>& presses) {
  std::string out;
  for (const KeyPress& press : presses) {
    if (!out.empty()) out += ' ';
    out += (press.down ? "+" : "-") + std::to_string(press.key);
  }
  return out;
}

// Every press has its release, in the reverse order of the modifiers.
void ExpectBalanced(const std::vector<KeyPress>& presses) {
  std::vector<int> down(256, 0);
  for (const KeyPress& press : presses) {
    down[press.key] += press.down ? 1 : -1;
    ASSERT_GE(down[press.key], 0);
  }
  for (int count : down) EXPECT_EQ(count, 0);
}

TEST(KeyStrings, NamesCountsAndTheBreakKey) {
  EXPECT_EQ(Written(KeyStrokes("{TAB 3}", GermanLike)), "+9 -9 +9 -9 +9 -9");
  EXPECT_EQ(Written(KeyStrokes("{tab}", GermanLike)), "+9 -9");
  EXPECT_EQ(Written(KeyStrokes("~", GermanLike)), "+19 -19");
  EXPECT_EQ(Written(KeyStrokes("{F24}{f1}", GermanLike)), "+135 -135 +112 -112");
  EXPECT_EQ(KeyNameCode("Escape"), 27);
  EXPECT_EQ(KeyNameCode("F25"), 0);
  EXPECT_EQ(KeyNameCode("F0"), 0);
  EXPECT_EQ(KeyNameCode("SCROLLLOCK"), 145);
  // A name the table lacks stands for its first character.
  EXPECT_EQ(Written(KeyStrokes("{xyz 2}", GermanLike)), "+88 -88 +88 -88");
}

TEST(KeyStrings, ModifiersGroupsAndTheLayoutsShiftState) {
  // The group's modifiers stay until the next key after ")".
  EXPECT_EQ(Written(KeyStrokes("+(ab)c", GermanLike)),
            "+16 +65 -65 -16 +16 +66 -66 -16 +16 +67 -67 -16");
  EXPECT_EQ(Written(KeyStrokes("+(ab)cd", GermanLike)),
            "+16 +65 -65 -16 +16 +66 -66 -16 +16 +67 -67 -16 +68 -68");
  // Alt, Shift, Ctrl in that order; released in reverse.
  EXPECT_EQ(Written(KeyStrokes("^%+a", GermanLike)), "+18 +16 +17 +65 -65 -17 -16 -18");
  // A capital adds Shift, AltGr (state 6) adds Ctrl and Alt.
  EXPECT_EQ(Written(KeyStrokes("A@", GermanLike)), "+16 +65 -65 -16 +18 +17 +81 -81 -17 -18");
  // "(" without a modifier is a character of its own (none on this layout: skipped).
  EXPECT_EQ(Written(KeyStrokes("(a)", GermanLike)), "+65 -65");
}

// Mended and hostile: untypable bytes are skipped; nothing stays pressed; counts are capped.
TEST(KeyStrings, HostileTextsStayBalanced) {
  EXPECT_EQ(Written(KeyStrokes("\xE4\xFF", GermanLike)), "");
  for (const char* text : {"{", "{}", "((", "+", "+(", "+(ab", "^%+", "{a 99999999999}", "}{TAB",
                           "{TAB x}", "+(a{TAB 2})~"}) {
    SCOPED_TRACE(text);
    const std::vector<KeyPress> presses = KeyStrokes(text, GermanLike);
    ExpectBalanced(presses);
    EXPECT_LE(presses.size(), static_cast<size_t>(kMaxKeyRepeat) * 8);
  }
  EXPECT_EQ(KeyStrokes("{a 99999999999}", GermanLike).size(), static_cast<size_t>(kMaxKeyRepeat) * 2);
  EXPECT_EQ(Written(KeyStrokes("{TAB", GermanLike)), "+9 -9");
  EXPECT_TRUE(KeyStrokes("abc", KeyLayout{}).empty());
}

TEST(ListText, MoveListToEditStopsBelow63999Characters) {
  // 251 entries of 255 characters: 249 fit (63993 characters), the 250th would reach 64250.
  const std::vector<std::string> entries(251, std::string(255, 'x'));
  const JoinedText joined = JoinForEdit(entries);
  EXPECT_FALSE(joined.complete);
  EXPECT_EQ(joined.text.size(), 63993u);
  // A later entry that still fits goes in.
  std::vector<std::string> mixed(249, std::string(255, 'x'));
  mixed.push_back(std::string(255, 'y'));
  mixed.push_back("ab");
  const JoinedText partly = JoinForEdit(mixed);
  EXPECT_FALSE(partly.complete);
  EXPECT_EQ(partly.text.size(), 63993u + 4u);
  EXPECT_EQ(partly.text.substr(partly.text.size() - 4), "ab\r\n");
  const JoinedText small = JoinForEdit({"a", "", "b"});
  EXPECT_TRUE(small.complete);
  EXPECT_EQ(small.text, "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinForEdit({}).text, "");
}

TEST(ListText, EditDialogJoinsAndSplitsLines) {
  EXPECT_EQ(JoinWithBreaks({"eins", "zwei", "drei"}), "eins\r\nzwei\r\ndrei");
  EXPECT_EQ(JoinWithBreaks({}), "");
  EXPECT_EQ(SplitEditText("eins\r\nzwei\r\ndrei", 32768).lines,
            (std::vector<std::string>{"eins", "zwei", "drei"}));
  // The edit counts an empty last line; a lone LF ends a line too.
  EXPECT_EQ(SplitEditText("a\r\nb\r\n", 32768).lines, (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(SplitEditText("a\nb", 32768).lines, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitEditText(std::string(300, 'z'), 32768).lines.front().size(), 255u);
  // A long list round-trips unchanged.
  std::vector<std::string> many;
  for (int i = 0; i < 1000; ++i) many.push_back("Zeile " + std::to_string(i));
  EXPECT_EQ(SplitEditText(JoinWithBreaks(many), 32768).lines, many);
  // 40000 typed lines are more than the list holds: refused, nothing taken.
  std::string typed;
  for (int i = 0; i < 40000; ++i) typed += "x\r\n";
  const SplitLines tooMany = SplitEditText(typed, SharedList::kCapacity);
  EXPECT_TRUE(tooMany.tooMany);
  EXPECT_TRUE(tooMany.lines.empty());
  EXPECT_FALSE(SplitEditText(std::string(32767 * 3, 'x').replace(0, 0, ""), SharedList::kCapacity).tooMany);
}

TEST(ListText, Templates) {
  EXPECT_EQ(EditBoxTemplate(2), "EDITBOX2");
  EXPECT_EQ(EditBoxTemplate(1), "EDITBOX1");
  EXPECT_EQ(EditBoxTemplate(0), "EDITBOX1");
  EXPECT_EQ(ListBoxTemplate(1), "LISTBOX1");
  EXPECT_EQ(ListBoxTemplate(8), "LISTBOX8");
  EXPECT_EQ(ListBoxTemplate(9), "LISTBOX7");
  EXPECT_EQ(ListBoxTemplate(0), "LISTBOX7");
  EXPECT_EQ(ListBoxTemplate(-2147483647 - 1), "LISTBOX7");
}

// A platform that records the controls made and answers the dialogs from fields.
class RecordingControls : public NullControls {
 public:
  intptr_t CreateControl(const ControlRequest& request) override {
    made.push_back(request);
    return 0x5000 + static_cast<intptr_t>(made.size());
  }
  std::optional<std::vector<std::string>> EditDialog(intptr_t, const std::string& name,
                                                     std::string_view,
                                                     const std::string& text) override {
    templates.push_back(name);
    shownText = text;
    return editAnswer;
  }
  ListDialogAnswer ListDialog(intptr_t, const std::string& name, std::string_view,
                              const std::vector<std::string>&) override {
    templates.push_back(name);
    return listAnswer;
  }
  std::optional<std::string> InputDialog(intptr_t, std::string_view, std::string_view,
                                         std::string_view) override {
    return inputAnswer;
  }
  Names Files(std::string_view, bool recursive, size_t room) override {
    recursiveAsked = recursive;
    Names names;
    for (size_t i = 0; i < files && i < room; ++i) names.names.push_back("f" + std::to_string(i));
    names.more = files > room;
    return names;
  }

  std::vector<ControlRequest> made;
  std::vector<std::string> templates;
  std::string shownText;
  std::optional<std::vector<std::string>> editAnswer;
  ListDialogAnswer listAnswer;
  std::optional<std::string> inputAnswer;
  size_t files = 0;
  bool recursiveAsked = false;
};

struct ProgramRun {
  test::RecordingHost host;
  RecordingControls controls;
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};
  ProgramRun() { host.UsePlatform(FamilyIndex(FamilyId::Controls), controls); }
  int operator()(const std::string& text) {
    const int code = Execute(text);
    for (const std::string& event : host.events) std::cout << event << "\n";
    return code;
  }
  int Execute(const std::string& text) {
    return RunProgram(engine, [&](Engine& run) {
      test::MemoryFile file(text);
      LoadSource(run.host, file, run.store);
    });
  }
};

TEST(ControlsFamily, IdentifiersStylesAndClasses) {
  ProgramRun run;
  EXPECT_EQ(run("DECLARE h%\nh% = @CREATEBUTTON(%HWND, \"OK\", 1, 2, 30, 20)\n"
                "h% = @CREATEEDIT(%HWND, \"\", 10, 10, 100, -20)\n"
                "h% = @CREATEMULTIEDIT(%HWND, \"\", 10, 10, 100, 0)\n"
                "h% = @CONTROL(\"BUTTON\", \"x\", 1, 0, 0, 5, 5, %HWND, 77, 0, 512)\n"
                "h% = @CREATECHOICEBOX(%HWND, \"\", 0, 0, 5, 5)\n"
                "h% = @CREATEICON(%HWND, \"TALVEN\", 3, 4)\n"
                "PRINT h%\n"),
            0);
  const auto& made = run.controls.made;
  ASSERT_EQ(made.size(), 6u);
  EXPECT_EQ(made[0].className, "BUTTON");
  EXPECT_EQ(made[0].style, 0x50010000u);
  EXPECT_EQ(made[0].id, 1000);
  EXPECT_EQ(made[0].text, "OK");
  EXPECT_EQ(made[0].height, 20);
  // A password field of the absolute height, with a client edge.
  EXPECT_EQ(made[1].style, 0x500100A0u);
  EXPECT_EQ(made[1].height, 20);
  EXPECT_EQ(made[1].extendedStyle, 0x200u);
  EXPECT_EQ(made[1].id, 1001);
  EXPECT_EQ(made[2].style, 0x50211144u);
  // CONTROL takes the program's identifier and extended style; the counter stays.
  EXPECT_EQ(made[3].id, 77);
  EXPECT_EQ(made[3].extendedStyle, 512u);
  EXPECT_EQ(made[4].id, 1003);
  EXPECT_EQ(made[4].style, 0x50B10303u);
  EXPECT_EQ(made[5].style, 0x50000003u);
  EXPECT_EQ(made[5].text, "TALVEN");
  EXPECT_EQ(run.host.window.screen, std::vector<std::string>{std::to_string(0x5006)});
}

TEST(ControlsFamily, EditDialogResultsAndTheList) {
  ProgramRun run;
  run.controls.editAnswer = std::vector<std::string>{"a", "b", "c"};
  EXPECT_EQ(run("ADDSTRING \"x\"\nADDSTRING \"y\"\n"
                "PRINT @EDITBOX(\"Text\", 2), %BUTTON, %GETCOUNT, @LISTBOXITEM$(2)\n"),
            0);
  EXPECT_EQ(run.controls.shownText, "x\r\ny");
  EXPECT_EQ(run.controls.templates, std::vector<std::string>{"EDITBOX2"});
  EXPECT_EQ(run.host.window.screen, std::vector<std::string>{"1 1 2 c"});

  ProgramRun cancelled;
  EXPECT_EQ(cancelled("ADDSTRING \"x\"\nPRINT @EDITBOX(\"Text\", 1), %BUTTON, %GETCOUNT\n"), 0);
  EXPECT_EQ(cancelled.host.window.screen, std::vector<std::string>{"0 2 0"});
}

TEST(ControlsFamily, ListAndInputDialogs) {
  ProgramRun run;
  run.controls.listAnswer = ListDialogAnswer{true, 1, "  Kiwi  "};
  run.controls.inputAnswer = std::string("  42 ");
  EXPECT_EQ(run("DECLARE a$, b$, n%\na$ = @LISTBOX$(\"Wahl\", 9)\nPRINT a$; \"|\"; %GETCURSEL, $GETTEXT, %BUTTON\n"
                "b$ = @INPUT$(\"Zahl\", \"T\", \"\")\nn% = @INPUT$(\"Zahl\", \"T\", \"\")\nPRINT b$; \"|\"; n%, $GETINPUT\n"),
            0);
  EXPECT_EQ(run.controls.templates, std::vector<std::string>{"LISTBOX7"});
  EXPECT_EQ(run.host.window.screen,
            (std::vector<std::string>{"Kiwi|1   Kiwi   1", "42|42 42"}));
}

// ADDFILES past the list's room: 232, and the list stays as it was; "*" asks for the tree.
TEST(ControlsFamily, ListFillersKeepTheLimit) {
  ProgramRun run;
  run.controls.files = 40000;
  EXPECT_EQ(run("ADDSTRING \"x\"\nSETERRORLEVEL -1\nADDFILES \"*.*\"\nPRINT %GETCOUNT\n"), 0);
  EXPECT_EQ(run.host.window.screen, std::vector<std::string>{"0"});
  EXPECT_FALSE(run.controls.recursiveAsked);

  ProgramRun fits;
  fits.controls.files = 3;
  EXPECT_EQ(fits("ADDFILES *\"C:\\\\*.TXT\"\nPRINT %GETCOUNT, @LISTBOXITEM$(2)\n"), 0);
  EXPECT_TRUE(fits.controls.recursiveAsked);
  EXPECT_EQ(fits.host.window.screen, std::vector<std::string>{"2 f2"});

  ProgramRun full;
  full.controls.files = 40000;
  EXPECT_EQ(full("ADDFILES \"*.*\"\n"), 2);
  ASSERT_FALSE(full.host.events.empty());
  EXPECT_NE(full.host.events.front().find("Zu viele Elemente!"), std::string::npos);
}

}  // namespace
}  // namespace talven
