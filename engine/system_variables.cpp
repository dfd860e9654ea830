#include "engine/system_variables.h"

#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/scan.h"
#include "engine/startup.h"
#include "engine/text.h"
#include "library/library_values.h"

namespace talven {

namespace {

constexpr int32_t kUnknownSystemVariable = 100;

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

// Steps 1 and 2 of the fallback: "$" hexadecimal, "&" octal, "%" binary.
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

// Step 3: a constant of a DEF line above the current one.
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

}  // namespace

void ReadSystemVariable(Engine& engine, std::string_view name) {
  ErrorState& errors = engine.errors;
  if (name == "%PCOUNT") {
    SetSystemInteger(engine, engine.argumentCount, ValueType::Integer);
  } else if (name == "%ERROR") {
    // Read and cleared.
    SetSystemInteger(engine, errors.flag, ValueType::Integer);
    errors.flag = 0;
  } else if (name == "%ERRNUMBER") {
    SetSystemInteger(engine, errors.lastNumber, ValueType::Integer);
    errors.lastNumber = 0;
  } else if (name == "%PARCOUNT") {
    SetSystemInteger(engine, static_cast<int32_t>(engine.programArgs.size()), ValueType::Integer);
  } else if (name == "$TALVVER") {
    SetStringValue(engine.reg, std::string(EngineVersion(engine.kind)));
  } else if (name == "%ERRORLEVEL") {
    SetSystemInteger(engine, errors.level, ValueType::Integer);
  } else if (!ReadLibraryVariable(engine, name) && !ReadRadixNumber(engine, name) &&
             !ReadConstant(engine, std::string(name))) {
    engine.reg = Registers{};
    Error(engine, kUnknownSystemVariable, name);
  }
}

}  // namespace talven
