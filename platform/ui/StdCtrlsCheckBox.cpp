// Check boxes (TCustomCheckBox/TCheckBox) and radio buttons (TRadioButton) over the button
// window of StdCtrlsButton.cpp. StdCtrls.h describes them.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"

void stdctrls::RegisterCheckBoxClasses()
{
  RegisterEnumType<TCheckBoxState>("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
  TClassRegistration<TCustomCheckBox, TButtonControl>("TCustomCheckBox");
  TClassRegistration<TCheckBox, TCustomCheckBox>("TCheckBox")
      .Property("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment)
      .Default(taRightJustify)
      .Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed)
      .Default(false)
      .Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)
      .Default(false)
      .Property("State", &TCheckBox::State, &TCheckBox::SetState)
      .Default(cbUnchecked);
  TClassRegistration<TRadioButton, TButtonControl>("TRadioButton")
      .Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment)
      .Default(taRightJustify)
      .Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked)
      .Default(false);
}

namespace {

constexpr Integer kCheckStates[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};

// A check box's or radio button's accelerator focuses it and acts as a click.
bool DialogChar(TButtonControl* Button, TMessage& Message)
{
  if (!IsAccel(static_cast<Word>(Message.WParam), Button->Caption()) || !Button->CanFocus())
    return false;
  Button->SetFocus();
  Message.Result = 1;
  return Button->Focused();
}

} // namespace

// ---- TCustomCheckBox ----

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
  FWidth = 97;
  FHeight = 17;
}

void TCustomCheckBox::CreateParams(TCreateParams& Params)
{
  TButtonControl::CreateParams(Params);
  Params.Style |= BS_3STATE;
  if (FAlignment == taLeftJustify)
    Params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd()
{
  TButtonControl::CreateWnd();
  SetCheckState(kCheckStates[FState]);
}

void TCustomCheckBox::SetAlignment(TLeftRight Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  stdctrls::RecreateKeepingFocus(this);
}

// Setting the state (from code too) is a click, unless clicks are disabled.
void TCustomCheckBox::SetState(TCheckBoxState Value)
{
  if (Value == FState)
    return;
  FState = Value;
  SetCheckState(kCheckStates[Value]);
  if (!ClicksDisabled())
    Click();
}

void TCustomCheckBox::Toggle()
{
  switch (FState) {
  case cbUnchecked:
    SetState(cbChecked);
    break;
  case cbChecked:
    SetState(FAllowGrayed ? cbGrayed : cbUnchecked);
    break;
  case cbGrayed:
    SetState(cbUnchecked);
    break;
  }
}

void TCustomCheckBox::CNCommand(TMessage& Message)
{
  if (HIWORD(Message.WParam) == BN_CLICKED)
    Toggle();
}

void TCustomCheckBox::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DIALOGCHAR:
    if (DialogChar(this, Message))
      Toggle();
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_BUTTON;
    return;
  }
  TButtonControl::Dispatch(Message);
}

// ---- TRadioButton ----

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
  FWidth = 113;
  FHeight = 17;
}

void TRadioButton::CreateParams(TCreateParams& Params)
{
  TButtonControl::CreateParams(Params);
  Params.Style |= BS_RADIOBUTTON;
  if (FAlignment == taLeftJustify)
    Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd()
{
  TButtonControl::CreateWnd();
  SetCheckState(FChecked ? BST_CHECKED : BST_UNCHECKED);
}

void TRadioButton::SetAlignment(TLeftRight Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  stdctrls::RecreateKeepingFocus(this);
}

// Checking a radio button unchecks its siblings and is a click (unless clicks are
// disabled); only the checked button of a group is a tab stop.
void TRadioButton::SetChecked(bool Value)
{
  if (Value == FChecked)
    return;
  FChecked = Value;
  SetTabStop(Value);
  SetCheckState(Value ? BST_CHECKED : BST_UNCHECKED);
  if (!Value)
    return;
  if (TWinControl* parent = Parent()) {
    for (Integer i = 0; i < parent->ControlCount(); ++i) {
      auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i));
      if (sibling && sibling != this)
        sibling->SetChecked(false);
    }
  }
  if (!ClicksDisabled())
    Click();
}

void TRadioButton::CNCommand(TMessage& Message)
{
  switch (HIWORD(Message.WParam)) {
  case BN_CLICKED:
    SetChecked(true);
    break;
  case BN_DOUBLECLICKED:
    DblClick();
    break;
  }
}

void TRadioButton::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DIALOGCHAR:
    if (DialogChar(this, Message))
      SetChecked(true);
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON;
    return;
  }
  TButtonControl::Dispatch(Message);
}
