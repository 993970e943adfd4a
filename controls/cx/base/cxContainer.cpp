// The container control and its view info (see cxContainer.h); the style is in
// cxContainerStyle.cpp.
#include "controls/cx/base/cxContainer.h"

#include <algorithm>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Forms.h"

namespace {

TShiftState LastShift;
TcxScreenCanvas* ScreenCanvas = nullptr;

} // namespace

// ---- Border styles ----

TcxContainerBorderStyle cxEffectiveBorderStyle(Integer AHotState, TcxContainerBorderStyle AStyle)
{
  static constexpr TcxContainerBorderStyle normal[6] = {cbsNone, cbsSingle, cbsThick,
                                                        cbsFlat, cbs3D,     cbsSingle};
  static constexpr TcxContainerBorderStyle hot[6] = {cbsFlat, cbsThick, cbsThick,
                                                     cbs3D,   cbs3D,    cbsSingle};
  return AHotState == 2 ? hot[AStyle] : normal[AStyle];
}

Integer cxContainerBorderWidth(TcxContainerBorderStyle AStyle)
{
  static constexpr Integer widths[6] = {0, 1, 2, 2, 2, 1};
  return widths[AStyle];
}

// ---- View info ----

void TcxContainerViewInfo::ShiftBy(Integer DX, Integer DY)
{
  BorderInnerRect = cxRectOffset(BorderInnerRect, DX, DY);
  Bounds = cxRectOffset(Bounds, DX, DY);
  ClientRect = cxRectOffset(ClientRect, DX, DY);
}

void TcxContainerViewInfo::DrawBorder(TcxCanvas* ACanvas, TRect R)
{
  switch (BorderStyle) {
  case cbsSingle:
  case cbsThick:
    ACanvas->FrameRect(R, BorderColor, BorderWidth);
    break;
  case cbsFlat:
    ACanvas->Draw3DEdge(R, true, true, Edges);
    ACanvas->FrameRect(cxRectInflate(R, -1, -1), clBtnFace);
    break;
  case cbs3D:
    ACanvas->Draw3DEdge(R, true, true, Edges);
    ACanvas->DrawTwoColorFrame(cxRectInflate(R, -1, -1), cl3DDkShadow, cl3DLight, Edges);
    break;
  default:
    break;
  }
}

void TcxContainerViewInfo::PaintParts(TcxCanvas* ACanvas)
{
  if (ThemeActive) {
    TdxTheme theme = OpenThemeHandle(ThemeClass);
    TRect content = Bounds;
    GetThemeBackgroundContentRect(theme, ACanvas->Canvas(), ThemePart, ThemeState, Bounds, content);
    ACanvas->FillRect(content, BackgroundColor);
    TColor border = clBtnShadow;
    if (TdxTheme combo = OpenThemeHandle(tcComboBox))
      GetThemeColor(combo, CP_DROPDOWNBUTTON, 1, TMT_BORDERCOLOR, border);
    FillRectFrame(ACanvas, Bounds, content, border);
    return;
  }
  TRect R = BorderInnerRect;
  R.Left -= BorderWidth;
  R.Top -= BorderWidth;
  if (Edges.Contains(bRight))
    R.Right += BorderWidth;
  if (Edges.Contains(bBottom))
    R.Bottom += BorderWidth;
  if (Shadow)
    DrawContainerShadow(ACanvas, R);
  if (!Edges.Contains(bRight))
    R.Right += BorderWidth;
  if (!Edges.Contains(bBottom))
    R.Bottom += BorderWidth;
  DrawBorder(ACanvas, R);
  ACanvas->FillRect(BorderInnerRect, BackgroundColor);
}

// ---- Mouse tracking of the container ----

class TcxContainer::TTrackingHelper : public IcxMouseTrackingCaller {
public:
  explicit TTrackingHelper(TcxContainer* AContainer) : FContainer(AContainer) {}
  void MouseLeave() override
  {
    StopMouseTracking(this);
    FContainer->MouseTrackingLeave();
  }

private:
  TcxContainer* FContainer;
};

// ---- TcxContainer ----

TcxContainer::TcxContainer(TComponent* AOwner) : TcxControl(AOwner)
{
  FConstructing = true;
  FTrackingHelper = std::make_unique<TTrackingHelper>(this);
  FStyle = CreateStyle();
  FStyle->OnChanged = TcxContainerStyleChangedEvent::Bind(this, &TcxContainer::StyleChanged);
  FViewInfo = CreateViewInfo();
  LookAndFeel()->SetMasterLookAndFeel(FStyle->LookAndFeel());
  TControlStyle style = ControlStyle();
  style.Include(csCaptureMouse);
  style.Include(csSetCaption);
  SetControlStyle(style);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FConstructing = false;
}

TcxContainer::~TcxContainer()
{
  BeginDestroying();
  FViewInfo.reset();
  FStyle->OnChanged = nullptr;
  FStyle.reset();
  StopMouseTracking(FTrackingHelper.get());
  FTrackingHelper.reset();
}

std::unique_ptr<TcxContainerStyle> TcxContainer::CreateStyle()
{
  return std::make_unique<TcxContainerStyle>(this, StyleIsExternal());
}

std::unique_ptr<TcxContainerViewInfo> TcxContainer::CreateViewInfo()
{
  return std::make_unique<TcxContainerViewInfo>();
}

void TcxContainer::BeginDestroying()
{
  if (FTrackingHelper)
    StopMouseTracking(FTrackingHelper.get());
  FContainerDestroying = true;
  TcxControl::BeginDestroying();
}

bool TcxContainer::ContainerFocused() const
{
  if (InDesignMode())
    return false;
  if (Focused())
    return true;
  return FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->Focused();
}

void TcxContainer::LockContextMenu(bool ALock)
{
  if (ALock)
    ++FContextMenuLock;
  else if (FContextMenuLock > 0)
    --FContextMenuLock;
}

void TcxContainer::SetAlignLock(bool ALock)
{
  if (ALock)
    ++FAlignLock;
  else if (FAlignLock > 0)
    --FAlignLock;
}

void TcxContainer::ApplyInnerControlLook()
{
  if (!FInnerControl)
    return;
  FInnerControl->SetColor(FViewInfo->BackgroundColor);
  FInnerControl->SetFont(Font());
  FInnerControl->Font()->SetColor(Enabled() ? Font()->Color() : clBtnShadow);
}

void TcxContainer::BorderExtent(TRect& R)
{
  if (FStyle->TransparentBorder() || FStyle->HotTrack())
    R = TRect{2, 2, 2, 2};
  else {
    const Integer w = cxContainerBorderWidth(FViewInfo->BorderStyle);
    R = TRect{w, w, w, w};
  }
  if (HasShadow()) {
    R.Right += 3;
    R.Bottom += 3;
  }
}

bool TcxContainer::HasShadow()
{
  return FStyle->Shadow() && !FViewInfo->ThemeActive;
}

void TcxContainer::VisibleBounds(TRect& R)
{
  R = Rect(0, 0, Width(), Height());
  if (FViewInfo->ThemeActive)
    return;
  TRect extent;
  BorderExtent(extent);
  R = cxRectInflateSides(DeflateRectByMargins(R, extent), FStyle->Edges(), FViewInfo->BorderWidth);
}

Integer TcxContainer::ThemeState() const
{
  if (!Enabled())
    return ETS_DISABLED;
  if (ContainerFocused())
    return ETS_FOCUSED;
  if (FViewInfo->ContainerState.Contains(cxcsHot))
    return ETS_HOT;
  return ETS_NORMAL;
}

void TcxContainer::CalculateViewInfo(TPoint P, bool AHotTrackAllowed)
{
  TcxContainerViewInfo& v = *FViewInfo;
  v.Bounds = Rect(0, 0, Width(), Height());
  v.ThemeActive = FStyle->LookAndFeel()->NativeStyle() && OpenThemeHandle(ThemeClass()) != 0;
  if (v.ThemeActive) {
    v.ThemeClass = ThemeClass();
    v.ThemePart = ThemePart();
  }
  v.Shadow = HasShadow();
  if (!Enabled())
    v.ContainerState = {cxcsDisabled};
  else if (InDesignMode())
    v.ContainerState = {cxcsNormal};
  else if (ContainerFocused())
    v.ContainerState = {cxcsFocused};
  else
    v.ContainerState = {cxcsNormal};
  if (Enabled() && !InDesignMode() && AHotTrackAllowed) {
    TRect visible;
    VisibleBounds(visible);
    if (PtInRect(visible, P))
      v.ContainerState.Include(cxcsHot);
  }
  if (!FStyle->HotTrack())
    v.HotState = 0;
  else
    v.HotState =
        v.ContainerState.Contains(cxcsFocused) || v.ContainerState.Contains(cxcsHot) ? 2 : 1;
  v.BorderStyle = cxEffectiveBorderStyle(v.HotState, FStyle->BorderStyle());
  TRect extent;
  BorderExtent(extent);
  v.BorderInnerRect = DeflateRectByMargins(v.Bounds, extent);
  v.BorderWidth = cxContainerBorderWidth(v.BorderStyle);
  v.Edges = FStyle->Edges();
  v.ClientRect = v.BorderInnerRect;
  if (v.ThemeActive)
    v.ThemeState = ThemeState();
  if (FStyle->BorderStyle() == cbsUltraFlat) {
    const bool hot = v.ContainerState.Contains(cxcsFocused) ||
                     (v.ContainerState.Contains(cxcsHot) && FStyle->HotTrack()) ||
                     (InDesignMode() && Enabled());
    v.BorderColor = hot ? clHighlight : clBtnShadow;
  } else
    v.BorderColor = FStyle->BorderColor();
  if (v.ThemeActive) {
    TColor fill = clBtnFace;
    if (!Enabled())
      GetThemeColor(OpenThemeHandle(v.ThemeClass), v.ThemePart, v.ThemeState, TMT_FILLCOLOR, fill);
    v.SetBackgroundColor(Enabled() ? Color() : fill);
  } else
    v.SetBackgroundColor(Enabled() ? FStyle->Color() : clBtnFace);
}

void TcxContainer::AdjustInnerControlBounds()
{
  if (!FInnerControl)
    return;
  const TRect r = FViewInfo->ClientRect;
  if (FInnerControl->BoundsRect() == r)
    return;
  FInnerBoundsGuard = true;
  try {
    FInnerControl->SetBoundsRect(r);
  } catch (...) {
    FInnerBoundsGuard = false;
    throw;
  }
  FInnerBoundsGuard = false;
}

bool TcxContainer::UpdateLookAtPoint(TPoint P, Integer, TShiftState AShift, bool)
{
  if (FInnerBoundsGuard || IsContainerDestroying())
    return true;
  CalculateViewInfo(P, AShift.Empty() && FStyle->HotTrack());
  AdjustInnerControlBounds();
  ApplyInnerControlLook();
  UpdateWindowRegion();
  if (!HandleAllocated())
    return true;
  const TRect all = Rect(0, 0, Width(), Height());
  if (!FInnerControl)
    InvalidateRect(Handle(), &all, false);
  else
    InvalidateRectFrame(Handle(), all, FViewInfo->BorderInnerRect, false);
  return true;
}

void TcxContainer::UpdateLook(bool ACompare)
{
  if (!HandleAllocated() || IsContainerDestroying())
    return;
  TPoint p;
  GetCursorPos(p);
  UpdateLookAtPoint(ScreenToClient(p), 0, CurrentShiftState(), ACompare);
}

void TcxContainer::UpdateWindowRegion()
{
  if (!HandleAllocated())
    return;
  std::optional<TRegion> region;
  if (!FViewInfo->ThemeActive) {
    TRect outline;
    VisibleBounds(outline);
    TRegion r(outline);
    if (FViewInfo->Shadow)
      r = r.Combine(TRegion(cxRectOffset(outline, 3, 3)), RGN_OR);
    region = r;
  }
  TRegion current;
  const bool hasCurrent = GetWindowRgn(Handle(), current);
  if (!region) {
    if (hasCurrent)
      SetWindowRgn(Handle(), nullptr, true);
    return;
  }
  if (!hasCurrent || !(current == *region))
    SetWindowRgn(Handle(), &*region, true);
}

void TcxContainer::StyleChanged(TcxContainerStyle*)
{
  if (FConstructing || ComponentState().Contains(csLoading))
    return;
  UpdateLook(false);
  if (FStyle->ShownColor() != Color()) {
    if (ParentColor())
      SetParentColor(false);
    FStyleChanging = true;
    SetColor(FStyle->Color());
    FStyleChanging = false;
  }
  FStyleChanging = true;
  SetFont(FStyle->Font());
  FStyleChanging = false;
}

void TcxContainer::MouseTrackingLeave()
{
  TcxControl::FireMouseLeave(this);
  StopMouseTracking(FTrackingHelper.get());
  LastShift = {};
  UpdateLook(true);
}

bool TcxContainer::ChildVisibleRect(const TRect& AArea, TControl* AControl, TRect& AR)
{
  if (!AControl)
    return false;
  TRect own = Rect(0, 0, AControl->Width(), AControl->Height());
  TRect inArea = cxRectOffset(AArea, -AControl->Left(), -AControl->Top());
  TRect cut;
  IntersectRect(cut, own, inArea);
  if (cut == own)
    return false;
  AR = cut;
  return true;
}

bool TcxContainer::ChildRegionChanged(TControl* AControl, const TRect* AR)
{
  if (AControl != FInnerControl)
    return true;
  if (FInnerRegion.has_value() != (AR != nullptr))
    return true;
  return AR && !(*FInnerRegion == *AR);
}

void TcxContainer::StoreChildRegion(TControl* AControl, const TRect* AR)
{
  if (AControl != FInnerControl)
    return;
  if (AR)
    FInnerRegion = *AR;
  else
    FInnerRegion.reset();
}

void TcxContainer::UpdateScrollBars()
{
  if (!FInnerControl || !HScrollBar() || IsContainerDestroying() || !IsScrollBarInfoAvailable() ||
      !FInnerControl->HandleAllocated())
    return;
  FUpdatingScrollBars = true;
  TScopeExit reset([this] { FUpdatingScrollBars = false; });
  for (TcxControlScrollBar* bar : {HScrollBar(), VScrollBar()}) {
    const bool horizontal = bar == HScrollBar();
    SCROLLBARINFO info;
    bool visible = false;
    if (GetScrollBarInfo(FInnerControl->Handle(), horizontal ? OBJID_HSCROLL : OBJID_VSCROLL,
                         info) &&
        !(info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN))) {
      bar->SetEnabled(Enabled() && !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE));
      TRect r = info.rcScrollBar;
      MapRectBetweenWindows(0, Handle(), r);
      if (r.Left < 0 || r.Top < 0 || cxRectWidth(r) > Width() || cxRectHeight(r) > Height())
        r = TRect{};
      bar->SetBoundsRect(r);
      visible = !cxRectIsEmpty(r);
    }
    bar->SetVisible(visible);
    if (!visible)
      continue;
    bar->SetCtl3D(false);
    bar->BringToFront();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (GetScrollInfo(FInnerControl->Handle(), horizontal ? SB_HORZ : SB_VERT, si))
      bar->SetScrollParams(si.nMin, si.nMax, si.nPos,
                           std::min(static_cast<Integer>(si.nPage), si.nMax), true);
  }
}

void TcxContainer::FocusInnerControl()
{
  if (FInnerControl)
    FInnerControl->SetFocus();
}

void TcxContainer::EnabledChanged()
{
  if (FInnerControl)
    FInnerControl->SetEnabled(Enabled());
  if (HScrollBar()) {
    HScrollBar()->SetEnabled(Enabled());
    VScrollBar()->SetEnabled(Enabled());
  }
  UpdateLook(false);
}

bool TcxContainer::MayFocus()
{
  if (FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->Focused())
    return false;
  return !FInnerPressing;
}

bool TcxContainer::Focusable() const
{
  return !(FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->Focused());
}

void TcxContainer::BackgroundColorChanged()
{
  if (!FStyleChanging) {
    FStyle->SetColor(Color());
    return;
  }
  TcxControl::BackgroundColorChanged();
  UpdateLook(false);
}

void TcxContainer::CursorChanged()
{
  TcxControl::CursorChanged();
  if (FInnerControl)
    FInnerControl->SetCursor(Cursor());
}

void TcxContainer::FontChanged()
{
  if (!FStyleChanging) {
    cxCanvas()->AssignFont(Font());
    FStyle->SetFont(Font());
    TcxContainerStyleValues values = FStyle->AssignedValues();
    values.Exclude(csvFont);
    FStyle->SetAssignedValues(values);
    return;
  }
  cxCanvas()->AssignFont(Font());
  TcxControl::FontChanged();
  AdjustInnerControlBounds();
  UpdateScrollBars();
  if (HandleAllocated()) {
    UpdateLook(false);
    if (FInnerControl)
      FInnerControl->SetFont(Font());
  }
}

void TcxContainer::FireFocusChanged()
{
  TcxControl::FireFocusChanged();
  UpdateLook(false);
}

void TcxContainer::FireMouseEnter(TControl* AControl)
{
  TcxControl::FireMouseEnter(AControl);
  UpdateLook(true);
  TRect r;
  VisibleBounds(r);
  StartMouseTracking(this, r, FTrackingHelper.get());
}

void TcxContainer::FireMouseLeave(TControl* AControl)
{
  TcxControl::FireMouseLeave(AControl);
  LastShift = {};
  UpdateLook(true);
  StopMouseTracking(FTrackingHelper.get());
}

void TcxContainer::SetFocus()
{
  if (InDesignMode() || Focused())
    return;
  TcxControl::SetFocus();
  if (FInnerControl && FInnerControl->HandleAllocated() && HandleAllocated() &&
      GetFocus() == Handle()) {
    FocusInnerControl();
    if (TCustomForm* form = GetParentForm(this))
      form->FocusControl(FInnerControl);
  }
}

void TcxContainer::Loaded()
{
  TcxControl::Loaded();
  StyleChanged(FStyle.get());
}

void TcxContainer::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_SETFOCUS:
    if (!Visible())
      return;
    break;
  case WM_KEYDOWN:
  case WM_KEYUP:
  case WM_CHAR:
  case CN_KEYDOWN:
  case CN_KEYUP:
  case CN_CHAR:
    if (FInnerControl && FInnerControl->HandleAllocated()) {
      const UINT msg = Message.Msg >= CN_BASE ? Message.Msg - CN_BASE : Message.Msg;
      Message.Result = SendMessage(FInnerControl->Handle(), msg, Message.WParam, Message.LParam);
      return;
    }
    break;
  default:
    break;
  }
  TcxControl::WndProc(Message);
}

void TcxContainer::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_KILLFOCUS:
    if (FInnerControl && FInnerControl->HandleAllocated() &&
        reinterpret_cast<HWND>(Message.WParam) == FInnerControl->Handle()) {
      Message.Result = 0;
      return;
    }
    break;
  case WM_NCPAINT:
    Message.Result = 0;
    return;
  case WM_SETCURSOR:
    if (FInnerControl && reinterpret_cast<HWND>(Message.WParam) == Handle() &&
        LOWORD(Message.LParam) == HTCLIENT) {
      TPoint p;
      GetCursorPos(p);
      if (!PtInRect(FViewInfo->ClientRect, ScreenToClient(p))) {
        ::SetCursor(Screen()->Cursors(crArrow));
        Message.Result = 1;
        return;
      }
    }
    break;
  case WM_SETFOCUS:
    if (!FInnerControl || !FInnerControl->HandleAllocated() || IsContainerDestroying())
      break;
    if (reinterpret_cast<HWND>(Message.WParam) == FInnerControl->Handle()) {
      Message.Result = 0;
      return;
    }
    TcxControl::Dispatch(Message);
    if (FInnerControl->CanFocus())
      FInnerControl->SetFocus();
    return;
  case WM_WINDOWPOSCHANGING:
    if (IsContainerDestroying()) {
      Message.Result = 0;
      return;
    }
    TcxControl::Dispatch(Message);
    if (HandleAllocated() && GetFocus() == Handle() && FInnerControl &&
        FInnerControl->HandleAllocated() && FInnerControl->CanFocus())
      if (TCustomForm* form = GetParentForm(this))
        form->FocusControl(FInnerControl);
    return;
  case CM_CTL3DCHANGED:
  case CM_SYSCOLORCHANGE:
    TcxControl::Dispatch(Message);
    UpdateLook(false);
    return;
  case CM_ENABLEDCHANGED:
    TcxControl::Dispatch(Message);
    EnabledChanged();
    return;
  case CXM_SETTINGSCHANGED:
    TcxControl::Dispatch(Message);
    if (!FConstructing && !ComponentState().Contains(csLoading))
      UpdateLook(false);
    return;
  case CM_PARENTCOLORCHANGED: {
    const bool assigned = FStyle->AssignedValues().Contains(csvColor);
    TcxControl::Dispatch(Message);
    if (!assigned || ParentColor()) {
      TcxContainerStyleValues values = FStyle->AssignedValues();
      values.Exclude(csvColor);
      FStyle->SetAssignedValues(values);
    }
    if (FStyle->Color() != Color())
      StyleChanged(FStyle.get());
    return;
  }
  case CM_PARENTFONTCHANGED: {
    const bool assigned = FStyle->AssignedValues().Contains(csvFont);
    TcxControl::Dispatch(Message);
    if (!assigned) {
      TcxContainerStyleValues values = FStyle->AssignedValues();
      values.Exclude(csvFont);
      FStyle->SetAssignedValues(values);
    }
    return;
  }
  default:
    break;
  }
  TcxControl::Dispatch(Message);
}

void TcxContainer::AdjustClientRect(TRect& Rect)
{
  if (!IsContainerDestroying())
    Rect = FViewInfo->ClientRect;
}

void TcxContainer::AlignControls(TControl* AControl, TRect& Rect)
{
  if (ControlStyle().Contains(csAcceptsControls)) {
    TcxControl::AlignControls(AControl, Rect);
    return;
  }
  if (FAlignLock > 0 || IsOwnScrollBarPart(AControl))
    return;
  if (!AControl)
    TcxControl::AlignControls(AControl, Rect);
  auto* win = dynamic_cast<TWinControl*>(AControl);
  if (FConstructing || !win || !win->HandleAllocated())
    return;
  TRect visible;
  const bool cut = ChildVisibleRect(Rect, AControl, visible);
  const TRect* ar = cut ? &visible : nullptr;
  if (!ChildRegionChanged(AControl, ar))
    return;
  if (ar) {
    TRegion region(*ar);
    SetWindowRgn(win->Handle(), &region, true);
  } else
    SetWindowRgn(win->Handle(), nullptr, true);
  StoreChildRegion(AControl, ar);
}

void TcxContainer::CreateParams(TCreateParams& Params)
{
  TcxControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_VREDRAW | CS_HREDRAW);
}

void TcxContainer::CreateWnd()
{
  TcxControl::CreateWnd();
  cxCanvas()->AssignFont(Font());
  UpdateLook(false);
}

void TcxContainer::Paint()
{
  if (cxCanvas()->IsRectVisible(FViewInfo->Bounds))
    FViewInfo->Paint(cxCanvas());
}

void TcxContainer::DoContextPopup(TPoint MousePos, bool& Handled)
{
  const bool keyboard = MousePos.X == -1 && MousePos.Y == -1;
  if (FContextMenuLock > 0 || (!keyboard && !PtInRect(FViewInfo->ClientRect, MousePos))) {
    Handled = true;
    return;
  }
  TcxControl::DoContextPopup(MousePos, Handled);
}

void TcxContainer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TcxControl::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed())
    return;
  LastShift = Shift;
  UpdateLookAtPoint(TPoint{X, Y}, MouseButtonToCode(Button), Shift, true);
}

void TcxContainer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TcxControl::MouseUp(Button, Shift, X, Y);
  if (watch.Destroyed())
    return;
  LastShift = Shift;
  UpdateLookAtPoint(TPoint{X, Y}, MouseButtonToCode(Button), Shift, true);
}

void TcxContainer::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TcxControl::MouseMove(Shift, X, Y);
  if (watch.Destroyed())
    return;
  UpdateLookAtPoint(TPoint{X, Y}, 0, Shift, true);
  TRect r;
  VisibleBounds(r);
  StartMouseTracking(this, r, FTrackingHelper.get());
}

void TcxContainer::Resize()
{
  TcxControl::Resize();
  if (!FConstructing)
    UpdateLook(false);
}

void TcxContainer::KeyDown(Word& Key, TShiftState Shift)
{
  TDestroyWatch watch(this);
  TcxControl::KeyDown(Key, Shift);
  if (watch.Destroyed() || Key != VK_TAB || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt) ||
      !ContainerFocused() || HandlesTabKey())
    return;
  Key = 0;
  TCustomForm* form = GetParentForm(this);
  if (!form)
    return;
  TWinControl* from = form->ActiveControl() ? form->ActiveControl() : this;
  form->SelectNext(from, !Shift.Contains(ssShift), true);
  if (watch.Destroyed())
    return;
  if (HandleAllocated() && GetFocus() == Handle() && FInnerControl)
    FocusInnerControl();
}

// ---- Free helpers ----

Integer MouseButtonToCode(TMouseButton AButton)
{
  switch (AButton) {
  case mbLeft:
    return 1;
  case mbRight:
    return 2;
  default:
    return 3;
  }
}

void DrawContainerShadow(TcxCanvas* ACanvas, const TRect& R)
{
  ACanvas->SetBrushColor(clBtnShadow);
  ACanvas->FillRect(Rect(R.Left + 3, R.Bottom, R.Right, R.Bottom + 3));
  ACanvas->FillRect(Rect(R.Right, R.Top + 3, R.Right + 3, R.Bottom + 3));
  ACanvas->ExcludeFromClip(Rect(R.Left, R.Bottom, R.Right, R.Bottom + 3));
  ACanvas->ExcludeFromClip(Rect(R.Right, R.Top, R.Right + 3, R.Bottom + 3));
}

TRect DeflateRectByMargins(TRect R, const TRect& AMargins)
{
  return Rect(R.Left + AMargins.Left, R.Top + AMargins.Top, R.Right - AMargins.Right,
              R.Bottom - AMargins.Bottom);
}

namespace {

// The four strips between AOuter and AInner, or AOuter whole when AInner is empty.
std::vector<TRect> FrameStrips(const TRect& AOuter, const TRect& AInner)
{
  if (cxRectIsEmpty(AOuter) || AOuter == AInner)
    return {};
  if (cxRectIsEmpty(AInner))
    return {AOuter};
  return {Rect(AOuter.Left, AOuter.Top, AOuter.Right, AInner.Top),
          Rect(AOuter.Left, AInner.Bottom, AOuter.Right, AOuter.Bottom),
          Rect(AOuter.Left, AInner.Top, AInner.Left, AInner.Bottom),
          Rect(AInner.Right, AInner.Top, AOuter.Right, AInner.Bottom)};
}

} // namespace

void FillRectFrame(TcxCanvas* ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor)
{
  for (const TRect& r : FrameStrips(AOuter, AInner))
    if (!cxRectIsEmpty(r))
      ACanvas->FillRect(r, AColor);
}

void InvalidateRectFrame(HWND AWnd, const TRect& AOuter, const TRect& AInner, bool AErase)
{
  for (const TRect& r : FrameStrips(AOuter, AInner))
    if (!cxRectIsEmpty(r))
      InvalidateRect(AWnd, &r, AErase);
}

void InvalidateControlRect(TWinControl* AControl, const TRect& R, bool AErase)
{
  if (AControl && AControl->HandleAllocated())
    InvalidateRect(AControl->Handle(), &R, AErase);
}

void GetMouseCursorPos(TPoint& P)
{
  GetCursorPos(P);
}

TShiftState CurrentShiftState()
{
  Byte state[256] = {};
  GetKeyboardState(state);
  TShiftState shift;
  if (state[VK_SHIFT] & 0x80)
    shift.Include(ssShift);
  if (state[VK_CONTROL] & 0x80)
    shift.Include(ssCtrl);
  if (state[VK_MENU] & 0x80)
    shift.Include(ssAlt);
  if (state[VK_LBUTTON] & 0x80)
    shift.Include(ssLeft);
  if (state[VK_RBUTTON] & 0x80)
    shift.Include(ssRight);
  if (state[VK_MBUTTON] & 0x80)
    shift.Include(ssMiddle);
  return shift;
}

bool IsContainerDestroying(TComponent* AComponent)
{
  if (auto* c = dynamic_cast<TcxContainer*>(AComponent))
    return c->IsContainerDestroying();
  return AComponent->ComponentState().Contains(csDestroying);
}

TcxScreenCanvas* ScreenCanvasInstance()
{
  return ScreenCanvas;
}

bool IsScrollBarInfoAvailable()
{
  return true;
}

void cxInstallPopupHooks();
void cxRemovePopupHooks();

void cxContainerInitialization()
{
  cxContainerStyleRegistration();
  cxInstallPopupHooks();
  ScreenCanvas = new TcxScreenCanvas;
}

void cxContainerFinalization()
{
  delete ScreenCanvas;
  ScreenCanvas = nullptr;
  cxRemovePopupHooks();
}
