// cxDataUtils: small helpers shared by the data layer and the editors: the text match of
// incremental search and lookups, the currency display format, date parts, the first day
// of the week, and TcxCustomDataBinding, the base of an editor's link to its value.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

// Where an edit value comes from or goes to: the value, its display text, a lookup key.
using TcxDataEditValueSource = Byte;
inline constexpr TcxDataEditValueSource evsValue = 0;
inline constexpr TcxDataEditValueSource evsText = 1;
inline constexpr TcxDataEditValueSource evsKey = 2;

// Both texts upper-cased (AnsiUpperCase). APartial with a non-empty search text: AText
// begins with it; otherwise the texts are equal.
bool SearchTextMatches(const AnsiString& AText, const AnsiString& ASearchText, bool APartial);
// The FormatFloat picture of the system currency: ",0." + decimals zeros, with the
// currency string (its ',' and '.' quoted) placed by CurrencyFormat (0 before, 1 after,
// 2 before with a blank, 3 after with a blank).
void CurrencyDisplayFormat(AnsiString& AFormat);
AnsiString CurrencyDisplayFormat();
// The whole-day part (cut toward zero) and the fractional part.
Double DatePartOf(Double ADateTime);
Double TimePartOf(Double ADateTime);
// The first day of the week holding ADateTime, by the locale's first day of the week.
Double StartOfWeekDate(Double ADateTime);
// 0 = Sunday .. 6 = Saturday (the locale's first-day value, in which 0 is Monday, plus 1).
Integer LocaleFirstDayOfWeek();

using TcxDataBindingCallback = TEvent<void()>;

// The base of the object through which a stand-alone editor reads and writes its value.
// It keeps no data; the owning control sets the three callbacks after creating it.
class TcxCustomDataBinding : public TPersistent {
public:
  TcxCustomDataBinding(TPersistent* AOwner, TComponent* ADataComponent);

  // Fire the data-changed, state-changed and update-data callbacks when assigned.
  virtual void NotifyDataChanged();
  virtual void StateChanged();
  virtual bool ExecuteAction(TObject* AAction) { return false; }
  virtual bool UpdateAction(TObject* AAction) { return false; }
  virtual void UpdateData();
  virtual void GetStoredValue(TcxDataEditValueSource AValueSource, bool AFocused, Variant& AValue);
  virtual bool CanReadValue() { return true; }
  // Called on Esc.
  virtual void Reset() {}
  // The owner discards editing keys while this answers False.
  virtual bool CanModify() { return true; }
  virtual void StoreValue(TcxDataEditValueSource AValueSource, const Variant& AValue) {}
  // Called when the owner loses the focus; an exception reaches the caller.
  virtual void UpdateDataOnExit() {}

  TComponent* DataComponent() const { return FDataComponent; }

  TcxDataBindingCallback OnDataChange;
  TcxDataBindingCallback OnStateChange;
  TcxDataBindingCallback OnUpdateData;

protected:
  TPersistent* GetOwner() override { return FOwner; }

private:
  TComponent* FDataComponent;
  TPersistent* FOwner;
};
