#pragma once
// The controls, the program's own dialog windows, the operations on controls, the key
// strings and the ready-made dialogs (controls_words.cpp, dialog_words.cpp).

#include <string_view>

namespace talven {

class Engine;

void FnCreateButton(Engine&, std::string_view);
void FnCreateDefButton(Engine&, std::string_view);
void FnCreateCheckBox(Engine&, std::string_view);
void FnCreateRadioButton(Engine&, std::string_view);
void FnCreateGroupBox(Engine&, std::string_view);
void FnCreateText(Engine&, std::string_view);
void FnCreateIcon(Engine&, std::string_view);
void FnCreateEdit(Engine&, std::string_view);
void FnCreateMultiEdit(Engine&, std::string_view);
void FnCreateListBox(Engine&, std::string_view);
void FnCreateSortedListBox(Engine&, std::string_view);
void FnCreateChoiceBox(Engine&, std::string_view);
void FnCreateHScroll(Engine&, std::string_view);
void FnCreateVScroll(Engine&, std::string_view);
void FnControl(Engine&, std::string_view);
void FnCreateDialog(Engine&, std::string_view);
void FnCreateWindow(Engine&, std::string_view);
void FnCreateExtDialog(Engine&, std::string_view);
void FnGetHandle(Engine&, std::string_view);
void StmtSetDialogFont(Engine&);

void FnAddString(Engine&, std::string_view);
void FnAddChoice(Engine&, std::string_view);
void FnInsertString(Engine&, std::string_view);
void FnDeleteString(Engine&, std::string_view);
void FnDeleteChoice(Engine&, std::string_view);
void FnSelectString(Engine&, std::string_view);
void FnGetCount(Engine&, std::string_view);
void FnGetCurSel(Engine&, std::string_view);
void FnGetString(Engine&, std::string_view);
void FnGetLineCount(Engine&, std::string_view);
void FnGetLine(Engine&, std::string_view);
void FnGetText(Engine&, std::string_view);
void FnGetCheck(Engine&, std::string_view);
void StmtSetCheck(Engine&);
void StmtSetText(Engine&);
void FnGetScrollPos(Engine&, std::string_view);
void StmtSetScrollPos(Engine&);
void StmtSetScrollRange(Engine&);
void FnMoveListToList(Engine&, std::string_view);
void FnMoveListToChoice(Engine&, std::string_view);
void FnMoveListToEdit(Engine&, std::string_view);
void FnSendString(Engine&, std::string_view);
void FnSendKey(Engine&, std::string_view);

void StmtAddFiles(Engine&);
void StmtAddWindows(Engine&);
void StmtAddFonts(Engine&);
void FnMessageBox(Engine&, std::string_view);
void StmtMessageBox(Engine&);
void FnEditBox(Engine&, std::string_view);
void FnListBox(Engine&, std::string_view);
void FnInput(Engine&, std::string_view);
void FnLoadFile(Engine&, std::string_view);
void FnSaveFile(Engine&, std::string_view);
void FnChooseDir(Engine&, std::string_view);
void ReadButton(Engine&, std::string_view);
void ReadGetText(Engine&, std::string_view);
void ReadGetInput(Engine&, std::string_view);
void ReadGetCurSel(Engine&, std::string_view);

}  // namespace talven
