#include "engine/values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/text.h"

namespace talven {

namespace {

constexpr int32_t kMaxDecimals = 100;

}  // namespace

std::string FormatFloat(double value, const NumberFormat& format) {
  const int width = std::clamp<int32_t>(format.width, 0, static_cast<int32_t>(kMaxStringLength));
  const int decimals = std::clamp<int32_t>(format.decimals, 0, kMaxDecimals);
  std::string text;
  if (std::isnan(value)) {
    text = "NAN";
  } else if (std::isinf(value)) {
    text = value < 0 ? "-INF" : "INF";
  } else {
    // A fixed-point text of the largest double needs about 310 digits before the point.
    char buffer[512];
    std::snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
    text = buffer;
  }
  if (text.size() < static_cast<size_t>(width)) text.insert(0, width - text.size(), ' ');
  CutToMaxString(text);
  return text;
}

std::string FormatInteger(int32_t value, const NumberFormat& format) {
  const int width = std::clamp<int32_t>(format.width, 0, static_cast<int32_t>(kMaxStringLength));
  return PadLeft(value, static_cast<size_t>(width));
}

void SetStringValue(Registers& reg, std::string_view text) {
  reg.AssignText(text.substr(0, std::min(text.size(), kMaxStringLength)));
  reg.integer = 0;
  reg.longValue = 0;
  reg.floatValue = 0.0;
  reg.type = ValueType::String;
}

void SetStringValue(Registers& reg, std::string text) {
  CutToMaxString(text);
  reg.SetText(std::move(text));
  reg.integer = 0;
  reg.longValue = 0;
  reg.floatValue = 0.0;
  reg.type = ValueType::String;
}

void Registers::Materialize() const {
  m_text = m_pending == Pending::Float ? FormatFloat(m_value, m_format)
                                       : FormatInteger(static_cast<int32_t>(m_value), m_format);
  m_pending = Pending::None;
}

}  // namespace talven
