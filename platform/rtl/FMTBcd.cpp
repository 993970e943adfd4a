// Binary-coded decimals: text, number and Currency conversions, comparison and the
// varFMTBcd Variant kind. A BCD is handled here in a decoded form (sign, digit string,
// decimal places) and packed into the 34-byte record only at the edges.
#include "platform/rtl/FMTBcd.h"

#include <cmath>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/VariantsPrivate.h"

namespace {

struct TDecoded {
  bool Negative = false;
  AnsiString Digits = "0"; // at least one digit
  Integer Places = 0;      // how many of Digits are decimals
};

// Drops leading zeros of the integer part and trailing zeros of the fraction; a zero is
// positive.
void Normalize(TDecoded& d)
{
  while (d.Places > 0 && d.Digits.size() > 1 && d.Digits.back() == '0') {
    d.Digits.pop_back();
    --d.Places;
  }
  size_t intDigits = d.Digits.size() - d.Places;
  size_t lead = 0;
  while (lead + 1 < intDigits && d.Digits[lead] == '0')
    ++lead;
  d.Digits.erase(0, lead);
  if (d.Digits.find_first_not_of('0') == AnsiString::npos) {
    d.Digits = "0";
    d.Places = 0;
    d.Negative = false;
  }
}

TBcd Pack(TDecoded d)
{
  Normalize(d);
  TBcd bcd;
  bcd.Precision = static_cast<Byte>(d.Digits.size());
  bcd.SignSpecialPlaces = static_cast<Byte>((d.Negative ? 0x80 : 0) | (d.Places & 0x3F));
  for (size_t i = 0; i < d.Digits.size(); ++i) {
    Byte nibble = static_cast<Byte>(d.Digits[i] - '0');
    bcd.Fraction[i / 2] |= (i % 2 == 0) ? static_cast<Byte>(nibble << 4) : nibble;
  }
  return bcd;
}

TDecoded Unpack(const TBcd& bcd)
{
  TDecoded d;
  Integer precision = bcd.Precision > MaxFMTBcdFractionSize ? 0 : bcd.Precision;
  if (precision == 0)
    return d;
  d.Digits.clear();
  for (Integer i = 0; i < precision; ++i) {
    Byte b = bcd.Fraction[i / 2];
    Byte nibble = (i % 2 == 0) ? (b >> 4) : (b & 0x0F);
    d.Digits += static_cast<char>('0' + (nibble > 9 ? 0 : nibble));
  }
  d.Negative = (bcd.SignSpecialPlaces & 0x80) != 0;
  d.Places = std::min<Integer>(bcd.SignSpecialPlaces & 0x3F, precision);
  Normalize(d);
  return d;
}

// [sign]digits[sep digits][E[sign]digits], blanks around; the exponent form is what the
// general float text uses for very large and very small values.
bool Parse(const AnsiString& text, char separator, TDecoded& out)
{
  AnsiString s = Trim(text);
  size_t i = 0;
  TDecoded d;
  d.Digits.clear();
  if (i < s.size() && (s[i] == '-' || s[i] == '+'))
    d.Negative = s[i++] == '-';
  bool any = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    d.Digits += s[i++];
    any = true;
  }
  if (i < s.size() && s[i] == separator) {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      d.Digits += s[i++];
      ++d.Places;
      any = true;
    }
  }
  if (!any)
    return false;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    bool negExp = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
      negExp = s[i++] == '-';
    Integer exponent = 0;
    bool expDigits = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      if (exponent > 1000)
        return false;
      exponent = exponent * 10 + (s[i++] - '0');
      expDigits = true;
    }
    if (!expDigits)
      return false;
    if (negExp) {
      d.Places += exponent;
    } else {
      Integer shift = std::min(exponent, d.Places);
      d.Places -= shift;
      d.Digits.append(static_cast<size_t>(exponent - shift), '0');
    }
    if (d.Digits.size() < static_cast<size_t>(d.Places) + 1)
      d.Digits.insert(0, static_cast<size_t>(d.Places) + 1 - d.Digits.size(), '0');
  }
  if (i != s.size())
    return false;
  Normalize(d);
  if (d.Digits.size() > static_cast<size_t>(MaxFMTBcdFractionSize) || d.Places > 63)
    return false;
  out = d;
  return true;
}

AnsiString Format(const TDecoded& d, char separator)
{
  size_t intDigits = d.Digits.size() - d.Places;
  AnsiString text = d.Negative ? "-" : "";
  text += intDigits == 0 ? AnsiString("0") : d.Digits.substr(0, intDigits);
  if (d.Places > 0) {
    text += separator;
    text += d.Digits.substr(intDigits);
  }
  return text;
}

[[noreturn]] void InvalidBcd(const AnsiString& text)
{
  AnsiString msg = SInvalidBcdValue;
  msg.replace(msg.find("%s"), 2, text);
  throw EBcdException(msg);
}

} // namespace

bool TryStrToBcd(const AnsiString& text, TBcd& bcd)
{
  return TryStrToBcd(text, bcd, FormatSettings);
}

bool TryStrToBcd(const AnsiString& text, TBcd& bcd, const TFormatSettings& settings)
{
  TDecoded d;
  if (!Parse(text, settings.DecimalSeparator, d))
    return false;
  bcd = Pack(d);
  return true;
}

TBcd StrToBcd(const AnsiString& text)
{
  return StrToBcd(text, FormatSettings);
}

TBcd StrToBcd(const AnsiString& text, const TFormatSettings& settings)
{
  TBcd bcd;
  if (!TryStrToBcd(text, bcd, settings))
    InvalidBcd(text);
  return bcd;
}

AnsiString BcdToStr(const TBcd& bcd)
{
  return BcdToStr(bcd, FormatSettings);
}

AnsiString BcdToStr(const TBcd& bcd, const TFormatSettings& settings)
{
  return Format(Unpack(bcd), settings.DecimalSeparator);
}

TBcd DoubleToBcd(Double value)
{
  AnsiString text = FloatToStr(value, InvariantFormatSettings());
  TDecoded d;
  if (!std::isfinite(value) || !Parse(text, '.', d))
    InvalidBcd(text);
  return Pack(d);
}

Double BcdToDouble(const TBcd& bcd)
{
  double value = 0;
  TryStrToFloat(Format(Unpack(bcd), '.'), value, InvariantFormatSettings());
  return value;
}

TBcd CurrToBcd(Currency value)
{
  Int64 raw = value.Raw();
  TDecoded d;
  d.Negative = raw < 0;
  UInt64 magnitude = raw < 0 ? 0 - static_cast<UInt64>(raw) : static_cast<UInt64>(raw);
  d.Digits = std::to_string(magnitude);
  if (d.Digits.size() < 5)
    d.Digits.insert(0, 5 - d.Digits.size(), '0');
  d.Places = 4;
  return Pack(d);
}

Currency BcdToCurr(const TBcd& bcd)
{
  TDecoded d = Unpack(bcd);
  // Scale to four decimals; the digits beyond them decide the rounding (half to even).
  AnsiString digits = d.Digits;
  Integer places = d.Places;
  if (places < 4) {
    digits.append(static_cast<size_t>(4 - places), '0');
    places = 4;
  }
  size_t keep = digits.size() - static_cast<size_t>(places - 4);
  AnsiString rest = digits.substr(keep);
  unsigned __int128 magnitude = 0;
  const unsigned __int128 limit = static_cast<unsigned __int128>(MaxInt64) + 1;
  for (size_t i = 0; i < keep; ++i) {
    magnitude = magnitude * 10 + static_cast<unsigned>(digits[i] - '0');
    if (magnitude > limit)
      InvalidBcd(BcdToStr(bcd));
  }
  if (!rest.empty()) {
    bool above =
        rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != AnsiString::npos);
    bool half = rest[0] == '5' && !above;
    if (above || (half && magnitude % 2 == 1))
      ++magnitude;
  }
  if (magnitude > limit || (magnitude == limit && !d.Negative))
    InvalidBcd(BcdToStr(bcd));
  Int64 raw = d.Negative ? static_cast<Int64>(0 - static_cast<UInt64>(magnitude))
                         : static_cast<Int64>(magnitude);
  return Currency::FromRaw(raw);
}

TBcd IntegerToBcd(Int64 value)
{
  TDecoded d;
  d.Negative = value < 0;
  UInt64 magnitude = value < 0 ? 0 - static_cast<UInt64>(value) : static_cast<UInt64>(value);
  d.Digits = std::to_string(magnitude);
  return Pack(d);
}

Integer BcdCompare(const TBcd& a, const TBcd& b)
{
  TDecoded x = Unpack(a), y = Unpack(b);
  if (x.Negative != y.Negative)
    return x.Negative ? -1 : 1;
  Integer sign = x.Negative ? -1 : 1;
  size_t xi = x.Digits.size() - x.Places, yi = y.Digits.size() - y.Places;
  bool xZeroInt = xi == 1 && x.Digits[0] == '0', yZeroInt = yi == 1 && y.Digits[0] == '0';
  if (xZeroInt)
    xi = 0;
  if (yZeroInt)
    yi = 0;
  if (xi != yi)
    return xi < yi ? -sign : sign;
  AnsiString xs = x.Digits.substr(xZeroInt ? 1 : 0), ys = y.Digits.substr(yZeroInt ? 1 : 0);
  size_t width = std::max(xs.size(), ys.size());
  xs.append(width - xs.size(), '0');
  ys.append(width - ys.size(), '0');
  Integer c = xs.compare(ys);
  return c == 0 ? 0 : (c < 0 ? -sign : sign);
}

// ---- The Variant kind ----

TVarType VarFMTBcd()
{
  return varFMTBcd;
}

Variant VarFMTBcdCreate(const TBcd& bcd)
{
  return TVariantAccess::CustomOf(varFMTBcd, &bcd, sizeof bcd);
}

Variant VarFMTBcdCreate(const AnsiString& text)
{
  return VarFMTBcdCreate(StrToBcd(text));
}

bool VarIsFMTBcd(const Variant& v)
{
  return v.Type() == varFMTBcd;
}

TBcd VarToBcd(const Variant& v)
{
  switch (v.Type()) {
  case varFMTBcd: {
    TBcd bcd;
    const auto& bytes = TVariantAccess::Get(v).VCustom->Bytes;
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<Byte*>(&bcd));
    return bcd;
  }
  case varEmpty:
    return IntegerToBcd(0);
  case varCurrency:
    return CurrToBcd(v.AsCurrency());
  case varSingle:
  case varDouble:
  case varDate:
  case varSQLTimeStamp:
    return DoubleToBcd(v.AsDouble());
  case varString:
  case varOleStr: {
    TBcd bcd;
    if (!TryStrToBcd(v.AsString(), bcd))
      VarCastError(v.Type(), varFMTBcd);
    return bcd;
  }
  default:
    if (VarIsOrdinal(v))
      return IntegerToBcd(v.AsInt64());
    VarCastError(v.Type(), varFMTBcd);
  }
}
