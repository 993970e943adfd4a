// The lookup grid over the orders and their countries: lookup mode from a lookup field,
// master and list binding with their errors, the key logic with the special row, choosing
// rows with keys, typing and the mouse, scrolling that leaves the choice alone, and sizing to
// whole rows.
#include "controls/eh/DBLookupGridsEh.h"

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"
#include "tests/controls/eh/GridEhTestKit.h"
#include "tests/controls/eh/MemTableEhTestKit.h"

using namespace ehtest;

namespace {

// Fruits to search in: ID, Name.
std::unique_ptr<TMemDataSet> MakeFruits()
{
  auto ds = std::make_unique<TMemDataSet>();
  ds->SetName("Fruits");
  ds->FieldDefs()->Add("ID", ftInteger);
  ds->FieldDefs()->Add("Name", ftString, 40);
  ds->CreateDataSet();
  const char* names[] = {"Apple", "Apricot", "Banana", "Berry", "Cherry", "Date", "Elder", "Fig"};
  for (Integer i = 0; i < 8; ++i)
    ds->AppendRecord({Variant(i + 1), Variant(names[i])});
  ds->First();
  return ds;
}

class LookupGridEh : public GridEhTest {
protected:
  TDBLookupGridEh* Lookup = nullptr;
  TDataSource* ListSrc = nullptr;
  std::unique_ptr<TMemDataSet> Fruits;

  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    delete ListSrc;
    ListSrc = nullptr;
    Fruits.reset();
    GridEhTest::TearDown();
  }
  // A form with a lookup grid of 200 x 120 at (10, 10); the orders as master.
  TDBLookupGridEh* MakeLookup()
  {
    Form = new TForm(nullptr);
    Form->SetBounds(20, 20, 420, 300);
    Lookup = new TDBLookupGridEh(Form);
    Lookup->SetName("LookupGrid");
    Lookup->SetBounds(10, 10, 200, 120);
    Lookup->SetParent(Form);
    Source = new TDataSource();
    Source->SetDataSet(Orders.get());
    ListSrc = new TDataSource();
    Form->Show();
    Headless().ProcessMessages();
    return Lookup;
  }
  // Master CountryID, list the countries by ID showing Name.
  void BindPlain()
  {
    ListSrc->SetDataSet(Countries.get());
    Lookup->SetDataSource(Source);
    Lookup->SetDataField("CountryID");
    Lookup->SetListSource(ListSrc);
    Lookup->SetKeyField("ID");
    Lookup->SetListField("Name");
    Headless().ProcessMessages();
  }
  // The fruits as a free list (no master).
  void BindFruits()
  {
    Fruits = MakeFruits();
    ListSrc->SetDataSet(Fruits.get());
    Lookup->SetListSource(ListSrc);
    Lookup->SetKeyField("ID");
    Lookup->SetListField("Name");
    Headless().ProcessMessages();
  }
  void Focus()
  {
    Lookup->SetFocus();
    Headless().ProcessMessages();
  }
  void Key(Word Vk)
  {
    Headless().Key(Vk);
    Headless().ProcessMessages();
  }
  TPoint RowCentre(Integer RawRow)
  {
    TRect r = Lookup->CellRect(0, RawRow);
    return Lookup->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  Integer OrderCountry() { return Orders->FieldByName("CountryID")->AsInteger(); }
  Variant Key1() const { return Lookup->KeyValue(); }
};

std::string ErrorOf(const std::function<void()>& F)
{
  try {
    F();
  } catch (Exception& E) {
    return E.Message();
  }
  return "(no error)";
}

} // namespace

TEST_F(LookupGridEh, ASingleLookupFieldBringsListKeyAndDisplayFields)
{
  MakeLookup();
  Lookup->SetDataSource(Source);
  Lookup->SetDataField("Country");
  Headless().ProcessMessages();
  ASSERT_TRUE(Lookup->LookupMode());
  EXPECT_TRUE(Lookup->ListActive());
  EXPECT_EQ(Lookup->ListSource()->DataSet(), Countries.get());
  EXPECT_EQ(Lookup->KeyField(), "") << "the key fields are the lookup field's";
  EXPECT_EQ(Lookup->MasterKeyFieldNames(), "CountryID");
  EXPECT_EQ(Lookup->ListFieldObject(), Countries->FieldByName("Name"));
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "1");
  EXPECT_EQ(Lookup->Text(), "North");
  // The master moving moves the choice, and the list stands on the chosen record.
  Orders->Next();
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "2");
  EXPECT_EQ(Lookup->Text(), "South");
  EXPECT_EQ(Countries->RecNo(), 2);
  // Key field and list source belong to the lookup field.
  EXPECT_EQ(ErrorOf([&] { Lookup->SetKeyField("ID"); }),
            "LookupGrid: Property already defined by lookup field");
  EXPECT_EQ(ErrorOf([&] { Lookup->SetListSource(ListSrc); }),
            "LookupGrid: Property already defined by lookup field");
  // Leaving lookup mode gives the list source back.
  Lookup->SetDataField("CountryID");
  EXPECT_FALSE(Lookup->LookupMode());
  EXPECT_EQ(Lookup->ListSource(), nullptr);
  EXPECT_FALSE(Lookup->ListActive());
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "2");
}

TEST_F(LookupGridEh, BindingErrorsNameTheFieldAndTheGrid)
{
  MakeLookup();
  ListSrc->SetDataSet(Countries.get());
  Lookup->SetDataSource(Source);
  EXPECT_EQ(ErrorOf([&] { Lookup->SetDataField("Nope"); }), "LookupGrid: Field 'Nope' not found");
  Lookup->SetDataField("CountryID");
  Lookup->SetListSource(ListSrc);
  EXPECT_EQ(ErrorOf([&] { Lookup->SetKeyField("Key"); }), "LookupGrid: Field 'Key' not found");
  Lookup->SetKeyField("ID");
  EXPECT_EQ(ErrorOf([&] { Lookup->SetListField("Name;Bogus"); }),
            "LookupGrid: Field 'Name;Bogus' not found");
  EXPECT_FALSE(Lookup->ListActive());
  Lookup->SetListField("Name");
  EXPECT_TRUE(Lookup->ListActive());
  // A list dataset that depends on the master source would feed itself.
  auto detail = MakeCountries();
  detail->SetMasterSource(Source);
  TDataSource detailSrc;
  detailSrc.SetDataSet(detail.get());
  EXPECT_EQ(ErrorOf([&] { Lookup->SetListSource(&detailSrc); }),
            "LookupGrid: Circular datalinks are not allowed");
  Lookup->SetListSource(ListSrc);
  detail->SetMasterSource(nullptr);
}

TEST_F(LookupGridEh, KeysNotInTheListAndTheSpecialRow)
{
  MakeLookup();
  BindPlain();
  TSpecRowEh* spec = Lookup->SpecRow();
  spec->SetCellsText("(none)");
  spec->SetVisible(true);
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->TitleRowCount(), 0) << "no titles unless asked for";
  EXPECT_EQ(Lookup->SpecRowGridRow(), 0) << "the special row sits right above the data";
  // Record 8 holds country 99, which the list lacks: the special row stands for it.
  Orders->SetRecNo(8);
  EXPECT_TRUE(spec->IsCurrent());
  EXPECT_EQ(Lookup->Text(), "(none)");
  // Without ShowIfNotInKeyList nothing is chosen and the list goes to its first record.
  spec->SetShowIfNotInKeyList(false);
  Orders->First();
  Orders->SetRecNo(8);
  EXPECT_FALSE(spec->IsCurrent());
  EXPECT_EQ(Countries->RecNo(), 1);
  EXPECT_EQ(Lookup->Text(), "") << "a key not in the list shows no other record's text";
  EXPECT_FALSE(Lookup->KeyRowIsCurrent());
  // A null key equals the special row's value.
  Orders->SetRecNo(4);
  EXPECT_TRUE(VarIsNull(Lookup->KeyValue()));
  EXPECT_TRUE(spec->IsCurrent());
  // A hidden special row is never the choice.
  spec->SetVisible(false);
  Orders->SetRecNo(4);
  Lookup->SetKeyValue(Variant(3));
  Lookup->SetKeyValue(Null());
  EXPECT_FALSE(spec->IsCurrent());
  EXPECT_EQ(Lookup->Text(), "");
}

TEST_F(LookupGridEh, SeveralKeyFieldsLocateOnlyByAnArrayOfAsManyValues)
{
  MakeLookup();
  auto pairs = std::make_unique<TMemDataSet>();
  pairs->FieldDefs()->Add("K1", ftInteger);
  pairs->FieldDefs()->Add("K2", ftString, 5);
  pairs->FieldDefs()->Add("Name", ftString, 10);
  pairs->CreateDataSet();
  pairs->AppendRecord({Variant(1), Variant("a"), Variant("One-a")});
  pairs->AppendRecord({Variant(1), Variant("b"), Variant("One-b")});
  pairs->AppendRecord({Variant(2), Variant("a"), Variant("Two-a")});
  pairs->First();
  ListSrc->SetDataSet(pairs.get());
  Lookup->SetListSource(ListSrc);
  Lookup->SetKeyField("K1;K2");
  Lookup->SetListField("Name");
  struct TCase {
    const char* Name;
    Variant Key;
    const char* Text;
    Integer RecNo;
  };
  TCase cases[] = {
      {"pair found", VarArrayOf({Variant(1), Variant("b")}), "One-b", 2},
      {"other pair", VarArrayOf({Variant(2), Variant("a")}), "Two-a", 3},
      {"plain value", Variant(1), "", 1},
      {"too few values", VarArrayOf({Variant(2)}), "", 1},
      {"too many values", VarArrayOf({Variant(2), Variant("a"), Variant(0)}), "", 1},
      {"no such pair", VarArrayOf({Variant(2), Variant("z")}), "", 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    pairs->Last();
    Lookup->SetKeyValue(c.Key);
    EXPECT_EQ(Lookup->Text(), c.Text);
    EXPECT_EQ(pairs->RecNo(), c.RecNo);
  }
  ListSrc->SetDataSet(nullptr);
}

TEST_F(LookupGridEh, ChoosingARowWritesTheMasterKeyThroughEdit)
{
  MakeLookup();
  BindPlain();
  Focus();
  Integer clicks = 0;
  Lookup->OnClick = [&](TObject*) { ++clicks; };
  ASSERT_EQ(OrderCountry(), 1);
  Key(VK_DOWN);
  EXPECT_EQ(Orders->State(), dsEdit);
  EXPECT_EQ(OrderCountry(), 2);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "2");
  EXPECT_EQ(Lookup->Text(), "South");
  EXPECT_EQ(clicks, 1);
  Orders->Post();
  // A click on the fourth row chooses West.
  Headless().Advance(1000);
  Headless().Click(RowCentre(Lookup->HeaderRowCount() + 3));
  Headless().ProcessMessages();
  EXPECT_EQ(OrderCountry(), 4);
  EXPECT_EQ(Lookup->Text(), "West");
  Orders->Cancel();
  // A read-only grid changes nothing.
  Lookup->SetReadOnly(true);
  EXPECT_FALSE(Lookup->CanChangeKey());
  Key(VK_UP);
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_EQ(OrderCountry(), 2);
}

TEST_F(LookupGridEh, TheKeyRowIsHighlightedAndTheSpecialRowDrawnWhenChosen)
{
  MakeLookup();
  BindPlain();
  Lookup->SpecRow()->SetCellsText("(none)");
  Lookup->SpecRow()->SetVisible(true);
  Orders->SetRecNo(3); // East
  Headless().ProcessMessages();
  auto pixel = [&](Integer RawRow) {
    TRect r = Lookup->CellRect(0, RawRow);
    return Headless().ScreenPixel(Lookup->ClientToScreen({r.Right - 3, r.Top + 2}));
  };
  Integer data = Lookup->HeaderRowCount();
  EXPECT_EQ(pixel(data + 2), ColorToRGB(clHighlight)) << "the key's row";
  EXPECT_EQ(pixel(data), ColorToRGB(clWindow));
  EXPECT_EQ(pixel(data - 1), ColorToRGB(clWindow)) << "the special row, not chosen";
  EXPECT_TRUE(Lookup->KeyRowIsCurrent());
  EXPECT_EQ(Lookup->Row(), data + 2);
  Orders->SetRecNo(4); // no country: the special row
  Headless().ProcessMessages();
  EXPECT_EQ(pixel(data - 1), ColorToRGB(clHighlight));
  EXPECT_EQ(pixel(data + 2), ColorToRGB(clWindow));
  // The special row's colour, and a column's own colour for its cell.
  Orders->SetRecNo(1);
  Lookup->SpecRow()->SetColor(clYellow);
  Headless().ProcessMessages();
  EXPECT_EQ(pixel(data - 1), ColorToRGB(clYellow));
  auto* column = static_cast<TDBLookupGridColumnEh*>(Lookup->Columns()->Items(0));
  column->SpecCell()->SetColor(clAqua);
  Headless().ProcessMessages();
  EXPECT_EQ(pixel(data - 1), ColorToRGB(clAqua));
  EXPECT_TRUE(column->SpecCell()->ColorAssigned());
}

TEST_F(LookupGridEh, ArrowsWalkTheListAndReachTheSpecialRow)
{
  MakeLookup();
  BindPlain();
  Lookup->SpecRow()->SetVisible(true);
  Focus();
  Key(VK_DOWN);
  EXPECT_EQ(OrderCountry(), 2);
  Key(VK_UP);
  EXPECT_EQ(OrderCountry(), 1);
  EXPECT_FALSE(Lookup->SpecRow()->IsCurrent());
  // Up at the list's start chooses the special row (its value Null clears the key).
  Key(VK_UP);
  EXPECT_TRUE(Lookup->SpecRow()->IsCurrent());
  EXPECT_TRUE(Orders->FieldByName("CountryID")->IsNull());
  Key(VK_UP);
  EXPECT_TRUE(Lookup->SpecRow()->IsCurrent());
  // Down from the special row chooses the first record.
  Key(VK_DOWN);
  EXPECT_FALSE(Lookup->SpecRow()->IsCurrent());
  EXPECT_EQ(OrderCountry(), 1);
  Key(VK_END);
  EXPECT_EQ(OrderCountry(), 4);
  Key(VK_HOME);
  EXPECT_EQ(OrderCountry(), 1);
  // Left and right move only while the horizontal bar is hidden.
  Key(VK_RIGHT);
  EXPECT_EQ(OrderCountry(), 1);
  Lookup->SetAutoFitColWidths(true);
  Key(VK_RIGHT);
  EXPECT_EQ(OrderCountry(), 2);
}

TEST_F(LookupGridEh, PageKeysMoveByTheVisibleRowsLessOne)
{
  MakeLookup();
  BindFruits();
  Lookup->SetListRowCount(3);
  Headless().ProcessMessages();
  ASSERT_EQ(Lookup->VisibleDataRowCount(), 3);
  Focus();
  // Without a key the first key press only chooses the record the list stands on.
  Key(VK_NEXT);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "1");
  Key(VK_NEXT);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "3");
  Key(VK_NEXT);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "5");
  Key(VK_PRIOR);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "3");
  // A key scrolled out of the window is found again before moving.
  Key(VK_END);
  Lookup->SetKeyValue(Variant(2));
  Fruits->Last();
  Key(VK_DOWN);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "2") << "the key was not buffered: only located";
  Key(VK_DOWN);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "3");
}

TEST_F(LookupGridEh, TypingSearchesWithinTwoSecondsAndAtMostThirtyTwoCharacters)
{
  MakeLookup();
  BindFruits();
  Focus();
  Headless().Advance(5000);
  Headless().Type("ap");
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->Text(), "Apple");
  Headless().Type("r");
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->Text(), "Apricot") << "both letters and the third";
  EXPECT_EQ(Lookup->SearchText(), "apr");
  Headless().Advance(2100);
  Headless().Type("b");
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->SearchText(), "b") << "a pause starts a new search";
  EXPECT_EQ(Lookup->Text(), "Banana");
  Headless().Type("e");
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->Text(), "Berry");
  // Text that matches nothing is kept but chooses nothing.
  Headless().Type("z");
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->SearchText(), "bez");
  EXPECT_EQ(Lookup->Text(), "Berry");
  Key(VK_BACK);
  EXPECT_EQ(Lookup->SearchText(), "");
  Headless().Type(AnsiString(32, 'x'));
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->SearchText().size(), 32u);
  Headless().Type("y");
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->SearchText(), AnsiString(32, 'x')) << "a 33rd character is ignored";
}

TEST_F(LookupGridEh, ScrollBarAndWheelNeverChangeTheKeyClicksDo)
{
  MakeLookup();
  BindFruits();
  Lookup->SetListRowCount(3);
  Lookup->SetKeyValue(Variant(1));
  Headless().ProcessMessages();
  SCROLLINFO si = Lookup->VertScrollInfo();
  EXPECT_EQ(si.nMax, 7);
  EXPECT_EQ(static_cast<Integer>(si.nPage), 3);
  SendMessage(Lookup->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  Headless().ProcessMessages();
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "1");
  EXPECT_GT(Fruits->RecNo(), 3) << "the list moved past its window";
  SendMessage(Lookup->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  Headless().ProcessMessages();
  EXPECT_EQ(Fruits->RecNo(), 8);
  EXPECT_EQ(Lookup->VertScrollInfo().nPos, 5);
  SendMessage(Lookup->Handle(), WM_VSCROLL, SB_LINEUP, 0);
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->VertScrollInfo().nPos, 4);
  Focus();
  Headless().Wheel(-1, RowCentre(1));
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->VertScrollInfo().nPos, 5);
  Headless().Wheel(1, RowCentre(1));
  Headless().Wheel(1, RowCentre(1));
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->VertScrollInfo().nPos, 3);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "1");
  // A click chooses the record under the pointer (the first visible row: record 4).
  Headless().Advance(1000);
  Headless().Click(RowCentre(Lookup->HeaderRowCount()));
  Headless().ProcessMessages();
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "4");
  EXPECT_EQ(Lookup->Text(), "Berry");
}

TEST_F(LookupGridEh, DraggingBelowTheListScrollsFasterFartherOut)
{
  MakeLookup();
  BindFruits();
  Lookup->SetListRowCount(3);
  Headless().ProcessMessages();
  Headless().Advance(1000);
  TPoint first = RowCentre(Lookup->HeaderRowCount());
  Headless().Press(hbLeft, first);
  Headless().ProcessMessages();
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "1");
  // 10 pixels below the client area: one step every 200 - 15 * 10 = 50 ms.
  TPoint below = Lookup->ClientToScreen({20, Lookup->ClientHeight() + 9});
  Headless().Move(below);
  Headless().ProcessMessages();
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "3") << "below the area counts as the last row";
  Headless().AdvanceAndProcess(49);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "3");
  Headless().AdvanceAndProcess(1);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "4");
  Headless().AdvanceAndProcess(100);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "6");
  Headless().Release(hbLeft, below);
  Headless().ProcessMessages();
  Headless().AdvanceAndProcess(500);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "6") << "the release stops the scrolling";
}

TEST_F(LookupGridEh, TheHeightIsWholeRowsAndListRowCountIsLimited)
{
  MakeLookup();
  BindFruits();
  Lookup->SetShowTitles(true);
  Integer rowH = Lookup->DataRowHeight();
  Integer border = Lookup->BorderHeight();
  Integer title = Lookup->RowHeights(0);
  EXPECT_EQ(Lookup->TitleRowCount(), 1);
  struct TCase {
    Integer Asked, Rows;
  } cases[] = {{0, 1}, {1, 1}, {5, 5}, {100, 100}, {150, 100}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Asked);
    Lookup->SetListRowCount(c.Asked);
    EXPECT_EQ(Lookup->ListRowCount(), c.Rows);
    EXPECT_EQ(Lookup->Height(), title + border + c.Rows * rowH);
  }
  // Bounds snap to whole rows; a visible special row takes one row's height.
  Lookup->SetHeight(title + border + 4 * rowH + rowH / 2);
  EXPECT_EQ(Lookup->ListRowCount(), 4);
  EXPECT_EQ(Lookup->Height(), title + border + 4 * rowH);
  Lookup->SpecRow()->SetVisible(true);
  EXPECT_EQ(Lookup->Height(), title + border + 5 * rowH);
  Lookup->SetShowTitles(false);
  EXPECT_EQ(Lookup->Height(), border + 5 * rowH);
  // Row lines add one line per row and one more.
  Lookup->SetLookupOptions({dlgColLinesEh, dlgRowLinesEh});
  Integer lined = Lookup->DataRowHeight();
  EXPECT_EQ(lined, Lookup->DefaultRowHeight() + Lookup->GridLineWidth());
  EXPECT_EQ(Lookup->Height(), border + 5 * lined + 1);
  EXPECT_EQ(Lookup->ListRowCount(), 4);
}

TEST_F(LookupGridEh, MovingAGeneratedColumnReordersListFieldsAndSpecialCells)
{
  MakeLookup();
  BindPlain();
  Lookup->SetListField("ID;Name");
  Lookup->SetListFieldIndex(1);
  Lookup->SpecRow()->SetCellsText("0;(none)");
  ASSERT_EQ(Lookup->Columns()->Count(), 2);
  EXPECT_EQ(Lookup->ListFieldObject()->FieldName(), "Name");
  Lookup->MoveColumn(Lookup->DataToRawColumn(1), Lookup->DataToRawColumn(0));
  Headless().ProcessMessages();
  EXPECT_EQ(Lookup->ListField(), "Name;ID");
  EXPECT_EQ(Lookup->ListFieldIndex(), 0);
  EXPECT_EQ(Lookup->ListFieldObject()->FieldName(), "Name");
  EXPECT_EQ(Lookup->SpecRow()->CellsText(), "(none);0");
  EXPECT_EQ(Lookup->Columns()->Items(0)->FieldName(), "Name");
  EXPECT_FALSE(Lookup->Columns()->IsCustomized());
  auto* column = dynamic_cast<TDBLookupGridColumnEh*>(Lookup->Columns()->Items(0));
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(column->SpecCell()->Text(), "(none)") << "unassigned: the special row's text";
  column->SpecCell()->SetText("-");
  EXPECT_TRUE(column->SpecCell()->TextAssigned());
  EXPECT_EQ(column->SpecCell()->Text(), "-");
}

TEST_F(LookupGridEh, OverAMemoryTableTheKeyRowIsCentredAndScrollingLeavesTheChoice)
{
  MakeLookup();
  auto table = std::make_unique<TTestMemTableEh>();
  table->MakeFlat(50);
  ListSrc->SetDataSet(table.get());
  Lookup->SetListSource(ListSrc);
  Lookup->SetKeyField("ID");
  Lookup->SetListField("Name");
  Lookup->SetListRowCount(5);
  Headless().ProcessMessages();
  ASSERT_TRUE(Lookup->MemTableViewActive());
  Lookup->SetKeyValue(Variant(30));
  Headless().ProcessMessages();
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 30);
  EXPECT_EQ(Lookup->Text(), "R030");
  EXPECT_TRUE(Lookup->KeyRowIsCurrent());
  EXPECT_EQ(Lookup->Row() - Lookup->TopRow(), 2) << "the key's row in the middle";
  // The wheel scrolls the view only.
  Focus();
  Integer top = Lookup->TopRow();
  Headless().Wheel(-1, RowCentre(0));
  Headless().ProcessMessages();
  EXPECT_GT(Lookup->TopRow(), top);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "30");
  // A click chooses the row under the pointer; a key press moves on from the choice.
  Integer first = Lookup->TopRow() - Lookup->HeaderRowCount() + 1; // the ID on the top row
  Headless().Advance(1000);
  Headless().Click(RowCentre(Lookup->TopRow()));
  Headless().ProcessMessages();
  Integer chosen = table->FieldByName("ID")->AsInteger();
  EXPECT_EQ(chosen, first);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), IntToStr(chosen));
  Key(VK_DOWN);
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), IntToStr(chosen + 1));
  ListSrc->SetDataSet(nullptr);
}

TEST_F(LookupGridEh, FreedSourcesAndGridsLetGoOfEachOther)
{
  MakeLookup();
  Lookup->SetDataSource(Source);
  Lookup->SetDataField("Country");
  ASSERT_TRUE(Lookup->LookupMode());
  // A master source freed under the grid is dropped; the grid keeps working.
  delete Source;
  Source = nullptr;
  EXPECT_EQ(Lookup->DataSource(), nullptr);
  EXPECT_FALSE(Lookup->LookupMode());
  EXPECT_TRUE(VarIsNull(Lookup->KeyValue()));
  // A grid in lookup mode freed while everything is bound.
  Source = new TDataSource();
  Source->SetDataSet(Orders.get());
  auto* second = new TDBLookupGridEh(Form);
  second->SetParent(Form);
  second->SetDataSource(Source);
  second->SetDataField("Country");
  second->SpecRow()->SetVisible(true);
  Headless().ProcessMessages();
  ASSERT_TRUE(second->ListActive());
  delete second;
  Orders->Next();
  EXPECT_EQ(Orders->RecNo(), 2);
  // A request to focus the master field focuses a grid bound to it.
  Lookup->SetDataSource(Source);
  Lookup->SetDataField("CountryID");
  Orders->FieldByName("CountryID")->FocusControl();
  Headless().ProcessMessages();
  EXPECT_TRUE(Lookup->Focused());
}

TEST_F(LookupGridEh, AListWithoutRecordNumbersHasAFivePositionBar)
{
  MakeLookup();
  Fruits = MakeFruits();
  Fruits->SetSequenced(false);
  ListSrc->SetDataSet(Fruits.get());
  Lookup->SetListSource(ListSrc);
  Lookup->SetKeyField("ID");
  Lookup->SetListField("Name");
  Lookup->SetListRowCount(3);
  Lookup->SetKeyValue(Variant(1));
  Headless().ProcessMessages();
  auto bar = [&] {
    SCROLLINFO si = Lookup->VertScrollInfo();
    return std::make_pair(si.nMax, si.nPos);
  };
  // Located on its first record the list is not yet at its beginning (Bof): the middle.
  EXPECT_EQ(bar(), std::make_pair(4, 2));
  struct TStep {
    const char* Name;
    Integer Code, Pos, Max, RecNoAfter;
  } steps[] = {
      // The window holds records 1-3 with the cursor on 1.
      {"line down: the record after the window", SB_LINEDOWN, 2, 4, 4},
      {"page down: the window's last record goes to its top", SB_PAGEDOWN, 2, 4, 6},
      {"bottom", SB_BOTTOM, 4, 4, 8},
      {"page up", SB_PAGEUP, 2, 4, 4},
      {"line up: the record before the window", SB_LINEUP, 2, 4, 3},
      {"top", SB_TOP, 0, 4, 1},
      {"thumb at 4: the last record", MAKEWPARAM(SB_THUMBPOSITION, 4), 4, 4, 8},
      {"thumb at 0: the first record", MAKEWPARAM(SB_THUMBPOSITION, 0), 0, 4, 1},
  };
  for (const TStep& s : steps) {
    SCOPED_TRACE(s.Name);
    SendMessage(Lookup->Handle(), WM_VSCROLL, static_cast<WPARAM>(s.Code), 0);
    Headless().ProcessMessages();
    EXPECT_EQ(bar(), std::make_pair(s.Max, s.Pos));
    EXPECT_EQ(Fruits->FieldByName("ID")->AsInteger(), s.RecNoAfter);
    EXPECT_EQ(VarToStr(Lookup->KeyValue()), "1") << "scrolling never chooses";
  }
  // Fewer records than rows: nothing to scroll.
  Lookup->SetListRowCount(10);
  Headless().ProcessMessages();
  EXPECT_EQ(bar().first, 0);
}

TEST_F(LookupGridEh, FittedColumnsShareTheWidthAndSizingOneWidensTheWindow)
{
  MakeLookup();
  BindPlain();
  Lookup->SetListField("ID;Name");
  Lookup->SetShowTitles(true);
  Lookup->SetLookupOptions({dlgColLinesEh, dlgColumnResizeEh});
  Lookup->SetAutoFitColWidths(true);
  Headless().ProcessMessages();
  ASSERT_EQ(Lookup->Columns()->Count(), 2);
  EXPECT_EQ(Lookup->ScrollBars(), ssNone) << "no horizontal bar while fitted";
  TColumnEh* id = Lookup->Columns()->Items(0);
  TColumnEh* name = Lookup->Columns()->Items(1);
  Integer lines = 2 * Lookup->GridLineWidth();
  EXPECT_EQ(id->Width() + name->Width() + lines, Lookup->ClientWidth());
  EXPECT_EQ(Lookup->TotalColumnsWidth(), id->AutoFitBaseWidth() + name->AutoFitBaseWidth() + lines);
  // The user widens the first column by its title border: the window takes the columns.
  TRect title = Lookup->CellRect(Lookup->DataToRawColumn(0), 0);
  TPoint border = Lookup->ClientToScreen({title.Right, title.Top + 3});
  Integer before = id->Width();
  Headless().Advance(1000);
  Headless().Drag(border, {border.X + 20, border.Y});
  Headless().ProcessMessages();
  EXPECT_EQ(id->Width(), before + 20);
  EXPECT_EQ(Lookup->ClientWidth(), id->Width() + name->Width() + lines);
  EXPECT_EQ(id->AutoFitBaseWidth(), id->Width());
  EXPECT_FALSE(Lookup->Columns()->IsCustomized()) << "the columns stay generated";
  // Unfitted, the bar comes back.
  Lookup->SetAutoFitColWidths(false);
  EXPECT_EQ(Lookup->ScrollBars(), ssHorizontal);
}
