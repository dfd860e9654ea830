#pragma once
// Statement handlers named in keywords.def. Each family has its own file.

namespace talven {

class Engine;

// A statement whose family is not part of this build: reported, never pretended.
void NotAvailable(Engine& engine);
// Keywords the statement loop settles before the keyword comparison (CASE, CASENOT,
// ENDIF, DEF): reaching the table with them has no further effect.
void StepHandled(Engine& engine);

// statements_control.cpp
void StmtExpression(Engine& engine);
void StmtEnd(Engine& engine);
void StmtProgEnd(Engine& engine);
void StmtSetErrorLevel(Engine& engine);
void StmtTraceOn(Engine& engine);
void StmtTraceOff(Engine& engine);

}  // namespace talven
