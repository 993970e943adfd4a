// The runtime's string functions over GBK AnsiStrings (see AnsiStrings.h).
#include "platform/rtl/AnsiStrings.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr bool IsLead(unsigned char b)
{
  return b >= 0x81 && b != 0xFF;
}
constexpr bool IsLead(char c)
{
  return IsLead(static_cast<unsigned char>(c));
}

constexpr char ToUpperAscii(char c)
{
  return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}
constexpr char ToLowerAscii(char c)
{
  return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

constexpr bool IsBlank(char c)
{
  return static_cast<unsigned char>(c) <= 32;
}

// Byte length of the character starting at zero-based offset i (i < size).
inline size_t CharSize(std::string_view s, size_t i)
{
  return (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
}

// Zero-based start of the character holding byte i (i < size). A run of lead-range
// bytes before i pairs up from its first byte, because the byte before the run is not a
// lead byte and so ends a character.
size_t CharStart(std::string_view s, size_t i)
{
  size_t j = i;
  while (j > 0 && IsLead(s[j - 1]))
    --j;
  return ((i - j) % 2 == 0) ? i : i - 1;
}

// Folds ASCII letters of single-byte characters with fold; trail bytes stay.
template <char (*Fold)(char)> AnsiString FoldSingleBytes(const AnsiString& s)
{
  AnsiString r(s);
  const size_t n = r.size();
  for (size_t i = 0; i < n; ++i) {
    if (IsLead(r[i]))
      ++i; // skip the trail byte
    else
      r[i] = Fold(r[i]);
  }
  return r;
}

char UpperFold(char c)
{
  return ToUpperAscii(c);
}
char LowerFold(char c)
{
  return ToLowerAscii(c);
}

// First match of pat in s at or after zero-based from that starts on a character
// boundary; npos when none. boundary is a known character start at or before from (0 at
// worst); it is advanced while scanning, so repeated searches stay linear.
size_t FindOnBoundary(std::string_view s, std::string_view pat, size_t from, size_t& boundary)
{
  if (pat.empty())
    return std::string_view::npos;
  while (boundary < from)
    boundary += CharSize(s, boundary);
  size_t p = s.find(pat, boundary);
  while (p != std::string_view::npos) {
    while (boundary < p)
      boundary += CharSize(s, boundary);
    if (boundary == p)
      return p;
    p = s.find(pat, boundary); // the candidate started on a trail byte
  }
  return p;
}

size_t FindOnBoundary(std::string_view s, std::string_view pat, size_t from)
{
  size_t boundary = 0;
  return FindOnBoundary(s, pat, from, boundary);
}

TAnsiCollation gCollation = &DefaultAnsiCollation;

AnsiString HexDigits(UInt64 v, Integer digits)
{
  char buf[32];
  int n = 0;
  do {
    buf[n++] = "0123456789ABCDEF"[v & 15];
    v >>= 4;
  } while (v != 0);
  AnsiString r;
  if (digits > n)
    r.assign(static_cast<size_t>(digits - n), '0');
  while (n > 0)
    r += buf[--n];
  return r;
}

bool IsIdentStart(char c)
{
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c)
{
  return IsIdentStart(c) || (c >= '0' && c <= '9');
}

} // namespace

// ---- Byte-counting basics ----

AnsiString Copy(const AnsiString& s, Integer index, Integer count)
{
  const Integer len = Length(s);
  if (index < 1)
    index = 1;
  if (index > len || count <= 0)
    return AnsiString();
  if (count > len - index + 1)
    count = len - index + 1;
  return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

Integer Pos(const AnsiString& substr, const AnsiString& s)
{
  return PosEx(substr, s, 1);
}

Integer PosEx(const AnsiString& substr, const AnsiString& s, Integer offset)
{
  if (substr.empty() || offset < 1 || offset > Length(s))
    return 0;
  const size_t p = s.find(substr, static_cast<size_t>(offset - 1));
  return p == AnsiString::npos ? 0 : static_cast<Integer>(p) + 1;
}

void Delete(AnsiString& s, Integer index, Integer count)
{
  const Integer len = Length(s);
  if (index < 1 || index > len || count <= 0)
    return;
  if (count > len - index + 1)
    count = len - index + 1;
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(const AnsiString& source, AnsiString& s, Integer index)
{
  if (index < 1)
    index = 1;
  if (index > Length(s))
    s += source;
  else
    s.insert(static_cast<size_t>(index - 1), source);
}

void SetLength(AnsiString& s, Integer newLength)
{
  s.resize(newLength > 0 ? static_cast<size_t>(newLength) : 0, '\0');
}

AnsiString StringOfChar(char ch, Integer count)
{
  return count > 0 ? AnsiString(static_cast<size_t>(count), ch) : AnsiString();
}

AnsiString DupeString(const AnsiString& s, Integer count)
{
  AnsiString r;
  if (count <= 0 || s.empty())
    return r;
  r.reserve(s.size() * static_cast<size_t>(count));
  for (Integer i = 0; i < count; ++i)
    r += s;
  return r;
}

AnsiString LeftStr(const AnsiString& s, Integer count)
{
  return Copy(s, 1, count);
}

AnsiString RightStr(const AnsiString& s, Integer count)
{
  if (count <= 0)
    return AnsiString();
  const Integer len = Length(s);
  return count >= len ? s : s.substr(static_cast<size_t>(len - count));
}

// ---- Double-byte characters ----

TMbcsByteType ByteType(const AnsiString& s, Integer index)
{
  if (index < 1 || index > Length(s))
    return mbSingleByte;
  const size_t i = static_cast<size_t>(index - 1);
  if (CharStart(s, i) != i)
    return mbTrailByte;
  return IsLead(s[i]) ? mbLeadByte : mbSingleByte;
}

Integer CharLength(const AnsiString& s, Integer index)
{
  if (index < 1 || index > Length(s))
    return 0;
  return static_cast<Integer>(CharSize(s, static_cast<size_t>(index - 1)));
}

Integer NextCharIndex(const AnsiString& s, Integer index)
{
  if (index < 1)
    return 1;
  if (index > Length(s))
    return Length(s) + 1;
  const size_t start = CharStart(s, static_cast<size_t>(index - 1));
  return static_cast<Integer>(start + CharSize(s, start)) + 1;
}

Integer PrevCharIndex(const AnsiString& s, Integer index)
{
  const Integer len = Length(s);
  if (index <= 1)
    return 0;
  if (index > len + 1)
    index = len + 1;
  const size_t start = (index == len + 1) ? s.size() : CharStart(s, static_cast<size_t>(index - 1));
  if (start == 0)
    return 0;
  return static_cast<Integer>(CharStart(s, start - 1)) + 1;
}

Integer CharCount(const AnsiString& s)
{
  return ByteToCharLen(s, Length(s));
}

Integer ByteToCharLen(const AnsiString& s, Integer maxLen)
{
  const size_t limit = std::min(s.size(), maxLen > 0 ? static_cast<size_t>(maxLen) : 0);
  Integer n = 0;
  for (size_t i = 0; i < limit; i += CharSize(s, i))
    ++n;
  return n;
}

Integer CharToByteLen(const AnsiString& s, Integer maxChars)
{
  size_t i = 0;
  for (Integer n = 0; n < maxChars && i < s.size(); ++n)
    i += CharSize(s, i);
  return static_cast<Integer>(i);
}

Integer ByteToCharIndex(const AnsiString& s, Integer index)
{
  if (index < 1 || index > Length(s))
    return 0;
  return ByteToCharLen(s, index);
}

Integer CharToByteIndex(const AnsiString& s, Integer index)
{
  if (index < 1)
    return 0;
  size_t i = 0;
  for (Integer n = 1; n < index && i < s.size(); ++n)
    i += CharSize(s, i);
  return i < s.size() ? static_cast<Integer>(i) + 1 : 0;
}

AnsiString CutToBytes(const AnsiString& s, Integer maxBytes)
{
  if (maxBytes <= 0)
    return AnsiString();
  if (static_cast<size_t>(maxBytes) >= s.size())
    return s;
  const size_t n = static_cast<size_t>(maxBytes);
  // Keep n bytes unless the byte after the cut is the trail of a character cut in two.
  const size_t start = CharStart(s, n);
  return s.substr(0, start);
}

AnsiString AnsiLastChar(const AnsiString& s)
{
  if (s.empty())
    return AnsiString();
  return s.substr(CharStart(s, s.size() - 1));
}

Integer WideCharLength(const AnsiString& s)
{
  // Same stepping as the codec: a lead byte followed by a valid trail byte is one
  // character, anything else is one unit per byte.
  Integer n = 0;
  const size_t len = s.size();
  for (size_t i = 0; i < len; ++i, ++n) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (IsLead(b) && i + 1 < len) {
      const unsigned char t = static_cast<unsigned char>(s[i + 1]);
      if ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFE))
        ++i;
    }
  }
  return n;
}

Integer AnsiScanChar(const AnsiString& s, char ch, Integer offset)
{
  if (offset < 1)
    offset = 1;
  const size_t len = s.size();
  size_t i = 0;
  while (i < static_cast<size_t>(offset - 1) && i < len)
    i += CharSize(s, i);
  for (; i < len; i += CharSize(s, i)) {
    if (s[i] == ch)
      return static_cast<Integer>(i) + 1;
  }
  return 0;
}

Integer LastDelimiter(const AnsiString& delimiters, const AnsiString& s)
{
  TSysCharSet set;
  for (char c : delimiters)
    set.Include(c);
  for (size_t i = s.size(); i > 0; --i) {
    if (set.Contains(s[i - 1]) && CharStart(s, i - 1) == i - 1)
      return static_cast<Integer>(i);
  }
  return 0;
}

bool IsDelimiter(const AnsiString& delimiters, const AnsiString& s, Integer index)
{
  if (index < 1 || index > Length(s))
    return false;
  const size_t i = static_cast<size_t>(index - 1);
  return delimiters.find(s[i]) != AnsiString::npos && CharStart(s, i) == i;
}

// ---- Case ----

AnsiString UpperCase(const AnsiString& s)
{
  AnsiString r(s);
  for (char& c : r)
    c = ToUpperAscii(c);
  return r;
}

AnsiString LowerCase(const AnsiString& s)
{
  AnsiString r(s);
  for (char& c : r)
    c = ToLowerAscii(c);
  return r;
}

AnsiString AnsiUpperCase(const AnsiString& s)
{
  return FoldSingleBytes<UpperFold>(s);
}
AnsiString AnsiLowerCase(const AnsiString& s)
{
  return FoldSingleBytes<LowerFold>(s);
}

// ---- Comparison ----

Integer CompareStr(const AnsiString& a, const AnsiString& b)
{
  const int r = a.compare(b); // std::char_traits<char>::compare compares as unsigned char
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool SameStr(const AnsiString& a, const AnsiString& b)
{
  return a == b;
}

Integer CompareText(const AnsiString& a, const AnsiString& b)
{
  const size_t n = std::min(a.size(), b.size());
  bool trail = false; // both texts are equal so far, so they share this state
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    if (trail) {
      trail = false;
    } else {
      trail = IsLead(ca);
      ca = static_cast<unsigned char>(ToUpperAscii(static_cast<char>(ca)));
      cb = static_cast<unsigned char>(ToUpperAscii(static_cast<char>(cb)));
    }
    if (ca != cb)
      return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size())
    return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(const AnsiString& a, const AnsiString& b)
{
  return a.size() == b.size() && CompareText(a, b) == 0;
}

Integer DefaultAnsiCollation(std::string_view a, std::string_view b, TCollationCase mode)
{
  const size_t n = std::min(a.size(), b.size());
  bool trail = false;
  Integer caseTie = 0;
  for (size_t i = 0; i < n; ++i) {
    const char ra = a[i];
    const char rb = b[i];
    unsigned char ca = static_cast<unsigned char>(ra);
    unsigned char cb = static_cast<unsigned char>(rb);
    if (trail) {
      trail = false;
    } else {
      trail = IsLead(ca);
      ca = static_cast<unsigned char>(ToLowerAscii(ra));
      cb = static_cast<unsigned char>(ToLowerAscii(rb));
    }
    if (ca != cb)
      return ca < cb ? -1 : 1;
    if (caseTie == 0 && ra != rb)
      caseTie = (ra >= 'a' && ra <= 'z') ? -1 : 1; // equal after folding: a case pair
  }
  if (a.size() != b.size())
    return a.size() < b.size() ? -1 : 1;
  return mode == ccCaseSensitive ? caseTie : 0;
}

TAnsiCollation SetAnsiCollation(TAnsiCollation collation)
{
  TAnsiCollation previous = gCollation;
  gCollation = collation ? collation : &DefaultAnsiCollation;
  return previous;
}

Integer AnsiCompareStr(const AnsiString& a, const AnsiString& b)
{
  return gCollation(a, b, ccCaseSensitive);
}
Integer AnsiCompareText(const AnsiString& a, const AnsiString& b)
{
  return gCollation(a, b, ccIgnoreCase);
}
bool AnsiSameStr(const AnsiString& a, const AnsiString& b)
{
  return AnsiCompareStr(a, b) == 0;
}
bool AnsiSameText(const AnsiString& a, const AnsiString& b)
{
  return AnsiCompareText(a, b) == 0;
}

bool AnsiTextsEqual(const AnsiString& a, const AnsiString& b, bool caseless)
{
  return caseless ? AnsiSameText(a, b) : AnsiSameStr(a, b);
}

// ---- Search and replace ----

Integer AnsiPos(const AnsiString& substr, const AnsiString& s)
{
  const size_t p = FindOnBoundary(s, substr, 0);
  return p == std::string_view::npos ? 0 : static_cast<Integer>(p) + 1;
}

Integer AnsiPosText(const AnsiString& substr, const AnsiString& s, Integer offset)
{
  if (offset < 1)
    offset = 1;
  if (offset > Length(s))
    return 0;
  // Folding keeps lead bytes, so the folded texts have the same character boundaries.
  const AnsiString fs = AnsiLowerCase(s);
  const AnsiString fp = AnsiLowerCase(substr);
  const size_t p = FindOnBoundary(fs, fp, static_cast<size_t>(offset - 1));
  return p == std::string_view::npos ? 0 : static_cast<Integer>(p) + 1;
}

bool AnsiContainsText(const AnsiString& text, const AnsiString& subText)
{
  return AnsiPosText(subText, text) > 0;
}

AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern,
                         const AnsiString& newPattern, TReplaceFlags flags)
{
  if (oldPattern.empty() || s.size() < oldPattern.size())
    return s;
  const bool ignoreCase = flags.Contains(rfIgnoreCase);
  const AnsiString folded = ignoreCase ? AnsiLowerCase(s) : AnsiString();
  const AnsiString foldedPattern = ignoreCase ? AnsiLowerCase(oldPattern) : AnsiString();
  const std::string_view hay = ignoreCase ? std::string_view(folded) : std::string_view(s);
  const std::string_view pat =
      ignoreCase ? std::string_view(foldedPattern) : std::string_view(oldPattern);

  AnsiString r;
  size_t from = 0;
  size_t boundary = 0;
  for (;;) {
    const size_t p = FindOnBoundary(hay, pat, from, boundary);
    if (p == std::string_view::npos)
      break;
    r.append(s, from, p - from);
    r += newPattern;
    from = p + pat.size();
    if (!flags.Contains(rfReplaceAll))
      break;
  }
  r.append(s, from, AnsiString::npos);
  return r;
}

// ---- Trimming, quoting, small helpers ----

AnsiString Trim(const AnsiString& s)
{
  size_t b = 0;
  size_t e = s.size();
  while (b < e && IsBlank(s[b]))
    ++b;
  while (e > b && IsBlank(s[e - 1]))
    --e;
  return (b == 0 && e == s.size()) ? s : s.substr(b, e - b);
}

AnsiString TrimLeft(const AnsiString& s)
{
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b]))
    ++b;
  return b == 0 ? s : s.substr(b);
}

AnsiString TrimRight(const AnsiString& s)
{
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1]))
    --e;
  return e == s.size() ? s : s.substr(0, e);
}

AnsiString IntToHex(Integer value, Integer digits)
{
  return HexDigits(static_cast<Cardinal>(value), digits);
}
AnsiString IntToHex(Cardinal value, Integer digits)
{
  return HexDigits(value, digits);
}
AnsiString IntToHex(Int64 value, Integer digits)
{
  return HexDigits(static_cast<UInt64>(value), digits);
}
AnsiString IntToHex(UInt64 value, Integer digits)
{
  return HexDigits(value, digits);
}

bool IsValidIdent(const AnsiString& ident, bool allowDots)
{
  if (ident.empty())
    return false;
  bool partStart = true;
  for (char c : ident) {
    if (partStart) {
      if (!IsIdentStart(c))
        return false;
      partStart = false;
    } else if (c == '.' && allowDots) {
      partStart = true;
    } else if (!IsIdentChar(c)) {
      return false;
    }
  }
  return !partStart;
}

AnsiString ExtractFieldName(const AnsiString& fields, Integer& pos)
{
  if (pos < 1)
    pos = 1;
  const Integer len = Length(fields);
  Integer i = pos;
  while (i <= len && fields[static_cast<size_t>(i - 1)] != ';')
    i += CharLength(fields, i);
  AnsiString result = Trim(Copy(fields, pos, i - pos));
  if (i <= len)
    ++i; // step over the ';'
  pos = i;
  return result;
}

AnsiString GetShortHint(const AnsiString& hint)
{
  const Integer i = AnsiScanChar(hint, '|');
  return i == 0 ? hint : hint.substr(0, static_cast<size_t>(i - 1));
}

AnsiString GetLongHint(const AnsiString& hint)
{
  const Integer i = AnsiScanChar(hint, '|');
  return i == 0 ? hint : hint.substr(static_cast<size_t>(i));
}

AnsiString QuotedStr(const AnsiString& s)
{
  return AnsiQuotedStr(s, '\'');
}

AnsiString AnsiQuotedStr(const AnsiString& s, char quote)
{
  AnsiString r;
  r.reserve(s.size() + 2);
  r += quote;
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = s[i];
    r += c;
    if (IsLead(c) && i + 1 < n)
      r += s[++i];
    else if (c == quote)
      r += quote;
  }
  r += quote;
  return r;
}

AnsiString AnsiExtractQuotedStr(const char*& src, char quote)
{
  AnsiString r;
  if (src == nullptr || *src != quote || quote == '\0')
    return r;
  const char* p = src + 1;
  while (*p != '\0') {
    if (IsLead(*p) && p[1] != '\0') {
      r += p[0];
      r += p[1];
      p += 2;
    } else if (*p == quote) {
      if (p[1] != quote) {
        ++p; // the closing quote
        src = p;
        return r;
      }
      r += quote;
      p += 2;
    } else {
      r += *p++;
    }
  }
  src = p;
  return r;
}

AnsiString AnsiDequotedStr(const AnsiString& s, char quote)
{
  const char* p = s.c_str();
  AnsiString r = AnsiExtractQuotedStr(p, quote);
  if ((r.empty() || *p == '\0') && !s.empty() && (s.front() != quote || s.back() != quote))
    return s;
  return r;
}
