// The inner list box (see cxInnerListBox.h).
#include "controls/cx/base/cxInnerListBox.h"

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Forms.h"

TcxCustomInnerListBox::TcxCustomInnerListBox(TComponent* AOwner) : TListBox(AOwner)
{
  FCanvas = std::make_unique<TcxCanvas>(Canvas());
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged =
      TcxLookAndFeelChangedEvent::Bind(this, &TcxCustomInnerListBox::LookAndFeelChanged);
  for (TcxScrollBar** bar : {&FHScrollBar, &FVScrollBar}) {
    *bar = new TcxScrollBar(this);
    (*bar)->SetVisible(false);
    (*bar)->SetSmallChange(1);
    (*bar)->OnScroll = TScrollEvent::Bind(this, &TcxCustomInnerListBox::BarScroll);
    (*bar)->LookAndFeel()->SetMasterLookAndFeel(FLookAndFeel.get());
    (*bar)->FreeNotification(this);
  }
  FVScrollBar->SetKind(sbVertical);
  SetBorderStyle(bsNone);
  TControlStyle style = ControlStyle();
  style.Include(csDoubleClicks);
  SetControlStyle(style);
  SetParentColor(false);
  SetParentFont(true);
}

TcxCustomInnerListBox::~TcxCustomInnerListBox()
{
  for (TcxScrollBar* bar : {FHScrollBar, FVScrollBar})
    if (bar && !bar->Parent())
      delete bar;
  FLookAndFeel.reset();
  FCanvas.reset();
}

void TcxCustomInnerListBox::Notification(TComponent* AComponent, TOperation Operation)
{
  TListBox::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FHScrollBar)
    FHScrollBar = nullptr;
  if (AComponent == FVScrollBar)
    FVScrollBar = nullptr;
}

void TcxCustomInnerListBox::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues)
{
  if (HandleAllocated())
    Invalidate();
}

void TcxCustomInnerListBox::UpdateScrollBars()
{
  if (ComponentState().Contains(csDestroying) || FScrollBarsLock > 0 ||
      !IsScrollBarInfoAvailable() || !HandleAllocated())
    return;
  FScrollBarsCalculating = true;
  TScopeExit reset([this] { FScrollBarsCalculating = false; });
  for (TcxScrollBar* bar : {FHScrollBar, FVScrollBar}) {
    if (!bar || !Parent())
      continue;
    const bool horizontal = bar == FHScrollBar;
    SCROLLBARINFO info;
    bool shown = false;
    TRect bounds;
    if (GetScrollBarInfo(Handle(), horizontal ? OBJID_HSCROLL : OBJID_VSCROLL, info) &&
        !(info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN))) {
      shown = true;
      bar->SetEnabled(!(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE));
      bounds = info.rcScrollBar;
      MapRectBetweenWindows(0, Parent()->Handle(), bounds);
      if (bounds.Left < 0 || bounds.Top < 0 || cxRectWidth(bounds) > Width() ||
          cxRectHeight(bounds) > Height()) {
        shown = false;
        bounds = horizontal ? Bounds(0, 0, GetSystemMetrics(SM_CYHSCROLL), 0)
                            : Bounds(0, 0, 0, GetSystemMetrics(SM_CXVSCROLL));
      }
    }
    if (shown) {
      ++FScrollBarsLock;
      TScopeExit unlock([this] { --FScrollBarsLock; });
      bar->SetParent(Parent());
      bar->SetCtl3D(false);
      bar->SetBoundsRect(bounds);
      bar->BringToFront();
    } else
      bar->SetBoundsRect(TRect{});
    bar->SetVisible(shown);
    if (!shown)
      continue;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (GetScrollInfo(Handle(), horizontal ? SB_HORZ : SB_VERT, si))
      bar->SetScrollParams(si.nMin, si.nMax, si.nPos,
                           std::min(static_cast<Integer>(si.nPage), si.nMax), true);
  }
}

void TcxCustomInnerListBox::BarScroll(TObject* Sender, TScrollCode Code, Integer& Pos)
{
  auto* bar = static_cast<TcxScrollBar*>(Sender);
  if (!bar->HandleAllocated())
    return;
  const bool horizontal = bar == FHScrollBar;
  // As from the list box's own bar (no bar window): a message naming the painted bar would
  // be reflected back to it.
  TMessage m{horizontal ? UINT(WM_HSCROLL) : UINT(WM_VSCROLL),
             static_cast<WPARAM>((static_cast<Cardinal>(Pos) << 16) | static_cast<Word>(Code)), 0,
             0};
  TListBox::WndProc(m);
  Pos = GetScrollPos(Handle(), horizontal ? SB_HORZ : SB_VERT);
}

TRect TcxCustomInnerListBox::SizeGripRect()
{
  if (!FHScrollBar || !FVScrollBar || !FHScrollBar->Visible() || !FVScrollBar->Visible() ||
      !Parent())
    return TRect{};
  TPoint a = Parent()->ClientToScreen(TPoint{FVScrollBar->Left(), FHScrollBar->Top()});
  TRect window;
  GetWindowRect(Handle(), window);
  a = TPoint{a.X - window.Left, a.Y - window.Top};
  return Bounds(a.X, a.Y, FVScrollBar->Width(), FHScrollBar->Height());
}

void TcxCustomInnerListBox::WndProc(TMessage& Message)
{
  if (Message.Msg == WM_LBUTTONDOWN && FContainer && FContainer->DragMode() == dmAutomatic &&
      !FContainer->InDesignMode()) {
    HandleLeftButtonDown(Message);
    return;
  }
  switch (Message.Msg) {
  case WM_NCCALCSIZE:
    TListBox::WndProc(Message);
    if (!FScrollBarsCalculating)
      UpdateScrollBars();
    return;
  case WM_KILLFOCUS:
    TListBox::WndProc(Message);
    if (FContainer && !FContainer->IsContainerDestroying())
      FContainer->FireFocusChanged();
    return;
  case WM_SETFOCUS:
    TListBox::WndProc(Message);
    if (FContainer && !FContainer->IsContainerDestroying() &&
        !ComponentState().Contains(csDestroying) &&
        !(FContainer->HandleAllocated() &&
          static_cast<HWND>(Message.WParam) == FContainer->Handle()))
      FContainer->FireFocusChanged();
    return;
  case WM_GETDLGCODE:
    TListBox::WndProc(Message);
    if (FContainer) {
      Message.Result |= DLGC_WANTCHARS;
      if (GetKeyState(VK_CONTROL) >= 0)
        Message.Result |= DLGC_WANTTAB;
    }
    return;
  case CM_MOUSELEAVE:
    TListBox::WndProc(Message);
    if (FContainer)
      FContainer->UpdateLook(true);
    return;
  case WM_NCPAINT: {
    TListBox::WndProc(Message);
    const TRect corner = SizeGripRect();
    if (!cxRectIsEmpty(corner)) {
      HDC dc = GetWindowDC(Handle());
      TCanvas canvas;
      BindCanvasToDC(canvas, dc);
      canvas.Brush()->SetColor(clBtnFace);
      canvas.FillRect(corner);
      BindCanvasToDC(canvas, 0);
      ReleaseDC(Handle(), dc);
    }
    return;
  }
  default:
    break;
  }
  TListBox::WndProc(Message);
  switch (Message.Msg) {
  case WM_SHOWWINDOW:
    if (Message.WParam != 0)
      UpdateScrollBars();
    break;
  case WM_WINDOWPOSCHANGED:
    UpdateScrollBars();
    if (!ComponentState().Contains(csDestroying) && !cxRectIsEmpty(SizeGripRect()))
      SendMessage(Handle(), WM_NCPAINT, 0, 0);
    break;
  case WM_HSCROLL:
  case WM_VSCROLL:
  case LB_ADDSTRING:
  case LB_INSERTSTRING:
  case LB_DELETESTRING:
  case LB_RESETCONTENT:
  case LB_SETCURSEL:
  case LB_SETHORIZONTALEXTENT:
  case LB_SETTOPINDEX:
  case LB_SETCARETINDEX:
  case WM_MOUSEWHEEL:
  case CM_WININICHANGE:
  // The list box's own properties (Items, TopIndex ..) change it without its messages;
  // every such change repaints it, so the bars follow after painting as well.
  case WM_PAINT:
    UpdateScrollBars();
    break;
  default:
    break;
  }
}

void TcxCustomInnerListBox::HandleLeftButtonDown(TMessage& Message)
{
  const TDragMode mode = DragMode();
  SetDragMode(dmManual);
  TDestroyWatch watch(this);
  TScopeExit restore([&] {
    if (!watch.Destroyed())
      SetDragMode(mode);
  });
  const TShiftState shift = KeysToShiftState(static_cast<Word>(Message.WParam));
  const TPoint p = MessagePoint(Message);
  const Integer index = ItemAtPos(p, true);
  const bool extending = shift.Contains(ssShift) || shift.Contains(ssCtrl);
  if (MultiSelect() && !(shift.Contains(ssShift) && !shift.Contains(ssCtrl)) && index >= 0 &&
      Selected(index)) {
    // The press on a selected item drags the container and keeps the selection.
    FContainer->BeginDrag(false, -1);
    return;
  }
  TListBox::WndProc(Message);
  if (watch.Destroyed() || !FContainer)
    return;
  if (!(MultiSelect() && extending))
    FContainer->BeginDrag(false, -1);
}

void TcxCustomInnerListBox::CNDrawItem(TMessage& Message)
{
  auto& di = *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  TCanvas* c = Canvas();
  BindCanvasToDC(*c, di.hDC);
  c->SetFont(Font());
  c->SetBrush(Brush());
  TOwnerDrawState state;
  if (di.itemState & ODS_SELECTED) {
    state.Include(odSelected);
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
  }
  if (di.itemState & ODS_FOCUS)
    state.Include(odFocused);
  if (static_cast<Integer>(di.itemID) < 0)
    c->FillRect(di.rcItem);
  else
    DrawItem(static_cast<Integer>(di.itemID), di.rcItem, state);
  if ((di.itemState & ODS_FOCUS) && !OnDrawItem)
    c->DrawFocusRect(di.rcItem);
  BindCanvasToDC(*c, 0);
  Message.Result = 1;
}

void TcxCustomInnerListBox::Click()
{
  TListBox::Click();
  if (FVScrollBar)
    FVScrollBar->SetPosition(TopIndex());
  if (FContainer)
    FContainer->Click();
}

void TcxCustomInnerListBox::DblClick()
{
  TListBox::DblClick();
  if (FContainer)
    FContainer->DblClick();
}

bool TcxCustomInnerListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (FContainer && FContainer->DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  return TListBox::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TcxCustomInnerListBox::DragOver(TObject* Source, Integer X, Integer Y, TDragState State,
                                     bool& Accept)
{
  if (FContainer)
    FContainer->DragOver(Source, X + Left(), Y + Top(), State, Accept);
}

void TcxCustomInnerListBox::DragDrop(TObject* Source, Integer X, Integer Y)
{
  if (FContainer)
    FContainer->DragDrop(Source, X + Left(), Y + Top());
}

void TcxCustomInnerListBox::DoContextPopup(TPoint MousePos, bool& Handled)
{
  if (!FContainer) {
    TListBox::DoContextPopup(MousePos, Handled);
    return;
  }
  const TPoint p = MousePos.X == -1 && MousePos.Y == -1
                       ? MousePos
                       : TPoint{MousePos.X + Left(), MousePos.Y + Top()};
  FContainer->DoContextPopup(p, Handled);
}

void TcxCustomInnerListBox::KeyDown(Word& Key, TShiftState Shift)
{
  if (FContainer)
    FContainer->KeyDown(Key, Shift);
  if (Key != 0)
    TListBox::KeyDown(Key, Shift);
}

void TcxCustomInnerListBox::KeyPress(char& Key)
{
  if (Key == '\t')
    Key = 0;
  if (FContainer && Key != 0)
    FContainer->KeyPress(Key);
  if (Key == '\r')
    Key = 0;
  if (Key != 0)
    TListBox::KeyPress(Key);
}

void TcxCustomInnerListBox::KeyUp(Word& Key, TShiftState Shift)
{
  if (Key == VK_TAB)
    Key = 0;
  if (FContainer && Key != 0)
    FContainer->KeyUp(Key, Shift);
  if (Key != 0)
    TListBox::KeyUp(Key, Shift);
}

void TcxCustomInnerListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TListBox::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed() || !FContainer)
    return;
  FContainer->FInnerPressing = true;
  TScopeExit reset([c = FContainer] { c->FInnerPressing = false; });
  FContainer->MouseDown(Button, Shift, X + Left(), Y + Top());
}

void TcxCustomInnerListBox::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TListBox::MouseMove(Shift, X, Y);
  if (!watch.Destroyed() && FContainer)
    FContainer->MouseMove(Shift, X + Left(), Y + Top());
}

void TcxCustomInnerListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TListBox::MouseUp(Button, Shift, X, Y);
  if (!watch.Destroyed() && FContainer)
    FContainer->MouseUp(Button, Shift, X + Left(), Y + Top());
}
