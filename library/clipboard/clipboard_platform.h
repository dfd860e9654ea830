#pragma once
// What CLEARCLIP and PUTCLIP need from the system. `owner` is the main window's handle, 0
// before the window exists (the platform then uses a window of its own).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/family.h"

namespace talven {

class ClipboardPlatform : public FamilyPlatform {
 public:
  virtual bool Clear(intptr_t owner) = 0;
  // Empties the clipboard, then puts the text on it in the text format.
  virtual bool PutText(intptr_t owner, const std::string& text) = 0;
};

std::unique_ptr<FamilyPlatform> MakeMemoryClipboard();

}  // namespace talven
