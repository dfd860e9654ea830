// The text-file statements on file slots: ASSIGN, RESET, REWRITE, APPEND, CLOSE, ERASE,
// RENAME, FILEMODE. I/O failures land in the I/O result, never in a box.

#include <cerrno>
#include <cstdio>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "library/files/file_slots.h"
#include "library/files/statements.h"

namespace talven {

namespace {

int32_t IoResultOf(int error) {
  switch (error) {
    case ENOENT: return kIoFileNotFound;
    case ENOTDIR: return kIoPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kIoAccessDenied;
    default: return kIoAccessDenied;
  }
}

void CloseText(FileSlot& slot) {
  if (slot.text != nullptr) std::fclose(slot.text);
  slot.text = nullptr;
  slot.mode = TextMode::Closed;
}

// Opens the slot's text file with the C library mode; the I/O result tells what failed.
void OpenText(Engine& engine, int32_t number, const char* mode, TextMode textMode) {
  FileSlot& slot = FilesOf(engine).slots[static_cast<size_t>(number)];
  if (slot.name.empty()) {
    FilesOf(engine).ioResult = kIoNotAssigned;
    return;
  }
  CloseText(slot);
  errno = 0;
  slot.text = OpenStream(slot.name, mode);
  if (slot.text == nullptr) {
    FilesOf(engine).ioResult = IoResultOf(errno);
    return;
  }
  slot.mode = textMode;
}

}  // namespace

void StmtAssign(Engine& engine) {
  engine.handled = true;
  const int32_t number = ReadFileSlot(engine);
  if (number == 0) return;
  Evaluate(engine, ",", EvalMode::FileName);
  FileSlot& slot = FilesOf(engine).slots[static_cast<size_t>(number)];
  CloseText(slot);
  slot.bytes.Close();
  slot.name = engine.reg.Text();
}

void StmtReset(Engine& engine) {
  engine.handled = true;
  if (const int32_t number = ReadFileSlot(engine)) {
    // The file mode is the access RESET opens with: write only (1) finds the file but
    // refuses every read (%IORESULT 104).
    OpenText(engine, number, "rb", FilesOf(engine).fileMode == 1 ? TextMode::Refused : TextMode::Reading);
  }
}

void StmtRewrite(Engine& engine) {
  engine.handled = true;
  if (const int32_t number = ReadFileSlot(engine)) {
    OpenText(engine, number, "wb", TextMode::Writing);
  }
}

void StmtAppend(Engine& engine) {
  engine.handled = true;
  if (const int32_t number = ReadFileSlot(engine)) {
    OpenText(engine, number, "ab", TextMode::Writing);
  }
}

void StmtClose(Engine& engine) {
  engine.handled = true;
  if (const int32_t number = ReadFileSlot(engine)) {
    FileSlot& slot = FilesOf(engine).slots[static_cast<size_t>(number)];
    if (slot.mode == TextMode::Closed) FilesOf(engine).ioResult = kIoNotOpen;
    CloseText(slot);
  }
}

void StmtErase(Engine& engine) {
  engine.handled = true;
  if (const int32_t number = ReadFileSlot(engine)) {
    FileSlot& slot = FilesOf(engine).slots[static_cast<size_t>(number)];
    errno = 0;
    if (slot.name.empty() || std::remove(StreamName(slot.name).c_str()) != 0) {
      FilesOf(engine).ioResult = slot.name.empty() ? kIoNotAssigned : IoResultOf(errno);
    }
  }
}

void StmtRename(Engine& engine) {
  engine.handled = true;
  const int32_t number = ReadFileSlot(engine);
  if (number == 0) return;
  Evaluate(engine, ",", EvalMode::FileName);
  const std::string newName = engine.reg.Text();
  FileSlot& slot = FilesOf(engine).slots[static_cast<size_t>(number)];
  errno = 0;
  if (slot.name.empty() || std::rename(StreamName(slot.name).c_str(), StreamName(newName).c_str()) != 0) {
    FilesOf(engine).ioResult = slot.name.empty() ? kIoNotAssigned : IoResultOf(errno);
    return;
  }
  slot.name = newName;
}

void StmtFileMode(Engine& engine) {
  engine.handled = true;
  FilesOf(engine).fileMode = EvaluateInteger(engine, ",") & 0xFF;
}

}  // namespace talven
