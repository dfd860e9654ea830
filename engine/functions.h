#pragma once
// The function evaluator: a call written "@NAME(arguments)" or "NAME(arguments)".

#include <cstdint>
#include <string>
#include <string_view>

namespace talven {

class Engine;
struct FunctionSite;

// Calls function `name` (upper case, without "@") on the text between its brackets and
// leaves the value in the registers. `site` (when given) is the call site's memory: the
// catalogue row the name resolved to and the readings of the arguments. The texts stay
// where they are for the call's time.
void CallFunction(Engine& engine, const std::string& name, const std::string& arguments,
                  FunctionSite* site = nullptr);

// The catalogue in its dispatch order (function_catalogue.def).
int32_t CatalogueSize();
std::string_view CatalogueName(int32_t row);
// The row of `name`, found as the linear comparison in dispatch order finds it; -1 none.
int32_t FindCatalogueRow(std::string_view name);

}  // namespace talven
