// Helpers shared by the data layer's tests: byte streams as hex, error texts, a fixed
// clock, format settings and the first day of the week set for one test.
#pragma once

#include <cstdlib>
#include <cxxabi.h>
#include <functional>
#include <string>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Variants.h"

namespace cxtest {

// "00 FF 61": the bytes of a memory stream, upper-case hex separated by blanks.
inline std::string HexOf(const AnsiString& bytes)
{
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty())
      out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

inline std::string HexOf(TMemoryStream& stream)
{
  return HexOf(AnsiString(static_cast<const char*>(stream.Memory()), stream.Size()));
}

// The bytes of "00 FF 61" (blanks optional).
inline AnsiString BytesOf(const std::string& hex)
{
  AnsiString out;
  int high = -1;
  for (char c : hex) {
    int v = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                   : -1;
    if (v < 0)
      continue;
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  return out;
}

// "ExceptionClass: message", or "no error".
inline std::string ErrorOf(const std::function<void()>& f)
{
  try {
    f();
  } catch (const Exception& e) {
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
    std::string result = std::string(name ? name : "?") + ": " + e.Message();
    std::free(name);
    return result;
  }
  return "no error";
}

// Sets the format settings, the locale's first day of the week and the clock for the
// lifetime of the guard: '.' and ',' separators, "￥" before the amount with two decimals,
// yyyy-mm-dd dates and hh:nn:ss times, Monday first, today 2024-01-15 12:00.
class TTestEnvironment {
public:
  TTestEnvironment() : FSettings(FormatSettings), FLocale(SysLocale), FNullStrict(NullStrictConvert)
  {
    FormatSettings.DecimalSeparator = '.';
    FormatSettings.ThousandSeparator = ',';
    FormatSettings.CurrencyString = "￥";
    FormatSettings.CurrencyFormat = 0;
    FormatSettings.CurrencyDecimals = 2;
    FormatSettings.DateSeparator = '-';
    FormatSettings.TimeSeparator = ':';
    FormatSettings.ShortDateFormat = "yyyy-mm-dd";
    FormatSettings.LongTimeFormat = "hh:nn:ss";
    SysLocale.FirstDayOfWeek = 0;
    NullStrictConvert = false;
    SetToday(EncodeDateTime(2024, 1, 15, 12, 0, 0, 0));
  }
  ~TTestEnvironment()
  {
    FormatSettings = FSettings;
    SysLocale = FLocale;
    NullStrictConvert = FNullStrict;
    SetClock(nullptr);
  }
  TTestEnvironment(const TTestEnvironment&) = delete;
  TTestEnvironment& operator=(const TTestEnvironment&) = delete;

  static void SetToday(TDateTime now)
  {
    SetClock([now] { return now; });
  }
  // 0 = Monday ... 6 = Sunday, as the locale gives it.
  static void SetFirstDayOfWeek(Integer day) { SysLocale.FirstDayOfWeek = day; }

private:
  TFormatSettings FSettings;
  TSysLocale FLocale;
  bool FNullStrict;
};

} // namespace cxtest
