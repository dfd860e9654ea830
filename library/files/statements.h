#pragma once
// Statement handlers of the file slots, named in the engine's keyword table.

namespace talven {

class Engine;

// statements_files.cpp
void StmtAssign(Engine& engine);
void StmtReset(Engine& engine);
void StmtRewrite(Engine& engine);
void StmtAppend(Engine& engine);
void StmtClose(Engine& engine);
void StmtErase(Engine& engine);
void StmtRename(Engine& engine);
void StmtFileMode(Engine& engine);

}  // namespace talven
