// Dates and times: TDateTime arithmetic, the clock, and the date-time picture formatter and
// parser. Formatting and parsing follow the runtime's rules with an explicit TFormatSettings
// (FormatSettings.h); nothing here reads the C library's locale.
//
// A TDateTime counts days since 1899-12-30. For a negative serial the integer part counts
// days back and the fraction is still the time of day: -1.25 is 1899-12-29 06:00. Every
// decoder rounds to the millisecond first, so the date and the time of one value agree.
// The valid range is 0001-01-01 (-693593) to 9999-12-31 (2958465); encoders raise
// EConvertError outside it, and so do decoders given a value outside it (or not a number).
#pragma once

#include <functional>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

inline constexpr Integer HoursPerDay = 24;
inline constexpr Integer MinsPerDay = HoursPerDay * 60;
inline constexpr Integer SecsPerDay = MinsPerDay * 60;
inline constexpr Integer MSecsPerDay = SecsPerDay * 1000;
// Days from 0001-01-01 (day 1) to 1899-12-30, and from 1899-12-30 to 1970-01-01.
inline constexpr Integer DateDelta = 693594;
inline constexpr Integer UnixDateDelta = 25569;
inline constexpr TDateTime MinDateTime = -693593.0;
inline constexpr TDateTime MaxDateTime = 2958465.0 + 86399999.0 / 86400000.0;

// The Windows date-time record. wDayOfWeek is 0 for Sunday.
struct TSystemTime {
  Word wYear = 0;
  Word wMonth = 0;
  Word wDayOfWeek = 0;
  Word wDay = 0;
  Word wHour = 0;
  Word wMinute = 0;
  Word wSecond = 0;
  Word wMilliseconds = 0;
};

// ---- Encoding and decoding -------------------------------------------------------------

bool IsLeapYear(Word year);
// Days in a month; a month outside 1..12 raises EConvertError.
Word DaysInMonth(Integer year, Integer month);
Word DaysInAMonth(Integer year, Integer month);
Word DaysInMonth(TDateTime value);
Word MonthDays(bool leapYear, Integer month);

bool TryEncodeDate(Integer year, Integer month, Integer day, TDateTime& result);
bool TryEncodeTime(Integer hour, Integer min, Integer sec, Integer msec, TDateTime& result);
bool TryEncodeDateTime(Integer year, Integer month, Integer day, Integer hour, Integer min,
                       Integer sec, Integer msec, TDateTime& result);
// Raise EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(Integer year, Integer month, Integer day);
TDateTime EncodeTime(Integer hour, Integer min, Integer sec, Integer msec);
TDateTime EncodeDateTime(Integer year, Integer month, Integer day, Integer hour, Integer min,
                         Integer sec, Integer msec);

void DecodeDate(TDateTime value, Word& year, Word& month, Word& day);
// Also gives the day of the week (1 = Sunday); returns whether the year is a leap year.
bool DecodeDateFully(TDateTime value, Word& year, Word& month, Word& day, Word& dow);
void DecodeTime(TDateTime value, Word& hour, Word& min, Word& sec, Word& msec);
void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec);

// 1 = Sunday ... 7 = Saturday.
Word DayOfWeek(TDateTime value);

// The date part (midnight of the same day) and the time part (0 <= t < 1, also for
// negative serials).
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
Word YearOf(TDateTime value);
Word MonthOf(TDateTime value);
Word DayOf(TDateTime value);
Word HourOf(TDateTime value);
Word MinuteOf(TDateTime value);
Word SecondOf(TDateTime value);
Word MilliSecondOf(TDateTime value);

// Steps keep the time of day. IncMonth clamps the day to the target month's length
// (Jan 31 + 1 month = Feb 28/29); leaving 0001..9999 raises EConvertError.
TDateTime IncMonth(TDateTime value, Integer numberOfMonths = 1);
TDateTime IncYear(TDateTime value, Integer numberOfYears = 1);
TDateTime IncDay(TDateTime value, Integer numberOfDays = 1);

void DateTimeToSystemTime(TDateTime value, TSystemTime& systemTime);
// Raises EConvertError when the record holds no valid date or time.
TDateTime SystemTimeToDateTime(const TSystemTime& systemTime);

// Seconds since 1970-01-01 00:00 of the same clock (no time-zone shift), rounded.
Int64 DateTimeToUnix(TDateTime value);
TDateTime UnixToDateTime(Int64 value);

// ---- The clock ---------------------------------------------------------------------------

// The one clock of the runtime: returns the local date and time. Now, Date, Time, the
// current year of two-digit-year parsing and GetTickCount all read it.
using TClockFunction = std::function<TDateTime()>;

// Replaces the clock (tests, the headless backend's virtual clock); an empty function
// restores the machine's clock.
void SetClock(TClockFunction clock);
// The machine's local time, read from the system clock and time-zone rules.
TDateTime SystemClock();

TDateTime Now();
TDateTime Date();
TDateTime Time();
// Milliseconds, wrapping at 2^32. With the machine's clock this is a monotonic count (it
// never jumps when the wall clock is changed); with a replaced clock it is that clock's
// reading in milliseconds, so advancing the clock advances the count by the same amount.
Cardinal GetTickCount();

// ---- Formatting --------------------------------------------------------------------------

// Pictures: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (minutes right after h/hh), yy yyyy,
// h hh, n nn, s ss, z zzz, am/pm a/p ampm, c, t tt, / (DateSeparator), : (TimeSeparator),
// '...' and "..." literals. An empty picture means "c".
AnsiString FormatDateTime(const AnsiString& picture, TDateTime value);
AnsiString FormatDateTime(const AnsiString& picture, TDateTime value,
                          const TFormatSettings& settings);
void DateTimeToString(AnsiString& result, const AnsiString& picture, TDateTime value);
void DateTimeToString(AnsiString& result, const AnsiString& picture, TDateTime value,
                      const TFormatSettings& settings);
AnsiString DateToStr(TDateTime value);
AnsiString DateToStr(TDateTime value, const TFormatSettings& settings);
AnsiString TimeToStr(TDateTime value);
AnsiString TimeToStr(TDateTime value, const TFormatSettings& settings);
// Short date and long time; the time is left out at exact midnight.
AnsiString DateTimeToStr(TDateTime value);
AnsiString DateTimeToStr(TDateTime value, const TFormatSettings& settings);

// ---- Parsing -----------------------------------------------------------------------------

// Dates: two or three numbers in the order of ShortDateFormat (year first, month first or
// day first), separated by DateSeparator or by the separator ShortDateFormat itself writes;
// with two numbers the year is the clock's current year. Years of one or two digits are
// placed by TwoDigitYearCenturyWindow around the current year. Times: h[:n[:s[.z]]] with
// TimeSeparator, optional AM/PM (TimeAMString/TimePMString, "AM"/"PM") before or after.
// Blanks around the fields are allowed. Failures raise EConvertError "'%s' is not a valid
// date" / "... time" / "... date and time".
bool TryStrToDate(const AnsiString& text, TDateTime& value);
bool TryStrToDate(const AnsiString& text, TDateTime& value, const TFormatSettings& settings);
bool TryStrToTime(const AnsiString& text, TDateTime& value);
bool TryStrToTime(const AnsiString& text, TDateTime& value, const TFormatSettings& settings);
// A date, a date followed by a time, or a time alone. This is also the text-to-date rule
// of Variant conversions.
bool TryStrToDateTime(const AnsiString& text, TDateTime& value);
bool TryStrToDateTime(const AnsiString& text, TDateTime& value, const TFormatSettings& settings);

TDateTime StrToDate(const AnsiString& text);
TDateTime StrToDate(const AnsiString& text, const TFormatSettings& settings);
TDateTime StrToTime(const AnsiString& text);
TDateTime StrToTime(const AnsiString& text, const TFormatSettings& settings);
TDateTime StrToDateTime(const AnsiString& text);
TDateTime StrToDateTime(const AnsiString& text, const TFormatSettings& settings);

TDateTime StrToDateDef(const AnsiString& text, TDateTime defaultValue);
TDateTime StrToDateDef(const AnsiString& text, TDateTime defaultValue,
                       const TFormatSettings& settings);
TDateTime StrToTimeDef(const AnsiString& text, TDateTime defaultValue);
TDateTime StrToTimeDef(const AnsiString& text, TDateTime defaultValue,
                       const TFormatSettings& settings);
TDateTime StrToDateTimeDef(const AnsiString& text, TDateTime defaultValue);
TDateTime StrToDateTimeDef(const AnsiString& text, TDateTime defaultValue,
                           const TFormatSettings& settings);
