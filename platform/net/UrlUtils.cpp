#include "platform/net/UrlUtils.h"

#include "platform/rtl/Lists.h"

namespace {

bool IsUnreserved(unsigned char c)
{
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

} // namespace

AnsiString UrlEncode(const AnsiString& Bytes)
{
  static const char Hex[] = "0123456789ABCDEF";
  AnsiString result;
  result.reserve(Bytes.size());
  for (char ch : Bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      result += ch;
      continue;
    }
    result += '%';
    result += Hex[c >> 4];
    result += Hex[c & 0x0F];
  }
  return result;
}

AnsiString UrlEncodeForm(const TStrings* Fields)
{
  AnsiString result;
  if (!Fields)
    return result;
  for (Integer i = 0; i < Fields->Count(); ++i) {
    const AnsiString line = Fields->Strings(i);
    const auto eq = line.find('=');
    if (i > 0)
      result += '&';
    if (eq == AnsiString::npos) {
      result += UrlEncode(line) + '=';
      continue;
    }
    result += UrlEncode(line.substr(0, eq)) + '=' + UrlEncode(line.substr(eq + 1));
  }
  return result;
}
