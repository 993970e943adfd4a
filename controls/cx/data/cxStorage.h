// cxStorage: the texts with which stored layouts write non-text values: bytes as hex
// digits, Booleans as words, sets as bracketed name lists. The grid views store their
// filter (the criteria stream of cxFilter.h as "Hex:" + EncodeHexText), options and flags
// through them.
#pragma once

#include <initializer_list>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

// Raised (with an empty message) for a character that is not a hex digit.
QH_DECLARE_EXCEPTION(EcxHexStringConvertError, Exception);

// Every byte as two upper-case hex digits.
AnsiString EncodeHexText(const AnsiString& AText);
// Every pair of hex digits (either case) as one byte; a single digit left at the end is
// ignored; any other character raises EcxHexStringConvertError.
AnsiString DecodeHexText(const AnsiString& AHex);

// "TRUE" / "FALSE" in any ASCII case; anything else raises EPropertyConvertError.
Boolean PropertyTextToBoolean(const AnsiString& AText);

// A set of up to 32 elements: ASize (1..4) bytes of ASet read little-endian, bit n for the
// element named ANames[n]. The text is "[name1,name2]" in ordinal order, no blanks.
// A set bit beyond the names raises EPropertyConvertError.
AnsiString SetToPropertyText(const void* ASet, Integer ASize,
                             const std::vector<AnsiString>& ANames);
// Reads such a text back: it must start with "[" and end with "]" (else
// EPropertyConvertError); pieces between "," are compared ASCII-upper-cased with the names
// (the first equal one sets its bit, unknown pieces are skipped, pieces are not trimmed).
// The bits replace the ASize bytes of ASet.
void PropertyTextToSet(const AnsiString& AText, void* ASet, Integer ASize,
                       const std::vector<AnsiString>& ANames);
