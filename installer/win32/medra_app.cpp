// MEDRA32 on Win32: the language library, the background window, the progress window with
// its own "stext" and bar classes, the dialogs from the library's templates, and the
// user-interface side of the flow. Dialog procedures never let an exception pass.

#include "installer/win32/medra_app.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "installer/setup_flow.h"
#include "installer/setup_picture.h"
#include "installer/win32/win32_setup_system.h"
#include "resources/medra_ids.h"

namespace talven::installer {
namespace {

constexpr char kMainClass[] = "MedraMain";
constexpr char kTextClass[] = "stext";
constexpr char kBarClass[] = "MedraBar";
constexpr UINT kBarSetRange = WM_USER + 1;
constexpr UINT kBarAdvance = WM_USER + 2;
constexpr UINT_PTR kStartTimer = 1;

struct App {
  HINSTANCE instance = nullptr;
  HMODULE library = nullptr;
  std::string libraryPath;
  std::string helpFile;
  HWND main = nullptr;
  HWND progress = nullptr;
  SetupScript* script = nullptr;
  std::string headline, subline;
  bool background = true;
  bool abort = false;
  // The picture on the background: a metafile or a bitmap, and where it goes.
  std::string sourceDir;
  PictureLine pictureLine;
  HENHMETAFILE metafile = nullptr;
  HBITMAP bitmap = nullptr;
  int32_t bitmapWidth = 0, bitmapHeight = 0;
  // The blues of the bands on a palette display (none with [Medra] NoPalette).
  bool usePalette = true;
  HPALETTE palette = nullptr;
};
App g_app;

constexpr int kBands = 127;
int BandBlue(int band) { return ((128 - band) * 150) / 128 + 20; }

void FreePicture() {
  if (g_app.metafile) DeleteEnhMetaFile(g_app.metafile);
  if (g_app.bitmap) DeleteObject(g_app.bitmap);
  g_app.metafile = nullptr;
  g_app.bitmap = nullptr;
}

// The picture of a script line, from the source folder unless the name has a path. A file
// that cannot be read or is no picture leaves the background without one.
void LoadPicture(const std::string& value) {
  FreePicture();
  g_app.pictureLine = ParsePictureLine(value);
  const std::string& name = g_app.pictureLine.file;
  if (name.empty()) return;
  const bool hasPath = name.find(':') != std::string::npos || name[0] == '\\';
  const std::string path = hasPath ? name : JoinPath(g_app.sourceDir, name);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string bytes;
  const DWORD size = GetFileSize(file, nullptr);
  constexpr DWORD kLargestPicture = 64u << 20;
  if (size != INVALID_FILE_SIZE && size <= kLargestPicture) {
    bytes.resize(size);
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size) bytes.clear();
  }
  CloseHandle(file);
  std::string packed;
  if (g_app.pictureLine.metafile) {
    if (MetafileBits(bytes, packed)) {
      g_app.metafile = SetWinMetaFileBits(static_cast<UINT>(packed.size()),
                                          reinterpret_cast<const BYTE*>(packed.data()), nullptr, nullptr);
    }
  } else if (size_t pixels = 0; PackedBitmap(bytes, packed, g_app.bitmapWidth, g_app.bitmapHeight, &pixels)) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(packed.data());
    HDC screen = GetDC(nullptr);
    g_app.bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, packed.data() + pixels, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
  }
  if (g_app.main) InvalidateRect(g_app.main, nullptr, TRUE);
}

// The bitmap with black left out: the mask keeps the background where the picture is
// black, then the picture (black there) is laid over it.
void DrawTransparentBitmap(HDC dc, const PictureBox& box) {
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ oldSource = SelectObject(source, g_app.bitmap);
  HDC maskDc = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(box.width, box.height, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDc, mask);
  SetBkColor(source, RGB(0, 0, 0));
  BitBlt(maskDc, 0, 0, box.width, box.height, source, 0, 0, SRCCOPY);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, box.left, box.top, box.width, box.height, maskDc, 0, 0, SRCAND);
  BitBlt(dc, box.left, box.top, box.width, box.height, source, 0, 0, SRCPAINT);
  SelectObject(maskDc, oldMask);
  DeleteObject(mask);
  DeleteDC(maskDc);
  SelectObject(source, oldSource);
  DeleteDC(source);
}

void DrawPicture(HDC dc, int width, int height) {
  if (g_app.metafile) {
    const PictureBox box = PlacePicture(g_app.pictureLine, width, height, 0, 0);
    const RECT r{box.left, box.top, box.left + box.width, box.top + box.height};
    PlayEnhMetaFile(dc, g_app.metafile, &r);
  } else if (g_app.bitmap) {
    DrawTransparentBitmap(dc, PlacePicture(g_app.pictureLine, width, height, g_app.bitmapWidth, g_app.bitmapHeight));
  }
}

// The 129 blues of the bands, made once, on displays that work through a palette.
HPALETTE BandPalette(HDC dc) {
  if (!g_app.usePalette || (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) == 0) return nullptr;
  if (g_app.palette == nullptr) {
    constexpr int kEntries = 129;
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + kEntries * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = kEntries;
    for (int i = 0; i < kEntries; ++i) {
      logical->palPalEntry[i] = {0, 0, static_cast<BYTE>(BandBlue(i)), 0};
    }
    g_app.palette = CreatePalette(logical);
  }
  return g_app.palette;
}

std::string LibraryText(int32_t id) {
  char buffer[1024];
  const int length = LoadStringA(g_app.library, static_cast<UINT>(id), buffer, sizeof(buffer));
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

class LibraryTexts final : public SetupTexts {
 public:
  std::string Text(int32_t id) override { return LibraryText(id); }
};

std::string WindowString(HWND hwnd) {
  char buffer[512];
  GetWindowTextA(hwnd, buffer, sizeof(buffer));
  return buffer;
}

// Script texts in a dialog: a window text that names a script value ("Section.Key") is
// replaced by it; then a section named like the first control's text may size the dialog
// and place or create controls; last the dialog is centred.
void ApplyScript(HWND dialog) {
  if (g_app.script == nullptr) return;
  std::string value;
  if (g_app.script->DottedValue(WindowString(dialog), value)) SetWindowTextA(dialog, value.c_str());
  HWND first = GetWindow(dialog, GW_CHILD);
  const std::string firstText = first ? WindowString(first) : std::string();
  for (HWND child = first; child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (g_app.script->DottedValue(WindowString(child), value)) SetWindowTextA(child, value.c_str());
  }
  if (!firstText.empty()) {
    for (const std::string& line : g_app.script->Lines(firstText)) {
      if (Upper(Field(line, 0)) == "SIZE") {
        RECT r{0, 0, static_cast<LONG>(ParseNumber(Field(line, 5))), static_cast<LONG>(ParseNumber(Field(line, 6)))};
        MapDialogRect(dialog, &r);
        SetWindowPos(dialog, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER);
        continue;
      }
      bool hasKey = false;
      Field(line, 0, &hasKey);
      const std::string head = Field(line, 1);
      if (hasKey || Upper(head.substr(0, 7)) != "CONTROL") continue;
      const std::string text = head.substr(7, 50);
      HWND control = nullptr;
      for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (WindowString(child) == text) control = child;
      }
      RECT r{0, 0, 30, 30};
      bool exists = false;
      const std::string x = Field(line, 5, &exists);
      r.left = exists ? static_cast<LONG>(ParseNumber(x)) : 0;
      const std::string y = Field(line, 6, &exists);
      r.top = exists ? static_cast<LONG>(ParseNumber(y)) : 0;
      const std::string w = Field(line, 7, &exists);
      r.right = r.left + (exists ? static_cast<LONG>(ParseNumber(w)) : 30);
      const std::string h = Field(line, 8, &exists);
      r.bottom = r.top + (exists ? static_cast<LONG>(ParseNumber(h)) : 30);
      MapDialogRect(dialog, &r);
      if (control == nullptr) {
        control = CreateWindowA(Field(line, 3).c_str(), text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, dialog, nullptr,
                                g_app.instance, nullptr);
      }
      if (control == nullptr) continue;
      MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
      const int64_t font = ParseNumber(Field(line, 2));
      if (font == -2) SendMessageA(control, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), TRUE);
      if (font == -3) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), TRUE);
    }
  }
  RECT r;
  GetWindowRect(dialog, &r);
  SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void ShowHelpButton(HWND dialog) {
  HWND help = GetDlgItem(dialog, MEDRA_ID_HELP);
  if (help != nullptr && !g_app.helpFile.empty()) ShowWindow(help, SW_SHOW);
}

void PaintBackground(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  const int width = client.right, height = client.bottom;
  HPALETTE palette = BandPalette(dc);
  HPALETTE oldPalette = nullptr;
  if (palette) {
    oldPalette = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
  }
  for (int i = kBands; i >= 1; --i) {
    const int blue = BandBlue(i);
    HBRUSH brush = CreateSolidBrush(palette ? PALETTERGB(0, 0, blue) : RGB(0, 0, blue));
    RECT band{0, 0, width * i / kBands, height * i / kBands};
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
  if (palette) SelectPalette(dc, oldPalette, FALSE);
  SetBkMode(dc, TRANSPARENT);
  const int screen = GetSystemMetrics(SM_CYSCREEN);
  HFONT big = CreateFontA(80 * screen / 768, 0, 0, 0, FW_BOLD, TRUE, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ old = SelectObject(dc, big);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 40, 35, g_app.headline.c_str(), static_cast<int>(g_app.headline.size()));
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 35, 30, g_app.headline.c_str(), static_cast<int>(g_app.headline.size()));
  HFONT small = CreateFontA(24 * screen / 768, 0, 0, 0, FW_BOLD, FALSE, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  SelectObject(dc, small);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 37, height - 52, g_app.subline.c_str(), static_cast<int>(g_app.subline.size()));
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 35, height - 50, g_app.subline.c_str(), static_cast<int>(g_app.subline.size()));
  SelectObject(dc, old);
  DeleteObject(big);
  DeleteObject(small);
  DrawPicture(dc, width, height);
}

// Another window changed the system palette: the bands take their blues again.
bool RealizeBandPalette(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  HPALETTE palette = g_app.background ? BandPalette(dc) : nullptr;
  UINT changed = 0;
  if (palette) {
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    changed = RealizePalette(dc);
    SelectPalette(dc, old, FALSE);
  }
  ReleaseDC(hwnd, dc);
  if (changed > 0) InvalidateRect(hwnd, nullptr, FALSE);
  return palette != nullptr;
}

bool ConfirmAbort(HWND owner) {
  return MessageBoxA(owner, LibraryText(kTextAbortQuestion).c_str(), kTitleSetup, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      if (g_app.background) PaintBackground(hwnd, dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      if (g_app.background) return 1;
      break;
    case WM_QUERYNEWPALETTE:
      return RealizeBandPalette(hwnd) ? TRUE : FALSE;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != hwnd) RealizeBandPalette(hwnd);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == MEDRA_CMD_CANCEL_PROGRESS && ConfirmAbort(hwnd)) {
        g_app.abort = true;
        if (g_app.progress) DestroyWindow(g_app.progress);
        g_app.progress = nullptr;
        DestroyWindow(hwnd);
      }
      return 0;
    case WM_CLOSE:
      g_app.abort = true;
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      g_app.main = nullptr;
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A static text that repaints itself at once when its text changes.
LRESULT CALLBACK TextProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    return result;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0)));
    const std::string text = WindowString(hwnd);
    DrawTextA(dc, text.c_str(), -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(hwnd, &paint);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The bar: a range (default 100) and a position; the percentage "%3d%%" centred, white on
// blue over the done part and blue on white over the rest.
LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrA(hwnd, 0, 100);
      SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), 0);
      return 0;
    case kBarSetRange:
      SetWindowLongPtrA(hwnd, 0, lParam < 1 ? 1 : lParam);
      SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), 0);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case kBarAdvance: {
      const LONG_PTR range = GetWindowLongPtrA(hwnd, 0);
      LONG_PTR position = GetWindowLongPtrA(hwnd, sizeof(LONG_PTR)) + lParam;
      if (position > range) position = range;
      SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), position);
      InvalidateRect(hwnd, nullptr, FALSE);
      UpdateWindow(hwnd);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      RECT r;
      GetClientRect(hwnd, &r);
      const long long range = GetWindowLongPtrA(hwnd, 0), position = GetWindowLongPtrA(hwnd, sizeof(LONG_PTR));
      const int percent = static_cast<int>(range > 0 ? position * 100 / range : 0);
      const int split = static_cast<int>(r.right * static_cast<long long>(percent) / 100);
      char text[16];
      std::snprintf(text, sizeof(text), "%3d%%", percent);
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0)));
      RECT done{0, 0, split, r.bottom}, rest{split, 0, r.right, r.bottom};
      SetBkMode(dc, OPAQUE);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, RGB(0, 0, 255));
      ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &done, "", 0, nullptr);
      SetTextAlign(dc, TA_LEFT);
      DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      HRGN clip = CreateRectRgnIndirect(&rest);
      SelectClipRgn(dc, clip);
      SetTextColor(dc, RGB(0, 0, 255));
      SetBkColor(dc, RGB(255, 255, 255));
      ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rest, "", 0, nullptr);
      DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectClipRgn(dc, nullptr);
      DeleteObject(clip);
      EndPaint(hwnd, &paint);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    ApplyScript(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    if (g_app.main) SendMessageA(g_app.main, WM_COMMAND, MEDRA_CMD_CANCEL_PROGRESS, 0);
    return TRUE;
  }
  return FALSE;
}

struct TargetState {
  std::string* directory;
  const std::function<void()>* atOpen;
};

INT_PTR CALLBACK TargetProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<TargetState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      state = reinterpret_cast<TargetState*>(lParam);
      ApplyScript(dialog);
      ShowHelpButton(dialog);
      SendDlgItemMessageA(dialog, MEDRA_ID_DIR, EM_LIMITTEXT, kMaxTargetDir, 0);
      SetDlgItemTextA(dialog, MEDRA_ID_DIR, state->directory->c_str());
      SetTimer(dialog, kStartTimer, 1000, nullptr);
      return TRUE;
    case WM_TIMER:
      KillTimer(dialog, kStartTimer);
      try {
        (*state->atOpen)();
      } catch (...) {
      }
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          char buffer[kMaxTargetDir + 1];
          GetDlgItemTextA(dialog, MEDRA_ID_DIR, buffer, sizeof(buffer));
          *state->directory = buffer;
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case MEDRA_ID_HELP:
          WinHelpA(dialog, g_app.helpFile.c_str(), HELP_CONTEXT, 8000);
          return TRUE;
        case MEDRA_ID_BROWSE: {
          BROWSEINFOA info{};
          char name[MAX_PATH];
          info.hwndOwner = dialog;
          info.pszDisplayName = name;
          info.ulFlags = BIF_RETURNONLYFSDIRS;
          LPITEMIDLIST list = SHBrowseForFolderA(&info);
          if (list != nullptr) {
            char path[MAX_PATH];
            if (SHGetPathFromIDListA(list, path)) SetDlgItemTextA(dialog, MEDRA_ID_DIR, path);
            CoTaskMemFree(list);
          }
          return TRUE;
        }
      }
      break;
  }
  return FALSE;
}

// Components and form: one check box, or one label and edit, per line, placed in dialog
// units under the template's first text.
struct ListState {
  std::vector<Component>* components = nullptr;
  std::vector<FormField>* fields = nullptr;
};

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<ListState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      state = reinterpret_cast<ListState*>(lParam);
      HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
      const size_t count = state->components ? state->components->size() : state->fields->size();
      for (size_t i = 0; i < count && i < 90; ++i) {
        RECT r{10, static_cast<LONG>(24 + 14 * i), 250, static_cast<LONG>(36 + 14 * i)};
        MapDialogRect(dialog, &r);
        HWND control;
        if (state->components) {
          const Component& c = (*state->components)[i];
          control = CreateWindowA("BUTTON", c.text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(MEDRA_ID_CHECK_BASE + i)), g_app.instance, nullptr);
          SendMessageA(control, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        } else {
          const FormField& f = (*state->fields)[i];
          RECT label{10, r.top, 90, r.bottom};
          HWND text = CreateWindowA("STATIC", f.label.c_str(), WS_CHILD | WS_VISIBLE, r.left, r.top, (r.right - r.left) / 3,
                                    r.bottom - r.top, dialog,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(MEDRA_ID_LABEL_BASE + i)), g_app.instance, nullptr);
          SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
          (void)label;
          control = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", f.text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                    r.left + (r.right - r.left) / 3, r.top, (r.right - r.left) * 2 / 3, r.bottom - r.top, dialog,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(MEDRA_ID_EDIT_BASE + i)), g_app.instance, nullptr);
          SendMessageA(control, EM_LIMITTEXT, 200, 0);
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      }
      ApplyScript(dialog);
      ShowHelpButton(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          const size_t count = state->components ? state->components->size() : state->fields->size();
          for (size_t i = 0; i < count && i < 90; ++i) {
            if (state->components) {
              (*state->components)[i].checked = IsDlgButtonChecked(dialog, static_cast<int>(MEDRA_ID_CHECK_BASE + i)) == BST_CHECKED;
            } else {
              char buffer[256];
              GetDlgItemTextA(dialog, static_cast<int>(MEDRA_ID_EDIT_BASE + i), buffer, sizeof(buffer));
              (*state->fields)[i].text = buffer;
            }
          }
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
        case MEDRA_ID_BACK:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case MEDRA_ID_HELP:
          WinHelpA(dialog, g_app.helpFile.c_str(), HELP_CONTEXT, 8001);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

struct DiskState {
  const std::string* label;
  std::string* directory;
};

INT_PTR CALLBACK DiskProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DiskState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    state = reinterpret_cast<DiskState*>(lParam);
    MessageBeep(MB_OK);
    ApplyScript(dialog);
    SetDlgItemTextA(dialog, MEDRA_ID_DISK_LABEL, state->label->c_str());
    SendDlgItemMessageA(dialog, MEDRA_ID_DISK_DIR, EM_LIMITTEXT, 128, 0);
    SetDlgItemTextA(dialog, MEDRA_ID_DISK_DIR, state->directory->c_str());
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    if (LOWORD(wParam) == IDOK) {
      char buffer[129];
      GetDlgItemTextA(dialog, MEDRA_ID_DISK_DIR, buffer, sizeof(buffer));
      *state->directory = buffer;
    }
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

class Win32SetupUi final : public SetupUi {
 public:
  DialogEnd TargetDialog(std::string& directory, const std::function<void()>& atOpen) override {
    TargetState state{&directory, &atOpen};
    const INT_PTR result = DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_TARGET), g_app.main, TargetProc,
                                           reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? DialogEnd::Ok : DialogEnd::Cancel;
  }
  DialogEnd ComponentsDialog(std::vector<Component>& components) override {
    ListState state{&components, nullptr};
    return End(DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_COMPONENTS), g_app.main, ListProc,
                               reinterpret_cast<LPARAM>(&state)));
  }
  DialogEnd FormDialog(std::vector<FormField>& fields) override {
    ListState state{nullptr, &fields};
    return End(DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_FORM), g_app.main, ListProc,
                               reinterpret_cast<LPARAM>(&state)));
  }
  Answer Ask(const std::string& text, const std::string& title, AskKind kind) override {
    UINT style = MB_ICONQUESTION | (kind == AskKind::YesNoCancel ? MB_YESNOCANCEL : MB_YESNO);
    if (kind == AskKind::YesNoTaskModal) style |= MB_TASKMODAL;
    const int result = MessageBoxA(g_app.main, text.c_str(), title.c_str(), style);
    return result == IDYES ? Answer::Yes : result == IDNO ? Answer::No : Answer::Cancel;
  }
  void Message(const std::string& text, const std::string& title, bool warning) override {
    MessageBoxA(g_app.main, text.c_str(), title.c_str(), MB_OK | (warning ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
  }
  ErrorChoice ErrorDialog(const std::string& text) override {
    const INT_PTR result = DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_ERROR), g_app.main, wsErrorDlg,
                                           reinterpret_cast<LPARAM>(text.c_str()));
    return result == MEDRA_ID_RETRY ? ErrorChoice::Retry : result == MEDRA_ID_IGNORE ? ErrorChoice::Ignore : ErrorChoice::Abort;
  }
  bool DiskDialog(const std::string& label, std::string& directory) override {
    DiskState state{&label, &directory};
    return DialogBoxParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_DISK), g_app.main, DiskProc,
                           reinterpret_cast<LPARAM>(&state)) == IDOK;
  }
  void SetPicture(const std::string& pictureLine) override { LoadPicture(pictureLine); }
  void ShowProgress(bool visible) override {
    if (g_app.progress) ShowWindow(g_app.progress, visible ? SW_SHOW : SW_HIDE);
  }
  void ProgressText(const std::string& text) override {
    if (g_app.progress) SetDlgItemTextA(g_app.progress, MEDRA_ID_TEXT1, text.c_str());
  }
  void ProgressRange(int64_t range) override {
    if (g_app.progress) SendDlgItemMessageA(g_app.progress, MEDRA_ID_BAR, kBarSetRange, 0, static_cast<LPARAM>(range));
  }
  void ProgressAdvance(int64_t amount) override {
    if (g_app.progress) SendDlgItemMessageA(g_app.progress, MEDRA_ID_BAR, kBarAdvance, 0, static_cast<LPARAM>(amount));
  }
  bool Pump() override {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (g_app.progress && IsDialogMessageA(g_app.progress, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return !g_app.abort;
  }

 private:
  static DialogEnd End(INT_PTR result) {
    return result == IDOK ? DialogEnd::Ok : result == MEDRA_ID_BACK ? DialogEnd::Back : DialogEnd::Cancel;
  }
};

// The language library: MED32<lang>.DLL from [Intl] sLanguage, MED32ENG.DLL, the first
// MED32*.DLL of the program's directory.
bool LoadLanguageLibrary(const std::string& programDir) {
  char language[16];
  GetProfileStringA("Intl", "sLanguage", "ENG", language, sizeof(language));
  std::string lang = Upper(language);
  if (lang == "ENU") lang = "ENG";
  std::vector<std::string> candidates{JoinPath(programDir, "MED32" + lang + ".DLL"), JoinPath(programDir, "MED32ENG.DLL")};
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(JoinPath(programDir, "MED32*.DLL").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    candidates.push_back(JoinPath(programDir, data.cFileName));
    FindClose(find);
  }
  for (const std::string& path : candidates) {
    g_app.library = LoadLibraryA(path.c_str());
    if (g_app.library != nullptr) {
      g_app.libraryPath = path;
      return true;
    }
  }
  return false;
}

}  // namespace

int RunMedra(HINSTANCE instance, const char* commandLine) {
  g_app = App{};
  g_app.instance = instance;
  char modulePath[MAX_PATH];
  GetModuleFileNameA(nullptr, modulePath, sizeof(modulePath));
  std::string programDir(modulePath);
  programDir.resize(programDir.rfind('\\'));
  SetCurrentDirectoryA(programDir.c_str());
  if (!LoadLanguageLibrary(programDir)) {
    MessageBoxA(nullptr, kTextNoLibrary, kTitleNoLibrary, MB_OK | MB_ICONSTOP);
    MessageBoxA(nullptr, kTextNotInitialized, kTitleSetup, MB_OK | MB_ICONSTOP);
    return 0;
  }
  std::string help = g_app.libraryPath.substr(0, g_app.libraryPath.size() - 3) + "HLP";
  if (GetFileAttributesA(help.c_str()) != INVALID_FILE_ATTRIBUTES) g_app.helpFile = help;
  using Ctl3dCall = BOOL(WINAPI*)(HINSTANCE);
  HMODULE ctl3d = LoadLibraryA("CTL3D32.DLL");
  Ctl3dCall ctl3dUnregister = nullptr;
  if (ctl3d != nullptr) {
    auto reg = reinterpret_cast<Ctl3dCall>(reinterpret_cast<void*>(GetProcAddress(ctl3d, "Ctl3dRegister")));
    auto sub = reinterpret_cast<Ctl3dCall>(reinterpret_cast<void*>(GetProcAddress(ctl3d, "Ctl3dAutoSubclass")));
    ctl3dUnregister = reinterpret_cast<Ctl3dCall>(reinterpret_cast<void*>(GetProcAddress(ctl3d, "Ctl3dUnregister")));
    if (reg && sub) {
      reg(instance);
      sub(instance);
    } else {
      FreeLibrary(ctl3d);
      ctl3d = nullptr;
    }
  }
  // The command line: after the program's name, a first character above "@" names the
  // source directory (quotes around it are dropped).
  std::string sourceDir = programDir;
  {
    const char* p = commandLine;
    bool quoted = false;
    while (*p != 0 && (quoted || *p != ' ')) {
      if (*p == '"') quoted = !quoted;
      ++p;
    }
    while (*p == ' ') ++p;
    std::string argument(p);
    argument.erase(std::remove(argument.begin(), argument.end(), '"'), argument.end());
    while (!argument.empty() && argument.back() == ' ') argument.pop_back();
    if (!argument.empty() && static_cast<unsigned char>(argument[0]) > '@') sourceDir = argument;
  }
  Win32SetupSystem system(g_app.main);
  SetupScript script(system);
  LibraryTexts texts;
  int exitCode = 0;
  const std::string scriptPath = JoinPath(sourceDir, LibraryText(kTextScriptName));
  std::string raw;
  const DWORD attributes = GetFileAttributesA(scriptPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    MessageBoxA(nullptr, LibraryText(kTextNoScript).c_str(), kTitleSetup, MB_OK | MB_ICONSTOP);
  } else if (!system.ReadWholeFile(scriptPath, raw) || !script.Load(raw)) {
    MessageBoxA(nullptr, LibraryText(kTextBadScript).c_str(), kTitleSetup, MB_OK | MB_ICONSTOP);
  } else {
    g_app.script = &script;
    auto keyed = [&](int32_t keyId, int32_t defaultId) {
      std::string value;
      return script.DottedValue(LibraryText(keyId), value) ? value : LibraryText(defaultId);
    };
    g_app.headline = keyed(kTextHeadlineKey, kTextDefaultHeadline);
    g_app.subline = keyed(kTextSublineKey, kTextDefaultSubline);
    const std::string title = keyed(kTextTitleKey, kTextDefaultTitle);
    g_app.background = script.Number("Medra", "Background", 1) != 0;
    std::string ignored;
    g_app.usePalette = !script.Value("Medra", "NoPalette", ignored);
    g_app.sourceDir = sourceDir;
    std::string picture;
    if (script.DottedValue(LibraryText(kTextPictureKey), picture)) LoadPicture(picture);
    WNDCLASSA mainClass{};
    mainClass.lpfnWndProc = MainProc;
    mainClass.hInstance = instance;
    mainClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    mainClass.lpszClassName = kMainClass;
    mainClass.hIcon = LoadIcon(instance, MAKEINTRESOURCE(1));
    RegisterClassA(&mainClass);
    WNDCLASSA textClass{};
    textClass.lpfnWndProc = TextProc;
    textClass.hInstance = instance;
    textClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    textClass.lpszClassName = kTextClass;
    RegisterClassA(&textClass);
    WNDCLASSA barClass{};
    barClass.lpfnWndProc = BarProc;
    barClass.cbWndExtra = 2 * sizeof(LONG_PTR);
    barClass.hInstance = instance;
    barClass.lpszClassName = kBarClass;
    RegisterClassA(&barClass);
    const bool caption = script.Number("Medra", "HasCaption", 1) != 0;
    const DWORD style = caption ? WS_OVERLAPPEDWINDOW : WS_POPUP;
    g_app.main = CreateWindowA(kMainClass, title.c_str(), style, 40, 10, 600, 420, nullptr, nullptr, instance, nullptr);
    ShowWindow(g_app.main, script.Number("Medra", "NoMaximize", 0) == 1 ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
    UpdateWindow(g_app.main);
    g_app.progress = CreateDialogParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_PROGRESS), g_app.main, ProgressProc, 0);
    if (g_app.progress) ShowWindow(g_app.progress, SW_HIDE);
    char windowsDir[MAX_PATH], systemDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    GetSystemDirectoryA(systemDir, sizeof(systemDir));
    SetupPlaces places{windowsDir, systemDir, "", sourceDir, {}, {}};
    ReadDisks(script, places);
    Win32SetupUi ui;
    SetupFlow flow(script, texts, ui, system, places, programDir);
    try {
      exitCode = flow.Run();
    } catch (...) {
      exitCode = 0;
    }
    if (g_app.progress) DestroyWindow(g_app.progress);
    if (g_app.main) DestroyWindow(g_app.main);
    FreePicture();
    if (g_app.palette) DeleteObject(g_app.palette);
    g_app.palette = nullptr;
    g_app.script = nullptr;
  }
  FreeLibrary(g_app.library);
  if (ctl3d != nullptr) {
    if (ctl3dUnregister) ctl3dUnregister(instance);
    FreeLibrary(ctl3d);
  }
  return exitCode;
}

}  // namespace talven::installer

extern "C" __declspec(dllexport) INT_PTR CALLBACK wsErrorDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  using namespace talven::installer;
  if (message == WM_INITDIALOG) {
    MessageBeep(MB_ICONEXCLAMATION);
    ApplyScript(dialog);
    SetDlgItemTextA(dialog, MEDRA_ID_TEXT1, reinterpret_cast<const char*>(lParam));
    return TRUE;
  }
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id == MEDRA_ID_ABORT || id == MEDRA_ID_RETRY || id == MEDRA_ID_IGNORE) {
      EndDialog(dialog, id);
      return TRUE;
    }
  }
  return FALSE;
}
