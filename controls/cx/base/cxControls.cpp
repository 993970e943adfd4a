// The base control (see cxControls.h). The mouse services (drag and drop, tracking, the
// middle button) are in cxControlsMouse.cpp, the settings controller, cursors and free
// helpers in cxControlsUnit.cpp.
#include "controls/cx/base/cxControls.h"

#include <algorithm>

#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

namespace {

bool Contains(const std::vector<IcxFontListener*>& list, IcxFontListener* item)
{
  return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

// ---- Construction ----

TcxControl::TcxControl(TComponent* AOwner) : TCustomControl(AOwner)
{
  if (HasDragImages()) {
    TControlStyle style = ControlStyle();
    style.Include(csDisplayDragImage);
    SetControlStyle(style);
  }
  FCanvas = std::make_unique<TcxCanvas>(Canvas());
  FDefaultCursor = Cursor();
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent::Bind(this, &TcxControl::LookAndFeelChanged);
  FScrollBars = ssBoth;
  if (UsesOwnScrollBars()) {
    FHScrollBar = new TcxControlScrollBar(this);
    FHScrollBar->SetKind(sbHorizontal);
    FHScrollBar->OnScroll = TScrollEvent::Bind(this, &TcxControl::ScrollBarScroll);
    FVScrollBar = new TcxControlScrollBar(this);
    FVScrollBar->SetKind(sbVertical);
    FVScrollBar->SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), 121);
    FVScrollBar->OnScroll = TScrollEvent::Bind(this, &TcxControl::ScrollBarScroll);
    FSizeGrip = new TcxSizeGrip(this);
    FSizeGrip->SetVisible(false);
    SettingsControllerInstance()->AddControl(this);
  }
  SetTabStop(Focusable());
  FLastParentBackground = true;
  SetParentBackground(true);
}

TcxControl::~TcxControl()
{
  BeginDestroying();
  if (UsesOwnScrollBars()) {
    SettingsControllerInstance()->RemoveControl(this);
    FreeAndNil(FSizeGrip);
    FreeAndNil(FVScrollBar);
    FreeAndNil(FHScrollBar);
  }
  FFontListeners.clear();
  delete FDragAndDropObject;
  FDragAndDropObject = nullptr;
  FScreenCanvas.reset();
  FCanvas.reset();
  FLookAndFeel.reset();
}

void TcxControl::BeginDestroying()
{
  if (!ComponentState().Contains(csDestroying))
    Destroying();
}

// ---- Plain operations ----

TcxCanvas* TcxControl::ActiveCanvas()
{
  if (HandleAllocated()) {
    FScreenCanvas.reset();
    return FCanvas.get();
  }
  if (!FScreenCanvas)
    FScreenCanvas = std::make_unique<TcxScreenCanvas>();
  return FScreenCanvas.get();
}

TcxDragAndDropObject* TcxControl::DragAndDropObject()
{
  if (!FDragAndDropObject)
    FDragAndDropObject = DragAndDropObjectClass()(this);
  return FDragAndDropObject;
}

TcxDragAndDropObjectFactory TcxControl::DragAndDropObjectClass() const
{
  if (FDragAndDropObjectClass)
    return FDragAndDropObjectClass;
  return [](TcxControl* AControl) { return new TcxDragAndDropObject(AControl); };
}

bool TcxControl::HScrollBarVisible() const
{
  if (!FHScrollBar)
    return false;
  return FCalculatingScrollBarsData ? FHScrollBar->Data.Visible : FHScrollBar->Visible();
}

bool TcxControl::VScrollBarVisible() const
{
  if (!FVScrollBar)
    return false;
  return FCalculatingScrollBarsData ? FVScrollBar->Data.Visible : FVScrollBar->Visible();
}

void TcxControl::SetMouseCaptureObject(TObject* AObject)
{
  if (AObject == FMouseCaptureObject)
    return;
  if (auto* target = dynamic_cast<IcxMouseCaptureTarget*>(FMouseCaptureObject))
    target->MouseCaptureLost();
  FMouseCaptureObject = AObject;
  SetMouseCapture(AObject != nullptr);
}

void TcxControl::SetPopupMenu(TComponent* Value)
{
  if (!dynamic_cast<TPopupMenu*>(Value) && !dynamic_cast<IcxPopupMenuSource*>(Value))
    Value = nullptr;
  if (Value == FPopupMenuComponent)
    return;
  if (FPopupMenuComponent)
    FPopupMenuComponent->RemoveFreeNotification(this);
  FPopupMenuComponent = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TcxControl::SetScrollBarsMode(TScrollStyle Value)
{
  if (Value == FScrollBars)
    return;
  FScrollBars = Value;
  GeometryChanged();
}

void TcxControl::SetBorderStyle(Integer Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  GeometryChanged();
  Invalidate();
}

void TcxControl::AddFontListener(IcxFontListener* AListener)
{
  if (AListener && !Contains(FFontListeners, AListener))
    FFontListeners.push_back(AListener);
}

void TcxControl::RemoveFontListener(IcxFontListener* AListener)
{
  std::erase(FFontListeners, AListener);
}

void TcxControl::FontChanged()
{
  std::vector<IcxFontListener*> listeners = FFontListeners;
  for (IcxFontListener* l : listeners)
    if (Contains(FFontListeners, l))
      l->FontChanged(Font());
  Invalidate();
}

void TcxControl::InvalidateArea(const TRect* R, bool AEraseBackground)
{
  if (HandleAllocated())
    InvalidateRect(Handle(), R, AEraseBackground);
}

bool TcxControl::IsNearMouseDownPoint(Integer X, Integer Y) const
{
  return WithinDragThreshold(FMouseDownPos, X, Y);
}

void TcxControl::ScrollInDirection(Integer ADirection)
{
  if (ADirection == 0 || !FHScrollBar)
    return;
  TcxControlScrollBar* bar = ADirection <= 2 ? FHScrollBar : FVScrollBar;
  const TScrollBarKind kind = ADirection <= 2 ? sbHorizontal : sbVertical;
  const TScrollCode code = ADirection % 2 == 1 ? scLineUp : scLineDown;
  Integer pos = bar->Position();
  Scroll(kind, code, pos);
}

// ---- Virtual operations ----

bool TcxControl::ShowPopupMenu(TComponent* APopupMenu, Integer X, Integer Y)
{
  return ShowPopupMenuAt(this, APopupMenu, X, Y);
}

void TcxControl::AfterMouseDown(TMouseButton AButton, Integer X, Integer Y)
{
  if (DragMode() == dmAutomatic && (!InDesignMode() || AllowsDesignDragAt(X, Y, {})) &&
      AllowsVclDragAt(X, Y) && cxDragDetect(Handle()) == 1)
    BeginDrag(true, -1);
  if (AButton == mbMiddle)
    MiddleButtonScroll();
}

void TcxControl::EndMouseOperation()
{
  EndDragAndDrop(true);
  SetMouseCaptureObject(nullptr);
}

bool TcxControl::MayFocus()
{
  return !InDesignMode() && Focusable() && CanFocus();
}

Integer TcxControl::FrameWidth()
{
  return FBorderStyle == 0 ? 0 : Painter()->ControlBorderWidth();
}

void TcxControl::PaintBounds(TRect& R)
{
  if (!cxRectIsEmpty(FPaintBoundsOverride))
    R = FPaintBoundsOverride;
  else if (HandleAllocated())
    R = ClientRect();
  else
    R = Rect(0, 0, Width(), Height());
}

void TcxControl::ContentRect(TRect& R)
{
  PaintBounds(R);
  const Integer w = FrameWidth();
  R = cxRectInflate(R, -w, -w);
  if (HScrollBarVisible())
    R.Bottom -= FHScrollBar->Height();
  if (VScrollBarVisible())
    R.Right -= FVScrollBar->Width();
}

void TcxControl::ParentScrollBars()
{
  if (!FHScrollBar)
    return;
  FHScrollBar->SetParent(this);
  FVScrollBar->SetParent(this);
  FSizeGrip->SetParent(this);
}

bool TcxControl::IsOwnScrollBarPart(TControl* AControl) const
{
  return AControl && (AControl == FHScrollBar || AControl == FVScrollBar || AControl == FSizeGrip);
}

void TcxControl::HScrollBarBounds(TRect& R)
{
  ContentRect(R);
  R.Top = R.Bottom;
  R.Bottom = R.Top + FHScrollBar->Height();
}

void TcxControl::VScrollBarBounds(TRect& R)
{
  ContentRect(R);
  R.Left = R.Right;
  R.Right = R.Left + FVScrollBar->Width();
}

void TcxControl::SizeGripBounds(TRect& R)
{
  R.Left = FVScrollBar->Left();
  R.Right = R.Left + FVScrollBar->Width();
  R.Top = FHScrollBar->Top();
  R.Bottom = R.Top + FHScrollBar->Height();
}

void TcxControl::PlaceScrollBars()
{
  TRect r;
  if (FHScrollBar->Visible()) {
    HScrollBarBounds(r);
    FHScrollBar->SetBoundsRect(r);
  }
  if (FVScrollBar->Visible()) {
    VScrollBarBounds(r);
    FVScrollBar->SetBoundsRect(r);
  }
  if (FSizeGrip->Visible()) {
    SizeGripBounds(r);
    FSizeGrip->SetBoundsRect(r);
  }
}

bool TcxControl::CanFocusNow()
{
  if (!CanFocus())
    return false;
  TCustomForm* form = GetParentForm(this);
  return !form || (form->CanFocus() && form->Enabled() && form->Visible());
}

bool TcxControl::CanBeginDragAt(Integer X, Integer Y)
{
  return DragMode() == dmManual || IsNearMouseDownPoint(X, Y);
}

// ---- Own scroll bars ----

void TcxControl::ApplyScrollBarRule(TcxControlScrollBar* ABar, Integer AMin, Integer AMax,
                                    Integer AStep, Integer APage, Integer APosition,
                                    bool AAllowShow, bool AAllowHide)
{
  TcxScrollBarData& d = ABar->Data;
  d.AllowShow = AAllowShow;
  d.AllowHide = AAllowHide;
  if (!d.AllowShow) {
    d.Visible = false;
    return;
  }
  if (AMin <= AMax && APage < AMax - AMin + 1 && APosition >= AMin) {
    d.PageSize = APage;
    d.Min = AMin;
    d.Max = AMax;
    d.SmallChange = static_cast<SmallInt>(AStep);
    d.LargeChange = static_cast<SmallInt>(APage);
    d.Position = APosition;
    d.Enabled = true;
    d.Visible = true;
  } else if (d.AllowHide)
    d.Visible = false;
  else {
    d.Enabled = false;
    d.Visible = true;
  }
}

void TcxControl::SetScrollBarData(TScrollBarKind AKind, Integer AMin, Integer AMax, Integer AStep,
                                  Integer APage, Integer APosition, bool AAllowShow,
                                  bool AAllowHide)
{
  if (!FHScrollBar)
    return;
  const bool horizontal = AKind == sbHorizontal;
  const bool permitted = horizontal ? (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
                                    : (FScrollBars == ssVertical || FScrollBars == ssBoth);
  ApplyScrollBarRule(horizontal ? FHScrollBar : FVScrollBar, AMin, AMax, AStep, APage, APosition,
                     AAllowShow && permitted, AAllowHide);
}

// Both bars go when each one is needed only because the other takes its room.
void TcxControl::ApplyMutualAutoHide()
{
  TcxScrollBarData& h = FHScrollBar->Data;
  TcxScrollBarData& v = FVScrollBar->Data;
  if (!(h.Visible && h.Enabled && h.AllowHide && v.Visible && v.Enabled && v.AllowHide))
    return;
  auto removable = [&](TScrollBarKind kind) {
    if (!AutoHidesScrollBar(kind))
      return false;
    const TcxScrollBarData& d = kind == sbHorizontal ? h : v;
    const Integer other = kind == sbHorizontal ? FVScrollBar->Width() : FHScrollBar->Height();
    return d.PageSize + other >= d.Max - d.Min + 1;
  };
  if (!(removable(sbHorizontal) && removable(sbVertical)))
    return;
  const TcxScrollBarData oldH = h;
  const TcxScrollBarData oldV = v;
  ApplyScrollBarRule(FHScrollBar, oldH.Min, oldH.Max, oldH.SmallChange,
                     oldH.PageSize + FVScrollBar->Width(), oldH.Position, oldH.AllowShow,
                     oldH.AllowHide);
  ApplyScrollBarRule(FVScrollBar, oldV.Min, oldV.Max, oldV.SmallChange,
                     oldV.PageSize + FHScrollBar->Height(), oldV.Position, oldV.AllowShow,
                     oldV.AllowHide);
}

void TcxControl::RecalcScrollBars()
{
  if (!FHScrollBar || IsDestroying())
    return;
  const bool outermost = !FUpdatingScrollBars;
  if (outermost) {
    FSavedHVisible = FHScrollBar->Visible();
    FSavedVVisible = FVScrollBar->Visible();
  }
  FUpdatingScrollBars = true;
  struct TRestore {
    TcxControl* C;
    bool Outermost;
    ~TRestore()
    {
      if (Outermost) {
        C->FUpdatingScrollBars = false;
        C->FScrollBarsLocked = false;
      }
    }
  } restore{this, outermost};

  const bool hWas = FHScrollBar->Visible();
  const bool vWas = FVScrollBar->Visible();
  if (!FScrollBarsLocked) {
    FCalculatingScrollBarsData = true;
    FHScrollBar->Data.Visible = false;
    FVScrollBar->Data.Visible = false;
    // A descendant whose data depend on the other bar's visibility is asked again until
    // they settle; one that never settles is treated as oscillating after a few rounds.
    constexpr Integer MaxRounds = 4;
    bool settled = false;
    for (Integer round = 0; round < MaxRounds && !settled; ++round) {
      const bool h = FHScrollBar->Data.Visible;
      const bool v = FVScrollBar->Data.Visible;
      InitScrollBarData();
      settled = h == FHScrollBar->Data.Visible && v == FVScrollBar->Data.Visible;
    }
    ApplyMutualAutoHide();
    FCalculatingScrollBarsData = false;
    const bool oscillates = (!outermost && FHScrollBar->Data.Visible == FSavedHVisible &&
                             FVScrollBar->Data.Visible == FSavedVVisible) ||
                            !settled;
    if (oscillates) {
      FScrollBarsLocked = true;
      for (auto [bar, saved] :
           {std::pair{FHScrollBar, FSavedHVisible}, std::pair{FVScrollBar, FSavedVVisible}})
        if (bar->Visible() != saved) {
          bar->SetEnabled(false);
          bar->SetVisible(saved);
        }
    } else {
      FHScrollBar->ApplyData();
      FVScrollBar->ApplyData();
    }
  }
  if (FHScrollBar->Visible() != hWas || FVScrollBar->Visible() != vWas) {
    GeometryChanged();
    return;
  }
  FSizeGrip->SetVisible(FHScrollBar->Visible() && FVScrollBar->Visible());
  PlaceScrollBars();
  FHScrollBar->BringToFront();
  FVScrollBar->BringToFront();
  FSizeGrip->BringToFront();
}

void TcxControl::ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)
{
  Scroll(Sender == FHScrollBar ? sbHorizontal : sbVertical, ScrollCode, ScrollPos);
}

void TcxControl::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChanged)
{
  LookAndFeelChangedHook(Sender, AChanged);
}

void TcxControl::SettingsChanged()
{
  if (!FHScrollBar)
    return;
  const Integer h = GetSystemMetrics(SM_CYHSCROLL);
  const Integer w = GetSystemMetrics(SM_CXVSCROLL);
  if (h == FHScrollBar->Height() && w == FVScrollBar->Width())
    return;
  FHScrollBar->SetHeight(h);
  FVScrollBar->SetWidth(w);
  GeometryChanged();
}

// ---- Runtime overrides ----

void TcxControl::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FPopupMenuComponent)
    FPopupMenuComponent = nullptr;
  // The bars and the grip are children too: the window layer frees them with the other
  // children before this destructor runs.
  if (AComponent == FHScrollBar)
    FHScrollBar = nullptr;
  if (AComponent == FVScrollBar)
    FVScrollBar = nullptr;
  if (AComponent == FSizeGrip)
    FSizeGrip = nullptr;
}

void TcxControl::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TcxControl::CreateWnd()
{
  TCustomControl::CreateWnd();
  ParentScrollBars();
}

void TcxControl::Resize()
{
  TCustomControl::Resize();
  GeometryChanged();
}

void TcxControl::Paint()
{
  if (FBorderStyle == 1) {
    TRect r;
    PaintBounds(r);
    Painter()->DrawControlBorder(FCanvas.get(), r);
    ContentRect(r);
    FCanvas->ClipToRect(r);
  }
  TCustomControl::Paint();
}

void TcxControl::WndProc(TMessage& Message)
{
  TcxControl* self = this;
  AddDestroyWatch(reinterpret_cast<TComponent**>(&self));
  TPoint p = MessagePoint(Message);
  if (Width() > 32768 || Height() > 32768) {
    GetCursorPos(p);
    p = ScreenToClient(p);
  }
  struct TAfter {
    TcxControl*& Self;
    TMessage& Message;
    TPoint P;
    ~TAfter()
    {
      if (!Self)
        return;
      Self->RemoveDestroyWatch(reinterpret_cast<TComponent**>(&Self));
      switch (Message.Msg) {
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        Self->FireFocusChanged();
        break;
      case WM_PAINT:
        if (Self->ParentBackground() != Self->FLastParentBackground) {
          Self->FLastParentBackground = Self->ParentBackground();
          Self->ParentBackgroundChanged();
        }
        break;
      default:
        break;
      }
    }
  } after{self, Message, p};
  const bool leftPress = Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK;
  if (leftPress && !::DragObject() &&
      ((InDesignMode() && AcceptsDesignMouse(p.X, p.Y, TShiftState{ssLeft})) ||
       (!InDesignMode() && DragMode() == dmAutomatic))) {
    // The press goes to the handlers without the platform's own automatic drag start:
    // AfterMouseDown detects the drag itself.
    const TDragMode mode = DragMode();
    SetDragMode(dmManual);
    try {
      TCustomControl::WndProc(Message);
    } catch (...) {
      if (self)
        SetDragMode(mode);
      throw;
    }
    if (self)
      SetDragMode(mode);
  } else
    TCustomControl::WndProc(Message);
  if (!self)
    return;
  switch (Message.Msg) {
  case WM_LBUTTONDOWN:
    AfterMouseDown(mbLeft, p.X, p.Y);
    break;
  case WM_RBUTTONDOWN:
    AfterMouseDown(mbRight, p.X, p.Y);
    break;
  case WM_MBUTTONDOWN:
    AfterMouseDown(mbMiddle, p.X, p.Y);
    break;
  default:
    break;
  }
}

void TcxControl::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_CANCELMODE:
    TCustomControl::Dispatch(Message);
    EndDragAndDrop(false);
    CancelMouseOperation();
    return;
  case WM_CONTEXTMENU: {
    if (Message.Result != 0)
      return;
    if (InDesignMode()) {
      TCustomControl::Dispatch(Message);
      return;
    }
    TPoint p = PointFromLParam(Message.LParam);
    if (p.X != -1 || p.Y != -1) {
      p = ScreenToClient(p);
      if (!PtInRect(ClientRect(), p)) {
        TCustomControl::Dispatch(Message);
        return;
      }
    }
    bool handled = false;
    DoContextPopup(p, handled);
    Message.Result = handled;
    if (!handled)
      TCustomControl::Dispatch(Message);
    return;
  }
  case WM_ERASEBKGND:
    if (ErasesBackground())
      TCustomControl::Dispatch(Message);
    else
      Message.Result = 1;
    return;
  case WM_GETDLGCODE: {
    LRESULT r = 0;
    if (FWantedKeys.Contains(wkAllKeys))
      r |= DLGC_WANTALLKEYS;
    if (FWantedKeys.Contains(wkArrows))
      r |= DLGC_WANTARROWS;
    if (FWantedKeys.Contains(wkChars))
      r |= DLGC_WANTCHARS;
    if (FWantedKeys.Contains(wkTab))
      r |= DLGC_WANTTAB;
    Message.Result = r;
    return;
  }
  case WM_NCCALCSIZE:
    TCustomControl::Dispatch(Message);
    if (HandleAllocated())
      PostMessage(Handle(), CXM_SETTINGSCHANGED, 0, 0);
    return;
  case CXM_SETTINGSCHANGED:
    SettingsChanged();
    return;
  case CM_COLORCHANGED:
    BackgroundColorChanged();
    break;
  case CM_CURSORCHANGED:
    CursorChanged();
    break;
  case CM_FONTCHANGED:
    TCustomControl::Dispatch(Message);
    FontChanged();
    return;
  case CM_MOUSEENTER:
  case CM_MOUSELEAVE: {
    TCustomControl::Dispatch(Message);
    auto* control = reinterpret_cast<TControl*>(Message.LParam);
    if (!control)
      control = this;
    if (Message.Msg == CM_MOUSEENTER)
      FireMouseEnter(control);
    else
      FireMouseLeave(control);
    return;
  }
  case CM_TEXTCHANGED:
    TCustomControl::Dispatch(Message);
    TextChanged();
    return;
  case CM_VISIBLECHANGED:
    TCustomControl::Dispatch(Message);
    VisibleChanged();
    return;
  case CM_DESIGNHITTEST:
    TCustomControl::Dispatch(Message);
    if (Message.Result == 0) {
      const TPoint p = PointFromLParam(Message.LParam);
      Message.Result = AcceptsDesignMouse(p.X, p.Y, KeysToShiftState(LOWORD(Message.WParam)));
    }
    return;
  default:
    break;
  }
  TCustomControl::Dispatch(Message);
}

void TcxControl::DoContextPopup(TPoint MousePos, bool& Handled)
{
  TCustomControl::DoContextPopup(MousePos, Handled);
  if (Handled)
    return;
  TPoint p = MousePos.X == -1 && MousePos.Y == -1 ? TPoint{0, 0} : MousePos;
  p = ClientToScreen(p);
  Handled = ShowPopupMenu(FPopupMenuComponent, p.X, p.Y);
}

bool TcxControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  const Integer kind = WheelScrollKind();
  if (kind == 0)
    return false;
  Integer direction;
  if (kind == 1)
    direction = WheelDelta >= 0 ? 1 : 2;
  else
    direction = WheelDelta >= 0 ? 3 : 4;
  // A wheel set to scroll by pages (-1 lines) steps three lines here.
  Integer lines = Mouse()->WheelScrollLines();
  if (lines <= 0 || lines > 100)
    lines = 3;
  for (Integer i = 0; i < lines; ++i)
    ScrollInDirection(direction);
  return true;
}

void TcxControl::DoStartDrag(TDragObject*& DragObject)
{
  TCustomControl::DoStartDrag(DragObject);
  if (!DragObject)
    DragObject = new TcxDragControlObject(this);
  if (!AcceptsDragObject(DragObject)) {
    delete DragObject;
    DragObject = nullptr;
    CancelDrag();
  }
}

void TcxControl::KeyDown(Word& Key, TShiftState Shift)
{
  if (Key == VK_ESCAPE)
    EndDragAndDrop(false);
  TCustomControl::KeyDown(Key, Shift);
}

void TcxControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  FMouseDownPos = TPoint{X, Y};
  TDestroyWatch watch(this);
  if (MayFocus() && !Shift.Contains(ssDouble)) {
    SetFocus();
    if (watch.Destroyed())
      return;
    if (!HasFocus() && !AllowUnfocusedMouseDown()) {
      SetMouseCapture(false);
      return;
    }
  }
  if (Button == mbLeft && !Shift.Contains(ssDouble) && StartsDragAndDropAt(TPoint{X, Y})) {
    if (DragAndDropObject()->ImmediateStart())
      BeginDragAndDrop();
    else
      SetDragAndDropState(ddsStarting);
  } else
    EndDragAndDrop(false);
  if (watch.Destroyed())
    return;
  BeforeMouseDown(Button, Shift, X, Y);
  if (watch.Destroyed())
    return;
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TcxControl::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  // The cursor follows the point without replacing the default one.
  const TCursor keep = FDefaultCursor;
  SetCursor(CursorAt(X, Y));
  FDefaultCursor = keep;
  TDestroyWatch watch(this);
  TCustomControl::MouseMove(Shift, X, Y);
  if (watch.Destroyed())
    return;
  if (FDragAndDropState == ddsStarting && !IsNearMouseDownPoint(X, Y))
    BeginDragAndDrop();
  if (FDragAndDropState == ddsInProcess) {
    bool accepted = false;
    DragAndDropMove(TPoint{X, Y}, accepted);
  }
}

void TcxControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  EndMouseOperation();
  if (watch.Destroyed())
    return;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

// ---- Internal drag and drop ----

void TcxControl::SetDragAndDropState(TcxDragAndDropState AValue)
{
  if (AValue == FDragAndDropState)
    return;
  FDragAndDropState = AValue;
  if (AValue == ddsNone && !FEndingDragAndDrop)
    CancelMouseOperation();
}

void TcxControl::BeginDragAndDrop()
{
  DragAndDropObject()->Init();
  SetMouseCapture(true);
  FSavedScreenCursor = Screen()->Cursor();
  SetDragAndDropState(ddsInProcess);
}

void TcxControl::DragAndDropMove(TPoint P, bool& AAccepted)
{
  DragAndDropObject()->DoMouseMove(P, AAccepted);
}

void TcxControl::FinishDragAndDrop(bool AAccepted)
{
  SetDragAndDropState(ddsNone);
  Screen()->SetCursor(FSavedScreenCursor);
  SetMouseCapture(false);
  SetMouseCaptureObject(nullptr);
  DragAndDropObject()->DoEnd(AAccepted);
}

void TcxControl::EndDragAndDrop(bool AAccepted)
{
  if (FEndingDragAndDrop)
    return;
  FEndingDragAndDrop = true;
  struct TClear {
    TcxControl* C;
    ~TClear()
    {
      delete C->FDragAndDropObject;
      C->FDragAndDropObject = nullptr;
      C->FEndingDragAndDrop = false;
    }
  } clear{this};
  if (FDragAndDropState == ddsInProcess)
    FinishDragAndDrop(AAccepted);
  else
    SetDragAndDropState(ddsNone);
}

// ---- TcxControlChildComponent ----

TcxControlChildComponent::TcxControlChildComponent(TcxControl* AControl, bool AAssignOwner)
    : TcxComponent(AAssignOwner ? AControl->Owner() : nullptr)
{
  SetControl(AControl);
}

TcxControlChildComponent::~TcxControlChildComponent()
{
  if (FControl)
    FControl->RemoveChildComponent(this);
}

void TcxControlChildComponent::SetParentComponent(TComponent* Value)
{
  TcxComponent::SetParentComponent(Value);
  if (auto* control = dynamic_cast<TcxControl*>(Value))
    control->AddChildComponent(this);
}

void TcxControl::AddChildComponent(TcxControlChildComponent* AComponent)
{
  AComponent->SetControl(this);
}

void TcxControl::RemoveChildComponent(TcxControlChildComponent* AComponent)
{
  AComponent->SetControl(nullptr);
}
