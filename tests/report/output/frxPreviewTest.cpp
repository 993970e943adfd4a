// The preview control and its page area: the page layout, paging by buttons, keys, the page
// box and the wheel, the zoom modes, the tools, the outline, find, editing commands, and the
// mended behaviours (no pages, two-page links, the page kept after commands, tiny windows).
#include "report/output/frxPreview.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxRes.h"
#include "tests/report/output/OutputTestSupport.h"
#include "tests/report/output/PreviewFixtures.h"

namespace {

class frxPreviewTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    Headless().SetScreenSize({1280, 1024});
    PreviewFindState() = TfrxFindState();
  }
  void TearDown() override { Headless().Reset(); }
};

TfrxPageList ThreeA4Pages(Integer Columns)
{
  TfrxPageList list;
  list.SetColumns(Columns);
  for (Integer i = 0; i < 3; ++i)
    list.AddPage(794, 1123);
  return list;
}

} // namespace

// ---- Layout ----

TEST_F(frxPreviewTest, PageListLaysPagesOutInRowsCentredInTheClient)
{
  struct {
    const char* Name;
    Integer Columns;
    Integer Index;
    Integer ClientWidth;
    Extended Zoom;
    TRect Expected;
  } cases[] = {
      {"first page", 1, 0, 1000, 1, Rect(103, 10, 897, 1133)},
      {"second page", 1, 1, 1000, 1, Rect(103, 1143, 897, 2266)},
      {"third page", 1, 2, 1000, 1, Rect(103, 2276, 897, 3399)},
      {"narrow client pins to 10", 1, 0, 500, 1, Rect(10, 10, 804, 1133)},
      {"half zoom", 1, 1, 1000, 0.5, Rect(302, 572, 699, 1134)},
      {"two pages: left", 2, 0, 2000, 1, Rect(201, 10, 995, 1133)},
      {"two pages: right", 2, 1, 2000, 1, Rect(1005, 10, 1799, 1133)},
      {"two pages: next row", 2, 2, 2000, 1, Rect(603, 1143, 1397, 2266)},
      {"outside the list: an A4 page", 1, 7, 1000, 1, Rect(103, 10, 897, 1133)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TfrxPageList list = ThreeA4Pages(c.Columns);
    EXPECT_EQ(list.GetPageBounds(c.Index, c.ClientWidth, c.Zoom), c.Expected);
  }
  TfrxPageList one = ThreeA4Pages(1);
  EXPECT_EQ(one.GetMaxBounds(1000, 1), Point(804, 3399));
  TfrxPageList two = ThreeA4Pages(2);
  EXPECT_EQ(two.MaxWidth(), 2 * 804);
  EXPECT_EQ(two.Items(1).Top, 10);
  EXPECT_EQ(two.Items(2).Top, 1143);
  EXPECT_EQ(TfrxPageList().GetMaxBounds(1000, 1), Point(0, 0));
}

TEST_F(frxPreviewTest, FindPageTurnsAPageCurrentWithinAFifthOfItsHeight)
{
  TfrxPageList list = ThreeA4Pages(1);
  struct {
    Integer Y;
    bool Exact;
    Integer Expected;
  } cases[] = {
      {0, false, 0},   {917, false, 0}, {918, false, 1},  {1142, true, 0},
      {1143, true, 1}, {5000, true, 2}, {-300, true, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Y);
    EXPECT_EQ(list.FindPage(c.Y, c.Exact, 1), c.Expected);
  }
  // Two pages a row: both share the top, so the row's last page is found.
  EXPECT_EQ(ThreeA4Pages(2).FindPage(500, true, 1), 1);
}

TEST_F(frxPreviewTest, ScrollWinKeepsPositionsInsideRangeMinusPage)
{
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  TfrxScrollWin win(&form);
  win.SetParent(&form);
  win.SetHorzRange(800);
  win.SetHorzPage(300);
  struct {
    Integer Set;
    Integer Expected;
  } cases[] = {{-5, 0}, {1000, 500}, {250, 250}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Set);
    win.SetHorzPosition(c.Set);
    EXPECT_EQ(win.HorzPosition(), c.Expected);
  }
  // A range smaller than the page gives a bar of range 0.
  win.SetVertRange(100);
  win.SetVertPage(200);
  win.SetVertPosition(50);
  EXPECT_EQ(win.VertPosition(), 0);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(win.Handle(), SB_VERT, si));
  EXPECT_EQ(si.nMax, 0);
  EXPECT_EQ(si.nPos, 0);
  // The bar's own commands move through the same setter.
  win.SetLargeChange(100);
  win.Perform(WM_HSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(win.HorzPosition(), 150);
  win.Perform(WM_HSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(win.HorzPosition(), 500);
  win.Perform(WM_HSCROLL, SB_TOP, 0);
  EXPECT_EQ(win.HorzPosition(), 0);
}

// ---- A built report in the window ----

TEST_F(frxPreviewTest, PagesThroughAReportByButtonsKeysPageBoxAndWheel)
{
  TPreviewReport r(600);
  ASSERT_TRUE(r.Build());
  const Integer count = r.Pages()->PageCount();
  ASSERT_GE(count, 12);
  TPreviewWindow w(&r.Report);
  TfrxPreview* p = w.Preview();
  EXPECT_EQ(w.Form->Caption(), "预览");
  EXPECT_EQ(p->PageNo(), 1);
  EXPECT_EQ(w.PageStatus(), "第 1 页 共 " + IntToStr(count) + " 页");

  Headless().Click(TPreviewWindow::Centre(w.Form->NextB));
  Headless().Click(TPreviewWindow::Centre(w.Form->NextB));
  EXPECT_EQ(p->PageNo(), 3);
  EXPECT_EQ(w.PageStatus(), "第 3 页 共 " + IntToStr(count) + " 页");
  EXPECT_EQ(w.Form->PageE->Text(), "3");
  Headless().Click(TPreviewWindow::Centre(w.Form->PriorB));
  EXPECT_EQ(p->PageNo(), 2);
  Headless().Click(TPreviewWindow::Centre(w.Form->LastB));
  EXPECT_EQ(p->PageNo(), count);
  Headless().Click(TPreviewWindow::Centre(w.Form->FirstB));
  EXPECT_EQ(p->PageNo(), 1);
  // The page shown is the page selected: its top stands 10 pixels below the edge.
  Headless().Click(TPreviewWindow::Centre(w.Form->NextB));
  EXPECT_EQ(
      w.Workspace()->VertPosition(),
      w.Workspace()->PageList()->GetPageBounds(1, w.Workspace()->ClientWidth(), p->Zoom()).Top -
          10);

  // Keys reach the page area and the preview through the focus.
  Headless().Click(TPreviewWindow::At(w.Workspace(), 5, 5));
  ASSERT_TRUE(w.Workspace()->Focused());
  Headless().Key(VK_END);
  EXPECT_EQ(p->PageNo(), count);
  Headless().Key(VK_HOME);
  EXPECT_EQ(p->PageNo(), 1);
  const Integer before = w.Workspace()->VertPosition();
  Headless().Key(VK_NEXT);
  EXPECT_EQ(w.Workspace()->VertPosition(), before + 300);
  Headless().Key(VK_DOWN);
  EXPECT_EQ(w.Workspace()->VertPosition(), before + 308);
  Headless().Key(VK_UP);
  Headless().Key(VK_PRIOR);
  EXPECT_EQ(w.Workspace()->VertPosition(), before);

  // The page box: a number and Enter; a text that is no number raises the runtime's error.
  w.Form->PageE->SetText("7");
  w.Form->PageE->SetFocus();
  Headless().Key(VK_RETURN);
  EXPECT_EQ(p->PageNo(), 7);
  EXPECT_TRUE(w.Workspace()->Focused());
  w.Form->PageE->SetText("99");
  w.Form->PageE->SetFocus();
  Headless().Key(VK_RETURN);
  EXPECT_EQ(p->PageNo(), count);
  w.Form->PageE->SetText("七");
  Word enter = VK_RETURN;
  EXPECT_THROW(w.Form->PageE->OnKeyDown(w.Form->PageE, enter, TShiftState()), EConvertError);

  // The wheel: 20 pixels a notch, whatever has the focus; a burst of notches adds up.
  p->First();
  const Integer top = w.Workspace()->VertPosition();
  Headless().Wheel(-1, TPreviewWindow::Centre(w.Workspace()));
  EXPECT_EQ(w.Workspace()->VertPosition(), top + 20);
  for (Integer i = 0; i < 5; ++i)
    Headless().Wheel(-1, TPreviewWindow::Centre(w.Workspace()));
  EXPECT_EQ(w.Workspace()->VertPosition(), top + 120);
  Headless().Wheel(2, TPreviewWindow::Centre(w.Workspace()));
  EXPECT_EQ(w.Workspace()->VertPosition(), top + 100);
}

TEST_F(frxPreviewTest, ScrollingMakesThePageCurrentThatReachedTheUpperFifth)
{
  TPreviewReport r(300);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  TfrxPreview* p = w.Preview();
  TfrxPreviewWorkspace* ws = w.Workspace();
  const TRect second = ws->PageList()->GetPageBounds(1, ws->ClientWidth(), 1);
  const Integer fifth = static_cast<Integer>(std::nearbyint(ws->PageList()->Items(1).Height / 5.0));
  ws->SetVertPosition(second.Top - fifth - 1);
  EXPECT_EQ(p->PageNo(), 1);
  ws->SetVertPosition(second.Top - fifth);
  EXPECT_EQ(p->PageNo(), 2);
  EXPECT_EQ(w.Form->PageE->Text(), "2");
}

TEST_F(frxPreviewTest, ZoomModesButtonsAndTheZoomBox)
{
  TPreviewReport r(300);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  TfrxPreview* p = w.Preview();
  TfrxPreviewWorkspace* ws = w.Workspace();
  const TfrxPoint size = r.Pages()->PageSize(0);
  auto zoomText = [&] {
    Headless().ProcessMessages();
    return w.Form->ZoomCB->Text();
  };
  auto percent = [](Extended z) {
    return IntToStr(static_cast<Integer>(std::nearbyint(z * 100))) + "%";
  };

  Headless().Click(TPreviewWindow::Centre(w.Form->ZoomWholePageB));
  EXPECT_EQ(p->ZoomMode(), zmWholePage);
  EXPECT_DOUBLE_EQ(p->Zoom(), (ws->ClientHeight() - 20) / size.Y);
  EXPECT_EQ(zoomText(), percent(p->Zoom()));

  Headless().Click(TPreviewWindow::Centre(w.Form->ZoomPageWidthB));
  EXPECT_EQ(p->ZoomMode(), zmPageWidth);
  EXPECT_DOUBLE_EQ(p->Zoom(), (ws->ClientWidth() - 20) / size.X);

  Headless().Click(TPreviewWindow::Centre(w.Form->Zoom50B));
  EXPECT_EQ(p->ZoomMode(), zmManyPages);
  EXPECT_DOUBLE_EQ(p->Zoom(), (ws->ClientWidth() - 32) / (2 * size.X));
  EXPECT_EQ(ws->PageList()->Columns(), 2);
  EXPECT_EQ(ws->PageList()->Items(1).Top, ws->PageList()->Items(0).Top);

  Headless().Click(TPreviewWindow::Centre(w.Form->Zoom100B));
  EXPECT_EQ(p->ZoomMode(), zmDefault);
  EXPECT_EQ(p->Zoom(), 1);
  EXPECT_EQ(ws->PageList()->Columns(), 1);
  EXPECT_EQ(zoomText(), "100%");

  // Typed percentages, with or without blanks and "%"; below 25% gives 25%.
  struct {
    const char* Typed;
    Extended Zoom;
    const char* Shown;
  } typed[] = {{"75 %", 0.75, "75%"}, {"150", 1.5, "150%"}, {"10", 0.25, "25%"}};
  for (const auto& t : typed) {
    SCOPED_TRACE(t.Typed);
    w.Form->ZoomCB->SetText(t.Typed);
    w.Form->ZoomCB->SetFocus();
    Headless().Key(VK_RETURN);
    EXPECT_DOUBLE_EQ(p->Zoom(), t.Zoom);
    EXPECT_EQ(zoomText(), t.Shown);
    EXPECT_TRUE(ws->Focused());
  }
  // An empty text changes nothing; the fit entries of the list switch modes.
  w.Form->ZoomCB->SetText(" ");
  w.Form->ZoomCB->OnClick(w.Form->ZoomCB);
  EXPECT_DOUBLE_EQ(p->Zoom(), 0.25);
  w.Form->ZoomCB->SetItemIndex(6);
  EXPECT_EQ(w.Form->ZoomCB->Text(), "页宽");
  w.Form->ZoomCB->OnClick(w.Form->ZoomCB);
  EXPECT_EQ(p->ZoomMode(), zmPageWidth);
  EXPECT_EQ(zoomText(), percent(p->Zoom()));
  w.Form->ZoomCB->SetItemIndex(7);
  w.Form->ZoomCB->OnClick(w.Form->ZoomCB);
  EXPECT_EQ(p->ZoomMode(), zmWholePage);
  // A text that is no number raises the conversion error.
  w.Form->ZoomCB->SetItemIndex(-1);
  w.Form->ZoomCB->SetText("abc");
  EXPECT_THROW(w.Form->ZoomCB->OnClick(w.Form->ZoomCB), EConvertError);
}

TEST_F(frxPreviewTest, WholePageInA400PixelClientAndTheZoomFloor)
{
  TPreviewReport r(60);
  ASSERT_TRUE(r.Build());
  TForm form(nullptr);
  form.SetBounds(0, 0, 800, 600);
  auto* p = new TfrxPreview(&form);
  p->SetParent(&form);
  p->SetBounds(0, 0, 600, 400);
  form.Show();
  r.Report.SetPreview(p);
  // The page area's client is 400 high: the control's height less its frame and bar.
  p->SetBounds(0, 0, 600, 400 + (p->Height() - p->Workspace()->ClientHeight()));
  ASSERT_EQ(p->Workspace()->ClientHeight(), 400);
  p->SetZoomMode(zmWholePage);
  EXPECT_DOUBLE_EQ(p->Zoom(), 380.0L / 1123);
  p->SetZoom(0.1);
  EXPECT_EQ(p->Zoom(), 0.25);
  EXPECT_EQ(p->ZoomMode(), zmDefault);
  r.Report.SetPreview(nullptr);
}

// A window made tiny (or minimized) leaves no room for a page: the fit zoom keeps the zoom it
// had instead of going to zero or below.
TEST_F(frxPreviewTest, ATinyWindowKeepsThePreviousFitZoom)
{
  TPreviewReport r(60);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  TfrxPreview* p = w.Preview();
  for (TfrxZoomMode mode : {zmWholePage, zmPageWidth, zmManyPages}) {
    SCOPED_TRACE(mode);
    w.Form->SetBounds(10, 10, 900, 700);
    p->SetZoomMode(mode);
    const Extended fit = p->Zoom();
    ASSERT_GT(fit, 0.1);
    w.Form->SetBounds(10, 10, 40, 40);
    Headless().ProcessMessages();
    EXPECT_EQ(p->Zoom(), fit);
    w.Form->SetBounds(10, 10, 900, 700);
    const Extended restored = p->Zoom();
    w.Form->SetWindowState(wsMinimized);
    Headless().ProcessMessages();
    EXPECT_EQ(p->Zoom(), restored);
    Headless().ProcessMessages();
    EXPECT_EQ(w.Form->ZoomCB->Text().find('-'), AnsiString::npos);
    w.Form->SetWindowState(wsNormal);
  }
}

TEST_F(frxPreviewTest, HandToolDragsTheViewAndTheZoomToolSteps)
{
  TPreviewReport r(300);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  TfrxPreview* p = w.Preview();
  TfrxPreviewWorkspace* ws = w.Workspace();
  p->SetZoom(2);
  ws->SetHorzPosition(100);
  ws->SetVertPosition(500);
  EXPECT_EQ(ws->Cursor(), 50);
  Headless().Drag(TPreviewWindow::At(ws, 300, 300), TPreviewWindow::At(ws, 260, 200));
  EXPECT_EQ(ws->HorzPosition(), 140);
  EXPECT_EQ(ws->VertPosition(), 600);
  EXPECT_EQ(GetCapture(), HWND(0)) << "the drag gives the capture back";

  Headless().Click(TPreviewWindow::Centre(w.Form->ZoomToolB));
  EXPECT_EQ(p->Tool(), 1);
  EXPECT_EQ(ws->Cursor(), 51);
  Headless().Click(TPreviewWindow::At(ws, 300, 300));
  EXPECT_DOUBLE_EQ(p->Zoom(), 2.25);
  Headless().Click(TPreviewWindow::At(ws, 300, 300), hbRight);
  EXPECT_DOUBLE_EQ(p->Zoom(), 2);
  // Dragging with the zoom tool does not scroll.
  const Integer v = ws->VertPosition();
  Headless().Drag(TPreviewWindow::At(ws, 300, 300), TPreviewWindow::At(ws, 300, 200));
  EXPECT_EQ(ws->VertPosition(), v);
  Headless().Click(TPreviewWindow::Centre(w.Form->HandToolB));
  EXPECT_EQ(p->Tool(), 0);
}

// OnClick fires first on a release; a handler that opens a modal window (and so takes the
// capture and the focus) leaves the page area in a sound state.
TEST_F(frxPreviewTest, AClickHandlerThatOpensAWindowEndsTheDrag)
{
  TPreviewReport r(120);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  TfrxPreviewWorkspace* ws = w.Workspace();
  Integer clicks = 0;
  w.Preview()->OnClick = [&](TObject*) {
    ++clicks;
    Headless().AnswerModal("提示", "OK");
    ShowMessageBox("提示", "提示", {{"OK", mrOk}}, 0);
  };
  Headless().Click(TPreviewWindow::At(ws, 300, 300));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetCapture(), HWND(0));
  const Integer v = ws->VertPosition();
  Headless().Move(TPreviewWindow::At(ws, 300, 100));
  EXPECT_EQ(ws->VertPosition(), v) << "no drag goes on after the release";
}

// ---- The outline ----

TEST_F(frxPreviewTest, OutlineNodesCarryPageAndHalfTheTopAndScrollThere)
{
  TPreviewReport r(300);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  TfrxPreview* p = w.Preview();
  TTreeView* tree = p->OutlineTree();
  ASSERT_GE(tree->Items()->Count(), 300);

  // The node of a row on a later page: its data holds the page and half its top.
  const Integer page = r.PageOf("运单SF200");
  ASSERT_GT(page, 1);
  TTreeNode* node = nullptr;
  for (Integer i = 0; i < tree->Items()->Count(); ++i)
    if (tree->Items()->Item(i)->Text() == "运单SF200")
      node = tree->Items()->Item(i);
  ASSERT_NE(node, nullptr);
  const NativeInt data = reinterpret_cast<NativeInt>(node->Data());
  EXPECT_EQ(data % (1 << 20), page);
  const Integer offset = static_cast<Integer>(data / (1 << 20)) * 2;
  tree->SetSelected(node);
  tree->OnClick(tree);
  const Extended topMargin = 10;
  const Integer expected =
      w.Workspace()->PageList()->GetPageBounds(page - 1, w.Workspace()->ClientWidth(), 1).Top +
      static_cast<Integer>(std::nearbyint((offset + topMargin * 3.77953) * p->Zoom())) - 10;
  EXPECT_EQ(w.Workspace()->VertPosition(), expected);
}

TEST_F(frxPreviewTest, OutlineButtonShowsTheTree)
{
  TPreviewReport r(60);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  EXPECT_FALSE(w.Preview()->OutlineVisible());
  const Integer width = w.Workspace()->Width();
  Headless().Click(TPreviewWindow::Centre(w.Form->OutlineB));
  EXPECT_TRUE(w.Form->OutlineB->Down());
  EXPECT_TRUE(w.Preview()->OutlineVisible());
  EXPECT_LT(w.Workspace()->Width(), width);
  EXPECT_GT(w.Workspace()->Left(), w.Preview()->OutlineTree()->Left());
}
