// The PDF writer and filter: a whole small file byte for byte, content operators, fonts and
// their charsets, escaping, compression, the cross-reference table, and the sample waybill
// read back by qpdf and poppler (text, fonts, rendering).
#include "report/output/frxPDFFile.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/output/frxExportPDF.h"
#include "report/output/frxExportUtils.h"
#include "report/output/frxZLib.h"
#include "tests/report/output/ExportFixtures.h"
#include "tests/report/output/OutputTestSupport.h"
#include "tests/support/PdfProbe.h"

namespace {

class frxPDFTest : public ::testing::Test {
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

  // Every prepared page of R added to Pdf as the filter adds them.
  static void AddPages(TExportReport& R, TfrxPDFFile& Pdf)
  {
    for (Integer i = 0; i < R.Pages()->PageCount(); ++i) {
      auto* page = static_cast<TfrxReportPage*>(R.Pages()->BuildPage(i));
      page->SetLeft(page->LeftMargin() * 3.77953L);
      page->SetTop(page->TopMargin() * 3.77953L);
      TfrxPDFPage* out = Pdf.AddPage(page);
      TList* all = page->AllObjects();
      for (Integer j = 0; j < all->Count(); ++j)
        if (auto* v = dynamic_cast<TfrxView*>(static_cast<TObject*>(all->Items(j))))
          out->AddObject(v);
      page->SetLeft(0);
      page->SetTop(0);
    }
  }

  // The document of every prepared page of R, written as the filter writes it.
  std::string Write(TExportReport& R, bool Compressed, const AnsiString& Title = "T")
  {
    TfrxPDFFile pdf;
    pdf.Compressed = Compressed;
    pdf.Title = Title;
    AddPages(R, pdf);
    TStringStream out;
    pdf.SaveToStream(&out);
    return out.DataString();
  }
};

std::string Inflate(const std::string& data)
{
  std::string out(data.size() * 20 + 4096, '\0');
  uLongf size = out.size();
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                 reinterpret_cast<const Bytef*>(data.data()), data.size()) != Z_OK)
    return "<inflate error>";
  out.resize(size);
  return out;
}

// The stream of object N, inflated when it is compressed.
std::string StreamOf(const std::string& pdf, Integer N)
{
  const std::string head = std::to_string(N) + " 0 obj\r\n";
  const size_t at = pdf.find(head);
  if (at == std::string::npos)
    return "<no object>";
  const size_t s = pdf.find("stream\r\n", at) + 8;
  const size_t e = pdf.find("endstream", s);
  std::string data = pdf.substr(s, e - s);
  if (pdf.substr(at, s - at).find("/FlateDecode") != std::string::npos) {
    data.resize(data.size() - 2); // the line end after the data
    return Inflate(data);
  }
  return data;
}

} // namespace

// A page with one rectangle and no text: the whole file, byte for byte.
TEST_F(frxPDFTest, SmallDocumentByteForByte)
{
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(0);
  auto* shape = r.Add<TfrxShapeView>(band, 100, 100, 200, 50);
  shape->SetColor(clRed);
  r.Prepare();
  const std::string pdf = Write(r, false);
  const std::string expected = "%PDF-1.3\r\n"
                               "\x25\xE2\xE3\xCF\xD3\r\n"
                               "1 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages 3 0 R\r\n"
                               "/PageMode /UseNone\r\n/PageLayout /SinglePage\r\n>>\r\nendobj\r\n"
                               "2 0 obj\r\n<<\r\n/Producer (ZuzuDorova www.zuzudorova.example)\r\n"
                               "/Author (ZuzuDorova)\r\n/Subject (ZuzuDorova PDF export)\r\n"
                               "/Creator ()\r\n/Title (T)\r\n"
                               "/CreationDate (D:20240102030405)\r\n"
                               "/ModDate (D:20240102030405)\r\n>>\r\nendobj\r\n"
                               "3 0 obj\r\n<<\r\n/Type /Pages\r\n/Kids [5 0 R ]\r\n/Count 1\r\n"
                               ">>\r\nendobj\r\n"
                               "5 0 obj\r\n<<\r\n/Type /Page\r\n/Parent 3 0 R\r\n"
                               "/MediaBox [0 0 595.5000 842.2500 ]\r\n/Resources <<\r\n"
                               "/Font <<\r\n>>\r\n/XObject <<\r\n>>\r\n"
                               "/ProcSet [/PDF /Text /ImageC ]\r\n>>\r\n/Contents 6 0 R\r\n"
                               ">>\r\nendobj\r\n"
                               "6 0 obj\r\n<<\r\n/Length 71\r\n/Filter [ ]\r\n>>\r\nstream\r\n"
                               "0 0 0 RG\r\n0.7500 w\r\n1 0 0 rg\r\n"
                               "75.0000 729.7500 150.0000 37.5000 re\r\nB\r\n"
                               "endstream\r\nendobj\r\n";
  ASSERT_EQ(pdf.substr(0, expected.size()), expected);
  const std::string xref = pdf.substr(expected.size());
  const std::string offsets = "xref\r\n0 7\r\n0000000000 65535 f\r\n0000000017 00000 n\r\n";
  EXPECT_EQ(xref.substr(0, offsets.size()), offsets);
  EXPECT_NE(xref.find("0000000000 65535 f\r\n0000000"), std::string::npos); // object 4
  EXPECT_NE(xref.find("trailer\r\n<<\r\n/Size 7\r\n/Root 1 0 R\r\n/Info 2 0 R\r\n>>\r\n"
                      "startxref\r\n" +
                      std::to_string(expected.size()) + "\r\n%%EOF\r\n"),
            std::string::npos);
  // Every entry is 20 bytes and points at its object.
  const size_t table = expected.size() + std::string("xref\r\n0 7\r\n").size();
  for (Integer n = 0; n < 7; ++n) {
    SCOPED_TRACE(n);
    const std::string entry = pdf.substr(table + 20 * n, 20);
    EXPECT_EQ(entry.substr(18), "\r\n");
    if (entry[17] == 'n')
      EXPECT_EQ(pdf.substr(std::stoul(entry.substr(0, 10)), std::to_string(n).size() + 6),
                std::to_string(n) + " 0 obj");
    else
      EXPECT_TRUE(n == 0 || n == 4);
  }
}

// Rectangles without a fill are only stroked; margins move objects once; compressed
// content inflates to the plain content.
TEST_F(frxPDFTest, ShapesLinesAndCompression)
{
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(10);
  r.Add<TfrxShapeView>(band, 0, 0, 100, 40)->SetColor(clNone);
  auto* line = r.Add<TfrxLineView>(band, 0, 100, 300, 0);
  line->Frame()->SetWidth(2);
  line->Frame()->SetColor(clBtnFace);
  r.Prepare();
  const std::string plain = Write(r, false);
  const std::string content = StreamOf(plain, 6);
  // The shape at the top-left margin corner (37.7953 px = 28.3465 pt from the edges).
  EXPECT_EQ(content, "0 0 0 RG\r\n0.7500 w\r\n28.3465 783.9035 75.0000 30.0000 re\r\nS\r\n"
                     "0.83 0.82 0.78 RG\r\n1.5000 w\r\n28.3465 738.9035 m\r\n"
                     "253.3465 738.9035 l\r\nS\r\n");
  const std::string packed = Write(r, true);
  EXPECT_NE(packed.find("/Filter [/FlateDecode ]"), std::string::npos);
  EXPECT_EQ(StreamOf(packed, 6), content);
}

// Pages of shapes only (no fonts, so page k's content is object 4 + 2k), each page's
// shapes in other places.
void BuildShapePages(TExportReport& R, Integer Pages)
{
  for (Integer k = 0; k < Pages; ++k) {
    TfrxReportTitle* band = R.AddPage(10);
    for (Integer i = 0; i <= k % 5; ++i)
      R.Add<TfrxShapeView>(band, 10 * i + k, 30 * i, 50 + k, 20)->SetColor(clNone);
  }
}

// Finished pages are deflated on a worker while later pages are drawn: every page's stream
// holds the bytes deflating its own content at the end gives, in the page's place.
TEST_F(frxPDFTest, PagesDeflatedAheadAreTheirOwnContentsBytes)
{
  TExportReport r;
  BuildShapePages(r, 11);
  r.Prepare();
  const std::string plain = Write(r, false);
  const std::string packed = Write(r, true);
  for (Integer k = 1; k <= 11; ++k) {
    SCOPED_TRACE(k);
    const std::string content = StreamOf(plain, 4 + 2 * k);
    ASSERT_NE(content.find(" re\r\n"), std::string::npos) << content;
    const std::string head = std::to_string(4 + 2 * k) + " 0 obj\r\n";
    const size_t s = packed.find("stream\r\n", packed.find(head)) + 8;
    EXPECT_EQ(packed.substr(s, packed.find("\r\nendstream", s) - s),
              CompressBytes(content.data(), content.size(), zcMax));
    if (k > 1) { // contents differ from page to page
      EXPECT_NE(content, StreamOf(plain, 2 + 2 * k));
    }
  }
}

// A memory stream takes the document directly and any other stream a copy assembled apart;
// both give the same bytes, after what the stream held, with offsets counted from the
// stream's start.
TEST_F(frxPDFTest, MemoryAndOtherStreamsGetTheSameBytes)
{
  TExportReport r;
  BuildShapePages(r, 3);
  r.Prepare();
  for (bool compressed : {false, true}) {
    auto write = [&](TStream& Out) {
      Out.WriteBuffer("head", 4);
      TfrxPDFFile pdf;
      pdf.Compressed = compressed;
      for (Integer i = 0; i < r.Pages()->PageCount(); ++i)
        pdf.AddPage(r.Pages()->BuildPage(i));
      pdf.SaveToStream(&Out);
    };
    TMemoryStream memory;
    TStringStream other;
    write(memory);
    write(other);
    const std::string bytes(static_cast<const char*>(memory.Memory()),
                            static_cast<size_t>(memory.Size()));
    EXPECT_TRUE(bytes == other.DataString()) << compressed;
    const size_t xref = bytes.rfind("\r\nxref\r\n") + 2;
    EXPECT_EQ(bytes.substr(bytes.rfind("startxref\r\n") + 11, std::to_string(xref).size()),
              std::to_string(xref));
  }
}

// A document dropped half made lets its worker go; cleared, it is written again as new.
TEST_F(frxPDFTest, AbandonedOrClearedDocumentsStopDeflatingAhead)
{
  TExportReport r;
  BuildShapePages(r, 7);
  r.Prepare();
  const std::string expected = Write(r, true);
  auto fill = [&](TfrxPDFFile& Pdf) { AddPages(r, Pdf); };
  {
    TfrxPDFFile dropped;
    fill(dropped); // pages handed to the worker, never written
  }
  TfrxPDFFile pdf;
  pdf.Title = "T";
  fill(pdf);
  pdf.Clear();
  fill(pdf);
  TStringStream out;
  pdf.SaveToStream(&out);
  EXPECT_EQ(out.DataString(), expected);
}

// A file that cannot be written fails the export as before, with pages deflated ahead; the
// filter then writes the next file whole.
TEST_F(frxPDFTest, FailedWriteAfterDeflatingAheadIsReported)
{
  TExportReport r;
  BuildShapePages(r, 9);
  r.Prepare();
  TfrxPDFExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetFileName("/nonexistent-dir/out.pdf");
  EXPECT_THROW(r.Export(&filter), EFCreateError);
  const std::string file = OutputPath("pdf_after_failed_write.pdf");
  std::remove(file.c_str());
  filter.SetFileName(file);
  ASSERT_TRUE(r.Export(&filter));
  std::string pdf;
  ASSERT_TRUE(ReadFileBytes(file, pdf));
  const std::string plain = Write(r, false);
  for (Integer k = 1; k <= 9; ++k)
    EXPECT_EQ(StreamOf(pdf, 4 + 2 * k), StreamOf(plain, 4 + 2 * k)) << k;
}

// A file written piece by piece (the PDF export writes its document so) takes the target's
// place only when complete: a writer that fails leaves the old file and no temporary one.
// The stream counts its position and refuses to read or to seek elsewhere.
TEST(frxExportUtils, FileWrittenPieceByPieceReplacesTheTargetOnlyWhenComplete)
{
  const std::string target = OutputPath("piecewise_out.bin");
  auto leftovers = [&] {
    Integer n = 0;
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()))
      n += e.path().filename().string().rfind("piecewise_out.bin.", 0) == 0;
    return n;
  };
  frxWriteFileReplacing(target, std::string_view("old"));
  std::string expected;
  auto writer = [&](bool Fail) {
    return [&, Fail](TStream* File) {
      expected.clear();
      const std::string small(1000, 's'), large(2500000, 'L');
      for (Integer i = 0; i < 3000; ++i) {
        File->WriteBuffer(small.data(), static_cast<Integer>(small.size()));
        expected += small;
        if (i == 1500) {
          File->WriteBuffer(large.data(), static_cast<Integer>(large.size()));
          expected += large;
        }
        ASSERT_EQ(File->Position(), static_cast<Int64>(expected.size()));
      }
      if (Fail)
        throw Exception("stopped");
      File->SetPosition(File->Position());
      EXPECT_THROW(File->SetPosition(0), EWriteError);
      char c;
      EXPECT_THROW(File->Read(&c, 1), EReadError);
    };
  };
  EXPECT_THROW(frxWriteFileReplacing(target, writer(true)), Exception);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(target, bytes));
  EXPECT_EQ(bytes, "old");
  EXPECT_EQ(leftovers(), 0);
  frxWriteFileReplacing(target, writer(false));
  ASSERT_TRUE(ReadFileBytes(target, bytes));
  EXPECT_TRUE(bytes == expected) << bytes.size() << " " << expected.size();
  EXPECT_EQ(leftovers(), 0);
  std::remove(target.c_str());
}

// Texts: escaping, the font resources (shared across sizes, one per face, style and
// charset), the Chinese font as a Type0 font over the GBK CMap, blank lines write no text.
TEST_F(frxPDFTest, TextAndFonts)
{
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(0);
  TfrxMemoView* a = r.Memo(band, 0, 0, 200, 20, "AB(c)\\");
  a->Font()->SetCharset(ANSI_CHARSET);
  TfrxMemoView* b = r.Memo(band, 0, 30, 200, 30, "Hello", "Arial", 14);
  b->Font()->SetCharset(ANSI_CHARSET);
  r.Memo(band, 0, 70, 200, 30, "快递单", "宋体", 12);
  r.Memo(band, 0, 110, 200, 30, "   ");
  r.Prepare();
  const std::string pdf = Write(r, false, "报表(1)");
  // Three fonts (the blank text's font has the default charset): objects 5-19, the page 20.
  EXPECT_NE(pdf.find("/Kids [20 0 R ]"), std::string::npos);
  const std::string content = StreamOf(pdf, 21);
  EXPECT_NE(content.find("/F0 10 Tf\r\n0 0 0 rg\r\n"), std::string::npos);
  EXPECT_NE(content.find("(AB\\(c\\)\\\\) Tj"), std::string::npos);
  EXPECT_NE(content.find("/F0 14 Tf"), std::string::npos);
  EXPECT_NE(content.find("/F5 12 Tf"), std::string::npos);
  EXPECT_NE(content.find("(\xBF\xEC\xB5\xDD\xB5\xA5) Tj"), std::string::npos); // GBK bytes
  EXPECT_NE(content.find("/F10 10 Tf"), std::string::npos); // the blank text writes no BT
  size_t bt = 0;
  for (size_t p = content.find("BT\r\n"); p != std::string::npos; p = content.find("BT\r\n", p + 1))
    ++bt;
  EXPECT_EQ(bt, 3u);

  EXPECT_NE(pdf.find("5 0 obj\r\n<<\r\n/Type /Font\r\n/Name /F0\r\n/BaseFont /Arial\r\n"
                     "/Subtype /TrueType\r\n/Encoding /WinAnsiEncoding\r\n/FontDescriptor 7 0 R\r\n"
                     "/FirstChar 32\r\n"),
            std::string::npos);
  EXPECT_NE(pdf.find("10 0 obj\r\n<<\r\n/Type /Font\r\n/Name /F5\r\n/BaseFont /#CB#CE#CC#E5\r\n"
                     "/Subtype /Type0\r\n/DescendantFonts [11 0 R]\r\n/Encoding /GBKp-EUC-H\r\n"
                     ">>\r\nendobj\r\n11 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype\r\n"
                     "/CIDFontType2\r\n/BaseFont /#CB#CE#CC#E5\r\n/WinCharSet 134\r\n"
                     "/FontDescriptor 12 0 R\r\n/CIDSystemInfo\r\n<<\r\n/Registry(Adobe)\r\n"
                     "/Ordering(GB1)\r\n/Supplement 2\r\n>>\r\n/DW 1000\r\n/W [1 95 500]\r\n"),
            std::string::npos);
  // The page lists every font; the title is a Unicode string with the language prefix.
  EXPECT_NE(pdf.find("/Font <<\r\n/F0 5 0 R\r\n/F5 10 0 R\r\n/F10 15 0 R\r\n>>"),
            std::string::npos);
  EXPECT_NE(
      pdf.find("/Title (\\376\\377\\000\\033\\172\\150\\000\\033\\142\\245\\210\\150\\000\\050"
               "\\000\\061\\000\\051)"),
      std::string::npos);
}

// Chinese characters in a face that has none (Arial, the default): each run of them is
// written in the face the screen falls back to, so viewers draw them and pdftotext gives
// them back; the Latin runs stay in Arial and every run starts where the screen's layout of
// the line puts it. With and without embedded faces.
TEST_F(frxPDFTest, ChineseInALatinFaceReadsBackAsChinese)
{
  for (const char* tool : {"pdftotext", "pdffonts", "qpdf"})
    ASSERT_TRUE(ProgramAvailable(tool)) << tool;
  const AnsiString mixed = "Total 青禾测试 ok 8";
  for (const bool embedded : {false, true}) {
    SCOPED_TRACE(embedded ? "embedded" : "not embedded");
    TExportReport r;
    TfrxReportTitle* band = r.AddPage(0);
    TfrxMemoView* line = r.Memo(band, 40, 40, 400, 30, mixed, "Arial", 12);
    r.Memo(band, 40, 100, 400, 30, "青禾测试", "Arial", 12);
    r.Memo(band, 40, 160, 400, 30, "宋体 Song", "宋体", 12);
    r.Prepare();
    TfrxPDFExport filter(nullptr);
    filter.SetShowDialog(false);
    filter.SetEmbeddedFonts(embedded);
    const std::string file = OutputPath("export_mixed_arial.pdf");
    filter.SetFileName(file);
    ASSERT_TRUE(r.Export(&filter));

    int code = 0;
    RunProgram("qpdf --check '" + file + "' >/dev/null 2>&1", &code);
    EXPECT_EQ(code, 0);
    const std::string text = RunProgram("pdftotext -layout '" + file + "' - 2>/dev/null");
    for (const char* expected : {"Total 青禾测试 ok 8", "青禾测试", "宋体 Song"})
      EXPECT_NE(text.find(GbkToUtf8(expected)), std::string::npos) << expected << "\n" << text;
    EXPECT_EQ(text.find("\xC3"), std::string::npos) << text; // no GBK bytes read as Latin-1
    const std::string fonts = RunProgram("pdffonts '" + file + "' 2>/dev/null");
    EXPECT_NE(fonts.find("Arial"), std::string::npos) << fonts;

    // The words of the mixed line: each starts where the line's layout puts it.
    TfrxPDFToolkit kit;
    kit.SetLineHeight(line->Font(), 0);
    const double left = (40 + line->GapX()) * 0.75;
    const std::vector<pdfprobe::TWord> words = pdfprobe::Words(file);
    const struct {
      const char* Word;
      const char* Before; // the text of the line before the word
    } expected[] = {{"Total", ""},
                    {"青禾测试", "Total "},
                    {"ok", "Total 青禾测试 "},
                    {"8", "Total 青禾测试 ok "}};
    for (const auto& e : expected) {
      SCOPED_TRACE(e.Word);
      const pdfprobe::TWord* found = nullptr;
      for (const pdfprobe::TWord& w : words)
        if (w.Text == GbkToUtf8(e.Word) && w.YMin < 60)
          found = &w;
      ASSERT_NE(found, nullptr);
      EXPECT_NEAR(found->XMin, left + kit.TextWidth(e.Before) * 0.75, 1.0);
    }
  }
}

// Toolkit formatting rules.
TEST(frxPDFToolkitTest, Formatting)
{
  TfrxPDFToolkit kit;
  EXPECT_EQ(kit.ColorText(0x0080FF), "1 0.5 0");
  EXPECT_EQ(kit.ColorText(RGB(1, 1, 1)), "0.0039 0.0039 0.0039");
  EXPECT_EQ(kit.ColorText(clNone), "1 1 1");
  EXPECT_EQ(TfrxPDFToolkit::EscapeText("a\\b(c)\x01\r\n"), "a\\\\b\\(c\\)");
  EXPECT_EQ(TfrxPDFToolkit::EscapeText("x\r\n\r\n"), "x\r\n");
  EXPECT_EQ(TfrxPDFToolkit::ByteToOctal(0), "000");
  EXPECT_EQ(TfrxPDFToolkit::ByteToOctal(255), "377");
  EXPECT_EQ(kit.PrepareString("Report (draft\\"), "Report \\(draft\\\\");
  EXPECT_TRUE(TfrxPDFToolkit::NeedsUnicode("{"));
  EXPECT_FALSE(TfrxPDFToolkit::NeedsUnicode("Plain text 123"));
  EXPECT_EQ(PdfNameEscape("Times New Roman,Bold"), "Times#20New#20Roman,Bold");
  EXPECT_EQ(PdfNameEscape("a(b)/c#d%"), "a#28b#29#2Fc#23d#25");
  EXPECT_EQ(PdfNameEscape("\xCB\xCE"), "#CB#CE");
}

// Numbers are written as printf's "%.4f" writes them (halfway cases included), except that
// a value that rounds to zero has no minus sign.
TEST(frxPDFToolkitTest, NumbersAsPrintfWritesThem)
{
  auto printed = [](double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.4f", std::fabs(v) < 0.00005 ? 0.0 : v);
    return std::string(buf);
  };
  std::vector<double> values = {0,          -0.0,        0.00004999,     0.00005,
                                -0.00005,   0.00015,     0.00025,        1.00005,
                                2.5,        -2.5,        0.12345,        -0.12345,
                                595.2756,   12345.67895, 841.88976377,   1e9,
                                -1e9 - 0.5, 1e9 + 0.125, 123456789012.5, 1e300,
                                -1e300,     0.1 + 0.2,   1.0 / 3,        -2.0 / 3};
  // Every ten-thousandth and every halfway point between two near a few magnitudes, and a
  // sweep of other values with many digits.
  for (double base : {0.0, 1.0, 100.0, 841.0, -300.0, 65536.0})
    for (Integer i = 0; i < 400; ++i)
      values.push_back(base + i / 20000.0);
  std::uint64_t seed = 12345;
  for (Integer i = 0; i < 20000; ++i) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    values.push_back((static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5) * 4000.0);
  }
  for (double v : values)
    ASSERT_EQ(TfrxPDFToolkit::FloatText(v), printed(v)) << std::hexfloat << v;
}

// The sample waybill through the export walk and the filter: qpdf finds the file sound,
// pdffonts lists the embedded Chinese font, pdftotext gives the Chinese text back and
// pdftoppm draws the page with its parts where the report put them.
TEST_F(frxPDFTest, WaybillSampleReadsBack)
{
  for (const char* tool : {"qpdf", "pdffonts", "pdftotext", "pdftoppm"})
    ASSERT_TRUE(ProgramAvailable(tool)) << tool;
  TExportReport r;
  BuildWaybillReport(r);
  r.Report()->ReportOptions()->SetName("青禾快递单");
  r.Prepare();
  TfrxPDFExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetEmbeddedFonts(true);
  const std::string file = OutputPath("export_waybill.pdf");
  filter.SetFileName(file);
  ASSERT_TRUE(r.Export(&filter));

  int code = 0;
  RunProgram("qpdf --check '" + file + "' >/dev/null 2>&1", &code);
  EXPECT_EQ(code, 0) << RunProgram("qpdf --check '" + file + "' 2>&1");
  const std::string fonts = RunProgram("pdffonts '" + file + "' 2>/dev/null");
  EXPECT_NE(fonts.find("CID TrueType"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("Identity-H"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("yes no  yes"), std::string::npos) << fonts; // embedded, with ToUnicode
  const std::string text = RunProgram("pdftotext -layout '" + file + "' - 2>/dev/null");
  for (const char* expected :
       {"青禾快递单", "寄件人", "收件人", "北京市海淀区中关村大街1号", "上海市浦东新区"})
    EXPECT_NE(text.find(GbkToUtf8(expected)), std::string::npos) << expected << "\n" << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 2);

  // Drawn at 96 dpi a point of the page is a report pixel; the objects sit 10 mm (37.8 px)
  // in from the corner.
  const std::string prefix = OutputPath("export_waybill_pdf");
  RunProgram("pdftoppm -r 96 -png -f 2 -l 2 '" + file + "' '" + prefix + "'", &code);
  ASSERT_EQ(code, 0);
  TPngImage png;
  png.LoadFromFile(prefix + "-2.png");
  TBitmap* page = png.Bitmap();
  EXPECT_EQ(page->Width(), 794);
  auto near = [&](Integer x, Integer y, TColor expected) {
    const TColor c = page->Pixel(x, y);
    return std::abs(GetRValue(c) - GetRValue(expected)) < 24 &&
           std::abs(GetGValue(c) - GetGValue(expected)) < 24 &&
           std::abs(GetBValue(c) - GetBValue(expected)) < 24;
  };
  EXPECT_TRUE(near(633, 258, 0x00C0FF)) << std::hex << page->Pixel(633, 258); // the shape
  EXPECT_TRUE(near(633, 138, 0x2060C0)) << std::hex << page->Pixel(633, 138); // picture
  EXPECT_TRUE(near(563, 103, 0x40A0E0)) << std::hex << page->Pixel(563, 103);
  EXPECT_TRUE(near(300, 298, clBlack)) << std::hex << page->Pixel(300, 298); // the line
  EXPECT_TRUE(near(300, 293, clWhite));
  EXPECT_TRUE(near(140, 123, 0xF0F0F0)); // a label's fill, beside its text
  // The barcode reads back from the rendered page.
  EXPECT_EQ(Chomp(RunProgram("zbarimg -q --raw '" + prefix + "-2.png' 2>/dev/null")),
            "SF1234567891");
}

// Pictures are encoded once per document and their bytes used again for equal pixels; any
// other picture, however close, gets its own encoding.
TEST(frxPDFPictures, EqualPixelsShareTheirEncodingOthersDoNot)
{
  auto encoded = [](TBitmap* Bitmap) {
    TJPEGImage jpeg;
    jpeg.Assign(Bitmap);
    jpeg.SetCompressionQuality(100);
    return jpeg.Data();
  };
  auto picture = [](Integer W, Integer H, TColor Color, Integer Seed) {
    auto bmp = SolidBitmap(W, H, Color);
    bmp->SetPixelFormat(pf24bit);
    bmp->Canvas()->SetPixels(Seed % W, Seed / W % H, clBlack);
    return bmp;
  };
  TfrxPDFFile pdf;
  auto a = picture(8, 8, clRed, 0);
  auto a2 = picture(8, 8, clRed, 0);
  auto onePixelOff = picture(8, 8, clRed, 1);
  auto otherShape = picture(16, 4, clRed, 0); // the same number of pixels, in other rows
  const std::string first = pdf.JpegOf(a.get());
  EXPECT_EQ(first, encoded(a.get()));
  EXPECT_EQ(pdf.JpegOf(a2.get()), first);
  EXPECT_EQ(pdf.JpegOf(onePixelOff.get()), encoded(onePixelOff.get()));
  EXPECT_NE(pdf.JpegOf(onePixelOff.get()), first);
  EXPECT_EQ(pdf.JpegOf(otherShape.get()), encoded(otherShape.get()));
  // More pictures than are kept, then the first again.
  for (Integer i = 2; i < 40; ++i) {
    auto other = picture(8, 8, clRed, i);
    EXPECT_EQ(pdf.JpegOf(other.get()), encoded(other.get())) << i;
  }
  EXPECT_EQ(pdf.JpegOf(a.get()), first);
  // A picture too large to keep is encoded all the same.
  auto large = picture(1100, 1000, clBlue, 7);
  EXPECT_EQ(pdf.JpegOf(large.get()), encoded(large.get()));
}
