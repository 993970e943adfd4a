// The grid's keyboard and its editing bridge, driven by scripted keys: row steps that append
// and cancel, selecting while moving, tabbing across records, deleting with confirmation,
// check-box keys, leaving the grid, and the texts the editor shows and writes back.
#include "platform/data/ADODB.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Clipbrd.h"
#include "tests/controls/eh/GridEhTestKit.h"
#include "tests/support/TestDatabases.h"

using namespace ehtest;

namespace {

class GridEhKeys : public GridEhTest {
protected:
  void Focused()
  {
    MakeGrid();
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  void Key(Word Vk, bool Shift = false, bool Ctrl = false)
  {
    Headless().Key(Vk, Shift, Ctrl);
    Headless().ProcessMessages();
  }
  static void Press(HWND Box, const AnsiString& Button)
  {
    HWND b = THeadlessBackend::FindChildByText(Box, Button);
    TRect r;
    GetClientRect(b, r);
    Headless().Click(THeadlessBackend::ScreenPoint(b, {r.Width() / 2, r.Height() / 2}));
  }
  Integer CurrentId() { return Orders->FieldByName("ID")->AsInteger(); }
  std::vector<Integer> SelectedIds()
  {
    std::vector<Integer> ids;
    AnsiString saved = Orders->Bookmark();
    for (Integer i = 0; i < Grid->SelectedRows()->Count(); ++i) {
      Orders->SetBookmark(Grid->SelectedRows()->Items(i));
      ids.push_back(CurrentId());
    }
    Orders->SetBookmark(saved);
    return ids;
  }
};

} // namespace

TEST_F(GridEhKeys, DownAtTheEndAppendsAndUpCancelsTheUntouchedRecord)
{
  Focused();
  Key(VK_END, false, true);
  EXPECT_EQ(CurrentId(), 10);
  Key(VK_DOWN);
  EXPECT_EQ(Orders->State(), dsInsert);
  EXPECT_EQ(Grid->Row(), Grid->HeaderRowCount() + Grid->DataLink()->ActiveRecord());
  Key(VK_DOWN);
  EXPECT_EQ(Orders->State(), dsInsert) << "Down again on the untouched record does nothing";
  EXPECT_EQ(Orders->RecordCount(), 10);
  Key(VK_UP);
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_EQ(CurrentId(), 10);
  EXPECT_EQ(Orders->RecordCount(), 10);
  // Without the append permission Down stops at the last record.
  Grid->SetPermittedEdits(Grid->PermittedEdits() - TPermittedEditsEh{peAppendEh});
  Key(VK_DOWN);
  EXPECT_EQ(Orders->State(), dsBrowse);
}

TEST_F(GridEhKeys, ShiftArrowsSelectRecordsAndStepBack)
{
  Focused();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  Grid->SetSelectableKinds(TGridSelectionKindsEh{selRowsEh, selColumnsEh, selAllEh});
  Orders->Locate("ID", Variant(5), {});
  Key(VK_DOWN, true);
  Key(VK_DOWN, true);
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{5, 6, 7}));
  Key(VK_UP, true);
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{5, 6}));
  EXPECT_EQ(CurrentId(), 6);
  // A plain move clears the selection.
  Key(VK_DOWN);
  EXPECT_TRUE(SelectedIds().empty());
  // Ctrl+Shift+End reaches the last record although no rectangle may be selected on the
  // way; a full-row grid walks rows and selects them.
  Orders->Locate("ID", Variant(8), {});
  Key(VK_END, true, true);
  EXPECT_EQ(CurrentId(), 10);
  EXPECT_TRUE(SelectedIds().empty());
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgFullRowSelect});
  Orders->Locate("ID", Variant(8), {});
  Key(VK_END, true, true);
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{8, 9, 10}));
}

TEST_F(GridEhKeys, ShiftArrowsSpanARectangleWhenRectanglesAreSelectable)
{
  Focused();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  Orders->First();
  Grid->SelectDataColumn(1);
  Key(VK_RIGHT, true);
  Key(VK_DOWN, true);
  EXPECT_EQ(Grid->Selection()->Kind(), selRectEh);
  TDBGridEhSelectionRect* r = Grid->Selection()->Rect();
  EXPECT_EQ(r->GetLeftmostCol(), 1);
  EXPECT_EQ(r->GetRightmostCol(), 2);
  Orders->First();
  EXPECT_EQ(r->GetUpperRow(), Orders->Bookmark());
  EXPECT_TRUE(Grid->SelectedRows()->Count() == 0);
}

TEST_F(GridEhKeys, TabWalksCellsAndWrapsAcrossRecords)
{
  Focused();
  Orders->First();
  Grid->SelectDataColumn(0);
  Key(VK_TAB);
  EXPECT_EQ(Grid->SelectedIndex(), 1);
  // Read-only and calculated columns are no tab stops.
  Orders->FieldByName("City")->SetReadOnly(true);
  Grid->LayoutChanged();
  Key(VK_TAB);
  EXPECT_EQ(Grid->SelectedIndex(), 3) << "City is skipped";
  // Shift+Tab from the first column goes to the previous record's last tab stop.
  Orders->Locate("ID", Variant(3), {});
  Grid->SelectDataColumn(0);
  Key(VK_TAB, true);
  EXPECT_EQ(CurrentId(), 2);
  EXPECT_TRUE(Grid->TabStops(Grid->Col()));
  EXPECT_GT(Grid->SelectedIndex(), 3);
  // Tab on the last cell of the last record appends.
  Orders->Last();
  Grid->SelectDataColumn(Grid->Columns()->Count() - 1);
  Key(VK_TAB);
  EXPECT_EQ(Orders->State(), dsInsert);
  EXPECT_EQ(Grid->SelectedIndex(), 0);
}

TEST_F(GridEhKeys, CtrlDelAsksAndCancelStops)
{
  Focused();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  AnsiString asked;
  Application()->SetTitle("Orders");
  Headless().OnWindow(Application()->Title(), [&](HWND h) {
    asked = Grid->DeleteQuestion();
    Press(h, "取消");
  });
  Orders->Locate("ID", Variant(3), {});
  Key(VK_DELETE, false, true);
  EXPECT_EQ(asked, "Delete record?");
  EXPECT_EQ(Orders->RecordCount(), 10) << "Cancel stops the deletion";

  for (Integer id : {2, 4, 6}) {
    Orders->Locate("ID", Variant(id), {});
    Grid->SelectedRows()->SetCurrentSelected(true);
  }
  Headless().OnWindow(Application()->Title(), [&](HWND h) {
    asked = Grid->DeleteQuestion();
    Press(h, "确定");
  });
  Key(VK_DELETE, false, true);
  EXPECT_EQ(asked, "Delete all selected records?");
  EXPECT_EQ(Orders->RecordCount(), 7);
  EXPECT_FALSE(Orders->Locate("ID", Variant(4), {}));

  // Without confirmation and without the permission.
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgConfirmDelete});
  Orders->First();
  Key(VK_DELETE, false, true);
  EXPECT_EQ(Orders->RecordCount(), 6);
  Grid->SetPermittedEdits(Grid->PermittedEdits() - TPermittedEditsEh{peDeleteEh});
  Key(VK_DELETE, false, true);
  EXPECT_EQ(Orders->RecordCount(), 6);
}

TEST_F(GridEhKeys, SpaceAndDelOnCheckBoxes)
{
  Focused();
  Orders->Locate("ID", Variant(2), {});
  Grid->SelectDataColumn(Col("Paid")->Index());
  EXPECT_FALSE(Orders->FieldByName("Paid")->AsBoolean());
  Key(VK_SPACE);
  EXPECT_TRUE(Orders->FieldByName("Paid")->AsBoolean());
  EXPECT_FALSE(Grid->EditorMode()) << "check boxes have no editor";
  Key(VK_DELETE);
  EXPECT_TRUE(Orders->FieldByName("Paid")->IsNull());
  EXPECT_EQ(Orders->State(), dsEdit);
}

TEST_F(GridEhKeys, LeavingCancelsAnUntouchedInsert)
{
  Focused();
  auto* other = new TEdit(Form);
  other->SetParent(Form);
  other->SetBounds(0, 205, 100, 20);
  Key(VK_INSERT);
  ASSERT_EQ(Orders->State(), dsInsert);
  other->SetFocus();
  Headless().ProcessMessages();
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_EQ(Orders->RecordCount(), 10);
}

TEST_F(GridEhKeys, TypingEditsTheCellAndEnterWritesIt)
{
  Focused();
  Orders->Locate("ID", Variant(1), {});
  Grid->SelectDataColumn(Col("Qty")->Index());
  Headless().Type("42");
  Headless().ProcessMessages();
  ASSERT_TRUE(Grid->EditorMode());
  EXPECT_EQ(Orders->State(), dsEdit);
  Key(VK_RETURN);
  EXPECT_EQ(Orders->FieldByName("Qty")->AsInteger(), 42);
  Key(VK_DOWN);
  EXPECT_EQ(Orders->State(), dsBrowse);
  Orders->Locate("ID", Variant(1), {});
  EXPECT_EQ(Orders->FieldByName("Qty")->AsInteger(), 42) << "posted by the move";
  // Letters are refused by an integer field.
  Headless().Type("x");
  Headless().ProcessMessages();
  EXPECT_NE(Grid->InplaceEditor() ? Grid->InplaceEditor()->Text() : AnsiString("x"), "x");
}

// ---- Editing bridge ----

using GridEhEditBridge = GridEhKeys;

TEST_F(GridEhEditBridge, EditTextsPerColumnKind)
{
  Focused();
  Grid->Columns()->Clear();
  TColumnEh* key = Grid->Columns()->Add();
  key->SetFieldName("CountryID");
  key->KeyList()->SetText("1\r\n2\r\n3");
  key->PickList()->SetText("One\r\nTwo");
  TColumnEh* notes = Grid->Columns()->Add();
  notes->SetFieldName("Notes");
  TColumnEh* country = Grid->Columns()->Add();
  country->SetFieldName("Country");
  struct {
    const char* Name;
    Integer Id, DataCol;
    const char* Text;
  } cases[] = {
      {"key 2 shows its pick text", 6, 0, "Two"},
      {"a key beyond the pick list shows nothing", 3, 0, ""},
      {"a key not listed shows nothing", 4, 0, ""},
      {"a memo as its text is CR LF", 1, 1, "line1\r\nline2"},
      {"a lookup shows its text", 1, 2, "North"},
  };
  Grid->SetMemoAsText(true);
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Orders->Locate("ID", Variant(c.Id), {});
    Grid->SelectDataColumn(c.DataCol);
    EXPECT_EQ(Grid->GetEditText(Grid->Col(), Grid->Row()), c.Text);
  }
  // The lookup's edit value is its key.
  EXPECT_EQ(Grid->EditValue().AsInteger(), 1);
}

TEST_F(GridEhEditBridge, KeyListTextsThatNameNoEntryKeepTheKey)
{
  Focused();
  Grid->Columns()->Clear();
  TColumnEh* key = Grid->Columns()->Add();
  key->SetFieldName("Flag");
  key->KeyList()->SetText("Y\r\nN");
  key->PickList()->SetText("Yes\r\nNo");
  Orders->Locate("ID", Variant(1), {});
  Grid->SelectDataColumn(0);
  struct {
    const char* Typed;
    const char* Stored; // "<null>" for Null
  } cases[] = {{"No", "N"}, {"yes", "Y"}, {"Ye", "Y"}, {"", "<null>"}};
  // Start from "N" so that a kept key is visible.
  for (auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    Orders->Edit();
    Orders->FieldByName("Flag")->SetAsString(AnsiString(c.Typed) == "Ye" ? "Y" : "N");
    Grid->SetEditText(Grid->Col(), Grid->Row(), c.Typed);
    Grid->UpdateData();
    TField* f = Orders->FieldByName("Flag");
    EXPECT_EQ(f->IsNull() ? AnsiString("<null>") : f->AsString(), c.Stored);
    Orders->Cancel();
  }
  // With a handler that adds the text, the recheck finds it.
  key->OnNotInList = [&](TObject*, const AnsiString& Text, bool& Recheck) {
    key->PickList()->Add(Text);
    key->KeyList()->Add("M");
    Recheck = true;
  };
  Orders->Edit();
  Grid->SetEditText(Grid->Col(), Grid->Row(), "Maybe");
  Grid->UpdateData();
  EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), "M");
  Orders->Cancel();
}

TEST_F(GridEhEditBridge, WhatMayBeEdited)
{
  Focused();
  Orders->Locate("ID", Variant(1), {});
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgAlwaysShowEditor});
  Grid->SelectDataColumn(Col("Paid")->Index());
  EXPECT_FALSE(Grid->EditorMode()) << "no editor on check boxes, even always shown";
  Grid->SelectDataColumn(Col("Notes")->Index());
  EXPECT_FALSE(Grid->PrepareCellEdit()) << "a memo is a blob without a text handler";
  Grid->SetMemoAsText(true);
  EXPECT_TRUE(Grid->PrepareCellEdit());
  EXPECT_EQ(Orders->State(), dsEdit);
  Orders->Cancel();
  Grid->SelectDataColumn(Col("Total")->Index());
  EXPECT_FALSE(Grid->PrepareCellEdit()) << "calculated";
  Grid->SelectDataColumn(Col("Name")->Index());
  EXPECT_EQ(Grid->InplaceEditor()->MaxLength(), 20);
  Grid->SetReadOnly(true);
  EXPECT_FALSE(Grid->PrepareCellEdit());
}

TEST_F(GridEhEditBridge, SelectColumnSkipsZeroWidthColumns)
{
  Focused();
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgColLines});
  Col("City")->SetVisible(false); // width 0 without column lines
  Grid->SelectDataColumn(1);
  Grid->SelectColumn(Grid->DataToRawColumn(2), 1, false);
  EXPECT_EQ(Grid->SelectedIndex(), 3);
  Grid->SelectColumn(Grid->DataToRawColumn(2), -1, false);
  EXPECT_EQ(Grid->SelectedIndex(), 1);
  // Nothing to land on past the end: the column stays.
  Integer last = Grid->Columns()->Count() - 1;
  Grid->Columns()->Items(last)->SetVisible(false);
  Grid->SelectDataColumn(last - 1);
  Grid->SelectColumn(Grid->DataToRawColumn(last), 1, false);
  EXPECT_EQ(Grid->SelectedIndex(), last - 1);
}

// ---- Over a SQLite query ----

TEST_F(GridEhKeys, AGridOverASqliteQueryMovesEditsAndPosts)
{
  AnsiString file;
  TADOConnection connection;
  connection.SetConnectionString(NewSQLiteDatabase(file));
  connection.SetLoginPrompt(false);
  connection.Open();
  TScopeExit removeFile([&] {
    connection.Close();
    DeleteFile(file);
  });
  connection.Execute("create table waybills (ID integer primary key, Receiver varchar(20), "
                     "City varchar(20), Qty integer)");
  const char* receivers[] = {"张三", "李四", "王五", "赵六", "钱七"};
  for (Integer i = 1; i <= 5; ++i)
    connection.Execute("insert into waybills values (" + IntToStr(i) + ", '" + receivers[i - 1] +
                       "', 'Harbin', " + IntToStr(i * 10) + ")");
  TADOQuery query;
  query.SetConnection(&connection);
  query.SQL()->SetText("select ID, Receiver, City, Qty from waybills order by ID");
  query.Open();
  MakeGrid(false);
  Source->SetDataSet(&query);
  Grid->SetDataSource(Source);
  Grid->SetFocus();
  Headless().ProcessMessages();
  EXPECT_EQ(Grid->Columns()->Count(), 4);
  EXPECT_EQ(Grid->DataLink()->RecordCount(), 5);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(query.FieldByName("Receiver")->AsString(), "王五");
  Grid->SelectDataColumn(3);
  Headless().Type("99");
  Key(VK_RETURN);
  Key(VK_UP);
  EXPECT_EQ(query.State(), dsBrowse);
  // The query keeps posted edits in its records (a query's edits stay local).
  ASSERT_TRUE(query.Locate("ID", Variant(3), {}));
  EXPECT_EQ(query.FieldByName("Qty")->AsInteger(), 99);
  EXPECT_EQ(Grid->Row(), Grid->HeaderRowCount() + Grid->DataLink()->ActiveRecord());
  Grid->SetDataSource(nullptr);
}

TEST_F(GridEhKeys, ClipboardKeysActOnlyWithTheirFlags)
{
  Focused();
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  Clipboard()->SetAsText("before");
  Key('A', false, true);
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh) << "select all needs its flag";
  Grid->SetClipboardActions(TClipboardActionsEh{caCopyEh, caSelectAllEh});
  Key('A', false, true);
  EXPECT_EQ(Grid->Selection()->Kind(), selAllEh);
  EXPECT_TRUE(Grid->CanCopySelection());
  EXPECT_TRUE(Grid->CanDeleteSelection());
  Key('C', false, true);
  EXPECT_NE(Clipboard()->AsText().find("Harbin"), AnsiString::npos);
  // Without the paste flag Ctrl+V changes nothing.
  Orders->First();
  Key('V', false, true);
  EXPECT_EQ(Orders->RecordCount(), 10);
  Grid->SetReadOnly(true);
  EXPECT_FALSE(Grid->CanPasteClipboard());
  EXPECT_FALSE(Grid->CanDeleteSelection());
}

TEST_F(GridEhKeys, CtrlQuoteCopiesTheValueOfTheRecordAbove)
{
  Focused();
  Orders->Locate("ID", Variant(2), {});
  Grid->SelectDataColumn(Col("City")->Index());
  Key(222, false, true);
  EXPECT_EQ(Orders->State(), dsEdit);
  EXPECT_EQ(Orders->FieldByName("City")->AsString(), "Harbin") << "from record 1";
  EXPECT_TRUE(Grid->EditorMode());
  Orders->Cancel();
  // A lookup copies its key; the first record shown has nothing above it.
  Grid->SelectDataColumn(Col("Country")->Index());
  Key(222, false, true);
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 1);
  Orders->Cancel();
  Orders->First();
  Key(222, false, true);
  EXPECT_EQ(Orders->State(), dsBrowse);
}
