// Variant operators and comparison. Every operand falls into one class (empty, null,
// integer, real, currency, date, text, boolean, 64-bit); the pair of classes picks the
// arithmetic:
//   - Null: "and" with False gives False, "or" with True gives True, anything else Null.
//   - Empty acts as the other operand's zero; Empty with Empty stays Empty, except that
//     "/" divides by zero and "div"/"mod" divide by an integer zero.
//   - integer (and Boolean, which counts as -1/0): 32-bit; + - * that overflow give the
//     exact float; "/" is always a float.
//   - text with text: "+" concatenates; everything else is numeric.
//   - text or real with a number: + - * / in double; div, mod, shifts and bit operators on
//     32-bit integers.
//   - Boolean with Boolean or text: and, or, xor are logical.
//   - currency, date and 64-bit operands keep their own precision (Currency with an integer
//     gives Currency; Currency with a real gives Double; date +/- number gives a date;
//     date - date a Double; 64-bit arithmetic that overflows gives a float).
// Comparison: Null equals Null and is below every other value; texts compare byte by byte;
// text against a number numerically, against a date as a date; False < True.
#include <cmath>
#include <limits>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/VariantsPrivate.h"

namespace {

enum TOpClass {
  ocEmpty,
  ocNull,
  ocInteger,
  ocReal,
  ocCurrency,
  ocDate,
  ocText,
  ocBoolean,
  ocInt64,
  ocOther
};

TOpClass OpClassOf(TVarType type)
{
  switch (type) {
  case varEmpty:
    return ocEmpty;
  case varNull:
    return ocNull;
  case varShortInt:
  case varSmallint:
  case varInteger:
  case varByte:
    return ocInteger;
  case varSingle:
  case varDouble:
    return ocReal;
  case varCurrency:
    return ocCurrency;
  case varDate:
    return ocDate;
  case varString:
  case varOleStr:
    return ocText;
  case varBoolean:
    return ocBoolean;
  case varWord:
  case varLongWord:
  case varInt64:
    return ocInt64;
  default:
    return ocOther;
  }
}

bool IsIntegral(TOpClass c)
{
  return c == ocInteger || c == ocBoolean || c == ocInt64;
}

const TVariantAccess::Data& D(const Variant& v)
{
  return TVariantAccess::Get(v);
}

Variant DateValue(Double value)
{
  return TVariantAccess::DoubleOf(varDate, value);
}

// The result of 32-bit + - * computed in 64 bits: an Integer when it fits, else the float.
Variant IntegerResult(Int64 value)
{
  if (value >= std::numeric_limits<Integer>::min() && value <= std::numeric_limits<Integer>::max())
    return Variant(static_cast<Integer>(value));
  return Variant(static_cast<Double>(value));
}

Double CheckedDouble(Double value)
{
  if (std::isnan(value))
    throw EInvalidOp(SInvalidOp);
  if (std::isinf(value))
    throw EOverflow(SOverflow);
  return value;
}

Double DivideDouble(Double a, Double b)
{
  if (b == 0) {
    if (a == 0 || std::isnan(a))
      throw EInvalidOp(SInvalidOp);
    throw EZeroDivide(SZeroDivide);
  }
  return CheckedDouble(a / b);
}

Double DoubleOp(Double a, Double b, TVarOp op)
{
  switch (op) {
  case opAdd:
    return CheckedDouble(a + b);
  case opSubtract:
    return CheckedDouble(a - b);
  case opMultiply:
    return CheckedDouble(a * b);
  default:
    return DivideDouble(a, b);
  }
}

Variant Int32Arith(Integer a, Integer b, TVarOp op)
{
  switch (op) {
  case opAdd:
    return IntegerResult(Int64(a) + b);
  case opSubtract:
    return IntegerResult(Int64(a) - b);
  case opMultiply:
    return IntegerResult(Int64(a) * b);
  default:
    return Variant(DivideDouble(a, b));
  }
}

Variant Int64Arith(Int64 a, Int64 b, TVarOp op)
{
  Int64 r = 0;
  bool overflow = false;
  switch (op) {
  case opAdd:
    overflow = __builtin_add_overflow(a, b, &r);
    break;
  case opSubtract:
    overflow = __builtin_sub_overflow(a, b, &r);
    break;
  case opMultiply:
    overflow = __builtin_mul_overflow(a, b, &r);
    break;
  default:
    return Variant(DivideDouble(static_cast<Double>(a), static_cast<Double>(b)));
  }
  if (!overflow)
    return Variant(r);
  // The extended type holds every 64-bit integer and their sums exactly; only the final
  // narrowing to double rounds.
  Extended x = a, y = b;
  Extended exact = op == opAdd ? x + y : op == opSubtract ? x - y : x * y;
  return Variant(static_cast<Double>(exact));
}

Variant CurrencyArith(Currency a, Currency b, TVarOp op)
{
  switch (op) {
  case opAdd:
    return Variant(a + b);
  case opSubtract:
    return Variant(a - b);
  case opMultiply:
    return Variant(a * b);
  default:
    return Variant(a / b);
  }
}

// + - * / on operands that are neither Null nor Empty.
Variant Arith(const Variant& l, const Variant& r, TOpClass lc, TOpClass rc, TVarOp op)
{
  if (lc == ocText && rc == ocText && op == opAdd) {
    if (l.Type() == varString && r.Type() == varString)
      return Variant(l.StringRef() + r.StringRef());
    return Variant(l.AsWideString() + r.AsWideString());
  }
  if (lc == ocDate || rc == ocDate) {
    Double a = l.AsDateTime(), b = r.AsDateTime();
    if (op == opAdd)
      return DateValue(CheckedDouble(a + b));
    if (op == opSubtract)
      return lc == rc ? Variant(CheckedDouble(a - b)) : DateValue(CheckedDouble(a - b));
    return Variant(DoubleOp(a, b, op));
  }
  if (lc == ocReal || rc == ocReal || lc == ocText || rc == ocText)
    return Variant(DoubleOp(l.AsDouble(), r.AsDouble(), op));
  if (lc == ocCurrency || rc == ocCurrency)
    return CurrencyArith(l.AsCurrency(), r.AsCurrency(), op);
  if (lc == ocInt64 || rc == ocInt64)
    return Int64Arith(l.AsInt64(), r.AsInt64(), op);
  return Int32Arith(l.AsInteger(), r.AsInteger(), op);
}

// div, mod, shl, shr, and, or, xor on integers: in 64 bits when a 64-bit operand takes
// part, otherwise in 32 bits.
Variant IntegerOp(const Variant& l, const Variant& r, TOpClass lc, TOpClass rc, TVarOp op)
{
  if (lc == ocInt64 || rc == ocInt64) {
    Int64 a = l.AsInt64(), b = r.AsInt64();
    switch (op) {
    case opIntDivide:
      return Variant(IntDivide(a, b));
    case opModulus:
      return Variant(IntModulo(a, b));
    case opShiftLeft:
      return Variant(static_cast<Int64>(static_cast<UInt64>(a) << (b & 63)));
    case opShiftRight:
      return Variant(static_cast<Int64>(static_cast<UInt64>(a) >> (b & 63)));
    case opAnd:
      return Variant(a & b);
    case opOr:
      return Variant(a | b);
    default:
      return Variant(a ^ b);
    }
  }
  Integer a = l.AsInteger(), b = r.AsInteger();
  switch (op) {
  case opIntDivide:
    return Variant(IntDivide(a, b));
  case opModulus:
    return Variant(IntModulo(a, b));
  case opShiftLeft:
    return Variant(static_cast<Integer>(static_cast<Cardinal>(a) << (b & 31)));
  case opShiftRight:
    return Variant(static_cast<Integer>(static_cast<Cardinal>(a) >> (b & 31)));
  case opAnd:
    return Variant(a & b);
  case opOr:
    return Variant(a | b);
  default:
    return Variant(a ^ b);
  }
}

Variant LogicalOrBitOp(const Variant& l, const Variant& r, TOpClass lc, TOpClass rc, TVarOp op)
{
  bool logical =
      (lc == ocBoolean && (rc == ocBoolean || rc == ocText)) || (rc == ocBoolean && lc == ocText);
  if (!logical)
    return IntegerOp(l, r, lc, rc, op);
  bool a = l.AsBoolean(), b = r.AsBoolean();
  switch (op) {
  case opAnd:
    return Variant(a && b);
  case opOr:
    return Variant(a || b);
  default:
    return Variant(a != b);
  }
}

Variant NullOp(const Variant& l, const Variant& r, TOpClass lc, TVarOp op)
{
  const Variant& other = lc == ocNull ? r : l;
  bool otherIsBoolean = other.Type() == varBoolean;
  if (op == opAnd && otherIsBoolean && !D(other).VBoolean)
    return Variant(false);
  if (op == opOr && otherIsBoolean && D(other).VBoolean)
    return Variant(true);
  return Null();
}

Variant EmptyWithEmpty(TVarOp op)
{
  if (op == opDivide)
    throw EZeroDivide(SZeroDivide);
  if (op == opIntDivide || op == opModulus)
    throw EDivByZero(SDivByZero);
  return Variant();
}

// The zero that Empty stands for next to other. Next to text it is the empty text for "+"
// (which concatenates) and for comparisons, and the number 0 for the numeric operators.
Variant ZeroFor(const Variant& other, bool asText)
{
  switch (OpClassOf(other.Type())) {
  case ocReal:
    return Variant(0.0);
  case ocCurrency:
    return Variant(Currency());
  case ocDate:
    return DateValue(0);
  case ocText:
    if (!asText)
      return Variant(0);
    return other.Type() == varOleStr ? Variant(WideString()) : Variant(AnsiString());
  case ocBoolean:
    return Variant(false);
  case ocInt64:
    return Variant(Int64(0));
  default:
    return Variant(0);
  }
}

template <class T> TVariantRelationship Relation(T a, T b)
{
  if (a == b)
    return vrEqual;
  return a < b ? vrLessThan : vrGreaterThan;
}

TVariantRelationship CompareCurrencyWithIntegral(Currency c, Int64 n)
{
  __int128 scaled = static_cast<__int128>(n) * Currency::Scale;
  return Relation<__int128>(c.Raw(), scaled);
}

TVariantRelationship Flip(TVariantRelationship r)
{
  return r == vrLessThan ? vrGreaterThan : r == vrGreaterThan ? vrLessThan : vrEqual;
}

TVariantRelationship CompareTexts(const Variant& a, const Variant& b)
{
  if (a.Type() == varOleStr && b.Type() == varOleStr) {
    int c = D(a).VOleStr->Value.compare(D(b).VOleStr->Value);
    return c == 0 ? vrEqual : c < 0 ? vrLessThan : vrGreaterThan;
  }
  // Byte-wise on the GBK text; char_traits<char> compares as unsigned char.
  int c = a.Type() == varString && b.Type() == varString ? a.StringRef().compare(b.StringRef())
                                                         : a.AsString().compare(b.AsString());
  return c == 0 ? vrEqual : c < 0 ? vrLessThan : vrGreaterThan;
}

// Both operands numeric (integer, real, currency, date, Boolean as -1/0, 64-bit).
TVariantRelationship CompareNumbers(const Variant& a, const Variant& b, TOpClass ac, TOpClass bc)
{
  if (IsIntegral(ac) && IsIntegral(bc))
    return Relation(a.AsInt64(), b.AsInt64());
  if (ac == ocCurrency && bc == ocCurrency)
    return Relation(a.AsCurrency().Raw(), b.AsCurrency().Raw());
  if (ac == ocCurrency && IsIntegral(bc))
    return CompareCurrencyWithIntegral(a.AsCurrency(), b.AsInt64());
  if (bc == ocCurrency && IsIntegral(ac))
    return Flip(CompareCurrencyWithIntegral(b.AsCurrency(), a.AsInt64()));
  return Relation(a.AsDouble(), b.AsDouble());
}

// Two BCDs compare by their digits; every other pair with a database kind compares as the
// standard values (a BCD as a Double, a time stamp as a Date).
TVariantRelationship CompareCustom(const Variant& a, const Variant& b)
{
  if (a.Type() == varFMTBcd && b.Type() == varFMTBcd) {
    Integer c = BcdCompare(VarToBcd(a), VarToBcd(b));
    return c == 0 ? vrEqual : c < 0 ? vrLessThan : vrGreaterThan;
  }
  return VarCompareValue(IsCustomKind(a.Type()) ? CustomToStandard(a) : a,
                         IsCustomKind(b.Type()) ? CustomToStandard(b) : b);
}

} // namespace

Variant VarOp(const Variant& left, const Variant& right, TVarOp op)
{
  if (IsCustomKind(left.Type()))
    return VarOp(CustomToStandard(left), right, op);
  if (IsCustomKind(right.Type()))
    return VarOp(left, CustomToStandard(right), op);
  TVarType lt = left.Type(), rt = right.Type();
  if (lt == varInteger && rt == varInteger && op <= opDivide)
    return Int32Arith(D(left).VInteger, D(right).VInteger, op);
  if (lt == varDouble && rt == varDouble && op <= opDivide)
    return Variant(DoubleOp(D(left).VDouble, D(right).VDouble, op));

  TOpClass lc = OpClassOf(lt), rc = OpClassOf(rt);
  if (lc == ocOther || rc == ocOther)
    VarInvalidOp();
  if (lc == ocNull || rc == ocNull)
    return NullOp(left, right, lc, op);
  if (lc == ocEmpty || rc == ocEmpty) {
    if (lc == rc)
      return EmptyWithEmpty(op);
    if (lc == ocEmpty)
      return VarOp(ZeroFor(right, op == opAdd), right, op);
    return VarOp(left, ZeroFor(left, op == opAdd), op);
  }
  switch (op) {
  case opAdd:
  case opSubtract:
  case opMultiply:
  case opDivide:
    return Arith(left, right, lc, rc, op);
  case opAnd:
  case opOr:
  case opXor:
    return LogicalOrBitOp(left, right, lc, rc, op);
  default:
    return IntegerOp(left, right, lc, rc, op);
  }
}

Variant VarNeg(const Variant& v)
{
  if (IsCustomKind(v.Type()))
    return VarNeg(CustomToStandard(v));
  const auto& d = D(v);
  switch (v.Type()) {
  case varEmpty:
  case varNull:
    return v;
  case varShortInt:
  case varSmallint:
  case varInteger:
  case varByte:
    return IntegerResult(-v.AsInt64());
  case varBoolean:
    return Variant(d.VBoolean ? 1 : 0);
  case varWord:
  case varLongWord:
    return Variant(-v.AsInt64());
  case varInt64:
    if (d.VInt64 == std::numeric_limits<Int64>::min())
      return Variant(-static_cast<Double>(d.VInt64));
    return Variant(-d.VInt64);
  case varSingle:
    return Variant(-d.VSingle);
  case varDouble:
    return Variant(-d.VDouble);
  case varDate:
    return DateValue(-d.VDouble);
  case varCurrency:
    return Variant(-v.AsCurrency());
  case varString:
  case varOleStr:
    return Variant(-v.AsDouble());
  default:
    VarInvalidOp();
  }
}

Variant VarNot(const Variant& v)
{
  if (IsCustomKind(v.Type()))
    return VarNot(CustomToStandard(v));
  switch (OpClassOf(v.Type())) {
  case ocEmpty:
    return Variant(-1);
  case ocNull:
    return v;
  case ocBoolean:
    return Variant(!D(v).VBoolean);
  case ocInt64:
    return Variant(~v.AsInt64());
  case ocText: {
    AnsiString text = Trim(v.AsString());
    if (SameText(text, "True") || SameText(text, "False"))
      return Variant(!SameText(text, "True"));
    return Variant(~v.AsInteger());
  }
  case ocOther:
    VarInvalidOp();
  default:
    return Variant(~v.AsInteger());
  }
}

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b)
{
  TVarType at = a.Type(), bt = b.Type();
  if (IsCustomKind(at) || IsCustomKind(bt))
    return CompareCustom(a, b);
  if (at == varInteger && bt == varInteger)
    return Relation(D(a).VInteger, D(b).VInteger);
  if (at == varDouble && bt == varDouble)
    return Relation(D(a).VDouble, D(b).VDouble);

  TOpClass ac = OpClassOf(at), bc = OpClassOf(bt);
  if (ac == ocOther || bc == ocOther)
    VarInvalidOp();
  if (ac == ocNull || bc == ocNull)
    return ac == bc ? vrEqual : ac == ocNull ? vrLessThan : vrGreaterThan;
  if (ac == ocEmpty || bc == ocEmpty) {
    if (ac == bc)
      return vrEqual;
    if (ac == ocEmpty)
      return VarCompareValue(ZeroFor(b, true), b);
    return VarCompareValue(a, ZeroFor(a, true));
  }
  if (ac == ocText && bc == ocText)
    return CompareTexts(a, b);
  if (ac == ocBoolean && (bc == ocBoolean || bc == ocText))
    return Relation(a.AsBoolean() ? 1 : 0, b.AsBoolean() ? 1 : 0);
  if (bc == ocBoolean && ac == ocText)
    return Relation(a.AsBoolean() ? 1 : 0, b.AsBoolean() ? 1 : 0);
  if (ac == ocDate || bc == ocDate)
    return Relation(a.AsDateTime(), b.AsDateTime());
  if (ac == ocText || bc == ocText)
    return Relation(a.AsDouble(), b.AsDouble());
  return CompareNumbers(a, b, ac, bc);
}

Variant operator+(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opAdd);
}
Variant operator-(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opSubtract);
}
Variant operator*(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opMultiply);
}
Variant operator/(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opDivide);
}
Variant operator%(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opModulus);
}
Variant operator<<(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opShiftLeft);
}
Variant operator>>(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opShiftRight);
}
Variant operator&(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opAnd);
}
Variant operator|(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opOr);
}
Variant operator^(const Variant& a, const Variant& b)
{
  return VarOp(a, b, opXor);
}
Variant operator-(const Variant& a)
{
  return VarNeg(a);
}
Variant operator~(const Variant& a)
{
  return VarNot(a);
}

bool operator==(const Variant& a, const Variant& b)
{
  return VarCompareValue(a, b) == vrEqual;
}
bool operator!=(const Variant& a, const Variant& b)
{
  return VarCompareValue(a, b) != vrEqual;
}
bool operator<(const Variant& a, const Variant& b)
{
  return VarCompareValue(a, b) == vrLessThan;
}
bool operator<=(const Variant& a, const Variant& b)
{
  return VarCompareValue(a, b) != vrGreaterThan;
}
bool operator>(const Variant& a, const Variant& b)
{
  return VarCompareValue(a, b) == vrGreaterThan;
}
bool operator>=(const Variant& a, const Variant& b)
{
  return VarCompareValue(a, b) != vrLessThan;
}
