// Prepared pages as output: drawing, hit testing, the print walk (to a PDF folder printer
// and to a private CUPS server) and the export walk.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/graphics/Metafile.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/ShellAPI.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "tests/report/engine/PrintFixtures.h"
#include "tests/report/engine/ReportFixtures.h"
#include "tests/support/CupsTestServer.h"
#include "tests/support/PdfProbe.h"

namespace {

std::vector<std::string> Numbers(std::initializer_list<int> pages)
{
  std::vector<std::string> result;
  for (int p : pages)
    result.push_back(std::to_string(p));
  return result;
}

class frxPreviewPagesOutputTest : public ::testing::Test {
protected:
  void SetUp() override { Headless().Reset(); }
  void TearDown() override
  {
    SetPrintDialogFunc(nullptr);
    Headless().Reset();
  }

  // A list report of Rows rows (about 49 a page), built.
  std::unique_ptr<TfrxReport> BuildList(Integer Rows)
  {
    data = std::make_unique<TListData>(NumberedRows(Rows));
    auto report = std::make_unique<TfrxReport>(nullptr);
    report->EngineOptions()->SetSilentMode(true);
    BuildListReport(report.get(), data.get());
    EXPECT_TRUE(report->GenerateReport());
    report->PrintOptions()->SetShowDialog(false);
    return report;
  }

  // A folder printer "PDF" as the only printer while the test runs.
  TPdfFolderPrintService* UseFolderPrinter()
  {
    folder = testing::TempDir() + "qhwalk-" + std::to_string(getpid()) + "-" +
             testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder);
    auto service = std::make_unique<TPdfFolderPrintService>(folder.c_str());
    TPdfFolderPrintService* raw = service.get();
    printScope = std::make_unique<TPrintServiceScope>(std::move(service));
    return raw;
  }
  std::string Job(int n) const { return folder + "/job-" + std::to_string(n) + ".pdf"; }

  std::unique_ptr<TListData> data;
  std::string folder;
  std::unique_ptr<TPrintServiceScope> printScope;
};

} // namespace

TEST_F(frxPreviewPagesOutputTest, PrintsAPageRangeInCollatedCopies)
{
  TPdfFolderPrintService* printer = UseFolderPrinter();
  auto report = BuildList(600);
  TfrxPreviewPages* pages = report->PreviewPages();
  ASSERT_GE(pages->PageCount(), 12);
  report->PrintOptions()->SetPageNumbers("1,3,5-12");
  report->PrintOptions()->SetCopies(2);
  report->PrintOptions()->SetCollate(true);
  report->ReportOptions()->SetName("订单");
  ASSERT_TRUE(pages->PrintPages());
  ASSERT_EQ(printer->JobCount(), 1);
  EXPECT_EQ(pdfprobe::FooterNumbers(Job(1)),
            Numbers({1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 1, 3, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(pdfprobe::PageCount(Job(1)), 20);
  EXPECT_EQ(pdfprobe::PageSizes(Job(1))[0], "595x842");

  // Uncollated: each page once, the printer makes the copies.
  report->PrintOptions()->SetCollate(false);
  report->PrintOptions()->SetPageNumbers("2-3");
  ASSERT_TRUE(pages->PrintPages());
  ASSERT_EQ(printer->JobCount(), 2);
  EXPECT_EQ(pdfprobe::FooterNumbers(Job(2)), Numbers({2, 3}));
  std::ifstream record(folder + "/job-2.txt");
  std::string options((std::istreambuf_iterator<char>(record)), {});
  EXPECT_NE(options.find("copies=2\n"), std::string::npos) << options;
  EXPECT_NE(options.find("uncollated=1\n"), std::string::npos) << options;
}

TEST_F(frxPreviewPagesOutputTest, DialogChoicesOddEvenReverseAndCancel)
{
  TPdfFolderPrintService* printer = UseFolderPrinter();
  auto report = BuildList(240); // 5 pages
  TfrxPreviewPages* pages = report->PreviewPages();
  ASSERT_EQ(pages->PageCount(), 5);
  report->PrintOptions()->SetShowDialog(true);

  struct {
    const char* Name;
    TfrxPrintDialogSettings::TRange Range;
    const char* PageNumbers;
    TfrxPrintPages Choice;
    bool Reverse;
    std::vector<std::string> Printed;
  } cases[] = {
      {"2-3 even", TfrxPrintDialogSettings::prPages, "2-3", ppEven, false, Numbers({2})},
      {"all odd reversed", TfrxPrintDialogSettings::prAll, "", ppOdd, true, Numbers({5, 3, 1})},
      {"current page", TfrxPrintDialogSettings::prCurrent, "", ppAll, false, Numbers({4})},
  };
  static const TfrxPrintDialogSettings* answer = nullptr;
  SetPrintDialogFunc([](TfrxReport*, TfrxPrintDialogSettings& s) {
    if (!answer)
      return false;
    s = *answer;
    return true;
  });
  pages->SetCurPreviewPage(4);
  int jobs = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TfrxPrintDialogSettings s;
    s.Range = c.Range;
    s.PageNumbers = c.PageNumbers;
    s.PrintPages = c.Choice;
    s.Reverse = c.Reverse;
    answer = &s;
    ASSERT_TRUE(pages->PrintPages());
    ASSERT_EQ(printer->JobCount(), ++jobs);
    EXPECT_EQ(pdfprobe::FooterNumbers(Job(jobs)), c.Printed);
  }
  // Cancel prints nothing; a copies text that is no number is refused before printing.
  answer = nullptr;
  EXPECT_FALSE(pages->PrintPages());
  TfrxPrintDialogSettings bad;
  bad.Copies = "two";
  answer = &bad;
  EXPECT_THROW(pages->PrintPages(), EConvertError);
  EXPECT_EQ(printer->JobCount(), jobs);
  answer = nullptr;
}

TEST_F(frxPreviewPagesOutputTest, BinsOfFirstAndOtherPagesAndFailedJobs)
{
  auto fakeService = std::make_unique<TFakePrintService>();
  TFakePrintService* fake = fakeService.get();
  printScope = std::make_unique<TPrintServiceScope>(std::move(fakeService));
  auto report = BuildList(150);
  auto* page = static_cast<TfrxReportPage*>(report->Pages(0));
  page->SetBin(1);
  page->SetBinOtherPages(4);
  ASSERT_TRUE(report->GenerateReport());
  TfrxPreviewPages* pages = report->PreviewPages();
  ASSERT_GE(pages->PageCount(), 3);
  // Stored pages keep their source page's bins.
  report->PrintOptions()->SetPageNumbers("2-3");
  ASSERT_TRUE(pages->PrintPages());
  ASSERT_EQ(fake->Jobs.size(), 1u);
  EXPECT_EQ(fake->Jobs[0].Options.MediaSource, "manual");
  report->PrintOptions()->SetPageNumbers("");
  ASSERT_TRUE(pages->PrintPages());
  // Page 1 from tray 1, the others from the manual feed: two documents in order.
  ASSERT_EQ(fake->Jobs.size(), 3u);
  EXPECT_EQ(fake->Jobs[1].Options.MediaSource, "tray-1");
  EXPECT_EQ(fake->Jobs[2].Options.MediaSource, "manual");

  // A refused job raises instead of passing for printed, and leaves the printer usable.
  fake->RefuseJobs = true;
  EXPECT_THROW(pages->PrintPages(), EPrinter);
  TfrxCustomPrinter* printer = GlobalPrinters()->CurrentPrinter();
  EXPECT_FALSE(printer->Printing());
  fake->RefuseJobs = false;
  EXPECT_TRUE(pages->PrintPages());
  EXPECT_EQ(fake->Jobs.size(), 5u);
}

TEST_F(frxPreviewPagesOutputTest, DrawsPagesWithTheirTotalAndMirroredMargins)
{
  auto report = BuildList(130);
  auto* design = static_cast<TfrxReportPage*>(report->Pages(0));
  design->SetLeftMargin(30);
  design->SetRightMargin(10);
  design->SetMirrorMargins(true);
  static_cast<TfrxMemoView*>(report->FindObject("Memo5"))->SetText("[Page]/[TotalPages#]");
  ASSERT_TRUE(report->GenerateReport());
  TfrxPreviewPages* pages = report->PreviewPages();
  ASSERT_EQ(pages->PageCount(), 3);

  // The footer text and the left edge of its record, for each page at zoom 1.
  for (Integer i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    TMetafile mf;
    {
      TMetafileCanvas canvas(&mf, 0);
      pages->DrawPage(i, &canvas, 1, 1, 0, 0);
    }
    AnsiString footer;
    Integer left = -1;
    mf.EnumRecords([&](const TMetaRecordInfo& r) {
      if ((r.Type == EMR_EXTTEXTOUTA || r.Type == EMR_EXTTEXTOUTW) && AnsiPos("/", r.Text) > 0) {
        footer = r.Text;
        left = r.Bounds.Left;
      }
      return true;
    });
    EXPECT_EQ(footer, IntToStr(i + 1) + "/3");
    // 30 mm on odd pages, 10 mm on even ones (plus the text's own inset).
    Integer margin = i % 2 == 0 ? 113 : 38;
    EXPECT_GE(left, margin);
    EXPECT_LE(left, margin + 6);
  }
  // The margins are back as designed after drawing.
  auto* built = static_cast<TfrxReportPage*>(pages->BuildPage(1));
  EXPECT_EQ(built->LeftMargin(), 30);
  // Out of range: nothing, no error.
  TMetafile mf;
  {
    TMetafileCanvas canvas(&mf, 0);
    pages->DrawPage(7, &canvas, 1, 1, 0, 0);
  }
  EXPECT_EQ(mf.RecordCount(), 0);
}

TEST_F(frxPreviewPagesOutputTest, HitTestingShowsLinksAndFollowsOnlySafeOnes)
{
  auto report = BuildList(3);
  auto* memo1 = static_cast<TfrxMemoView*>(report->FindObject("Memo1"));
  ASSERT_NE(memo1, nullptr);
  std::vector<AnsiString> opened;
  TShellOpenHook old = SetShellOpenHook([&](const AnsiString& t) {
    opened.push_back(t);
    return true;
  });
  TfrxPreviewPages* pages = report->PreviewPages();
  // Memo1 sits at (0, 0)-(300, 22) inside 10 mm margins: (37.8, 37.8) at zoom 1.
  struct {
    const char* Url;
    TCursor ObjectCursor;
    TCursor Expected;
    bool Opened;
  } cases[] = {
      {"https://example.com/track?id=1", 0, crHandPoint, true},
      {"mailto:desk@example.com", crCross, crCross, true},
      {"file:///etc/passwd", 0, crHandPoint, false},
      {"-rf", 0, crHandPoint, false},
      {"", 0, crDefault, false},
  };
  // Each build reloads the report's objects: the memo is looked up again before each change.
  auto memo = [&] { return static_cast<TfrxMemoView*>(report->FindObject("Memo1")); };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Url);
    memo1 = memo();
    memo1->SetURL(c.Url);
    memo1->SetCursor(c.ObjectCursor);
    ASSERT_TRUE(report->GenerateReport());
    opened.clear();
    TCursor cursor = crDefault;
    pages->ObjectHitTest(0, 60, 50, mbLeft, {}, 1, 0, 0, false, cursor);
    EXPECT_EQ(cursor, c.Expected);
    EXPECT_TRUE(opened.empty());
    pages->ObjectHitTest(0, 60, 50, mbLeft, {}, 1, 0, 0, true, cursor);
    EXPECT_EQ(opened.size(), c.Opened ? 1u : 0u);
  }
  // Outside every object: the cursor stays.
  TCursor cursor = crDefault;
  pages->ObjectHitTest(0, 5, 5, mbLeft, {}, 1, 0, 0, false, cursor);
  EXPECT_EQ(cursor, crDefault);
  // At zoom 2 with an offset the same object is found at the scaled place.
  memo1 = memo();
  memo1->SetURL("@1");
  memo1->SetCursor(0);
  ASSERT_TRUE(report->GenerateReport());
  pages->ObjectHitTest(0, 100 + 2 * 60, 7 + 2 * 50, mbLeft, {}, 2, 100, 7, false, cursor);
  EXPECT_EQ(cursor, crHandPoint);
  EXPECT_EQ(dynamic_cast<TfrxView*>(pages->ObjectHitTest(0, 60, 50))->Name(), "Memo1");
  SetShellOpenHook(old);
}

namespace {

// Records what the export walk hands over.
class TRecordingFilter : public TfrxCustomExportFilter {
public:
  TRecordingFilter() : TfrxCustomExportFilter(nullptr, TNoRegistration{}) {}
  std::vector<AnsiString> Calls;
  Integer DialogResult = 1;
  bool Begin = true;
  Integer ShowOptionsDialog() override { return DialogResult; }
  bool BeginExport() override
  {
    Calls.push_back("begin");
    return Begin;
  }
  void BeginPage(TfrxComponent*, Integer Index) override
  {
    Calls.push_back("page " + IntToStr(Index));
  }
  void WriteObject(TfrxComponent* Obj) override
  {
    if (Obj->Name() == "_pagebackground")
      Calls.push_back("background " + IntToStr(RoundInt(Obj->Left())));
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(Obj); memo && Obj->Name() == "Memo5")
      Calls.push_back("footer " + Trim(memo->Text()));
  }
  void EndPage(TfrxComponent*, Integer Index) override
  {
    Calls.push_back("end " + IntToStr(Index));
  }
  void EndExport() override { Calls.push_back("end export"); }

private:
  static Integer RoundInt(Extended v) { return static_cast<Integer>(std::nearbyint(v)); }
};

} // namespace

TEST_F(frxPreviewPagesOutputTest, ExportWalk)
{
  auto report = BuildList(130);
  auto* memo5 = static_cast<TfrxMemoView*>(report->FindObject("Memo5"));
  memo5->SetText("[Page] of [TotalPages#]");
  ASSERT_TRUE(report->GenerateReport());
  TfrxPreviewPages* pages = report->PreviewPages();
  TRecordingFilter filter;
  EXPECT_FALSE(pages->ExportPages(nullptr));
  filter.DialogResult = 2;
  EXPECT_FALSE(pages->ExportPages(&filter));
  EXPECT_TRUE(filter.Calls.empty());
  filter.DialogResult = 1;

  filter.SetPageNumbers("2-3");
  ASSERT_TRUE(pages->ExportPages(&filter));
  EXPECT_EQ(filter.Report(), report.get());
  const std::vector<AnsiString> expected = {"begin", "page 1",    "background 38", "footer 2 of 3",
                                            "end 1", "page 2",    "background 38", "footer 3 of 3",
                                            "end 2", "end export"};
  EXPECT_EQ(filter.Calls, expected);

  // Current page only without a preview: page 1. BeginExport refusing ends the walk there.
  filter.Calls.clear();
  filter.SetCurPage(true);
  ASSERT_TRUE(pages->ExportPages(&filter));
  EXPECT_EQ(filter.PageNumbers(), "1");
  EXPECT_EQ(filter.Calls[1], "page 0");
  filter.Calls.clear();
  filter.Begin = false;
  EXPECT_FALSE(pages->ExportPages(&filter));
  EXPECT_EQ(filter.Calls, std::vector<AnsiString>{"begin"});
}

TEST_F(frxPreviewPagesOutputTest, TwoPageReportReachesAPrivateCupsQueue)
{
  TCupsTestServer server;
  if (!server.Available())
    GTEST_SKIP() << server.Reason();
  printScope = std::make_unique<TPrintServiceScope>(
      std::make_unique<TCupsPrintService>(server.Socket().c_str()));
  ASSERT_EQ(GlobalPrinters()->CurrentPrinter()->Name(), "qhtest");
  auto report = BuildList(60);
  ASSERT_EQ(report->PreviewPages()->PageCount(), 2);
  ASSERT_TRUE(report->PreviewPages()->PrintPages());
  std::string pdf = server.WaitForJob(1);
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(pdfprobe::FooterNumbers(pdf), Numbers({1, 2}));
}
