// The file statements and functions that work on names rather than slots: COPY, READTEXT,
// SETFATTR, GETFATTR, GETFDATE$, FILESIZE, the directories, the file search and the drives.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/text.h"
#include "library/files/file_slots.h"
#include "library/files/statements.h"

namespace talven {

namespace {

// The block size of COPY.
constexpr size_t kCopyBlock = 32768;
constexpr int32_t kLargestNumber = 2147483647;

// The names the system gives to devices: reading CON would wait for the keyboard, so no
// name of this kind is copied from or into.
bool IsDeviceName(std::string_view name) {
  size_t start = name.find_last_of("\\/:");
  std::string base = UpperCase(name.substr(start == std::string_view::npos ? 0 : start + 1));
  const size_t dot = base.find('.');
  if (dot != std::string::npos) base.resize(dot);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
      base == "CONOUT$") {
    return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// A name beside `destination` that nothing uses yet.
std::string TemporaryBeside(FilesPlatform& platform, const std::string& destination) {
  for (int i = 0;; ++i) {
    std::string name = destination + ".~t" + std::to_string(i);
    if (!platform.Attributes(name)) return name;
  }
}

// A path longer than three characters loses its trailing "\" ("C:\" stays).
std::string DirectoryArgument(Engine& engine) {
  Evaluate(engine, "", EvalMode::FileName);
  std::string path = engine.reg.Text();
  if (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

const std::string& SlotName(Engine& engine, int32_t number) {
  return FilesOf(engine).slots[static_cast<size_t>(number)].name;
}

std::string FoundText(const FoundFile& found) {
  return found.directory ? "[" + found.name + "]" : found.name;
}

int32_t ReadDrive(Engine& engine) {
  Evaluate(engine, ",");
  return engine.reg.integer;
}

}  // namespace

// COPY source > destination. The data goes into a temporary file beside the destination,
// which replaces the destination only when it is complete: a failed copy leaves an
// existing destination exactly as it was and no temporary file behind.
void StmtCopy(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ">", EvalMode::FileName);
  const std::string source = engine.reg.Text();
  Evaluate(engine, "", EvalMode::FileName);
  const std::string destination = engine.reg.Text();
  FilesPlatform& platform = FilesPlatformOf(engine);

  const std::optional<uint32_t> sourceAttributes = platform.Attributes(source);
  std::FILE* in = nullptr;
  if (!IsDeviceName(source) && sourceAttributes && (*sourceAttributes & kAttributeDirectory) == 0) {
    in = OpenStream(source, "rb");
  }
  if (in == nullptr) {
    Error(engine, ErrorCode::FileNotReadable, source);
    return;
  }
  // Copying a file onto itself (under any spelling of its name) would empty it.
  const std::optional<uint32_t> destinationAttributes = platform.Attributes(destination);
  if (IsDeviceName(destination) ||
      (destinationAttributes && ((*destinationAttributes & kAttributeDirectory) != 0 ||
                                 platform.SameFile(source, destination)))) {
    std::fclose(in);
    Error(engine, ErrorCode::FileNotCreatable, destination);
    return;
  }
  const std::string temporary = TemporaryBeside(platform, destination);
  std::FILE* out = OpenStream(temporary, "wb");
  if (out == nullptr) {
    std::fclose(in);
    Error(engine, ErrorCode::FileNotCreatable, destination);
    return;
  }
  std::vector<char> block(kCopyBlock);
  ErrorCode failure = ErrorCode::FileNotReadable;
  bool failed = false;
  for (;;) {
    const size_t got = std::fread(block.data(), 1, block.size(), in);
    if (got > 0 && std::fwrite(block.data(), 1, got, out) != got) {
      failure = ErrorCode::WriteFailed;
      failed = true;
      break;
    }
    if (got < block.size()) {
      if (std::ferror(in)) {
        failure = ErrorCode::ReadFailed;
        failed = true;
      }
      break;
    }
  }
  std::fclose(in);
  if (std::fclose(out) != 0 && !failed) {
    failure = ErrorCode::WriteFailed;
    failed = true;
  }
  if (!failed && !platform.Replace(temporary, destination)) {
    failure = ErrorCode::WriteFailed;
    failed = true;
  }
  if (failed) {
    std::remove(StreamName(temporary).c_str());
    Error(engine, failure, failure == ErrorCode::ReadFailed ? source : destination);
  }
}

void StmtSetFAttr(Engine& engine) {
  engine.handled = true;
  const int32_t number = ReadFileSlot(engine);
  if (number == 0) return;
  Evaluate(engine, ",");
  const auto attributes = static_cast<uint32_t>(engine.reg.longValue);
  const std::string& name = SlotName(engine, number);
  if (name.empty()) {
    FilesOf(engine).ioResult = kIoNotAssigned;
  } else if (!FilesPlatformOf(engine).SetAttributes(name, attributes)) {
    FilesOf(engine).ioResult = FilesPlatformOf(engine).Attributes(name) ? kIoAccessDenied : kIoFileNotFound;
  }
}

void StmtChDir(Engine& engine) {
  engine.handled = true;
  if (!FilesPlatformOf(engine).ChangeDirectory(DirectoryArgument(engine))) FilesOf(engine).ioResult = kIoPathNotFound;
}

void StmtMkDir(Engine& engine) {
  engine.handled = true;
  if (!FilesPlatformOf(engine).MakeDirectory(DirectoryArgument(engine))) FilesOf(engine).ioResult = kIoAccessDenied;
}

void StmtRmDir(Engine& engine) {
  engine.handled = true;
  const std::string path = DirectoryArgument(engine);
  if (!FilesPlatformOf(engine).DeleteDirectory(path)) {
    FilesOf(engine).ioResult = FilesPlatformOf(engine).Attributes(path) ? kIoAccessDenied : kIoPathNotFound;
  }
}

// Long names are always on: the flag is read and ignored.
void StmtSetLfn(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "");
}

// READTEXT area#, file: the lines, each followed by CR LF, as one zero-terminated text.
// A line that would bring the text to the area's size minus 3 ends the reading with 244.
// Line ends may be CR LF, LF or a lone CR; a line is never held longer than the area.
void StmtReadText(Engine& engine) {
  engine.handled = true;
  AreaBlock area;
  if (!ReadAreaBlock(engine, area)) return;
  Evaluate(engine, "", EvalMode::FileName);
  const std::string name = engine.reg.Text();
  std::FILE* in = nullptr;
  const std::optional<uint32_t> attributes = FilesPlatformOf(engine).Attributes(name);
  if (!IsDeviceName(name) && attributes && (*attributes & kAttributeDirectory) == 0) {
    in = OpenStream(name, "rb");
  }
  if (in == nullptr) {
    Error(engine, ErrorCode::FileNotReadable, name);
    return;
  }
  std::setvbuf(in, nullptr, _IOFBF, kCopyBlock);
  const int64_t room = area.size - 3;
  int64_t used = 0;
  bool full = false;
  std::string line;
  int c = std::getc(in);
  while (c != EOF) {
    line.clear();
    bool tooLong = false;
    while (c != EOF && c != '\n' && c != '\r') {
      if (static_cast<int64_t>(line.size()) < area.size) {
        line.push_back(static_cast<char>(c));
      } else {
        tooLong = true;
      }
      c = std::getc(in);
    }
    if (c == '\r') {
      c = std::getc(in);
      if (c == '\n') c = std::getc(in);
    } else if (c == '\n') {
      c = std::getc(in);
    }
    if (tooLong || used + static_cast<int64_t>(line.size()) + 2 >= room) {
      full = true;
      break;
    }
    std::copy(line.begin(), line.end(), area.data + used);
    used += static_cast<int64_t>(line.size());
    area.data[used++] = '\r';
    area.data[used++] = '\n';
  }
  std::fclose(in);
  if (area.size > 0) area.data[std::min(used, area.size - 1)] = '\0';
  if (full) Warn(engine, ErrorCode::TextDoesNotFitArea);
}

// @FILESIZE(name): a file that cannot be opened warns 209 and gives -1.
void FnFileSize(Engine& engine, std::string_view) {
  Evaluate(engine, ",", EvalMode::FileName);
  const std::string name = engine.reg.Text();
  const std::optional<int64_t> size = FilesPlatformOf(engine).FileSize(name);
  if (!size) {
    Warn(engine, ErrorCode::FileNotFound, name);
    ResultLong(engine, -1);
    return;
  }
  ResultLong(engine, static_cast<int32_t>(std::min<int64_t>(*size, kLargestNumber)));
}

// @GETFATTR(#n): the attributes of the slot's file; -1 when it is not there.
void FnGetFAttr(Engine& engine, std::string_view) {
  const int32_t number = ReadFileSlot(engine);
  std::optional<uint32_t> attributes;
  if (number != 0) {
    attributes = FilesPlatformOf(engine).Attributes(SlotName(engine, number));
    if (!attributes) FilesOf(engine).ioResult = kIoFileNotFound;
  }
  ResultInteger(engine, attributes ? static_cast<int32_t>(*attributes) : -1);
}

// @GETFDATE$(#n): the local date of the last write, "yyyymmdd"; empty when not there.
void FnGetFDate(Engine& engine, std::string_view) {
  const int32_t number = ReadFileSlot(engine);
  std::string text;
  if (number != 0) {
    if (const std::optional<FileDay> day = FilesPlatformOf(engine).LastWriteDay(SlotName(engine, number))) {
      char digits[16];
      std::snprintf(digits, sizeof(digits), "%04d%02d%02d", static_cast<int>(day->year),
                    static_cast<int>(day->month), static_cast<int>(day->day));
      text = digits;
    } else {
      FilesOf(engine).ioResult = kIoFileNotFound;
    }
  }
  ResultString(engine, text);
}

// A new search ends the previous one. 0 into the I/O result when a name was found, 18
// when none (more) was.
void FnFindFirst(Engine& engine, std::string_view) {
  Evaluate(engine, ",", EvalMode::FileName);
  const std::string mask = engine.reg.Text();
  FileState& files = FilesOf(engine);
  files.search.reset();
  std::optional<FoundFile> first;
  files.search = FilesPlatformOf(engine).StartSearch(mask, first);
  files.ioResult = first ? 0 : kIoNoMoreFiles;
  ResultString(engine, first ? FoundText(*first) : std::string());
}

void FnFindNext(Engine& engine, std::string_view) {
  FileState& files = FilesOf(engine);
  std::optional<FoundFile> next;
  if (files.search != nullptr) next = files.search->Next();
  if (!next) files.search.reset();
  files.ioResult = next ? 0 : kIoNoMoreFiles;
  ResultString(engine, next ? FoundText(*next) : std::string());
}

// Bytes as a float; -1 for a drive that is not there.
void FnDiskSize(Engine& engine, std::string_view) {
  ResultFloat(engine, FilesPlatformOf(engine).DiskSize(ReadDrive(engine)).value_or(-1.0));
}

void FnDiskFree(Engine& engine, std::string_view) {
  ResultFloat(engine, FilesPlatformOf(engine).DiskFree(ReadDrive(engine)).value_or(-1.0));
}

void FnGetDir(Engine& engine, std::string_view) {
  ResultString(engine, FilesPlatformOf(engine).DriveDirectory(ReadDrive(engine)).value_or(std::string()));
}

void FnShortName(Engine& engine, std::string_view) {
  Evaluate(engine, ",", EvalMode::FileName);
  ResultString(engine, FilesPlatformOf(engine).ShortName(engine.reg.Text()).value_or(std::string()));
}

void FnLongName(Engine& engine, std::string_view) {
  Evaluate(engine, ",", EvalMode::FileName);
  ResultString(engine, FilesPlatformOf(engine).LongName(engine.reg.Text()).value_or(std::string()));
}

}  // namespace talven
