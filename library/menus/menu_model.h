#pragma once
// The menus a program builds, as the statements see them: the current menu, the stack of
// menus open SUBPOPUPs left behind (11 levels at most), and whether the current menu is a
// pop-up that TRACKMENU has destroyed. Portable; the menus themselves are the platform's.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/family.h"

namespace talven {

class MenuStack {
 public:
  static constexpr size_t kMaxDepth = 11;

  // Pushes the current menu; false (and nothing pushed) when 11 are open.
  bool Push(intptr_t menu);
  // Pops the parent menu; false when no SUBPOPUP is open.
  bool Pop(intptr_t& menu);
  size_t Depth() const { return m_menus.size(); }
  void Clear() { m_menus.clear(); }

 private:
  std::vector<intptr_t> m_menus;
};

class Engine;

struct MenusState : FamilyState {
  // The information entry chosen (menu item 255): the system-modal box with the banner,
  // then the item reads 254.
  void AtLabel(Engine& engine) override;

  intptr_t current = 0;  // the menu APPENDMENU and SEPARATOR add to; 0: none
  MenuStack stack;
  // Mended: TRACKMENU destroys its pop-up; neither it nor the sub-menus opened in it stay
  // current, so later menu statements fail with 226 instead of using a dead menu.
  void Forget() {
    current = 0;
    stack.Clear();
  }
};

// An item's text as the user reads it: "&" marks are dropped ("&&" is one "&"), a tab and
// what follows it (the shortcut column) are left out.
std::string MenuItemLabel(std::string_view text);
// "Datei>Zuletzt>eins": the labels from the bar (or pop-up) down to the item.
std::vector<std::string> SplitMenuPath(std::string_view path);

// The menu item a chosen command leaves (32767, the information entry, reads 255).
inline constexpr int32_t kInformationItem = 32767;
inline constexpr int32_t kInformationSeen = 254;

}  // namespace talven
