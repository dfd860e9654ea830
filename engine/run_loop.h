#pragma once
// The statement loop.

namespace talven {

class Engine;

// Thrown by PROGEND: leaves the statement loop at once; the run then ends normally.
struct ProgramEnd {};

// Runs the program store from line 1 until its end, END or PROGEND.
void RunStatements(Engine& engine);

// Executes the statement now in engine.word / engine.param from the step after the
// split on (used for the statement a CASE selects as well).
void ExecuteStatement(Engine& engine);

}  // namespace talven
