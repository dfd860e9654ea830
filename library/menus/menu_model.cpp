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

std::string MenuItemLabel(std::string_view text) {
  std::string label;
  for (size_t i = 0; i < text.size() && text[i] != '\t'; ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        label += '&';
        ++i;
      }
      continue;
    }
    label += text[i];
  }
  return label;
}

std::vector<std::string> SplitMenuPath(std::string_view path) {
  std::vector<std::string> labels;
  size_t at = 0;
  for (;;) {
    const size_t end = path.find('>', at);
    labels.emplace_back(path.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return labels;
}

}  // namespace talven
