// The family "files": the file slots #1 to #15 with their text files, and the I/O result
// that %IORESULT reports.

#include "engine/engine.h"
#include "engine/function_handlers.h"
#include "library/families.h"
#include "library/files/file_slots.h"
#include "library/files/statements.h"

namespace talven {

namespace {

// @EOF(#n): 1 at the end of the text file (and for a slot that cannot be used).
void FnEof(Engine& engine, std::string_view) {
  const int32_t slot = ReadFileSlot(engine);
  ResultInteger(engine, slot == 0 ? 1 : (AtTextEnd(engine, slot) ? 1 : 0));
}

// Read and cleared.
void ReadIoResult(Engine& engine, std::string_view) {
  FileState& files = FilesOf(engine);
  ResultInteger(engine, files.ioResult);
  files.ioResult = 0;
}

constexpr StatementRow kStatements[] = {
    {"ASSIGN", StmtAssign}, {"RENAME", StmtRename}, {"APPEND", StmtAppend},
    {"CLOSE", StmtClose},   {"ERASE", StmtErase},   {"RESET", StmtReset},
    {"REWRITE", StmtRewrite}, {"FILEMODE", StmtFileMode},
};

constexpr FunctionRow kFunctions[] = {
    {"EOF", FnEof},
};

constexpr VariableRow kVariables[] = {
    {"%IORESULT", ReadIoResult},
};

}  // namespace

const Family& FilesFamily() {
  static const Family kFamily{
      .name = "files",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = kVariables,
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<FileState>(); },
      .makePlatform = nullptr,
      .arguments = ArgumentStyle::ParameterText,
  };
  return kFamily;
}

}  // namespace talven
