// Regional formats: one program-wide controller derives the currency display format, the
// date display and mask formats, the standard and regular-expression date edit masks and
// the first day of the week from the regional settings, recomputes them when the settings
// change ("intl") and tells its listeners. cxDateUtils.h builds the date mask.
#pragma once

#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/ui/Controls.h"

class IcxFormatControllerListener {
public:
  virtual ~IcxFormatControllerListener() = default;
  virtual void FormatChanged() = 0;
};

class TcxFormatController : public TObject {
public:
  TcxFormatController();
  ~TcxFormatController() override;

  virtual void WndProc(TMessage& Message);
  virtual void AddListener(IcxFormatControllerListener* AListener);
  virtual void RemoveListener(IcxFormatControllerListener* AListener);
  void GetFormats();
  // Tells every listener; one that raises does not stop the others, and the first
  // exception goes on afterwards.
  void NotifyListeners();

  const AnsiString& CurrencyFormat() const { return FCurrencyFormat; }
  const AnsiString& DateFormat() const { return FDateFormat; }
  const AnsiString& MaskDateFormat() const { return FMaskDateFormat; }
  const AnsiString& RegExprDateEditMask() const { return FRegExprDateEditMask; }
  const AnsiString& StandardDateEditMask() const { return FStandardDateEditMask; }
  Byte FirstWeekDay() const { return FFirstWeekDay; }
  // Date texts convert through the regional date conversion (StrToDateTime, no rewriting
  // of "." separators) instead of through a text variant. Off by default.
  bool UseLocaleDateConversion() const { return FUseLocaleDateConversion; }
  void SetUseLocaleDateConversion(bool Value) { FUseLocaleDateConversion = Value; }
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }
  bool HasWindow() const { return FWindow != 0; }

  AnsiString GetCurrencyFormat() const;
  Byte GetFirstWeekDay() const;
  AnsiString GetDateFormat(bool AForMaskEdit) const;
  AnsiString GetStandardDateEditMask() const;

private:
  void WindowProcedure(TMessage& Message);
  std::vector<IcxFormatControllerListener*> FListeners;
  HWND FWindow = 0;
  AnsiString FCurrencyFormat;
  AnsiString FDateFormat;
  AnsiString FMaskDateFormat;
  AnsiString FRegExprDateEditMask;
  AnsiString FStandardDateEditMask;
  Byte FFirstWeekDay = 0;
  bool FUseLocaleDateConversion = false;
};

TcxFormatController* FormatControllerInstance();

void cxFormatsInitialization();
void cxFormatsFinalization();
