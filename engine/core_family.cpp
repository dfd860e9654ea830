// The engine's own family: control flow, variables and values, number formatting, the
// functions of strings, numbers and lists, and the system variables the engine itself
// keeps (error state, parameters, the fixed flags). Every program has it.

#include "engine/binding.h"
#include "engine/engine.h"
#include "engine/function_handlers.h"
#include "engine/statements.h"
#include "engine/system_variables.h"

namespace talven {

namespace {

void ReadProgEnd(Engine& engine, std::string_view name) { SetSystemNumber(engine, name, -1); }
void ReadErrorLevel(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, engine.errors.level);
}
void ReadZero(Engine& engine, std::string_view name) { SetSystemNumber(engine, name, 0); }
void ReadOne(Engine& engine, std::string_view name) { SetSystemNumber(engine, name, 1); }
void ReadTalvVer(Engine& engine, std::string_view) {
  SetStringValue(engine.reg, std::string(engine.profile.version));
}
void ReadPCount(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, engine.argumentCount);
}
// Read and cleared.
void ReadErrNumber(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, engine.errors.lastNumber);
  engine.errors.lastNumber = 0;
}
void ReadParCount(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, static_cast<int32_t>(engine.programArgs.size()));
}
// Read and cleared.
void ReadError(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, engine.errors.flag);
  engine.errors.flag = 0;
}

constexpr StatementRow kStatements[] = {
    {"CASE", StepHandled},
    {"CASENOT", StepHandled},
    {"ENDIF", StepHandled},
    {"DEF", StepHandled},
    {"@", StmtExpression},
    {"IF", StmtIf},
    {"ELSE", StmtElse},
    {"ELSEIF", StmtElse},
    {"IFNOT", StmtIfNot},
    {"WHILE", StmtWhile},
    {"WHILENOT", StmtWhileNot},
    {"BREAK", StmtBreak},
    {"WEND", StmtWend},
    {"ENDWHILE", StmtWend},
    {"CONTINUE", StmtWend},
    {"RETURN", StmtReturn},
    {"ENDPROC", StmtEndProc},
    {"GOTO", StmtGoto},
    {"GOSUB", StmtGosub},
    {"PROC", StmtProc},
    {"TRACEON", StmtTraceOn},
    {"TRACEOFF", StmtTraceOff},
    {"DECIMALS", StmtDecimals},
    {"STRWIDTH", StmtStrWidth},
    {"NUMWIDTH", StmtNumWidth},
    {"END", StmtEnd},
    {"LIST%", StmtListInteger},
    {"LIST&", StmtListLong},
    {"LIST!", StmtListFloat},
    {"LIST$", StmtListString},
    {"DIM", StmtDim},
    {"DIM%", StmtDimInteger},
    {"DIM&", StmtDimLong},
    {"DIM!", StmtDimFloat},
    {"DIM$", StmtDimString},
    {"DECLARE", StmtDeclare},
    {"LET", StmtLet},
    {"PARAMETERS", StmtParameters},
    {"INC", StmtInc},
    {"DEC", StmtDec},
    {"ADD", StmtAdd},
    {"SUB", StmtSub},
    {"SETERRORLEVEL", StmtSetErrorLevel},
    {"DISPOSE", StmtDispose},
    {"BYTE", StmtByte},
    {"WORD", StmtWord},
    {"LONG", StmtLong},
    {"STRING", StmtString},
    {"CHAR", StmtChar},
    {"CLEAR", StmtClear},
    {"PROGEND", StmtProgEnd},
    {"PASSWORD", StmtPassword},
    {"SETTRUECOLOR", StmtSetTrueColor},
};

constexpr FunctionRow kFunctions[] = {
    {"PWD$", FnPwd},
    {"BYTE", FnByte},
    {"WORD", FnWord},
    {"LONG", FnLong},
    {"STRING$", FnStringAt},
    {"CHAR$", FnCharAt},
    {"ROUND", FnRound},
    {"TRANSLATE$", FnTranslate},
    {"ADD", FnAdd},
    {"SUB", FnSub},
    {"MUL", FnMul},
    {"DIV", FnDiv},
    {"DIV&", FnIntDiv},
    {"MOD", FnMod},
    {"AND", FnAnd},
    {"OR", FnOr},
    {"XOR", FnXor},
    {"NEQ", FnNeq},
    {"EQU", FnEqu},
    {"GT", FnGt},
    {"LT", FnLt},
    {"EQU$", FnEquStr},
    {"LT$", FnLtStr},
    {"GT$", FnGtStr},
    {"NEQ$", FnNeqStr},
    {"CHR$", FnChr},
    {"ADD$", FnAddStr},
    {"MID$", FnMid},
    {"SUBSTR$", FnSubstr},
    {"DEL$", FnDel},
    {"INS$", FnIns},
    {"LEN", FnLen},
    {"INSTR", FnInstr},
    {"ORD", FnOrd},
    {"TRIM$", FnTrim},
    {"STR$", FnStr},
    {"IF", FnIf},
    {"UPPER$", FnUpper},
    {"LOWER$", FnLower},
    {"NOT", FnNot},
    {"ABS", FnAbs},
    {"COS", FnCos},
    {"SIN", FnSin},
    {"EXP", FnExp},
    {"LN", FnLn},
    {"LG", FnLg},
    {"TAN", FnTan},
    {"COT", FnCot},
    {"POW", FnPow},
    {"SQR", FnSqr},
    {"SQRT", FnSqrt},
    {"ARCTAN", FnArcTan},
    {"PI", FnPi},
    {"INT", FnInt},
    {"RND", FnRnd},
    {"RGB", FnRgb},
    {"LIST%", FnListInteger},
    {"LIST&", FnListLong},
    {"LIST!", FnListFloat},
    {"LIST$", FnListString},
    {"PAR$", FnPar},
    {"VAL", FnVal},
    {"OEMTOANSI$", FnOemToAnsi},
    {"ANSITOOEM$", FnAnsiToOem},
    {"GETRVALUE", FnGetRValue},
    {"GETGVALUE", FnGetGValue},
    {"GETBVALUE", FnGetBValue},
    {"FORMAT$", FnFormat},
    {"HEX$", FnHex},
    {"OCT$", FnOct},
    {"BIN$", FnBin},
    {"LEFT$", FnLeft},
    {"RIGHT$", FnRight},
    {"MKSTR$", FnMkStr},
    {"SPACE$", FnSpace},
    {"TESTBIT", FnTestBit},
    {"SETBIT", FnSetBit},
    {"ADDR", FnAddr},
};

constexpr VariableRow kVariables[] = {
    {"%PROGEND", ReadProgEnd},
    {"%ERRORLEVEL", ReadErrorLevel},
    {"%DOS32", ReadZero},
    {"%DOS16", ReadZero},
    {"%WIN16", ReadZero},
    {"%OS2", ReadZero},
    {"%LINUX", ReadZero},
    {"%WIN32", ReadOne},
    {"$TALVVER", ReadTalvVer},
    {"%PCOUNT", ReadPCount},
    {"%LFN", ReadOne},
    {"%ERRNUMBER", ReadErrNumber},
    {"%PARCOUNT", ReadParCount},
    {"%ERROR", ReadError},
};

}  // namespace

const Family& CoreFamily() {
  static const Family kFamily{
      .name = "core",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = kVariables,
      .makeState = nullptr,
      .makePlatform = nullptr,
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
