// The shared list's fillers (ADDFILES, ADDWINDOWS, ADDFONTS) and the ready-made dialogs:
// MESSAGEBOX, EDITBOX, LISTBOX$, INPUT$, LOADFILE$, SAVEFILE$, CHOOSEDIR$, with the results
// they leave in %BUTTON, $GETTEXT, $GETINPUT and %GETCURSEL.

#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/text.h"
#include "library/controls/controls_platform.h"
#include "library/controls/controls_words.h"
#include "library/controls/list_text.h"
#include "library/controls/shared_list.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr int32_t kOk = 1;
constexpr int32_t kCancel = 2;

ControlsPlatform& Platform(Engine& engine) {
  return FamilyPlatformOf<ControlsPlatform>(engine, FamilyId::Controls);
}

intptr_t Owner(Engine& engine) { return WindowPlatformOf(engine).NativeHandle(); }

// After a ready-made dialog the main window is brought up to date.
void AfterDialog(Engine& engine) { engine.host.RepaintMainWindow(); }

// Appends the names when all of them fit; else 232 and the list stays as it was.
void AppendAll(Engine& engine, const ControlsPlatform::Names& found) {
  SharedList& list = SharedListOf(engine);
  if (found.more || found.names.size() > SharedList::kCapacity - list.Size()) {
    Error(engine, ErrorCode::TooManyElements);
    return;
  }
  for (const std::string& name : found.names) list.Add(name);
}

size_t Room(Engine& engine) {
  return SharedList::kCapacity - SharedListOf(engine).Size();
}

std::string Trimmed(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace

// ADDFILES mask: the matching names, directories in square brackets. Written with "*" in
// front of the mask expression, the tree below the mask's folder is walked and full names
// are listed.
void StmtAddFiles(Engine& engine) {
  engine.handled = true;
  bool recursive = false;
  const std::string_view text = TrimControl(engine.param);
  if (!text.empty() && text.front() == '*') {
    recursive = true;
    engine.param = std::string(text.substr(1));
  }
  Evaluate(engine, "", EvalMode::String);
  const std::string mask = engine.reg.Text();
  AppendAll(engine, Platform(engine).Files(mask, recursive, Room(engine)));
}

// ADDWINDOWS text: the non-empty titles of the top-level windows that begin with the text.
void StmtAddWindows(Engine& engine) {
  engine.handled = true;
  std::string prefix;
  if (!TrimControl(engine.param).empty()) {
    Evaluate(engine, "", EvalMode::String);
    prefix = engine.reg.Text();
  }
  AppendAll(engine, Platform(engine).WindowTitles(prefix, Room(engine)));
}

void StmtAddFonts(Engine& engine) {
  engine.handled = true;
  AppendAll(engine, Platform(engine).FontFamilies(Room(engine)));
}

// @MESSAGEBOX(text, title, flags): the button pressed.
void FnMessageBox(Engine& engine, std::string_view) {
  const std::string text = ArgKept(engine, 0);
  const std::string title = ArgKept(engine, 1);
  const uint32_t flags = static_cast<uint32_t>(ArgLong(engine));
  const int32_t result = Platform(engine).ShowMessageBox(Owner(engine), text, title, flags);
  AfterDialog(engine);
  ResultInteger(engine, result);
}

// MESSAGEBOX text, title, flags: the button into %BUTTON; the window repainted unless a
// paint redirection is open.
void StmtMessageBox(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ",", EvalMode::String);
  const std::string text = engine.reg.Text();
  Evaluate(engine, ",", EvalMode::String);
  const std::string title = engine.reg.Text();
  const uint32_t flags = static_cast<uint32_t>(EvaluateInteger(engine, ""));
  ControlsOf(engine).button = Platform(engine).ShowMessageBox(Owner(engine), text, title, flags);
  if (!WindowOf(engine).paintTarget.has_value()) AfterDialog(engine);
}

// @EDITBOX(title, mode): the shared list edited as text; 1 OK (the list is the edit's
// lines), 0 Cancel (the list unchanged).
void FnEditBox(Engine& engine, std::string_view) {
  const std::string title = ArgKept(engine, 0);
  const int32_t mode = ArgInteger(engine);
  ControlsState& state = ControlsOf(engine);
  const std::string text = JoinWithBreaks(state.list.Entries());
  const auto lines =
      Platform(engine).EditDialog(Owner(engine), EditBoxTemplate(mode), title, text);
  AfterDialog(engine);
  if (!lines) {
    state.button = kCancel;
    ResultInteger(engine, 0);
    return;
  }
  state.list.Clear();
  for (const std::string& line : *lines) state.list.Add(line);
  state.button = kOk;
  ResultInteger(engine, 1);
}

// @LISTBOX$(title, mode): the entry chosen, trimmed; empty on Cancel.
void FnListBox(Engine& engine, std::string_view) {
  const std::string title = ArgKept(engine, 0);
  const int32_t mode = ArgInteger(engine);
  ControlsState& state = ControlsOf(engine);
  const ListDialogAnswer answer = Platform(engine).ListDialog(
      Owner(engine), ListBoxTemplate(mode), title, state.list.Entries());
  AfterDialog(engine);
  if (answer.index >= 0) {
    state.chosenIndex = answer.index;
    state.chosenText = answer.text;
  }
  state.button = answer.ok ? kOk : kCancel;
  ResultString(engine, answer.ok ? Trimmed(state.chosenText) : std::string());
}

// @INPUT$(prompt, title, default): the text entered, trimmed, also as a number.
void FnInput(Engine& engine, std::string_view) {
  const std::string prompt = ArgKept(engine, 0);
  const std::string title = ArgKept(engine, 1);
  const std::string initial = ArgKept(engine, 2);
  ControlsState& state = ControlsOf(engine);
  const auto entered = Platform(engine).InputDialog(Owner(engine), prompt, title, initial);
  AfterDialog(engine);
  state.button = entered ? kOk : kCancel;
  const std::string text = entered ? Trimmed(*entered) : std::string();
  if (entered) state.inputText = text;
  ResultString(engine, text);
  const double number = std::strtod(text.c_str(), nullptr);
  engine.reg.floatValue = number;
  engine.reg.integer = Truncated(number);
  engine.reg.longValue = engine.reg.integer;
}

namespace {

void FileDialog(Engine& engine, bool save) {
  const std::string title = ArgKept(engine, 0);
  const std::string mask = ArgKept(engine, 1);
  ControlsState& state = ControlsOf(engine);
  const auto path = Platform(engine).FileDialog(Owner(engine), title, mask, save);
  AfterDialog(engine);
  state.button = path ? kOk : kCancel;
  if (path) state.chosenText = *path;
  ResultString(engine, path.value_or(std::string()));
}

}  // namespace

void FnLoadFile(Engine& engine, std::string_view) { FileDialog(engine, false); }
void FnSaveFile(Engine& engine, std::string_view) { FileDialog(engine, true); }

// @CHOOSEDIR$(title): the folder with a trailing backslash, or empty.
void FnChooseDir(Engine& engine, std::string_view) {
  const std::string title = ArgKept(engine, 0);
  ControlsState& state = ControlsOf(engine);
  auto folder = Platform(engine).FolderDialog(Owner(engine), title);
  AfterDialog(engine);
  state.button = folder ? kOk : kCancel;
  if (folder && (folder->empty() || folder->back() != '\\')) folder->push_back('\\');
  if (folder) state.chosenText = *folder;
  ResultString(engine, folder.value_or(std::string()));
}

void ReadButton(Engine& engine, std::string_view) { ResultInteger(engine, ControlsOf(engine).button); }
void ReadGetText(Engine& engine, std::string_view) { ResultString(engine, ControlsOf(engine).chosenText); }
void ReadGetInput(Engine& engine, std::string_view) { ResultString(engine, ControlsOf(engine).inputText); }
void ReadGetCurSel(Engine& engine, std::string_view) {
  ResultInteger(engine, ControlsOf(engine).chosenIndex);
}

}  // namespace talven
