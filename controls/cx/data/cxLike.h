// cxLike: the LIKE matcher of filter conditions.
#pragma once

#include "platform/rtl/Types.h"

// Whether AValue matches APattern, where AAnyChar stands for any run of characters
// (possibly empty) and ASingleChar for exactly one character. Both texts are walked by
// characters (a GBK lead byte 0x81-0xFE and its trail byte are one character); wildcards
// count only as whole single-byte characters, other characters must equal exactly (fold
// case before calling). A wildcard run is tried against value positions that leave at
// least one character, so "a%%" does not match "a" while "a%" does. The work is at most
// pattern length times value length.
bool LikeMatch(const AnsiString& AValue, const AnsiString& APattern, char AAnyChar,
               char ASingleChar);
