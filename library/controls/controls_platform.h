#pragma once
// What the controls, the program's own dialog windows and the ready-made dialogs need from
// the platform. win32/ implements it with the real controls, templates and common dialogs;
// the null platform (native tests, fuzzing) creates nothing and cancels every dialog.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/family.h"
#include "library/controls/key_string.h"

namespace talven {

struct ControlRequest {
  std::string className;
  std::string text;
  uint32_t style = 0;
  uint32_t extendedStyle = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  intptr_t parent = 0;
  int32_t id = 0;
  intptr_t instance = 0;  // 0: the program's own module
  intptr_t font = 0;      // sent with WM_SETFONT when not 0
};

// The messages of the operations on controls.
enum class ListMessage {
  AddString,       // LB_ADDSTRING
  AddChoice,       // CB_ADDSTRING
  InsertString,    // LB_INSERTSTRING
  DeleteString,    // LB_DELETESTRING
  DeleteChoice,    // CB_DELETESTRING
  SelectString,    // LB_SELECTSTRING
  Count,           // LB_GETCOUNT
  CurrentIndex,    // LB_GETCURSEL
  LineCount,       // EM_GETLINECOUNT
  GetCheck,        // BM_GETCHECK
  SetCheck,        // BM_SETCHECK
};

struct ListDialogAnswer {
  bool ok = false;
  int32_t index = -1;  // the entry last selected (%GETCURSEL), -1 when none
  std::string text;    // its text
};

class ControlsPlatform : public FamilyPlatform {
 public:
  // A child control; 0 when it could not be made.
  virtual intptr_t CreateControl(const ControlRequest& request) = 0;
  // CREATEDIALOG: a modeless dialog from the template LDIALOG, titled, placed, shown.
  virtual intptr_t CreateDialogWindow(intptr_t parent, std::string_view title, int32_t x,
                                      int32_t y, int32_t width, int32_t height, intptr_t font) = 0;
  // CREATEWINDOW: an owned top-level window of class "DIALOG" (or of the main window's class)
  // with the style word.
  virtual intptr_t CreateOwnedWindow(intptr_t parent, std::string_view title, int32_t x,
                                     int32_t y, int32_t width, int32_t height, uint32_t style,
                                     bool mainClass, intptr_t font) = 0;
  // CREATEEXTDIALOG: a modeless dialog from a template of a module, by name or number.
  virtual intptr_t CreateExternalDialog(intptr_t parent, intptr_t instance,
                                        std::string_view templateName, bool byNumber,
                                        int32_t number) = 0;
  virtual intptr_t DialogItem(intptr_t dialog, int32_t id) = 0;

  // The list, edit and button messages with an index and a text; the message's result.
  virtual int32_t Send(intptr_t window, ListMessage message, int32_t index,
                       std::string_view text) = 0;
  // LB_GETTEXTLEN + LB_GETTEXT, however long the entry.
  virtual std::string ListText(intptr_t window, int32_t index) = 0;
  // EM_GETLINE: line `line`, at most 255 characters.
  virtual std::string EditLine(intptr_t window, int32_t line) = 0;
  // WM_GETTEXT, at most 255 characters.
  virtual std::string WindowText(intptr_t window) = 0;
  virtual void SetTextOf(intptr_t window, std::string_view text) = 0;
  virtual int32_t ScrollPosition(intptr_t window) = 0;
  virtual void SetScrollPosition(intptr_t window, int32_t position) = 0;
  virtual void SetScrollRange(intptr_t window, int32_t minimum, int32_t maximum) = 0;
  // Adds the entries with LB_ADDSTRING or CB_ADDSTRING.
  virtual void AddEntries(intptr_t window, const std::vector<std::string>& entries,
                          bool comboBox) = 0;
  // The whole text of an edit (its limit raised as far as the text needs).
  virtual void SetEditText(intptr_t window, std::string_view text) = 0;

  // SENDSTRING, SENDKEY: makes the window active (0: the active one) and sends the presses
  // as system keyboard events; false when they could not be sent.
  virtual bool SendKeys(intptr_t window, const std::vector<KeyPress>& presses) = 0;
  virtual KeyLayout Layout() = 0;

  // The ready-made dialogs, modal and owned by the main window `owner`.
  virtual int32_t ShowMessageBox(intptr_t owner, std::string_view text, std::string_view title,
                             uint32_t flags) = 0;
  // The edit dialog: the lines when OK was chosen.
  virtual std::optional<std::vector<std::string>> EditDialog(intptr_t owner,
                                                             const std::string& templateName,
                                                             std::string_view title,
                                                             const std::string& text) = 0;
  virtual ListDialogAnswer ListDialog(intptr_t owner, const std::string& templateName,
                                      std::string_view title,
                                      const std::vector<std::string>& entries) = 0;
  virtual std::optional<std::string> InputDialog(intptr_t owner, std::string_view prompt,
                                                 std::string_view title,
                                                 std::string_view initial) = 0;
  virtual std::optional<std::string> FileDialog(intptr_t owner, std::string_view title,
                                                std::string_view mask, bool save) = 0;
  virtual std::optional<std::string> FolderDialog(intptr_t owner, std::string_view title) = 0;

  // The list fillers: files matching a mask (directories in square brackets), titles of
  // top-level windows in z-order, names of font families. Each stops when `room` names were
  // given and says whether more were there.
  struct Names {
    std::vector<std::string> names;
    bool more = false;
  };
  virtual Names Files(std::string_view mask, bool recursive, size_t room) = 0;
  virtual Names WindowTitles(std::string_view prefix, size_t room) = 0;
  virtual Names FontFamilies(size_t room) = 0;
};

// Creates nothing, cancels every dialog, finds no files, windows or fonts.
class NullControls : public ControlsPlatform {
 public:
  intptr_t CreateControl(const ControlRequest&) override { return 0; }
  intptr_t CreateDialogWindow(intptr_t, std::string_view, int32_t, int32_t, int32_t, int32_t,
                              intptr_t) override {
    return 0;
  }
  intptr_t CreateOwnedWindow(intptr_t, std::string_view, int32_t, int32_t, int32_t, int32_t,
                             uint32_t, bool, intptr_t) override {
    return 0;
  }
  intptr_t CreateExternalDialog(intptr_t, intptr_t, std::string_view, bool, int32_t) override {
    return 0;
  }
  intptr_t DialogItem(intptr_t, int32_t) override { return 0; }
  int32_t Send(intptr_t, ListMessage, int32_t, std::string_view) override { return -1; }
  std::string ListText(intptr_t, int32_t) override { return {}; }
  std::string EditLine(intptr_t, int32_t) override { return {}; }
  std::string WindowText(intptr_t) override { return {}; }
  void SetTextOf(intptr_t, std::string_view) override {}
  int32_t ScrollPosition(intptr_t) override { return 0; }
  void SetScrollPosition(intptr_t, int32_t) override {}
  void SetScrollRange(intptr_t, int32_t, int32_t) override {}
  void AddEntries(intptr_t, const std::vector<std::string>&, bool) override {}
  void SetEditText(intptr_t, std::string_view) override {}
  bool SendKeys(intptr_t, const std::vector<KeyPress>&) override { return false; }
  KeyLayout Layout() override { return {}; }
  int32_t ShowMessageBox(intptr_t, std::string_view, std::string_view, uint32_t) override { return 1; }
  std::optional<std::vector<std::string>> EditDialog(intptr_t, const std::string&,
                                                     std::string_view,
                                                     const std::string&) override {
    return std::nullopt;
  }
  ListDialogAnswer ListDialog(intptr_t, const std::string&, std::string_view,
                              const std::vector<std::string>&) override {
    return {};
  }
  std::optional<std::string> InputDialog(intptr_t, std::string_view, std::string_view,
                                         std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> FileDialog(intptr_t, std::string_view, std::string_view,
                                        bool) override {
    return std::nullopt;
  }
  std::optional<std::string> FolderDialog(intptr_t, std::string_view) override {
    return std::nullopt;
  }
  Names Files(std::string_view, bool, size_t) override { return {}; }
  Names WindowTitles(std::string_view, size_t) override { return {}; }
  Names FontFamilies(size_t) override { return {}; }
};

}  // namespace talven
