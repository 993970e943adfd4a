// The layout rebuild and the rows: row counts from the client height with footer rows,
// fitted row heights, auto-fit widths, frozen columns with hidden ones, columns following
// the field list, scrolling that repaints only what moved, and the vertical scroll bar.
#include "platform/rtl/SysUtils.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

using GridEhLayout = GridEhTest;

TEST_F(GridEhLayout, RowsFollowTheClientHeightWithAFillerAboveTheFooters)
{
  MakeGrid();
  Grid->HorzScrollBar()->SetVisible(false);
  // Title row 20: one line of 13 + 2 + TitleHeight 4 + the row line.
  Grid->SetTitleLines(1);
  Grid->SetTitleHeight(4);
  Grid->SetFooterRowCount(2);
  Headless().ProcessMessages();
  ASSERT_EQ(Grid->ClientHeight(), 200);
  EXPECT_EQ(Grid->RowHeights(0), 20);
  EXPECT_EQ(Grid->DefaultRowHeight(), 17) << "13 + margin 3 + the row line";
  // U = 21 + 2 x 18 + 1 = 58; (200 - 58) div 18 = 7 records; filler 200 - 58 - 126 = 16.
  EXPECT_EQ(Grid->DataLink()->BufferCount(), 7);
  EXPECT_EQ(Grid->RowCount(), 1 + 7 + 1 + 2);
  EXPECT_EQ(Grid->RowHeights(8), 16);
  EXPECT_EQ(Grid->GetCellType(1, 8).Area, caFillerEh);
  TRect footer = Grid->CellRect(1, Grid->RowCount() - 1);
  EXPECT_EQ(footer.Bottom, 200 - 1) << "the last footer ends at the client's bottom line";

  // An empty dataset keeps one empty data row and the footers at the bottom.
  Orders->EmptyDataSet();
  EXPECT_EQ(Grid->RowCount(), 1 + 1 + 1 + 2);
  EXPECT_EQ(Grid->CellRect(1, Grid->RowCount() - 1).Bottom, 199);
}

TEST_F(GridEhLayout, FittedRowHeightsSnapToWholeLines)
{
  MakeGrid();
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgRowLines});
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxFitRowHeightToTextEh});
  struct {
    Integer RowHeight, Expected, Lines, Margin;
  } cases[] = {{30, 29, 2, 3}, {37, 42, 3, 3}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.RowHeight);
    // The fit writes RowLines and RowHeight back: both are set in one batch.
    Grid->BeginLayout();
    Grid->SetRowLines(0);
    Grid->SetRowHeight(c.RowHeight);
    Grid->EndLayout();
    EXPECT_EQ(Grid->DefaultRowHeight(), c.Expected);
    EXPECT_EQ(Grid->RowLines(), c.Lines);
    EXPECT_EQ(Grid->RowHeight(), c.Margin);
  }
  EXPECT_TRUE(Grid->MultiLineRows());
}

TEST_F(GridEhLayout, AutoFitSharesTheClientWidthByBaseWidths)
{
  MakeGrid();
  Grid->SetBounds(0, 0, 414, 200);
  Grid->VertScrollBar()->SetVisible(false);
  Grid->Columns()->Clear();
  TColumnEh* a = Grid->Columns()->Add();
  a->SetFieldName("Name");
  TColumnEh* b = Grid->Columns()->Add();
  b->SetFieldName("City");
  a->SetWidth(100);
  b->SetWidth(300);
  Grid->SetAutoFitColWidths(true);
  Headless().ProcessMessages();
  // 414 - indicator 11 - two column lines - the indicator's line = 400.
  ASSERT_EQ(Grid->ClientWidth(), 414);
  EXPECT_EQ(a->Width(), 100);
  EXPECT_EQ(b->Width(), 300);
  b->SetMaxWidth(200);
  Grid->LayoutChanged();
  EXPECT_EQ(b->Width(), 200);
  EXPECT_EQ(a->Width(), 200) << "the capped column is marked; the other takes the rest";
  EXPECT_EQ(Grid->TCustomGrid::ScrollBars(), ssNone);

  // No base width to share (all zero): the widths stay, nothing divides by zero.
  b->SetMaxWidth(0);
  a->SetAutoFitBaseWidth(0);
  b->SetAutoFitBaseWidth(0);
  Grid->LayoutChanged();
  EXPECT_GE(a->Width(), 0);
  EXPECT_GE(b->Width(), 0);

  // Switching off puts the base widths back and the horizontal bar returns.
  a->SetAutoFitBaseWidth(120);
  b->SetAutoFitBaseWidth(130);
  Grid->SetAutoFitColWidths(false);
  EXPECT_EQ(a->Width(), 120);
  EXPECT_EQ(b->Width(), 130);
  EXPECT_EQ(Grid->TCustomGrid::ScrollBars(), ssHorizontal);
}

TEST_F(GridEhLayout, HiddenColumnsInsideTheFrozenRangeDoNotReduceIt)
{
  MakeGrid();
  Grid->SetFrozenColCount(2);
  EXPECT_EQ(Grid->FixedCols(), 3);
  Col("Name")->SetVisible(false);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->FixedCols(), 4) << "ID and City stay frozen around the hidden Name";
  EXPECT_EQ(Grid->ColWidths(2), -1) << "hidden with its line";
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgColLines});
  EXPECT_EQ(Grid->ColWidths(2), 0);

  // More frozen columns than there are keeps one column scrolling.
  Grid->SetFrozenColCount(100);
  EXPECT_EQ(Grid->FixedCols(), Grid->ColCount() - 1);
}

TEST_F(GridEhLayout, ColumnsFollowTheFieldList)
{
  MakeGrid();
  Integer n = Orders->FieldCount();
  EXPECT_EQ(Grid->Columns()->Count(), n);
  EXPECT_EQ(Grid->ColCount(), n + 1);
  // A field made invisible loses its generated column; visible again, it comes back.
  Orders->FieldByName("Notes")->SetVisible(false);
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->Columns()->Count(), n - 1);
  EXPECT_EQ(Col("Notes"), nullptr);
  Orders->FieldByName("Notes")->SetVisible(true);
  Headless().ProcessMessages();
  EXPECT_NE(Col("Notes"), nullptr);

  // Persistent columns stay and find their fields again by name after a reopen.
  Grid->Columns()->Clear();
  TColumnEh* c = Grid->Columns()->Add();
  c->SetFieldName("city");
  EXPECT_EQ(c->FieldName(), "City") << "the field's own spelling once bound";
  Orders->Close();
  Orders->Open();
  EXPECT_EQ(Grid->Columns()->Count(), 1);
  EXPECT_EQ(c->Field(), Orders->FieldByName("City"));

  // No fields and no columns: one empty column.
  Grid->SetDataSource(nullptr);
  Grid->Columns()->Clear();
  Grid->LayoutChanged();
  EXPECT_EQ(Grid->Columns()->Count(), 1);
  EXPECT_EQ(Grid->ColCount(), 2);
}

TEST_F(GridEhLayout, ScrollingRepaintsOnlyWhatMoved)
{
  MakeGrid();
  Headless().ProcessMessages();
  Integer visible = Grid->VisibleDataRowCount();
  ASSERT_LT(visible, 10);
  Orders->First();
  Orders->MoveBy(visible - 1); // the last visible row
  Headless().ProcessMessages();
  Headless().ForgetInvalidations();
  HWND h = Grid->Handle();
  Orders->Next(); // one record past the window: the rows move up by one
  TRect top = Grid->CellRect(2, Grid->HeaderRowCount());
  TRect last = Grid->CellRect(2, Grid->RowCount() - 1);
  EXPECT_TRUE(Headless().WasInvalidated(h, last)) << "the uncovered row";
  EXPECT_FALSE(Headless().WasInvalidated(h, top)) << "moved pixels are not repainted";
  EXPECT_EQ(Grid->Row(), Grid->RowCount() - 1);

  // More than a page at once repaints everything.
  Headless().ProcessMessages();
  Headless().ForgetInvalidations();
  Orders->First();
  Headless().ProcessMessages();
  Headless().ForgetInvalidations();
  Orders->MoveBy(visible + 1);
  EXPECT_TRUE(Headless().WasInvalidated(h, Grid->CellRect(2, Grid->HeaderRowCount())));
}

TEST_F(GridEhLayout, TheVerticalBarNumbersRecordsOrShowsThreePositions)
{
  MakeGrid();
  Integer page = Grid->VisibleDataRowCount();
  SCROLLINFO si = Grid->VertScrollInfo();
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(static_cast<Integer>(si.nPage), page);
  EXPECT_EQ(si.nMax, 10 + page - 1);
  EXPECT_EQ(si.nPos, 1);
  Orders->Locate("ID", Variant(4), {});
  EXPECT_EQ(Grid->VertScrollInfo().nPos, 4);

  // A dataset without record numbers: first, middle and end.
  Grid->SetDataSource(nullptr);
  auto unsequenced = MakeOrders(Countries.get(), false);
  Source->SetDataSet(unsequenced.get());
  Grid->SetDataSource(Source);
  struct {
    const char* Where;
    Integer Pos;
  } cases[] = {{"first", 0}, {"middle", 2}, {"last", 4}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.Where);
    if (AnsiString(c.Where) == "first")
      unsequenced->First();
    else if (AnsiString(c.Where) == "middle")
      unsequenced->MoveBy(3);
    else {
      unsequenced->Last();
      unsequenced->Next();
    }
    si = Grid->VertScrollInfo();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 4);
    EXPECT_EQ(si.nPos, c.Pos);
  }
  Grid->SetDataSource(nullptr);
  Source->SetDataSet(nullptr);
}

TEST_F(GridEhLayout, ScrollMessagesMoveTheDataset)
{
  MakeGrid();
  Grid->SetFocus();
  Headless().ProcessMessages();
  auto send = [&](Integer code, Integer pos = 0) {
    SendMessage(Grid->Handle(), WM_VSCROLL, MAKEWPARAM(code, pos), 0);
  };
  auto id = [&] { return Orders->FieldByName("ID")->AsInteger(); };
  Integer rows = Grid->DataLink()->RecordCount();
  Integer page = Grid->VisibleDataRowCount();
  // Line down from the first record goes one past the last record shown.
  send(SB_LINEDOWN);
  EXPECT_EQ(id(), rows + 1);
  send(SB_LINEUP);
  EXPECT_EQ(id(), 1) << "the record just above the first shown (record 2)";
  send(SB_TOP);
  send(SB_PAGEDOWN);
  EXPECT_EQ(id(), 1 + page);
  send(SB_BOTTOM);
  EXPECT_EQ(id(), 10);
  send(SB_THUMBPOSITION, 4);
  EXPECT_EQ(id(), 4) << "numbered records: the thumb's record";
  send(SB_THUMBPOSITION, 1);
  EXPECT_EQ(id(), 1);

  // Tracking moves while dragging; the position message after the release does nothing.
  Grid->VertScrollBar()->SetTracking(true);
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = 7;
  SetScrollInfo(Grid->Handle(), SB_VERT, si, false);
  send(SB_THUMBTRACK, 7);
  EXPECT_EQ(id(), 7);
  send(SB_THUMBPOSITION, 2);
  EXPECT_EQ(id(), 7);

  // Records without numbers: five positions; tracking cannot follow them.
  Grid->SetDataSource(nullptr);
  auto unsequenced = MakeOrders(Countries.get(), false);
  Source->SetDataSet(unsequenced.get());
  Grid->SetDataSource(Source);
  auto uid = [&] { return unsequenced->FieldByName("ID")->AsInteger(); };
  send(SB_THUMBPOSITION, 3);
  EXPECT_EQ(uid(), 1 + page);
  send(SB_THUMBPOSITION, 2);
  EXPECT_EQ(uid(), 1 + page) << "the middle position moves nothing";
  send(SB_THUMBTRACK, 4);
  EXPECT_EQ(uid(), 1 + page) << "no track over positions that are no record numbers";
  send(SB_THUMBPOSITION, 4);
  EXPECT_EQ(uid(), 10) << "the position after such a track still counts";
  send(SB_THUMBPOSITION, 0);
  EXPECT_EQ(uid(), 1);
  Grid->SetDataSource(nullptr);
  Source->SetDataSet(nullptr);
}

TEST_F(GridEhLayout, SizingUnderAutoFitNeverDividesByZero)
{
  MakeGrid();
  Grid->Columns()->Clear();
  TColumnEh* a = Grid->Columns()->Add();
  a->SetFieldName("Name");
  TColumnEh* b = Grid->Columns()->Add();
  b->SetFieldName("City");
  TColumnEh* c = Grid->Columns()->Add();
  c->SetFieldName("Qty");
  Grid->SetAutoFitColWidths(true);
  // A column whose width was 0 is sized: no base to rescale, the next base stays.
  for (bool spread : {false, true}) {
    SCOPED_TRACE(spread);
    Grid->SetExtOptions(spread ? Grid->ExtOptions() + TDBGridEhExtOptions{dgxSpreadResizeEh}
                               : Grid->ExtOptions() - TDBGridEhExtOptions{dgxSpreadResizeEh});
    a->SetAutoFitBaseWidth(0);
    b->SetAutoFitBaseWidth(0);
    c->SetAutoFitBaseWidth(0);
    Grid->LayoutChanged();
    Integer raw = Grid->DataToRawColumn(2);
    Grid->TCustomGrid::SetColWidths(raw, Grid->ColWidths(raw) + 25);
    EXPECT_GE(a->AutoFitBaseWidth(), 0);
    EXPECT_GE(b->AutoFitBaseWidth(), 0);
    EXPECT_GE(c->Width(), 0);
    for (Integer i = 0; i < 3; ++i)
      EXPECT_GE(Grid->ColWidths(Grid->DataToRawColumn(i)), 0);
  }
}
