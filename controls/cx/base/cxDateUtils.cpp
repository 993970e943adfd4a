// Date helpers and smart date parsing (see cxDateUtils.h).
#include "controls/cx/base/cxDateUtils.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "controls/cx/base/cxClasses.h"
#include "controls/cx/base/cxFormats.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Variants.h"

const TResStringRec cxSDateToday{64927, "today"};
const TResStringRec cxSDateYesterday{64896, "yesterday"};
const TResStringRec cxSDateTomorrow{64897, "tomorrow"};
const TResStringRec cxSDateSunday{64898, "Sunday"};
const TResStringRec cxSDateMonday{64899, "Monday"};
const TResStringRec cxSDateTuesday{64900, "Tuesday"};
const TResStringRec cxSDateWednesday{64901, "Wednesday"};
const TResStringRec cxSDateThursday{64902, "Thursday"};
const TResStringRec cxSDateFriday{64903, "Friday"};
const TResStringRec cxSDateSaturday{64904, "Saturday"};
const TResStringRec cxSDateFirst{64905, "first"};
const TResStringRec cxSDateSecond{64906, "second"};
const TResStringRec cxSDateThird{64907, "third"};
const TResStringRec cxSDateFourth{64908, "fourth"};
const TResStringRec cxSDateFifth{64909, "fifth"};
const TResStringRec cxSDateSixth{64910, "sixth"};
const TResStringRec cxSDateSeventh{64911, "seventh"};
const TResStringRec cxSDateBOM{64880, "bom"};
const TResStringRec cxSDateEOM{64881, "eom"};
const TResStringRec cxSDateNow{64882, "now"};

namespace {

#define CX_DATE_WORDS                                                                              \
  {                                                                                                \
    &cxSDateToday, &cxSDateYesterday, &cxSDateTomorrow, &cxSDateSunday, &cxSDateMonday,            \
        &cxSDateTuesday, &cxSDateWednesday, &cxSDateThursday, &cxSDateFriday, &cxSDateSaturday,    \
        &cxSDateFirst, &cxSDateSecond, &cxSDateThird, &cxSDateFourth, &cxSDateFifth,               \
        &cxSDateSixth, &cxSDateSeventh, &cxSDateBOM, &cxSDateEOM, &cxSDateNow                      \
  }

constexpr Integer DateWordCount = 20;

// The words as the localizer has them now.
std::vector<AnsiString> DateWords()
{
  std::vector<AnsiString> words;
  for (PResStringRec r : CX_DATE_WORDS)
    words.push_back(cxGetResourceString(r));
  return words;
}

bool IsLeapYear(Integer AYear)
{
  return (AYear % 4 == 0 && AYear % 100 != 0) || AYear % 400 == 0;
}

// The longest word first; of equal lengths, the greater one (case ignored).
bool FindDateWord(const AnsiString& AText, Integer& AIndex)
{
  const std::vector<AnsiString> words = DateWords();
  std::vector<Integer> order(DateWordCount);
  for (Integer i = 0; i < DateWordCount; ++i)
    order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](Integer a, Integer b) {
    if (words[a].size() != words[b].size())
      return words[a].size() > words[b].size();
    return AnsiCompareText(words[a], words[b]) > 0;
  });
  for (Integer i : order) {
    const AnsiString& w = words[i];
    if (w.empty())
      continue;
    if (AnsiCompareText(w, AText.substr(0, w.size())) == 0) {
      AIndex = i;
      return true;
    }
  }
  return false;
}

AnsiString Quoted(const AnsiString& s)
{
  return "'" + s + "'";
}

} // namespace

void StepMonthBack(Word& AYear, Word& AMonth)
{
  if (AMonth == 1) {
    --AYear;
    AMonth = 12;
  } else
    --AMonth;
}

void StepMonthForward(Word& AYear, Word& AMonth)
{
  if (AMonth == 12) {
    ++AYear;
    AMonth = 1;
  } else
    ++AMonth;
}

Integer ShiftYearMonth(Word& AYear, Word& AMonth, Integer ADelta)
{
  const Word before = AYear;
  AYear = static_cast<Word>(AYear + ADelta / 12);
  Integer m = AMonth + ADelta % 12;
  if (m < 1) {
    --AYear;
    m += 12;
  } else if (m > 12) {
    ++AYear;
    m -= 12;
  }
  AMonth = static_cast<Word>(m);
  return static_cast<Integer>(AYear) - before;
}

Integer DecodeDatePart(Integer APart, TDateTime ADate)
{
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  return APart == 0 ? y : (APart == 1 ? m : d);
}

Integer MonthDayCount(Integer AYear, Integer AMonth)
{
  static constexpr Integer days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (AMonth < 1 || AMonth > 12)
    return 31;
  return AMonth == 2 && IsLeapYear(AYear) ? 29 : days[AMonth - 1];
}

Integer ClampDayToMonth(Integer AYear, Integer AMonth, Integer ADay)
{
  if (ADay <= 0)
    return 1;
  return std::min(ADay, MonthDayCount(AYear, AMonth));
}

Int64 WholeDaysOf(TDateTime ADateTime)
{
  const double s = ADateTime >= 0 ? 1 : -1;
  return static_cast<Int64>(std::trunc(ADateTime + s * 1e-11));
}

TDateTime TimeOfDayOf(TDateTime ADateTime)
{
  Word h, m, s, ms;
  DecodeTime(ADateTime, h, m, s, ms);
  return EncodeTime(h, m, s, ms);
}

bool ParseSmartDateText(const AnsiString& AText, TDateTime& ADate)
{
  const AnsiString S = Trim(AText);
  Integer index = 0;
  if (!FindDateWord(S, index))
    return false;
  const TDateTime today = Date();
  const Integer dow = DayOfWeek(today); // Sunday = 1
  TDateTime result;
  if (index == 0)
    result = today;
  else if (index == 1)
    result = today - 1;
  else if (index == 2)
    result = today + 1;
  else if (index <= 9) {
    const Integer b = (index - 2) - dow;
    result = b >= 0 ? today + b : today + 7 + b;
  } else if (index <= 16)
    result = today - (dow - (index - 9));
  else if (index <= 18) {
    Word y, m, d;
    DecodeDate(today, y, m, d);
    result = EncodeDate(y, m, index == 17 ? 1 : MonthDayCount(y, m));
  } else
    result = Now();
  const std::vector<AnsiString> words = DateWords();
  const AnsiString R = Trim(S.substr(std::min(S.size(), words[index].size())));
  if (R.size() >= 2 && (R[0] == '+' || R[0] == '-')) {
    try {
      const Integer n = StrToInt(Trim(R.substr(1)));
      result += R[0] == '-' ? -n : n;
    } catch (EConvertError&) {
    }
  }
  ADate = result;
  return true;
}

bool ParseEditDateText(const AnsiString& AText, TDateTime& ADate)
{
  const AnsiString original = Trim(AText);
  AnsiString S = original;
  if (S.empty())
    return false;
  try {
    const bool locale = FormatControllerInstance()->UseLocaleDateConversion();
    if (!locale && FormatSettings.DateSeparator == '.')
      for (Integer n = 0, i = 0; n < 2 && i < static_cast<Integer>(S.size()); ++i)
        if (S[i] == '.') {
          S[i] = ' ';
          ++n;
        }
    TDateTime date;
    if (!ParseSmartDateText(S, date)) {
      if (locale)
        date = StrToDateTime(S);
      else {
        // Dotted dates become blank-separated for the variant conversion; our date
        // parser reads the separator of the date format, so the dotted text is tried
        // as well.
        try {
          date = VarToDateTime(Variant(S));
        } catch (Exception&) {
          if (S == original)
            throw;
          date = VarToDateTime(Variant(original));
        }
      }
    }
    bool ok = date > -2147483648.0 && date < 2147483647.0;
    if (ok) {
      Word y, m, d;
      DecodeDate(date, y, m, d);
      ok = d != 0 && y <= 9999;
    }
    // Callers use the date only when the text was taken: every refusal is NullDate.
    ADate = ok ? date : NullDate;
    return ok;
  } catch (Exception&) {
    ADate = NullDate;
    return false;
  }
}

bool ConvertTextToDateTime(const AnsiString& AText, bool AUseVariantConversion, TDateTime& ADate)
{
  ADate = NullDate;
  try {
    ADate = AUseVariantConversion ? VarToDateTime(Variant(AText)) : StrToDateTime(AText);
    return true;
  } catch (EConvertError&) {
    ADate = NullDate;
    return false;
  }
}

AnsiString DefaultDateText(TDateTime ADate)
{
  if (ADate == NullDate)
    return "";
  // The locale's date picture and, when there is a time of day, its time picture.
  try {
    AnsiString text = FormatDateTime(FormatSettings.ShortDateFormat, ADate);
    if (TimeOfDayOf(ADate) != 0)
      text += " " + FormatDateTime(FormatSettings.LongTimeFormat, ADate);
    return text;
  } catch (EConvertError&) {
    return "";
  }
}

void DateToEditText(bool AUseMaskFormat, AnsiString& AText, TDateTime ADate)
{
  if (ADate == NullDate)
    AText = "";
  else if (AUseMaskFormat)
    AText = FormatDateTime(FormatControllerInstance()->MaskDateFormat(), ADate);
  else
    AText = DefaultDateText(ADate);
}

AnsiString BuildRegExprDateEditMask(const AnsiString& ADateFormat, bool AWithDateWords)
{
  AnsiString F = LowerCase(ADateFormat);
  if (F.find('g') != AnsiString::npos)
    return "";
  const std::vector<AnsiString> words = DateWords();
  const bool y4 = F.find("yyyy") != AnsiString::npos;
  const bool longMonths = F.find("mmmm") != AnsiString::npos;
  const AnsiString sep = Quoted(AnsiString(1, FormatSettings.DateSeparator));
  AnsiString result;
  auto isPart = [](char c) { return c == 'd' || c == 'e' || c == 'm' || c == 'y'; };
  while (!F.empty()) {
    const char c = F[0];
    size_t i = 0;
    while (i < F.size() && !(isPart(F[i]) && F[i] != c))
      ++i;
    F.erase(0, i);
    if (!isPart(c))
      break;
    if (!result.empty())
      result += sep;
    switch (c) {
    case 'd':
      result += "([012]?[1-9]|[123]0|31)";
      break;
    case 'm': {
      const auto& names =
          longMonths ? FormatSettings.LongMonthNames : FormatSettings.ShortMonthNames;
      AnsiString alternatives;
      for (size_t n = 0; n < names.size(); ++n)
        alternatives += (n ? "|" : "") + Quoted(names[n]);
      result += "((0?[1-9]|1[012])|(" + alternatives + "))";
      break;
    }
    case 'y':
      result += y4 ? "\\d\\d\\d\\d" : "\\d\\d";
      break;
    default: // 'e'
      if (y4)
        result += "\\d\\d\\d\\d";
      else if (FormatSettings.ShortDateFormat.find("ee") != AnsiString::npos)
        result += "\\d\\d";
      else
        result += "([1-9]?\\d)";
      break;
    }
  }
  if (!AWithDateWords)
    return result;
  AnsiString alternatives;
  for (Integer n = 0; n < DateWordCount; ++n)
    alternatives += (n ? "|" : "") + Quoted(words[n]);
  return "(" + result + ")|((" + alternatives + ")((\\+|-)\\d(\\d(\\d(\\d?)?)?)?))";
}

void cxDateUtilsInitialization()
{
  RegisterResStrings(CX_DATE_WORDS);
}

void cxDateUtilsFinalization()
{
  UnregisterResStrings(CX_DATE_WORDS);
}
