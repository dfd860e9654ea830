// The recovery list in TALVED32.INI: whatever stands there is either refused or read as an
// entry that is written back the same and names only a copy of our own (".~tv").
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/recovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view value(reinterpret_cast<const char*>(data), size);
  const auto entry = talven::editor::ParseRecoveryValue(7, value);
  if (!entry) return 0;
  if (entry->slot != 7 || entry->copy.size() < 4 || entry->copy.substr(entry->copy.size() - 4) != ".~tv") abort();
  const std::string written = talven::editor::RecoveryValue(*entry);
  const auto again = talven::editor::ParseRecoveryValue(7, written);
  if (!again || again->process != entry->process || again->copy != entry->copy ||
      again->original != entry->original || talven::editor::RecoveryValue(*again) != written) {
    abort();
  }
  // The name of a copy for whatever file name stands there is never the file itself.
  const std::string name = talven::editor::RecoveryFileName(entry->original, 1, "C:\\TEMP\\", nullptr);
  if (name == entry->original) abort();
  return 0;
}
