// The speed button (TSpeedButton): a windowless button, flat or raised, alone or in a group
// of buttons one of which stays down. Buttons.h describes it.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ButtonsPrivate.h"
#include "platform/ui/StdPaint.h"

void buttons::RegisterSpeedButtonClasses()
{
  RegisterEnumType<TButtonLayout>("TButtonLayout",
                                  {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
  RegisterEnumType<TButtonState>("TButtonState", {"bsUp", "bsDisabled", "bsDown", "bsExclusive"});
  TClassRegistration<TSpeedButton, TGraphicControl>("TSpeedButton")
      .Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp)
      .Default(false)
      .Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex)
      .Default(0)
      .Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown)
      .Default(false)
      .Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat)
      .Default(false)
      .Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph)
      .Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout)
      .Default(blGlyphLeft)
      .Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin)
      .Default(-1)
      .Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs)
      .Default(1)
      .Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing)
      .Default(4)
      .Property("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent)
      .Default(true);
}

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
  FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
  FWidth = 23;
  FHeight = 22;
  FGlyph->OnChange = TNotifyEvent::Bind(this, &TSpeedButton::GlyphChanged);
}

TSpeedButton::~TSpeedButton()
{
  FGlyph->OnChange = nullptr;
}

void TSpeedButton::GlyphChanged(TObject*)
{
  Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value)
{
  FGlyph->Assign(Value);
  // A glyph strip whose width is a multiple of its height holds that many glyphs.
  if (Value && Value->Height() > 0 && Value->Width() % Value->Height() == 0) {
    Integer n = Value->Width() / Value->Height();
    if (n >= 1 && n <= 4)
      FNumGlyphs = n;
  }
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(Integer Value)
{
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs)
    return;
  FNumGlyphs = Value;
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
  FAllowAllUp = Value;
}

void TSpeedButton::SetGroupIndex(Integer Value)
{
  if (Value == FGroupIndex)
    return;
  FGroupIndex = Value;
  if (FGroupIndex == 0 && FDown) {
    FDown = false;
    FState = bsUp;
    Invalidate();
  }
}

// A button outside a group never stays down; a group's down button comes up only with
// AllowAllUp. Going down pops the rest of the group up.
void TSpeedButton::SetDown(bool Value)
{
  if (FGroupIndex == 0)
    Value = false;
  if (Value == FDown)
    return;
  if (FDown && !FAllowAllUp)
    return;
  FDown = Value;
  FState = Value ? bsExclusive : bsUp;
  Invalidate();
  if (Value)
    UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value)
{
  if (Value == FFlat)
    return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(Integer Value)
{
  if (Value == FMargin || Value < -1)
    return;
  FMargin = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(Integer Value)
{
  if (Value == FSpacing)
    return;
  FSpacing = Value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool Value)
{
  if (Value == FTransparent)
    return;
  FTransparent = Value;
  Invalidate();
}

void TSpeedButton::SetState(TButtonState Value)
{
  if (Value == FState)
    return;
  FState = Value;
  Invalidate();
}

void TSpeedButton::UpdateExclusive()
{
  if (FGroupIndex == 0 || !FParent)
    return;
  TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(this), 0};
  for (Integer i = 0; i < FParent->ControlCount(); ++i)
    FParent->Controls(i)->Perform(m.Msg, m.WParam, m.LParam);
}

void TSpeedButton::Click()
{
  TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !FEnabled)
    return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging)
    return;
  TButtonState state = bsUp;
  if (PtInRect(ClientRect(), Point(X, Y)))
    state = FDown ? bsExclusive : bsDown;
  else if (FDown)
    state = bsExclusive;
  if (state != FState) {
    FState = state;
    Invalidate();
  }
}

// Released over the button: a click. A grouped button then stays down (or comes up with
// AllowAllUp); a plain one comes up.
void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (watch.Destroyed() || !FDragging || Button != mbLeft)
    return;
  FDragging = false;
  bool click = PtInRect(ClientRect(), Point(X, Y));
  if (FGroupIndex == 0) {
    FState = bsUp;
    Invalidate();
  } else if (click) {
    SetDown(!FDown);
    FState = FDown ? bsExclusive : bsUp;
    Invalidate();
  } else {
    FState = FDown ? bsExclusive : bsUp;
    Invalidate();
  }
  if (click)
    Click();
}

void TSpeedButton::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_BUTTONPRESSED: {
    auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
    if (sender != this && static_cast<Integer>(Message.WParam) == FGroupIndex && FDown) {
      FDown = false;
      FState = bsUp;
      Invalidate();
    }
    return;
  }
  case CM_DIALOGCHAR:
    if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && FEnabled && Showing()) {
      Click();
      Message.Result = 1;
    }
    return;
  case CM_MOUSEENTER:
  case CM_MOUSELEAVE:
    FMouseInControl = Message.Msg == CM_MOUSEENTER && FEnabled;
    if (FFlat)
      Invalidate();
    break;
  case CM_ENABLEDCHANGED:
    FState = FEnabled ? (FDown ? bsExclusive : bsUp) : bsDisabled;
    Invalidate();
    break;
  case CM_TEXTCHANGED:
  case CM_FONTCHANGED:
    Invalidate();
    break;
  case WM_LBUTTONDBLCLK:
    TGraphicControl::Dispatch(Message);
    if (FDown)
      DblClick();
    return;
  }
  TGraphicControl::Dispatch(Message);
}

void TSpeedButton::Paint()
{
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!FEnabled)
    FState = bsDisabled;
  else if (FState == bsDisabled)
    FState = FDown ? bsExclusive : bsUp;
  TPaintState state;
  if (FFlat)
    state.Include(psFlat);
  if (FMouseInControl)
    state.Include(psHot);
  if (FState == bsDown)
    state.Include(psPushed);
  if (FState == bsExclusive)
    state.Include(psChecked);
  if (FState == bsDisabled)
    state.Include(psDisabled);
  // A flat, transparent button at rest lets its parent show through.
  bool bare =
      FFlat && FTransparent && FState != bsDown && FState != bsExclusive && !FMouseInControl;
  if (!bare) {
    PaintButtonFace(c, r, state);
  } else if (!FTransparent) {
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
  }
  TRect content = r;
  InflateRect(content, -1, -1);
  if (FState == bsDown || FState == bsExclusive)
    OffsetRect(content, 1, 1);
  c->SetFont(FFont.get());
  DrawButtonGlyphAndCaption(c, content, FGlyph.get(), FNumGlyphs, FState, Caption(), FLayout,
                            FMargin, FSpacing);
}
