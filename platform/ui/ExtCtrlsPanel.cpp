// Panels (TCustomPanel/TPanel) and bevels (TBevel). ExtCtrls.h describes them.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ExtCtrlsPrivate.h"
#include "platform/ui/StdCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void extctrls::RegisterPanelClasses()
{
  RegisterEnumType<TBevelCut>("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  RegisterEnumType<TBevelStyle>("TBevelStyle", {"bsLowered", "bsRaised"});
  RegisterEnumType<TBevelShape>("TBevelShape", {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine",
                                                "bsLeftLine", "bsRightLine", "bsSpacer"});
  TClassRegistration<TCustomPanel, TCustomControl>("TCustomPanel");
  TClassRegistration<TPanel, TCustomPanel>("TPanel")
      .Property("Alignment", &TPanel::Alignment, &TPanel::SetAlignment)
      .Default(taCenter)
      .Property("AutoSize", &TPanel::AutoSize, &TPanel::SetAutoSize)
      .Default(false)
      .Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner)
      .Default(bvNone)
      .Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter)
      .Default(bvRaised)
      .Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)
      .Default(1)
      .Property("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle)
      .Default(bsNone)
      .Property("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth)
      .Default(0)
      .Property("DockSite", &TPanel::DockSite, &TPanel::SetDockSite)
      .Default(false)
      .Property("FullRepaint", &TPanel::FullRepaint, &TPanel::SetFullRepaint)
      .Default(true);
  TClassRegistration<TBevel, TGraphicControl>("TBevel")
      .Property("Shape", &TBevel::Shape, &TBevel::SetShape)
      .Default(bsBox)
      .Property("Style", &TBevel::Style, &TBevel::SetStyle)
      .Default(bsLowered);
}

namespace {

// The two colours of a bevel cut: highlight above and left for a raised one, shadow for a
// lowered one; a space is in the control's own colour.
void BevelColors(TBevelCut Cut, TColor Face, TColor& Top, TColor& Bottom)
{
  switch (Cut) {
  case bvLowered:
    Top = clBtnShadow;
    Bottom = clBtnHighlight;
    break;
  case bvSpace:
    Top = Bottom = Face;
    break;
  default:
    Top = clBtnHighlight;
    Bottom = clBtnShadow;
    break;
  }
}

} // namespace

// ---- TCustomPanel ----

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                csOpaque,          csDoubleClicks, csReplicatable};
  FWidth = 185;
  FHeight = 41;
  FColor = clBtnFace;
  FParentColor = false;
}

void TCustomPanel::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle)
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

Integer TCustomPanel::BevelExtent() const
{
  Integer size = 0;
  if (FBevelOuter != bvNone)
    size += FBevelWidth;
  if (FBevelInner != bvNone)
    size += FBevelWidth;
  return size;
}

void TCustomPanel::AdjustClientRect(TRect& Rect)
{
  Integer size = BevelExtent();
  InflateRect(Rect, -size, -size);
}

// A bevel change moves the children too.
void TCustomPanel::SetBevelInner(TPanelBevel Value)
{
  if (Value == FBevelInner)
    return;
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value)
{
  if (Value == FBevelOuter)
    return;
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(Integer Value)
{
  Value = std::max(Value, 1);
  if (Value == FBevelWidth)
    return;
  FBevelWidth = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  stdctrls::RecreateKeepingFocus(this);
}

void TCustomPanel::Paint()
{
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  TColor top = 0, bottom = 0;
  if (FBevelOuter != bvNone) {
    BevelColors(FBevelOuter, FColor, top, bottom);
    Frame3D(c, r, top, bottom, FBevelWidth);
  }
  if (FBevelInner != bvNone) {
    BevelColors(FBevelInner, FColor, top, bottom);
    Frame3D(c, r, top, bottom, FBevelWidth);
  }
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  AnsiString caption = Caption();
  if (caption.empty())
    return;
  c->SetFont(FFont.get());
  Cardinal format = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS |
                    (FAlignment == taCenter         ? DT_CENTER
                     : FAlignment == taRightJustify ? DT_RIGHT
                                                    : DT_LEFT);
  PaintText(c, caption, r, format, FEnabled);
}

void TCustomPanel::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_TEXTCHANGED:
  case CM_ENABLEDCHANGED:
  case CM_FONTCHANGED:
    Invalidate();
    break;
  case WM_SIZE:
    Invalidate();
    break;
  }
  TCustomControl::Dispatch(Message);
}

// ---- TBevel ----

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FControlStyle.Include(csReplicatable);
  FWidth = 50;
  FHeight = 50;
}

void TBevel::SetShape(TBevelShape Value)
{
  if (Value == FShape)
    return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint()
{
  TCanvas* c = Canvas();
  TColor first = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(psSolid);
  auto line = [c](TColor color, Integer x1, Integer y1, Integer x2, Integer y2) {
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  // The first colour runs up the left and along the top, the second down the right and
  // along the bottom.
  auto box = [&](TRect r, TColor a, TColor b) {
    line(a, r.Left, r.Bottom, r.Left, r.Top);
    line(a, r.Left, r.Top, r.Right, r.Top);
    line(b, r.Right, r.Top, r.Right, r.Bottom);
    line(b, r.Right, r.Bottom, r.Left - 1, r.Bottom);
  };
  Integer w = FWidth, h = FHeight;
  switch (FShape) {
  case bsBox:
    box(Rect(0, 0, w - 1, h - 1), first, second);
    break;
  case bsFrame:
    box(Rect(1, 1, w - 1, h - 1), second, second);
    box(Rect(0, 0, w - 2, h - 2), first, first);
    break;
  case bsTopLine:
    line(first, 0, 0, w, 0);
    line(second, 0, 1, w, 1);
    break;
  case bsBottomLine:
    line(first, 0, h - 2, w, h - 2);
    line(second, 0, h - 1, w, h - 1);
    break;
  case bsLeftLine:
    line(first, 0, 0, 0, h);
    line(second, 1, 0, 1, h);
    break;
  case bsRightLine:
    line(first, w - 2, 0, w - 2, h);
    line(second, w - 1, 0, w - 1, h);
    break;
  case bsSpacer:
    break;
  }
}
