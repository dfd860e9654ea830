#include "library/win32/win32_host.h"

#include <windows.h>
#include <commdlg.h>

#include "engine/std_file.h"
#include "library/win32/file_dialogs.h"

namespace talven {

namespace {

UINT IconFlag(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Stop: return MB_ICONHAND;
    case BoxIcon::Exclamation: return MB_ICONEXCLAMATION;
    case BoxIcon::Information: return MB_ICONASTERISK;
    case BoxIcon::Question: return MB_ICONQUESTION;
    default: return 0;
  }
}

UINT ButtonFlag(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::OkCancel: return MB_OKCANCEL;
    case BoxButtons::YesNo: return MB_YESNO;
    case BoxButtons::YesNoCancel: return MB_YESNOCANCEL;
    default: return MB_OK;
  }
}

BoxAnswer AnswerOf(int result) {
  switch (result) {
    case IDCANCEL: return BoxAnswer::Cancel;
    case IDYES: return BoxAnswer::Yes;
    case IDNO: return BoxAnswer::No;
    default: return BoxAnswer::Ok;
  }
}

// Draining the queue is a server round trip under some Windows layers: tens of
// microseconds on an idle machine, milliseconds on a busy one, far more than a statement
// takes. Between statements it happens when the millisecond clock has moved on by
// kPumpIntervalMs since the last drain (20 times a second: keys, painting and closing
// stay prompt), or after kMaxPumpSkips statements should the clock stand still; a forced
// drain always happens. A program sees the same: whatever reads input state or waits
// drains the queue first. Even asking the clock after every statement costs a good part of
// a simple statement, so the statement loop asks only once a thread of the host has raised
// a flag (every kPumpIntervalMs); the flag falls at each drain.
constexpr uint32_t kPumpIntervalMs = 50;
constexpr uint32_t kMaxPumpSkips = 1u << 22;

// The drain clock: raises the flag every kPumpIntervalMs until its stop event is set.
struct DrainClock {
  std::atomic<bool>* due;
  HANDLE stop;
};

DWORD WINAPI RunDrainClock(void* parameter) {
  const DrainClock clock = *static_cast<DrainClock*>(parameter);
  delete static_cast<DrainClock*>(parameter);
  while (WaitForSingleObject(clock.stop, kPumpIntervalMs) == WAIT_TIMEOUT) {
    clock.due->store(true, std::memory_order_relaxed);
  }
  return 0;
}

}  // namespace

void InstallWin32Platforms(Win32Host& host);

Win32Host::Win32Host() { InstallWin32Platforms(*this); }

Win32Host::~Win32Host() {
  if (m_clock != nullptr) {
    SetEvent(m_stop);
    WaitForSingleObject(m_clock, INFINITE);
    CloseHandle(m_clock);
  }
  if (m_stop != nullptr) CloseHandle(m_stop);
}

const std::atomic<bool>* Win32Host::DrainDue() {
  if (m_clock != nullptr) return &m_drainDue;
  if (m_stop == nullptr) m_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (m_stop == nullptr) return nullptr;
  auto* clock = new DrainClock{&m_drainDue, m_stop};
  m_clock = CreateThread(nullptr, 0, RunDrainClock, clock, 0, nullptr);
  if (m_clock == nullptr) {
    // Without the clock the loop asks after every statement, as before.
    delete clock;
    return nullptr;
  }
  return &m_drainDue;
}

BoxAnswer Win32Host::ShowBox(const BoxRequest& box) {
  HWND focus = box.restoreFocus ? GetFocus() : nullptr;
  UINT flags = IconFlag(box.icon) | ButtonFlag(box.buttons);
  flags |= box.systemModal ? MB_SYSTEMMODAL : MB_TASKMODAL;
  HWND owner = box.owner == BoxOwner::MainWindow ? m_window.Handle() : nullptr;
  const int result = MessageBoxA(owner, box.text.c_str(), box.caption.c_str(), flags);
  if (focus != nullptr) SetFocus(focus);
  return AnswerOf(result);
}

std::optional<std::string> Win32Host::OpenFileDialog(std::string_view caption,
                                                     std::string_view filter,
                                                     std::string_view defaultExtension) {
  std::string filterZ(filter);
  for (char& c : filterZ) {
    if (c == '|') c = '\0';
  }
  filterZ.append(2, '\0');
  const std::string captionZ(caption);
  const std::string extensionZ(defaultExtension);
  char fileName[MAX_PATH] = {};
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFilter = filterZ.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = sizeof(fileName);
  ofn.lpstrTitle = captionZ.c_str();
  ofn.lpstrDefExt = extensionZ.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!ShowOpenFileDialog(&ofn)) return std::nullopt;
  return std::string(fileName);
}

std::unique_ptr<InputFile> Win32Host::OpenInput(const std::string& name) {
  return OpenStdInputFile(name);
}

bool Win32Host::FileExists(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string Win32Host::ReadIniString(std::string_view file, std::string_view section,
                                     std::string_view key, std::string_view fallback) {
  char value[256] = {};
  GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                           std::string(fallback).c_str(), value, sizeof(value),
                           std::string(file).c_str());
  return value;
}

PumpResult Win32Host::PumpMessages(bool force) {
  const uint32_t now = GetTickCount();
  if (!force && now - m_lastPumpTick < kPumpIntervalMs && ++m_pumpSkips < kMaxPumpSkips) {
    return PumpResult::Idle;
  }
  // Drained now: the clock raises the flag again after the next interval.
  m_drainDue.store(false, std::memory_order_relaxed);
  m_lastPumpTick = now;
  m_pumpSkips = 0;
  m_window.BeginMessageStep();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return PumpResult::Quit;
    if (m_window.FilterMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return PumpResult::Idle;
}

void Win32Host::ShowMouseCursor() {
  while (ShowCursor(TRUE) < 0) {
  }
}

void Win32Host::RepaintMainWindow() {
  if (HWND window = m_window.Handle()) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
}

void Win32Host::ReleaseRun() { m_window.Destroy(); }

}  // namespace talven
