#pragma once
// What the test drivers (tdriver, sfx_driver, eddriver) share: reading texts of other
// processes' windows, clicking their buttons, answering their boxes and dialogs, escaping
// reported texts and starting the program under test.

#include <windows.h>

#include <string>

namespace driver {

// How CR and LF are written in a reported line.
enum class LineBreaks {
  Exact,   // CR as "\r", LF as "\n": the reader sees exactly which bytes stand there
  Folded,  // CR LF and a lone LF both as "\n"
  Marked,  // CR LF as "\n", a lone LF as "\l", a lone CR as "\r", a tab as "\t"
};

std::string Escaped(const std::string& text, LineBreaks breaks);

// A window's text through WM_GETTEXT (works across processes for controls).
std::string WindowText(HWND hwnd);
// A top-level window's caption.
std::string CaptionOf(HWND hwnd);
std::string ClassOf(HWND hwnd);

// The control ids of message boxes and the system's file dialogs.
constexpr int kMessageTextId = 0xFFFF;
constexpr int kMessageIconId = 0x440;
constexpr int kFileNameComboId = 0x47C;
constexpr int kFileNameEditId = 0x480;

// Whether the dialog has this button, visible.
bool HasButton(HWND dialog, int id);
// Whether a message box shows an icon. Which one cannot be told from outside: icon handles
// are private to the program that loaded them.
bool ShowsIcon(HWND dialog);
// The button an answer ("ok", "cancel", "yes", "no") stands for.
int AnswerId(const std::string& answer);
// Clicks the button of `answer` in a message box, or OK (else Cancel) where it has none.
void AnswerBox(HWND dialog, const std::string& answer);
// Puts `name` into a file dialog's name field (explorer style or old) and clicks OK.
void AnswerFileDialog(HWND dialog, const std::string& name);
// Sets texts and check boxes of a dialog, then clicks: "200=C:\\ZIEL;check:1001;1" (ID=TEXT
// sets a control's text, check:ID and uncheck:ID a box, a bare ID clicks that button).
void ApplyDialogActions(HWND dialog, const std::string& actions);

// Posts a button click to a dialog: the click is handled when the program next reads its
// queue.
void Click(HWND dialog, int id);

// Waits (at most two seconds) until `window` is gone or hidden, so that it is never
// reported twice.
void WaitUntilGone(HWND window);

// An argument as the command line needs it: in quotes when it holds blanks or quotes.
std::string Quoted(const std::string& arg);

// How the program's own arguments go into its command line.
enum class Arguments {
  Quoted,     // each in quotes where it needs them
  AsWritten,  // unchanged: a test may need a raw text (the program's name is still quoted)
};

// The command line of argv[first] (the program) and the arguments after it.
std::string CommandLine(int argc, char** argv, int first, Arguments arguments);

// Starts `commandLine`; false (and a message naming `tool` on standard error) when the
// program cannot be started.
bool StartProgram(const char* tool, const std::string& commandLine, PROCESS_INFORMATION& process);

// The tick count `seconds` from now, and whether it has passed (wrap-around safe).
DWORD DeadlineAfter(double seconds);
bool Passed(DWORD deadline);

}  // namespace driver
