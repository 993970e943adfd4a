// The one place where text changes encoding: GBK (code page 936, the program's AnsiString)
// to and from UTF-8 (file names, pango, databases, clipboard, terminal) and UTF-16
// (WideString). Everything else in the program works on GBK; see AnsiStrings.h.
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

using UTF8String = std::string;

// What happens to a character the target cannot hold, and to a broken input sequence
// (a lone GBK lead byte, invalid UTF-8, an unpaired surrogate): data paths (clipboard,
// database text, file names) write '?' so the loss shows; typing drops the character.
enum TCodecFallback { cfQuestionMark, cfDrop };

// Each function counts the characters it replaced or dropped in *lost when lost is given.
UTF8String GbkToUtf8(std::string_view gbk, TCodecFallback fallback = cfQuestionMark,
                     Integer* lost = nullptr);
AnsiString Utf8ToGbk(std::string_view utf8, TCodecFallback fallback = cfQuestionMark,
                     Integer* lost = nullptr);
WideString GbkToWide(std::string_view gbk, TCodecFallback fallback = cfQuestionMark,
                     Integer* lost = nullptr);
AnsiString WideToGbk(std::u16string_view wide, TCodecFallback fallback = cfQuestionMark,
                     Integer* lost = nullptr);
WideString Utf8ToWide(std::string_view utf8, TCodecFallback fallback = cfQuestionMark,
                      Integer* lost = nullptr);
UTF8String WideToUtf8(std::u16string_view wide, TCodecFallback fallback = cfQuestionMark,
                      Integer* lost = nullptr);
