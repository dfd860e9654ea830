// The helper's temporary file read back on arbitrary bytes: the first bytes choose the
// description and the areas' sizes, the rest is what the helper left. Nothing is read
// past the bytes, no area comes back longer than it is, and a file written for a
// description reads back as it was.

#include <cstdint>
#include <string>
#include <vector>

#include "library/dll/talv16_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using talven::HelperArgument;
  if (size < 1) return 0;
  const size_t count = data[0] % 16;
  if (size < 1 + count) return 0;
  std::string description;
  std::vector<HelperArgument> arguments;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t b = data[1 + i];
    HelperArgument argument;
    argument.value = static_cast<int32_t>(b) * 257 - 30000;
    if (b % 3 == 2) {
      description += '#';
      if (b % 5 != 0) argument.area.emplace(b % 40, static_cast<uint8_t>(b));
    } else {
      description += b % 3 == 0 ? '%' : '&';
    }
    arguments.push_back(argument);
  }
  const std::vector<uint8_t> file(data + 1 + count, data + size);
  const auto reply = talven::ReadHelperFile(file, description, arguments);
  if (reply) {
    size_t k = 0;
    for (size_t i = 0; i < count; ++i) {
      if (description[i] != '#') continue;
      const size_t own = arguments[i].area ? arguments[i].area->size() : 0;
      if (k >= reply->areas.size() || reply->areas[k].size() > own) __builtin_trap();
      ++k;
    }
  }
  const std::vector<uint8_t> written = talven::WriteHelperFile(description, arguments);
  const auto again = talven::ReadHelperFile(written, description, arguments);
  if (!again || again->areaOverflow || again->result != 0) __builtin_trap();
  size_t k = 0;
  for (size_t i = 0; i < count; ++i) {
    if (description[i] != '#') continue;
    const std::vector<uint8_t> own = arguments[i].area.value_or(std::vector<uint8_t>{});
    if (again->areas[k++] != own) __builtin_trap();
  }
  return 0;
}
