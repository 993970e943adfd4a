// The RTF export: the document of the export fixture (tables, info, merged cells, fonts,
// escapes, the picture cell), content at the page edges, and the sample waybill opened by
// LibreOffice with its Chinese text intact.
#include "report/output/frxExportRTF.h"

#include <gtest/gtest.h>

#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/report/output/ExportFixtures.h"
#include "tests/report/output/OutputTestSupport.h"

namespace {

class frxRTFTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    SetClock([] { return EncodeDateTime(2024, 1, 2, 3, 4, 5, 0); });
  }
  void TearDown() override
  {
    SetClock(nullptr);
    Headless().Reset();
  }

  // The file the filter writes for R.
  std::string Export(TExportReport& R, TfrxRTFExport& Filter)
  {
    const std::string file = OutputPath("rtf_test.rtf");
    Filter.SetShowDialog(false);
    Filter.SetShowProgress(false);
    Filter.SetFileName(file);
    EXPECT_TRUE(R.Export(&Filter));
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(file, bytes));
    return bytes;
  }
};

size_t Count(const std::string& s, const std::string& what)
{
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
    ++n;
  return n;
}

// The text between the first From and the next To.
std::string Between(const std::string& s, const std::string& From, const std::string& To)
{
  const size_t a = s.find(From);
  if (a == std::string::npos)
    return "<none>";
  const size_t b = s.find(To, a + From.size());
  return s.substr(a + From.size(),
                  b == std::string::npos ? std::string::npos : b - a - From.size());
}

} // namespace

TEST(frxRTFEscapeTest, Cases)
{
  const struct {
    const char* Text;
    const char* Rtf;
  } cases[] = {
      {"plain", "plain"},
      {"a\\b{c}", "a\\\\b\\{c\\}"},
      {"one\r\ntwo", "one\\line\r\ntwo"},
      {"快递", "\\'bf\\'ec\\'b5\\'dd"},
      // A double-byte character whose trail byte is "\" stays one character.
      {"\x81\x5C}", "\\'81\\'5c\\}"},
      {"\x80x", "\\'80x"},
      {"end\xB5", "end\\'b5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(frxRTFEscape(c.Text), c.Rtf) << c.Text;
}

// The export fixture: tables in first-met order, the info group, the section, the merged
// Chinese cell, the bold italic text, shading, borders and the picture's metafile.
TEST_F(frxRTFTest, ExportFixtureDocument)
{
  TExportReport r;
  BuildExportFixture(r);
  r.Report()->ReportOptions()->SetName("Waybill {1}\\");
  r.Prepare();
  TfrxRTFExport filter(nullptr);
  const std::string rtf = Export(r, filter);

  EXPECT_EQ(rtf.substr(0, 24), "{\\rtf1\\ansi\\ansicpg936\r\n");
  EXPECT_EQ(Between(rtf, "{\\fonttbl", "\r\n"), "{\\f0 Arial}{\\f1 \\'cb\\'ce\\'cc\\'e5}}");
  // White (background), black (frames and text), the orange fill, the grey rectangle.
  EXPECT_EQ(Between(rtf, "{\\colortbl;", "\r\n"),
            "\\red255\\green255\\blue255;\\red0\\green0\\blue0;"
            "\\red255\\green128\\blue0;\\red192\\green192\\blue192;}");
  EXPECT_NE(rtf.find("{\\info{\\title Waybill \\{1\\}\\\\}{\\author ZuzuDorova 3.0 "
                     "www.zuzudorova.example}{\\creatim\\yr2024\\mo01\\dy02\\hr03\\min04}}\r\n"),
            std::string::npos);
  // A4 in twips with 10 mm margins.
  EXPECT_NE(rtf.find("\\pgwsxn11926\\pghsxn16867\\marglsxn567\\margrsxn567\\margtsxn567"
                     "\\margbsxn567\r\n"),
            std::string::npos);
  EXPECT_EQ(rtf.find("\\lndscpsxn"), std::string::npos);

  // M1: bold italic Arial 10 in black; its text escaped.
  EXPECT_NE(rtf.find("\\ql{\\f0\\fs20\\i\\b\\cf2\\sb"), std::string::npos);
  EXPECT_NE(rtf.find(" AB(c)\\\\\\cell}"), std::string::npos);
  // M2: the Chinese text in the GBK font, shaded orange, framed on all sides.
  EXPECT_NE(rtf.find("{\\f1\\fs24\\cf2"), std::string::npos);
  EXPECT_NE(rtf.find(" \\'bf\\'ec\\'b5\\'dd\\'b5\\'a5\\cell}"), std::string::npos);
  const std::string frame = "\\clbrdrt\\brdrs\\brdrw20\\brdrcf2\\clbrdrl\\brdrs\\brdrw20\\brdrcf2"
                            "\\clbrdrb\\brdrs\\brdrw20\\brdrcf2\\clbrdrr\\brdrs\\brdrw20\\brdrcf2";
  EXPECT_EQ(
      Count(rtf, "\\trrh852\\trgaph15\\clcbpat3\\clvertalt" + frame + "\\cltxlrtb\\cellx4467"),
      2u); // the row definition and its repetition
  // The filled rectangle is a shaded, framed cell; the transparent one became lines.
  EXPECT_NE(rtf.find("\\clcbpat4"), std::string::npos);

  // The picture: a 24-bit bitmap of 12 x 12 pixels (the object plus its frame pixels):
  // BMP file 54 + 12 x 36 = 486 bytes, so the record is 486 / 2 + 7 = 250 words.
  EXPECT_NE(rtf.find("{\\sb0\\li0\\sl0\\slmult0 {\\pict\\wmetafile8\\picw278\\pich278"
                     "\\picbmp\\picbpp4\r\n"
                     "0100090000031E0100000000FA0000000000050000000b0200000000050000000c02"
                     "0C000C0005000000090200000000050000000102ffffff000400000007010300"
                     "FA000000430f2000cc0000000C000C00000000000C000C0000000000\r\n"
                     "280000000C0000000C000000010018"),
            std::string::npos)
      << Between(rtf, "{\\pict", "}");
  EXPECT_NE(rtf.find("030000000000}\\cell}\r\n"), std::string::npos);
  // Every row definition is repeated after its cells.
  EXPECT_EQ(Count(rtf, "\\trowd\\trrh"), Count(rtf, "{\\trowd\\trrh") * 2);
  EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
}

// Pages without margins: the first object of the second page starts exactly at the page
// end, and the leftmost objects lie on x = 0. Both are still written, and each page gets
// its section.
TEST_F(frxRTFTest, ContentOnPageEdgesIsKept)
{
  TExportReport r;
  for (const char* text : {"first page", "second page"}) {
    TfrxReportTitle* band = r.AddPage(0);
    r.Memo(band, 0, 0, 200, 20, text);
    r.Memo(band, 300, 40, 200, 20, AnsiString(text) + " right");
  }
  r.Prepare();
  TfrxRTFExport filter(nullptr);
  const std::string rtf = Export(r, filter);
  for (const char* text : {" first page\\cell}", " second page\\cell}", " first page right\\cell}",
                           " second page right\\cell}"})
    EXPECT_NE(rtf.find(text), std::string::npos) << text << "\n" << rtf;
  EXPECT_EQ(Count(rtf, "\\pard\\sect\r\n"), 1u);
  EXPECT_EQ(Count(rtf, "\\pgwsxn11926"), 2u);
  // The break comes before the second page's first text.
  EXPECT_LT(rtf.find("\\pard\\sect"), rtf.find(" second page\\cell}"));

  // Without page breaks: no sections after the first; pictures off drops the lines.
  TExportReport r2;
  TfrxReportTitle* band = r2.AddPage(10);
  r2.Memo(band, 0, 0, 200, 20, "");
  r2.Memo(band, 0, 40, 200, 30, "");
  auto* line = r2.Add<TfrxLineView>(band, 0, 60, 200, 0);
  line->Frame()->SetColor(clRed);
  r2.Prepare();
  TfrxRTFExport noBreaks(nullptr);
  noBreaks.SetExportPageBreaks(false);
  noBreaks.SetExportPictures(false);
  const std::string plain = Export(r2, noBreaks);
  EXPECT_EQ(plain.find("\\pard\\sect"), std::string::npos);
  EXPECT_EQ(plain.find("\\red255\\green0\\blue0"), std::string::npos);
  // An empty text cell takes its font size from the row height: 284 twips give 17, 426
  // give at most 20.
  EXPECT_NE(plain.find("\\trrh284\\trgaph15\\clvertalt\\cltxlrtb\\cellx2977\\pard\\intbl\r\n"
                       "\\ql{\\f0\\fs17\\cf2 \\cell}"),
            std::string::npos)
      << plain;
  EXPECT_NE(plain.find("\\trrh426\\trgaph15\\clvertalt\\cltxlrtb\\cellx2977\\pard\\intbl\r\n"
                       "\\ql{\\f0\\fs20\\cf2 \\cell}"),
            std::string::npos)
      << plain;
}

// A text over three rows and two columns is one cell merged down: its first row starts the
// merge, each further row continues it with the same right edge. Its left edge lies on
// x = 0, so the first grid column is written.
TEST_F(frxRTFTest, MergedCellsDown)
{
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(0);
  r.Memo(band, 0, 0, 200, 90, "A");
  r.Memo(band, 200, 0, 100, 30, "B");
  r.Memo(band, 200, 30, 100, 30, "C");
  r.Memo(band, 200, 60, 100, 30, "D");
  r.Memo(band, 0, 100, 100, 20, "E");
  r.Prepare();
  TfrxRTFExport filter(nullptr);
  const std::string rtf = Export(r, filter);
  EXPECT_EQ(Count(rtf, "\\trowd\\trrh426\\trgaph15\\clvmgf\\clvertalt\\cltxlrtb\\cellx2980"
                       "\\clvertalt\\cltxlrtb\\cellx4470"),
            2u)
      << rtf;
  EXPECT_EQ(Count(rtf, "\\trowd\\trrh426\\trgaph15\\clvmrg\\cltxlrtb\\cellx2980"
                       "\\clvertalt\\cltxlrtb\\cellx4470"),
            4u);
  EXPECT_EQ(Count(rtf, " A\\cell}"), 1u);
  EXPECT_EQ(Count(rtf, "{\\fs20\\cell}"), 2u);
  for (const char* text : {" B\\cell}", " C\\cell}", " D\\cell}", " E\\cell}"})
    EXPECT_EQ(Count(rtf, text), 1u) << text;
}

// A file that cannot be created raises and leaves nothing behind.
TEST_F(frxRTFTest, UnwritableFileRaises)
{
  TExportReport r;
  r.Memo(r.AddPage(10), 0, 0, 100, 20, "x");
  r.Prepare();
  TfrxRTFExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetShowProgress(false);
  filter.SetFileName("/nonexistent-dir/out.rtf");
  EXPECT_THROW(r.Export(&filter), EFCreateError);
  // No file name: nothing is exported.
  TfrxRTFExport unnamed(nullptr);
  unnamed.SetShowDialog(false);
  EXPECT_FALSE(r.Export(&unnamed));
}

// The sample waybill: LibreOffice opens the RTF, and its text (Chinese included) comes back
// from the PDF it converts it to.
TEST_F(frxRTFTest, WaybillSampleOpensInLibreOffice)
{
  TExportReport r;
  BuildWaybillReport(r);
  r.Report()->ReportOptions()->SetName("青禾快递单");
  r.Prepare();
  TfrxRTFExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetShowProgress(false);
  const std::string file = OutputPath("export_waybill.rtf");
  filter.SetFileName(file);
  ASSERT_TRUE(r.Export(&filter));
  if (!ProgramAvailable("soffice") || !ProgramAvailable("pdftotext"))
    GTEST_SKIP() << "LibreOffice is not installed";
  const std::string dir = OutputPath("export_waybill_rtf_lo");
  int code = 0;
  RunProgram("rm -rf '" + dir + "' && HOME='" + dir +
                 "' soffice --headless --convert-to pdf --outdir '" + dir + "' '" + file +
                 "' >/dev/null 2>&1",
             &code);
  ASSERT_EQ(code, 0);
  const std::string text = RunProgram("pdftotext -layout '" + dir + "/export_waybill.pdf' - 2>&1");
  for (const char* expected : {"青禾快递单", "寄件人", "北京市海淀区中关村大街", "上海市浦东新区",
                               "13900139000", "运单号码"})
    EXPECT_NE(text.find(GbkToUtf8(expected)), std::string::npos) << GbkToUtf8(expected) << "\n"
                                                                 << text;
}
