#pragma once
// Values in the result registers and parameter slots: the float-to-integer conversion and
// the number format every numeric result is also written in.

#include <array>
#include <cstdint>
#include <string>

#include "engine/limits.h"

namespace talven {

enum class ValueType : int32_t { None = 0, String = 1, Integer = 2, Long = 3, Float = 4 };

// The typed result registers every evaluation fills.
struct Registers {
  int32_t integer = 0;
  int32_t longValue = 0;
  double floatValue = 0.0;
  std::string text;
  ValueType type = ValueType::None;
};

// NUMWIDTH, DECIMALS and STRWIDTH.
struct NumberFormat {
  int32_t width = 0;
  int32_t decimals = 6;
  int32_t stringWidth = 0;
};

// One parameter slot: the same value in all four forms.
struct ParameterSlot {
  int32_t integer = 0;
  int32_t longValue = 0;
  double floatValue = 0.0;
  std::string text;
};
using ParameterSlots = std::array<ParameterSlot, kParameterSlots>;

// Float to integer or long: truncation toward zero; a magnitude above 2147483647 gives 0.
int32_t Truncated(double value);

std::string FormatFloat(double value, const NumberFormat& format);
std::string FormatInteger(int32_t value, const NumberFormat& format);

// Fill all numeric registers and the formatted text from one value.
void SetFloatValue(Registers& reg, double value, ValueType type, const NumberFormat& format);
void SetIntegerValue(Registers& reg, int32_t value, ValueType type, const NumberFormat& format);
void SetStringValue(Registers& reg, std::string text);

void StoreSlot(ParameterSlot& slot, const Registers& reg);
void LoadSlot(Registers& reg, const ParameterSlot& slot);

}  // namespace talven
