// Labels: TCustomLabel/TLabel, windowless captions with '&' accelerators that focus
// another control, and TCustomStaticText/TStaticText, the same with a window of its own.
// StdCtrls.h describes them.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void stdctrls::RegisterLabelClasses()
{
  RegisterEnumType<TAlignment>("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  RegisterEnumType<TTextLayout>("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
  TClassRegistration<TCustomLabel, TGraphicControl>("TCustomLabel");
  TClassRegistration<TLabel, TCustomLabel>("TLabel")
      .Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment)
      .Default(taLeftJustify)
      .Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize)
      .Default(true)
      .Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
      .Property("Layout", &TLabel::Layout, &TLabel::SetLayout)
      .Default(tlTop)
      .Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar)
      .Default(true)
      .Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
      .Default(false)
      .Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
      .Default(false);
  RegisterEnumType<TStaticBorderStyle>("TStaticBorderStyle", {"sbsNone", "sbsSingle", "sbsSunken"});
  TClassRegistration<TCustomStaticText, TWinControl>("TCustomStaticText");
  TClassRegistration<TStaticText, TCustomStaticText>("TStaticText")
      .Property("Alignment", &TStaticText::Alignment, &TStaticText::SetAlignment)
      .Default(taLeftJustify)
      .Property("AutoSize", &TStaticText::AutoSize, &TStaticText::SetAutoSize)
      .Default(true)
      .Property("BorderStyle", &TStaticText::BorderStyle, &TStaticText::SetBorderStyle)
      .Default(sbsNone)
      .Property("FocusControl", &TStaticText::FocusControl, &TStaticText::SetFocusControl)
      .Property("ShowAccelChar", &TStaticText::ShowAccelChar, &TStaticText::SetShowAccelChar)
      .Default(true);
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FControlStyle = FControlStyle + TControlStyle{csOpaque, csReplicatable};
  FWidth = 65;
  FHeight = 17;
  FAutoSize = true;
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl)
    FFocusControl = nullptr;
}

void TCustomLabel::SetFocusControl(TWinControl* Value)
{
  ReplaceComponentReference(this, Value, FFocusControl);
}

void TCustomLabel::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value)
{
  if (Value == Transparent())
    return;
  if (Value)
    FControlStyle = FControlStyle - TControlStyle{csOpaque};
  else
    FControlStyle = FControlStyle + TControlStyle{csOpaque};
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value)
{
  if (Value == FWordWrap)
    return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value)
{
  if (Value == FShowAccelChar)
    return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

Cardinal TCustomLabel::DrawTextFlags() const
{
  Cardinal flags = FAlignment == taCenter         ? DT_CENTER
                   : FAlignment == taRightJustify ? DT_RIGHT
                                                  : DT_LEFT;
  flags |= DT_EXPANDTABS;
  if (FWordWrap)
    flags |= DT_WORDBREAK;
  if (!FShowAccelChar)
    flags |= DT_NOPREFIX;
  return flags;
}

void TCustomLabel::AdjustBounds()
{
  if (!FAutoSize || ComponentState().Contains(csLoading))
    return;
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(FFont.get());
  AnsiString text = Caption();
  if (text.empty() || (FShowAccelChar && text == "&"))
    text = " ";
  TRect r = Rect(0, 0, FWordWrap ? FWidth : 0, 0);
  c->DrawText(text, r, DrawTextFlags() | DT_CALCRECT);
  ReleaseDC(0, dc);
  Integer left = FLeft;
  if (FAlignment == taRightJustify)
    left += FWidth - r.Width();
  else if (FAlignment == taCenter)
    left += (FWidth - r.Width()) / 2;
  SetBounds(FWordWrap ? FLeft : left, FTop, FWordWrap ? FWidth : r.Width(), r.Height());
}

void TCustomLabel::Paint()
{
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!Transparent()) {
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  c->SetFont(FFont.get());
  Cardinal flags = DrawTextFlags();
  if (FLayout != tlTop) {
    TRect calc = r;
    c->DrawText(Caption(), calc, flags | DT_CALCRECT);
    Integer offset = r.Height() - calc.Height();
    r.Top += FLayout == tlBottom ? offset : offset / 2;
  }
  if (!FEnabled) {
    c->Font()->SetColor(clGrayText);
  }
  c->DrawText(Caption(), r, flags);
}

void TCustomLabel::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DIALOGCHAR:
    // Alt+letter or the letter alone (outside edits) moves the focus to FocusControl.
    if (FFocusControl && FEnabled && FShowAccelChar &&
        IsAccel(static_cast<Word>(Message.WParam), Caption()) && FFocusControl->CanFocus()) {
      FFocusControl->SetFocus();
      Message.Result = 1;
    }
    return;
  case CM_TEXTCHANGED:
    AdjustBounds();
    Invalidate();
    return;
  case CM_FONTCHANGED:
    TGraphicControl::Dispatch(Message);
    AdjustBounds();
    return;
  }
  TGraphicControl::Dispatch(Message);
}

// ---- TCustomStaticText ----

TCustomStaticText::TCustomStaticText(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
  FControlStyle =
      TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csReplicatable, csDoubleClicks};
  FWidth = 65;
  FHeight = 17;
  FAutoSize = true;
}

void TCustomStaticText::Notification(TComponent* AComponent, TOperation Operation)
{
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl)
    FFocusControl = nullptr;
}

void TCustomStaticText::SetFocusControl(TWinControl* Value)
{
  ReplaceComponentReference(this, Value, FFocusControl);
}

void TCustomStaticText::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  Invalidate();
}

void TCustomStaticText::SetBorderStyle(TStaticBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomStaticText::SetShowAccelChar(bool Value)
{
  if (Value == FShowAccelChar)
    return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomStaticText::AdjustBounds()
{
  if (!FAutoSize || ComponentState().Contains(csLoading))
    return;
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(FFont.get());
  AnsiString text = Caption();
  if (text.empty())
    text = " ";
  TRect r = Rect(0, 0, 0, 0);
  c->DrawText(text, r,
              DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS |
                  (FShowAccelChar ? 0u : Cardinal(DT_NOPREFIX)));
  ReleaseDC(0, dc);
  Integer border = BorderSize();
  SetBounds(FLeft, FTop, r.Width() + 2 * border, r.Height() + 2 * border);
}

void TCustomStaticText::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  if (FBorderStyle == sbsSunken) {
    TRect edge = r;
    DrawEdge(c, edge, BDR_SUNKENOUTER, BF_RECT);
  } else if (FBorderStyle == sbsSingle) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(r);
  }
  InflateRect(r, -BorderSize(), -BorderSize());
  c->SetFont(FFont.get());
  Cardinal format = (FAlignment == taCenter         ? DT_CENTER
                     : FAlignment == taRightJustify ? DT_RIGHT
                                                    : DT_LEFT) |
                    DT_EXPANDTABS | (FShowAccelChar ? 0u : Cardinal(DT_NOPREFIX));
  if (!FAutoSize)
    format |= DT_WORDBREAK;
  PaintText(c, Caption(), r, format, FEnabled);
  BindCanvasToDC(*FCanvas, 0);
}

void TCustomStaticText::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_DIALOGCHAR:
    if (FFocusControl && FEnabled && FShowAccelChar &&
        IsAccel(static_cast<Word>(Message.WParam), Caption()) && FFocusControl->CanFocus()) {
      FFocusControl->SetFocus();
      Message.Result = 1;
    }
    return;
  case CM_TEXTCHANGED:
    TWinControl::Dispatch(Message);
    AdjustBounds();
    Invalidate();
    return;
  case CM_FONTCHANGED:
  case CM_ENABLEDCHANGED:
    TWinControl::Dispatch(Message);
    AdjustBounds();
    Invalidate();
    return;
  }
  TWinControl::Dispatch(Message);
}
