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
