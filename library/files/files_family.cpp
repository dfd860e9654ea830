// The family "files": the file slots #1 to #15 with their text and byte files, files and
// directories by name, the file search and the drives, and the I/O result that %IORESULT
// reports.

#include "engine/engine.h"
#include "engine/function_handlers.h"
#include "library/families.h"
#include "library/files/file_slots.h"
#include "library/files/statements.h"

namespace talven {

namespace {

// @EOF(#n): 1 at the end of the text file (and for a slot that cannot be used).
void FnEof(Engine& engine, std::string_view) {
  const int32_t slot = ArgFileSlot(engine);
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
    {"OPENRW", StmtOpenRw}, {"CLOSERW", StmtCloseRw}, {"SEEK", StmtSeek},
    {"PUTBYTE", StmtPutByte}, {"SETFATTR", StmtSetFAttr}, {"BLOCKWRITE", StmtBlockWrite},
    {"COPY", StmtCopy}, {"CHDIR", StmtChDir}, {"MKDIR", StmtMkDir}, {"RMDIR", StmtRmDir},
    {"READTEXT", StmtReadText}, {"SETLFN", StmtSetLfn},
};

constexpr FunctionRow kFunctions[] = {
    // The functions of a slot alone read "#n" through the readers (ArgFileSlot).
    {"GETFATTR", FnGetFAttr},     {"GETFDATE$", FnGetFDate}, {"GETFILESIZE", FnGetFileSize, true},
    {"GETBYTE", FnGetByte, true}, {"FILEPOS", FnFilePos, true}, {"FILESIZE", FnFileSize},
    {"EOF", FnEof, true},               {"BLOCKREAD", FnBlockRead}, {"DISKSIZE", FnDiskSize},
    {"DISKFREE", FnDiskFree},     {"GETDIR$", FnGetDir},     {"FINDFIRST$", FnFindFirst},
    {"FINDNEXT$", FnFindNext},    {"SHORTNAME$", FnShortName}, {"LONGNAME$", FnLongName},
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
      .makePlatform = MakePortableFiles,
      .arguments = ArgumentStyle::ParameterText,
  };
  return kFamily;
}

}  // namespace talven
