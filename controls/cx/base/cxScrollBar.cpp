// The painted scroll bar, the control's own bars and the size grip (see cxScrollBar.h).
#include "controls/cx/base/cxScrollBar.h"

#include <algorithm>

#include "controls/cx/base/cxControls.h"
#include "controls/cx/base/cxLookAndFeels.h"
#include "controls/cx/base/dxThemeManager.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"

const TResStringRec cxSScrollBarRange{57200, "Scrollbar property out of range"};

namespace {

// Auto-repeat: the first repeat after 400 ms, then every 60 ms.
constexpr Cardinal FirstRepeat = 400;
constexpr Cardinal NextRepeat = 60;
// How far the pointer may stray from a dragged thumb's bar: along the bar, across it.
constexpr Integer TrackAlong = 34;
constexpr Integer TrackAcross = 136;

bool InRect(const TRect& R, TPoint P)
{
  return !cxRectIsEmpty(R) && PtInRect(R, P);
}

} // namespace

// ---- TcxScrollBar ----

TcxScrollBar::TcxScrollBar(TComponent* AOwner)
    : TCustomControl(AOwner), FBitmap(std::make_unique<TBitmap>()),
      FCanvas(std::make_unique<TcxCanvas>(FBitmap->Canvas()))
{
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged =
      TcxLookAndFeelChangedEvent::Bind(this, &TcxScrollBar::LookAndFeelChanged);
  SetControlStyle(TControlStyle{csCaptureMouse, csFramed, csOpaque});
  FWidth = 121;
  FHeight = GetSystemMetrics(SM_CYHSCROLL);
  FNotificator = std::make_unique<TdxThemeChangedNotificator>();
  FNotificator->OnThemeChanged = TNotifyEvent::Bind(this, &TcxScrollBar::ThemeChanged);
  FTimer = std::make_unique<TTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(FirstRepeat);
  FTimer->SetOnTimer(TNotifyEvent::Bind(this, &TcxScrollBar::TimerTick));
  FBitmap->SetSize(FWidth, FHeight);
  CalcMinThumbSize();
  CalcArrowRects();
}

TcxScrollBar::~TcxScrollBar()
{
  FTimer.reset();
  FNotificator.reset();
  FLookAndFeel.reset();
}

TcxCustomLookAndFeelPainterClass TcxScrollBar::Painter() const
{
  return FLookAndFeel->PainterClass();
}

void TcxScrollBar::SetLookAndFeel(TcxLookAndFeel* Value)
{
  FLookAndFeel->Assign(Value);
}

void TcxScrollBar::SetKind(TScrollBarKind Value)
{
  if (Value == FKind)
    return;
  FKind = Value;
  if (ComponentState().Contains(csLoading))
    CalcArrowRects();
  else
    SetBounds(Left(), Top(), Width(), Height());
  Invalidate();
}

void TcxScrollBar::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (AWidth > 0 && AHeight > 0) {
    FBitmap->SetSize(AWidth, AHeight);
    CalcArrowRects();
  }
}

void TcxScrollBar::SetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize,
                                   bool ARedraw)
{
  if (AMax < AMin || AMax < APageSize)
    throw EInvalidOperation(cxGetResourceString(&cxSScrollBarRange));
  APosition = std::clamp(APosition, AMin, AMax);
  const bool changed =
      AMin != FMin || AMax != FMax || APageSize != FPageSize || APosition != FPosition;
  const bool redraw = ARedraw && HandleAllocated() && changed;
  FMin = AMin;
  FMax = AMax;
  FPageSize = APageSize;
  if (APosition != FPosition) {
    SetEnabled(true);
    FPosition = APosition;
    CalcThumb();
    if (redraw)
      Invalidate();
    Change();
    return;
  }
  CalcThumb();
  if (redraw)
    Invalidate();
}

void TcxScrollBar::Change()
{
  OnChange(this);
}

void TcxScrollBar::Scroll(TScrollCode AScrollCode, Integer& AScrollPos)
{
  OnScroll(this, AScrollCode, AScrollPos);
}

void TcxScrollBar::CalcMinThumbSize()
{
  FMinThumbSize = 8;
  if (!Painter()->InheritsFrom(TcxWinXPLookAndFeelPainter::Class()))
    return;
  TdxTheme theme = OpenThemeHandle(tcScrollBar);
  if (!theme)
    return;
  const Integer part = Horizontal() ? SBP_GRIPPERVERT : SBP_GRIPPERHORZ;
  TSize s1, s2;
  if (GetThemePartSize(theme, nullptr, part, 1, nullptr, TS_MIN, s1) != S_OK)
    return;
  const Integer min = Horizontal() ? s1.cx : s1.cy;
  Integer size = min;
  if (GetThemePartSize(theme, nullptr, part, 1, nullptr, TS_TRUE, s2) == S_OK)
    size = std::max(min, (Horizontal() ? s2.cx : s2.cy) + 4);
  FMinThumbSize = std::max(size, 8);
}

void TcxScrollBar::CalcArrowRects()
{
  if (Horizontal()) {
    const Integer w = std::min(GetSystemMetrics(SM_CYHSCROLL), Width() / 2);
    FArrow1 = Bounds(0, 0, w, Height());
    FArrow2 = Bounds(Width() - w, 0, w, Height());
  } else {
    const Integer h = std::min(GetSystemMetrics(SM_CXVSCROLL), Height() / 2);
    FArrow1 = Bounds(0, 0, Width(), h);
    FArrow2 = Bounds(0, Height() - h, Width(), h);
  }
  CalcThumb();
}

void TcxScrollBar::CalcThumb()
{
  FThumb = TRect{};
  FPage1 = TRect{};
  FPage2 = TRect{};
  if (!Enabled())
    return;
  const Integer first = AxisEnd(FArrow1);
  const Integer L = AxisStart(FArrow2) - first;
  Integer size;
  Integer offset = 0;
  if (FPageSize != 0) {
    size = std::min(L, MulDiv(FPageSize, L, FMax - FMin + 1));
    if (L < FMinThumbSize || FMax == FMin)
      return;
    size = std::max(size, FMinThumbSize);
    // With a page as large as the range there is nothing to move through: the thumb stays
    // at the start instead of the MulDiv of a zero divisor putting it over the arrow.
    const Integer d = FMax - FMin - FPageSize + 1;
    if (d > 0)
      offset = MulDiv(L - size, std::min(FPosition - FMin, d), d);
  } else {
    size = GetSystemMetrics(Horizontal() ? SM_CXHTHUMB : SM_CYVTHUMB);
    if (L < size)
      return;
    if (L - size > 0 && FMax != FMin)
      offset = MulDiv(L - size, FPosition - FMin, FMax - FMin);
  }
  if (Horizontal())
    FThumb = Rect(first + offset, 0, first + offset + size, Height());
  else
    FThumb = Rect(0, first + offset, Width(), first + offset + size);
  CalcPageRects();
}

void TcxScrollBar::CalcPageRects()
{
  FPage1 = TRect{};
  FPage2 = TRect{};
  if (cxRectIsEmpty(FThumb))
    return;
  if (Horizontal()) {
    FPage1 = Rect(FArrow1.Right, 0, FThumb.Left, Height());
    FPage2 = Rect(FThumb.Right, 0, FArrow2.Left, Height());
  } else {
    FPage1 = Rect(0, FArrow1.Bottom, Width(), FThumb.Top);
    FPage2 = Rect(0, FThumb.Bottom, Width(), FArrow2.Top);
  }
}

TRect TcxScrollBar::PartBounds(TcxScrollBarPart APart) const
{
  switch (APart) {
  case sbpLineUp:
    return FArrow1;
  case sbpLineDown:
    return FArrow2;
  case sbpThumbnail:
    return FThumb;
  case sbpPageUp:
    return FPage1;
  case sbpPageDown:
    return FPage2;
  default:
    return TRect{};
  }
}

TcxScrollBarPart TcxScrollBar::HitTest(TPoint P) const
{
  if (!PtInRect(ClientRect(), P))
    return sbpNone;
  if (InRect(FArrow1, P))
    return sbpLineUp;
  if (InRect(FArrow2, P))
    return sbpLineDown;
  if (cxRectIsEmpty(FThumb))
    return sbpNone;
  if (InRect(FThumb, P))
    return sbpThumbnail;
  if (InRect(FPage1, P))
    return sbpPageUp;
  if (InRect(FPage2, P))
    return sbpPageDown;
  return sbpNone;
}

Integer TcxScrollBar::PositionFromThumb() const
{
  Integer range = FMax - FMin;
  if (FPageSize > 0)
    range += 1 - FPageSize;
  const Integer denominator =
      AxisStart(FArrow2) - AxisEnd(FArrow1) - (AxisEnd(FThumb) - AxisStart(FThumb));
  // A thumb that fills the whole track stands for the first position.
  if (denominator <= 0)
    return FMin;
  return FMin + MulDiv(range, AxisStart(FThumb) - AxisEnd(FArrow1), denominator);
}

TcxButtonState TcxScrollBar::PartState(TcxScrollBarPart APart) const
{
  if (!Enabled())
    return cxbsDisabled;
  if (APart == sbpThumbnail && !Painter()->ButtonsHotTrack())
    return cxbsNormal;
  if (FPressedPart != sbpNone)
    return APart == FPressedPart && APart == FHotPart ? cxbsPressed : cxbsNormal;
  return APart == FHotPart && !ComponentState().Contains(csDesigning) ? cxbsHot : cxbsNormal;
}

void TcxScrollBar::Paint()
{
  TcxCustomLookAndFeelPainterClass painter = Painter();
  const bool h = Horizontal();
  if (cxRectIsEmpty(FThumb))
    painter->DrawScrollBarPart(FCanvas.get(), h, ClientRect(), sbpPageUp, cxbsNormal);
  else
    painter->DrawScrollBarPart(FCanvas.get(), h, FThumb, sbpThumbnail, PartState(sbpThumbnail));
  painter->DrawScrollBarPart(FCanvas.get(), h, FArrow1, sbpLineUp, PartState(sbpLineUp));
  painter->DrawScrollBarPart(FCanvas.get(), h, FArrow2, sbpLineDown, PartState(sbpLineDown));
  if (!cxRectIsEmpty(FPage1))
    painter->DrawScrollBarPart(FCanvas.get(), h, FPage1, sbpPageUp, PartState(sbpPageUp));
  if (!cxRectIsEmpty(FPage2))
    painter->DrawScrollBarPart(FCanvas.get(), h, FPage2, sbpPageDown, PartState(sbpPageDown));
  Canvas()->CopyRect(ClientRect(), FBitmap->Canvas(), ClientRect());
}

void TcxScrollBar::DoScroll(TScrollCode ACode)
{
  Integer pos = FPosition;
  switch (ACode) {
  case scLineUp:
    pos -= FSmallChange;
    break;
  case scLineDown:
    pos += FSmallChange;
    break;
  case scPageUp:
    pos -= FLargeChange;
    break;
  case scPageDown:
    pos += FLargeChange;
    break;
  case scTop:
    pos = FMin;
    break;
  case scBottom:
    pos = FMax;
    break;
  default:
    break;
  }
  pos = std::clamp(pos, FMin, FMax);
  Scroll(ACode, pos);
  pos = std::clamp(pos, FMin, FMax);
  if (pos == FPosition)
    return;
  if (ACode == scTrack) {
    FPosition = pos;
    Invalidate();
  } else
    SetScrollParams(FMin, FMax, pos, FPageSize, true);
}

TPoint TcxScrollBar::CursorClientPos() const
{
  TPoint p;
  GetCursorPos(p);
  return ScreenToClient(p);
}

void TcxScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft)
    return;
  const TcxScrollBarPart part = HitTest(TPoint{X, Y});
  if (part == sbpNone)
    return;
  FPressedPart = part;
  FHotPart = part;
  if (part == sbpThumbnail) {
    FDownPoint = TPoint{X, Y};
    FSavedPosition = FPosition;
    FSavedThumbOrigin = TPoint{FThumb.Left, FThumb.Top};
    DoScroll(scTrack);
  } else {
    static constexpr TScrollCode codes[] = {scEndScroll, scLineUp, scLineDown,
                                            scEndScroll, scPageUp, scPageDown};
    DoScroll(codes[part]);
    FTimer->SetInterval(FirstRepeat);
    FTimer->SetEnabled(true);
  }
  Invalidate();
}

void TcxScrollBar::TrackThumb(TPoint P)
{
  if (!FUnlimitedTracking) {
    TRect allowed = ClientRect();
    allowed = Horizontal() ? cxRectInflate(allowed, TrackAlong, TrackAcross)
                           : cxRectInflate(allowed, TrackAcross, TrackAlong);
    if (!PtInRect(allowed, P)) {
      SetScrollParams(FMin, FMax, FSavedPosition, FPageSize, true);
      DoScroll(scTrack);
      return;
    }
  }
  Integer delta = Horizontal() ? P.X - FDownPoint.X : P.Y - FDownPoint.Y;
  if (delta == 0)
    return;
  const Integer size = AxisEnd(FThumb) - AxisStart(FThumb);
  const Integer start = Horizontal() ? FSavedThumbOrigin.X : FSavedThumbOrigin.Y;
  const Integer newStart = std::clamp(start + delta, AxisEnd(FArrow1), AxisStart(FArrow2) - size);
  if (Horizontal())
    FThumb = Rect(newStart, FThumb.Top, newStart + size, FThumb.Bottom);
  else
    FThumb = Rect(FThumb.Left, newStart, FThumb.Right, newStart + size);
  CalcPageRects();
  Invalidate();
  const Integer pos = PositionFromThumb();
  if (pos != FPosition) {
    FPosition = pos;
    DoScroll(scTrack);
  }
}

void TcxScrollBar::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseMove(Shift, X, Y);
  const TPoint p{X, Y};
  if (FPressedPart == sbpThumbnail) {
    TrackThumb(p);
    return;
  }
  const TcxScrollBarPart part = HitTest(p);
  if (FPressedPart != sbpNone)
    FTimer->SetEnabled(part == FPressedPart);
  if (part != FHotPart) {
    FHotPart = part;
    if (Painter()->ButtonsHotTrack() || FPressedPart != sbpNone)
      Invalidate();
  }
}

void TcxScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseUp(Button, Shift, X, Y);
  EndTracking();
  FHotPart = HitTest(TPoint{X, Y});
}

void TcxScrollBar::TimerTick(TObject*)
{
  const bool arrowOrPage = FPressedPart != sbpNone && FPressedPart != sbpThumbnail;
  if (!(HandleAllocated() && GetCapture() == Handle() && arrowOrPage)) {
    EndTracking();
    return;
  }
  if (FTimer->Interval() == FirstRepeat)
    FTimer->SetInterval(NextRepeat);
  static constexpr TScrollCode codes[] = {scEndScroll, scLineUp, scLineDown,
                                          scEndScroll, scPageUp, scPageDown};
  DoScroll(codes[FPressedPart]);
  FTimer->SetEnabled(HitTest(CursorClientPos()) == FPressedPart);
}

void TcxScrollBar::EndTracking()
{
  if (FPressedPart == sbpNone)
    return;
  if (FPressedPart == sbpThumbnail) {
    FPosition = PositionFromThumb();
    DoScroll(scPosition);
  }
  FTimer->SetEnabled(false);
  FPressedPart = sbpNone;
  FHotPart = sbpNone;
  DoScroll(scEndScroll);
  CalcThumb();
  Invalidate();
}

void TcxScrollBar::MouseEnter()
{
  if (Painter()->ButtonsHotTrack() || (FPressedPart != sbpNone && FPressedPart != sbpThumbnail))
    Invalidate();
}

void TcxScrollBar::MouseLeave()
{
  if (FPressedPart != sbpThumbnail)
    FHotPart = sbpNone;
  if (Painter()->ButtonsHotTrack() || (FPressedPart != sbpNone && FPressedPart != sbpThumbnail))
    Invalidate();
}

void TcxScrollBar::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues)
{
  CalcMinThumbSize();
  CalcArrowRects();
  Invalidate();
}

void TcxScrollBar::ThemeChanged(TObject*)
{
  CalcMinThumbSize();
  CalcArrowRects();
  RepaintScrollBarPatterns();
  Invalidate();
  if (Parent())
    Parent()->Realign();
}

void TcxScrollBar::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_ENABLEDCHANGED:
    TCustomControl::Dispatch(Message);
    CalcArrowRects();
    if (!Enabled())
      EndTracking();
    Invalidate();
    return;
  case CN_HSCROLL:
  case CN_VSCROLL:
    DoScroll(static_cast<TScrollCode>(LOWORD(Message.WParam)));
    return;
  case CM_MOUSEENTER:
    TCustomControl::Dispatch(Message);
    MouseEnter();
    return;
  case CM_MOUSELEAVE:
    TCustomControl::Dispatch(Message);
    MouseLeave();
    return;
  case CM_SYSCOLORCHANGE:
    RepaintScrollBarPatterns();
    break;
  case CM_VISIBLECHANGED:
    if (Message.WParam == 0)
      EndTracking();
    break;
  case CN_CTLCOLORSCROLLBAR:
    RepaintScrollBarPatterns();
    Message.Result = DefWindowProc(Handle(), Message.Msg, Message.WParam, Message.LParam);
    return;
  case WM_ERASEBKGND:
    Message.Result = 1;
    return;
  case WM_CANCELMODE:
    EndTracking();
    break;
  default:
    break;
  }
  TCustomControl::Dispatch(Message);
}

// ---- TcxControlScrollBar ----

TcxControlScrollBar::TcxControlScrollBar(TcxControl* AOwner) : TcxScrollBar(AOwner)
{
  SetColor(clBtnFace);
  TControlStyle style = ControlStyle();
  style.Exclude(csFramed);
  style.Include(csNoDesignVisible);
  SetControlStyle(style);
  SetTabStop(false);
  SetVisible(false);
  LookAndFeel()->SetMasterLookAndFeel(AOwner->LookAndFeel());
}

void TcxControlScrollBar::ApplyData()
{
  if (Data.Visible) {
    SetScrollParams(Data.Min, Data.Max, Data.Position, Data.PageSize, true);
    SetSmallChange(Data.SmallChange);
    SetLargeChange(Data.LargeChange);
  }
  SetEnabled(Data.Enabled);
  SetVisible(Data.Visible);
}

void TcxControlScrollBar::FocusParent()
{
  TWinControl* parent = Parent();
  if (!parent)
    return;
  if (auto* control = dynamic_cast<TcxControl*>(parent)) {
    if (control->CanFocusOnClick())
      control->SetFocus();
  } else if (parent->CanFocus())
    parent->SetFocus();
}

void TcxControlScrollBar::WndProc(TMessage& Message)
{
  if (Message.Msg == WM_LBUTTONDOWN)
    FocusParent();
  if (Message.Msg == CM_DESIGNHITTEST) {
    Message.Result = 1;
    return;
  }
  TcxScrollBar::WndProc(Message);
}

// ---- TcxSizeGrip ----

TcxSizeGrip::TcxSizeGrip(TComponent* AOwner) : TCustomControl(AOwner)
{
  SetColor(clBtnFace);
  TControlStyle style = ControlStyle();
  style.Include(csNoDesignVisible);
  SetControlStyle(style);
}

void TcxSizeGrip::Paint()
{
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void SystemScrollBarSize(TSize& ASize)
{
  ASize = TSize{GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)};
}

void cxScrollBarInitialization()
{
  RegisterResStrings({&cxSScrollBarRange});
  RegisterEnumType<TScrollBarKind>("TScrollBarKind", {"sbHorizontal", "sbVertical"});
  TClassRegistration<TcxScrollBar, TCustomControl>("TcxScrollBar")
      .Property("Kind", &TcxScrollBar::Kind, &TcxScrollBar::SetKind)
      .Default(sbHorizontal)
      .Property("LargeChange", &TcxScrollBar::LargeChange, &TcxScrollBar::SetLargeChange)
      .Default(1)
      .Property("LookAndFeel", &TcxScrollBar::LookAndFeel, &TcxScrollBar::SetLookAndFeel)
      .Property("Max", &TcxScrollBar::Max, &TcxScrollBar::SetMax)
      .Default(100)
      .Property("Min", &TcxScrollBar::Min, &TcxScrollBar::SetMin)
      .Default(0)
      .Property("PageSize", &TcxScrollBar::PageSize, &TcxScrollBar::SetPageSize)
      .Default(0)
      .Property("Position", &TcxScrollBar::Position, &TcxScrollBar::SetPosition)
      .Default(0)
      .Property("SmallChange", &TcxScrollBar::SmallChange, &TcxScrollBar::SetSmallChange)
      .Default(1)
      .Property("UnlimitedTracking", &TcxScrollBar::UnlimitedTracking,
                &TcxScrollBar::SetUnlimitedTracking)
      .Default(false)
      .Factory([](TComponent* owner) -> TObject* { return new TcxScrollBar(owner); });
}

void cxScrollBarFinalization()
{
  UnregisterResStrings({&cxSScrollBarRange});
}
