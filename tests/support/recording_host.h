#pragma once
// A host for running programs in-process: it records every box and dialog in the form the
// Wine driver reports them, answers them from a queue, and reads real files (backslashes
// in names become slashes).

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/host.h"
#include "library/controls/controls_platform.h"
#include "library/families.h"
#include "library/menus/menus_platform.h"
#include "library/system/system_platform.h"
#include "library/windows/input_state.h"
#include "library/windows/window_platform.h"
#include "library/windows/window_state.h"

namespace talven::test {

class FakeControls;
class FakeMenus;
class RecordingHost;

// A window that exists only as a record: what was drawn is not kept (the text grid of the
// engine holds the text), typed input comes from a script, one chunk per wait.
class FakeWindow : public WindowPlatform {
 public:
  void Create(WindowState& state) override;
  bool Exists() const override { return m_state != nullptr; }
  intptr_t NativeHandle() const override { return Exists() ? 1 : 0; }
  WindowMetrics Metrics() const override { return WindowMetrics{}; }
  void Place(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void SetTitle(std::string_view text) override { title = std::string(text); }
  void Show(ShowMode) override {}
  void FillScreen(Color color) override { fills.push_back(color); }
  void DrawText(int32_t, int32_t, std::string_view, Color, Color, int32_t) override {}
  void ScrollUp(int32_t) override {}
  void Invalidate() override {}
  void Beep() override {}
  void StartTimer(int32_t) override { timerRunning = true; }
  void StopTimer() override { timerRunning = false; }
  // The main window is handle 1; there are no others. Its client area is the window less
  // a frame of 4 pixels and a caption of 19.
  intptr_t FindByTitle(std::string_view prefix) override;
  intptr_t ActiveWindow() override { return NativeHandle(); }
  intptr_t Activate(intptr_t) override { return NativeHandle(); }
  bool ShowWindowAs(intptr_t window, int32_t mode) override;
  intptr_t FocusWindow() override { return focus; }
  intptr_t SetFocusTo(intptr_t window) override;
  bool DestroyWindowOf(intptr_t window) override;
  ClientSize ClientSizeOf(intptr_t window) override;
  WindowFrame FrameOf(intptr_t window) override;
  uint32_t StyleOf(intptr_t window) override { return IsMain(window) ? style : 0; }
  void SetStyleOf(intptr_t window, uint32_t value) override {
    if (IsMain(window)) style = value;
  }
  void PlaceWindow(intptr_t window, int32_t left, int32_t top, int32_t width, int32_t height,
                   std::optional<intptr_t>) override {
    if (IsMain(window)) Place(left, top, width, height);
  }
  void EnableWindowOf(intptr_t window, bool enable) override {
    if (IsMain(window)) enabled = enable;
  }
  // WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH to the main window act on its title; a post
  // waits in the queue.
  intptr_t Deliver(intptr_t window, uint32_t message, MessageArgument& wParam,
                   MessageArgument& lParam, Delivery how) override;
  // Typed characters arrive as WM_CHAR messages, one typed chunk per empty queue.
  bool TakeMessage(MessageRecord& record) override;
  bool PeekNextMessage(MessageRecord& record) override;
  intptr_t UseTextFont(const FontRequest& request) override;
  void DrawTextAt(int32_t, int32_t, std::string_view, Color, Color, bool, int32_t) override {}
  // Stock fonts are 0x180 + their index.
  intptr_t CurrentFont() override {
    return font != 0 ? font : 0x180 + (m_state != nullptr ? m_state->font : 2);
  }
  void SetControlFont(intptr_t, intptr_t) override {}
  bool DeleteGraphicsObject(intptr_t object) override;
  void MapLogical(int32_t width, int32_t height) override {
    mapping = std::to_string(width) + "x" + std::to_string(height);
  }
  void RedirectPaint(intptr_t target) override { paintTarget = target; }
  void EndRedirect() override { paintTarget = 0; }
  // The programs carry one icon, "TALVEN".
  bool UseIcon(std::string_view name) override { return Exists() && name == "TALVEN"; }
  void UseStandardCursor(int32_t) override {}
  bool UseCursorFrom(int32_t, std::string_view) override { return false; }
  intptr_t DeviceContext(Surface surface) override {
    return Exists() ? (surface == Surface::Window ? 0x100 : 0x101) : 0;
  }
  // Dispatches what waits in the queue (the message step of the pump).
  void Drain();

  // Delivers the next typed chunk; with none left the user closes the window. "\f" in a
  // chunk presses F1, Enter in dialog mode is the OK command. A click chunk clicks a control
  // made by `controls` (its parent told of the button press, a button's click command), a
  // menu chunk chooses an item of the bar `menus` keeps (its command).
  void WaitForMessage() override;
  // The text grid as the user sees it when the run is over.
  void RunUntilClosed() override;
  void Destroy() override { m_state = nullptr; }

  std::deque<std::string> typed;
  std::string title;
  std::vector<Color> fills;  // the colours the screen was filled with
  bool timerRunning = false;
  bool closed = false;
  std::vector<std::string> screen;
  WindowFrame frame{0, 0, 640, 480};
  uint32_t style = 0;
  intptr_t focus = 0;
  intptr_t font = 0;
  intptr_t nextFont = 0x200;
  bool enabled = true;
  bool visible = false;
  std::string mapping;
  intptr_t paintTarget = 0;
  std::deque<MessageRecord> queue;
  FakeControls* controls = nullptr;
  FakeMenus* menus = nullptr;

 private:
  // Queues what a click or menu chunk causes; false for a chunk of typed text.
  bool Act(const std::string& chunk);
  bool IsMain(intptr_t window) const { return Exists() && window == NativeHandle(); }
  void Dispatch(const MessageRecord& record);
  void PressKey(char c);

  WindowState* m_state = nullptr;
};

// Controls as records: each one made gets a handle (from 0x5000) and keeps its window,
// identifier, class, style, text and list entries, so that GETHANDLE, a golden's click,
// set and select find it and the program reads back what was set or chosen. CREATEDIALOG
// windows are records too (their commands follow the dialog rules). The template dialogs
// report "dialog: CAPTION", take the golden's set and select steps that come first and
// close by the next answer (ok, else cancel). Everything else behaves as on the null
// platform.
class FakeControls : public NullControls {
 public:
  struct Made {
    intptr_t handle;
    intptr_t parent;
    int32_t id;
    std::string className;
    uint32_t style = 0;
    std::string text;
    std::vector<std::string> entries;
    int32_t selected = -1;
  };
  intptr_t CreateControl(const ControlRequest& request) override;
  intptr_t CreateDialogWindow(intptr_t parent, std::string_view title, int32_t x, int32_t y,
                              int32_t width, int32_t height, intptr_t font) override;
  intptr_t DialogItem(intptr_t dialog, int32_t id) override;
  int32_t Send(intptr_t window, ListMessage message, int32_t index, std::string_view text) override;
  std::string ListText(intptr_t window, int32_t index) override;
  std::string WindowText(intptr_t window) override;
  std::string EditLine(intptr_t window, int32_t line) override;
  void SetTextOf(intptr_t window, std::string_view text) override;
  void AddEntries(intptr_t window, const std::vector<std::string>& entries, bool comboBox) override;
  void SetEditText(intptr_t window, std::string_view text) override { SetTextOf(window, text); }
  std::optional<std::vector<std::string>> EditDialog(intptr_t owner, const std::string& templateName,
                                                     std::string_view title,
                                                     const std::string& text) override;
  ListDialogAnswer ListDialog(intptr_t owner, const std::string& templateName,
                              std::string_view title,
                              const std::vector<std::string>& entries) override;
  std::optional<std::string> InputDialog(intptr_t owner, std::string_view prompt,
                                         std::string_view title, std::string_view initial) override;
  // The newest control with the identifier, in any window; nullptr when none.
  const Made* Find(int32_t id) const;
  Made* Find(int32_t id) { return const_cast<Made*>(std::as_const(*this).Find(id)); }
  Made* ByHandle(intptr_t handle);
  bool IsDialog(intptr_t window) const;
  // The index of the entry `text` (case ignored), -1 when none.
  static int32_t EntryIndex(const std::vector<std::string>& entries, std::string_view text);

  std::vector<Made> made;
  RecordingHost* host = nullptr;

 private:
  // A template dialog: reported, its items given the set and select steps queued first;
  // true when the answer presses OK.
  bool RunTemplate(const std::string& caption, std::map<int32_t, std::string>& texts,
                   std::vector<std::string>* entries, int32_t* selected);
};

// Menus as records: the items of every menu made, the bar of each window; a golden's menu
// choice is found by the items' texts, in the bar or in the pop-up TRACKMENU shows (which
// is then destroyed). Refuses what the null platform refuses.
class FakeMenus : public MenusPlatform {
 public:
  struct Item {
    int32_t id = 0;
    std::string text;
    intptr_t subMenu = 0;
    bool separator = false;
    bool enabled = true;
  };
  intptr_t MenuBar(intptr_t window) override;
  intptr_t NewMenu() override;
  bool AppendItem(intptr_t menu, int32_t id, std::string_view text) override;
  bool AppendSeparator(intptr_t menu) override;
  bool AppendSubMenu(intptr_t menu, intptr_t subMenu, std::string_view text) override;
  bool InsertItem(intptr_t menu, int32_t before, int32_t id, std::string_view text) override;
  void CheckItem(intptr_t, int32_t, bool) override {}
  void EnableItem(intptr_t menu, int32_t id, uint32_t state) override;
  void RemoveItem(intptr_t menu, int32_t id) override;
  void Redraw(intptr_t) override {}
  intptr_t CurrentBar(intptr_t window) override { return MenuBar(window); }
  void Track(intptr_t menu, intptr_t window, int32_t x, int32_t y) override;
  bool UseResourceMenu(intptr_t window, intptr_t module, std::string_view name, bool byNumber,
                       int32_t number) override;

  // The command of the enabled item at the path below `menu` ("Datei>Zuletzt>eins", texts
  // without their "&"); nothing when there is no such item.
  std::optional<int32_t> Choose(intptr_t menu, std::string_view path) const;

  std::map<intptr_t, std::vector<Item>> menus;
  std::map<intptr_t, intptr_t> bars;  // window -> its bar
  FakeWindow* window = nullptr;       // where a TRACKMENU choice comes from and goes to

 private:
  Item* FindItem(intptr_t menu, int32_t id, std::vector<Item>** owner);
  intptr_t m_next = 0x2000;
};

// A system with fixed values that records what the program asked of it (one line each,
// kept apart from the boxes) and starts nothing.
class FakeSystem : public SystemPlatform {
 public:
  intptr_t ModuleHandle() override { return moduleHandle; }
  intptr_t DesktopWindow() override { return desktopWindow; }
  int32_t BitsPerPixel() override { return bitsPerPixel; }
  uint32_t TickCount() override { return tickCount; }
  uint32_t VersionValue() override { return versionValue; }
  std::string WindowsDirectory() override { return windowsDirectory; }
  std::string SystemDirectory() override { return systemDirectory; }
  std::string CurrentDirectory() override { return currentDirectory; }
  LocalTime Now() override { return now; }
  std::optional<std::string> Environment(std::string_view name) override;
  std::optional<std::string> ClipboardText() override { return clipboard; }
  uint32_t Execute(const std::string& commandLine, int32_t show) override;
  bool ExecuteAndWait(const std::string& commandLine, int32_t show) override;
  intptr_t ShellOpen(const std::string& file, const std::string& verb, int32_t show) override;
  MciAnswer SendMci(const std::string& command) override;
  bool ExitSession(uint32_t flags) override;
  void OpenHelp(intptr_t owner, const std::string& file, uint32_t command,
                const std::optional<std::string>& keyword) override;
  uint32_t ReadPort(uint16_t port, PortWidth width) override;
  void WritePort(uint16_t port, uint32_t value, PortWidth width) override;

  intptr_t moduleHandle = 0x400000;
  intptr_t desktopWindow = 0x10010;
  int32_t bitsPerPixel = 32;
  uint32_t tickCount = 123456;
  // Version 5.1, build 2600 in the high word.
  uint32_t versionValue = 0x0A280105;
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  std::string currentDirectory = "C:\\TALVEN";
  LocalTime now{2026, 12, 8, 2, 9, 5, 7, 3};
  std::map<std::string, std::string> environment;
  std::optional<std::string> clipboard;
  // Whether started programs start (WinExec then returns 33, else 2).
  bool programsStart = true;
  // Answers of multimedia commands; any other command fails with 263.
  std::map<std::string, MciAnswer> mci;
  // "exec: CMD|SHOW", "wait: CMD|SHOW", "shell: FILE|VERB|SHOW", "mci: CMD",
  // "exit: FLAGS", "help: OWNER|FILE|COMMAND|KEY" (KEY "-" without data),
  // "in: PORT|WIDTH", "out: PORT|VALUE|WIDTH" (WIDTH byte or word).
  std::vector<std::string> calls;
};

class RecordingHost : public Host {
 public:
  // The fakes below stand in for the window and system families; every other family runs
  // on its default platform.
  RecordingHost() {
    UsePlatform(FamilyIndex(FamilyId::Window), window);
    UsePlatform(FamilyIndex(FamilyId::System), system);
    UsePlatform(FamilyIndex(FamilyId::Controls), controls);
    UsePlatform(FamilyIndex(FamilyId::Menus), menus);
    window.controls = &controls;
    window.menus = &menus;
    controls.host = this;
    menus.window = &window;
  }
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  BoxAnswer ShowBox(const BoxRequest& box) override;
  std::optional<std::string> OpenFileDialog(std::string_view caption, std::string_view filter,
                                            std::string_view defaultExtension) override;
  std::unique_ptr<InputFile> OpenInput(const std::string& name) override;
  bool FileExists(const std::string& name) override;
  std::string ReadIniString(std::string_view file, std::string_view section,
                            std::string_view key, std::string_view fallback) override;
  PumpResult PumpMessages(bool force) override;
  void ShowMouseCursor() override {}
  void RepaintMainWindow() override {}
  void ReleaseRun() override {
    ++releases;
    window.Destroy();
  }

  FakeWindow window;
  FakeSystem system;
  FakeControls controls;
  FakeMenus menus;

  // Answers in order: ok, cancel, yes, no, "file:NAME".
  std::deque<std::string> answers;
  // "FILE|SECTION|KEY" -> value
  std::map<std::string, std::string> ini;
  // Every box and dialog, formatted like the driver's lines.
  std::vector<std::string> events;
  std::vector<BoxRequest> boxes;
  // After this many pumps the queue holds the quit message (-1: never).
  int quitAfterPumps = -1;
  int pumps = 0;
  int releases = 0;

 private:
  friend class FakeControls;
  std::string NextAnswer();
};

// "box: ICON BUTTONS | CAPTION | TEXT" with CR LF written as \n.
std::string FormatBox(const BoxRequest& box);
std::string EscapeText(std::string_view text);
std::string NativePath(std::string_view name);

}  // namespace talven::test
