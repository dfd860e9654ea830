// The Win32 platforms of files, registry, clipboard, DDE and serial ports on the real system
// (the Windows build of the unit tests, run under Wine).

#include <windows.h>
#include <dde.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "library/clipboard/clipboard_platform.h"
#include "library/clipboard/win32/clipboard_win32.h"
#include "library/dde/dde_platform.h"
#include "library/dde/win32/dde_win32.h"
#include "library/files/files_platform.h"
#include "library/files/win32/files_win32.h"
#include "library/registry/registry_platform.h"
#include "library/registry/win32/registry_win32.h"
#include "library/serial/serial_platform.h"
#include "library/serial/win32/serial_win32.h"
#include "library/system/win32/win32_system.h"

namespace talven {
namespace {

template <typename Platform, typename Make>
std::unique_ptr<Platform> Made(Make make) {
  return std::unique_ptr<Platform>(static_cast<Platform*>(make().release()));
}

const char kSubkey[] = "Software\\Talven\\UnitTest";

TEST(Win32Registry, WritesReadsAndNamesWhatFailed) {
  auto registry = Made<RegistryPlatform>(MakeWin32Registry);
  RegDeleteKeyA(HKEY_CURRENT_USER, kSubkey);
  ASSERT_EQ(registry->WriteValue(1, kSubkey, "Wert", "Gr\xFC\xDF" "e \xE4\xF6\xFC"), RegistryStatus::Done);
  // Read by the system's own call: a text value with its zero.
  char stored[64] = {};
  DWORD size = sizeof(stored);
  DWORD type = 0;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, kSubkey, "Wert", RRF_RT_ANY, &type, stored, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(stored, "Gr\xFC\xDF" "e \xE4\xF6\xFC");
  EXPECT_EQ(registry->ReadValue(1, kSubkey, "Wert").text, "Gr\xFC\xDF" "e \xE4\xF6\xFC");

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSubkey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  const DWORD number = 4000000000u;
  RegSetValueExA(key, "Zahl", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  const BYTE binary[3] = {1, 0, 2};
  RegSetValueExA(key, "Bytes", 0, REG_BINARY, binary, sizeof(binary));
  const std::string big(65536, 'g');
  RegSetValueExA(key, "Gross", 0, REG_SZ, reinterpret_cast<const BYTE*>(big.c_str()), static_cast<DWORD>(big.size() + 1));
  // A text stored without its terminating zero ends at its size.
  RegSetValueExA(key, "Offen", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
  RegCloseKey(key);

  EXPECT_EQ(registry->ReadValue(1, kSubkey, "Zahl").text, "4000000000");
  EXPECT_EQ(registry->ReadValue(1, kSubkey, "Bytes").status, RegistryStatus::NotText);
  EXPECT_EQ(registry->ReadValue(1, kSubkey, "Gross").text, std::string(255, 'g'));
  EXPECT_EQ(registry->ReadValue(1, kSubkey, "Offen").text, "abc");
  EXPECT_EQ(registry->ReadValue(1, kSubkey, "Fehlt").status, RegistryStatus::Missing);
  EXPECT_EQ(registry->ReadValue(1, "Software\\Talven\\Nirgends", "x").status, RegistryStatus::OpenFailed);
  // Read access is enough under the local machine; the performance data never loops.
  EXPECT_EQ(registry->ReadValue(2, "Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName").status,
            RegistryStatus::Done);
  registry->ReadValue(4, "", "Global");
  RegDeleteKeyA(HKEY_CURRENT_USER, kSubkey);
}

TEST(Win32Registry, ProfilesOfBareNamesLiveInTheWindowsFolder) {
  auto registry = Made<RegistryPlatform>(MakeWin32Registry);
  ASSERT_TRUE(registry->WriteProfile("talven_unit.ini", "Abschnitt", "Name", "M\xFCller"));
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string path = std::string(windows) + "\\talven_unit.ini";
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(registry->ReadProfile("talven_unit.ini", "abschnitt", "name"), "M\xFCller");
  // Empty names are empty texts, not null pointers: nothing is deleted.
  EXPECT_TRUE(registry->WriteProfile("talven_unit.ini", "Abschnitt", "", "x"));
  EXPECT_EQ(registry->ReadProfile("talven_unit.ini", "Abschnitt", "Name"), "M\xFCller");
  CreateDirectoryA("talven_ordner.ini", nullptr);
  EXPECT_FALSE(registry->WriteProfile(".\\talven_ordner.ini", "S", "k", "v"));
  RemoveDirectoryA("talven_ordner.ini");
  DeleteFileA(path.c_str());
}

TEST(Win32Files, SameFileByIdentityAndReplaceOverAnExistingFile) {
  auto files = Made<FilesPlatform>(MakeWin32Files);
  CreateDirectoryA("talven_same", nullptr);
  std::FILE* out = std::fopen("talven_same\\Datei.bin", "wb");
  ASSERT_NE(out, nullptr);
  std::fputs("inhalt", out);
  std::fclose(out);
  EXPECT_TRUE(files->SameFile("talven_same\\Datei.bin", ".\\TALVEN_SAME\\datei.BIN"));
  EXPECT_TRUE(files->SameFile("talven_same\\Datei.bin", "talven_same\\..\\talven_same\\Datei.bin"));
  const std::optional<std::string> shortName = files->ShortName("talven_same\\Datei.bin");
  ASSERT_TRUE(shortName.has_value());
  EXPECT_TRUE(files->SameFile("talven_same\\Datei.bin", *shortName));
  out = std::fopen("talven_same\\neu.bin", "wb");
  std::fputs("neu", out);
  std::fclose(out);
  EXPECT_FALSE(files->SameFile("talven_same\\Datei.bin", "talven_same\\neu.bin"));
  EXPECT_TRUE(files->Replace("talven_same\\neu.bin", "talven_same\\Datei.bin"));
  EXPECT_EQ(files->FileSize("talven_same\\Datei.bin"), 3);
  EXPECT_FALSE(files->Attributes("talven_same\\neu.bin").has_value());
  EXPECT_EQ(files->DiskSize(27), std::nullopt);
  EXPECT_GT(files->DiskSize(0).value_or(0), 0.0);
  DeleteFileA("talven_same\\Datei.bin");
  RemoveDirectoryA("talven_same");
}

TEST(Win32Clipboard, PutEmptiesFirstAndWorksWithoutAWindow) {
  auto clipboard = Made<ClipboardPlatform>(MakeWin32Clipboard);
  // A picture from before must not stay beside the new text.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HDC screen = GetDC(nullptr);
  SetClipboardData(CF_BITMAP, CreateCompatibleBitmap(screen, 4, 4));
  ReleaseDC(nullptr, screen);
  CloseClipboard();
  ASSERT_TRUE(clipboard->PutText(0, std::string(254, 'z')));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
  Win32System system;
  EXPECT_EQ(system.ClipboardText(), std::string(254, 'z'));
  ASSERT_TRUE(clipboard->PutText(0, "Gr\xFC\xDF" "e"));
  // Other programs read it as Unicode text too.
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(unicode, nullptr);
  EXPECT_STREQ(static_cast<const wchar_t*>(GlobalLock(unicode)), L"Gr\u00FC\u00DFe");
  GlobalUnlock(unicode);
  CloseClipboard();
  ASSERT_TRUE(clipboard->Clear(0));
  EXPECT_FALSE(system.ClipboardText().has_value());
}

// A DDE server in this thread: it answers the initiate for its name, logs every command and
// terminate, and acknowledges at once.
std::vector<std::string> g_serverLog;

LRESULT CALLBACK ServerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND client = reinterpret_cast<HWND>(wParam);
  if (message == WM_DDE_INITIATE) {
    char name[64] = {};
    if (LOWORD(lParam) == 0 || (GlobalGetAtomNameA(LOWORD(lParam), name, sizeof(name)) && std::string(name) == "TalvenTest")) {
      SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(GlobalAddAtomA("TalvenTest"), GlobalAddAtomA("System")));
    }
    return 0;
  }
  if (message == WM_DDE_EXECUTE) {
    UINT_PTR unused = 0;
    UINT_PTR commands = 0;
    UnpackDDElParam(WM_DDE_EXECUTE, lParam, &unused, &commands);
    const char* text = static_cast<const char*>(GlobalLock(reinterpret_cast<HGLOBAL>(commands)));
    g_serverLog.push_back(text != nullptr ? text : "");
    GlobalUnlock(reinterpret_cast<HGLOBAL>(commands));
    PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window), PackDDElParam(WM_DDE_ACK, 0x8000, commands));
    return 0;
  }
  if (message == WM_DDE_TERMINATE) {
    g_serverLog.push_back("terminate");
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST(Win32Dde, LinksExecutesAndTerminatesTheFirstServerOnly) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ServerProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TalvenTestServer";
  RegisterClassA(&windowClass);
  HWND first = CreateWindowExA(0, "TalvenTestServer", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  HWND second = CreateWindowExA(0, "TalvenTestServer", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  auto dde = Made<DdePlatform>(MakeWin32Dde);
  g_serverLog.clear();
  EXPECT_EQ(dde->Execute("[ohne]"), DdePost::NoPartner);
  EXPECT_EQ(dde->Link("TalvenNiemand", "System"), 0);
  const intptr_t partner = dde->Link("TalvenTest", "System");
  ASSERT_TRUE(partner == reinterpret_cast<intptr_t>(first) || partner == reinterpret_cast<intptr_t>(second));
  Pump();
  // The other server answered too and was told to end its conversation.
  ASSERT_EQ(g_serverLog, std::vector<std::string>{"terminate"});
  ASSERT_EQ(dde->Execute("[CreateGroup(Gr\xFC\xDF" "e)]"), DdePost::Posted);
  for (int i = 0; i < 100 && !dde->Acknowledged(); ++i) {
    Pump();
    dde->WaitForMessage(10);
  }
  EXPECT_TRUE(dde->Acknowledged());
  dde->Terminate();
  Pump();
  EXPECT_EQ(g_serverLog, (std::vector<std::string>{"terminate", "[CreateGroup(Gr\xFC\xDF" "e)]", "terminate"}));
  EXPECT_EQ(dde->Partner(), 0);
  EXPECT_EQ(dde->Execute("[danach]"), DdePost::NoPartner);
  // Empty names: every server answers; one becomes the partner, the others are ended at
  // once (at least one of these two), and the link's end ends the partner's conversation.
  g_serverLog.clear();
  EXPECT_NE(dde->Link("", ""), 0);
  Pump();
  EXPECT_FALSE(g_serverLog.empty());
  EXPECT_EQ(std::count(g_serverLog.begin(), g_serverLog.end(), "terminate"), static_cast<long>(g_serverLog.size()));
  dde->Terminate();
  Pump();
  EXPECT_EQ(g_serverLog.size(), 2u);
  DestroyWindow(first);
  DestroyWindow(second);
}

TEST(Win32Serial, OpensOnlyCommunicationDevices) {
  auto serial = Made<SerialPlatform>(MakeWin32Serial);
  std::FILE* out = std::fopen("talven_port.txt", "wb");
  std::fclose(out);
  EXPECT_FALSE(serial->Open("talven_port.txt", 1024, 1024).has_value());
  EXPECT_FALSE(serial->Open("COM77", 1024, 1024).has_value());
  DeleteFileA("talven_port.txt");
}

}  // namespace
}  // namespace talven
