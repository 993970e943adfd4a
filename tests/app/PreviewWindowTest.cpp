// The program's previews through the report library's own preview window, over SQLite and
// PostgreSQL: the designer's "预览" shows the waybill on its paper without the template's
// picture and prints it through the print dialog with each label at its place in
// millimetres; the report catalogue previews a stored report in the same window and exports
// it to PDF through the window's export menu.
#include <gtest/gtest.h>

#include "app/Objs.h"
#include "app/Reporter.h"
#include "app/WaybillReport.h"
#include "app/main.h"
#include "app/main1.h"
#include "app/qhProj.h"
#include "app/qhRep.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "report/output/frxExportDialogs.h"
#include "report/output/frxPreview.h"
#include "report/output/frxPrintDialog.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/PreviewTestSupport.h"
#include "tests/app/ProgramTestSupport.h"
#include "tests/support/PdfProbe.h"

namespace {

using app_test::ShownMemos;
using app_test::TFolderPrinterScope;
using app_test::TShownMemo;

class PreviewWindow : public app_test::TAppDatabaseTest {
protected:
  void SetUp() override
  {
    TAppDatabaseTest::SetUp();
    FDir = std::make_unique<TTempProgramDir>();
    app_test::ResetWindows();
    HeadlessDialogs().Reset();
    Headless().SetScreenSize({1280, 1024});
    qhRepInitialization();
    Printer = std::make_unique<TFolderPrinterScope>();
    CurrentCompany->LoadCompany();
    CurrentCompany->CompanyName = "青禾测试公司";
    CurrentOperator->LoadOperator("sa");
  }
  void TearDown() override
  {
    Printer.reset();
    SetWaybillPreviewer(nullptr);
    app_test::ResetWindows();
    FDir.reset();
    TAppDatabaseTest::TearDown();
  }

  AnsiString TempFile(const char* Name) const { return AnsiString(FDir->Dir) + Name; }

  std::unique_ptr<TFolderPrinterScope> Printer;
  std::unique_ptr<TTempProgramDir> FDir;
};

TPoint Centre(TControl* Control)
{
  return Control->ClientToScreen({Control->Width() / 2, Control->Height() / 2});
}

// Runs Action in the first waiting loop that finds Ready true, moving the virtual clock on
// between looks (the report builds on a timer once its preview window shows).
void When(std::function<bool()> Ready, std::function<void()> Action, Integer Looks = 0)
{
  Headless().QueueStep([=] {
    if (Ready()) {
      Action();
      return;
    }
    if (Looks == 1000) {
      ADD_FAILURE() << "waited in vain";
      return;
    }
    Headless().Advance(10);
    When(Ready, Action, Looks + 1);
  });
}

// The preview window in front, its report built.
TfrxPreviewForm* BuiltPreview()
{
  auto* form = dynamic_cast<TfrxPreviewForm*>(Screen()->ActiveForm());
  return form && form->Preview()->PageCount() > 0 && !form->Preview()->Running() ? form : nullptr;
}

enum TClosing { clCloseButton, clEscKey };

// Runs Inspect on the preview window once its report is built, then closes the window with
// its close button or the Esc key as soon as it is in front again (Inspect may open dialogs
// over it).
void InspectAndClosePreview(std::function<void(TfrxPreviewForm*)> Inspect,
                            TClosing Closing = clCloseButton)
{
  When([] { return BuiltPreview() != nullptr; },
       [Inspect, Closing] {
         TfrxPreviewForm* form = BuiltPreview();
         Inspect(form);
         When([form] { return Screen()->ActiveForm() == form; },
              [form, Closing] {
                if (Closing == clEscKey)
                  Headless().Key(VK_ESCAPE);
                else
                  Headless().Click(Centre(form->CancelB));
              });
       });
}

// The screen colour of a point of the first page, given in page pixels at zoom 1.
TColor PagePixel(TfrxPreviewForm* Form, Integer X, Integer Y)
{
  TfrxPreviewWorkspace* ws = Form->Preview()->Workspace();
  const Extended zoom = Form->Preview()->Zoom();
  const TRect page = ws->PageList()->GetPageBounds(0, ws->ClientWidth(), zoom);
  const TPoint client(page.Left + static_cast<Integer>(X * zoom) - ws->HorzPosition(),
                      page.Top + static_cast<Integer>(Y * zoom) - ws->VertPosition());
  return Headless().ScreenPixel(ws->ClientToScreen(client));
}

const TShownMemo* FindMemo(const std::vector<TShownMemo>& Memos, const AnsiString& Name)
{
  for (const TShownMemo& m : Memos)
    if (m.Name == Name)
      return &m;
  return nullptr;
}

// "预览" in the designer: the preview window shows one page of the template's paper with
// the labels' texts, on white paper where the template's picture would be; its print
// button asks the print dialog and prints the page at true size, each text where its label
// sits and no picture in the job.
TEST_P(PreviewWindow, TheDesignersPreviewShowsAndPrintsTheWaybill)
{
  ASSERT_NE(PreviewFormFactory(), nullptr) << "the preview unit installs the preview window";
  Application()->CreateForm(mainFrm);
  mainFrm->Show();
  const TWaybillLayout layout = app_test::LayoutWithLabels({{"l13", 120, 160, "[u_Company]"},
                                                            {"l14", 400, 300, "收件人 张三"},
                                                            {"l18", 560, 380, "北京市海淀区"}});
  ASSERT_NO_FATAL_FAILURE(app_test::StoreSampleTemplate(layout, TempFile("waybill.jpg")));
  auto* designer = new Tmain1Frm(mainFrm);
  designer->Show();
  Headless().ProcessMessages();
  ASSERT_EQ(designer->Templates().Selected(), 0);

  bool inspected = false, dialogAnswered = false;
  std::vector<TShownMemo> shown;
  InspectAndClosePreview(
      [&](TfrxPreviewForm* form) {
        inspected = true;
        TfrxReport* report = form->Preview()->Report();
        ASSERT_NE(report, nullptr);
        EXPECT_EQ(form->Preview()->PageCount(), 1);
        // The page is the paper of the template, 230 x 127 mm of 96-dpi pixels.
        const TfrxPageItem& item = form->Preview()->Workspace()->PageList()->Items(0);
        EXPECT_EQ(item.Width, static_cast<Word>(230 * 96 / 25.4));
        EXPECT_EQ(item.Height, static_cast<Word>(127 * 96 / 25.4));
        shown = ShownMemos(report);
        auto* page = dynamic_cast<TfrxReportPage*>(report->PreviewPages()->BuildPage(0));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->BackPicture()->Graphic(), nullptr);
        // Away from the labels the paper is white: the picture (a pale yellow form with red
        // boxes) is not drawn.
        for (const TPoint p :
             {TPoint(40, 100), TPoint(600, 60), TPoint(820, 440), TPoint(300, 420)})
          EXPECT_EQ(PagePixel(form, p.X, p.Y), clWhite) << p.X << "," << p.Y;
        // A label's text is drawn: dark pixels inside the first characters of 青禾测试公司.
        bool ink = false;
        for (Integer x = 124; x < 160 && !ink; ++x)
          for (Integer y = 162; y < 180 && !ink; ++y)
            ink = GetRValue(PagePixel(form, x, y)) < 128;
        EXPECT_TRUE(ink);

        Headless().OnWindow("打印", [&](HWND) {
          auto* dialog = dynamic_cast<TfrxPrintDialog*>(Screen()->ActiveForm());
          ASSERT_NE(dialog, nullptr);
          dialogAnswered = true;
          EXPECT_TRUE(dialog->AllRB->Checked());
          EXPECT_EQ(dialog->CopiesE->Text(), "1");
          dialog->OkB->Click();
        });
        Headless().Click(Centre(form->PrintB));
        // Printed, the preview is the active window again and Esc (the keyboard) closes it.
      },
      clEscKey);
  Headless().Click(Centre(designer->ToolButton11));
  ASSERT_TRUE(inspected);
  EXPECT_TRUE(dialogAnswered);
  EXPECT_EQ(Headless().PendingResponders(), 0);
  EXPECT_EQ(dynamic_cast<TfrxPreviewForm*>(Screen()->ActiveForm()), nullptr);

  const TShownMemo* company = FindMemo(shown, "l13");
  ASSERT_NE(company, nullptr);
  EXPECT_EQ(company->Text, "青禾测试公司\r\n");
  ASSERT_NE(FindMemo(shown, "l14"), nullptr);
  EXPECT_EQ(FindMemo(shown, "l17"), nullptr); // hidden

  const std::string pdf = Printer->Job(1);
  ASSERT_TRUE(FileExists(pdf));
  EXPECT_EQ(pdfprobe::PageSizes(pdf), std::vector<std::string>{"652x360"}); // 230 x 127 mm
  EXPECT_EQ(pdfprobe::ImageCount(pdf), 0);
  const std::vector<pdfprobe::TWord> words = pdfprobe::Words(pdf);
  // A label at (x, y) pixels of the 96-dpi report starts at x / 96 inches, 2 pixels inside
  // its object; so in millimetres x * 25.4 / 96.
  const struct {
    const char* Text;
    double Left, Top; // pixels
  } expected[] = {{"青禾测试公司", 120, 160},
                  {"收件人", 400, 300},
                  {"张三", 400, 300},
                  {"北京市海淀区", 560, 380},
                  {"青禾快递单免费打印软件", 10, 10}};
  const double mmPerPoint = 25.4 / 72;
  for (const auto& e : expected) {
    SCOPED_TRACE(e.Text);
    const std::string utf8 = GbkToUtf8(e.Text);
    const pdfprobe::TWord* word = nullptr;
    for (const pdfprobe::TWord& w : words)
      if (w.Text.rfind(utf8, 0) == 0 && (!word || w.YMin < word->YMin))
        word = &w;
    ASSERT_NE(word, nullptr);
    if (utf8 == GbkToUtf8("张三")) {
      EXPECT_GT(word->XMin * mmPerPoint, (e.Left + 2) * 25.4 / 96 + 5);
      continue;
    }
    EXPECT_NEAR(word->XMin * mmPerPoint, (e.Left + 2) * 25.4 / 96, 0.3);
    EXPECT_NEAR(word->YMin * mmPerPoint, e.Top * 25.4 / 96, 0.8);
  }
}

// The catalogue's "预览" opens the stored definition in the preview window: the company's
// name put in, no edit buttons on the tool bar; the export menu offers the wrapper's filters
// and the PDF one writes the page through its options and save dialogs, the Chinese text
// of the report's default face (Arial) readable in the file; closing the preview closes
// the catalogue.
TEST_P(PreviewWindow, TheCataloguePreviewsAStoredReport)
{
  TRep::AddReport("月报", 1001);
  {
    TRep rep;
    rep.LoadFromTable(1);
    auto* page = new TfrxReportPage(rep.Report());
    page->SetName("Page1");
    auto* memo = new TfrxMemoView(page);
    memo->SetName("Memo1");
    memo->SetBounds(40, 60, 300, 24);
    memo->SetText("[u_Company] 月报 May");
    TRep::StoreReportToTable(rep.Report());
  }
  bool listed = false, inspected = false;
  std::vector<TShownMemo> shown;
  const AnsiString exported = TempFile("月报.pdf");
  Headless().QueueStep([&] {
    auto* catalogue = dynamic_cast<TReporterFrm*>(Screen()->ActiveForm());
    ASSERT_NE(catalogue, nullptr);
    listed = catalogue->ListBox1->Items()->Count() == 1;
    InspectAndClosePreview([&](TfrxPreviewForm* form) {
      inspected = true;
      EXPECT_EQ(form->Preview()->PageCount(), 1);
      shown = ShownMemos(form->Preview()->Report());
      EXPECT_TRUE(form->PrintB->Visible());
      for (TControl* c :
           std::initializer_list<TControl*>{form->NewPageB, form->DelPageB, form->DesignerB})
        EXPECT_FALSE(c->Visible()) << c->Name();
      EXPECT_EQ(form->StatusBar->Panels()->Items(0)->Text(), "第 1 页 共 1 页");

      TMenuItem* items = form->ExportPopup->Items();
      TMenuItem* pdfItem = nullptr;
      for (Integer i = 0; i < items->Count(); ++i)
        if (items->Items(i)->Caption() == "PDF 文件...")
          pdfItem = items->Items(i);
      ASSERT_NE(pdfItem, nullptr);
      Headless().OnWindow("导出为PDF文件", [&](HWND) {
        auto* dialog = dynamic_cast<TfrxPDFExportDialog*>(Screen()->ActiveForm());
        ASSERT_NE(dialog, nullptr);
        dialog->OkB->Click();
      });
      HeadlessDialogs().AcceptFile("TSaveDialog", exported);
      pdfItem->Click();
    });
    Headless().Click(Centre(catalogue->Button4));
  });
  ShowReports({}, 1001);
  EXPECT_TRUE(listed);
  ASSERT_TRUE(inspected);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, "青禾测试公司 月报 May\r\n");
  EXPECT_EQ(Screen()->ActiveForm(), nullptr); // the catalogue closed after the preview
  EXPECT_EQ(Headless().PendingResponders(), 0);
  EXPECT_EQ(HeadlessDialogs().Pending(), 0);
  EXPECT_FALSE(FileExists(Printer->Job(1))); // nothing printed
  ASSERT_TRUE(FileExists(exported));
  EXPECT_NE(pdfprobe::Text(GbkToUtf8(exported)).find(GbkToUtf8("青禾测试公司 月报 May")),
            std::string::npos)
      << pdfprobe::Text(GbkToUtf8(exported));
}

INSTANTIATE_TEST_SUITE_P(Backends, PreviewWindow,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

} // namespace
