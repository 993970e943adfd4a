// The tool bar (TToolBar) and its buttons (TToolButton). ComCtrls.h describes them.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComCtrlsPrivate.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdPaint.h"

void comctrls::RegisterToolBarClasses()
{
  RegisterEnumType<TToolButtonStyle>(
      "TToolButtonStyle", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"});
  TClassRegistration<TToolButton, TGraphicControl>("TToolButton")
      .Property("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp)
      .Default(false)
      .Property("Down", &TToolButton::Down, &TToolButton::SetDown)
      .Default(false)
      .Property("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu)
      .Property("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped)
      .Default(false)
      .Property("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex)
      .Default(-1)
      .Property("Indeterminate", &TToolButton::Indeterminate, &TToolButton::SetIndeterminate)
      .Default(false)
      .Property("Style", &TToolButton::Style, &TToolButton::SetStyle)
      .Default(tbsButton)
      .Property("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap)
      .Default(false);
  TClassRegistration<TToolBar, TWinControl>("TToolBar")
      .Property("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight)
      .Default(22)
      .Property("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth)
      .Default(23)
      .Property("DisabledImages", &TToolBar::DisabledImages, &TToolBar::SetDisabledImages)
      .Property("Flat", &TToolBar::Flat, &TToolBar::SetFlat)
      .Default(false)
      .Property("HotImages", &TToolBar::HotImages, &TToolBar::SetHotImages)
      .Property("Images", &TToolBar::Images, &TToolBar::SetImages)
      .Property("Indent", &TToolBar::Indent, &TToolBar::SetIndent)
      .Default(0)
      .Property("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions)
      .Default(false)
      .Property("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable)
      .Default(true);
}

namespace {

constexpr Integer kArrowWidth = 14;    // the drop-down part of a drop-down button
constexpr Integer kSeparatorWidth = 8; // a separator made at run time

} // namespace

// ---- TToolButton ----

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csClickEvents};
  FWidth = 23;
  FHeight = 22;
}

TToolButton::~TToolButton() = default;

TToolBar* TToolButton::ToolBar() const
{
  return dynamic_cast<TToolBar*>(FParent);
}

Integer TToolButton::Index() const
{
  TToolBar* bar = ToolBar();
  if (!bar)
    return -1;
  bar->SyncItems();
  auto it = std::find(bar->FButtons.begin(), bar->FButtons.end(), this);
  return it == bar->FButtons.end() ? -1 : static_cast<Integer>(it - bar->FButtons.begin());
}

void TToolButton::SetParent(TWinControl* AParent)
{
  TToolBar* old = ToolBar();
  TGraphicControl::SetParent(AParent);
  if (old && old != AParent)
    old->Rearrange();
  if (TToolBar* bar = ToolBar())
    bar->Rearrange();
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation)
{
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropdownMenu)
    FDropdownMenu = nullptr;
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value)
{
  ReplaceComponentReference(this, Value, FDropdownMenu);
}

void TToolButton::SetStyle(TToolButtonStyle Value)
{
  if (Value == FStyle)
    return;
  bool wasGap = FStyle == tbsSeparator || FStyle == tbsDivider;
  FStyle = Value;
  // A button that becomes a separator takes a separator's width (a separator keeps its own).
  if ((Value == tbsSeparator || Value == tbsDivider) && !wasGap)
    FWidth = kSeparatorWidth;
  if (TToolBar* bar = ToolBar())
    bar->Rearrange();
  Invalidate();
}

void TToolButton::SetImageIndex(Integer Value)
{
  if (Value == FImageIndex)
    return;
  FImageIndex = Value;
  Invalidate();
}

void TToolButton::SetIndeterminate(bool Value)
{
  if (Value == FIndeterminate)
    return;
  FIndeterminate = Value;
  Invalidate();
}

void TToolButton::SetWrap(bool Value)
{
  if (Value == FWrap)
    return;
  FWrap = Value;
  if (TToolBar* bar = ToolBar())
    bar->Rearrange();
}

// Going down pops up the grouped check buttons beside it.
void TToolButton::SetDown(bool Value)
{
  if (Value == FDown)
    return;
  FDown = Value;
  if (Value && FGrouped && FStyle == tbsCheck)
    UpdateGroup();
  Invalidate();
}

void TToolButton::UpdateGroup()
{
  TToolBar* bar = ToolBar();
  if (!bar)
    return;
  Integer i = Index();
  bar->SyncItems();
  auto inGroup = [](TToolButton* b) { return b->FGrouped && b->FStyle == tbsCheck; };
  for (Integer j = i - 1; j >= 0 && inGroup(bar->FButtons[j]); --j)
    bar->FButtons[j]->SetDown(false);
  for (Integer j = i + 1; j < bar->ButtonCount() && inGroup(bar->FButtons[j]); ++j)
    bar->FButtons[j]->SetDown(false);
}

// A check button changes its state before OnClick runs; a grouped one that is down stays
// down unless the group allows all up.
void TToolButton::Click()
{
  if (FStyle == tbsCheck) {
    if (!(FDown && FGrouped && !FAllowAllUp))
      SetDown(!FDown);
  }
  TGraphicControl::Click();
}

bool TToolButton::OverArrow(Integer X) const
{
  return FStyle == tbsDropDown && X >= FWidth - kArrowWidth;
}

bool TToolButton::CheckMenuDropdown()
{
  if (!FDropdownMenu)
    return false;
  TDestroyWatch watch(this);
  FPressed = true;
  Repaint();
  TPoint at = ClientToScreen({0, FHeight});
  FDropdownMenu->SetPopupComponent(this);
  FDropdownMenu->Popup(at.X, at.Y);
  if (watch.Destroyed())
    return true;
  FPressed = false;
  Invalidate();
  return true;
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed() || Button != mbLeft || !FEnabled || FStyle == tbsSeparator ||
      FStyle == tbsDivider)
    return;
  if (OverArrow(X)) {
    // The menu's own loop runs now; the release that ends it is the menu's.
    SetMouseCapture(false);
    FControlState.Exclude(csClicked);
    CheckMenuDropdown();
    return;
  }
  FDragging = true;
  FPressed = true;
  Invalidate();
}

void TToolButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging)
    return;
  bool inside = PtInRect(ClientRect(), Point(X, Y));
  if (inside != FPressed) {
    FPressed = inside;
    Invalidate();
  }
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Button == mbLeft && FDragging) {
    FDragging = false;
    FPressed = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TToolButton::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_MOUSEENTER:
  case CM_MOUSELEAVE:
    FMouseIn = Message.Msg == CM_MOUSEENTER;
    Invalidate();
    break;
  case CM_TEXTCHANGED:
    if (TToolBar* bar = ToolBar(); bar && bar->ShowCaptions())
      bar->Rearrange();
    Invalidate();
    break;
  case CM_ENABLEDCHANGED:
    if (!FEnabled) {
      FPressed = false;
      FDragging = false;
    }
    Invalidate();
    break;
  case CM_VISIBLECHANGED:
    TGraphicControl::Dispatch(Message);
    if (TToolBar* bar = ToolBar())
      bar->Rearrange();
    return;
  }
  TGraphicControl::Dispatch(Message);
}

void TToolButton::Paint()
{
  TCanvas* c = Canvas();
  TToolBar* bar = ToolBar();
  TRect r = ClientRect();
  bool flat = bar && bar->Flat();
  if (FStyle == tbsSeparator || FStyle == tbsDivider) {
    if (FStyle == tbsDivider || flat) {
      TRect line = Rect(r.Width() / 2 - 1, r.Top + 1, r.Width() / 2 + 1, r.Bottom - 1);
      DrawEdge(c, line, EDGE_ETCHED, BF_LEFT);
    }
    return;
  }
  TPaintState state;
  if (flat)
    state.Include(psFlat);
  if (FMouseIn && FEnabled)
    state.Include(psHot);
  if (FPressed)
    state.Include(psPushed);
  else if (FDown || FIndeterminate)
    state.Include(psChecked);
  if (!FEnabled)
    state.Include(psDisabled);
  TRect face = r;
  if (FStyle == tbsDropDown)
    face.Right -= kArrowWidth;
  bool bare = flat && !FMouseIn && !FPressed && !FDown;
  if (!bare)
    PaintButtonFace(c, face, state);
  if (FStyle == tbsDropDown) {
    TRect arrow = Rect(face.Right, r.Top, r.Right, r.Bottom);
    if (!bare)
      PaintButtonFace(c, arrow, state - TPaintState{psChecked});
    PaintArrow(c, arrow, adDown, FEnabled ? clBtnText : clGrayText);
  }
  bool pushedLook = FPressed || FDown;
  Integer shift = pushedLook ? 1 : 0;
  bool captions = bar && bar->ShowCaptions() && !Caption().empty();
  TCustomImageList* images = nullptr;
  if (bar) {
    images = bar->Images();
    if (!FEnabled && bar->DisabledImages())
      images = bar->DisabledImages();
    else if (FMouseIn && bar->HotImages())
      images = bar->HotImages();
  }
  Integer imageHeight = 0;
  if (images && FImageIndex >= 0 && FImageIndex < images->Count()) {
    imageHeight = images->Height();
    Integer x = face.Left + (face.Width() - images->Width()) / 2 + shift;
    Integer y =
        captions ? face.Top + 2 + shift : face.Top + (face.Height() - imageHeight) / 2 + shift;
    bool greyed = !FEnabled && images != bar->DisabledImages();
    images->Draw(c, x, y, FImageIndex, !greyed);
  }
  if (captions) {
    c->SetFont(FFont.get());
    TRect text = Rect(face.Left + 1, face.Top + 2 + imageHeight + (imageHeight ? 1 : 0),
                      face.Right - 1, face.Bottom);
    OffsetRect(text, shift, shift);
    PaintText(c, Caption(), text, DT_CENTER | DT_SINGLELINE | DT_TOP, FEnabled);
  }
}

// ---- TToolBar ----

TToolBar::TToolBar(TComponent* AOwner)
    : TWinControl(AOwner), FImageLink(std::make_unique<TChangeLink>()),
      FCanvas(std::make_unique<TCanvas>())
{
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents,
                                csDoubleClicks,    csOpaque,       csSetCaption};
  FAlign = alTop;
  FWidth = 150;
  FHeight = 29;
  FColor = clBtnFace;
  FParentColor = false;
  FImageLink->OnChange = TNotifyEvent::Bind(this, &TToolBar::ImagesChanged);
}

TToolBar::~TToolBar()
{
  if (FImages)
    FImages->UnRegisterChanges(FImageLink.get());
}

TToolButton* TToolBar::Buttons(Integer Index) const
{
  SyncItems();
  if (Index < 0 || Index >= ButtonCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FButtons[static_cast<std::size_t>(Index)];
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation)
{
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FImages) {
    FImages = nullptr;
    Rearrange();
  }
  if (AComponent == FDisabledImages)
    FDisabledImages = nullptr;
  if (AComponent == FHotImages)
    FHotImages = nullptr;
}

void TToolBar::ImagesChanged(TObject*)
{
  Rearrange();
  for (TToolButton* b : FButtons)
    b->Invalidate();
}

void TToolBar::SetImages(TCustomImageList* Value)
{
  if (Value == FImages)
    return;
  if (FImages)
    FImages->UnRegisterChanges(FImageLink.get());
  ReplaceComponentReference(this, Value, FImages);
  if (FImages)
    FImages->RegisterChanges(FImageLink.get());
  ImagesChanged(this);
}

void TToolBar::SetDisabledImages(TCustomImageList* Value)
{
  ReplaceComponentReference(this, Value, FDisabledImages);
  Invalidate();
}

void TToolBar::SetHotImages(TCustomImageList* Value)
{
  ReplaceComponentReference(this, Value, FHotImages);
  Invalidate();
}

void TToolBar::SetButtonWidth(Integer Value)
{
  if (Value == FButtonWidth || Value < 1)
    return;
  FButtonWidth = Value;
  Rearrange();
}

void TToolBar::SetButtonHeight(Integer Value)
{
  if (Value == FButtonHeight || Value < 1)
    return;
  FButtonHeight = Value;
  Rearrange();
}

void TToolBar::SetShowCaptions(bool Value)
{
  if (Value == FShowCaptions)
    return;
  FShowCaptions = Value;
  Rearrange();
  for (TToolButton* b : FButtons)
    b->Invalidate();
}

void TToolBar::SetFlat(bool Value)
{
  if (Value == FFlat)
    return;
  FFlat = Value;
  Invalidate();
  for (TToolButton* b : FButtons)
    b->Invalidate();
}

void TToolBar::SetWrapable(bool Value)
{
  if (Value == FWrapable)
    return;
  FWrapable = Value;
  Rearrange();
}

void TToolBar::SetIndent(Integer Value)
{
  if (Value == FIndent)
    return;
  FIndent = Value;
  Rearrange();
}

// The size of a button: the bar's, or with captions at least the picture above the widest
// caption.
TSize TToolBar::ButtonSize() const
{
  TSize size{FButtonWidth, FButtonHeight};
  if (!FShowCaptions)
    return size;
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(FFont.get());
  Integer widest = 0;
  for (TToolButton* b : FButtons)
    if (b->FStyle != tbsSeparator && b->FStyle != tbsDivider)
      widest = std::max(widest, c->TextWidth(b->Caption()));
  Integer textHeight = c->TextHeight("0");
  ReleaseDC(0, dc);
  Integer imageW = FImages ? FImages->Width() : 0, imageH = FImages ? FImages->Height() : 0;
  size.cx = std::max({size.cx, widest + 8, imageW + 8});
  size.cy = std::max(size.cy, imageH + textHeight + 3);
  return size;
}

void TToolBar::Rearrange()
{
  Realign();
  Invalidate();
}

void TToolBar::SyncItems() const
{
  for (TControl* old : std::vector<TControl*>(FItems))
    if (std::find(FControls.begin(), FControls.end(), old) == FControls.end()) {
      FItems.erase(std::remove(FItems.begin(), FItems.end(), old), FItems.end());
      FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), old), FButtons.end());
    }
  for (TControl* c : FControls)
    if (std::find(FItems.begin(), FItems.end(), c) == FItems.end()) {
      FItems.push_back(c);
      if (auto* b = dynamic_cast<TToolButton*>(c))
        FButtons.push_back(b);
    }
}

Integer TToolBar::ButtonCount() const
{
  SyncItems();
  return static_cast<Integer>(FButtons.size());
}

Integer TToolBar::ItemCount() const
{
  SyncItems();
  return static_cast<Integer>(FItems.size());
}

TControl* TToolBar::Items(Integer Index) const
{
  SyncItems();
  if (Index < 0 || Index >= static_cast<Integer>(FItems.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[static_cast<std::size_t>(Index)];
}

// Lays the controls out left to right in rows of the button height (or the tallest control
// of the row), starting a new row after a Wrap button or, when Wrapable, where the next one
// would pass the right edge.
void TToolBar::AlignControls(TControl* AControl, TRect& Rect)
{
  if (FArranging)
    return;
  FArranging = true;
  SyncItems();
  TSize button = ButtonSize();
  Integer left = Rect.Left + FIndent;
  Integer x = left, y = Rect.Top;
  Integer rowHeight = button.cy;
  bool wrapAfter = false;
  for (TControl* c : FItems) {
    if (!c->Visible())
      continue;
    auto* b = dynamic_cast<TToolButton*>(c);
    bool separator = b && (b->FStyle == tbsSeparator || b->FStyle == tbsDivider);
    Integer w = !b          ? c->Width()
                : separator ? b->Width()
                            : button.cx + (b->FStyle == tbsDropDown ? kArrowWidth : 0);
    Integer h = b ? button.cy : c->Height();
    if (wrapAfter || (FWrapable && x > left && x + w > Rect.Right)) {
      x = left;
      y += rowHeight;
      rowHeight = button.cy;
    }
    rowHeight = std::max(rowHeight, h);
    Integer top = b ? y : y + std::max((button.cy - h) / 2, 0);
    c->SetBounds(x, top, w, h);
    x += w;
    wrapAfter = b && b->FWrap;
  }
  FArranging = false;
  if (FAutoSize)
    AdjustSize();
}

Integer TToolBar::RowsHeight()
{
  Integer bottom = 0;
  for (TControl* c : FItems)
    if (c->Visible())
      bottom = std::max(bottom, c->Top() + c->Height());
  return std::max(bottom, ButtonSize().cy);
}

void TToolBar::AdjustSize()
{
  if (FArranging)
    return;
  Integer extra = FHeight - ClientHeight();
  Integer height = RowsHeight() + extra;
  if (height != FHeight)
    SetBounds(FLeft, FTop, FWidth, height);
}

void TToolBar::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  FCanvas->Brush()->SetStyle(bsSolid);
  FCanvas->Brush()->SetColor(FColor);
  FCanvas->FillRect(ClientRect());
  BindCanvasToDC(*FCanvas, 0);
}

void TToolBar::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_SIZE:
    TWinControl::Dispatch(Message);
    if (FWrapable)
      Realign();
    return;
  case CM_FONTCHANGED:
    TWinControl::Dispatch(Message);
    Rearrange();
    return;
  }
  TWinControl::Dispatch(Message);
}
