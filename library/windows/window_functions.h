#pragma once
// The window family's functions and system variables: the text grid and the input state
// (input_functions.cpp), other windows by handle, fonts and messages (window_functions.cpp).

#include <string_view>

namespace talven {

class Engine;

// input_functions.cpp
void FnScrn(Engine& engine, std::string_view name);
void FnTab(Engine& engine, std::string_view name);
void FnInkey(Engine& engine, std::string_view name);
void FnGetKey(Engine& engine, std::string_view name);
void FnScanKey(Engine& engine, std::string_view name);
void FnKeyIn(Engine& engine, std::string_view name);
void FnMouse(Engine& engine, std::string_view name);
void FnTMouse(Engine& engine, std::string_view name);
void FnMenuItem(Engine& engine, std::string_view name);
void ReadCursorRow(Engine& engine, std::string_view name);
void ReadCursorColumn(Engine& engine, std::string_view name);
void ReadKey(Engine& engine, std::string_view name);
void ReadScanKey(Engine& engine, std::string_view name);
void ReadMouseX(Engine& engine, std::string_view name);
void ReadMouseY(Engine& engine, std::string_view name);
void ReadMouseButtons(Engine& engine, std::string_view name);
void ReadMenuItem(Engine& engine, std::string_view name);
void ReadInputFlag(Engine& engine, std::string_view name);
void ReadMessage(Engine& engine, std::string_view name);
void ReadMessageWindow(Engine& engine, std::string_view name);
void ReadWParam(Engine& engine, std::string_view name);
void ReadLParam(Engine& engine, std::string_view name);
void ReadLastMessage(Engine& engine, std::string_view name);
void ReadScreenSize(Engine& engine, std::string_view name);
void ReadWindowHandle(Engine& engine, std::string_view name);

// window_functions.cpp
void FnFindWindow(Engine& engine, std::string_view name);
void FnGetActiveWindow(Engine& engine, std::string_view name);
void FnSetActiveWindow(Engine& engine, std::string_view name);
void FnShowWindow(Engine& engine, std::string_view name);
void FnSetFocus(Engine& engine, std::string_view name);
void FnGetFocus(Engine& engine, std::string_view name);
void FnDestroyWindow(Engine& engine, std::string_view name);
void FnClientSize(Engine& engine, std::string_view name);
void FnGetStyle(Engine& engine, std::string_view name);
void FnSendMessage(Engine& engine, std::string_view name);
void FnPostMessage(Engine& engine, std::string_view name);
void ReadPeekMessage(Engine& engine, std::string_view name);
void ReadDeviceContext(Engine& engine, std::string_view name);
void ReadFont(Engine& engine, std::string_view name);
void ReadWindowEdge(Engine& engine, std::string_view name);
void ReadInputInteger(Engine& engine, std::string_view name);
void ReadInputLong(Engine& engine, std::string_view name);
void ReadInputFloat(Engine& engine, std::string_view name);
void ReadInputString(Engine& engine, std::string_view name);
void ReadGetFocus(Engine& engine, std::string_view name);

}  // namespace talven
