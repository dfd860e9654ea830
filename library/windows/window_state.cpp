#include "library/windows/window_state.h"

#include "engine/engine.h"

namespace talven {

namespace {

constexpr Color kWhite = 0xFFFFFF;

// Draws what the grid changes on the window, cell by cell in pixels.
class WindowSink final : public TextSink {
 public:
  WindowSink(WindowPlatform& platform, const WindowState& window)
      : m_platform(platform), m_metrics(window.metrics), m_origin(window.origin) {}
  // Cells are drawn relative to the scroll origin.
  void DrawRun(int32_t row, int32_t column, std::string_view text, uint8_t attribute,
               uint8_t font) override {
    m_platform.DrawText((column - m_origin.column) * m_metrics.cellWidth,
                        (row - m_origin.row) * m_metrics.cellHeight, text,
                        kColorTable[attribute & 0x0F], kColorTable[attribute >> 4], font);
  }
  void ScrollUp() override { m_platform.ScrollUp(m_metrics.cellHeight); }
  void Beep() override { m_platform.Beep(); }

 private:
  WindowPlatform& m_platform;
  const WindowMetrics& m_metrics;
  CellOrigin m_origin;
};

}  // namespace

WindowPlatform& EnsureWindow(Engine& engine) {
  WindowPlatform& platform = WindowPlatformOf(engine);
  WindowState& window = WindowOf(engine);
  if (platform.Exists()) {
    if (window.grid) return platform;
    // A window left by an earlier run on the same host belongs to that run's state.
    platform.Destroy();
  }
  platform.Create(window);
  window.metrics = platform.Metrics();
  window.grid.emplace(window.metrics.screenWidth / 8, window.metrics.screenHeight / 15);
  window.grid->Resize(window.gridColumns, window.gridRows);
  window.grid->attribute = window.attribute;
  window.grid->font = static_cast<uint8_t>(window.font);
  window.grid->Clear();
  if ((window.setup.styleBits & kStyleNoBackground) == 0) platform.FillScreen(kWhite);
  return platform;
}

void ResizeClient(WindowState& window, int32_t width, int32_t height) {
  window.visible = VisibleCells(width, height, window.metrics.cellWidth, window.metrics.cellHeight);
  const int32_t columns = window.grid ? window.grid->Columns() : window.gridColumns;
  const int32_t rows = window.grid ? window.grid->Rows() : window.gridRows;
  window.origin = ClampedOrigin(window.origin, window.visible, columns, rows);
}

void WriteText(Engine& engine, std::string_view text) {
  WindowPlatform& platform = EnsureWindow(engine);
  WindowSink sink(platform, WindowOf(engine));
  WindowOf(engine).grid->Write(text, sink);
}

void WriteLineEnd(Engine& engine) {
  WindowPlatform& platform = EnsureWindow(engine);
  WindowSink sink(platform, WindowOf(engine));
  WindowOf(engine).grid->LineEnd(sink);
}

std::vector<std::string> ScreenText(const WindowState& window) {
  std::vector<std::string> rows;
  if (!window.grid) return rows;
  const TextGrid& grid = *window.grid;
  for (int32_t row = 0; row < grid.Rows(); ++row) {
    std::string text;
    for (int32_t column = 0; column < grid.Columns(); ++column) text += grid.CharAt(row, column);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    rows.push_back(std::move(text));
  }
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  return rows;
}

void WindowState::AfterLastStatement(Engine& engine) {
  WindowPlatform& platform = WindowPlatformOf(engine);
  if (platform.Exists()) platform.RunUntilClosed();
}

}  // namespace talven
