// The preview's page area and its page layout (frxPreview.h): pages in rows at zoom 1,
// painted around the first visible one, scrolled by bars, keys, the wheel and the hand tool,
// zoomed by the zoom tool, hit-tested for links, and searched for text by replaying a page
// into a metafile and reading its text runs.
#include <algorithm>
#include <cmath>

#include "platform/graphics/Metafile.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"
#include "report/engine/frxPreviewPages.h"
#include "report/output/frxPreview.h"

namespace {

// The report library rounds halves to the even neighbour.
Integer RoundEven(Extended Value)
{
  return static_cast<Integer>(std::nearbyint(Value));
}

constexpr Integer kPageGap = 10;

} // namespace

TfrxFindState& PreviewFindState()
{
  static TfrxFindState state;
  return state;
}

// ---- TfrxPageList ----

void TfrxPageList::Clear()
{
  FItems.clear();
  FMaxWidth = 0;
}

void TfrxPageList::SetColumns(Integer Value)
{
  FColumns = std::max(Value, 1);
  Clear();
}

void TfrxPageList::AddPage(Integer Width, Integer Height)
{
  TfrxPageItem item;
  item.Width = static_cast<Word>(std::clamp(Width, 0, 65535));
  item.Height = static_cast<Word>(std::clamp(Height, 0, 65535));
  if (FItems.empty()) {
    item.Column = 0;
    item.Top = kPageGap;
  } else if (FItems.back().Column < FColumns - 1) {
    item.Column = static_cast<Word>(FItems.back().Column + 1);
    item.Top = FItems.back().Top;
  } else {
    // A new row below the tallest page of the last one.
    Integer tallest = 0;
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) {
      tallest = std::max<Integer>(tallest, it->Height);
      if (it->Column == 0)
        break;
    }
    item.Column = 0;
    item.Top = FItems.back().Top + tallest + kPageGap;
  }
  FItems.push_back(item);
  Integer rowWidth = 0;
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) {
    rowWidth += it->Width + kPageGap;
    if (it->Column == 0)
      break;
  }
  FMaxWidth = std::max(FMaxWidth, rowWidth);
}

Integer TfrxPageList::FindPage(Integer Y, bool Exact, Extended Zoom) const
{
  Integer lo = 0, hi = Count() - 1, found = -1;
  while (lo <= hi) {
    const Integer mid = (lo + hi) / 2;
    const TfrxPageItem& item = FItems[static_cast<size_t>(mid)];
    const Integer d = Exact ? 0 : RoundEven(Zoom * item.Height / 5);
    if (Y + d >= Zoom * item.Top) {
      found = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  return found;
}

TRect TfrxPageList::GetPageBounds(Integer Index, Integer ClientWidth, Extended Zoom) const
{
  if (Index < 0 || Index >= Count()) {
    const Extended w = 794 * Zoom;
    const Integer left = ClientWidth >= w ? RoundEven((ClientWidth - w) / 2) : kPageGap;
    const Integer top = RoundEven(kPageGap * Zoom);
    return Rect(left, top, left + RoundEven(w), top + RoundEven(1123 * Zoom));
  }
  const TfrxPageItem& item = FItems[static_cast<size_t>(Index)];
  Integer e = 0, f = item.Width;
  if (FColumns > 1) {
    // The row this page stands in: its first page back to its last page forward.
    Integer first = Index - item.Column;
    Integer last = Index;
    while (last + 1 < Count() && FItems[static_cast<size_t>(last + 1)].Column != 0)
      ++last;
    f = 0;
    for (Integer i = first; i <= last; ++i) {
      const Integer w = FItems[static_cast<size_t>(i)].Width;
      if (i < Index)
        e += w + kPageGap;
      f += w + (i < last ? kPageGap : 0);
    }
  }
  const Extended rowWidth = f * Zoom;
  const Integer left =
      (ClientWidth >= rowWidth ? RoundEven((ClientWidth - rowWidth) / 2) : kPageGap) +
      RoundEven(e * Zoom);
  const Integer top = RoundEven(Zoom * item.Top);
  return Rect(left, top, left + RoundEven(Zoom * item.Width), top + RoundEven(Zoom * item.Height));
}

TPoint TfrxPageList::GetMaxBounds(Integer ClientWidth, Extended Zoom) const
{
  if (FItems.empty())
    return {0, 0};
  return {RoundEven(Zoom * FMaxWidth), GetPageBounds(Count() - 1, ClientWidth, Zoom).Bottom};
}

// ---- TfrxPreviewWorkspace ----

TfrxPreviewWorkspace::TfrxPreviewWorkspace(TfrxPreview* APreview)
    : TfrxScrollWin(APreview), FPreview(APreview)
{
  SetColor(clGray);
  SetLargeChange(300);
  SetSmallChange(8);
  SetTabStop(true);
}

TfrxPreviewWorkspace::~TfrxPreviewWorkspace() = default;

void TfrxPreviewWorkspace::ClearFindCache()
{
  FFindPage.reset();
  FFindPageIndex = -1;
}

void TfrxPreviewWorkspace::SetToolCursor(TCursor Value)
{
  FToolCursor = Value;
  FCursor = Value;
  SetCursor(Value);
}

void TfrxPreviewWorkspace::UpdateScrollBars()
{
  const TPoint max = FPageList.GetMaxBounds(ClientWidth(), FPreview->Zoom());
  SetHorzRange(max.X + 10);
  SetVertRange(max.Y + 10);
  // A smaller range pulls the view back inside it.
  SetHorzPosition(HorzPosition());
  SetVertPosition(VertPosition());
}

void TfrxPreviewWorkspace::Resize()
{
  TfrxScrollWin::Resize();
  SetHorzPage(ClientWidth());
  SetVertPage(ClientHeight());
}

void TfrxPreviewWorkspace::ScrollToPage(Integer PageN)
{
  if (FDisableScroll)
    return;
  SetVertPosition(FPageList.GetPageBounds(PageN - 1, ClientWidth(), FPreview->Zoom()).Top - 10);
}

void TfrxPreviewWorkspace::HorzPositionChanged()
{
  const Integer delta = FOffsetX - HorzPosition();
  FOffsetX = HorzPosition();
  if (HandleAllocated() && delta != 0)
    ScrollWindowEx(FHandle, delta, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
}

void TfrxPreviewWorkspace::VertPositionChanged()
{
  const Integer delta = FOffsetY - VertPosition();
  FOffsetY = VertPosition();
  if (HandleAllocated() && delta != 0)
    ScrollWindowEx(FHandle, 0, delta, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
  // The page that has come within a fifth of its height of the upper edge is current.
  const Integer page = FPageList.FindPage(VertPosition(), false, FPreview->Zoom()) + 1;
  FDisableScroll = true;
  TScopeExit enable([this] { FDisableScroll = false; });
  FPreview->SelectPage(page);
}

void TfrxPreviewWorkspace::Paint()
{
  TCanvas* c = Canvas();
  TfrxCustomPreviewPages* pages = FPreview->PreviewPages();
  const TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clGray);
  if (FPreview->Locked() || !pages || FPreview->PageCount() == 0) {
    c->FillRect(client);
    return;
  }
  const Extended zoom = FPreview->Zoom();
  const Integer count = std::min(FPreview->PageCount(), FPageList.Count());
  const Integer first = std::max(FPageList.FindPage(VertPosition(), false, zoom), 0);
  std::vector<std::pair<Integer, TRect>> visible;
  for (Integer i = std::max(first - 20, 0); i <= std::min(first + 20, count - 1); ++i) {
    TRect r = FPageList.GetPageBounds(i, ClientWidth(), zoom);
    OffsetRect(r, -FOffsetX, -FOffsetY);
    if (r.Top <= client.Bottom && r.Bottom >= 0 && c->RectVisible(r))
      visible.push_back({i, r});
  }
  // The grey goes around the pages only, so they do not flicker.
  {
    TCanvasSaver saver(*c);
    for (const auto& [index, r] : visible)
      c->ExcludeClipRect(Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1));
    c->Brush()->SetColor(clGray);
    c->FillRect(client);
  }
  TfrxFindState& find = PreviewFindState();
  for (const auto& [index, r] : visible) {
    {
      TCanvasSaver saver(*c);
      c->Pen()->SetColor(clBlack);
      c->Pen()->SetWidth(1);
      c->Pen()->SetStyle(psSolid);
      c->Pen()->SetMode(pmCopy);
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clWhite);
      c->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
      TPoint shadow[] = {Point(r.Left + 1, r.Bottom), Point(r.Right, r.Bottom),
                         Point(r.Right, r.Top + 1)};
      c->Polyline(shadow, 3);
    }
    {
      TCanvasSaver saver(*c);
      pages->DrawPage(index, c, zoom, zoom, r.Left, r.Top);
    }
    if (find.Found && index == FSearchPage) {
      TCanvasSaver saver(*c);
      c->Pen()->SetColor(clWhite);
      c->Pen()->SetWidth(1);
      c->Pen()->SetMode(pmXor);
      const Integer left = r.Left + RoundEven(find.Bounds.Left * zoom) - 1;
      const Integer right = r.Left + RoundEven(find.Bounds.Right * zoom) + 1;
      for (Integer y = RoundEven(find.Bounds.Top * zoom); y <= RoundEven(find.Bounds.Bottom * zoom);
           ++y) {
        c->MoveTo(left, r.Top + y);
        c->LineTo(right, r.Top + y);
      }
      c->Pen()->SetMode(pmCopy);
    }
  }
}

void TfrxPreviewWorkspace::DoKey(Word& Key, TShiftState)
{
  switch (Key) {
  case VK_PRIOR:
    SetVertPosition(VertPosition() - 300);
    break;
  case VK_NEXT:
    SetVertPosition(VertPosition() + 300);
    break;
  case VK_END:
    FPreview->SelectPage(FPreview->PageCount());
    break;
  case VK_HOME:
    FPreview->SelectPage(1);
    break;
  case VK_LEFT:
    SetHorzPosition(HorzPosition() - 8);
    break;
  case VK_RIGHT:
    SetHorzPosition(HorzPosition() + 8);
    break;
  case VK_UP:
    SetVertPosition(VertPosition() - 8);
    break;
  case VK_DOWN:
    SetVertPosition(VertPosition() + 8);
    break;
  }
}

void TfrxPreviewWorkspace::KeyDown(Word& Key, TShiftState Shift)
{
  TfrxScrollWin::KeyDown(Key, Shift);
  if (Key != 0)
    FPreview->HandleKey(Key, Shift);
}

bool TfrxPreviewWorkspace::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  FPreview->MouseWheelScroll(WheelDelta);
  return true;
}

Integer TfrxPreviewWorkspace::PageAt(Integer X, Integer Y) const
{
  const Extended zoom = FPreview->Zoom();
  const Integer last = FPageList.FindPage(Y + VertPosition(), true, zoom);
  if (last < 0 || FPageList.Columns() == 1)
    return last;
  // Two pages side by side share the row's top: take the one under the pointer.
  const Integer width = const_cast<TfrxPreviewWorkspace*>(this)->ClientWidth();
  for (Integer i = last - FPageList.Items(last).Column; i <= last; ++i) {
    TRect r = FPageList.GetPageBounds(i, width, zoom);
    if (X + HorzPosition() >= r.Left && X + HorzPosition() < r.Right)
      return i;
  }
  return -1;
}

void TfrxPreviewWorkspace::HitTest(Integer X, Integer Y, TMouseButton Button, TShiftState Shift,
                                   bool Click)
{
  auto* pages = dynamic_cast<TfrxPreviewPages*>(FPreview->PreviewPages());
  if (!pages)
    return;
  TCursor cursor = FToolCursor;
  const Integer page = PageAt(X, Y);
  if (page >= 0 && page < FPreview->PageCount()) {
    TRect r = FPageList.GetPageBounds(page, ClientWidth(), FPreview->Zoom());
    pages->ObjectHitTest(page, X, Y, Button, Shift, FPreview->Zoom(), r.Left - HorzPosition(),
                         r.Top - VertPosition(), Click, cursor);
  }
  if (!Click && cursor != FCursor) {
    FCursor = cursor;
    SetCursor(cursor);
  }
}

// A press starts a drag that follows the pointer in one tracking loop until the button comes
// up (or the capture is taken away); with the hand tool the drag scrolls.
void TfrxPreviewWorkspace::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TfrxScrollWin::MouseDown(Button, Shift, X, Y);
  if (FPreview->PageCount() == 0 || Button != mbLeft || FDragging)
    return;
  if (CanFocus() && !Focused())
    SetFocus();
  FDragging = true;
  FLastX = X;
  FLastY = Y;
  TDestroyWatch watch(this);
  TScopeExit stop([&] {
    if (!watch.Destroyed())
      FDragging = false;
  });
  bool released = false;
  TTrackLoop loop;
  loop.CaptureWindow = Handle();
  loop.FilterCode = MSGF_USER;
  loop.Name = "the preview's hand tool";
  loop.Running = [&] { return !released && !watch.Destroyed() && FDragging; };
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    if (m.message == WM_LBUTTONUP)
      released = true;
    return trPass;
  };
  SetCaptureControl(this);
  TrackModal(loop);
}

void TfrxPreviewWorkspace::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TfrxScrollWin::MouseMove(Shift, X, Y);
  if (FPreview->PageCount() == 0)
    return;
  if (FDragging) {
    if (FPreview->Tool() == 0) {
      SetHorzPosition(HorzPosition() + FLastX - X);
      SetVertPosition(VertPosition() + FLastY - Y);
    }
    FLastX = X;
    FLastY = Y;
    return;
  }
  HitTest(X, Y, mbLeft, TShiftState(), false);
}

void TfrxPreviewWorkspace::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TfrxScrollWin::MouseUp(Button, Shift, X, Y);
  if (FPreview->PageCount() == 0)
    return;
  TDestroyWatch watch(this);
  if (FPreview->OnClick)
    FPreview->OnClick(FPreview);
  if (watch.Destroyed())
    return;
  FDragging = false;
  if (FPreview->Tool() == 1) {
    if (Button == mbLeft)
      FPreview->SetZoom(FPreview->Zoom() + 0.25);
    else if (Button == mbRight)
      FPreview->SetZoom(FPreview->Zoom() - 0.25);
    return;
  }
  HitTest(X, Y, Button, Shift, true);
}

void TfrxPreviewWorkspace::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTARROWS;
    return;
  }
  TfrxScrollWin::Dispatch(Message);
}

// ---- Find ----

bool TfrxPreviewWorkspace::FindText()
{
  TfrxFindState& find = PreviewFindState();
  find.Found = false;
  TfrxCustomPreviewPages* pages = FPreview->PreviewPages();
  if (!pages || find.Text.empty()) {
    Invalidate();
    return false;
  }
  const AnsiString wanted = find.CaseSensitive ? find.Text : AnsiUpperCase(find.Text);
  const Integer count = FPreview->PageCount();
  while (FSearchPage < count) {
    if (FFindPageIndex != FSearchPage || !FFindPage) {
      FFindPage = std::make_unique<TMetafile>();
      TfrxPoint size = pages->PageSize(FSearchPage);
      FFindPage->SetWidth(static_cast<Integer>(size.X));
      FFindPage->SetHeight(static_cast<Integer>(size.Y));
      {
        TMetafileCanvas canvas(FFindPage.get(), 0);
        pages->DrawPage(FSearchPage, &canvas, 1, 1, 0, 0);
      }
      FFindPageIndex = FSearchPage;
    }
    find.RecordCounter = 0;
    FFindPage->EnumRecords([&](const TMetaRecordInfo& record) {
      const Integer counter = find.RecordCounter++;
      if (record.Type != EMR_EXTTEXTOUTA && record.Type != EMR_EXTTEXTOUTW)
        return true;
      const AnsiString text = find.CaseSensitive ? record.Text : AnsiUpperCase(record.Text);
      if (counter <= find.LastRecord || AnsiPos(wanted, text) == 0)
        return true;
      find.Found = true;
      find.Bounds = record.Bounds;
      find.LastRecord = counter;
      return false;
    });
    if (find.Found)
      break;
    find.LastRecord = -1;
    ++FSearchPage;
  }
  if (!find.Found)
    return false;
  const Extended zoom = FPreview->Zoom();
  const TRect page = FPageList.GetPageBounds(FSearchPage, ClientWidth(), zoom);
  const TRect found =
      Rect(RoundEven(find.Bounds.Left * zoom), RoundEven(find.Bounds.Top * zoom),
           RoundEven(find.Bounds.Right * zoom), RoundEven(find.Bounds.Bottom * zoom));
  if (page.Top + found.Top < VertPosition() ||
      page.Top + found.Bottom > VertPosition() + ClientHeight())
    SetVertPosition(page.Top + found.Bottom - ClientHeight() + 20);
  if (page.Left + found.Left < HorzPosition() ||
      page.Left + found.Right > HorzPosition() + ClientWidth())
    SetHorzPosition(page.Left + found.Right - ClientWidth() + 20);
  Invalidate();
  return true;
}
