#include "editor/win32/frame_parts.h"

#include <string>

namespace talven::editor::frame {

void ShowFind(TEditForm* form) {
  Editor& e = *g_editor;
  if (e.findDialog) {
    SetFocus(e.findDialog);
    return;
  }
  lstrcpynA(e.findBuffer, e.lastFindText.c_str(), sizeof e.findBuffer);
  e.findData.lStructSize = sizeof(e.findData);
  e.findData.hwndOwner = e.frame;
  e.findData.lpstrFindWhat = e.findBuffer;
  e.findData.wFindWhatLen = sizeof e.findBuffer;
  e.findData.Flags |= FR_DOWN;
  e.findDialog = FindTextA(&e.findData);
  e.findUsed = true;
}

void ShowReplace() {
  Editor& e = *g_editor;
  if (e.replaceDialog) {
    SetFocus(e.replaceDialog);
    return;
  }
  lstrcpynA(e.replaceFindBuffer, e.lastFindText.c_str(), sizeof e.replaceFindBuffer);
  lstrcpynA(e.replaceWithBuffer, e.lastReplaceText.c_str(), sizeof e.replaceWithBuffer);
  e.replaceData.lStructSize = sizeof(e.replaceData);
  e.replaceData.hwndOwner = e.frame;
  e.replaceData.lpstrFindWhat = e.replaceFindBuffer;
  e.replaceData.wFindWhatLen = sizeof e.replaceFindBuffer;
  e.replaceData.lpstrReplaceWith = e.replaceWithBuffer;
  e.replaceData.wReplaceWithLen = sizeof e.replaceWithBuffer;
  e.replaceDialog = ReplaceTextA(&e.replaceData);
}

SearchFlags FindOptions() {
  const DWORD flags = g_editor->findDialogFlags;
  SearchFlags options = SearchFlags::None;
  if (!(flags & FR_DOWN)) options = options | SearchFlags::Backward;
  if (flags & FR_MATCHCASE) options = options | SearchFlags::MatchCase;
  if (flags & FR_WHOLEWORD) options = options | SearchFlags::WholeWord;
  return options;
}

void Find(bool fromReplaceDialog) {
  Editor& e = *g_editor;
  TEditForm* form = ActiveForm();
  if (!fromReplaceDialog && e.findDialog) {
    DestroyWindow(e.findDialog);
    e.findDialog = nullptr;
  }
  if (!form) return;
  const std::string text = fromReplaceDialog ? e.replaceFindBuffer : e.findBuffer;
  form->lastSearch = FindOptions();
  const bool hit = form->control->Doc().Find(text, form->lastSearch);
  if (hit) {
    form->control->Changed();
    SetStatus(form);
  } else {
    Box("\"" + text + "\"  nicht gefunden!", MB_OK | MB_ICONINFORMATION);
  }
  if (fromReplaceDialog) lstrcpynA(e.findBuffer, e.replaceFindBuffer, sizeof e.findBuffer);
  e.lastFindText = e.findBuffer;
  e.lastReplaceText = e.replaceWithBuffer;
}

void Replace(bool all) {
  Editor& e = *g_editor;
  TEditForm* form = ActiveForm();
  if (!form) return;
  const SearchFlags options = form->lastSearch | (all ? SearchFlags::ReplaceAll : SearchFlags::Replace);
  const std::string text = e.replaceFindBuffer;
  if (form->control->Doc().ReplaceHits(text, e.replaceWithBuffer, options) == -1) {
    Box("\"" + text + "\" nicht gefunden!", MB_OK | MB_ICONINFORMATION);
  }
  e.lastReplaceText = e.replaceWithBuffer;
  form->control->Changed();
  SetStatus(form);
}

void QuickSearch(bool forward) {
  TEditForm* form = ActiveForm();
  if (!form) return;
  char text[256] = {};
  GetWindowTextA(g_editor->quickField, text, sizeof text);
  if (form->control->Doc().Find(text, forward ? SearchFlags::None : SearchFlags::Backward)) {
    form->control->Changed();
    SetStatus(form);
  } else {
    Box("\"" + std::string(text) + "\"  nicht gefunden!", MB_OK | MB_ICONINFORMATION);
  }
}

}  // namespace talven::editor::frame
