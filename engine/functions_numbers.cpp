// The number and logic functions of the catalogue, @IF, the colour values of @RGB and its
// kin, and SETTRUECOLOR, the statement that chooses their colour mode.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/statements.h"

namespace talven {

namespace {

constexpr double kPi = 3.14159265358979323846;

void Fail(Engine& engine, ErrorCode code) {
  engine.reg = Registers{};
  Error(engine, code);
}

// x, y -> float.
template <typename Op>
void Binary(Engine& engine, Op op) {
  const double a = ArgFloat(engine);
  const double b = ArgFloat(engine);
  ResultFloat(engine, op(a, b));
}

// x, y -> integer 1 or 0, by the sign of their difference.
template <typename Test>
void Comparison(Engine& engine, Test test) {
  const double a = ArgFloat(engine);
  const double b = ArgFloat(engine);
  ResultInteger(engine, test(a - b) ? 1 : 0);
}

// x -> float.
template <typename Op>
void Unary(Engine& engine, Op op) {
  ResultFloat(engine, op(ArgFloat(engine)));
}

// x -> float; 200 where the function has no value.
template <typename Defined, typename Op>
void Partial(Engine& engine, Defined defined, Op op) {
  const double x = ArgFloat(engine);
  if (!defined(x)) {
    Fail(engine, ErrorCode::InvalidValue);
    return;
  }
  ResultFloat(engine, op(x));
}

int32_t ColourPart(const Engine& engine, int32_t value, int part) {
  const auto bits = static_cast<uint32_t>(value);
  if (engine.functions.trueColor) return static_cast<int32_t>((bits >> (8 * part)) & 0xFF);
  return static_cast<int32_t>((bits >> (5 * part)) & 31);
}

}  // namespace

void FnAdd(Engine& engine, std::string_view) { Binary(engine, [](double a, double b) { return a + b; }); }
void FnSub(Engine& engine, std::string_view) { Binary(engine, [](double a, double b) { return a - b; }); }
void FnMul(Engine& engine, std::string_view) { Binary(engine, [](double a, double b) { return a * b; }); }

void FnDiv(Engine& engine, std::string_view) {
  const double a = ArgFloat(engine);
  const double b = ArgFloat(engine);
  if (b == 0.0) {
    Fail(engine, ErrorCode::DivisionByZero);
    return;
  }
  ResultFloat(engine, a / b);
}

void FnIntDiv(Engine& engine, std::string_view) {
  const int64_t a = ArgInteger(engine);
  const int64_t b = ArgInteger(engine);
  if (b == 0) {
    Fail(engine, ErrorCode::DivisionByZero);
    return;
  }
  // In 64 bits: -2147483648 / -1 must not trap; it wraps as the long register does.
  ResultInteger(engine, static_cast<int32_t>(static_cast<uint32_t>(a / b)), ValueType::Long);
}

void FnMod(Engine& engine, std::string_view) {
  const int64_t a = ArgLong(engine);
  const int64_t b = ArgInteger(engine);
  if (b == 0) {
    Fail(engine, ErrorCode::DivisionByZero);
    return;
  }
  ResultFloat(engine, static_cast<double>(a % b));
}

void FnAnd(Engine& engine, std::string_view) {
  const int32_t a = ArgLong(engine);
  const int32_t b = ArgLong(engine);
  ResultInteger(engine, a & b, ValueType::Long);
}

void FnOr(Engine& engine, std::string_view) {
  const int32_t a = ArgLong(engine);
  const int32_t b = ArgLong(engine);
  ResultFloat(engine, a | b);
}

void FnXor(Engine& engine, std::string_view) {
  const int32_t a = ArgLong(engine);
  const int32_t b = ArgLong(engine);
  ResultFloat(engine, a ^ b);
}

void FnNot(Engine& engine, std::string_view) {
  ResultInteger(engine, ArgLong(engine) == 0 ? 1 : 0, ValueType::Long);
}

void FnEqu(Engine& engine, std::string_view) { Comparison(engine, [](double d) { return d == 0.0; }); }
void FnNeq(Engine& engine, std::string_view) { Comparison(engine, [](double d) { return d != 0.0; }); }
void FnGt(Engine& engine, std::string_view) { Comparison(engine, [](double d) { return d > 0.0; }); }
void FnLt(Engine& engine, std::string_view) { Comparison(engine, [](double d) { return d < 0.0; }); }

void FnTestBit(Engine& engine, std::string_view) {
  const auto value = static_cast<uint32_t>(ArgLong(engine));
  const auto bit = static_cast<uint32_t>(ArgInteger(engine)) & 31u;
  ResultInteger(engine, static_cast<int32_t>((value >> bit) & 1u));
}

void FnSetBit(Engine& engine, std::string_view) {
  const auto value = static_cast<uint32_t>(ArgLong(engine));
  const auto bit = static_cast<uint32_t>(ArgInteger(engine)) & 31u;
  const int32_t flag = ArgInteger(engine);
  const uint32_t result = flag >= 1 ? value | (1u << bit) : value & ~(1u << bit);
  ResultInteger(engine, static_cast<int32_t>(result));
}

void FnAbs(Engine& engine, std::string_view) { Unary(engine, [](double x) { return std::fabs(x); }); }
void FnSqr(Engine& engine, std::string_view) { Unary(engine, [](double x) { return x * x; }); }
void FnSin(Engine& engine, std::string_view) { Unary(engine, [](double x) { return std::sin(x); }); }
void FnCos(Engine& engine, std::string_view) { Unary(engine, [](double x) { return std::cos(x); }); }
void FnExp(Engine& engine, std::string_view) { Unary(engine, [](double x) { return std::exp(x); }); }
void FnArcTan(Engine& engine, std::string_view) { Unary(engine, [](double x) { return std::atan(x); }); }

// Mended: the square root of a negative number has no value; it stops with 200 as the
// logarithms do instead of passing a NaN on.
void FnSqrt(Engine& engine, std::string_view) {
  Partial(engine, [](double x) { return x >= 0.0; }, [](double x) { return std::sqrt(x); });
}
void FnLn(Engine& engine, std::string_view) {
  Partial(engine, [](double x) { return x > 0.0; }, [](double x) { return std::log(x); });
}
void FnLg(Engine& engine, std::string_view) {
  Partial(engine, [](double x) { return x > 0.0; }, [](double x) { return std::log10(x); });
}
void FnTan(Engine& engine, std::string_view) {
  Partial(engine, [](double x) { return std::isfinite(x) && std::cos(x) != 0.0; },
          [](double x) { return std::sin(x) / std::cos(x); });
}
void FnCot(Engine& engine, std::string_view) {
  Partial(engine, [](double x) { return std::isfinite(x) && std::sin(x) != 0.0; },
          [](double x) { return std::cos(x) / std::sin(x); });
}

// "^"'s rule: where a left operand of 0 or below has no real power, 200.
void FnPow(Engine& engine, std::string_view) {
  const double x = ArgFloat(engine);
  const double y = ArgFloat(engine);
  const double result = std::pow(x, y);
  if (x <= 0.0 && !std::isfinite(result)) {
    Fail(engine, ErrorCode::InvalidValue);
    return;
  }
  ResultFloat(engine, result);
}

void FnPi(Engine& engine, std::string_view) { ResultFloat(engine, kPi); }

void FnInt(Engine& engine, std::string_view) {
  ResultInteger(engine, Truncated(ArgFloat(engine)), ValueType::Long);
}

// @ROUND(x, n): Int(x * 10^n + 0.5) / 10^n, Int dropping the fraction towards zero.
// Deliberate: for whole n up to 22 the power of ten is exact (and a negative n divides by
// the exact power), so that the result does not hang on the last bit of a logarithm and
// is the same on every system; other n take pow.
void FnRound(Engine& engine, std::string_view) {
  const double x = ArgFloat(engine);
  const double n = ArgFloat(engine);
  double result = 0.0;
  if (n == std::trunc(n) && std::fabs(n) <= 22.0) {
    double power = 1.0;
    for (int i = 0; i < static_cast<int>(std::fabs(n)); ++i) power *= 10.0;
    result = n >= 0 ? std::trunc(x * power + 0.5) / power : std::trunc(x / power + 0.5) * power;
  } else {
    const double power = std::pow(10.0, n);
    result = std::trunc(x * power + 0.5) / power;
  }
  ResultFloat(engine, result);
}

// @RND(n): a whole number from 0 to n - 1 (0 for n below 1), of type float. The generator
// is the run's own: a linear congruence on 32 bits, started at 0 by every run.
void FnRnd(Engine& engine, std::string_view) {
  const int32_t n = ArgInteger(engine);
  uint32_t& seed = engine.functions.randomSeed;
  seed = seed * 134775813u + 1u;
  const int64_t value = n < 1 ? 0 : static_cast<int64_t>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(n)) >> 32);
  ResultFloat(engine, static_cast<double>(value));
}

void FnRgb(Engine& engine, std::string_view) {
  const int32_t r = ArgInteger(engine);
  const int32_t g = ArgInteger(engine);
  const int32_t b = ArgInteger(engine);
  const bool full = engine.functions.trueColor;
  const int32_t top = full ? 255 : 31;
  const int32_t shift = full ? 256 : 32;
  const int64_t value = std::min(r, top) + int64_t{shift} * std::min(g, top) +
                        int64_t{shift} * shift * std::min(b, top);
  ResultInteger(engine, static_cast<int32_t>(value));
}

void FnGetRValue(Engine& engine, std::string_view) { ResultInteger(engine, ColourPart(engine, ArgLong(engine), 0)); }
void FnGetGValue(Engine& engine, std::string_view) { ResultInteger(engine, ColourPart(engine, ArgLong(engine), 1)); }
void FnGetBValue(Engine& engine, std::string_view) { ResultInteger(engine, ColourPart(engine, ArgLong(engine), 2)); }

// @IF(cond, a, b): only the branch taken is evaluated; the other is passed over.
void FnIf(Engine& engine, std::string_view) {
  const bool taken = ArgInteger(engine) != 0;
  if (taken) {
    NextArgument(engine, EvalMode::Any);
    const Registers value = engine.reg;
    SkipArgument(engine);
    engine.reg = value;
  } else {
    SkipArgument(engine);
    NextArgument(engine, EvalMode::Any);
  }
}

// SETTRUECOLOR flag: colour values are r + 256 g + 65536 b (flag non-zero) or the reduced
// r + 32 g + 1024 b of 5-bit components (flag 0, the mode a run starts in).
void StmtSetTrueColor(Engine& engine) {
  engine.handled = true;
  engine.functions.trueColor = EvaluateInteger(engine, "") != 0;
}

}  // namespace talven
