#pragma once
// The run state of one program: everything a statement handler reads or changes lives in
// an Engine. A fresh Engine per run (and per test) starts from the documented defaults.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/host.h"
#include "engine/program_store.h"
#include "engine/values.h"
#include "engine/variables.h"

namespace talven {

enum class ProgramKind { Interpreter, Runtime, Compiler };

// Thrown when the run must end (fatal error, level 2, Cancel, PROGEND after the loop,
// the window closed). Caught in exactly one place: RunProgram.
struct RunEnd {
  int exitCode;
};

struct ErrorState {
  int32_t level = 1;       // -1 silent, 0 warnings silent, 1 warnings asked, 2 all fatal
  int32_t flag = 0;        // 0 none, 1 warning, 2 fatal; read and cleared by %ERROR
  int32_t lastNumber = 0;  // read and cleared by %ERRNUMBER
  bool trace = false;
  bool fastMode = false;   // SETERRORLEVEL -2: no message processing between statements
};

// One entry of the operator stack: the left operand and the operator waiting for its right.
struct OperatorEntry {
  Registers left;
  int32_t op = 0;
  int32_t priority = 0;
};

// A GOSUB or procedure call: where to go back to and which variables to keep.
struct ProcedureFrame {
  int32_t returnLine = 0;
  VariableCounts counts;
};

// What the statement loop remembers of a program line between its executions. The store
// never changes during a run, so everything here follows from the line's text alone.
struct LineCache {
  bool ready = false;
  bool openString = false;
  bool bracketsBalanced = true;
  std::string display;  // the current display line for this line
  std::string word;
  std::string param;
};

// What a forward scan from one line meets: the ELSEIF lines at nesting 0 whose condition
// decides (IF scans only), then the line that ends the scan (0: the end of the store).
struct BlockScan {
  std::vector<int32_t> elseIfs;
  int32_t end = 0;
};

// Remembered results of the searches through the store (labels, procedures, DEF lines,
// block ends). Each entry is exactly what the search from the start would find.
struct SearchCache {
  std::unordered_map<std::string, int32_t> labels;      // label -> first line, 0 none
  std::unordered_map<std::string, int32_t> procedures;  // name -> first PROC line, 0 none
  std::unordered_map<std::string, int32_t> constants;   // name -> first DEF line, 0 none
  std::unordered_map<int64_t, BlockScan> scans;  // start line * 4 + block kind
  std::vector<LineCache> lines;
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

  // Values.
  NumberFormat format;
  Variables vars;
  ParameterSlots slots;
  int32_t argumentCount = 0;  // %PCOUNT
  // The program's own command-line arguments (those behind the program file's name; in a
  // linked program all of them).
  std::vector<std::string> programArgs;
  std::vector<OperatorEntry> operators;

  // Control flow.
  std::vector<int32_t> whileStack;
  std::vector<ProcedureFrame> frames;

  SearchCache cache;
};

}  // namespace talven
