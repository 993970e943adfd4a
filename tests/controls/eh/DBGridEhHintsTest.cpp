// Cell tool tips (which cells show their whole text, where the tip goes and in which font),
// the hint pause over tip cells, and the cursors the grid shows over the indicator, the
// titles' column-select zone and a frozen column's sizing border.
#include "platform/rtl/VirtualKeys.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhHints : public GridEhTest {
protected:
  void SetUp() override
  {
    GridEhTest::SetUp();
    MakeGrid();
    Grid->SetShowHint(true);
    // ID 40, Name 30 (fits "Cab" but not "Delta"), City 60, Qty 60, the rest default.
    Col("ID")->SetWidth(40);
    Col("Name")->SetWidth(30);
    Col("City")->SetWidth(60);
    Col("Qty")->SetWidth(60);
    for (const char* name : {"Name", "City", "Qty", "Flag"})
      Col(name)->SetToolTips(true);
    Headless().ProcessMessages();
  }
  Integer RawOf(const char* Name) { return Grid->DataToRawColumn(Col(Name)->Index()); }
  Integer DataRow(Integer Id) { return Grid->HeaderRowCount() + Id - 1; }
  TPoint Centre(Integer ACol, Integer ARow)
  {
    TRect r = Grid->CellRect(ACol, ARow);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  // What the grid answers for a hint at a client point (the hint manager's request).
  THintInfo Ask(TPoint P)
  {
    THintInfo info;
    info.HintControl = Grid;
    info.HintStr = GetShortHint(Grid->Hint());
    info.CursorPos = P;
    info.CursorRect = Grid->ClientRect();
    Grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info;
  }
  bool HintShown()
  {
    THintWindow* w = Application()->HintWindow();
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
  }
};

} // namespace

// Each row: a cell (by column and record, or the title row), where in the cell the pointer
// is, and the tip expected ("" for none).
TEST_F(GridEhHints, WhichCellsShowTheirWholeText)
{
  Col("City")->SetAlwaysShowEditButton(true);
  Col("City")->PickList()->SetCommaText("Harbin,Dalian");
  Col("Flag")->KeyList()->SetText("Y;y\nN");
  Col("Flag")->PickList()->SetText("未付\n已付\n不明");
  Col("Flag")->SetCheckboxes(true);
  Col("Flag")->SetIndex(Col("Qty")->Index() + 1);
  Col("Name")->Title()->SetToolTips(true);
  Col("Name")->Title()->SetCaption("Customer");
  Col("City")->Title()->SetHint("城市|订单所在的城市");
  Headless().ProcessMessages();
  struct TCase {
    const char* Name;
    const char* Column;
    Integer Id; // 0: the title row
    Integer Dx; // from the cell's centre
    bool Ctrl;
    const char* Tip;
  };
  const TCase cases[] = {
      {"cut text", "Name", 4, 0, false, "Delta"},
      {"text that fits", "Name", 1, 0, false, ""},
      {"held Ctrl", "Name", 4, 0, true, ""},
      {"over the edit button", "City", 1, 28, false, ""},
      {"beside the edit button, cut", "City", 1, -20, false, "Harbin"},
      {"check box: the pick entry of its state", "Flag", 4, 0, false, "不明"},
      {"check box: checked", "Flag", 1, 0, false, "已付"},
      {"title with its own hint", "City", 0, 0, false, "城市"},
      {"title cut", "Name", 0, 0, false, "Customer"},
      {"column without tips", "ID", 4, 0, false, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Ctrl) {
      Headless().KeyDown(VK_CONTROL);
      Headless().ProcessMessages();
    }
    Integer row = c.Id == 0 ? 0 : DataRow(c.Id);
    TPoint p = Centre(RawOf(c.Column), row);
    p.X += c.Dx;
    THintInfo info = Ask(p);
    EXPECT_EQ(info.HintStr, c.Tip);
    if (c.Ctrl) {
      Headless().KeyUp(VK_CONTROL);
      Headless().ProcessMessages();
    }
  }
}

TEST_F(GridEhHints, ATipLiesOverTheCellsTextInTheCellsFont)
{
  // Left-aligned: one pixel left of the cell and one above it.
  TRect r = Grid->CellRect(RawOf("Name"), DataRow(4));
  THintInfo info = Ask(Centre(RawOf("Name"), DataRow(4)));
  ASSERT_EQ(info.HintStr, "Delta");
  EXPECT_EQ(info.HintPos, Grid->ClientToScreen({r.Left - 1, r.Top - 1}));
  EXPECT_EQ(info.CursorRect, r);
  EXPECT_EQ(info.HintWindowClass, &MakeToolTipsWindow);
  ASSERT_NE(info.HintData, nullptr);
  EXPECT_EQ(static_cast<TFont*>(info.HintData)->Name(), Col("Name")->Font()->Name());

  // A right-aligned number whose column reaches past the client edge shows its tip though
  // its text fits: the tip's right end is where the column's right end would be.
  Col("City")->SetWidth(250);
  Headless().ProcessMessages();
  TRect q = Grid->CellRect(RawOf("Qty"), DataRow(4));
  ASSERT_EQ(q.Right, Grid->ClientWidth()) << "the cell is cut by the client edge";
  ASSERT_GT(q.Left + 60, Grid->ClientWidth());
  info = Ask(Centre(RawOf("Qty"), DataRow(4)));
  EXPECT_EQ(info.HintStr, "10");
  Integer limit = q.Left + 60, w = 14;
  EXPECT_EQ(info.HintPos, Grid->ClientToScreen({limit - w - 6, q.Top - 1}));
  // A right-aligned number in a whole cell shows nothing.
  Col("City")->SetWidth(60);
  Headless().ProcessMessages();
  EXPECT_EQ(Ask(Centre(RawOf("Qty"), DataRow(4))).HintStr, "");
}

TEST_F(GridEhHints, TipsFollowThePointerFromCellToCellAtOnce)
{
  Col("Name")->Font()->SetStyle({fsBold});
  Headless().Move(Grid->ClientToScreen(Centre(RawOf("Name"), DataRow(4))));
  Headless().AdvanceAndProcess(10);
  ASSERT_TRUE(HintShown()) << "no pause over a cell with tips (the timers' shortest time)";
  THintWindow* hint = Application()->HintWindow();
  EXPECT_NE(dynamic_cast<TToolTipsWindow*>(hint), nullptr);
  EXPECT_EQ(hint->Caption(), "Delta");
  EXPECT_TRUE(hint->Font()->Style().Contains(fsBold)) << "drawn in the cell's font";
  TRect r;
  GetWindowRect(hint->Handle(), r);
  TRect cell = Grid->CellRect(RawOf("Name"), DataRow(4));
  EXPECT_EQ(r.TopLeft(), Grid->ClientToScreen({cell.Left - 1, cell.Top - 1}));

  // A cell whose text fits shows nothing; the next cut one shows its own text.
  Headless().Move(Grid->ClientToScreen(Centre(RawOf("Name"), DataRow(1))));
  Headless().AdvanceAndProcess(60);
  EXPECT_FALSE(HintShown());
  Headless().Move(Grid->ClientToScreen(Centre(RawOf("Name"), DataRow(8))));
  Headless().AdvanceAndProcess(60);
  ASSERT_TRUE(HintShown());
  EXPECT_EQ(Application()->HintWindow()->Caption(), "Hotel");
}

TEST_F(GridEhHints, TheHintPauseIsZeroOverCellsWithTips)
{
  Application()->SetHintPause(500);
  Col("Name")->Title()->SetToolTips(true);
  Col("City")->Title()->SetToolTips(true);
  Col("City")->Title()->SetHint("城市");
  struct TCase {
    const char* Name;
    Integer Col, Row;
    Integer Pause;
  };
  const Integer unchanged = 12345;
  const TCase cases[] = {
      {"data cell with tips", RawOf("Name"), DataRow(2), 0},
      {"data cell without tips", RawOf("ID"), DataRow(2), 500},
      {"title with tips", RawOf("Name"), 0, 0},
      {"title with tips and a hint", RawOf("City"), 0, 500},
      {"indicator", 0, DataRow(2), unchanged},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Headless().Move(Grid->ClientToScreen(Centre(c.Col, c.Row)));
    Integer pause = unchanged;
    Grid->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
    EXPECT_EQ(pause, c.Pause);
  }
}

TEST_F(GridEhHints, CursorsOverTheIndicatorTheTitlesAndFrozenBorders)
{
  TDBGridEhOptions o = Grid->Options();
  o.Include(dgMultiSelect);
  Grid->SetOptions(o);
  Grid->SetFrozenColCount(2);
  Headless().ProcessMessages();
  auto cursorAt = [&](TPoint p) {
    Headless().Move(Grid->ClientToScreen(p));
    return GetCursor();
  };
  TRect title = Grid->CellRect(RawOf("City"), 0);
  TRect frozen = Grid->CellRect(RawOf("Name"), 0);
  EXPECT_EQ(cursorAt(Centre(0, DataRow(3))), RowSelectCursor);
  EXPECT_EQ(cursorAt({title.Left + 10, title.Bottom - 3}), ColumnSelectCursor);
  EXPECT_EQ(cursorAt({title.Left + 10, title.Bottom - 7}), ColumnSelectCursor);
  EXPECT_NE(cursorAt({title.Left + 10, title.Bottom - 8}), ColumnSelectCursor);
  EXPECT_EQ(cursorAt({frozen.Right + 1, 5}), Screen()->Cursors(crHSplit));
  EXPECT_EQ(cursorAt(Centre(RawOf("City"), DataRow(3))), crArrow);
  // Without multi-selection the indicator and titles keep the arrow.
  o.Exclude(dgMultiSelect);
  Grid->SetOptions(o);
  Headless().ProcessMessages();
  EXPECT_EQ(cursorAt({title.Left + 10, title.Bottom - 3}), crArrow);
  EXPECT_EQ(cursorAt(Centre(0, DataRow(3))), crArrow);
  // Rows cannot be selected in an empty dataset.
  o.Include(dgMultiSelect);
  Grid->SetOptions(o);
  Orders->SetFilter("ID = 0");
  Orders->SetFiltered(true);
  Headless().ProcessMessages();
  EXPECT_EQ(cursorAt(Centre(0, Grid->HeaderRowCount())), crArrow);
}
