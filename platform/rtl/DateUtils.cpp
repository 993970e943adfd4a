// Date and time arithmetic, the runtime's clock, and the date-time picture formatter and
// parser. DateUtils.h states the rules; FormatSettings.h holds the names and pictures.
#include "platform/rtl/DateUtils.h"

#include <algorithm>
#include <cmath>
#include <time.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"

namespace {

constexpr Integer MinDay = -693593; // 0001-01-01
constexpr Integer MaxDay = 2958465; // 9999-12-31
// Raised when a value given to a decoder is not a number or lies outside 0001..9999.
constexpr const char* SInvalidDateTimeValue = "Invalid date and time value";

constexpr Word MonthTable[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

// ---- Small text helpers (kept here so this unit stands on its own) ----------------------

bool IsLeadByte(unsigned char c)
{
  return c >= 0x81 && c <= 0xFE;
}

char AsciiUpper(char c)
{
  return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}

bool IsAsciiLetter(char c)
{
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Appends n in decimal, padded with zeros to at least `digits` digits.
void AppendNumber(AnsiString& out, Integer n, Integer digits)
{
  AnsiString s = std::to_string(n);
  if (Integer(s.size()) < digits)
    out.append(std::size_t(digits - Integer(s.size())), '0');
  out += s;
}

// Does `text` continue at `pos` with `word`? ASCII letters of single-byte characters are
// compared without case; double-byte characters must match exactly.
bool MatchesAt(const AnsiString& text, std::size_t pos, const AnsiString& word)
{
  if (word.empty() || pos + word.size() > text.size())
    return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    unsigned char w = static_cast<unsigned char>(word[i]);
    if (IsLeadByte(w) && i + 1 < word.size()) {
      if (text[pos + i] != word[i] || text[pos + i + 1] != word[i + 1])
        return false;
      ++i;
      continue;
    }
    if (AsciiUpper(text[pos + i]) != AsciiUpper(word[i]))
      return false;
  }
  return true;
}

// ---- Day numbers ---------------------------------------------------------------------------

// A TDateTime split into its serial day (signed, 0 = 1899-12-30) and the milliseconds of
// the time of day.
struct TStamp {
  Integer Day = 0;
  Integer MSec = 0;
};

bool LeapYear(Integer year)
{
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Serial day of a valid date.
Integer SerialDay(Integer year, Integer month, Integer day)
{
  const Word* table = MonthTable[LeapYear(year)];
  for (Integer i = 0; i < month - 1; ++i)
    day += table[i];
  Integer y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400 + day - DateDelta;
}

void SerialDayToDate(Integer serialDay, Word& year, Word& month, Word& day)
{
  constexpr Integer D1 = 365;
  constexpr Integer D4 = D1 * 4 + 1;
  constexpr Integer D100 = D4 * 25 - 1;
  constexpr Integer D400 = D100 * 4 + 1;
  Integer t = serialDay + DateDelta - 1; // days since 0001-01-01
  Integer y = 1 + t / D400 * 400;
  t %= D400;
  Integer i = t / D100;
  t %= D100;
  if (i == 4) { // the last day of a 400-year cycle
    --i;
    t += D100;
  }
  y += i * 100 + t / D4 * 4;
  t %= D4;
  i = t / D1;
  t %= D1;
  if (i == 4) { // the last day of a leap year
    --i;
    t += D1;
  }
  y += i;
  const Word* table = MonthTable[LeapYear(y)];
  Integer m = 0;
  while (t >= table[m])
    t -= table[m++];
  year = Word(y);
  month = Word(m + 1);
  day = Word(t + 1);
}

bool TrySplit(TDateTime value, TStamp& stamp)
{
  if (!std::isfinite(value))
    return false;
  double magnitude = std::fabs(value);
  if (magnitude > double(MaxDay) + 2.0)
    return false;
  Int64 total = std::llround(magnitude * MSecsPerDay);
  Integer day = Integer(total / MSecsPerDay);
  stamp.MSec = Integer(total % MSecsPerDay);
  stamp.Day = value < 0 ? -day : day;
  return stamp.Day >= MinDay && stamp.Day <= MaxDay;
}

TStamp Split(TDateTime value)
{
  TStamp stamp;
  if (!TrySplit(value, stamp))
    throw EConvertError(SInvalidDateTimeValue);
  return stamp;
}

// The time of day counts forward from midnight also for days before 1899-12-30, so it is
// subtracted from a negative serial day.
TDateTime Join(Integer day, Integer msec)
{
  double time = double(msec) / MSecsPerDay;
  return day < 0 ? day - time : day + time;
}

TDateTime JoinChecked(Int64 day, Integer msec)
{
  if (day < MinDay || day > MaxDay)
    throw EConvertError(SDateEncodeError);
  return Join(Integer(day), msec);
}

Int64 FloorDiv(Int64 a, Int64 b)
{
  Int64 q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// 1 = Sunday ... 7 = Saturday; serial day 0, 1899-12-30, was a Saturday.
Word WeekDay(Int64 serialDay)
{
  return Word(serialDay + 6 - FloorDiv(serialDay + 6, 7) * 7 + 1);
}

// ---- The clock ----------------------------------------------------------------------------

TClockFunction& ClockSlot()
{
  static TClockFunction clock;
  return clock;
}

// ---- Formatting ------------------------------------------------------------------------------

// Formats one value through a picture. The tokens that stand for pictures of the settings
// (c, t, tt, ddddd, dddddd) are expanded in the given picture only, not inside those
// pictures, so a setting that names itself cannot recurse.
class TDateTimeFormatter {
public:
  TDateTimeFormatter(TDateTime value, const TFormatSettings& settings) : FSettings(settings)
  {
    TStamp stamp = Split(value);
    SerialDayToDate(stamp.Day, FYear, FMonth, FDay);
    FDayOfWeek = WeekDay(stamp.Day);
    FHour = Word(stamp.MSec / 3600000);
    FMin = Word(stamp.MSec / 60000 % 60);
    FSec = Word(stamp.MSec / 1000 % 60);
    FMSec = Word(stamp.MSec % 1000);
  }

  void Append(const AnsiString& picture, Integer level);
  AnsiString Result;

private:
  // Counts the run of `starter` beginning at p[i - 1] and moves i past it.
  static Integer RunLength(const AnsiString& p, std::size_t& i, char starter)
  {
    Integer count = 1;
    while (i < p.size() && p[i] == starter) {
      ++i;
      ++count;
    }
    return count;
  }
  static bool Uses12HourClock(const AnsiString& p, std::size_t i);
  void AppendNested(const AnsiString& picture, Integer level)
  {
    if (level == 0)
      Append(picture, level + 1);
  }
  bool AppendAmPm(const AnsiString& p, std::size_t& i);

  const TFormatSettings& FSettings;
  Word FYear = 0, FMonth = 0, FDay = 0, FDayOfWeek = 0;
  Word FHour = 0, FMin = 0, FSec = 0, FMSec = 0;
};

// An hour token shows the 12-hour clock when an AM/PM token follows it before the next
// hour token (the scan stops at the first unquoted 'a' either way), or when one stands
// between it and the previous hour token, as in pictures that put AM/PM first.
bool TDateTimeFormatter::Uses12HourClock(const AnsiString& p, std::size_t i)
{
  char quote = 0;
  while (i < p.size()) {
    char c = p[i];
    if (IsLeadByte(static_cast<unsigned char>(c))) {
      i += 2;
      continue;
    }
    if (quote) {
      if (c == quote)
        quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == 'a' || c == 'A') {
      return MatchesAt(p, i, "am/pm") || MatchesAt(p, i, "a/p") || MatchesAt(p, i, "ampm");
    } else if (c == 'h' || c == 'H') {
      return false;
    }
    ++i;
  }
  return false;
}

// p[i - 1] is an 'a'. "am/pm" and "a/p" copy the matching half in the picture's own case;
// "ampm" writes TimeAMString or TimePMString. Anything else is not an AM/PM token.
bool TDateTimeFormatter::AppendAmPm(const AnsiString& p, std::size_t& i)
{
  std::size_t start = i - 1;
  bool pm = FHour >= 12;
  if (MatchesAt(p, start, "am/pm")) {
    Result.append(p, pm ? start + 3 : start, 2);
    i = start + 5;
  } else if (MatchesAt(p, start, "a/p")) {
    Result += p[pm ? start + 2 : start];
    i = start + 3;
  } else if (MatchesAt(p, start, "ampm")) {
    Result += pm ? FSettings.TimePMString : FSettings.TimeAMString;
    i = start + 4;
  } else {
    return false;
  }
  return true;
}

void TDateTimeFormatter::Append(const AnsiString& p, Integer level)
{
  char lastToken = ' ';
  bool ampmBefore = false; // an AM/PM token since the last hour token ("ampm h:nn")
  std::size_t i = 0;
  while (i < p.size()) {
    char starter = p[i];
    if (IsLeadByte(static_cast<unsigned char>(starter)) && i + 1 < p.size()) {
      Result.append(p, i, 2); // a double-byte character: its trail byte is no token
      i += 2;
      lastToken = ' ';
      continue;
    }
    ++i;
    char token = AsciiUpper(starter);
    if (IsAsciiLetter(token)) {
      if (token == 'M' && lastToken == 'H')
        token = 'N';
      lastToken = token;
    }
    switch (token) {
    case 'Y':
      if (RunLength(p, i, starter) <= 2)
        AppendNumber(Result, FYear % 100, 2);
      else
        AppendNumber(Result, FYear, 4);
      break;
    case 'M':
      switch (RunLength(p, i, starter)) {
      case 1:
        AppendNumber(Result, FMonth, 0);
        break;
      case 2:
        AppendNumber(Result, FMonth, 2);
        break;
      case 3:
        Result += FSettings.ShortMonthNames[FMonth - 1];
        break;
      default:
        Result += FSettings.LongMonthNames[FMonth - 1];
        break;
      }
      break;
    case 'D':
      switch (RunLength(p, i, starter)) {
      case 1:
        AppendNumber(Result, FDay, 0);
        break;
      case 2:
        AppendNumber(Result, FDay, 2);
        break;
      case 3:
        Result += FSettings.ShortDayNames[FDayOfWeek - 1];
        break;
      case 4:
        Result += FSettings.LongDayNames[FDayOfWeek - 1];
        break;
      case 5:
        AppendNested(FSettings.ShortDateFormat, level);
        break;
      default:
        AppendNested(FSettings.LongDateFormat, level);
        break;
      }
      break;
    case 'H': {
      Integer digits = RunLength(p, i, starter) == 1 ? 0 : 2;
      Integer hour = FHour;
      if (ampmBefore || Uses12HourClock(p, i)) {
        hour %= 12;
        if (hour == 0)
          hour = 12;
      }
      AppendNumber(Result, hour, digits);
      ampmBefore = false;
      break;
    }
    case 'N':
      AppendNumber(Result, FMin, RunLength(p, i, starter) == 1 ? 0 : 2);
      break;
    case 'S':
      AppendNumber(Result, FSec, RunLength(p, i, starter) == 1 ? 0 : 2);
      break;
    case 'Z':
      AppendNumber(Result, FMSec, RunLength(p, i, starter) <= 2 ? 0 : 3);
      break;
    case 'T':
      if (RunLength(p, i, starter) == 1)
        AppendNested(FSettings.ShortTimeFormat, level);
      else
        AppendNested(FSettings.LongTimeFormat, level);
      break;
    case 'C':
      RunLength(p, i, starter);
      AppendNested(FSettings.ShortDateFormat, level);
      if (FHour != 0 || FMin != 0 || FSec != 0 || FMSec != 0) {
        Result += ' ';
        AppendNested(FSettings.LongTimeFormat, level);
      }
      break;
    case 'A':
      if (AppendAmPm(p, i))
        ampmBefore = true;
      else
        Result += starter;
      break;
    case '/':
      if (FSettings.DateSeparator != '\0')
        Result += FSettings.DateSeparator;
      break;
    case ':':
      if (FSettings.TimeSeparator != '\0')
        Result += FSettings.TimeSeparator;
      break;
    case '\'':
    case '"': {
      std::size_t end = i;
      while (end < p.size() && p[end] != starter) {
        end += IsLeadByte(static_cast<unsigned char>(p[end])) ? 2 : 1;
      }
      end = std::min(end, p.size());
      Result.append(p, i, end - i);
      i = end < p.size() ? end + 1 : end;
      break;
    }
    default:
      Result += starter;
      break;
    }
  }
}

// ---- Parsing ---------------------------------------------------------------------------------

enum TDateOrder { doMDY, doDMY, doYMD };

// The order of the fields is that of the first year, month or day letter of the picture.
TDateOrder DateOrder(const AnsiString& picture)
{
  char quote = 0;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    char c = picture[i];
    if (IsLeadByte(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (quote) {
      if (c == quote)
        quote = 0;
      continue;
    }
    switch (AsciiUpper(c)) {
    case '\'':
    case '"':
      quote = c;
      break;
    case 'E':
    case 'Y':
      return doYMD;
    case 'M':
      return doMDY;
    case 'D':
      return doDMY;
    default:
      break;
    }
  }
  return doMDY;
}

// The separator a short-date picture writes itself, when it is not '/' (which stands for
// DateSeparator): "yyyy.mm.dd" writes '.'. 0 when there is none.
char PictureSeparator(const AnsiString& picture)
{
  char quote = 0;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    char c = picture[i];
    if (IsLeadByte(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (quote) {
      if (c == quote)
        quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      continue;
    }
    if (IsAsciiLetter(c) || c == ' ' || c == '/')
      continue;
    return c;
  }
  return 0;
}

class TDateTimeScanner {
public:
  TDateTimeScanner(const AnsiString& text, const TFormatSettings& settings)
      : FText(text), FSettings(settings)
  {
  }

  bool ScanDate(TDateTime& date);
  bool ScanTime(TDateTime& time);
  bool AtEnd()
  {
    SkipBlanks();
    return FPos >= FText.size();
  }

private:
  std::size_t SkipBlanks()
  {
    std::size_t start = FPos;
    while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t'))
      ++FPos;
    return FPos - start;
  }
  bool ScanNumber(Integer& number, Integer& digits);
  bool ScanChar(char c);
  bool ScanDateSeparator();
  bool ScanString(const AnsiString& word);
  Integer ScanAmPm();

  const AnsiString& FText;
  const TFormatSettings& FSettings;
  std::size_t FPos = 0;
};

// Reads digits while the number stays below 1000 before the next digit, as the runtime
// does: at most four significant digits.
bool TDateTimeScanner::ScanNumber(Integer& number, Integer& digits)
{
  SkipBlanks();
  std::size_t start = FPos;
  Integer n = 0;
  while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9' && n < 1000) {
    n = n * 10 + (FText[FPos] - '0');
    ++FPos;
  }
  if (FPos == start)
    return false;
  number = n;
  digits = Integer(FPos - start);
  return true;
}

bool TDateTimeScanner::ScanChar(char c)
{
  std::size_t blanks = SkipBlanks();
  if (c == ' ')
    return blanks > 0;
  if (FPos < FText.size() && FText[FPos] == c) {
    ++FPos;
    return true;
  }
  return false;
}

bool TDateTimeScanner::ScanDateSeparator()
{
  std::size_t start = FPos;
  if (ScanChar(FSettings.DateSeparator))
    return true;
  FPos = start;
  char own = PictureSeparator(FSettings.ShortDateFormat);
  if (own != 0 && own != FSettings.DateSeparator && ScanChar(own))
    return true;
  FPos = start;
  return false;
}

bool TDateTimeScanner::ScanString(const AnsiString& word)
{
  SkipBlanks();
  if (!MatchesAt(FText, FPos, word))
    return false;
  FPos += word.size();
  return true;
}

// 0 after an AM text, 12 after a PM text, -1 when neither follows.
Integer TDateTimeScanner::ScanAmPm()
{
  if (ScanString(FSettings.TimeAMString) || ScanString("AM"))
    return 0;
  if (ScanString(FSettings.TimePMString) || ScanString("PM"))
    return 12;
  return -1;
}

bool TDateTimeScanner::ScanDate(TDateTime& date)
{
  Integer n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
  if (!ScanNumber(n1, l1) || !ScanDateSeparator() || !ScanNumber(n2, l2))
    return false;
  TDateOrder order = DateOrder(FSettings.ShortDateFormat);
  Integer y = 0, m = n1, d = n2, yearDigits = 4;
  if (order == doDMY)
    std::swap(m, d);
  if (ScanDateSeparator()) {
    if (!ScanNumber(n3, l3))
      return false;
    if (order == doYMD) {
      y = n1;
      yearDigits = l1;
      m = n2;
      d = n3;
    } else {
      y = n3;
      yearDigits = l3;
    }
  } else {
    y = YearOf(Now()); // month and day only: this year
  }
  if (yearDigits <= 2) {
    // The century puts the year within the window that ends
    // TwoDigitYearCenturyWindow years before the current year.
    Integer pivot = YearOf(Now()) - FSettings.TwoDigitYearCenturyWindow;
    y += pivot / 100 * 100;
    if (FSettings.TwoDigitYearCenturyWindow > 0 && y < pivot)
      y += 100;
  }
  return TryEncodeDate(y, m, d, date);
}

bool TDateTimeScanner::ScanTime(TDateTime& time)
{
  Integer base = ScanAmPm();
  Integer hour = 0, min = 0, sec = 0, msec = 0, digits = 0;
  if (!ScanNumber(hour, digits))
    return false;
  if (ScanChar(FSettings.TimeSeparator)) {
    if (!ScanNumber(min, digits))
      return false;
    if (ScanChar(FSettings.TimeSeparator)) {
      if (!ScanNumber(sec, digits))
        return false;
      if (ScanChar(FSettings.DecimalSeparator)) {
        // Fractional seconds: ".5" is 500 ms.
        if (!ScanNumber(msec, digits) || digits > 3)
          return false;
        for (; digits < 3; ++digits)
          msec *= 10;
      }
    }
  }
  if (base < 0)
    base = ScanAmPm();
  if (base >= 0) {
    if (hour == 0 || hour > 12)
      return false;
    hour = hour % 12 + base;
  }
  return TryEncodeTime(hour, min, sec, msec, time);
}

} // namespace

// ---- Encoding and decoding ------------------------------------------------------------------

bool IsLeapYear(Word year)
{
  return LeapYear(year);
}

Word DaysInMonth(Integer year, Integer month)
{
  return MonthDays(LeapYear(year), month);
}

Word DaysInAMonth(Integer year, Integer month)
{
  return DaysInMonth(year, month);
}

Word DaysInMonth(TDateTime value)
{
  Word y, m, d;
  DecodeDate(value, y, m, d);
  return DaysInMonth(y, m);
}

Word MonthDays(bool leapYear, Integer month)
{
  if (month < 1 || month > 12)
    throw EConvertError(SDateEncodeError);
  return MonthTable[leapYear][month - 1];
}

bool TryEncodeDate(Integer year, Integer month, Integer day, TDateTime& result)
{
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
    return false;
  if (day > MonthTable[LeapYear(year)][month - 1])
    return false;
  result = SerialDay(year, month, day);
  return true;
}

bool TryEncodeTime(Integer hour, Integer min, Integer sec, Integer msec, TDateTime& result)
{
  if (hour < 0 || hour >= HoursPerDay || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 ||
      msec >= 1000)
    return false;
  result = double(((hour * 60 + min) * 60 + sec) * 1000 + msec) / MSecsPerDay;
  return true;
}

bool TryEncodeDateTime(Integer year, Integer month, Integer day, Integer hour, Integer min,
                       Integer sec, Integer msec, TDateTime& result)
{
  TDateTime date, time;
  if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, min, sec, msec, time))
    return false;
  result = Join(Integer(date), Integer(std::llround(time * MSecsPerDay)));
  return true;
}

TDateTime EncodeDate(Integer year, Integer month, Integer day)
{
  TDateTime result;
  if (!TryEncodeDate(year, month, day, result))
    throw EConvertError(SDateEncodeError);
  return result;
}

TDateTime EncodeTime(Integer hour, Integer min, Integer sec, Integer msec)
{
  TDateTime result;
  if (!TryEncodeTime(hour, min, sec, msec, result))
    throw EConvertError(STimeEncodeError);
  return result;
}

TDateTime EncodeDateTime(Integer year, Integer month, Integer day, Integer hour, Integer min,
                         Integer sec, Integer msec)
{
  TDateTime date = EncodeDate(year, month, day);
  TDateTime time = EncodeTime(hour, min, sec, msec);
  return Join(Integer(date), Integer(std::llround(time * MSecsPerDay)));
}

void DecodeDate(TDateTime value, Word& year, Word& month, Word& day)
{
  SerialDayToDate(Split(value).Day, year, month, day);
}

bool DecodeDateFully(TDateTime value, Word& year, Word& month, Word& day, Word& dow)
{
  TStamp stamp = Split(value);
  SerialDayToDate(stamp.Day, year, month, day);
  dow = WeekDay(stamp.Day);
  return LeapYear(year);
}

void DecodeTime(TDateTime value, Word& hour, Word& min, Word& sec, Word& msec)
{
  Integer ms = Split(value).MSec;
  hour = Word(ms / 3600000);
  min = Word(ms / 60000 % 60);
  sec = Word(ms / 1000 % 60);
  msec = Word(ms % 1000);
}

void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec)
{
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, min, sec, msec);
}

Word DayOfWeek(TDateTime value)
{
  return WeekDay(Split(value).Day);
}

TDateTime DateOf(TDateTime value)
{
  return Split(value).Day;
}

TDateTime TimeOf(TDateTime value)
{
  return double(Split(value).MSec) / MSecsPerDay;
}

Word YearOf(TDateTime value)
{
  Word y, m, d;
  DecodeDate(value, y, m, d);
  return y;
}

Word MonthOf(TDateTime value)
{
  Word y, m, d;
  DecodeDate(value, y, m, d);
  return m;
}

Word DayOf(TDateTime value)
{
  Word y, m, d;
  DecodeDate(value, y, m, d);
  return d;
}

Word HourOf(TDateTime value)
{
  return Word(Split(value).MSec / 3600000);
}
Word MinuteOf(TDateTime value)
{
  return Word(Split(value).MSec / 60000 % 60);
}
Word SecondOf(TDateTime value)
{
  return Word(Split(value).MSec / 1000 % 60);
}
Word MilliSecondOf(TDateTime value)
{
  return Word(Split(value).MSec % 1000);
}

TDateTime IncMonth(TDateTime value, Integer numberOfMonths)
{
  TStamp stamp = Split(value);
  Word y, m, d;
  SerialDayToDate(stamp.Day, y, m, d);
  Int64 months = Int64(y) * 12 + (m - 1) + numberOfMonths;
  Int64 year = FloorDiv(months, 12);
  Integer month = Integer(months - year * 12) + 1;
  if (year < 1 || year > 9999)
    throw EConvertError(SDateEncodeError);
  Integer day = std::min<Integer>(d, DaysInMonth(Integer(year), month));
  return Join(SerialDay(Integer(year), month, day), stamp.MSec);
}

TDateTime IncYear(TDateTime value, Integer numberOfYears)
{
  Int64 months = Int64(numberOfYears) * 12;
  if (months > MaxInt || months < -MaxInt)
    throw EConvertError(SDateEncodeError);
  return IncMonth(value, Integer(months));
}

TDateTime IncDay(TDateTime value, Integer numberOfDays)
{
  TStamp stamp = Split(value);
  return JoinChecked(Int64(stamp.Day) + numberOfDays, stamp.MSec);
}

void DateTimeToSystemTime(TDateTime value, TSystemTime& systemTime)
{
  Word dow;
  DecodeDateFully(value, systemTime.wYear, systemTime.wMonth, systemTime.wDay, dow);
  systemTime.wDayOfWeek = Word(dow - 1);
  DecodeTime(value, systemTime.wHour, systemTime.wMinute, systemTime.wSecond,
             systemTime.wMilliseconds);
}

TDateTime SystemTimeToDateTime(const TSystemTime& st)
{
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                        st.wMilliseconds);
}

Int64 DateTimeToUnix(TDateTime value)
{
  TStamp stamp = Split(value);
  return (Int64(stamp.Day) - UnixDateDelta) * SecsPerDay + (stamp.MSec + 500) / 1000;
}

TDateTime UnixToDateTime(Int64 value)
{
  Int64 days = FloorDiv(value, SecsPerDay);
  Integer secs = Integer(value - days * SecsPerDay);
  if (days > MaxDay)
    throw EConvertError(SDateEncodeError); // keeps the sum below from overflowing
  return JoinChecked(days + UnixDateDelta, secs * 1000);
}

// ---- The clock ----------------------------------------------------------------------------

void SetClock(TClockFunction clock)
{
  ClockSlot() = std::move(clock);
}

TDateTime SystemClock()
{
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, std::min(local.tm_sec, 59), Integer(now.tv_nsec / 1000000));
}

TDateTime Now()
{
  const TClockFunction& clock = ClockSlot();
  return clock ? clock() : SystemClock();
}

TDateTime Date()
{
  return DateOf(Now());
}

TDateTime Time()
{
  return TimeOf(Now());
}

Cardinal GetTickCount()
{
  const TClockFunction& clock = ClockSlot();
  if (clock) {
    TDateTime value = clock();
    if (!std::isfinite(value))
      return 0;
    return Cardinal(UInt64(std::llround(value * MSecsPerDay)));
  }
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return Cardinal(UInt64(now.tv_sec) * 1000 + UInt64(now.tv_nsec / 1000000));
}

// ---- Formatting ------------------------------------------------------------------------------

AnsiString FormatDateTime(const AnsiString& picture, TDateTime value,
                          const TFormatSettings& settings)
{
  TDateTimeFormatter formatter(value, settings);
  formatter.Append(picture.empty() ? AnsiString("c") : picture, 0);
  return formatter.Result;
}

AnsiString FormatDateTime(const AnsiString& picture, TDateTime value)
{
  return FormatDateTime(picture, value, FormatSettings);
}

void DateTimeToString(AnsiString& result, const AnsiString& picture, TDateTime value,
                      const TFormatSettings& settings)
{
  result = FormatDateTime(picture, value, settings);
}

void DateTimeToString(AnsiString& result, const AnsiString& picture, TDateTime value)
{
  result = FormatDateTime(picture, value, FormatSettings);
}

AnsiString DateToStr(TDateTime value, const TFormatSettings& settings)
{
  return FormatDateTime("ddddd", value, settings);
}

AnsiString DateToStr(TDateTime value)
{
  return DateToStr(value, FormatSettings);
}

AnsiString TimeToStr(TDateTime value, const TFormatSettings& settings)
{
  return FormatDateTime("tt", value, settings);
}

AnsiString TimeToStr(TDateTime value)
{
  return TimeToStr(value, FormatSettings);
}

AnsiString DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
  return FormatDateTime("c", value, settings);
}

AnsiString DateTimeToStr(TDateTime value)
{
  return DateTimeToStr(value, FormatSettings);
}

// ---- Parsing ---------------------------------------------------------------------------------

bool TryStrToDate(const AnsiString& text, TDateTime& value, const TFormatSettings& settings)
{
  TDateTimeScanner scanner(text, settings);
  TDateTime date;
  if (!scanner.ScanDate(date) || !scanner.AtEnd())
    return false;
  value = date;
  return true;
}

bool TryStrToDate(const AnsiString& text, TDateTime& value)
{
  return TryStrToDate(text, value, FormatSettings);
}

bool TryStrToTime(const AnsiString& text, TDateTime& value, const TFormatSettings& settings)
{
  TDateTimeScanner scanner(text, settings);
  TDateTime time;
  if (!scanner.ScanTime(time) || !scanner.AtEnd())
    return false;
  value = time;
  return true;
}

bool TryStrToTime(const AnsiString& text, TDateTime& value)
{
  return TryStrToTime(text, value, FormatSettings);
}

bool TryStrToDateTime(const AnsiString& text, TDateTime& value, const TFormatSettings& settings)
{
  TDateTimeScanner scanner(text, settings);
  TDateTime date, time = 0;
  if (scanner.ScanDate(date) && (scanner.AtEnd() || (scanner.ScanTime(time) && scanner.AtEnd()))) {
    value = Join(Integer(date), Integer(std::llround(time * MSecsPerDay)));
    return true;
  }
  return TryStrToTime(text, value, settings);
}

bool TryStrToDateTime(const AnsiString& text, TDateTime& value)
{
  return TryStrToDateTime(text, value, FormatSettings);
}

namespace {

using TTryParse = bool (*)(const AnsiString&, TDateTime&, const TFormatSettings&);

TDateTime ParseOrRaise(TTryParse tryParse, const char* message, const AnsiString& text,
                       const TFormatSettings& settings)
{
  TDateTime value;
  if (!tryParse(text, value, settings))
    throw EConvertError(Format(message, {text}));
  return value;
}

} // namespace

TDateTime StrToDate(const AnsiString& text, const TFormatSettings& settings)
{
  return ParseOrRaise(TryStrToDate, SInvalidDate, text, settings);
}

TDateTime StrToDate(const AnsiString& text)
{
  return StrToDate(text, FormatSettings);
}

TDateTime StrToTime(const AnsiString& text, const TFormatSettings& settings)
{
  return ParseOrRaise(TryStrToTime, SInvalidTime, text, settings);
}

TDateTime StrToTime(const AnsiString& text)
{
  return StrToTime(text, FormatSettings);
}

TDateTime StrToDateTime(const AnsiString& text, const TFormatSettings& settings)
{
  return ParseOrRaise(TryStrToDateTime, SInvalidDateTime, text, settings);
}

TDateTime StrToDateTime(const AnsiString& text)
{
  return StrToDateTime(text, FormatSettings);
}

TDateTime StrToDateDef(const AnsiString& text, TDateTime defaultValue,
                       const TFormatSettings& settings)
{
  TDateTime value;
  return TryStrToDate(text, value, settings) ? value : defaultValue;
}

TDateTime StrToDateDef(const AnsiString& text, TDateTime defaultValue)
{
  return StrToDateDef(text, defaultValue, FormatSettings);
}

TDateTime StrToTimeDef(const AnsiString& text, TDateTime defaultValue,
                       const TFormatSettings& settings)
{
  TDateTime value;
  return TryStrToTime(text, value, settings) ? value : defaultValue;
}

TDateTime StrToTimeDef(const AnsiString& text, TDateTime defaultValue)
{
  return StrToTimeDef(text, defaultValue, FormatSettings);
}

TDateTime StrToDateTimeDef(const AnsiString& text, TDateTime defaultValue,
                           const TFormatSettings& settings)
{
  TDateTime value;
  return TryStrToDateTime(text, value, settings) ? value : defaultValue;
}

TDateTime StrToDateTimeDef(const AnsiString& text, TDateTime defaultValue)
{
  return StrToDateTimeDef(text, defaultValue, FormatSettings);
}
