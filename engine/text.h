#pragma once
// Byte-string helpers shared by the whole engine. Text is ANSI (code page 1252) bytes;
// upper-casing touches only the ASCII letters, as keyword and name comparison expects.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/limits.h"

namespace talven {

inline bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) < 33; }

// Trims every character below 33 at both ends.
std::string_view TrimControl(std::string_view text);
std::string UpperCase(std::string_view text);
inline char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Keeps at most 255 characters: an engine string never grows beyond that.
inline void CutToMaxString(std::string& text) {
  if (text.size() > kMaxStringLength) text.resize(kMaxStringLength);
}
inline std::string Joined(std::string_view a, std::string_view b) {
  std::string result;
  result.reserve(a.size() + b.size());
  result.append(a).append(b);
  CutToMaxString(result);
  return result;
}

// The number right-aligned in a field of `width` characters (wider numbers are not cut).
std::string PadLeft(int64_t number, size_t width);

}  // namespace talven
