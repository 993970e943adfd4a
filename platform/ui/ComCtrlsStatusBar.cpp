// The status bar (TStatusBar) and its panels (TStatusPanels, TStatusPanel). ComCtrls.h
// describes them.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void comctrls::RegisterStatusBarClasses()
{
  RegisterEnumType<TStatusPanelStyle>("TStatusPanelStyle", {"psText", "psOwnerDraw"});
  RegisterEnumType<TStatusPanelBevel>("TStatusPanelBevel", {"pbNone", "pbLowered", "pbRaised"});
  RegisterEventType<TDrawPanelEvent>("TDrawPanelEvent");
  TClassRegistration<TStatusPanel, TCollectionItem>("TStatusPanel")
      .Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment)
      .Default(taLeftJustify)
      .Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel)
      .Default(pbLowered)
      .Property("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle)
      .Default(psText)
      .Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText)
      .Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
  TClassRegistration<TStatusPanels, TCollection>("TStatusPanels");
  TClassRegistration<TStatusBar, TWinControl>("TStatusBar")
      .Property("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels)
      .Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel)
      .Default(false)
      .Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText)
      .Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip)
      .Default(true)
      .Property("OnDrawPanel", &TStatusBar::OnDrawPanel, &TStatusBar::OnDrawPanel);
}

namespace {

constexpr Integer kGripSize = 14;

} // namespace

// ---- TStatusPanel ----

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::SetText(const AnsiString& Value)
{
  if (Value == FText)
    return;
  FText = Value;
  Changed(false);
}

void TStatusPanel::SetWidth(Integer Value)
{
  if (Value == FWidth)
    return;
  FWidth = Value;
  Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value)
{
  if (Value == FBevel)
    return;
  FBevel = Value;
  Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  Changed(false);
}

void TStatusPanel::Assign(TPersistent* Source)
{
  auto* other = dynamic_cast<TStatusPanel*>(Source);
  if (!other) {
    TCollectionItem::Assign(Source);
    return;
  }
  FText = other->FText;
  FWidth = other->FWidth;
  FAlignment = other->FAlignment;
  FBevel = other->FBevel;
  FStyle = other->FStyle;
  Changed(true);
}

AnsiString TStatusPanel::DisplayName() const
{
  return FText.empty() ? TCollectionItem::DisplayName() : FText;
}

// ---- TStatusPanels ----

TStatusPanels::TStatusPanels(TStatusBar* StatusBar)
    : TCollection(CollectionItemClass<TStatusPanel>()), FStatusBar(StatusBar)
{
}

TPersistent* TStatusPanels::GetOwner()
{
  return FStatusBar;
}

void TStatusPanels::Update(TCollectionItem*)
{
  FStatusBar->Invalidate();
}

// ---- TStatusBar ----

TStatusBar::TStatusBar(TComponent* AOwner)
    : TWinControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this)),
      FCanvas(std::make_unique<TCanvas>())
{
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  FColor = clBtnFace;
  FParentColor = false;
  FHeight = 19;
  FWidth = 200;
  FAlign = alBottom;
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool Value)
{
  if (Value == FSimplePanel)
    return;
  FSimplePanel = Value;
  Invalidate();
}

void TStatusBar::SetSimpleText(const AnsiString& Value)
{
  if (Value == FSimpleText)
    return;
  FSimpleText = Value;
  Invalidate();
}

void TStatusBar::SetSizeGrip(bool Value)
{
  if (Value == FSizeGrip)
    return;
  FSizeGrip = Value;
  Invalidate();
}

// The grip shows when it can size something: a sizeable form, not maximized, whose bottom-
// right corner the bar reaches.
bool TStatusBar::GripShown() const
{
  if (!FSizeGrip)
    return false;
  TCustomForm* form = GetParentForm(const_cast<TStatusBar*>(this));
  if (!form || form->WindowState() == wsMaximized)
    return false;
  if (form->BorderStyle() != bsSizeable && form->BorderStyle() != bsSizeToolWin)
    return false;
  TPoint corner = ClientToScreen({FWidth, FHeight});
  TPoint formCorner = form->ClientToScreen({form->ClientWidth(), form->ClientHeight()});
  return std::abs(corner.X - formCorner.X) <= 2 && std::abs(corner.Y - formCorner.Y) <= 2;
}

// Panels stand side by side from the left, 2 pixels apart; the last one takes the rest of the
// width up to the grip.
TRect TStatusBar::PanelRect(Integer Index) const
{
  TRect client = ClientRect();
  Integer right = client.Right - (GripShown() ? kGripSize : 0);
  if (FSimplePanel)
    return Index == 0 ? Rect(0, 2, right, client.Bottom) : TRect();
  Integer count = FPanels->Count();
  if (Index < 0 || Index >= count)
    return TRect();
  Integer left = 0;
  for (Integer i = 0; i < Index; ++i)
    left += FPanels->Items(i)->Width() + 2;
  Integer width = Index == count - 1 ? std::max(right - left, 0) : FPanels->Items(Index)->Width();
  return Rect(left, 2, std::min(left + width, right), client.Bottom);
}

Integer TStatusBar::PanelAt(TPoint Point) const
{
  Integer count = FSimplePanel ? 1 : FPanels->Count();
  for (Integer i = 0; i < count; ++i)
    if (PtInRect(PanelRect(i), Point))
      return i;
  return -1;
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect)
{
  OnDrawPanel(this, Panel, Rect);
}

void TStatusBar::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(client);
  c->SetFont(FFont.get());
  auto drawText = [&](const AnsiString& text, TRect r, TAlignment alignment) {
    InflateRect(r, -2, -1);
    Cardinal format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                      (alignment == taCenter         ? DT_CENTER
                       : alignment == taRightJustify ? DT_RIGHT
                                                     : DT_LEFT);
    PaintText(c, text, r, format, true);
  };
  if (FSimplePanel) {
    TRect r = PanelRect(0);
    TRect edge = r;
    DrawEdge(c, edge, BDR_SUNKENOUTER, BF_RECT);
    drawText(FSimpleText, r, taLeftJustify);
  } else {
    for (Integer i = 0; i < FPanels->Count(); ++i) {
      TStatusPanel* panel = FPanels->Items(i);
      TRect r = PanelRect(i);
      if (IsRectEmpty(r))
        continue;
      TRect edge = r;
      if (panel->Bevel() != pbNone)
        DrawEdge(c, edge, panel->Bevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      if (panel->Style() == psOwnerDraw) {
        TRect inner = r;
        InflateRect(inner, -1, -1);
        TCanvasSaver saver(*c);
        c->IntersectClipRect(inner);
        DrawPanel(panel, inner);
      } else {
        drawText(panel->Text(), r, panel->Alignment());
      }
    }
  }
  if (GripShown())
    PaintSizeGrip(c, client);
  BindCanvasToDC(*FCanvas, 0);
}

void TStatusBar::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_NCHITTEST: {
    TWinControl::Dispatch(Message);
    TPoint p = ScreenToClient(MessagePoint(Message));
    if (Message.Result == HTCLIENT && GripShown() && p.X >= FWidth - kGripSize &&
        p.Y >= FHeight - kGripSize)
      Message.Result = HTBOTTOMRIGHT;
    return;
  }
  case WM_NCLBUTTONDOWN:
    // The grip sizes the form, not the bar.
    if (Message.WParam == static_cast<WPARAM>(HTBOTTOMRIGHT)) {
      HWND top = GetAncestor(Handle(), GA_ROOT);
      SendMessage(top, WM_SYSCOMMAND, SC_SIZE + (HTBOTTOMRIGHT - HTLEFT + 1), Message.LParam);
      return;
    }
    break;
  case WM_SIZE:
  case CM_FONTCHANGED:
    Invalidate();
    break;
  }
  TWinControl::Dispatch(Message);
}
