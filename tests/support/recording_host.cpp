#include "tests/support/recording_host.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "engine/std_file.h"
#include "library/controls/list_text.h"
#include "library/controls/shared_list.h"
#include "library/menus/menu_model.h"
#include "tests/support/golden.h"

namespace talven::test {

namespace {

constexpr uint32_t kMessageParentNotify = 0x0210;
constexpr uint32_t kMessageLeftButtonDown = 0x0201;
constexpr int32_t kButtonClicked = 0;

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Stop: return "stop";
    case BoxIcon::Exclamation: return "exclamation";
    case BoxIcon::Information: return "information";
    case BoxIcon::Question: return "question";
    default: return "none";
  }
}

const char* ButtonsName(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::OkCancel: return "okcancel";
    case BoxButtons::YesNo: return "yesno";
    case BoxButtons::YesNoCancel: return "yesnocancel";
    default: return "ok";
  }
}

bool Offers(BoxButtons buttons, BoxAnswer answer) {
  switch (buttons) {
    case BoxButtons::Ok: return answer == BoxAnswer::Ok;
    case BoxButtons::OkCancel: return answer == BoxAnswer::Ok || answer == BoxAnswer::Cancel;
    case BoxButtons::YesNo: return answer == BoxAnswer::Yes || answer == BoxAnswer::No;
    default: return answer != BoxAnswer::Ok;
  }
}

}  // namespace

std::string EscapeText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (text[i] == '\n') {
      out += "\\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string FormatBox(const BoxRequest& box) {
  return std::string("box: ") + IconName(box.icon) + " " + ButtonsName(box.buttons) + " | " +
         EscapeText(box.caption) + " | " + EscapeText(box.text);
}

std::string NativePath(std::string_view name) {
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string RecordingHost::NextAnswer() {
  if (answers.empty()) return {};
  std::string answer = answers.front();
  answers.pop_front();
  return answer;
}

BoxAnswer RecordingHost::ShowBox(const BoxRequest& box) {
  events.push_back(FormatBox(box));
  boxes.push_back(box);
  const std::string text = NextAnswer();
  BoxAnswer answer = BoxAnswer::Ok;
  if (text == "cancel") answer = BoxAnswer::Cancel;
  if (text == "yes") answer = BoxAnswer::Yes;
  if (text == "no") answer = BoxAnswer::No;
  // A button the box does not have cannot be pressed: the driver falls back the same way.
  if (!Offers(box.buttons, answer)) {
    answer = box.buttons == BoxButtons::Ok || box.buttons == BoxButtons::OkCancel
                 ? BoxAnswer::Ok
                 : BoxAnswer::Cancel;
  }
  return answer;
}

std::optional<std::string> RecordingHost::OpenFileDialog(std::string_view caption,
                                                         std::string_view, std::string_view) {
  events.push_back("dialog: " + EscapeText(caption));
  const std::string text = NextAnswer();
  if (text.rfind("file:", 0) != 0) return std::nullopt;
  return text.substr(5);
}

std::unique_ptr<InputFile> RecordingHost::OpenInput(const std::string& name) {
  return OpenStdInputFile(NativePath(name));
}

bool RecordingHost::FileExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::is_regular_file(NativePath(name), error);
}

std::string RecordingHost::ReadIniString(std::string_view file, std::string_view section,
                                         std::string_view key, std::string_view fallback) {
  const auto it = ini.find(std::string(file) + "|" + std::string(section) + "|" + std::string(key));
  return it != ini.end() ? it->second : std::string(fallback);
}

void FakeWindow::Create(WindowState& state) {
  m_state = &state;
  title = state.setup.title;
  style = MainWindowStyle(state.setup.styleBits);
  focus = NativeHandle();
  visible = true;
  Place(state.setup.left, state.setup.top, state.setup.width, state.setup.height);
}

void FakeWindow::Place(int32_t left, int32_t top, int32_t width, int32_t height) {
  frame = WindowFrame{left, top, left + width, top + height};
  if (m_state != nullptr) {
    const ClientSize client = ClientSizeOf(NativeHandle());
    ResizeClient(*m_state, client.width, client.height);
    PushEvent(m_state->input, kKeyResized);
  }
}

intptr_t FakeWindow::FindByTitle(std::string_view prefix) {
  if (!Exists() || title.compare(0, prefix.size(), prefix) != 0) return 0;
  return NativeHandle();
}

bool FakeWindow::ShowWindowAs(intptr_t window, int32_t mode) {
  if (!IsMain(window)) return false;
  const bool was = visible;
  visible = mode != 0;
  return was;
}

intptr_t FakeWindow::SetFocusTo(intptr_t window) {
  const intptr_t previous = focus;
  if (IsMain(window)) focus = window;
  return previous;
}

bool FakeWindow::DestroyWindowOf(intptr_t window) {
  if (!IsMain(window)) return false;
  closed = true;  // the quit message follows the main window's end
  m_state = nullptr;
  return true;
}

ClientSize FakeWindow::ClientSizeOf(intptr_t window) {
  if (!IsMain(window)) return ClientSize{};
  return ClientSize{std::max(0, frame.right - frame.left - 8),
                    std::max(0, frame.bottom - frame.top - 27)};
}

WindowFrame FakeWindow::FrameOf(intptr_t window) { return IsMain(window) ? frame : WindowFrame{}; }

intptr_t FakeWindow::Deliver(intptr_t window, uint32_t message, MessageArgument& wParam,
                             MessageArgument& lParam, Delivery how) {
  if (!IsMain(window)) return 0;
  if (how == Delivery::Post) {
    queue.push_back(MessageRecord{window, message, static_cast<uintptr_t>(wParam.number),
                                  lParam.isText ? 0x300 : lParam.number});
    return 1;
  }
  switch (message) {
    case kMessageSetText:
      title = lParam.isText ? lParam.text : std::string();
      return 1;
    case kMessageGetText: {
      const size_t room = wParam.number > 0 ? static_cast<size_t>(wParam.number) - 1 : 0;
      const std::string text = title.substr(0, std::min<size_t>(room, 255));
      if (lParam.isText) lParam.text = text;
      return static_cast<intptr_t>(text.size());
    }
    case kMessageGetTextLength: return static_cast<intptr_t>(title.size());
    default: return 0;
  }
}

void FakeWindow::Dispatch(const MessageRecord& record) {
  if (m_state == nullptr) return;
  InputState& input = m_state->input;
  input.lastWindow = record.window;
  input.lastMessage = record.message;
  input.lastWParam = record.wParam;
  input.lastLParam = record.lParam;
  // What the window procedure does with the messages a program posts to itself.
  switch (record.message) {
    case kMessageChar:
      if (RecordChar(input, static_cast<uint8_t>(record.wParam), m_state->breakChecking)) {
        closed = true;
      }
      break;
    case kMessageKeyDown: RecordKeyDown(input, static_cast<int32_t>(record.wParam)); break;
    case kMessageSize:
      ResizeClient(*m_state, static_cast<int32_t>(record.lParam & 0xFFFF),
                   static_cast<int32_t>((record.lParam >> 16) & 0xFFFF));
      PushEvent(input, kKeyResized);
      break;
    case kMessageCommand: {
      const CommandMessage command{static_cast<int32_t>(record.wParam & 0xFFFF),
                                   static_cast<int32_t>((record.wParam >> 16) & 0xFFFF),
                                   record.lParam};
      // The program's own dialogs follow the dialog rules whatever the main window's style.
      const bool dialogMode = (m_state->setup.styleBits & kStyleDialogMode) != 0 ||
                              (controls != nullptr && controls->IsDialog(record.window));
      const CommandEffect effect = RecordCommand(input, dialogMode, command);
      if (effect == CommandEffect::FocusControl) focus = command.control;
      if (effect == CommandEffect::RemoveFocus) focus = 0;
      break;
    }
    case kMessageParentNotify:
      // A button pressed on a child control (lParam: the control here, not the point).
      input.leftClick = true;
      input.focus = static_cast<intptr_t>(record.lParam);
      focus = input.focus;
      break;
    case kMessageHScroll:
    case kMessageVScroll:
      input.focus = focus;
      PushEvent(input, kKeyControlUsed);
      break;
    default: break;
  }
}

void FakeWindow::Drain() {
  if (m_state != nullptr) BeginMessageStep(m_state->input);
  while (!queue.empty()) {
    const MessageRecord record = queue.front();
    queue.pop_front();
    Dispatch(record);
  }
}

namespace {

// "ID=TEXT" of a set or select step.
std::pair<int32_t, std::string> StepTarget(std::string_view text) {
  const size_t equals = text.find('=');
  const int32_t id = std::atoi(std::string(text.substr(0, equals)).c_str());
  return {id, equals == std::string_view::npos ? std::string() : std::string(text.substr(equals + 1))};
}

constexpr uint32_t kEditMultiLine = 0x0004;
constexpr int32_t kEditUpdate = 0x0400;
constexpr int32_t kEditChange = 0x0300;
constexpr int32_t kSelectionChange = 1;  // LBN_SELCHANGE, CBN_SELCHANGE

}  // namespace

bool FakeWindow::Act(const std::string& chunk) {
  const bool click = IsActionChunk(chunk, kClickChunk);
  const bool set = IsActionChunk(chunk, kSetChunk);
  const bool select = IsActionChunk(chunk, kSelectChunk);
  if (IsActionChunk(chunk, kStepsEndChunk)) return true;  // no template dialog took the steps
  if (!click && !set && !select && !IsActionChunk(chunk, kMenuChunk)) return false;
  // A control's commands go to its window: the main window, or one of the program's dialogs.
  const auto command = [this](const FakeControls::Made& control, int32_t notification) {
    const intptr_t to = controls->IsDialog(control.parent) ? control.parent : NativeHandle();
    queue.push_back(MessageRecord{to, kMessageCommand,
                                  static_cast<uintptr_t>(static_cast<uint16_t>(control.id)) |
                                      (static_cast<uintptr_t>(notification) << 16),
                                  control.handle});
  };
  if (set || select) {
    const auto [id, text] = StepTarget(ActionText(chunk));
    FakeControls::Made* control = controls != nullptr ? controls->Find(id) : nullptr;
    if (control == nullptr) return true;  // nothing there
    if (set) {
      control->text = text;
      // A single-line edit tells its window of the new text, as Windows' edit does.
      if (control->className == "EDIT" && (control->style & kEditMultiLine) == 0) {
        command(*control, kEditUpdate);
        command(*control, kEditChange);
      }
      return true;
    }
    const int32_t index = FakeControls::EntryIndex(control->entries, text);
    if (index < 0) return true;
    control->selected = index;
    command(*control, kSelectionChange);
    return true;
  }
  if (click) {
    const FakeControls::Made* control =
        controls != nullptr ? controls->Find(std::atoi(chunk.c_str() + 2)) : nullptr;
    if (control == nullptr) return true;  // nothing there to click
    // The main window hears of the press on its own child; a button then reports its click
    // to its window (a dialog's commands reach the main window's input too).
    if (control->parent == NativeHandle()) {
      queue.push_back(MessageRecord{NativeHandle(), kMessageParentNotify, kMessageLeftButtonDown,
                                    control->handle});
    }
    if (control->className == "BUTTON") command(*control, kButtonClicked);
    return true;
  }
  if (menus == nullptr) return true;
  const auto bar = menus->bars.find(NativeHandle());
  if (bar == menus->bars.end()) return true;
  if (const std::optional<int32_t> id = menus->Choose(bar->second, ActionText(chunk))) {
    queue.push_back(MessageRecord{NativeHandle(), kMessageCommand,
                                  static_cast<uintptr_t>(static_cast<uint16_t>(*id)), 0});
  }
  return true;
}

bool FakeWindow::TakeMessage(MessageRecord& record) {
  if (queue.empty()) {
    if (typed.empty()) {
      closed = true;
      return false;
    }
    if (Act(typed.front())) {
      typed.pop_front();
      return TakeMessage(record);
    }
    for (char c : typed.front()) {
      queue.push_back(MessageRecord{NativeHandle(), kMessageChar, static_cast<uint8_t>(c), 1});
    }
    typed.pop_front();
    if (queue.empty()) return TakeMessage(record);
  }
  record = queue.front();
  queue.pop_front();
  Dispatch(record);
  return true;
}

bool FakeWindow::PeekNextMessage(MessageRecord& record) {
  if (queue.empty()) return false;
  record = queue.front();
  return true;
}

intptr_t FakeWindow::UseTextFont(const FontRequest&) {
  font = nextFont++;
  return font;
}

bool FakeWindow::DeleteGraphicsObject(intptr_t object) {
  if (object == 0 || object >= nextFont) return false;
  if (object == font) font = 0;
  return true;
}

void FakeWindow::PressKey(char c) {
  InputState& input = m_state->input;
  input.inputSeen = true;
  if (c == '\f') {
    RecordKeyDown(input, kVirtualKeyF1);
  } else if (c == '\r' && (m_state->setup.styleBits & kStyleDialogMode) != 0) {
    RecordCommand(input, true, CommandMessage{1, 0, 0});
  } else if (RecordChar(input, static_cast<uint8_t>(c), m_state->breakChecking)) {
    closed = true;
  }
}

void FakeWindow::RunUntilClosed() {
  if (m_state != nullptr) screen = ScreenText(*m_state);
}

void FakeWindow::WaitForMessage() {
  if (typed.empty()) {
    closed = true;
    return;
  }
  const std::string chunk = typed.front();
  typed.pop_front();
  if (Act(chunk)) return;
  for (char c : chunk) PressKey(c);
}

PumpResult RecordingHost::PumpMessages(bool) {
  window.Drain();
  if (window.closed) return PumpResult::Quit;
  ++pumps;
  return quitAfterPumps >= 0 && pumps >= quitAfterPumps ? PumpResult::Quit : PumpResult::Idle;
}

namespace {

constexpr uint32_t kListSorted = 0x0002;    // LBS_SORT
constexpr uint32_t kChoiceSorted = 0x0100;  // CBS_SORT

bool LessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

bool StartsIgnoringCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// The captions of the templates, shown when the program gives no title.
std::string TemplateCaption(const std::string& name, std::string_view title) {
  if (!title.empty()) return std::string(title);
  if (name.rfind("EDITBOX", 0) == 0) return "Edit-Box";
  if (name == "LISTBOX1") return "Show-Box";
  if (name == "LISTBOX2" || name == "LISTBOX4") return "LISTBOX4";
  if (name == "LISTBOX3") return "LISTBOX3";
  if (name.rfind("LISTBOX", 0) == 0) return "List-Box";
  return {};
}

constexpr int32_t kTemplateItem = 101;

}  // namespace

intptr_t FakeControls::CreateControl(const ControlRequest& request) {
  const intptr_t handle = 0x5000 + static_cast<intptr_t>(made.size()) + 1;
  std::string className = request.className;
  for (char& c : className) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  made.push_back(Made{handle, request.parent, request.id, className, request.style, request.text, {}, -1});
  return handle;
}

intptr_t FakeControls::CreateDialogWindow(intptr_t parent, std::string_view title, int32_t, int32_t,
                                          int32_t, int32_t, intptr_t) {
  const intptr_t handle = 0x5000 + static_cast<intptr_t>(made.size()) + 1;
  made.push_back(Made{handle, parent, 0, "#32770", 0, std::string(title), {}, -1});
  return handle;
}

intptr_t FakeControls::DialogItem(intptr_t dialog, int32_t id) {
  for (auto it = made.rbegin(); it != made.rend(); ++it) {
    if (it->parent == dialog && it->id == id) return it->handle;
  }
  return 0;
}

const FakeControls::Made* FakeControls::Find(int32_t id) const {
  for (auto it = made.rbegin(); it != made.rend(); ++it) {
    if (it->id == id && it->className != "#32770") return &*it;
  }
  return nullptr;
}

FakeControls::Made* FakeControls::ByHandle(intptr_t handle) {
  for (Made& control : made) {
    if (control.handle == handle) return &control;
  }
  return nullptr;
}

bool FakeControls::IsDialog(intptr_t window) const {
  for (const Made& control : made) {
    if (control.handle == window) return control.className == "#32770";
  }
  return false;
}

int32_t FakeControls::EntryIndex(const std::vector<std::string>& entries, std::string_view text) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].size() == text.size() && StartsIgnoringCase(entries[i], text)) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t FakeControls::Send(intptr_t window, ListMessage message, int32_t index, std::string_view text) {
  Made* control = ByHandle(window);
  if (control == nullptr) return -1;
  std::vector<std::string>& entries = control->entries;
  const int32_t count = static_cast<int32_t>(entries.size());
  const bool sorted = control->className == "COMBOBOX" ? (control->style & kChoiceSorted) != 0
                                                        : (control->style & kListSorted) != 0;
  switch (message) {
    case ListMessage::AddString:
    case ListMessage::AddChoice: {
      auto at = entries.end();
      if (sorted) {
        at = std::upper_bound(entries.begin(), entries.end(), text,
                              [](std::string_view a, const std::string& b) { return LessIgnoringCase(a, b); });
      }
      return static_cast<int32_t>(entries.insert(at, std::string(text)) - entries.begin());
    }
    case ListMessage::InsertString: {
      if (index < -1 || index > count) return -1;
      const int32_t at = index == -1 ? count : index;
      entries.insert(entries.begin() + at, std::string(text));
      return at;
    }
    case ListMessage::DeleteString:
    case ListMessage::DeleteChoice:
      if (index < 0 || index >= count) return -1;
      entries.erase(entries.begin() + index);
      if (control->selected == index) control->selected = -1;
      if (control->selected > index) --control->selected;
      return count - 1;
    case ListMessage::SelectString:
      // A prefix search from the entry after `index`, round to the start.
      for (int32_t step = 1; step <= count; ++step) {
        const int32_t at = ((index < 0 ? -1 : index) + step) % count;
        if (StartsIgnoringCase(entries[static_cast<size_t>(at)], text)) {
          control->selected = at;
          return at;
        }
      }
      return -1;
    case ListMessage::Count: return count;
    case ListMessage::CurrentIndex: return control->selected;
    default: return -1;
  }
}

std::string FakeControls::ListText(intptr_t window, int32_t index) {
  const Made* control = ByHandle(window);
  if (control == nullptr || index < 0 || index >= static_cast<int32_t>(control->entries.size())) return {};
  return control->entries[static_cast<size_t>(index)];
}

std::string FakeControls::WindowText(intptr_t window) {
  const Made* control = ByHandle(window);
  return control != nullptr ? control->text.substr(0, 255) : std::string();
}

std::string FakeControls::EditLine(intptr_t window, int32_t line) {
  const Made* control = ByHandle(window);
  if (control == nullptr || line < 0) return {};
  const std::vector<std::string> lines = SplitEditText(control->text, SharedList::kCapacity).lines;
  return static_cast<size_t>(line) < lines.size() ? lines[static_cast<size_t>(line)].substr(0, 255) : std::string();
}

void FakeControls::SetTextOf(intptr_t window, std::string_view text) {
  if (Made* control = ByHandle(window)) control->text = std::string(text);
}

void FakeControls::AddEntries(intptr_t window, const std::vector<std::string>& entries, bool comboBox) {
  for (const std::string& entry : entries) {
    Send(window, comboBox ? ListMessage::AddChoice : ListMessage::AddString, 0, entry);
  }
}

bool FakeControls::RunTemplate(const std::string& caption, std::map<int32_t, std::string>& texts,
                               std::vector<std::string>* entries, int32_t* selected) {
  host->events.push_back("dialog: " + EscapeText(caption));
  std::deque<std::string>& steps = host->window.typed;
  while (!steps.empty() && (IsActionChunk(steps.front(), kSetChunk) || IsActionChunk(steps.front(), kSelectChunk) ||
                            IsActionChunk(steps.front(), kStepsEndChunk))) {
    if (IsActionChunk(steps.front(), kStepsEndChunk)) {
      steps.pop_front();
      break;
    }
    const bool set = IsActionChunk(steps.front(), kSetChunk);
    const auto [id, text] = StepTarget(ActionText(steps.front()));
    steps.pop_front();
    if (set) {
      texts[id] = text;
    } else if (entries != nullptr && id == kTemplateItem) {
      const int32_t index = EntryIndex(*entries, text);
      if (index >= 0) *selected = index;
    }
  }
  return host->NextAnswer() == "ok";
}

std::optional<std::vector<std::string>> FakeControls::EditDialog(intptr_t, const std::string& templateName,
                                                                 std::string_view title,
                                                                 const std::string& text) {
  std::map<int32_t, std::string> texts{{kTemplateItem, text}};
  if (!RunTemplate(TemplateCaption(templateName, title), texts, nullptr, nullptr)) return std::nullopt;
  return SplitEditText(texts[kTemplateItem], SharedList::kCapacity).lines;
}

ListDialogAnswer FakeControls::ListDialog(intptr_t, const std::string& templateName, std::string_view title,
                                          const std::vector<std::string>& entries) {
  std::map<int32_t, std::string> texts;
  std::vector<std::string> shown = entries;
  int32_t selected = -1;
  ListDialogAnswer answer;
  answer.ok = RunTemplate(TemplateCaption(templateName, title), texts, &shown, &selected);
  if (selected >= 0) {
    answer.index = selected;
    answer.text = shown[static_cast<size_t>(selected)];
  }
  return answer;
}

std::optional<std::string> FakeControls::InputDialog(intptr_t, std::string_view, std::string_view title,
                                                     std::string_view initial) {
  std::map<int32_t, std::string> texts{{kTemplateItem, std::string(initial)}};
  if (!RunTemplate(TemplateCaption("INPUT", title), texts, nullptr, nullptr)) return std::nullopt;
  return texts[kTemplateItem];
}

intptr_t FakeMenus::MenuBar(intptr_t window) {
  if (window == 0) return 0;
  const auto it = bars.find(window);
  if (it != bars.end()) return it->second;
  const intptr_t bar = NewMenu();
  bars[window] = bar;
  return bar;
}

intptr_t FakeMenus::NewMenu() {
  menus[++m_next];
  return m_next;
}

bool FakeMenus::AppendItem(intptr_t menu, int32_t id, std::string_view text) {
  if (menu == 0) return false;
  Item item;
  item.id = static_cast<int32_t>(static_cast<uint32_t>(id) & 0xFFFF);
  item.text = std::string(text);
  menus[menu].push_back(item);
  return true;
}

bool FakeMenus::AppendSeparator(intptr_t menu) {
  if (menu == 0) return false;
  Item item;
  item.separator = true;
  menus[menu].push_back(item);
  return true;
}

bool FakeMenus::AppendSubMenu(intptr_t menu, intptr_t subMenu, std::string_view text) {
  if (menu == 0 || subMenu == 0) return false;
  Item item;
  item.text = std::string(text);
  item.subMenu = subMenu;
  menus[menu].push_back(item);
  return true;
}

FakeMenus::Item* FakeMenus::FindItem(intptr_t menu, int32_t id, std::vector<Item>** owner) {
  const auto it = menus.find(menu);
  if (it == menus.end()) return nullptr;
  for (Item& item : it->second) {
    if (item.subMenu != 0) {
      if (Item* found = FindItem(item.subMenu, id, owner)) return found;
    } else if (!item.separator && item.id == id) {
      *owner = &it->second;
      return &item;
    }
  }
  return nullptr;
}

bool FakeMenus::InsertItem(intptr_t menu, int32_t before, int32_t id, std::string_view text) {
  if (menu == 0) return false;
  std::vector<Item>* owner = nullptr;
  if (Item* found = FindItem(menu, before, &owner)) {
    Item item;
    item.id = static_cast<int32_t>(static_cast<uint32_t>(id) & 0xFFFF);
    item.text = std::string(text);
    owner->insert(owner->begin() + (found - owner->data()), item);
  }
  return true;
}

void FakeMenus::EnableItem(intptr_t menu, int32_t id, uint32_t state) {
  std::vector<Item>* owner = nullptr;
  if (Item* found = FindItem(menu, id, &owner)) found->enabled = (state & 3u) == 0;
}

void FakeMenus::RemoveItem(intptr_t menu, int32_t id) {
  std::vector<Item>* owner = nullptr;
  if (Item* found = FindItem(menu, id, &owner)) owner->erase(owner->begin() + (found - owner->data()));
}

void FakeMenus::Track(intptr_t menu, intptr_t, int32_t, int32_t) {
  if (window != nullptr && !window->typed.empty() && IsActionChunk(window->typed.front(), kMenuChunk)) {
    const std::string chunk = window->typed.front();
    window->typed.pop_front();
    if (const std::optional<int32_t> id = Choose(menu, ActionText(chunk))) {
      window->queue.push_back(MessageRecord{window->NativeHandle(), kMessageCommand,
                                            static_cast<uintptr_t>(static_cast<uint16_t>(*id)), 0});
    }
  }
  menus.erase(menu);  // the pop-up is gone (its sub-menus with it, as far as anyone can tell)
}

bool FakeMenus::UseResourceMenu(intptr_t window, intptr_t, std::string_view name, bool, int32_t) {
  if (name != "LEER" || window == 0) return false;
  bars[window] = NewMenu();
  return true;
}

std::optional<int32_t> FakeMenus::Choose(intptr_t menu, std::string_view path) const {
  const std::vector<std::string> labels = SplitMenuPath(path);
  for (size_t level = 0; level < labels.size(); ++level) {
    const auto it = menus.find(menu);
    if (it == menus.end()) return std::nullopt;
    const Item* chosen = nullptr;
    for (const Item& item : it->second) {
      if (!item.separator && MenuItemLabel(item.text) == labels[level]) {
        chosen = &item;
        break;
      }
    }
    if (chosen == nullptr || !chosen->enabled) return std::nullopt;
    if (level + 1 == labels.size()) {
      if (chosen->subMenu != 0) return std::nullopt;  // a pull-down only opens
      return chosen->id;
    }
    menu = chosen->subMenu;
  }
  return std::nullopt;
}

namespace {

const char* WidthName(PortWidth width) { return width == PortWidth::Byte ? "byte" : "word"; }

}  // namespace

std::optional<std::string> FakeSystem::Environment(std::string_view name) {
  const auto it = environment.find(std::string(name));
  if (it == environment.end()) return std::nullopt;
  return it->second;
}

uint32_t FakeSystem::Execute(const std::string& commandLine, int32_t show) {
  calls.push_back("exec: " + commandLine + "|" + std::to_string(show));
  return programsStart ? 33 : 2;
}

bool FakeSystem::ExecuteAndWait(const std::string& commandLine, int32_t show) {
  calls.push_back("wait: " + commandLine + "|" + std::to_string(show));
  return programsStart;
}

intptr_t FakeSystem::ShellOpen(const std::string& file, const std::string& verb, int32_t show) {
  calls.push_back("shell: " + file + "|" + verb + "|" + std::to_string(show));
  return programsStart ? 42 : 2;
}

MciAnswer FakeSystem::SendMci(const std::string& command) {
  calls.push_back("mci: " + command);
  const auto it = mci.find(command);
  if (it != mci.end()) return it->second;
  return MciAnswer{263, "MCI-Fehler 263"};
}

bool FakeSystem::ExitSession(uint32_t flags) {
  calls.push_back("exit: " + std::to_string(flags));
  return false;
}

void FakeSystem::OpenHelp(intptr_t owner, const std::string& file, uint32_t command,
                          const std::optional<std::string>& keyword) {
  calls.push_back("help: " + std::to_string(owner) + "|" + file + "|" + std::to_string(command) +
                  "|" + keyword.value_or("-"));
}

uint32_t FakeSystem::ReadPort(uint16_t port, PortWidth width) {
  calls.push_back("in: " + std::to_string(port) + "|" + WidthName(width));
  return 0;
}

void FakeSystem::WritePort(uint16_t port, uint32_t value, PortWidth width) {
  calls.push_back("out: " + std::to_string(port) + "|" + std::to_string(value) + "|" +
                  WidthName(width));
}

}  // namespace talven::test
