// Edit masks: the parsing engine shared by FormatMaskText and the masked edit control.
// A mask is a body of positions, optionally followed by ";s" (s = '0': literals are not
// part of the saved value) and ";b" (b = the blank character), e.g. "!99/99/0000;1;_".
// Mask offsets are 1-based byte positions in the mask; text offsets are 0-based positions
// in the formatted text, which has one character per literal or mask position.
#pragma once

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"

constexpr char mDirReverse = '!';   // optional positions fill from the right
constexpr char mDirUpperCase = '>'; // following letters upper case
constexpr char mDirLowerCase = '<'; // following letters lower case; "<>" ends both
constexpr char mDirLiteral = '\\';  // the next character is a literal
constexpr char mMskAlpha = 'L';
constexpr char mMskAlphaOpt = 'l';
constexpr char mMskAlphaNum = 'A';
constexpr char mMskAlphaNumOpt = 'a';
constexpr char mMskAscii = 'C';
constexpr char mMskAsciiOpt = 'c';
constexpr char mMskNumeric = '0';
constexpr char mMskNumericOpt = '9';
constexpr char mMskNumSymOpt = '#';
constexpr char mMskTimeSeparator = ':';
constexpr char mMskDateSeparator = '/';
constexpr char DefaultBlank = '_';
constexpr char MaskFieldSeparator = ';';
constexpr char MaskNoSave = '0';

enum TMaskCharType {
  mcNone,           // beyond the mask
  mcLiteral,        // a fixed character (also each byte of a double-byte character)
  mcIntlLiteral,    // '/' or ':', shown as the date or time separator
  mcDirective,      // ! > < \ : changes how later positions behave, takes no position
  mcMask,           // a required position: L A C 0
  mcMaskOpt,        // an optional position: l a c 9 #
  mcFieldSeparator, // a ';' of the suffix
  mcField,          // the save flag or the blank character of the suffix
};

enum TMaskDirective { mdReverseDir, mdUpperCase, mdLowerCase, mdLiteralChar };
using TMaskDirectives = TSet<TMaskDirective>;

TMaskCharType MaskGetCharType(const AnsiString& editMask, Integer maskOffset);
// The directives in force at a mask offset: reverse when the mask holds '!', the case
// state set by the last '>' '<' "<>" before it, mdLiteralChar when the offset is escaped.
TMaskDirectives MaskGetCurrentDirectives(const AnsiString& editMask, Integer maskOffset);

// The 1-based position of the suffix's first ';', or -1 when the mask has no suffix.
Integer MaskGetFldSeparator(const AnsiString& editMask);
// Whether literals are saved with the value (true unless the suffix's flag is '0').
bool MaskGetMaskSave(const AnsiString& editMask);
// The blank character of the suffix, else DefaultBlank.
char MaskGetMaskBlank(const AnsiString& editMask);

// '/' gives the date separator, ':' the time separator, any other character itself.
char MaskIntlLiteralToChar(char c);
char MaskIntlLiteralToChar(char c, const TFormatSettings& settings);

// The number of text characters that mask positions 1..maskOffset produce.
Integer MaskOffsetToOffset(const AnsiString& editMask, Integer maskOffset);
// The mask offset of the position producing text offset `offset`; -1 when out of range.
Integer OffsetToMaskOffset(const AnsiString& editMask, Integer offset);
// Whether the text character at `offset` is a literal.
bool IsLiteralChar(const AnsiString& editMask, Integer offset);
// Whether ch may stand at a mask position (required and optional positions alike); ch is
// converted to the case in force there. Literal positions accept only their own character.
bool MaskCharIsValid(const AnsiString& editMask, Integer maskOffset, char& ch);
bool MaskCharIsValid(const AnsiString& editMask, Integer maskOffset, char& ch,
                     const TFormatSettings& settings);

// Lays out a value that holds only the entered characters: literals come from the mask,
// mask positions take the value's characters in order (from the right with '!'), empty
// positions show blank. A double-byte character takes two adjacent mask positions or is
// dropped.
AnsiString MaskDoFormatText(const AnsiString& editMask, const AnsiString& value, char blank);
AnsiString MaskDoFormatText(const AnsiString& editMask, const AnsiString& value, char blank,
                            const TFormatSettings& settings);
// Lays out a value that already holds the literals: each stretch of mask positions takes
// the value up to its next copy of the literal ending the stretch (or, when the value
// lacks that literal, as much as fits) and is cut or padded with blank to its width
// (padded on the left with '!').
AnsiString PadInputLiterals(const AnsiString& editMask, const AnsiString& value, char blank);
AnsiString PadInputLiterals(const AnsiString& editMask, const AnsiString& value, char blank,
                            const TFormatSettings& settings);

// Formats value by the mask, blanks shown as spaces: PadInputLiterals when the mask saves
// literals, else MaskDoFormatText.
AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value);
AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value,
                          const TFormatSettings& settings);
