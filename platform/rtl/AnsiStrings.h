// The runtime's string functions over AnsiString (GBK bytes): positions are 1-based and
// count bytes; double-byte characters (lead byte 0x81-0xFE plus one trail byte) are never
// split or mistaken for ASCII where the functions below say so. Conversions to UTF-8 and
// UTF-16 live in Codec.h, file and path helpers in FileUtils.h.
#pragma once

#include <initializer_list>
#include <string_view>

#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"

// ---- Byte sets ("set of char") ----

// A set of byte values, 256 bits. Membership tests take the byte unsigned.
class TSysCharSet {
public:
  constexpr TSysCharSet() = default;
  constexpr TSysCharSet(std::initializer_list<char> chars)
  {
    for (char c : chars)
      Include(c);
  }
  // The set of every byte from lo to hi, both included.
  static constexpr TSysCharSet Range(unsigned char lo, unsigned char hi)
  {
    TSysCharSet s;
    for (unsigned n = lo; n <= hi; ++n)
      s.FBits[n >> 6] |= std::uint64_t(1) << (n & 63);
    return s;
  }

  constexpr bool Contains(char c) const
  {
    const unsigned n = static_cast<unsigned char>(c);
    return (FBits[n >> 6] >> (n & 63)) & 1u;
  }
  constexpr TSysCharSet& Include(char c)
  {
    const unsigned n = static_cast<unsigned char>(c);
    FBits[n >> 6] |= std::uint64_t(1) << (n & 63);
    return *this;
  }
  constexpr TSysCharSet& Exclude(char c)
  {
    const unsigned n = static_cast<unsigned char>(c);
    FBits[n >> 6] &= ~(std::uint64_t(1) << (n & 63));
    return *this;
  }
  constexpr bool Empty() const { return !(FBits[0] | FBits[1] | FBits[2] | FBits[3]); }

  friend constexpr TSysCharSet operator+(TSysCharSet a, const TSysCharSet& b)
  {
    for (int i = 0; i < 4; ++i)
      a.FBits[i] |= b.FBits[i];
    return a;
  }
  friend constexpr TSysCharSet operator-(TSysCharSet a, const TSysCharSet& b)
  {
    for (int i = 0; i < 4; ++i)
      a.FBits[i] &= ~b.FBits[i];
    return a;
  }
  friend constexpr TSysCharSet operator*(TSysCharSet a, const TSysCharSet& b)
  {
    for (int i = 0; i < 4; ++i)
      a.FBits[i] &= b.FBits[i];
    return a;
  }
  friend constexpr bool operator==(const TSysCharSet&, const TSysCharSet&) = default;

private:
  std::uint64_t FBits[4] = {0, 0, 0, 0};
};

constexpr bool CharInSet(char c, const TSysCharSet& set)
{
  return set.Contains(c);
}

// ---- Byte-counting basics (positions 1-based) ----

inline Integer Length(const AnsiString& s)
{
  return static_cast<Integer>(s.size());
}

// Up to count bytes from position index. An index below 1 counts as 1; index or count
// beyond the end are clamped; a count <= 0 gives "".
AnsiString Copy(const AnsiString& s, Integer index, Integer count);

// Position of the first occurrence of substr in s, byte-wise; 0 when absent or when
// substr is empty.
Integer Pos(const AnsiString& substr, const AnsiString& s);
// As Pos, searching from position offset (offset < 1 or past the end: 0).
Integer PosEx(const AnsiString& substr, const AnsiString& s, Integer offset = 1);

// Removes count bytes from position index; nothing when index is outside 1..Length(s).
void Delete(AnsiString& s, Integer index, Integer count);
// Inserts source before position index (below 1: at the start; past the end: appended).
void Insert(const AnsiString& source, AnsiString& s, Integer index);
// Resizes s to newLength bytes (new bytes are zero; a negative length gives "").
void SetLength(AnsiString& s, Integer newLength);

AnsiString StringOfChar(char ch, Integer count);
AnsiString DupeString(const AnsiString& s, Integer count);
AnsiString LeftStr(const AnsiString& s, Integer count);
AnsiString RightStr(const AnsiString& s, Integer count);

// ---- Double-byte characters ----

enum TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };

// A GBK lead byte (0x81-0xFE). A lead byte at a character start always takes the next
// byte with it, as the platform's character stepping does; a lone lead byte at the very
// end of a text is its own (broken) character.
// Takes the byte unsigned, so a char argument works as it is.
constexpr bool IsDBCSLeadByte(unsigned char b)
{
  return b >= 0x81 && b != 0xFF;
}

// The role of the byte at 1-based position index; mbSingleByte outside the text.
TMbcsByteType ByteType(const AnsiString& s, Integer index);
// Length in bytes (1 or 2) of the character starting at position index; 0 past the end.
Integer CharLength(const AnsiString& s, Integer index);
// Start of the character after the one that holds position index (Length(s) + 1 at most).
Integer NextCharIndex(const AnsiString& s, Integer index);
// Start of the character before the one that holds position index (0 at the start).
Integer PrevCharIndex(const AnsiString& s, Integer index);
// Number of characters in s (a double-byte character counts once).
Integer CharCount(const AnsiString& s);
// Number of characters in the first maxLen bytes (a character cut by maxLen counts).
Integer ByteToCharLen(const AnsiString& s, Integer maxLen);
// Number of bytes taken by the first maxChars characters.
Integer CharToByteLen(const AnsiString& s, Integer maxChars);
// Character number (1-based) of the character holding byte position index; 0 outside.
Integer ByteToCharIndex(const AnsiString& s, Integer index);
// Byte position of the character number index (1-based); 0 outside.
Integer CharToByteIndex(const AnsiString& s, Integer index);
// The first bytes of s, at most maxBytes, never ending inside a double-byte character.
AnsiString CutToBytes(const AnsiString& s, Integer maxBytes);
// The last character of s (one or two bytes); "" for "".
AnsiString AnsiLastChar(const AnsiString& s);
// Length of s in UTF-16 units, as GbkToWide would give it (every GBK character is one).
Integer WideCharLength(const AnsiString& s);
// Position of the single-byte character ch in s from offset, skipping trail bytes that
// happen to equal it; 0 when absent.
Integer AnsiScanChar(const AnsiString& s, char ch, Integer offset = 1);
// Position of the last byte of s that is in delimiters and is not a trail byte; 0 if none.
Integer LastDelimiter(const AnsiString& delimiters, const AnsiString& s);
// Whether the byte at position index is in delimiters and not a trail byte.
bool IsDelimiter(const AnsiString& delimiters, const AnsiString& s, Integer index);

// ---- Case ----

// ASCII letters on every byte, the runtime's plain conversions.
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
// ASCII letters of single-byte characters only; trail bytes are never changed.
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);

// ---- Comparison ----

// Unsigned byte order; result < 0, 0 or > 0.
Integer CompareStr(const AnsiString& a, const AnsiString& b);
bool SameStr(const AnsiString& a, const AnsiString& b);
// ASCII letters folded to upper case (single-byte characters only), then unsigned bytes.
Integer CompareText(const AnsiString& a, const AnsiString& b);
bool SameText(const AnsiString& a, const AnsiString& b);

// The collation used by the Ansi comparisons below. The default folds ASCII letters of
// single-byte characters to lower case and compares unsigned bytes (GB2312 level-1
// characters sort by pinyin that way); the case-sensitive form breaks ties of that order
// at the first differing letter, lower case first.
enum TCollationCase { ccIgnoreCase, ccCaseSensitive };
using TAnsiCollation = Integer (*)(std::string_view a, std::string_view b, TCollationCase mode);
Integer DefaultAnsiCollation(std::string_view a, std::string_view b, TCollationCase mode);
// Replaces the collation (tests); nullptr restores the default. Returns the previous one.
// Not synchronised: set it before other threads compare.
TAnsiCollation SetAnsiCollation(TAnsiCollation collation);

Integer AnsiCompareStr(const AnsiString& a, const AnsiString& b);
Integer AnsiCompareText(const AnsiString& a, const AnsiString& b);
bool AnsiSameStr(const AnsiString& a, const AnsiString& b);
bool AnsiSameText(const AnsiString& a, const AnsiString& b);
bool AnsiTextsEqual(const AnsiString& a, const AnsiString& b, bool caseless);

// ---- Search and replace ----

// Like Pos, but a match must start on a character boundary.
Integer AnsiPos(const AnsiString& substr, const AnsiString& s);
// Case-insensitive AnsiPos (ASCII letters of single-byte characters), from offset.
Integer AnsiPosText(const AnsiString& substr, const AnsiString& s, Integer offset = 1);
bool AnsiContainsText(const AnsiString& text, const AnsiString& subText);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
// Replaces the first occurrence of oldPattern (every one with rfReplaceAll), matching on
// character boundaries; rfIgnoreCase folds ASCII letters of single-byte characters.
AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern,
                         const AnsiString& newPattern, TReplaceFlags flags = {});

// ---- Trimming, quoting, small helpers ----

// Remove bytes 0..32 at both ends, at the start, at the end.
AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);

// Upper-case hexadecimal, at least digits digits (zero-padded). Negative values show
// their two's complement in the width of their type.
AnsiString IntToHex(Integer value, Integer digits);
AnsiString IntToHex(Cardinal value, Integer digits);
AnsiString IntToHex(Int64 value, Integer digits);
AnsiString IntToHex(UInt64 value, Integer digits);
// The value of one hexadecimal digit ('0'-'9', 'A'-'F', 'a'-'f'); -1 for any other byte.
constexpr int HexDigitValue(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

// A letter or '_' followed by letters, digits and '_' (ASCII only); with allowDots,
// dot-separated parts each of that form.
bool IsValidIdent(const AnsiString& ident, bool allowDots = false);

// The ';'-separated field name starting at pos, trimmed; pos moves past the ';'.
AnsiString ExtractFieldName(const AnsiString& fields, Integer& pos);

// The parts of a hint before and after the first '|' that is not a trail byte; without
// a '|', both are the whole hint.
AnsiString GetShortHint(const AnsiString& hint);
AnsiString GetLongHint(const AnsiString& hint);

// s inside single quotes, quotes inside doubled.
AnsiString QuotedStr(const AnsiString& s);
// s inside quote, quote characters inside doubled (trail bytes are never doubled).
AnsiString AnsiQuotedStr(const AnsiString& s, char quote);
// Reads a quoted text at src (which must start with quote, else ""), undoubling inner
// quotes; src moves past the closing quote, or to the terminating zero when the closing
// quote is missing (the text then runs to the end).
AnsiString AnsiExtractQuotedStr(const char*& src, char quote);
// s without its quotes when it is quoted; otherwise s unchanged.
AnsiString AnsiDequotedStr(const AnsiString& s, char quote);
