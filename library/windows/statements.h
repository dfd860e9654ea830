#pragma once
// Statement handlers of the output window, named in the engine's keyword table.

namespace talven {

class Engine;

// statements_window.cpp
void StmtWindow(Engine& engine);
void StmtWindowTitle(Engine& engine);
void StmtWindowStyle(Engine& engine);
void StmtShowMax(Engine& engine);
void StmtShowMin(Engine& engine);
void StmtShowNormal(Engine& engine);
void StmtCls(Engine& engine);
void StmtPrint(Engine& engine);
void StmtLocate(Engine& engine);
void StmtColor(Engine& engine);
void StmtFont(Engine& engine);
void StmtRepaint(Engine& engine);
void StmtSetAutoPaint(Engine& engine);
void StmtSetTimer(Engine& engine);
void StmtKillTimer(Engine& engine);
void StmtUseCursor(Engine& engine);

// statements_text.cpp
void StmtTBox(Engine& engine);
void StmtTextColor(Engine& engine);
void StmtOrientation(Engine& engine);
void StmtCharset(Engine& engine);
void StmtStartPaint(Engine& engine);
void StmtEndPaint(Engine& engine);
void StmtShowCursor(Engine& engine);

// statements_handles.cpp
void StmtUseFont(Engine& engine);
void StmtDrawText(Engine& engine);
void StmtSetFont(Engine& engine);
void StmtScreen(Engine& engine);
void StmtGetMessage(Engine& engine);
void StmtUseIcon(Engine& engine);
void StmtUseExtCursor(Engine& engine);
void StmtSetWindowPos(Engine& engine);
void StmtEnableWindow(Engine& engine);
void StmtSetStyle(Engine& engine);
void StmtDeleteObject(Engine& engine);

// statements_input.cpp
void StmtWaitKey(Engine& engine);
void StmtWaitScan(Engine& engine);
void StmtWaitMouse(Engine& engine);
void StmtWaitInput(Engine& engine);
void StmtInput(Engine& engine);

}  // namespace talven
