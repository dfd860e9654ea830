// The recording platform of the family "graphics": each call as one line of text, so that
// in-process tests see what a program asked to be drawn.

#include <cstdio>
#include <string>

#include "library/graphics/graphics_platform.h"

namespace talven {

namespace {

std::string Line(const char* format, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

const char* ShapeName(ShapeKind kind) {
  static const char* kNames[] = {"LINE", "RECTANGLE", "ELLIPSE", "ROUNDRECT", "ARC", "CHORD", "PIE"};
  return kNames[static_cast<int>(kind)];
}

}  // namespace

void RecordingGraphics::UsePen(int32_t style, int32_t width, Color color) {
  log.push_back(Line("pen %d %d %06X", style, width, color));
}
void RecordingGraphics::UseBrush(int32_t style, Color color) {
  log.push_back(Line("brush %d %06X", style, color));
}
void RecordingGraphics::SetPixel(int32_t x, int32_t y, Color color) {
  log.push_back(Line("pixel %d %d %06X", x, y, color));
}
void RecordingGraphics::Fill(int32_t x, int32_t y, Color border) {
  log.push_back(Line("fill %d %d %06X", x, y, border));
}
void RecordingGraphics::MoveTo(int32_t x, int32_t y) { log.push_back(Line("moveto %d %d", x, y)); }
void RecordingGraphics::LineTo(int32_t x, int32_t y) { log.push_back(Line("lineto %d %d", x, y)); }
void RecordingGraphics::Shape(ShapeKind kind, const int32_t (&c)[8]) {
  log.push_back(Line("%s %d %d %d %d %d %d %d %d", ShapeName(kind), c[0], c[1], c[2], c[3], c[4],
                     c[5], c[6], c[7]));
}
std::optional<Color> RecordingGraphics::Pixel(int32_t x, int32_t y) {
  log.push_back(Line("getpixel %d %d", x, y));
  return pixel;
}
void RecordingGraphics::DrawImage(const BmpImage& image, Area to, int32_t mode, Color* leftOut) {
  log.push_back(Line("image %dx%d at %d %d %d %d mode %d", image.width, image.height, to.x, to.y,
                     to.width, to.height, mode));
  if (leftOut != nullptr && !image.pixels.empty()) *leftOut = image.At(0, image.height - 1);
}
void RecordingGraphics::CopyArea(CopySource source, Area from, Area to, int32_t mode, Color*) {
  log.push_back(Line("%s %d %d %d %d > %d %d %d %d mode %d",
                     source == CopySource::Targets ? "copy" : "mcopy", from.x, from.y, from.width,
                     from.height, to.x, to.y, to.width, to.height, mode));
}
bool RecordingGraphics::NewMemoryBitmap(int32_t width, int32_t height) {
  log.push_back(Line("mcls %d %d", width, height));
  return true;
}
bool RecordingGraphics::LoadMemoryBitmap(const BmpImage& image) {
  log.push_back(Line("mload %dx%d", image.width, image.height));
  return true;
}
void RecordingGraphics::CopyToMemory(Area from, int32_t x, int32_t y) {
  log.push_back(Line("tomem %d %d %d %d > %d %d", from.x, from.y, from.width, from.height, x, y));
}
std::optional<BmpImage> RecordingGraphics::ReadArea(Area area) {
  log.push_back(Line("read %d %d %d %d", area.x, area.y, area.width, area.height));
  BmpImage image;
  image.width = area.width;
  image.height = area.height;
  image.pixels.assign(static_cast<size_t>(area.width) * static_cast<size_t>(area.height), 0xFFFFFF);
  return image;
}
bool RecordingGraphics::PutOnClipboard(const BmpImage& image) {
  log.push_back(Line("toclip %dx%d", image.width, image.height));
  clipboard = image;
  return true;
}
std::optional<BmpImage> RecordingGraphics::TakeFromClipboard() { return clipboard; }
bool RecordingGraphics::DrawProgramIcon(std::string_view name, int32_t x, int32_t y) {
  log.push_back(Line("icon %.*s %d %d", static_cast<int>(name.size()), name.data(), x, y));
  return name == "TALVEN";
}
bool RecordingGraphics::DrawSystemIcon(int32_t number, int32_t x, int32_t y) {
  log.push_back(Line("sysicon %d %d %d", number, x, y));
  return true;
}
intptr_t RecordingGraphics::MakeFont(const FontRequest& request) {
  log.push_back(Line("font %s %d %d", request.name.c_str(), request.height, request.width));
  return nextFont++;
}

}  // namespace talven
