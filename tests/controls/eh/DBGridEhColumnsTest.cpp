// The column model: values a column follows until it holds its own, default widths, list
// texts, check states, width limits, copying columns, footers and title defaults, writing
// values (StepValue, check boxes), sort markers and the write-through of generated columns.
#include "platform/rtl/SysUtils.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

using GridEhColumns = GridEhTest;

namespace {

// A persistent column on the field Name.
TColumnEh* AddColumn(TDBGridEh* Grid, const AnsiString& FieldName)
{
  TColumnEh* c = Grid->Columns()->Add();
  c->SetFieldName(FieldName);
  return c;
}

} // namespace

TEST_F(GridEhColumns, ValuesFollowTheirDefaultsUntilSetOnce)
{
  MakeGrid();
  TColumnEh* c = AddColumn(Grid, "Qty");
  ASSERT_TRUE(Grid->Columns()->IsCustomized());

  // Font and colour follow the grid until the column holds its own.
  EXPECT_EQ(c->Color(), Grid->Color());
  Grid->Font()->SetName("Courier New");
  EXPECT_EQ(c->Font()->Name(), "Courier New");
  EXPECT_FALSE(c->OwnValues().Contains(cvFont)) << "mirroring the grid font sets no flag";
  c->Font()->SetName("Tahoma");
  EXPECT_TRUE(c->OwnValues().Contains(cvFont));
  Grid->Font()->SetName("Arial");
  EXPECT_EQ(c->Font()->Name(), "Tahoma");
  Grid->SetColor(clYellow);
  EXPECT_EQ(c->Color(), clYellow);
  c->SetColor(clAqua);
  Grid->SetColor(clWhite);
  EXPECT_EQ(c->Color(), clAqua);

  // Alignment follows the field; the title follows the grid's column defaults.
  TField* qty = Orders->FieldByName("Qty");
  EXPECT_EQ(c->Alignment(), qty->Alignment());
  qty->SetAlignment(taCenter);
  EXPECT_EQ(c->Alignment(), taCenter);
  EXPECT_EQ(c->Title()->Alignment(), taLeftJustify);
  Grid->SetUseMultiTitle(true);
  EXPECT_EQ(c->Title()->Alignment(), taCenter) << "multi-level titles centre by default";
  Grid->SetUseMultiTitle(false);
  EXPECT_EQ(c->Title()->Alignment(), taLeftJustify);
  EXPECT_EQ(c->Title()->Caption(), "Qty");
  qty->SetDisplayLabel("数量");
  EXPECT_EQ(c->Title()->Caption(), "数量");
  Grid->ColumnDefValues()->SetEndEllipsis(true);
  EXPECT_TRUE(c->EndEllipsis());
  c->SetEndEllipsis(false);
  EXPECT_FALSE(c->EndEllipsis());

  // A reset makes everything follow again.
  c->ResetOwnValues();
  EXPECT_EQ(c->Color(), Grid->Color());
  EXPECT_EQ(c->Font()->Name(), "Arial");
  EXPECT_TRUE(c->EndEllipsis());
}

TEST_F(GridEhColumns, DefaultWidthsAndWidthLimits)
{
  MakeGrid();
  TColumnEh* c = AddColumn(Grid, "City");
  Orders->FieldByName("City")->SetDisplayWidth(10);
  // "0" is 7 pixels wide in the test font and has no overhang: 7 * 10 + 4.
  EXPECT_EQ(c->Width(), 74);
  TColumnEh loose(nullptr);
  EXPECT_EQ(loose.Width(), 64) << "a column outside any grid";
  TColumnEh* unbound = AddColumn(Grid, "NoSuchField");
  EXPECT_EQ(unbound->Width(), Grid->DefaultColWidth());
  EXPECT_EQ(unbound->Field(), nullptr) << "an unknown name leaves the column unbound";

  c->SetWidth(60);
  c->SetMaxWidth(50);
  EXPECT_EQ(c->Width(), 50);
  c->SetMinWidth(80);
  EXPECT_EQ(c->Width(), 80) << "the minimum wins over a smaller maximum";
  EXPECT_EQ(c->ClampWidth(30), 80);
  EXPECT_EQ(Grid->ColWidths(Grid->DataToRawColumn(c->Index())), 80);
}

TEST_F(GridEhColumns, KeyListsPickListsAndCheckStates)
{
  MakeGrid();
  TColumnEh* qty = AddColumn(Grid, "CountryID");
  qty->KeyList()->Add("1");
  qty->KeyList()->Add("2");
  qty->PickList()->Add("One");
  qty->PickList()->Add("Two");
  EXPECT_EQ(qty->Kind(), ckKeyList);
  struct {
    Integer Id;
    Integer NotInList;
    const char* Text;
  } texts[] = {{2, -1, "Two"}, {1, -1, "One"}, {3, -1, ""}, {3, 0, "One"}, {4, 5, ""}};
  for (auto& t : texts) {
    SCOPED_TRACE(t.Id);
    Orders->Locate("ID", Variant(t.Id), {});
    qty->SetNotInKeyListIndex(t.NotInList);
    EXPECT_EQ(qty->CellText(), t.Text);
  }

  TColumnEh* flag = AddColumn(Grid, "Flag");
  flag->SetCheckboxes(true);
  flag->KeyList()->Add("Y;y");
  flag->KeyList()->Add("N");
  EXPECT_EQ(flag->Kind(), ckCheckboxes);
  struct {
    Integer Id;
    TCheckBoxState State;
  } states[] = {{1, cbChecked}, {2, cbChecked}, {3, cbUnchecked}, {4, cbGrayed}, {5, cbGrayed}};
  for (auto& s : states) {
    SCOPED_TRACE(s.Id);
    Orders->Locate("ID", Variant(s.Id), {});
    EXPECT_EQ(flag->ValueCheckState(), s.State);
  }
  // Toggling a grayed cell stores the first key of "checked".
  Orders->Locate("ID", Variant(4), {});
  flag->StepValue(1);
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "Y");
  flag->StepValue(1);
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "N");
  Orders->Cancel();

  // Boolean fields are check boxes by default.
  TColumnEh* paid = AddColumn(Grid, "Paid");
  EXPECT_TRUE(paid->Checkboxes());
  Orders->Locate("ID", Variant(3), {});
  EXPECT_EQ(paid->ValueCheckState(), cbGrayed);
}

TEST_F(GridEhColumns, StepValueWalksListsAndNumbers)
{
  MakeGrid();
  TColumnEh* city = AddColumn(Grid, "City");
  for (const char* s : {"Harbin", "Dalian", "Xian"})
    city->PickList()->Add(s);
  TColumnEh* key = AddColumn(Grid, "Flag");
  key->KeyList()->Add("Y");
  key->KeyList()->Add("N");
  key->PickList()->Add("Yes");
  key->PickList()->Add("No");
  TColumnEh* qty = AddColumn(Grid, "Qty");
  TColumnEh* country = AddColumn(Grid, "Country");

  struct {
    const char* Name;
    Integer Id;
    TColumnEh* Column;
    Integer Step;
    const char* Field;
    const char* Expected;
  } cases[] = {
      {"pick list next", 2, city, 1, "City", "Xian"},
      {"pick list wraps to the first", 3, city, 1, "City", "Harbin"},
      {"pick list back from the first wraps", 1, city, -1, "City", "Xian"},
      {"pick list from a text not listed", 5, city, 1, "City", "Harbin"},
      {"key list next", 1, key, 1, "Flag", "N"},
      {"key list wraps", 3, key, 1, "Flag", "Y"},
      {"key list from an unlisted key backwards", 4, key, -1, "Flag", "N"},
      {"a null number steps to 0", 2, qty, 1, "Qty", "0"},
      {"a number steps by one", 1, qty, -1, "Qty", "4"},
      {"lookup next", 1, country, 1, "CountryID", "2"},
      {"lookup wraps to the first", 7, country, 1, "CountryID", "1"},
      {"lookup back wraps to the last", 1, country, -1, "CountryID", "4"},
      {"lookup with a null key goes to the first", 4, country, 1, "CountryID", "1"},
      {"lookup with an unknown key goes to the first", 8, country, -1, "CountryID", "1"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_TRUE(Orders->Locate("ID", Variant(c.Id), {}));
    c.Column->StepValue(c.Step);
    EXPECT_EQ(Orders->State(), dsEdit);
    EXPECT_EQ(Orders->FieldByName(c.Field)->AsString(), c.Expected);
    Orders->Cancel();
  }

  // A read-only grid steps nothing.
  Grid->SetReadOnly(true);
  Orders->Locate("ID", Variant(1), {});
  qty->StepValue(1);
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_EQ(Orders->FieldByName("Qty")->AsInteger(), 5);
}

TEST_F(GridEhColumns, AssignCopiesOwnValuesButNotDrawingOnlySettings)
{
  MakeGrid();
  TColumnEh* a = AddColumn(Grid, "City");
  a->SetColor(clRed);
  a->Title()->SetCaption("城市");
  a->SetHideDuplicates(true);
  a->SetHighlightRequired(true);
  a->SetLayout(tlBottom);
  a->Footer()->SetColor(clYellow);
  a->Footer()->SetAlignment(taRightJustify);
  a->OnUpdateData = [](TObject*, AnsiString&, Variant&, bool&, bool& h) { h = true; };
  TColumnEh* b = AddColumn(Grid, "Name");
  b->Footer()->Font()->SetName("Tahoma"); // b's own footer font goes: a holds none
  b->Assign(a);
  EXPECT_EQ(b->FieldName(), "City");
  EXPECT_EQ(b->Color(), clRed);
  EXPECT_EQ(b->Title()->Caption(), "城市");
  EXPECT_FALSE(b->HideDuplicates());
  EXPECT_FALSE(b->OwnValues().Contains(cvHighlightRequired));
  EXPECT_EQ(b->Layout(), tlTop);
  EXPECT_TRUE(b->OnUpdateData == a->OnUpdateData) << "events are copied";
  // The footer gets exactly the source's own looks.
  EXPECT_EQ(b->Footer()->Color(), clYellow);
  EXPECT_EQ(b->Footer()->Alignment(), taRightJustify);
  EXPECT_FALSE(b->Footer()->OwnValues().Contains(cfvFont));
  EXPECT_EQ(b->Footer()->Font()->Name(), Grid->FooterFont()->Name());
}

TEST_F(GridEhColumns, TitleDefaultsAssignCopiesTheSourcesOwnValues)
{
  MakeGrid();
  TColumnDefValuesEh other(Grid);
  other.Title()->SetColor(clRed);
  other.SetLayout(tlBottom);
  other.SetHighlightRequired(true);
  other.Footer()->SetToolTips(true);
  other.SetAutoDropDown(true);
  Grid->ColumnDefValues()->Title()->SetAlignment(taRightJustify);
  Grid->ColumnDefValues()->Assign(&other);
  TColumnTitleDefValuesEh* t = Grid->ColumnDefValues()->Title();
  EXPECT_EQ(t->Color(), clRed) << "the source's own colour is copied";
  EXPECT_EQ(t->Alignment(), taLeftJustify) << "an own value the source lacks follows again";
  EXPECT_EQ(Grid->ColumnDefValues()->Layout(), tlTop);
  EXPECT_FALSE(Grid->ColumnDefValues()->HighlightRequired());
  EXPECT_FALSE(Grid->ColumnDefValues()->Footer()->ToolTips());
  EXPECT_TRUE(Grid->ColumnDefValues()->AutoDropDown());

  // Without an own colour the title defaults follow the grid's fixed colour.
  TColumnDefValuesEh plain(Grid);
  other.Title()->Assign(plain.Title());
  Grid->SetFixedColor(clTeal);
  EXPECT_EQ(other.Title()->Color(), clTeal);
}

TEST_F(GridEhColumns, SortMarkersKeepTheirIndexesInMultiSortMode)
{
  MakeGrid();
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxMultiSortMarkingEh});
  TColumnEh* a = AddColumn(Grid, "Name");
  TColumnEh* b = AddColumn(Grid, "City");
  TColumnEh* c = AddColumn(Grid, "Qty");
  a->Title()->SetSortMarker(smDownEh);
  b->Title()->SetSortMarker(smUpEh);
  c->Title()->SetSortMarker(smDownEh);
  EXPECT_EQ(a->Title()->SortIndex(), 1);
  EXPECT_EQ(b->Title()->SortIndex(), 2);
  EXPECT_EQ(c->Title()->SortIndex(), 3);
  ASSERT_EQ(Grid->SortMarkedColumns()->Count(), 3);

  a->Title()->SetSortMarker(smNoneEh);
  EXPECT_EQ(a->Title()->SortIndex(), 0);
  EXPECT_EQ(b->Title()->SortIndex(), 1);
  EXPECT_EQ(c->Title()->SortIndex(), 2);
  EXPECT_EQ(Grid->SortMarkedColumns()->Items(0), b);

  // An index nobody holds changes nothing; a held one swaps places.
  c->Title()->SetSortIndex(7);
  EXPECT_EQ(c->Title()->SortIndex(), 2);
  c->Title()->SetSortIndex(1);
  EXPECT_EQ(c->Title()->SortIndex(), 1);
  EXPECT_EQ(b->Title()->SortIndex(), 2);
  EXPECT_EQ(Grid->SortMarkedColumns()->Items(0), c);

  // Cycling: down, up, none with Ctrl; without Ctrl the others lose their markers.
  a->Title()->CycleSortMarker(true);
  EXPECT_EQ(a->Title()->SortMarker(), smDownEh);
  a->Title()->CycleSortMarker(true);
  EXPECT_EQ(a->Title()->SortMarker(), smUpEh);
  a->Title()->CycleSortMarker(true);
  EXPECT_EQ(a->Title()->SortMarker(), smNoneEh);
  a->Title()->CycleSortMarker(false);
  EXPECT_EQ(a->Title()->SortMarker(), smDownEh);
  EXPECT_EQ(b->Title()->SortMarker(), smNoneEh);
  EXPECT_EQ(c->Title()->SortMarker(), smNoneEh);
  EXPECT_EQ(Grid->SortMarkedColumns()->Count(), 1);

  // Leaving multi-sort mode keeps only the first marked column.
  b->Title()->SetSortMarker(smUpEh);
  Grid->SetExtOptions(Grid->ExtOptions() - TDBGridEhExtOptions{dgxMultiSortMarkingEh});
  EXPECT_EQ(a->Title()->SortMarker(), smDownEh);
  EXPECT_EQ(b->Title()->SortMarker(), smNoneEh);
  // Single mode: a new marker clears the others.
  c->Title()->SetSortMarker(smUpEh);
  EXPECT_EQ(a->Title()->SortMarker(), smNoneEh);
  EXPECT_EQ(c->Title()->SortIndex(), 1);
}

TEST_F(GridEhColumns, SortMarkerWidthLeavesRoomForTheNumber)
{
  MakeGrid();
  Grid->SetExtOptions(Grid->ExtOptions() + TDBGridEhExtOptions{dgxMultiSortMarkingEh});
  TColumnEh* a = AddColumn(Grid, "Name");
  TColumnEh* b = AddColumn(Grid, "City");
  a->SetWidth(100);
  EXPECT_EQ(a->Title()->SortMarkerWidth(), 0);
  a->Title()->SetSortMarker(smDownEh);
  EXPECT_EQ(a->Title()->SortMarkerWidth(), 16) << "one marked column shows no number";
  b->Title()->SetSortMarker(smDownEh);
  EXPECT_EQ(a->Title()->SortMarkerWidth(), 16 + 7);
  a->SetWidth(20);
  EXPECT_EQ(a->Title()->SortMarkerWidth(), 16 + 7 - 14) << "the marker goes first";
  a->SetWidth(5);
  EXPECT_EQ(a->Title()->SortMarkerWidth(), 16 + 7 - 14 - 9) << "then the number";
}

TEST_F(GridEhColumns, GeneratedColumnsWriteThroughToTheirFields)
{
  MakeGrid();
  ASSERT_FALSE(Grid->Columns()->IsCustomized());
  TColumnEh* name = Col("Name");
  ASSERT_NE(name, nullptr);
  name->Title()->SetCaption("姓名");
  EXPECT_EQ(Orders->FieldByName("Name")->DisplayLabel(), "姓名");
  EXPECT_EQ(Col("Name")->Title()->Caption(), "姓名");
  name->SetAlignment(taRightJustify);
  EXPECT_EQ(Orders->FieldByName("Name")->Alignment(), taRightJustify);
  // Width: (width + 7 div 2 - 0 - 3) div 7 characters.
  Col("City")->SetWidth(144);
  EXPECT_EQ(Orders->FieldByName("City")->DisplayWidth(), 20);
  EXPECT_EQ(Col("City")->Width(), 144);
  // Moving a generated column moves its field.
  Col("City")->SetIndex(0);
  EXPECT_EQ(Orders->FieldByName("City")->Index(), 0);
  EXPECT_EQ(Grid->Columns()->Items(0)->FieldName(), "City");
}

TEST_F(GridEhColumns, AutoFitResizeMovesBaseWidthToTheNextColumn)
{
  MakeGrid();
  Grid->Columns()->Clear();
  TColumnEh* a = AddColumn(Grid, "Name");
  TColumnEh* b = AddColumn(Grid, "City");
  TColumnEh* c = AddColumn(Grid, "Qty");
  a->SetWidth(100);
  b->SetWidth(100);
  c->SetWidth(100);
  Grid->SetAutoFitColWidths(true);
  Headless().ProcessMessages();
  Integer baseB = b->AutoFitBaseWidth();
  // The user widens the first column in the base grid.
  Integer raw = Grid->DataToRawColumn(0);
  Integer before = Grid->ColWidths(raw);
  Grid->TCustomGrid::SetColWidths(raw, before + 30);
  EXPECT_GT(a->AutoFitBaseWidth(), 100);
  EXPECT_EQ(b->AutoFitBaseWidth(), std::max<Integer>(0, baseB - (a->AutoFitBaseWidth() - 100)));
  EXPECT_EQ(c->AutoFitBaseWidth(), 100);
  // Sizing the last column changes no other base width.
  Integer baseA = a->AutoFitBaseWidth();
  baseB = b->AutoFitBaseWidth();
  raw = Grid->DataToRawColumn(2);
  Grid->TCustomGrid::SetColWidths(raw, Grid->ColWidths(raw) - 20);
  EXPECT_EQ(a->AutoFitBaseWidth(), baseA);
  EXPECT_EQ(b->AutoFitBaseWidth(), baseB);
}
