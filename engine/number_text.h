#pragma once
// Text conversions of the function catalogue that depend on nothing but their input:
// the picture formatter of @FORMAT$, the number reading of @VAL, the bases of @HEX$,
// @OCT$ and @BIN$, and the code-page tables of @OEMTOANSI$ and @ANSITOOEM$.

#include <cstdint>
#include <string>
#include <string_view>

namespace talven {

// @FORMAT$: `value` written with the picture `picture`: "0" a digit always shown, "#" a
// digit shown when it counts, "." the decimal point, "," thousands separators (anywhere
// among the integer digits), text in double or single quotes as it stands, up to three
// sections separated by ";" for positive, negative and zero values. Other characters
// stand for themselves. The point is "." and the separator "," whatever the system says.
// An empty picture writes the value with up to 15 significant digits. Cut at 255.
std::string FormatPicture(std::string_view picture, double value);

// @VAL: the reading of a text (already trimmed by the caller or not).
struct ValReading {
  bool isFloat = false;
  double floatValue = 0.0;
  int32_t longValue = 0;
};
ValReading ReadVal(std::string_view text);

// `value` as an unsigned 32-bit number in base 2 to 16, upper-case digits, no prefix.
std::string ToBase(uint32_t value, uint32_t base);

// Code page 850 (OEM) to 1252 (ANSI) and back, byte for byte; characters without an
// equivalent become the nearest plain character ("+", "-", "|" for the box-drawing
// characters, the base letter for accented ones, "?" otherwise).
std::string OemToAnsi(std::string_view text);
std::string AnsiToOem(std::string_view text);

}  // namespace talven
