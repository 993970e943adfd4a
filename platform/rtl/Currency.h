// Currency: a 64-bit fixed-point amount with four decimals (the raw value is the amount
// times 10000), and the report units kept in that type. Formatting lives in NumFormat.h.
#pragma once

#include <compare>
#include <concepts>

#include "platform/rtl/Types.h"

class Currency {
public:
  static constexpr Int64 Scale = 10000;

  constexpr Currency() = default;
  // Whole numbers are exact; a value outside the range raises EOverflow.
  template <std::integral T>
  requires(!std::same_as<T, bool>) Currency(T value) : FRaw(FromWhole(static_cast<Int64>(value))) {}
  // Rounds value * 10000 half to even; NaN raises EInvalidOp, out of range EOverflow.
  Currency(double value);
  Currency(long double value);

  static constexpr Currency FromRaw(Int64 raw)
  {
    Currency c;
    c.FRaw = raw;
    return c;
  }
  constexpr Int64 Raw() const { return FRaw; }

  double ToDouble() const { return static_cast<double>(FRaw) / Scale; }
  Extended ToExtended() const { return static_cast<Extended>(FRaw) / Scale; }
  explicit operator double() const { return ToDouble(); }
  explicit operator long double() const { return ToExtended(); }
  // The amount rounded half to even to a whole number.
  Int64 ToInt64() const;
  // The whole part, cut toward zero.
  constexpr Int64 Truncated() const { return FRaw / Scale; }

  // Arithmetic rounds the exact result half to even to four decimals; a result out of
  // range raises EOverflow, a division by zero EZeroDivide.
  friend Currency operator+(Currency a, Currency b);
  friend Currency operator-(Currency a, Currency b);
  friend Currency operator*(Currency a, Currency b);
  friend Currency operator/(Currency a, Currency b);
  Currency operator-() const;
  Currency& operator+=(Currency b) { return *this = *this + b; }
  Currency& operator-=(Currency b) { return *this = *this - b; }
  Currency& operator*=(Currency b) { return *this = *this * b; }
  Currency& operator/=(Currency b) { return *this = *this / b; }

  friend constexpr bool operator==(Currency a, Currency b) { return a.FRaw == b.FRaw; }
  friend constexpr std::strong_ordering operator<=>(Currency a, Currency b)
  {
    return a.FRaw <=> b.FRaw;
  }

private:
  static Int64 FromWhole(Int64 value);

  Int64 FRaw = 0;
};

constexpr Currency MinCurrency = Currency::FromRaw(-MaxInt64 - 1);
constexpr Currency MaxCurrency = Currency::FromRaw(MaxInt64);

// Report units: screen pixels (96 per inch) per 0.1 cm, 1 cm, 0.1 inch, 1 inch, and per
// character cell horizontally and vertically.
constexpr Currency fr01cm = Currency::FromRaw(37795);
constexpr Currency fr1cm = Currency::FromRaw(377953);
constexpr Currency fr01in = Currency::FromRaw(96000);
constexpr Currency fr1in = Currency::FromRaw(960000);
constexpr Currency fr1CharX = Currency::FromRaw(96000);
constexpr Currency fr1CharY = Currency::FromRaw(170000);
