#include "engine/binding.h"

#include <map>
#include <memory>
#include <string_view>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/functions.h"
#include "engine/keywords.h"
#include "engine/system_variables.h"

namespace talven {

namespace {

// The core family first, then the program's families in id order.
template <typename Visit>
void ForEachFamily(FamilyList families, Visit visit) {
  visit(CoreFamily());
  for (const Family* family : families) {
    if (family != nullptr) visit(*family);
  }
}

int KeywordIndex(std::string_view word) { return FindKeyword(word); }
int FunctionIndex(std::string_view name) { return FindCatalogueRow(name); }
int VariableIndex(std::string_view name) { return FindSystemVariableRow(name); }

// Fills `slots` (one per table entry) from the rows of every family; `problems` gets the
// rows that name nothing or an entry already bound. `nameOf` reads a row's name.
template <typename Handler, typename Rows, typename NameOf, typename Index>
void Bind(FamilyList families, Rows rowsOf, NameOf nameOf, Index indexOf,
          std::vector<Handler>& slots, std::string_view kind, std::vector<std::string>* problems) {
  ForEachFamily(families, [&](const Family& family) {
    for (const auto& row : rowsOf(family)) {
      const std::string_view name = nameOf(row);
      const int index = indexOf(name);
      Handler* slot = index < 0 ? nullptr : &slots[static_cast<size_t>(index)];
      if (slot != nullptr && *slot == nullptr) {
        *slot = row.handler;
        continue;
      }
      if (problems != nullptr) {
        problems->push_back(std::string(family.name) + ": " +
                            (slot == nullptr ? "no " + std::string(kind) + " " + std::string(name)
                                             : std::string(kind) + " " + std::string(name) +
                                                   " bound twice"));
      }
    }
  });
}

void BindAll(FamilyList families, Bindings& bindings, std::vector<std::string>* problems) {
  bindings.statements.assign(Keywords().size(), nullptr);
  bindings.functions.assign(static_cast<size_t>(CatalogueSize()), nullptr);
  bindings.variables.assign(SystemVariableCount(), nullptr);
  // Statement rows name their word in `word`; the two others in `name`.
  Bind(
      families, [](const Family& f) { return f.statements; },
      [](const StatementRow& row) { return row.word; }, KeywordIndex, bindings.statements,
      "statement", problems);
  Bind(
      families, [](const Family& f) { return f.functions; },
      [](const FunctionRow& row) { return row.name; }, FunctionIndex, bindings.functions,
      "function", problems);
  bindings.functionReadsText.assign(bindings.functions.size(), false);
  ForEachFamily(families, [&](const Family& family) {
    if (family.arguments != ArgumentStyle::ParameterText) return;
    for (const FunctionRow& row : family.functions) {
      const int index = FunctionIndex(row.name);
      if (index >= 0 && !row.readersOnly &&
          bindings.functions[static_cast<size_t>(index)] == row.handler) {
        bindings.functionReadsText[static_cast<size_t>(index)] = true;
      }
    }
  });
  ForEachFamily(families, [&](const Family& family) {
    if (bindings.libraryCall == nullptr) bindings.libraryCall = family.libraryCall;
  });
  Bind(
      families, [](const Family& f) { return f.variables; },
      [](const VariableRow& row) { return row.name; }, VariableIndex, bindings.variables,
      "variable", problems);
}

}  // namespace

void UnboundStatement(Engine& engine) {
  engine.handled = true;
  Error(engine, ErrorCode::UnknownStatement, engine.word);
}

void UnboundFunction(Engine& engine, std::string_view name) {
  engine.reg = Registers{};
  Error(engine, ErrorCode::UnknownFunction, name);
}

// Deliberate: a row of a family this program does not have stops as an unknown name
// does, and never falls through to the number and DEF fallback.
void UnboundVariable(Engine& engine, std::string_view name) {
  engine.reg = Registers{};
  Error(engine, ErrorCode::UnknownSystemVariable, name);
}

const Bindings& BindingsOf(const Profile& profile) {
  static std::map<const Profile*, std::unique_ptr<Bindings>> made;
  std::unique_ptr<Bindings>& bindings = made[&profile];
  if (bindings != nullptr) return *bindings;
  bindings = std::make_unique<Bindings>();
  BindAll(profile.families, *bindings, nullptr);
  for (StatementHandler& handler : bindings->statements) {
    if (handler == nullptr) handler = UnboundStatement;
  }
  for (FunctionHandler& handler : bindings->functions) {
    if (handler == nullptr) handler = UnboundFunction;
  }
  for (VariableReader& reader : bindings->variables) {
    if (reader == nullptr) reader = UnboundVariable;
  }
  // Withheld names are no entries of this program's tables at all.
  for (std::string_view name : profile.withheldNames) {
    const int keyword = FindKeyword(name);
    if (keyword >= 0) bindings->statements[static_cast<size_t>(keyword)] = nullptr;
    const int row = FindCatalogueRow(name);
    if (row >= 0) bindings->functions[static_cast<size_t>(row)] = nullptr;
  }
  return *bindings;
}

std::vector<std::string> BindingProblems(FamilyList families) {
  Bindings bindings;
  std::vector<std::string> problems;
  BindAll(families, bindings, &problems);
  return problems;
}

std::vector<std::string> UnboundEntries(FamilyList families) {
  Bindings bindings;
  BindAll(families, bindings, nullptr);
  std::vector<std::string> unbound;
  for (size_t i = 0; i < bindings.statements.size(); ++i) {
    if (bindings.statements[i] == nullptr) unbound.push_back("statement " + std::string(Keywords()[i].word));
  }
  for (size_t i = 0; i < bindings.functions.size(); ++i) {
    if (bindings.functions[i] == nullptr) {
      unbound.push_back("function " + std::string(CatalogueName(static_cast<int32_t>(i))));
    }
  }
  for (size_t i = 0; i < bindings.variables.size(); ++i) {
    if (bindings.variables[i] == nullptr) unbound.push_back("variable " + std::string(SystemVariableName(i)));
  }
  return unbound;
}

}  // namespace talven
