// Painting: update regions with erase-then-paint, device contexts on the top-level
// window's backing surface clipped to what a window may paint, the non-client frame and
// window scroll bars, scrolling pixels, and composing the screen from the top-level
// surfaces. Windows.h describes the interface.
#include <algorithm>
#include <cstring>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/WindowsPrivate.h"

using namespace wm;

namespace {

TRect ClientBounds(const TWnd* w)
{
  return Rect(0, 0, w->Client.Width(), w->Client.Height());
}

bool HasFrame(const TWnd* w)
{
  return w->Client.Left != 0 || w->Client.Top != 0 || w->Client.Width() != w->Rect.Width() ||
         w->Client.Height() != w->Rect.Height();
}

// Offset of a window's client area (or whole window) inside its top-level surface.
TPoint SurfaceOffset(const TWnd* w, bool window)
{
  const TWnd* top = w;
  while (top->Parent)
    top = top->Parent;
  TPoint a = window ? WindowOrigin(w) : ClientOrigin(w);
  TPoint b = WindowOrigin(top);
  return {a.X - b.X, a.Y - b.Y};
}

TWnd* TopOf(TWnd* w)
{
  return TopLevelOf(w);
}

HDC MakeDc(TWnd* w, bool window, const TRegion* limit)
{
  TState& s = State();
  auto dc = std::make_unique<TDc>();
  dc->Handle = s.NextDc++;
  dc->Window = w ? w->Handle : 0;
  if (!w) {
    dc->Own = std::make_unique<TImageSurface>(1, 1, 0xFFFFFF);
    dc->Canvas = std::make_unique<TCanvas>(dc->Own.get());
  } else {
    TWnd* top = TopOf(w);
    dc->Canvas = std::make_unique<TCanvas>(top->Surface.get());
    TPoint off = SurfaceOffset(w, window);
    dc->Canvas->SetWindowOrg({-off.X, -off.Y});
    TRegion clip = VisibleRegion(w, window);
    if (!VisibleChain(w))
      clip = TRegion();
    if (limit)
      clip = clip.Combine(*limit, RGN_AND);
    clip.Offset(off.X, off.Y);
    dc->Canvas->SelectClipRegion(&clip);
  }
  HDC h = dc->Handle;
  s.Dcs.push_back(std::move(dc));
  return h;
}

void Present(TWnd* w, const TRect& windowArea)
{
  TWnd* top = TopOf(w);
  if (top->MessageOnly)
    return;
  if (TWindowBackend* b = WindowBackend()) {
    TRect area = windowArea;
    TPoint off = SurfaceOffset(w, true);
    OffsetRect(area, off.X, off.Y);
    b->SurfaceChanged(top->Handle, area);
  }
}

struct TBarGeometry {
  TRect Bar; // window coordinates
  Integer Arrow = 0;
  Integer ThumbTop = 0; // from the bar's start
  Integer ThumbBottom = 0;
  bool Usable = false;
};

bool BarVisible(const TWnd* w, Integer bar)
{
  return (w->Style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
}

bool BarNeeded(const SCROLLINFO& si)
{
  Integer range = si.nMax - si.nMin;
  return range > 0 && (si.nPage == 0 || static_cast<Integer>(si.nPage) <= range);
}

TBarGeometry BarGeometry(const TWnd* w, Integer bar)
{
  TBarGeometry g;
  TFrameMetrics f = FrameMetrics(w);
  const TRect& c = w->Client;
  if (bar == SB_VERT)
    g.Bar = Rect(c.Right + f.Edge, c.Top - f.Edge, c.Right + f.Edge + f.VScroll, c.Bottom + f.Edge);
  else
    g.Bar =
        Rect(c.Left - f.Edge, c.Bottom + f.Edge, c.Right + f.Edge, c.Bottom + f.Edge + f.HScroll);
  Integer length = bar == SB_VERT ? g.Bar.Height() : g.Bar.Width();
  Integer thickness = bar == SB_VERT ? g.Bar.Width() : g.Bar.Height();
  g.Arrow = std::min(thickness, length / 2);
  const SCROLLINFO& si = w->Scroll[bar];
  Integer track = length - 2 * g.Arrow;
  g.Usable = BarNeeded(si) && w->ScrollArrowsDisabled[bar] != ESB_DISABLE_BOTH && track > 8;
  if (!g.Usable)
    return g;
  Integer range = si.nMax - si.nMin + 1;
  Integer thumb = si.nPage
                      ? std::max<Integer>(static_cast<Integer>(Int64(si.nPage) * track / range), 8)
                      : thickness;
  thumb = std::min(thumb, track);
  Integer maxPos = si.nMax - std::max<Integer>(static_cast<Integer>(si.nPage) - 1, 0);
  Integer span = maxPos - si.nMin;
  Integer offset =
      span > 0 ? static_cast<Integer>(Int64(si.nPos - si.nMin) * (track - thumb) / span) : 0;
  g.ThumbTop = g.Arrow + offset;
  g.ThumbBottom = g.ThumbTop + thumb;
  return g;
}

void DrawScrollBar(TCanvas& c, const TWnd* w, Integer bar)
{
  TBarGeometry g = BarGeometry(w, bar);
  TRect r = g.Bar;
  c.Brush()->SetColor(clScrollBar);
  c.FillRect(r);
  auto button = [&](TRect b) {
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(b);
    DrawEdge(&c, b, EDGE_RAISED, BF_RECT);
  };
  // The arrow buttons carry their arrows, embossed while the bar or that end is disabled.
  UINT disabled = w->ScrollArrowsDisabled[bar];
  auto arrow = [&](TRect b, Cardinal kind, UINT end) {
    bool inactive = !g.Usable || (disabled & end);
    DrawFrameControl(&c, b, DFC_SCROLL,
                     kind | (inactive ? static_cast<Cardinal>(DFCS_INACTIVE) : 0u));
  };
  if (bar == SB_VERT) {
    arrow(Rect(r.Left, r.Top, r.Right, r.Top + g.Arrow), DFCS_SCROLLUP, ESB_DISABLE_LTUP);
    arrow(Rect(r.Left, r.Bottom - g.Arrow, r.Right, r.Bottom), DFCS_SCROLLDOWN, ESB_DISABLE_RTDN);
    if (g.Usable)
      button(Rect(r.Left, r.Top + g.ThumbTop, r.Right, r.Top + g.ThumbBottom));
  } else {
    arrow(Rect(r.Left, r.Top, r.Left + g.Arrow, r.Bottom), DFCS_SCROLLLEFT, ESB_DISABLE_LTUP);
    arrow(Rect(r.Right - g.Arrow, r.Top, r.Right, r.Bottom), DFCS_SCROLLRIGHT, ESB_DISABLE_RTDN);
    if (g.Usable)
      button(Rect(r.Left + g.ThumbTop, r.Top, r.Left + g.ThumbBottom, r.Bottom));
  }
}

// Shows or hides a bar when its range starts or stops being needed.
void UpdateBarVisibility(TWnd* w, Integer bar, bool disableNoScroll)
{
  DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  bool needed = BarNeeded(w->Scroll[bar]);
  bool show = needed || (disableNoScroll && (w->Style & bit));
  if (show == ((w->Style & bit) != 0))
    return;
  if (show)
    w->Style |= bit;
  else
    w->Style &= ~bit;
  SetWindowPos(w->Handle, 0, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// The caption buttons of a window, right to left: close, maximize, minimize (window
// coordinates; empty when the window has no such button).
enum TCaptionButton { cbClose, cbMaximize, cbMinimize };

TRect CaptionButtonRect(const TWnd* w, TCaptionButton which)
{
  TFrameMetrics f = FrameMetrics(w);
  if (!f.Caption || !(w->Style & WS_SYSMENU))
    return {};
  bool tool = (w->ExStyle & WS_EX_TOOLWINDOW) != 0;
  if (which == cbMaximize && (tool || !(w->Style & WS_MAXIMIZEBOX)))
    return {};
  if (which == cbMinimize && (tool || !(w->Style & WS_MINIMIZEBOX)))
    return {};
  Integer h = std::max(f.Caption - 4, 8);
  Integer wd = h + 2;
  Integer right = w->Rect.Width() - f.Border - 2;
  Integer top = f.Border + 2;
  if (which != cbClose) {
    right -= wd + 2;
    if (which == cbMinimize && (w->Style & WS_MAXIMIZEBOX))
      right -= wd;
  }
  return Rect(right - wd, top, right, top + h);
}

void DrawCaptionButton(TCanvas& c, const TWnd* w, TCaptionButton which)
{
  TRect r = CaptionButtonRect(w, which);
  if (IsRectEmpty(r))
    return;
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(r);
  TRect e = r;
  DrawEdge(&c, e, EDGE_RAISED, BF_RECT);
  c.Pen()->SetColor(clBtnText);
  c.Pen()->SetWidth(1);
  Integer l = r.Left + 4, t = r.Top + 3, rr = r.Right - 5, b = r.Bottom - 4;
  switch (which) {
  case cbClose:
    for (Integer d = 0; d < 2; ++d) {
      c.MoveTo(l + d, t);
      c.LineTo(rr + d, b + 1);
      c.MoveTo(rr - 1 + d, t);
      c.LineTo(l - 1 + d, b + 1);
    }
    break;
  case cbMaximize:
    c.Brush()->SetColor(clBtnText);
    c.FrameRect(Rect(l, t, rr + 1, b + 1));
    c.FillRect(Rect(l, t, rr + 1, t + 2));
    break;
  case cbMinimize:
    c.Brush()->SetColor(clBtnText);
    c.FillRect(Rect(l, b - 1, rr - 2, b + 1));
    break;
  }
}

// Inverts the caret's rectangle in its window's surface (drawing and erasing are the same).
void InvertCaret()
{
  TState& s = State();
  TWnd* w = FromHandle(s.CaretWnd);
  if (!w)
    return;
  HDC dc = MakeDc(w, false, nullptr);
  CanvasFromDC(dc)->InvertRect(s.CaretRect);
  ReleaseDC(w->Handle, dc);
  s.CaretDrawn = !s.CaretDrawn;
}

// Shown (ShowCaret as often as HideCaret) on a visible window ...
bool CaretVisible()
{
  TState& s = State();
  TWnd* w = FromHandle(s.CaretWnd);
  return w && s.CaretHidden == 0 && VisibleChain(w);
}

// ... and in the "on" half of its blink.
bool CaretShouldShow()
{
  return CaretVisible() && !State().CaretBlinkOff;
}

// The caret shows at once and keeps on for a blink time (after it appears or moves).
void RestartBlink()
{
  TState& s = State();
  s.CaretBlinkOff = false;
  s.CaretNextBlink = GetTickCount() + s.CaretBlinkTime;
}

void CaretNotify()
{
  TState& s = State();
  TWindowBackend* b = WindowBackend();
  TWnd* w = FromHandle(s.CaretWnd);
  if (!b || !w)
    return;
  TRect r = s.CaretRect;
  TPoint o = ClientOrigin(w);
  OffsetRect(r, o.X, o.Y);
  b->CaretChanged(w->Handle, r, CaretVisible());
}

// Painting over the caret's window (or a window around it) erases the caret first ...
void CaretBeforePaint(const TWnd* painting)
{
  TState& s = State();
  TWnd* caret = FromHandle(s.CaretWnd);
  if (s.CaretDrawn && caret && InSubtree(caret, painting))
    InvertCaret();
}

// ... and it comes back when the painting is done.
void CaretAfterPaint()
{
  if (!State().CaretDrawn && CaretShouldShow())
    InvertCaret();
}

} // namespace

namespace wm {

// Pressing a window's scroll bar: arrows and the page areas send their command at once
// and again while held (after 400 ms, then every 100 ms, while the pointer stays on that
// part); the thumb sends SB_THUMBTRACK while dragged and SB_THUMBPOSITION when let go.
// SB_ENDSCROLL ends every interaction.
void ScrollBarTrack(HWND hwnd, Integer bar, TPoint screen)
{
  constexpr UINT_PTR repeatTimer = 0xFFF0;
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return;
  TBarGeometry g = BarGeometry(w, bar);
  if (!g.Usable)
    return;
  const UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  auto along = [&](TPoint pt) {
    TPoint o = WindowOrigin(w);
    return bar == SB_VERT ? pt.Y - o.Y - g.Bar.Top : pt.X - o.X - g.Bar.Left;
  };
  const Integer length = bar == SB_VERT ? g.Bar.Height() : g.Bar.Width();
  auto partAt = [&](Integer a) -> Integer {
    if (a < g.Arrow)
      return SB_LINEUP;
    if (a >= length - g.Arrow)
      return SB_LINEDOWN;
    if (a >= g.ThumbTop && a < g.ThumbBottom)
      return SB_THUMBTRACK;
    return a < g.ThumbTop ? SB_PAGEUP : SB_PAGEDOWN;
  };
  const Integer part = partAt(along(screen));
  const Integer grab = along(screen) - g.ThumbTop;
  TPoint pointer = screen;
  Integer trackPos = w->Scroll[bar].nPos;
  // Follows the thumb to the pointer; SB_THUMBTRACK whenever the position changes.
  auto trackThumb = [&] {
    if (!(w = FromHandle(hwnd)))
      return;
    const SCROLLINFO& si = w->Scroll[bar];
    Integer thumb = g.ThumbBottom - g.ThumbTop;
    Integer track = length - 2 * g.Arrow - thumb;
    Integer maxPos = si.nMax - std::max<Integer>(static_cast<Integer>(si.nPage) - 1, 0);
    Integer offset = std::clamp(along(pointer) - grab - g.Arrow, 0, std::max(track, 0));
    Integer pos = track > 0
                      ? si.nMin + static_cast<Integer>(Int64(offset) * (maxPos - si.nMin) / track)
                      : si.nMin;
    if (pos == trackPos)
      return;
    trackPos = pos;
    w->Scroll[bar].nTrackPos = pos;
    SendMessage(hwnd, msg, MAKEWPARAM(SB_THUMBTRACK, pos), 0);
  };
  // The capture comes before the first command, as the loop then keeps it.
  TScopeExit unwinding([hwnd] {
    KillTimer(hwnd, repeatTimer);
    try {
      if (GetCapture() == hwnd)
        ReleaseCapture();
    } catch (...) {
    }
  });
  SetCapture(hwnd);
  if (part != SB_THUMBTRACK) {
    SendMessage(hwnd, msg, static_cast<WPARAM>(part), 0);
    SetTimer(hwnd, repeatTimer, 400);
  }
  TTrackLoop loop;
  loop.CaptureWindow = hwnd;
  loop.FilterCode = MSGF_SCROLLBAR;
  loop.Name = "the scroll bar";
  loop.OnMessage = [&](MSG& m) {
    if (m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == repeatTimer) {
      if (!(w = FromHandle(hwnd)))
        return trEnd;
      g = BarGeometry(w, bar);
      if (partAt(along(pointer)) == part)
        SendMessage(hwnd, msg, static_cast<WPARAM>(part), 0);
      SetTimer(hwnd, repeatTimer, 100);
      return trHandled;
    }
    if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
      pointer = m.pt;
      if (part == SB_THUMBTRACK && m.message == WM_MOUSEMOVE)
        trackThumb();
      return m.message == WM_LBUTTONUP ? trEnd : trHandled;
    }
    return IsMouseMessage(m.message) ? trHandled : trPass;
  };
  TrackModal(loop);
  unwinding.Dismiss();
  KillTimer(hwnd, repeatTimer);
  if (part == SB_THUMBTRACK)
    SendMessage(hwnd, msg, MAKEWPARAM(SB_THUMBPOSITION, trackPos), 0);
  SendMessage(hwnd, msg, SB_ENDSCROLL, 0);
}

// A press on a caption button: the command runs when the button is released over it.
void CaptionButtonTrack(HWND hwnd, LRESULT hit)
{
  TPoint release;
  bool released = false;
  TTrackLoop loop;
  loop.CaptureWindow = hwnd;
  loop.Name = "the caption button";
  loop.OnMessage = [&](MSG& m) {
    if (m.message == WM_LBUTTONUP) {
      release = m.pt;
      released = true;
      return trEnd;
    }
    return IsMouseMessage(m.message) ? trHandled : trPass;
  };
  TrackModal(loop);
  TWnd* w = FromHandle(hwnd);
  if (!released || !w || DefNcHitTest(w, release) != hit)
    return;
  WPARAM cmd = hit == HTCLOSE       ? SC_CLOSE
               : hit == HTMINBUTTON ? SC_MINIMIZE
               : IsZoomed(hwnd)     ? SC_RESTORE
                                    : SC_MAXIMIZE;
  SendMessage(hwnd, WM_SYSCOMMAND, cmd, PointToLParam(release));
}

TFrameMetrics FrameMetrics(const TWnd* w)
{
  TFrameMetrics f;
  if (w->Style & WS_THICKFRAME)
    f.Border = GetSystemMetrics(SM_CXFRAME);
  else if (w->Style & WS_DLGFRAME)
    f.Border = GetSystemMetrics(SM_CXDLGFRAME);
  else if (w->Style & WS_BORDER)
    f.Border = GetSystemMetrics(SM_CXBORDER);
  if ((w->Style & WS_CAPTION) == WS_CAPTION)
    f.Caption = GetSystemMetrics((w->ExStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  if (w->ExStyle & WS_EX_CLIENTEDGE)
    f.Edge = GetSystemMetrics(SM_CXEDGE);
  if (w->Style & WS_VSCROLL)
    f.VScroll = GetSystemMetrics(SM_CXVSCROLL);
  if (w->Style & WS_HSCROLL)
    f.HScroll = GetSystemMetrics(SM_CYHSCROLL);
  return f;
}

LRESULT DefNcHitTest(TWnd* w, TPoint screen)
{
  TPoint o = WindowOrigin(w);
  TPoint p{screen.X - o.X, screen.Y - o.Y};
  TRect whole = Rect(0, 0, w->Rect.Width(), w->Rect.Height());
  if (!PtInRect(whole, p))
    return HTNOWHERE;
  if (PtInRect(w->Client, p))
    return HTCLIENT;
  if ((w->Style & WS_VSCROLL) && PtInRect(BarGeometry(w, SB_VERT).Bar, p))
    return HTVSCROLL;
  if ((w->Style & WS_HSCROLL) && PtInRect(BarGeometry(w, SB_HORZ).Bar, p))
    return HTHSCROLL;
  TFrameMetrics f = FrameMetrics(w);
  if (w->Style & WS_THICKFRAME) {
    constexpr Integer corner = 16;
    bool left = p.X < f.Border, right = p.X >= whole.Right - f.Border;
    bool top = p.Y < f.Border, bottom = p.Y >= whole.Bottom - f.Border;
    bool nearLeft = p.X < corner, nearRight = p.X >= whole.Right - corner;
    bool nearTop = p.Y < corner, nearBottom = p.Y >= whole.Bottom - corner;
    if ((top && nearLeft) || (left && nearTop))
      return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop))
      return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom))
      return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom))
      return HTBOTTOMRIGHT;
    if (left)
      return HTLEFT;
    if (right)
      return HTRIGHT;
    if (top)
      return HTTOP;
    if (bottom)
      return HTBOTTOM;
  }
  if (f.Caption && p.Y >= f.Border && p.Y < f.Border + f.Caption) {
    if (PtInRect(CaptionButtonRect(w, cbClose), p))
      return HTCLOSE;
    if (PtInRect(CaptionButtonRect(w, cbMaximize), p))
      return HTMAXBUTTON;
    if (PtInRect(CaptionButtonRect(w, cbMinimize), p))
      return HTMINBUTTON;
    return HTCAPTION;
  }
  return HTBORDER;
}

void DrawFrame(TWnd* w)
{
  w->FrameNeeded = false;
  if (!HasFrame(w) || !VisibleChain(w))
    return;
  TRegion frame(Rect(0, 0, w->Rect.Width(), w->Rect.Height()));
  frame = frame.Combine(TRegion(w->Client), RGN_DIFF);
  HDC dc = MakeDc(w, true, &frame);
  TCanvas& c = *CanvasFromDC(dc);
  TFrameMetrics f = FrameMetrics(w);
  TRect r = Rect(0, 0, w->Rect.Width(), w->Rect.Height());
  if (f.Border == 1) {
    c.Brush()->SetColor(clWindowFrame);
    c.FrameRect(r);
  } else if (f.Border > 1) {
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(r);
    TRect e = r;
    DrawEdge(&c, e, EDGE_RAISED, BF_RECT);
  }
  InflateRect(r, -f.Border, -f.Border);
  if (f.Caption) {
    bool active = State().Active == w->Handle;
    TRect cap = Rect(r.Left, r.Top, r.Right, r.Top + f.Caption);
    c.Brush()->SetColor(active ? clActiveCaption : clInactiveCaption);
    c.FillRect(cap);
    c.Font()->SetColor(active ? clCaptionText : clInactiveCaptionText);
    c.Font()->SetStyle({fsBold});
    c.Brush()->SetStyle(bsClear);
    TRect text = cap;
    text.Left += 4;
    TRect buttons = CaptionButtonRect(w, cbMinimize);
    if (IsRectEmpty(buttons))
      buttons = CaptionButtonRect(w, cbMaximize);
    if (IsRectEmpty(buttons))
      buttons = CaptionButtonRect(w, cbClose);
    if (!IsRectEmpty(buttons))
      text.Right = buttons.Left - 2;
    c.DrawText(w->Text, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    c.Brush()->SetStyle(bsSolid);
    for (TCaptionButton b : {cbClose, cbMaximize, cbMinimize})
      DrawCaptionButton(c, w, b);
    r.Top += f.Caption;
  }
  if (f.Edge) {
    TRect e = r;
    DrawEdge(&c, e, EDGE_SUNKEN, BF_RECT);
  }
  if (w->Style & WS_VSCROLL)
    DrawScrollBar(c, w, SB_VERT);
  if (w->Style & WS_HSCROLL)
    DrawScrollBar(c, w, SB_HORZ);
  if ((w->Style & WS_VSCROLL) && (w->Style & WS_HSCROLL)) {
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(Rect(w->Client.Right + f.Edge, w->Client.Bottom + f.Edge,
                    w->Client.Right + f.Edge + f.VScroll, w->Client.Bottom + f.Edge + f.HScroll));
  }
  ReleaseDC(w->Handle, dc);
  Present(w, Rect(0, 0, w->Rect.Width(), w->Rect.Height()));
}

void Invalidate(TWnd* w, const TRegion& clientArea, bool erase)
{
  if (!VisibleChain(w) || w->Destroying)
    return;
  TRegion area = clientArea.Intersect(ClientBounds(w));
  if (!area.IsEmpty()) {
    w->Update = w->Update.Combine(area, RGN_OR);
    w->EraseNeeded = w->EraseNeeded || erase;
    if (TWindowBackend* b = WindowBackend())
      b->Invalidated(w->Handle, area);
  }
  for (TWnd* c : w->Children) {
    if (!(c->Style & WS_VISIBLE))
      continue;
    TRegion part = clientArea.Intersect(c->Rect);
    if (part.IsEmpty())
      continue;
    if (HasFrame(c)) {
      TRegion frame(c->Rect);
      TRect inner = c->Client;
      OffsetRect(inner, c->Rect.Left, c->Rect.Top);
      if (!part.Combine(TRegion(inner), RGN_DIFF).IsEmpty())
        c->FrameNeeded = true;
    }
    part.Offset(-(c->Rect.Left + c->Client.Left), -(c->Rect.Top + c->Client.Top));
    Invalidate(c, part, erase);
  }
}

void InvalidateAll(TWnd* w, bool erase)
{
  if (HasFrame(w))
    w->FrameNeeded = true;
  Invalidate(w, TRegion(ClientBounds(w)), erase);
}

void ExposeArea(TWnd* parent, const TRect& area)
{
  if (!parent)
    return; // top-level windows keep their own pixels; the screen is composed anew
  Invalidate(parent, TRegion(area), true);
  if (HasFrame(parent))
    parent->FrameNeeded = true;
}

void ResizeSurface(TWnd* w)
{
  if (w->Surface)
    w->Surface->Resize(std::max(w->Rect.Width(), 1), std::max(w->Rect.Height(), 1), 0xFFFFFF);
}

namespace {

TWnd* FindPaint(const std::vector<TWnd*>& list)
{
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    TWnd* w = *it;
    if (!(w->Style & WS_VISIBLE) || w->Destroying)
      continue;
    if (w->FrameNeeded && !HasFrame(w))
      w->FrameNeeded = false;
    if (!w->Update.IsEmpty() || w->FrameNeeded)
      return w;
    if (TWnd* c = FindPaint(w->Children))
      return c;
  }
  return nullptr;
}

} // namespace

TWnd* NextPaintWindow()
{
  return FindPaint(State().TopLevels);
}

bool AnyPaintPending()
{
  return NextPaintWindow() != nullptr;
}

void ReleaseDcsOf(HWND hwnd)
{
  auto& dcs = State().Dcs;
  dcs.erase(std::remove_if(dcs.begin(), dcs.end(),
                           [hwnd](const std::unique_ptr<TDc>& d) { return d->Window == hwnd; }),
            dcs.end());
}

} // namespace wm

// ---- Update regions --------------------------------------------------------------------------

bool InvalidateRect(HWND hwnd, const TRect* rect, bool erase)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  if (!rect)
    InvalidateAll(w, erase);
  else
    Invalidate(w, TRegion(*rect), erase);
  return true;
}

bool InvalidateRgn(HWND hwnd, const TRegion* region, bool erase)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  if (!region)
    InvalidateAll(w, erase);
  else
    Invalidate(w, *region, erase);
  return true;
}

bool ValidateRect(HWND hwnd, const TRect* rect)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  if (!rect) {
    w->Update = TRegion();
    w->EraseNeeded = false;
  } else {
    w->Update = w->Update.Combine(TRegion(*rect), RGN_DIFF);
    if (w->Update.IsEmpty())
      w->EraseNeeded = false;
  }
  return true;
}

bool RedrawWindow(HWND hwnd, const TRect* rect, const TRegion* region, UINT flags)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  TRegion area = region ? *region : rect ? TRegion(*rect) : TRegion(ClientBounds(w));
  if (flags & RDW_INVALIDATE)
    Invalidate(w, area, (flags & RDW_ERASE) != 0);
  if (flags & RDW_FRAME)
    w->FrameNeeded = HasFrame(w);
  if (flags & RDW_VALIDATE) {
    w->Update = w->Update.Combine(area, RGN_DIFF);
    if (w->Update.IsEmpty())
      w->EraseNeeded = false;
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
    UpdateWindow(hwnd);
  return true;
}

bool UpdateWindow(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  if (w->FrameNeeded && HasFrame(w))
    SendMessage(hwnd, WM_NCPAINT, 1, 0);
  if ((w = FromHandle(hwnd)) && !w->Update.IsEmpty() && VisibleChain(w)) {
    MSG m;
    m.hwnd = hwnd;
    m.message = WM_PAINT;
    DispatchMessage(m);
  }
  // Children paint after their parent, as the queue would have them.
  if ((w = FromHandle(hwnd))) {
    std::vector<HWND> children;
    for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it)
      children.push_back((*it)->Handle);
    for (HWND c : children)
      UpdateWindow(c);
  }
  return true;
}

bool GetUpdateRect(HWND hwnd, TRect* rect, bool erase)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  if (rect)
    *rect = w->Update.IsEmpty() ? TRect() : w->Update.Bounds();
  (void)erase;
  return !w->Update.IsEmpty();
}

bool GetUpdateRgn(HWND hwnd, TRegion& region)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  region = w->Update;
  return !region.IsEmpty();
}

// ---- Device contexts ------------------------------------------------------------------------

HDC BeginPaint(HWND hwnd, PAINTSTRUCT& ps)
{
  TWnd* w = FromHandle(hwnd);
  ps = PAINTSTRUCT();
  if (!w)
    return 0;
  if (w->FrameNeeded && HasFrame(w)) {
    SendMessage(hwnd, WM_NCPAINT, 1, 0);
    if (!(w = FromHandle(hwnd)))
      return 0;
  }
  CaretBeforePaint(w);
  TRegion area = w->Update;
  bool erase = w->EraseNeeded;
  w->Update = TRegion();
  w->EraseNeeded = false;
  w->InPaint = true;
  ++w->BeginPaints;
  HDC dc = MakeDc(w, false, &area);
  ps.hdc = dc;
  ps.rcPaint = area.IsEmpty() ? TRect() : area.Bounds();
  ps.fErase = erase ? 1 : 0;
  if (erase)
    ps.fErase = SendMessage(hwnd, WM_ERASEBKGND, static_cast<WPARAM>(dc), 0) ? 0 : 1;
  return dc;
}

bool EndPaint(HWND hwnd, const PAINTSTRUCT& ps)
{
  ReleaseDC(hwnd, ps.hdc);
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  w->InPaint = false;
  TRect r = ps.rcPaint;
  OffsetRect(r, w->Client.Left, w->Client.Top);
  Present(w, r);
  CaretAfterPaint();
  return true;
}

// ---- Caret -----------------------------------------------------------------------------------

bool CreateCaret(HWND hwnd, Integer width, Integer height)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  DestroyCaret();
  TState& s = State();
  s.CaretWnd = hwnd;
  s.CaretRect = Rect(0, 0, width > 0 ? width : GetSystemMetrics(SM_CXBORDER), height);
  s.CaretHidden = 1;
  s.CaretDrawn = false;
  RestartBlink();
  return true;
}

bool DestroyCaret()
{
  TState& s = State();
  if (!s.CaretWnd)
    return false;
  if (s.CaretDrawn)
    InvertCaret();
  s.CaretHidden = 1;
  CaretNotify();
  s.CaretWnd = 0;
  return true;
}

bool SetCaretPos(Integer x, Integer y)
{
  TState& s = State();
  if (!FromHandle(s.CaretWnd))
    return false;
  bool drawn = s.CaretDrawn;
  if (drawn)
    InvertCaret();
  OffsetRect(s.CaretRect, x - s.CaretRect.Left, y - s.CaretRect.Top);
  RestartBlink();
  CaretAfterPaint();
  CaretNotify();
  return true;
}

bool GetCaretPos(TPoint& point)
{
  TState& s = State();
  if (!FromHandle(s.CaretWnd))
    return false;
  point = s.CaretRect.TopLeft();
  return true;
}

bool ShowCaret(HWND hwnd)
{
  TState& s = State();
  if (!FromHandle(s.CaretWnd) || (hwnd && hwnd != s.CaretWnd) || s.CaretHidden == 0)
    return false;
  if (--s.CaretHidden == 0) {
    RestartBlink();
    CaretAfterPaint();
    CaretNotify();
  }
  return true;
}

bool HideCaret(HWND hwnd)
{
  TState& s = State();
  if (!FromHandle(s.CaretWnd) || (hwnd && hwnd != s.CaretWnd))
    return false;
  if (s.CaretHidden++ == 0) {
    if (s.CaretDrawn)
      InvertCaret();
    CaretNotify();
  }
  return true;
}

UINT GetCaretBlinkTime()
{
  return State().CaretBlinkTime;
}

bool SetCaretBlinkTime(UINT ms)
{
  if (ms == 0)
    return false;
  State().CaretBlinkTime = ms;
  RestartBlink();
  CaretAfterPaint();
  return true;
}

namespace wm {

Integer CaretBlinkDue()
{
  TState& s = State();
  if (s.CaretBlinkTime == INFINITE || !CaretVisible())
    return -1;
  return std::max(static_cast<Integer>(s.CaretNextBlink - GetTickCount()), 0);
}

void BlinkCaretIfDue()
{
  if (CaretBlinkDue() != 0)
    return;
  TState& s = State();
  s.CaretBlinkOff = !s.CaretBlinkOff;
  s.CaretNextBlink = GetTickCount() + s.CaretBlinkTime;
  if (s.CaretDrawn != CaretShouldShow())
    InvertCaret();
}

} // namespace wm

HDC GetDC(HWND hwnd)
{
  if (hwnd == 0)
    return MakeDc(nullptr, false, nullptr);
  TWnd* w = FromHandle(hwnd);
  return w ? MakeDc(w, false, nullptr) : 0;
}

HDC GetWindowDC(HWND hwnd)
{
  if (hwnd == 0)
    return MakeDc(nullptr, false, nullptr);
  TWnd* w = FromHandle(hwnd);
  return w ? MakeDc(w, true, nullptr) : 0;
}

Integer ReleaseDC(HWND hwnd, HDC dc)
{
  auto& dcs = State().Dcs;
  for (auto it = dcs.begin(); it != dcs.end(); ++it)
    if ((*it)->Handle == dc) {
      bool outsidePaint = false;
      if (TWnd* w = FromHandle((*it)->Window))
        outsidePaint = !w->InPaint;
      dcs.erase(it);
      if (outsidePaint)
        if (TWnd* w = FromHandle(hwnd))
          Present(w, Rect(0, 0, w->Rect.Width(), w->Rect.Height()));
      return 1;
    }
  return 0;
}

TCanvas* CanvasFromDC(HDC dc)
{
  if (dc == 0)
    return nullptr;
  for (auto& d : State().Dcs)
    if (d->Handle == dc)
      return d->Canvas.get();
  return nullptr;
}

HDC CreateCanvasDC(TCanvas* canvas)
{
  if (!canvas || !canvas->Surface())
    return 0;
  TState& s = State();
  auto dc = std::make_unique<TDc>();
  dc->Handle = s.NextDc++;
  dc->Canvas = std::make_unique<TCanvas>(canvas->Surface());
  dc->Canvas->SetWindowOrg(canvas->WindowOrg());
  TRegion clip;
  if (canvas->GetClipRegion(clip))
    dc->Canvas->SelectClipRegion(&clip);
  HDC h = dc->Handle;
  s.Dcs.push_back(std::move(dc));
  return h;
}

bool DeleteDC(HDC dc)
{
  auto& dcs = State().Dcs;
  for (auto it = dcs.begin(); it != dcs.end(); ++it)
    if ((*it)->Handle == dc && (*it)->Window == 0) {
      dcs.erase(it);
      return true;
    }
  return false;
}

namespace {

// Moves the pixels of region (surface coordinates, the destination) by dx, dy within the
// surface, through a scratch copy of just the source rectangle (the two overlap).
void MovePixels(TImageSurface& s, const TRegion& region, Integer dx, Integer dy)
{
  TRect bounds = region.Bounds();
  TRect src = bounds;
  OffsetRect(src, -dx, -dy);
  IntersectRect(src, src, Rect(0, 0, s.Width(), s.Height()));
  if (IsRectEmpty(src))
    return;
  const std::size_t width = std::size_t(s.Width()), scratchWidth = std::size_t(src.Width());
  std::vector<std::uint32_t> scratch(scratchWidth * std::size_t(src.Height()));
  for (Integer y = src.Top; y < src.Bottom; ++y)
    std::memcpy(&scratch[std::size_t(y - src.Top) * scratchWidth],
                s.Bits() + std::size_t(y) * width + std::size_t(src.Left),
                scratchWidth * sizeof(std::uint32_t));
  for (const TRegion::TBand& band : region.Bands())
    for (Integer y = band.Top; y < band.Bottom; ++y) {
      Integer sy = y - dy;
      if (y < 0 || y >= s.Height() || sy < src.Top || sy >= src.Bottom)
        continue;
      for (const TRegion::TSpan& span : band.Spans) {
        Integer left = std::max({span.Left, Integer(0), src.Left + dx});
        Integer right = std::min({span.Right, s.Width(), src.Right + dx});
        if (left >= right)
          continue;
        std::memcpy(
            s.Bits() + std::size_t(y) * width + std::size_t(left),
            &scratch[std::size_t(sy - src.Top) * scratchWidth + std::size_t(left - dx - src.Left)],
            std::size_t(right - left) * sizeof(std::uint32_t));
      }
    }
}

} // namespace

// With SW_SCROLLCHILDREN the children move with the pixels (every child, or those crossing
// rect when one is given), their pixels scrolled along with the parent's; otherwise they
// stay, and a parent that does not clip them has them repaint what was scrolled under
// them.
Integer ScrollWindowEx(HWND hwnd, Integer dx, Integer dy, const TRect* rect, const TRect* clip,
                       TRegion* updateRegion, TRect* updateRect, UINT flags)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return 0; // ERROR
  const bool withChildren = (flags & SW_SCROLLCHILDREN) != 0;
  TRect area = rect ? *rect : ClientBounds(w);
  IntersectRect(area, area, ClientBounds(w));
  if (clip)
    IntersectRect(area, area, *clip);
  TRegion visible;
  if (withChildren) {
    visible = VisibleRegion(w, true); // the children's pixels too
    visible.Offset(-w->Client.Left, -w->Client.Top);
  } else {
    visible = VisibleRegion(w, false);
  }
  visible = visible.Intersect(area);
  TRegion moved = visible;
  moved.Offset(dx, dy);
  moved = moved.Intersect(area).Combine(visible, RGN_AND);
  TWnd* top = TopLevelOf(w);
  if (top->Surface && VisibleChain(w) && !moved.IsEmpty()) {
    TPoint off = SurfaceOffset(w, false);
    TRegion target = moved;
    target.Offset(off.X, off.Y);
    MovePixels(*top->Surface, target, dx, dy);
  }
  // The update region moves with the pixels.
  if (!w->Update.IsEmpty()) {
    TRegion inside = w->Update.Intersect(area);
    TRegion outside = w->Update.Combine(inside, RGN_DIFF);
    inside.Offset(dx, dy);
    w->Update = outside.Combine(inside.Intersect(area), RGN_OR);
  }
  TRegion uncovered = TRegion(area).Combine(moved, RGN_DIFF);
  if (withChildren) {
    std::vector<HWND> children;
    for (TWnd* c : w->Children)
      if (TRect r = c->Rect; !rect || IntersectRect(r, r, *rect))
        children.push_back(c->Handle);
    for (HWND h : children)
      if (TWnd* c = FromHandle(h))
        SetWindowPos(h, 0, c->Rect.Left + dx, c->Rect.Top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    if (!(w = FromHandle(hwnd)))
      return 0;
  }
  if (flags & SW_INVALIDATE) {
    Invalidate(w, uncovered, (flags & SW_ERASE) != 0);
    if (!withChildren && !(w->Style & WS_CLIPCHILDREN))
      for (TWnd* c : w->Children)
        if ((c->Style & WS_VISIBLE) && !TRegion(c->Rect).Intersect(area).IsEmpty())
          InvalidateAll(c, true);
  }
  if (updateRegion)
    *updateRegion = uncovered;
  if (updateRect)
    *updateRect = uncovered.IsEmpty() ? TRect() : uncovered.Bounds();
  TRect shown = area;
  OffsetRect(shown, w->Client.Left, w->Client.Top);
  Present(w, shown);
  return uncovered.Kind();
}

// ---- Scroll bars ---------------------------------------------------------------------------

// SB_CTL addresses a scroll bar control, which keeps its own state (SBM_ messages).
Integer SetScrollInfo(HWND hwnd, Integer bar, const SCROLLINFO& si, bool redraw)
{
  if (bar == SB_CTL)
    return IsWindow(hwnd) ? static_cast<Integer>(SendMessage(hwnd, SBM_SETSCROLLINFO, redraw,
                                                             reinterpret_cast<LPARAM>(&si)))
                          : 0;
  TWnd* w = FromHandle(hwnd);
  if (!w || (bar != SB_HORZ && bar != SB_VERT))
    return 0;
  SCROLLINFO& cur = w->Scroll[bar];
  if (si.fMask & SIF_RANGE) {
    cur.nMin = si.nMin;
    cur.nMax = std::max(si.nMax, si.nMin);
  }
  if (si.fMask & SIF_PAGE)
    cur.nPage = si.nPage;
  if (si.fMask & SIF_POS)
    cur.nPos = si.nPos;
  Integer range = cur.nMax - cur.nMin + 1;
  if (static_cast<Integer>(cur.nPage) > range)
    cur.nPage = static_cast<UINT>(range);
  Integer maxPos = cur.nMax - std::max<Integer>(static_cast<Integer>(cur.nPage) - 1, 0);
  cur.nPos = std::clamp(cur.nPos, cur.nMin, std::max(maxPos, cur.nMin));
  cur.nTrackPos = cur.nPos;
  if (si.fMask & (SIF_RANGE | SIF_PAGE))
    UpdateBarVisibility(w, bar, (si.fMask & SIF_DISABLENOSCROLL) != 0);
  if ((w = FromHandle(hwnd)) && redraw && BarVisible(w, bar) && (w->Style & WS_VISIBLE)) {
    w->FrameNeeded = true;
  }
  return w ? w->Scroll[bar].nPos : 0;
}

bool GetScrollInfo(HWND hwnd, Integer bar, SCROLLINFO& si)
{
  if (bar == SB_CTL)
    return IsWindow(hwnd) &&
           SendMessage(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&si)) != 0;
  TWnd* w = FromHandle(hwnd);
  if (!w || (bar != SB_HORZ && bar != SB_VERT))
    return false;
  const SCROLLINFO& cur = w->Scroll[bar];
  if (si.fMask & SIF_RANGE) {
    si.nMin = cur.nMin;
    si.nMax = cur.nMax;
  }
  if (si.fMask & SIF_PAGE)
    si.nPage = cur.nPage;
  if (si.fMask & SIF_POS)
    si.nPos = cur.nPos;
  if (si.fMask & SIF_TRACKPOS)
    si.nTrackPos = cur.nTrackPos;
  return true;
}

Integer SetScrollPos(HWND hwnd, Integer bar, Integer pos, bool redraw)
{
  if (bar == SB_CTL)
    return IsWindow(hwnd) ? static_cast<Integer>(SendMessage(hwnd, SBM_SETPOS, pos, redraw)) : 0;
  TWnd* w = FromHandle(hwnd);
  if (!w || (bar != SB_HORZ && bar != SB_VERT))
    return 0;
  Integer old = w->Scroll[bar].nPos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, si, redraw);
  return old;
}

Integer GetScrollPos(HWND hwnd, Integer bar)
{
  if (bar == SB_CTL)
    return IsWindow(hwnd) ? static_cast<Integer>(SendMessage(hwnd, SBM_GETPOS, 0, 0)) : 0;
  TWnd* w = FromHandle(hwnd);
  if (!w || (bar != SB_HORZ && bar != SB_VERT))
    return 0;
  return w->Scroll[bar].nPos;
}

bool SetScrollRange(HWND hwnd, Integer bar, Integer minPos, Integer maxPos, bool redraw)
{
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  return IsWindow(hwnd) && (SetScrollInfo(hwnd, bar, si, redraw), true);
}

bool GetScrollRange(HWND hwnd, Integer bar, Integer& minPos, Integer& maxPos)
{
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  if (!GetScrollInfo(hwnd, bar, si))
    return false;
  minPos = si.nMin;
  maxPos = si.nMax;
  return true;
}

bool ShowScrollBar(HWND hwnd, Integer bar, bool show)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  DWORD bits = bar == SB_BOTH   ? (WS_HSCROLL | WS_VSCROLL)
               : bar == SB_VERT ? WS_VSCROLL
                                : WS_HSCROLL;
  DWORD style = show ? (w->Style | bits) : (w->Style & ~bits);
  if (style == w->Style)
    return true;
  w->Style = style;
  return SetWindowPos(hwnd, 0, 0, 0, 0, 0,
                      SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool EnableScrollBar(HWND hwnd, UINT bar, UINT arrows)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  if (bar == SB_HORZ || bar == SB_BOTH)
    w->ScrollArrowsDisabled[SB_HORZ] = arrows;
  if (bar == SB_VERT || bar == SB_BOTH)
    w->ScrollArrowsDisabled[SB_VERT] = arrows;
  w->FrameNeeded = true;
  return true;
}

bool GetScrollBarInfo(HWND hwnd, Integer objectId, SCROLLBARINFO& info)
{
  TWnd* w = FromHandle(hwnd);
  if (!w || (objectId != OBJID_HSCROLL && objectId != OBJID_VSCROLL) || info.cbSize != 60)
    return false;
  Integer bar = objectId == OBJID_VSCROLL ? SB_VERT : SB_HORZ;
  TBarGeometry g = BarGeometry(w, bar);
  TPoint o = WindowOrigin(w);
  info.rcScrollBar = g.Bar;
  OffsetRect(info.rcScrollBar, o.X, o.Y);
  info.dxyLineButton = g.Arrow;
  info.xyThumbTop = g.ThumbTop;
  info.xyThumbBottom = g.ThumbBottom;
  DWORD state = 0;
  if (!BarVisible(w, bar))
    state |= STATE_SYSTEM_INVISIBLE;
  else if (!VisibleChain(w))
    state |= STATE_SYSTEM_OFFSCREEN;
  if (!g.Usable)
    state |= STATE_SYSTEM_UNAVAILABLE;
  info.rgstate[0] = state;
  return true;
}

// ---- The screen overlay -------------------------------------------------------------------------

namespace {

TOverlayItem* FindOverlay(HOVERLAY overlay)
{
  for (TOverlayItem& item : State().Overlays)
    if (item.Handle == overlay)
      return &item;
  return nullptr;
}

void NotifyOverlay(const TRect& area)
{
  if (TWindowBackend* b = WindowBackend())
    b->OverlayChanged(area);
}

} // namespace

HOVERLAY CreateOverlay(const TRect& screenRect, TOverlayMode mode, Integer transparentRgb)
{
  if (screenRect.Width() <= 0 || screenRect.Height() <= 0)
    return 0;
  TState& s = State();
  TOverlayItem item;
  item.Handle = s.NextOverlay++;
  item.Rect = screenRect;
  item.Mode = mode;
  item.Transparent = transparentRgb;
  // XOR items start as "no change"; copy items as their transparent colour.
  TColor fill = mode == omXor ? 0 : (transparentRgb >= 0 ? transparentRgb : 0xFFFFFF);
  item.Surface = std::make_unique<TImageSurface>(screenRect.Width(), screenRect.Height(), fill);
  item.Canvas = std::make_unique<TCanvas>(item.Surface.get());
  HOVERLAY h = item.Handle;
  s.Overlays.push_back(std::move(item));
  NotifyOverlay(screenRect);
  return h;
}

TCanvas* OverlayCanvas(HOVERLAY overlay)
{
  TOverlayItem* item = FindOverlay(overlay);
  return item ? item->Canvas.get() : nullptr;
}

bool OverlayChanged(HOVERLAY overlay)
{
  TOverlayItem* item = FindOverlay(overlay);
  if (!item)
    return false;
  NotifyOverlay(item->Rect);
  return true;
}

bool MoveOverlay(HOVERLAY overlay, TPoint topLeft)
{
  TOverlayItem* item = FindOverlay(overlay);
  if (!item)
    return false;
  TRect old = item->Rect;
  OffsetRect(item->Rect, topLeft.X - old.Left, topLeft.Y - old.Top);
  TRect both;
  UnionRect(both, old, item->Rect);
  NotifyOverlay(both);
  return true;
}

bool DestroyOverlay(HOVERLAY overlay)
{
  auto& items = State().Overlays;
  for (auto it = items.begin(); it != items.end(); ++it)
    if (it->Handle == overlay) {
      TRect area = it->Rect;
      items.erase(it);
      NotifyOverlay(area);
      return true;
    }
  return false;
}

// ---- The screen --------------------------------------------------------------------------------

void ComposeScreen(TImageSurface& screen)
{
  TGc gc;
  screen.FillArea(TRegion(Rect(0, 0, screen.Width(), screen.Height())),
                  TFill::Solid(GetSysColor(COLOR_BACKGROUND)), gc);
  const auto& list = State().TopLevels;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    TWnd* w = *it;
    if (!(w->Style & WS_VISIBLE) || !w->Surface)
      continue;
    TRect dest = w->Rect;
    TRegion clip(dest);
    if (w->WindowRgn) {
      TRegion shape = *w->WindowRgn;
      shape.Offset(dest.Left, dest.Top);
      clip = clip.Combine(shape, RGN_AND);
    }
    TGc wgc;
    wgc.Clip = &clip;
    screen.CopyBits(dest, w->Surface.get(), Rect(0, 0, dest.Width(), dest.Height()), TFill(),
                    cmSrcCopy, wgc);
  }
  // The overlay goes on top, pixel by pixel (both surfaces hold 0x00RRGGBB).
  for (const TOverlayItem& item : State().Overlays) {
    const TImageSurface& src = *item.Surface;
    std::uint32_t key = 0xFFFFFFFF;
    if (item.Transparent >= 0)
      key = static_cast<std::uint32_t>(((item.Transparent & 0xFF) << 16) |
                                       (item.Transparent & 0xFF00) |
                                       ((item.Transparent >> 16) & 0xFF));
    for (Integer y = 0; y < src.Height(); ++y) {
      Integer sy = item.Rect.Top + y;
      if (sy < 0 || sy >= screen.Height())
        continue;
      for (Integer x = 0; x < src.Width(); ++x) {
        Integer sx = item.Rect.Left + x;
        if (sx < 0 || sx >= screen.Width())
          continue;
        std::uint32_t p =
            src.Bits()[std::size_t(y) * std::size_t(src.Width()) + std::size_t(x)] & 0xFFFFFF;
        std::uint32_t& d =
            screen.Bits()[std::size_t(sy) * std::size_t(screen.Width()) + std::size_t(sx)];
        if (item.Mode == omXor)
          d = (d ^ p) & 0xFFFFFF;
        else if (p != key)
          d = p;
      }
    }
  }
}
