// Rounding, elementary functions with the runtime's exceptions, MulDiv, the random
// generator and the 80-bit extended byte format.
#include "platform/rtl/Math.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/RtlConsts.h"

namespace {

[[noreturn]] void RaiseInvalidOp()
{
  throw EInvalidOp(SInvalidOp);
}
[[noreturn]] void RaiseZeroDivide()
{
  throw EZeroDivide(SZeroDivide);
}
[[noreturn]] void RaiseOverflow()
{
  throw EOverflow(SOverflow);
}

// Converts a value that is already whole to Int64, raising for NaN, infinities and values
// outside the range.
Int64 WholeToInt64(Extended whole)
{
  if (!(whole >= -9223372036854775808.0L && whole < 9223372036854775808.0L))
    RaiseInvalidOp();
  return static_cast<Int64>(whole);
}

// The result of a function whose argument was finite: NaN is a domain error, an infinity
// an overflow.
Extended CheckResult(Extended argument, Extended result)
{
  if (std::isnan(result))
    RaiseInvalidOp();
  if (std::isinf(result) && std::isfinite(argument))
    RaiseOverflow();
  return result;
}

constexpr double DoubleResolution = 1E-15 * 1000;
constexpr Extended ExtendedResolution = 1E-19L * 1000;

// Integer div and mod truncating toward zero, with the runtime's errors for a zero divisor
// and for the one quotient that does not fit (the minimum divided by -1). The modulo of
// that pair is 0, computed without the overflowing division.
template <class T> T CheckedDivide(T a, T b)
{
  if (b == 0)
    throw EDivByZero(SDivByZero);
  if (b == -1 && a == std::numeric_limits<T>::min())
    throw EIntOverflow(SIntOverflow);
  return a / b;
}

template <class T> T CheckedModulo(T a, T b)
{
  if (b == 0)
    throw EDivByZero(SDivByZero);
  if (b == -1)
    return 0;
  return a % b;
}

} // namespace

Int64 Round(Extended x)
{
  // Most values are doubles well inside the integer range: they are rounded in double
  // arithmetic, where taking the whole part off leaves the fraction exactly.
  const double d = static_cast<double>(x);
  if (static_cast<Extended>(d) == x && std::fabs(d) < 4503599627370496.0) { // 2^52
    Int64 whole = static_cast<Int64>(d);
    const double diff = d - static_cast<double>(whole);
    if (diff > 0.5 || (diff == 0.5 && (whole & 1) != 0))
      ++whole;
    else if (diff < -0.5 || (diff == -0.5 && (whole & 1) != 0))
      --whole;
    return whole;
  }
  if (!std::isfinite(x))
    RaiseInvalidOp();
  Extended whole = std::trunc(x);
  Extended diff = x - whole; // exact
  if (diff > 0.5L || (diff == 0.5L && std::fmod(whole, 2.0L) != 0))
    whole += 1;
  else if (diff < -0.5L || (diff == -0.5L && std::fmod(whole, 2.0L) != 0))
    whole -= 1;
  return WholeToInt64(whole);
}

Int64 Trunc(Extended x)
{
  return WholeToInt64(std::trunc(x));
}
Int64 Ceil(Extended x)
{
  return WholeToInt64(std::ceil(x));
}
Int64 Floor(Extended x)
{
  return WholeToInt64(std::floor(x));
}
Extended Int(Extended x)
{
  return std::trunc(x);
}

Extended Frac(Extended x)
{
  if (std::isinf(x))
    RaiseInvalidOp();
  return x - std::trunc(x);
}

Integer Abs(Integer x)
{
  return x < 0 ? static_cast<Integer>(0u - static_cast<Cardinal>(x)) : x;
}
Int64 Abs(Int64 x)
{
  return x < 0 ? static_cast<Int64>(0ull - static_cast<UInt64>(x)) : x;
}
Extended Abs(Extended x)
{
  return std::fabs(x);
}
double Abs(double x)
{
  return std::fabs(x);
}

Extended Sqrt(Extended x)
{
  if (x < 0)
    RaiseInvalidOp();
  return CheckResult(x, std::sqrt(x));
}

Extended Sin(Extended x)
{
  return CheckResult(x, std::sin(x));
}
Extended Cos(Extended x)
{
  return CheckResult(x, std::cos(x));
}
Extended Tan(Extended x)
{
  return CheckResult(x, std::tan(x));
}
Extended ArcTan(Extended x)
{
  return CheckResult(x, std::atan(x));
}
Extended Exp(Extended x)
{
  return CheckResult(x, std::exp(x));
}

Extended Ln(Extended x)
{
  if (x < 0)
    RaiseInvalidOp();
  if (x == 0)
    RaiseZeroDivide();
  return CheckResult(x, std::log(x));
}

Extended IntPower(Extended base, Integer exponent)
{
  // Square-and-multiply over the magnitude of the exponent; negative exponents invert.
  UInt64 n = exponent < 0 ? 0ull - static_cast<Int64>(exponent) : static_cast<UInt64>(exponent);
  Extended result = 1;
  Extended factor = base;
  while (n != 0) {
    if (n & 1)
      result *= factor;
    factor *= factor;
    n >>= 1;
  }
  if (exponent < 0)
    return FloatDivide(1, result);
  return CheckFloat(result);
}

Extended Power(Extended base, Extended exponent)
{
  if (exponent == 0)
    return 1;
  if (base == 0 && exponent > 0)
    return 0;
  if (std::trunc(exponent) == exponent && std::fabs(exponent) <= MaxInt)
    return IntPower(base, static_cast<Integer>(exponent));
  return Exp(exponent * Ln(base));
}

Integer Sign(Integer x)
{
  return (x > 0) - (x < 0);
}
Integer Sign(Int64 x)
{
  return (x > 0) - (x < 0);
}
Integer Sign(Extended x)
{
  return (x > 0) - (x < 0);
}
Integer Sign(double x)
{
  return (x > 0) - (x < 0);
}

Integer Min(Integer a, Integer b)
{
  return a < b ? a : b;
}
Int64 Min(Int64 a, Int64 b)
{
  return a < b ? a : b;
}
Extended Min(Extended a, Extended b)
{
  return a < b ? a : b;
}
double Min(double a, double b)
{
  return a < b ? a : b;
}
Integer Max(Integer a, Integer b)
{
  return a > b ? a : b;
}
Int64 Max(Int64 a, Int64 b)
{
  return a > b ? a : b;
}
Extended Max(Extended a, Extended b)
{
  return a > b ? a : b;
}
double Max(double a, double b)
{
  return a > b ? a : b;
}

bool SameValue(double a, double b, double epsilon)
{
  if (epsilon == 0)
    epsilon = std::max(std::min(std::fabs(a), std::fabs(b)) * DoubleResolution, DoubleResolution);
  return a > b ? a - b <= epsilon : b - a <= epsilon;
}

bool SameValue(Extended a, Extended b, Extended epsilon)
{
  if (epsilon == 0)
    epsilon =
        std::max(std::min(std::fabs(a), std::fabs(b)) * ExtendedResolution, ExtendedResolution);
  return a > b ? a - b <= epsilon : b - a <= epsilon;
}

bool IsZero(double a, double epsilon)
{
  return std::fabs(a) <= (epsilon == 0 ? DoubleResolution : epsilon);
}

bool IsZero(Extended a, Extended epsilon)
{
  return std::fabs(a) <= (epsilon == 0 ? ExtendedResolution : epsilon);
}

Integer MulDiv(Integer a, Integer b, Integer c)
{
  if (c == 0)
    return -1;
  Int64 num = static_cast<Int64>(a) * b;
  Int64 den = c;
  bool negative = (num < 0) != (den < 0);
  // |num| < 2^62, so the magnitudes and the doubled remainder cannot overflow.
  Int64 n = num < 0 ? -num : num;
  Int64 d = den < 0 ? -den : den;
  Int64 q = n / d;
  if ((n % d) * 2 >= d)
    ++q;
  if (negative)
    q = -q;
  if (q > MaxInt || q < -static_cast<Int64>(MaxInt) - 1)
    return -1;
  return static_cast<Integer>(q);
}

Extended FloatDivide(Extended a, Extended b)
{
  if (b == 0) {
    if (a == 0 || std::isnan(a))
      RaiseInvalidOp();
    RaiseZeroDivide();
  }
  Extended result = a / b;
  if (std::isnan(result))
    RaiseInvalidOp();
  if (std::isinf(result) && std::isfinite(a))
    RaiseOverflow();
  return result;
}

Extended CheckFloat(Extended x)
{
  if (std::isnan(x))
    RaiseInvalidOp();
  if (std::isinf(x))
    RaiseOverflow();
  return x;
}

Integer IntDivide(Integer a, Integer b)
{
  return CheckedDivide(a, b);
}
Integer IntModulo(Integer a, Integer b)
{
  return CheckedModulo(a, b);
}
Int64 IntDivide(Int64 a, Int64 b)
{
  return CheckedDivide(a, b);
}
Int64 IntModulo(Int64 a, Int64 b)
{
  return CheckedModulo(a, b);
}

Int64 FloorDivide(Int64 a, Int64 b)
{
  Int64 q = IntDivide(a, b);
  if ((a % b != 0) && ((a < 0) != (b < 0)))
    --q;
  return q;
}

Int64 FloorModulo(Int64 a, Int64 b)
{
  Int64 r = IntModulo(a, b);
  if (r != 0 && ((r < 0) != (b < 0)))
    r += b;
  return r;
}

Integer RandSeed = 0;

namespace {

Cardinal NextRandom()
{
  Cardinal state = static_cast<Cardinal>(RandSeed) * 134775813u + 1u;
  RandSeed = static_cast<Integer>(state);
  return state;
}

} // namespace

Extended Random()
{
  return static_cast<Extended>(NextRandom()) / 4294967296.0L;
}

Integer Random(Integer range)
{
  Cardinal state = NextRandom();
  if (range <= 0)
    return 0;
  return static_cast<Integer>((static_cast<UInt64>(state) * static_cast<UInt64>(range)) >> 32);
}

void Randomize()
{
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  UInt64 ticks = static_cast<UInt64>(now.tv_sec) * 1000000000ull + static_cast<UInt64>(now.tv_nsec);
  RandSeed = static_cast<Integer>(ticks ^ (ticks >> 32));
}

double ExtendedBytesToDouble(const void* tenBytes)
{
  const auto* p = static_cast<const Byte*>(tenBytes);
  UInt64 mantissa = 0;
  for (int i = 7; i >= 0; --i)
    mantissa = (mantissa << 8) | p[i];
  unsigned signExp = static_cast<unsigned>(p[8]) | (static_cast<unsigned>(p[9]) << 8);
  bool negative = (signExp & 0x8000u) != 0;
  int biased = static_cast<int>(signExp & 0x7FFFu);
  double sign = negative ? -1.0 : 1.0;

  if (biased == 0x7FFF) {
    if ((mantissa & 0x7FFFFFFFFFFFFFFFull) == 0)
      return sign * std::numeric_limits<double>::infinity();
    return std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);
  }
  if (mantissa == 0)
    return sign * 0.0;

  // value = mantissa * 2^(exponent - 63); denormals (biased 0) use the exponent of 1.
  int exponent = (biased == 0 ? 1 : biased) - 16383;
  int lead = __builtin_clzll(mantissa);
  mantissa <<= lead;
  exponent -= lead; // now bit 63 is the leading one, worth 2^exponent

  if (exponent > 1023)
    return sign * std::numeric_limits<double>::infinity();
  // Bits to drop: 11 for a normal double, more for a denormal result.
  int drop = 11;
  if (exponent < -1022)
    drop += -1022 - exponent;
  if (drop > 65)
    return sign * 0.0;
  unsigned __int128 wide = static_cast<unsigned __int128>(mantissa);
  unsigned __int128 kept = wide >> drop;
  unsigned __int128 rest = wide - (kept << drop);
  unsigned __int128 half = static_cast<unsigned __int128>(1) << (drop - 1);
  if (rest > half || (rest == half && (kept & 1) != 0))
    ++kept;
  // kept * 2^(exponent - 63 + drop) is exactly representable (or overflows to infinity).
  return sign * std::ldexp(static_cast<double>(static_cast<UInt64>(kept)), exponent - 63 + drop);
}

void DoubleToExtendedBytes(double value, void* tenBytes)
{
  UInt64 bits;
  std::memcpy(&bits, &value, sizeof bits);
  bool negative = (bits >> 63) != 0;
  int biased = static_cast<int>((bits >> 52) & 0x7FF);
  UInt64 fraction = bits & 0xFFFFFFFFFFFFFull;

  UInt64 mantissa = 0;
  int exponent = 0; // biased for the 80-bit format
  if (biased == 0x7FF) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull | (fraction << 11);
  } else if (biased == 0) {
    if (fraction != 0) {
      // Denormal double: fraction * 2^-1074, normalised into the wider exponent range.
      int lead = __builtin_clzll(fraction);
      mantissa = fraction << lead;
      exponent = (63 - lead - 1074) + 16383;
    }
  } else {
    mantissa = (0x10000000000000ull | fraction) << 11;
    exponent = biased - 1023 + 16383;
  }

  auto* p = static_cast<Byte*>(tenBytes);
  for (int i = 0; i < 8; ++i)
    p[i] = static_cast<Byte>(mantissa >> (8 * i));
  unsigned signExp = static_cast<unsigned>(exponent) | (negative ? 0x8000u : 0u);
  p[8] = static_cast<Byte>(signExp);
  p[9] = static_cast<Byte>(signExp >> 8);
}
