// The grid's scroll-bar settings: visibility modes, and external scroll-bar controls that
// replace the grid's own bars (their notifications scroll the grid, the grid sets their
// range and position; one listener per bar).
#include "platform/rtl/VirtualKeys.h"
#include "tests/controls/eh/GridEhTestKit.h"
#include "tests/controls/eh/MemTableEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhScrollBars : public GridEhTest {
protected:
  std::unique_ptr<TTestMemTableEh> Table = std::make_unique<TTestMemTableEh>();

  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    Table.reset();
    GridEhTest::TearDown();
  }
  // The grid over 200 records of a memory table, and a vertical bar beside it on the form.
  TScrollBar* WithVerticalBar()
  {
    Table->MakeFlat(200);
    MakeGrid(false);
    Grid->HorzScrollBar()->SetVisible(false);
    Source->SetDataSet(Table.get());
    Grid->SetDataSource(Source);
    auto* bar = new TScrollBar(Form);
    bar->SetName("VBar");
    bar->SetKind(sbVertical);
    bar->SetBounds(402, 0, 17, 200);
    bar->SetParent(Form);
    Headless().ProcessMessages();
    return bar;
  }
};

} // namespace

TEST_F(GridEhScrollBars, VisibleSwitchesBetweenAutoAndNever)
{
  MakeGrid();
  TVertDBGridEhScrollBar* v = Grid->VertScrollBar();
  v->SetVisibleMode(sbAlwaysShowEh);
  v->SetVisible(false);
  EXPECT_EQ(v->VisibleMode(), sbNeverShowEh);
  EXPECT_FALSE(v->IsScrollBarVisible());
  v->SetVisible(true);
  EXPECT_EQ(v->VisibleMode(), sbAutoShowEh) << "never back to always";
  EXPECT_TRUE(v->Visible());
}

TEST_F(GridEhScrollBars, AnExternalBarScrollsTheGridAndFollowsIt)
{
  TScrollBar* bar = WithVerticalBar();
  Grid->VertScrollBar()->SetExtScrollBar(bar);
  Headless().ProcessMessages();
  EXPECT_EQ(bar->Min(), 1);
  EXPECT_EQ(bar->Max(), 200);
  EXPECT_EQ(bar->PageSize(), 10);
  EXPECT_EQ(bar->Position(), 1);
  SCROLLINFO own = Grid->VertScrollInfo();
  EXPECT_EQ(own.nMax, own.nMin) << "the grid's own bar has nothing to scroll";
  // A click on the bar's lower arrow scrolls the view a row; paging the grid moves the bar.
  Headless().Click(bar->ClientToScreen({8, 200 - 5}));
  EXPECT_EQ(Grid->TopRow(), 2);
  EXPECT_EQ(bar->Position(), 2);
  SendMessage(Grid->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->TopRow(), 11);
  EXPECT_EQ(bar->Position(), 11);
  EXPECT_EQ(Table->FieldByName("ID")->AsInteger(), 1) << "the record stays";
  // The bar shows and hides with the setting.
  Grid->VertScrollBar()->SetVisible(false);
  EXPECT_FALSE(bar->Visible());
  Grid->VertScrollBar()->SetVisible(true);
  EXPECT_TRUE(bar->Visible());
}

TEST_F(GridEhScrollBars, ABarListensToOneGridAtATime)
{
  TScrollBar* bar = WithVerticalBar();
  Grid->VertScrollBar()->SetExtScrollBar(bar);
  Grid->VertScrollBar()->SetExtScrollBar(bar); // the same bar again: nothing happens
  auto* other = new TDBGridEh(Form);
  other->SetBounds(0, 0, 100, 50);
  other->SetParent(Form);
  try {
    other->VertScrollBar()->SetExtScrollBar(bar);
    FAIL() << "a hooked bar was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Possible VBar already attached to the other control.");
  }
  EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), nullptr) << "the setting is unchanged";
  // Letting go gives the bar free; a freed grid lets go too.
  Grid->VertScrollBar()->SetExtScrollBar(nullptr);
  EXPECT_FALSE(bar->HasNotificationHook());
  other->VertScrollBar()->SetExtScrollBar(bar);
  delete other;
  EXPECT_FALSE(bar->HasNotificationHook());
  // A freed bar leaves the setting empty and the grid scrolling on its own bar.
  Grid->VertScrollBar()->SetExtScrollBar(bar);
  delete bar;
  EXPECT_EQ(Grid->VertScrollBar()->ExtScrollBar(), nullptr);
  SendMessage(Grid->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->VertScrollInfo().nMax, 200);
}

TEST_F(GridEhScrollBars, AnExternalHorizontalBarCountsTo127)
{
  MakeGrid();
  for (Integer i = 0; i < Grid->Columns()->Count(); ++i)
    Grid->Columns()->Items(i)->SetWidth(90);
  auto* bar = new TScrollBar(Form);
  bar->SetName("HBar");
  bar->SetBounds(0, 202, 400, 17);
  bar->SetParent(Form);
  Grid->HorzScrollBar()->SetExtScrollBar(bar);
  Headless().ProcessMessages();
  EXPECT_EQ(bar->Max(), 127);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_FALSE(Grid->HorzScrollBar()->IsScrollBarShowing());
  // The bar's far end shows the last columns; its position follows the grid.
  SendMessage(Grid->Handle(), WM_HSCROLL, SB_RIGHT, 0);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->LeftCol(), Grid->CalcMaxTopLeft().X);
  EXPECT_EQ(bar->Position(), 127);
  Headless().Click(bar->ClientToScreen({5, 8})); // the left arrow
  EXPECT_EQ(Grid->LeftCol(), Grid->CalcMaxTopLeft().X - 1);
  // All columns fitting leave nothing to scroll.
  for (Integer i = 0; i < Grid->Columns()->Count(); ++i)
    Grid->Columns()->Items(i)->SetWidth(10);
  Headless().ProcessMessages();
  EXPECT_EQ(bar->Max(), 0);
}
