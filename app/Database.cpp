#include "app/Database.h"

namespace {

bool IsQuote(char c) { return c == '"' || c == '\''; }

AnsiString Trimmed(const AnsiString& s)
{
  size_t b = 0;
  size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
    --e;
  return s.substr(b, e - b);
}

// One "Key=Value" item read from Pos on; Pos ends after the item's ';' (or at the end).
struct TConnectionItem {
  AnsiString Key;
  AnsiString Value;
  bool Terminated = false; // a ';' ended the item
};

// Reads a quoted value starting at the quote at Pos: the quote character doubled inside
// stands for itself. Pos ends after the closing quote (or at the end when none).
AnsiString ReadQuoted(const AnsiString& s, size_t& pos)
{
  const char quote = s[pos++];
  AnsiString value;
  while (pos < s.size()) {
    const char c = s[pos++];
    if (c != quote) {
      value += c;
      continue;
    }
    if (pos < s.size() && s[pos] == quote) {
      value += quote;
      ++pos;
      continue;
    }
    break;
  }
  return value;
}

TConnectionItem ReadItem(const AnsiString& s, size_t& pos)
{
  TConnectionItem item;
  const size_t eq = s.find_first_of("=;", pos);
  if (eq == AnsiString::npos || s[eq] == ';') {
    item.Key = Trimmed(s.substr(pos, eq == AnsiString::npos ? AnsiString::npos : eq - pos));
    item.Terminated = eq != AnsiString::npos;
    pos = eq == AnsiString::npos ? s.size() : eq + 1;
    return item;
  }
  item.Key = Trimmed(s.substr(pos, eq - pos));
  pos = eq + 1;
  size_t first = pos; // blanks before a quoted value are not part of it
  while (first < s.size() && (s[first] == ' ' || s[first] == '\t'))
    ++first;
  if (first < s.size() && IsQuote(s[first])) {
    pos = first;
    item.Value = ReadQuoted(s, pos);
    // Anything between the closing quote and the ';' is not part of the value.
    const size_t semi = s.find(';', pos);
    item.Terminated = semi != AnsiString::npos;
    pos = semi == AnsiString::npos ? s.size() : semi + 1;
    return item;
  }
  const size_t semi = s.find(';', pos);
  item.Value = s.substr(pos, semi == AnsiString::npos ? AnsiString::npos : semi - pos);
  item.Terminated = semi != AnsiString::npos;
  pos = semi == AnsiString::npos ? s.size() : semi + 1;
  return item;
}

} // namespace

AnsiString QuoteConnectionValue(const AnsiString& Value)
{
  if (Value.find(';') == AnsiString::npos && (Value.empty() || !IsQuote(Value.front())))
    return Value;
  AnsiString result = "\"";
  for (char c : Value) {
    result += c;
    if (c == '"')
      result += '"';
  }
  return result + '"';
}

AnsiString ConnectionStringValue(const AnsiString& ConnectionString, const AnsiString& Key)
{
  size_t pos = 0;
  while (pos < ConnectionString.size()) {
    const TConnectionItem item = ReadItem(ConnectionString, pos);
    if (item.Key == Key)
      return item.Terminated ? item.Value : AnsiString();
  }
  return AnsiString();
}
