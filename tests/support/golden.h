#pragma once
// Golden programs: a .TVS file carries its expectations in comment lines.
//
//   ' args: A B          the command-line parameters (default: the file's own name;
//                        "' args:" alone means none)
//   ' answer: cancel     answers for the boxes and dialogs, in order (ok, cancel, yes, no,
//                        file:NAME)
//   ' ini: FILE|SECTION|KEY=VALUE   a setting the program finds
//   ' env: NAME=VALUE    an environment variable the program finds
//   ' box: ICON BUTTONS | CAPTION | TEXT   the boxes, in order (\n stands for CR LF)
//   ' dialog: CAPTION    a file dialog
//   ' type: TEXT         keys typed when the program next waits for input (\n is Enter,
//                        \b backspace, \f the F1 key)
//   ' click: ID          a real mouse click on the program's control ID (in any of its
//                        windows) when the program next waits for input
//   ' menu: A>B>C        the item C of the sub-menu B of the pull-down A chosen with the
//                        mouse through the real menu: the bar's when the program next
//                        waits for input, the pop-up's when TRACKMENU shows one (item texts
//                        without their "&"; bytes as in the program)
//   ' set: ID=TEXT       the text of the program's control ID set (\n: a line break): in the
//                        template dialog the program shows next, else, when the program
//                        next waits for input, in any of its windows (CREATEDIALOG's too);
//                        the wait goes on, with what the control itself reports
//   ' select: ID=ENTRY   the entry of list or choice box ID chosen, with the notification a
//                        user's click sends (case ignored): in the template dialog the
//                        program shows next, else when the program next waits for input
//                        (the notification ends the wait). A template dialog takes the steps
//                        up to the next "' answer:" line, which closes it (ok or cancel)
//   ' screen: TEXT       the rows of the window's text grid at the end, from the top
//                        (after the boxes; right-trimmed, trailing empty rows left out)
//   ' exit: N            the exit code (default 0)
//   ' profiles: full     the programs that run it: "full" (TALVEN, TLVRUN32 and linked
//                        programs), "script" too; without it the script interpreter runs
//                        every program whose words it has
//   ' hosts: windows     only the real programs under Wine run it (it calls functions
//                        of the system's libraries)
//
// The same program compiled and run by the runtime must agree, apart from the runtime's
// error captions ("Zeile" + number + "!", applied to the expectations above). Where the
// compiled form differs by design:
//   ' compile box: ...   the compiler's boxes (its run then stops where the compiler did)
//   ' compile exit: N    the compiler's exit code (default 0)
//   ' compiled box: ...  the runtime's boxes instead of the interpreter's
//   ' compiled exit: N   the runtime's exit code instead of the interpreter's
//   ' compiled args: ... the runtime's arguments ("' compiled args:" alone: none)
//
// Comment lines are stored empty, so expectations do not move line numbers.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talven::test {

// A click, a menu choice, a text set or an entry selected stands in the queue of typed
// texts as its own chunk: a line break (never at the start of a typed text: golden lines
// end there), the kind, then the control's identifier, the menu path or "ID=TEXT". Typed
// texts keep every other byte, Ctrl+C included.
inline constexpr char kClickChunk = 'c';
inline constexpr char kMenuChunk = 'm';
inline constexpr char kSetChunk = 's';     // "ID=TEXT"
inline constexpr char kSelectChunk = 'l';  // "ID=ENTRY"
// After the set and select steps an "' answer:" line follows: they end there (so that each
// template dialog takes only its own).
inline constexpr char kStepsEndChunk = 'e';
inline std::string ActionChunk(char kind, const std::string& text) { return std::string{'\n', kind} + text; }
inline bool IsActionChunk(const std::string& chunk, char kind) {
  return chunk.size() >= 2 && chunk[0] == '\n' && chunk[1] == kind;
}
// The identifier or the path of an action chunk.
inline std::string_view ActionText(const std::string& chunk) { return std::string_view(chunk).substr(2); }

struct GoldenCase {
  std::string file;
  std::optional<std::vector<std::string>> args;
  std::vector<std::string> answers;
  std::vector<std::pair<std::string, std::string>> ini;
  std::vector<std::pair<std::string, std::string>> environment;
  std::vector<std::string> events;
  std::vector<std::string> typed;
  int exitCode = 0;
  std::vector<std::string> compileEvents;
  int compileExit = 0;
  std::optional<std::vector<std::string>> compiledEvents;
  std::optional<int> compiledExit;
  std::optional<std::vector<std::string>> compiledArgs;
};

// "\n" in an expectation or a typed text stands for the line end CR LF (typed: Enter).
std::string Unescaped(const std::string& text, bool typed);
// What the runtime must show for the compiled program.
std::vector<std::string> CompiledEvents(const GoldenCase& golden);
int CompiledExit(const GoldenCase& golden);

GoldenCase ParseGolden(const std::string& path);

// The outcome of a run in the expectation's terms.
struct GoldenOutcome {
  std::vector<std::string> events;
  int exitCode = 0;
};

std::vector<std::string> SplitWords(const std::string& text);

}  // namespace talven::test
