// Variant conversions: reading a Variant as a native value, VarAsType, VarToStr and the
// conversion to a Format argument. Texts are read as numbers with the current format
// settings (blanks around them ignored, '$' hexadecimal for integers) and as dates by the
// date parser; floats become integers rounding half to even.
#include <cmath>
#include <limits>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/VariantsPrivate.h"

namespace {

const TVariantAccess::Data& D(const Variant& v)
{
  return TVariantAccess::Get(v);
}

// Null reads as the target's zero only when the program has switched strict conversion off.
void CheckNull(TVarType target)
{
  if (NullStrictConvert)
    VarCastError(varNull, target);
}

// The 8-bit text of a text Variant (converting a wide text).
AnsiString TextOf(const Variant& v)
{
  return v.Type() == varString ? D(v).VString->Value : WideToGbk(D(v).VOleStr->Value);
}

Int64 RoundToInt64(Double value)
{
  // 2^63 is exact as a double; anything at or beyond it (and NaN) does not fit.
  constexpr Double limit = 9223372036854775808.0;
  if (!(value >= -limit && value < limit))
    VarOverflowError();
  return static_cast<Int64>(std::nearbyint(value));
}

Int64 TextToInt64(const Variant& v, TVarType target)
{
  AnsiString text = Trim(TextOf(v));
  Int64 i = 0;
  if (TryStrToInt64(text, i))
    return i;
  double d = 0;
  if (TryStrToFloat(text, d))
    return RoundToInt64(d);
  VarCastError(v.Type(), target);
}

Double TextToDouble(const Variant& v, TVarType target)
{
  AnsiString text = TextOf(v);
  double d = 0;
  if (TryStrToFloat(text, d))
    return d;
  Int64 i = 0;
  if (TryStrToInt64(Trim(text), i))
    return static_cast<Double>(i);
  VarCastError(v.Type(), target);
}

Int64 ToInt64(const Variant& v, TVarType target)
{
  if (IsCustomKind(v.Type()))
    return ToInt64(CustomToStandard(v), target);
  const auto& d = D(v);
  switch (v.Type()) {
  case varEmpty:
    return 0;
  case varNull:
    CheckNull(target);
    return 0;
  case varShortInt:
    return d.VShortInt;
  case varByte:
    return d.VByte;
  case varSmallint:
    return d.VSmallInt;
  case varWord:
    return d.VWord;
  case varInteger:
    return d.VInteger;
  case varLongWord:
    return d.VLongWord;
  case varInt64:
    return d.VInt64;
  case varBoolean:
    return d.VBoolean ? -1 : 0;
  case varSingle:
    return RoundToInt64(d.VSingle);
  case varDouble:
  case varDate:
    return RoundToInt64(d.VDouble);
  case varCurrency:
    return Currency::FromRaw(d.VInt64).ToInt64();
  case varString:
  case varOleStr:
    return TextToInt64(v, target);
  default:
    VarCastError(v.Type(), target);
  }
}

Currency CurrencyFromDouble(Double value)
{
  try {
    return Currency(value);
  } catch (const EMathError&) {
    VarOverflowError();
  }
}

Currency CurrencyFromInt64(Int64 value)
{
  try {
    return Currency(value);
  } catch (const EMathError&) {
    VarOverflowError();
  }
}

// Date-time text: the date alone at midnight, the time alone when the date part is 0.
// A serial outside the calendar's range is a failed conversion, not a date error.
AnsiString DateText(TDateTime value)
{
  try {
    if (value > -1 && value < 1 && value != 0)
      return TimeToStr(value);
    return DateTimeToStr(value);
  } catch (const EConvertError&) {
    VarCastError(varDate, varString);
  }
}

// The value as one of the narrow integer kinds; a value outside the kind's range raises
// "Variant overflow", as the Integer and Int64 conversions do.
Variant NarrowInteger(const Variant& v, TVarType type)
{
  Int64 raw = v.AsInt64();
  auto checked = [raw](auto typed) {
    using T = decltype(typed);
    if (raw < static_cast<Int64>(std::numeric_limits<T>::min()) ||
        raw > static_cast<Int64>(std::numeric_limits<T>::max()))
      VarOverflowError();
    return Variant(static_cast<T>(raw));
  };
  switch (type) {
  case varShortInt:
    return checked(ShortInt());
  case varByte:
    return checked(Byte());
  case varSmallint:
    return checked(SmallInt());
  case varWord:
    return checked(Word());
  default:
    return checked(LongWord());
  }
}

} // namespace

Integer Variant::AsInteger() const
{
  if (FType == varInteger)
    return FData.VInteger;
  Int64 value = ToInt64(*this, varInteger);
  if (value != static_cast<Integer>(value))
    VarOverflowError();
  return static_cast<Integer>(value);
}

Int64 Variant::AsInt64() const
{
  return ToInt64(*this, varInt64);
}

Double Variant::AsDouble() const
{
  if (IsCustomKind(FType))
    return CustomToStandard(*this).AsDouble();
  switch (FType) {
  case varDouble:
  case varDate:
    return FData.VDouble;
  case varSingle:
    return FData.VSingle;
  case varCurrency:
    return Currency::FromRaw(FData.VInt64).ToDouble();
  case varNull:
    CheckNull(varDouble);
    return 0;
  case varString:
  case varOleStr:
    return TextToDouble(*this, varDouble);
  default:
    return static_cast<Double>(ToInt64(*this, varDouble));
  }
}

Currency Variant::AsCurrency() const
{
  if (IsCustomKind(FType))
    return CustomToStandard(*this).AsCurrency();
  switch (FType) {
  case varCurrency:
    return Currency::FromRaw(FData.VInt64);
  case varSingle:
    return CurrencyFromDouble(FData.VSingle);
  case varDouble:
  case varDate:
    return CurrencyFromDouble(FData.VDouble);
  case varNull:
    CheckNull(varCurrency);
    return Currency();
  case varString:
  case varOleStr: {
    Currency c;
    if (TryStrToCurr(TextOf(*this), c))
      return c;
    return CurrencyFromDouble(TextToDouble(*this, varCurrency));
  }
  default:
    return CurrencyFromInt64(ToInt64(*this, varCurrency));
  }
}

Boolean Variant::AsBoolean() const
{
  if (IsCustomKind(FType))
    return CustomToStandard(*this).AsBoolean();
  switch (FType) {
  case varBoolean:
    return FData.VBoolean;
  case varSingle:
    return FData.VSingle != 0;
  case varDouble:
  case varDate:
    return FData.VDouble != 0;
  case varCurrency:
    return FData.VInt64 != 0;
  case varNull:
    CheckNull(varBoolean);
    return false;
  case varString:
  case varOleStr: {
    AnsiString text = Trim(TextOf(*this));
    bool b = false;
    if (TryStrToBool(text, b))
      return b;
    double d = 0;
    if (TryStrToFloat(text, d))
      return d != 0;
    VarCastError(FType, varBoolean);
  }
  default:
    return ToInt64(*this, varBoolean) != 0;
  }
}

TDateTime Variant::AsDateTime() const
{
  if (IsCustomKind(FType))
    return CustomToStandard(*this).AsDateTime();
  switch (FType) {
  case varDate:
  case varDouble:
    return FData.VDouble;
  case varSingle:
    return FData.VSingle;
  case varCurrency:
    return Currency::FromRaw(FData.VInt64).ToDouble();
  case varNull:
    CheckNull(varDate);
    return 0;
  case varString:
  case varOleStr: {
    AnsiString text = TextOf(*this);
    TDateTime dt = 0;
    if (TryStrToDateTime(text, dt))
      return dt;
    double d = 0;
    if (TryStrToFloat(text, d))
      return d;
    VarCastError(FType, varDate);
  }
  default:
    return static_cast<Double>(ToInt64(*this, varDate));
  }
}

AnsiString Variant::AsString() const
{
  if (IsCustomKind(FType))
    return CustomToText(*this);
  switch (FType) {
  case varString:
    return FData.VString->Value;
  case varOleStr:
    return WideToGbk(FData.VOleStr->Value);
  case varEmpty:
    return AnsiString();
  case varNull:
    CheckNull(varString);
    return AnsiString();
  case varBoolean:
    return FData.VBoolean ? "True" : "False";
  case varSingle:
    return FloatToStrF(FData.VSingle, ffGeneral, 7, 0);
  case varDouble:
    return FloatToStr(FData.VDouble);
  case varDate:
    return DateText(FData.VDouble);
  case varCurrency:
    return CurrToStr(Currency::FromRaw(FData.VInt64));
  case varShortInt:
  case varByte:
  case varSmallint:
  case varWord:
  case varInteger:
  case varLongWord:
  case varInt64:
    return IntToStr(ToInt64(*this, varString));
  default:
    VarCastError(FType, varString);
  }
}

WideString Variant::AsWideString() const
{
  if (FType == varOleStr)
    return FData.VOleStr->Value;
  return GbkToWide(AsString());
}

AnsiString VarToStr(const Variant& v)
{
  if (v.Type() == varNull || VarIsArray(v))
    return AnsiString();
  return v.AsString();
}

WideString VarToWideStr(const Variant& v)
{
  if (v.Type() == varNull || VarIsArray(v))
    return WideString();
  return v.AsWideString();
}

TDateTime VarToDateTime(const Variant& v)
{
  return v.AsDateTime();
}

Variant VarAsType(const Variant& v, TVarType type)
{
  if (v.Type() == type || type == varVariant)
    return v;
  if (VarIsArray(v) || (type & ~varTypeMask) != 0)
    VarCastError(v.Type(), type);
  if (IsCustomKind(type))
    return CustomFromVariant(v, type);
  switch (type) {
  case varEmpty:
    return Variant();
  case varNull:
    return Null();
  case varShortInt:
  case varByte:
  case varSmallint:
  case varWord:
  case varLongWord:
    return NarrowInteger(v, type);
  case varInteger:
    return Variant(v.AsInteger());
  case varInt64:
    return Variant(v.AsInt64());
  case varSingle: {
    Double d = v.AsDouble();
    auto f = static_cast<Single>(d);
    if (std::isinf(f) && !std::isinf(d))
      VarOverflowError();
    return Variant(f);
  }
  case varDouble:
    return Variant(v.AsDouble());
  case varCurrency:
    return Variant(v.AsCurrency());
  case varDate:
    return VarFromDateTime(v.AsDateTime());
  case varBoolean:
    return Variant(v.AsBoolean());
  case varString:
    return Variant(v.AsString());
  case varOleStr:
    return Variant(v.AsWideString());
  default:
    VarCastError(v.Type(), type);
  }
}

TVarRec VarToVarRec(const Variant& v)
{
  if (IsCustomKind(v.Type()))
    return TVarRec(CustomToStandard(v).AsDouble());
  const auto& d = D(v);
  switch (v.Type()) {
  case varEmpty:
  case varNull:
    return TVarRec("");
  case varShortInt:
    return TVarRec(d.VShortInt);
  case varByte:
    return TVarRec(d.VByte);
  case varSmallint:
    return TVarRec(d.VSmallInt);
  case varWord:
    return TVarRec(d.VWord);
  case varInteger:
    return TVarRec(d.VInteger);
  case varLongWord:
    return TVarRec(d.VLongWord);
  case varInt64:
    return TVarRec(d.VInt64);
  case varBoolean:
    return TVarRec(d.VBoolean);
  case varSingle:
    return TVarRec(d.VSingle);
  case varDouble:
  case varDate:
    return TVarRec(d.VDouble);
  case varCurrency:
    return TVarRec(Currency::FromRaw(d.VInt64));
  case varString:
    return TVarRec(d.VString->Value);
  case varOleStr:
    return TVarRec(d.VOleStr->Value);
  default:
    VarCastError(v.Type(), varString);
  }
}
