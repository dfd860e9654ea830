// The family "printing": print jobs whose pages the ordinary text and drawing commands
// fill (STARTPRINT, NEXTPAGE, ENDPRINT) and the one-page hard copies SCREENCOPY and
// WINCOPY. While a job is open the window's flag `printing` is set: the drawing commands
// then count in tenths of the page's units and the window's own output is refused.

#include <algorithm>
#include <cstdio>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "library/families.h"
#include "library/printing/printing_platform.h"
#include "library/windows/window_state.h"

namespace talven {

int32_t PageExtent(int32_t dots, int32_t dotsPerInch) {
  const int64_t product = static_cast<int64_t>(dots) * dotsPerInch;
  return static_cast<int32_t>((product + kPageDotsPerInch / 2) / kPageDotsPerInch);
}

CopyArea ClampScreenCopy(CopyArea area, int32_t windowWidth, int32_t windowHeight) {
  // Mended: reversed corners are put in order instead of making a negative copy.
  if (area.right < area.left) std::swap(area.left, area.right);
  if (area.bottom < area.top) std::swap(area.top, area.bottom);
  const int64_t width = std::max(windowWidth, 1);
  const int64_t height = std::max(windowHeight, 1);
  auto clampTo = [](int32_t value, int64_t most) {
    return static_cast<int32_t>(std::min<int64_t>(value, most));
  };
  area.right = clampTo(area.right, area.left + width - 1);
  area.bottom = clampTo(area.bottom, area.top + height - 1);
  area.bottom = clampTo(area.bottom, area.top + (3 * width) / 2 - 1);
  return area;
}

bool RecordingPrinter::StartJob(std::string_view document) {
  if (!available) return false;
  log.push_back("start " + std::string(document));
  return true;
}

HardCopyResult RecordingPrinter::ScreenCopy(const CopyArea& area, int32_t windowWidth) {
  if (!available) return HardCopyResult::NoPrinter;
  char text[96];
  std::snprintf(text, sizeof text, "screencopy %d %d %d %d of %d", area.left, area.top, area.right,
                area.bottom, windowWidth);
  log.push_back(text);
  return HardCopyResult::Printed;
}

HardCopyResult RecordingPrinter::WindowCopy(intptr_t window) {
  if (!available) return HardCopyResult::NoPrinter;
  if (window == 0) return HardCopyResult::NoWindow;
  log.push_back("wincopy");
  return HardCopyResult::Printed;
}

namespace {

// The open job. A run that ends after its last statement ends the job as ENDPRINT would;
// one that ends any other way (a fatal error, the window closed, END) drops it, so that no
// job stays half-open in the spooler.
struct PrintingState : FamilyState {
  PrintingPlatform* open = nullptr;
  ~PrintingState() override {
    if (open != nullptr) open->AbortJob();
  }
  void AfterLastStatement(Engine& engine) override {
    if (open == nullptr) return;
    open->EndJob();
    open = nullptr;
    WindowOf(engine).printing = false;
  }
};

PrintingState& PrintingOf(Engine& engine) {
  return FamilyStateOf<PrintingState>(engine, FamilyId::Printing);
}
PrintingPlatform& PrinterOf(Engine& engine) {
  return FamilyPlatformOf<PrintingPlatform>(engine, FamilyId::Printing);
}

constexpr char kDefaultDocument[] = "DruckSeite";

bool JobOpen(Engine& engine) {
  if (PrintingOf(engine).open != nullptr) return true;
  Error(engine, ErrorCode::StartPrintMissing);
  return false;
}

bool RefusedWhilePrinting(Engine& engine) {
  if (!WindowOf(engine).printing) return false;
  Error(engine, ErrorCode::ForbiddenWhilePrinting, engine.word);
  return true;
}

void Report(Engine& engine, HardCopyResult result) {
  switch (result) {
    case HardCopyResult::Printed: break;
    case HardCopyResult::NoPrinter: Error(engine, ErrorCode::PrintingImpossible); break;
    case HardCopyResult::NoWindow: Error(engine, ErrorCode::InvalidWindowHandle); break;
    case HardCopyResult::CopyFailed: Warn(engine, ErrorCode::HardCopyFailed); break;
  }
}

// STARTPRINT [document]. Deliberate: a second STARTPRINT inside a job is refused like the
// window's own output (221), so the first job is never left behind in the spooler.
void StmtStartPrint(Engine& engine) {
  engine.handled = true;
  WindowState& window = WindowOf(engine);
  if (window.paintTarget.has_value()) {
    Error(engine, ErrorCode::ForbiddenWhilePainting, engine.word);
    return;
  }
  if (RefusedWhilePrinting(engine)) return;
  std::string document = kDefaultDocument;
  if (!engine.param.empty()) {
    Evaluate(engine, ",", EvalMode::String);
    document = engine.reg.Text();
  }
  EnsureWindow(engine);
  PrintingPlatform& printer = PrinterOf(engine);
  if (!printer.StartJob(document)) {
    Error(engine, ErrorCode::PrintingImpossible);
    return;
  }
  PrintingOf(engine).open = &printer;
  window.printing = true;
}

void StmtNextPage(Engine& engine) {
  engine.handled = true;
  if (JobOpen(engine)) PrinterOf(engine).NextPage();
}

void StmtEndPrint(Engine& engine) {
  engine.handled = true;
  if (!JobOpen(engine)) return;
  PrintingOf(engine).open = nullptr;
  WindowOf(engine).printing = false;
  PrinterOf(engine).EndJob();
}

// SCREENCOPY [x1, y1 - x2, y2]: an area of the main window (all of it by default) as one
// page, the window's width filling the page's.
void StmtScreenCopy(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  WindowState& window = WindowOf(engine);
  CopyArea area{0, 0, window.setup.width - 1, window.setup.height - 1};
  if (!engine.param.empty()) {
    area.left = EvaluateInteger(engine, ",");
    area.top = EvaluateInteger(engine, "-");
    area.right = EvaluateInteger(engine, ",");
    area.bottom = EvaluateInteger(engine, ",");
  }
  EnsureWindow(engine);
  area = ClampScreenCopy(area, window.setup.width, window.setup.height);
  Report(engine, PrinterOf(engine).ScreenCopy(area, std::max(window.setup.width, 1)));
}

void StmtWinCopy(Engine& engine) {
  engine.handled = true;
  if (RefusedWhilePrinting(engine)) return;
  const intptr_t target = static_cast<intptr_t>(EvaluateInteger(engine, ","));
  Report(engine, PrinterOf(engine).WindowCopy(target));
}

constexpr StatementRow kStatements[] = {
    {"STARTPRINT", StmtStartPrint},
    {"ENDPRINT", StmtEndPrint},
    {"SCREENCOPY", StmtScreenCopy},
    {"WINCOPY", StmtWinCopy},
    {"NEXTPAGE", StmtNextPage},
};

}  // namespace

const Family& PrintingFamily() {
  static const Family kFamily{
      .name = "printing",
      .statements = kStatements,
      .functions = {},
      .variables = {},
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<PrintingState>(); },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<RecordingPrinter>(); },
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
