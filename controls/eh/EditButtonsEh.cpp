// Edit button descriptions, their collection and the button control (see EditButtonsEh.h);
// EditButtonsEhPaint.cpp paints the faces.
#include "controls/eh/EditButtonsEh.h"

#include <algorithm>

#include "platform/rtl/TypInfo.h"

namespace {

void RegisterClasses()
{
  RegisterEnumType<TEditButtonStyleEh>(
      "TEditButtonStyleEh",
      {"ebsDropDownEh", "ebsEllipsisEh", "ebsGlyphEh", "ebsUpDownEh", "ebsPlusEh", "ebsMinusEh"});
  RegisterEnumType<TButtonPaintKindEh>(
      "TButtonPaintKindEh",
      {"bpkDropDown", "bpkEllipsis", "bpkUpDown", "bpkCheckBox", "bpkPlus", "bpkMinus"});
  RegisterEventType<TButtonClickEventEh>("TButtonClickEventEh");
  RegisterEventType<TButtonDownEventEh>("TButtonDownEventEh");
  using B = TEditButtonEh;
  TClassRegistration<B, TCollectionItem>("TEditButtonEh")
      .Abstract()
      .Property("DropdownMenu", &B::DropdownMenu, &B::SetDropdownMenu)
      .Property("Glyph", &B::Glyph, &B::SetGlyph)
      .Property("Hint", &B::Hint, &B::SetHint)
      .Property("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs)
      .Default(1)
      .Property("ShortCut", &B::ShortCut, &B::SetShortCut)
      .Default(0)
      .Property("Style", &B::Style, &B::SetStyle)
      .Default(ebsDropDownEh)
      .Property("Visible", &B::Visible, &B::SetVisible)
      .Default(false)
      .Property("Width", &B::Width, &B::SetWidth)
      .Default(0)
      .Property("OnClick", &B::OnClick, &B::OnClick)
      .Property("OnDown", &B::OnDown, &B::OnDown);
  TClassRegistration<TVisibleEditButtonEh, TEditButtonEh>("TVisibleEditButtonEh").Abstract();
  TClassRegistration<TEditButtonsEh, TCollection>("TEditButtonsEh").Abstract();
  TClassRegistration<TEditButtonControlEh, TSpeedButton>("TEditButtonControlEh");
  TClassRegistration<TSpeedButtonEh, TEditButtonControlEh>("TSpeedButtonEh")
      .Property("Active", &TSpeedButtonEh::Active, &TSpeedButtonEh::SetActive)
      .Default(false)
      .Property("Style", &TSpeedButtonEh::Style, &TSpeedButtonEh::SetStyle)
      .Default(ebsDropDownEh);
}

TCollection* BeginUpdateOf(TCollection* Collection)
{
  if (Collection)
    Collection->BeginUpdate();
  return Collection;
}

} // namespace

// ---- TEditButtonEh ----

TEditButtonEh::TEditButtonEh(TCollection* Collection)
    : TCollectionItem(BeginUpdateOf(Collection)), FGlyph(std::make_unique<TBitmap>())
{
  FGlyph->SetTransparent(true);
  FGlyph->OnChange = TNotifyEvent::Bind(this, &TEditButtonEh::GlyphChanged);
  if (Collection)
    Collection->EndUpdate();
}

TEditButtonEh::TEditButtonEh(TWinControl* EditControl)
    : TCollectionItem(nullptr), FGlyph(std::make_unique<TBitmap>()), FEditControl(EditControl)
{
  FGlyph->SetTransparent(true);
  FGlyph->OnChange = TNotifyEvent::Bind(this, &TEditButtonEh::GlyphChanged);
}

TEditButtonEh::~TEditButtonEh()
{
  FGlyph->OnChange = nullptr;
}

void TEditButtonEh::NotifyChange()
{
  if (OnChangeHook)
    OnChangeHook(this);
  else if (Collection())
    Changed(false);
}

void TEditButtonEh::GlyphChanged(TObject*)
{
  NotifyChange();
}

void TEditButtonEh::SetDropdownMenu(TPopupMenu* Value)
{
  if (Value == FDropdownMenu)
    return;
  FDropdownMenu = Value;
  NotifyChange();
}

void TEditButtonEh::SetGlyph(TBitmap* Value)
{
  FGlyph->Assign(Value); // the glyph's change notification tells the owner
}

void TEditButtonEh::SetHint(const AnsiString& Value)
{
  if (Value == FHint)
    return;
  FHint = Value;
  NotifyChange();
}

void TEditButtonEh::SetNumGlyphs(Integer Value)
{
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs)
    return;
  FNumGlyphs = Value;
  NotifyChange();
}

void TEditButtonEh::SetShortCut(TShortCut Value)
{
  if (Value == FShortCut)
    return;
  FShortCut = Value;
  NotifyChange();
}

void TEditButtonEh::SetStyle(TEditButtonStyleEh Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  NotifyChange();
}

void TEditButtonEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  NotifyChange();
}

void TEditButtonEh::SetWidth(Integer Value)
{
  if (Value == FWidth)
    return;
  FWidth = Value;
  NotifyChange();
}

TEditButtonControlEh* TEditButtonEh::MakeButtonControl()
{
  auto* control = new TEditButtonControlEh(FEditControl);
  control->SetParent(FEditControl);
  control->SetBounds(0, 0, 10, 17);
  control->SetVisible(true);
  control->SetTransparent(false);
  control->SetControlStyle(control->ControlStyle() + TControlStyle{csReplicatable});
  return control;
}

void TEditButtonEh::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TEditButtonEh*>(Source);
  if (!source) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetDropdownMenu(source->FDropdownMenu);
  SetGlyph(source->FGlyph.get());
  SetHint(source->FHint);
  SetNumGlyphs(source->FNumGlyphs);
  SetShortCut(source->FShortCut);
  SetStyle(source->FStyle);
  SetVisible(source->FVisible);
  SetWidth(source->FWidth);
  OnClick = source->OnClick;
  OnDown = source->OnDown;
}

TVisibleEditButtonEh::TVisibleEditButtonEh(TCollection* Collection) : TEditButtonEh(Collection)
{
  FVisible = true;
  FShortCut = ShortCutAltDownEh;
}

TVisibleEditButtonEh::TVisibleEditButtonEh(TWinControl* EditControl) : TEditButtonEh(EditControl)
{
  FVisible = true;
  FShortCut = ShortCutAltDownEh;
}

// ---- TEditButtonsEh ----

TEditButtonsEh::TEditButtonsEh(TPersistent* Owner, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), FOwner(Owner)
{
}

TEditButtonEh* TEditButtonsEh::Items(Integer Index) const
{
  return static_cast<TEditButtonEh*>(TCollection::Items(Index));
}

TEditButtonEh* TEditButtonsEh::Add()
{
  return static_cast<TEditButtonEh*>(TCollection::Add());
}

void TEditButtonsEh::Update(TCollectionItem* Item)
{
  TCollection::Update(Item);
  if (OnChanged)
    OnChanged(Item);
}

// ---- TEditButtonControlEh ----

TEditButtonControlEh::TEditButtonControlEh(TComponent* AOwner) : TSpeedButton(AOwner) {}

TEditButtonControlEh::~TEditButtonControlEh()
{
  StopTimer();
}

void TEditButtonControlEh::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  Invalidate();
}

void TEditButtonControlEh::SetStyle(TEditButtonStyleEh Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  Invalidate();
}

void TEditButtonControlEh::SetHeldDown(bool Value)
{
  FHeldDown = Value;
  if (Value) {
    SetGroupIndex(1);
    SetAllowAllUp(false);
    SetDown(true);
    FPressedPart = 1;
  } else {
    SetAllowAllUp(true);
    SetDown(false);
    SetGroupIndex(0);
    FPressedPart = 0;
  }
  Invalidate();
}

void TEditButtonControlEh::UpdatePressedPart(Integer X, Integer Y)
{
  Integer part = 0;
  Integer half = Height() / 2;
  if (IsDown()) {
    if (FStyle != ebsUpDownEh)
      part = 1;
    else if (Y < half)
      part = 1;
    else if (Y > Height() - half)
      part = 2;
  }
  if (part == FPressedPart)
    return;
  FPressedPart = part;
  Invalidate();
}

void TEditButtonControlEh::FireDown(bool& AutoRepeat)
{
  bool handled = false;
  if (OnDown)
    OnDown(this, FPressedPart == 1, AutoRepeat, handled);
}

void TEditButtonControlEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed() || Button != mbLeft)
    return;
  UpdatePressedPart(X, Y);
  if (FPressedPart == 0)
    return;
  bool autoRepeat = FStyle == ebsUpDownEh;
  FireDown(autoRepeat);
  if (watch.Destroyed() || !autoRepeat)
    return;
  if (!FTimer) {
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer(TNotifyEvent::Bind(this, &TEditButtonControlEh::TimerTick));
  }
  FTimer->SetInterval(400);
  FTimer->SetEnabled(true);
}

void TEditButtonControlEh::TimerTick(TObject*)
{
  if (!IsDown())
    return;
  if (FTimer->Interval() == 400)
    FTimer->SetInterval(100);
  TDestroyWatch watch(this);
  bool autoRepeat = FStyle == ebsUpDownEh;
  FireDown(autoRepeat);
  if (!watch.Destroyed() && !autoRepeat)
    StopTimer();
}

void TEditButtonControlEh::StopTimer()
{
  if (FTimer)
    FTimer->SetEnabled(false);
}

void TEditButtonControlEh::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TSpeedButton::MouseMove(Shift, X, Y);
  if (FStyle != ebsUpDownEh || FPressedPart == 0 || !MouseCapture() || State() != bsDown)
    return;
  // The upper half is left below its last row, the lower one above its first: the middle
  // row of an odd height belongs to both.
  Integer half = Height() / 2;
  bool left = FPressedPart == 1 ? Y > Height() - half : Y < half;
  if (left)
    SetState(bsUp);
}

void TEditButtonControlEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  if (FStyle == ebsUpDownEh && !IsDown()) {
    bool saved = FSuppressClick;
    FSuppressClick = true;
    TSpeedButton::MouseUp(Button, Shift, X, Y);
    if (watch.Destroyed())
      return;
    FSuppressClick = saved;
  } else {
    TSpeedButton::MouseUp(Button, Shift, X, Y);
    if (watch.Destroyed())
      return;
  }
  UpdatePressedPart(X, Y);
  StopTimer();
}

void TEditButtonControlEh::Click()
{
  if (!FSuppressClick)
    TSpeedButton::Click();
}

void TEditButtonControlEh::Paint()
{
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  if (FStyle == ebsGlyphEh) {
    if (!Flat()) {
      TSpeedButton::Paint();
      return;
    }
    {
      TCanvasSaver saver(*canvas);
      canvas->IntersectClipRect(Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1));
      TSpeedButton::Paint();
    }
    if (FActive) {
      DrawEdge(canvas, r, IsDown() ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
      canvas->Brush()->SetColor(FParent ? FParent->Color() : clBtnFace);
      canvas->FrameRect(r);
    }
    return;
  }
  PaintButtonFace(canvas, r, FParent ? FParent->Color() : clBtnFace, ButtonPaintKindOf(FStyle),
                  IsDown() ? FPressedPart : 0, Flat(), FActive, Enabled(), 0);
}

TButtonPaintKindEh ButtonPaintKindOf(TEditButtonStyleEh Style)
{
  switch (Style) {
  case ebsEllipsisEh:
    return bpkEllipsis;
  case ebsUpDownEh:
    return bpkUpDown;
  case ebsPlusEh:
    return bpkPlus;
  case ebsMinusEh:
    return bpkMinus;
  default:
    return bpkDropDown;
  }
}

void EditButtonsEhInitialization()
{
  RegisterClasses();
  FlatButtonWidthDefault = FlatEditButtonWidth();
}

void EditButtonsEhFinalization()
{
  FlushButtonBitmaps();
}

bool PopupButtonMenu(TWinControl* Owner, TEditButtonControlEh* Control, TPopupMenu* Menu,
                     UINT Notice)
{
  TDestroyWatch watch(Owner);
  TPoint at = Control->ClientToScreen(
      TPoint(Menu->Alignment() == paRight ? Control->Width() : 0, Control->Height()));
  Menu->SetPopupComponent(Control);
  Menu->Popup(at.X, at.Y);
  if (watch.Destroyed())
    return false;
  // The menu is closed now: the press that closed it must not open it again, and the button
  // is let go.
  PostMessage(Owner->Handle(), Notice, static_cast<WPARAM>(Control->Tag()), 0);
  Control->Perform(WM_LBUTTONUP, 0, PointToLParam(TPoint(-1, -1)));
  return true;
}

bool TakeMenuClosedNotice(TWinControl* Owner, UINT Notice, Integer Tag)
{
  MSG pending;
  if (!Owner->HandleAllocated() ||
      !PeekMessage(pending, Owner->Handle(), Notice, Notice, PM_NOREMOVE) ||
      pending.wParam != static_cast<WPARAM>(Tag))
    return false;
  PeekMessage(pending, Owner->Handle(), Notice, Notice, PM_REMOVE);
  return true;
}
