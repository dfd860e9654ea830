// The control-creating functions, the program's own dialog windows and the operations on
// controls. Each control takes the next identifier (1000 first); with SETDIALOGFONT on it
// gets the font USEFONT made last.

#include <string>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/text.h"
#include "library/controls/controls_platform.h"
#include "library/controls/controls_words.h"
#include "library/controls/list_text.h"
#include "library/controls/shared_list.h"
#include "library/windows/window_events.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr uint32_t kStyleButton = 0x50010000;
constexpr uint32_t kStyleDefButton = 0x50010001;
constexpr uint32_t kStyleCheckBox = 0x50010003;
constexpr uint32_t kStyleRadioButton = 0x50010009;
constexpr uint32_t kStyleGroupBox = 0x50030007;
constexpr uint32_t kStyleText = 0x50000000;
constexpr uint32_t kStyleIcon = 0x50000003;
constexpr uint32_t kStyleEdit = 0x50010080;
constexpr uint32_t kStylePassword = 0x500100A0;
constexpr uint32_t kStyleMultiEdit = 0x50311144;
constexpr uint32_t kStyleMultiEditWrapped = 0x50211144;
constexpr uint32_t kStyleListBox = 0x50B101C1;
constexpr uint32_t kStyleSortedListBox = 0x50B101C3;
constexpr uint32_t kStyleChoiceBox = 0x50B10303;
constexpr uint32_t kStyleHScroll = 0x50810000;
constexpr uint32_t kStyleVScroll = 0x50010001;
constexpr uint32_t kClientEdge = 0x00000200;

ControlsPlatform& Platform(Engine& engine) {
  return FamilyPlatformOf<ControlsPlatform>(engine, FamilyId::Controls);
}

int32_t AsInteger(intptr_t value) { return static_cast<int32_t>(value); }

intptr_t ArgHandle(Engine& engine) { return static_cast<intptr_t>(ArgLong(engine)); }

// The font controls and dialogs get: USEFONT's last font while SETDIALOGFONT is on.
intptr_t DialogFont(Engine& engine) {
  if (!ControlsOf(engine).dialogFont) return 0;
  return WindowPlatformOf(engine).CurrentFont();
}

// The magnitude of a size, safe for the smallest integer.
int32_t Magnitude(int32_t value) { return value == INT32_MIN ? INT32_MAX : (value < 0 ? -value : value); }

intptr_t Create(Engine& engine, ControlRequest request) {
  ControlsState& state = ControlsOf(engine);
  request.id = state.nextId++;
  request.font = DialogFont(engine);
  return Platform(engine).CreateControl(request);
}

// (parent, text, x, y, width, height) into a request of the class and style given.
ControlRequest ReadPlaced(Engine& engine, const char* className, uint32_t style) {
  ControlRequest request;
  request.parent = ArgHandle(engine);
  request.text = ArgString(engine);
  request.x = ArgInteger(engine);
  request.y = ArgInteger(engine);
  request.width = ArgInteger(engine);
  request.height = ArgInteger(engine);
  request.className = className;
  request.style = style;
  return request;
}

intptr_t CreateStandard(Engine& engine, const char* className, uint32_t style) {
  const intptr_t control = Create(engine, ReadPlaced(engine, className, style));
  ResultInteger(engine, AsInteger(control));
  return control;
}

// A scroll bar runs from 0 to 100 until SETSCROLLRANGE says otherwise.
void CreateScrollBar(Engine& engine, uint32_t style) {
  const intptr_t bar = CreateStandard(engine, "SCROLLBAR", style);
  if (bar != 0) Platform(engine).SetScrollRange(bar, 0, 100);
}

// An edit control: a height of 1 or more gives `style`, a height below 1 `lowStyle`;
// the control's height is the height's magnitude.
void CreateEditControl(Engine& engine, uint32_t style, uint32_t lowStyle) {
  ControlRequest request = ReadPlaced(engine, "EDIT", style);
  if (request.height < 1) request.style = lowStyle;
  request.height = Magnitude(request.height);
  request.extendedStyle = kClientEdge;
  ResultInteger(engine, AsInteger(Create(engine, request)));
}

}  // namespace

void FnCreateButton(Engine& engine, std::string_view) { CreateStandard(engine, "BUTTON", kStyleButton); }
void FnCreateDefButton(Engine& engine, std::string_view) { CreateStandard(engine, "BUTTON", kStyleDefButton); }
void FnCreateCheckBox(Engine& engine, std::string_view) { CreateStandard(engine, "BUTTON", kStyleCheckBox); }
void FnCreateRadioButton(Engine& engine, std::string_view) {
  CreateStandard(engine, "BUTTON", kStyleRadioButton);
}
void FnCreateGroupBox(Engine& engine, std::string_view) { CreateStandard(engine, "BUTTON", kStyleGroupBox); }
void FnCreateText(Engine& engine, std::string_view) { CreateStandard(engine, "STATIC", kStyleText); }
void FnCreateListBox(Engine& engine, std::string_view) { CreateStandard(engine, "LISTBOX", kStyleListBox); }
void FnCreateSortedListBox(Engine& engine, std::string_view) {
  CreateStandard(engine, "LISTBOX", kStyleSortedListBox);
}
void FnCreateChoiceBox(Engine& engine, std::string_view) {
  CreateStandard(engine, "COMBOBOX", kStyleChoiceBox);
}

void FnCreateHScroll(Engine& engine, std::string_view) { CreateScrollBar(engine, kStyleHScroll); }
void FnCreateVScroll(Engine& engine, std::string_view) { CreateScrollBar(engine, kStyleVScroll); }

// (parent, icon name, x, y)
void FnCreateIcon(Engine& engine, std::string_view) {
  ControlRequest request;
  request.parent = ArgHandle(engine);
  request.text = ArgString(engine);
  request.x = ArgInteger(engine);
  request.y = ArgInteger(engine);
  request.className = "STATIC";
  request.style = kStyleIcon;
  ResultInteger(engine, AsInteger(Create(engine, request)));
}

// A height below 1 makes a password field of the absolute height.
void FnCreateEdit(Engine& engine, std::string_view) {
  CreateEditControl(engine, kStyleEdit, kStylePassword);
}

// A height of 0 or below drops the horizontal scroll bar (lines wrap).
void FnCreateMultiEdit(Engine& engine, std::string_view) {
  CreateEditControl(engine, kStyleMultiEdit, kStyleMultiEditWrapped);
}

// (class, text, style, x, y, width, height, parent, identifier, instance [, extended
// style]): the identifier is the program's, the counter stays.
void FnControl(Engine& engine, std::string_view) {
  ControlRequest request;
  request.className = ArgString(engine);
  request.text = ArgString(engine);
  request.style = static_cast<uint32_t>(ArgLong(engine));
  request.x = ArgInteger(engine);
  request.y = ArgInteger(engine);
  request.width = ArgInteger(engine);
  request.height = ArgInteger(engine);
  request.parent = ArgHandle(engine);
  request.id = ArgLong(engine);
  request.instance = ArgHandle(engine);
  CatchUpText(engine);
  if (!TrimControl(engine.param).empty()) request.extendedStyle = static_cast<uint32_t>(ArgLong(engine));
  request.font = DialogFont(engine);
  ResultLong(engine, AsInteger(Platform(engine).CreateControl(request)));
}

// (parent, title, x, y, width, height)
void FnCreateDialog(Engine& engine, std::string_view) {
  const ControlRequest w = ReadPlaced(engine, "DIALOG", 0);
  ResultInteger(engine, AsInteger(Platform(engine).CreateDialogWindow(
                            w.parent, w.text, w.x, w.y, w.width, w.height, DialogFont(engine))));
}

// A negative height: a window of the main window's class, the height negated.
void FnCreateWindow(Engine& engine, std::string_view) {
  const ControlRequest w = ReadPlaced(engine, "", 0);
  const uint32_t style = MainWindowStyle(WindowOf(engine).setup.styleBits);
  ResultInteger(engine, AsInteger(Platform(engine).CreateOwnedWindow(
                            w.parent, w.text, w.x, w.y, w.width, Magnitude(w.height), style,
                            w.height < 0, DialogFont(engine))));
}

// (parent, instance, template): the template by name, or by number when a number is given.
void FnCreateExtDialog(Engine& engine, std::string_view) {
  const intptr_t parent = ArgHandle(engine);
  const intptr_t instance = ArgHandle(engine);
  NextArgument(engine, EvalMode::Any);
  const bool byNumber = engine.reg.type != ValueType::String;
  const std::string name = engine.reg.Text();
  const int32_t number = engine.reg.longValue;
  ResultInteger(engine, AsInteger(Platform(engine).CreateExternalDialog(parent, instance, name,
                                                                        byNumber, number)));
}

void FnGetHandle(Engine& engine, std::string_view) {
  const intptr_t dialog = ArgHandle(engine);
  const int32_t id = ArgLong(engine);
  ResultInteger(engine, AsInteger(Platform(engine).DialogItem(dialog, id)));
}

void StmtSetDialogFont(Engine& engine) {
  engine.handled = true;
  ControlsOf(engine).dialogFont = EvaluateInteger(engine, "") != 0;
}

namespace {

// (window, text) → the message's result
void SendText(Engine& engine, ListMessage message) {
  const intptr_t window = ArgHandle(engine);
  const std::string text = ArgString(engine);
  ResultInteger(engine, Platform(engine).Send(window, message, 0, text));
}

// (window, index) → the message's result
void SendIndex(Engine& engine, ListMessage message) {
  const intptr_t window = ArgHandle(engine);
  const int32_t index = ArgLong(engine);
  ResultInteger(engine, Platform(engine).Send(window, message, index, {}));
}

// (window) → the message's result
void SendPlain(Engine& engine, ListMessage message) {
  const intptr_t window = ArgHandle(engine);
  ResultInteger(engine, Platform(engine).Send(window, message, 0, {}));
}

}  // namespace

void FnAddString(Engine& engine, std::string_view) { SendText(engine, ListMessage::AddString); }
void FnAddChoice(Engine& engine, std::string_view) { SendText(engine, ListMessage::AddChoice); }
void FnDeleteString(Engine& engine, std::string_view) { SendIndex(engine, ListMessage::DeleteString); }
void FnDeleteChoice(Engine& engine, std::string_view) { SendIndex(engine, ListMessage::DeleteChoice); }
void FnGetCount(Engine& engine, std::string_view) { SendPlain(engine, ListMessage::Count); }
void FnGetCurSel(Engine& engine, std::string_view) { SendPlain(engine, ListMessage::CurrentIndex); }
void FnGetLineCount(Engine& engine, std::string_view) { SendPlain(engine, ListMessage::LineCount); }
void FnGetCheck(Engine& engine, std::string_view) { SendPlain(engine, ListMessage::GetCheck); }

// (list box, index, text)
void FnInsertString(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  const int32_t index = ArgLong(engine);
  const std::string text = ArgString(engine);
  ResultInteger(engine, Platform(engine).Send(window, ListMessage::InsertString, index, text));
}

// (list box, start, text): the first entry after `start` that begins with the text.
void FnSelectString(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  const int32_t start = ArgLong(engine);
  const std::string text = ArgString(engine);
  ResultInteger(engine, Platform(engine).Send(window, ListMessage::SelectString, start, text));
}

void FnGetString(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  const int32_t index = ArgLong(engine);
  ResultString(engine, Platform(engine).ListText(window, index));
}

void FnGetLine(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  const int32_t line = ArgLong(engine);
  ResultString(engine, Platform(engine).EditLine(window, line));
}

void FnGetText(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  ResultString(engine, Platform(engine).WindowText(window));
}

void FnGetScrollPos(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  ResultInteger(engine, Platform(engine).ScrollPosition(window));
}

// SETCHECK button, flag: 1 for any flag but 0.
void StmtSetCheck(Engine& engine) {
  engine.handled = true;
  const intptr_t window = EvaluateInteger(engine, ",");
  const int32_t flag = EvaluateInteger(engine, "");
  Platform(engine).Send(window, ListMessage::SetCheck, flag != 0 ? 1 : 0, {});
}

void StmtSetText(Engine& engine) {
  engine.handled = true;
  const intptr_t window = EvaluateInteger(engine, ",");
  Evaluate(engine, "", EvalMode::String);
  Platform(engine).SetTextOf(window, engine.reg.Text());
}

void StmtSetScrollPos(Engine& engine) {
  engine.handled = true;
  const intptr_t window = EvaluateInteger(engine, ",");
  const int32_t position = EvaluateInteger(engine, "");
  Platform(engine).SetScrollPosition(window, position);
}

void StmtSetScrollRange(Engine& engine) {
  engine.handled = true;
  const intptr_t window = EvaluateInteger(engine, ",");
  const int32_t minimum = EvaluateInteger(engine, ",");
  const int32_t maximum = EvaluateInteger(engine, "");
  Platform(engine).SetScrollRange(window, minimum, maximum);
}

void FnMoveListToList(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  Platform(engine).AddEntries(window, SharedListOf(engine).Entries(), false);
  ResultInteger(engine, 1);
}

void FnMoveListToChoice(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  Platform(engine).AddEntries(window, SharedListOf(engine).Entries(), true);
  ResultInteger(engine, 1);
}

// 1 when every entry went in, 0 when some did not fit below 63999 characters.
void FnMoveListToEdit(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  const JoinedText joined = JoinForEdit(SharedListOf(engine).Entries());
  Platform(engine).SetEditText(window, joined.text);
  ResultInteger(engine, joined.complete ? 1 : 0);
}

namespace {

void SendKeyText(Engine& engine, std::string_view text, intptr_t window) {
  ControlsPlatform& platform = Platform(engine);
  const std::vector<KeyPress> presses = KeyStrokes(text, platform.Layout());
  ResultInteger(engine, platform.SendKeys(window, presses) ? 1 : 0);
}

}  // namespace

// (window, text)
void FnSendString(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  const std::string text = ArgString(engine);
  SendKeyText(engine, text, window);
}

// (window, key): one key stroke, written as in a key string, or a key code.
void FnSendKey(Engine& engine, std::string_view) {
  const intptr_t window = ArgHandle(engine);
  NextArgument(engine, EvalMode::Any);
  if (engine.reg.type == ValueType::String) {
    const std::string key = engine.reg.Text();
    SendKeyText(engine, key, window);
    return;
  }
  const int32_t code = engine.reg.longValue;
  if (code <= 0 || code > 255) {
    ResultInteger(engine, 0);
    return;
  }
  const uint8_t key = static_cast<uint8_t>(code);
  const std::vector<KeyPress> presses = {{key, true}, {key, false}};
  ResultInteger(engine, Platform(engine).SendKeys(window, presses) ? 1 : 0);
}

}  // namespace talven
