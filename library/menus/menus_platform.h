#pragma once
// What the menu statements need from the platform: menus made, filled and shown on the
// main window. win32/ uses the real menus; the null platform keeps a count of handles and
// refuses nothing, so the statements' own rules are tested without a window.

#include <cstdint>
#include <string_view>

#include "engine/family.h"

namespace talven {

class MenusPlatform : public FamilyPlatform {
 public:
  // The window's menu bar, made and attached when it has none; 0 when none can be made.
  virtual intptr_t MenuBar(intptr_t window) = 0;
  virtual intptr_t NewMenu() = 0;
  // Appends an item (`id`), a separator (text ignored) or a sub-menu; false on failure.
  virtual bool AppendItem(intptr_t menu, int32_t id, std::string_view text) = 0;
  virtual bool AppendSeparator(intptr_t menu) = 0;
  virtual bool AppendSubMenu(intptr_t menu, intptr_t subMenu, std::string_view text) = 0;
  virtual bool InsertItem(intptr_t menu, int32_t before, int32_t id, std::string_view text) = 0;
  virtual void CheckItem(intptr_t menu, int32_t id, bool checked) = 0;
  virtual void EnableItem(intptr_t menu, int32_t id, uint32_t state) = 0;
  virtual void RemoveItem(intptr_t menu, int32_t id) = 0;
  virtual void Redraw(intptr_t window) = 0;
  // The window's bar as it is now (0: none).
  virtual intptr_t CurrentBar(intptr_t window) = 0;
  // Shows the pop-up at the client point, waits for a choice or dismissal, destroys it; the
  // choice arrives as a command message of the window.
  virtual void Track(intptr_t menu, intptr_t window, int32_t x, int32_t y) = 0;
  // A menu resource of a module by name or number as the window's bar; false when none.
  virtual bool UseResourceMenu(intptr_t window, intptr_t module, std::string_view name,
                               bool byNumber, int32_t number) = 0;
};

class NullMenus : public MenusPlatform {
 public:
  intptr_t MenuBar(intptr_t window) override { return window != 0 ? 0x1000 : 0; }
  intptr_t NewMenu() override { return ++m_next; }
  bool AppendItem(intptr_t menu, int32_t, std::string_view) override { return menu != 0; }
  bool AppendSeparator(intptr_t menu) override { return menu != 0; }
  bool AppendSubMenu(intptr_t menu, intptr_t sub, std::string_view) override {
    return menu != 0 && sub != 0;
  }
  bool InsertItem(intptr_t menu, int32_t, int32_t, std::string_view) override { return menu != 0; }
  void CheckItem(intptr_t, int32_t, bool) override {}
  void EnableItem(intptr_t, int32_t, uint32_t) override {}
  void RemoveItem(intptr_t, int32_t) override {}
  void Redraw(intptr_t) override {}
  intptr_t CurrentBar(intptr_t window) override { return window != 0 ? 0x1000 : 0; }
  void Track(intptr_t, intptr_t, int32_t, int32_t) override {}
  bool UseResourceMenu(intptr_t, intptr_t, std::string_view name, bool, int32_t) override {
    return name == "LEER";
  }

 private:
  intptr_t m_next = 0x2000;
};

}  // namespace talven
