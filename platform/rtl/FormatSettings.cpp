// The default locale profile and the current format settings.
#include "platform/rtl/FormatSettings.h"

#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlUnitsPrivate.h"

// ---- Unit initialization ----

// Puts the locale and platform globals back to the profile's values (units may start again).
void InitSysUtilsGlobals()
{
  GetFormatSettings();
  SysLocale = TSysLocale();
  Win32Platform = VER_PLATFORM_WIN32_NT;
  Win32MajorVersion = 5;
  Win32MinorVersion = 1;
  TrueBoolStrs = {"True"};
  FalseBoolStrs = {"False"};
}

namespace {

using TMonthNames = const char* const[12];
using TDayNames = const char* const[7];

void SetNames(TFormatSettings& s, TMonthNames& shortMonths, TMonthNames& longMonths,
              TDayNames& shortDays, TDayNames& longDays)
{
  for (int i = 0; i < 12; ++i) {
    s.ShortMonthNames[i] = shortMonths[i];
    s.LongMonthNames[i] = longMonths[i];
  }
  for (int i = 0; i < 7; ++i) {
    s.ShortDayNames[i] = shortDays[i];
    s.LongDayNames[i] = longDays[i];
  }
}

} // namespace

TFormatSettings DefaultFormatSettings()
{
  TFormatSettings s;
  s.CurrencyString = "￥";
  s.ShortDateFormat = "yyyy-M-d";
  s.LongDateFormat = "yyyy'年'M'月'd'日'";
  s.TimeAMString = "上午";
  s.TimePMString = "下午";
  s.ShortTimeFormat = "hh:nn";
  s.LongTimeFormat = "hh:nn:ss";
  static const char* const months[12] = {"一月", "二月", "三月", "四月", "五月",   "六月",
                                         "七月", "八月", "九月", "十月", "十一月", "十二月"};
  static const char* const days[7] = {"星期日", "星期一", "星期二", "星期三",
                                      "星期四", "星期五", "星期六"};
  SetNames(s, months, months, days, days);
  return s;
}

TFormatSettings InvariantFormatSettings()
{
  TFormatSettings s;
  s.CurrencyString = "\xA4";
  s.DateSeparator = '/';
  s.ShortDateFormat = "MM/dd/yyyy";
  s.LongDateFormat = "dddd, dd MMMMM yyyy HH:mm:ss";
  s.TimeAMString = "AM";
  s.TimePMString = "PM";
  s.ShortTimeFormat = "hh:nn";
  s.LongTimeFormat = "hh:nn:ss";
  static const char* const shortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const char* const longMonths[12] = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
  static const char* const shortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const longDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};
  SetNames(s, shortMonths, longMonths, shortDays, longDays);
  return s;
}

TFormatSettings FormatSettings = DefaultFormatSettings();
TSysLocale SysLocale;

void GetFormatSettings()
{
  FormatSettings = DefaultFormatSettings();
}

Integer Win32Platform = VER_PLATFORM_WIN32_NT;
Integer Win32MajorVersion = 5;
Integer Win32MinorVersion = 1;

AnsiString GetLocaleStr(Integer /*Locale*/, Integer LocaleType, const AnsiString& Default)
{
  switch (LocaleType) {
  case LOCALE_IFIRSTDAYOFWEEK:
    return std::to_string(SysLocale.FirstDayOfWeek);
  case LOCALE_SISO639LANGNAME:
    return SysLocale.LanguageCode;
  default:
    return Default;
  }
}
