// The preview's commands as a user reaches them in the window: find and find next, printing
// a page range in copies through the print dialog, export through the export menu, saving
// and loading prepared reports, adding and deleting pages, page settings, the build with its
// progress, the tool bar by the report's button bits, and the mended behaviours.
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include <gtest/gtest.h>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/engine/frxRes.h"
#include "report/output/frxExportPDF.h"
#include "report/output/frxExportRTF.h"
#include "report/output/frxPreviewPageSettings.h"
#include "report/output/frxPrintDialog.h"
#include "report/output/frxSearchDialog.h"
#include "tests/report/output/ExportFixtures.h"
#include "tests/report/output/OutputTestSupport.h"
#include "tests/report/output/PreviewFixtures.h"
#include "tests/support/PdfProbe.h"

namespace {

class frxPreviewCommandsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    HeadlessDialogs().Reset();
    Headless().SetScreenSize({1280, 1024});
    PreviewFindState() = TfrxFindState();
    LastSearchText().clear();
  }
  void TearDown() override
  {
    HeadlessDialogs().Reset();
    Headless().Reset();
  }
};

// Runs Handler on the modal form with this caption when it shows.
template <class TDialog>
void OnDialog(const AnsiString& Caption, std::function<void(TDialog*)> Handler)
{
  Headless().OnWindow(Caption, [Handler](HWND) {
    auto* dialog = dynamic_cast<TDialog*>(Screen()->ActiveForm());
    ASSERT_NE(dialog, nullptr);
    Handler(dialog);
  });
}

void Find(TPreviewWindow& W, const AnsiString& Text, bool CaseSensitive, bool FromTop)
{
  OnDialog<TfrxSearchDialog>("查找文本", [=](TfrxSearchDialog* d) {
    d->TextE->SetText(Text);
    d->CaseCB->SetChecked(CaseSensitive);
    d->TopCB->SetChecked(FromTop);
    d->OkB->Click();
  });
  Headless().Click(TPreviewWindow::Centre(W.Form->FindB));
  ASSERT_EQ(Headless().PendingResponders(), 0);
}

// The search page's found text stands inside the visible area.
bool FoundTextVisible(TPreviewWindow& W)
{
  TfrxPreviewWorkspace* ws = W.Workspace();
  const TfrxFindState& f = PreviewFindState();
  const Extended z = W.Preview()->Zoom();
  TRect page = ws->PageList()->GetPageBounds(ws->SearchPage(), ws->ClientWidth(), z);
  return page.Top + f.Bounds.Top * z >= ws->VertPosition() &&
         page.Top + f.Bounds.Bottom * z <= ws->VertPosition() + ws->ClientHeight();
}

} // namespace

// ---- Find ----

TEST_F(frxPreviewCommandsTest, FindsOnALaterPageThenNextThenNothing)
{
  TPreviewReport r(600);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  TfrxPreviewWorkspace* ws = w.Workspace();
  const Integer page450 = r.PageOf("运单SF450");
  ASSERT_GT(page450, 3);

  // Case-insensitive from the top: "sf45" matches SF45 first, then SF450 on a later page.
  Find(w, "sf45", false, true);
  EXPECT_TRUE(PreviewFindState().Found);
  EXPECT_EQ(ws->SearchPage() + 1, r.PageOf("运单SF45"));
  EXPECT_TRUE(FoundTextVisible(w));
  EXPECT_EQ(LastSearchText(), "sf45");
  Headless().Key(VK_F3);
  EXPECT_TRUE(PreviewFindState().Found);
  EXPECT_EQ(ws->SearchPage() + 1, page450);
  EXPECT_TRUE(FoundTextVisible(w));
  // The marked run is inverted: the white left of the text turns black.
  {
    const TfrxFindState& f = PreviewFindState();
    const Extended z = w.Preview()->Zoom();
    TRect page = ws->PageList()->GetPageBounds(ws->SearchPage(), ws->ClientWidth(), z);
    const Integer x = page.Left + static_cast<Integer>(f.Bounds.Left * z) - 1 - ws->HorzPosition();
    const Integer y = page.Top + static_cast<Integer>((f.Bounds.Top + 2) * z) - ws->VertPosition();
    EXPECT_EQ(Headless().ScreenPixel(TPreviewWindow::At(ws, x, y)), clBlack);
  }
  // Further F3: SF451 ... SF459, then nothing more; the view then stays.
  for (Integer i = 0; i < 9; ++i)
    Headless().Key(VK_F3);
  EXPECT_TRUE(PreviewFindState().Found);
  const Integer v = ws->VertPosition();
  Headless().Key(VK_F3);
  EXPECT_FALSE(PreviewFindState().Found);
  EXPECT_EQ(ws->VertPosition(), v);
}

TEST_F(frxPreviewCommandsTest, FindHonoursCaseAndMissingTextLeavesTheView)
{
  TPreviewReport r(300);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  TfrxPreviewWorkspace* ws = w.Workspace();
  struct {
    const char* Text;
    bool Case;
    Integer Page; // 0: not found
  } cases[] = {
      {"sf250", true, 0},
      {"SF250", true, r.PageOf("运单SF250")},
      {"sf250", false, r.PageOf("运单SF250")},
      {"青禾快递", true, 1},
      {"没有这个", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    w.Preview()->First();
    const Integer v = ws->VertPosition();
    Find(w, c.Text, c.Case, true);
    EXPECT_EQ(PreviewFindState().Found, c.Page != 0);
    if (c.Page != 0)
      EXPECT_EQ(ws->SearchPage() + 1, c.Page);
    else
      EXPECT_EQ(ws->VertPosition(), v);
  }
  // Not from the top: the search starts on the page shown.
  w.Preview()->SelectPage(3);
  Find(w, "青禾快递", false, false);
  EXPECT_FALSE(PreviewFindState().Found);
}

TEST_F(frxPreviewCommandsTest, F3BeforeAnyFindDoesNothingAndACancelledFindArmsIt)
{
  TPreviewReport r(120);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  PreviewFindState().Text = "SF2";
  Headless().Click(TPreviewWindow::At(w.Workspace(), 5, 5));
  Headless().Key(VK_F3);
  EXPECT_FALSE(PreviewFindState().Found);
  EXPECT_FALSE(w.Preview()->FindNextArmed());
  Headless().AnswerModal("查找文本", "取消");
  Headless().Key('F', false, true);
  EXPECT_TRUE(w.Preview()->FindNextArmed());
  Headless().Key(VK_F3);
  EXPECT_TRUE(PreviewFindState().Found) << "F3 searches with the previous text";
}

TEST_F(frxPreviewCommandsTest, FindDialogOffersTheLastConfirmedTextSelected)
{
  {
    TfrxSearchDialog d(nullptr);
    EXPECT_EQ(d.Caption(), "查找文本");
    EXPECT_EQ(d.CaseCB->Caption(), "区分大小写");
    Headless().OnWindow("查找文本", [&](HWND) {
      EXPECT_EQ(d.TextE->Text(), "");
      d.TextE->SetText("运单");
      d.OkB->Click();
    });
    EXPECT_EQ(d.ShowModal(), mrOk);
  }
  {
    TfrxSearchDialog d(nullptr);
    Headless().OnWindow("查找文本", [&](HWND) {
      EXPECT_EQ(d.TextE->Text(), "运单");
      EXPECT_EQ(d.TextE->SelLength(), 4);
      EXPECT_TRUE(d.TextE->Focused());
      d.TextE->SetText("别的");
      d.CancelB->Click();
    });
    EXPECT_EQ(d.ShowModal(), mrCancel);
  }
  EXPECT_EQ(LastSearchText(), "运单") << "Cancel keeps the last confirmed text";
}

// ---- Printing and export ----

TEST_F(frxPreviewCommandsTest, PrintsARangeInCollatedCopiesAndKeepsThePageShown)
{
  TFolderPrinterScope printer;
  TPreviewReport r(600);
  ASSERT_TRUE(r.Build());
  ASSERT_GE(r.Pages()->PageCount(), 12);
  r.Report.PrintOptions()->SetShowDialog(true);
  TPreviewWindow w(&r.Report);
  w.Preview()->SelectPage(4);
  OnDialog<TfrxPrintDialog>("打印", [](TfrxPrintDialog* d) {
    d->PageNumbersRB->SetChecked(true);
    d->PageNumbersE->SetText("1,3,5-12");
    d->CopiesE->SetText("2");
    d->CollateCB->SetChecked(true);
    d->OkB->Click();
  });
  Headless().Click(TPreviewWindow::Centre(w.Form->PrintB));
  ASSERT_EQ(Headless().PendingResponders(), 0);
  ASSERT_EQ(printer.Service()->JobCount(), 1);
  EXPECT_EQ(pdfprobe::PageCount(printer.Job(1)), 20);
  const std::vector<std::string> once = {"1", "3", "5", "6", "7", "8", "9", "10", "11", "12"};
  std::vector<std::string> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(pdfprobe::FooterNumbers(printer.Job(1)), twice);
  EXPECT_NE(pdfprobe::Text(printer.Job(1)).find(GbkToUtf8("青禾快递 运单清单")), std::string::npos);
  // The page shown stays the current page: Next goes on from it.
  EXPECT_EQ(w.Preview()->PageNo(), 4);
  EXPECT_EQ(w.Form->PageE->Text(), "4");
  Headless().Click(TPreviewWindow::Centre(w.Form->NextB));
  EXPECT_EQ(w.Preview()->PageNo(), 5);

  // Ctrl+P prints the current page when the dialog says so.
  OnDialog<TfrxPrintDialog>("打印", [](TfrxPrintDialog* d) {
    d->CurPageRB->SetChecked(true);
    d->OkB->Click();
  });
  Headless().Click(TPreviewWindow::At(w.Workspace(), 5, 5));
  Headless().Key('P', false, true);
  ASSERT_EQ(printer.Service()->JobCount(), 2);
  EXPECT_EQ(pdfprobe::FooterNumbers(printer.Job(2)), std::vector<std::string>{"5"});
}

TEST_F(frxPreviewCommandsTest, WithoutPrintersThePrintButtonSaysSo)
{
  TPrintServiceScope none(std::make_unique<TNoPrintService>());
  TPreviewReport r(60);
  ASSERT_TRUE(r.Build());
  r.Report.PrintOptions()->SetShowDialog(true);
  TPreviewWindow w(&r.Report);
  bool told = false;
  Headless().OnWindow("错误", [&](HWND h) {
    told = true;
    HWND ok = THeadlessBackend::FindChildByText(h, "确定");
    ASSERT_NE(ok, HWND(0));
    Headless().Click(THeadlessBackend::ScreenPoint(ok, {5, 5}));
  });
  Headless().Click(TPreviewWindow::Centre(w.Form->PrintB));
  EXPECT_TRUE(told);
  EXPECT_EQ(Headless().PendingResponders(), 0);
  EXPECT_EQ(ReportResources()->Lookup("clNoPrinters"), "在你的系统没有安装打印机");
}

TEST_F(frxPreviewCommandsTest, ExportMenuListsTheFiltersAndExportsToPdf)
{
  TfrxPDFExport pdf(nullptr);
  TfrxRTFExport rtf(nullptr);
  const std::string file = OutputPath("preview_export.pdf");
  std::filesystem::remove(file);
  pdf.SetShowDialog(false);
  pdf.SetFileName(file.c_str());
  TPreviewReport r(120);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  w.Preview()->SelectPage(2);
  TMenuItem* items = w.Form->ExportPopup->Items();
  ASSERT_EQ(items->Count(), RegisteredExportFilters()->Count());
  Integer pdfItem = -1;
  for (Integer i = 0; i < items->Count(); ++i) {
    TfrxCustomExportFilter* filter = RegisteredExportFilters()->Items(i)->Filter;
    EXPECT_EQ(items->Items(i)->Caption(), filter->FilterCaption() + "...");
    if (filter == &pdf)
      pdfItem = i;
  }
  ASSERT_GE(pdfItem, 0);
  items->Items(pdfItem)->Click();
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(pdfprobe::PageCount(file), r.Pages()->PageCount());
  const std::string text = pdfprobe::Text(file);
  EXPECT_NE(text.find(GbkToUtf8("青禾快递 运单清单")), std::string::npos);
  EXPECT_NE(text.find(GbkToUtf8("运单SF120")), std::string::npos);
  EXPECT_EQ(w.Preview()->PageNo(), 2) << "export keeps the page shown";
}

// ---- Files and page editing ----

TEST_F(frxPreviewCommandsTest, SavesAndLoadsPreparedReports)
{
  TPreviewReport r(200);
  ASSERT_TRUE(r.Build());
  const Integer count = r.Pages()->PageCount();
  TPreviewWindow w(&r.Report);
  TfrxPreview* p = w.Preview();
  p->SelectPage(3);
  const std::string base = OutputPath("preview_saved");
  std::filesystem::remove(base + ".fp3");
  // The save dialog's name gets the .fp3 extension.
  HeadlessDialogs().AcceptFile("TSaveDialog", (base + ".txt").c_str());
  Headless().Click(TPreviewWindow::Centre(w.Form->SaveB));
  ASSERT_TRUE(std::filesystem::exists(base + ".fp3"));
  EXPECT_EQ(HeadlessDialogs().Shown().back().Filter, "报表文件 (*.fp3)|*.fp3");
  EXPECT_EQ(p->PageNo(), 3) << "saving keeps the page shown";
  EXPECT_FALSE(p->MessagePanel()->Visible());

  p->Clear();
  EXPECT_EQ(p->PageCount(), 0);
  EXPECT_EQ(p->PageNo(), 0);
  HeadlessDialogs().AcceptFile("TOpenDialog", (base + ".fp3").c_str());
  Headless().Click(TPreviewWindow::Centre(w.Form->OpenB));
  EXPECT_EQ(p->PageCount(), count);
  EXPECT_EQ(p->PageNo(), 1) << "loading starts on the first page";
  EXPECT_GT(p->OutlineTree()->Items()->Count(), 0);
  // A damaged file raises and the preview paints again.
  const std::string bad = OutputPath("preview_bad.fp3");
  {
    std::ofstream out(bad);
    out << "this is no prepared report";
  }
  EXPECT_ANY_THROW(p->LoadFromFile(bad.c_str()));
  EXPECT_FALSE(p->Locked());
  EXPECT_EQ(p->PageCount(), count) << "a damaged file leaves the pages as they were";
  // So does a file cut short, at the start of its pages or between two objects halfway:
  // it is refused, not shown as a report of fewer pages or none.
  std::string saved;
  ASSERT_TRUE(ReadFileBytes(base + ".fp3", saved));
  const std::string cut = OutputPath("preview_cut.fp3");
  for (const size_t length :
       {saved.find("<previewpages>") + 14, saved.find("/>", saved.size() / 2) + 2}) {
    SCOPED_TRACE(length);
    {
      std::ofstream out(cut, std::ios::binary);
      out << saved.substr(0, length);
    }
    try {
      p->LoadFromFile(cut.c_str());
      ADD_FAILURE() << "a file cut short loaded";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Invalid file format: the prepared report ends too early");
    }
    EXPECT_EQ(p->PageCount(), count);
  }
  std::filesystem::remove(cut);
}

TEST_F(frxPreviewCommandsTest, DeletingTheLastPageMovesBackAndAddingInserts)
{
  TExportReport r;
  for (Integer i = 0; i < 3; ++i)
    r.Memo(r.AddPage(10), 0, 0, 200, 20, "第" + IntToStr(i + 1) + "页");
  r.Prepare();
  TPreviewWindow w(r.Report());
  TfrxPreview* p = w.Preview();
  p->Last();
  Headless().Click(TPreviewWindow::Centre(w.Form->DelPageB));
  EXPECT_EQ(p->PageCount(), 2);
  EXPECT_EQ(p->PageNo(), 2);
  EXPECT_EQ(w.PageStatus(), "第 2 页 共 2 页");
  p->First();
  Headless().Click(TPreviewWindow::Centre(w.Form->NewPageB));
  EXPECT_EQ(p->PageCount(), 3);
  EXPECT_EQ(p->PageNo(), 1);
  EXPECT_EQ(w.Workspace()->PageList()->Count(), 3);
  // Without AllowEdit the editing buttons are off.
  r.Report()->PreviewOptions()->SetAllowEdit(false);
  w.Form->ApplyPreviewOptions();
  EXPECT_FALSE(w.Form->DelPageB->Enabled());
  EXPECT_FALSE(w.Form->NewPageB->Enabled());
}

// Edit and page settings need a page: without pages they do nothing (no dialog opens, no
// missing page is touched).
TEST_F(frxPreviewCommandsTest, EditAndPageSettingsDoNothingWithoutPages)
{
  TPreviewReport r(10);
  TPreviewWindow w(&r.Report);
  ASSERT_EQ(w.Preview()->PageCount(), 0);
  EXPECT_EQ(w.Preview()->PageNo(), 0);
  Headless().Click(TPreviewWindow::Centre(w.Form->PageSettingsB));
  Headless().Click(TPreviewWindow::Centre(w.Form->DesignerB));
  w.Preview()->Edit();
  w.Preview()->PageSetupDialog();
  EXPECT_EQ(Screen()->ActiveForm(), w.Form);
  // Paging and the tools are harmless too.
  Headless().Click(TPreviewWindow::Centre(w.Form->NextB));
  Headless().Click(TPreviewWindow::At(w.Workspace(), 50, 50));
  EXPECT_EQ(w.Preview()->PageNo(), 0);
}

TEST_F(frxPreviewCommandsTest, PageSettingsForTheCurrentPageReplaceOnlyThatPage)
{
  TPrintServiceScope scope(std::make_unique<TFakePrintService>());
  TPreviewReport r(200);
  ASSERT_TRUE(r.Build());
  TPreviewWindow w(&r.Report);
  w.Preview()->SelectPage(2);
  OnDialog<TfrxPageSettingsForm>("页面设置", [](TfrxPageSettingsForm* d) {
    d->LandscapeRB->SetChecked(true);
    d->LandscapeRB->OnClick(d->LandscapeRB);
    d->MarginLeftE->SetText("2");
    d->OKB->Click();
  });
  Headless().Click(TPreviewWindow::Centre(w.Form->PageSettingsB));
  ASSERT_EQ(Headless().PendingResponders(), 0);
  const TfrxPoint first = r.Pages()->PageSize(0), second = r.Pages()->PageSize(1);
  EXPECT_GT(second.X, second.Y) << "the edited page lies";
  EXPECT_LT(first.X, first.Y) << "the others stay upright";
  auto* page = dynamic_cast<TfrxReportPage*>(r.Pages()->BuildPage(1));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->LeftMargin(), 20);
  EXPECT_EQ(w.Workspace()->PageList()->Items(1).Width, static_cast<Word>(second.X));
}

// ---- Building in the window ----

TEST_F(frxPreviewCommandsTest, ATwoPassBuildShowsItsProgressAndCannotBeClosed)
{
  TPreviewReport r(400);
  r.Report.EngineOptions()->SetDoublePass(true);
  r.Report.PreviewOptions()->SetMaximized(false);
  std::vector<AnsiString> firstPass, finalPass;
  bool closeRefused = false, commandsOff = true;
  AnsiString cancelCaption;
  r.Report.OnProgress = [&](TfrxReport* Sender, TfrxProgressType, Integer Page) {
    auto* form = dynamic_cast<TfrxPreviewForm*>(Sender->PreviewForm());
    if (!form)
      return;
    const AnsiString status = form->StatusBar->Panels()->Items(0)->Text();
    (Sender->Engine()->FinalPass() ? finalPass : firstPass).push_back(status);
    commandsOff = commandsOff && !form->PrintB->Enabled() && !form->SaveB->Enabled();
    cancelCaption = form->CancelB->Caption();
    if (Page == 3 && !Sender->Engine()->FinalPass()) {
      // The close box and Alt+F4 send WM_CLOSE.
      SendMessage(form->Handle(), WM_CLOSE, 0, 0);
      closeRefused = form->Visible() && !Sender->Terminated();
    }
  };
  AnsiString endStatus, endCaption;
  r.Report.OnProgressStop = [&](TfrxReport* Sender, TfrxProgressType, Integer) {
    auto* form = dynamic_cast<TfrxPreviewForm*>(Sender->PreviewForm());
    ASSERT_NE(form, nullptr);
    Headless().QueueStep([form, &endStatus, &endCaption] {
      endStatus = form->StatusBar->Panels()->Items(0)->Text();
      endCaption = form->CancelB->Caption();
      EXPECT_TRUE(form->PrintB->Enabled());
      Headless().Click(TPreviewWindow::Centre(form->CancelB));
    });
  };
  r.Report.ShowReport();
  const Integer count = r.Pages()->PageCount();
  ASSERT_GT(count, 5);
  ASSERT_FALSE(firstPass.empty());
  EXPECT_NE(firstPass.back().find("第一次处理过程: 页 "), AnsiString::npos) << firstPass.back();
  EXPECT_TRUE(closeRefused);
  EXPECT_TRUE(commandsOff);
  EXPECT_EQ(cancelCaption, "取消");
  EXPECT_EQ(endStatus, "第 1 页 共 " + IntToStr(count) + " 页");
  EXPECT_EQ(endCaption, "关闭(&X)");
  EXPECT_EQ(r.Report.PreviewForm(), nullptr);
}

TEST_F(frxPreviewCommandsTest, EscCancelsTheBuild)
{
  TPreviewReport r(2000);
  r.Report.PreviewOptions()->SetMaximized(false);
  r.Report.OnProgress = [&](TfrxReport* Sender, TfrxProgressType, Integer Page) {
    auto* form = dynamic_cast<TfrxPreviewForm*>(Sender->PreviewForm());
    // Esc does what the close button does while a build runs.
    if (form && Page == 3)
      Headless().Key(VK_ESCAPE);
  };
  r.Report.OnProgressStop = [&](TfrxReport* Sender, TfrxProgressType, Integer) {
    auto* form = dynamic_cast<TfrxPreviewForm*>(Sender->PreviewForm());
    Headless().QueueStep([form] { Headless().Click(TPreviewWindow::Centre(form->CancelB)); });
  };
  r.Report.ShowReport();
  EXPECT_TRUE(r.Report.Terminated());
  EXPECT_LE(r.Pages()->PageCount(), 5);
  EXPECT_GE(r.Pages()->PageCount(), 3);
}

// ---- The tool bar by the button bits ----

TEST_F(frxPreviewCommandsTest, ButtonBitsChooseTheToolBar)
{
  struct {
    const char* Name;
    TfrxPreviewButtons Buttons;
    std::vector<AnsiString> Shown;
  } cases[] = {
      {"no zoom",
       TfrxPreviewOptions::AllButtons() - TfrxPreviewButtons{pbZoom, pbEdit},
       {"PrintB", "OpenB", "SaveB", "ExportB", "FindB", "Sep2", "PageSettingsB", "OutlineB", "Sep5",
        "HandToolB", "ZoomToolB", "Sep6", "FirstB", "PriorB", "Sep4", "NextB", "LastB",
        "frTBPanel1", "CancelB"}},
      {"print and navigator",
       TfrxPreviewButtons{pbPrint, pbNavigator},
       {"PrintB", "Sep6", "FirstB", "PriorB", "Sep4", "NextB", "LastB", "frTBPanel1", "CancelB"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TPreviewReport r(10);
    r.Report.PreviewOptions()->SetButtons(c.Buttons);
    TPreviewWindow w(&r.Report);
    std::vector<AnsiString> shown;
    for (Integer i = 0; i < w.Form->ToolBar->ItemCount(); ++i)
      if (w.Form->ToolBar->Items(i)->Visible())
        shown.push_back(w.Form->ToolBar->Items(i)->Name());
    EXPECT_EQ(shown, c.Shown);
  }
}

TEST_F(frxPreviewCommandsTest, ReportNameBecomesTheCaption)
{
  TPreviewReport r(10);
  {
    TPreviewWindow w(&r.Report);
    EXPECT_EQ(w.Form->Caption(), "预览");
    EXPECT_EQ(w.Form->PrintB->Caption(), "打印");
    EXPECT_EQ(w.Form->PageE->Hint(), "页数");
  }
  r.Report.ReportOptions()->SetName("运单 2024");
  TPreviewWindow w(&r.Report);
  EXPECT_EQ(w.Form->Caption(), "运单 2024");
}

// ---- Links in two-page mode ----

// Each page's link is tested against the page under the pointer: in a row of two, the left
// page's links work as well as the right page's.
TEST_F(frxPreviewCommandsTest, TwoPageModeFollowsTheLinkOfThePageUnderThePointer)
{
  TExportReport r;
  const char* links[] = {"@3", "@1", ""};
  for (const char* link : links) {
    TfrxMemoView* m = r.Memo(r.AddPage(10), 0, 0, 200, 30, "链接");
    m->SetURL(link);
  }
  r.Prepare();
  TPreviewWindow w(r.Report(), 1200, 800);
  TfrxPreview* p = w.Preview();
  p->SetZoomMode(zmManyPages);
  TfrxPreviewWorkspace* ws = w.Workspace();
  auto linkPoint = [&](Integer Index) {
    TRect page = ws->PageList()->GetPageBounds(Index, ws->ClientWidth(), p->Zoom());
    const Extended margin = 10 * 3.77953;
    return TPreviewWindow::At(
        ws, page.Left + static_cast<Integer>((margin + 100) * p->Zoom()) - ws->HorzPosition(),
        page.Top + static_cast<Integer>((margin + 15) * p->Zoom()) - ws->VertPosition());
  };
  Headless().Move(linkPoint(0));
  EXPECT_EQ(ws->Cursor(), crHandPoint) << "the left page's link shows the hand";
  Headless().Click(linkPoint(0));
  EXPECT_EQ(p->PageNo(), 3);
  p->First();
  Headless().Click(linkPoint(1));
  EXPECT_EQ(p->PageNo(), 1);
  // Between the pages there is no page and no link.
  TRect left = ws->PageList()->GetPageBounds(0, ws->ClientWidth(), p->Zoom());
  EXPECT_EQ(ws->PageAt(left.Right + 4 - ws->HorzPosition(), left.Top + 50 - ws->VertPosition()),
            -1);
}

// ---- A waybill page ----

namespace {

// The word boxes of a PDF's first page (points from the top left), by word.
std::map<std::string, std::pair<double, double>> WordPositions(const std::string& Pdf)
{
  std::map<std::string, std::pair<double, double>> words;
  const std::string html =
      pdfprobe::RunCommand("pdftotext -bbox -f 1 -l 1 '" + Pdf + "' - 2>/dev/null");
  std::regex word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator();
       ++it)
    words[(*it)[3]] = {std::stod((*it)[1]), std::stod((*it)[2])};
  return words;
}

} // namespace

// A waybill as the program builds it: a page of the pre-printed form's size without margins
// and without a background picture, the labels placed on the page itself in report pixels.
// Previewed and printed, each text lands where its label stands, at true size.
TEST_F(frxPreviewCommandsTest, AWaybillPagePrintsItsTextsAtTrueSize)
{
  TFolderPrinterScope printer;
  TfrxReport report(nullptr);
  report.EngineOptions()->SetSilentMode(true);
  report.SetShowProgress(false);
  const AnsiString xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport Version=\"3.0\">"
      "<TfrxReportPage Name=\"Page1\" PaperWidth=\"230\" PaperHeight=\"127\" PaperSize=\"256\""
      " LeftMargin=\"0\" RightMargin=\"0\" TopMargin=\"0\" BottomMargin=\"0\">"
      "<TfrxMemoView Name=\"qh1\" Left=\"10\" Top=\"10\" Width=\"94.48825\" Height=\"29\""
      " Font.Charset=\"1\" Font.Height=\"-16\" Font.Name=\"宋体\" Memo.Text=\"青禾快递单\""
      " ParentFont=\"False\" AutoWidth=\"True\"/>"
      "<TfrxMemoView Name=\"l1\" Left=\"189\" Top=\"113\" Width=\"94.48825\" Height=\"28.8\""
      " Font.Charset=\"1\" Font.Height=\"-18\" Font.Name=\"宋体\" Memo.Text=\"收件人\""
      " ParentFont=\"False\" AutoWidth=\"True\"/>"
      "<TfrxMemoView Name=\"l2\" Left=\"567\" Top=\"378\" Width=\"94.48825\" Height=\"28.8\""
      " Font.Charset=\"1\" Font.Height=\"-18\" Font.Name=\"宋体\" Memo.Text=\"北京\""
      " ParentFont=\"False\" AutoWidth=\"True\"/>"
      "</TfrxReportPage></TfrxReport>";
  TMemoryStream stream;
  stream.WriteBuffer(xml.data(), static_cast<Integer>(xml.size()));
  stream.SetPosition(0);
  report.LoadFromStream(&stream);
  ASSERT_TRUE(report.GenerateReport());
  ASSERT_EQ(report.PreviewPages()->PageCount(), 1);
  report.PrintOptions()->SetShowDialog(false);
  TPreviewWindow w(&report);
  // On screen at 100%: the page is 230 x 127 mm of 96-dpi pixels.
  const TfrxPageItem& item = w.Workspace()->PageList()->Items(0);
  EXPECT_EQ(item.Width, static_cast<Word>(230 * 96 / 25.4));
  EXPECT_EQ(item.Height, static_cast<Word>(127 * 96 / 25.4));
  Headless().Click(TPreviewWindow::Centre(w.Form->PrintB));
  ASSERT_EQ(printer.Service()->JobCount(), 1);
  EXPECT_EQ(pdfprobe::PageSizes(printer.Job(1)), std::vector<std::string>{"652x360"});
  auto words = WordPositions(printer.Job(1));
  // A report pixel is 0.75 point; a text starts its memo's 2-pixel gap in.
  struct {
    const char* Text;
    double Left, Top;
  } labels[] = {{"收件人", 189, 113}, {"北京", 567, 378}, {"青禾快递单", 10, 10}};
  for (const auto& l : labels) {
    SCOPED_TRACE(l.Text);
    auto it = words.find(GbkToUtf8(l.Text));
    ASSERT_NE(it, words.end());
    EXPECT_NEAR(it->second.first, (l.Left + 2) * 0.75, 1.5);
    EXPECT_NEAR(it->second.second, l.Top * 0.75, 3);
  }
}
