#pragma once
// Statement handlers of the file slots, named in the engine's keyword table.

#include <string_view>

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

// byte_statements.cpp
void StmtOpenRw(Engine& engine);
void StmtCloseRw(Engine& engine);
void StmtPutByte(Engine& engine);
void StmtSeek(Engine& engine);
void StmtBlockWrite(Engine& engine);
void FnGetByte(Engine& engine, std::string_view);
void FnFilePos(Engine& engine, std::string_view);
void FnGetFileSize(Engine& engine, std::string_view);
void FnBlockRead(Engine& engine, std::string_view);

// name_statements.cpp
void StmtCopy(Engine& engine);
void StmtSetFAttr(Engine& engine);
void StmtChDir(Engine& engine);
void StmtMkDir(Engine& engine);
void StmtRmDir(Engine& engine);
void StmtSetLfn(Engine& engine);
void StmtReadText(Engine& engine);
void FnFileSize(Engine& engine, std::string_view);
void FnGetFAttr(Engine& engine, std::string_view);
void FnGetFDate(Engine& engine, std::string_view);
void FnFindFirst(Engine& engine, std::string_view);
void FnFindNext(Engine& engine, std::string_view);
void FnDiskSize(Engine& engine, std::string_view);
void FnDiskFree(Engine& engine, std::string_view);
void FnGetDir(Engine& engine, std::string_view);
void FnShortName(Engine& engine, std::string_view);
void FnLongName(Engine& engine, std::string_view);

}  // namespace talven
