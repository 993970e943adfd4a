// Math of the runtime: rounding, the elementary functions, MulDiv, checked arithmetic for
// the script engine (C++ does not trap, so these raise the runtime's math exceptions),
// the random generator and the portable 80-bit extended byte format. See NumFormat.h for
// number formatting.
#pragma once

#include "platform/rtl/Types.h"

// Rounding. Round halves to the even neighbour; Round and Trunc return 64-bit results and
// raise EInvalidOp for NaN, infinities and values outside the Int64 range.
Int64 Round(Extended x);
Int64 Trunc(Extended x);
Int64 Ceil(Extended x);
Int64 Floor(Extended x);
Extended Int(Extended x);  // whole part, cut toward zero
Extended Frac(Extended x); // x - Int(x)

Integer Abs(Integer x);
Int64 Abs(Int64 x);
Extended Abs(Extended x);
double Abs(double x);

// The elementary functions raise EInvalidOp for arguments outside their domain (Sqrt of a
// negative number, Ln of a negative number, Sin/Cos/Tan of an infinity), EZeroDivide for
// Ln(0) and EOverflow when a finite argument gives an infinite result.
Extended Sqrt(Extended x);
Extended Sin(Extended x);
Extended Cos(Extended x);
Extended Tan(Extended x);
Extended ArcTan(Extended x);
Extended Exp(Extended x);
Extended Ln(Extended x);
constexpr Extended Pi()
{
  return 3.14159265358979323846264338327950288L;
}
// Power(b, 0) = 1, Power(0, e > 0) = 0; whole exponents use IntPower, others Exp(e * Ln(b)),
// so a negative base with a fractional exponent raises EInvalidOp.
Extended Power(Extended base, Extended exponent);
Extended IntPower(Extended base, Integer exponent);

// -1, 0 or 1.
Integer Sign(Integer x);
Integer Sign(Int64 x);
Integer Sign(Extended x);
Integer Sign(double x);

Integer Min(Integer a, Integer b);
Int64 Min(Int64 a, Int64 b);
Extended Min(Extended a, Extended b);
double Min(double a, double b);
Integer Max(Integer a, Integer b);
Int64 Max(Int64 a, Int64 b);
Extended Max(Extended a, Extended b);
double Max(double a, double b);

// Equal within epsilon; epsilon 0 means a relative tolerance of the type's resolution
// (1E-12 for double, 1E-16 for Extended), at least that resolution.
bool SameValue(double a, double b, double epsilon = 0);
bool SameValue(Extended a, Extended b, Extended epsilon = 0);
bool IsZero(double a, double epsilon = 0);
bool IsZero(Extended a, Extended epsilon = 0);

// a * b / c with a 64-bit product, the quotient rounded half away from zero; -1 when c is
// 0 (callers guard zero divisors) and when the quotient does not fit 32 bits.
Integer MulDiv(Integer a, Integer b, Integer c);

// Checked floating arithmetic: a / 0 raises EZeroDivide, 0 / 0 and NaN results
// EInvalidOp, an infinite result from finite operands EOverflow.
Extended FloatDivide(Extended a, Extended b);
// Returns x when it is finite; NaN raises EInvalidOp, an infinity EOverflow.
Extended CheckFloat(Extended x);

// Integer div and mod truncate toward zero. A zero divisor raises EDivByZero; the one
// quotient that does not fit (the minimum divided by -1) raises EIntOverflow.
Integer IntDivide(Integer a, Integer b);
Integer IntModulo(Integer a, Integer b);
Int64 IntDivide(Int64 a, Int64 b);
Int64 IntModulo(Int64 a, Int64 b);
// Division and modulo rounding toward minus infinity (the modulo takes the divisor's sign);
// same errors as above.
Int64 FloorDivide(Int64 a, Int64 b);
Int64 FloorModulo(Int64 a, Int64 b);

// The random generator: a 32-bit linear congruential generator,
//   RandSeed := RandSeed * 134775813 + 1 (mod 2^32),
// advanced once per call. Random() returns the new state as an unsigned fraction of 2^32;
// Random(n) returns the high 32 bits of the unsigned state times n, so 0 <= result < n
// (0 when n <= 0). Setting RandSeed repeats a sequence; Randomize seeds from the clock.
extern Integer RandSeed;
Extended Random();
Integer Random(Integer range);
void Randomize();

// The 10-byte 80-bit extended format, little-endian:
//   bytes 0..7  significand, explicit integer bit at bit 63
//   bytes 8..9  bits 0..14 biased exponent (bias 16383), bit 15 sign
// Reading narrows to double rounding to nearest even (too large gives an infinity, too
// small a denormal or zero); writing is exact.
double ExtendedBytesToDouble(const void* tenBytes);
void DoubleToExtendedBytes(double value, void* tenBytes);
