// The script engine's scanner: blanks and comments, words, numbers, string literals,
// bracketed report expressions and position texts. fsParser.h describes the settings.
#include "report/script/fsParser.h"

#include <algorithm>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"

namespace {

const char* const STextTooLong = "Script text too long";
const char* const STokenTooLong = "Token too long";
const char* const SLiteralTooLong = "String literal too long";

// Longest text TokenNear returns.
constexpr Integer kNearLength = 20;

bool IsDigit(unsigned char c)
{
  return c >= '0' && c <= '9';
}
bool IsHexDigit(unsigned char c)
{
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
unsigned char Upper(unsigned char c)
{
  return (c >= 'a' && c <= 'z') ? c - 32 : c;
}
// Unlike the runtime's character stepping, a lead byte takes the next byte only when that
// is a valid trail byte: in broken text a quote or line end after a stray lead byte must
// stay a delimiter.
bool IsTrailByte(unsigned char c)
{
  return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

void SplitCommentPair(const AnsiString& value, AnsiString& open, AnsiString& close)
{
  size_t comma = value.find(',');
  if (comma == AnsiString::npos) {
    open = value;
    close.clear();
    return;
  }
  open = value.substr(0, comma);
  size_t next = value.find(',', comma + 1);
  close = value.substr(comma + 1, next == AnsiString::npos ? AnsiString::npos : next - comma - 1);
}

} // namespace

TfsParser::TfsParser()
{
  Clear();
  SetText(AnsiString());
}

void TfsParser::Clear()
{
  FKeywords.clear();
  SetCommentBlock1("{,}");
  SetCommentBlock2("(*,*)");
  FCommentLine1 = "//";
  FCommentLine2.clear();
  FHexSequence = "$";
  SetIdentChars("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
  FSkipChar.clear();
  FSkipEOL = true;
  FSkipSpace = true;
  FStringQuotes = "'";
}

void TfsParser::SetCommentBlock1(const AnsiString& value)
{
  FCommentBlock1 = value;
  SplitCommentPair(value, FCommentBlock1Open, FCommentBlock1Close);
}

void TfsParser::SetCommentBlock2(const AnsiString& value)
{
  FCommentBlock2 = value;
  SplitCommentPair(value, FCommentBlock2Open, FCommentBlock2Close);
}

void TfsParser::SetIdentChars(const AnsiString& value)
{
  std::fill(std::begin(FIdentChars), std::end(FIdentChars), false);
  AddIdentChars(value);
}

void TfsParser::AddIdentChars(const AnsiString& value)
{
  for (unsigned char c : value)
    FIdentChars[c] = true;
}

void TfsParser::AddKeyword(const AnsiString& word)
{
  FKeywords.insert(AnsiUpperCase(word));
}

bool TfsParser::IsKeyword(const AnsiString& word) const
{
  return !word.empty() && FKeywords.count(AnsiUpperCase(word)) != 0;
}

void TfsParser::SetText(const AnsiString& value)
{
  if (value.size() > static_cast<size_t>(fsMaxTextSize))
    RaiseCompileError(STextTooLong, "1:1");
  FText = value;
  FText += '\0';
  FSize = static_cast<Integer>(value.size());
  FPosition = 1;
  FTokenStart = 1;
  FLineStarts.clear();
  FLineStarts.push_back(0);
  for (Integer i = 0; i < FSize; ++i)
    if (FText[static_cast<size_t>(i)] == '\n')
      FLineStarts.push_back(i + 1);
}

void TfsParser::SetPosition(Integer value)
{
  FPosition = value;
  FTokenStart = value;
}

bool TfsParser::StartsWith(Integer pos, const AnsiString& s) const
{
  if (s.empty() || pos < 1 || pos + static_cast<Integer>(s.size()) - 1 > FSize)
    return false;
  if (At(pos) != s[0])
    return false;
  return FText.compare(static_cast<size_t>(pos - 1), s.size(), s) == 0;
}

Integer TfsParser::CharLength(Integer pos) const
{
  if (pos < FSize && IsDBCSLeadByte(UAt(pos)) && IsTrailByte(UAt(pos + 1)))
    return 2;
  return 1;
}

// A line-comment opener made of identifier characters (such as "rem") counts only as a
// whole word, in any letter case; other openers match exactly.
bool TfsParser::MatchLineComment(const AnsiString& opener) const
{
  if (opener.empty())
    return false;
  if (!FIdentChars[static_cast<unsigned char>(opener[0])])
    return StartsWith(FPosition, opener);
  Integer end = FPosition + static_cast<Integer>(opener.size());
  if (end - 1 > FSize)
    return false;
  if (FPosition > 1 && FIdentChars[UAt(FPosition - 1)])
    return false;
  for (size_t i = 0; i < opener.size(); ++i)
    if (Upper(UAt(FPosition + static_cast<Integer>(i))) !=
        Upper(static_cast<unsigned char>(opener[i])))
      return false;
  return end > FSize || !FIdentChars[UAt(end)];
}

// True when nothing but blanks, or blanks and a line comment, stand between pos and the
// end of its line: the skip character before pos is then a line continuation.
bool TfsParser::ContinuationFollows(Integer pos) const
{
  while (pos <= FSize && (At(pos) == ' ' || At(pos) == '\t'))
    ++pos;
  if (pos > FSize || At(pos) == '\r' || At(pos) == '\n')
    return true;
  auto opens = [&](const AnsiString& opener) {
    return !opener.empty() &&
           FText.compare(static_cast<size_t>(pos - 1), opener.size(), opener) == 0;
  };
  return opens(FCommentLine1) || opens(FCommentLine2);
}

void TfsParser::SkipBlanksAndComments()
{
  for (;;) {
    while (FPosition <= FSize && IsBlank(UAt(FPosition)))
      ++FPosition;
    if (!FSkipChar.empty() && FPosition <= FSize && At(FPosition) == FSkipChar[0] &&
        ContinuationFollows(FPosition + 1)) {
      // A line continuation: the rest of the line and its line end are skipped.
      ++FPosition;
      while (FPosition <= FSize && At(FPosition) != '\r' && At(FPosition) != '\n')
        FPosition += CharLength(FPosition);
      while (FPosition <= FSize && (At(FPosition) == '\r' || At(FPosition) == '\n'))
        ++FPosition;
      continue;
    }
    if (FPosition >= FSize)
      break;
    if (MatchLineComment(FCommentLine1) || MatchLineComment(FCommentLine2)) {
      // Stops before the line end, so that a line end stays visible where it matters.
      while (FPosition <= FSize && At(FPosition) != '\r' && At(FPosition) != '\n')
        FPosition += CharLength(FPosition);
      continue;
    }
    const AnsiString* close = nullptr;
    if (!FCommentBlock1.empty() && StartsWith(FPosition, FCommentBlock1Open))
      close = &FCommentBlock1Close;
    else if (!FCommentBlock2.empty() && StartsWith(FPosition, FCommentBlock2Open))
      close = &FCommentBlock2Close;
    if (!close)
      break;
    FPosition += std::max<Integer>(1, static_cast<Integer>(close->size()));
    while (FPosition <= FSize && !StartsWith(FPosition, *close))
      FPosition += CharLength(FPosition);
    FPosition = std::min<Integer>(FPosition + static_cast<Integer>(close->size()), FSize + 1);
  }
  FTokenStart = FPosition;
}

bool TfsParser::SkipLineEnd()
{
  SkipBlanksAndComments();
  if (FPosition > FSize || (At(FPosition) != '\r' && At(FPosition) != '\n'))
    return false;
  while (FPosition <= FSize && (At(FPosition) == '\r' || At(FPosition) == '\n'))
    ++FPosition;
  FTokenStart = FPosition;
  return true;
}

AnsiString TfsParser::ReadChar()
{
  FTokenStart = FPosition;
  if (FPosition > FSize)
    return AnsiString();
  unsigned char c = UAt(FPosition);
  if ((c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
      (c >= '{' && c <= '~')) {
    ++FPosition;
    return AnsiString(1, static_cast<char>(c));
  }
  return AnsiString();
}

AnsiString TfsParser::ReadWord()
{
  if (FSkipSpace)
    SkipBlanksAndComments();
  FTokenStart = FPosition;
  if (FPosition > FSize || !FIdentChars[UAt(FPosition)] || IsDigit(UAt(FPosition)))
    return AnsiString();
  while (FPosition <= FSize && FIdentChars[UAt(FPosition)])
    ++FPosition;
  if (FPosition - FTokenStart > fsMaxTokenLength)
    RaiseLimit(STokenTooLong, FTokenStart);
  return FText.substr(static_cast<size_t>(FTokenStart - 1),
                      static_cast<size_t>(FPosition - FTokenStart));
}

AnsiString TfsParser::ReadIdent()
{
  AnsiString word = ReadWord();
  if (IsKeyword(word))
    return AnsiString();
  return word;
}

bool TfsParser::ReadInteger()
{
  Integer start = FPosition;
  bool hex = StartsWith(FPosition, FHexSequence);
  if (hex)
    FPosition += static_cast<Integer>(FHexSequence.size());
  Integer digits = FPosition;
  while (FPosition <= FSize && (hex ? IsHexDigit(UAt(FPosition)) : IsDigit(UAt(FPosition))))
    ++FPosition;
  if (FPosition == digits) {
    FPosition = start;
    return false;
  }
  return true;
}

bool TfsParser::ReadFloat()
{
  Integer start = FPosition;
  if (!ReadInteger())
    return false;
  if (FPosition <= FSize && At(FPosition) == '.') {
    ++FPosition;
    Integer digits = FPosition;
    while (FPosition <= FSize && IsDigit(UAt(FPosition)))
      ++FPosition;
    if (FPosition == digits) {
      FPosition = start;
      return false;
    }
  }
  if (FPosition <= FSize && (At(FPosition) == 'E' || At(FPosition) == 'e')) {
    Integer mark = FPosition;
    ++FPosition;
    if (FPosition <= FSize && (At(FPosition) == '+' || At(FPosition) == '-'))
      ++FPosition;
    Integer digits = FPosition;
    while (FPosition <= FSize && IsDigit(UAt(FPosition)))
      ++FPosition;
    if (FPosition == digits)
      FPosition = mark; // an exponent without digits is not part of the number
  }
  return true;
}

AnsiString TfsParser::ReadNumber()
{
  if (FSkipSpace)
    SkipBlanksAndComments();
  FTokenStart = FPosition;
  if (!ReadFloat() && !ReadInteger()) {
    FPosition = FTokenStart;
    return AnsiString();
  }
  if (FPosition - FTokenStart > fsMaxTokenLength)
    RaiseLimit(STokenTooLong, FTokenStart);
  AnsiString result = FText.substr(static_cast<size_t>(FTokenStart - 1),
                                   static_cast<size_t>(FPosition - FTokenStart));
  if (FHexSequence != "$" && !FHexSequence.empty()) {
    size_t at = 0;
    while ((at = result.find(FHexSequence, at)) != AnsiString::npos) {
      result.replace(at, FHexSequence.size(), "$");
      ++at;
    }
  }
  return result;
}

bool TfsParser::ReadQuotedPiece(AnsiString& value)
{
  const Integer start = FPosition;
  const char quote = FStringQuotes[0];
  const bool cEscapes = FStringQuotes == "\"";
  ++FPosition;
  AnsiString piece;
  for (;;) {
    if (FPosition > FSize)
      break;
    if (value.size() + piece.size() > static_cast<size_t>(fsMaxLiteralLength))
      RaiseLimit(SLiteralTooLong, start);
    if (CharLength(FPosition) == 2) {
      piece.append(FText, static_cast<size_t>(FPosition - 1), 2);
      FPosition += 2;
      continue;
    }
    unsigned char c = UAt(FPosition);
    if (cEscapes && c == '\\') {
      ++FPosition;
      if (FPosition > FSize)
        break;
      c = UAt(FPosition);
      if (c == 'n' || c == 'N') {
        piece += '\n';
        ++FPosition;
        continue;
      }
      if (c == 'r' || c == 'R') {
        piece += '\r';
        ++FPosition;
        continue;
      }
      if (c == 'x' || c == 'X') {
        ++FPosition;
        unsigned code = 0;
        Integer digits = FPosition;
        while (FPosition <= FSize && IsHexDigit(UAt(FPosition))) {
          unsigned char d = UAt(FPosition++);
          code = (code << 4) | (IsDigit(d) ? d - '0' : (Upper(d) - 'A' + 10));
          code &= 0xFFFF;
        }
        if (FPosition > digits)
          piece += static_cast<char>(code & 0xFF);
        continue;
      }
      if (CharLength(FPosition) == 2) {
        piece.append(FText, static_cast<size_t>(FPosition - 1), 2);
        FPosition += 2;
        continue;
      }
      // Any other escaped character stands for itself; fall through to take it.
    } else if (c == static_cast<unsigned char>(quote)) {
      if (!cEscapes && FPosition < FSize && At(FPosition + 1) == quote) {
        piece += quote;
        FPosition += 2;
        continue;
      }
      ++FPosition;
      value += piece;
      return true;
    }
    piece += static_cast<char>(c);
    ++FPosition;
    if (c < 32 && c != 9)
      break; // a line break or control character: the piece is unterminated
  }
  FPosition = start;
  return false;
}

bool TfsParser::ReadCharCode(AnsiString& value)
{
  const Integer start = FPosition;
  ++FPosition;
  bool hex = StartsWith(FPosition, FHexSequence);
  if (!ReadInteger()) {
    FPosition = start;
    return false;
  }
  Integer digit = start + 1 + (hex ? static_cast<Integer>(FHexSequence.size()) : 0);
  unsigned code = 0;
  for (Integer p = digit; p < FPosition; ++p) {
    unsigned char d = UAt(p);
    unsigned v = IsDigit(d) ? d - '0' : (Upper(d) - 'A' + 10);
    code = (hex ? code * 16 : code * 10) + v;
    code &= 0xFFFFFF; // only the low byte is kept; this keeps long digit runs bounded
  }
  value += static_cast<char>(code & 0xFF);
  return true;
}

AnsiString TfsParser::ReadStringLiteral()
{
  if (FSkipSpace)
    SkipBlanksAndComments();
  FTokenStart = FPosition;
  AnsiString value;
  bool any = false;
  while (FPosition <= FSize) {
    char c = At(FPosition);
    bool ok = false;
    if (!FStringQuotes.empty() && c == FStringQuotes[0])
      ok = ReadQuotedPiece(value);
    else if (c == '#')
      ok = ReadCharCode(value);
    if (!ok)
      break;
    any = true;
    if (value.size() > static_cast<size_t>(fsMaxLiteralLength))
      RaiseLimit(SLiteralTooLong, FTokenStart);
  }
  if (!any)
    return AnsiString();
  return "'" + value + "'";
}

AnsiString TfsParser::ReadFRString()
{
  const Integer start = FPosition;
  FTokenStart = FPosition;
  Integer depth = 1;
  bool inSingle = false, inDouble = false;
  while (FPosition <= FSize) {
    char c = At(FPosition);
    if (c == '\r' || c == '\n') {
      FPosition = start;
      return AnsiString();
    }
    if (CharLength(FPosition) == 2) {
      FPosition += 2;
      continue;
    }
    if (c == '"' && !inSingle) {
      inDouble = !inDouble;
    } else if (c == '\'' && !inDouble) {
      inSingle = !inSingle;
    } else if (!inSingle && !inDouble) {
      if (c == '<') {
        ++depth;
      } else if (c == '>' && --depth == 0) {
        break;
      }
    }
    ++FPosition;
    if (FPosition - start > fsMaxLiteralLength)
      RaiseLimit(SLiteralTooLong, start);
  }
  return FText.substr(static_cast<size_t>(start - 1), static_cast<size_t>(FPosition - start));
}

AnsiString TfsParser::PositionTextAt(Integer pos) const
{
  auto it = std::lower_bound(FLineStarts.begin(), FLineStarts.end(), pos);
  Integer line = static_cast<Integer>(it - FLineStarts.begin());
  if (line < 1)
    line = 1;
  Integer column = pos - FLineStarts[static_cast<size_t>(line - 1)];
  return IntToStr(line) + ":" + IntToStr(column);
}

Integer TfsParser::PointToPosition(Integer column, Integer line) const
{
  if (line < 1 || line > static_cast<Integer>(FLineStarts.size()))
    return -1;
  return column + FLineStarts[static_cast<size_t>(line - 1)];
}

AnsiString TfsParser::TokenNear(Integer pos) const
{
  if (pos < 1 || pos > FSize)
    return AnsiString();
  Integer end = pos;
  if (FIdentChars[UAt(pos)] || IsDigit(UAt(pos))) {
    while (end <= FSize && (FIdentChars[UAt(end)] || IsDigit(UAt(end))) && end - pos < kNearLength)
      ++end;
  } else {
    end += CharLength(pos);
  }
  return FText.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(end - pos));
}

void TfsParser::RaiseLimit(const char* message, Integer pos) const
{
  RaiseCompileError(message, PositionTextAt(pos), TokenNear(pos));
}

void RaiseCompileError(const AnsiString& message, const AnsiString& position,
                       const AnsiString& nearText, const AnsiString& unitName)
{
  throw EfsCompileError(message, position, nearText, unitName);
}
