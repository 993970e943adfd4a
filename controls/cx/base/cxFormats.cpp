// The format controller (see cxFormats.h).
#include "controls/cx/base/cxFormats.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "controls/cx/base/cxDateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"

namespace {

TcxFormatController* Instance = nullptr;

// A short date format has no minutes, and the runtime's own formatter reads "m" as the
// month there too, so "m" and "M" are both month letters.
bool IsMonthLetter(char c)
{
  return c == 'M' || c == 'm';
}

} // namespace

TcxFormatController::TcxFormatController()
{
  GetFormats();
}

TcxFormatController::~TcxFormatController()
{
  if (FWindow)
    DeallocateHWnd(FWindow);
  if (Instance == this)
    Instance = nullptr;
}

void TcxFormatController::AddListener(IcxFormatControllerListener* AListener)
{
  if (std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end())
    return;
  if (FListeners.empty())
    FWindow = AllocateHWnd(TWndMethod::Bind(this, &TcxFormatController::WindowProcedure));
  FListeners.push_back(AListener);
}

void TcxFormatController::RemoveListener(IcxFormatControllerListener* AListener)
{
  std::erase(FListeners, AListener);
  if (FListeners.empty() && FWindow) {
    DeallocateHWnd(FWindow);
    FWindow = 0;
  }
}

void TcxFormatController::WindowProcedure(TMessage& Message)
{
  try {
    WndProc(Message);
  } catch (Exception&) {
    Application()->HandleException(this);
  }
}

void TcxFormatController::WndProc(TMessage& Message)
{
  const char* text = reinterpret_cast<const char*>(Message.LParam);
  if (Message.Msg == WM_SETTINGCHANGE && Message.WParam == 0 && text &&
      std::strcmp(text, "intl") == 0 && Application()->UpdateFormatSettings()) {
    GetFormatSettings();
    GetFormats();
    NotifyListeners();
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
}

void TcxFormatController::NotifyListeners()
{
  std::exception_ptr first;
  std::vector<IcxFormatControllerListener*> listeners = FListeners;
  for (IcxFormatControllerListener* l : listeners) {
    if (std::find(FListeners.begin(), FListeners.end(), l) == FListeners.end())
      continue;
    try {
      l->FormatChanged();
    } catch (...) {
      if (!first)
        first = std::current_exception();
    }
  }
  if (first)
    std::rethrow_exception(first);
}

void TcxFormatController::GetFormats()
{
  FCurrencyFormat = GetCurrencyFormat();
  FFirstWeekDay = GetFirstWeekDay();
  FStandardDateEditMask = GetStandardDateEditMask();
  FDateFormat = GetDateFormat(false);
  FMaskDateFormat = GetDateFormat(true);
  FRegExprDateEditMask = BuildRegExprDateEditMask(FDateFormat, true);
  if (!Instance)
    Instance = this;
}

AnsiString TcxFormatController::GetCurrencyFormat() const
{
  const TFormatSettings& fs = FormatSettings;
  const AnsiString N = ",0." + AnsiString(fs.CurrencyDecimals, '0');
  AnsiString S;
  for (char c : fs.CurrencyString)
    if (c == ',' || c == '.')
      S += AnsiString("'") + c + "'";
    else
      S += c;
  AnsiString positive;
  if (!S.empty())
    switch (fs.CurrencyFormat) {
    case 0:
      positive = S + N;
      break;
    case 1:
      positive = N + S;
      break;
    case 2:
      positive = S + " " + N;
      break;
    case 3:
      positive = N + " " + S;
      break;
    default:
      break;
    }
  AnsiString negative;
  switch (fs.NegCurrFormat) {
  case 0:
    negative = "(" + S + N + ")";
    break;
  case 1:
    negative = "-" + S + N;
    break;
  case 2:
    negative = S + "-" + N;
    break;
  case 3:
    negative = S + N + "-";
    break;
  case 4:
    negative = "(" + N + S + ")";
    break;
  case 5:
    negative = "-" + N + S;
    break;
  case 6:
    negative = N + "-" + S;
    break;
  case 7:
    negative = N + S + "-";
    break;
  case 8:
    negative = "-" + N + " " + S;
    break;
  case 9:
    negative = "-" + S + " " + N;
    break;
  case 10:
    negative = N + " " + S + "-";
    break;
  case 11:
    negative = S + " " + N + "-";
    break;
  case 12:
    negative = S + " " + "-" + N;
    break;
  case 13:
    negative = N + "-" + " " + S;
    break;
  case 14:
    negative = "(" + S + " " + N + ")";
    break;
  case 15:
    negative = "(" + N + " " + S + ")";
    break;
  default:
    break;
  }
  return positive + ";" + negative;
}

Byte TcxFormatController::GetFirstWeekDay() const
{
  const Integer n = StrToIntDef(GetLocaleStr(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, "0"), 0);
  return static_cast<Byte>(n + 1 > 6 ? 0 : n + 1);
}

AnsiString TcxFormatController::GetDateFormat(bool AForMaskEdit) const
{
  const AnsiString& f = FormatSettings.ShortDateFormat;
  AnsiString result;
  for (size_t i = 0; i < f.size(); ++i) {
    const char c = f[i];
    const bool isDay = c == 'd';
    const bool isMonth = IsMonthLetter(c);
    auto same = [&](size_t j) {
      return j < f.size() && (isDay ? f[j] == 'd' : IsMonthLetter(f[j]));
    };
    if ((isDay || isMonth) && !(i > 0 && same(i - 1)) && !same(i + 1))
      result += isDay ? "dd" : "MM";
    else
      result += c;
  }
  if (AForMaskEdit) {
    const size_t start = result.find_first_of("Mm");
    if (start != AnsiString::npos) {
      size_t end = start;
      while (end < result.size() && IsMonthLetter(result[end]))
        ++end;
      if (end - start > 3)
        result.erase(start + 3, end - start - 3);
    }
  }
  return result;
}

AnsiString TcxFormatController::GetStandardDateEditMask() const
{
  const AnsiString& f = FormatSettings.ShortDateFormat;
  if (f.find('g') != AnsiString::npos)
    return "";
  AnsiString result = "!";
  size_t i = 0;
  while (i < f.size()) {
    const char c = f[i];
    const bool month = IsMonthLetter(c);
    if (!month && c != 'd' && c != 'e' && c != 'y') {
      result += c;
      ++i;
      continue;
    }
    size_t run = 0;
    while (i < f.size() && (month ? IsMonthLetter(f[i]) : f[i] == c)) {
      ++run;
      ++i;
    }
    if (run >= 3)
      result += c == 'e' ? "99" : (c == 'y' ? "9999" : "lll");
    else
      result += "99";
  }
  return result + ";1; ";
}

TcxFormatController* FormatControllerInstance()
{
  if (!Instance)
    new TcxFormatController;
  return Instance;
}

void cxFormatsInitialization() {}

void cxFormatsFinalization()
{
  delete Instance;
  Instance = nullptr;
}
