#include "library/menus/win32/menu_lookup.h"

#include <string>
#include <vector>

#include "library/menus/menu_model.h"

namespace talven {

namespace {

HMENU g_trackedMenu = nullptr;

// The position of the item labelled `label` in `menu`, or -1.
int FindByLabel(HMENU menu, const std::string& label) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    char text[256] = {};
    if (GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof(text), MF_BYPOSITION) <= 0) {
      continue;
    }
    if (MenuItemLabel(text) == label) return position;
  }
  return -1;
}

}  // namespace

void SetTrackedMenu(HMENU menu) { g_trackedMenu = menu; }

LRESULT MenuItemPoint(HWND window, std::string_view path) {
  HMENU menu = g_trackedMenu != nullptr ? g_trackedMenu : GetMenu(window);
  const bool bar = g_trackedMenu == nullptr;
  if (menu == nullptr) return 0;
  const std::vector<std::string> labels = SplitMenuPath(path);
  for (size_t level = 0; level < labels.size(); ++level) {
    const int position = FindByLabel(menu, labels[level]);
    if (position < 0) return 0;
    if (level + 1 < labels.size()) {
      menu = GetSubMenu(menu, position);
      if (menu == nullptr) return 0;
      continue;
    }
    // The bar's items lie in the window's frame; a pull-down's in its own window, which
    // exists only while it is open.
    RECT rect = {};
    if (!GetMenuItemRect(bar && level == 0 ? window : nullptr, menu, static_cast<UINT>(position), &rect)) {
      return 0;
    }
    if (rect.right <= rect.left || rect.bottom <= rect.top) return 0;
    return MAKELONG((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }
  return 0;
}

}  // namespace talven
