// Mouse gestures that run while a button is held: dragging a rectangle of cells, dragging
// over records in row mode, dragging along the titles to select columns, the auto-scroll
// that repeats on timer 1 while the pointer is outside the data area (on the virtual
// clock), and column popup menus on a right-button release.
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Menus.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhDrag : public GridEhTest {
protected:
  void Multi(bool FullRow, Integer Height = 200)
  {
    MakeGrid(true, Height);
    TDBGridEhOptions o = Grid->Options();
    o.Include(dgMultiSelect);
    if (FullRow)
      o.Include(dgFullRowSelect);
    Grid->SetOptions(o);
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  TPoint At(Integer Col, Integer Row, Integer Dy = 0)
  {
    TRect r = Grid->CellRect(Col, Row);
    return Grid->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2 + Dy});
  }
  Integer RawOf(const char* Name) { return Grid->DataToRawColumn(Col(Name)->Index()); }
  Integer Id() { return Orders->FieldByName("ID")->AsInteger(); }
  AnsiString BookmarkOf(Integer Id)
  {
    AnsiString saved = Orders->Bookmark();
    Orders->Locate("ID", Variant(Id), {});
    AnsiString bm = Orders->Bookmark();
    Orders->SetBookmark(saved);
    return bm;
  }
};

} // namespace

TEST_F(GridEhDrag, DraggingOverCellsSelectsARectangle)
{
  Multi(false);
  Integer h = Grid->HeaderRowCount();
  Headless().Press(hbLeft, At(RawOf("City"), h + 1));
  Headless().Move(At(RawOf("Qty"), h + 2));
  Headless().Move(At(RawOf("Price"), h + 3));
  EXPECT_EQ(Grid->TrackMode(), TCustomDBGridEh::tmRectEh);
  Headless().Release(hbLeft, At(RawOf("Price"), h + 3));
  EXPECT_EQ(Grid->TrackMode(), TCustomDBGridEh::tmNoneEh);
  EXPECT_EQ(GetCapture(), HWND(0)) << "the capture ends with the drag";
  ASSERT_EQ(Grid->Selection()->Kind(), selRectEh);
  TDBGridEhSelection* sel = Grid->Selection();
  struct {
    const char* Column;
    Integer Id;
    bool In;
  } cases[] = {{"City", 2, true},  {"Price", 4, true}, {"Qty", 3, true},
               {"Name", 3, false}, {"City", 1, false}, {"City", 5, false}};
  for (auto& c : cases) {
    SCOPED_TRACE(std::string(c.Column) + " " + std::to_string(c.Id));
    EXPECT_EQ(sel->ContainsCell(Col(c.Column)->Index(), BookmarkOf(c.Id)), c.In);
  }
  EXPECT_EQ(Id(), 4);
}

TEST_F(GridEhDrag, DraggingInRowModeSelectsRecordsAndBackDeselects)
{
  Multi(true);
  Integer h = Grid->HeaderRowCount();
  Headless().Press(hbLeft, At(RawOf("City"), h + 1));
  Headless().Move(At(RawOf("City"), h + 3));
  Headless().Move(At(RawOf("City"), h + 4));
  EXPECT_EQ(Grid->SelectedRows()->Count(), 4) << "records 2 to 5";
  Headless().Move(At(RawOf("City"), h + 3));
  Headless().Release(hbLeft, At(RawOf("City"), h + 3));
  EXPECT_EQ(Grid->SelectedRows()->Count(), 3) << "going back drops record 5";
  EXPECT_EQ(Id(), 4);
}

TEST_F(GridEhDrag, BelowTheRowsTheDragScrollsOnTheTimer)
{
  // Five rows on screen: the pointer 12 pixels below the data area steps 12 div 6 = 2
  // records per tick, every 200 - 15 x 12 = 20 ms.
  Multi(true, 18 * 6 + 2);
  Integer h = Grid->HeaderRowCount();
  TRect area = Grid->DataArea();
  Headless().Press(hbLeft, At(RawOf("City"), h));
  Headless().Move(Grid->ClientToScreen({60, area.Bottom - 1 + 12}));
  EXPECT_TRUE(Grid->AutoScrollRunning());
  EXPECT_EQ(Grid->AutoScrollInterval(), 20);
  Integer first = Id();
  EXPECT_GT(first, 1) << "the move itself took the first step";
  Headless().Advance(20);
  Headless().ProcessMessages();
  EXPECT_EQ(Id(), first + 2);
  Headless().Advance(20);
  Headless().ProcessMessages();
  EXPECT_EQ(Id(), first + 4);
  EXPECT_EQ(Grid->SelectedRows()->Count(), first + 4) << "every record passed is selected";
  // Back inside, the timer stops: time passing moves nothing.
  Headless().Move(Grid->ClientToScreen({60, area.Top + 5}));
  EXPECT_FALSE(Grid->AutoScrollRunning());
  Integer still = Id();
  Headless().Advance(200);
  Headless().ProcessMessages();
  EXPECT_EQ(Id(), still);
  Headless().Release(hbLeft, Grid->ClientToScreen({60, area.Top + 5}));
  EXPECT_EQ(Grid->TrackMode(), TCustomDBGridEh::tmNoneEh);
}

TEST_F(GridEhDrag, DraggingAlongTheTitlesSelectsColumns)
{
  Multi(false);
  TRect city = Grid->CellRect(RawOf("Name"), 0);
  TRect price = Grid->CellRect(RawOf("Qty"), 0);
  ASSERT_FALSE(IsRectEmpty(price));
  Headless().Press(hbLeft, Grid->ClientToScreen({city.Left + 5, city.Bottom - 2}));
  EXPECT_EQ(Grid->TrackMode(), TCustomDBGridEh::tmColSelectEh);
  Headless().Move(Grid->ClientToScreen({price.Left + 5, price.Bottom - 2}));
  Headless().Release(hbLeft, Grid->ClientToScreen({price.Left + 5, price.Bottom - 2}));
  ASSERT_EQ(Grid->Selection()->Kind(), selColumnsEh);
  TDBGridEhSelectionCols* cols = Grid->Selection()->Columns();
  EXPECT_EQ(cols->Count(), 3);
  EXPECT_EQ(cols->AnchorColumn(), Col("Name"));
  EXPECT_EQ(cols->ExtentColumn(), Col("Qty"));
  EXPECT_FALSE(Grid->AutoScrollRunning());
}

TEST_F(GridEhDrag, ARightClickOnADataColumnPopsItsMenu)
{
  MakeGrid();
  auto* menu = new TPopupMenu(Form);
  auto* item = new TMenuItem(Form);
  item->SetCaption("复制");
  menu->Items()->Add(item);
  Integer popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };
  Col("City")->SetPopupMenu(menu);
  Integer h = Grid->HeaderRowCount();
  Headless().QueueStep([] { Headless().Key(VK_ESCAPE); });
  Headless().Click(At(RawOf("City"), h + 2), hbRight);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu->PopupComponent(), Grid);
  // Another column, or a menu without automatic popup, shows nothing.
  Headless().Click(At(RawOf("Name"), h + 2), hbRight);
  menu->SetAutoPopup(false);
  Headless().Click(At(RawOf("City"), h + 2), hbRight);
  EXPECT_EQ(popups, 1);
  // A freed menu leaves the column.
  delete menu;
  EXPECT_EQ(Col("City")->PopupMenu(), nullptr);
}

TEST_F(GridEhDrag, AFrozenColumnIsSizedByItsTitlesBorder)
{
  MakeGrid();
  Grid->SetFrozenColCount(2);
  Headless().ProcessMessages();
  Integer raw = RawOf("Name");
  ASSERT_EQ(Grid->FixedCols(), raw + 1);
  TRect title = Grid->CellRect(raw, 0);
  Integer width = Col("Name")->Width();
  auto screen = [&](Integer x, Integer y) { return Grid->ClientToScreen({x, y}); };
  // With a dotted line: the width changes on release only.
  Headless().Press(hbLeft, screen(title.Right + 1, 5));
  EXPECT_EQ(Grid->TrackMode(), TCustomDBGridEh::tmFrozenSizeEh);
  Headless().Move(screen(title.Right + 31, 5));
  EXPECT_EQ(Col("Name")->Width(), width);
  Headless().Release(hbLeft, screen(title.Right + 31, 5));
  EXPECT_EQ(Col("Name")->Width(), width + 30);
  EXPECT_EQ(Grid->TrackMode(), TCustomDBGridEh::tmNoneEh);
  // Live: the column follows the pointer; a press and release in place keeps the width.
  TDBGridEhExtOptions x = Grid->ExtOptions();
  x.Include(dgxLiveColSizingEh);
  Grid->SetExtOptions(x);
  title = Grid->CellRect(raw, 0);
  Headless().Press(hbLeft, screen(title.Right - 2, 5));
  Headless().Move(screen(title.Right - 22, 5));
  EXPECT_EQ(Col("Name")->Width(), width + 10);
  Headless().Release(hbLeft, screen(title.Right - 22, 5));
  title = Grid->CellRect(raw, 0);
  Headless().Press(hbLeft, screen(title.Right, 5));
  Headless().Release(hbLeft, screen(title.Right, 5));
  EXPECT_EQ(Col("Name")->Width(), width + 10);
  // The same border in a data row is no sizing zone.
  Integer h = Grid->HeaderRowCount();
  TRect data = Grid->CellRect(raw, h + 1);
  Headless().Press(hbLeft, screen(data.Right, data.Top + 5));
  EXPECT_NE(Grid->TrackMode(), TCustomDBGridEh::tmFrozenSizeEh);
  Headless().Release(hbLeft, screen(data.Right, data.Top + 5));
  EXPECT_EQ(Col("Name")->Width(), width + 10);
}
