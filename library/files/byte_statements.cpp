// The byte files of the slots: OPENRW, CLOSERW, PUTBYTE, SEEK, BLOCKWRITE and the functions
// GETBYTE, FILEPOS, GETFILESIZE, BLOCKREAD. I/O failures land in the I/O result; a wrong
// slot or area is an error of its own.

#include <algorithm>
#include <cerrno>
#include <limits>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/compiled_expression.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "library/files/file_slots.h"
#include "library/files/statements.h"

namespace talven {

namespace {

constexpr int64_t kLargestNumber = std::numeric_limits<int32_t>::max();

int32_t Clamped(int64_t value) { return static_cast<int32_t>(std::min(value, kLargestNumber)); }

// The open byte file of slot `number` (0: none); nullptr (with the I/O result set) when
// the slot has none.
ByteFile* ByteFileOf(Engine& engine, int32_t number) {
  if (number == 0) return nullptr;
  ByteFile& file = FilesOf(engine).slots[static_cast<size_t>(number)].bytes;
  if (!file.IsOpen()) {
    FilesOf(engine).ioResult = kIoNotOpen;
    return nullptr;
  }
  return &file;
}

// The open byte file of a slot read from the parameter text.
ByteFile* OpenByteFile(Engine& engine, int32_t& number) {
  number = ReadFileSlot(engine);
  return ByteFileOf(engine, number);
}

int32_t OpenFailure(int error) {
  switch (error) {
    case ENOENT: return kIoPathNotFound;
    default: return kIoAccessDenied;
  }
}

// The offset and count of an area transfer, read as long numbers and checked against the
// area in 64 bits: a negative one, or a sum past the area's size, is 207 and moves nothing.
bool TransferRange(Engine& engine, const AreaBlock& area, int64_t& offset, int64_t& count) {
  Evaluate(engine, ",");
  offset = engine.reg.longValue;
  Evaluate(engine, ",");
  count = engine.reg.longValue;
  if (offset < 0 || count < 0 || offset + count > area.size) {
    Error(engine, ErrorCode::OutOfBounds, std::to_string(area.size));
    return false;
  }
  return true;
}

}  // namespace

// The access is the file mode's; a missing file is created (and then open both ways).
void StmtOpenRw(Engine& engine) {
  engine.handled = true;
  const int32_t number = ReadFileSlot(engine);
  if (number == 0) return;
  FileState& files = FilesOf(engine);
  FileSlot& slot = files.slots[static_cast<size_t>(number)];
  if (slot.name.empty()) {
    files.ioResult = kIoNotAssigned;
    return;
  }
  const auto access = static_cast<ByteAccess>(std::clamp(files.fileMode, 0, 2));
  int error = 0;
  if (slot.bytes.Open(slot.name, access, error) == ByteOpen::Failed) files.ioResult = OpenFailure(error);
}

void StmtCloseRw(Engine& engine) {
  engine.handled = true;
  int32_t number = 0;
  if (ByteFile* file = OpenByteFile(engine, number)) {
    if (!file->Close()) FilesOf(engine).ioResult = kIoWriteFailed;
  }
}

namespace {

void PutValue(Engine& engine, ByteFile* file) {
  const auto value = static_cast<uint8_t>(engine.reg.integer & 0xFF);
  if (file == nullptr) return;
  if (file->Access() == ByteAccess::Read) {
    FilesOf(engine).ioResult = kIoNotOpenForOutput;
  } else if (!file->Put(value)) {
    FilesOf(engine).ioResult = kIoWriteFailed;
  }
}

// PUTBYTE from its line's preparation: the slot (its number, written as digits, in
// `prepared.number`, else the reading of its expression in `prepared.items[0]`) and the
// value (`prepared.memo`, its text in `prepared.expression`), read in the same order and
// with the same outcome as from the text. False, having done nothing, where a reading was
// made in the other operator mode. With the short ways off (engine.numericPath), or an
// evaluation budget of a test driver counting down, PUTBYTE always reads its text.
bool PutBytePrepared(Engine& engine, const PreparedStatement& prepared) {
  const RememberedExpression& value = prepared.memo;
  if (value.operatorMode != engine.operatorMode) return false;
  int32_t number = prepared.number;
  bool cleared = false;
  if (number != 0) {
    // As ReadFileSlot leaves a slot of digits.
    engine.lastSeparator = prepared.expression.empty() ? ' ' : ',';
    engine.paramEnded = prepared.expression.empty();
  } else {
    const RememberedExpression& slot = prepared.items[0];
    if (slot.operatorMode != engine.operatorMode) return false;
    const std::string* rest = RunRememberedKeepingText(engine, slot, EvalMode::Number);
    cleared = rest == nullptr;
    number = engine.reg.integer;
    if (number < 1 || number > kFileSlots) {
      // The value's text is what the statement leaves unread.
      if (rest != nullptr && !rest->empty()) engine.param = *rest;
      Error(engine, ErrorCode::FileSlotOutOfRange);
      return true;
    }
  }
  ByteFile* file = ByteFileOf(engine, number);
  if (cleared) {
    // The slot's evaluation gave up the text: nothing is left for the value.
    Evaluate(engine, ",");
  } else if (const std::string* rest = RunRememberedKeepingText(engine, value, EvalMode::Any)) {
    if (!rest->empty()) engine.param = *rest;
  }
  PutValue(engine, file);
  return true;
}

}  // namespace

// The low 8 bits of the value.
void StmtPutByte(Engine& engine) {
  engine.handled = true;
  LineCache* line = engine.currentLine;
  if (line != nullptr && line->prepared.ready) {
    if (engine.numericPath && engine.evaluationBudget < 0 && PutBytePrepared(engine, line->prepared)) {
      return;
    }
    // The statement loop left the text out: read it afresh.
    engine.param = line->cutParam;
  }
  PreparedStatement* prepared = line != nullptr ? &line->prepared : nullptr;
  bool plain = false;
  RememberedExpression* slotMemo = prepared != nullptr ? ItemMemo(prepared, 0) : nullptr;
  const int32_t number = ReadFileSlot(engine, plain, slotMemo);
  if (number == 0) return;
  ByteFile* file = ByteFileOf(engine, number);
  FileState& files = FilesOf(engine);
  if (prepared != nullptr) {
    // The line's own readings: from its next execution on it is read from them alone.
    prepared->expression = engine.param;
    EvaluateRemembered(engine, prepared->memo, ",");
    prepared->number = plain ? number : 0;
    prepared->ready = prepared->memo.expression != nullptr &&
                      (plain || prepared->items[0].expression != nullptr);
  } else {
    if (files.putByteValue.expression == nullptr || engine.param != files.putByteText) {
      files.putByteText = engine.param;
      files.putByteValue = RememberedExpression{};
    }
    EvaluateRemembered(engine, files.putByteValue, ",");
  }
  PutValue(engine, file);
}

// A position below 0 or past the largest one is refused; the file stays where it was.
void StmtSeek(Engine& engine) {
  engine.handled = true;
  int32_t number = 0;
  ByteFile* file = OpenByteFile(engine, number);
  if (number == 0) return;
  Evaluate(engine, ",");
  const double position = engine.reg.floatValue;
  if (file == nullptr) return;
  if (!(position >= 0 && position <= static_cast<double>(kLargestNumber)) ||
      !file->Seek(static_cast<int64_t>(position))) {
    FilesOf(engine).ioResult = kIoSeekFailed;
  }
}

void StmtBlockWrite(Engine& engine) {
  engine.handled = true;
  int32_t number = 0;
  ByteFile* file = OpenByteFile(engine, number);
  if (number == 0) return;
  AreaBlock area;
  int64_t offset = 0;
  int64_t count = 0;
  if (!ReadAreaBlock(engine, area) || !TransferRange(engine, area, offset, count)) return;
  if (file == nullptr || count == 0) return;
  if (file->Access() == ByteAccess::Read) {
    FilesOf(engine).ioResult = kIoNotOpenForOutput;
  } else if (!file->Write(area.data + offset, count)) {
    FilesOf(engine).ioResult = kIoWriteFailed;
  }
}

// The next byte; at the end 0, with the I/O result 100.
void FnGetByte(Engine& engine, std::string_view) {
  ByteFile* file = ByteFileOf(engine, ArgFileSlot(engine));
  int value = 0;
  if (file != nullptr) {
    if (file->Access() == ByteAccess::Write) {
      FilesOf(engine).ioResult = kIoNotOpenForInput;
    } else {
      value = file->Get();
      if (value < 0) {
        FilesOf(engine).ioResult = kIoReadPastEnd;
        value = 0;
      }
    }
  }
  ResultInteger(engine, value);
}

// Positions and sizes past the largest long read as the largest long.
void FnFilePos(Engine& engine, std::string_view) {
  ByteFile* file = ByteFileOf(engine, ArgFileSlot(engine));
  ResultLong(engine, file != nullptr ? Clamped(file->Position()) : 0);
}

void FnGetFileSize(Engine& engine, std::string_view) {
  ByteFile* file = ByteFileOf(engine, ArgFileSlot(engine));
  ResultLong(engine, file != nullptr ? Clamped(file->Size()) : 0);
}

// The number of bytes read; fewer than asked at the end of the file.
void FnBlockRead(Engine& engine, std::string_view) {
  int32_t number = 0;
  ByteFile* file = OpenByteFile(engine, number);
  int64_t got = 0;
  if (number != 0) {
    AreaBlock area;
    int64_t offset = 0;
    int64_t count = 0;
    if (ReadAreaBlock(engine, area) && TransferRange(engine, area, offset, count) && file != nullptr &&
        count > 0) {
      if (file->Access() == ByteAccess::Write) {
        FilesOf(engine).ioResult = kIoNotOpenForInput;
      } else {
        got = file->Read(area.data + offset, count);
        if (got == 0) FilesOf(engine).ioResult = kIoReadPastEnd;
      }
    }
  }
  ResultLong(engine, Clamped(got));
}

}  // namespace talven
