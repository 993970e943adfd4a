// Internal to the script engine: the numeric fast paths that expressions and compound
// assignments share. Each gives exactly what VarOp and VarCompareValue give for integer
// (Integer, Int64) and Double operands, and declines (returns false) for every other case
// and for results the general path must handle (an overflowing Int64, a result that is no
// finite number), so the caller falls back to the Variant operators.
#pragma once

#include <cmath>

#include "platform/rtl/Variants.h"

namespace fsfast {

// A Double, or an integer read as one; false for every other kind.
inline bool AsDouble(const Variant& v, Double& out)
{
  Int64 i = 0;
  if (v.GetDouble(out))
    return true;
  if (!v.GetInteger(i))
    return false;
  out = static_cast<Double>(i);
  return true;
}

// l op r for + - * (and / on floats and integers).
inline bool Arith(TVarOp op, const Variant& l, const Variant& r, Variant& out)
{
  Int64 x = 0;
  Int64 y = 0;
  if (op != opDivide && l.GetInteger(x) && r.GetInteger(y)) {
    if (l.Type() == varInteger && r.Type() == varInteger) {
      // 32-bit operands: the exact result, an Integer when it fits, else a Double.
      Int64 result = 0;
      switch (op) {
      case opAdd:
        result = x + y;
        break;
      case opSubtract:
        result = x - y;
        break;
      case opMultiply:
        result = x * y;
        break;
      default:
        return false;
      }
      if (result >= -2147483648LL && result <= 2147483647LL)
        out = Variant(static_cast<Integer>(result));
      else
        out = Variant(static_cast<Double>(result));
      return true;
    }
    Int64 result = 0;
    bool overflow = true;
    switch (op) {
    case opAdd:
      overflow = __builtin_add_overflow(x, y, &result);
      break;
    case opSubtract:
      overflow = __builtin_sub_overflow(x, y, &result);
      break;
    case opMultiply:
      overflow = __builtin_mul_overflow(x, y, &result);
      break;
    default:
      break;
    }
    if (overflow)
      return false;
    out = Variant(result);
    return true;
  }
  Double a = 0;
  Double b = 0;
  if (!AsDouble(l, a) || !AsDouble(r, b))
    return false;
  Double result = 0;
  switch (op) {
  case opAdd:
    result = a + b;
    break;
  case opSubtract:
    result = a - b;
    break;
  case opMultiply:
    result = a * b;
    break;
  case opDivide:
    if (b == 0)
      return false;
    result = a / b;
    break;
  default:
    return false;
  }
  if (!std::isfinite(result))
    return false;
  out = Variant(result);
  return true;
}

// The order of two numbers: -1, 0 or 1; false when either is no integer or Double, or NaN.
inline bool Compare(const Variant& l, const Variant& r, int& order)
{
  Int64 x = 0;
  Int64 y = 0;
  if (l.GetInteger(x) && r.GetInteger(y)) {
    order = x < y ? -1 : x > y ? 1 : 0;
    return true;
  }
  Double a = 0;
  Double b = 0;
  if (!AsDouble(l, a) || !AsDouble(r, b))
    return false;
  if (std::isnan(a) || std::isnan(b))
    return false;
  order = a < b ? -1 : a > b ? 1 : 0;
  return true;
}

// The Boolean meaning of a condition's value: directly for a Boolean.
inline bool IsTrue(const Variant& v)
{
  bool b = false;
  return v.GetBoolean(b) ? b : v.AsBoolean();
}

} // namespace fsfast
