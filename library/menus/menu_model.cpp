#include "library/menus/menu_model.h"

namespace talven {

bool MenuStack::Push(intptr_t menu) {
  if (m_menus.size() >= kMaxDepth) return false;
  m_menus.push_back(menu);
  return true;
}

bool MenuStack::Pop(intptr_t& menu) {
  if (m_menus.empty()) return false;
  menu = m_menus.back();
  m_menus.pop_back();
  return true;
}

}  // namespace talven
