#pragma once
// Entry names as the list shows them, the names files get on disk, and which names may be
// written at all.

#include <cstdint>

#include "sfx/local_header.h"

namespace talven::sfx {

inline constexpr int32_t kMaxPath = 520;

enum class PathMode { Flat, WithPaths };

// Stored names in UTF-8 (flag bit 11, or names that are valid UTF-8 with characters beyond
// ASCII, as today's zippers write them on UTF-8 systems) become code page 1252 in place;
// characters it lacks become '_'. Other names are taken as they are.
void NameToAnsi(char* name, bool flaggedUtf8);

// The list name of a stored name: forward slashes become backslashes; a name with a
// directory gets a leading backslash; without paths only the last component is kept. Cut at
// 255 characters. Returns whether the stored name had a directory part.
bool ListName(const char* storedName, PathMode mode, char* out);

// The name relative to the target directory (list name without its leading backslash).
const char* RelativeName(const char* listName);

// False for names that would land outside the target directory or on a device: "..",
// a drive or stream colon, a leading backslash, device names, control and wildcard
// characters, components of dots and blanks only.
bool IsSafeRelativeName(const char* relative);

// Whether an entry may be written: with paths the whole stored name is checked (so that
// "\x" or "C:\x" is refused, not quietly moved), without paths only its last component. An
// empty last component is a directory entry and writes nothing.
bool IsSafeEntryName(const char* storedName, PathMode mode);

// The target file name from the target field and the list name. False when too long.
bool TargetName(const char* directory, const char* listName, PathMode mode, char* out);

// The directory part of a path (without the last backslash); empty when there is none.
void DirectoryOf(const char* path, char* out);

// The last component of a path.
const char* LastComponent(const char* path);

}  // namespace talven::sfx
