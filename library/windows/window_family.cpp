// The family "window": the output window and its text grid, colours and fonts, the waits
// for input, the window's own handles and messages, and the values of the input state.

#include "engine/engine.h"
#include "library/families.h"
#include "library/windows/null_window.h"
#include "library/windows/statements.h"
#include "library/windows/window_functions.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

constexpr StatementRow kStatements[] = {
    {"REPAINT", StmtRepaint},
    {"PRINT", StmtPrint},
    {"DRAWTEXT", StmtDrawText},
    {"CHARSET", StmtCharset},
    {"USEICON", StmtUseIcon},
    {"WINDOWSTYLE", StmtWindowStyle},
    {"SHOWCURSOR", StmtShowCursor},
    {"USECURSOR", StmtUseCursor},
    {"WINDOWTITLE", StmtWindowTitle},
    {"LOCATE", StmtLocate},
    {"WAITSCAN", StmtWaitScan},
    {"WAITKEY", StmtWaitKey},
    {"WAITMOUSE", StmtWaitMouse},
    {"WAITINPUT", StmtWaitInput},
    {"INPUT", StmtInput},
    {"TBOX", StmtTBox},
    {"WINDOW", StmtWindow},
    {"TEXTCOLOR", StmtTextColor},
    {"USEFONT", StmtUseFont},
    {"CLS", StmtCls},
    {"SHOWMAX", StmtShowMax},
    {"SHOWMIN", StmtShowMin},
    {"SHOWNORMAL", StmtShowNormal},
    {"COLOR", StmtColor},
    {"FONT", StmtFont},
    {"ORIENTATION", StmtOrientation},
    {"SETWINDOWPOS", StmtSetWindowPos},
    {"ENABLEWINDOW", StmtEnableWindow},
    {"STARTPAINT", StmtStartPaint},
    {"ENDPAINT", StmtEndPaint},
    {"SETAUTOPAINT", StmtSetAutoPaint},
    {"SETTIMER", StmtSetTimer},
    {"KILLTIMER", StmtKillTimer},
    {"USEEXTCURSOR", StmtUseExtCursor},
    {"GETMESSAGE", StmtGetMessage},
    {"SCREEN", StmtScreen},
    {"DELETEOBJECT", StmtDeleteObject},
    {"SETFONT", StmtSetFont},
    {"SETSTYLE", StmtSetStyle},
};

constexpr FunctionRow kFunctions[] = {
    {"SCRN", FnScrn},
    {"TAB", FnTab},
    {"INKEY$", FnInkey},
    {"GETKEY$", FnGetKey},
    {"SCANKEY", FnScanKey},
    {"KEYIN", FnKeyIn},
    {"MOUSE", FnMouse},
    {"TMOUSE", FnTMouse},
    {"MENUITEM", FnMenuItem},
    {"FINDWINDOW", FnFindWindow},
    {"GETACTIVEWINDOW", FnGetActiveWindow},
    {"SETACTIVEWINDOW", FnSetActiveWindow},
    {"SHOWWINDOW", FnShowWindow},
    {"SETFOCUS", FnSetFocus},
    {"GETFOCUS", FnGetFocus},
    {"DESTROYWINDOW", FnDestroyWindow},
    {"WIDTH", FnClientSize},
    {"HEIGHT", FnClientSize},
    {"GETSTYLE", FnGetStyle},
    {"SENDMESSAGE", FnSendMessage},
    {"POSTMESSAGE", FnPostMessage},
};

constexpr VariableRow kVariables[] = {
    {"%CSRLIN", ReadCursorRow},
    {"%POS", ReadCursorColumn},
    {"%KEY", ReadKey},
    {"%SCANKEY", ReadScanKey},
    {"%MOUSEX", ReadMouseX},
    {"%MOUSEY", ReadMouseY},
    {"%MOUSEKEY", ReadMouseButtons},
    {"%MOUSEPRESSED", ReadMouseButtons},
    {"%MENUITEM", ReadMenuItem},
    {"%GETINPUTSTATE", ReadInputFlag},
    {"%WMPAINT", ReadInputFlag},
    {"%WMTIMER", ReadInputFlag},
    {"%MESSAGE", ReadMessage},
    {"%MWND", ReadMessageWindow},
    {"&WPARAM", ReadWParam},
    {"&LPARAM", ReadLParam},
    {"%LASTMESSAGE", ReadLastMessage},
    {"%MAXX", ReadScreenSize},
    {"%MAXY", ReadScreenSize},
    {"%HWND", ReadWindowHandle},
    {"%PEEKMESSAGE", ReadPeekMessage},
    {"%HDC", ReadDeviceContext},
    {"%HDC2", ReadDeviceContext},
    {"%FONT", ReadFont},
    {"%WINLEFT", ReadWindowEdge},
    {"%WINTOP", ReadWindowEdge},
    {"%WINRIGHT", ReadWindowEdge},
    {"%WINBOTTOM", ReadWindowEdge},
    {"%INPUT", ReadInputInteger},
    {"&INPUT", ReadInputLong},
    {"!INPUT", ReadInputFloat},
    {"$INPUT", ReadInputString},
    {"%GETFOCUS", ReadGetFocus},
};

// The window's title starts as the program's banner.
std::unique_ptr<FamilyState> MakeState(Engine& engine) {
  auto state = std::make_unique<WindowState>();
  state->setup.title = std::string(engine.profile.banner);
  return state;
}

}  // namespace

const Family& WindowFamily() {
  static const Family kFamily{
      .name = "window",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = kVariables,
      .makeState = MakeState,
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<NullWindow>(); },
      .arguments = ArgumentStyle::ParameterText,
  };
  return kFamily;
}

}  // namespace talven
