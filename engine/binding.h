#pragma once
// Binding the rows of a program's families to the three ordered tables: once per profile,
// then each table index has its handler (an array look-up per call).

#include <string>
#include <vector>

#include "engine/family.h"
#include "engine/profile.h"

namespace talven {

struct Bindings {
  // By keyword index, catalogue row and system-variable row. A withheld name holds
  // nullptr (it falls through as an unknown word does); a name no family binds holds the
  // handler that stops with 102, 101 or 100 and the name.
  std::vector<StatementHandler> statements;
  std::vector<FunctionHandler> functions;
  // By catalogue row: the handler reads engine.param (ArgumentStyle::ParameterText).
  std::vector<bool> functionReadsText;
  std::vector<VariableReader> variables;
  // DEF bodies naming a library; nullptr: such a function stops as unknown (101).
  LibraryCallHandler libraryCall = nullptr;
};

// The engine's own family: flow, variables, the functions of strings, numbers and lists,
// the engine's system variables. Every profile has it.
const Family& CoreFamily();

// The bindings of a profile, made on first use and kept for the process.
const Bindings& BindingsOf(const Profile& profile);

// What is wrong with the rows of these families: a row naming no entry of its table, an
// entry bound twice. Empty when all is well.
std::vector<std::string> BindingProblems(FamilyList families);

// The entries of the three tables that no family of the list binds, one "kind NAME" each
// ("statement", "function", "variable"), in table order.
std::vector<std::string> UnboundEntries(FamilyList families);

// The stand-ins of unbound entries: 102, 101 or 100 with the name.
void UnboundStatement(Engine& engine);
void UnboundFunction(Engine& engine, std::string_view name);
void UnboundVariable(Engine& engine, std::string_view name);

}  // namespace talven
