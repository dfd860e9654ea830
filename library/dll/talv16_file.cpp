#include "library/dll/talv16_file.h"

#include <algorithm>

namespace talven {

namespace {

void PutLittle(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool TakeLong(std::span<const uint8_t> bytes, size_t& at, uint32_t& value) {
  if (bytes.size() < 4 || at > bytes.size() - 4) return false;
  value = static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
          static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
  at += 4;
  return true;
}

}  // namespace

uint32_t NextHelperNumber(uint32_t ticks, uint32_t& last) {
  const uint32_t number = ticks > last ? ticks : last + 1;
  last = number;
  return number;
}

std::string HelperFileName(uint32_t number) {
  std::string digits = std::to_string(number % 1000000u);
  digits.insert(0, 6 - digits.size(), '0');
  return "P" + digits + ".$";
}

std::string HelperCommandLine(std::string_view library, std::string_view function,
                              std::string_view description, std::string_view result,
                              std::string_view shortName) {
  std::string line = "TALV16 ";
  line.append(library).append("|").append(function).append("|").append(description).append("|");
  line.append(result).append(" ").append(shortName);
  return line;
}

std::vector<uint8_t> WriteHelperFile(std::string_view description, std::span<const HelperArgument> arguments) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < description.size() && i < arguments.size(); ++i) {
    const HelperArgument& argument = arguments[i];
    switch (description[i]) {
      case '%': PutLittle(out, static_cast<uint32_t>(argument.value), 2); break;
      case '&': PutLittle(out, static_cast<uint32_t>(argument.value), 4); break;
      default: {
        const size_t size = argument.area ? argument.area->size() : 0;
        PutLittle(out, static_cast<uint32_t>(size), 4);
        if (argument.area) out.insert(out.end(), argument.area->begin(), argument.area->end());
        break;
      }
    }
  }
  PutLittle(out, 0, 4);  // the result's place
  return out;
}

std::optional<HelperReply> ReadHelperFile(std::span<const uint8_t> bytes, std::string_view description,
                                          std::span<const HelperArgument> arguments) {
  HelperReply reply;
  size_t at = 0;  // where the argument lay in what was written
  for (size_t i = 0; i < description.size() && i < arguments.size(); ++i) {
    if (description[i] == '%') {
      at += 2;
      continue;
    }
    if (description[i] == '&') {
      at += 4;
      continue;
    }
    const size_t own = arguments[i].area ? arguments[i].area->size() : 0;
    uint32_t size = 0;
    size_t read = at;
    if (!TakeLong(bytes, read, size)) return std::nullopt;
    // Mended: a helper that claims more than the area holds gives back only the area's
    // own bytes (and the caller warns); the rest stays in the file.
    const size_t take = std::min<size_t>(size, own);
    if (size > own && !reply.areaOverflow) {
      reply.areaOverflow = true;
      reply.overflowSize = own;
    }
    if (take > bytes.size() - read) return std::nullopt;
    reply.areas.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(read),
                             bytes.begin() + static_cast<std::ptrdiff_t>(read + take));
    at += 4 + own;
  }
  uint32_t result = 0;
  if (!TakeLong(bytes, at, result)) return std::nullopt;
  reply.result = static_cast<int32_t>(result);
  return reply;
}

}  // namespace talven
