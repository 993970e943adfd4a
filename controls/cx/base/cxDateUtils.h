// Date helpers of the date editor and the calendar: month stepping and day clamping, the
// date words ("today", "eom", weekdays .. with a signed number of days), the conversion
// between edit text and dates, the default text of a date and the regular-expression date
// mask that the format controller (cxFormats.h) keeps.
#pragma once

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ResStrings.h"

// The date meaning "no date"; its text is "".
constexpr TDateTime NullDate = -700000.0;

void StepMonthBack(Word& AYear, Word& AMonth);
void StepMonthForward(Word& AYear, Word& AMonth);
// Adds ADelta months, carrying into the year; returns the whole years added.
Integer ShiftYearMonth(Word& AYear, Word& AMonth, Integer ADelta);
// 0 the year, 1 the month, any other value the day.
Integer DecodeDatePart(Integer APart, TDateTime ADate);
Integer MonthDayCount(Integer AYear, Integer AMonth);
Integer ClampDayToMonth(Integer AYear, Integer AMonth, Integer ADay);
Int64 WholeDaysOf(TDateTime ADateTime);
TDateTime TimeOfDayOf(TDateTime ADateTime);

// A date word at the start of the text (longest words first, case ignored), with an
// optional "+n" or "-n" days after it. False leaves ADate alone.
bool ParseSmartDateText(const AnsiString& AText, TDateTime& ADate);
// The date editor's conversion: date words, else the text as a date. Every failure gives
// NullDate and False.
bool ParseEditDateText(const AnsiString& AText, TDateTime& ADate);
// Only a conversion error gives NullDate and False; other errors go on.
bool ConvertTextToDateTime(const AnsiString& AText, bool AUseVariantConversion, TDateTime& ADate);
AnsiString DefaultDateText(TDateTime ADate);
void DateToEditText(bool AUseMaskFormat, AnsiString& AText, TDateTime ADate);
AnsiString BuildRegExprDateEditMask(const AnsiString& ADateFormat, bool AWithDateWords);

// The date words, in index order (resource ids 64927, 64896 .. 64911, 64880 .. 64882).
extern const TResStringRec cxSDateToday, cxSDateYesterday, cxSDateTomorrow, cxSDateSunday,
    cxSDateMonday, cxSDateTuesday, cxSDateWednesday, cxSDateThursday, cxSDateFriday,
    cxSDateSaturday, cxSDateFirst, cxSDateSecond, cxSDateThird, cxSDateFourth, cxSDateFifth,
    cxSDateSixth, cxSDateSeventh, cxSDateBOM, cxSDateEOM, cxSDateNow;

void cxDateUtilsInitialization();
void cxDateUtilsFinalization();
