#pragma once
// INI text as the system's profile calls see it, for the hosts that have no such calls:
// sections in "[...]", entries "key=value" (blanks around both dropped, one pair of quotes
// around a value dropped), names compared without regard to case, lines ending in CR LF,
// LF or CR. Values are at most 255 characters. No I/O of its own.

#include <optional>
#include <string>
#include <string_view>

namespace talven {

// The value of key in section; nullopt when the entry is not there.
std::optional<std::string> IniValue(std::string_view text, std::string_view section, std::string_view key);

// The text with the entry set: an existing entry's line is replaced, a new one goes to the
// end of its section, a new section to the end of the text. New lines end in CR LF.
std::string IniWithValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value);

}  // namespace talven
