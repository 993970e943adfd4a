// The paint model: erase then paint, parents before children, clipping of children and
// siblings, drawing outside WM_PAINT, scrolling pixels, window scroll bars, the caret,
// system colour broadcasts, the screen overlay and popup placement.
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Surface.h"
#include "platform/ui/Controls.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

constexpr UINT PaintedMarker = 0xFFFE;

// A paint handler that fills the whole client area with one colour and logs itself.
std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> Filler(HWND h, TColor color)
{
  return [h, color](UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m != WM_PAINT)
      return false;
    PAINTSTRUCT ps;
    BeginPaint(h, ps);
    UiTest::Log.push_back({h, PaintedMarker, 0, 0});
    TCanvas* c = CanvasFromDC(ps.hdc);
    TRect r;
    GetClientRect(h, r);
    c->Brush()->SetColor(color);
    c->FillRect(r);
    EndPaint(h, ps);
    return true;
  };
}

} // namespace

using Paint = UiTest;

TEST_F(Paint, EraseBeforePaintParentsBeforeChildrenClipped)
{
  HWND top = Top(100, 100, 200, 150, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND child = Child(top, 20, 30, 40, 50);
  Handlers[top] = Filler(top, clRed);
  Handlers[child] = Filler(child, clBlue);
  Log.clear();
  Headless().ProcessMessages();
  auto order = Only({WM_ERASEBKGND, PaintedMarker});
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order[0].Hwnd, top);
  EXPECT_EQ(order[0].Msg, WM_ERASEBKGND);
  EXPECT_EQ(order[1].Msg, PaintedMarker);
  EXPECT_EQ(order[2].Hwnd, child);
  EXPECT_EQ(order[2].Msg, WM_ERASEBKGND);
  EXPECT_EQ(order[3].Hwnd, child);
  EXPECT_EQ(order[3].Msg, PaintedMarker);
  EXPECT_EQ(Headless().ScreenPixel({100 + 20 + 5, 100 + 30 + 5}), clBlue);
  EXPECT_EQ(Headless().ScreenPixel({100 + 5, 100 + 5}), clRed);
  EXPECT_EQ(Headless().ScreenPixel({100 + 59, 100 + 79}), clBlue) << "the child's last pixel";
  EXPECT_EQ(Headless().ScreenPixel({100 + 60, 100 + 79}), clRed);
  EXPECT_EQ(Headless().ScreenPixel({100 + 59, 100 + 80}), clRed);

  // The parent repaints alone: its fill leaves the child's pixels alone.
  InvalidateRect(top, nullptr, true);
  ValidateRect(child, nullptr);
  Log.clear();
  Headless().ProcessMessages();
  EXPECT_EQ(Only({WM_PAINT}).size(), 1u);
  EXPECT_EQ(Headless().ScreenPixel({100 + 20 + 5, 100 + 30 + 5}), clBlue);
}

TEST_F(Paint, HigherSiblingsClipLowerOnes)
{
  HWND top = Top(0, 0, 200, 200);
  HWND upper = Child(top, 10, 10, 60, 60);
  HWND lower = Child(top, 40, 40, 60, 60);
  SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  Handlers[upper] = Filler(upper, clYellow);
  Handlers[lower] = Filler(lower, clGreen);
  Headless().ProcessMessages();
  EXPECT_EQ(Headless().ScreenPixel({50, 50}), clYellow);
  InvalidateRect(lower, nullptr, true);
  Headless().ProcessMessages();
  EXPECT_EQ(Headless().ScreenPixel({50, 50}), clYellow)
      << "the overlap belongs to the higher sibling";
  EXPECT_EQ(Headless().ScreenPixel({90, 90}), clGreen);
}

TEST_F(Paint, UpdateWindowPaintsNowAndDrawingOutsidePaintStays)
{
  HWND top = Top(0, 0, 100, 100);
  Handlers[top] = Filler(top, clNavy);
  ASSERT_TRUE(GetUpdateRect(top, nullptr, false));
  UpdateWindow(top);
  EXPECT_FALSE(GetUpdateRect(top, nullptr, false));
  EXPECT_EQ(Only({WM_PAINT}).size(), 1u);

  HDC dc = GetDC(top);
  TCanvas* c = CanvasFromDC(dc);
  ASSERT_NE(c, nullptr);
  c->Brush()->SetColor(clLime);
  c->FillRect(Rect(10, 10, 20, 20));
  ReleaseDC(top, dc);
  EXPECT_EQ(CanvasFromDC(dc), nullptr);
  EXPECT_EQ(Headless().ScreenPixel({15, 15}), clLime);
  EXPECT_EQ(Headless().ScreenPixel({25, 25}), clNavy);
}

TEST_F(Paint, ScrollWindowMovesPixelsAndInvalidatesTheStrip)
{
  HWND top = Top(0, 0, 100, 100);
  Handlers[top] = Filler(top, clWhite);
  Headless().ProcessMessages();
  HDC dc = GetDC(top);
  CanvasFromDC(dc)->Brush()->SetColor(clRed);
  CanvasFromDC(dc)->FillRect(Rect(0, 50, 100, 60));
  ReleaseDC(top, dc);
  TRegion uncovered;
  ScrollWindowEx(top, 0, -20, nullptr, nullptr, &uncovered, nullptr, SW_INVALIDATE | SW_ERASE);
  EXPECT_EQ(uncovered.Bounds(), Rect(0, 80, 100, 100));
  TRect upd;
  ASSERT_TRUE(GetUpdateRect(top, &upd, false));
  EXPECT_EQ(upd, Rect(0, 80, 100, 100));
  auto shot = Headless().Screenshot();
  EXPECT_EQ(shot->GetPixel(50, 35), clRed) << "the band moved up by 20";
  EXPECT_EQ(shot->GetPixel(50, 55), clWhite);
}

// Children inside and outside the client area: without a scroll rectangle every child
// moves with the pixels; with one, those crossing it.
TEST_F(Paint, ScrollingChildrenMovesEveryChildAndTheirPixels)
{
  HWND top = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND inside = Child(top, 10, 10, 30, 30);
  HWND below = Child(top, 10, 150, 30, 30); // scrolled out of view
  Handlers[top] = Filler(top, clWhite);
  Handlers[inside] = Filler(inside, clRed);
  Handlers[below] = Filler(below, clBlue);
  Headless().ProcessMessages();
  Log.clear();
  TRegion uncovered;
  ScrollWindowEx(top, 0, -100, nullptr, nullptr, &uncovered, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  TRect r;
  GetWindowRect(inside, r);
  EXPECT_EQ(r.TopLeft(), Point(10, -90));
  GetWindowRect(below, r);
  EXPECT_EQ(r.TopLeft(), Point(10, 50)) << "the child below the client area came into view";
  EXPECT_EQ(Headless().ScreenPixel({20, 60}), clBlue);
  EXPECT_EQ(uncovered.Bounds(), Rect(0, 0, 100, 100));

  // Scrolled back up by a little, the red child's pixels come with the scroll: it is not
  // asked to paint again, only the strip that was uncovered is.
  ScrollWindowEx(top, 0, 100, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  Headless().ProcessMessages();
  Log.clear();
  ScrollWindowEx(top, 5, 0, nullptr, nullptr, &uncovered, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  EXPECT_EQ(uncovered.Bounds(), Rect(0, 0, 5, 100));
  auto shot = Headless().Screenshot();
  EXPECT_EQ(shot->GetPixel(16, 20), clRed) << "the child's pixels moved with it";
  EXPECT_EQ(shot->GetPixel(14, 20), clWhite);
  for (const TLoggedMsg& m : Only({PaintedMarker}))
    EXPECT_NE(m.Hwnd, inside);

  // With a scroll rectangle only the children crossing it move.
  TRect band = Rect(0, 0, 100, 40);
  ScrollWindowEx(top, 0, 5, &band, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN);
  GetWindowRect(inside, r);
  EXPECT_EQ(r.TopLeft(), Point(15, 15));
  GetWindowRect(below, r);
  EXPECT_EQ(r.TopLeft(), Point(15, 150));
}

TEST_F(Paint, NoRedrawMovesWithoutRepainting)
{
  HWND top = Top(0, 0, 100, 100);
  HWND child = Child(top, 10, 10, 30, 30);
  Handlers[top] = Filler(top, clWhite);
  Handlers[child] = Filler(child, clRed);
  Headless().ProcessMessages();
  SetWindowPos(child, 0, 50, 50, 20, 20, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  EXPECT_FALSE(GetUpdateRect(top, nullptr, false)) << "what it uncovered is left as it is";
  EXPECT_FALSE(GetUpdateRect(child, nullptr, false));
  EXPECT_EQ(Headless().ScreenPixel({15, 15}), clRed) << "the old pixels stay until redrawn";
  MoveWindow(child, 10, 10, 30, 30, true);
  EXPECT_TRUE(GetUpdateRect(top, nullptr, false));
  EXPECT_TRUE(GetUpdateRect(child, nullptr, false));
}

// What a window invalidates while painting, after EndPaint, is painted next time round.
TEST_F(Paint, InvalidatingAfterEndPaintPaintsAgain)
{
  HWND top = Top(0, 0, 100, 100);
  HWND lazy = Top(200, 0, 100, 100);
  Integer paints = 0, asked = 0;
  Handlers[top] = [top, &paints](UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m != WM_PAINT)
      return false;
    PAINTSTRUCT ps;
    BeginPaint(top, ps);
    EndPaint(top, ps);
    if (++paints == 1) {
      TRect again = Rect(10, 10, 20, 20); // e.g. a caret or a hot item that changed
      InvalidateRect(top, &again, false);
    }
    return true;
  };
  Handlers[lazy] = [&asked](UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_PAINT)
      ++asked;
    return m == WM_PAINT; // answers without painting
  };
  Headless().ProcessMessages();
  EXPECT_EQ(paints, 2);
  EXPECT_FALSE(GetUpdateRect(top, nullptr, false));
  EXPECT_EQ(asked, 1) << "a window that never paints is not asked again";
}

TEST_F(Paint, WindowScrollBarsShowHideAndClamp)
{
  HWND top = Top(100, 100, 200, 100);
  TRect client;
  GetClientRect(top, client);
  EXPECT_EQ(client.Width(), 200);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 95;
  EXPECT_EQ(SetScrollInfo(top, SB_VERT, si, true), 90)
      << "the position stops a page before the end";
  EXPECT_TRUE(GetWindowLong(top, GWL_STYLE) & WS_VSCROLL) << "a needed bar appears";
  GetClientRect(top, client);
  EXPECT_EQ(client.Width(), 200 - 17);
  SCROLLINFO back;
  back.fMask = SIF_ALL;
  GetScrollInfo(top, SB_VERT, back);
  EXPECT_EQ(back.nMax, 99);
  EXPECT_EQ(back.nPage, 10u);
  EXPECT_EQ(back.nPos, 90);
  SCROLLBARINFO info;
  ASSERT_TRUE(GetScrollBarInfo(top, OBJID_VSCROLL, info));
  EXPECT_EQ(info.rcScrollBar, Rect(100 + 183, 100, 300, 200)) << "screen coordinates";
  EXPECT_EQ(info.rgstate[0], 0u);

  si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  si.nMax = 5;
  SetScrollInfo(top, SB_VERT, si, true);
  GetScrollBarInfo(top, OBJID_VSCROLL, info);
  EXPECT_TRUE(GetWindowLong(top, GWL_STYLE) & WS_VSCROLL) << "kept, but disabled";
  EXPECT_EQ(info.rgstate[0], DWORD(STATE_SYSTEM_UNAVAILABLE));
  si.fMask = SIF_RANGE | SIF_PAGE;
  SetScrollInfo(top, SB_VERT, si, true);
  EXPECT_FALSE(GetWindowLong(top, GWL_STYLE) & WS_VSCROLL) << "not needed: hidden";
  GetScrollBarInfo(top, OBJID_VSCROLL, info);
  EXPECT_TRUE(info.rgstate[0] & STATE_SYSTEM_INVISIBLE);
  info.cbSize = 10;
  EXPECT_FALSE(GetScrollBarInfo(top, OBJID_VSCROLL, info));
}

TEST_F(Paint, WindowScrollBarArrowsShowAndAreEmbossedWhileDisabled)
{
  HWND top = Top(100, 100, 200, 100);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 0;
  SetScrollInfo(top, SB_VERT, si, true);
  Headless().ProcessMessages();
  // Pixels of a colour in an arrow button of the bar at the window's right edge.
  auto count = [](Integer top, TColor color) {
    Integer n = 0;
    for (Integer y = top + 2; y < top + 15; ++y)
      for (Integer x = 285; x < 298; ++x)
        n += Headless().ScreenPixel({x, y}) == ColorToRGB(color);
    return n;
  };
  EXPECT_GT(count(100, clBtnText), 3) << "the up arrow";
  EXPECT_GT(count(183, clBtnText), 3) << "the down arrow";
  EnableScrollBar(top, SB_VERT, ESB_DISABLE_LTUP);
  Headless().ProcessMessages();
  EXPECT_EQ(count(100, clBtnText), 0) << "a disabled end is embossed";
  EXPECT_GT(count(100, clBtnShadow), 3);
  EXPECT_GT(count(183, clBtnText), 3);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  si.nMax = 5;
  EnableScrollBar(top, SB_VERT, ESB_ENABLE_BOTH);
  SetScrollInfo(top, SB_VERT, si, true);
  Headless().ProcessMessages();
  EXPECT_EQ(count(183, clBtnText), 0) << "a bar with nothing to scroll";
  EXPECT_GT(count(183, clBtnShadow), 3);
}

TEST_F(Paint, CaretInvertsItsRectangleAndSurvivesRepaints)
{
  HWND top = Top(0, 0, 100, 100);
  Handlers[top] = Filler(top, clWhite);
  Headless().ProcessMessages();
  ASSERT_TRUE(CreateCaret(top, 2, 14));
  SetCaretPos(10, 20);
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clWhite) << "a new caret is hidden";
  ShowCaret(top);
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clBlack);
  EXPECT_EQ(Headless().ScreenPixel({11, 33}), clBlack);
  EXPECT_EQ(Headless().ScreenPixel({12, 20}), clWhite);
  InvalidateRect(top, nullptr, true);
  Headless().ProcessMessages();
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clBlack) << "back after the window painted";
  SetCaretPos(50, 20);
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clWhite);
  EXPECT_EQ(Headless().ScreenPixel({50, 20}), clBlack);
  TPoint p;
  GetCaretPos(p);
  EXPECT_EQ(p, Point(50, 20));
  HideCaret(top);
  HideCaret(top);
  ShowCaret(top);
  EXPECT_EQ(Headless().ScreenPixel({50, 20}), clWhite) << "hiding nests";
  ShowCaret(top);
  EXPECT_EQ(Headless().ScreenPixel({50, 20}), clBlack);
  DestroyCaret();
  EXPECT_EQ(Headless().ScreenPixel({50, 20}), clWhite);
  EXPECT_FALSE(GetCaretPos(p));
}

TEST_F(Paint, TheCaretBlinksAndShowsAtOnceWhenItMoves)
{
  HWND top = Top(0, 0, 100, 100);
  Handlers[top] = Filler(top, clWhite);
  Headless().ProcessMessages();
  ASSERT_EQ(GetCaretBlinkTime(), 530u);
  CreateCaret(top, 2, 14);
  SetCaretPos(10, 20);
  ShowCaret(top);
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clBlack);
  Headless().AdvanceAndProcess(529);
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clBlack) << "on for a blink time";
  Headless().AdvanceAndProcess(1);
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clWhite) << "then off";
  Headless().AdvanceAndProcess(530);
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clBlack) << "and on again";
  Headless().AdvanceAndProcess(530);
  ASSERT_EQ(Headless().ScreenPixel({10, 20}), clWhite);
  SetCaretPos(30, 20); // typing moves it: it shows at once
  EXPECT_EQ(Headless().ScreenPixel({30, 20}), clBlack);
  // A waiting loop wakes for the blink but still fails when nobody feeds it.
  MSG m;
  EXPECT_THROW(GetMessage(m, 0, 0, 0), EHeadlessBlocked);
  // A steady caret (the desktop switched blinking off).
  SetCaretBlinkTime(INFINITE);
  Headless().AdvanceAndProcess(5000);
  EXPECT_EQ(Headless().ScreenPixel({30, 20}), clBlack);
  DestroyCaret();
}

TEST_F(Paint, SystemColourChangesReachEveryTopLevelWindow)
{
  HWND visible = Top(0, 0, 50, 50);
  HWND hidden = Top(0, 0, 50, 50, WS_POPUP);
  int utility = 0;
  HWND util = AllocateHWnd([&](TMessage& m) {
    if (m.Msg == WM_SYSCOLORCHANGE)
      ++utility;
  });
  TForm form(nullptr);
  auto* child = new TCustomControl(&form);
  child->SetParent(&form);
  int childHeard = 0;
  child->WindowProc = [&, child](TMessage& m) {
    if (m.Msg == CM_SYSCOLORCHANGE)
      ++childHeard;
    child->WndProc(m);
  };
  form.Show();
  Headless().ProcessMessages();
  Log.clear();
  SetSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
  ResetSysColors();
  EXPECT_EQ(Only({WM_SYSCOLORCHANGE}).size(), 4u) << "both windows, twice";
  EXPECT_EQ(utility, 2);
  EXPECT_EQ(childHeard, 2);
  DeallocateHWnd(util);
  (void)visible;
  (void)hidden;
}

TEST_F(Paint, PressingScrollBarPartsSendsScrollCommands)
{
  HWND top = Top(100, 100, 200, 220, WS_POPUP | WS_VSCROLL | WS_VISIBLE);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMax = 99;
  si.nPage = 10;
  SetScrollInfo(top, SB_VERT, si, true);
  // The window scrolls itself as a list would.
  Handlers[top] = [top](UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m != WM_VSCROLL)
      return false;
    Integer pos = GetScrollPos(top, SB_VERT);
    switch (LOWORD(static_cast<NativeInt>(w))) {
    case SB_LINEDOWN:
      pos += 1;
      break;
    case SB_LINEUP:
      pos -= 1;
      break;
    case SB_PAGEDOWN:
      pos += 10;
      break;
    case SB_THUMBTRACK:
      pos = HIWORD(static_cast<NativeInt>(w));
      break;
    }
    SetScrollPos(top, SB_VERT, pos, true);
    return true;
  };
  Headless().ProcessMessages();
  auto codes = [] {
    std::vector<Integer> c;
    for (auto& m : Only({WM_VSCROLL}))
      c.push_back(LOWORD(static_cast<NativeInt>(m.WParam)));
    return c;
  };
  // A click on the down arrow: one line, then the end.
  Log.clear();
  Headless().Click({290, 310});
  EXPECT_EQ(codes(), (std::vector<Integer>{SB_LINEDOWN, SB_ENDSCROLL}));
  EXPECT_EQ(GetScrollPos(top, SB_VERT), 1);

  // Held down: repeats after 400 ms, then every 100 ms.
  Log.clear();
  Headless().Advance(1000);
  Headless().QueueStep([] { Headless().Advance(400); });
  Headless().QueueStep([] { Headless().Advance(100); });
  Headless().QueueStep([] { Headless().Advance(100); });
  Headless().QueueStep([] { Headless().Release(hbLeft, {290, 310}); });
  Headless().Press(hbLeft, {290, 310});
  EXPECT_EQ(codes(), (std::vector<Integer>{SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN,
                                           SB_ENDSCROLL}));
  EXPECT_EQ(GetScrollPos(top, SB_VERT), 5);

  // Dragging the thumb to the bottom of the track.
  Log.clear();
  Headless().Advance(1000);
  SCROLLBARINFO info;
  GetScrollBarInfo(top, OBJID_VSCROLL, info);
  TPoint thumb{290, info.rcScrollBar.Top + (info.xyThumbTop + info.xyThumbBottom) / 2};
  Headless().QueueStep([&] { Headless().Move({thumb.X, thumb.Y + 500}); });
  Headless().QueueStep([&] { Headless().Release(hbLeft, {thumb.X, thumb.Y + 500}); });
  Headless().Press(hbLeft, thumb);
  auto c = codes();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0], SB_THUMBTRACK);
  EXPECT_EQ(c[1], SB_THUMBPOSITION);
  EXPECT_EQ(c[2], SB_ENDSCROLL);
  EXPECT_EQ(GetScrollPos(top, SB_VERT), 90);
}

// A new desktop theme reaches every control of every form; new fonts reach them as
// CM_FONTCHANGE and make the screen list its fonts afresh.
TEST_F(Paint, ThemeAndFontChangesReachTheControls)
{
  TForm form(nullptr);
  auto* child = new TCustomControl(&form);
  child->SetBounds(10, 10, 50, 30);
  child->SetParent(&form);
  std::vector<UINT> heard;
  child->WindowProc = [&, child](TMessage& m) {
    if (m.Msg == WM_THEMECHANGED || m.Msg == CM_FONTCHANGE)
      heard.push_back(m.Msg);
    child->WndProc(m);
  };
  form.Show();
  Headless().ProcessMessages();
  Screen()->Fonts()->Add("不存在的字体");
  BroadcastMessage(WM_THEMECHANGED, 0, 0);
  EXPECT_TRUE(GetUpdateRect(child->Handle(), nullptr, false)) << "repainted in the new look";
  BroadcastMessage(WM_FONTCHANGE, 0, 0);
  EXPECT_EQ(heard, (std::vector<UINT>{WM_THEMECHANGED, CM_FONTCHANGE}));
  EXPECT_EQ(Screen()->Fonts()->IndexOf("不存在的字体"), -1);
}

TEST_F(Paint, ScreenOverlayAboveAllWindows)
{
  HWND top = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  Handlers[top] = Filler(top, clWhite);
  Headless().ProcessMessages();
  // A drag image with a transparent background.
  HOVERLAY image = CreateOverlay(Bounds(50, 50, 20, 20), omCopy, clFuchsia);
  TCanvas* c = OverlayCanvas(image);
  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(5, 5, 15, 15));
  OverlayChanged(image);
  EXPECT_EQ(Headless().ScreenPixel({60, 60}), clRed);
  EXPECT_EQ(Headless().ScreenPixel({51, 51}), clWhite) << "transparent around it";
  MoveOverlay(image, {100, 100});
  EXPECT_EQ(Headless().ScreenPixel({60, 60}), clWhite);
  EXPECT_EQ(Headless().ScreenPixel({110, 110}), clRed);

  // A sizing frame inverts what lies below, twice gives it back.
  HOVERLAY frame = CreateOverlay(Bounds(10, 10, 30, 30), omXor);
  OverlayCanvas(frame)->Brush()->SetColor(clWhite);
  OverlayCanvas(frame)->FrameRect(Rect(0, 0, 30, 30));
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clBlack);
  EXPECT_EQ(Headless().ScreenPixel({20, 20}), clWhite);
  EXPECT_EQ(Headless().ScreenPixel({300, 10}), ColorToRGB(clBackground))
      << "the desktop is untouched";
  DestroyOverlay(frame);
  DestroyOverlay(image);
  EXPECT_EQ(Headless().ScreenPixel({10, 20}), clWhite);
  EXPECT_EQ(Headless().ScreenPixel({110, 110}), clWhite);
  EXPECT_FALSE(DestroyOverlay(image));
}

TEST_F(Paint, PopupPlacementStaysInTheWorkArea)
{
  SetWorkArea(Rect(0, 0, 1024, 738)); // a task bar at the bottom
  struct TCase {
    const char* Name;
    TRect Anchor;
    TSize Size;
    TPoint Expected;
  };
  const TCase cases[] = {
      {"room below", Rect(100, 100, 200, 120), {150, 200}, {100, 120}},
      {"flips above", Rect(100, 600, 200, 620), {150, 200}, {100, 400}},
      {"pushed left at the right edge", Rect(950, 100, 1000, 120), {150, 200}, {874, 120}},
      {"no room either way", Rect(0, 300, 50, 320), {100, 700}, {0, 38}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(PopupPosition(c.Anchor, c.Size), c.Expected);
  }
  TRect work;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work, Rect(0, 0, 1024, 738));
}
