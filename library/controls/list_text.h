#pragma once
// The shared list as the text of an edit and back: MOVELISTTOEDIT and the edit dialog
// join the entries with CR LF, the edit dialog's OK splits the edit's text into lines.
// Also which template each ready-made dialog uses.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace talven {

// The most characters MOVELISTTOEDIT puts into an edit: an entry that would bring the text
// to this length or more is left out.
inline constexpr size_t kEditTextLimit = 63999;

struct JoinedText {
  std::string text;
  bool complete = true;  // no entry was left out
};

// MOVELISTTOEDIT: every entry followed by CR LF, as long as the text stays below
// kEditTextLimit; entries that would not fit are left out (later shorter ones still go in).
JoinedText JoinForEdit(const std::vector<std::string>& entries);

// The edit dialog's text: the entries with CR LF between them, all of them (the dialog
// raises its edit's limit so that nothing is cut).
std::string JoinWithBreaks(const std::vector<std::string>& entries);

struct SplitLines {
  std::vector<std::string> lines;  // each cut to 255 characters
  bool tooMany = false;            // more lines than `maxLines`: nothing was taken
};

// The lines of an edit's text (CR LF, also a lone LF, ends a line; the last line counts
// even when empty, as the edit counts it).
SplitLines SplitEditText(std::string_view text, size_t maxLines);

// The templates: EDITBOX2 for mode 2, else EDITBOX1; LISTBOX1 to LISTBOX8 by mode, any other
// mode LISTBOX7.
std::string EditBoxTemplate(int mode);
std::string ListBoxTemplate(int mode);

}  // namespace talven
