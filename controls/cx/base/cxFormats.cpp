// The format controller (see cxFormats.h).
#include "controls/cx/base/cxFormats.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "controls/cx/base/cxControlsPrivate.h"
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

// The platform's currency formats, by number: where the symbol (S) and the amount (N) stand,
// with the signs, brackets and spaces between them.
const char* const PositiveCurrencyPatterns[] = {"SN", "NS", "S N", "N S"};
const char* const NegativeCurrencyPatterns[] = {"(SN)", "-SN",  "S-N",   "SN-",  "(NS)", "-NS",
                                                "N-S",  "NS-",  "-N S",  "-S N", "N S-", "S N-",
                                                "S -N", "N- S", "(S N)", "(N S)"};

// The pattern of format number AFormat with S and N put in; empty for an unknown number.
template <size_t Count>
AnsiString CurrencyPattern(const char* const (&APatterns)[Count], Byte AFormat, const AnsiString& S,
                           const AnsiString& N)
{
  AnsiString result;
  if (AFormat >= Count)
    return result;
  for (const char* p = APatterns[AFormat]; *p; ++p)
    if (*p == 'S')
      result += S;
    else if (*p == 'N')
      result += N;
    else
      result += *p;
  return result;
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
  cxAddWindowListener(FListeners, FWindow, AListener,
                      TWndMethod::Bind(this, &TcxFormatController::WindowProcedure));
}

void TcxFormatController::RemoveListener(IcxFormatControllerListener* AListener)
{
  cxRemoveWindowListener(FListeners, FWindow, AListener);
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
  const AnsiString positive =
      S.empty() ? AnsiString() : CurrencyPattern(PositiveCurrencyPatterns, fs.CurrencyFormat, S, N);
  return positive + ";" + CurrencyPattern(NegativeCurrencyPatterns, fs.NegCurrFormat, S, N);
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
