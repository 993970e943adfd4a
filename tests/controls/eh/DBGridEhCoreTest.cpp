// The grid's core: options and their translation, the lock counters with the one deferred
// layout message, cell classification, the data link's notifications, freed components,
// scaling, and the bookmark list of selected records.
#include "platform/rtl/SysUtils.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

// Counts what the data link hands to the grid.
class TSpyGrid : public TDBGridEh {
public:
  using TDBGridEh::TDBGridEh;
  Integer DataChangedCalls = 0, ScrollCalls = 0, LastDistance = 0, StateCalls = 0;
  Integer Rebuilds = 0;
  void DataChanged() override
  {
    ++DataChangedCalls;
    TDBGridEh::DataChanged();
  }
  void Scroll(Integer Distance) override
  {
    ++ScrollCalls;
    LastDistance = Distance;
    TDBGridEh::Scroll(Distance);
  }
  void DataLinkStateChanged(bool Value) override
  {
    ++StateCalls;
    TDBGridEh::DataLinkStateChanged(Value);
  }
  void ApplyColumnWidths() override
  {
    ++Rebuilds;
    TDBGridEh::ApplyColumnWidths();
  }
};

Integer CountQueued(HWND Wnd, UINT Msg)
{
  Integer n = 0;
  MSG m;
  while (PeekMessage(m, Wnd, Msg, Msg, PM_REMOVE))
    ++n;
  return n;
}

} // namespace

using GridEhCore = GridEhTest;

TEST_F(GridEhCore, OptionsTranslateToTheBaseGrid)
{
  MakeGrid();
  TGridOptions base = Grid->TCustomGrid::Options();
  EXPECT_EQ(base, (TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                goColSizing, goColMoving, goEditing, goTabs}));

  // Full-row selection makes editing impossible.
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgFullRowSelect, dgAlwaysShowEditor});
  EXPECT_FALSE(Grid->Options().Contains(dgEditing));
  EXPECT_FALSE(Grid->Options().Contains(dgAlwaysShowEditor));
  base = Grid->TCustomGrid::Options();
  EXPECT_TRUE(base.Contains(goRowSelect));
  EXPECT_FALSE(base.Contains(goEditing));

  // Without row lines there are no horizontal lines; row sizing adds its option.
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgRowLines, dgFullRowSelect});
  Grid->SetRowSizingEnabled(true);
  base = Grid->TCustomGrid::Options();
  EXPECT_FALSE(base.Contains(goHorzLine));
  EXPECT_FALSE(base.Contains(goFixedHorzLine));
  EXPECT_TRUE(base.Contains(goRowSizing));

  // Without the indicator the first raw column is the first data column.
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgIndicator});
  EXPECT_EQ(Grid->IndicatorColCount(), 0);
  EXPECT_EQ(Grid->ColCount(), Grid->Columns()->Count());
}

TEST_F(GridEhCore, TurningMultiSelectOffClearsTheSelectedRows)
{
  MakeGrid();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  Grid->SelectedRows()->SetCurrentSelected(true);
  Orders->Next();
  Grid->SelectedRows()->SetCurrentSelected(true);
  EXPECT_EQ(Grid->SelectedRows()->Count(), 2);
  EXPECT_EQ(Grid->Selection()->Kind(), selRowsEh);
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgMultiSelect});
  EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);
}

TEST_F(GridEhCore, LocksBatchLayoutAndOneDeferredMessageRebuildsIt)
{
  auto* grid = new TSpyGrid(nullptr);
  Form = new TForm(nullptr);
  Form->SetBounds(0, 0, 420, 240);
  grid->SetBounds(0, 0, 400, 200);
  grid->SetParent(Form);
  Grid = grid;
  Source = new TDataSource();
  Source->SetDataSet(Orders.get());
  grid->SetDataSource(Source);
  Form->Show();
  Headless().ProcessMessages();
  ASSERT_EQ(grid->FixedCols(), 1);

  // Under a layout lock nothing is rebuilt.
  grid->BeginLayout();
  Integer before = grid->Rebuilds;
  grid->SetFrozenColCount(2);
  grid->SetRowHeight(30);
  EXPECT_EQ(grid->Rebuilds, before);
  EXPECT_EQ(grid->FixedCols(), 1);
  EXPECT_FALSE(grid->AcquireLayoutLock());

  // Deferring twice queues one message; the lock is released.
  grid->DeferLayout();
  grid->BeginLayout();
  grid->DeferLayout();
  EXPECT_EQ(grid->LayoutLock(), 0);
  EXPECT_EQ(grid->UpdateLock(), 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(m, grid->Handle(), CM_DEFERLAYOUT, CM_DEFERLAYOUT, PM_NOREMOVE));
  Headless().ProcessMessages();
  EXPECT_EQ(grid->Rebuilds - before, 2) << "one rebuild (ApplyColumnWidths runs twice in it)";
  EXPECT_EQ(grid->FixedCols(), 3);
  EXPECT_EQ(grid->DefaultRowHeight(), 30) << "RowHeight alone sets the row height";
  EXPECT_EQ(CountQueued(grid->Handle(), CM_DEFERLAYOUT), 0);

  // A deferred message meeting a held lock defers again instead of rebuilding.
  grid->DeferLayout();
  grid->BeginUpdate();
  before = grid->Rebuilds;
  Headless().ProcessMessages();
  EXPECT_EQ(grid->Rebuilds, before);
  EXPECT_EQ(CountQueued(grid->Handle(), CM_DEFERLAYOUT), 1);
  grid->EndUpdate();
  grid->EndUpdate(); // never below zero
  EXPECT_EQ(grid->UpdateLock(), 0);
}

TEST_F(GridEhCore, ARebuildThatRaisesStillReleasesTheLocks)
{
  MakeGrid();
  // A customized column naming a field the dataset lacks maps to nothing; a huge map is
  // out of reach, so the failure comes from a raising width change handler instead.
  Grid->OnColWidthsChanged = [](TObject*) { throw Exception("boom"); };
  Grid->BeginLayout();
  Grid->Columns()->Items(1)->SetWidth(90);
  EXPECT_THROW(Grid->EndLayout(), Exception);
  EXPECT_EQ(Grid->LayoutLock(), 0);
  EXPECT_EQ(Grid->UpdateLock(), 0);
  EXPECT_EQ(Grid->Columns()->UpdateCount(), 0);
}

TEST_F(GridEhCore, GetCellTypeClassifiesEveryRow)
{
  MakeGrid();
  Grid->SetSTFilterVisible(true);
  Grid->SetFooterRowCount(2);
  Headless().ProcessMessages();
  Integer rows = Grid->RowCount();
  Integer lastData = rows - 2 - 2;
  struct {
    Integer Col, Row;
    Integer HorzPart, DataCol;
    TCellAreaEh Area;
    Integer AreaRow;
  } cases[] = {
      {0, 0, 0, 0, caTitleEh, 0},
      {3, 0, 1, 2, caTitleEh, 0},
      {1, 1, 1, 0, caFilterEh, 0},
      {2, 2, 1, 1, caDataEh, 0},
      {2, lastData, 1, 1, caDataEh, lastData - 2},
      {0, lastData + 1, 0, 0, caFillerEh, 0},
      {1, rows - 2, 1, 0, caFooterEh, 0},
      {1, rows - 1, 1, 0, caFooterEh, 1},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "cell " << c.Col << "," << c.Row);
    TCellTypeEh t = Grid->GetCellType(c.Col, c.Row);
    EXPECT_EQ(t.HorzPart, c.HorzPart);
    EXPECT_EQ(t.DataCol, c.DataCol);
    EXPECT_EQ(t.Area, c.Area);
    EXPECT_EQ(t.AreaRow, c.AreaRow);
  }
  try {
    Grid->GetCellType(1, rows);
    FAIL() << "a row past the grid raises";
  } catch (const EInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), "Algorithm error in TCustomDBGridEh.GetCellType");
  }
}

TEST_F(GridEhCore, TheDataLinkForwardsEachNotificationOnce)
{
  auto* grid = new TSpyGrid(nullptr);
  Form = new TForm(nullptr);
  Form->SetBounds(0, 0, 420, 240);
  grid->SetBorderStyle(bsNone);
  grid->SetBounds(0, 0, 400, 200);
  grid->SetParent(Form);
  Grid = grid;
  Form->Show();
  Source = new TDataSource();
  Source->SetDataSet(Orders.get());
  grid->SetDataSource(Source);
  Headless().ProcessMessages();
  EXPECT_EQ(grid->StateCalls, 2) << "the source's setter and the link's activation";

  grid->DataChangedCalls = grid->ScrollCalls = 0;
  Orders->Next();
  EXPECT_EQ(grid->ScrollCalls, 1);
  EXPECT_EQ(grid->LastDistance, 0) << "a move inside the window";
  EXPECT_EQ(grid->Row(), grid->HeaderRowCount() + 1);
  Orders->Last();
  EXPECT_EQ(grid->DataChangedCalls, 1) << "a jump rebuilds the window";
  EXPECT_EQ(grid->Row(), grid->RowCount() - 1);

  // Closing the dataset tells the grid once; the columns stay until it opens again.
  grid->StateCalls = 0;
  Orders->Close();
  EXPECT_EQ(grid->StateCalls, 1);
  EXPECT_EQ(grid->RowCount(), grid->HeaderRowCount() + 1) << "one empty data row";
  Orders->Open();
  EXPECT_EQ(grid->StateCalls, 2);
  EXPECT_EQ(grid->Columns()->Count(), Orders->FieldCount());
}

TEST_F(GridEhCore, FreedComponentsAreForgotten)
{
  MakeGrid();
  // A freed field leaves its column unbound; the layout regenerates default columns.
  Integer columns = Grid->Columns()->Count();
  delete Orders->FieldByName("Notes");
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->Columns()->Count(), columns - 1);
  for (Integer i = 0; i < Grid->Columns()->Count(); ++i)
    EXPECT_NE(Grid->Columns()->Items(i)->FieldName(), "Notes");

  // The grid's source going away sets DataSource to none.
  delete Source;
  Source = nullptr;
  EXPECT_EQ(Grid->DataSource(), nullptr);
  EXPECT_EQ(Grid->RowCount(), Grid->HeaderRowCount() + 1);
}

TEST_F(GridEhCore, ChangeScaleScalesWidthsWithoutDriftAndKeepsTheTitleFontsOwnSize)
{
  MakeGrid(false);
  auto widths = [&](std::vector<Integer> w, Integer M, Integer D) {
    Grid->Columns()->Clear();
    for (Integer x : w)
      Grid->Columns()->Add()->SetWidth(x);
    Grid->ChangeScale(M, D);
    std::vector<Integer> out;
    for (Integer i = 0; i < Grid->Columns()->Count(); ++i)
      out.push_back(Grid->Columns()->Items(i)->Width());
    return out;
  };
  EXPECT_EQ(widths({33, 33, 34}, 2, 1), (std::vector<Integer>{66, 66, 68}));
  EXPECT_EQ(widths({3, 3, 3}, 1, 2), (std::vector<Integer>{2, 1, 2}));

  // The title font scales its own size, not the grid font's.
  Grid->Font()->SetSize(8);
  Grid->TitleFont()->SetSize(12);
  Grid->FooterFont()->SetSize(10);
  Grid->ChangeScale(2, 1);
  EXPECT_EQ(Grid->TitleFont()->Size(), 24);
  EXPECT_EQ(Grid->FooterFont()->Size(), 20);
  EXPECT_EQ(Grid->Font()->Size(), 16);
}

TEST_F(GridEhCore, BrightenColorRaisesEachChannelByAnEighth)
{
  EXPECT_EQ(TCustomDBGridEh::BrightenColor(RGB(240, 240, 240), 8), RGB(255, 255, 255));
  EXPECT_EQ(TCustomDBGridEh::BrightenColor(RGB(212, 208, 200), 8), RGB(238, 234, 225));
  EXPECT_EQ(TCustomDBGridEh::BrightenColor(RGB(0, 7, 8), 8), RGB(0, 7, 9));
}

// ---- Bookmark list ----

using BookmarkListEh = GridEhTest;

TEST_F(BookmarkListEh, SelectedRecordsStayInDatasetOrderWithACachedSearch)
{
  MakeGrid();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  TBookmarkListEh* rows = Grid->SelectedRows();
  Integer index = -1;
  EXPECT_FALSE(rows->SearchBookmark(Orders->Bookmark(), index));
  EXPECT_EQ(index, 0) << "an empty list answers position 0";

  for (Integer id : {5, 2, 9}) {
    ASSERT_TRUE(Orders->Locate("ID", Variant(id), {}));
    rows->SetCurrentSelected(true);
  }
  ASSERT_EQ(rows->Count(), 3);
  std::vector<Integer> ids;
  for (Integer i = 0; i < rows->Count(); ++i) {
    Orders->SetBookmark(rows->Items(i));
    ids.push_back(Orders->FieldByName("ID")->AsInteger());
  }
  EXPECT_EQ(ids, (std::vector<Integer>{2, 5, 9}));

  // The second search of one bookmark comes from the cache; a change empties it.
  Orders->Locate("ID", Variant(5), {});
  AnsiString bm = Orders->Bookmark();
  EXPECT_TRUE(rows->SearchBookmark(bm, index));
  EXPECT_EQ(index, 1);
  EXPECT_TRUE(rows->SearchBookmark(bm, index));
  EXPECT_TRUE(rows->LastSearchCached());
  rows->SetCurrentSelected(false);
  EXPECT_FALSE(rows->SearchBookmark(bm, index));
  EXPECT_FALSE(rows->LastSearchCached());
  EXPECT_EQ(rows->Count(), 2);

  // Selecting the same record twice changes nothing.
  Orders->Locate("ID", Variant(2), {});
  rows->SetCurrentSelected(true);
  EXPECT_EQ(rows->Count(), 2);
}

TEST_F(BookmarkListEh, RowsReplaceARectangleAndTheRectOfSelectedRowsIsInView)
{
  MakeGrid();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  Orders->First();
  Grid->Selection()->Rect()->SelectCell(0, Orders->Bookmark(), false);
  Orders->Next();
  Grid->Selection()->Rect()->SelectCell(2, Orders->Bookmark(), true);
  ASSERT_EQ(Grid->Selection()->Kind(), selRectEh);

  EXPECT_EQ(Grid->SelectedRows()->SelectedRowsRect(), MakeGridRect(-1, -1, -1, -1));
  Orders->Locate("ID", Variant(3), {});
  Grid->SelectedRows()->SetCurrentSelected(true);
  EXPECT_EQ(Grid->Selection()->Kind(), selRowsEh);
  EXPECT_EQ(Grid->Selection()->Rect()->AnchorCell().ColIndex, -1);
  Orders->Locate("ID", Variant(5), {});
  Grid->SelectedRows()->SetCurrentSelected(true);
  Integer h = Grid->HeaderRowCount();
  EXPECT_EQ(Grid->SelectedRows()->SelectedRowsRect(),
            MakeGridRect(0, h + 2, Grid->ColCount() - 1, h + 4));
}

TEST_F(BookmarkListEh, AClosedDatasetRaisesAndDeleteSelectedRemovesTheRecords)
{
  MakeGrid();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  for (Integer id : {2, 4, 6}) {
    Orders->Locate("ID", Variant(id), {});
    Grid->SelectedRows()->SetCurrentSelected(true);
  }
  Grid->SelectedRows()->DeleteSelected();
  EXPECT_EQ(Orders->RecordCount(), 7);
  EXPECT_FALSE(Orders->Locate("ID", Variant(4), {}));
  EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);

  Orders->Close();
  try {
    Grid->SelectedRows()->CurrentSelected();
    FAIL() << "a closed dataset raises";
  } catch (const EInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot perform this operation on a closed dataset");
  }
}

TEST_F(BookmarkListEh, TheFieldMapGrowsByDoublingAndMissesMapToNothing)
{
  MakeGrid();
  TGridDataLinkEh* link = Grid->DataLink();
  link->ClearFieldMap();
  link->SetMapFromColumns(true);
  for (Integer i = 0; i < 9; ++i)
    link->MapField(i == 3 ? "NoSuchField" : "Name");
  EXPECT_EQ(link->MappedCount(), 9);
  EXPECT_EQ(link->FieldMapCapacity(), 16);
  EXPECT_EQ(link->MappedField(3), nullptr);
  EXPECT_EQ(link->MappedField(4), Orders->FieldByName("Name"));
  EXPECT_EQ(link->MappedField(9), nullptr);
  EXPECT_FALSE(link->FollowsDatasetFields());
  // Without the columns' map a missing field raises the dataset's own error.
  link->SetMapFromColumns(false);
  EXPECT_THROW(link->MapField("NoSuchField"), EDatabaseError);
}
