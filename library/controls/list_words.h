#pragma once
// The shared list's statements, function and system variable (list_words.cpp).

#include <string_view>

namespace talven {

class Engine;

void StmtClearList(Engine& engine);
void StmtAddString(Engine& engine);
void StmtListBoxItem(Engine& engine);
void FnListBoxItem(Engine& engine, std::string_view name);
void ReadGetCount(Engine& engine, std::string_view name);

}  // namespace talven
