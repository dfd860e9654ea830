#pragma once
// Finding a menu item by the texts a user reads, for a test driver that chooses it with the
// mouse: the driver sends the path ("Datei>Zuletzt>eins") to the main window in a
// WM_COPYDATA of the kind kMenuItemQuery; the window answers with the centre of the item on
// the screen, or 0 while that item is not shown (its pull-down not open yet) or there is
// no such item. The pop-up TRACKMENU shows is searched while it is open, else the bar.

#include <windows.h>

#include <string_view>

namespace talven {

inline constexpr ULONG_PTR kMenuItemQuery = 0x544D4E55;  // "TMNU"

// The pop-up TRACKMENU shows, while it is open (nullptr: none).
void SetTrackedMenu(HMENU menu);
// MAKELONG(x, y) of the item's centre on the screen; 0 when it is not there.
LRESULT MenuItemPoint(HWND window, std::string_view path);

}  // namespace talven
