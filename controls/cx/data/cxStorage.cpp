// Hex, Boolean and set texts of stored layouts (see cxStorage.h).
#include "controls/cx/data/cxStorage.h"

#include "platform/rtl/AnsiStrings.h"

namespace {

Integer HexDigit(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  throw EcxHexStringConvertError();
}

LongWord ReadSetBits(const void* ASet, Integer ASize)
{
  LongWord bits = 0;
  const auto* bytes = static_cast<const Byte*>(ASet);
  for (Integer i = 0; i < ASize && i < 4; ++i)
    bits |= static_cast<LongWord>(bytes[i]) << (8 * i);
  return bits;
}

} // namespace

AnsiString EncodeHexText(const AnsiString& AText)
{
  static const char digits[] = "0123456789ABCDEF";
  AnsiString result;
  result.reserve(AText.size() * 2);
  for (unsigned char b : AText) {
    result += digits[b >> 4];
    result += digits[b & 0x0F];
  }
  return result;
}

AnsiString DecodeHexText(const AnsiString& AHex)
{
  AnsiString result;
  result.reserve(AHex.size() / 2);
  for (size_t i = 0; i + 1 < AHex.size(); i += 2)
    result += static_cast<char>(HexDigit(AHex[i]) * 16 + HexDigit(AHex[i + 1]));
  return result;
}

Boolean PropertyTextToBoolean(const AnsiString& AText)
{
  AnsiString text = UpperCase(AText);
  if (text == "TRUE")
    return true;
  if (text == "FALSE")
    return false;
  throw EPropertyConvertError();
}

AnsiString SetToPropertyText(const void* ASet, Integer ASize, const std::vector<AnsiString>& ANames)
{
  LongWord bits = ReadSetBits(ASet, ASize);
  AnsiString result = "[";
  bool first = true;
  for (Integer bit = 0; bit < 32; ++bit) {
    if (!(bits & (LongWord(1) << bit)))
      continue;
    if (bit >= static_cast<Integer>(ANames.size()))
      throw EPropertyConvertError();
    if (!first)
      result += ',';
    result += ANames[bit];
    first = false;
  }
  return result + "]";
}

void PropertyTextToSet(const AnsiString& AText, void* ASet, Integer ASize,
                       const std::vector<AnsiString>& ANames)
{
  if (AText.size() < 2 || AText.front() != '[' || AText.back() != ']')
    throw EPropertyConvertError();
  LongWord bits = 0;
  AnsiString inner = AText.substr(1, AText.size() - 2);
  size_t start = 0;
  while (start <= inner.size()) {
    size_t comma = inner.find(',', start);
    if (comma == AnsiString::npos)
      comma = inner.size();
    AnsiString piece = UpperCase(inner.substr(start, comma - start));
    if (!piece.empty())
      for (size_t n = 0; n < ANames.size() && n < 32; ++n)
        if (UpperCase(ANames[n]) == piece) {
          bits |= LongWord(1) << n;
          break;
        }
    start = comma + 1;
  }
  auto* bytes = static_cast<Byte*>(ASet);
  for (Integer i = 0; i < ASize && i < 4; ++i)
    bytes[i] = static_cast<Byte>(bits >> (8 * i));
}
