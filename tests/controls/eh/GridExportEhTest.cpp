// The grid's export and import formats: golden text, CSV and "VCLDBIF" bytes, the walk per
// selection kind, footer sums, round trips of a Chinese dataset, damaged streams that change
// nothing, the text reader's line rules, key-list and lookup columns, inserting and the
// error question.
#include "controls/eh/DBGridEhExport.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/ui/Dialogs.h"
#include "tests/controls/eh/GridEhTestKit.h"

namespace {

AnsiString Hex(const AnsiString& bytes)
{
  static const char* digits = "0123456789abcdef";
  AnsiString out;
  for (unsigned char c : bytes) {
    if (!out.empty())
      out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

AnsiString Bytes(std::initializer_list<int> values)
{
  AnsiString out;
  for (int v : values)
    out += static_cast<char>(v);
  return out;
}

AnsiString Export(TDBGridEhExportClass cls, TCustomDBGridEh* grid, bool all)
{
  TMemoryStream stream;
  RunGridExport(cls, grid, &stream, all);
  return AnsiString(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void Import(TDBGridEhImportClass cls, TCustomDBGridEh* grid, const AnsiString& bytes, bool all)
{
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  stream.SetPosition(0);
  RunGridImport(cls, grid, &stream, all);
}

// Every value of every record, as text, for comparing datasets.
AnsiString Dump(TDataSet* ds)
{
  AnsiString out;
  TBookmarkStr at = ds->Bookmark();
  ds->First();
  while (!ds->Eof()) {
    for (Integer i = 0; i < ds->FieldCount(); ++i) {
      TField* f = ds->Fields()->Fields(i);
      out += f->IsNull() ? AnsiString("<null>") : f->AsString();
      out += '|';
    }
    out += '\n';
    ds->Next();
  }
  if (!at.empty())
    ds->SetBookmark(at);
  return out;
}

} // namespace

class GridExportEh : public ehtest::GridEhTest {
protected:
  std::unique_ptr<TMemDataSet> People;
  void SetUp() override
  {
    GridEhTest::SetUp();
    FormatSettings.ShortDateFormat = "yyyy-mm-dd";
    FormatSettings.DateSeparator = '-';
  }
  void TearDown() override
  {
    GridEhTest::TearDown();
    People.reset();
    GetFormatSettings();
  }
  // Name string(10), Qty integer, Born date; three records; a grid with the three columns
  // and one footer row: a count of names, a sum of quantities, nothing under Born.
  TDBGridEh* MakePeopleGrid()
  {
    People = std::make_unique<TMemDataSet>();
    People->FieldDefs()->Add("Name", ftString, 10);
    People->FieldDefs()->Add("Qty", ftInteger);
    People->FieldDefs()->Add("Born", ftDate);
    People->CreateDataSet();
    People->AppendRecord({Variant("Abc"), Variant(5), VarFromDateTime(EncodeDate(1980, 1, 2))});
    People->AppendRecord({Variant("a\"b"), Null(), Null()});
    People->AppendRecord({Variant("张三"), Variant(-1), VarFromDateTime(EncodeDate(2000, 2, 29))});
    People->First();
    MakeGrid(false);
    Source->SetDataSet(People.get());
    for (const char* name : {"Name", "Qty", "Born"})
      Grid->Columns()->Add()->SetFieldName(name);
    Grid->SetDataSource(Source);
    Grid->SetFooterRowCount(1);
    Col("Name")->Footer()->SetValueType(fvtCount);
    Col("Qty")->Footer()->SetValueType(fvtSum);
    return Grid;
  }
};

TEST_F(GridExportEh, GoldenBytesOfTheThreeWriters)
{
  MakePeopleGrid();
  struct {
    const char* Name;
    TDBGridEhExportClass Class;
    AnsiString Expected;
  } cases[] = {
      {"text", ExportClassOf<TDBGridEhExportAsText>(),
       "Name\tQty\tBorn\r\nAbc\t5\t1980-01-02\r\na\"b\t\t\r\n\xd5\xc5\xc8\xfd\t-1\t2000-02-29\r\n"
       "3\t4\t"},
      {"csv", ExportClassOf<TDBGridEhExportAsCSV>(),
       "\"Name\";\"Qty\";\"Born\"\r\n\"Abc\";\"5\";\"1980-01-02\"\r\n\"a\"\"b\";\"\";\"\"\r\n"
       "\"\xd5\xc5\xc8\xfd\";\"-1\";\"2000-02-29\"\r\n\"3\";\"4\";\"\""},
      {"vcldbif", ExportClassOf<TDBGridEhExportAsVCLDBIF>(),
       Bytes({0x56, 0x43, 0x4c, 0x44, 0x42, 0x49, 0x46, 0x01, 0x03, 0x00, 0x00, 0x00, 0x01,
              0x00, 0x01, 0x00, 0x01, 0x00, 0x05, 0x03, 0x00, 0x00, 0x00, 0x41, 0x62, 0x63,
              0x03, 0x05, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x80, 0x89, 0xdc,
              0x40, 0x05, 0x03, 0x00, 0x00, 0x00, 0x61, 0x22, 0x62, 0x02, 0x02, 0x05, 0x04,
              0x00, 0x00, 0x00, 0xd5, 0xc5, 0xc8, 0xfd, 0x03, 0xff, 0xff, 0xff, 0xff, 0x04,
              0x00, 0x00, 0x00, 0x00, 0x20, 0xdd, 0xe1, 0x40, 0x00})},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    AnsiString out = Export(c.Class, Grid, true);
    EXPECT_EQ(Hex(out), Hex(c.Expected));
  }
  EXPECT_EQ(Export(ExportClassOf<TDBGridEhExportAsText>(), Grid, true).size(), 64u);
  EXPECT_EQ(Export(ExportClassOf<TDBGridEhExportAsCSV>(), Grid, true).size(), 95u);
  EXPECT_EQ(Export(ExportClassOf<TDBGridEhExportAsVCLDBIF>(), Grid, true).size(), 74u);
}

TEST_F(GridExportEh, SelectionKindsDecideRowsColumnsAndOrder)
{
  MakePeopleGrid();
  Grid->SetFooterRowCount(0);
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgTitles});
  auto text = [&] { return Export(ExportClassOf<TDBGridEhExportAsText>(), Grid, false); };
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);
  EXPECT_EQ(text(), "");
  EXPECT_EQ(Export(ExportClassOf<TDBGridEhExportAsVCLDBIF>(), Grid, false), "")
      << "no head and no end tag";

  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect});
  People->Last();
  Grid->SelectedRows()->SetCurrentSelected(true);
  People->First();
  Grid->SelectedRows()->SetCurrentSelected(true);
  Grid->Selection()->SetKind(selRowsEh);
  EXPECT_EQ(text(), "Abc\t5\t1980-01-02\r\n\xd5\xc5\xc8\xfd\t-1\t2000-02-29")
      << "the bookmark list's order";

  Grid->Selection()->Reset();
  People->Next();
  TBookmarkStr second = People->Bookmark();
  People->Last();
  Grid->Selection()->Rect()->SelectCell(1, second, false);
  Grid->Selection()->Rect()->SelectCell(2, People->Bookmark(), true);
  Grid->Selection()->SetKind(selRectEh);
  People->First();
  EXPECT_EQ(text(), "\t\r\n-1\t2000-02-29");
  EXPECT_EQ(People->FieldByName("Name")->AsString(), "Abc") << "the position comes back";
  EXPECT_FALSE(People->ControlsDisabled());
}

TEST_F(GridExportEh, CellParameterEventsChangeTextButNotTheWrittenBackground)
{
  MakePeopleGrid();
  Grid->SetFooterRowCount(0);
  Col("Qty")->OnGetCellParams = [](TObject*, bool editMode, TColCellParamsEh* params) {
    EXPECT_FALSE(editMode);
    params->Text = "[" + params->Text + "]";
    params->Background = clRed;
  };
  Grid->OnGetCellParams = [](TObject*, TColumnEh*, TFont*, TColor& background, TGridDrawState) {
    background = clLime;
  };
  AnsiString out = Export(ExportClassOf<TDBGridEhExportAsText>(), Grid, true);
  EXPECT_NE(out.find("Abc\t[5]\t"), AnsiString::npos);
  EXPECT_NE(out.find("a\"b\t[]\t"), AnsiString::npos);
}

TEST_F(GridExportEh, AThousandChineseRowsComeBackThroughTextAndVCLDBIF)
{
  MakePeopleGrid();
  Grid->SetFooterRowCount(0);
  People->EmptyDataSet();
  const char* names[] = {"张三", "李四", "王五", "赵六", "钱七", "孙八"};
  for (Integer i = 0; i < 1000; ++i)
    People->AppendRecord({Variant(AnsiString(names[i % 6]) + IntToStr(i)),
                          i % 7 == 0 ? Null() : Variant(i - 500),
                          VarFromDateTime(EncodeDate(1990 + i % 30, 1 + i % 12, 1 + i % 28))});
  AnsiString original = Dump(People.get());
  for (bool text : {true, false}) {
    SCOPED_TRACE(text ? "text" : "vcldbif");
    Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgTitles});
    AnsiString bytes = text ? Export(ExportClassOf<TDBGridEhExportAsText>(), Grid, true)
                            : Export(ExportClassOf<TDBGridEhExportAsVCLDBIF>(), Grid, true);
    TMemDataSet copy;
    copy.FieldDefs()->Add("Name", ftString, 10);
    copy.FieldDefs()->Add("Qty", ftInteger);
    copy.FieldDefs()->Add("Born", ftDate);
    copy.CreateDataSet();
    TDataSource copySource(nullptr);
    copySource.SetDataSet(&copy);
    TDBGridEh target(Form);
    target.SetParent(Form);
    target.SetDataSource(&copySource);
    if (text)
      Import(ImportClassOf<TDBGridEhImportAsText>(), &target, bytes, false);
    else
      Import(ImportClassOf<TDBGridEhImportAsVCLDBIF>(), &target, bytes, false);
    EXPECT_EQ(copy.RecordCount(), 1000);
    EXPECT_EQ(Dump(&copy), original);
  }
}

TEST_F(GridExportEh, DamagedVCLDBIFRaisesAndChangesNothing)
{
  MakePeopleGrid();
  Grid->SetFooterRowCount(0);
  auto head = [](Integer n) {
    AnsiString h = "VCLDBIF\x01";
    h += Bytes({n & 0xFF, (n >> 8) & 0xFF, (n >> 16) & 0xFF, (n >> 24) & 0xFF});
    for (Integer i = 0; i < n && i < 3; ++i)
      h += AnsiString("\x01\x00", 2);
    return h;
  };
  AnsiString one = head(1);
  struct {
    const char* Name;
    AnsiString Bytes;
  } cases[] = {
      {"short head", "VCLDBI"},
      {"wrong magic", "VCLDBIX\x01" + Bytes({1, 0, 0, 0})},
      {"name without its end", "VCLDBIF\x01" + Bytes({1, 0, 0, 0, 1, 'A'})},
      {"no tag", one},
      {"short integer", one + Bytes({3, 1, 2})},
      {"short double", one + Bytes({4, 1, 2, 3, 4, 5, 6, 7})},
      {"short string", one + Bytes({5, 10, 0, 0, 0, 'a', 'b', 'c'})},
      {"huge count", one + Bytes({5, 0xff, 0xff, 0xff, 0x7f, 'a'})},
      {"negative count", one + Bytes({5, 0xff, 0xff, 0xff, 0xff, 0})},
      {"negative columns", head(-1) + Bytes({2, 0})},
      {"no columns but values", head(0) + Bytes({2, 0})},
      {"no end tag", one + Bytes({2, 2})},
      {"empty block", ""},
  };
  AnsiString before = Dump(People.get());
  People->Next();
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    for (bool inserting : {false, true}) {
      if (inserting)
        People->Insert();
      try {
        Import(ImportClassOf<TDBGridEhImportAsVCLDBIF>(), Grid, c.Bytes, false);
        ADD_FAILURE() << "accepted";
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "TDBGridEhImportAsVCLDBIF.ReadPrefix: Invalid VCLDBIF format");
      }
      if (inserting)
        People->Cancel();
      EXPECT_EQ(Dump(People.get()), before);
      EXPECT_FALSE(People->ControlsDisabled());
      EXPECT_EQ(People->FieldByName("Name")->AsString(), "a\"b");
    }
  }
}

TEST_F(GridExportEh, VCLDBIFOddities)
{
  MakePeopleGrid();
  Grid->SetFooterRowCount(0);
  // Version 2, a tag 9 (unassigned: Name stays), Qty 42, a fourth value beyond the grid's
  // three columns that is consumed; then the second row.
  AnsiString block = "VCLDBIF\x02" + Bytes({4, 0, 0, 0}) + AnsiString(8, '\0');
  for (Integer i = 0; i < 4; ++i)
    block[12 + 2 * i] = 1;
  block += Bytes({9, 3, 42, 0, 0, 0, 2, 5, 1, 0, 0, 0, 'z'});
  block += Bytes({5, 1, 0, 0, 0, 'Q', 1, 1, 1, 0});
  Import(ImportClassOf<TDBGridEhImportAsVCLDBIF>(), Grid, block, false);
  People->First();
  EXPECT_EQ(People->FieldByName("Name")->AsString(), "Abc");
  EXPECT_EQ(People->FieldByName("Qty")->AsInteger(), 42);
  EXPECT_TRUE(People->FieldByName("Born")->IsNull());
  People->Next();
  EXPECT_EQ(People->FieldByName("Name")->AsString(), "Q");
  EXPECT_TRUE(People->FieldByName("Qty")->IsNull()) << "unchanged: the row had no more values";
}

TEST_F(GridExportEh, TextLinesFollowTheReaderRules)
{
  struct {
    const char* Name;
    AnsiString Text;
    const char* A;
    const char* B;
    const char* C;
  } cases[] = {
      {"three cells", "p\tq\tr", "p", "q", "r"},   {"trailing tab", "p\t\r\n", "p", "x", "x"},
      {"empty middle", "p\t\tr", "p", "", "r"},    {"empty first", "\tq", "", "q", "x"},
      {"LF is data", "p\nq\tr", "p\nq", "r", "x"}, {"extra cells", "a\tb\tc\td\te", "a", "b", "c"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto ds = std::make_unique<TMemDataSet>();
    for (const char* f : {"A", "B", "C"})
      ds->FieldDefs()->Add(f, ftString, 10);
    ds->CreateDataSet();
    ds->AppendRecord({Variant("x"), Variant("x"), Variant("x")});
    ds->First();
    delete Form;
    delete Source;
    MakeGrid(false);
    Source->SetDataSet(ds.get());
    Grid->SetDataSource(Source);
    AnsiString text = c.Text;
    if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n")
      text += "\r\n";
    Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, text, false);
    EXPECT_EQ(ds->RecordCount(), 1) << "a final CR LF adds no record";
    ds->First();
    EXPECT_EQ(ds->FieldByName("A")->AsString(), c.A);
    EXPECT_EQ(ds->FieldByName("B")->AsString(), c.B);
    EXPECT_EQ(ds->FieldByName("C")->AsString(), c.C);
    Grid->SetDataSource(nullptr);
  }
}

TEST_F(GridExportEh, ACarriageReturnWithoutLineFeedIsDamage)
{
  MakePeopleGrid();
  Grid->SetFooterRowCount(0);
  AnsiString before = Dump(People.get());
  try {
    Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, "zz\t1\r\np\rq", false);
    ADD_FAILURE() << "accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "TDBGridEhImportAsText.CheckState: Invalid text format");
  }
  EXPECT_EQ(Dump(People.get()), before) << "not even the good first line is stored";
  EXPECT_FALSE(People->ControlsDisabled());
}

TEST_F(GridExportEh, KeyListAndLookupColumnsStoreKeys)
{
  MakeGrid();
  TColumnEh* flag = Col("Flag");
  flag->PickList()->SetCommaText("One,Two,Three");
  flag->KeyList()->SetCommaText("1,2");
  ASSERT_EQ(flag->Kind(), ckKeyList);
  for (TColumnEh* c : {Col("ID"), Col("Name"), Col("City"), Col("Qty"), Col("Price"), Col("Amount"),
                       Col("Born"), Col("Paid"), Col("Notes"), Col("CountryID"), Col("Total")})
    c->SetVisible(false);
  Headless().ProcessMessages();
  ASSERT_EQ(Grid->VisibleColumns()->Items(0), flag);
  struct {
    const char* Text;
    const char* Stored;
  } keys[] = {{"two", "2"}, {"three", "2"}, {"Four", "2"}, {"ONE", "1"}};
  Orders->First();
  for (auto& k : keys) {
    SCOPED_TRACE(k.Text);
    Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, AnsiString(k.Text) + "\tli", true);
    Orders->First();
    EXPECT_EQ(Orders->FieldByName("Flag")->AsString(), k.Stored)
        << "an item without a key or an unknown text leaves the value";
  }
  // The lookup list holds "Lin" (ID 1) before "Li" (ID 2): "li" means Li, not the first
  // record that starts so.
  Countries->First();
  Countries->Edit();
  Countries->FieldByName("Name")->SetAsString("Lin");
  Countries->Post();
  Countries->Next();
  Countries->Edit();
  Countries->FieldByName("Name")->SetAsString("Li");
  Countries->Post();
  Orders->First();
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 1);
  Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, "One\tli", true);
  Orders->First();
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 2);
  Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, "One\tno such", true);
  Orders->First();
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 2) << "not found: unchanged";
  Orders->First();
  EXPECT_EQ(Export(ExportClassOf<TDBGridEhExportAsText>(), Grid, false), "")
      << "no selection, nothing";
}

TEST_F(GridExportEh, PastingWhileInsertingAddsOneRecordPerRow)
{
  MakePeopleGrid();
  Grid->SetFooterRowCount(0);
  People->First();
  People->Insert();
  Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, "N1\t1\r\nN2\t2\r\n", false);
  EXPECT_EQ(People->RecordCount(), 5);
  EXPECT_TRUE(People->Locate("Name", Variant("N2"), {}));
  EXPECT_EQ(People->FieldByName("Qty")->AsInteger(), 2);

  // Without a selection at the last record the rows left over are appended only when the
  // grid allows appending.
  People->Last();
  Grid->SetPermittedEdits(Grid->PermittedEdits() - TPermittedEditsEh{peAppendEh});
  Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, "L1\r\nL2\r\nL3", false);
  EXPECT_EQ(People->RecordCount(), 5);
  People->Last();
  Grid->SetPermittedEdits(Grid->PermittedEdits() + TPermittedEditsEh{peAppendEh});
  Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, "L1\r\nL2\r\nL3", false);
  EXPECT_EQ(People->RecordCount(), 8) << "after Last the dataset is at its end: all appended";
  People->Last();
  EXPECT_EQ(People->FieldByName("Name")->AsString(), "L3");
}

TEST_F(GridExportEh, StoringErrorsAskYesNoOrAll)
{
  MakePeopleGrid();
  Grid->SetFooterRowCount(0);
  Grid->SetPermittedEdits(Grid->PermittedEdits() - TPermittedEditsEh{peAppendEh});
  AnsiString rows = "A\tx\r\nB\ty\r\nC\tz";
  People->First();
  Headless().AnswerModal("错误", "是(Y)");
  Headless().AnswerModal("错误", "是(Y)");
  Headless().AnswerModal("错误", "是(Y)");
  Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, rows, false);
  People->First();
  EXPECT_EQ(People->FieldByName("Name")->AsString(), "A") << "Yes skips only the bad cell";
  EXPECT_EQ(People->FieldByName("Qty")->AsInteger(), 5);

  People->First();
  Headless().AnswerModal("错误", "全部");
  Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, "D\tx\r\nE\ty\r\nF\tz", false);
  EXPECT_EQ(Headless().PendingResponders(), 0) << "asked once";
  People->Last();
  EXPECT_EQ(People->FieldByName("Name")->AsString(), "F");

  People->First();
  People->Next();
  Headless().AnswerModal("错误", "否(N)");
  EXPECT_THROW(Import(ImportClassOf<TDBGridEhImportAsText>(), Grid, "G\tx\r\nH\t1", false), EAbort);
  EXPECT_FALSE(People->ControlsDisabled());
  EXPECT_EQ(People->State(), dsBrowse);
  EXPECT_EQ(People->RecNo(), 2) << "the position comes back";
  EXPECT_EQ(People->FieldByName("Name")->AsString(), "G") << "what was stored stays";
  People->Last();
  EXPECT_EQ(People->FieldByName("Name")->AsString(), "F") << "No ends the import";
}
