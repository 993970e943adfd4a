// Date and time arithmetic, the runtime's clock, and the date-time picture formatter and
// parser. DateUtils.h states the rules; FormatSettings.h holds the names and pictures.
#include "platform/rtl/DateUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <time.h>
#include <vector>

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

// Counts in 400-year eras from 0000-03-01, so that the leap day ends a year and the month
// follows from the day of the year by one division. Serial day -693899 is 0000-03-01, so
// every valid day (from -693593) gives a positive count.
void SerialDayToDate(Integer serialDay, Word& year, Word& month, Word& day)
{
  const unsigned z = unsigned(serialDay + 693899);
  const unsigned era = z / 146097;
  const unsigned dayOfEra = z - era * 146097;
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthFromMarch = (5 * dayOfYear + 2) / 153;
  const unsigned m = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  year = Word(yearOfEra + era * 400 + (m <= 2 ? 1 : 0));
  month = Word(m);
  day = Word(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
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

// A picture is compiled once into steps, and a value is formatted by running the steps over
// its decoded fields. The tokens that stand for pictures of the settings (c, t, tt, ddddd,
// dddddd) are expanded while compiling, in the given picture only and not inside those
// pictures, so a setting that names itself cannot recurse. A compiled picture therefore
// depends on the settings' pictures it expanded and on the separators it wrote; the month
// and day names and the AM/PM strings are read from the settings at every call.

enum TDateStepKind : Byte {
  dsText,           // Text[Offset, Offset + Length)
  dsYear,           // Width 2: the last two digits; 4: the whole year, at least four digits
  dsMonth,          // Width 0 or 2
  dsMonthName,      // Width 0: short name, 1: long name
  dsDay,            // Width 0 or 2
  dsDayName,        // Width 0: short name, 1: long name
  dsHour,           // Width 0 or 2; Twelve: on the 12-hour clock
  dsMinute,         // Width 0 or 2
  dsSecond,         // Width 0 or 2
  dsMSec,           // Width 0 or 3
  dsAmPmText,       // Text at Offset: the AM half (Length bytes), then the PM half
  dsAmPmSetting,    // TimeAMString or TimePMString
  dsSkipAtMidnight, // at exactly 00:00:00.000 the next Length steps are skipped
};

// Literal pieces up to this length are copied as one block of this size.
constexpr std::size_t TextCopyBlock = 8;

struct TDateStep {
  TDateStepKind Kind = dsText;
  Byte Width = 0;
  bool Twelve = false;
  std::uint32_t Offset = 0;
  std::uint32_t Length = 0;
};

// The settings a compiled picture was made with, as far as it used them.
enum TDateSettingUse : unsigned {
  duShortDate = 1,
  duLongDate = 2,
  duShortTime = 4,
  duLongTime = 8,
  duDateSeparator = 16,
  duTimeSeparator = 32,
};

struct TCompiledDatePicture {
  AnsiString Picture;
  unsigned Uses = 0;
  char DateSeparator = 0;
  char TimeSeparator = 0;
  AnsiString ShortDateFormat, LongDateFormat, ShortTimeFormat, LongTimeFormat;
  std::vector<TDateStep> Steps;
  AnsiString Text; // the literal pieces the steps point into

  // Whether this is Picture compiled with settings equal to s where it used them.
  bool Matches(std::string_view picture, const TFormatSettings& s) const
  {
    if (picture != Picture)
      return false;
    return (!(Uses & duShortDate) || s.ShortDateFormat == ShortDateFormat) &&
           (!(Uses & duLongDate) || s.LongDateFormat == LongDateFormat) &&
           (!(Uses & duShortTime) || s.ShortTimeFormat == ShortTimeFormat) &&
           (!(Uses & duLongTime) || s.LongTimeFormat == LongTimeFormat) &&
           (!(Uses & duDateSeparator) || s.DateSeparator == DateSeparator) &&
           (!(Uses & duTimeSeparator) || s.TimeSeparator == TimeSeparator);
  }
};

class TDatePictureCompiler {
public:
  TDatePictureCompiler(const TFormatSettings& settings, TCompiledDatePicture& out)
      : FSettings(settings), FOut(out)
  {
  }

  void Compile(const AnsiString& p, Integer level);

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
  bool AmPm(const AnsiString& p, std::size_t& i);
  void Nested(const AnsiString& picture, TDateSettingUse use, Integer level);
  void Literal(const char* text, std::size_t length);
  void Field(TDateStepKind kind, Integer width, bool twelve = false)
  {
    TDateStep step;
    step.Kind = kind;
    step.Width = Byte(width);
    step.Twelve = twelve;
    FOut.Steps.push_back(step);
  }

  const TFormatSettings& FSettings;
  TCompiledDatePicture& FOut;
  bool FMayJoin = true; // false right after a skipped block: its text must stay its own
};

// An hour token shows the 12-hour clock when an AM/PM token follows it before the next
// hour token (the scan stops at the first unquoted 'a' either way), or when one stands
// between it and the previous hour token, as in pictures that put AM/PM first.
bool TDatePictureCompiler::Uses12HourClock(const AnsiString& p, std::size_t i)
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
bool TDatePictureCompiler::AmPm(const AnsiString& p, std::size_t& i)
{
  const std::size_t start = i - 1;
  TDateStep step;
  if (MatchesAt(p, start, "am/pm")) {
    step.Kind = dsAmPmText;
    step.Length = 2;
    step.Offset = std::uint32_t(FOut.Text.size());
    FOut.Text.append(p, start, 2);
    FOut.Text.append(p, start + 3, 2);
    i = start + 5;
  } else if (MatchesAt(p, start, "a/p")) {
    step.Kind = dsAmPmText;
    step.Length = 1;
    step.Offset = std::uint32_t(FOut.Text.size());
    FOut.Text += p[start];
    FOut.Text += p[start + 2];
    i = start + 3;
  } else if (MatchesAt(p, start, "ampm")) {
    step.Kind = dsAmPmSetting;
    i = start + 4;
  } else {
    return false;
  }
  FOut.Steps.push_back(step);
  return true;
}

void TDatePictureCompiler::Nested(const AnsiString& picture, TDateSettingUse use, Integer level)
{
  if (level != 0)
    return;
  FOut.Uses |= use;
  Compile(picture, level + 1);
}

// Text joins the text step before it, so a run of literals is copied at once.
void TDatePictureCompiler::Literal(const char* text, std::size_t length)
{
  if (length == 0)
    return;
  if (FMayJoin && !FOut.Steps.empty() && FOut.Steps.back().Kind == dsText &&
      FOut.Steps.back().Offset + FOut.Steps.back().Length == FOut.Text.size()) {
    FOut.Steps.back().Length += std::uint32_t(length);
    FOut.Text.append(text, length);
    return;
  }
  FMayJoin = true;
  TDateStep step;
  step.Offset = std::uint32_t(FOut.Text.size());
  step.Length = std::uint32_t(length);
  FOut.Text.append(text, length);
  FOut.Steps.push_back(step);
}

void TDatePictureCompiler::Compile(const AnsiString& p, Integer level)
{
  char lastToken = ' ';
  bool ampmBefore = false; // an AM/PM token since the last hour token ("ampm h:nn")
  std::size_t i = 0;
  while (i < p.size()) {
    char starter = p[i];
    if (IsLeadByte(static_cast<unsigned char>(starter)) && i + 1 < p.size()) {
      Literal(p.data() + i, 2); // a double-byte character: its trail byte is no token
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
      Field(dsYear, RunLength(p, i, starter) <= 2 ? 2 : 4);
      break;
    case 'M':
      switch (RunLength(p, i, starter)) {
      case 1:
        Field(dsMonth, 0);
        break;
      case 2:
        Field(dsMonth, 2);
        break;
      case 3:
        Field(dsMonthName, 0);
        break;
      default:
        Field(dsMonthName, 1);
        break;
      }
      break;
    case 'D':
      switch (RunLength(p, i, starter)) {
      case 1:
        Field(dsDay, 0);
        break;
      case 2:
        Field(dsDay, 2);
        break;
      case 3:
        Field(dsDayName, 0);
        break;
      case 4:
        Field(dsDayName, 1);
        break;
      case 5:
        Nested(FSettings.ShortDateFormat, duShortDate, level);
        break;
      default:
        Nested(FSettings.LongDateFormat, duLongDate, level);
        break;
      }
      break;
    case 'H': {
      const Integer digits = RunLength(p, i, starter) == 1 ? 0 : 2;
      Field(dsHour, digits, ampmBefore || Uses12HourClock(p, i));
      ampmBefore = false;
      break;
    }
    case 'N':
      Field(dsMinute, RunLength(p, i, starter) == 1 ? 0 : 2);
      break;
    case 'S':
      Field(dsSecond, RunLength(p, i, starter) == 1 ? 0 : 2);
      break;
    case 'Z':
      Field(dsMSec, RunLength(p, i, starter) <= 2 ? 0 : 3);
      break;
    case 'T':
      if (RunLength(p, i, starter) == 1)
        Nested(FSettings.ShortTimeFormat, duShortTime, level);
      else
        Nested(FSettings.LongTimeFormat, duLongTime, level);
      break;
    case 'C': {
      RunLength(p, i, starter);
      Nested(FSettings.ShortDateFormat, duShortDate, level);
      // The time and the blank before it are left out at exact midnight.
      const std::size_t skip = FOut.Steps.size();
      TDateStep step;
      step.Kind = dsSkipAtMidnight;
      FOut.Steps.push_back(step);
      Literal(" ", 1);
      Nested(FSettings.LongTimeFormat, duLongTime, level);
      FOut.Steps[skip].Length = std::uint32_t(FOut.Steps.size() - skip - 1);
      FMayJoin = false;
      break;
    }
    case 'A':
      if (AmPm(p, i))
        ampmBefore = true;
      else
        Literal(&starter, 1);
      break;
    case '/':
      FOut.Uses |= duDateSeparator;
      FOut.DateSeparator = FSettings.DateSeparator;
      if (FSettings.DateSeparator != '\0')
        Literal(&FSettings.DateSeparator, 1);
      break;
    case ':':
      FOut.Uses |= duTimeSeparator;
      FOut.TimeSeparator = FSettings.TimeSeparator;
      if (FSettings.TimeSeparator != '\0')
        Literal(&FSettings.TimeSeparator, 1);
      break;
    case '\'':
    case '"': {
      std::size_t end = i;
      while (end < p.size() && p[end] != starter) {
        end += IsLeadByte(static_cast<unsigned char>(p[end])) ? 2 : 1;
      }
      end = std::min(end, p.size());
      Literal(p.data() + i, end - i);
      i = end < p.size() ? end + 1 : end;
      break;
    }
    default:
      Literal(&starter, 1);
      break;
    }
  }
}

void CompileDatePicture(const AnsiString& picture, const TFormatSettings& settings,
                        TCompiledDatePicture& out)
{
  out.Picture = picture;
  TDatePictureCompiler(settings, out).Compile(picture, 0);
  // Short pieces are copied eight bytes at a time, so the pool ends with eight spare bytes.
  out.Text.append(TextCopyBlock, '\0');
  if (out.Uses & duShortDate)
    out.ShortDateFormat = settings.ShortDateFormat;
  if (out.Uses & duLongDate)
    out.LongDateFormat = settings.LongDateFormat;
  if (out.Uses & duShortTime)
    out.ShortTimeFormat = settings.ShortTimeFormat;
  if (out.Uses & duLongTime)
    out.LongTimeFormat = settings.LongTimeFormat;
}

// Compiled pictures are kept per thread (the runtime's formatters may run on any thread,
// and a per-thread cache needs no lock), the most recently used first. Pictures longer than
// MaxCachedPictureLength are compiled for the one call, so the cache stays small.
constexpr std::size_t DatePictureCacheSize = 16;
constexpr std::size_t MaxCachedPictureLength = 256;

struct TDatePictureCache {
  std::unique_ptr<TCompiledDatePicture> Entries[DatePictureCacheSize];
  std::size_t Count = 0;
};

// The compiled form of picture under settings: from the cache, or compiled now. A picture
// too long to keep is compiled into Uncached.
const TCompiledDatePicture& CompiledDatePicture(const AnsiString& picture,
                                                const TFormatSettings& settings,
                                                std::unique_ptr<TCompiledDatePicture>& Uncached)
{
  if (picture.size() > MaxCachedPictureLength) {
    Uncached = std::make_unique<TCompiledDatePicture>();
    CompileDatePicture(picture, settings, *Uncached);
    return *Uncached;
  }
  thread_local TDatePictureCache cache;
  auto& entries = cache.Entries;
  for (std::size_t i = 0; i < cache.Count; ++i) {
    if (!entries[i]->Matches(picture, settings))
      continue;
    if (i != 0)
      std::rotate(entries, entries + i, entries + i + 1);
    return *entries[0];
  }
  auto compiled = std::make_unique<TCompiledDatePicture>();
  CompileDatePicture(picture, settings, *compiled);
  if (cache.Count < DatePictureCacheSize)
    ++cache.Count;
  std::move_backward(entries, entries + cache.Count - 1, entries + cache.Count);
  entries[0] = std::move(compiled);
  return *entries[0];
}

// The fields of a value, decoded once per call.
struct TDateFields {
  Word Year = 0, Month = 0, Day = 0, DayOfWeek = 0;
  Word Hour = 0, Min = 0, Sec = 0, MSec = 0;
  bool Midnight = false;

  explicit TDateFields(TDateTime value)
  {
    const TStamp stamp = Split(value);
    SerialDayToDate(stamp.Day, Year, Month, Day);
    DayOfWeek = WeekDay(stamp.Day);
    Hour = Word(stamp.MSec / 3600000);
    Min = Word(stamp.MSec / 60000 % 60);
    Sec = Word(stamp.MSec / 1000 % 60);
    MSec = Word(stamp.MSec % 1000);
    Midnight = stamp.MSec == 0;
  }
};

// The result is put together in a buffer on the stack and becomes a string once; what does
// not fit (long month or day names) moves on to the string. Short pieces and numbers are
// written straight into the buffer after one check for room.
class TDateWriter {
public:
  // Length bytes at text, which has at least TextCopyBlock readable bytes.
  void PutPadded(const char* text, std::size_t length)
  {
    if (length > TextCopyBlock) {
      Put(text, length);
      return;
    }
    Room(TextCopyBlock);
    std::memcpy(FBuffer + FUsed, text, TextCopyBlock);
    FUsed += length;
  }
  void Put(const char* text, std::size_t length)
  {
    if (length > sizeof FBuffer) {
      FSpilled.append(FBuffer, FUsed);
      FSpilled.append(text, length);
      FUsed = 0;
      return;
    }
    Room(length);
    std::memcpy(FBuffer + FUsed, text, length);
    FUsed += length;
  }
  void Put(const AnsiString& text) { Put(text.data(), text.size()); }
  // n (below 10,000) in decimal, padded with zeros to at least `digits` digits.
  void Number(unsigned n, unsigned digits)
  {
    Room(4);
    const unsigned count = n >= 1000 ? 4 : n >= 100 ? 3 : n >= 10 ? 2 : 1;
    unsigned width = count > digits ? count : digits;
    char* p = FBuffer + FUsed;
    FUsed += width;
    while (width > 0) {
      p[--width] = char('0' + n % 10);
      n /= 10;
    }
  }
  AnsiString Take()
  {
    if (FSpilled.empty())
      return AnsiString(FBuffer, FUsed);
    FSpilled.append(FBuffer, FUsed);
    return std::move(FSpilled);
  }

private:
  void Room(std::size_t length)
  {
    if (length <= sizeof FBuffer - FUsed)
      return;
    FSpilled.append(FBuffer, FUsed);
    FUsed = 0;
  }

  char FBuffer[120];
  std::size_t FUsed = 0;
  AnsiString FSpilled;
};

AnsiString RunDatePicture(const TCompiledDatePicture& c, const TDateFields& f,
                          const TFormatSettings& settings)
{
  TDateWriter out;
  const TDateStep* const steps = c.Steps.data();
  const std::size_t count = c.Steps.size();
  for (std::size_t i = 0; i < count; ++i) {
    const TDateStep& step = steps[i];
    switch (step.Kind) {
    case dsText:
      out.PutPadded(c.Text.data() + step.Offset, step.Length);
      break;
    case dsYear:
      out.Number(step.Width == 2 ? f.Year % 100u : f.Year, step.Width);
      break;
    case dsMonth:
      out.Number(f.Month, step.Width);
      break;
    case dsMonthName:
      out.Put(step.Width == 0 ? settings.ShortMonthNames[f.Month - 1]
                              : settings.LongMonthNames[f.Month - 1]);
      break;
    case dsDay:
      out.Number(f.Day, step.Width);
      break;
    case dsDayName:
      out.Put(step.Width == 0 ? settings.ShortDayNames[f.DayOfWeek - 1]
                              : settings.LongDayNames[f.DayOfWeek - 1]);
      break;
    case dsHour: {
      unsigned hour = f.Hour;
      if (step.Twelve) {
        hour %= 12;
        if (hour == 0)
          hour = 12;
      }
      out.Number(hour, step.Width);
      break;
    }
    case dsMinute:
      out.Number(f.Min, step.Width);
      break;
    case dsSecond:
      out.Number(f.Sec, step.Width);
      break;
    case dsMSec:
      out.Number(f.MSec, step.Width);
      break;
    case dsAmPmText:
      out.PutPadded(c.Text.data() + step.Offset + (f.Hour >= 12 ? step.Length : 0), step.Length);
      break;
    case dsAmPmSetting:
      out.Put(f.Hour >= 12 ? settings.TimePMString : settings.TimeAMString);
      break;
    case dsSkipAtMidnight:
      if (f.Midnight)
        i += step.Length;
      break;
    }
  }
  return out.Take();
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
  const TDateFields fields(value);
  static const AnsiString DefaultPicture = "c";
  std::unique_ptr<TCompiledDatePicture> uncached;
  return RunDatePicture(
      CompiledDatePicture(picture.empty() ? DefaultPicture : picture, settings, uncached), fields,
      settings);
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
