// The RTF exporter and the grid's clipboard and delete commands: golden RTF, twips, shared
// colour numbers, escaped Chinese text read back by LibreOffice where it is installed, the
// four clipboard formats of one copy, paste preferences, and delete with its questions.
#include "controls/eh/GridClipboardEh.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "controls/eh/DBGridEhExport.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "tests/controls/eh/GridEhTestKit.h"

namespace {

AnsiString Rtf(TCustomDBGridEh* grid, bool all = true)
{
  TMemoryStream stream;
  RunGridExport(ExportClassOf<TDBGridEhExportAsRTF>(), grid, &stream, all);
  return AnsiString(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

const char* Borders = "\\clbrdrl\\brdrs\\brdrcf0\r\n\\clbrdrt\\brdrs\\brdrcf0\r\n"
                      "\\clbrdrb\\brdrs\\brdrcf0\r\n\\clbrdrr\\brdrs\\brdrcf0\r\n";

// Answers the next confirmation box with the button, checking the grid's question first.
void Confirm(TCustomDBGridEh* grid, TGridSelectionKindEh kind, const AnsiString& question,
             const AnsiString& button)
{
  EXPECT_EQ(GridDeleteQuestion(grid, kind), question);
  Headless().OnWindow("确认", [button](HWND box) {
    HWND b = THeadlessBackend::FindChildByText(box, button);
    ASSERT_NE(b, 0);
    TRect r;
    GetClientRect(b, r);
    Headless().Click(THeadlessBackend::ScreenPoint(b, {r.Width() / 2, r.Height() / 2}));
  });
}

// The rows of an RTF table as cells "<borders>:<text>", borders named by their letters
// in the order written (l, t, b, r); the text is what follows the blank after \cb<n>.
std::vector<std::vector<std::string>> TableRows(const std::string& rtf)
{
  std::vector<std::vector<std::string>> rows;
  for (std::size_t at = rtf.find("\\trowd"); at != std::string::npos;
       at = rtf.find("\\trowd", at + 1)) {
    std::size_t end = rtf.find("\\row}", at);
    std::string row = rtf.substr(at, end - at);
    std::vector<std::string> borders;
    std::string current;
    std::size_t pos = 0;
    for (std::size_t cell = row.find("\\clbrdr"), shade = row.find("\\clshdng");
         shade != std::string::npos; shade = row.find("\\clshdng", shade + 1)) {
      current.clear();
      for (; cell != std::string::npos && cell < shade; cell = row.find("\\clbrdr", cell + 1))
        current += row[cell + 7];
      borders.push_back(current);
      pos = shade;
    }
    std::vector<std::string> cells;
    std::size_t c = row.find("\\pard\\intbl{", pos);
    for (std::size_t i = 0; c != std::string::npos; ++i, c = row.find("\\pard\\intbl{", c + 1)) {
      std::size_t text = row.find(' ', row.find("\\cb", c)) + 1;
      std::string t = row.substr(text, row.find("\\cell}", text) - text);
      cells.push_back((i < borders.size() ? borders[i] : "?") + ":" + t);
    }
    rows.push_back(cells);
  }
  return rows;
}

// Converts the RTF to plain text with LibreOffice and returns it as GBK.
AnsiString LibreOfficeText(const AnsiString& rtf, const char* name)
{
  AnsiString dir = (std::filesystem::path(ParamStr(0)).parent_path() / name).string();
  std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
  {
    std::ofstream out(dir + "/grid.rtf", std::ios::binary);
    out << rtf;
  }
  AnsiString command = "cd '" + dir + "'" +
                       " && HOME=$PWD timeout 120 soffice --headless --norestore "
                       "-env:UserInstallation=file://$PWD/profile --convert-to txt:Text grid.rtf "
                       "> soffice.log 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(dir + "/grid.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return Utf8ToGbk(text.str());
}

} // namespace

class GridClipboardEh : public ehtest::GridEhTest {
protected:
  std::unique_ptr<TMemDataSet> Names;
  void TearDown() override
  {
    GridEhTest::TearDown();
    Names.reset();
  }
  // One column "Name" 65 pixels wide, Arial 9 pt, over the given names.
  TDBGridEh* MakeNamesGrid(std::initializer_list<const char*> names)
  {
    Names = std::make_unique<TMemDataSet>();
    Names->FieldDefs()->Add("Name", ftString, 20);
    Names->CreateDataSet();
    for (const char* n : names)
      Names->AppendRecord({Variant(n)});
    Names->First();
    MakeGrid(false);
    Source->SetDataSet(Names.get());
    Grid->Font()->SetName("Arial");
    Grid->Font()->SetSize(9);
    Grid->TitleFont()->SetName("Arial");
    Grid->TitleFont()->SetSize(9);
    TColumnEh* c = Grid->Columns()->Add();
    c->SetFieldName("Name");
    c->SetWidth(65);
    Grid->SetDataSource(Source);
    Headless().ProcessMessages();
    return Grid;
  }
};

TEST_F(GridClipboardEh, GoldenRtfOfAOneColumnGrid)
{
  MakeNamesGrid({"Abc"});
  AnsiString expected = AnsiString("{\\rtf0\\ansi\\ansicpg936\r\n") +
                        "{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;"
                        "\\red240\\green240\\blue240;}\r\n" +
                        "{\\fonttbl\\f0\\fnil\\fcharset134 Arial;}\r\n" +
                        "\\trowd\r\n\\trgaph40\r\n" + Borders +
                        "\\clshdng10000\\clcfpat2\\cellx975\r\n{\\trrh0\r\n" +
                        "\\pard\\intbl{\\ql\\sb24\\sa24\\fs18\\f0\\cf0\\cb2 Name\\cell}\r\n" +
                        "\\pard\\intbl\\row}\r\n" + "\\trowd\r\n\\trgaph40\r\n" + Borders +
                        "\\clshdng10000\\clcfpat1\\cellx975\r\n{\\trrh0\r\n" +
                        "\\pard\\intbl{\\ql\\sb24\\sa24\\fs18\\f0\\cf0\\cb1 Abc\\cell}\r\n" +
                        "\\pard\\intbl\\row}\r\n}";
  EXPECT_EQ(Rtf(Grid), expected);
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgTitles});
  EXPECT_EQ(Rtf(Grid).find("Name"), AnsiString::npos) << "no titles shown, no title row";
  Grid->SetFlat(true);
  EXPECT_NE(Rtf(Grid).find("\\sb12\\sa12"), AnsiString::npos);
  EXPECT_EQ(Rtf(Grid, false), "") << "nothing selected, nothing written";
}

TEST_F(GridClipboardEh, EdgesColoursFontsAndEscapes)
{
  MakeNamesGrid({"乗{x}\\", "张三"});
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgTitles});
  for (auto [name, width] : {std::pair{"Name", 50}, {"Name", 33}}) {
    TColumnEh* c = Grid->Columns()->Add();
    c->SetFieldName(name);
    c->SetWidth(width);
  }
  Headless().ProcessMessages();
  // A background equal to the button face reuses colour 2; a bold 12-point 宋体 is \fs24\b.
  Grid->OnGetCellParams = [](TObject*, TColumnEh*, TFont* font, TColor& background,
                             TGridDrawState) {
    background = clBtnFace;
    font->SetName("宋体");
    font->SetSize(12);
    font->SetStyle({fsBold});
  };
  AnsiString rtf = Rtf(Grid);
  for (const char* edge : {"\\cellx975\r\n", "\\cellx1725\r\n", "\\cellx2220\r\n"})
    EXPECT_NE(rtf.find(edge), AnsiString::npos) << edge;
  EXPECT_EQ(rtf.find("\\red240\\green240\\blue240;\\red"), AnsiString::npos)
      << "no second entry for the button face";
  EXPECT_NE(rtf.find("\\clcfpat2\\cellx"), AnsiString::npos);
  EXPECT_NE(rtf.find("\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;"), AnsiString::npos)
      << "the Chinese font name escaped";
  EXPECT_NE(rtf.find("\\fs24\\b\\f0\\cf0\\cb2 \\'81\\'5c\\{x\\}\\\\\\cell}"), AnsiString::npos)
      << "a trail byte 5C is not taken for a backslash";
  EXPECT_EQ(RtfEscapedText("\xa9\x5c{"), "\\'a9\\'5c\\{");
  // Line ends of memo texts become \line; a reader would join the lines otherwise.
  EXPECT_EQ(RtfEscapedText("a\r\nb\nc\rd\r\n"), "a\\line b\\line c\\line d\\line ");
}

TEST_F(GridClipboardEh, LibreOfficeReadsTheChineseText)
{
  if (std::system("command -v soffice > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "LibreOffice is not installed";
  MakeNamesGrid({"张三", "乗{x}", "李四"});
  AnsiString gbk = LibreOfficeText(Rtf(Grid), "eh_rtf_check");
  for (const char* s : {"张三", "乗{x}", "李四", "Name"})
    EXPECT_NE(gbk.find(s), AnsiString::npos) << s;

  // Multi-level Chinese titles and a text of two lines.
  Names->First();
  Names->Edit();
  Names->FieldByName("Name")->SetAsString("第一行\r\n第二行");
  Names->Post();
  Grid->SetUseMultiTitle(true);
  Grid->Columns()->Items(0)->Title()->SetCaption("地址|城市");
  for (const char* caption : {"地址|街道", "电话"}) {
    TColumnEh* c = Grid->Columns()->Add();
    c->SetFieldName("Name");
    c->SetWidth(65);
    c->Title()->SetCaption(caption);
  }
  Headless().ProcessMessages();
  gbk = LibreOfficeText(Rtf(Grid), "eh_rtf_check_titles");
  for (const char* s : {"地址", "城市", "街道", "电话", "乗{x}"})
    EXPECT_NE(gbk.find(s), AnsiString::npos) << s;
  EXPECT_EQ(gbk.find("地址", gbk.find("地址") + 1), AnsiString::npos) << "the upper title once";
  EXPECT_EQ(gbk.find("第一行第二行"), AnsiString::npos) << "the two lines stay apart";
  EXPECT_NE(gbk.find("第二行"), AnsiString::npos);
}

TEST_F(GridClipboardEh, MultiLevelTitlesLeaveOutTheBordersInsideTheirSpans)
{
  MakeNamesGrid({"Abc"});
  Grid->SetUseMultiTitle(true);
  Grid->Columns()->Items(0)->Title()->SetCaption("G|A");
  for (auto [caption, width] : {std::pair{"G|B", 50}, {"C", 33}}) {
    TColumnEh* c = Grid->Columns()->Add();
    c->SetFieldName("Name");
    c->SetWidth(width);
    c->Title()->SetCaption(caption);
  }
  Headless().ProcessMessages();
  auto line = [](const char* border) {
    return "\\clbrdr" + std::string(border) + "\\brdrs\\brdrcf0\r\n";
  };
  std::string l = line("l"), t = line("t"), b = line("b"), r = line("r");
  // Two leaves under one group beside a column as high as group and leaf together; the
  // title text spacing of 10 pixels gives \sb55\sa55, empty cells have no spacing.
  std::string titles = "\\trowd\r\n\\trgaph40\r\n" + l + t + b +
                       "\\clshdng10000\\clcfpat2\\cellx975\r\n" + t + b + r +
                       "\\clshdng10000\\clcfpat2\\cellx1725\r\n" + l + t + r +
                       "\\clshdng10000\\clcfpat2\\cellx2220\r\n{\\trrh0\r\n"
                       "\\pard\\intbl{\\qc\\sb55\\sa55\\fs18\\f0\\cf0\\cb2 G\\cell}\r\n"
                       "\\pard\\intbl{\\qc\\fs18\\f0\\cf0\\cb2 \\cell}\r\n"
                       "\\pard\\intbl{\\qc\\sb55\\sa55\\fs18\\f0\\cf0\\cb2 C\\cell}\r\n"
                       "\\pard\\intbl\\row}\r\n"
                       "\\trowd\r\n\\trgaph40\r\n" +
                       l + t + b + r + "\\clshdng10000\\clcfpat2\\cellx975\r\n" + l + t + b + r +
                       "\\clshdng10000\\clcfpat2\\cellx1725\r\n" + l + b + r +
                       "\\clshdng10000\\clcfpat2\\cellx2220\r\n{\\trrh0\r\n"
                       "\\pard\\intbl{\\qc\\sb55\\sa55\\fs18\\f0\\cf0\\cb2 A\\cell}\r\n"
                       "\\pard\\intbl{\\qc\\sb55\\sa55\\fs18\\f0\\cf0\\cb2 B\\cell}\r\n"
                       "\\pard\\intbl{\\qc\\fs18\\f0\\cf0\\cb2 \\cell}\r\n"
                       "\\pard\\intbl\\row}\r\n";
  std::string rtf = Rtf(Grid);
  std::size_t body = rtf.find("\\trowd");
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(rtf.substr(body, titles.size()), titles);
  EXPECT_EQ(rtf.substr(body + titles.size(), 7), "\\trowd\r") << "the data row follows";

  // Three levels: the upper title G spans two columns and two levels; the cells it covers
  // stay empty and keep the borders inside it left out. The grid's fixed colour and title
  // font serve the upper levels, the column's title the leaves.
  Grid->SetFixedColor(clYellow);
  Grid->TitleFont()->SetName("宋体");
  Grid->Columns()->Items(2)->Title()->SetCaption("H|X|1");
  Grid->Columns()->Items(0)->Title()->SetColor(clAqua);
  Grid->Columns()->Items(0)->Title()->Font()->SetName("Arial");
  Headless().ProcessMessages();
  rtf = Rtf(Grid);
  std::vector<std::vector<std::string>> expected = {
      {"lt:G", "tr:", "ltbr:H"}, {"lb:", "br:", "ltbr:X"}, {"ltbr:A", "ltbr:B", "ltbr:1"}};
  std::vector<std::vector<std::string>> rows = TableRows(rtf);
  ASSERT_EQ(rows.size(), 4u);
  rows.pop_back();
  EXPECT_EQ(rows, expected);
  EXPECT_NE(
      rtf.find(
          "\\fonttbl\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;\\f1\\fnil\\fcharset134 Arial;"),
      std::string::npos);
  EXPECT_NE(rtf.find("\\f0\\cf0\\cb3 G\\cell}"), std::string::npos);
  EXPECT_NE(rtf.find("\\f1\\cf0\\cb4 A\\cell}"), std::string::npos);
  EXPECT_NE(rtf.find("\\f0\\cf0\\cb3 B\\cell}"), std::string::npos);
  for (const char* shade :
       {"\\clcfpat3\\cellx975", "\\clcfpat4\\cellx975", "\\clcfpat3\\cellx1725"})
    EXPECT_NE(rtf.find(shade), std::string::npos) << shade;
  Grid->SetUseMultiTitle(false);
  EXPECT_EQ(TableRows(Rtf(Grid))[0],
            (std::vector<std::string>{"ltbr:G|A", "ltbr:G|B", "ltbr:H|X|1"}));
}

TEST_F(GridClipboardEh, CopyPutsFourFormatsInOneContentAndPasteBringsThemBack)
{
  MakeNamesGrid({"张三", "李四"});
  Clipboard()->SetAsText("old");
  GridCopyAction(Grid, true);
  Clipboard()->Open();
  EXPECT_EQ(Clipboard()->FormatCount(), 4) << "the old text is gone";
  for (UINT f :
       {UINT(CF_UNICODETEXT), CsvClipboardFormat, RtfClipboardFormat, VCLDBIFClipboardFormat})
    EXPECT_TRUE(Clipboard()->HasFormat(f)) << f;
  std::string csv = Clipboard()->GetBuffer(CsvClipboardFormat);
  std::string rtf = Clipboard()->GetBuffer(RtfClipboardFormat);
  std::string bin = Clipboard()->GetBuffer(VCLDBIFClipboardFormat);
  std::string wide = Clipboard()->GetBuffer(CF_UNICODETEXT);
  Clipboard()->Close();
  EXPECT_EQ(csv, std::string("\"Name\"\r\n\"张三\"\r\n\"李四\"") + '\0');
  EXPECT_EQ(rtf.back(), '\0');
  EXPECT_EQ(rtf[rtf.size() - 2], '}');
  EXPECT_EQ(bin.back(), '\0') << "the end tag";
  EXPECT_NE(bin[bin.size() - 2], '\0') << "and no terminating byte after it";
  ASSERT_GE(wide.size(), 2u);
  EXPECT_EQ(wide.substr(wide.size() - 2), std::string(2, '\0'));
  EXPECT_EQ(Clipboard()->AsText().substr(0, 10), "Name\r\n张三");

  // Paste takes the typed values of VCLDBIF even though text is there too.
  Names->Last();
  Names->Edit();
  Names->FieldByName("Name")->SetAsString("x");
  Names->Post();
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgTitles});
  GridCopyAction(Grid, true);
  Names->First();
  Names->Edit();
  Names->FieldByName("Name")->SetAsString("y");
  Names->Post();
  Clipboard()->Open();
  Clipboard()->SetBuffer(CF_TEXT, "text\r\nwins");
  Clipboard()->SetBuffer(VCLDBIFClipboardFormat, bin);
  Clipboard()->Close();
  GridPasteAction(Grid, true);
  Names->First();
  EXPECT_EQ(Names->FieldByName("Name")->AsString(), "张三");
  Names->Last();
  EXPECT_EQ(Names->FieldByName("Name")->AsString(), "李四");
}

TEST_F(GridClipboardEh, PastedTextEndsAtItsZeroAndAnEmptyBlockIsDamage)
{
  MakeNamesGrid({"a", "b"});
  Clipboard()->SetAsText(AnsiString("x\ty\r\n\0junk", 11));
  GridPasteAction(Grid, false);
  EXPECT_EQ(Names->RecordCount(), 2) << "a final line end adds no record";
  Names->First();
  EXPECT_EQ(Names->FieldByName("Name")->AsString(), "x");

  Clipboard()->Open();
  Clipboard()->SetBuffer(VCLDBIFClipboardFormat, "");
  Clipboard()->Close();
  try {
    GridPasteAction(Grid, false);
    ADD_FAILURE() << "accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "TDBGridEhImportAsVCLDBIF.ReadPrefix: Invalid VCLDBIF format");
  }
  EXPECT_FALSE(Clipboard()->IsOpen());
  Clipboard()->Clear();
  GridPasteAction(Grid, false);
  EXPECT_EQ(Names->RecordCount(), 2) << "an empty clipboard pastes nothing";
}

TEST_F(GridClipboardEh, DeleteAsksTheRightQuestionAndCancelKeepsEverything)
{
  MakeNamesGrid({"a", "b", "c", "d"});
  Grid->SetOptions(Grid->Options() + TDBGridEhOptions{dgMultiSelect, dgConfirmDelete});
  Grid->SelectedRows()->SetCurrentSelected(true);
  Grid->Selection()->SetKind(selRowsEh);
  Confirm(Grid, selRowsEh, "Delete record?", "取消");
  GridDeleteAction(Grid, false);
  EXPECT_EQ(Names->RecordCount(), 4);
  Confirm(Grid, selRowsEh, "Delete record?", "确定");
  GridDeleteAction(Grid, false);
  EXPECT_EQ(Names->RecordCount(), 3);
  EXPECT_EQ(Grid->Selection()->Kind(), selNoneEh);

  Names->First();
  Grid->SelectedRows()->SetCurrentSelected(true);
  Names->Next();
  Grid->SelectedRows()->SetCurrentSelected(true);
  Grid->Selection()->SetKind(selRowsEh);
  Confirm(Grid, selRowsEh, "Delete all selected records?", "确定");
  GridDeleteAction(Grid, false);
  EXPECT_EQ(Names->RecordCount(), 1);
  Names->First();
  EXPECT_EQ(Names->FieldByName("Name")->AsString(), "d");

  // A rectangle clears cells and never deletes a record.
  Names->AppendRecord({Variant("e")});
  Names->First();
  TBookmarkStr first = Names->Bookmark();
  Names->Last();
  Grid->Selection()->Rect()->SelectCell(0, first, false);
  Grid->Selection()->Rect()->SelectCell(0, Names->Bookmark(), true);
  Grid->Selection()->SetKind(selRectEh);
  Confirm(Grid, selRectEh, "Clear selected cells?", "确定");
  GridDeleteAction(Grid, false);
  EXPECT_EQ(Names->RecordCount(), 2);
  Names->First();
  EXPECT_TRUE(Names->FieldByName("Name")->IsNull());
  EXPECT_EQ(Names->State(), dsBrowse);

  // Deleting everything asks too, and so does clearing whole columns.
  EXPECT_EQ(GridDeleteQuestion(Grid, selColumnsEh), "Clear selected cells?");
  Confirm(Grid, selAllEh, "Delete all selected records?", "取消");
  GridDeleteAction(Grid, true);
  EXPECT_EQ(Names->RecordCount(), 2);
  Grid->SetOptions(Grid->Options() - TDBGridEhOptions{dgConfirmDelete});
  GridDeleteAction(Grid, true);
  EXPECT_EQ(Names->RecordCount(), 0);
  EXPECT_EQ(Headless().PendingResponders(), 0);
  EXPECT_FALSE(Names->ControlsDisabled());
}

TEST_F(GridClipboardEh, CutCopiesThenDeletes)
{
  MakeNamesGrid({"张三", "李四"});
  Confirm(Grid, selAllEh, "Delete all selected records?", "确定");
  GridCutAction(Grid, true);
  EXPECT_EQ(Names->RecordCount(), 0);
  GridPasteAction(Grid, false);
  EXPECT_EQ(Names->RecordCount(), 2) << "appended back from the VCLDBIF copy";
  Names->First();
  EXPECT_EQ(Names->FieldByName("Name")->AsString(), "张三");
}
