// The Win32 side of the family "dde": a hidden window of the family's own is the client of
// the conversation; the servers' acknowledgements and terminates arrive at its window
// procedure, which only records them (nothing in it may throw).

#include <windows.h>
#include <dde.h>

#include <cstring>
#include <memory>

#include "library/dde/dde_platform.h"
#include "library/families.h"
#include "library/dde/win32/dde_win32.h"
#include "library/win32/win32_host.h"

namespace talven {

namespace {

constexpr char kClientClass[] = "TalvenDdeClient";
// How long the initiate broadcast waits for each window (a hung one is passed over).
constexpr UINT kBroadcastWait = 2000;

class Win32Dde;

LRESULT CALLBACK ClientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class Win32Dde : public DdePlatform {
 public:
  ~Win32Dde() override {
    Terminate();
    if (m_window != nullptr) DestroyWindow(m_window);
  }

  intptr_t Link(const std::string& application, const std::string& topic) override {
    HWND client = Client();
    if (client == nullptr) return Partner();
    const ATOM applicationAtom = application.empty() ? 0 : GlobalAddAtomA(application.c_str());
    const ATOM topicAtom = topic.empty() ? 0 : GlobalAddAtomA(topic.c_str());
    m_initiating = true;
    m_candidate = nullptr;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(client),
                        MAKELPARAM(applicationAtom, topicAtom), SMTO_ABORTIFHUNG, kBroadcastWait, &ignored);
    m_initiating = false;
    if (applicationAtom != 0) GlobalDeleteAtom(applicationAtom);
    if (topicAtom != 0) GlobalDeleteAtom(topicAtom);
    if (m_candidate != nullptr) Replace(m_candidate);
    return Partner();
  }

  DdePost Execute(const std::string& command) override {
    if (m_partner == nullptr || !IsWindow(m_partner)) return DdePost::NoPartner;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, command.size() + 1);
    if (block == nullptr) return DdePost::Failed;
    if (char* chars = static_cast<char*>(GlobalLock(block))) {
      std::memcpy(chars, command.c_str(), command.size() + 1);
      GlobalUnlock(block);
    }
    m_acknowledged = false;
    if (!PostMessageA(m_partner, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(m_window),
                      PackDDElParam(WM_DDE_EXECUTE, 0, reinterpret_cast<UINT_PTR>(block)))) {
      GlobalFree(block);
      return DdePost::Failed;
    }
    return DdePost::Posted;
  }

  bool Acknowledged() override { return m_acknowledged; }
  bool PartnerGone() override { return m_partner == nullptr || !IsWindow(m_partner); }
  void WaitForMessage(uint32_t milliseconds) override {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
  }
  uint32_t Milliseconds() override { return GetTickCount(); }
  void Terminate() override {
    if (m_partner != nullptr && IsWindow(m_partner)) {
      PostMessageA(m_partner, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(m_window), 0);
    }
    m_partner = nullptr;
  }
  intptr_t Partner() override { return reinterpret_cast<intptr_t>(m_partner); }

  // The window procedure's part.
  LRESULT Receive(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND server = reinterpret_cast<HWND>(wParam);
    if (message == WM_DDE_ACK) {
      if (m_initiating) {
        // The answer to the initiate carries the server's atoms, which are the client's to
        // delete. Only the first answer is kept; every other conversation ends at once.
        if (LOWORD(lParam) != 0) GlobalDeleteAtom(LOWORD(lParam));
        if (HIWORD(lParam) != 0) GlobalDeleteAtom(HIWORD(lParam));
        if (m_candidate == nullptr) {
          m_candidate = server;
        } else if (server != m_candidate) {
          PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(m_window), 0);
        }
        return 0;
      }
      UINT_PTR status = 0;
      UINT_PTR commands = 0;
      if (UnpackDDElParam(WM_DDE_ACK, lParam, &status, &commands)) {
        FreeDDElParam(WM_DDE_ACK, lParam);
        // A refused command's block stays the client's to free.
        if ((status & 0x8000) == 0 && commands != 0) GlobalFree(reinterpret_cast<HGLOBAL>(commands));
      }
      // The window that acknowledges is the partner from now on.
      if (server != m_partner) Replace(server);
      m_acknowledged = true;
      return 0;
    }
    if (message == WM_DDE_TERMINATE) {
      if (server == m_partner) {
        PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(m_window), 0);
        m_partner = nullptr;
      }
      return 0;
    }
    return DefWindowProcA(m_window, message, wParam, lParam);
  }

 private:
  void Replace(HWND partner) {
    if (m_partner != nullptr && m_partner != partner && IsWindow(m_partner)) {
      PostMessageA(m_partner, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(m_window), 0);
    }
    m_partner = partner;
  }

  // A hidden top-level window: the initiate is broadcast to top-level windows, and servers
  // answer the window named in it.
  HWND Client() {
    if (m_window != nullptr) return m_window;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ClientProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClientClass;
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, kClientClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (m_window != nullptr) SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_window;
  }

  HWND m_window = nullptr;
  HWND m_partner = nullptr;
  HWND m_candidate = nullptr;
  bool m_initiating = false;
  bool m_acknowledged = false;
};

LRESULT CALLBACK ClientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* dde = reinterpret_cast<Win32Dde*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (dde == nullptr || (message != WM_DDE_ACK && message != WM_DDE_TERMINATE)) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return dde->Receive(message, wParam, lParam);
}

}  // namespace

std::unique_ptr<FamilyPlatform> MakeWin32Dde() { return std::make_unique<Win32Dde>(); }

void InstallDdeWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Dde), MakeWin32Dde());
}

}  // namespace talven
