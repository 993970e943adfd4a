// The calculator (TCalculatorEh): four functions, square root, reciprocal, percent, sign
// change, clipboard copy and paste, with a display panel and 23 buttons laid out as its
// form TCALCULATOREH describes; and the popup calculator (TPopupCalculatorEh) that numeric
// editors drop down: Enter or "Ok" hands the value to the owner, Esc closes without. The
// equals button reads "=" while an operation is pending, so a first Enter computes and a
// second one accepts.
#pragma once

#include "controls/eh/DropDownsEh.h"
#include "controls/eh/EditButtonsEh.h"
#include "platform/ui/ExtCtrls.h"

// What a drop-down that edits a value offers its owner.
class IDropDownValueEh {
public:
  virtual ~IDropDownValueEh() = default;
  // Enter would accept (no operation is pending).
  virtual bool EnterAccepts() = 0;
  virtual bool FlatLook() = 0;
  virtual void SetFlatLook(bool Value) = 0;
  virtual Variant DropDownValue() = 0;
  virtual void SetDropDownValue(const Variant& Value) = 0;
};

// The key each button sends, by its Tag (0 sends nothing).
extern const char CalculatorButtonKeysEh[24];

class TCalculatorEh : public TCustomControl {
public:
  explicit TCalculatorEh(TComponent* AOwner);

  // 0 a result is shown, 1 a number is being entered, 2 error.
  Integer EntryState() const { return FStatus; }
  char PendingOperator() const { return FOperator; }
  double Accumulator() const { return FOperand; }
  // The shown number (0 in the error state); writing shows it with 15 significant digits.
  double DisplayNumber() const;
  void SetDisplayNumber(double Value);
  AnsiString DisplayString() const;
  TSpeedButtonEh* EqualButton() const { return FEqual; }
  TLabel* TextBox() const { return FTextBox; }
  TPanel* Panel() const { return FPanel; }
  // The button sending a key (null when none does).
  TSpeedButtonEh* ButtonOfKey(char Key) const;
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // The calculator's processing of one key (upper-cased first).
  virtual void HandleKey(char Key);
  void Reset();

protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(char& Key) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void SpeedButtonClick(TObject* Sender);
  void RefreshEqualsCaption();

private:
  void BuildForm();
  void ScaleForFont();
  void StartNumber();
  void ShowError();
  void CalcKey(char Key);
  void SetDisplay(const AnsiString& Text);

  Integer FStatus = 0;
  char FOperator = '=';
  double FOperand = 0;
  TBorderStyle FBorderStyle = bsNone;
  TLabel* FTextBox = nullptr;
  TSpeedButtonEh* FEqual = nullptr;
  TPanel* FPanel = nullptr;
};

class TPopupCalculatorEh : public TCalculatorEh, public IDropDownValueEh {
public:
  explicit TPopupCalculatorEh(TComponent* AOwner);

  bool EnterAccepts() override;
  bool FlatLook() override { return FFlatLook; }
  void SetFlatLook(bool Value) override;
  Variant DropDownValue() override;
  void SetDropDownValue(const Variant& Value) override;
  void HandleKey(char Key) override;
  Integer BorderWidthEh() const { return Ctl3D() ? 2 : 0; }

protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

private:
  void CloseUp(bool Accept);

  bool FFlatLook = true;
};

void CalculatorEhInitialization();
