// The print dialog: the printer switched at once and put back on Cancel, what the print
// walk reads back, print to file, and the whole path from PrintPages.
#include "report/output/frxPrintDialog.h"

#include <regex>

#include <gtest/gtest.h>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxRes.h"
#include "tests/report/engine/PrintFixtures.h"
#include "tests/report/engine/ReportFixtures.h"

namespace {

class frxPrintDialogTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    auto service = std::make_unique<TFakePrintService>();
    fake = service.get();
    scope = std::make_unique<TPrintServiceScope>(std::move(service));
  }
  void TearDown() override
  {
    scope.reset();
    Headless().Reset();
  }

  TFakePrintService* fake = nullptr;
  std::unique_ptr<TPrintServiceScope> scope;
};

} // namespace

TEST_F(frxPrintDialogTest, PrinterChoiceIsLiveAndCancelPutsItBack)
{
  ASSERT_EQ(GlobalPrinters()->CurrentPrinter()->Name(), "Labels");
  for (TModalResult answer : {mrCancel, mrOk}) {
    SCOPED_TRACE(answer);
    GlobalPrinters()->SelectIndex(1);
    TfrxPrintDialog dialog(nullptr);
    EXPECT_EQ(dialog.Caption(), "打印");
    Headless().OnWindow(dialog.Caption(), [&](HWND) {
      EXPECT_EQ(dialog.PrintersCB->Items()->Count(), 2);
      EXPECT_EQ(dialog.PrintersCB->ItemIndex(), 1);
      EXPECT_EQ(dialog.TypeL1->Caption(), "Labels");
      dialog.PrintersCB->SetItemIndex(0);
      dialog.PrintersCB->OnClick(dialog.PrintersCB);
      EXPECT_EQ(GlobalPrinters()->CurrentPrinter()->Name(), "Office");
      EXPECT_EQ(dialog.TypeL1->Caption(), "Office");
      (answer == mrOk ? dialog.OkB : dialog.CancelB)->Click();
    });
    EXPECT_EQ(dialog.ShowModal(), answer);
    EXPECT_EQ(GlobalPrinters()->CurrentPrinter()->Name(), answer == mrOk ? "Office" : "Labels");
  }
}

TEST_F(frxPrintDialogTest, PrintToFileNamesAPrnFileOrCancels)
{
  struct {
    const char* Name;
    bool Given;
    TModalResult Result;
    const char* FileName;
  } cases[] = {
      {"named", true, mrOk, "/tmp/运单.prn"},
      {"file dialog cancelled", false, mrCancel, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TfrxPrintDialog dialog(nullptr);
    dialog.OnFileDialog = [&](AnsiString& name) {
      name = "/tmp/运单.pdf";
      return c.Given;
    };
    Headless().OnWindow(dialog.Caption(), [&](HWND) {
      dialog.FileCB->SetChecked(true);
      dialog.OkB->Click();
    });
    EXPECT_EQ(dialog.ShowModal(), c.Result);
    EXPECT_EQ(GlobalPrinters()->CurrentPrinter()->FileName(), c.FileName);
  }
}

TEST_F(frxPrintDialogTest, ThePrintWalkReadsTheChoicesBack)
{

  TListData data(NumberedRows(240)); // 5 pages
  TfrxReport report(nullptr);
  report.EngineOptions()->SetSilentMode(true);
  BuildListReport(&report, &data);
  ASSERT_TRUE(report.GenerateReport());
  TfrxPreviewPages* pages = report.PreviewPages();
  ASSERT_EQ(pages->PageCount(), 5);
  report.PrintOptions()->SetShowDialog(true);
  report.PrintOptions()->SetCopies(3);
  report.PrintOptions()->SetCollate(false);
  report.PrintOptions()->SetPageNumbers("2-5");
  report.PrintOptions()->SetPrintPages(ppEven);
  pages->SetCurPreviewPage(4);

  // Preset from the options, except the page kind, which opens on all pages; then: the
  // current page in 2 copies.
  Headless().OnWindow("打印", [&](HWND) {
    auto* dialog = dynamic_cast<TfrxPrintDialog*>(Application()->FindComponent("frxPrintDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->CopiesE->Text(), "3");
    EXPECT_FALSE(dialog->CollateCB->Checked());
    EXPECT_EQ(dialog->PageNumbersE->Text(), "2-5");
    EXPECT_TRUE(dialog->PageNumbersRB->Checked());
    EXPECT_EQ(dialog->PrintPagesCB->ItemIndex(), 0);
    EXPECT_EQ(dialog->PrintPagesCB->Text(), "全部页面");
    dialog->CurPageRB->SetChecked(true);
    dialog->CopiesE->SetText("2");
    dialog->OkB->Click();
  });
  ASSERT_TRUE(pages->PrintPages());
  ASSERT_EQ(fake->Jobs.size(), 1u);
  EXPECT_EQ(fake->Jobs[0].Options.Copies, 2);
  // One page: the preview's current one.
  const std::string& pdf = fake->Jobs[0].Pdf;
  const std::regex page("/Type /Page[^s]");
  std::ptrdiff_t n =
      std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator());
  EXPECT_EQ(n, 1);
}
