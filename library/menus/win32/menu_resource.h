#pragma once
// Loading a menu resource. An empty template (the bar "LEER": the header and no item) is
// made as an empty menu: Wine's loader reads one item past the end of such a template and
// shows garbage items.

#include <windows.h>

namespace talven {

inline HMENU LoadMenuResource(HINSTANCE module, LPCSTR name) {
  constexpr DWORD kHeaderOnly = 4;
  HRSRC found = FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_MENU));
  if (found == nullptr) return nullptr;
  if (SizeofResource(module, found) <= kHeaderOnly) return CreateMenu();
  return LoadMenuA(module, name);
}

}  // namespace talven
