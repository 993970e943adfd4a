#include "controls/cx/base/cxDateUtils.h"

#include <gtest/gtest.h>

#include "controls/cx/base/cxFormats.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Math.h"
#include "platform/ui/Forms.h"
#include "platform/ui/backend/headless/Headless.h"

namespace {

// Wednesday 2024-02-14 10:30 for the life of the object; the headless clock comes back.
struct TFixedClock {
  TFixedClock()
  {
    SetClock([] { return EncodeDateTime(2024, 2, 14, 10, 30, 0, 0); });
  }
  ~TFixedClock()
  {
    const TDateTime start = EncodeDateTime(2026, 1, 5, 9, 0, 0, 0);
    SetClock([start] { return start + static_cast<double>(Headless().ElapsedMs()) / MSecsPerDay; });
  }
};

// The program's own date format for the life of the object. The program-wide format
// controller reads it again each time, whatever an earlier test left it holding.
struct TProgramDates {
  TFormatSettings Saved = FormatSettings;
  TProgramDates()
  {
    FormatSettings.ShortDateFormat = "yyyy-mm-dd";
    FormatSettings.DateSeparator = '-';
    FormatControllerInstance()->GetFormats();
  }
  ~TProgramDates()
  {
    FormatSettings = Saved;
    FormatControllerInstance()->GetFormats();
  }
};

AnsiString Day(TDateTime d)
{
  return FormatDateTime("mm-dd", d);
}

} // namespace

TEST(cxDateUtils, DateWordsWithAFixedClock)
{
  TFixedClock clock;
  struct Case {
    const char* Text;
    const char* Expected; // "now": Now(); "": not parsed
  } cases[] = {
      {"today", "02-14"},
      {"TODAY", "02-14"},
      {"  Today ", "02-14"},
      {"yesterday", "02-13"},
      {"tomorrow", "02-15"},
      {"friday", "02-16"},
      {"wednesday", "02-14"},
      {"monday", "02-19"},
      {"SATURDAY", "02-17"},
      {"first", "02-11"},
      {"seventh", "02-17"},
      {"bom", "02-01"},
      {"eom", "02-29"},
      {"today+3", "02-17"},
      {"  tomorrow - 2 ", "02-13"},
      {"today+", "02-14"},
      {"today+x", "02-14"},
      {"todays", "02-14"},
      {"yesterday+1", "02-14"},
      {"nowhere", "now"},
      {"xyz", ""},
      {"today-1000000000000", "02-14"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    TDateTime d = 12345;
    const bool ok = ParseSmartDateText(c.Text, d);
    if (*c.Expected == 0) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(d, 12345) << "untouched";
    } else if (AnsiString(c.Expected) == "now") {
      EXPECT_TRUE(ok);
      EXPECT_EQ(d, Now());
    } else {
      EXPECT_TRUE(ok);
      EXPECT_EQ(Day(d), c.Expected);
      EXPECT_EQ(d, Trunc(d)) << "a date without time";
    }
  }
}

TEST(cxDateUtils, EditTextInTheProgramsDateFormat)
{
  TFixedClock clock;
  TProgramDates dates;
  struct Case {
    const char* Text;
    bool Ok;
    const char* Expected;
  } cases[] = {
      {"2023-12-24", true, "2023-12-24"},
      {" 2024-2-29 ", true, "2024-02-29"},
      {"today+1", true, "2024-02-15"},
      {"eom", true, "2024-02-29"},
      {"2023-02-30", false, ""},
      {"kuaidi", false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    TDateTime d = 777;
    const bool ok = ParseEditDateText(c.Text, d);
    EXPECT_EQ(ok, c.Ok);
    if (c.Ok)
      EXPECT_EQ(FormatDateTime("yyyy-mm-dd", d), c.Expected);
    else if (*c.Text)
      EXPECT_EQ(d, NullDate) << "every refusal is the null date";
    else
      EXPECT_EQ(d, 777) << "an empty text leaves the date alone";
  }
  AnsiString text;
  DateToEditText(true, text, EncodeDate(2024, 3, 5));
  EXPECT_EQ(text, "2024-03-05");
  DateToEditText(false, text, NullDate);
  EXPECT_EQ(text, "");
  EXPECT_EQ(DefaultDateText(NullDate), "");
  EXPECT_EQ(DefaultDateText(EncodeDate(2024, 3, 5) + 0.5), "2024-03-05 12:00:00");
}

TEST(cxDateUtils, DottedDatesAreReadWithBlanks)
{
  TFixedClock clock;
  TFormatSettings saved = FormatSettings;
  FormatSettings.ShortDateFormat = "dd.mm.yyyy";
  FormatSettings.DateSeparator = '.';
  TDateTime d = 0;
  const bool ok = ParseEditDateText("24.12.2023", d);
  FormatSettings = saved;
  EXPECT_TRUE(ok);
  EXPECT_EQ(d, EncodeDate(2023, 12, 24));
}

TEST(cxDateUtils, CalendarHelpers)
{
  EXPECT_EQ(ClampDayToMonth(2023, 2, 31), 28);
  EXPECT_EQ(ClampDayToMonth(2024, 2, 0), 1);
  EXPECT_EQ(ClampDayToMonth(2024, 2, 29), 29);
  EXPECT_EQ(MonthDayCount(1900, 2), 28);
  EXPECT_EQ(MonthDayCount(2000, 2), 29);
  struct Case {
    Word Y, M;
    Integer Delta;
    Word EY, EM;
    Integer Years;
  } cases[] = {{2024, 1, -1, 2023, 12, -1},
               {2024, 1, -13, 2022, 12, -2},
               {2024, 1, 23, 2025, 12, 1},
               {2024, 12, 1, 2025, 1, 1}};
  for (const Case& c : cases) {
    Word y = c.Y, m = c.M;
    EXPECT_EQ(ShiftYearMonth(y, m, c.Delta), c.Years);
    EXPECT_EQ(y, c.EY);
    EXPECT_EQ(m, c.EM);
  }
  Word y = 2024, m = 1;
  StepMonthBack(y, m);
  EXPECT_EQ(y * 100 + m, 202312);
  StepMonthForward(y, m);
  EXPECT_EQ(y * 100 + m, 202401);
  EXPECT_EQ(WholeDaysOf(-0.5), 0);
  EXPECT_EQ(WholeDaysOf(1.99999999999999), 2);
  EXPECT_EQ(DecodeDatePart(1, EncodeDate(2024, 7, 9)), 7);
}

TEST(cxDateUtils, ConvertTextToDateTimeRefusesOnlyConversionErrors)
{
  TDateTime d;
  EXPECT_FALSE(ConvertTextToDateTime("not a date", false, d));
  EXPECT_EQ(d, NullDate);
  TProgramDates dates;
  EXPECT_TRUE(ConvertTextToDateTime("2024-01-02", false, d));
  EXPECT_EQ(d, EncodeDate(2024, 1, 2));
}

TEST(cxFormats, DateFormatsAndMasksByTheTable)
{
  struct Case {
    const char* Short;
    const char* DateFormat;
    const char* MaskDateFormat;
    const char* Mask;
  } cases[] = {
      {"M/d/yyyy", "MM/dd/yyyy", "MM/dd/yyyy", "!99/99/9999;1; "},
      {"dd-MMM-yy", "dd-MMM-yy", "dd-MMM-yy", "!99-lll-99;1; "},
      {"dd MMMM yyyy", "dd MMMM yyyy", "dd MMM yyyy", "!99 lll 9999;1; "},
      {"yyyy-M-d", "yyyy-MM-dd", "yyyy-MM-dd", "!9999-99-99;1; "},
      {"ggyyyy/M/d", "ggyyyy/MM/dd", "ggyyyy/MM/dd", ""},
      // The program's format: lower-case "m" is the month too.
      {"yyyy-mm-dd", "yyyy-mm-dd", "yyyy-mm-dd", "!9999-99-99;1; "},
      {"yyyy-m-d", "yyyy-MM-dd", "yyyy-MM-dd", "!9999-99-99;1; "},
  };
  TFormatSettings saved = FormatSettings;
  TcxFormatController c;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Short);
    FormatSettings.ShortDateFormat = k.Short;
    EXPECT_EQ(c.GetDateFormat(false), k.DateFormat);
    EXPECT_EQ(c.GetDateFormat(true), k.MaskDateFormat);
    EXPECT_EQ(c.GetStandardDateEditMask(), k.Mask);
  }
  FormatSettings.ShortDateFormat = "ggyyyy/M/d";
  EXPECT_EQ(BuildRegExprDateEditMask("ggyyyy/MM/dd", true), "");
  FormatSettings = saved;
}

TEST(cxFormats, RegExprMaskWithMonthNamesAndDateWords)
{
  TFormatSettings saved = FormatSettings;
  FormatSettings = InvariantFormatSettings();
  FormatSettings.ShortDateFormat = "M/d/yyyy";
  FormatSettings.DateSeparator = '/';
  const AnsiString mask = BuildRegExprDateEditMask("MM/dd/yyyy", true);
  const AnsiString branch = "((0?[1-9]|1[012])|('Jan'|'Feb'|'Mar'|'Apr'|'May'|'Jun'|'Jul'|'Aug'|"
                            "'Sep'|'Oct'|'Nov'|'Dec'))'/'([012]?[1-9]|[123]0|31)'/'\\d\\d\\d\\d";
  EXPECT_EQ(mask, "(" + branch +
                      ")|(('today'|'yesterday'|'tomorrow'|'Sunday'|'Monday'|'Tuesday'|"
                      "'Wednesday'|'Thursday'|'Friday'|'Saturday'|'first'|'second'|'third'|"
                      "'fourth'|'fifth'|'sixth'|'seventh'|'bom'|'eom'|'now')((\\+|-)\\d(\\d(\\d("
                      "\\d?)?)?)?))");
  EXPECT_EQ(BuildRegExprDateEditMask("yy/d", false), "\\d\\d'/'([012]?[1-9]|[123]0|31)");
  FormatSettings = saved;
}

TEST(cxFormats, CurrencyFormatsAndFirstWeekDay)
{
  struct Case {
    const char* Symbol;
    Byte Format, Neg, Decimals;
    const char* Expected;
  } cases[] = {
      {"$", 0, 0, 2, "$,0.00;($,0.00)"}, {"Fr.", 2, 9, 2, "Fr'.' ,0.00;-Fr'.' ,0.00"},
      {"", 0, 1, 2, ";-,0.00"},          {"kr", 3, 8, 0, ",0. kr;-,0. kr"},
      {"EUR", 1, 99, 2, ",0.00EUR;"},    {"￥", 0, 2, 2, "￥,0.00;￥-,0.00"},
  };
  TFormatSettings saved = FormatSettings;
  TcxFormatController c;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Expected);
    FormatSettings.CurrencyString = k.Symbol;
    FormatSettings.CurrencyFormat = k.Format;
    FormatSettings.NegCurrFormat = k.Neg;
    FormatSettings.CurrencyDecimals = k.Decimals;
    EXPECT_EQ(c.GetCurrencyFormat(), k.Expected);
  }
  FormatSettings = saved;
  const Integer first = SysLocale.FirstDayOfWeek;
  for (auto [locale, expected] : {std::pair{6, 0}, std::pair{0, 1}, std::pair{5, 6}}) {
    SysLocale.FirstDayOfWeek = locale;
    EXPECT_EQ(c.GetFirstWeekDay(), expected);
  }
  SysLocale.FirstDayOfWeek = first;
}

TEST(cxFormats, OnlyAnExactIntlChangeIsObservedAndListenersAllHearIt)
{
  struct TListener : IcxFormatControllerListener {
    Integer Calls = 0;
    bool Throws = false;
    void FormatChanged() override
    {
      ++Calls;
      if (Throws)
        throw Exception("listener failed");
    }
  } a, b;
  TcxFormatController c;
  EXPECT_FALSE(c.HasWindow());
  c.AddListener(&a);
  c.AddListener(&a);
  c.AddListener(&b);
  EXPECT_EQ(c.ListenerCount(), 2);
  EXPECT_TRUE(c.HasWindow());
  auto send = [&](WPARAM w, const char* text) {
    TMessage m{WM_SETTINGCHANGE, w, reinterpret_cast<LPARAM>(text), 0};
    c.WndProc(m);
  };
  send(0, "INTL");
  send(1, "intl");
  send(0, nullptr);
  EXPECT_EQ(a.Calls, 0);
  Application()->SetUpdateFormatSettings(false);
  send(0, "intl");
  Application()->SetUpdateFormatSettings(true);
  EXPECT_EQ(a.Calls, 0);
  TFormatSettings saved = FormatSettings;
  send(0, "intl");
  EXPECT_EQ(a.Calls, 1);
  EXPECT_EQ(b.Calls, 1);
  a.Throws = true;
  EXPECT_THROW(send(0, "intl"), Exception);
  EXPECT_EQ(b.Calls, 2) << "a failing listener does not stop the pass";
  FormatSettings = saved;
  c.RemoveListener(&a);
  c.RemoveListener(&b);
  EXPECT_FALSE(c.HasWindow());
}
