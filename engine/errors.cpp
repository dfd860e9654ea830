#include "engine/errors.h"

#include <algorithm>
#include <iterator>

#include "engine/engine.h"
#include "engine/text.h"

namespace talven {

namespace {

constexpr ErrorEntry kErrors[] = {
#define TALVEN_ERROR(number, name, message, kind) {number, #name, message, ErrorKind::kind},
#include "engine/error_table.def"
#undef TALVEN_ERROR
};

constexpr std::string_view kUnexpected = "UNERWARTETER FEHLER!";
std::string Message(ErrorCode code, std::string_view detail) {
  return Joined(ErrorText(code), detail);
}

}  // namespace

const ErrorEntry* FindError(int32_t number) {
  const auto* it = std::lower_bound(std::begin(kErrors), std::end(kErrors), number,
                                    [](const ErrorEntry& e, int32_t n) { return e.number < n; });
  if (it == std::end(kErrors) || it->number != number) return nullptr;
  return it;
}

std::span<const ErrorEntry> ErrorTable() { return kErrors; }

std::string_view ErrorText(int32_t number) {
  const ErrorEntry* entry = FindError(number);
  return entry != nullptr ? entry->message : kUnexpected;
}

std::string DisplayLine(int32_t lineNumber, std::string_view statement) {
  std::string line = "Zeile " + PadLeft(lineNumber, 6) + ": \r\n";
  line.append(statement);
  return line;
}

std::string ErrorCaption(const Engine& engine) {
  if (!engine.profile.boxCaption.empty()) return std::string(engine.profile.boxCaption);
  if (engine.kind == ProgramKind::Runtime) return "Zeile " + PadLeft(engine.pc, 6) + "!";
  return engine.CurrentDisplayLine();
}

void Error(Engine& engine, ErrorCode code, std::string_view detail) {
  engine.errors.lastNumber = ErrorNumber(code);
  FatalError(engine, Message(code, detail));
}

void Warn(Engine& engine, ErrorCode code, std::string_view detail) {
  engine.errors.lastNumber = ErrorNumber(code);
  Warning(engine, Message(code, detail));
}

void FatalError(Engine& engine, std::string_view message) {
  engine.errors.flag = 2;
  engine.host.ShowMouseCursor();
  if (engine.errors.level == -1) return;
  engine.host.ShowBox(BoxRequest{ErrorCaption(engine), std::string(message), BoxIcon::Stop,
                                 BoxButtons::Ok, BoxOwner::MainWindow});
  throw RunEnd{2};
}

void Warning(Engine& engine, std::string_view message) {
  engine.errors.flag = 1;
  switch (engine.errors.level) {
    case 2:
      FatalError(engine, message);
      return;
    case 1: {
      const BoxAnswer answer = engine.host.ShowBox(
          BoxRequest{ErrorCaption(engine), std::string(message), BoxIcon::Exclamation,
                     BoxButtons::OkCancel, BoxOwner::MainWindow});
      if (answer == BoxAnswer::Cancel) {
        Error(engine, ErrorCode::Cancelled);
        return;
      }
      engine.host.RepaintMainWindow();
      return;
    }
    default:
      return;  // levels 0 and -1: silent
  }
}

void StopWithBox(Host& host, std::string caption, std::string text, int exitCode) {
  host.ShowBox(BoxRequest{std::move(caption), std::move(text), BoxIcon::Stop, BoxButtons::Ok,
                          BoxOwner::None});
  throw RunEnd{exitCode};
}

void TraceBox(Engine& engine) {
  BoxRequest box{engine.CurrentDisplayLine(), std::string(), BoxIcon::Information, BoxButtons::OkCancel,
                 BoxOwner::MainWindow};
  box.caption = "TRACE:";
  box.text = engine.CurrentDisplayLine();
  box.restoreFocus = true;
  const BoxAnswer answer = engine.host.ShowBox(box);
  if (answer == BoxAnswer::Cancel) {
    Error(engine, ErrorCode::Cancelled);
    return;
  }
  engine.host.RepaintMainWindow();
}

}  // namespace talven
