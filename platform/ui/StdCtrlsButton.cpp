// Push buttons: TButtonControl (the base of every button) and TButton (default and cancel
// buttons, modal results). StdCtrls.h describes them.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"

void stdctrls::RegisterButtonClasses()
{
  TClassRegistration<TButtonControl, TWinControl>("TButtonControl");
  TClassRegistration<TButton, TButtonControl>("TButton")
      .Property("Cancel", &TButton::Cancel, &TButton::SetCancel)
      .Default(false)
      .Property("Default", &TButton::Default, &TButton::SetDefault)
      .Default(false)
      .Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
      .Default(0);
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner)
{
  FTabStop = true;
}

void TButtonControl::Dispatch(TMessage& Message)
{
  if (Message.Msg == CN_COMMAND) {
    CNCommand(Message);
    return;
  }
  TWinControl::Dispatch(Message);
}

void TButtonControl::CNCommand(TMessage& Message)
{
  if (HIWORD(Message.WParam) == BN_CLICKED && !FClicksDisabled)
    Click();
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
  // Clicks come as BN_CLICKED from the button's own mouse and key handling.
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csCaptureMouse};
  FWidth = 75;
  FHeight = 25;
  FColor = clBtnFace;
  FParentColor = false;
}

void TButton::SetDefault(bool Value)
{
  if (Value == FDefault)
    return;
  FDefault = Value;
  Invalidate();
}

void TButton::CreateParams(TCreateParams& Params)
{
  TButtonControl::CreateParams(Params);
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click()
{
  if (TCustomForm* form = GetParentForm(this))
    form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

bool TButton::IsActive() const
{
  if (Focused())
    return true;
  if (!FDefault)
    return false;
  // The default button answers Enter unless the focus is on another button.
  TWinControl* focus = FindControl(GetFocus());
  return !dynamic_cast<TButton*>(focus);
}

void TButton::NotifyClicked()
{
  if (FParent && FParent->HandleAllocated() && HandleAllocated())
    SendMessage(FParent->Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                static_cast<LPARAM>(Handle()));
  else
    Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
}

void TButton::SetPushed(bool Value)
{
  if (Value == FPushed)
    return;
  FPushed = Value;
  Invalidate();
}

void TButton::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DIALOGKEY: {
    Word key = static_cast<Word>(Message.WParam);
    bool plain = KeyDataToShiftState(Message.LParam).Empty();
    if (((key == VK_RETURN && IsActive()) || (key == VK_ESCAPE && FCancel)) && plain &&
        CanFocus()) {
      Message.Result = 1;
      Click();
      return;
    }
    TButtonControl::Dispatch(Message);
    return;
  }
  case CM_DIALOGCHAR:
    if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      Message.Result = 1;
      Click();
    }
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_BUTTON | (IsActive() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    return;
  case CM_FOCUSCHANGED:
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    // The default look follows the focus: it moves to a focused button and back.
    Invalidate();
    if (Message.Msg == WM_KILLFOCUS) {
      FSpaceDown = false;
      SetPushed(false);
    }
    break;
  case CM_TEXTCHANGED:
  case CM_ENABLEDCHANGED:
    Invalidate();
    break;
  }
  TButtonControl::Dispatch(Message);
}

void TButton::KeyDown(Word& Key, TShiftState Shift)
{
  TButtonControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    FSpaceDown = true;
    SetPushed(true);
    Key = 0;
  }
}

void TButton::KeyUp(Word& Key, TShiftState Shift)
{
  TButtonControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    SetPushed(false);
    Key = 0;
    NotifyClicked();
  }
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Button == mbLeft)
    SetPushed(true);
  TButtonControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (Shift.Contains(ssLeft) && GetCapture() == FHandle)
    SetPushed(PtInRect(ClientRect(), Point(X, Y)));
  TButtonControl::MouseMove(Shift, X, Y);
}

// A release over the pressed button clicks it, through BN_CLICKED as a native button would.
void TButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  bool clicked = Button == mbLeft && FPushed;
  if (Button == mbLeft)
    SetPushed(false);
  TDestroyWatch watch(this);
  TButtonControl::MouseUp(Button, Shift, X, Y);
  if (clicked && !watch.Destroyed())
    NotifyClicked();
}

void TButton::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  TRect edge = r;
  if (IsActive()) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(edge);
    InflateRect(edge, -1, -1);
  }
  if (FPushed) {
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(edge);
  } else {
    DrawEdge(c, edge, EDGE_RAISED, BF_RECT);
  }
  c->SetFont(FFont);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(FEnabled ? clBtnText : clGrayText);
  TRect text = r;
  if (FPushed)
    OffsetRect(text, 1, 1);
  c->DrawText(Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    TRect focus = r;
    InflateRect(focus, -4, -4);
    c->DrawFocusRect(focus);
  }
  BindCanvasToDC(*FCanvas, 0);
}
