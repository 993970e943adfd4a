// The scroll bar control (TScrollBar): its parts, the mouse held on them in one tracking
// loop, the SBM_ messages and the scroll notifications it sends and receives back.
// StdCtrls.h describes it.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void stdctrls::RegisterScrollBarClasses()
{
  RegisterEnumType<TScrollBarKind>("TScrollBarKind", {"sbHorizontal", "sbVertical"});
  RegisterEnumType<TScrollCode>("TScrollCode",
                                {"scLineUp", "scLineDown", "scPageUp", "scPageDown", "scPosition",
                                 "scTrack", "scTop", "scBottom", "scEndScroll"});
  RegisterEventType<TScrollEvent>("TScrollEvent");
  TClassRegistration<TScrollBar, TWinControl>("TScrollBar")
      .Property("Kind", &TScrollBar::Kind, &TScrollBar::SetKind)
      .Default(sbHorizontal)
      .Property("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange)
      .Default(1)
      .Property("Max", &TScrollBar::Max, &TScrollBar::SetMax)
      .Default(100)
      .Property("Min", &TScrollBar::Min, &TScrollBar::SetMin)
      .Default(0)
      .Property("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize)
      .Default(0)
      .Property("Position", &TScrollBar::Position, &TScrollBar::SetPosition)
      .Default(0)
      .Property("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange)
      .Default(1)
      .Property("OnChange", &TScrollBar::OnChange, &TScrollBar::OnChange)
      .Property("OnScroll", &TScrollBar::OnScroll, &TScrollBar::OnScroll);
}

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 400;
constexpr UINT kRepeatInterval = 100;
constexpr Integer kMinThumb = 8;

} // namespace

TScrollBar::TScrollBar(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
  FControlStyle = TControlStyle{csFramed, csDoubleClicks, csOpaque};
  FWidth = 121;
  FHeight = GetSystemMetrics(SM_CYHSCROLL);
  FTabStop = true;
  FColor = clScrollBar;
  FParentColor = false;
}

TScrollBar::~TScrollBar() = default;

void TScrollBar::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  Params.Style |= FKind == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::SetKind(TScrollBarKind Value)
{
  if (Value == FKind)
    return;
  FKind = Value;
  if (!ComponentState().Contains(csLoading))
    SetBounds(FLeft, FTop, FHeight, FWidth);
  stdctrls::RecreateKeepingFocus(this);
}

Integer TScrollBar::MaxPosition() const
{
  return std::max(FMax - std::max(FPageSize - 1, 0), FMin);
}

void TScrollBar::SetParams(Integer APosition, Integer AMin, Integer AMax)
{
  if (AMax < AMin)
    throw EInvalidOperation("Scrollbar property out of range");
  bool changed = AMin != FMin || AMax != FMax;
  FMin = AMin;
  FMax = AMax;
  APosition = std::clamp(APosition, FMin, MaxPosition());
  if (changed)
    Invalidate();
  if (APosition != FPosition) {
    FPosition = APosition;
    Invalidate();
    Change();
  }
}

void TScrollBar::SetPageSize(Integer Value)
{
  Value = std::clamp(Value, 0, std::max(FMax - FMin + 1, 0));
  if (Value == FPageSize)
    return;
  FPageSize = Value;
  SetParams(FPosition, FMin, FMax);
  Invalidate();
}

void TScrollBar::Change()
{
  OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, Integer& ScrollPos)
{
  OnScroll(this, ScrollCode, ScrollPos);
}

// ---- Geometry ----

TScrollBar::TGeometry TScrollBar::Geometry() const
{
  TGeometry g;
  bool vertical = FKind == sbVertical;
  TRect c = ClientRect();
  g.Length = vertical ? c.Height() : c.Width();
  Integer thickness = vertical ? c.Width() : c.Height();
  g.Arrow = std::min(thickness, g.Length / 2);
  Integer track = g.Length - 2 * g.Arrow;
  g.Usable = FMax > FMin && track > kMinThumb && FEnabled && MaxPosition() > FMin;
  if (!g.Usable)
    return g;
  Integer range = FMax - FMin + 1;
  Integer thumb =
      FPageSize > 0
          ? std::max<Integer>(static_cast<Integer>(Int64(track) * FPageSize / range), kMinThumb)
          : thickness;
  thumb = std::min(thumb, track);
  Integer pos = FPressed == bpThumb ? FTrackPos : FPosition;
  Integer span = MaxPosition() - FMin;
  Integer offset = span > 0 ? static_cast<Integer>(Int64(pos - FMin) * (track - thumb) / span) : 0;
  g.ThumbStart = g.Arrow + offset;
  g.ThumbEnd = g.ThumbStart + thumb;
  return g;
}

TScrollBar::TPart TScrollBar::PartAt(TPoint P) const
{
  TGeometry g = Geometry();
  Integer at = FKind == sbVertical ? P.Y : P.X;
  if (at < 0 || at >= g.Length)
    return bpNone;
  if (at < g.Arrow)
    return bpLineUp;
  if (at >= g.Length - g.Arrow)
    return bpLineDown;
  if (!g.Usable)
    return bpNone;
  if (at < g.ThumbStart)
    return bpPageUp;
  if (at >= g.ThumbEnd)
    return bpPageDown;
  return bpThumb;
}

// ---- Notifications ----

// The parent hears WM_HSCROLL/WM_VSCROLL and reflects it back as CN_HSCROLL/CN_VSCROLL; a
// parent that does not reflect leaves it to the bar.
void TScrollBar::Notify(Integer Code, Integer Pos)
{
  UINT msg = FKind == sbVertical ? WM_VSCROLL : WM_HSCROLL;
  WPARAM w = MAKEWPARAM(Code, Pos);
  LPARAM l = static_cast<LPARAM>(FHandle);
  HWND parent = FHandle ? GetParent(FHandle) : 0;
  if (parent && FindControl(parent))
    SendMessage(parent, msg, w, l);
  else
    Perform(CN_BASE + msg, w, l);
}

void TScrollBar::CNScroll(TMessage& Message)
{
  TDestroyWatch watch(this);
  if (FNotificationHook) {
    TWndMethod hook = FNotificationHook;
    hook(Message);
    if (watch.Destroyed())
      return;
  }
  Integer code = LOWORD(Message.WParam);
  Integer pos = FPosition;
  switch (code) {
  case SB_LINEUP:
    pos -= FSmallChange;
    break;
  case SB_LINEDOWN:
    pos += FSmallChange;
    break;
  case SB_PAGEUP:
    pos -= FLargeChange;
    break;
  case SB_PAGEDOWN:
    pos += FLargeChange;
    break;
  case SB_THUMBPOSITION:
  case SB_THUMBTRACK:
    pos = static_cast<SmallInt>(HIWORD(Message.WParam));
    break;
  case SB_TOP:
    pos = FMin;
    break;
  case SB_BOTTOM:
    pos = FMax;
    break;
  }
  pos = std::clamp(pos, FMin, MaxPosition());
  static const TScrollCode codes[] = {scLineUp, scLineDown, scPageUp, scPageDown, scPosition,
                                      scTrack,  scTop,      scBottom, scEndScroll};
  Scroll(codes[std::clamp(code, 0, 8)], pos);
  if (watch.Destroyed())
    return;
  SetPosition(pos);
}

// ---- Mouse and keys ----

void TScrollBar::RepeatTick()
{
  if (FPressed == bpNone || FPressed == bpThumb)
    return;
  SetTimer(FHandle, kRepeatTimer, kRepeatInterval);
  // A page area stops paging once the thumb reaches the pointer.
  TPoint p;
  GetCursorPos(p);
  FHot = PartAt(ScreenToClient(p));
  if (FHot != FPressed)
    return;
  static const Integer codes[] = {0, SB_LINEUP, SB_PAGEUP, 0, SB_PAGEDOWN, SB_LINEDOWN};
  Notify(codes[FPressed], 0);
}

// Pressing a part: arrows and page areas scroll at once and again while held; the thumb
// follows the pointer (SB_THUMBTRACK) and lands where it is let go (SB_THUMBPOSITION); every
// press ends with SB_ENDSCROLL.
void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TWinControl::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed() || Button != mbLeft || !HandleAllocated())
    return;
  TPart part = PartAt({X, Y});
  if (part == bpNone)
    return;
  HWND h = FHandle;
  FPressed = part;
  FHot = part;
  TGeometry g = Geometry();
  FGrab = (FKind == sbVertical ? Y : X) - g.ThumbStart;
  FTrackPos = FPosition;
  Invalidate();
  struct TStop {
    TScrollBar* Self;
    TDestroyWatch& Watch;
    HWND Window;
    ~TStop()
    {
      KillTimer(Window, kRepeatTimer);
      if (!Watch.Destroyed()) {
        Self->FPressed = bpNone;
        Self->FHot = bpNone;
        Self->Invalidate();
      }
    }
  } stop{this, watch, h};
  if (part != bpThumb) {
    static const Integer codes[] = {0, SB_LINEUP, SB_PAGEUP, 0, SB_PAGEDOWN, SB_LINEDOWN};
    Notify(codes[part], 0);
    if (watch.Destroyed())
      return;
    SetTimer(h, kRepeatTimer, kRepeatDelay);
  }
  bool released = false;
  TTrackLoop loop;
  loop.CaptureWindow = h;
  loop.FilterCode = MSGF_SCROLLBAR;
  loop.Name = "the scroll bar";
  loop.Running = [&] { return !released && !watch.Destroyed(); };
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    if (m.message == WM_LBUTTONUP)
      released = true;
    return trPass;
  };
  TrackModal(loop);
  if (watch.Destroyed())
    return;
  if (part == bpThumb)
    Notify(SB_THUMBPOSITION, FTrackPos);
  if (!watch.Destroyed())
    Notify(SB_ENDSCROLL, 0);
}

void TScrollBar::KeyDown(Word& Key, TShiftState Shift)
{
  TWinControl::KeyDown(Key, Shift);
  Integer code = -1;
  switch (Key) {
  case VK_UP:
  case VK_LEFT:
    code = SB_LINEUP;
    break;
  case VK_DOWN:
  case VK_RIGHT:
    code = SB_LINEDOWN;
    break;
  case VK_PRIOR:
    code = SB_PAGEUP;
    break;
  case VK_NEXT:
    code = SB_PAGEDOWN;
    break;
  case VK_HOME:
    code = SB_TOP;
    break;
  case VK_END:
    code = SB_BOTTOM;
    break;
  default:
    return;
  }
  Key = 0;
  TDestroyWatch watch(this);
  Notify(code, 0);
  if (!watch.Destroyed())
    Notify(SB_ENDSCROLL, 0);
}

// ---- Painting ----

void TScrollBar::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  TCanvas* c = FCanvas.get();
  TGeometry g = Geometry();
  bool vertical = FKind == sbVertical;
  TRect client = ClientRect();
  auto span = [&](Integer from, Integer to) {
    return vertical ? Rect(client.Left, from, client.Right, to)
                    : Rect(from, client.Top, to, client.Bottom);
  };
  auto state = [&](TPart part) {
    TPaintState s;
    if (FPressed == part && FHot == part)
      s.Include(psPushed);
    if (!g.Usable)
      s.Include(psDisabled);
    return s;
  };
  PaintDither(c, span(g.Arrow, g.Length - g.Arrow), clBtnHighlight, clBtnFace);
  if (g.Usable && (FPressed == bpPageUp || FPressed == bpPageDown) && FHot == FPressed) {
    TRect pressed =
        FPressed == bpPageUp ? span(g.Arrow, g.ThumbStart) : span(g.ThumbEnd, g.Length - g.Arrow);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(cl3DDkShadow);
    c->FillRect(pressed);
  }
  PaintArrowButton(c, span(0, g.Arrow), vertical ? adUp : adLeft, state(bpLineUp));
  PaintArrowButton(c, span(g.Length - g.Arrow, g.Length), vertical ? adDown : adRight,
                   state(bpLineDown));
  if (g.Usable)
    PaintButtonFace(c, span(g.ThumbStart, g.ThumbEnd), TPaintState());
  BindCanvasToDC(*FCanvas, 0);
}

void TScrollBar::Dispatch(TMessage& Message)
{
  Integer w = static_cast<Integer>(static_cast<NativeInt>(Message.WParam));
  switch (Message.Msg) {
  case CN_HSCROLL:
  case CN_VSCROLL:
    CNScroll(Message);
    return;
  case SBM_SETPOS:
    Message.Result = FPosition;
    SetPosition(w);
    return;
  case SBM_GETPOS:
    Message.Result = FPosition;
    return;
  case SBM_SETRANGE:
  case SBM_SETRANGEREDRAW:
    SetParams(FPosition, w, std::max(static_cast<Integer>(Message.LParam), w));
    return;
  case SBM_GETRANGE:
    if (Message.WParam)
      *reinterpret_cast<Integer*>(Message.WParam) = FMin;
    if (Message.LParam)
      *reinterpret_cast<Integer*>(Message.LParam) = FMax;
    return;
  case SBM_SETSCROLLINFO: {
    const auto* si = reinterpret_cast<const SCROLLINFO*>(Message.LParam);
    if (!si)
      return;
    Integer lo = FMin, hi = FMax;
    if (si->fMask & SIF_RANGE) {
      lo = si->nMin;
      hi = std::max(si->nMax, si->nMin);
    }
    FMin = lo;
    FMax = hi;
    if (si->fMask & SIF_PAGE)
      FPageSize = std::clamp<Integer>(static_cast<Integer>(si->nPage), 0, FMax - FMin + 1);
    Integer pos = (si->fMask & SIF_POS) ? si->nPos : FPosition;
    FPosition = std::clamp(pos, FMin, MaxPosition());
    Invalidate();
    Message.Result = FPosition;
    return;
  }
  case SBM_GETSCROLLINFO: {
    auto* si = reinterpret_cast<SCROLLINFO*>(Message.LParam);
    if (!si)
      return;
    if (si->fMask & SIF_RANGE) {
      si->nMin = FMin;
      si->nMax = FMax;
    }
    if (si->fMask & SIF_PAGE)
      si->nPage = static_cast<UINT>(FPageSize);
    if (si->fMask & SIF_POS)
      si->nPos = FPosition;
    if (si->fMask & SIF_TRACKPOS)
      si->nTrackPos = FPressed == bpThumb ? FTrackPos : FPosition;
    Message.Result = 1;
    return;
  }
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS;
    return;
  case WM_TIMER:
    if (Message.WParam == kRepeatTimer) {
      RepeatTick();
      return;
    }
    break;
  case WM_MOUSEMOVE:
    if (FPressed == bpThumb) {
      TPoint p = MessagePoint(Message);
      TGeometry g = Geometry();
      Integer track = g.Length - 2 * g.Arrow - (g.ThumbEnd - g.ThumbStart);
      Integer start = (FKind == sbVertical ? p.Y : p.X) - FGrab - g.Arrow;
      Integer span = MaxPosition() - FMin;
      Integer pos =
          track > 0 ? FMin + static_cast<Integer>(Int64(std::clamp(start, 0, track)) * span / track)
                    : FMin;
      if (pos != FTrackPos) {
        FTrackPos = pos;
        Invalidate();
        Notify(SB_THUMBTRACK, pos);
      }
    } else if (FPressed != bpNone) {
      TPart hot = PartAt(MessagePoint(Message));
      if (hot != FHot) {
        FHot = hot;
        Invalidate();
      }
    }
    break;
  case WM_SIZE:
  case CM_ENABLEDCHANGED:
    Invalidate();
    break;
  }
  TWinControl::Dispatch(Message);
}
