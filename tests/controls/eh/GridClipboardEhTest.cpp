// The RTF exporter and the grid's clipboard and delete commands: golden RTF, twips, shared
// colour numbers, escaped Chinese text read back by LibreOffice where it is installed, the
// four clipboard formats of one copy, paste preferences, and delete with its questions.
#include "controls/eh/GridClipboardEh.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
}

TEST_F(GridClipboardEh, LibreOfficeReadsTheChineseText)
{
  if (std::system("command -v soffice > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "LibreOffice is not installed";
  MakeNamesGrid({"张三", "乗{x}", "李四"});
  AnsiString dir = (std::filesystem::path(ParamStr(0)).parent_path() / "eh_rtf_check").string();
  std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
  {
    std::ofstream out(dir + "/grid.rtf", std::ios::binary);
    out << Rtf(Grid);
  }
  AnsiString command = "cd '" + dir + "'" +
                       " && HOME=$PWD timeout 120 soffice --headless --norestore "
                       "-env:UserInstallation=file://$PWD/profile --convert-to txt:Text grid.rtf "
                       "> soffice.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(dir + "/grid.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  AnsiString gbk = Utf8ToGbk(text.str());
  for (const char* s : {"张三", "乗{x}", "李四", "Name"})
    EXPECT_NE(gbk.find(s), AnsiString::npos) << s;
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
