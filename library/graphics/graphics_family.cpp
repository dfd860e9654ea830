// The family "graphics": drawing with pens and brushes, icons, bitmaps and the memory
// bitmap, saving areas as BMP files and on the clipboard.

#include "library/families.h"
#include "library/graphics/graphics_state.h"
#include "library/graphics/statements.h"

namespace talven {

namespace {

constexpr StatementRow kStatements[] = {
    {"SAVEBMP", StmtSaveBmp},
    {"LOADSIZEDBMP", StmtLoadSizedBmp},
    {"MLOADBMP", StmtMLoadBmp},
    {"LOADBMP", StmtLoadBmp},
    {"MCOPYBMP", StmtMCopyBmp},
    {"COPYBMP", StmtCopyBmp},
    {"COPYSIZEDBMP", StmtCopySizedBmp},
    // The script interpreter's older name of COPYBMP (the other programs withhold it).
    {"COPYDBMP", StmtCopyBmp},
    {"USEBRUSH", StmtUseBrush},
    {"USEPEN", StmtUsePen},
    {"SETPIXEL", StmtSetPixel},
    {"FILL", StmtFill},
    {"LINE", StmtLine},
    {"LINETO", StmtLineTo},
    {"MOVETO", StmtMoveTo},
    {"RECTANGLE", StmtRectangle},
    {"ROUNDRECT", StmtRoundRect},
    {"PIE", StmtPie},
    {"ARC", StmtArc},
    {"CHORD", StmtChord},
    {"ELLIPSE", StmtEllipse},
    {"DRAWICON", StmtDrawIcon},
    {"DRAWSYSICON", StmtDrawSysIcon},
    {"DRAWEXTICON", StmtDrawExtIcon},
    {"DRAWLIBICON", StmtDrawLibIcon},
    {"DRAWPROGICON", StmtDrawLibIcon},
    {"DRAWEXTBMP", StmtDrawExtBmp},
    {"DRAWSIZEDEXTBMP", StmtDrawSizedExtBmp},
    {"MCOPYSIZEDBMP", StmtMCopySizedBmp},
    {"MCLS", StmtMCls},
    {"COPYBMPTOMEM", StmtCopyBmpToMem},
    {"SAVEBMPTOCLIP", StmtSaveBmpToClip},
    {"CLIPLOADBMP", StmtClipLoadBmp},
};

constexpr FunctionRow kFunctions[] = {
    {"ICONCOUNT", FnIconCount},
    {"GETPIXEL", FnGetPixel},
    {"CREATEFONT", FnCreateFont},
};

constexpr VariableRow kVariables[] = {
    {"%BMPX", ReadBmpWidth},
    {"%BMPY", ReadBmpHeight},
    {"&BMPCOL", ReadBmpColour},
};

}  // namespace

const Family& GraphicsFamily() {
  static const Family kFamily{
      .name = "graphics",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = kVariables,
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<GraphicsState>(); },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<RecordingGraphics>(); },
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
