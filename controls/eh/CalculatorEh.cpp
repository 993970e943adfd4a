// The calculator and the popup calculator (see CalculatorEh.h).
#include "controls/eh/CalculatorEh.h"

#include <cmath>

#include "controls/eh/DropDownsEhPrivate.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Clipbrd.h"

const char CalculatorButtonKeysEh[24] = {0,   '7', '8', '9', '/', 'S', 'C', '4',
                                         '5', '6', '*', '%', 'A', '1', '2', '3',
                                         '-', 'R', 8,   '0', 'I', '.', '+', '='};

namespace {

// The buttons of TCALCULATOREH: tag, caption, bounds; blue or red caption.
struct TButtonDef {
  Integer Tag;
  const char* Caption;
  TRect Bounds;
  bool Blue;
};

constexpr Integer ColX[6] = {6, 35, 64, 93, 122, 151};
constexpr Integer RowY[4] = {29, 53, 77, 101};

TRect Cell(Integer Row, Integer Col, Integer W = 27, Integer H = 22)
{
  return Bounds(ColX[Col - 1], RowY[Row - 1], W, H);
}

const TButtonDef ButtonDefs[] = {
    {1, "7", Cell(1, 1), true},
    {2, "8", Cell(1, 2), true},
    {3, "9", Cell(1, 3), true},
    {4, "/", Cell(1, 4), false},
    {5, "sqrt", Cell(1, 5), true},
    {6, "C", Cell(1, 6, 27, 46), false},
    {7, "4", Cell(2, 1), true},
    {8, "5", Cell(2, 2), true},
    {9, "6", Cell(2, 3), true},
    {10, "*", Cell(2, 4), false},
    {11, "%", Cell(2, 5), true},
    {12, "Cancel", Bounds(151, 52, 27, 23), false},
    {13, "1", Cell(3, 1), true},
    {14, "2", Cell(3, 2), true},
    {15, "3", Cell(3, 3), true},
    {16, "-", Cell(3, 4), false},
    {17, "1/x", Cell(3, 5), true},
    {18, "<-", Cell(3, 6), false},
    {19, "0", Cell(4, 1), true},
    {20, "+/-", Cell(4, 2), true},
    {21, ".", Cell(4, 3), true},
    {22, "+", Cell(4, 4), false},
    {23, "Ok", Cell(4, 5, 56, 22), false},
};

// The text height the form was designed with (MS Sans Serif -11 at 96 pixels per inch).
constexpr Integer DesignTextHeight = 13;
constexpr Integer DesignClientWidth = 184;
constexpr Integer DesignClientHeight = 127;

AnsiString FormatDisplay(double Value)
{
  return FloatToStrF(Value, ffGeneral, 15, 0);
}

} // namespace

// ---- TCalculatorEh ----

TCalculatorEh::TCalculatorEh(TComponent* AOwner) : TCustomControl(AOwner)
{
  FColor = clBtnFace;
  FParentColor = false;
  FParentFont = false;
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-11);
  BuildForm();
}

void TCalculatorEh::BuildForm()
{
  FPanel = new TPanel(this);
  FPanel->SetBounds(6, 4, 171, 19);
  FPanel->SetBevelOuter(bvNone);
  FPanel->SetBorderWidth(2);
  FPanel->SetParentColor(false);
  FPanel->SetColor(clHighlightText);
  FPanel->SetCaption("");
  FPanel->SetParent(this);
  FTextBox = new TLabel(this);
  FTextBox->SetBounds(2, 1, 166, 17);
  FTextBox->SetAlignment(taRightJustify);
  FTextBox->SetLayout(tlCenter);
  FTextBox->SetAutoSize(false);
  FTextBox->SetCaption("0");
  FTextBox->SetParent(FPanel);
  for (const TButtonDef& def : ButtonDefs) {
    auto* b = new TSpeedButtonEh(this);
    b->SetTag(def.Tag);
    b->SetCaption(def.Caption);
    b->SetBoundsRect(def.Bounds);
    b->SetFlat(true);
    b->SetLayout(blGlyphRight);
    b->SetTransparent(false);
    b->SetStyle(ebsGlyphEh);
    b->SetActive(true);
    b->SetParentFont(false);
    b->Font()->Assign(Font());
    b->Font()->SetColor(def.Blue ? clBlue : clRed);
    b->OnClick = TNotifyEvent::Bind(this, &TCalculatorEh::SpeedButtonClick);
    b->SetParent(this);
    if (def.Tag == 23)
      FEqual = b;
  }
  // "Cancel" lies under "C".
  ButtonOfKey('C')->BringToFront();
  SetClientWidth(DesignClientWidth);
  SetClientHeight(DesignClientHeight);
  ScaleForFont();
}

// The form was laid out for a font whose "0" is 13 pixels high; another font scales the
// children and the client area by the ratio of the heights.
void TCalculatorEh::ScaleForFont()
{
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Font());
  Integer height = probe.Canvas()->TextHeight("0");
  if (height <= 0 || height == DesignTextHeight)
    return;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(MulDiv(c->Left(), height, DesignTextHeight),
                 MulDiv(c->Top(), height, DesignTextHeight),
                 MulDiv(c->Width(), height, DesignTextHeight),
                 MulDiv(c->Height(), height, DesignTextHeight));
  }
  FTextBox->SetBounds(MulDiv(2, height, DesignTextHeight), MulDiv(1, height, DesignTextHeight),
                      MulDiv(166, height, DesignTextHeight), MulDiv(17, height, DesignTextHeight));
  SetClientWidth(MulDiv(DesignClientWidth, height, DesignTextHeight));
  SetClientHeight(MulDiv(DesignClientHeight, height, DesignTextHeight));
}

void TCalculatorEh::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  if (HandleAllocated())
    RecreateWnd();
}

void TCalculatorEh::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

TSpeedButtonEh* TCalculatorEh::ButtonOfKey(char Key) const
{
  for (Integer i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TSpeedButtonEh*>(Controls(i)))
      if (b->Tag() > 0 && b->Tag() < 24 && CalculatorButtonKeysEh[b->Tag()] == Key)
        return b;
  return nullptr;
}

AnsiString TCalculatorEh::DisplayString() const
{
  return FTextBox->Caption();
}

void TCalculatorEh::SetDisplay(const AnsiString& Text)
{
  FTextBox->SetCaption(Text);
}

double TCalculatorEh::DisplayNumber() const
{
  if (FStatus == 2)
    return 0;
  return static_cast<double>(StrToFloat(Trim(DisplayString())));
}

void TCalculatorEh::SetDisplayNumber(double Value)
{
  SetDisplay(FormatDisplay(Value));
}

void TCalculatorEh::StartNumber()
{
  if (FStatus != 0)
    return;
  FStatus = 1;
  SetDisplay("0");
}

void TCalculatorEh::ShowError()
{
  FStatus = 2;
  SetDisplay("Error");
}

void TCalculatorEh::Reset()
{
  FStatus = 0;
  SetDisplay("0");
  FOperator = '=';
  FOperand = 0;
}

void TCalculatorEh::RefreshEqualsCaption()
{
  bool pending = FOperand != 0 && FStatus == 1 &&
                 (FOperator == '*' || FOperator == '+' || FOperator == '-' || FOperator == '/');
  FEqual->SetCaption(pending ? "=" : "Ok");
}

void TCalculatorEh::HandleKey(char Key)
{
  CalcKey(Key);
  RefreshEqualsCaption();
}

void TCalculatorEh::CalcKey(char Key)
{
  Key = static_cast<char>(std::toupper(static_cast<unsigned char>(Key)));
  if (FStatus == 2 && Key != 'C')
    return;
  char separator = FormatSettings.DecimalSeparator;
  if (Key == separator || Key == ',' || Key == '.') {
    StartNumber();
    if (DisplayString().find(separator) == AnsiString::npos)
      SetDisplay(DisplayString() + separator);
    return;
  }
  switch (Key) {
  case 3:
    Clipboard()->SetAsText(DisplayString());
    return;
  case 22:
    // A text that is no number raises the conversion error before the display changes.
    if (Clipboard()->HasFormat(CF_TEXT))
      SetDisplayNumber(static_cast<double>(StrToFloat(Trim(Clipboard()->AsText()))));
    return;
  case 8: {
    StartNumber();
    AnsiString d = DisplayString();
    if (d.size() == 1 || (d.size() == 2 && d[0] == '-'))
      SetDisplay("0");
    else
      SetDisplay(d.substr(0, d.size() - 1));
    return;
  }
  case 13:
  case '%':
  case '*':
  case '+':
  case '-':
  case '/':
  case '=': {
    if (FStatus == 1) {
      FStatus = 0;
      double r = DisplayNumber();
      if (Key == '%') {
        if (FOperator == '*' || FOperator == '/')
          r = r / 100;
        else if (FOperator == '+' || FOperator == '-')
          r = FOperand * r / 100;
      }
      switch (FOperator) {
      case '*':
        SetDisplayNumber(FOperand * r);
        break;
      case '+':
        SetDisplayNumber(FOperand + r);
        break;
      case '-':
        SetDisplayNumber(FOperand - r);
        break;
      case '/':
        if (r != 0)
          SetDisplayNumber(FOperand / r);
        else
          ShowError();
        break;
      }
    }
    FOperator = Key;
    FOperand = DisplayNumber();
    return;
  }
  case 27:
  case 'C':
    Reset();
    return;
  case 'I':
    SetDisplayNumber(-DisplayNumber());
    return;
  case 'R':
    FStatus = 0;
    if (DisplayNumber() == 0)
      ShowError();
    else
      SetDisplayNumber(1 / DisplayNumber());
    return;
  case 'S':
    FStatus = 0;
    if (DisplayNumber() < 0)
      ShowError();
    else
      SetDisplayNumber(std::sqrt(DisplayNumber()));
    return;
  }
  if (Key >= '0' && Key <= '9') {
    StartNumber();
    AnsiString d = DisplayString();
    if (d == "0")
      d.clear();
    size_t limit = !d.empty() && d[0] == '-' ? 16 : 15;
    if (d.find('E') == AnsiString::npos && d.size() < limit)
      d += Key;
    SetDisplay(d.empty() ? AnsiString("0") : d);
  }
}

void TCalculatorEh::KeyPress(char& Key)
{
  TCustomControl::KeyPress(Key);
  if (Key != 0)
    HandleKey(Key);
}

bool TCalculatorEh::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  // One per notch (a message may carry several).
  Integer notches = WheelDelta / WHEEL_DELTA;
  if (notches == 0)
    notches = WheelDelta > 0 ? 1 : -1;
  if (FStatus != 2)
    SetDisplayNumber(DisplayNumber() + notches);
  return true;
}

void TCalculatorEh::SpeedButtonClick(TObject* Sender)
{
  auto* button = dynamic_cast<TControl*>(Sender);
  NativeInt tag = button ? button->Tag() : 0;
  HandleKey(tag >= 0 && tag < 24 ? CalculatorButtonKeysEh[tag] : 0);
}

// ---- TPopupCalculatorEh ----

TPopupCalculatorEh::TPopupCalculatorEh(TComponent* AOwner) : TCalculatorEh(AOwner)
{
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetCtl3D(true);
  SetParentCtl3D(false);
  FTabStop = false;
  FVisible = false;
  Integer border = 2 * BorderWidthEh();
  SetBounds(0, 0, ClientWidth() + border, ClientHeight() + border);
}

void TPopupCalculatorEh::CreateParams(TCreateParams& Params)
{
  TCalculatorEh::CreateParams(Params);
  Params.Style &= ~DWORD(WS_CHILD | WS_VISIBLE | WS_BORDER);
  Params.Style |= WS_POPUP | WS_CLIPCHILDREN;
  if (!Ctl3D())
    Params.Style |= WS_BORDER;
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = 0;
}

void TPopupCalculatorEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_MOUSEACTIVATE:
    Message.Result = MA_NOACTIVATE;
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
    return;
  case WM_NCCALCSIZE:
  case WM_NCPAINT:
    TCalculatorEh::Dispatch(Message);
    DropDownFrameMessage(this, Message, TDropDownFrameEh::DarkShadow);
    return;
  case CM_CALENDARCLOSEEH:
    CloseUp(false);
    return;
  }
  TCalculatorEh::Dispatch(Message);
}

void TPopupCalculatorEh::CloseUp(bool Accept)
{
  if (auto* owner = dynamic_cast<IDropDownOwnerEh*>(Owner()))
    owner->CloseDropDown(Accept);
}

void TPopupCalculatorEh::HandleKey(char Key)
{
  if ((Key == 13 || Key == '=') && EnterAccepts()) {
    CloseUp(true);
    return;
  }
  // Esc, and the "Cancel" button, close without accepting.
  if (Key == 27 || Key == 'A' || Key == 'a') {
    CloseUp(false);
    return;
  }
  TCalculatorEh::HandleKey(Key);
}

bool TPopupCalculatorEh::EnterAccepts()
{
  return EqualButton()->Caption() == "Ok";
}

void TPopupCalculatorEh::SetFlatLook(bool Value)
{
  if (Value == FFlatLook)
    return;
  FFlatLook = Value;
  for (Integer i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TSpeedButtonEh*>(Controls(i)))
      b->SetFlat(Value);
}

Variant TPopupCalculatorEh::DropDownValue()
{
  if (EntryState() == 2)
    return VarAsError(-1);
  return Variant(DisplayNumber());
}

void TPopupCalculatorEh::SetDropDownValue(const Variant& Value)
{
  Reset();
  SetDisplayNumber(VarIsNull(Value) || VarIsEmpty(Value) ? 0.0 : Value.AsDouble());
  RefreshEqualsCaption();
}

void CalculatorEhInitialization()
{
  TClassRegistration<TCalculatorEh, TCustomControl>("TCalculatorEh");
  TClassRegistration<TPopupCalculatorEh, TCalculatorEh>("TPopupCalculatorEh");
}
