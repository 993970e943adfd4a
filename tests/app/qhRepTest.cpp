// The report wrapper over SQLite and PostgreSQL: the waybill previewed from the designer
// and printed with its labels at their places in millimetres and without the picture, the
// program's user variables and user function in a build, the report table (new rows, the
// definition stored and loaded), the designer's load and save hooks, and a stored report
// previewed and exported.
#include "app/qhRep.h"

#include <gtest/gtest.h>

#include "app/Objs.h"
#include "app/WaybillReport.h"
#include "app/main1.h"
#include "app/qhProj.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "report/designer/frxDesgn.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/engine/frxUtils.h"
#include "report/output/frxExportPDF.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/PreviewTestSupport.h"
#include "tests/app/ProgramTestSupport.h"
#include "tests/support/PdfProbe.h"

namespace {

using app_test::ShownMemos;
using app_test::TShownMemo;
using app_test::TTestPreviewForm;
using app_test::TTestPreviewScope;

class Reports : public app_test::TAppWindowsTest {
protected:
  void SetUp() override
  {
    TAppWindowsTest::SetUp();
    HeadlessDialogs().Reset();
    qhRepInitialization();
    Preview = std::make_unique<TTestPreviewScope>();
    CurrentCompany->LoadCompany();
    CurrentCompany->CompanyName = "青禾测试公司";
    CurrentCompany->Tel = "010-1234";
    CurrentCompany->Fax.clear();
    CurrentOperator->LoadOperator("sa");
  }
  void TearDown() override
  {
    Preview.reset();
    SetWaybillPreviewer(nullptr);
    TAppWindowsTest::TearDown();
  }

  AnsiString TempFile(const char* Name) const { return AnsiString(FDir->Dir) + Name; }

  // A one-page report whose memo shows Text at (Left, Top) pixels in 宋体.
  static void BuildMemoReport(TfrxReport* Report, const AnsiString& Text, Extended Left = 40,
                              Extended Top = 60)
  {
    auto* page = new TfrxReportPage(Report);
    page->SetName("Page1");
    auto* memo = new TfrxMemoView(page);
    memo->SetName("Memo1");
    memo->SetBounds(Left, Top, 300, 24);
    memo->Font()->SetName("宋体");
    memo->SetText(Text);
  }

  std::unique_ptr<TTestPreviewScope> Preview;
};

const TShownMemo* FindMemo(const std::vector<TShownMemo>& Memos, const AnsiString& Name)
{
  for (const TShownMemo& m : Memos)
    if (m.Name == Name)
      return &m;
  return nullptr;
}

const pdfprobe::TWord* FindWord(const std::vector<pdfprobe::TWord>& Words, const char* Utf8Start)
{
  for (const pdfprobe::TWord& w : Words)
    if (w.Text.rfind(Utf8Start, 0) == 0)
      return &w;
  return nullptr;
}

// "预览" in the designer builds the waybill of the layout on screen: the fixed line, the
// visible labels with the company's name put in for [u_Company], nothing of a hidden label
// or of the blank-text placeholder; printed, each text starts where its label sits, in
// millimetres of the paper, and the template's picture is not on the page.
TEST_P(Reports, TheDesignersPreviewPrintsTheLabelsAtTheirPlacesWithoutThePicture)
{
  Application()->CreateForm(mainFrm);
  mainFrm->Show();
  TWaybillLayout layout = app_test::LayoutWithLabels({{"l13", 120, 160, "[u_Company]"},
                                                      {"l14", 400, 300, "收件人 \"张三\""},
                                                      {"l15", 200, 250, "[空]"}});
  layout.FindLabel("l17")->Text = "隐藏";
  ASSERT_NO_FATAL_FAILURE(app_test::StoreSampleTemplate(layout, TempFile("waybill.jpg")));

  auto* designer = new Tmain1Frm(mainFrm);
  designer->Show();
  Headless().ProcessMessages();
  ASSERT_EQ(designer->Templates().Selected(), 0);

  std::vector<TShownMemo> shown;
  TTestPreviewForm::OnShown = [&](TfrxReport* Report) {
    shown = ShownMemos(Report);
    EXPECT_EQ(Report->PreviewPages()->PageCount(), 1);
    TTestPreviewScope::Print(Report);
  };
  designer->ToolButton11->Click();
  ASSERT_EQ(TTestPreviewForm::Shown, 1);

  const TShownMemo* fixed = FindMemo(shown, "qh1");
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->Text.find("青禾快递单免费打印软件"), 0u);
  EXPECT_DOUBLE_EQ(fixed->Left, 10);
  const TShownMemo* company = FindMemo(shown, "l13");
  ASSERT_NE(company, nullptr);
  EXPECT_EQ(company->Text, "青禾测试公司\r\n");
  EXPECT_DOUBLE_EQ(company->Left, 120);
  EXPECT_DOUBLE_EQ(company->Top, 160);
  const TShownMemo* quoted = FindMemo(shown, "l14");
  ASSERT_NE(quoted, nullptr);
  EXPECT_EQ(quoted->Text, "收件人 \"张三\"\r\n");
  EXPECT_EQ(FindMemo(shown, "l17"), nullptr);
  if (const TShownMemo* blank = FindMemo(shown, "l15")) {
    EXPECT_EQ(Trim(blank->Text), "");
  }

  const std::string pdf = Preview->Folder + "job-1.pdf";
  ASSERT_TRUE(FileExists(pdf));
  const std::vector<std::string> sizes = pdfprobe::PageSizes(pdf);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0], "652x360"); // 230 x 127 mm
  EXPECT_EQ(pdfprobe::ImageCount(pdf), 0);
  const std::vector<pdfprobe::TWord> words = pdfprobe::Words(pdf);
  // A label at (x, y) pixels of the 96-dpi report starts at x / 96 inches: 120 pixels are
  // 31.75 mm, 90 points.
  const struct {
    const char* Utf8;
    double Left, Top;                                                 // pixels
  } expected[] = {{"\xe9\x9d\x92\xe7\xa6\xbe\xe6\xb5\x8b", 120, 160}, // 青禾测(试公司)
                  {"\xe6\x94\xb6\xe4\xbb\xb6\xe4\xba\xba", 400, 300}, // 收件人
                  {"\xe9\x9d\x92\xe7\xa6\xbe\xe5\xbf\xab", 10, 10}};  // 青禾快(递单…)
  for (const auto& e : expected) {
    SCOPED_TRACE(e.Utf8);
    const pdfprobe::TWord* w = FindWord(words, e.Utf8);
    ASSERT_NE(w, nullptr);
    // The text is drawn 2 pixels (1.5 points) inside its object's left edge.
    EXPECT_NEAR(w->XMin, e.Left * 0.75 + 1.5, 0.5);
    EXPECT_NEAR(w->YMin, e.Top * 0.75, 2.0);
  }
  EXPECT_EQ(FindWord(words, "\xe9\x9a\x90\xe8\x97\x8f"), nullptr); // 隐藏
}

// The program's values in a build: the company and operator values (an empty one as one
// blank, the operator by login id), Show1 always 1, and the user dataset "u" answering its
// names.
TEST_P(Reports, UserVariablesAndTheUserFunctionInABuild)
{
  Db->Execute(u"insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)"
              u"values('alice','a1','Alice Wang','','','')");
  CurrentOperator->LoadOperator("alice");
  TProjRep rep;
  const struct {
    const char* Expression;
    const char* Shown;
  } cases[] = {
      {"[u_Company]", "青禾测试公司"},
      {"[U_TEL]", "010-1234"},
      {"[u_Fax]", " "},
      {"[u_Operator]", "alice"},
      {"[Show1('a', 7)]", "1"},
      {"[show1('', 0) + 1]", "2"},
      {"<[u_Zip]>", "< >"},
  };
  TfrxReport* report = rep.Report();
  auto* page = new TfrxReportPage(report);
  page->SetName("Page1");
  Integer n = 0;
  for (const auto& c : cases) {
    auto* memo = new TfrxMemoView(page);
    memo->SetName("Memo" + IntToStr(++n));
    memo->SetBounds(10, 30 * n, 300, 24);
    memo->SetText(c.Expression);
  }
  report->EngineOptions()->SetSilentMode(true);
  ASSERT_TRUE(report->GenerateReport()) << report->Errors()->Text();
  const std::vector<TShownMemo> shown = ShownMemos(report);
  n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Expression);
    const TShownMemo* memo = FindMemo(shown, "Memo" + IntToStr(++n));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text, AnsiString(c.Shown) + "\r\n");
  }

  EXPECT_EQ(rep.UserDataSet()->Name(), "u");
  EXPECT_EQ(rep.UserDataSet()->FieldsCount(), 6);
  EXPECT_EQ(VarToStr(rep.UserDataSet()->Value("U_COMPANY")), "青禾测试公司");
  EXPECT_EQ(VarToStr(rep.UserDataSet()->Value("u_Other")), "u_Other");
  rep.AddVariable("", u"x"); // ignored
  EXPECT_EQ(rep.UserDataSet()->FieldsCount(), 6);
  rep.Show1List()->Add("a7=3");
  EXPECT_EQ(rep.Show1Value("a", 7), 3);
  EXPECT_EQ(rep.Show1Value("a", 8), 1);
}

// The wrapper's four export filters are offered while it lives; the preview loses its edit
// button, whatever the definition says.
TEST_P(Reports, TheWrapperOffersFourExportsAndNoEditButton)
{
  const Integer before = RegisteredExportFilters()->Count();
  {
    TRep rep;
    EXPECT_EQ(RegisteredExportFilters()->Count(), before + 4);
    EXPECT_FALSE(rep.Report()->PreviewOptions()->Buttons().Contains(pbEdit));
    EXPECT_TRUE(rep.Report()->PreviewOptions()->Buttons().Contains(pbExport));
    EXPECT_EQ(DesignerSettings(), rep.Designer());
    EXPECT_EQ(rep.Designer()->Restrictions(), TfrxDesignerRestrictions{drDontCreateReport});
    // A definition asking for a non-modal preview (or one with the edit button) gets a
    // modal one without it: the wrapper and its report go when the preview returns.
    TRep::AddReport("甲", 1001);
    rep.LoadFromTable(1);
    BuildMemoReport(rep.Report(), "甲");
    rep.Report()->PreviewOptions()->SetModal(false);
    rep.Report()->PreviewOptions()->SetButtons(TfrxPreviewOptions::AllButtons());
    TRep::StoreReportToTable(rep.Report());
    rep.LoadFromTable(1);
    EXPECT_FALSE(rep.Report()->PreviewOptions()->Buttons().Contains(pbEdit));
    EXPECT_TRUE(rep.Report()->PreviewOptions()->Modal());
    EXPECT_EQ(DesignerSettings(), rep.Designer()); // loading keeps the settings object
  }
  EXPECT_EQ(RegisteredExportFilters()->Count(), before);
  EXPECT_EQ(DesignerSettings(), nullptr);
}

int ReportIds(const char* Where = "")
{
  TQuerySet q;
  q.Open(GbkToWide(AnsiString("select count(*) from report") + Where));
  return q.DataSet()->Fields()->Fields(0)->AsInteger();
}

// New rows take the highest Id + 1 and no definition; a stored definition loads back into
// another wrapper with the row's Id as the report's Tag; a row that has gone is inserted
// again by a save; rename and delete touch only their row.
TEST_P(Reports, TheReportTableKeepsDefinitions)
{
  TRep::AddReport("乙报表", 1001);
  TRep::AddReport("", 1001);
  TRep::AddReport("甲报表", 7);
  EXPECT_EQ(ReportIds(" where Id=3 and GrpId=7"), 1);
  TRep::DeleteReport(1);
  TRep::AddReport("丙", 1001);
  EXPECT_EQ(ReportIds(" where Id=4 and GrpId=1001"), 1);
  EXPECT_EQ(ReportIds(" where Id=2 and Title=''"), 1);
  TRep::RenameReport(2, "空白");
  EXPECT_EQ(ReportIds(" where Title='空白'"), 1);
  EXPECT_EQ(ReportIds(), 3);

  {
    TRep rep;
    rep.LoadFromTable(3);
    EXPECT_EQ(rep.Report()->PageCount(), 0); // no definition yet
    EXPECT_EQ(rep.Report()->Tag(), 3);
    BuildMemoReport(rep.Report(), "合计 [u_Company]");
    TRep::StoreReportToTable(rep.Report());
  }
  TProjRep rep;
  rep.LoadFromTable(3);
  EXPECT_EQ(rep.Report()->Tag(), 3);
  auto* memo = dynamic_cast<TfrxMemoView*>(rep.Report()->FindObject("Memo1"));
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->Text(), "合计 [u_Company]\r\n");

  // A row deleted meanwhile is written again.
  TRep::DeleteReport(3);
  TRep::StoreReportToTable(rep.Report());
  TRep other;
  other.LoadFromTable(3);
  EXPECT_NE(other.Report()->FindObject("Memo1"), nullptr);
  EXPECT_EQ(ReportIds(" where Id=3 and GrpId is null"), 1);
}

// A stored report previewed from the table and exported through the wrapper's PDF filter.
TEST_P(Reports, AStoredReportIsPreviewedAndExported)
{
  TRep::AddReport("月报", 1001);
  {
    TRep rep;
    rep.LoadFromTable(1);
    BuildMemoReport(rep.Report(), "[u_Company] 月报");
    TRep::StoreReportToTable(rep.Report());
  }
  const AnsiString exported = TempFile("月报.pdf");
  TProjRep rep;
  std::vector<TShownMemo> shown;
  TTestPreviewForm::OnShown = [&](TfrxReport* Report) {
    shown = ShownMemos(Report);
    rep.PDFExport()->SetShowDialog(false);
    rep.PDFExport()->SetFileName(exported);
    EXPECT_TRUE(Report->PreviewPages()->ExportPages(rep.PDFExport()));
  };
  rep.Preview(1);
  ASSERT_EQ(TTestPreviewForm::Shown, 1);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, "青禾测试公司 月报\r\n");
  ASSERT_TRUE(FileExists(exported));
  EXPECT_NE(pdfprobe::Text(GbkToUtf8(exported)).find(GbkToUtf8("青禾测试公司 月报")),
            std::string::npos);
  DeleteFile(exported);

  // A row without a definition previews an empty report.
  TRep::AddReport("空", 1001);
  rep.Preview(2);
  EXPECT_EQ(TTestPreviewForm::Shown, 2);
  EXPECT_EQ(rep.Report()->PageCount(), 0);
}

// The designer's hooks: Save stores in the row the Tag names; Save As writes the chosen
// file, and gives false (edits kept as unsaved) when the dialog is cancelled or the file
// cannot be written; Open reads a chosen file and keeps the Tag.
TEST_P(Reports, TheDesignersHooksSaveToTheTableOrAFileAndTellWhenNothingWasSaved)
{
  TMessageBoxRecorder boxes;
  TRep::AddReport("甲", 1001);
  TRep rep;
  rep.LoadFromTable(1);
  BuildMemoReport(rep.Report(), "第一版");
  bool handled = false;
  EXPECT_TRUE(DesignerSaveHook(rep.Report(), false, handled));
  EXPECT_TRUE(handled);

  const AnsiString file = TempFile("甲.va3");
  HeadlessDialogs().Cancel("TSaveDialog");
  EXPECT_FALSE(rep.SaveReport(rep.Report(), true));
  EXPECT_FALSE(FileExists(file));
  HeadlessDialogs().AcceptFile("TSaveDialog", TempFile("no-such-dir/甲.va3"));
  EXPECT_FALSE(rep.SaveReport(rep.Report(), true));
  ASSERT_EQ(boxes.Boxes.size(), 1u); // the failure is shown
  HeadlessDialogs().AcceptFile("TSaveDialog", file);
  EXPECT_TRUE(rep.SaveReport(rep.Report(), true));
  EXPECT_TRUE(FileExists(file));

  // Open: cancelled changes nothing; a chosen file replaces the report, the Tag stays.
  dynamic_cast<TfrxMemoView*>(rep.Report()->FindObject("Memo1"))->SetText("第二版");
  HeadlessDialogs().Cancel("TOpenDialog");
  EXPECT_FALSE(rep.LoadReport(rep.Report()));
  HeadlessDialogs().AcceptFile("TOpenDialog", file);
  EXPECT_TRUE(DesignerLoadHook(rep.Report(), handled));
  EXPECT_EQ(rep.Report()->Tag(), 1);
  EXPECT_EQ(dynamic_cast<TfrxMemoView*>(rep.Report()->FindObject("Memo1"))->Text(), "第一版\r\n");
  EXPECT_EQ(HeadlessDialogs().Pending(), 0);

  // The table kept the first save.
  TRep other;
  other.LoadFromTable(1);
  EXPECT_EQ(dynamic_cast<TfrxMemoView*>(other.Report()->FindObject("Memo1"))->Text(), "第一版\r\n");
  DeleteFile(file);
}

// A stored report over the caller's datasets: the catalogue's wrapper offers them as "d0",
// "d1", ...; a definition naming "d0" finds it again after being stored and loaded.
TEST_P(Reports, AStoredReportListsTheRowsOfTheCallersDataSet)
{
  Db->Execute(u"insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)"
              u"values('alice','','','','','')");
  TRep::AddReport("操作员名单", 1001);
  TQuerySet operators;
  operators.Open(u"select LoginId from operator order by LoginId");
  {
    // Designing: the definition lists the dataset it uses.
    TRep rep;
    rep.LoadFromTable(1);
    rep.AddDataSets({operators.DataSet()});
    auto* page = new TfrxReportPage(rep.Report());
    page->SetName("Page1");
    auto* band = new TfrxMasterData(page);
    band->SetName("MasterData1");
    band->SetBounds(0, 20, 600, 24);
    band->SetDataSetName("d0");
    auto* memo = new TfrxMemoView(band);
    memo->SetName("Memo1");
    memo->SetBounds(0, 0, 200, 20);
    memo->SetText("[d0.\"LoginId\"]");
    TRep::StoreReportToTable(rep.Report());
  }
  TProjRep rep;
  rep.AddDataSets({operators.DataSet()});
  std::vector<AnsiString> rows;
  TTestPreviewForm::OnShown = [&](TfrxReport* Report) {
    for (const TShownMemo& m : ShownMemos(Report))
      rows.push_back(m.Text);
  };
  rep.Preview(1);
  EXPECT_EQ(rows, (std::vector<AnsiString>{"alice\r\n", "sa\r\n"}));
}

// A picture given with the definition becomes the first page's background.
TEST_P(Reports, APictureStreamBecomesTheFirstPagesBackground)
{
  const AnsiString jpeg = TempFile("back.jpg");
  app_test::WriteSampleWaybillJpeg(jpeg, 200, 100);
  TMemoryStream definition, picture;
  {
    TRep rep;
    BuildMemoReport(rep.Report(), "背景");
    rep.Report()->SaveToStream(&definition);
  }
  picture.LoadFromFile(jpeg);
  TRep rep;
  Integer shownWidth = 0;
  TTestPreviewForm::OnShown = [&](TfrxReport* Report) {
    auto* page = dynamic_cast<TfrxReportPage*>(Report->Pages(0));
    if (page && page->BackPicture()->Graphic())
      shownWidth = page->BackPicture()->Graphic()->Width();
  };
  rep.PreviewStream(&definition, &picture);
  EXPECT_EQ(shownWidth, 200);
}

// A damaged file chosen in the designer's Open has still replaced the report (the report
// was cleared before reading and has shown why): the hook says so, so the designer
// reloads its views, and the report keeps its row.
TEST_P(Reports, ADamagedFileFromOpenStillCountsAsLoaded)
{
  SetErrorMessageBox([](const AnsiString& Text, const AnsiString&) {});
  const AnsiString file = TempFile("坏.va3");
  WriteFileBytes(file, "<?xml version=\"1.0\"?><TfrxReport><TfrxReportPage Name=");
  TRep::AddReport("甲", 1001);
  TRep rep;
  rep.LoadFromTable(1);
  BuildMemoReport(rep.Report(), "旧");
  HeadlessDialogs().AcceptFile("TOpenDialog", file);
  EXPECT_TRUE(rep.LoadReport(rep.Report()));
  EXPECT_EQ(rep.Report()->Tag(), 1);
  EXPECT_EQ(rep.Report()->FindObject("Memo1"), nullptr);
  SetErrorMessageBox(nullptr);
  DeleteFile(file);
}

INSTANTIATE_TEST_SUITE_P(Backends, Reports,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

} // namespace
