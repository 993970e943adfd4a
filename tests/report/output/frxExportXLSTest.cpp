// The spreadsheet export: the automation calls it makes (recorded by a stand-in server),
// cell names, and the sample waybill written as an .xlsx workbook by the workbook object,
// read back from its XML parts and by LibreOffice.
#include "report/output/frxExportXLS.h"

#include <gtest/gtest.h>

#include "platform/ole/ComObj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/report/output/ExportFixtures.h"
#include "tests/report/output/OutputTestSupport.h"

namespace {

AnsiString Show(const Variant& V)
{
  if (VarIsArray(V))
    return "<array>";
  if (V.Type() == varBoolean)
    return V.AsBoolean() ? "True" : "False";
  if (V.Type() == varDouble) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", V.AsDouble());
    return buf;
  }
  if (V.Type() == varError)
    return "<empty>";
  return VarToStr(V);
}

// A stand-in server: every get or call gives a new object named by its path, every put is
// written down as path=value.
class TRecorder : public IDispatch {
public:
  TRecorder(std::vector<std::string>* Log, std::string Path) : FLog(Log), FPath(std::move(Path)) {}

  Variant Invoke(const AnsiString& Name, Integer Flags, const std::vector<Variant>& Args) override
  {
    std::string call = FPath.empty() ? Name : FPath + "." + Name;
    const size_t given = (Flags & DISPATCH_PROPERTYPUT) ? Args.size() - 1 : Args.size();
    if (given > 0) {
      call += "(";
      for (size_t i = 0; i < given; ++i)
        call += (i ? "," : "") + Show(Args[i]);
      call += ")";
    }
    if (Flags & DISPATCH_PROPERTYPUT) {
      FLog->push_back(call + "=" + Show(Args.back()));
      return Variant();
    }
    FLog->push_back(call);
    return VarFromDispatch(new TRecorder(FLog, call));
  }

private:
  std::vector<std::string>* FLog;
  std::string FPath;
};

class frxXLSTest : public ::testing::Test {
protected:
  void SetUp() override { Headless().Reset(); }
  void TearDown() override { Headless().Reset(); }
};

size_t IndexOf(const std::vector<std::string>& Log, const std::string& Entry)
{
  auto it = std::find(Log.begin(), Log.end(), Entry);
  return it == Log.end() ? std::string::npos : static_cast<size_t>(it - Log.begin());
}

} // namespace

TEST(frxExcelTest, CellNames)
{
  const struct {
    Integer N;
    const char* Letters;
  } cases[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"}};
  for (const auto& c : cases)
    EXPECT_EQ(TfrxExcel::ColumnLetters(c.N), c.Letters) << c.N;
  EXPECT_EQ(TfrxExcel::CellName(3, 7), "C7");
}

// The calls for a two-page report: the opening sequence, margins in points, row heights
// (capped) and column widths, one style per look, a text over 2 x 3 cells merged with its
// borders, the page break, one array of texts, SaveAs and Quit.
TEST_F(frxXLSTest, AutomationCalls)
{
  std::vector<std::string> log;
  TOleClassFactory real = RegisterOleClass("Excel.Application", [&] {
    log.push_back("Create(\"Excel.Application\")");
    return new TRecorder(&log, "");
  });
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(10);
  TfrxMemoView* big = r.Memo(band, 0, 0, 300, 60, "two\r\nlines");
  big->Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
  big->Font()->SetStyle({fsBold});
  big->SetColor(clBtnFace);
  r.Memo(band, 0, 60, 100, 20, "a");
  r.Memo(band, 100, 60, 100, 20, "b");
  r.Memo(band, 200, 60, 100, 20, "c");
  r.Memo(band, 300, 0, 100, 30, "d");
  r.Memo(band, 300, 30, 100, 30, "e");
  r.Memo(band, 0, 100, 100, 800, "tall"); // a row above the 409-point cap
  r.Memo(r.AddPage(10), 0, 0, 100, 20, "page 2");
  r.Prepare();
  TfrxXLSExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetShowProgress(false);
  filter.SetFileName("/tmp/out.xlsx");
  ASSERT_TRUE(r.Export(&filter));
  RegisterOleClass("Excel.Application", real);

  const std::vector<std::string> opening = {"Create(\"Excel.Application\")",
                                            "Application",
                                            "Application.EnableEvents=False",
                                            "Application.EnableAutoComplete=False",
                                            "Application.EnableAnimations=False",
                                            "Application.ScreenUpdating=False",
                                            "Application.Interactive=False",
                                            "Application.DisplayAlerts=False",
                                            "WorkBooks",
                                            "WorkBooks.Add",
                                            "WorkBooks.Add.WorkSheets(1)"};
  ASSERT_GE(log.size(), opening.size());
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + opening.size()), opening);
  // Margins of 10 mm in points, then the orientation.
  const size_t margins = IndexOf(log, "ActiveSheet.PageSetup.LeftMargin=28.3465");
  ASSERT_NE(margins, std::string::npos);
  EXPECT_EQ(log[margins + 1], "ActiveSheet.PageSetup.RightMargin=28.3465");
  EXPECT_EQ(log[margins + 4], "WorkBooks.Add.WorkSheets(1).PageSetup");
  EXPECT_EQ(log[margins + 5], "WorkBooks.Add.WorkSheets(1).PageSetup.Orientation=1");
  const std::string sheet = "WorkBooks.Add.WorkSheets(1)";
  // Rows in points (pixels / 1.31): the tall text is split at 535.79 pixels, its first part
  // capped at 409 points. Columns in characters (pixels / 8).
  for (const char* e :
       {".Rows.Rows(1).RowHeight=22.9008", ".Rows.Rows(3).RowHeight=15.2672",
        ".Rows.Rows(5).RowHeight=409.0000", ".Rows.Rows(6).RowHeight=201.6870",
        ".Columns.Columns(1).ColumnWidth=12.5000", ".Columns.Columns(4).ColumnWidth=12.5000"})
    EXPECT_NE(IndexOf(log, sheet + e), std::string::npos) << e;
  // One page break: above the second page's first row, two below the first page's end
  // (row 7 is the gap between the pages).
  size_t breaks = 0;
  for (const std::string& e : log)
    if (e.find(".PageBreak=-4135") != std::string::npos)
      ++breaks;
  EXPECT_EQ(breaks, 1u);
  EXPECT_NE(IndexOf(log, sheet + ".Rows(8).PageBreak=-4135"), std::string::npos);
  // Styles: the bold one with the button face colour resolved.
  EXPECT_NE(IndexOf(log, "ActiveWorkbook.Styles.Add(S0)"), std::string::npos);
  EXPECT_NE(IndexOf(log, "ActiveWorkbook.Styles.Add(S0).Font.Bold=True"), std::string::npos);
  bool faceFill = false;
  for (const std::string& e : log)
    faceFill = faceFill || e.find(".Interior.Color=" + std::to_string(ColorToRGB(clBtnFace))) !=
                               std::string::npos;
  EXPECT_TRUE(faceFill);
  // The big text: 2 rows x 3 columns, its style, merged, four borders.
  const std::string range = sheet + ".Range(A1,C2)";
  const size_t style = IndexOf(log, range + ".Style=S0");
  ASSERT_NE(style, std::string::npos) << [&] {
    std::string all;
    for (const std::string& e : log)
      all += e + "\n";
    return all;
  }();
  EXPECT_EQ(log[style + 2], range + ".MergeCells=True");
  EXPECT_NE(IndexOf(log, range + ".Cells.Borders.Item(7).LineStyle=1"), std::string::npos);
  EXPECT_NE(IndexOf(log, range + ".Cells.Borders.Item(10).LineStyle=1"), std::string::npos);
  EXPECT_NE(IndexOf(log, range + ".Borders.Item(8).LineStyle=1"), std::string::npos);
  EXPECT_NE(IndexOf(log, range + ".Borders.Item(9).LineStyle=1"), std::string::npos);
  // One array for all texts, then the wrap, the selection, SaveAs and Quit, in that order.
  size_t values = 0;
  for (const std::string& e : log)
    if (e.find(".Value=<array>") != std::string::npos)
      ++values;
  EXPECT_EQ(values, 1u);
  const size_t save = IndexOf(log, sheet.substr(0, sheet.find(".WorkSheets")) +
                                       ".SaveAs(/tmp/out.xlsx,-4143,<empty>,<empty>,<empty>,"
                                       "<empty>,1,<empty>,<empty>,<empty>)");
  ASSERT_NE(save, std::string::npos);
  EXPECT_EQ(log[save - 1], sheet + ".Range(A1,A1).Select");
  EXPECT_EQ(log.back(), "Quit");
}

// The sample waybill as a real workbook: texts (Chinese included) in the shared strings,
// merged cells, a page break between the pages, the pictures; LibreOffice opens it.
TEST_F(frxXLSTest, WaybillSampleWorkbook)
{
  ASSERT_TRUE(ProgramAvailable("unzip"));
  TExportReport r;
  BuildWaybillReport(r);
  r.Prepare();
  TfrxXLSExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetShowProgress(false);
  const std::string file = OutputPath("export_waybill.xlsx");
  DeleteFile(file);
  filter.SetFileName(file);
  ASSERT_TRUE(r.Export(&filter));
  const std::string strings =
      RunProgram("unzip -p '" + file + "' xl/sharedStrings.xml 2>/dev/null");
  for (const char* expected : {"青禾快递单", "寄件人", "北京市海淀区中关村大街1号",
                               "上海市浦东新区世纪大道100号", "运单号码"})
    EXPECT_NE(strings.find(GbkToUtf8(expected)), std::string::npos) << GbkToUtf8(expected);
  const std::string sheet =
      RunProgram("unzip -p '" + file + "' xl/worksheets/sheet1.xml 2>/dev/null");
  EXPECT_NE(sheet.find("<mergeCells"), std::string::npos);
  EXPECT_NE(sheet.find("<rowBreaks count=\"1\""), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("<pageMargins left=\"0.3937"), std::string::npos);
  const std::string list = RunProgram("unzip -l '" + file + "' 2>/dev/null");
  EXPECT_NE(list.find("xl/media/image1.png"), std::string::npos) << list;
  if (!ProgramAvailable("soffice") || !ProgramAvailable("pdftotext"))
    GTEST_SKIP() << "LibreOffice is not installed";
  const std::string dir = OutputPath("export_waybill_xlsx_lo");
  int code = 0;
  RunProgram("rm -rf '" + dir + "' && HOME='" + dir +
                 "' soffice --headless --convert-to pdf --outdir '" + dir + "' '" + file +
                 "' >/dev/null 2>&1",
             &code);
  ASSERT_EQ(code, 0);
  const std::string text = RunProgram("pdftotext -layout '" + dir + "/export_waybill.pdf' - 2>&1");
  for (const char* expected : {"青禾快递单", "寄件人", "13900139000", "运单号码"})
    EXPECT_NE(text.find(GbkToUtf8(expected)), std::string::npos) << GbkToUtf8(expected) << "\n"
                                                                 << text;
}

// A workbook that cannot be saved ends the export with the error, and the file it was to
// replace is left alone.
TEST_F(frxXLSTest, FailedSaveIsReported)
{
  TExportReport r;
  r.Memo(r.AddPage(10), 0, 0, 100, 20, "x");
  r.Prepare();
  TfrxXLSExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetShowProgress(false);
  filter.SetFileName("/nonexistent-dir/out.xlsx");
  EXPECT_THROW(r.Export(&filter), EOleException);
  // Without a server nothing is written either, and the error is the automation error.
  TOleClassFactory real = RegisterOleClass("Excel.Application", nullptr);
  TfrxXLSExport noServer(nullptr);
  noServer.SetShowDialog(false);
  noServer.SetShowProgress(false);
  noServer.SetFileName(OutputPath("never.xlsx"));
  EXPECT_THROW(r.Export(&noServer), EOleSysError);
  RegisterOleClass("Excel.Application", real);
  EXPECT_FALSE(FileExists(OutputPath("never.xlsx")));
}
