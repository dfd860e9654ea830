#pragma once
// A family of the built-in library as the engine sees it: rows that bind names of the
// three ordered tables (keywords.def, function_catalogue.def, system_variables.def) to
// handlers, and the run state the family keeps. The tables alone say a name's order and
// code; a family says what the name does. A family is opened by one line of
// library/families.def.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace talven {

class Engine;

using StatementHandler = void (*)(Engine& engine);
// A function handler reads its arguments from engine.param and leaves its value in the
// registers; `name` is the catalogue name the call resolved to.
using FunctionHandler = void (*)(Engine& engine, std::string_view name);
// A system-variable reader leaves the value in the registers; `name` includes the type
// character.
using VariableReader = void (*)(Engine& engine, std::string_view name);
// The call of a DEF function whose body names a library ("!" or "*" and the names): the
// parameter slots 1..count hold the arguments; the handler leaves the result in the
// registers. `name` is the DEF function's name, `body` the body from its "!" or "*".
using LibraryCallHandler = void (*)(Engine& engine, std::string_view name, std::string_view body,
                                    int32_t count);

struct StatementRow {
  std::string_view word;
  StatementHandler handler;
};

struct FunctionRow {
  std::string_view name;
  FunctionHandler handler;
  // In a family that reads the parameter text: this handler takes its arguments through
  // the readers alone (and writes the text out itself where it reads it), so the call's
  // text is not written out before it.
  bool readersOnly = false;
};

struct VariableRow {
  std::string_view name;
  VariableReader handler;
};

// What a family keeps for one run. Made anew at every run start, dropped at the run's end.
class FamilyState {
 public:
  virtual ~FamilyState() = default;
  // After the last statement of a run that ended normally, in the reverse order of the
  // family ids: the window's comes last and waits for the user to close it, so the other
  // families' files, tables and jobs are complete before that wait.
  virtual void AfterLastStatement(Engine&) {}
  // At a label line (a word ending in ":" without parameters), where the run looks at
  // what the user asked of the window meanwhile.
  virtual void AtLabel(Engine&) {}
};

// The side of the operating system a family talks to. The programs install their Win32
// implementations in the host, tests their fakes; a family without an installed one gets
// its default (a platform that does nothing, or records).
class FamilyPlatform {
 public:
  virtual ~FamilyPlatform() = default;
};

// How a family's function handlers take their arguments: through the argument readers
// (function_handlers.h), which read a call's remembered readings, or from engine.param,
// which then holds the text between the brackets.
enum class ArgumentStyle { Readers, ParameterText };

struct Family {
  std::string_view name;
  std::span<const StatementRow> statements;
  std::span<const FunctionRow> functions;
  std::span<const VariableRow> variables;
  // The family's run state; nullptr for a family that keeps none.
  std::unique_ptr<FamilyState> (*makeState)(Engine& engine) = nullptr;
  // The platform used where the host has none installed; nullptr for a family that
  // reaches no platform.
  std::unique_ptr<FamilyPlatform> (*makePlatform)() = nullptr;
  ArgumentStyle arguments = ArgumentStyle::ParameterText;
  // The family that calls library functions for DEF bodies; nullptr for the others.
  LibraryCallHandler libraryCall = nullptr;
};

// The families of a program, indexed by family id (library/families.def); nullptr where
// the program lacks the family.
using FamilyList = std::span<const Family* const>;

}  // namespace talven
