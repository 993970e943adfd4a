// The button window (TButtonControl: pressing, BM_ messages, painting each kind of button)
// and the push button (TButton: default and cancel buttons, modal results). StdCtrls.h
// describes them; check boxes and radio buttons are in StdCtrlsCheckBox.cpp.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

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

// ---- TButtonControl ----

TButtonControl::TButtonControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
  // Clicks come as BN_CLICKED from the button's own mouse and key handling.
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csCaptureMouse};
  FTabStop = true;
}

TButtonControl::~TButtonControl() = default;

DWORD TButtonControl::ButtonKind() const
{
  if (!FHandle)
    return BS_PUSHBUTTON;
  return static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE)) & BS_TYPEMASK;
}

bool TButtonControl::DefaultLook() const
{
  return FHandle && ButtonKind() == BS_DEFPUSHBUTTON;
}

void TButtonControl::SetPushed(bool Value)
{
  if (Value == FPushed)
    return;
  FPushed = Value;
  Invalidate();
}

void TButtonControl::SetCheckState(Integer Value)
{
  if (Value == FCheckState)
    return;
  FCheckState = Value;
  Invalidate();
}

void TButtonControl::NotifyClicked(Word Code)
{
  stdctrls::NotifyParent(this, Code);
}

void TButtonControl::CNCommand(TMessage& Message)
{
  if (HIWORD(Message.WParam) == BN_CLICKED && !FClicksDisabled)
    Click();
}

// The automatic kinds take their next check state when released.
void TButtonControl::Released()
{
  switch (ButtonKind()) {
  case BS_AUTOCHECKBOX:
    SetCheckState(FCheckState == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    break;
  case BS_AUTO3STATE:
    SetCheckState((FCheckState + 1) % 3);
    break;
  case BS_AUTORADIOBUTTON:
    SetCheckState(BST_CHECKED);
    break;
  }
}

void TButtonControl::KeyDown(Word& Key, TShiftState Shift)
{
  TWinControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE && ButtonKind() != BS_GROUPBOX) {
    FSpaceDown = true;
    SetPushed(true);
    Key = 0;
  }
}

void TButtonControl::KeyUp(Word& Key, TShiftState Shift)
{
  TWinControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    SetPushed(false);
    Key = 0;
    Released();
    NotifyClicked();
  }
}

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Button == mbLeft) {
    DWORD kind = ButtonKind();
    bool doubleKind = kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON || kind == BS_OWNERDRAW;
    if (Shift.Contains(ssDouble) && doubleKind) {
      TDestroyWatch watch(this);
      NotifyClicked(BN_DOUBLECLICKED);
      if (watch.Destroyed())
        return;
    } else if (kind != BS_GROUPBOX) {
      SetPushed(true);
    }
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TButtonControl::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (Shift.Contains(ssLeft) && GetCapture() == FHandle && !FSpaceDown)
    SetPushed(PtInRect(ClientRect(), Point(X, Y)));
  TWinControl::MouseMove(Shift, X, Y);
}

// A release over the pressed button clicks it, through BN_CLICKED as a native button would.
void TButtonControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  bool clicked = Button == mbLeft && FPushed && !FSpaceDown;
  if (Button == mbLeft && !FSpaceDown)
    SetPushed(false);
  TDestroyWatch watch(this);
  TWinControl::MouseUp(Button, Shift, X, Y);
  if (!clicked || watch.Destroyed())
    return;
  Released();
  NotifyClicked();
}

void TButtonControl::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CN_COMMAND:
    CNCommand(Message);
    return;
  case BM_GETCHECK:
    Message.Result = FCheckState;
    return;
  case BM_SETCHECK:
    SetCheckState(std::clamp<Integer>(static_cast<Integer>(Message.WParam), BST_UNCHECKED,
                                      BST_INDETERMINATE));
    return;
  case BM_GETSTATE:
    Message.Result = FCheckState | (FPushed ? BST_PUSHED : 0) | (Focused() ? BST_FOCUS : 0);
    return;
  case BM_SETSTATE:
    SetPushed(Message.WParam != 0);
    return;
  case BM_SETSTYLE: {
    LONG_PTR style = GetWindowLong(FHandle, GWL_STYLE);
    style =
        (style & ~LONG_PTR(BS_TYPEMASK)) | (static_cast<LONG_PTR>(Message.WParam) & BS_TYPEMASK);
    SetWindowLong(FHandle, GWL_STYLE, style);
    if (Message.LParam)
      Invalidate();
    return;
  }
  case BM_CLICK:
    if (FEnabled) {
      Released();
      NotifyClicked();
    }
    return;
  case WM_SETFOCUS: {
    TWinControl::Dispatch(Message);
    DWORD kind = ButtonKind();
    // A radio button reached with the keyboard is chosen.
    if ((kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON) && GetKeyState(VK_LBUTTON) >= 0 &&
        FCheckState != BST_CHECKED) {
      Released();
      NotifyClicked();
    }
    Invalidate();
    return;
  }
  case WM_KILLFOCUS:
    FSpaceDown = false;
    SetPushed(false);
    Invalidate();
    break;
  case WM_CAPTURECHANGED:
    // Another window took the capture while the button was held: no click. (The release
    // itself frees the capture before MouseUp, with the button already up.)
    if (!FSpaceDown && GetKeyState(VK_LBUTTON) < 0)
      SetPushed(false);
    break;
  case CM_TEXTCHANGED:
  case CM_ENABLEDCHANGED:
  case CM_FONTCHANGED:
    Invalidate();
    break;
  }
  TWinControl::Dispatch(Message);
}

// ---- Painting ----

Cardinal TButtonControl::CaptionFormat() const
{
  return DT_SINGLELINE | DT_VCENTER;
}

void TButtonControl::PaintWindow(HDC DC)
{
  DWORD kind = ButtonKind();
  if (kind == BS_OWNERDRAW) {
    PaintOwnerDraw(DC);
    return;
  }
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  c->SetFont(FFont.get());
  switch (kind) {
  case BS_CHECKBOX:
  case BS_AUTOCHECKBOX:
  case BS_3STATE:
  case BS_AUTO3STATE:
    PaintCheckButton(c, false);
    break;
  case BS_RADIOBUTTON:
  case BS_AUTORADIOBUTTON:
    PaintCheckButton(c, true);
    break;
  case BS_GROUPBOX:
    PaintGroupBox(c);
    break;
  default:
    PaintPushButton(c);
    break;
  }
  BindCanvasToDC(*FCanvas, 0);
}

void TButtonControl::PaintPushButton(TCanvas* c)
{
  TRect r = ClientRect();
  TPaintState state;
  if (FPushed)
    state.Include(psPushed);
  if (DefaultLook())
    state.Include(psDefault);
  if (FCheckState == BST_CHECKED)
    state.Include(psChecked);
  TRect content = PaintButtonFace(c, r, state);
  c->Font()->SetColor(clBtnText);
  Cardinal format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (FHandle && (GetWindowLong(FHandle, GWL_STYLE) & BS_MULTILINE))
    format = DT_CENTER | DT_WORDBREAK;
  PaintText(c, Caption(), content, format, FEnabled);
  if (Focused()) {
    TRect focus = r;
    InflateRect(focus, -4, -4);
    c->Brush()->SetStyle(bsSolid);
    c->DrawFocusRect(focus);
  }
}

void TButtonControl::PaintCheckButton(TCanvas* c, bool Radio)
{
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  bool leftText = FHandle && (GetWindowLong(FHandle, GWL_STYLE) & BS_LEFTTEXT);
  Integer top = r.Top + (r.Height() - cCheckBoxSize) / 2;
  Integer boxLeft = leftText ? r.Right - cCheckBoxSize : r.Left;
  TRect box = Rect(boxLeft, top, boxLeft + cCheckBoxSize, top + cCheckBoxSize);
  TPaintState state;
  if (FPushed)
    state.Include(psPushed);
  if (!FEnabled)
    state.Include(psDisabled);
  if (FCheckState == BST_CHECKED)
    state.Include(psChecked);
  if (FCheckState == BST_INDETERMINATE)
    state.Include(psGrayed);
  if (Radio)
    PaintRadioButton(c, box, state);
  else
    PaintCheckBox(c, box, state);
  TRect text = leftText ? Rect(r.Left, r.Top, box.Left - 4, r.Bottom)
                        : Rect(box.Right + 4, r.Top, r.Right, r.Bottom);
  c->Font()->SetColor(FFont->Color());
  PaintText(c, Caption(), text, CaptionFormat() | (leftText ? DT_RIGHT : DT_LEFT), FEnabled);
  if (Focused() && !Caption().empty()) {
    TRect focus = text;
    c->DrawText(Caption(), focus, CaptionFormat() | DT_CALCRECT);
    Integer h = focus.Height();
    focus.Top = r.Top + (r.Height() - h) / 2;
    focus.Bottom = focus.Top + h;
    if (leftText)
      OffsetRect(focus, text.Right - focus.Right, 0);
    InflateRect(focus, 1, 1);
    c->Brush()->SetStyle(bsSolid);
    c->DrawFocusRect(focus);
  }
}

void TButtonControl::PaintGroupBox(TCanvas* c)
{
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  c->Font()->SetColor(FFont->Color());
  PaintGroupFrame(c, r, Caption(), FEnabled);
}

// The parent draws an owner-drawn button (WM_DRAWITEM, reflected back as CN_DRAWITEM); a
// parent that does not reflect it leaves the request to the button itself.
void TButtonControl::PaintOwnerDraw(HDC DC)
{
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_BUTTON;
  dis.CtlID = static_cast<UINT>(GetWindowLong(FHandle, GWL_ID));
  dis.itemAction = ODA_DRAWENTIRE;
  if (FPushed)
    dis.itemState |= ODS_SELECTED;
  if (Focused())
    dis.itemState |= ODS_FOCUS;
  if (!FEnabled)
    dis.itemState |= ODS_DISABLED;
  if (FCheckState == BST_CHECKED)
    dis.itemState |= ODS_CHECKED;
  dis.hwndItem = FHandle;
  dis.hDC = DC;
  dis.rcItem = ClientRect();
  HWND parent = GetParent(FHandle);
  LPARAM l = reinterpret_cast<LPARAM>(&dis);
  TDestroyWatch watch(this);
  LRESULT drawn = parent ? SendMessage(parent, WM_DRAWITEM, dis.CtlID, l) : 0;
  if (!drawn && !watch.Destroyed() && !FindControl(parent))
    Perform(CN_DRAWITEM, dis.CtlID, l);
}

// ---- TButton ----

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
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
  if (HandleAllocated() && ButtonKind() != BS_OWNERDRAW)
    Perform(BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, 1);
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
    // The default look follows the focus: it moves to a focused button and back.
    Invalidate();
    break;
  }
  TButtonControl::Dispatch(Message);
}
