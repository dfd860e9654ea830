#pragma once
// Values in the result registers and parameter slots: the float-to-integer conversion and
// the number format every numeric result is also written in.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/limits.h"

namespace talven {

enum class ValueType : int32_t { None = 0, String = 1, Integer = 2, Long = 3, Float = 4 };

// NUMWIDTH, DECIMALS and STRWIDTH.
struct NumberFormat {
  int32_t width = 0;
  int32_t decimals = 6;
  int32_t stringWidth = 0;
};

// The typed result registers every evaluation fills. The string register of a numeric
// result holds the number formatted with the NUMWIDTH and DECIMALS in force when the value
// was made; the text is written out only when it is read, which is rarely.
struct Registers {
  enum class Pending : uint8_t { None, Float, Integer };

  int32_t integer = 0;
  int32_t longValue = 0;
  double floatValue = 0.0;
  ValueType type = ValueType::None;

  Registers() = default;
  // A copy takes the text only where it is written out: a number whose text is still to
  // be formatted carries what it needs to format it (operator stack entries and slots are
  // copied on every operator and call).
  Registers(const Registers& other)
      : integer(other.integer), longValue(other.longValue), floatValue(other.floatValue),
        type(other.type), m_pending(other.m_pending), m_value(other.m_value),
        m_format(other.m_format) {
    if (other.m_pending == Pending::None) m_text = other.m_text;
  }
  Registers& operator=(const Registers& other) {
    if (this == &other) return *this;
    integer = other.integer;
    longValue = other.longValue;
    floatValue = other.floatValue;
    type = other.type;
    m_pending = other.m_pending;
    m_value = other.m_value;
    m_format = other.m_format;
    if (other.m_pending == Pending::None) m_text = other.m_text;
    return *this;
  }
  Registers(Registers&&) = default;
  Registers& operator=(Registers&&) = default;

  const std::string& Text() const {
    if (m_pending != Pending::None) Materialize();
    return m_text;
  }
  void SetText(std::string text) {
    m_text = std::move(text);
    m_pending = Pending::None;
  }
  // As SetText, into the register's own buffer.
  void AssignText(std::string_view text) {
    m_text.assign(text);
    m_pending = Pending::None;
  }
  // As SetText, the two texts one after the other (at most `limit` characters) into the
  // register's own buffer; neither may be the register's own text.
  void AssignJoined(std::string_view a, std::string_view b, size_t limit) {
    m_text.assign(a.substr(0, std::min(a.size(), limit)));
    if (m_text.size() < limit) m_text.append(b.substr(0, std::min(b.size(), limit - m_text.size())));
    m_pending = Pending::None;
  }
  // The text will be `value` as a float (Float) or as an integer (Integer) in `format`.
  void SetFormatted(Pending kind, double value, const NumberFormat& format) {
    m_pending = kind;
    m_value = value;
    m_format = format;
  }

 private:
  void Materialize() const;

  mutable std::string m_text;
  mutable Pending m_pending = Pending::None;
  double m_value = 0.0;
  NumberFormat m_format;
};

// One parameter slot: the same value in all four forms (its type code is not used).
using ParameterSlot = Registers;
using ParameterSlots = std::array<ParameterSlot, kParameterSlots>;

// Float to integer or long: truncation toward zero; a magnitude above 2147483647 gives 0.
inline int32_t Truncated(double value) {
  // Written so that NaN fails the test as well.
  if (!(value <= 2147483647.0 && value >= -2147483647.0)) return 0;
  return static_cast<int32_t>(value);
}

std::string FormatFloat(double value, const NumberFormat& format);
std::string FormatInteger(int32_t value, const NumberFormat& format);

// Fill all numeric registers and the formatted text from one value.
inline void SetFloatValue(Registers& reg, double value, ValueType type, const NumberFormat& format) {
  reg.floatValue = value;
  reg.integer = Truncated(value);
  reg.longValue = reg.integer;
  reg.type = type;
  reg.SetFormatted(Registers::Pending::Float, value, format);
}
inline void SetIntegerValue(Registers& reg, int32_t value, ValueType type, const NumberFormat& format) {
  reg.floatValue = value;
  reg.integer = value;
  reg.longValue = value;
  reg.type = type;
  reg.SetFormatted(Registers::Pending::Integer, value, format);
}
void SetStringValue(Registers& reg, std::string text);
// The same for a text that stays where it is (a variable, a literal): no new string.
void SetStringValue(Registers& reg, std::string_view text);

// All four forms of the slot; the caller sets the type.
inline void LoadSlot(Registers& reg, const ParameterSlot& slot) { reg = slot; }

}  // namespace talven
