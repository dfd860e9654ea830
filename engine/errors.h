#pragma once
// Numbered errors: the table look-up and the two ways of reporting.
// Error/Warn report and return (at error level -1 even a fatal error lets the statement
// go on); when the run must end they throw RunEnd.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/error_codes.h"

namespace talven {

class Engine;

enum class ErrorKind { Fatal, Warning, Either, Compiler, Load, Text, Unused, Dbase };

struct ErrorEntry {
  int32_t number;
  std::string_view name;  // the enumerator of ErrorCode
  std::string_view message;
  ErrorKind kind;
};

// The message of `number`; "UNERWARTETER FEHLER!" for a number not in the table.
std::string_view ErrorText(int32_t number);
inline std::string_view ErrorText(ErrorCode code) { return ErrorText(ErrorNumber(code)); }
const ErrorEntry* FindError(int32_t number);
// Every row of the table in number order.
std::span<const ErrorEntry> ErrorTable();

void Error(Engine& engine, ErrorCode code, std::string_view detail = {});
void Warn(Engine& engine, ErrorCode code, std::string_view detail = {});
void FatalError(Engine& engine, std::string_view message);
void Warning(Engine& engine, std::string_view message);

class Host;

// A tool's stop box with no owner (no window exists yet, or the program has none), then
// the end of the run with `exitCode`: load errors, usage texts, compile and link failures.
[[noreturn]] void StopWithBox(Host& host, std::string caption, std::string text, int exitCode);

// The trace box before a statement; Cancel raises 999.
void TraceBox(Engine& engine);

// The caption of error boxes: the current display line in the interpreter, "Zeile" with
// the line number and "!" in the runtime.
std::string ErrorCaption(const Engine& engine);

// "Zeile " + the number right-aligned in six characters + ": " + CR LF + the statement.
std::string DisplayLine(int32_t lineNumber, std::string_view statement);

}  // namespace talven
