// The shared list as edit text from any bytes: the edit dialog's split never yields more
// lines than allowed nor entries over 255 characters, and a split list joins back to the
// same lines; MOVELISTTOEDIT's text stays below its limit.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "library/controls/list_text.h"
#include "library/controls/shared_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t maxLines = 64;
  const talven::SplitLines split = talven::SplitEditText(text, maxLines);
  if (split.lines.size() > maxLines) std::abort();
  if (split.tooMany != split.lines.empty()) std::abort();
  for (const std::string& line : split.lines) {
    if (line.size() > talven::SharedList::kEntryLength) std::abort();
    if (line.find('\n') != std::string::npos) std::abort();
  }
  if (!split.tooMany) {
    const talven::SplitLines again = talven::SplitEditText(talven::JoinWithBreaks(split.lines), maxLines);
    bool crInside = false;
    for (const std::string& line : split.lines) crInside |= line.find('\r') != std::string::npos;
    if (!crInside && again.lines != split.lines) std::abort();
  }
  std::vector<std::string> entries;
  for (size_t i = 0; i < size; ++i) entries.emplace_back(static_cast<size_t>(data[i]) * 4 % 256, 'x');
  const talven::JoinedText joined = talven::JoinForEdit(entries);
  if (joined.text.size() >= talven::kEditTextLimit) std::abort();
  return 0;
}
