// Tabs: the tab strip every tab control shares (TCustomTabControl), the tab control over a
// list of texts (TTabControl), and the page control with its pages (TPageControl,
// TTabSheet). ComCtrls.h describes them.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void comctrls::RegisterTabsClasses()
{
  RegisterEnumType<TTabPosition>("TTabPosition", {"tpTop", "tpBottom", "tpLeft", "tpRight"});
  RegisterEnumType<TTabStyle>("TTabStyle", {"tsTabs", "tsButtons", "tsFlatButtons"});
  // The same signature as the close query's event: one type record serves both.
  RegisterEventType<TTabChangingEvent>("TTabChangingEvent");
  TClassRegistration<TCustomTabControl, TCustomControl>("TCustomTabControl").Abstract();
  TClassRegistration<TTabControl, TCustomTabControl>("TTabControl")
      .Property("Images", &TTabControl::Images, &TTabControl::SetImages)
      .Property("MultiLine", &TTabControl::MultiLine, &TTabControl::SetMultiLine)
      .Default(false)
      .Property("TabHeight", &TTabControl::TabHeight, &TTabControl::SetTabHeight)
      .Default(0)
      .Property("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex)
      .Default(-1)
      .Property("Tabs", &TTabControl::Tabs, &TTabControl::SetTabs)
      .Property("OnChange", &TTabControl::OnChange, &TTabControl::OnChange)
      .Property("OnChanging", &TTabControl::OnChanging, &TTabControl::OnChanging);
  // Page and page control name each other: the page control's record comes first, its
  // properties after the page's.
  TClassRegistration<TPageControl, TCustomTabControl> pageControl("TPageControl");
  TClassRegistration<TTabSheet, TWinControl>("TTabSheet")
      .Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex)
      .Default(-1)
      .Property("PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl)
      .Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex)
      .Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)
      .Default(true);
  pageControl.Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
      .Property("Images", &TPageControl::Images, &TPageControl::SetImages)
      .Property("MultiLine", &TPageControl::MultiLine, &TPageControl::SetMultiLine)
      .Default(false)
      .Property("TabHeight", &TPageControl::TabHeight, &TPageControl::SetTabHeight)
      .Default(0)
      .Property("OnChange", &TPageControl::OnChange, &TPageControl::OnChange)
      .Property("OnChanging", &TPageControl::OnChanging, &TPageControl::OnChanging);
}

namespace {

constexpr Integer kTabPadding = 12; // text width + this is a tab's width
constexpr Integer kLift = 2;        // the selected tab stands this much taller

} // namespace

// ---- TCustomTabControl ----

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TCustomControl(AOwner)
{
  FControlStyle =
      TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  FWidth = 289;
  FHeight = 193;
  FTabStop = true;
  FColor = clBtnFace;
  FParentColor = false;
}

TCustomTabControl::~TCustomTabControl() = default;

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    TabsChanged();
  }
}

void TCustomTabControl::SetImages(TCustomImageList* Value)
{
  ReplaceComponentReference(this, Value, FImages);
  TabsChanged();
}

void TCustomTabControl::SetMultiLine(bool Value)
{
  if (Value == FMultiLine)
    return;
  FMultiLine = Value;
  TabsChanged();
}

void TCustomTabControl::SetTabHeight(Integer Value)
{
  if (Value == FTabHeight || Value < 0)
    return;
  FTabHeight = Value;
  TabsChanged();
}

void TCustomTabControl::TabsChanged()
{
  FLayoutValid = false;
  Realign();
  Invalidate();
}

bool TCustomTabControl::CanChange()
{
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change()
{
  OnChange(this);
}

// Tabs run from the left in rows as wide as the control (one row unless MultiLine); the row
// holding the selected tab is the one next to the display area.
void TCustomTabControl::LayoutTabs()
{
  if (FLayoutValid)
    return;
  FLayoutValid = true;
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(FFont.get());
  Integer textHeight = c->TextHeight("0");
  Integer height = FTabHeight > 0 ? FTabHeight : textHeight + 6;
  if (FImages)
    height = std::max(height, FImages->Height() + 4);
  Integer count = VisibleTabCount();
  FTabs.assign(static_cast<std::size_t>(count), TTabBox());
  Integer limit = std::max(FWidth - 4, 1);
  Integer x = 2, row = 0;
  for (Integer i = 0; i < count; ++i) {
    Integer w = c->TextWidth(VisibleTabCaption(i)) + kTabPadding;
    if (FImages && VisibleTabImage(i) >= 0)
      w += FImages->Width() + 3;
    if (FMultiLine && x > 2 && x + w > limit) {
      x = 2;
      ++row;
    }
    FTabs[i].Rect = Rect(x, 0, x + w, height);
    FTabs[i].Row = row;
    x += w;
  }
  ReleaseDC(0, dc);
  FRows = row + 1;
  // Rows are numbered from the top; the selected tab's row goes to the bottom.
  Integer selected = SelectedVisibleTab();
  Integer selectedRow = selected >= 0 && selected < count ? FTabs[selected].Row : FRows - 1;
  for (TTabBox& t : FTabs) {
    Integer r = t.Row;
    if (r == selectedRow)
      r = FRows - 1;
    else if (r > selectedRow)
      r -= 1;
    t.Rect.Top = kLift + r * height;
    t.Rect.Bottom = t.Rect.Top + height;
  }
}

TRect TCustomTabControl::TabRect(Integer Index)
{
  LayoutTabs();
  if (Index < 0 || Index >= static_cast<Integer>(FTabs.size()))
    return TRect();
  return FTabs[Index].Rect;
}

Integer TCustomTabControl::IndexOfTabAt(Integer X, Integer Y)
{
  LayoutTabs();
  Integer selected = SelectedVisibleTab();
  // The selected tab stands out over its neighbours.
  if (selected >= 0 && selected < static_cast<Integer>(FTabs.size())) {
    TRect r = FTabs[selected].Rect;
    InflateRect(r, kLift, kLift);
    if (PtInRect(r, Point(X, Y)))
      return selected;
  }
  for (Integer i = 0; i < static_cast<Integer>(FTabs.size()); ++i)
    if (PtInRect(FTabs[i].Rect, Point(X, Y)))
      return i;
  return -1;
}

TRect TCustomTabControl::DisplayRect()
{
  LayoutTabs();
  TRect r = ClientRect();
  Integer top = FTabs.empty() ? 0 : kLift + FRows * FTabs.front().Rect.Height();
  return Rect(r.Left + 4, top + 4, r.Right - 4, r.Bottom - 4);
}

void TCustomTabControl::AdjustClientRect(TRect& Rect)
{
  Rect = DisplayRect();
}

void TCustomTabControl::Paint()
{
  LayoutTabs();
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(client);
  TRect frame = DisplayRect();
  InflateRect(frame, 4, 4);
  TRect edge = frame;
  DrawEdge(c, edge, EDGE_RAISED, BF_RECT);
  c->SetFont(FFont.get());
  Integer selected = SelectedVisibleTab();
  auto drawTab = [&](Integer i) {
    TRect r = FTabs[i].Rect;
    bool isSelected = i == selected;
    if (isSelected)
      r = Rect(r.Left - kLift, r.Top - kLift, r.Right + kLift, r.Bottom + 1);
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
    TRect e = r;
    DrawEdge(c, e, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
    TRect text = FTabs[i].Rect;
    if (FImages && VisibleTabImage(i) >= 0) {
      FImages->Draw(c, text.Left + 6, text.Top + (text.Height() - FImages->Height()) / 2,
                    VisibleTabImage(i), FEnabled);
      text.Left += FImages->Width() + 3;
    }
    if (isSelected)
      OffsetRect(text, 0, -1);
    PaintText(c, VisibleTabCaption(i), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, FEnabled);
    if (isSelected && Focused()) {
      TRect focus = FTabs[i].Rect;
      InflateRect(focus, -3, -3);
      c->DrawFocusRect(focus);
    }
  };
  for (Integer i = 0; i < static_cast<Integer>(FTabs.size()); ++i)
    if (i != selected)
      drawTab(i);
  if (selected >= 0 && selected < static_cast<Integer>(FTabs.size()))
    drawTab(selected);
}

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  if (Button == mbLeft) {
    Integer i = IndexOfTabAt(X, Y);
    if (i >= 0 && i != SelectedVisibleTab()) {
      SelectVisibleTab(i);
      if (watch.Destroyed())
        return;
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

// Left and Right go from tab to tab while the control has the focus.
void TCustomTabControl::KeyDown(Word& Key, TShiftState Shift)
{
  TCustomControl::KeyDown(Key, Shift);
  Integer count = VisibleTabCount();
  if (count == 0 || !Shift.Empty())
    return;
  Integer current = SelectedVisibleTab();
  Integer target = current;
  if (Key == VK_LEFT || Key == VK_UP)
    target = std::max(current - 1, 0);
  else if (Key == VK_RIGHT || Key == VK_DOWN)
    target = std::min(current + 1, count - 1);
  else
    return;
  Key = 0;
  if (target != current)
    SelectVisibleTab(target);
}

void TCustomTabControl::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS;
    return;
  case WM_SIZE:
  case CM_FONTCHANGED:
    FLayoutValid = false;
    TCustomControl::Dispatch(Message);
    Realign();
    Invalidate();
    return;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
  case CM_ENABLEDCHANGED:
    Invalidate();
    break;
  case CM_DIALOGCHAR: {
    // A tab's accelerator selects it.
    for (Integer i = 0; i < VisibleTabCount(); ++i)
      if (IsAccel(static_cast<Word>(Message.WParam), VisibleTabCaption(i)) && CanFocus()) {
        Message.Result = 1;
        SelectVisibleTab(i);
        return;
      }
    break;
  }
  }
  TCustomControl::Dispatch(Message);
}

// ---- TTabControl ----

TTabControl::TTabControl(TComponent* AOwner)
    : TCustomTabControl(AOwner), FTabs(std::make_unique<TStringList>())
{
  FTabs->OnChange = TNotifyEvent::Bind(this, &TTabControl::TabsListChanged);
}

TTabControl::~TTabControl()
{
  FTabs->OnChange = nullptr;
}

void TTabControl::TabsListChanged(TObject*)
{
  if (FTabIndex >= FTabs->Count())
    FTabIndex = FTabs->Count() - 1;
  if (FTabIndex < 0 && FTabs->Count() > 0)
    FTabIndex = 0;
  TabsChanged();
}

Integer TTabControl::VisibleTabCount() const
{
  return FTabs->Count();
}

AnsiString TTabControl::VisibleTabCaption(Integer Index) const
{
  return FTabs->Strings(Index);
}

void TTabControl::SetTabIndex(Integer Value)
{
  Value = std::clamp(Value, -1, FTabs->Count() - 1);
  if (Value == FTabIndex)
    return;
  FTabIndex = Value;
  TabsChanged();
}

bool TTabControl::SelectVisibleTab(Integer Index)
{
  if (Index == FTabIndex || Index < 0 || Index >= FTabs->Count() || !CanChange())
    return false;
  FTabIndex = Index;
  TabsChanged();
  Change();
  return true;
}

// ---- TTabSheet ----

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner)
{
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks};
  FAlign = alNone;
  FVisible = false;
  FColor = clBtnFace;
}

TTabSheet::~TTabSheet()
{
  SetPageControl(nullptr);
}

void TTabSheet::SetPageControl(TPageControl* Value)
{
  if (Value == FPageControl)
    return;
  if (FPageControl)
    FPageControl->RemovePage(this);
  SetParent(Value);
  if (Value)
    Value->InsertPage(this);
}

Integer TTabSheet::PageIndex() const
{
  if (!FPageControl)
    return -1;
  auto& pages = FPageControl->FPages;
  return static_cast<Integer>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(Integer Value)
{
  if (!FPageControl)
    return;
  auto& pages = FPageControl->FPages;
  pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
  Value = std::clamp<Integer>(Value, 0, static_cast<Integer>(pages.size()));
  pages.insert(pages.begin() + Value, this);
  FPageControl->TabsChanged();
}

void TTabSheet::SetTabVisible(bool Value)
{
  if (Value == FTabVisible)
    return;
  FTabVisible = Value;
  if (FPageControl)
    FPageControl->TabsChanged();
}

Integer TTabSheet::TabIndex() const
{
  if (!FPageControl || !FTabVisible)
    return -1;
  Integer index = 0;
  for (TTabSheet* page : FPageControl->FPages) {
    if (page == this)
      return index;
    if (page->FTabVisible)
      ++index;
  }
  return -1;
}

void TTabSheet::SetImageIndex(Integer Value)
{
  if (Value == FImageIndex)
    return;
  FImageIndex = Value;
  if (FPageControl)
    FPageControl->Invalidate();
}

void TTabSheet::Dispatch(TMessage& Message)
{
  if (Message.Msg == CM_TEXTCHANGED && FPageControl)
    FPageControl->TabsChanged();
  TWinControl::Dispatch(Message);
}

// ---- TPageControl ----

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl()
{
  // The pages leave first, so none of them looks back at a half-destroyed control.
  for (TTabSheet* page : std::vector<TTabSheet*>(FPages))
    page->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(Integer Index) const
{
  if (Index < 0 || Index >= PageCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FPages[static_cast<std::size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page)
{
  FPages.push_back(Page);
  Page->FPageControl = this;
  Page->SetAlign(alNone);
  if (!FActivePage)
    SetActivePage(Page);
  ShowActive();
  TabsChanged();
}

// A page that leaves while active hands over to the next page (the one after it, or before
// it at the end).
void TPageControl::RemovePage(TTabSheet* Page)
{
  TTabSheet* next = nullptr;
  if (Page == FActivePage) {
    next = FindNextPage(Page, true, !ComponentState().Contains(csDesigning));
    if (next == Page)
      next = nullptr;
  }
  FPages.erase(std::remove(FPages.begin(), FPages.end(), Page), FPages.end());
  Page->FPageControl = nullptr;
  if (Page == FActivePage) {
    FActivePage = nullptr;
    SetActivePage(next);
  }
  TabsChanged();
}

Integer TPageControl::ActivePageIndex() const
{
  return FActivePage ? FActivePage->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(Integer Value)
{
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[static_cast<std::size_t>(Value)]
                                                  : nullptr);
}

// The focus leaves a page that hides: it goes to the new page's first control, or to the
// page control itself.
void TPageControl::SetActivePage(TTabSheet* Value)
{
  if (Value && Value->FPageControl != this)
    return;
  if (Value == FActivePage)
    return;
  TCustomForm* form = GetParentForm(this);
  bool focusInside = form && FActivePage && form->ActiveControl() &&
                     FActivePage->ContainsControl(form->ActiveControl());
  FActivePage = Value;
  ShowActive();
  TabsChanged();
  if (!focusInside || !form->Visible())
    return;
  TWinControl* first = Value ? Value->FindNextControl(nullptr, true, true, false) : nullptr;
  if (first && first->CanFocus())
    first->SetFocus();
  else if (CanFocus())
    SetFocus();
}

void TPageControl::ShowActive()
{
  TRect display = DisplayRect();
  if (FActivePage) {
    FActivePage->SetBoundsRect(display);
    FActivePage->SetVisible(true);
    FActivePage->BringToFront();
  }
  for (TTabSheet* page : FPages)
    if (page != FActivePage)
      page->SetVisible(false);
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect)
{
  TRect display = DisplayRect();
  for (TTabSheet* page : FPages)
    page->SetBoundsRect(display);
  TCustomTabControl::AlignControls(AControl, Rect);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward,
                                      bool CheckTabVisible) const
{
  Integer count = PageCount();
  if (count == 0)
    return nullptr;
  auto it = std::find(FPages.begin(), FPages.end(), CurPage);
  Integer start =
      it == FPages.end() ? (GoForward ? count - 1 : 0) : static_cast<Integer>(it - FPages.begin());
  Integer i = start;
  for (Integer step = 0; step < count; ++step) {
    i = GoForward ? (i + 1) % count : (i + count - 1) % count;
    TTabSheet* page = FPages[static_cast<std::size_t>(i)];
    if (!CheckTabVisible || page->FTabVisible)
      return page;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible)
{
  TTabSheet* page = FindNextPage(FActivePage, GoForward, CheckTabVisible);
  if (!page || page == FActivePage || !CanChange())
    return;
  SetActivePage(page);
  Change();
}

TTabSheet* TPageControl::VisibleTab(Integer Index) const
{
  Integer n = 0;
  for (TTabSheet* page : FPages)
    if (page->FTabVisible && n++ == Index)
      return page;
  return nullptr;
}

Integer TPageControl::VisibleTabCount() const
{
  return static_cast<Integer>(
      std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* p) { return p->FTabVisible; }));
}

AnsiString TPageControl::VisibleTabCaption(Integer Index) const
{
  TTabSheet* page = VisibleTab(Index);
  return page ? page->Caption() : AnsiString();
}

Integer TPageControl::VisibleTabImage(Integer Index) const
{
  TTabSheet* page = VisibleTab(Index);
  return page ? page->ImageIndex() : -1;
}

Integer TPageControl::SelectedVisibleTab() const
{
  return FActivePage ? FActivePage->TabIndex() : -1;
}

bool TPageControl::SelectVisibleTab(Integer Index)
{
  TTabSheet* page = VisibleTab(Index);
  if (!page || page == FActivePage || !CanChange())
    return false;
  SetActivePage(page);
  Change();
  return true;
}

// Ctrl+Tab and Ctrl+Shift+Tab go through the pages wherever the focus is inside the control
// (the key travels up from the focused control as CM_CHILDKEY).
void TPageControl::Dispatch(TMessage& Message)
{
  if (Message.Msg == CM_CHILDKEY && Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    Message.Result = 1;
    return;
  }
  TCustomTabControl::Dispatch(Message);
}
