// The Win32 side of the family "printing": jobs on the default printer (the [windows]
// device entry: name, driver, port) whose pages become the output window's drawing target,
// and the one-page hard copies of the main window or any window.

#include <windows.h>

#include <string>
#include <vector>

#include "library/families.h"
#include "library/printing/printing_platform.h"
#include "library/win32/win32_host.h"

namespace talven {

namespace {

constexpr char kScreenCopyName[] = "ScreenCopy";
constexpr char kWindowCopyName[] = "WindowCopy";

// A context of the default printer, nullptr when there is none. The spooler's library is
// loaded first: it brings the system's printers into the [windows] device entry, and no
// library a program loads at its start does so any more (the file dialogs' comdlg32 did).
HDC DefaultPrinterContext() {
  static const HMODULE spooler = LoadLibraryA("winspool.drv");
  (void)spooler;
  char entry[512] = {};
  GetProfileStringA("windows", "device", "", entry, sizeof entry);
  std::string text(entry);
  const size_t first = text.find(',');
  if (text.empty() || first == std::string::npos) return nullptr;
  const std::string name = text.substr(0, first);
  const size_t second = text.find(',', first + 1);
  const std::string driver = text.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                                : second - first - 1);
  HDC dc = CreateDCA(driver.c_str(), name.c_str(), nullptr, nullptr);
  if (dc == nullptr) dc = CreateDCA("WINSPOOL", name.c_str(), nullptr, nullptr);
  return dc;
}

// The page's logical extent onto its dots: 2200 x 3300 at 300 dpi, MulDiv for others.
void MapPage(HDC dc, int32_t logicalWidth, int32_t logicalHeight) {
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, logicalWidth, logicalHeight, nullptr);
  SetViewportExtEx(dc, PageExtent(kPageDotsWidth, GetDeviceCaps(dc, LOGPIXELSX)),
                   PageExtent(kPageDotsHeight, GetDeviceCaps(dc, LOGPIXELSY)), nullptr);
}

bool StartDocument(HDC dc, const char* name) {
  DOCINFOA info = {};
  info.cbSize = sizeof info;
  info.lpszDocName = name;
  if (StartDocA(dc, &info) <= 0) return false;
  if (StartPage(dc) <= 0) {
    AbortDoc(dc);
    return false;
  }
  return true;
}

// Pixels of a source context's area, as a 32-bit top-down bitmap.
bool AreaPixels(HDC source, int x, int y, int width, int height, std::vector<uint32_t>& pixels,
                BITMAPINFO& info) {
  if (width <= 0 || height <= 0) return false;
  HDC copy = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
  bool done = false;
  if (copy != nullptr && bitmap != nullptr) {
    HGDIOBJ old = SelectObject(copy, bitmap);
    done = BitBlt(copy, 0, 0, width, height, source, x, y, SRCCOPY) != 0;
    SelectObject(copy, old);
    info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    done = done && GetDIBits(source, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                             DIB_RGB_COLORS) == height;
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (copy != nullptr) DeleteDC(copy);
  return done;
}

class Win32Printing final : public PrintingPlatform {
 public:
  explicit Win32Printing(Win32Window& window) : m_window(window) {}
  ~Win32Printing() override {
    if (m_page != nullptr) {
      AbortDoc(m_page);
      DeleteDC(m_page);
    }
  }

  bool StartJob(std::string_view document) override {
    HDC dc = DefaultPrinterContext();
    if (dc == nullptr) return false;
    const std::string name(document);
    if (!StartDocument(dc, name.c_str())) {
      DeleteDC(dc);
      return false;
    }
    MapPage(dc, kPageLogicalWidth, kPageLogicalHeight);
    m_page = dc;
    m_window.DrawOnPage(dc);
    return true;
  }

  void NextPage() override {
    if (m_page == nullptr) return;
    EndPage(m_page);
    StartPage(m_page);
    MapPage(m_page, kPageLogicalWidth, kPageLogicalHeight);
    if (HFONT font = m_window.UserFont()) SelectObject(m_page, font);
  }

  void EndJob() override { Finish(false); }
  void AbortJob() override { Finish(true); }

  HardCopyResult ScreenCopy(const CopyArea& area, int32_t windowWidth) override {
    HDC source = m_window.WindowContext();
    if (source == nullptr) return HardCopyResult::NoWindow;
    return HardCopy(source, area.left, area.top, area.right - area.left + 1,
                    area.bottom - area.top + 1, windowWidth, kScreenCopyName, area.left, area.top);
  }

  HardCopyResult WindowCopy(intptr_t window) override {
    HWND handle = reinterpret_cast<HWND>(window);
    RECT frame = {};
    if (handle == nullptr || !IsWindow(handle) || !GetWindowRect(handle, &frame)) {
      return HardCopyResult::NoWindow;
    }
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return HardCopyResult::NoWindow;
    const int width = frame.right - frame.left;
    const HardCopyResult result = HardCopy(screen, frame.left, frame.top, width,
                                           frame.bottom - frame.top, width, kWindowCopyName, 0, 0);
    ReleaseDC(nullptr, screen);
    return result;
  }

 private:
  void Finish(bool abort) {
    if (m_page == nullptr) return;
    m_window.DrawOnPage(nullptr);
    if (abort) {
      AbortDoc(m_page);
    } else {
      EndPage(m_page);
      EndDoc(m_page);
    }
    DeleteDC(m_page);
    m_page = nullptr;
  }

  // One page showing the source's area at (x, y) of a logical page `pageWidth` wide and
  // 1.5 times that high. The printer cursor shows meanwhile.
  HardCopyResult HardCopy(HDC source, int sx, int sy, int width, int height, int pageWidth,
                          const char* name, int x, int y) {
    HCURSOR printer = LoadCursorA(GetModuleHandleA(nullptr), "DRUCKER");
    HCURSOR previous = printer != nullptr ? SetCursor(printer) : nullptr;
    HardCopyResult result = HardCopyResult::Printed;
    HDC dc = DefaultPrinterContext();
    if (dc == nullptr || !StartDocument(dc, name)) {
      result = HardCopyResult::NoPrinter;
    } else {
      const int32_t logicalWidth = pageWidth < 1 ? 1 : pageWidth;
      MapPage(dc, logicalWidth, logicalWidth + logicalWidth / 2);
      std::vector<uint32_t> pixels;
      BITMAPINFO info = {};
      if (!AreaPixels(source, sx, sy, width, height, pixels, info) ||
          StretchDIBits(dc, x, y, width, height, 0, 0, width, height, pixels.data(), &info,
                        DIB_RGB_COLORS, SRCCOPY) == 0) {
        result = HardCopyResult::CopyFailed;
      }
      EndPage(dc);
      EndDoc(dc);
    }
    if (dc != nullptr) DeleteDC(dc);
    if (printer != nullptr) SetCursor(previous);
    return result;
  }

  Win32Window& m_window;
  HDC m_page = nullptr;
};

}  // namespace

void InstallPrintingWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Printing),
                       std::make_unique<Win32Printing>(host.MainWindow()));
}

}  // namespace talven
