#include "platform/rtl/DateUtils.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <time.h>

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

// Replaces the runtime's clock for one test and restores the machine's clock afterwards.
class ClockFixture : public ::testing::Test {
protected:
  void TearDown() override { SetClock(nullptr); }
  void FixClock(TDateTime value)
  {
    FClockValue = value;
    SetClock([this] { return FClockValue; });
  }
  TDateTime FClockValue = 0;
};

using DateClock = ClockFixture;
using DateParse = ClockFixture;

template <typename F> AnsiString ConvertErrorMessage(F&& f)
{
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "(no EConvertError)";
}

// The program's own settings: "-" dates, year first, ':' times.
TFormatSettings ProgramSettings()
{
  TFormatSettings s = DefaultFormatSettings();
  s.DateSeparator = '-';
  s.ShortDateFormat = "yyyy-mm-dd";
  s.LongDateFormat = "yyyy-mm-dd hh:nn:ss";
  s.TimeSeparator = ':';
  return s;
}

TFormatSettings UsSettings()
{
  TFormatSettings s = InvariantFormatSettings();
  s.DateSeparator = '/';
  s.ShortDateFormat = "M/d/yyyy";
  return s;
}

} // namespace

// ---- Encoding and decoding ----------------------------------------------------------------

TEST(DateEncode, RoundTripsOverTheRangeAndLeapDays)
{
  struct Case {
    Integer y, m, d;
    TDateTime serial;
    Word dayOfWeek;
  } cases[] = {
      {1899, 12, 30, 0, 7},       {1899, 12, 29, -1, 6},   {1, 1, 1, -693593, 2},
      {9999, 12, 31, 2958465, 6}, {2013, 12, 5, 41613, 5}, {2000, 2, 29, 36585, 3},
      {1900, 2, 28, 60, 4},       {1900, 3, 1, 61, 5},     {1600, 2, 29, -109512, 3},
      {1970, 1, 1, 25569, 5},     {2012, 2, 29, 40968, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial);
    Word y, m, d, dow;
    DecodeDateFully(c.serial, y, m, d, dow);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(m, c.m);
    EXPECT_EQ(d, c.d);
    EXPECT_EQ(dow, c.dayOfWeek);
    EXPECT_EQ(DayOfWeek(c.serial < 0 ? c.serial - 0.75 : c.serial + 0.75), c.dayOfWeek);
  }
}

TEST(DateEncode, EveryDayOfFourHundredYearsRoundTrips)
{
  TDateTime expected = EncodeDate(1600, 1, 1);
  for (Integer y = 1600; y < 2000; ++y) {
    for (Integer m = 1; m <= 12; ++m) {
      for (Integer d = 1; d <= DaysInMonth(y, m); ++d) {
        ASSERT_EQ(EncodeDate(y, m, d), expected) << y << "-" << m << "-" << d;
        Word yy, mm, dd;
        DecodeDate(expected, yy, mm, dd);
        ASSERT_TRUE(yy == y && mm == m && dd == d) << expected;
        expected += 1;
      }
    }
  }
}

TEST(DateEncode, BadArgumentsRaise)
{
  const Integer badDates[][3] = {{0, 1, 1},     {10000, 1, 1}, {2013, 2, 29},
                                 {1900, 2, 29}, {2012, 2, 30}, {2013, 13, 1},
                                 {2013, 0, 1},  {2013, 1, 0},  {2013, 4, 31}};
  for (const auto& b : badDates) {
    SCOPED_TRACE(testing::Message() << b[0] << "-" << b[1] << "-" << b[2]);
    TDateTime out = 123;
    EXPECT_FALSE(TryEncodeDate(b[0], b[1], b[2], out));
    EXPECT_EQ(out, 123);
    EXPECT_EQ(ConvertErrorMessage([&] { EncodeDate(b[0], b[1], b[2]); }),
              "Invalid argument to date encode");
  }
  const Integer badTimes[][4] = {{24, 0, 0, 0},   {0, 60, 0, 0}, {0, 0, 60, 0},
                                 {0, 0, 0, 1000}, {-1, 0, 0, 0}, {0, 0, 0, -1}};
  for (const auto& b : badTimes) {
    SCOPED_TRACE(testing::Message() << b[0] << ":" << b[1] << ":" << b[2] << "." << b[3]);
    TDateTime out;
    EXPECT_FALSE(TryEncodeTime(b[0], b[1], b[2], b[3], out));
    EXPECT_EQ(ConvertErrorMessage([&] { EncodeTime(b[0], b[1], b[2], b[3]); }),
              "Invalid argument to time encode");
  }
  EXPECT_EQ(ConvertErrorMessage([] { EncodeDateTime(2013, 12, 5, 24, 0, 0, 0); }),
            "Invalid argument to time encode");
}

TEST(DateEncode, TimeOfDay)
{
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_EQ(EncodeTime(23, 59, 59, 999), 86399999.0 / MSecsPerDay);
  Word h, n, s, z;
  DecodeTime(41613 + EncodeTime(9, 7, 3, 45), h, n, s, z);
  EXPECT_EQ((std::array<Word, 4>{h, n, s, z}), (std::array<Word, 4>{9, 7, 3, 45}));
}

TEST(DateEncode, NegativeSerialsCountDaysBackAndTimeForward)
{
  struct Case {
    TDateTime serial;
    Word y, m, d, h, n;
  } cases[] = {
      {-1.25, 1899, 12, 29, 6, 0},
      {-0.5, 1899, 12, 30, 12, 0},
      {-1.75, 1899, 12, 29, 18, 0},
      {-693593.5, 1, 1, 1, 12, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.serial);
    Word y, m, d, h, n, s, z;
    DecodeDateTime(c.serial, y, m, d, h, n, s, z);
    EXPECT_EQ((std::array<Word, 5>{y, m, d, h, n}), (std::array<Word, 5>{c.y, c.m, c.d, c.h, c.n}));
  }
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  EXPECT_EQ(DateOf(-1.25), -1);
  EXPECT_EQ(TimeOf(-1.25), 0.25);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", -1.25, ProgramSettings()), "1899-12-29 06:00");
}

TEST(DateEncode, DecodersRoundToTheMillisecondConsistently)
{
  // Just below midnight: both the date and the time move to the next day.
  TDateTime almost = 41613 + (MSecsPerDay - 0.2) / MSecsPerDay;
  Word y, m, d, h, n, s, z;
  DecodeDateTime(almost, y, m, d, h, n, s, z);
  EXPECT_EQ((std::array<Word, 7>{y, m, d, h, n, s, z}),
            (std::array<Word, 7>{2013, 12, 6, 0, 0, 0, 0}));
  EXPECT_EQ(DateOf(almost), 41614);
}

TEST(DateEncode, DecodingOutsideTheRangeRaises)
{
  Word y, m, d;
  for (TDateTime bad : {MinDateTime - 1, 2958466.0, 1e300, std::nan(""), HUGE_VAL}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ConvertErrorMessage([&] { DecodeDate(bad, y, m, d); }),
              "Invalid date and time value");
    EXPECT_THROW(FormatDateTime("yyyy", bad, ProgramSettings()), EConvertError);
  }
  DecodeDate(MaxDateTime, y, m, d);
  EXPECT_EQ(y, 9999);
  EXPECT_EQ(HourOf(MaxDateTime), 23);
  EXPECT_EQ(MilliSecondOf(MaxDateTime), 999);
}

TEST(DateCalendar, LeapYearsAndMonthLengths)
{
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2012));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2013));
  const Word lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (Integer m = 1; m <= 12; ++m)
    EXPECT_EQ(DaysInMonth(2013, m), lengths[m - 1]) << m;
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(EncodeDate(2012, 2, 10) + 0.5), 29);
  EXPECT_EQ(MonthDays(true, 2), 29);
  for (Integer bad : {0, 13, -1}) {
    EXPECT_EQ(ConvertErrorMessage([&] { DaysInMonth(2013, bad); }),
              "Invalid argument to date encode")
        << bad;
    EXPECT_THROW(MonthDays(false, bad), EConvertError);
  }
}

TEST(DateCalendar, StepsClampTheDayKeepTheTimeAndRaiseAtTheEdges)
{
  const TDateTime noon = 0.5;
  struct Case {
    Integer y, m, d, months;
    Integer ey, em, ed;
  } cases[] = {
      {2013, 1, 31, 1, 2013, 2, 28},    {2012, 1, 31, 1, 2012, 2, 29},
      {2013, 3, 31, -1, 2013, 2, 28},   {2013, 12, 5, 1, 2014, 1, 5},
      {2013, 1, 15, -13, 2011, 12, 15}, {2013, 5, 31, 12, 2014, 5, 31},
      {2013, 8, 31, 0, 2013, 8, 31},    {1899, 12, 29, 1, 1900, 1, 29},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d << " + " << c.months);
    TDateTime from = EncodeDateTime(c.y, c.m, c.d, 12, 0, 0, 0);
    TDateTime to = IncMonth(from, c.months);
    EXPECT_EQ(DateOf(to), EncodeDate(c.ey, c.em, c.ed));
    EXPECT_EQ(TimeOf(to), noon);
  }
  EXPECT_EQ(IncYear(EncodeDate(2012, 2, 29), 1), EncodeDate(2013, 2, 28));
  EXPECT_EQ(IncDay(EncodeDate(2013, 12, 31), 1), EncodeDate(2014, 1, 1));
  // Across 1899-12-30 the time of day stays the time of day.
  EXPECT_EQ(IncDay(0.25, -1), -1.25);
  EXPECT_EQ(IncDay(-1.25, 1), 0.25);
  EXPECT_EQ(IncMonth(EncodeDateTime(1900, 1, 29, 6, 0, 0, 0), -1), -1.25);

  const std::function<void()> outOfRange[] = {
      [] { IncMonth(EncodeDate(9999, 12, 1), 1); },
      [] { IncMonth(EncodeDate(1, 1, 15), -1); },
      [] { IncMonth(EncodeDate(2013, 1, 1), MaxInt); },
      [] { IncYear(EncodeDate(2013, 1, 1), 8000); },
      [] { IncYear(EncodeDate(2013, 1, 1), MaxInt); },
      [] { IncDay(MaxDateTime, 1); },
      [] { IncDay(MinDateTime, -1); },
  };
  for (const auto& f : outOfRange)
    EXPECT_EQ(ConvertErrorMessage(f), "Invalid argument to date encode");
}

TEST(DateCalendar, SystemTimeAndUnixTime)
{
  TDateTime v = EncodeDateTime(2013, 12, 5, 10, 30, 15, 250);
  TSystemTime st;
  DateTimeToSystemTime(v, st);
  EXPECT_EQ(st.wYear, 2013);
  EXPECT_EQ(st.wMonth, 12);
  EXPECT_EQ(st.wDay, 5);
  EXPECT_EQ(st.wDayOfWeek, 4); // Thursday, counted from Sunday = 0
  EXPECT_EQ(st.wHour, 10);
  EXPECT_EQ(st.wMinute, 30);
  EXPECT_EQ(st.wSecond, 15);
  EXPECT_EQ(st.wMilliseconds, 250);
  EXPECT_EQ(SystemTimeToDateTime(st), v);
  st.wMonth = 13;
  EXPECT_THROW(SystemTimeToDateTime(st), EConvertError);

  EXPECT_EQ(DateTimeToUnix(EncodeDate(1970, 1, 1)), 0);
  EXPECT_EQ(DateTimeToUnix(EncodeDateTime(2013, 12, 5, 10, 30, 0, 0)), 1386239400);
  EXPECT_EQ(UnixToDateTime(1386239400), EncodeDateTime(2013, 12, 5, 10, 30, 0, 0));
  EXPECT_EQ(UnixToDateTime(-1), EncodeDateTime(1969, 12, 31, 23, 59, 59, 0));
  EXPECT_EQ(DateTimeToUnix(-1.25), (-1 - 25569) * 86400LL + 6 * 3600);
  EXPECT_EQ(UnixToDateTime((-1 - 25569) * 86400LL + 6 * 3600), -1.25);
  EXPECT_THROW(UnixToDateTime(MaxInt64), EConvertError);
}

// ---- The clock ---------------------------------------------------------------------------

TEST_F(DateClock, NowDateTimeAndTickCountReadTheSameClock)
{
  TDateTime t0 = EncodeDateTime(2013, 12, 5, 10, 30, 0, 0);
  FixClock(t0);
  EXPECT_EQ(Now(), t0);
  EXPECT_EQ(Date(), EncodeDate(2013, 12, 5));
  EXPECT_EQ(Time(), EncodeTime(10, 30, 0, 0));
  Cardinal tick = GetTickCount();
  FClockValue = t0 + 1500.0 / MSecsPerDay;
  EXPECT_EQ(GetTickCount() - tick, 1500u);
  EXPECT_EQ(SecondOf(Now()), 1);
}

TEST_F(DateClock, TheMachineClockIsLocalTime)
{
  SetClock(nullptr);
  time_t before = time(nullptr);
  TDateTime now = Now();
  tm local{};
  localtime_r(&before, &local);
  Int64 expected = Int64(before) + local.tm_gmtoff;
  EXPECT_LE(std::llabs(DateTimeToUnix(now) - expected), 2);
  Cardinal a = GetTickCount();
  Cardinal b = GetTickCount();
  EXPECT_LE(b - a, 1000u);
}

// ---- Formatting ------------------------------------------------------------------------

TEST(DateFormat, TokensWithTheInvariantNames)
{
  TFormatSettings fs = InvariantFormatSettings();
  fs.DateSeparator = '.';
  fs.TimeSeparator = '_';
  const TDateTime am = EncodeDateTime(2013, 12, 5, 9, 7, 3, 45); // a Thursday
  const TDateTime pm = EncodeDateTime(2013, 12, 5, 21, 7, 3, 45);
  struct Case {
    const char* picture;
    TDateTime value;
    const char* expected;
  } cases[] = {
      {"yyyymmdd", am, "20131205"},
      {"yyyy-mm-dd hh:nn:ss", am, "2013-12-05 09_07_03"},
      {"yyyy/mm/dd", am, "2013.12.05"},
      {"d", am, "5"},
      {"dd", am, "05"},
      {"ddd", am, "Thu"},
      {"dddd", am, "Thursday"},
      {"ddddd", am, "12.05.2013"},
      {"dddddd", am, "Thursday, 05 December 2013 09_07_03"},
      {"m", am, "12"},
      {"mm", EncodeDate(2013, 3, 1), "03"},
      {"mmm", am, "Dec"},
      {"mmmm", am, "December"},
      {"y", am, "13"},
      {"yy", EncodeDate(2005, 1, 1), "05"},
      {"yyy", am, "2013"},
      {"yyyy", EncodeDate(33, 1, 1), "0033"},
      {"h n s z", am, "9 7 3 45"},
      {"hh nn ss zzz", am, "09 07 03 045"},
      {"h:m", am, "9_7"},
      {"hh:mm", am, "09_07"},
      {"mm/dd hh:mm", am, "12.05 09_07"},
      {"hh'h'mm", am, "09h07"},
      {"hh", pm, "21"},
      {"h am/pm", am, "9 am"},
      {"h am/pm", pm, "9 pm"},
      {"hh AM/PM", pm, "09 PM"},
      {"h a/p", pm, "9 p"},
      {"h A/P", am, "9 A"},
      {"h ampm", pm, "9 PM"},
      {"h am/pm", 0.0, "12 am"},
      {"h am/pm", 0.5, "12 pm"},
      {"hh 'am/pm'", pm, "21 am/pm"},
      {"hh\"x\" am/pm", pm, "09x pm"},
      {"c", am, "12.05.2013 09_07_03"},
      {"c", EncodeDate(2013, 12, 5), "12.05.2013"},
      {"", pm, "12.05.2013 21_07_03"},
      {"t", pm, "21_07"},
      {"tt", pm, "21_07_03"},
      {"'yyyy'yyyy", am, "yyyy2013"},
      {"\"dd\"dd", am, "dd05"},
      {"'unclosed", am, "unclosed"},
      {"YYYY-MM-DD HH:NN:SS", am, "2013-12-05 09_07_03"},
      {"Dd", am, "55"}, // a run is one letter in one case
      {"d of mmmm", am, "5 of December"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    EXPECT_EQ(FormatDateTime(c.picture, c.value, fs), c.expected);
  }
}

TEST(DateFormat, ChineseProfileNamesAndDoubleByteText)
{
  const TFormatSettings fs = DefaultFormatSettings();
  const TDateTime am = EncodeDateTime(2013, 12, 5, 9, 7, 3, 0);
  const TDateTime pm = EncodeDateTime(2013, 12, 5, 21, 7, 3, 0);
  struct Case {
    const char* picture;
    TDateTime value;
    const char* expected;
  } cases[] = {
      {"mmmm", am, "十二月"},
      {"mmm", EncodeDate(2013, 1, 1), "一月"},
      {"dddd", am, "星期四"},
      {"ddd", EncodeDate(2013, 12, 8), "星期日"},
      {"ddddd", am, "2013-12-5"},
      {"dddddd", am, "2013年12月5日"},
      {"ampm h:nn", pm, "下午 9:07"},
      {"ampm h:nn", am, "上午 9:07"},
      {"ampm h:nn hh", pm, "下午 9:07 21"},
      {"c", am, "2013-12-5 09:07:03"},
      {"yyyy年m月d日", am, "2013年12月5日"},
      // Trail bytes that look like token letters ('d' 0x64, 'm' 0x6D, 'y' 0x79, 'a' 0x61)
      // belong to their characters.
      {"yyyy\x81\x64\x81\x6D\x81\x79\x81\x61", am, "2013\x81\x64\x81\x6D\x81\x79\x81\x61"},
      {"'\x81\x27'yyyy", am,
       "\x81\x27"
       "2013"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    EXPECT_EQ(FormatDateTime(c.picture, c.value, fs), c.expected);
  }
}

TEST(DateFormat, ShortFormsUseTheirSettings)
{
  const TFormatSettings fs = ProgramSettings();
  const TDateTime v = EncodeDateTime(2013, 12, 5, 9, 7, 3, 0);
  EXPECT_EQ(DateToStr(v, fs), "2013-12-05");
  EXPECT_EQ(TimeToStr(v, fs), "09:07:03");
  EXPECT_EQ(DateTimeToStr(v, fs), "2013-12-05 09:07:03");
  EXPECT_EQ(DateTimeToStr(DateOf(v), fs), "2013-12-05");
  EXPECT_EQ(DateTimeToStr(EncodeTime(0, 0, 0, 1), fs), "1899-12-30 00:00:00");
  AnsiString s;
  DateTimeToString(s, "yyyy", v, fs);
  EXPECT_EQ(s, "2013");
  // Setting pictures are expanded once: a picture that names itself does not recurse.
  TFormatSettings looping = fs;
  looping.ShortDateFormat = "ddddd|tt";
  EXPECT_EQ(FormatDateTime("ddddd", v, looping), "|");
  // Without settings: the current FormatSettings.
  EXPECT_EQ(DateToStr(v), FormatDateTime("ddddd", v, FormatSettings));
  EXPECT_EQ(DateTimeToStr(v), FormatDateTime("c", v, FormatSettings));
  EXPECT_EQ(TimeToStr(v), FormatDateTime("tt", v, FormatSettings));
}

// Pictures are compiled once and kept; these cases change what a kept picture was made from.
TEST(DateFormat, KeptPicturesFollowTheSettingsOfEachCall)
{
  const TDateTime v = EncodeDateTime(2013, 12, 5, 21, 7, 3, 0);
  TFormatSettings a = ProgramSettings();
  TFormatSettings b = InvariantFormatSettings();
  b.DateSeparator = '.';
  b.TimeSeparator = '_';
  // The same pictures under two settings, in turn: each call gets its own settings' result.
  struct Case {
    const char* picture;
    const char* withA;
    const char* withB;
  } cases[] = {
      {"c", "2013-12-05 21:07:03", "12.05.2013 21_07_03"},
      {"ddddd", "2013-12-05", "12.05.2013"},
      {"dddddd", "2013-12-05 21:07:03", "Thursday, 05 December 2013 21_07_03"},
      {"t", "21:07", "21_07"},
      {"tt", "21:07:03", "21_07_03"},
      {"yy/mm/dd hh:nn", "13-12-05 21:07", "13.12.05 21_07"},
      {"mmmm dddd ampm", "十二月 星期四 下午", "December Thursday PM"},
  };
  for (int round = 0; round < 2; ++round)
    for (const Case& c : cases) {
      SCOPED_TRACE(c.picture);
      EXPECT_EQ(FormatDateTime(c.picture, v, a), c.withA);
      EXPECT_EQ(FormatDateTime(c.picture, v, b), c.withB);
    }

  // One settings object changed after a picture was used with it.
  TFormatSettings s = ProgramSettings();
  EXPECT_EQ(FormatDateTime("c", v, s), "2013-12-05 21:07:03");
  s.ShortDateFormat = "dd/mm/yyyy";
  s.DateSeparator = '.';
  s.LongTimeFormat = "h:nn ampm";
  s.TimePMString = "PM";
  EXPECT_EQ(FormatDateTime("c", v, s), "05.12.2013 9:07 PM");
  EXPECT_EQ(FormatDateTime("c", DateOf(v), s), "05.12.2013");
  s.LongMonthNames[11] = "Dezember";
  s.TimeSeparator = 'h';
  EXPECT_EQ(FormatDateTime("mmmm hh:nn", v, s), "Dezember 21h07");

  // The current settings changed between calls without arguments.
  const TFormatSettings saved = FormatSettings;
  FormatSettings = ProgramSettings();
  EXPECT_EQ(DateTimeToStr(v), "2013-12-05 21:07:03");
  FormatSettings.ShortDateFormat = "yyyy'年'm'月'd'日'";
  FormatSettings.LongTimeFormat = "hh'点'nn'分'";
  EXPECT_EQ(DateTimeToStr(v), "2013年12月5日 21点07分");
  FormatSettings = saved;
}

TEST(DateFormat, ManyLongAndConcurrentPictures)
{
  const TFormatSettings fs = ProgramSettings();
  const TDateTime v = EncodeDateTime(2013, 12, 5, 9, 7, 3, 45);
  // More distinct pictures than are kept, then the first ones again.
  for (int round = 0; round < 2; ++round)
    for (int n = 1; n <= 40; ++n) {
      const AnsiString picture = "'" + std::to_string(n) + "' yyyy";
      EXPECT_EQ(FormatDateTime(picture, v, fs), std::to_string(n) + " 2013");
    }
  // A picture too long to keep, and a result longer than the formatter's buffer.
  AnsiString picture, expected;
  for (int i = 0; i < 100; ++i) {
    picture += "yyyy-mm-dd ";
    expected += "2013-12-05 ";
  }
  EXPECT_EQ(FormatDateTime(picture, v, fs), expected);
  TFormatSettings longNames = fs;
  longNames.LongMonthNames[11] = AnsiString(300, 'x');
  EXPECT_EQ(FormatDateTime("dd mmmm yyyy", v, longNames), "05 " + AnsiString(300, 'x') + " 2013");

  // Threads formatting the same picture under their own settings.
  TFormatSettings other = InvariantFormatSettings();
  other.DateSeparator = '/';
  std::atomic<int> wrong{0};
  auto work = [&](const TFormatSettings& s, const char* expected) {
    for (int i = 0; i < 2000; ++i)
      if (FormatDateTime("c", v, s) != expected)
        ++wrong;
  };
  std::thread t1(work, std::cref(fs), "2013-12-05 09:07:03");
  std::thread t2(work, std::cref(other), "12/05/2013 09:07:03");
  t1.join();
  t2.join();
  EXPECT_EQ(wrong.load(), 0);
}

// ---- Parsing -----------------------------------------------------------------------------

TEST_F(DateParse, DatesRoundTripThroughTheirPictures)
{
  FixClock(EncodeDate(2026, 6, 15));
  struct Profile {
    const char* name;
    TFormatSettings settings;
  } profiles[] = {{"yyyy-mm-dd", ProgramSettings()},
                  {"M/d/yyyy", UsSettings()},
                  {"chinese", DefaultFormatSettings()},
                  {"dd.mm.yyyy", [] {
                     TFormatSettings s = ProgramSettings();
                     s.ShortDateFormat = "dd.mm.yyyy"; // writes '.', DateSeparator stays '-'
                     return s;
                   }()}};
  const TDateTime dates[] = {EncodeDate(2013, 12, 5),  EncodeDate(1, 1, 1),
                             EncodeDate(9999, 12, 31), EncodeDate(2000, 2, 29),
                             EncodeDate(1899, 12, 29), EncodeDate(1970, 1, 1)};
  for (const Profile& p : profiles) {
    for (TDateTime d : dates) {
      AnsiString text = DateToStr(d, p.settings);
      SCOPED_TRACE(testing::Message() << p.name << ": " << text);
      EXPECT_EQ(StrToDate(text, p.settings), d);
    }
    TDateTime dt = EncodeDateTime(2013, 12, 5, 21, 7, 3, 0);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(dt, p.settings), p.settings), dt) << p.name;
    EXPECT_EQ(StrToDateTime(DateTimeToStr(-1.25, p.settings), p.settings), -1.25) << p.name;
  }
}

TEST_F(DateParse, DateFieldsFollowTheShortDatePicture)
{
  FixClock(EncodeDateTime(2026, 6, 15, 8, 0, 0, 0));
  struct Case {
    const char* picture;
    const char* text;
    Integer y, m, d;
  } cases[] = {
      {"yyyy-mm-dd", "2013-12-05", 2013, 12, 5}, {"yyyy-mm-dd", " 2013 - 12 - 5 ", 2013, 12, 5},
      {"yyyy-mm-dd", "12-5", 2026, 12, 5},       {"M/d/yyyy", "12-5-2013", 2013, 12, 5},
      {"M/d/yyyy", "12-5", 2026, 12, 5},         {"d/M/yyyy", "5-12-2013", 2013, 12, 5},
      {"d/M/yyyy", "5-12", 2026, 12, 5},         {"dd.mm.yyyy", "05.12.2013", 2013, 12, 5},
      {"dd.mm.yyyy", "05-12-2013", 2013, 12, 5}, {"yyyy-mm-dd", "0033-01-01", 33, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.picture << " " << c.text);
    TFormatSettings fs = ProgramSettings();
    fs.ShortDateFormat = c.picture;
    EXPECT_EQ(StrToDate(c.text, fs), EncodeDate(c.y, c.m, c.d));
  }
}

TEST_F(DateParse, TwoDigitYearsFollowTheWindowAroundTheClocksYear)
{
  struct Case {
    Integer clockYear;
    Word window;
    const char* text;
    Integer year;
  } cases[] = {
      {2026, 50, "30-1-1", 2030}, {2026, 50, "75-1-1", 2075}, {2026, 50, "76-1-1", 1976},
      {2026, 50, "99-1-1", 1999}, {2026, 50, "0-1-1", 2000},  {2026, 0, "99-1-1", 2099},
      {2026, 0, "13-1-1", 2013},  {2090, 50, "30-1-1", 2130}, {2090, 50, "45-1-1", 2045},
      {2026, 50, "099-1-1", 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.clockYear << " window " << c.window << " " << c.text);
    FixClock(EncodeDate(c.clockYear, 3, 1));
    TFormatSettings fs = ProgramSettings();
    fs.TwoDigitYearCenturyWindow = c.window;
    EXPECT_EQ(YearOf(StrToDate(c.text, fs)), c.year);
  }
}

TEST_F(DateParse, HoursMinutesSecondsAndAmPm)
{
  TFormatSettings fs = DefaultFormatSettings();
  struct Case {
    const char* text;
    Integer h, n, s, z;
  } cases[] = {
      {"9:07", 9, 7, 0, 0},          {"09:07:03", 9, 7, 3, 0},    {"9", 9, 0, 0, 0},
      {"09:07:03.045", 9, 7, 3, 45}, {"9:07:03.5", 9, 7, 3, 500}, {" 23:59:59 ", 23, 59, 59, 0},
      {"9:07 PM", 21, 7, 0, 0},      {"9:07pm", 21, 7, 0, 0},     {"12:00 am", 0, 0, 0, 0},
      {"12:30 PM", 12, 30, 0, 0},    {"AM 11:15", 11, 15, 0, 0},  {"下午 9:07", 21, 7, 0, 0},
      {"上午12:05", 0, 5, 0, 0},     {"9:07 下午", 21, 7, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToTime(c.text, fs), EncodeTime(c.h, c.n, c.s, c.z));
  }
}

TEST_F(DateParse, StrToDateTimeTakesADateATimeOrBoth)
{
  FixClock(EncodeDate(2026, 6, 15));
  const TFormatSettings fs = ProgramSettings();
  EXPECT_EQ(StrToDateTime("2013-12-05", fs), EncodeDate(2013, 12, 5));
  EXPECT_EQ(StrToDateTime("2013-12-05 21:07", fs), EncodeDateTime(2013, 12, 5, 21, 7, 0, 0));
  EXPECT_EQ(StrToDateTime("2013-12-05 9:07 pm", fs), EncodeDateTime(2013, 12, 5, 21, 7, 0, 0));
  EXPECT_EQ(StrToDateTime("10:30", fs), EncodeTime(10, 30, 0, 0));
  EXPECT_EQ(StrToDateTime("1899-12-29 06:00", fs), -1.25);
  TDateTime v = 0;
  EXPECT_TRUE(TryStrToDateTime("12-5 8:00", v, fs));
  EXPECT_EQ(v, EncodeDateTime(2026, 12, 5, 8, 0, 0, 0));
}

TEST_F(DateParse, BadTextsRaiseWithTheRuntimesMessages)
{
  FixClock(EncodeDate(2026, 6, 15));
  const TFormatSettings fs = ProgramSettings();
  struct Case {
    int kind; // 0 date, 1 time, 2 date and time
    const char* text;
    const char* message;
  } cases[] = {
      {0, "2013-02-30", "'2013-02-30' is not a valid date"},
      {0, "", "'' is not a valid date"},
      {0, "abc", "'abc' is not a valid date"},
      {0, "2013-12-05 10:00", "'2013-12-05 10:00' is not a valid date"},
      {0, "2013/12/05", "'2013/12/05' is not a valid date"},
      {0, "2013-12-", "'2013-12-' is not a valid date"},
      {0, "12345-1-1", "'12345-1-1' is not a valid date"},
      {0, "10000-1-1", "'10000-1-1' is not a valid date"},
      {1, "25:00", "'25:00' is not a valid time"},
      {1, "10:60", "'10:60' is not a valid time"},
      {1, "13:00 PM", "'13:00 PM' is not a valid time"},
      {1, "0:30 AM", "'0:30 AM' is not a valid time"},
      {1, "10:30 xyz", "'10:30 xyz' is not a valid time"},
      {1, "10:30:00.1234", "'10:30:00.1234' is not a valid time"},
      {2, "2013-12-05 25:00", "'2013-12-05 25:00' is not a valid date and time"},
      {2, "2013-12-32", "'2013-12-32' is not a valid date and time"},
      {2, "星期四", "'星期四' is not a valid date and time"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    AnsiString message = ConvertErrorMessage([&] {
      if (c.kind == 0)
        StrToDate(c.text, fs);
      if (c.kind == 1)
        StrToTime(c.text, fs);
      if (c.kind == 2)
        StrToDateTime(c.text, fs);
    });
    EXPECT_EQ(message, c.message);
    TDateTime v = 7;
    bool ok = c.kind == 0   ? TryStrToDate(c.text, v, fs)
              : c.kind == 1 ? TryStrToTime(c.text, v, fs)
                            : TryStrToDateTime(c.text, v, fs);
    EXPECT_FALSE(ok);
    EXPECT_EQ(v, 7); // untouched on failure
  }
  EXPECT_EQ(StrToDateDef("x", 5, fs), 5);
  EXPECT_EQ(StrToDateDef("2013-12-05", 5, fs), 41613);
  EXPECT_EQ(StrToTimeDef("x", 0.5, fs), 0.5);
  EXPECT_EQ(StrToDateTimeDef("x", 1.5, fs), 1.5);
  EXPECT_EQ(StrToDateTimeDef("2013-12-05 12:00", 1.5, fs), 41613.5);
}
