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

// statements_flow.cpp
void StmtIf(Engine& engine);
void StmtIfNot(Engine& engine);
void StmtElse(Engine& engine);
void StmtWhile(Engine& engine);
void StmtWhileNot(Engine& engine);
void StmtWend(Engine& engine);
void StmtBreak(Engine& engine);
void StmtGoto(Engine& engine);
void StmtGosub(Engine& engine);
void StmtReturn(Engine& engine);
void StmtEndProc(Engine& engine);
void StmtProc(Engine& engine);
// When the word is no keyword, the statement loop first tries it as the name of a procedure
// defined above this line.
void TryProcedureCall(Engine& engine);

// statements_variables.cpp
void StmtDeclare(Engine& engine);
void StmtParameters(Engine& engine);
void StmtLet(Engine& engine);
void StmtInc(Engine& engine);
void StmtDec(Engine& engine);
void StmtAdd(Engine& engine);
void StmtSub(Engine& engine);
void StmtDim(Engine& engine);
void StmtDispose(Engine& engine);
void StmtClear(Engine& engine);
void StmtDimInteger(Engine& engine);
void StmtDimLong(Engine& engine);
void StmtDimFloat(Engine& engine);
void StmtDimString(Engine& engine);
void StmtListInteger(Engine& engine);
void StmtListLong(Engine& engine);
void StmtListFloat(Engine& engine);
void StmtListString(Engine& engine);
void StmtByte(Engine& engine);
void StmtWord(Engine& engine);
void StmtLong(Engine& engine);
void StmtString(Engine& engine);
void StmtChar(Engine& engine);

// statements_format.cpp
void StmtDecimals(Engine& engine);
void StmtNumWidth(Engine& engine);
void StmtStrWidth(Engine& engine);

// functions_strings.cpp, functions_numbers.cpp: the key of @PWD$, the colour mode of @RGB
void StmtPassword(Engine& engine);
void StmtSetTrueColor(Engine& engine);

}  // namespace talven
