#include "library/controls/list_text.h"

#include "library/controls/shared_list.h"

namespace talven {

JoinedText JoinForEdit(const std::vector<std::string>& entries) {
  JoinedText joined;
  for (const std::string& entry : entries) {
    if (joined.text.size() + entry.size() + 2 >= kEditTextLimit) {
      joined.complete = false;
      continue;
    }
    joined.text += entry;
    joined.text += "\r\n";
  }
  return joined;
}

std::string JoinWithBreaks(const std::vector<std::string>& entries) {
  size_t size = 0;
  for (const std::string& entry : entries) size += entry.size() + 2;
  std::string text;
  text.reserve(size);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i != 0) text += "\r\n";
    text += entries[i];
  }
  return text;
}

SplitLines SplitEditText(std::string_view text, size_t maxLines) {
  SplitLines split;
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (split.lines.size() >= maxLines) {
      split.lines.clear();
      split.tooMany = true;
      return split;
    }
    split.lines.emplace_back(line.substr(0, SharedList::kEntryLength));
    if (last) break;
    start = end + 1;
  }
  return split;
}

std::string EditBoxTemplate(int mode) { return mode == 2 ? "EDITBOX2" : "EDITBOX1"; }

std::string ListBoxTemplate(int mode) {
  if (mode < 1 || mode > 8) mode = 7;
  return "LISTBOX" + std::to_string(mode);
}

}  // namespace talven
