#pragma once
// The window functions (FINDWINDOW … POSTMESSAGE) and the window's system variables that
// go beyond the text grid and the input state (%PEEKMESSAGE, %HDC, %FONT, %WINLEFT …,
// %INPUT …, %GETFOCUS).

#include <string_view>

namespace talven {

class Engine;

bool CallWindowFunction(Engine& engine, std::string_view name);
bool ReadWindowVariable(Engine& engine, std::string_view name);

}  // namespace talven
