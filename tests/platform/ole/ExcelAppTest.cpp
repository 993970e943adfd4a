// The automation registry and the workbook object: cell names, late-bound calls and their
// errors, and workbooks written through the object and read back from the .xlsx parts.
#include "platform/ole/ExcelApp.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/ole/ComObj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ShellAPI.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/report/output/OutputTestSupport.h"

namespace {

// One part of an .xlsx file (a zip), as text.
std::string Part(const std::string& File, const std::string& Name)
{
  return RunProgram("unzip -p '" + File + "' '" + Name + "' 2>/dev/null");
}

Variant Range(const Variant& Sheet, const char* A, const char* B)
{
  return OleCall(Sheet, "Range", {Variant(A), Variant(B)});
}

} // namespace

TEST(ExcelAppTest, CellNames)
{
  const struct {
    Integer Column;
    const char* Letters;
  } columns[] = {{1, "A"},   {26, "Z"},   {27, "AA"},  {52, "AZ"},
                 {53, "BA"}, {702, "ZZ"}, {703, "AAA"}};
  for (const auto& c : columns) {
    EXPECT_EQ(XlsColumnLetters(c.Column), c.Letters);
    Integer col = -1, row = -1;
    ASSERT_TRUE(XlsParseCellName(AnsiString(c.Letters) + "7", col, row));
    EXPECT_EQ(col, c.Column - 1);
    EXPECT_EQ(row, 6);
  }
  Integer col, row;
  for (const char* bad : {"", "A", "7", "A0", "7A", "A7B", "A-1", "XFE1", "A1048577"})
    EXPECT_FALSE(XlsParseCellName(bad, col, row)) << bad;
  EXPECT_TRUE(XlsParseCellName("c7", col, row));
}

TEST(ExcelAppTest, RegistryAndCallErrors)
{
  try {
    CreateOleObject("No.Such.Server");
    FAIL();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), "Invalid class string");
    EXPECT_EQ(e.ErrorCode(), CO_E_CLASSSTRING);
  }
  Variant app = CreateOleObject("excel.application"); // names ignore case
  EXPECT_EQ(VarToDispatch(OleGet(app, "APPLICATION")), VarToDispatch(app));
  try {
    OleGet(app, "NoSuchMember");
    FAIL();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), DISP_E_UNKNOWNNAME);
  }
  Variant book = OleCall(OleGet(app, "WorkBooks"), "Add");
  EXPECT_THROW(OleCall(book, "WorkSheets", {Variant(2)}), EOleSysError);
  Variant sheet = OleCall(book, "WorkSheets", {Variant(1)});
  EXPECT_THROW(Range(sheet, "A1", "nonsense"), EOleException);
  EXPECT_THROW(OlePut(Range(sheet, "A1", "B2"), "Style", Variant("S9")), EOleException);
  EXPECT_THROW(OleCall(OleGet(Range(sheet, "A1", "A1"), "Borders"), "Item", {Variant(11)}),
               EOleSysError);
  EXPECT_THROW(OleCall(book, "WorkSheets"), EOleSysError); // a missing argument
  // Replacing a registration and putting it back.
  TOleClassFactory old = RegisterOleClass("Excel.Application", nullptr);
  EXPECT_THROW(CreateOleObject("Excel.Application"), EOleSysError);
  RegisterOleClass("Excel.Application", old);
  EXPECT_NO_THROW(CreateOleObject("Excel.Application"));
}

// A scripted sequence like the spreadsheet export's: the sheet, styles and page set-up
// come back from the file's XML parts.
TEST(ExcelAppTest, WorkbookWrittenAsXlsx)
{
  if (!ProgramAvailable("unzip"))
    GTEST_SKIP() << "unzip is not installed";
  Headless().Reset();
  Variant app = CreateOleObject("Excel.Application");
  Variant book = OleCall(OleGet(app, "WorkBooks"), "Add");
  Variant sheet = OleCall(book, "WorkSheets", {Variant(1)});
  OlePut(OleCall(OleGet(sheet, "Rows"), "Rows", {Variant(2)}), "RowHeight", Variant(30.0));
  OlePut(OleCall(OleGet(sheet, "Rows"), "Rows", {Variant(3)}), "RowHeight", Variant(500.0));
  OlePut(OleCall(OleGet(sheet, "Columns"), "Columns", {Variant(2)}), "ColumnWidth", Variant(25.0));
  OlePut(OleCall(sheet, "Rows", {Variant(5)}), "PageBreak", Variant(-4135));
  Variant style = OleCall(OleGet(OleGet(app, "ActiveWorkbook"), "Styles"), "Add", {Variant("S0")});
  Variant font = OleGet(style, "Font");
  OlePut(font, "Bold", Variant(true));
  OlePut(font, "Name", Variant("宋体"));
  OlePut(font, "Size", Variant(12));
  OlePut(font, "Color", Variant(static_cast<Integer>(0x0000FF))); // red as 0x00BBGGRR
  OlePut(OleGet(style, "Interior"), "Color", Variant(static_cast<Integer>(0x0080FF)));
  OlePut(style, "HorizontalAlignment", Variant(-4108));
  Variant plain = OleCall(OleGet(app, "ActiveWorkbook"), "Styles");
  OlePut(OleGet(OleCall(plain, "Add", {Variant("S1")}), "Interior"), "Color",
         Variant(static_cast<Integer>(clNone)));
  Variant r = Range(sheet, "B2", "C3");
  OlePut(r, "Style", Variant("S0"));
  OlePut(r, "MergeCells", Variant(true));
  for (Integer edge : {7, 10})
    OlePut(OleCall(OleGet(OleGet(r, "Cells"), "Borders"), "Item", {Variant(edge)}), "LineStyle",
           Variant(1));
  for (Integer edge : {8, 9})
    OlePut(OleCall(OleGet(r, "Borders"), "Item", {Variant(edge)}), "LineStyle", Variant(1));
  OlePut(Range(sheet, "D4", "D4"), "Style", Variant("S1"));
  Variant values = VarArrayCreate({0, 2, 0, 3}, varVariant);
  VarArrayPut(values, Variant("快递单"), {1, 1});
  VarArrayPut(values, Variant("plain <&>"), {2, 3});
  OlePut(Range(sheet, "A1", "D3"), "Value", values);
  OlePut(OleGet(sheet, "Cells"), "WrapText", Variant(true));
  TBitmap bmp(20, 10);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(TRect{0, 0, 20, 10});
  Clipboard()->Assign(&bmp);
  OleCall(Range(sheet, "E5", "E5"), "PasteSpecial",
          {EmptyParam(), EmptyParam(), EmptyParam(), EmptyParam()});
  Variant pic = OleCall(sheet, "Pictures", {Variant(1)});
  OlePut(pic, "Width", Variant(30.0)); // 40 pixels: twice the bitmap
  OlePut(pic, "Height", Variant(7.5));
  Variant setup = OleGet(OleGet(app, "ActiveSheet"), "PageSetup");
  OlePut(setup, "LeftMargin", Variant(28.3465));
  OlePut(setup, "TopMargin", Variant(72.0));
  OlePut(OleGet(sheet, "PageSetup"), "Orientation", Variant(2));

  std::vector<AnsiString> opened;
  TShellOpenHook old = SetShellOpenHook([&](const AnsiString& T) {
    opened.push_back(T);
    return true;
  });
  const std::string file = OutputPath("ole_workbook.xlsx");
  DeleteFile(file);
  OleCall(book, "SaveAs", {Variant(file), Variant(-4143)});
  EXPECT_TRUE(opened.empty());
  OlePut(app, "Visible", Variant(true)); // shows the saved workbook
  SetShellOpenHook(old);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], file);

  const std::string xml = Part(file, "xl/worksheets/sheet1.xml");
  EXPECT_NE(xml.find("<mergeCell ref=\"B2:C3\"/>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<row r=\"2\""), std::string::npos);
  EXPECT_NE(xml.find("ht=\"30\" customHeight=\"1\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("ht=\"409\" customHeight=\"1\""), std::string::npos); // capped
  EXPECT_NE(xml.find("<col min=\"2\" max=\"2\" width=\"25.7109375\" customWidth=\"1\"/>"),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<rowBreaks count=\"1\" manualBreakCount=\"1\"><brk id=\"4\" max=\"16383\" "
                     "man=\"1\"/></rowBreaks>"),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<pageMargins left=\"0.39370138888888"), std::string::npos) << xml;
  EXPECT_NE(xml.find("top=\"1\""), std::string::npos);
  EXPECT_NE(xml.find("orientation=\"landscape\""), std::string::npos);
  const std::string strings = Part(file, "xl/sharedStrings.xml");
  EXPECT_NE(strings.find(GbkToUtf8("快递单")), std::string::npos) << strings;
  EXPECT_NE(strings.find("plain &lt;&amp;&gt;"), std::string::npos);
  const std::string styles = Part(file, "xl/styles.xml");
  EXPECT_NE(styles.find("<b/>"), std::string::npos) << styles;
  EXPECT_NE(styles.find("<color rgb=\"FFFF0000\"/>"), std::string::npos); // the font colour
  EXPECT_NE(styles.find("<fgColor rgb=\"FFFF8000\"/>"), std::string::npos);
  EXPECT_NE(styles.find(GbkToUtf8("<name val=\"宋体\"/>")), std::string::npos);
  EXPECT_NE(styles.find("horizontal=\"center\""), std::string::npos);
  EXPECT_NE(styles.find("<left style=\"thin\">"), std::string::npos);
  EXPECT_NE(styles.find("wrapText=\"1\""), std::string::npos);
  // The picture, anchored at E5 and stretched to 40 x 10 pixels.
  const std::string drawing = Part(file, "xl/drawings/drawing1.xml");
  EXPECT_NE(drawing.find("<xdr:from><xdr:col>4</xdr:col>"), std::string::npos) << drawing;
  EXPECT_NE(drawing.find("<a:ext cx=\"381000\" cy=\"95250\"/>"), std::string::npos) << drawing;
  EXPECT_FALSE(Part(file, "xl/media/image1.png").empty());
  Headless().Reset();
}

// A save that fails raises, and the file it was to replace stays as it was; after Quit
// nothing can be saved.
TEST(ExcelAppTest, FailedSaveRaisesAndKeepsTheOldFile)
{
  Variant app = CreateOleObject("Excel.Application");
  Variant book = OleCall(OleGet(app, "WorkBooks"), "Add");
  OlePut(Range(OleCall(book, "WorkSheets", {Variant(1)}), "A1", "A1"), "Value", Variant("x"));
  EXPECT_THROW(OleCall(book, "SaveAs", {Variant("/nonexistent-dir/out.xlsx")}), EOleException);

  const std::string file = OutputPath("ole_keep.xlsx");
  const std::string blocker = OutputPath("~$ole_keep.xlsx.partial");
  {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("old", f);
    std::fclose(f);
  }
  RemoveDir(blocker);
  ASSERT_TRUE(CreateDir(blocker)); // the temporary file cannot be made
  EXPECT_THROW(OleCall(book, "SaveAs", {Variant(file)}), EOleException);
  RemoveDir(blocker);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, bytes));
  EXPECT_EQ(bytes, "old");
  // Saving over it works once the way is clear.
  OleCall(book, "SaveAs", {Variant(file)});
  ASSERT_TRUE(ReadFileBytes(file, bytes));
  EXPECT_EQ(bytes.substr(0, 2), "PK");
  OleCall(app, "Quit");
  EXPECT_THROW(OleCall(book, "SaveAs", {Variant(file)}), EOleException);
  EXPECT_THROW(OleGet(app, "ActiveWorkbook"), EOleException);
}
