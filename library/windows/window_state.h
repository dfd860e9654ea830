#pragma once
// The run state of the output window: placement, style, title, the text grid, colours and
// fonts, the input state. The window itself is made on first use.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/family.h"
#include "library/families.h"
#include "library/windows/input_state.h"
#include "library/windows/text_grid.h"
#include "library/windows/window_events.h"
#include "library/windows/window_platform.h"

namespace talven {

class Engine;

// The 16 colours of the text attributes.
inline constexpr Color kColorTable[16] = {
    0x000000, 0x880000, 0x008800, 0x880088, 0x000088, 0x888800, 0x008888, 0xCCCCCC,
    0x444444, 0xFF0000, 0x00FF00, 0xFF00FF, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFFFFFF};

inline constexpr uint32_t kStyleNoMenu = 16;
inline constexpr uint32_t kStyleNoBackground = 32;
inline constexpr uint32_t kStyleDialogMode = 512;

struct WindowState : FamilyState {
  // A program that opened its window leaves it to the user after its last statement.
  void AfterLastStatement(Engine& engine) override;

  WindowSetup setup;
  bool printing = false;  // a print job is open: window output is refused
  std::optional<TextGrid> grid;
  WindowMetrics metrics;
  int32_t gridColumns = 80;  // the grid size WINDOW asked for before the window existed
  int32_t gridRows = 32;
  int32_t autoPaint = 2;
  bool timerRunning = false;
  uint8_t attribute = 0xF0;
  int32_t font = 2;
  int32_t cursor = 0;       // USECURSOR
  Color textForeground = 0x000000;  // TEXTCOLOR
  Color textBackground = 0xFFFFFF;
  bool textTransparent = false;
  int32_t orientation = 0;  // ORIENTATION, tenths of a degree
  int32_t charset = 0;      // CHARSET
  // STARTPAINT's target while a redirection is open (the main window, -1 the memory
  // bitmap, or another window).
  std::optional<int32_t> paintTarget;
  // Ctrl+C and Ctrl+Break end the program while it is on. On for the whole run: no
  // statement switches it off (Deliberate); the end of the run does.
  bool breakChecking = true;
  // The grid cell shown at the client area's top left, and how many whole cells it shows.
  CellOrigin origin;
  CellOrigin visible{80, 32};
  // The values the last INPUT read, one per type (%INPUT, &INPUT, !INPUT, $INPUT).
  int32_t inputInteger = 0;
  int32_t inputLong = 0;
  double inputFloat = 0;
  std::string inputString;
  InputState input;
};

inline WindowState& WindowOf(Engine& engine) {
  return FamilyStateOf<WindowState>(engine, FamilyId::Window);
}
inline const WindowState& WindowOf(const Engine& engine) {
  return FamilyStateOf<WindowState>(engine, FamilyId::Window);
}
inline WindowPlatform& WindowPlatformOf(Engine& engine) {
  return FamilyPlatformOf<WindowPlatform>(engine, FamilyId::Window);
}

// The window, created when a statement first needs it.
WindowPlatform& EnsureWindow(Engine& engine);
// The main window's cells seen through a client area of that size: the visible cells
// recomputed and the scroll origin clamped (WM_SIZE).
void ResizeClient(WindowState& window, int32_t width, int32_t height);
// Writes text at the cursor of the grid, drawing what changes on the window.
void WriteText(Engine& engine, std::string_view text);
void WriteLineEnd(Engine& engine);
// The visible grid rows, right-trimmed, without trailing empty rows.
std::vector<std::string> ScreenText(const WindowState& window);

}  // namespace talven
