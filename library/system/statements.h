#pragma once
// Statement handlers of the programs, system and ports family, named in the engine's
// keyword table.

namespace talven {

class Engine;

// statements_system.cpp
void StmtShell(Engine& engine);
void StmtRun(Engine& engine);
void StmtExitWindows(Engine& engine);
void StmtWinHelp(Engine& engine);
void StmtRandomize(Engine& engine);
void StmtOutp(Engine& engine);
void StmtOutpB(Engine& engine);

}  // namespace talven
