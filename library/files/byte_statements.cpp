// The byte files of the slots: OPENRW, CLOSERW, PUTBYTE, SEEK, BLOCKWRITE and the functions
// GETBYTE, FILEPOS, GETFILESIZE, BLOCKREAD. I/O failures land in the I/O result; a wrong
// slot or area is an error of its own.

#include <algorithm>
#include <cerrno>
#include <limits>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "library/files/file_slots.h"
#include "library/files/statements.h"

namespace talven {

namespace {

constexpr int64_t kLargestNumber = std::numeric_limits<int32_t>::max();

int32_t Clamped(int64_t value) { return static_cast<int32_t>(std::min(value, kLargestNumber)); }

// The open byte file of a slot read from the parameter text; nullptr (with the I/O result
// set) when the slot has none.
ByteFile* OpenByteFile(Engine& engine, int32_t& number) {
  number = ReadFileSlot(engine);
  if (number == 0) return nullptr;
  ByteFile& file = FilesOf(engine).slots[static_cast<size_t>(number)].bytes;
  if (!file.IsOpen()) {
    FilesOf(engine).ioResult = kIoNotOpen;
    return nullptr;
  }
  return &file;
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

// The low 8 bits of the value.
void StmtPutByte(Engine& engine) {
  engine.handled = true;
  int32_t number = 0;
  ByteFile* file = OpenByteFile(engine, number);
  if (number == 0) return;
  FileState& files = FilesOf(engine);
  if (files.putByteValue.expression == nullptr || engine.param != files.putByteText) {
    files.putByteText = engine.param;
    files.putByteValue = RememberedExpression{};
  }
  EvaluateRemembered(engine, files.putByteValue, ",");
  const auto value = static_cast<uint8_t>(engine.reg.integer & 0xFF);
  if (file == nullptr) return;
  if (file->Access() == ByteAccess::Read) {
    FilesOf(engine).ioResult = kIoNotOpenForOutput;
  } else if (!file->Put(value)) {
    FilesOf(engine).ioResult = kIoWriteFailed;
  }
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
  int32_t number = 0;
  ByteFile* file = OpenByteFile(engine, number);
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
  int32_t number = 0;
  ByteFile* file = OpenByteFile(engine, number);
  ResultLong(engine, file != nullptr ? Clamped(file->Position()) : 0);
}

void FnGetFileSize(Engine& engine, std::string_view) {
  int32_t number = 0;
  ByteFile* file = OpenByteFile(engine, number);
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
