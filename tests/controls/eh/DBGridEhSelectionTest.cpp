// The grid's selection: rectangles between bookmarked corners, Shift runs over columns,
// cell membership by kind, boxes clipped to the buffer, and the errors without a dataset.
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

using GridEhSelection = GridEhTest;

namespace {

AnsiString BookmarkOf(TDataSet* DataSet, Integer Id)
{
  DataSet->Locate("ID", Variant(Id), {});
  return DataSet->Bookmark();
}

} // namespace

TEST_F(GridEhSelection, ASingleCellIsNoRectangle)
{
  MakeGrid();
  TDBGridEhSelectionRect* rect = Grid->Selection()->Rect();
  AnsiString b1 = BookmarkOf(Orders.get(), 1), b2 = BookmarkOf(Orders.get(), 2);
  rect->SelectCell(1, b1, false);
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);
  rect->SelectCell(1, b1, true);
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);
  rect->SelectCell(3, b1, true);
  EXPECT_EQ(Grid->Selection()->Kind(), selRectEh) << "two cells of one record";
  rect->SelectCell(1, b1, true);
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh) << "back to the anchor";
  rect->SelectCell(2, b2, true);
  EXPECT_EQ(Grid->Selection()->Kind(), selRectEh);
}

TEST_F(GridEhSelection, ContainsCellByKind)
{
  MakeGrid();
  TDBGridEhSelection* sel = Grid->Selection();
  AnsiString b2 = BookmarkOf(Orders.get(), 2), b4 = BookmarkOf(Orders.get(), 4);
  AnsiString b3 = BookmarkOf(Orders.get(), 3), b5 = BookmarkOf(Orders.get(), 5);
  sel->Rect()->SelectCell(3, b4, false);
  sel->Rect()->SelectCell(1, b2, true); // corners given in reverse order
  struct {
    Integer Col;
    AnsiString Bookmark;
    bool In;
  } rectCases[] = {{1, b2, true},  {2, b3, true},  {3, b4, true},  {0, b3, false},
                   {4, b3, false}, {2, b5, false}, {-1, b3, false}};
  for (auto& c : rectCases) {
    SCOPED_TRACE(testing::Message() << "rect " << c.Col);
    EXPECT_EQ(sel->ContainsCell(c.Col, c.Bookmark), c.In);
  }
  sel->Columns()->SelectColumn(Grid->Columns()->Items(2), false);
  EXPECT_EQ(sel->Kind(), selColumnsEh);
  EXPECT_TRUE(sel->ContainsCell(2, b5));
  EXPECT_FALSE(sel->ContainsCell(1, b5));
  EXPECT_FALSE(sel->ContainsCell(-1, b5));
  sel->SelectEverything();
  EXPECT_TRUE(sel->ContainsCell(-1, b5));
  EXPECT_EQ(sel->BoundingGridRect(), MakeGridRect(0, 0, Grid->ColCount(), Grid->RowCount()));
  sel->Reset();
  EXPECT_EQ(sel->Kind(), selNoneEh);
  EXPECT_FALSE(sel->ContainsCell(2, b5));
  EXPECT_EQ(sel->BoundingGridRect(), MakeGridRect(-1, -1, -1, -1));
}

TEST_F(GridEhSelection, ShiftRunsOverColumnsUndoOnlyTheirOwnWork)
{
  MakeGrid();
  TDBGridEhSelectionCols* cols = Grid->Selection()->Columns();
  auto column = [&](Integer i) { return Grid->Columns()->Items(i); };
  auto selected = [&] {
    std::vector<Integer> out;
    for (Integer i = 0; i < cols->Count(); ++i)
      out.push_back(cols->Items(i)->Index());
    return out;
  };
  cols->SelectColumn(column(2), false);
  cols->ToggleColumn(column(6));
  cols->ExtendToColumn(column(8));
  EXPECT_EQ(selected(), (std::vector<Integer>{2, 6, 7, 8}));
  cols->ExtendToColumn(column(4));
  EXPECT_EQ(selected(), (std::vector<Integer>{2, 4, 5, 6}));
  cols->ExtendToColumn(column(6));
  EXPECT_EQ(selected(), (std::vector<Integer>{2, 6}));
  // Toggling off the only selected column leaves no selection.
  cols->SelectColumn(column(3), false);
  cols->ToggleColumn(column(3));
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);
  // From an unselected anchor a Shift run unselects.
  cols->SelectColumn(column(1), false);
  cols->ToggleColumn(column(2));
  cols->ToggleColumn(column(5));
  cols->ToggleColumn(column(5)); // anchor 5, unselected
  cols->SelectColumn(column(4), true);
  cols->SelectColumn(column(3), true);
  cols->ToggleColumn(column(5));
  cols->ToggleColumn(column(5));
  cols->ExtendToColumn(column(2));
  EXPECT_EQ(selected(), (std::vector<Integer>{1})) << "2, 3 and 4 unselected by the run";
  EXPECT_EQ(cols->BoundingGridRect(), MakeGridRect(2, 0, 2, Grid->RowCount()));
}

TEST_F(GridEhSelection, BoxesAreClippedToTheBuffer)
{
  MakeGrid();
  Integer visible = Grid->DataLink()->RecordCount();
  ASSERT_LT(visible, 10);
  TDBGridEhSelectionRect* rect = Grid->Selection()->Rect();
  AnsiString b1 = BookmarkOf(Orders.get(), 1), b10 = BookmarkOf(Orders.get(), 10);
  Orders->First();
  Integer h = Grid->HeaderRowCount();
  // The lower corner below the buffer: the box ends at the last visible data row.
  TRect box = rect->CellsBoxRect(1, b1, 2, b10);
  EXPECT_EQ(box, Grid->BoxRect(2, h, 3, h + Grid->VisibleDataRowCount()));
  // The upper corner above the buffer: the box starts at the first data row.
  Orders->Last();
  TRect box2 = rect->CellsBoxRect(1, b1, 1, b10);
  EXPECT_EQ(box2.Top, Grid->CellRect(2, h).Top);
  rect->SelectCell(1, b1, false);
  rect->SelectCell(2, b10, true);
  TGridRect g = rect->BoundingGridRect();
  EXPECT_EQ(g.Top, h);
  EXPECT_EQ(g.Bottom, h + Grid->DataLink()->RecordCount() - 1);
  EXPECT_EQ(g.Left, 2);
  EXPECT_EQ(g.Right, 3);
  EXPECT_EQ(Grid->DataLink()->ActiveRecord(), Grid->DataLink()->RecordCount() - 1)
      << "walking the buffer puts the active record back";
}

TEST_F(GridEhSelection, RectangleQueriesWithoutADatasetRaise)
{
  MakeGrid(false);
  TDBGridEhSelectionRect* rect = Grid->Selection()->Rect();
  try {
    rect->CellSelected(0, "x");
    FAIL();
  } catch (const EInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), "Error in function TDBGridEhSelectionRect.CellSelected");
  }
  try {
    rect->GetBottomRow();
    FAIL();
  } catch (const EInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), "Error in TDBGridEhSelectionRect.GetBottomRow");
  }
  EXPECT_THROW(rect->GetLeftmostCol(), EInvalidGridOperation);
  EXPECT_EQ(rect->BoundingGridRect(), MakeGridRect(-1, -1, -1, -1));
}

TEST_F(GridEhSelection, OnlyTheChangedStripsOfARectangleAreRepainted)
{
  MakeGrid();
  Headless().ProcessMessages();
  TDBGridEhSelectionRect* rect = Grid->Selection()->Rect();
  AnsiString b1 = BookmarkOf(Orders.get(), 1), b2 = BookmarkOf(Orders.get(), 2);
  AnsiString b3 = BookmarkOf(Orders.get(), 3);
  Orders->First();
  Headless().ProcessMessages();
  rect->SelectCell(0, b1, false);
  rect->SelectCell(1, b2, true);
  Headless().ProcessMessages();
  Headless().ForgetInvalidations();
  rect->SelectCell(1, b3, true); // one row more
  HWND h = Grid->Handle();
  Integer top = Grid->HeaderRowCount();
  auto inner = [&](Integer col, Integer row) {
    TRect r = Grid->CellRect(col, row);
    InflateRect(r, -2, -2);
    return r;
  };
  EXPECT_TRUE(Headless().WasInvalidated(h, inner(1, top + 2)));
  EXPECT_TRUE(Headless().WasInvalidated(h, inner(2, top + 2)));
  EXPECT_FALSE(Headless().WasInvalidated(h, inner(1, top))) << "unchanged cells stay";
  EXPECT_FALSE(Headless().WasInvalidated(h, inner(4, top + 2)));
}
