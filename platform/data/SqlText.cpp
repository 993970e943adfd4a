// Statement and connection-string text (ADODB.h, DriverPrivate.h): the ":Name" parameter
// parser, the dialect rewrite, connection-string items and SQL date-time text.
#include <cstdio>

#include "platform/data/DriverPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"

// ---- Connection strings ----

std::vector<TConnectionItem> ParseConnectionString(const AnsiString& ConnectionString)
{
  std::vector<TConnectionItem> items;
  const AnsiString& s = ConnectionString;
  size_t i = 0;
  while (i < s.size()) {
    size_t eq = i;
    while (eq < s.size() && s[eq] != '=' && s[eq] != ';')
      ++eq;
    AnsiString key = Trim(s.substr(i, eq - i));
    if (eq >= s.size() || s[eq] == ';') {
      i = eq + 1; // an item without '=' carries nothing
      continue;
    }
    size_t v = eq + 1;
    while (v < s.size() && s[v] == ' ')
      ++v;
    AnsiString value;
    if (v < s.size() && (s[v] == '"' || s[v] == '\'')) {
      char quote = s[v++];
      for (;;) {
        if (v >= s.size())
          break;
        if (s[v] == quote) {
          if (v + 1 < s.size() && s[v + 1] == quote) {
            value += quote;
            v += 2;
            continue;
          }
          ++v;
          break;
        }
        value += s[v++];
      }
      while (v < s.size() && s[v] != ';')
        ++v;
    } else {
      size_t end = s.find(';', v);
      if (end == AnsiString::npos)
        end = s.size();
      value = Trim(s.substr(v, end - v));
      v = end;
    }
    if (!key.empty())
      items.push_back({key, value});
    i = v + 1;
  }
  return items;
}

AnsiString ConnectionItemValue(const std::vector<TConnectionItem>& Items, const AnsiString& Key)
{
  for (const TConnectionItem& item : Items)
    if (SameText(item.Key, Key))
      return item.Value;
  return AnsiString();
}

// ---- Statement scanner ----

namespace {

enum TSqlTokenKind { stWord, stSpace, stLiteral, stBracket, stComment, stParam, stOther };

struct TSqlToken {
  TSqlTokenKind Kind;
  AnsiString Text; // the source text; for parameters and brackets the bare name
};

bool IsWordChar(unsigned char c)
{
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c >= 0x81;
}

// Splits a statement into tokens; the concatenated source texts give the statement back.
std::vector<TSqlToken> ScanSql(const AnsiString& s)
{
  std::vector<TSqlToken> tokens;
  size_t i = 0;
  auto take = [&](TSqlTokenKind kind, size_t end) {
    tokens.push_back({kind, s.substr(i, end - i)});
    i = end;
  };
  while (i < s.size()) {
    unsigned char c = s[i];
    if (c == '\'' || c == '"') {
      size_t j = i + 1;
      for (;;) {
        if (j >= s.size())
          break;
        if (IsDBCSLeadByte(s[j]) && j + 1 < s.size()) {
          j += 2;
          continue;
        }
        if (static_cast<unsigned char>(s[j]) == c) {
          if (j + 1 < s.size() && static_cast<unsigned char>(s[j + 1]) == c) {
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        ++j;
      }
      take(stLiteral, j);
    } else if (c == '[') {
      size_t j = s.find(']', i + 1);
      j = j == AnsiString::npos ? s.size() : j + 1;
      tokens.push_back({stBracket, s.substr(i + 1, j - i - 2)});
      i = j;
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      size_t j = s.find('\n', i);
      take(stComment, j == AnsiString::npos ? s.size() : j);
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      size_t j = s.find("*/", i + 2);
      take(stComment, j == AnsiString::npos ? s.size() : j + 2);
    } else if (c == ':' && i + 1 < s.size() && s[i + 1] == ':') {
      take(stOther, i + 2);
    } else if (c == ':' && i + 1 < s.size() && IsWordChar(s[i + 1])) {
      size_t j = i + 1;
      while (j < s.size() && IsWordChar(s[j]))
        j += (IsDBCSLeadByte(s[j]) && j + 1 < s.size()) ? 2 : 1;
      tokens.push_back({stParam, s.substr(i + 1, j - i - 1)});
      i = j;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      size_t j = i;
      while (j < s.size() && (s[j] == ' ' || s[j] == '\t' || s[j] == '\r' || s[j] == '\n'))
        ++j;
      take(stSpace, j);
    } else if (IsWordChar(c)) {
      size_t j = i;
      while (j < s.size() && IsWordChar(s[j]))
        j += (IsDBCSLeadByte(s[j]) && j + 1 < s.size()) ? 2 : 1;
      take(stWord, j);
    } else {
      take(stOther, i + 1);
    }
  }
  return tokens;
}

bool IsPlainIdentifier(const AnsiString& Name)
{
  if (Name.empty() || (Name[0] >= '0' && Name[0] <= '9'))
    return false;
  for (char c : Name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  return true;
}

} // namespace

std::vector<AnsiString> ParseSqlParamNames(const AnsiString& Sql)
{
  std::vector<AnsiString> names;
  for (const TSqlToken& t : ScanSql(Sql)) {
    if (t.Kind != stParam)
      continue;
    bool known = false;
    for (const AnsiString& n : names)
      known = known || SameText(n, t.Text);
    if (!known)
      names.push_back(t.Text);
  }
  return names;
}

namespace data_detail {

Integer CountSqlStatements(const AnsiString& Sql)
{
  Integer count = 0;
  bool pending = false; // the current statement has text besides blanks and comments
  for (const TSqlToken& t : ScanSql(Sql)) {
    if (t.Kind == stOther && t.Text == ";") {
      count += pending ? 1 : 0;
      pending = false;
    } else if (t.Kind != stSpace && t.Kind != stComment) {
      pending = true;
    }
  }
  return count + (pending ? 1 : 0);
}

AnsiString RewriteSql(const AnsiString& Sql, TSqlDialect Dialect,
                      const std::vector<AnsiString>& Names)
{
  std::vector<TSqlToken> tokens = ScanSql(Sql);
  // "select [distinct|all] top n": drop "top n" and remember n for a trailing limit.
  AnsiString limit;
  std::vector<size_t> words;
  for (size_t i = 0; i < tokens.size() && words.size() < 4; ++i)
    if (tokens[i].Kind == stWord)
      words.push_back(i);
    else if (tokens[i].Kind != stSpace && tokens[i].Kind != stComment)
      break;
  if (!words.empty() && SameText(tokens[words[0]].Text, "select")) {
    size_t k = 1;
    if (k < words.size() &&
        (SameText(tokens[words[k]].Text, "distinct") || SameText(tokens[words[k]].Text, "all")))
      ++k;
    Integer n = 0;
    if (k + 1 < words.size() && SameText(tokens[words[k]].Text, "top") &&
        TryStrToInt(tokens[words[k + 1]].Text, n)) {
      limit = tokens[words[k + 1]].Text;
      for (size_t j = words[k]; j <= words[k + 1] + 1 && j < tokens.size(); ++j)
        if (j <= words[k + 1] || tokens[j].Kind == stSpace)
          tokens[j].Text.clear();
    }
  }
  AnsiString out;
  out.reserve(Sql.size() + 16);
  for (const TSqlToken& t : tokens) {
    switch (t.Kind) {
    case stParam: {
      size_t index = 0;
      while (index < Names.size() && !SameText(Names[index], t.Text))
        ++index;
      out += (Dialect == sdSQLite ? "?" : "$") + IntToStr(static_cast<Integer>(index + 1));
      break;
    }
    case stBracket:
      if (Dialect == sdSQLite)
        out += "[" + t.Text + "]";
      else if (IsPlainIdentifier(t.Text))
        out += t.Text;
      else
        out += "\"" + StringReplace(t.Text, "\"", "\"\"", {rfReplaceAll}) + "\"";
      break;
    default:
      out += t.Text;
    }
  }
  if (!limit.empty()) {
    size_t end = out.size();
    while (end > 0 && (out[end - 1] == ' ' || out[end - 1] == ';' || out[end - 1] == '\r' ||
                       out[end - 1] == '\n' || out[end - 1] == '\t'))
      --end;
    out = out.substr(0, end) + " limit " + limit + out.substr(end);
  }
  return out;
}

AnsiString DateTimeToSqlText(TDateTime Value)
{
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(Value, y, m, d, h, n, s, ms);
  char buf[64];
  if (ms)
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u", y, m, d, h, n, s, ms);
  else
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", y, m, d, h, n, s);
  return buf;
}

bool SqlTextToDateTime(const AnsiString& Text, TDateTime& Value)
{
  unsigned y = 0, m = 0, d = 0, h = 0, n = 0, s = 0;
  double frac = 0;
  int used = 0;
  const char* p = Text.c_str();
  if (std::sscanf(p, "%4u-%2u-%2u%n", &y, &m, &d, &used) == 3) {
    p += used;
    TDateTime date;
    if (!TryEncodeDate(y, m, d, date))
      return false;
    if (*p == ' ' || *p == 'T') {
      ++p;
      if (std::sscanf(p, "%2u:%2u:%2u%n", &h, &n, &s, &used) < 2)
        return false;
      if (std::sscanf(p, "%2u:%2u:%2u%n", &h, &n, &s, &used) == 3) {
        p += used;
        if (*p == '.')
          frac = std::atof(AnsiString("0" + AnsiString(p)).c_str());
      }
    }
    TDateTime time;
    Integer msec = static_cast<Integer>(frac * 1000 + 0.5);
    if (!TryEncodeTime(h, n, s, msec > 999 ? 999 : msec, time))
      return false;
    Value = date + time;
    return true;
  }
  if (std::sscanf(p, "%2u:%2u:%2u", &h, &n, &s) >= 2) {
    TDateTime time;
    if (!TryEncodeTime(h, n, s, 0, time))
      return false;
    Value = time;
    return true;
  }
  return false;
}

} // namespace data_detail
