// Number formatting and parsing: Format and its argument record, integer, float, currency
// and Boolean conversions, FormatFloat pictures. Every function has an overload taking
// explicit TFormatSettings and one using the current FormatSettings; nothing reads the C
// locale. Math.h holds the arithmetic, Currency.h the fixed-point type.
#pragma once

#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Currency.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

// One argument of Format: a small tagged value. Texts are borrowed, not copied: the source
// must outlive the record, as it does for an argument list written in the call.
class TVarRec {
public:
  enum TKind : Byte {
    vtInteger = 0,
    vtBoolean = 1,
    vtChar = 2,
    vtExtended = 3,
    vtPointer = 5,
    vtPChar = 6,
    vtPWideChar = 10,
    vtAnsiString = 11,
    vtCurrency = 12,
    vtWideString = 15,
    vtInt64 = 16,
  };

  // Integers that fit 32 bits are vtInteger, wider kinds vtInt64 (an unsigned 64-bit value
  // keeps its bits).
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char16_t>)
      TVarRec(T value)
  {
    if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>))
      FKind = vtInteger;
    else
      FKind = vtInt64;
    FInt = static_cast<Int64>(value);
  }
  TVarRec(bool value) : FKind(vtBoolean), FInt(value ? 1 : 0) {}
  TVarRec(char value) : FKind(vtChar), FInt(static_cast<unsigned char>(value)) {}
  TVarRec(float value) : FKind(vtExtended), FFloat(value) {}
  TVarRec(double value) : FKind(vtExtended), FFloat(value) {}
  TVarRec(long double value) : FKind(vtExtended), FFloat(value) {}
  TVarRec(Currency value) : FKind(vtCurrency), FInt(value.Raw()) {}
  TVarRec(const char* value)
      : FKind(vtPChar), FText{value ? value : "", value ? std::char_traits<char>::length(value) : 0}
  {
  }
  TVarRec(const AnsiString& value) : FKind(vtAnsiString), FText{value.data(), value.size()} {}
  TVarRec(const char16_t* value)
      : FKind(vtPWideChar), FWide{value ? value : u"",
                                  value ? std::char_traits<char16_t>::length(value) : 0}
  {
  }
  TVarRec(const WideString& value) : FKind(vtWideString), FWide{value.data(), value.size()} {}
  TVarRec(const void* value) : FKind(vtPointer), FPointer(value) {}
  TVarRec(std::nullptr_t) : FKind(vtPointer), FPointer(nullptr) {}

  TKind VType() const { return FKind; }
  bool IsInteger() const { return FKind == vtInteger || FKind == vtInt64; }
  bool IsText() const;
  // Each accessor is meaningful only for the kinds it names.
  Int64 AsInt64() const { return FInt; } // vtInteger, vtInt64, vtBoolean, vtChar
  bool AsBoolean() const { return FInt != 0; }
  char AsChar() const { return static_cast<char>(FInt); }
  Extended AsExtended() const { return FFloat; } // vtExtended
  Currency AsCurrency() const { return Currency::FromRaw(FInt); }
  const void* AsPointer() const { return FPointer; }                     // vtPointer
  std::string_view AsText() const { return {FText.Data, FText.Length}; } // vtPChar, vtAnsiString
  std::u16string_view AsWideText() const { return {FWide.Data, FWide.Length}; }

private:
  template <class C> struct TTextRef {
    const C* Data;
    std::size_t Length;
  };

  TKind FKind = vtInteger;
  union {
    Int64 FInt = 0;
    Extended FFloat;
    const void* FPointer;
    TTextRef<char> FText;
    TTextRef<char16_t> FWide;
  };
};

using TVarRecs = std::initializer_list<TVarRec>;

// Format(fmt, {args...}): directives %[index:][-][width][.prec]type with the types
// d u x (integers; precision = minimum digits), e f g n m (floats and Currency; f n m
// default to 2 decimals, m to CurrencyDecimals, e and g to 15 digits), p (pointer), s
// (texts and characters; precision = maximum bytes, never splitting a double-byte
// character); '*' takes width or precision from the next argument, %% is a percent sign.
// A directive that does not fit its argument raises EConvertError SInvalidFormat, a
// missing argument EConvertError SArgumentMissing.
AnsiString Format(std::string_view format, TVarRecs args);
AnsiString Format(std::string_view format, TVarRecs args, const TFormatSettings& settings);
AnsiString Format(std::string_view format, const TVarRec* args, std::size_t count,
                  const TFormatSettings& settings);

AnsiString IntToStr(Integer value);
AnsiString IntToStr(Int64 value);

// Decimal with optional sign, or hexadecimal after '$', '0x' or '0X' (hex may use all
// the bits); leading blanks are skipped, anything else, an empty text or overflow fails
// (EConvertError SInvalidInteger).
Integer StrToInt(const AnsiString& s);
Int64 StrToInt64(const AnsiString& s);
Integer StrToIntDef(const AnsiString& s, Integer defaultValue);
Int64 StrToInt64Def(const AnsiString& s, Int64 defaultValue);
bool TryStrToInt(const AnsiString& s, Integer& value);
bool TryStrToInt64(const AnsiString& s, Int64& value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General form, 15 significant digits, trailing zeros dropped: fixed notation while the
// integer digits are at most 15 and |x| >= 0.0001, else d.dddE[-]x ("1E20", "1E-5").
// NaN gives "NAN", infinities "INF" and "-INF"; -0 gives "0".
AnsiString FloatToStr(Extended value);
AnsiString FloatToStr(Extended value, const TFormatSettings& settings);

// precision: significant digits (1..18); digits: decimals for ffFixed/ffNumber/ffCurrency,
// minimum exponent digits for ffGeneral/ffExponent (0..4). Decimal rounding is half away
// from zero on the value's 15-digit decimal expansion.
AnsiString FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits);
AnsiString FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits,
                       const TFormatSettings& settings);

// Currency is formatted from its exact decimal digits.
AnsiString CurrToStr(Currency value);
AnsiString CurrToStr(Currency value, const TFormatSettings& settings);
AnsiString CurrToStrF(Currency value, TFloatFormat format, Integer digits);
AnsiString CurrToStrF(Currency value, TFloatFormat format, Integer digits,
                      const TFormatSettings& settings);

// Picture formatting: up to three sections "positive;negative;zero"; '0' digit or zero,
// '#' digit or nothing, '.' the decimal separator, ',' anywhere before it turns on the
// thousands separator, E+ E- e+ e- followed by zeros for scientific notation, '…' and "…"
// literal text, any other character literal. An empty picture gives the general form.
AnsiString FormatFloat(std::string_view picture, Extended value);
AnsiString FormatFloat(std::string_view picture, Extended value, const TFormatSettings& settings);
AnsiString FormatCurr(std::string_view picture, Currency value);
AnsiString FormatCurr(std::string_view picture, Currency value, const TFormatSettings& settings);

// [sign] digits [separator digits] [E|e [sign] digits] with the settings' decimal
// separator; blanks around the text are ignored. Values beyond the Extended range fail,
// values below it become 0. Failure raises EConvertError SInvalidFloat.
Extended StrToFloat(const AnsiString& s);
Extended StrToFloat(const AnsiString& s, const TFormatSettings& settings);
Extended StrToFloatDef(const AnsiString& s, Extended defaultValue);
Extended StrToFloatDef(const AnsiString& s, Extended defaultValue, const TFormatSettings& settings);
bool TryStrToFloat(const AnsiString& s, Extended& value);
bool TryStrToFloat(const AnsiString& s, Extended& value, const TFormatSettings& settings);
// Fails also when the value does not fit a double.
bool TryStrToFloat(const AnsiString& s, double& value);
bool TryStrToFloat(const AnsiString& s, double& value, const TFormatSettings& settings);
bool TextToFloat(const AnsiString& s, Extended& value, const TFormatSettings& settings);

// The same syntax, read exactly into four decimals (further decimals rounded half to even).
Currency StrToCurr(const AnsiString& s);
Currency StrToCurr(const AnsiString& s, const TFormatSettings& settings);
Currency StrToCurrDef(const AnsiString& s, Currency defaultValue);
Currency StrToCurrDef(const AnsiString& s, Currency defaultValue, const TFormatSettings& settings);
bool TryStrToCurr(const AnsiString& s, Currency& value);
bool TryStrToCurr(const AnsiString& s, Currency& value, const TFormatSettings& settings);

// The texts of the two Boolean values: BoolToStr writes the first of each, StrToBool reads
// any of them ignoring case. They start as {"True"} and {"False"}; an emptied list counts
// as its default.
extern std::vector<AnsiString> TrueBoolStrs;
extern std::vector<AnsiString> FalseBoolStrs;

// "-1"/"0", or the first TrueBoolStrs/FalseBoolStrs entry with useBoolStrs.
AnsiString BoolToStr(bool value, bool useBoolStrs = false);
// An entry of TrueBoolStrs/FalseBoolStrs in any case, or an integer (0 is false, any other
// true); otherwise EConvertError SInvalidBoolean.
bool StrToBool(const AnsiString& s);
bool StrToBoolDef(const AnsiString& s, bool defaultValue);
bool TryStrToBool(const AnsiString& s, bool& value);
