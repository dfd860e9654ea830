// Pens, brushes and shapes: USEPEN, USEBRUSH, SETPIXEL, FILL, MOVETO, LINETO, LINE,
// RECTANGLE, ELLIPSE, ROUNDRECT, ARC, CHORD, PIE; the functions @GETPIXEL and @CREATEFONT;
// and what the handler files share. Argument shapes are read as WINDOW reads its "-":
// "x1, y1 - x2, y2", then "; w, h" or "; x3, y3 ; x4, y4".

#include <algorithm>
#include <cstdio>
#include <limits>

#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "library/graphics/graphics_common.h"
#include "library/graphics/statements.h"
#include "library/windows/colors.h"
#include "library/windows/window_state.h"

namespace talven {

int32_t PrintScaled(int64_t value) {
  const int64_t scaled = value * 10;
  return static_cast<int32_t>(std::clamp<int64_t>(scaled, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int32_t ColourValue(Color color, bool trueColor) {
  if (trueColor) return static_cast<int32_t>(color & 0xFFFFFF);
  const uint32_t red = (color & 0xFF) / 8;
  const uint32_t green = ((color >> 8) & 0xFF) / 8;
  const uint32_t blue = ((color >> 16) & 0xFF) / 8;
  return static_cast<int32_t>(red + 32 * green + 1024 * blue);
}

bool LoadBmpFile(const std::string& name, BmpImage& image) {
  image = BmpImage{};
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return false;
  std::vector<uint8_t> bytes;
  bool fits = std::fseek(file, 0, SEEK_END) == 0;
  const long size = fits ? std::ftell(file) : -1;
  fits = fits && size >= 0 && static_cast<unsigned long>(size) <= kMaxBmpFileBytes &&
         std::fseek(file, 0, SEEK_SET) == 0;
  if (fits) {
    bytes.resize(static_cast<size_t>(size));
    fits = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  std::fclose(file);
  return fits && ReadBmp(bytes, image) == BmpError::None;
}

namespace graphics {

bool Printing(Engine& engine) { return WindowOf(engine).printing; }

bool RequireTarget(Engine& engine) {
  if (engine.profile.families[FamilyIndex(FamilyId::Window)] == nullptr) {
    Error(engine, ErrorCode::WindowRequired);
    return false;
  }
  const WindowState& window = WindowOf(engine);
  if (!window.printing && !window.paintTarget.has_value()) EnsureWindow(engine);
  return true;
}

bool RefusedWhilePrinting(Engine& engine) {
  if (!Printing(engine)) return false;
  Error(engine, ErrorCode::ForbiddenWhilePrinting, engine.word);
  return true;
}

int32_t Scale(Engine& engine, int32_t value) { return Printing(engine) ? PrintScaled(value) : value; }

int32_t NormalMode(int32_t mode) {
  if (mode == kTransparent) return kTransparent;
  return mode >= 1 && mode <= 4 ? mode : 0;
}

int32_t ReadMode(Engine& engine) {
  return engine.param.empty() ? 0 : NormalMode(EvaluateInteger(engine, ","));
}

std::string ReadText(Engine& engine, std::string_view separator, bool fileName) {
  Evaluate(engine, separator, fileName ? EvalMode::FileName : EvalMode::String);
  return engine.reg.Text();
}

void NoteLeftOut(Engine& engine, Color colour) {
  GraphicsOf(engine).leftOut = ColourValue(colour, engine.functions.trueColor);
}

}  // namespace graphics

using namespace graphics;

namespace {

Color ReadColour(Engine& engine) {
  return ConvertColor(EvaluateInteger(engine, ","), engine.functions.trueColor);
}

// x1, y1 - x2, y2 into c[0..3], the second point's y ending at `last`.
void ReadBox(Engine& engine, int32_t (&c)[8], std::string_view last) {
  c[0] = EvaluateInteger(engine, ",");
  c[1] = EvaluateInteger(engine, "-");
  c[2] = EvaluateInteger(engine, ",");
  c[3] = EvaluateInteger(engine, last);
}

void DrawShape(Engine& engine, ShapeKind kind, int32_t (&c)[8], int points) {
  if (!RequireTarget(engine)) return;
  for (int i = 0; i < points; ++i) c[i] = Scale(engine, c[i]);
  GraphicsPlatformOf(engine).Shape(kind, c);
}

}  // namespace

// USEPEN style, width, colour: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none
// (other styles draw solid). A print job widens a pen above 1 and every solid pen tenfold.
void StmtUsePen(Engine& engine) {
  engine.handled = true;
  int32_t style = EvaluateInteger(engine, ",");
  int32_t width = EvaluateInteger(engine, ",");
  const Color colour = ReadColour(engine);
  if (style < 0 || style > 5) style = 0;
  if (!RequireTarget(engine)) return;
  if (Printing(engine) && (width > 1 || style == 0)) width = PrintScaled(width);
  GraphicsPlatformOf(engine).UsePen(style, width, colour);
}

// USEBRUSH style, colour: 0 hollow, 1 solid, 2..7 the hatches 0..5 (other styles: solid).
void StmtUseBrush(Engine& engine) {
  engine.handled = true;
  int32_t style = EvaluateInteger(engine, ",");
  const Color colour = ReadColour(engine);
  if (style < 0 || style > 7) style = 1;
  if (!RequireTarget(engine)) return;
  GraphicsPlatformOf(engine).UseBrush(style, colour);
}

void StmtSetPixel(Engine& engine) {
  engine.handled = true;
  const int32_t x = EvaluateInteger(engine, ",");
  const int32_t y = EvaluateInteger(engine, ",");
  const Color colour = ReadColour(engine);
  if (RequireTarget(engine)) GraphicsPlatformOf(engine).SetPixel(x, y, colour);
}

void StmtFill(Engine& engine) {
  engine.handled = true;
  const int32_t x = EvaluateInteger(engine, ",");
  const int32_t y = EvaluateInteger(engine, ",");
  const Color colour = ReadColour(engine);
  if (RequireTarget(engine)) GraphicsPlatformOf(engine).Fill(x, y, colour);
}

void StmtMoveTo(Engine& engine) {
  engine.handled = true;
  const int32_t x = EvaluateInteger(engine, ",");
  const int32_t y = EvaluateInteger(engine, ",");
  if (RequireTarget(engine)) GraphicsPlatformOf(engine).MoveTo(Scale(engine, x), Scale(engine, y));
}

void StmtLineTo(Engine& engine) {
  engine.handled = true;
  const int32_t x = EvaluateInteger(engine, ",");
  const int32_t y = EvaluateInteger(engine, ",");
  if (RequireTarget(engine)) GraphicsPlatformOf(engine).LineTo(Scale(engine, x), Scale(engine, y));
}

void StmtLine(Engine& engine) {
  engine.handled = true;
  int32_t c[8] = {};
  ReadBox(engine, c, ",");
  DrawShape(engine, ShapeKind::Line, c, 4);
}

void StmtRectangle(Engine& engine) {
  engine.handled = true;
  int32_t c[8] = {};
  ReadBox(engine, c, ",");
  DrawShape(engine, ShapeKind::Rectangle, c, 4);
}

void StmtEllipse(Engine& engine) {
  engine.handled = true;
  int32_t c[8] = {};
  ReadBox(engine, c, ",");
  DrawShape(engine, ShapeKind::Ellipse, c, 4);
}

void StmtRoundRect(Engine& engine) {
  engine.handled = true;
  int32_t c[8] = {};
  ReadBox(engine, c, ";");
  c[4] = EvaluateInteger(engine, ",");
  c[5] = EvaluateInteger(engine, ",");
  DrawShape(engine, ShapeKind::RoundRect, c, 6);
}

// ARC, CHORD, PIE x1, y1 - x2, y2 ; x3, y3 ; x4, y4: from the radial through (x3, y3) to
// the one through (x4, y4), counter-clockwise.
static void Segment(Engine& engine, ShapeKind kind) {
  engine.handled = true;
  int32_t c[8] = {};
  ReadBox(engine, c, ";");
  c[4] = EvaluateInteger(engine, ",");
  c[5] = EvaluateInteger(engine, ";");
  c[6] = EvaluateInteger(engine, ",");
  c[7] = EvaluateInteger(engine, ",");
  DrawShape(engine, kind, c, 8);
}
void StmtArc(Engine& engine) { Segment(engine, ShapeKind::Arc); }
void StmtChord(Engine& engine) { Segment(engine, ShapeKind::Chord); }
void StmtPie(Engine& engine) { Segment(engine, ShapeKind::Pie); }

// @GETPIXEL(x, y): the colour of the backing bitmap (or the redirected target) at the
// point, re-encoded in the reduced mode. Mended: a point without a colour (outside the
// bitmap) is -1 in both modes, not a re-encoded "invalid" that reads as white.
void FnGetPixel(Engine& engine, std::string_view) {
  const int32_t x = ArgInteger(engine);
  const int32_t y = ArgInteger(engine);
  if (!RequireTarget(engine)) return;
  const std::optional<Color> colour = GraphicsPlatformOf(engine).Pixel(x, y);
  ResultInteger(engine, colour ? ColourValue(*colour, engine.functions.trueColor) : -1);
}

// @CREATEFONT(name, height, width, bold, italic, underline): a font made as USEFONT makes
// one (ORIENTATION and CHARSET apply), not selected; the program deletes it.
void FnCreateFont(Engine& engine, std::string_view) {
  FontRequest request;
  request.name = ArgString(engine);
  request.height = ArgInteger(engine);
  request.width = ArgInteger(engine);
  request.bold = ArgInteger(engine) != 0;
  request.italic = ArgInteger(engine) != 0;
  request.underline = ArgInteger(engine) != 0;
  const WindowState& window = WindowOf(engine);
  if (window.printing) {
    request.height = PrintScaled(request.height);
    request.width = PrintScaled(request.width);
  }
  request.orientation = window.orientation;
  request.charset = window.charset;
  ResultInteger(engine, static_cast<int32_t>(GraphicsPlatformOf(engine).MakeFont(request)));
}

}  // namespace talven
