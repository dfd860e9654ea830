#include "engine/system_variables.h"

#include <cstdlib>
#include <string>
#include <unordered_map>

#include "engine/engine.h"
#include "engine/binding.h"
#include "engine/errors.h"
#include "engine/scan.h"
#include "engine/startup.h"
#include "engine/text.h"

namespace talven {

namespace {

// An integer or long system variable can be read in every numeric type.
void SetSystemInteger(Engine& engine, int32_t value, ValueType type) {
  SetIntegerValue(engine.reg, value, type, engine.format);
}

// The digits of `text` in `base` (at most 32 bits; more wrap as a long does). False when
// a character is not a digit of the base or there is none.
bool ParseDigits(std::string_view text, uint32_t base, int32_t& value) {
  if (text.empty() || text.size() > 32) return false;
  uint64_t result = 0;
  for (char c : text) {
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return false;
    }
    if (digit >= base) return false;
    result = result * base + digit;
    if (result > 0xFFFFFFFFu) return false;
  }
  value = static_cast<int32_t>(static_cast<uint32_t>(result));
  return true;
}

// The first fallback for a name that is no system variable: a number written "$"
// hexadecimal, "&" octal or "%" binary.
bool ReadRadixNumber(Engine& engine, std::string_view name) {
  uint32_t base = 0;
  switch (name.front()) {
    case '$': base = 16; break;
    case '&': base = 8; break;
    case '%': base = 2; break;
    default: return false;
  }
  int32_t value = 0;
  if (!ParseDigits(name.substr(1), base, value)) return false;
  SetSystemInteger(engine, value, ValueType::Long);
  return true;
}

// The first line of the store that defines `name` with "DEF name value"; 0 when none.
// The store never changes during a run, so the answer is remembered.
int32_t FindConstantLine(Engine& engine, const std::string& name) {
  auto found = engine.cache.constants.find(name);
  if (found != engine.cache.constants.end()) return found->second;
  int32_t line = 0;
  for (int32_t n = 1; n <= engine.store.LineCount() && line == 0; ++n) {
    const std::string_view text = engine.store.Line(n).text;
    if (!StartsWithNoCase(text, "DEF ")) continue;
    const std::string_view rest = TrimControl(text.substr(4));
    const size_t blank = rest.find(' ');
    if (UpperCase(rest.substr(0, blank)) == name) line = n;
  }
  engine.cache.constants.emplace(name, line);
  return line;
}

// The last fallback: a constant of a DEF line above the current one.
bool ReadConstant(Engine& engine, const std::string& name) {
  const int32_t line = FindConstantLine(engine, name);
  // The first definition decides; one at or below the current line is not yet seen.
  if (line == 0 || line >= engine.pc) return false;
  const std::string_view rest = TrimControl(std::string_view(engine.store.Line(line).text).substr(4));
  const size_t blank = rest.find(' ');
  const std::string_view value = blank == kNotFound ? std::string_view() : TrimControl(rest.substr(blank));
  switch (name.front()) {
    case '$': {
      std::string_view text = value;
      if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
      }
      SetStringValue(engine.reg, std::string(text));
      break;
    }
    case '!':
      SetFloatValue(engine.reg, std::strtod(std::string(value).c_str(), nullptr), ValueType::Float,
                    engine.format);
      break;
    default: {
      const double number = std::strtod(std::string(value).c_str(), nullptr);
      SetSystemInteger(engine, Truncated(number),
                       name.front() == '&' ? ValueType::Long : ValueType::Integer);
      break;
    }
  }
  return true;
}

constexpr std::string_view kSystemVariables[] = {
#define TALVEN_SYSTEM_VARIABLE(name) name,
#include "engine/system_variables.def"
#undef TALVEN_SYSTEM_VARIABLE
};

// Unknown names fail the same way everywhere: 100 with the name, the registers empty.
void Unknown(Engine& engine, std::string_view name) {
  engine.reg = Registers{};
  Error(engine, ErrorCode::UnknownSystemVariable, name);
}

// After a table look-up a numeric register of 0 takes a neighbour's value, so that every
// integer or long variable reads in every numeric type.
void CrossFill(Registers& reg) {
  if (reg.longValue == 0) reg.longValue = reg.integer;
  if (reg.integer == 0) reg.integer = reg.longValue;
  if (reg.floatValue == 0.0) reg.floatValue = reg.longValue;
}

}  // namespace

void SetSystemNumber(Engine& engine, std::string_view name, int32_t value) {
  SetSystemInteger(engine, value, name.front() == '&' ? ValueType::Long : ValueType::Integer);
}

void ReadSystemVariable(Engine& engine, std::string_view name) {
  const int row = FindSystemVariableRow(name);
  // A row the program withholds has no reader: the name goes on as one not in the table.
  if (row >= 0) {
    if (const VariableReader reader = engine.bindings.variables[static_cast<size_t>(row)]) {
      reader(engine, name);
      CrossFill(engine.reg);
      return;
    }
  }
  if (!ReadRadixNumber(engine, name) && !ReadConstant(engine, std::string(name))) {
    Unknown(engine, name);
  }
}

int FindSystemVariableRow(std::string_view name) {
  // The index answers exactly what the comparison in table order would: no name occurs
  // twice.
  static const std::unordered_map<std::string_view, int> kIndex = [] {
    std::unordered_map<std::string_view, int> index;
    for (size_t i = 0; i < std::size(kSystemVariables); ++i) {
      index.emplace(kSystemVariables[i], static_cast<int>(i));
    }
    return index;
  }();
  const auto found = kIndex.find(name);
  return found == kIndex.end() ? -1 : found->second;
}

size_t SystemVariableCount() { return std::size(kSystemVariables); }

std::string_view SystemVariableName(size_t row) { return kSystemVariables[row]; }

std::vector<std::string_view> SystemVariableNames() {
  return std::vector<std::string_view>(std::begin(kSystemVariables), std::end(kSystemVariables));
}

}  // namespace talven
