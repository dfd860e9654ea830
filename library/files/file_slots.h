#pragma once
// The file slots #1 .. #15: a name, and the text file bound to it. I/O failures are kept as
// the I/O result that %IORESULT reports and clears; they never stop the program.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include <memory>

#include "engine/compiled_expression.h"
#include "engine/family.h"
#include "engine/limits.h"
#include "library/families.h"
#include "library/files/byte_file.h"
#include "library/files/files_platform.h"

namespace talven {

// I/O results, in the numbering programs know from the runtime library.
inline constexpr int32_t kIoFileNotFound = 2;
inline constexpr int32_t kIoPathNotFound = 3;
inline constexpr int32_t kIoAccessDenied = 5;
inline constexpr int32_t kIoNoMoreFiles = 18;
inline constexpr int32_t kIoSeekFailed = 25;
inline constexpr int32_t kIoReadPastEnd = 100;
inline constexpr int32_t kIoWriteFailed = 101;
inline constexpr int32_t kIoNotAssigned = 102;
inline constexpr int32_t kIoNotOpen = 103;
inline constexpr int32_t kIoNotOpenForInput = 104;
inline constexpr int32_t kIoNotOpenForOutput = 105;

// Refused: opened by RESET with the file mode 1 (write only), which leaves nothing to read.
enum class TextMode { Closed, Reading, Writing, Refused };

struct FileSlot {
  std::string name;
  std::FILE* text = nullptr;
  TextMode mode = TextMode::Closed;
  // The byte file on the same name (OPENRW .. CLOSERW).
  ByteFile bytes;
};

struct FileState : FamilyState {
  std::array<FileSlot, kFileSlots + 1> slots;  // 1-based; slot 0 unused
  int32_t ioResult = 0;
  int32_t fileMode = 2;  // 0 read only, 1 write only, 2 both (RESET and OPENRW)
  // The one file search of FINDFIRST$ / FINDNEXT$; none when it ran out.
  std::unique_ptr<FileSearch> search;
  // PUTBYTE's value text and its reading (kept for the run, like every reading): a loop of
  // PUTBYTE reads the same text each time.
  std::string putByteText;
  RememberedExpression putByteValue;

  ~FileState() override { CloseAll(); }
  // A program whose window stays open after its last line has written its files: others
  // may read them at once.
  void AfterLastStatement(Engine&) override { CloseAll(); }
  void CloseAll();
};

inline FileState& FilesOf(Engine& engine) {
  return FamilyStateOf<FileState>(engine, FamilyId::Files);
}

// The C library's name of a file: on the host of the native tests a "\" of a path is a
// "/"; on the system itself the name is used as written.
std::string StreamName(const std::string& name);

// The calls through which the files and the INI model open streams and move a finished
// file over its destination. Programs always use the C library's own; a test may put
// calls of its own in place (for one thread, restoring them after) to make the n-th
// create, read, write, close or rename fail.
struct StreamCalls {
  std::FILE* (*open)(const char* name, const char* mode) = nullptr;  // nullptr: std::fopen
  int (*rename)(const char* from, const char* to) = nullptr;         // nullptr: replacing rename
};
StreamCalls& Streams();

std::FILE* OpenStream(const std::string& name, const char* mode);
// Moves the finished file `from` over `to`; false leaves `to` as it was.
bool RenameStream(const std::string& from, const std::string& to);

// Reads "#n" from the front of the parameter text (and the "," after it): 104 without "#",
// 210 outside 1..15. Returns 0 when the slot is not usable.
int32_t ReadFileSlot(Engine& engine);
// ReadFileSlot telling in `plain` whether the slot was written as digits alone, with the
// reading of an expression after "#" kept in `memo` where given.
int32_t ReadFileSlot(Engine& engine, bool& plain, RememberedExpression* memo);
// ReadFileSlot for the first argument of a function whose row reads its arguments through
// the readers (FunctionRow::readersOnly): "#" and digits are read where the call's text
// stands, an expression after "#" through the call site's reading; the call's text is
// written out only where neither applies.
int32_t ArgFileSlot(Engine& engine);

// One line of the text file in slot n (without its line end); false at the end or on an
// I/O failure (recorded).
bool ReadTextLine(Engine& engine, int32_t slot, std::string& line);
void WriteTextFile(Engine& engine, int32_t slot, std::string_view text);
bool AtTextEnd(Engine& engine, int32_t slot);

// The bytes of the area variable named before the next "," of the parameter text, with
// its size: 121 for a name without "#", 215 for an unknown one, 243 for one that is not
// dimensioned. nullptr after an error.
struct AreaBlock {
  uint8_t* data = nullptr;
  int64_t size = 0;
};
bool ReadAreaBlock(Engine& engine, AreaBlock& area);

}  // namespace talven
