// Edit-mask engine: one left-to-right scan classifies every mask byte (stepping over
// double-byte characters, which are always two literal bytes), finds the ";save;blank"
// suffix, and the public functions read that layout.
#include "platform/rtl/MaskUtils.h"

#include <string_view>
#include <vector>

namespace {

enum TCaseState : Byte { csNone, csUpper, csLower };

struct TMaskByte {
  TMaskCharType Type = mcLiteral;
  TCaseState Case = csNone;
  bool Escaped = false;
};

struct TMaskLayout {
  std::vector<TMaskByte> Bytes;
  bool Reverse = false;
  bool Save = true;
  char Blank = DefaultBlank;
  Integer Separator = -1; // 1-based position of the suffix's first ';'
};

bool IsLead(unsigned char b)
{
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrail(unsigned char b)
{
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

// Length of the character at i: 2 for a lead byte followed by a trail byte.
std::size_t CharLen(std::string_view s, std::size_t i)
{
  return IsLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
                 IsTrail(static_cast<unsigned char>(s[i + 1]))
             ? 2
             : 1;
}

TMaskCharType ClassifySingle(char c)
{
  switch (c) {
  case mMskDateSeparator:
  case mMskTimeSeparator:
    return mcIntlLiteral;
  case mDirReverse:
  case mDirUpperCase:
  case mDirLowerCase:
  case mDirLiteral:
    return mcDirective;
  case mMskAlpha:
  case mMskAlphaNum:
  case mMskAscii:
  case mMskNumeric:
    return mcMask;
  case mMskAlphaOpt:
  case mMskAlphaNumOpt:
  case mMskAsciiOpt:
  case mMskNumericOpt:
  case mMskNumSymOpt:
    return mcMaskOpt;
  default:
    return mcLiteral;
  }
}

// A byte that can open the suffix: a single-byte, unescaped ';'.
bool IsSuffixSeparator(const TMaskLayout& layout, std::string_view mask, std::size_t i)
{
  // ';' is never a trail byte, so the scan has already seen it as a character of its own.
  return mask[i] == MaskFieldSeparator && layout.Bytes[i].Type == mcLiteral &&
         !layout.Bytes[i].Escaped;
}

void ParseSuffix(TMaskLayout& layout, std::string_view mask)
{
  const std::size_t n = mask.size();
  std::size_t first = 0, second = 0;
  if (n >= 4 && IsSuffixSeparator(layout, mask, n - 4) && mask[n - 2] == MaskFieldSeparator) {
    first = n - 4; // ";s;b"
    second = n - 2;
    layout.Blank = mask[n - 1];
  } else if (n >= 2 && IsSuffixSeparator(layout, mask, n - 2)) {
    first = n - 2; // ";s"
  } else {
    return;
  }
  layout.Separator = static_cast<Integer>(first) + 1;
  layout.Save = mask[first + 1] != MaskNoSave;
  for (std::size_t i = first; i < n; ++i)
    layout.Bytes[i] = TMaskByte{mcField, csNone, false};
  layout.Bytes[first].Type = mcFieldSeparator;
  if (second != 0)
    layout.Bytes[second].Type = mcFieldSeparator;
}

TMaskLayout ParseMask(std::string_view mask)
{
  TMaskLayout layout;
  layout.Bytes.resize(mask.size());
  TCaseState state = csNone;
  bool escapeNext = false;
  for (std::size_t i = 0; i < mask.size();) {
    std::size_t len = CharLen(mask, i);
    if (len == 2 || escapeNext) {
      for (std::size_t k = 0; k < len; ++k)
        layout.Bytes[i + k] = TMaskByte{mcLiteral, state, escapeNext};
      escapeNext = false;
      i += len;
      continue;
    }
    char c = mask[i];
    TMaskCharType type = ClassifySingle(c);
    if (c == mDirUpperCase) {
      state = csUpper;
    } else if (c == mDirLowerCase) {
      state = csLower;
      if (i + 1 < mask.size() && mask[i + 1] == mDirUpperCase) {
        layout.Bytes[i] = TMaskByte{mcDirective, state, false};
        state = csNone;
        ++i;
      }
    } else if (c == mDirReverse) {
      layout.Reverse = true;
    } else if (c == mDirLiteral) {
      escapeNext = true;
    }
    layout.Bytes[i] = TMaskByte{type, state, false};
    ++i;
  }
  ParseSuffix(layout, mask);
  return layout;
}

bool Produces(TMaskCharType type)
{
  return type == mcLiteral || type == mcIntlLiteral || type == mcMask || type == mcMaskOpt;
}

bool IsFree(TMaskCharType type)
{
  return type == mcMask || type == mcMaskOpt;
}

// One text position of a mask.
struct TTextPos {
  std::size_t MaskIndex; // 0-based
  TMaskCharType Type;
};

std::vector<TTextPos> TextPositions(const TMaskLayout& layout)
{
  std::vector<TTextPos> positions;
  for (std::size_t i = 0; i < layout.Bytes.size(); ++i)
    if (Produces(layout.Bytes[i].Type))
      positions.push_back({i, layout.Bytes[i].Type});
  return positions;
}

char LiteralChar(const AnsiString& mask, const TTextPos& pos, const TFormatSettings& settings)
{
  char c = mask[pos.MaskIndex];
  return pos.Type == mcIntlLiteral ? MaskIntlLiteralToChar(c, settings) : c;
}

bool IsAsciiLetter(char c)
{
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(char c)
{
  return c >= '0' && c <= '9';
}

// Splits a text into characters (one or two bytes each).
std::vector<std::string_view> Characters(std::string_view s)
{
  std::vector<std::string_view> chars;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len = CharLen(s, i);
    chars.push_back(s.substr(i, len));
    i += len;
  }
  return chars;
}

} // namespace

TMaskCharType MaskGetCharType(const AnsiString& editMask, Integer maskOffset)
{
  if (maskOffset < 1 || maskOffset > static_cast<Integer>(editMask.size()))
    return mcNone;
  return ParseMask(editMask).Bytes[static_cast<std::size_t>(maskOffset - 1)].Type;
}

TMaskDirectives MaskGetCurrentDirectives(const AnsiString& editMask, Integer maskOffset)
{
  TMaskDirectives result;
  TMaskLayout layout = ParseMask(editMask);
  if (layout.Reverse)
    result.Include(mdReverseDir);
  if (maskOffset < 1 || maskOffset > static_cast<Integer>(editMask.size()))
    return result;
  const TMaskByte& b = layout.Bytes[static_cast<std::size_t>(maskOffset - 1)];
  if (b.Case == csUpper)
    result.Include(mdUpperCase);
  else if (b.Case == csLower)
    result.Include(mdLowerCase);
  if (b.Escaped)
    result.Include(mdLiteralChar);
  return result;
}

Integer MaskGetFldSeparator(const AnsiString& editMask)
{
  return ParseMask(editMask).Separator;
}
bool MaskGetMaskSave(const AnsiString& editMask)
{
  return ParseMask(editMask).Save;
}
char MaskGetMaskBlank(const AnsiString& editMask)
{
  return ParseMask(editMask).Blank;
}

char MaskIntlLiteralToChar(char c, const TFormatSettings& settings)
{
  if (c == mMskDateSeparator)
    return settings.DateSeparator;
  if (c == mMskTimeSeparator)
    return settings.TimeSeparator;
  return c;
}

char MaskIntlLiteralToChar(char c)
{
  return MaskIntlLiteralToChar(c, FormatSettings);
}

Integer MaskOffsetToOffset(const AnsiString& editMask, Integer maskOffset)
{
  TMaskLayout layout = ParseMask(editMask);
  Integer count = 0;
  for (Integer i = 0; i < maskOffset && i < static_cast<Integer>(layout.Bytes.size()); ++i)
    if (Produces(layout.Bytes[static_cast<std::size_t>(i)].Type))
      ++count;
  return count;
}

Integer OffsetToMaskOffset(const AnsiString& editMask, Integer offset)
{
  std::vector<TTextPos> positions = TextPositions(ParseMask(editMask));
  if (offset < 0 || offset >= static_cast<Integer>(positions.size()))
    return -1;
  return static_cast<Integer>(positions[static_cast<std::size_t>(offset)].MaskIndex) + 1;
}

bool IsLiteralChar(const AnsiString& editMask, Integer offset)
{
  std::vector<TTextPos> positions = TextPositions(ParseMask(editMask));
  if (offset < 0 || offset >= static_cast<Integer>(positions.size()))
    return false;
  return !IsFree(positions[static_cast<std::size_t>(offset)].Type);
}

bool MaskCharIsValid(const AnsiString& editMask, Integer maskOffset, char& ch,
                     const TFormatSettings& settings)
{
  if (maskOffset < 1 || maskOffset > static_cast<Integer>(editMask.size()))
    return false;
  TMaskLayout layout = ParseMask(editMask);
  const TMaskByte& b = layout.Bytes[static_cast<std::size_t>(maskOffset - 1)];
  char m = editMask[static_cast<std::size_t>(maskOffset - 1)];
  if (b.Type == mcLiteral || b.Type == mcIntlLiteral)
    return ch == (b.Type == mcIntlLiteral ? MaskIntlLiteralToChar(m, settings) : m);
  if (!IsFree(b.Type))
    return false;
  if (b.Case == csUpper && ch >= 'a' && ch <= 'z')
    ch = static_cast<char>(ch - 32);
  else if (b.Case == csLower && ch >= 'A' && ch <= 'Z')
    ch = static_cast<char>(ch + 32);
  switch (m) {
  case mMskAlpha:
  case mMskAlphaOpt:
    return IsAsciiLetter(ch);
  case mMskAlphaNum:
  case mMskAlphaNumOpt:
    return IsAsciiLetter(ch) || IsAsciiDigit(ch);
  case mMskNumeric:
  case mMskNumericOpt:
    return IsAsciiDigit(ch);
  case mMskNumSymOpt:
    return IsAsciiDigit(ch) || ch == '+' || ch == '-';
  default: // C and c take any character
    return true;
  }
}

bool MaskCharIsValid(const AnsiString& editMask, Integer maskOffset, char& ch)
{
  return MaskCharIsValid(editMask, maskOffset, ch, FormatSettings);
}

AnsiString MaskDoFormatText(const AnsiString& editMask, const AnsiString& value, char blank,
                            const TFormatSettings& settings)
{
  TMaskLayout layout = ParseMask(editMask);
  std::vector<TTextPos> positions = TextPositions(layout);
  std::vector<std::string_view> chars = Characters(value);
  const std::size_t n = positions.size();
  AnsiString result(n, blank);
  for (std::size_t i = 0; i < n; ++i)
    if (!IsFree(positions[i].Type))
      result[i] = LiteralChar(editMask, positions[i], settings);

  // Walk the free positions forwards (or backwards with '!'), taking characters from the
  // same end of the value; a double-byte character needs two adjacent free positions.
  const bool reverse = layout.Reverse;
  std::size_t next = 0; // characters consumed, counted from the walking end
  for (std::size_t step = 0; step < n && next < chars.size(); ++step) {
    std::size_t i = reverse ? n - 1 - step : step;
    if (!IsFree(positions[i].Type))
      continue;
    std::string_view c = chars[reverse ? chars.size() - 1 - next : next];
    if (c.size() == 1) {
      result[i] = c[0];
      ++next;
      continue;
    }
    std::size_t partner = reverse ? i - 1 : i + 1;
    bool room = reverse ? i > 0 : i + 1 < n;
    ++next;
    if (!room || !IsFree(positions[partner].Type))
      continue; // no room for both bytes: the character is dropped
    std::size_t low = reverse ? partner : i;
    result[low] = c[0];
    result[low + 1] = c[1];
    ++step;
  }
  return result;
}

AnsiString MaskDoFormatText(const AnsiString& editMask, const AnsiString& value, char blank)
{
  return MaskDoFormatText(editMask, value, blank, FormatSettings);
}

AnsiString PadInputLiterals(const AnsiString& editMask, const AnsiString& value, char blank,
                            const TFormatSettings& settings)
{
  TMaskLayout layout = ParseMask(editMask);
  std::vector<TTextPos> positions = TextPositions(layout);
  std::string_view rest(value);
  AnsiString result;
  std::size_t i = 0;
  while (i < positions.size()) {
    // A stretch of free positions, then (maybe) the literal that ends it.
    std::size_t width = 0;
    while (i + width < positions.size() && IsFree(positions[i + width].Type))
      ++width;
    std::size_t literalAt = i + width;
    // The field runs to the value's next copy of that literal; when the value lacks the
    // literal, the field takes what fits and the rest goes on to the next stretch.
    std::size_t found = std::string_view::npos;
    if (literalAt < positions.size()) {
      char literal = LiteralChar(editMask, positions[literalAt], settings);
      for (std::size_t k = 0; k < rest.size(); k += CharLen(rest, k))
        if (rest[k] == literal && CharLen(rest, k) == 1) {
          found = k;
          break;
        }
    }
    std::string_view field = rest.substr(0, found);
    // Cut to the width on a character boundary, or pad with blanks.
    std::size_t used = 0;
    while (used < field.size() && used + CharLen(field, used) <= width)
      used += CharLen(field, used);
    rest = found != std::string_view::npos ? rest.substr(found + 1) : rest.substr(used);
    AnsiString padding(width - used, blank);
    if (layout.Reverse)
      result += padding;
    result.append(field.substr(0, used));
    if (!layout.Reverse)
      result += padding;
    if (literalAt < positions.size())
      result += LiteralChar(editMask, positions[literalAt], settings);
    i = literalAt + 1;
  }
  return result;
}

AnsiString PadInputLiterals(const AnsiString& editMask, const AnsiString& value, char blank)
{
  return PadInputLiterals(editMask, value, blank, FormatSettings);
}

AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value,
                          const TFormatSettings& settings)
{
  if (MaskGetMaskSave(editMask))
    return PadInputLiterals(editMask, value, ' ', settings);
  return MaskDoFormatText(editMask, value, ' ', settings);
}

AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value)
{
  return FormatMaskText(editMask, value, FormatSettings);
}
