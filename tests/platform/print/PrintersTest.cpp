#include "platform/print/Printers.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/FileUtils.h"
#include "tests/support/CupsTestServer.h"
#include "tests/support/PdfProbe.h"

namespace {

std::string ReadFile(const std::string& name)
{
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder for one test's jobs.
struct TJobFolder {
  std::string Path;
  TJobFolder()
  {
    Path = testing::TempDir() + "qhprint-" + std::to_string(getpid()) + "-" +
           testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  ~TJobFolder() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& name) const { return Path + "/" + name; }
  size_t Count() const
  {
    return std::distance(std::filesystem::directory_iterator(Path),
                         std::filesystem::directory_iterator());
  }
};

// A4 at 600 dpi, 5 mm margins on each side.
TPageMedia A4Media(bool landscape = false)
{
  TPageMedia m{4961, 7016, 118, 118, 4961 - 236, 7016 - 236};
  return landscape ? m.Turned() : m;
}

void DrawText(TSurface* surface, const AnsiString& text)
{
  TCanvas canvas(surface);
  canvas.Font()->SetName("Arial");
  canvas.Font()->SetPixelsPerInch(600);
  canvas.Font()->SetSize(12);
  canvas.Brush()->SetStyle(bsClear);
  canvas.TextOut(100, 100, text);
}

TEST(PaperKinds, SizesMatchWithinOneMillimetreEitherWayRound)
{
  struct {
    const char* Name;
    Integer Width, Height; // tenths of a millimetre
    Integer Number;        // 0: none
  } cases[] = {
      {"A4", 2100, 2970, 9},
      {"A4 landscape", 2970, 2100, 9},
      {"A4 off by 1 mm", 2110, 2960, 9},
      {"A4 off by 2 mm", 2120, 2970, 0},
      {"Letter", 2159, 2794, 1},
      {"A3", 2970, 4200, 8},
      {"a waybill", 2300, 1270, 0},
      {"B5 (JIS)", 1820, 2570, 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TPaperKind* k = MatchPaperKind(c.Width, c.Height);
    EXPECT_EQ(k ? k->Number : 0, c.Number);
  }
  EXPECT_EQ(PaperKinds().size(), 66u);
  EXPECT_EQ(FindPaperKind(48), nullptr);
  ASSERT_NE(FindPaperKind(68), nullptr);
  EXPECT_EQ(FindPaperKind(68)->Height, 4450);
}

TEST(PaperKinds, PrinterPapersAndBinsAreNumbered)
{
  TPrinterCaps caps;
  caps.Papers = {{"A4", "iso_a4", 0, 21000, 29700},
                 {"A4 again", "iso_a4_2", 0, 21000, 29700},
                 {"Label", "custom_label", 0, 10000, 15000},
                 {"Letter", "na_letter", 0, 21590, 27940},
                 {"Roll", "roll", 0, 8000, 30000}};
  caps.Bins = {{"Auto", "auto"},     {"Tray 1", "tray-1"}, {"Tray 2", "tray-2"},
               {"Manual", "manual"}, {"Top", "top"},       {"Envelope", "envelope"}};
  NumberPapersAndBins(caps);
  Integer papers[] = {9, 257, 258, 1, 259};
  for (size_t i = 0; i < std::size(papers); ++i)
    EXPECT_EQ(caps.Papers[i].Number, papers[i]) << caps.Papers[i].Name;
  // "top" is the upper bin too, but tray-1 took 1 first.
  Integer bins[] = {7, 1, 2, 4, 257, 258};
  for (size_t i = 0; i < std::size(bins); ++i)
    EXPECT_EQ(caps.Bins[i].Number, bins[i]) << caps.Bins[i].Name;
  EXPECT_EQ(caps.FindBin(4)->Key, "manual");

  TPrinterCaps many;
  many.Papers.resize(300, TPrinterPaper{"x", "x", 0, 1000, 1000});
  NumberPapersAndBins(many);
  EXPECT_EQ(many.Papers.size(), 256u);
}

TEST(PdfFolderPrinter, JobKeepsEachPageMediaAndRecordsItsOptions)
{
  TJobFolder folder;
  TPdfFolderPrintService service(folder.Path.c_str());
  EXPECT_EQ(service.PrinterNames(), std::vector<AnsiString>{"PDF"});
  EXPECT_EQ(service.DefaultPrinter(), "PDF");
  TPrinterCaps caps = service.Capabilities("PDF");
  ASSERT_NE(caps.FindPaper(9), nullptr);
  EXPECT_EQ(caps.FindPaper(9)->Width, 21000);
  ASSERT_NE(caps.FindBin(7), nullptr);

  TPrintJobOptions options;
  options.Title = "waybills";
  {
    TPrintJob job(&service, "PDF", options, "");
    DrawText(job.StartPage(A4Media(), 600, "", 3, psTwoSidedLongEdge), "first");
    job.EndPage();
    DrawText(job.StartPage(A4Media(true), 600, "", 3, psTwoSidedLongEdge), "second");
    job.EndPage();
    job.Finish();
  }
  ASSERT_EQ(service.JobCount(), 1);
  std::string pdf = folder.File("job-1.pdf");
  EXPECT_EQ(pdfprobe::PageSizes(pdf), (std::vector<std::string>{"595x842", "842x595"}));
  std::string text = pdfprobe::RunCommand("pdftotext '" + pdf + "' -");
  EXPECT_NE(text.find("first"), std::string::npos);
  EXPECT_NE(text.find("second"), std::string::npos);
  std::string record = ReadFile(folder.File("job-1.txt"));
  EXPECT_NE(record.find("title=waybills\n"), std::string::npos) << record;
  EXPECT_NE(record.find("copies=3\n"), std::string::npos);
  EXPECT_NE(record.find("sides=two-sided-long-edge\n"), std::string::npos);
  // Nothing of the job stays behind in the temporary folder.
  EXPECT_EQ(folder.Count(), 2u);
}

TEST(PdfFolderPrinter, ChangingTheSourceSplitsTheJob)
{
  TJobFolder folder;
  TPdfFolderPrintService service(folder.Path.c_str());
  TPrintJob job(&service, "PDF", {}, "");
  for (const char* source : {"tray-1", "tray-2", "tray-2"}) {
    DrawText(job.StartPage(A4Media(), 600, source, 1, psOneSided), source);
    job.EndPage();
  }
  job.Finish();
  ASSERT_EQ(service.JobCount(), 2);
  EXPECT_NE(ReadFile(folder.File("job-1.txt")).find("media-source=tray-1\n"), std::string::npos);
  EXPECT_NE(ReadFile(folder.File("job-2.txt")).find("media-source=tray-2\n"), std::string::npos);
  EXPECT_EQ(pdfprobe::PageCount(folder.File("job-1.pdf")), 1);
  EXPECT_EQ(pdfprobe::PageCount(folder.File("job-2.pdf")), 2);
}

TEST(PdfFolderPrinter, AbortAndPrintToFile)
{
  TJobFolder folder;
  TPdfFolderPrintService service(folder.Path.c_str());
  {
    TPrintJob job(&service, "PDF", {}, "");
    job.StartPage(A4Media(), 600, "", 1, psOneSided);
    job.Abort();
    job.Finish(); // after Abort: nothing
    EXPECT_THROW(job.StartPage(A4Media(), 600, "", 1, psOneSided), EPrinter);
  }
  {
    // Destroyed unfinished: aborted.
    TPrintJob job(&service, "PDF", {}, "");
    job.StartPage(A4Media(), 600, "", 1, psOneSided);
  }
  EXPECT_EQ(service.JobCount(), 0);
  EXPECT_EQ(folder.Count(), 0u);

  // A GBK file name; different sources still make one file.
  AnsiString target = AnsiString(folder.Path.c_str()) + "/运单.prn";
  TPrintJob job(&service, "PDF", {}, target);
  DrawText(job.StartPage(A4Media(), 600, "tray-1", 1, psOneSided), "one");
  DrawText(job.StartPage(A4Media(), 600, "tray-2", 1, psOneSided), "two");
  job.Finish();
  EXPECT_EQ(service.JobCount(), 0);
  EXPECT_EQ(pdfprobe::PageCount(ToOsFileName(target)), 2);
}

TEST(PdfFolderPrinter, FailuresRaise)
{
  TJobFolder folder;
  TPdfFolderPrintService service(folder.Path.c_str());
  EXPECT_THROW(service.Capabilities("nobody"), EPrinter);
  EXPECT_THROW(service.PrintRaw("nobody", "x", {}), EPrinter);
  // A job whose output cannot be written fails instead of passing for printed.
  TPrintJob job(&service, "PDF", {}, "/nonexistent-folder/out.prn");
  job.StartPage(A4Media(), 600, "", 1, psOneSided);
  EXPECT_THROW(job.Finish(), EPrinter);

  service.PrintRaw("PDF", AnsiString("\x1b@ABC\0\x0c", 7), {});
  EXPECT_EQ(ReadFile(folder.File("job-1.prn")), std::string("\x1b@ABC\0\x0c", 7));
}

TEST(CupsPrinter, JobsReachTheQueueOfAPrivateServer)
{
  TCupsTestServer server;
  if (!server.Available())
    GTEST_SKIP() << server.Reason();
  TCupsPrintService service(server.Socket().c_str());
  std::vector<AnsiString> names = service.PrinterNames();
  ASSERT_EQ(names, std::vector<AnsiString>{"qhtest"});
  TPrinterCaps caps = service.Capabilities("qhtest");
  EXPECT_FALSE(caps.Papers.empty());
  EXPECT_GT(caps.DpiX, 0);

  TPrintJobOptions options;
  options.Title = "two pages";
  TPrintJob job(&service, "qhtest", options, "");
  DrawText(job.StartPage(A4Media(), 600, "", 2, psTwoSidedShortEdge), "page one");
  DrawText(job.StartPage(A4Media(), 600, "", 2, psTwoSidedShortEdge), "page two");
  job.Finish();
  std::string pdf = server.WaitForJob(1);
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(pdfprobe::PageCount(pdf), 2);
  std::string text = pdfprobe::RunCommand("pdftotext '" + pdf + "' -");
  EXPECT_NE(text.find("page two"), std::string::npos);
  std::string record = server.JobRecord(1);
  EXPECT_NE(record.find("copies=2\n"), std::string::npos) << record;
  EXPECT_NE(record.find("sides=two-sided-short-edge"), std::string::npos) << record;

  service.PrintRaw("qhtest", "RAW\x1b@", {});
  std::string raw = server.WaitForJob(2);
  ASSERT_FALSE(raw.empty());
  EXPECT_EQ(ReadFile(raw), "RAW\x1b@");

  EXPECT_THROW(service.Capabilities("missing"), EPrinter);
  EXPECT_THROW(service.PrintPdf("missing", pdf.c_str(), {}), EPrinter);
}

} // namespace
