#pragma once
// The temporary file of a call through the 16-bit helper TALV16.EXE: its name, the
// arguments written in order, and what the helper hands back.
//
// Layout, all numbers little-endian: per description character "%" the value as 2 bytes,
// "&" the long value as 4 bytes, "#" the area's size as 4 bytes (0 when the argument
// names no area) and its bytes; then 4 bytes the helper overwrites with the result.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talven {

// The number of the next temporary file: the tick count, or one more than the last number
// when the ticks have not passed it (two calls in one millisecond get two files).
uint32_t NextHelperNumber(uint32_t ticks, uint32_t& last);
// "P" + the number's last six digits + ".$".
std::string HelperFileName(uint32_t number);
// "TALV16 LIB|FUNCTION|DESCRIPTION|RESULT SHORTNAME".
std::string HelperCommandLine(std::string_view library, std::string_view function,
                              std::string_view description, std::string_view result,
                              std::string_view shortName);

struct HelperArgument {
  int32_t value = 0;                          // "%" and "&"
  std::optional<std::vector<uint8_t>> area;   // "#": the area's bytes, none when no area
};

// The file's bytes for `description` (one character per argument).
std::vector<uint8_t> WriteHelperFile(std::string_view description, std::span<const HelperArgument> arguments);

struct HelperReply {
  // For each "#" argument in order: the bytes the helper left (at most the area's size).
  std::vector<std::vector<uint8_t>> areas;
  // Some area came back longer than it is: only its own size was taken. The size of the
  // first such area.
  bool areaOverflow = false;
  size_t overflowSize = 0;
  int32_t result = 0;
};

// Reads the helper's file back. nullopt when it is cut short or does not fit the
// description. `arguments` are those that were written: each area is read back where it
// was put, and the result after the last.
std::optional<HelperReply> ReadHelperFile(std::span<const uint8_t> bytes, std::string_view description,
                                          std::span<const HelperArgument> arguments);

}  // namespace talven
