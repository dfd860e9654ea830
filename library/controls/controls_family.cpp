// The family "controls": the program's own controls and dialog windows, the ready-made
// dialogs and the shared string list.

#include <memory>

#include "library/controls/controls_platform.h"
#include "library/controls/controls_words.h"
#include "library/controls/list_words.h"
#include "library/controls/shared_list.h"
#include "library/families.h"

namespace talven {

namespace {

constexpr StatementRow kStatements[] = {
    {"CLEARLIST", StmtClearList},
    {"ADDSTRING", StmtAddString},
    {"LISTBOXITEM$", StmtListBoxItem},
    {"ADDFILES", StmtAddFiles},
    {"ADDWINDOWS", StmtAddWindows},
    {"ADDFONTS", StmtAddFonts},
    {"MESSAGEBOX", StmtMessageBox},
    {"SETDIALOGFONT", StmtSetDialogFont},
    {"SETCHECK", StmtSetCheck},
    {"SETTEXT", StmtSetText},
    {"SETSCROLLPOS", StmtSetScrollPos},
    {"SETSCROLLRANGE", StmtSetScrollRange},
};

constexpr FunctionRow kFunctions[] = {
    {"LISTBOXITEM$", FnListBoxItem},
    {"CREATEBUTTON", FnCreateButton},
    {"CREATEDEFBUTTON", FnCreateDefButton},
    {"CREATECHECKBOX", FnCreateCheckBox},
    {"CREATERADIOBUTTON", FnCreateRadioButton},
    {"CREATEGROUPBOX", FnCreateGroupBox},
    {"CREATETEXT", FnCreateText},
    {"CREATEICON", FnCreateIcon},
    {"CREATEEDIT", FnCreateEdit},
    {"CREATEMULTIEDIT", FnCreateMultiEdit},
    {"CREATELISTBOX", FnCreateListBox},
    {"CREATESORTEDLISTBOX", FnCreateSortedListBox},
    {"CREATECHOICEBOX", FnCreateChoiceBox},
    {"CREATEHSCROLL", FnCreateHScroll},
    {"CREATEVSCROLL", FnCreateVScroll},
    {"CONTROL", FnControl},
    {"CREATEDIALOG", FnCreateDialog},
    {"CREATEWINDOW", FnCreateWindow},
    {"CREATEEXTDIALOG", FnCreateExtDialog},
    {"GETHANDLE", FnGetHandle},
    {"ADDSTRING", FnAddString},
    {"ADDCHOICE", FnAddChoice},
    {"INSERTSTRING", FnInsertString},
    {"DELETESTRING", FnDeleteString},
    {"DELETECHOICE", FnDeleteChoice},
    {"SELECTSTRING", FnSelectString},
    {"GETCOUNT", FnGetCount},
    {"GETCURSEL", FnGetCurSel},
    {"GETSTRING$", FnGetString},
    {"GETLINECOUNT", FnGetLineCount},
    {"GETLINE$", FnGetLine},
    {"GETTEXT$", FnGetText},
    {"GETCHECK", FnGetCheck},
    {"GETSCROLLPOS", FnGetScrollPos},
    {"MOVELISTTOLIST", FnMoveListToList},
    {"MOVELISTTOCHOICE", FnMoveListToChoice},
    {"MOVELISTTOEDIT", FnMoveListToEdit},
    {"SENDSTRING", FnSendString},
    {"SENDKEY", FnSendKey},
    {"MESSAGEBOX", FnMessageBox},
    {"EDITBOX", FnEditBox},
    {"LISTBOX$", FnListBox},
    {"INPUT$", FnInput},
    {"LOADFILE$", FnLoadFile},
    {"SAVEFILE$", FnSaveFile},
    {"CHOOSEDIR$", FnChooseDir},
};

constexpr VariableRow kVariables[] = {
    {"%GETCOUNT", ReadGetCount},
    {"%BUTTON", ReadButton},
    {"$GETTEXT", ReadGetText},
    {"$GETINPUT", ReadGetInput},
    {"%GETCURSEL", ReadGetCurSel},
};

}  // namespace

const Family& ControlsFamily() {
  static const Family kFamily{
      .name = "controls",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = kVariables,
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<ControlsState>(); },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<NullControls>(); },
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
