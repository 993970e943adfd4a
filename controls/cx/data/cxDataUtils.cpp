// Text match, currency format, date helpers and the data binding base (see cxDataUtils.h).
#include "controls/cx/data/cxDataUtils.h"

#include <cmath>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"

bool SearchTextMatches(const AnsiString& AText, const AnsiString& ASearchText, bool APartial)
{
  AnsiString text = AnsiUpperCase(AText), search = AnsiUpperCase(ASearchText);
  if (APartial && !search.empty())
    return text.size() >= search.size() && text.compare(0, search.size(), search) == 0;
  return text == search;
}

void CurrencyDisplayFormat(AnsiString& AFormat)
{
  AnsiString number = ",0.";
  number.append(FormatSettings.CurrencyDecimals, '0');
  AnsiString symbol;
  for (char c : FormatSettings.CurrencyString) {
    if (c == ',' || c == '.') {
      symbol += '\'';
      symbol += c;
      symbol += '\'';
    } else {
      symbol += c;
    }
  }
  if (symbol.empty()) {
    AFormat = number;
    return;
  }
  switch (FormatSettings.CurrencyFormat) {
  case 0:
    AFormat = symbol + number;
    break;
  case 1:
    AFormat = number + symbol;
    break;
  case 2:
    AFormat = symbol + " " + number;
    break;
  default:
    AFormat = number + " " + symbol;
    break;
  }
}

AnsiString CurrencyDisplayFormat()
{
  AnsiString format;
  CurrencyDisplayFormat(format);
  return format;
}

Double DatePartOf(Double ADateTime)
{
  return std::trunc(ADateTime);
}

Double TimePartOf(Double ADateTime)
{
  return ADateTime - std::trunc(ADateTime);
}

Double StartOfWeekDate(Double ADateTime)
{
  Integer first = LocaleFirstDayOfWeek();
  Integer weekday = DayOfWeek(ADateTime) - 1; // 0 = Sunday
  if (first > weekday)
    return DatePartOf(ADateTime) - 7 + (first - weekday);
  return DatePartOf(ADateTime) - (weekday - first);
}

Integer LocaleFirstDayOfWeek()
{
  Integer day = StrToIntDef(GetLocaleStr(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, "0"), 0) + 1;
  return day > 6 ? 0 : day;
}

// ---- TcxCustomDataBinding ----

TcxCustomDataBinding::TcxCustomDataBinding(TPersistent* AOwner, TComponent* ADataComponent)
    : FDataComponent(ADataComponent), FOwner(AOwner)
{
}

void TcxCustomDataBinding::NotifyDataChanged()
{
  if (OnDataChange)
    OnDataChange();
}

void TcxCustomDataBinding::StateChanged()
{
  if (OnStateChange)
    OnStateChange();
}

void TcxCustomDataBinding::UpdateData()
{
  if (OnUpdateData)
    OnUpdateData();
}

void TcxCustomDataBinding::GetStoredValue(TcxDataEditValueSource AValueSource, bool AFocused,
                                          Variant& AValue)
{
  AValue = Null();
}
