// Format settings: separators, date and time pictures, month and day names, currency.
// Every formatter and parser takes a TFormatSettings explicitly; FormatSettings is the
// one current instance, which the program sets at start-up. Nothing here reads the C locale.
#pragma once

#include <array>

#include "platform/rtl/Types.h"

struct TFormatSettings {
  Byte CurrencyFormat = 0;
  Byte NegCurrFormat = 2;
  char ThousandSeparator = ',';
  char DecimalSeparator = '.';
  Byte CurrencyDecimals = 2;
  char DateSeparator = '-';
  char TimeSeparator = ':';
  char ListSeparator = ',';
  AnsiString CurrencyString;
  AnsiString ShortDateFormat;
  AnsiString LongDateFormat;
  AnsiString TimeAMString;
  AnsiString TimePMString;
  AnsiString ShortTimeFormat;
  AnsiString LongTimeFormat;
  std::array<AnsiString, 12> ShortMonthNames;
  std::array<AnsiString, 12> LongMonthNames;
  std::array<AnsiString, 7> ShortDayNames; // Sunday first
  std::array<AnsiString, 7> LongDayNames;
  Word TwoDigitYearCenturyWindow = 50;
};

// The Simplified-Chinese profile the runtime starts with (see docs/decisions.md).
TFormatSettings DefaultFormatSettings();

// Settings with the invariant (English) names and '.' as the decimal separator.
TFormatSettings InvariantFormatSettings();

// The current settings. Code that needs other settings passes a copy; nobody changes
// this instance temporarily.
extern TFormatSettings FormatSettings;

// Restores FormatSettings to DefaultFormatSettings() (the locale reload).
void GetFormatSettings();

// Locale facts other units ask for.
struct TSysLocale {
  bool FarEast = true;
  bool MiddleEast = false;
  Integer FirstDayOfWeek = 0; // 0 = Monday
  AnsiString LanguageCode = "zh";
};
extern TSysLocale SysLocale;

// Locale queries by the platform's LOCALE_* numbers. There is one locale profile, so the
// locale argument (LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, a thread locale) plays no
// part: LOCALE_IFIRSTDAYOFWEEK gives SysLocale.FirstDayOfWeek as text ("0" = Monday),
// LOCALE_SISO639LANGNAME SysLocale.LanguageCode; any other query gives Default.
inline constexpr Integer LOCALE_USER_DEFAULT = 0x0400;
inline constexpr Integer LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr Integer LOCALE_SISO639LANGNAME = 0x0059;
inline constexpr Integer LOCALE_IFIRSTDAYOFWEEK = 0x100C;
AnsiString GetLocaleStr(Integer Locale, Integer LocaleType, const AnsiString& Default);

// The platform the program reports it runs on: the NT family, version 5.1. Tests may set
// other versions; unit start-up restores these.
inline constexpr Integer VER_PLATFORM_WIN32_NT = 2;
extern Integer Win32Platform;
extern Integer Win32MajorVersion;
extern Integer Win32MinorVersion;
