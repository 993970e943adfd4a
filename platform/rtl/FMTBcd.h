// FMTBcd: the runtime's binary-coded decimal of up to 64 digits and its Variant kind
// (varFMTBcd), used by BCD database fields and the data layer's BCD value type. The other
// database record kind, the SQL time stamp, is in SqlTimSt.h.
#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

// The record as databases exchange it (34 bytes):
//   offset 0  Precision          number of digits held (1..64; 0 only in a zeroed record)
//   offset 1  SignSpecialPlaces  bit 7: negative; bit 6: special (not used here);
//                                bits 0-5: how many of the digits are decimals
//   offset 2  Fraction[32]       the digits as nibbles, two per byte, most significant
//                                first (high nibble, then low nibble)
struct TBcd {
  Byte Precision = 0;
  Byte SignSpecialPlaces = 0;
  Byte Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34, "a TBcd is 34 bytes");

QH_DECLARE_EXCEPTION(EBcdException, Exception);

inline constexpr const char* SInvalidBcdValue = "'%s' is not a valid BCD value";
inline constexpr Integer MaxFMTBcdFractionSize = 64;

// Text: [blanks][sign]digits[separator digits][blanks] with the settings' decimal
// separator. More than 64 digits (leading zeros of the integer part and trailing zeros of
// the fraction not counted) fail.
bool TryStrToBcd(const AnsiString& text, TBcd& bcd);
bool TryStrToBcd(const AnsiString& text, TBcd& bcd, const TFormatSettings& settings);
// Raises EBcdException "'%s' is not a valid BCD value".
TBcd StrToBcd(const AnsiString& text);
TBcd StrToBcd(const AnsiString& text, const TFormatSettings& settings);
// General form: no trailing decimal zeros, no separator without decimals, "0" for zero.
AnsiString BcdToStr(const TBcd& bcd);
AnsiString BcdToStr(const TBcd& bcd, const TFormatSettings& settings);

// Doubles go through their 15-significant-digit text, so 0.1 becomes the BCD 0.1.
TBcd DoubleToBcd(Double value);
Double BcdToDouble(const TBcd& bcd);
TBcd CurrToBcd(Currency value);
// Raises EBcdException when the value does not fit a Currency; further decimals are
// rounded half to even.
Currency BcdToCurr(const TBcd& bcd);
TBcd IntegerToBcd(Int64 value);
// -1, 0 or 1 by value (a zero compares equal to a negative zero).
Integer BcdCompare(const TBcd& a, const TBcd& b);

// The Variant kind. A varFMTBcd value converts like a Double (its value) everywhere except
// to text, where it shows its exact digits; arithmetic on it gives Doubles.
TVarType VarFMTBcd();
Variant VarFMTBcdCreate(const TBcd& bcd);
Variant VarFMTBcdCreate(const AnsiString& text);
bool VarIsFMTBcd(const Variant& v);
// Any number, Currency, text or date as a BCD; Empty is 0. Null and values that do not
// convert raise EVariantTypeCastError.
TBcd VarToBcd(const Variant& v);
