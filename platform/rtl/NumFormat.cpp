// Number formatting and parsing. Floats become a decimal digit string first (std::to_chars,
// 15 significant digits), currency its exact digits; every layout (general, fixed,
// exponent, thousands, currency, pictures) is then written from those digits, rounding half
// away from zero on the decimal expansion. Parsing validates the text itself and hands a
// normalised copy to std::from_chars, so no C locale is ever consulted.
#include "platform/rtl/NumFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/RtlConsts.h"

namespace {

// ---------------------------------------------------------------------------------------
// Messages

// The message template with its one %s replaced by arg.
AnsiString MessageWith(const char* templ, std::string_view arg)
{
  std::string_view t(templ);
  std::size_t at = t.find("%s");
  AnsiString result(t.substr(0, at));
  if (at == std::string_view::npos)
    return result;
  result.append(arg);
  result.append(t.substr(at + 2));
  return result;
}

[[noreturn]] void RaiseConvert(const char* templ, std::string_view arg)
{
  throw EConvertError(MessageWith(templ, arg));
}

// ---------------------------------------------------------------------------------------
// Decimal digits

// value = 0.Digits * 10^Exponent; no leading or trailing zeros in Digits; zero has none.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Exponent = 0;

  bool IsZero() const { return Digits.empty(); }
};

constexpr int FloatSourceDigits = 15;
constexpr int MaxPrecision = 18;

void StripTrailingZeros(TDecimal& d)
{
  std::size_t end = d.Digits.find_last_not_of('0');
  d.Digits.resize(end == std::string::npos ? 0 : end + 1);
  if (d.Digits.empty()) {
    d.Exponent = 0;
    d.Negative = false;
  }
}

// The finite value with `precision` significant digits, correctly rounded.
TDecimal DecimalFromFloat(Extended value, int precision)
{
  TDecimal d;
  if (value == 0)
    return d;
  d.Negative = std::signbit(value);
  char buf[80];
  Extended magnitude = std::fabs(value);
  // Most values come from doubles; the double conversion is much faster and, the value
  // being the same, gives the same digits.
  double narrow = static_cast<double>(magnitude);
  auto res = static_cast<Extended>(narrow) == magnitude
                 ? std::to_chars(buf, buf + sizeof buf, narrow, std::chars_format::scientific,
                                 precision - 1)
                 : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                 precision - 1);
  std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i)
    if (text[i] != '.')
      d.Digits += text[i];
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  exponent);
  d.Exponent = exponent + 1;
  StripTrailingZeros(d);
  return d;
}

TDecimal DecimalFromCurrency(Currency value)
{
  TDecimal d;
  Int64 raw = value.Raw();
  d.Negative = raw < 0;
  UInt64 magnitude = raw < 0 ? 0ull - static_cast<UInt64>(raw) : static_cast<UInt64>(raw);
  d.Digits = std::to_string(magnitude);
  d.Exponent = static_cast<int>(d.Digits.size()) - 4;
  if (magnitude == 0)
    d.Digits.clear();
  StripTrailingZeros(d);
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero.
void RoundDigits(TDecimal& d, int keep)
{
  if (keep >= static_cast<int>(d.Digits.size()))
    return;
  if (keep < 0) {
    d.Digits.clear();
    StripTrailingZeros(d);
    return;
  }
  bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.Digits[static_cast<std::size_t>(i)] == '9')
      d.Digits[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++d.Digits[static_cast<std::size_t>(i)];
    } else {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exponent;
    }
  }
  StripTrailingZeros(d);
}

void RoundToSignificant(TDecimal& d, int digits)
{
  RoundDigits(d, digits);
}
void RoundToDecimals(TDecimal& d, int decimals)
{
  RoundDigits(d, d.Exponent + decimals);
}

// The float's decimal expansion for a formatter showing `precision` significant digits.
TDecimal FloatSource(Extended value, int precision)
{
  if (precision > FloatSourceDigits)
    return DecimalFromFloat(value, precision);
  TDecimal d = DecimalFromFloat(value, FloatSourceDigits);
  RoundToSignificant(d, precision);
  return d;
}

char DigitAt(const TDecimal& d, int index)
{
  return index >= 0 && index < static_cast<int>(d.Digits.size())
             ? d.Digits[static_cast<std::size_t>(index)]
             : '0';
}

void AppendExponent(AnsiString& out, int exponent, int minDigits, bool alwaysSign)
{
  if (exponent < 0)
    out += '-';
  else if (alwaysSign)
    out += '+';
  std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
  if (static_cast<int>(digits.size()) < minDigits)
    out.append(static_cast<std::size_t>(minDigits) - digits.size(), '0');
  out += digits;
}

// The integer digits of d (at least "0"), with a thousands separator when sep != 0.
void AppendIntegerPart(AnsiString& out, const TDecimal& d, char thousands)
{
  if (d.Exponent <= 0) {
    out += '0';
    return;
  }
  for (int i = 0; i < d.Exponent; ++i) {
    out += DigitAt(d, i);
    int left = d.Exponent - 1 - i;
    if (thousands != 0 && left > 0 && left % 3 == 0)
      out += thousands;
  }
}

// Fixed notation of an already rounded decimal, without sign.
AnsiString FixedText(const TDecimal& d, int decimals, char thousands, char decimalSep)
{
  AnsiString out;
  AppendIntegerPart(out, d, thousands);
  if (decimals > 0) {
    out += decimalSep;
    for (int i = 0; i < decimals; ++i)
      out += DigitAt(d, d.Exponent + i);
  }
  return out;
}

// General notation of a decimal rounded to `precision` digits, without sign.
AnsiString GeneralText(const TDecimal& d, int precision, int expDigits, char decimalSep)
{
  if (d.IsZero())
    return "0";
  AnsiString out;
  int count = static_cast<int>(d.Digits.size());
  if (d.Exponent > precision || d.Exponent < -3) {
    out += d.Digits[0];
    if (count > 1) {
      out += decimalSep;
      out.append(d.Digits, 1);
    }
    out += 'E';
    AppendExponent(out, d.Exponent - 1, expDigits, false);
    return out;
  }
  if (d.Exponent <= 0) {
    out += '0';
    out += decimalSep;
    out.append(static_cast<std::size_t>(-d.Exponent), '0');
    out += d.Digits;
    return out;
  }
  AppendIntegerPart(out, d, 0);
  if (count > d.Exponent) {
    out += decimalSep;
    out.append(d.Digits, static_cast<std::size_t>(d.Exponent));
  }
  return out;
}

// d.ddd…E±x with exactly `precision` significant digits, without sign.
AnsiString ExponentText(const TDecimal& d, int precision, int expDigits, char decimalSep)
{
  AnsiString out;
  out += DigitAt(d, 0);
  if (precision > 1) {
    out += decimalSep;
    for (int i = 1; i < precision; ++i)
      out += DigitAt(d, i);
  }
  out += 'E';
  AppendExponent(out, d.IsZero() ? 0 : d.Exponent - 1, expDigits, true);
  return out;
}

// Places the currency symbol and the sign around an amount text.
AnsiString CurrencyText(const AnsiString& amount, bool negative, const TFormatSettings& s)
{
  const AnsiString& c = s.CurrencyString;
  if (!negative) {
    switch (s.CurrencyFormat) {
    case 1:
      return amount + c;
    case 2:
      return c + " " + amount;
    case 3:
      return amount + " " + c;
    default:
      return c + amount;
    }
  }
  switch (s.NegCurrFormat) {
  case 0:
    return "(" + c + amount + ")";
  case 1:
    return "-" + c + amount;
  case 3:
    return c + amount + "-";
  case 4:
    return "(" + amount + c + ")";
  case 5:
    return "-" + amount + c;
  case 6:
    return amount + "-" + c;
  case 7:
    return amount + c + "-";
  case 8:
    return "-" + amount + " " + c;
  case 9:
    return "-" + c + " " + amount;
  case 10:
    return amount + " " + c + "-";
  case 11:
    return c + " " + amount + "-";
  case 12:
    return c + " -" + amount;
  case 13:
    return amount + "- " + c;
  case 14:
    return "(" + c + " " + amount + ")";
  case 15:
    return "(" + amount + " " + c + ")";
  default:
    return c + "-" + amount;
  }
}

int Clamp(int value, int low, int high)
{
  return value < low ? low : value > high ? high : value;
}

// Formats a decimal (a float's expansion or a currency's exact digits). `exact` marks
// currency digits, which are never switched to scientific notation.
AnsiString FormatDecimal(TDecimal d, TFloatFormat format, int precision, int digits, bool exact,
                         const TFormatSettings& s)
{
  const char sep = s.DecimalSeparator;
  switch (format) {
  case ffExponent: {
    RoundToSignificant(d, precision);
    AnsiString text = ExponentText(d, precision, Clamp(digits, 0, 4), sep);
    return d.Negative ? "-" + text : text;
  }
  case ffFixed:
  case ffNumber:
  case ffCurrency: {
    if (!exact) {
      RoundToSignificant(d, precision);
      if (d.Exponent > precision)
        break; // too many integer digits: general form
    }
    digits = Clamp(digits, 0, MaxPrecision);
    RoundToDecimals(d, digits);
    char thousands = format == ffFixed ? 0 : s.ThousandSeparator;
    AnsiString text = FixedText(d, digits, thousands, sep);
    if (format == ffCurrency)
      return CurrencyText(text, d.Negative, s);
    return d.Negative ? "-" + text : text;
  }
  case ffGeneral:
    break;
  }
  if (exact)
    precision = 19;
  RoundToSignificant(d, precision);
  AnsiString text = GeneralText(d, precision, format == ffGeneral ? Clamp(digits, 0, 4) : 0, sep);
  return d.Negative ? "-" + text : text;
}

AnsiString NonFiniteText(Extended value)
{
  if (std::isnan(value))
    return "NAN";
  return value > 0 ? "INF" : "-INF";
}

AnsiString FloatText(Extended value, TFloatFormat format, int precision, int digits,
                     const TFormatSettings& s)
{
  if (!std::isfinite(value))
    return NonFiniteText(value);
  precision = Clamp(precision, 1, MaxPrecision);
  return FormatDecimal(FloatSource(value, precision), format, precision, digits, false, s);
}

// ---------------------------------------------------------------------------------------
// FormatFloat pictures

struct TPictureInfo {
  int IntPlaceholders = 0;
  int FracPlaceholders = 0;
  int FirstIntZero = -1; // index of the first '0' among the integer placeholders
  int LastFracZero = 0;  // count of fraction placeholders up to the last '0'
  bool Thousands = false;
  bool Scientific = false;
};

// Splits a picture into its sections at ';' outside quotes.
std::vector<std::string_view> SplitSections(std::string_view picture)
{
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    char c = picture[i];
    if (quote != 0) {
      if (c == quote)
        quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';' && sections.size() < 2) {
      sections.push_back(picture.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(picture.substr(start));
  return sections;
}

bool IsExponentAt(std::string_view section, std::size_t i)
{
  return (section[i] == 'E' || section[i] == 'e') && i + 1 < section.size() &&
         (section[i + 1] == '+' || section[i + 1] == '-');
}

TPictureInfo AnalysePicture(std::string_view section)
{
  TPictureInfo info;
  bool afterPoint = false;
  for (std::size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (c == '\'' || c == '"') {
      std::size_t close = section.find(c, i + 1);
      i = close == std::string_view::npos ? section.size() : close;
    } else if (c == '0' || c == '#') {
      if (!afterPoint) {
        if (c == '0' && info.FirstIntZero < 0)
          info.FirstIntZero = info.IntPlaceholders;
        ++info.IntPlaceholders;
      } else {
        ++info.FracPlaceholders;
        if (c == '0')
          info.LastFracZero = info.FracPlaceholders;
      }
    } else if (c == '.') {
      afterPoint = true;
    } else if (c == ',') {
      info.Thousands = true;
    } else if (IsExponentAt(section, i)) {
      info.Scientific = true;
      break; // what follows belongs to the exponent
    }
  }
  return info;
}

// Writes one section for a non-negative decimal (the caller handles the sign).
AnsiString RenderPicture(std::string_view section, const TPictureInfo& info, TDecimal d,
                         const TFormatSettings& s)
{
  d.Negative = false;
  int exponentValue = 0;
  std::string intDigits, fracDigits;
  if (info.Scientific) {
    RoundToSignificant(d, info.IntPlaceholders + info.FracPlaceholders);
    // Zero has no leading digits; the '0' placeholders supply its "0".
    for (int i = 0; i < info.IntPlaceholders && !d.IsZero(); ++i)
      intDigits += DigitAt(d, i);
    for (int i = 0; i < info.FracPlaceholders; ++i)
      fracDigits += DigitAt(d, info.IntPlaceholders + i);
    exponentValue = d.IsZero() ? 0 : d.Exponent - info.IntPlaceholders;
  } else {
    RoundToDecimals(d, info.FracPlaceholders);
    for (int i = 0; i < d.Exponent; ++i)
      intDigits += DigitAt(d, i);
    for (int i = 0; i < info.FracPlaceholders; ++i)
      fracDigits += DigitAt(d, d.Exponent + i);
  }
  int minInt = info.FirstIntZero < 0 ? 0 : info.IntPlaceholders - info.FirstIntZero;
  if (static_cast<int>(intDigits.size()) < minInt)
    intDigits.insert(0, static_cast<std::size_t>(minInt) - intDigits.size(), '0');
  // Fraction digits shown: up to the last non-zero digit, at least up to the last '0'.
  int fracShown = info.LastFracZero;
  for (int i = static_cast<int>(fracDigits.size()) - 1; i >= fracShown; --i) {
    if (fracDigits[static_cast<std::size_t>(i)] != '0') {
      fracShown = i + 1;
      break;
    }
  }

  const int nInt = static_cast<int>(intDigits.size());
  const int excess = nInt - info.IntPlaceholders; // digits beyond the placeholders
  const char thousands = info.Thousands ? s.ThousandSeparator : 0;
  AnsiString out;
  auto putIntDigit = [&](int k) {
    out += intDigits[static_cast<std::size_t>(k)];
    int left = nInt - 1 - k;
    if (thousands != 0 && left > 0 && left % 3 == 0)
      out += thousands;
  };
  int intSeen = 0, fracSeen = 0;
  bool afterPoint = false, intWritten = info.IntPlaceholders > 0;
  for (std::size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (c == '\'' || c == '"') {
      std::size_t close = section.find(c, i + 1);
      if (close == std::string_view::npos)
        close = section.size();
      out.append(section.substr(i + 1, close - i - 1));
      i = close;
    } else if ((c == '0' || c == '#') && !afterPoint) {
      int j = intSeen++;
      int from = j == 0 ? 0 : j + excess;
      for (int k = from; k <= j + excess; ++k)
        if (k >= 0)
          putIntDigit(k);
    } else if ((c == '0' || c == '#') && afterPoint) {
      int j = fracSeen++;
      if (j < fracShown)
        out += fracDigits[static_cast<std::size_t>(j)];
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
      if (!intWritten) {
        for (int k = 0; k < nInt; ++k)
          putIntDigit(k);
        intWritten = true;
      }
      if (fracShown > 0)
        out += s.DecimalSeparator;
    } else if (c == ',') {
      // The separator is placed by the digits, not here.
    } else if (info.Scientific && IsExponentAt(section, i)) {
      out += c;
      std::size_t zeros = 0;
      while (i + 2 + zeros < section.size() && section[i + 2 + zeros] == '0')
        ++zeros;
      AppendExponent(out, exponentValue, static_cast<int>(zeros < 4 ? zeros : 4),
                     section[i + 1] == '+');
      i += 1 + zeros;
    } else {
      out += c;
    }
  }
  if (!intWritten)
    for (int k = 0; k < nInt; ++k)
      putIntDigit(k);
  return out;
}

// Rounds d as the section would show it and tells whether nothing but zeros remain.
bool RoundsToZero(const TPictureInfo& info, TDecimal d)
{
  if (info.Scientific)
    return d.IsZero();
  RoundToDecimals(d, info.FracPlaceholders);
  return d.IsZero();
}

// A picture split into its sections, each analysed: what FormatFloat and FormatCurr read
// from a picture before they render a value. Nothing in it depends on the format settings.
struct TCompiledNumberPicture {
  std::string Picture;
  std::size_t SectionCount = 0;
  std::size_t Offsets[3] = {};
  std::size_t Lengths[3] = {};
  TPictureInfo Infos[3];

  std::string_view Section(std::size_t i) const
  {
    return std::string_view(Picture).substr(Offsets[i], Lengths[i]);
  }
};

void CompileNumberPicture(std::string_view picture, TCompiledNumberPicture& out)
{
  out.Picture.assign(picture);
  const std::vector<std::string_view> sections = SplitSections(out.Picture);
  out.SectionCount = sections.size();
  for (std::size_t i = 0; i < sections.size(); ++i) {
    out.Offsets[i] = static_cast<std::size_t>(sections[i].data() - out.Picture.data());
    out.Lengths[i] = sections[i].size();
    out.Infos[i] = AnalysePicture(sections[i]);
  }
}

// Compiled pictures are kept per thread (no lock), the most recently used first; pictures
// longer than MaxCachedPictureLength are compiled for the one call.
constexpr std::size_t NumberPictureCacheSize = 16;
constexpr std::size_t MaxCachedPictureLength = 256;

struct TNumberPictureCache {
  std::unique_ptr<TCompiledNumberPicture> Entries[NumberPictureCacheSize];
  std::size_t Count = 0;
};

const TCompiledNumberPicture&
CompiledNumberPicture(std::string_view picture, std::unique_ptr<TCompiledNumberPicture>& Uncached)
{
  if (picture.size() > MaxCachedPictureLength) {
    Uncached = std::make_unique<TCompiledNumberPicture>();
    CompileNumberPicture(picture, *Uncached);
    return *Uncached;
  }
  thread_local TNumberPictureCache cache;
  auto& entries = cache.Entries;
  for (std::size_t i = 0; i < cache.Count; ++i) {
    if (entries[i]->Picture != picture)
      continue;
    if (i != 0)
      std::rotate(entries, entries + i, entries + i + 1);
    return *entries[0];
  }
  auto compiled = std::make_unique<TCompiledNumberPicture>();
  CompileNumberPicture(picture, *compiled);
  if (cache.Count < NumberPictureCacheSize)
    ++cache.Count;
  std::move_backward(entries, entries + cache.Count - 1, entries + cache.Count);
  entries[0] = std::move(compiled);
  return *entries[0];
}

AnsiString FormatPicture(std::string_view picture, const TDecimal& value, bool exact,
                         const TFormatSettings& s)
{
  std::unique_ptr<TCompiledNumberPicture> uncached;
  const TCompiledNumberPicture& c = CompiledNumberPicture(picture, uncached);
  if (c.SectionCount == 1 && c.Lengths[0] == 0)
    return FormatDecimal(value, ffGeneral, FloatSourceDigits, 0, exact, s);
  std::size_t chosen = 0;
  if (value.Negative && c.SectionCount > 1 && c.Lengths[1] != 0)
    chosen = 1;
  if (c.SectionCount > 2 && c.Lengths[2] != 0 && RoundsToZero(c.Infos[chosen], value))
    chosen = 2;
  const TPictureInfo& info = c.Infos[chosen];
  AnsiString text = RenderPicture(c.Section(chosen), info, value, s);
  if (chosen == 0 && value.Negative && !RoundsToZero(info, value))
    text.insert(text.begin(), '-');
  return text;
}

// ---------------------------------------------------------------------------------------
// Parsing

bool IsBlank(char c)
{
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimBlanks(std::string_view s)
{
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

// Integer text of `bits` bits (32 or 64): leading spaces, sign, decimal or '$'/0x hex.
bool ParseInteger(std::string_view s, int bits, Int64& value)
{
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
    ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-'))
    negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size())
    return false;
  const UInt64 signedLimit = (1ull << (bits - 1)) - (negative ? 0 : 1);
  const UInt64 limit = hex ? (bits == 64 ? ~0ull : (1ull << bits) - 1) : signedLimit;
  const unsigned base = hex ? 16 : 10;
  UInt64 magnitude = 0;
  for (; i < s.size(); ++i) {
    int digit = hex ? HexDigitValue(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (digit < 0)
      return false;
    if (magnitude > (limit - static_cast<UInt64>(digit)) / base)
      return false;
    magnitude = magnitude * base + static_cast<UInt64>(digit);
  }
  if (hex && bits == 32)
    magnitude = static_cast<UInt64>(static_cast<Int64>(static_cast<Integer>(magnitude)));
  value = static_cast<Int64>(negative ? 0ull - magnitude : magnitude);
  return true;
}

// The parts of a decimal number text.
struct TNumberText {
  bool Negative = false;
  std::string Mantissa; // integer and fraction digits
  int FracDigits = 0;   // how many of them follow the separator
  long Exponent = 0;    // the written exponent, clamped to +-1000000
};

bool ParseNumberText(std::string_view s, char decimalSep, TNumberText& n)
{
  s = TrimBlanks(s);
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-'))
    n.Negative = s[i++] == '-';
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    n.Mantissa += s[i++];
    ++digits;
  }
  if (i < s.size() && s[i] == decimalSep) {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      n.Mantissa += s[i++];
      ++n.FracDigits;
      ++digits;
    }
  }
  if (digits == 0)
    return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool negativeExp = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
      negativeExp = s[i++] == '-';
    if (i >= s.size())
      return false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      if (n.Exponent < 1000000)
        n.Exponent = n.Exponent * 10 + (s[i] - '0');
      ++i;
    }
    if (negativeExp)
      n.Exponent = -n.Exponent;
  }
  return i == s.size();
}

bool ParseExtended(std::string_view s, char decimalSep, Extended& value)
{
  TNumberText n;
  if (!ParseNumberText(s, decimalSep, n))
    return false;
  std::size_t first = n.Mantissa.find_first_not_of('0');
  if (first == std::string::npos) {
    value = n.Negative ? -0.0L : 0.0L;
    value = 0;
    return true;
  }
  std::string normal = "0." + n.Mantissa.substr(first) + "e";
  long exponent = n.Exponent + static_cast<long>(n.Mantissa.size() - first) - n.FracDigits;
  normal += std::to_string(exponent);
  Extended result = 0;
  auto res = std::from_chars(normal.data(), normal.data() + normal.size(), result);
  if (res.ec == std::errc::result_out_of_range) {
    if (exponent > 0)
      return false; // beyond the Extended range
    result = 0;     // below it
  } else if (res.ec != std::errc() || !std::isfinite(result)) {
    return false;
  }
  value = n.Negative ? -result : result;
  return true;
}

bool ParseCurrency(std::string_view s, char decimalSep, Currency& value)
{
  TNumberText n;
  if (!ParseNumberText(s, decimalSep, n))
    return false;
  std::size_t first = n.Mantissa.find_first_not_of('0');
  if (first == std::string::npos) {
    value = Currency();
    return true;
  }
  std::string digits = n.Mantissa.substr(first);
  // value = digits * 10^shift units of 1/10000.
  long shift = n.Exponent - n.FracDigits + 4;
  if (shift + static_cast<long>(digits.size()) > 20)
    return false;
  bool roundUp = false;
  if (shift >= 0) {
    digits.append(static_cast<std::size_t>(shift), '0');
  } else {
    std::size_t drop = static_cast<std::size_t>(-shift);
    std::string dropped;
    if (drop >= digits.size()) {
      dropped = std::string(drop - digits.size(), '0') + digits;
      digits.clear();
    } else {
      dropped = digits.substr(digits.size() - drop);
      digits.resize(digits.size() - drop);
    }
    bool restZero = dropped.find_first_not_of('0', 1) == std::string::npos;
    bool lastOdd = !digits.empty() && ((digits.back() - '0') & 1) != 0;
    roundUp = dropped[0] > '5' || (dropped[0] == '5' && (!restZero || lastOdd));
  }
  unsigned __int128 magnitude = 0;
  for (char c : digits)
    magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  if (roundUp)
    ++magnitude;
  unsigned __int128 limit = static_cast<unsigned __int128>(MaxInt64) + (n.Negative ? 1 : 0);
  if (magnitude > limit)
    return false;
  UInt64 bits = static_cast<UInt64>(magnitude);
  value = Currency::FromRaw(static_cast<Int64>(n.Negative ? 0ull - bits : bits));
  return true;
}

// ---------------------------------------------------------------------------------------
// Format

class TFormatter {
public:
  TFormatter(std::string_view format, const TVarRec* args, std::size_t count,
             const TFormatSettings& settings)
      : FFormat(format), FArgs(args), FCount(count), FSettings(settings)
  {
  }

  AnsiString Run();

private:
  [[noreturn]] void Invalid() const { RaiseConvert(SInvalidFormat, FFormat); }
  const TVarRec& NextArg();
  bool ReadNumber(int& value);
  AnsiString Directive(char type, int precision, const TVarRec& arg);
  AnsiString IntegerText(char type, int precision, const TVarRec& arg);
  AnsiString FloatArgText(char type, int precision, const TVarRec& arg);
  AnsiString Text(int precision, const TVarRec& arg);

  std::string_view FFormat;
  const TVarRec* FArgs;
  std::size_t FCount;
  const TFormatSettings& FSettings;
  std::size_t FPos = 0;
  std::size_t FArgIndex = 0;
};

// Width, precision and text lengths above this are taken for a broken format.
constexpr int MaxFormatWidth = 1 << 20;

const TVarRec& TFormatter::NextArg()
{
  if (FArgIndex >= FCount)
    RaiseConvert(SArgumentMissing, FFormat);
  return FArgs[FArgIndex++];
}

// Reads digits or '*' (an integer argument); false when neither is there.
bool TFormatter::ReadNumber(int& value)
{
  if (FPos < FFormat.size() && FFormat[FPos] == '*') {
    ++FPos;
    const TVarRec& arg = NextArg();
    if (arg.VType() != TVarRec::vtInteger)
      Invalid();
    value = static_cast<int>(arg.AsInt64());
    return true;
  }
  if (FPos >= FFormat.size() || FFormat[FPos] < '0' || FFormat[FPos] > '9')
    return false;
  long n = 0;
  while (FPos < FFormat.size() && FFormat[FPos] >= '0' && FFormat[FPos] <= '9') {
    n = n * 10 + (FFormat[FPos++] - '0');
    if (n > MaxFormatWidth)
      Invalid();
  }
  value = static_cast<int>(n);
  return true;
}

AnsiString TFormatter::Run()
{
  AnsiString out;
  out.reserve(FFormat.size() + 16);
  while (FPos < FFormat.size()) {
    // '%' (0x25) is never a GBK trail byte, so a byte scan is safe.
    std::size_t percent = FFormat.find('%', FPos);
    if (percent == std::string_view::npos) {
      out.append(FFormat.substr(FPos));
      break;
    }
    out.append(FFormat.substr(FPos, percent - FPos));
    FPos = percent + 1;
    if (FPos < FFormat.size() && FFormat[FPos] == '%') {
      out += '%';
      ++FPos;
      continue;
    }
    int number = 0;
    bool haveNumber = ReadNumber(number);
    if (haveNumber && FPos < FFormat.size() && FFormat[FPos] == ':') {
      if (number < 0)
        Invalid();
      FArgIndex = static_cast<std::size_t>(number);
      ++FPos;
      haveNumber = false;
    }
    bool left = false;
    if (!haveNumber && FPos < FFormat.size() && FFormat[FPos] == '-') {
      left = true;
      ++FPos;
    }
    int width = 0;
    if (haveNumber || ReadNumber(number))
      width = number;
    int precision = -1;
    if (FPos < FFormat.size() && FFormat[FPos] == '.') {
      ++FPos;
      precision = ReadNumber(number) ? number : 0;
    }
    if (FPos >= FFormat.size())
      Invalid();
    char type = FFormat[FPos++];
    if (type >= 'a' && type <= 'z')
      type = static_cast<char>(type - 32);
    AnsiString text = Directive(type, precision, NextArg());
    if (width < 0) { // a negative width from '*' left-justifies
      left = true;
      width = -width;
    }
    if (static_cast<int>(text.size()) < width) {
      std::size_t pad = static_cast<std::size_t>(width) - text.size();
      if (left)
        text.append(pad, ' ');
      else
        text.insert(0, pad, ' ');
    }
    out += text;
  }
  return out;
}

AnsiString TFormatter::Directive(char type, int precision, const TVarRec& arg)
{
  switch (type) {
  case 'D':
  case 'U':
  case 'X':
    return IntegerText(type, precision, arg);
  case 'E':
  case 'F':
  case 'G':
  case 'N':
  case 'M':
    return FloatArgText(type, precision, arg);
  case 'S':
    return Text(precision, arg);
  case 'P': {
    if (arg.VType() != TVarRec::vtPointer)
      Invalid();
    char buf[17];
    auto address = reinterpret_cast<std::uintptr_t>(arg.AsPointer());
    for (int i = 15; i >= 0; --i, address >>= 4)
      buf[i] = "0123456789ABCDEF"[address & 15];
    return AnsiString(buf, 16);
  }
  default:
    Invalid();
  }
}

AnsiString TFormatter::IntegerText(char type, int precision, const TVarRec& arg)
{
  if (!arg.IsInteger())
    Invalid();
  const bool wide = arg.VType() == TVarRec::vtInt64;
  Int64 v = arg.AsInt64();
  UInt64 magnitude;
  bool negative = false;
  if (type == 'D') {
    negative = v < 0;
    magnitude = negative ? 0ull - static_cast<UInt64>(v) : static_cast<UInt64>(v);
  } else {
    magnitude = wide ? static_cast<UInt64>(v) : static_cast<Cardinal>(v);
  }
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, magnitude, type == 'X' ? 16 : 10);
  AnsiString digits(buf, res.ptr);
  if (type == 'X')
    for (char& c : digits)
      if (c >= 'a' && c <= 'f')
        c = static_cast<char>(c - 32);
  if (static_cast<int>(digits.size()) < precision)
    digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
  return negative ? "-" + digits : digits;
}

AnsiString TFormatter::FloatArgText(char type, int precision, const TVarRec& arg)
{
  TFloatFormat format = ffFixed;
  int digits = precision < 0 ? 2 : precision;
  int significant = MaxPrecision;
  switch (type) {
  case 'E':
    format = ffExponent;
    significant = precision < 0 ? FloatSourceDigits : precision;
    digits = 3;
    break;
  case 'G':
    format = ffGeneral;
    significant = precision < 0 ? FloatSourceDigits : precision;
    digits = 0;
    break;
  case 'N':
    format = ffNumber;
    break;
  case 'M':
    format = ffCurrency;
    if (precision < 0)
      digits = FSettings.CurrencyDecimals;
    break;
  default:
    break;
  }
  significant = Clamp(significant, 1, MaxPrecision);
  if (arg.VType() == TVarRec::vtCurrency) {
    bool exact = format != ffExponent && format != ffGeneral;
    return FormatDecimal(DecimalFromCurrency(arg.AsCurrency()), format, significant, digits, exact,
                         FSettings);
  }
  if (arg.VType() != TVarRec::vtExtended)
    Invalid();
  return FloatText(arg.AsExtended(), format, significant, digits, FSettings);
}

AnsiString TFormatter::Text(int precision, const TVarRec& arg)
{
  AnsiString text;
  switch (arg.VType()) {
  case TVarRec::vtChar:
    text.assign(1, arg.AsChar());
    break;
  case TVarRec::vtPChar:
  case TVarRec::vtAnsiString:
    text.assign(arg.AsText());
    break;
  case TVarRec::vtPWideChar:
  case TVarRec::vtWideString:
    text = WideToGbk(arg.AsWideText());
    break;
  default:
    Invalid();
  }
  if (precision >= 0 && precision < static_cast<int>(text.size())) {
    // Cut at a character boundary: a lead byte whose trail would be cut goes too.
    std::size_t cut = 0;
    while (cut < static_cast<std::size_t>(precision)) {
      std::size_t len = IsDBCSLeadByte(text[cut]) && cut + 1 < text.size() ? 2 : 1;
      if (cut + len > static_cast<std::size_t>(precision))
        break;
      cut += len;
    }
    text.resize(cut);
  }
  return text;
}

} // namespace

bool TVarRec::IsText() const
{
  return FKind == vtChar || FKind == vtPChar || FKind == vtAnsiString || FKind == vtPWideChar ||
         FKind == vtWideString;
}

// ---------------------------------------------------------------------------------------
// Public functions

AnsiString Format(std::string_view format, const TVarRec* args, std::size_t count,
                  const TFormatSettings& settings)
{
  return TFormatter(format, args, count, settings).Run();
}

AnsiString Format(std::string_view format, TVarRecs args, const TFormatSettings& settings)
{
  return Format(format, args.begin(), args.size(), settings);
}

AnsiString Format(std::string_view format, TVarRecs args)
{
  return Format(format, args.begin(), args.size(), FormatSettings);
}

AnsiString IntToStr(Integer value)
{
  return std::to_string(value);
}
AnsiString IntToStr(Int64 value)
{
  return std::to_string(value);
}

bool TryStrToInt(const AnsiString& s, Integer& value)
{
  Int64 v = 0;
  if (!ParseInteger(s, 32, v))
    return false;
  value = static_cast<Integer>(v);
  return true;
}

bool TryStrToInt64(const AnsiString& s, Int64& value)
{
  return ParseInteger(s, 64, value);
}

Integer StrToInt(const AnsiString& s)
{
  Integer v = 0;
  if (!TryStrToInt(s, v))
    RaiseConvert(SInvalidInteger, s);
  return v;
}

Int64 StrToInt64(const AnsiString& s)
{
  Int64 v = 0;
  if (!TryStrToInt64(s, v))
    RaiseConvert(SInvalidInteger, s);
  return v;
}

Integer StrToIntDef(const AnsiString& s, Integer defaultValue)
{
  Integer v = 0;
  return TryStrToInt(s, v) ? v : defaultValue;
}

Int64 StrToInt64Def(const AnsiString& s, Int64 defaultValue)
{
  Int64 v = 0;
  return TryStrToInt64(s, v) ? v : defaultValue;
}

AnsiString FloatToStr(Extended value, const TFormatSettings& settings)
{
  return FloatText(value, ffGeneral, FloatSourceDigits, 0, settings);
}

AnsiString FloatToStr(Extended value)
{
  return FloatToStr(value, FormatSettings);
}

AnsiString FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits,
                       const TFormatSettings& settings)
{
  return FloatText(value, format, precision, digits, settings);
}

AnsiString FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits)
{
  return FloatText(value, format, precision, digits, FormatSettings);
}

AnsiString CurrToStr(Currency value, const TFormatSettings& settings)
{
  return FormatDecimal(DecimalFromCurrency(value), ffGeneral, 19, 0, true, settings);
}

AnsiString CurrToStr(Currency value)
{
  return CurrToStr(value, FormatSettings);
}

AnsiString CurrToStrF(Currency value, TFloatFormat format, Integer digits,
                      const TFormatSettings& settings)
{
  return FormatDecimal(DecimalFromCurrency(value), format, 19, digits, true, settings);
}

AnsiString CurrToStrF(Currency value, TFloatFormat format, Integer digits)
{
  return CurrToStrF(value, format, digits, FormatSettings);
}

AnsiString FormatFloat(std::string_view picture, Extended value, const TFormatSettings& settings)
{
  // Beyond 18 integer digits a picture cannot place the digits: general form, as for
  // NaN and infinities.
  if (!std::isfinite(value) || std::fabs(value) >= 1E18L)
    return FloatToStr(value, settings);
  return FormatPicture(picture, DecimalFromFloat(value, FloatSourceDigits), false, settings);
}

AnsiString FormatFloat(std::string_view picture, Extended value)
{
  return FormatFloat(picture, value, FormatSettings);
}

AnsiString FormatCurr(std::string_view picture, Currency value, const TFormatSettings& settings)
{
  return FormatPicture(picture, DecimalFromCurrency(value), true, settings);
}

AnsiString FormatCurr(std::string_view picture, Currency value)
{
  return FormatCurr(picture, value, FormatSettings);
}

bool TextToFloat(const AnsiString& s, Extended& value, const TFormatSettings& settings)
{
  return ParseExtended(s, settings.DecimalSeparator, value);
}

bool TryStrToFloat(const AnsiString& s, Extended& value, const TFormatSettings& settings)
{
  return ParseExtended(s, settings.DecimalSeparator, value);
}

bool TryStrToFloat(const AnsiString& s, Extended& value)
{
  return TryStrToFloat(s, value, FormatSettings);
}

bool TryStrToFloat(const AnsiString& s, double& value, const TFormatSettings& settings)
{
  Extended v = 0;
  if (!ParseExtended(s, settings.DecimalSeparator, v) || !std::isfinite(static_cast<double>(v)))
    return false;
  value = static_cast<double>(v);
  return true;
}

bool TryStrToFloat(const AnsiString& s, double& value)
{
  return TryStrToFloat(s, value, FormatSettings);
}

Extended StrToFloat(const AnsiString& s, const TFormatSettings& settings)
{
  Extended v = 0;
  if (!ParseExtended(s, settings.DecimalSeparator, v))
    RaiseConvert(SInvalidFloat, s);
  return v;
}

Extended StrToFloat(const AnsiString& s)
{
  return StrToFloat(s, FormatSettings);
}

Extended StrToFloatDef(const AnsiString& s, Extended defaultValue, const TFormatSettings& settings)
{
  Extended v = 0;
  return ParseExtended(s, settings.DecimalSeparator, v) ? v : defaultValue;
}

Extended StrToFloatDef(const AnsiString& s, Extended defaultValue)
{
  return StrToFloatDef(s, defaultValue, FormatSettings);
}

bool TryStrToCurr(const AnsiString& s, Currency& value, const TFormatSettings& settings)
{
  return ParseCurrency(s, settings.DecimalSeparator, value);
}

bool TryStrToCurr(const AnsiString& s, Currency& value)
{
  return TryStrToCurr(s, value, FormatSettings);
}

Currency StrToCurr(const AnsiString& s, const TFormatSettings& settings)
{
  Currency v;
  if (!ParseCurrency(s, settings.DecimalSeparator, v))
    RaiseConvert(SInvalidFloat, s);
  return v;
}

Currency StrToCurr(const AnsiString& s)
{
  return StrToCurr(s, FormatSettings);
}

Currency StrToCurrDef(const AnsiString& s, Currency defaultValue, const TFormatSettings& settings)
{
  Currency v;
  return ParseCurrency(s, settings.DecimalSeparator, v) ? v : defaultValue;
}

Currency StrToCurrDef(const AnsiString& s, Currency defaultValue)
{
  return StrToCurrDef(s, defaultValue, FormatSettings);
}

std::vector<AnsiString> TrueBoolStrs{"True"};
std::vector<AnsiString> FalseBoolStrs{"False"};

namespace {

const std::vector<AnsiString>& BoolStrs(bool value)
{
  static const std::vector<AnsiString> defaultTrue{"True"};
  static const std::vector<AnsiString> defaultFalse{"False"};
  const std::vector<AnsiString>& strs = value ? TrueBoolStrs : FalseBoolStrs;
  if (!strs.empty())
    return strs;
  return value ? defaultTrue : defaultFalse;
}

bool InBoolStrs(const AnsiString& s, bool value)
{
  for (const AnsiString& text : BoolStrs(value))
    if (AnsiSameText(s, text))
      return true;
  return false;
}

} // namespace

AnsiString BoolToStr(bool value, bool useBoolStrs)
{
  if (useBoolStrs)
    return BoolStrs(value).front();
  return value ? "-1" : "0";
}

bool TryStrToBool(const AnsiString& s, bool& value)
{
  Int64 number = 0;
  if (TryStrToInt64(s, number)) {
    value = number != 0;
    return true;
  }
  for (bool candidate : {true, false}) {
    if (InBoolStrs(s, candidate)) {
      value = candidate;
      return true;
    }
  }
  return false;
}

bool StrToBool(const AnsiString& s)
{
  bool v = false;
  if (!TryStrToBool(s, v))
    RaiseConvert(SInvalidBoolean, s);
  return v;
}

bool StrToBoolDef(const AnsiString& s, bool defaultValue)
{
  bool v = false;
  return TryStrToBool(s, v) ? v : defaultValue;
}
