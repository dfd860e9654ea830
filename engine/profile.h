#pragma once
// A profile: what one program of the system is. The interpreter, the runtime and linked
// programs share the full profile; the script interpreter has fewer families and withholds
// further names. The engine reads everything that differs between them from here.

#include <cstdint>
#include <span>
#include <string_view>

#include "engine/family.h"

namespace talven {

struct Profile {
  std::string_view name;
  FamilyList families;
  // Statement words and function names (without "@") the program does not have even
  // though one of its families binds them: they fall through as unknown words do.
  std::span<const std::string_view> withheldNames;
  // Lines a program may have, and the text of the box that refuses more.
  int32_t lineLimit = 65535;
  std::string_view tooManyLines = {};  // empty: the error table's 901 "Zu viele Programm-Zeilen!"
  // The caption of the usage box and of the boxes that end the start; the usage text.
  std::string_view startCaption;
  std::string_view usageText;
  // The file dialog of the start: its filter, default extension and the extension added
  // to a name without ".".
  std::string_view fileFilter;
  std::string_view defaultExtension;
  std::string_view appendedExtension;
  // The main window's title (the banner) and the version $TALVVER reads.
  std::string_view banner;
  std::string_view version;
  // The caption of the loader's boxes (too many lines, a line too long, includes).
  std::string_view loadCaption;
  // Non-empty: the caption of the error and warning boxes of a run, in place of the
  // display line.
  std::string_view boxCaption = {};
};

}  // namespace talven
