// The grid's memory-table view over tables that offer IMemTableEh: one row per record,
// scroll messages and the wheel that move only the view, the fetch requests of a lazily
// loading table, instant reads limited to the rows on screen, the tree area with its
// glyphs, and clicks and keypad keys that expand and collapse nodes.
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"
#include "tests/controls/eh/GridEhTestKit.h"
#include "tests/controls/eh/MemTableEhTestKit.h"

using namespace ehtest;

namespace {

class GridEhMemTable : public GridEhTest {
protected:
  std::unique_ptr<TTestMemTableEh> Table = std::make_unique<TTestMemTableEh>();
  Integer Scrolls = 0; // the table's AfterScroll events

  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    Table.reset();
    GridEhTest::TearDown();
  }
  // The grid (400 x Height, no border) over the table, focused.
  void Show(Integer Height = 200)
  {
    Table->AfterScroll = [this](TDataSet*) { ++Scrolls; };
    MakeGrid(false, Height);
    Grid->HorzScrollBar()->SetVisible(false);
    Headless().ProcessMessages();
    Source->SetDataSet(Table.get());
    Grid->SetDataSource(Source);
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  void VScroll(Integer Code, Integer TrackPos = 0)
  {
    // The bar's track position is where its thumb was put (the bar clamps it).
    if (Code == SB_THUMBTRACK || Code == SB_THUMBPOSITION) {
      SCROLLINFO si;
      si.fMask = SIF_POS;
      si.nPos = TrackPos;
      SetScrollInfo(Grid->Handle(), SB_VERT, si, false);
    }
    SendMessage(Grid->Handle(), WM_VSCROLL, MAKEWPARAM(Code, TrackPos), 0);
    Headless().ProcessMessages();
  }
  Integer Id() { return Table->FieldByName("ID")->AsInteger(); }
  Integer LastFull()
  {
    TGridDrawInfo info;
    Grid->CalcDrawInfo(info);
    return info.Vert.LastFullVisibleCell;
  }
  TColor At(Integer X, Integer Y) { return Headless().ScreenPixel(Grid->ClientToScreen({X, Y})); }
  TPoint Screen(Integer X, Integer Y) { return Grid->ClientToScreen({X, Y}); }
};

} // namespace

TEST_F(GridEhMemTable, EveryRecordIsARowAndFootersFallBackToTheBuffer)
{
  Table->MakeFlat(200);
  Show();
  ASSERT_TRUE(Grid->MemTableViewActive());
  EXPECT_EQ(Grid->RowCount(), 201) << "the title row and one row per record";
  EXPECT_EQ(Grid->Row(), 1);
  EXPECT_EQ(LastFull(), 10) << "title 18 px, then ten rows of 18 px in 200";
  SCROLLINFO si = Grid->VertScrollInfo();
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(si.nMax, 200);
  EXPECT_EQ(si.nPage, 10u);
  EXPECT_EQ(si.nPos, 1);
  // A footer row, or the switch turned off, brings back the buffered view.
  Grid->SetFooterRowCount(1);
  Headless().ProcessMessages();
  EXPECT_FALSE(Grid->MemTableViewActive());
  EXPECT_LT(Grid->RowCount(), 20);
  Grid->SetFooterRowCount(0);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->RowCount(), 201);
  Grid->SetUseMemTableView(false);
  Headless().ProcessMessages();
  EXPECT_FALSE(Grid->HasMemTable());
  EXPECT_LT(Grid->RowCount(), 20);
}

TEST_F(GridEhMemTable, ScrollMessagesMoveTheViewAndNeverTheRecord)
{
  Table->MakeFlat(200);
  Show();
  Integer maxTop = 201 - 10; // the top row that shows row 200 as the last full row
  struct {
    const char* Name;
    Integer StartTop;
    Integer Code;
    Integer Track;
    bool Tracking;
    Integer Top;
  } cases[] = {
      {"line down", 1, SB_LINEDOWN, 0, false, 2},
      {"line up at the top", 1, SB_LINEUP, 0, false, 1},
      {"line up", 50, SB_LINEUP, 0, false, 49},
      {"page down", 1, SB_PAGEDOWN, 0, false, 10},
      {"page up shows the old top as the last row", 50, SB_PAGEUP, 0, false, 41},
      {"page down at the end stops", maxTop - 3, SB_PAGEDOWN, 0, false, maxTop},
      {"bottom", 1, SB_BOTTOM, 0, false, maxTop},
      {"top", 120, SB_TOP, 0, false, 1},
      {"thumb position", 1, SB_THUMBPOSITION, 100, false, 100},
      {"thumb position past the end", 1, SB_THUMBPOSITION, 5000, false, maxTop},
      {"thumb track without tracking", 7, SB_THUMBTRACK, 100, false, 7},
      {"thumb track with tracking", 7, SB_THUMBTRACK, 100, true, 100},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Grid->VertScrollBar()->SetTracking(c.Tracking);
    Grid->ClampedSetTopRow(c.StartTop);
    Scrolls = 0;
    VScroll(c.Code, c.Track);
    EXPECT_EQ(Grid->TopRow(), c.Top);
    EXPECT_EQ(Id(), 1) << "the current record stays";
    EXPECT_EQ(Grid->Row(), 1);
    EXPECT_EQ(Scrolls, 0) << "no dataset event while scrolling";
    SCROLLINFO si = Grid->VertScrollInfo();
    EXPECT_EQ(si.nPos, c.Top) << "the bar follows";
  }
  // Dragging the bar's thumb to the end with the mouse scrolls there on release.
  Grid->VertScrollBar()->SetTracking(false);
  Grid->ClampedSetTopRow(1);
  Headless().ProcessMessages();
  Integer x = Grid->ClientWidth() + 8;
  Headless().Drag(Screen(x, 17 + 4), Screen(x, 200 - 17 - 2), 6);
  Headless().ProcessMessages();
  EXPECT_GT(Grid->TopRow(), 150);
  EXPECT_EQ(Id(), 1);
}

TEST_F(GridEhMemTable, TheViewFollowsTheRecordOnlyWhenTheRecordMoves)
{
  Table->MakeFlat(200);
  Show();
  Table->MoveBy(30);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->Row(), 31);
  EXPECT_EQ(LastFull(), 31) << "scrolled just enough to show it";
  // Scrolling away leaves the current row where it is, off screen.
  VScroll(SB_TOP);
  EXPECT_EQ(Grid->TopRow(), 1);
  EXPECT_EQ(Grid->Row(), 31);
  Grid->Invalidate();
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->TopRow(), 1) << "a repaint does not pull the view back";
  // A key moves the record and the view shows it again.
  Headless().Key(VK_DOWN);
  EXPECT_EQ(Id(), 32);
  EXPECT_EQ(LastFull(), 32);
  // A jump (Last) goes to the last row.
  Table->Last();
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->Row(), 200);
  EXPECT_EQ(LastFull(), 200);
}

TEST_F(GridEhMemTable, PaintingReadsOnlyTheRowsOnScreen)
{
  Table->MakeFlat(200);
  Show();
  for (Integer top : {1, 95, 191}) {
    SCOPED_TRACE(top);
    Grid->ClampedSetTopRow(top);
    Table->ReadIndexes.clear();
    Table->InstantReads = 0;
    Grid->Invalidate();
    Headless().ProcessMessages();
    ASSERT_FALSE(Table->ReadIndexes.empty());
    EXPECT_GE(*Table->ReadIndexes.begin(), top - 1);
    EXPECT_LE(*Table->ReadIndexes.rbegin(), top - 1 + 10) << "one partly shown row at most";
    EXPECT_FALSE(Table->InstantReading()) << "every read ended";
    EXPECT_EQ(Id(), 1);
  }
  // Each cell is drawn with its own record readable: the Name cells on screen show
  // R095 to R104 from the top.
  std::vector<AnsiString> painted;
  Grid->OnGetCellParams = [&](TObject*, TColumnEh* Column, TFont*, TColor&, TGridDrawState) {
    if (Column->FieldName() == "Name")
      painted.push_back(Column->Field()->AsString());
  };
  Grid->ClampedSetTopRow(95);
  Grid->Invalidate();
  Headless().ProcessMessages();
  ASSERT_GE(painted.size(), 10u);
  EXPECT_EQ(painted.front(), "R095");
  EXPECT_EQ(painted[9], "R104");
  EXPECT_EQ(Table->FieldByName("Name")->AsString(), "R001") << "outside painting: the current";
}

TEST_F(GridEhMemTable, ALazyTableIsAskedForTheRowsTheViewNeeds)
{
  // Three records of 200 loaded: 72 of 200 pixels used, (200 - 72) div 17 + 1 = 8 asked.
  Table->MakeFlat(200, 3);
  Show();
  ASSERT_FALSE(Table->Requests.empty());
  EXPECT_EQ(Table->Requests.front(), 8);
  EXPECT_EQ(Table->Requests.size(), 1u) << "the screen is full after the first fetch";
  EXPECT_EQ(Table->MemRecordCount(), 11);
  EXPECT_EQ(Grid->RowCount(), 12);
  // Scrolling to the bottom shows the last row fully: one more record is asked for, and
  // once more each time the last row comes into view.
  Table->Requests.clear();
  VScroll(SB_BOTTOM);
  ASSERT_EQ(Table->Requests.size(), 1u);
  EXPECT_EQ(Table->Requests[0], 1);
  EXPECT_EQ(Grid->RowCount(), 13);
  VScroll(SB_BOTTOM);
  EXPECT_EQ(Table->Requests.size(), 2u);
  EXPECT_EQ(Grid->RowCount(), 14);
  EXPECT_EQ(Id(), 1) << "fetching keeps the current record";
  // Ctrl+wheel pages and fetches first what the page needs.
  Table->Requests.clear();
  Grid->ClampedSetTopRow(1);
  Headless().KeyDown(VK_CONTROL);
  Headless().Wheel(-1, Screen(100, 100));
  Headless().KeyUp(VK_CONTROL);
  Headless().ProcessMessages();
  ASSERT_FALSE(Table->Requests.empty());
  EXPECT_EQ(Table->Requests[0], 10 + 1 + 10 - 14);
  EXPECT_EQ(Grid->TopRow(), 11);
}

TEST_F(GridEhMemTable, TheWheelScrollsTheViewAndShiftMovesTheRecord)
{
  Table->MakeFlat(200);
  Show();
  TPoint p = Screen(100, 100);
  for (Integer i = 0; i < 3; ++i)
    Headless().Wheel(-1, p);
  EXPECT_EQ(Grid->TopRow(), 4);
  EXPECT_EQ(Id(), 1);
  Headless().Wheel(1, p);
  EXPECT_EQ(Grid->TopRow(), 3);
  Headless().KeyDown(VK_SHIFT);
  Headless().Wheel(-1, p);
  Headless().KeyUp(VK_SHIFT);
  EXPECT_EQ(Id(), 2);
  // A handler that takes the step stops the grid's own.
  Grid->OnMouseWheelDown = [](TObject*, TShiftState, TPoint, bool& Handled) { Handled = true; };
  Integer top = Grid->TopRow();
  Headless().Wheel(-1, p);
  EXPECT_EQ(Grid->TopRow(), top);
  // Outside the view the wheel moves the dataset by a record.
  Grid->OnMouseWheelDown = nullptr;
  Grid->SetUseMemTableView(false);
  Headless().ProcessMessages();
  Headless().Wheel(-1, p);
  Headless().Wheel(-1, p);
  EXPECT_EQ(Id(), 4);
}

TEST_F(GridEhMemTable, AClickGoesToTheRecordOfTheRow)
{
  Table->MakeFlat(200);
  Show();
  VScroll(SB_THUMBPOSITION, 50);
  ASSERT_EQ(Grid->TopRow(), 50);
  TRect r = Grid->CellRect(Grid->DataToRawColumn(1), 52);
  Headless().Click(Screen(r.Left + 5, r.Top + 5));
  EXPECT_EQ(Id(), 52);
  EXPECT_EQ(Grid->Row(), 52);
  EXPECT_EQ(Grid->TopRow(), 50) << "the view stays";
  // Ctrl+PgDn goes to the last record on screen, Ctrl+PgUp to the first.
  Headless().Key(VK_NEXT, false, true);
  EXPECT_EQ(Id(), 59);
  Headless().Key(VK_PRIOR, false, true);
  EXPECT_EQ(Id(), 50);
}

TEST_F(GridEhMemTable, ASelectedRectangleIsBoxedByRecordIndexes)
{
  Table->MakeFlat(200);
  Show();
  TDBGridEhOptions options = Grid->Options();
  options.Include(dgMultiSelect);
  Grid->SetOptions(options);
  Grid->ClampedSetTopRow(60);
  Table->SetRecNo(61);
  TBookmarkStr a = Table->Bookmark();
  Table->SetRecNo(64);
  TBookmarkStr b = Table->Bookmark();
  Grid->Selection()->Rect()->SelectCell(0, a, false);
  Grid->Selection()->Rect()->SelectCell(1, b, true);
  TGridRect box = Grid->Selection()->Rect()->BoundingGridRect();
  EXPECT_EQ(box.Top, 61);
  EXPECT_EQ(box.Bottom, 64);
  TRect pixels = Grid->Selection()->Rect()->CellsBoxRect(0, a, 1, b);
  EXPECT_EQ(pixels.Top, Grid->CellRect(1, 61).Top);
  EXPECT_EQ(pixels.Bottom, Grid->CellRect(1, 64).Bottom);
}

TEST_F(GridEhMemTable, AFreedTableLeavesTheGridWorking)
{
  Table->MakeFlat(200);
  Show();
  Grid->ClampedSetTopRow(90);
  Table.reset();
  Headless().ProcessMessages();
  EXPECT_FALSE(Grid->HasMemTable());
  EXPECT_LT(Grid->RowCount(), 20);
  Grid->Invalidate();
  Headless().ProcessMessages();
  Headless().Wheel(-1, Screen(100, 100));
  SendMessage(Grid->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  Headless().ProcessMessages();
}

// ---- The tree ----

namespace {

class GridEhMemTree : public GridEhMemTable {
protected:
  // A (leaf, a sibling follows); B (last root, expanded) with B.1 (expanded, a sibling
  // follows) holding the leaf B.1.a, and B.2 (collapsed, last) holding B.2.a.
  void MakeTree()
  {
    Table->MakeTree(
        {{1, "A", 0}, {2, "B", 0}, {3, "B.1", 2}, {4, "B.1.a", 3}, {5, "B.2", 2}, {6, "B.2.a", 5}});
    Table->SetExpanded(5, false);
    Table->Refresh();
    Show();
    Grid->Columns()->Items(0)->SetWidth(120);
    Headless().ProcessMessages();
  }
  TRect Cell(Integer Row) { return Grid->CellRect(Grid->DataToRawColumn(0), Row); }
  // The shadow-coloured pixels of a slot's column x between two rows of the cell.
  Integer LineDots(Integer Row, Integer X, Integer Y1, Integer Y2)
  {
    TRect r = Cell(Row);
    Integer dots = 0;
    for (Integer y = r.Top + Y1; y < r.Top + Y2; ++y)
      if (At(r.Left + X, y) == ColorToRGB(clBtnShadow))
        ++dots;
    return dots;
  }
  void ClickSlot(Integer Row, Integer Slot)
  {
    TRect r = Cell(Row);
    Headless().Advance(1000);
    Headless().Click(Screen(r.Left + Slot * 18 + 9, (r.Top + r.Bottom) / 2));
  }
  std::vector<AnsiString> Names()
  {
    std::vector<AnsiString> names;
    TBookmarkStr bm = Table->Bookmark();
    Table->DisableControls();
    TScopeExit back([&] {
      Table->SetBookmark(bm);
      Table->EnableControls();
    });
    for (Table->First(); !Table->Eof(); Table->Next())
      names.push_back(Table->FieldByName("Name")->AsString());
    return names;
  }
};

} // namespace

TEST_F(GridEhMemTree, SlotsShowLinesOfAncestorsAndTheNodesGlyph)
{
  MakeTree();
  ASSERT_EQ(Table->MemRecordCount(), 5);
  Integer h = Cell(1).Height();
  Integer mid = h / 2;
  // B.1.a (row 4, level 3): empty, a line (B.1 has a sibling), glyph 7 (top to centre).
  EXPECT_EQ(LineDots(4, 9, 0, h), 0) << "B is the last root";
  EXPECT_GE(LineDots(4, 18 + 9, 0, h), h / 2 - 1) << "the line through B.1's level";
  EXPECT_GT(LineDots(4, 36 + 9, 0, mid), 0);
  EXPECT_EQ(LineDots(4, 36 + 9, mid + 1, h), 0) << "no sibling follows: the line ends";
  // B.2 (row 5, level 2, collapsed, last): empty, then a box with a plus.
  TRect b2 = Cell(5);
  Integer cx = b2.Left + 18 + 9, cy = (b2.Top + b2.Bottom) / 2;
  EXPECT_EQ(LineDots(5, 9, 0, h), 0);
  EXPECT_EQ(At(cx, cy), ColorToRGB(clWindowText));
  EXPECT_EQ(At(cx, cy - 2), ColorToRGB(clWindowText)) << "a plus";
  EXPECT_EQ(At(cx - 4, cy), ColorToRGB(clBtnShadow)) << "the box frame";
  EXPECT_EQ(LineDots(5, 18 + 9, h / 2 + 5, h), 0) << "last: nothing below the box";
  // B.1 (row 3, expanded, a sibling follows): a minus, and the line goes on below.
  TRect b1 = Cell(3);
  cx = b1.Left + 18 + 9;
  cy = (b1.Top + b1.Bottom) / 2;
  EXPECT_EQ(At(cx, cy), ColorToRGB(clWindowText));
  EXPECT_EQ(At(cx, cy - 2), ColorToRGB(clWindow)) << "a minus";
  EXPECT_GT(LineDots(3, 18 + 9, mid + 5, h), 0);
  // A (row 1, a leaf with a later sibling): glyph 6, the line through the whole slot.
  EXPECT_GT(LineDots(1, 9, mid + 1, h), 0);
}

TEST_F(GridEhMemTree, AGlyphClickTogglesTheNodeAndKeepsRecordAndView)
{
  MakeTree();
  Table->SetRecNo(3); // B.1
  Headless().ProcessMessages();
  Integer top = Grid->TopRow();
  Scrolls = 0;
  ClickSlot(3, 1);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"A", "B", "B.1", "B.2"}));
  EXPECT_EQ(Id(), 3) << "the current record stays current";
  EXPECT_EQ(Grid->Row(), 3);
  EXPECT_EQ(Grid->TopRow(), top);
  EXPECT_EQ(Grid->RowCount(), 5);
  // A click on the line left of the glyph changes nothing and moves nowhere.
  ClickSlot(4, 0);
  EXPECT_EQ(Names().size(), 4u);
  EXPECT_EQ(Id(), 3);
  // Expanding another node (B.2) keeps the current record too.
  ClickSlot(4, 1);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"A", "B", "B.1", "B.2", "B.2.a"}));
  EXPECT_EQ(Id(), 3);
  // Collapsing the node above the current record makes that node current.
  ClickSlot(2, 0);
  EXPECT_EQ(Names(), (std::vector<AnsiString>{"A", "B"}));
  EXPECT_EQ(Id(), 2);
  EXPECT_EQ(Grid->Row(), 2);
}

TEST_F(GridEhMemTree, KeypadKeysExpandAndCollapseTheCurrentNode)
{
  MakeTree();
  Table->SetRecNo(3); // B.1, expanded
  Headless().ProcessMessages();
  Headless().Key(VK_SUBTRACT);
  EXPECT_EQ(Names().size(), 4u);
  Headless().Key(VK_SUBTRACT);
  EXPECT_EQ(Names().size(), 4u) << "already collapsed";
  Headless().Key(VK_ADD);
  EXPECT_EQ(Names().size(), 5u);
  Headless().Key(VK_MULTIPLY);
  EXPECT_EQ(Names().size(), 4u);
  EXPECT_EQ(Id(), 3);
  EXPECT_FALSE(Grid->EditorMode()) << "the characters open no editor";
  // On a leaf nothing happens.
  Table->First();
  Headless().Key(VK_ADD);
  EXPECT_EQ(Names().size(), 4u);
  EXPECT_FALSE(Grid->EditorMode());
}
