// The grid library as a whole on one form: a grid over the orders, an edit box, a keyed combo
// box, a check box and a lookup grid on the same data source. Moving in the grid moves every
// control; editing in a control shows in the grid; posting stores once. The grid's Copy is
// read back as a plain text reader and a spreadsheet would read it; the form is written to
// eh_demo.png beside the test binary.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "controls/eh/DBCtrlsEh.h"
#include "controls/eh/DBLookupGridsEh.h"
#include "controls/eh/GridClipboardEh.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdCtrls.h"
#include "tests/controls/eh/GridEhTestKit.h"
#include "tests/support/ControlsGallery.h"

using namespace ehtest;

namespace {

using TTable = std::vector<std::vector<std::string>>;

// Lines split at CR LF, cells at the separator; with Quoted, cells are enclosed in '"' with
// inner '"' doubled (and may hold separators and line ends).
TTable ReadTable(const std::string& Text, char Separator, bool Quoted)
{
  TTable rows(1, std::vector<std::string>(1));
  bool inQuotes = false;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char c = Text[i];
    std::string& cell = rows.back().back();
    if (Quoted && c == '"') {
      if (inQuotes && i + 1 < Text.size() && Text[i + 1] == '"')
        cell += Text[++i];
      else
        inQuotes = !inQuotes;
    } else if (!inQuotes && c == Separator) {
      rows.back().emplace_back();
    } else if (!inQuotes && c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') {
      ++i;
      rows.emplace_back(1);
    } else {
      cell += c;
    }
  }
  return rows;
}

std::string FileText(const std::filesystem::path& Path)
{
  std::ifstream in(Path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

} // namespace

class EhDemo : public GridEhTest {
protected:
  TDBEditEh* Edit = nullptr;
  TDBComboBoxEh* Combo = nullptr;
  TDBCheckBoxEh* Check = nullptr;
  TDBLookupGridEh* Lookup = nullptr;
  TDataSource* CountrySource = nullptr;
  Integer Posts = 0;

  void SetUp() override
  {
    GridEhTest::SetUp();
    SetDefaultTextEngine(nullptr); // the screen's own fonts for the picture
    Form = new TForm(nullptr);
    Form->SetCaption("快递单数据");
    Form->SetBounds(20, 20, 640, 420);
    Source = new TDataSource();
    Source->SetDataSet(Orders.get());
    CountrySource = new TDataSource();
    CountrySource->SetDataSet(Countries.get());

    Grid = gallery::Put<TDBGridEh>(Form, 8, 8, 616, 206);
    const char* columns[][2] = {{"ID", "编号"},  {"Name", "姓名"}, {"City", "城市"},
                                {"Qty", "数量"}, {"Paid", "已付"}, {"Country", "地区"}};
    for (auto& c : columns) {
      TColumnEh* column = Grid->Columns()->Add();
      column->SetFieldName(c[0]);
      column->Title()->SetCaption(c[1]);
    }
    Grid->SetDataSource(Source);

    auto label = [this](const char* caption, Integer x, Integer y) {
      gallery::Put<TLabel>(Form, x, y + 3, 40, 17)->SetCaption(caption);
    };
    label("姓名", 8, 228);
    Edit = gallery::Put<TDBEditEh>(Form, 48, 228, 150, 21);
    Edit->SetDataSource(Source);
    Edit->SetDataField("Name");

    label("地区", 8, 260);
    Combo = gallery::Put<TDBComboBoxEh>(Form, 48, 260, 150, 21);
    for (const char* name : {"North", "South", "East", "West"})
      Combo->Items()->Add(name);
    for (const char* key : {"1", "2", "3", "4"})
      Combo->KeyItems()->Add(key);
    Combo->SetDataSource(Source);
    Combo->SetDataField("CountryID");

    Check = gallery::Put<TDBCheckBoxEh>(Form, 48, 292, 120, 17);
    Check->SetCaption("已付款");
    Check->SetDataSource(Source);
    Check->SetDataField("Paid");

    Lookup = gallery::Put<TDBLookupGridEh>(Form, 240, 228, 180, 100);
    Lookup->SetAutoFitColWidths(true);
    Lookup->SetShowTitles(true);
    Lookup->SetDataSource(Source);
    Lookup->SetDataField("CountryID");
    Lookup->SetListSource(CountrySource);
    Lookup->SetKeyField("ID");
    Lookup->SetListField("Name");
    Lookup->Columns()->Items(0)->Title()->SetCaption("地区");
    Lookup->SetListRowCount(4);

    Orders->AfterPost = [this](TDataSet*) { ++Posts; };
    Form->Show();
    Grid->SetFocus();
    Headless().ProcessMessages();
  }
  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    delete CountrySource;
    GridEhTest::TearDown();
  }
  void Key(Word Vk)
  {
    Headless().Key(Vk);
    Headless().ProcessMessages();
  }
  // What the controls show: edit text, combo text, check state, lookup key and text.
  std::string Shown()
  {
    const char* states[] = {"unchecked", "checked", "grayed"};
    return Edit->Text() + "|" + Combo->Text() + "|" + states[Check->State()] + "|" +
           VarToStr(Lookup->KeyValue()) + "|" + Lookup->Text();
  }
  AnsiString Cell(const char* Field) { return Col(Field)->CellText(); }
};

TEST_F(EhDemo, MovingInTheGridMovesEveryControl)
{
  // The orders as the controls must show them, record by record.
  const char* expected[] = {"Cab|North|checked|1|North",    "Abc|South|unchecked|2|South",
                            "aBd|East|grayed|3|East",       "Delta||checked||",
                            "Echo|North|unchecked|1|North", "张三|South|checked|2|South",
                            "Golf|West|unchecked|4|West",   "Hotel||checked|99|",
                            "India|East|unchecked|3|East",  "Juliet|North|checked|1|North"};
  for (Integer i = 0; i < 10; ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(Orders->RecNo(), i + 1);
    EXPECT_EQ(Shown(), expected[i]);
    if (i < 9)
      Key(VK_DOWN);
  }
  // Back up with the keys of a page and of the first record.
  Key(VK_PRIOR);
  EXPECT_EQ(Shown(), expected[Orders->RecNo() - 1]);
  Headless().Key(VK_HOME, false, true);
  Headless().ProcessMessages();
  EXPECT_EQ(Shown(), expected[0]);
  EXPECT_EQ(Orders->State(), dsBrowse) << "looking changes nothing";
  EXPECT_EQ(Posts, 0);
}

TEST_F(EhDemo, EditingInTheControlsShowsInTheGridAndPostsOnce)
{
  for (Integer i = 0; i < 5; ++i)
    Key(VK_DOWN);
  ASSERT_EQ(Edit->Text(), "张三");
  // The edit box: a new name, kept when the user leaves it.
  Headless().Click(Edit->ClientToScreen({5, 5}));
  Edit->SelectAll();
  Headless().Type("张三丰");
  EXPECT_EQ(Orders->State(), dsEdit);
  Key(VK_TAB);
  EXPECT_TRUE(Combo->Focused());
  EXPECT_EQ(Cell("Name"), "张三丰");
  // The combo box: the next country, shown by the grid's lookup column and the lookup grid.
  Key(VK_DOWN);
  EXPECT_EQ(Combo->Text(), "East");
  Key(VK_TAB);
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 3);
  EXPECT_EQ(Cell("Country"), "East");
  EXPECT_EQ(VarToStr(Lookup->KeyValue()), "3");
  // The check box: paid no more.
  Headless().Click(Check->ClientToScreen({5, 8}));
  Headless().ProcessMessages();
  EXPECT_EQ(Check->State(), cbUnchecked);
  // The lookup grid: the next row writes the key at once; the combo box follows.
  Lookup->SetFocus();
  Headless().ProcessMessages();
  EXPECT_FALSE(Orders->FieldByName("Paid")->AsBoolean()) << "stored when the check box was left";
  EXPECT_EQ(Cell("Paid"), Orders->FieldByName("Paid")->DisplayText());
  Key(VK_DOWN);
  EXPECT_EQ(Orders->FieldByName("CountryID")->AsInteger(), 4);
  EXPECT_EQ(Combo->Text(), "West");
  EXPECT_EQ(Cell("Country"), "West");
  EXPECT_EQ(Posts, 0) << "nothing posted while editing";

  // Back in the grid, moving on posts the record once with every control's value.
  Grid->SetFocus();
  Key(VK_DOWN);
  EXPECT_EQ(Posts, 1);
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_EQ(Shown(), "Golf|West|unchecked|4|West");
  Key(VK_UP);
  EXPECT_EQ(Shown(), "张三丰|West|unchecked|4|West");
  EXPECT_EQ(Orders->FieldByName("Name")->AsString(), "张三丰");
  EXPECT_EQ(Orders->FieldByName("City")->AsString(), "Suzhou") << "the rest as it was";
  EXPECT_EQ(Posts, 1);

  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  ASSERT_TRUE(Headless().SaveScreenshot((dir / "eh_demo.png").string()));
}

TEST_F(EhDemo, CopiedRowsReadBackAsTextAndAsASpreadsheet)
{
  Orders->Edit();
  Orders->FieldByName("City")->SetAsString("苏州;\"老城\"");
  Orders->Post();
  GridCopyAction(Grid, true);
  // What the dataset holds, as the grid shows it.
  TTable expected(1);
  for (const char* title : {"编号", "姓名", "城市", "数量", "已付", "地区"})
    expected[0].push_back(GbkToUtf8(title));
  for (Orders->First(); !Orders->Eof(); Orders->Next()) {
    std::vector<std::string> row;
    for (const char* f : {"ID", "Name", "City", "Qty", "Paid", "Country"})
      row.push_back(GbkToUtf8(Cell(f)));
    expected.push_back(row);
  }
  ASSERT_EQ(expected.size(), 11u);
  EXPECT_EQ(expected[1][2], GbkToUtf8("苏州;\"老城\""));

  // A plain text reader takes the Unicode text: TAB between cells, CR LF between lines.
  Clipboard()->Open();
  std::string utf16 = Clipboard()->GetBuffer(CF_UNICODETEXT);
  std::string csv = Clipboard()->GetBuffer(CsvClipboardFormat);
  Clipboard()->Close();
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < utf16.size(); i += 2)
    wide += static_cast<char16_t>(static_cast<unsigned char>(utf16[i]) |
                                  static_cast<unsigned char>(utf16[i + 1]) << 8);
  ASSERT_FALSE(wide.empty());
  ASSERT_EQ(wide.back(), u'\0');
  wide.pop_back();
  EXPECT_EQ(ReadTable(WideToUtf8(wide), '\t', false), expected);

  // The CSV block: ";" between cells, every cell quoted, GBK bytes and one 0 byte.
  ASSERT_FALSE(csv.empty());
  ASSERT_EQ(csv.back(), '\0');
  csv.pop_back();
  std::string utf8 = GbkToUtf8(csv);
  EXPECT_EQ(ReadTable(utf8, ';', true), expected);

  // A spreadsheet opens the CSV and saves it again as TAB-separated text.
  if (std::system("command -v soffice > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "LibreOffice is not installed";
  std::filesystem::path dir =
      std::filesystem::path(ParamStr(0)).parent_path() / "eh_demo_spreadsheet";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "out");
  {
    std::ofstream out(dir / "copy.csv", std::ios::binary);
    out << utf8;
  }
  std::string command = "cd '" + dir.string() + "'" +
                        " && HOME=$PWD timeout 120 soffice --headless --norestore "
                        "-env:UserInstallation=file://$PWD/profile --infilter=CSV:59,34,76,1 "
                        "--convert-to 'csv:Text - txt - csv (StarCalc):9,,76' --outdir out "
                        "copy.csv > soffice.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string saved = FileText(dir / "out" / "copy.csv");
  if (saved.find('\r') == std::string::npos) // line ends of the system it runs on
    for (std::size_t at = saved.find('\n'); at != std::string::npos; at = saved.find('\n', at + 2))
      saved.replace(at, 1, "\r\n");
  TTable sheet = ReadTable(saved, '\t', false);
  if (!sheet.empty() && sheet.back() == std::vector<std::string>(1))
    sheet.pop_back(); // the spreadsheet ends its last line
  ASSERT_EQ(sheet.size(), expected.size());
  for (std::size_t r = 0; r < sheet.size(); ++r)
    for (std::size_t c = 0; c < expected[r].size(); ++c) {
      SCOPED_TRACE(r);
      ASSERT_LT(c, sheet[r].size());
      // Numbers and the Boolean come back as the spreadsheet shows them.
      if (expected[r][c] == "True" || expected[r][c] == "False")
        EXPECT_EQ(sheet[r][c], expected[r][c] == "True" ? "TRUE" : "FALSE");
      else
        EXPECT_EQ(sheet[r][c], expected[r][c]);
    }
}
