#pragma once
// The run state of one program: everything a statement handler reads or changes lives in
// an Engine. A fresh Engine per run (and per test) starts from the documented defaults.

#include <cstdint>
#include <string>

#include "engine/host.h"
#include "engine/program_store.h"

namespace talven {

enum class ProgramKind { Interpreter, Runtime, Compiler };

// Thrown when the run must end (fatal error, level 2, Cancel, PROGEND after the loop,
// the window closed). Caught in exactly one place: RunProgram.
struct RunEnd {
  int exitCode;
};

enum class ValueType : int32_t { None = 0, String = 1, Integer = 2, Long = 3, Float = 4 };

// The typed result registers every evaluation fills.
struct Registers {
  int32_t integer = 0;
  int32_t longValue = 0;
  double floatValue = 0.0;
  std::string text;
  ValueType type = ValueType::None;
};

struct ErrorState {
  int32_t level = 1;       // -1 silent, 0 warnings silent, 1 warnings asked, 2 all fatal
  int32_t flag = 0;        // 0 none, 1 warning, 2 fatal; read and cleared by %ERROR
  int32_t lastNumber = 0;  // read and cleared by %ERRNUMBER
  bool trace = false;
  bool fastMode = false;   // SETERRORLEVEL -2: no message processing between statements
};

class Engine {
 public:
  Engine(Host& host, ProgramKind kind) : host(host), kind(kind) {}

  // The state of step 6 of the start-up: everything a run begins with.
  void ResetRunState();

  Host& host;
  const ProgramKind kind;
  ProgramStore store;

  // Statement loop.
  int32_t pc = 0;
  bool terminate = false;
  bool handled = false;
  std::string word;
  std::string param;
  std::string displayLine;
  bool operatorMode = true;

  ErrorState errors;
  Registers reg;
  char lastSeparator = ' ';
  bool paramEnded = false;
};

}  // namespace talven
