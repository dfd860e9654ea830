#pragma once
// The function evaluator: a call written "@NAME(arguments)" or "NAME(arguments)".

#include <cstdint>
#include <string_view>

namespace talven {

class Engine;

// Calls function `name` (upper case, without "@") on the text between its brackets and
// leaves the value in the registers. `site` (when given) remembers the catalogue row the
// name resolved to for the call site's next calls; it starts at -1.
void CallFunction(Engine& engine, std::string_view name, std::string_view arguments,
                  int32_t* site = nullptr);

// The catalogue in its dispatch order (function_catalogue.def).
int32_t CatalogueSize();
std::string_view CatalogueName(int32_t row);
// The row of `name`, found as the linear comparison in dispatch order finds it; -1 none.
int32_t FindCatalogueRow(std::string_view name);

}  // namespace talven
