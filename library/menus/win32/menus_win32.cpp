// The Win32 side of the family "menus": the main window's menu bar, pop-up menus shown with
// TrackPopupMenu, menu resources of loaded modules.

#include <windows.h>

#include <memory>
#include <string>

#include "library/menus/menus_platform.h"
#include "library/menus/win32/menu_lookup.h"
#include "library/menus/win32/menu_resource.h"
#include "library/families.h"
#include "library/menus/win32/menus_win32.h"
#include "library/win32/win32_host.h"

namespace talven {

namespace {

HWND AsWindow(intptr_t handle) { return reinterpret_cast<HWND>(handle); }
HMENU AsMenu(intptr_t handle) { return reinterpret_cast<HMENU>(handle); }
intptr_t AsHandle(HMENU menu) { return reinterpret_cast<intptr_t>(menu); }

class Win32Menus final : public MenusPlatform {
 public:
  intptr_t MenuBar(intptr_t window) override {
    HWND target = AsWindow(window);
    if (target == nullptr) return 0;
    HMENU bar = GetMenu(target);
    if (bar == nullptr) {
      bar = CreateMenu();
      if (bar != nullptr && !SetMenu(target, bar)) {
        DestroyMenu(bar);
        bar = nullptr;
      }
    }
    return AsHandle(bar);
  }

  intptr_t NewMenu() override { return AsHandle(CreatePopupMenu()); }

  bool AppendItem(intptr_t menu, int32_t id, std::string_view text) override {
    if (menu == 0) return false;
    return AppendMenuA(AsMenu(menu), MF_STRING, static_cast<UINT_PTR>(static_cast<uint32_t>(id) & 0xFFFF),
                       std::string(text).c_str()) != FALSE;
  }

  bool AppendSeparator(intptr_t menu) override {
    return menu != 0 && AppendMenuA(AsMenu(menu), MF_SEPARATOR, 0, nullptr) != FALSE;
  }

  bool AppendSubMenu(intptr_t menu, intptr_t subMenu, std::string_view text) override {
    if (menu == 0 || subMenu == 0) return false;
    return AppendMenuA(AsMenu(menu), MF_STRING | MF_POPUP, static_cast<UINT_PTR>(subMenu),
                       std::string(text).c_str()) != FALSE;
  }

  bool InsertItem(intptr_t menu, int32_t before, int32_t id, std::string_view text) override {
    return InsertMenuA(AsMenu(menu), static_cast<UINT>(before), MF_BYCOMMAND | MF_STRING,
                       static_cast<UINT_PTR>(static_cast<uint32_t>(id) & 0xFFFF),
                       std::string(text).c_str()) != FALSE;
  }

  void CheckItem(intptr_t menu, int32_t id, bool checked) override {
    CheckMenuItem(AsMenu(menu), static_cast<UINT>(id),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }

  void EnableItem(intptr_t menu, int32_t id, uint32_t state) override {
    EnableMenuItem(AsMenu(menu), static_cast<UINT>(id), MF_BYCOMMAND | (state & 3u));
  }

  void RemoveItem(intptr_t menu, int32_t id) override {
    RemoveMenu(AsMenu(menu), static_cast<UINT>(id), MF_BYCOMMAND);
  }

  void Redraw(intptr_t window) override {
    if (window != 0) DrawMenuBar(AsWindow(window));
  }

  intptr_t CurrentBar(intptr_t window) override {
    return window != 0 ? AsHandle(GetMenu(AsWindow(window))) : 0;
  }

  void Track(intptr_t menu, intptr_t window, int32_t x, int32_t y) override {
    HWND owner = AsWindow(window);
    POINT point = {x, y};
    ClientToScreen(owner, &point);
    // The menu closes properly only for the foreground window; the posted null message lets
    // a second pop-up open right after.
    SetForegroundWindow(owner);
    SetTrackedMenu(AsMenu(menu));
    TrackPopupMenu(AsMenu(menu), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, point.x,
                   point.y, 0, owner, nullptr);
    SetTrackedMenu(nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(AsMenu(menu));
  }

  bool UseResourceMenu(intptr_t window, intptr_t module, std::string_view name, bool byNumber,
                       int32_t number) override {
    HINSTANCE instance =
        module != 0 ? reinterpret_cast<HINSTANCE>(module) : GetModuleHandleA(nullptr);
    const std::string nameZ(name);
    HMENU menu =
        LoadMenuResource(instance, byNumber ? MAKEINTRESOURCEA(number & 0xFFFF) : nameZ.c_str());
    if (menu == nullptr) return false;
    if (!SetMenu(AsWindow(window), menu)) {
      DestroyMenu(menu);
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<MenusPlatform> MakeWin32Menus() { return std::make_unique<Win32Menus>(); }

void InstallMenusWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Menus), MakeWin32Menus());
}

}  // namespace talven
