#pragma once
// The file names the maker works out: its stub beside it, the archive, the new program.

#include <cstdint>

namespace talven::sfx {

inline constexpr int32_t kMaxMakerPath = 520;

// The own program path in upper case, every ".EXE" replaced by ".BIN".
void StubNameFor(const char* programPath, char* out);

// The parameter, with ".ZIP" appended when it holds no ".".
void ArchiveNameFor(const char* parameter, char* out);

// The archive name up to and including its last ".", then "exe".
void OutputNameFor(const char* archiveName, char* out);

// A chosen file name without leading and trailing blanks and control characters.
void TrimName(const char* name, char* out);

}  // namespace talven::sfx
