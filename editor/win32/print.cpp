#include "editor/win32/frame_parts.h"

#include <algorithm>
#include <string>
#include <vector>

namespace talven::editor::frame {

// Whether the system knows a printer to print on (asked without showing anything).
bool PrinterAvailable() {
  PRINTDLGA probe = {};
  probe.lStructSize = sizeof(probe);
  probe.hwndOwner = g_editor->frame;
  probe.Flags = PD_RETURNDEFAULT;
  const bool found = PrintDlgA(&probe) != FALSE;
  if (probe.hDevMode) GlobalFree(probe.hDevMode);
  if (probe.hDevNames) GlobalFree(probe.hDevNames);
  return found;
}

void PrintForm(TEditForm* form, bool setupOnly) {
  TextDocument& doc = form->control->Doc();
  // Without a printer our own box, not the print dialog's.
  if (!PrinterAvailable()) {
    Box("Drucken ist nicht m\xF6glich!");
    return;
  }
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof(pd);
  pd.hwndOwner = g_editor->frame;
  pd.Flags = setupOnly ? PD_PRINTSETUP : PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE |
                                            (doc.HasSelection() ? 0 : PD_NOSELECTION);
  pd.nMinPage = 1;
  pd.nMaxPage = 0xFFFF;
  pd.nFromPage = pd.nToPage = 1;
  if (!PrintDlgA(&pd)) {
    if (CommDlgExtendedError() != 0) Box("Drucken ist nicht m\xF6glich!");
    return;
  }
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames) GlobalFree(pd.hDevNames);
  if (setupOnly || !pd.hDC) return;
  HDC dc = pd.hDC;
  const FontSetting setting = ReadFont(g_editor->ini);
  HFONT font = CreateFontA(-MulDiv(setting.size, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                           0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN, setting.name.c_str());
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  const int lineHeight = std::max<int>(metrics.tmHeight + metrics.tmExternalLeading, 1);
  const int perPage = std::max(GetDeviceCaps(dc, VERTRES) / lineHeight, 1);
  const std::vector<std::string> lines = PrintLines(doc, (pd.Flags & PD_SELECTION) != 0);
  DOCINFOA info = {};
  info.cbSize = sizeof(info);
  info.lpszDocName = form->fileName.c_str();
  if (StartDocA(dc, &info) > 0) {
    const int pages = static_cast<int>((lines.size() + perPage - 1) / perPage);
    for (int page = 1; page <= pages; ++page) {
      // A page range prints those pages.
      if ((pd.Flags & PD_PAGENUMS) && (page < pd.nFromPage || page > pd.nToPage)) continue;
      StartPage(dc);
      SelectObject(dc, font);
      for (int i = 0; i < perPage; ++i) {
        const size_t index = static_cast<size_t>(page - 1) * perPage + i;
        if (index >= lines.size()) break;
        TextOutA(dc, 0, i * lineHeight, lines[index].c_str(), static_cast<int>(lines[index].size()));
      }
      EndPage(dc);
    }
    EndDoc(dc);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
}

}  // namespace talven::editor::frame
