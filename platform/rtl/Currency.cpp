// Currency arithmetic: exact 128-bit intermediates, results rounded half to even.
#include "platform/rtl/Currency.h"

#include <cmath>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/RtlConsts.h"

namespace {

using Int128 = __int128;

[[noreturn]] void RaiseCurrencyOverflow()
{
  throw EOverflow(SOverflow);
}

Int64 CheckedRaw(Int128 value)
{
  if (value > MaxInt64 || value < -static_cast<Int128>(MaxInt64) - 1)
    RaiseCurrencyOverflow();
  return static_cast<Int64>(value);
}

// num / den rounded half to even; den is not zero.
Int128 DivideHalfEven(Int128 num, Int128 den)
{
  if (den < 0) {
    num = -num;
    den = -den;
  }
  Int128 q = num / den;
  Int128 r = num % den; // same sign as num
  Int128 twice = (r < 0 ? -r : r) * 2;
  if (twice > den || (twice == den && (q & 1) != 0))
    q += num < 0 ? -1 : 1;
  return q;
}

Int64 RawFromFloat(long double value)
{
  if (std::isnan(value))
    throw EInvalidOp(SInvalidOp);
  // A double times 10000 is exact in the 64-bit mantissa of long double.
  long double scaled = value * 10000.0L;
  long double whole = std::trunc(scaled);
  long double diff = scaled - whole;
  if (diff > 0.5L || (diff == 0.5L && std::fmod(whole, 2.0L) != 0))
    whole += 1;
  else if (diff < -0.5L || (diff == -0.5L && std::fmod(whole, 2.0L) != 0))
    whole -= 1;
  if (!(whole >= -9223372036854775808.0L && whole < 9223372036854775808.0L))
    RaiseCurrencyOverflow();
  return static_cast<Int64>(whole);
}

} // namespace

Currency::Currency(double value) : FRaw(RawFromFloat(value)) {}

Currency::Currency(long double value) : FRaw(RawFromFloat(value)) {}

Int64 Currency::FromWhole(Int64 value)
{
  return CheckedRaw(static_cast<Int128>(value) * Scale);
}

Int64 Currency::ToInt64() const
{
  return static_cast<Int64>(DivideHalfEven(FRaw, Scale));
}

Currency operator+(Currency a, Currency b)
{
  return Currency::FromRaw(CheckedRaw(static_cast<Int128>(a.FRaw) + b.FRaw));
}

Currency operator-(Currency a, Currency b)
{
  return Currency::FromRaw(CheckedRaw(static_cast<Int128>(a.FRaw) - b.FRaw));
}

Currency operator*(Currency a, Currency b)
{
  Int128 product = static_cast<Int128>(a.FRaw) * b.FRaw;
  return Currency::FromRaw(CheckedRaw(DivideHalfEven(product, Currency::Scale)));
}

Currency operator/(Currency a, Currency b)
{
  if (b.FRaw == 0) {
    if (a.FRaw == 0)
      throw EInvalidOp(SInvalidOp);
    throw EZeroDivide(SZeroDivide);
  }
  Int128 num = static_cast<Int128>(a.FRaw) * Currency::Scale;
  return Currency::FromRaw(CheckedRaw(DivideHalfEven(num, b.FRaw)));
}

Currency Currency::operator-() const
{
  return FromRaw(CheckedRaw(-static_cast<Int128>(FRaw)));
}
