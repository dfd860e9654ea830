#include "editor/win32/frame_parts.h"

#include <algorithm>
#include <string>
#include <vector>

#include "editor/text_file.h"
#include "editor/win32/dialogs.h"

namespace talven::editor::frame {

namespace {

constexpr const char* kHelperScripts[] = {"STRUKTUR.HLF", "TABELLEN.HLF", "FENSTER.HLF",
                                          "DIALOGE.HLF",  "MENUE.HLF",    "HILFE.HLF"};

std::string DateTimeText() {
  char date[80] = {}, time[80] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, time, sizeof time);
  return std::string(date) + " - " + time + " ";
}

}  // namespace

HMENU Popup(std::initializer_list<MenuItem> items) {
  HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : items) {
    if (item.caption == nullptr) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu, MF_STRING, item.id, item.caption);
    }
  }
  return menu;
}

HMENU MarksMenu(WORD first) {
  HMENU menu = CreatePopupMenu();
  for (int i = 1; i <= 10; ++i) {
    const std::string caption = "&" + std::to_string(i % 10);
    AppendMenuA(menu, MF_STRING, first + i - 1, caption.c_str());
  }
  return menu;
}

HMENU HelperMenu() {
  return Popup({{"Datenbank&struktur", kHelperFirst}, {"&Tabellen bearbeiten", kHelperFirst + 1},
                {"&Fenster gestalten", kHelperFirst + 2}, {"&Dialoge gestalten", kHelperFirst + 3},
                {"&Men\xFC""designer", kHelperFirst + 4}, {"&Hilfedatei erzeugen", kHelperFirst + 5},
                {"&Benutzermen\xFC", kUserMenu}});
}

HMENU WindowMenu() {
  return Popup({{"&Nebeneinander", kTile}, {"&Untereinander", kTileHorizontal},
                {"&\xDC""berlappend", kCascade}, {"&Icons anordnen", kArrangeIcons},
                {"&Alle schlie\xDF""en\tStrg+F3", kCloseAll}, {nullptr, 0},
                {"&Rechner", kCalculator}, {"Ansi-&Tabelle", kAnsiTable},
                {"Termin-&Kalender", kCalendar}});
}

HMENU HelpMenu() {
  return Popup({{"&TALVEN\xB2-Hilfe\tF1", kHelpContents}, {nullptr, 0},
                {"&Referenz\tAlt+F1", kHelpReference}, {"&Kontextabh\xE4ngig\tStrg+F1", kHelpContext},
                {"&Editor", kHelpEditor}, {"&Suche in der Hilfe...", kHelpSearch},
                {"&Hilfe verwenden", kHelpOnHelp}, {nullptr, 0}, {"&\xDC""ber...", kAbout}});
}

void BuildMenus(Editor& e) {
  e.frameMenu = CreateMenu();
  AppendMenuA(e.frameMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({
      {"Neues P&rojekt...", kNewProject}, {"&Projekt \xF6""ffnen...", kOpenProject},
      {"Pro&jekt speichern als...", kSaveProjectAs}, {"Projekt schlie&\xDF""en", kCloseProject},
      {nullptr, 0}, {"&Neue Datei", kNewFile}, {"Datei &\xF6""ffnen...\tF3", kOpenFile}, {nullptr, 0},
      {"Programm &aufrufen...", kCallProgram}, {"&Ende", kExit}})), "&Datei");
  AppendMenuA(e.frameMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelperMenu()), "&Helfer");
  e.frameWindowMenu = WindowMenu();
  AppendMenuA(e.frameMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(e.frameWindowMenu), "&Fenster");
  AppendMenuA(e.frameMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelpMenu()), "&?");

  e.childMenu = CreateMenu();
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({
      {"Neues P&rojekt...", kNewProject}, {"&Projekt \xF6""ffnen...", kOpenProject},
      {"Pro&jekt speichern als...", kSaveProjectAs}, {"Projekt schlie&\xDF""en", kCloseProject},
      {nullptr, 0}, {"&Neue Datei", kNewFile}, {"Datei &\xF6""ffnen...\tF3", kOpenFile},
      {"Datei s&chlie\xDF""en\tAlt+F3", kCloseFile}, {"Datei &speichern\tF2", kSave},
      {"Datei speichern &als...\tAlt+F2", kSaveAs}, {nullptr, 0},
      {"D&rucker einrichten...", kPrinterSetup}, {"&Drucken...", kPrint}, {nullptr, 0},
      {"Progra&mm aufrufen...", kCallProgram}, {"&Ende\tAlt+X", kExit}})), "&Datei");
  HMENU edit = Popup({
      {"&R\xFC""ckg\xE4ngig\tAlt+R\xFC""ck", kUndo}, {"Wider&rufen\tUmsch+Alt+R\xFC""ck", kRedo},
      {nullptr, 0}, {"&Ausschneiden\tUmsch+Entf", kCut}, {"&Kopieren\tStrg+Einfg", kCopy},
      {"&Einf\xFCgen\tUmsch+Einfg", kPaste}, {"&L\xF6schen\tStrg+Entf", kDelete}, {nullptr, 0},
      {"Alles aus&w\xE4hlen\tAlt+Einfg", kSelectAll}, {"Alles l\xF6s&chen\tAlt+Entf", kDeleteAll},
      {nullptr, 0}, {"Einr\xFC""cken\tStrg+I", kIndent}, {"Ausr\xFC""cken\tStrg+O", kOutdent},
      {"Mit Text einr\xFC""cken\tStrg+T", kIndentText}, {nullptr, 0},
      {"Einf\xFCgen a&us Datei...\tStrg+R", kInsertFile}, {"Kopiere&n als Datei...\tStrg+W", kCopyAsFile},
      {nullptr, 0}, {"Da&tum + Zeit\tF5", kDateTime}, {"&Zwischenablage", kClipboard}});
  AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(MarksMenu(kSetMarkFirst)), "&Setze Merker");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Bearbeiten");
  HMENU search = Popup({{"&Finden...\tStrg+F", kFind}, {"&Ersetzen...\tStrg+A", kReplace},
                        {"&Weitersuchen\tStrg+L", kFindNext}, {nullptr, 0},
                        {"Gehe zu &Zeile...\tStrg+J", kGotoLine}});
  AppendMenuA(search, MF_POPUP, reinterpret_cast<UINT_PTR>(MarksMenu(kGotoMarkFirst)), "Gehe zu &Merker");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(search), "&Suchen");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({
      {"&Ausf\xFChren (Interpreter)\tF7", kRun}, {"als Scri&pt-Datei ausf\xFChren", kRunScript},
      {nullptr, 0}, {"&Compilieren\tF9", kCompile}, {"Sta&rten\tF8", kStart}, {nullptr, 0},
      {"&Exe-Datei erstellen...", kMakeExe}, {"&Screensaver erstellen...", kMakeSaver}})), "&Talven");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({
      {"&Toolbar", kToggleToolbar}, {"Sch&nellsuche", kToggleQuickSearch}, {nullptr, 0},
      {"Syntax-&Farben", kToggleSyntax}, {"Zeilen&umbruch", kToggleWrap}, {"Ta&bulator...", kTabWidth},
      {nullptr, 0}, {"&Schrift...", kFont}, {nullptr, 0},
      {"&Projekt-Einstellungen...", kProjectSettings}, {"&Include-Pfad...", kIncludePath}})), "&Optionen");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelperMenu()), "&Helfer");
  e.childWindowMenu = WindowMenu();
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(e.childWindowMenu), "&Fenster");
  AppendMenuA(e.childMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelpMenu()), "&?");

  const ACCEL keys[] = {
      {FVIRTKEY, VK_F3, kOpenFile}, {FVIRTKEY | FCONTROL, VK_F3, kCloseAll},
      {FVIRTKEY, VK_F1, kHelpContents}, {FVIRTKEY | FALT, VK_F1, kHelpReference},
      {FVIRTKEY | FCONTROL, VK_F1, kHelpContext}, {FVIRTKEY | FALT, VK_F3, kCloseFile},
      {FVIRTKEY, VK_F2, kSave}, {FVIRTKEY | FALT, VK_F2, kSaveAs}, {FVIRTKEY | FALT, 'X', kExit},
      {FVIRTKEY | FALT, VK_BACK, kUndo}, {FVIRTKEY | FALT | FSHIFT, VK_BACK, kRedo},
      {FVIRTKEY | FSHIFT, VK_DELETE, kCut}, {FVIRTKEY | FCONTROL, VK_INSERT, kCopy},
      {FVIRTKEY | FSHIFT, VK_INSERT, kPaste}, {FVIRTKEY | FCONTROL, VK_DELETE, kDelete},
      {FVIRTKEY | FALT, VK_INSERT, kSelectAll}, {FVIRTKEY | FALT, VK_DELETE, kDeleteAll},
      {FVIRTKEY | FCONTROL, 'I', kIndent}, {FVIRTKEY | FCONTROL, 'O', kOutdent},
      {FVIRTKEY | FCONTROL, 'T', kIndentText}, {FVIRTKEY | FCONTROL, 'R', kInsertFile},
      {FVIRTKEY | FCONTROL, 'W', kCopyAsFile}, {FVIRTKEY, VK_F5, kDateTime},
      {FVIRTKEY | FCONTROL, 'F', kFind}, {FVIRTKEY | FCONTROL, 'A', kReplace},
      {FVIRTKEY | FCONTROL, 'L', kFindNext}, {FVIRTKEY | FCONTROL, 'J', kGotoLine},
      {FVIRTKEY, VK_F7, kRun}, {FVIRTKEY, VK_F9, kCompile}, {FVIRTKEY, VK_F8, kStart}};
  e.accelerators = CreateAcceleratorTableA(const_cast<ACCEL*>(keys), static_cast<int>(std::size(keys)));
}

void UpdateMenuStates(HMENU menu) {
  Editor& e = *g_editor;
  TEditForm* form = ActiveForm();
  auto check = [&](WORD id, bool on) { CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
  auto enable = [&](WORD id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
  check(kToggleToolbar, e.toolbarVisible);
  check(kToggleQuickSearch, e.quickSearchVisible);
  check(kToggleSyntax, e.syntaxColours);
  check(kToggleWrap, form && form->control->Wrap());
  enable(kToggleWrap, form != nullptr);
  enable(kFindNext, e.findUsed);
  const bool selection = form && form->control->Doc().HasSelection();
  enable(kPaste, IsClipboardFormatAvailable(CF_TEXT));
  enable(kCut, selection);
  enable(kCopy, selection);
  enable(kDelete, selection);
}

// A menu item by its caption path ("Datei/Datei speichern", captions without "&" and
// shortcut; a trailing "*" matches the start of a caption): its command id, or 0.
UINT MenuItemByPath(HMENU menu, const std::string& path) {
  const size_t slash = path.find('/');
  const std::string want = path.substr(0, slash);
  const bool prefix = !want.empty() && want.back() == '*';
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char caption[256] = {};
    GetMenuStringA(menu, i, caption, sizeof caption, MF_BYPOSITION);
    std::string plain;
    for (const char* p = caption; *p && *p != '\t'; ++p) {
      if (*p != '&') plain += *p;
    }
    if (prefix ? plain.compare(0, want.size() - 1, want, 0, want.size() - 1) != 0 : plain != want) continue;
    if (slash == std::string::npos) return GetMenuItemID(menu, i);
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (const UINT id = MenuItemByPath(sub, path.substr(slash + 1))) return id;
    }
  }
  return 0;
}

LRESULT MenuItemState(HMENU menu, const std::string& path) {
  // The popup that holds the item: the path without its last part.
  const size_t slash = path.rfind('/');
  HMENU popup = menu;
  if (slash != std::string::npos) {
    std::string rest = path.substr(0, slash);
    while (popup) {
      const size_t next = rest.find('/');
      const std::string want = rest.substr(0, next);
      HMENU found = nullptr;
      for (int i = 0; i < GetMenuItemCount(popup) && !found; ++i) {
        char caption[256] = {};
        GetMenuStringA(popup, i, caption, sizeof caption, MF_BYPOSITION);
        std::string plain;
        for (const char* p = caption; *p && *p != '\t'; ++p) {
          if (*p != '&') plain += *p;
        }
        if (plain == want) found = GetSubMenu(popup, i);
      }
      popup = found;
      if (next == std::string::npos) break;
      rest = rest.substr(next + 1);
    }
  }
  const UINT id = popup ? MenuItemByPath(popup, path.substr(slash == std::string::npos ? 0 : slash + 1)) : 0;
  if (id == 0 || id == static_cast<UINT>(-1)) return 0;
  SendMessageA(g_editor->frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  const UINT state = GetMenuState(popup, id, MF_BYCOMMAND);
  return 1 | ((state & (MF_GRAYED | MF_DISABLED)) ? 2 : 0) | ((state & MF_CHECKED) ? 4 : 0);
}

void InsertFromFile(TEditForm* form) {
  const std::string chosen = AskFile(FileDialog::Open, "Datei \xF6""ffnen", g_editor->fileFilter, "",
                                     OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  if (chosen.empty()) return;
  std::string bytes;
  if (LoadTextFile(chosen, bytes) != FileResult::Ok) {
    Box("Datei kann nicht gelesen werden: " + chosen);
    return;
  }
  InsertFileLines(form->control->Doc(), bytes);
  form->control->Changed();
  SetStatus(form);
}

void CopyAsFile(TEditForm* form) {
  if (!form->control->Doc().HasSelection()) return;
  const std::string chosen = AskFile(FileDialog::Save, nullptr, g_editor->fileFilter, "", OFN_OVERWRITEPROMPT);
  if (chosen.empty()) return;
  if (SaveTextFile(chosen, SelectedLinesAsFile(form->control->Doc()), Backup::None) != FileResult::Ok) {
    Box("Datei kann nicht erzeugt werden: " + chosen);
  }
}

void ChooseFontFor(TEditForm* form) {
  const FontSetting current = ReadFont(g_editor->ini);
  LOGFONTA logFont = {};
  HDC dc = GetDC(g_editor->frame);
  logFont.lfHeight = -MulDiv(current.size, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(g_editor->frame, dc);
  lstrcpynA(logFont.lfFaceName, current.name.c_str(), LF_FACESIZE);
  CHOOSEFONTA choose = {};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = g_editor->frame;
  choose.lpLogFont = &logFont;
  choose.rgbColors = static_cast<COLORREF>(current.colour);
  choose.Flags = CF_SCREENFONTS | CF_FIXEDPITCHONLY | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontA(&choose)) return;
  FontSetting chosen{logFont.lfFaceName, static_cast<int32_t>(choose.rgbColors),
                     std::clamp(choose.iPointSize / 10, 4, 72)};
  WriteFont(g_editor->ini, chosen);
  form->control->SetFont(chosen);
}

// Commands that act on an edit window.
void FormCommand(TEditForm* form, WORD id) {
  EditControl& control = *form->control;
  TextDocument& doc = control.Doc();
  Editor& e = *g_editor;
  if (id >= kSetMarkFirst && id < kSetMarkFirst + 10) {
    doc.SetBookmark(id - kSetMarkFirst + 1, doc.Caret());
    return;
  }
  if (id >= kGotoMarkFirst && id < kGotoMarkFirst + 10) {
    const size_t mark = doc.Bookmark(id - kGotoMarkFirst + 1);
    if (mark != TextDocument::kNoPosition) doc.SetCaret(mark);
    control.Changed();
    SetStatus(form);
    return;
  }
  switch (id) {
    case kCloseFile: PostMessageA(form->hwnd, WM_CLOSE, 0, 0); return;
    case kSave: SaveForm(form); return;
    case kSaveAs: SaveFormAs(form); return;
    case kPrinterSetup: PrintForm(form, true); return;
    case kPrint: PrintForm(form, false); return;
    case kUndo: doc.Undo(); break;
    case kRedo: doc.Redo(); break;
    case kCut: control.Cut(); break;
    case kCopy: control.Copy(); break;
    case kPaste: control.Paste(); break;
    case kDelete: doc.DeleteSelection(); break;
    case kSelectAll: doc.SelectAll(); break;
    case kDeleteAll: doc.DeleteAll(); break;
    case kIndent: IndentLines(doc, " "); break;
    case kOutdent: OutdentLines(doc); break;
    case kIndentText: {
      std::string text;
      if (InputBox(e.frame, "Mit Text einr\xFC""cken", "Einr\xFC""cktext", text)) IndentLines(doc, text);
      break;
    }
    case kInsertFile: InsertFromFile(form); return;
    case kCopyAsFile: CopyAsFile(form); return;
    case kDateTime: doc.InsertText(DateTimeText()); break;
    case kClipboard: StartTool("clipbrd.exe", "\"CLIPBRD.EXE\" nicht gefunden."); return;
    case kFind: ShowFind(form); return;
    case kReplace: ShowReplace(); return;
    case kFindNext: Find(false); return;
    case kGotoLine: {
      std::string text = "1";
      const std::string prompt = "Zeilennummer (1 - " + std::to_string(doc.LineCount()) + "):";
      int32_t line = 0;
      if (InputBox(e.frame, "Gehe zu", prompt, text) && ParseNumber(text, line)) {
        doc.SetCaret(doc.LineStart(std::clamp(line, 1, doc.LineCount()) - 1));
      }
      break;
    }
    case kRun: case kRunScript: case kCompile: case kStart: case kMakeExe: case kMakeSaver:
      TalvenCommand(id);
      return;
    case kToggleToolbar: SetBar(true, !e.toolbarVisible); return;
    case kToggleQuickSearch: SetBar(false, !e.quickSearchVisible); return;
    case kToggleSyntax:
      e.syntaxColours = !e.syntaxColours;
      e.ini.Write("Optionen", "Syntax", e.syntaxColours ? "J" : "N");
      InvalidateRect(control.Handle(), nullptr, FALSE);
      return;
    case kToggleWrap:
      control.SetWrap(!control.Wrap());
      return;
    case kTabWidth: {
      std::string text = std::to_string(doc.TabWidth());
      int32_t width = 0;
      if (InputBox(e.frame, "Tabulator", "Position:", text) && ParseNumber(text, width) && ValidTabWidth(width)) {
        doc.SetTabWidth(width);
        e.ini.Write("Optionen", "Tab", std::to_string(width));
      }
      break;
    }
    case kFont: ChooseFontFor(form); return;
    case kIncludePath: {
      e.includePath = e.ini.Read("COMPILE", "Include", "", kLongSetting);
      std::string text = e.includePath;
      if (InputBox(e.frame, "INCLUDE-PFAD", "Vollst\xE4ndiger Suchpfad f\xFCr Include-Dateien:", text)) {
        e.includePath = text;
        e.ini.Write("COMPILE", "Include", text);
      }
      return;
    }
    default: return;
  }
  control.Changed();
  SetStatus(form);
}

void Command(WORD id) {
  Editor& e = *g_editor;
  TEditForm* form = ActiveForm();
  if (id >= kHelperFirst && id < kHelperFirst + 6) {
    Start(HelperCommand(e.editorDir, kHelperScripts[id - kHelperFirst]));
    return;
  }
  switch (id) {
    case kNewProject: NewProject(form != nullptr); return;
    case kOpenProject: {
      const std::string chosen = AskFile(FileDialog::Open, "Projekt \xF6""ffnen", "Projektdateien|*.prj", "",
                                         OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      if (chosen.empty() || !CloseAll()) return;
      e.projectFile = chosen;
      OpenProjekt();
      return;
    }
    case kSaveProjectAs: {
      char current[MAX_PATH] = {};
      GetCurrentDirectoryA(MAX_PATH, current);
      if (ChooseProjectName()) SaveProjekt();
      SetCurrentDirectoryA(current);
      return;
    }
    case kCloseProject:
      if (!CloseAll()) return;
      e.projectFile.clear();
      SetProjectStatus();
      return;
    case kNewFile:
      e.nextFileName = kUntitled;
      CreateEditWindow();
      return;
    case kOpenFile: {
      const std::string chosen = AskFile(FileDialog::Open, "Datei \xF6""ffnen", e.fileFilter, "",
                                         OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      if (!chosen.empty()) OpenFileWindow(chosen);
      return;
    }
    case kCallProgram: {
      const std::string chosen = AskFile(FileDialog::Open, "Programm aufrufen:",
                                         "Programme|*.exe;*.pif;*.bat|Alle Dateien|*.*", "",
                                         OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      if (!chosen.empty()) Start(ProgramCommand(chosen));
      return;
    }
    case kExit: PostMessageA(e.frame, WM_CLOSE, 0, 0); return;
    case kUserMenu: Start(UserMenuCommand(e.runtimeModule, e.editorDir)); return;
    case kTile: SendMessageA(e.client, WM_MDITILE, MDITILE_VERTICAL, 0); return;
    case kTileHorizontal: SendMessageA(e.client, WM_MDITILE, MDITILE_HORIZONTAL, 0); return;
    case kCascade: SendMessageA(e.client, WM_MDICASCADE, 0, 0); return;
    case kArrangeIcons: SendMessageA(e.client, WM_MDIICONARRANGE, 0, 0); return;
    case kCloseAll: CloseAll(); return;
    case kCalculator: StartTool("calc.exe", "\"CALC.EXE\" nicht gefunden."); return;
    case kAnsiTable: StartTool("Ansi.exe", "\"ANSI.EXE\" nicht gefunden."); return;
    case kCalendar: StartTool("calendar.exe", "\"CALENDAR.EXE\" nicht gefunden."); return;
    case kHelpContents: Help(HELP_CONTENTS); return;
    case kHelpReference: Help(HELP_KEY, "Referenz"); return;
    case kHelpContext: ContextHelp(); return;
    case kHelpEditor: case kHelpButton: HelpEditorTopic(); return;
    case kHelpSearch: Help(HELP_PARTIALKEY, ""); return;
    case kHelpOnHelp: Help(HELP_HELPONHELP); return;
    case kAbout:
      Box("ZUL-TALVEN\xB2 Editor\nVersion 6.5-32", MB_OK | MB_ICONINFORMATION, kFrameCaption);
      return;
    case kQuickBack: QuickSearch(false); return;
    case kQuickForward: QuickSearch(true); return;
    case kProjectSettings:
      ProjectSettingsDialog();
      return;
    default: break;
  }
  // Buttons and menu items that act on the active window do nothing without one.
  if (form) FormCommand(form, id);
}

}  // namespace talven::editor::frame
