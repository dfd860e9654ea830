#pragma once
// The handlers of the family "graphics".

#include <string_view>

namespace talven {

class Engine;

// statements_shapes.cpp
void StmtUsePen(Engine& engine);
void StmtUseBrush(Engine& engine);
void StmtSetPixel(Engine& engine);
void StmtFill(Engine& engine);
void StmtMoveTo(Engine& engine);
void StmtLineTo(Engine& engine);
void StmtLine(Engine& engine);
void StmtRectangle(Engine& engine);
void StmtEllipse(Engine& engine);
void StmtRoundRect(Engine& engine);
void StmtArc(Engine& engine);
void StmtChord(Engine& engine);
void StmtPie(Engine& engine);
void FnGetPixel(Engine& engine, std::string_view name);
void FnCreateFont(Engine& engine, std::string_view name);

// statements_bitmaps.cpp
void StmtLoadBmp(Engine& engine);
void StmtLoadSizedBmp(Engine& engine);
void StmtDrawExtBmp(Engine& engine);
void StmtDrawSizedExtBmp(Engine& engine);
void StmtCopyBmp(Engine& engine);
void StmtCopySizedBmp(Engine& engine);
void StmtMCls(Engine& engine);
void StmtMLoadBmp(Engine& engine);
void StmtMCopyBmp(Engine& engine);
void StmtMCopySizedBmp(Engine& engine);
void StmtCopyBmpToMem(Engine& engine);
void StmtSaveBmp(Engine& engine);
void StmtSaveBmpToClip(Engine& engine);
void StmtClipLoadBmp(Engine& engine);
void StmtDrawIcon(Engine& engine);
void StmtDrawSysIcon(Engine& engine);
void StmtDrawExtIcon(Engine& engine);
void StmtDrawLibIcon(Engine& engine);
void FnIconCount(Engine& engine, std::string_view name);
void ReadBmpWidth(Engine& engine, std::string_view name);
void ReadBmpHeight(Engine& engine, std::string_view name);
void ReadBmpColour(Engine& engine, std::string_view name);

}  // namespace talven
