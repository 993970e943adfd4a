// The waybill template designer on the headless screen, over SQLite and PostgreSQL:
// selecting templates (layout, picture at paper size, scroll position), creating, saving,
// renaming, deleting, dragging and editing labels, and the screenshot app_designer.png.
#include <filesystem>

#include <gtest/gtest.h>

#include "app/Objs.h"
#include "app/main1.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

// A layout text from the default layout with l13 placed at (Left, Top) and the paper
// size given.
WideString LayoutWith(Integer Left, Integer Top, Integer PaperWidth, Integer PaperHeight,
                      const char* Text = "寄件人")
{
  TWaybillLayout layout = TWaybillLayout::Default();
  TWaybillLabel* l13 = layout.FindLabel("l13");
  l13->Left = Left;
  l13->Top = Top;
  l13->Text = Text;
  layout.PaperWidth = PaperWidth;
  layout.PaperHeight = PaperHeight;
  return layout.BuildLayoutText();
}

class Designer : public app_test::TAppWindowsTest {
protected:
  void SetUp() override
  {
    TAppWindowsTest::SetUp();
    ProductTitle = "青禾快递单打印管理系统";
    ProductVersion = "单机版 1.0.131205";
    Application()->CreateForm(mainFrm);
    mainFrm->Show();
    CurrentOperator->LoadOperator("sa");
  }

  AnsiString Picture(const char* Name, Integer Width, Integer Height)
  {
    const AnsiString file = AnsiString(FDir->Dir) + Name;
    if (!FileExists(file))
      app_test::WriteSampleWaybillJpeg(file, Width, Height);
    return file;
  }

  Integer AddTemplate(const char* Name, const WideString& Layout, Integer PictureWidth = 1000,
                      Integer PictureHeight = 600)
  {
    RTemplate t;
    t.BillName = GbkToWide(Name);
    t.ImgName =
        Picture(("t" + std::to_string(++FPictures) + ".jpg").c_str(), PictureWidth, PictureHeight);
    t.AddTime = Now();
    t.Billman = "sa";
    t.Temdata = Layout;
    EXPECT_TRUE(TTemplateList::AddTemplate(t));
    return t.Id;
  }

  Tmain1Frm* OpenDesigner()
  {
    auto* designer = new Tmain1Frm(mainFrm);
    designer->Show();
    Headless().ProcessMessages();
    return designer;
  }

  RTemplate StoredTemplate(Integer Id)
  {
    RTemplates all;
    TTemplateList::ListTemplates(all);
    for (const RTemplate& t : all)
      if (t.Id == Id)
        return t;
    ADD_FAILURE() << "no template " << Id;
    return RTemplate();
  }

  std::string StoredPicture(Integer Id)
  {
    std::unique_ptr<TMemoryStream> stream;
    EXPECT_TRUE(TTemplateList::LoadTemplateImage(Id, stream));
    if (!stream)
      return std::string();
    return std::string(static_cast<const char*>(stream->Memory()), stream->Size());
  }

  Integer FPictures = 0;
};

TEST_P(Designer, TheFirstTemplateIsSelectedWithItsLayoutAndItsPictureAtPaperSize)
{
  AddTemplate("申通", LayoutWith(70, 90, 230, 127));
  AddTemplate("圆通", LayoutWith(10, 10, 100, 100));
  Tmain1Frm* designer = OpenDesigner();
  ASSERT_EQ(designer->Templates().Count(), 2);
  EXPECT_EQ(designer->Templates().Selected(), 0);
  EXPECT_EQ(designer->SelectedNodeIndex(), 0);
  // 1000 x 600 pixels on a paper of 230 x 127 mm at 96 pixels per inch.
  ASSERT_EQ(Screen()->PixelsPerInch(), 96);
  EXPECT_EQ(designer->Image1->Width(), 869);
  EXPECT_EQ(designer->Image1->Height(), 480);
  EXPECT_EQ(designer->PaperWidth(), 230);
  EXPECT_EQ(designer->PaperHeight(), 127);
  TStaticText* l13 = designer->LabelByName("l13");
  EXPECT_EQ(l13->Left(), 70);
  EXPECT_EQ(l13->Top(), 90);
  EXPECT_EQ(l13->Caption(), "寄件人");
  EXPECT_EQ(l13->Font()->Color(), clRed);
  EXPECT_EQ(l13->Color(), clWhite);
  EXPECT_EQ(l13->Hint(), "双击进行修改, 拖动调整位置...");
}

TEST_P(Designer, ADamagedFirstTemplateIsReportedAndTheDesignerStillOpens)
{
  AddTemplate("坏", u"l13=\"Visible=-1,Left=1\"");
  AddTemplate("好", LayoutWith(70, 90, 230, 127));
  TMessageBoxRecorder boxes;
  Tmain1Frm* designer = OpenDesigner();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_NE(boxes.Boxes[0].Text.find("模版样式数据已损坏"), AnsiString::npos);
  EXPECT_EQ(designer->Templates().Count(), 2);
  designer->SelectTemplate(1);
  EXPECT_EQ(designer->LabelByName("l13")->Left(), 70);
}

TEST_P(Designer, SelectingATemplateAppliesItsLayoutRelativeToTheScrollPosition)
{
  AddTemplate("大单", LayoutWith(70, 90, 500, 400));
  AddTemplate("小单", LayoutWith(40, 160, 500, 400));
  Tmain1Frm* designer = OpenDesigner();
  designer->ScrollBox1->HorzScrollBar()->SetPosition(100);
  designer->ScrollBox1->VertScrollBar()->SetPosition(50);
  ASSERT_EQ(designer->ScrollBox1->HorzScrollBar()->Position(), 100);
  ASSERT_EQ(designer->ScrollBox1->VertScrollBar()->Position(), 50);

  designer->SelectTemplate(1);
  TStaticText* l13 = designer->LabelByName("l13");
  EXPECT_EQ(l13->Left(), 40 - 100);
  EXPECT_EQ(l13->Top(), 160 - 50);
  EXPECT_EQ(designer->Image1->Left(), -100);
  EXPECT_EQ(designer->Image1->Top(), -50);
  // Stored back in picture coordinates, whatever the scroll position.
  const AnsiString text = WideToGbk(designer->CurrentLayout().BuildLayoutText());
  EXPECT_NE(text.find("l13=Visible=-1,Left=40,Top=160,"), AnsiString::npos) << text;
}

TEST_P(Designer, ClickingANodeLoadsItsTemplate)
{
  AddTemplate("申通", LayoutWith(70, 90, 230, 127));
  AddTemplate("圆通", LayoutWith(10, 20, 100, 100));
  Tmain1Frm* designer = OpenDesigner();
  // The second row of the list.
  const Integer row = designer->TreeView1->ItemHeight();
  Headless().Click(
      THeadlessBackend::ScreenPoint(designer->TreeView1->Handle(), TPoint(20, row + row / 2)));
  EXPECT_EQ(designer->Templates().Selected(), 1);
  EXPECT_EQ(designer->SelectedNodeIndex(), 1);
  EXPECT_EQ(designer->LabelByName("l13")->Left(), 10);
  EXPECT_EQ(designer->PaperWidth(), 100);
}

TEST_P(Designer, NewStoresTheLayoutShownAndThePictureBytesAndSelectsTheNewNode)
{
  AddTemplate("申通", LayoutWith(70, 90, 230, 127));
  Tmain1Frm* designer = OpenDesigner();
  designer->LabelByName("l14")->SetBounds(300, 200, 40, 12);
  const WideString shown = designer->CurrentLayout().BuildLayoutText();
  const AnsiString file = Picture("shunfeng.jpg", 400, 300);

  designer->NewTemplate(file);
  ASSERT_EQ(designer->Templates().Count(), 2);
  EXPECT_EQ(designer->Templates().Selected(), 1);
  EXPECT_EQ(designer->SelectedNodeIndex(), 1);
  EXPECT_EQ(designer->Templates().Text(1), "shunfeng.jpg");
  const RTemplate stored = designer->Templates().Data(1);
  EXPECT_GT(stored.Id, 0);
  EXPECT_EQ(StoredTemplate(stored.Id).Temdata, shown);
  EXPECT_EQ(StoredTemplate(stored.Id).Billman, "sa");
  EXPECT_TRUE(StoredPicture(stored.Id) == ReadFileBytes(file)) << "the picture bytes";
  // The new template keeps the paper size shown.
  EXPECT_EQ(designer->Image1->Width(), 869);
  EXPECT_EQ(designer->LabelByName("l14")->Left(), 300);
}

TEST_P(Designer, NewWithNothingEverSelectedStoresPaperZero)
{
  Tmain1Frm* designer = OpenDesigner();
  HeadlessDialogs().Reset();
  HeadlessDialogs().Cancel("TOpenPictureDialog");
  designer->ToolButton1->Click(); // 新建, cancelled
  EXPECT_EQ(designer->Templates().Count(), 0);
  HeadlessDialogs().AcceptFile("TOpenPictureDialog", Picture("a.jpg", 200, 100));
  designer->ToolButton1->Click(); // 新建
  ASSERT_EQ(designer->Templates().Count(), 1);
  const AnsiString text = WideToGbk(StoredTemplate(designer->Templates().Data(0).Id).Temdata);
  EXPECT_NE(text.find("PaperWidth=0,PaperHeight=0"), AnsiString::npos);
  EXPECT_EQ(designer->Image1->Width(), 200); // shown at its own size
}

TEST_P(Designer, SaveChangesOnlyTheLayoutAndADraggedLabelKeepsItsPlace)
{
  const Integer id = AddTemplate("申通", LayoutWith(70, 90, 230, 127));
  const RTemplate before = StoredTemplate(id);
  Tmain1Frm* designer = OpenDesigner();
  TStaticText* l13 = designer->LabelByName("l13");
  const TPoint from = THeadlessBackend::ScreenPoint(l13->Handle(), TPoint(3, 3));
  Headless().Drag(from, TPoint(from.X + 50, from.Y + 30));
  EXPECT_EQ(l13->Left(), 120);
  EXPECT_EQ(l13->Top(), 120);

  TMessageBoxRecorder boxes;
  designer->ToolButton8->Click(); // 保存
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "\r\n打印模版样式保存成功!\t");
  const RTemplate after = StoredTemplate(id);
  EXPECT_NE(after.Temdata, before.Temdata);
  EXPECT_EQ(after.BillName, before.BillName);
  EXPECT_EQ(after.ImgName, before.ImgName);
  EXPECT_EQ(after.Billman, before.Billman);
  EXPECT_NEAR(after.AddTime, before.AddTime, 1.0 / 86400);
  EXPECT_TRUE(StoredPicture(id) == ReadFileBytes(GbkToUtf8(before.ImgName))) << "the picture bytes";

  // A new designer reads the label back where it was dropped.
  designer->Close();
  Headless().ProcessMessages();
  Tmain1Frm* again = OpenDesigner();
  EXPECT_EQ(again->LabelByName("l13")->Left(), 120);
  EXPECT_EQ(again->LabelByName("l13")->Top(), 120);
}

TEST_P(Designer, CancelReloadsTheStoredLayout)
{
  AddTemplate("申通", LayoutWith(70, 90, 230, 127));
  Tmain1Frm* designer = OpenDesigner();
  designer->LabelByName("l13")->SetBounds(5, 5, 40, 12);
  TMessageBoxRecorder boxes(2 /* IDCANCEL */);
  designer->ToolButton9->Click();
  EXPECT_EQ(designer->LabelByName("l13")->Left(), 5);
  boxes.Answer = 1;
  designer->ToolButton9->Click();
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[1].Text, "\r\n确定要放弃所做的修改吗(如果有)?\t");
  EXPECT_EQ(designer->LabelByName("l13")->Left(), 70);
}

TEST_P(Designer, DeletingSelectsThePreviousSiblingElseTheNext)
{
  const Integer a = AddTemplate("甲", LayoutWith(10, 10, 230, 127));
  const Integer b = AddTemplate("乙", LayoutWith(20, 20, 230, 127));
  const Integer c = AddTemplate("丙", LayoutWith(30, 30, 230, 127));
  Tmain1Frm* designer = OpenDesigner();
  TMessageBoxRecorder boxes(1 /* IDOK */);

  designer->SelectTemplate(2);
  designer->ToolButton3->Click();
  EXPECT_EQ(boxes.Boxes.back().Text, "\r\n确定要删除模版 丙 吗?\t");
  ASSERT_EQ(designer->Templates().Count(), 2);
  EXPECT_EQ(designer->Templates().Data(designer->Templates().Selected()).Id, b);
  EXPECT_EQ(designer->LabelByName("l13")->Left(), 20);

  designer->SelectTemplate(0);
  designer->ToolButton3->Click();
  ASSERT_EQ(designer->Templates().Count(), 1);
  EXPECT_EQ(designer->Templates().Data(designer->Templates().Selected()).Id, b);

  boxes.Answer = 2; // Cancel keeps it
  designer->ToolButton3->Click();
  EXPECT_EQ(designer->Templates().Count(), 1);
  boxes.Answer = 1;
  designer->ToolButton3->Click();
  EXPECT_EQ(designer->Templates().Count(), 0);
  EXPECT_EQ(designer->TreeView1->Items()->Count(), 0);
  EXPECT_FALSE(designer->Image1->Picture()->Empty()); // the last picture stays shown
  RTemplates left;
  TTemplateList::ListTemplates(left);
  EXPECT_TRUE(left.empty());
  (void)a;
  (void)c;
}

TEST_P(Designer, ALabelWithTwoLineBreaksGetsThreeLineHeights)
{
  Tmain1Frm* designer = OpenDesigner();
  TStaticText* label = designer->LabelByName("l20");
  label->SetCaption("一");
  Tmain1Frm::FitLabelHeight(label);
  const Integer line = label->Height();
  ASSERT_GT(line, 0);
  label->SetCaption("第一行\r\n第二行\r\n第三行");
  Tmain1Frm::FitLabelHeight(label);
  EXPECT_EQ(label->Height(), 3 * line);
}

TEST_P(Designer, TheLabelEditorAppliesTextAndFont)
{
  AddTemplate("申通", LayoutWith(70, 90, 230, 127));
  Tmain1Frm* designer = OpenDesigner();
  TStaticText* l13 = designer->LabelByName("l13");
  bool edited = false;
  Headless().OnWindow("标签", [&](HWND h) {
    auto* editor = static_cast<Tmain1Frm*>(FindControl(h));
    EXPECT_EQ(editor->edtFontItem1->Text(), "寄件人");
    editor->edtFontItem1->SetText("收件人\r\n电话");
    editor->edtFontBold1->SetChecked(true);
    editor->UpDown1->SetPosition(12);
    editor->UpDown1->Step(btNext);
    editor->btnOk1->Click();
    edited = true;
  });
  // The double click ends silently, so that nothing else handles it.
  EXPECT_THROW(Headless().DoubleClick(THeadlessBackend::ScreenPoint(l13->Handle(), TPoint(3, 3))),
               EAbort);
  ASSERT_TRUE(edited);
  EXPECT_EQ(l13->Caption(), "收件人\r\n电话");
  EXPECT_TRUE(l13->Font()->Style().Contains(fsBold));
  EXPECT_EQ(l13->Font()->Size(), 13);
}

TEST_P(Designer, ABlankNameKeepsTheRenameDialogOpen)
{
  const Integer id = AddTemplate("申通", LayoutWith(70, 90, 230, 127));
  Tmain1Frm* designer = OpenDesigner();
  Tmain1Frm* dialog = nullptr;
  Headless().OnWindow("重命名", [&](HWND h) {
    dialog = static_cast<Tmain1Frm*>(FindControl(h));
    EXPECT_EQ(dialog->edtTemplateName1->Text(), "申通");
    dialog->edtTemplateName1->SetText("   ");
    dialog->btnOk5->Click();
    Headless().QueueStep([&] {
      EXPECT_TRUE(dialog->Visible()) << "a blank name keeps the dialog";
      dialog->edtTemplateName1->SetText(" 中通 ");
      dialog->btnOk5->Click();
    });
  });
  designer->ToolButton2->Click();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(designer->Templates().Text(0), "中通");
  EXPECT_EQ(designer->TreeView1->Items()->Item(0)->Text(), "中通");
  EXPECT_EQ(StoredTemplate(id).BillName, GbkToWide("中通"));
}

TEST_P(Designer, PaperSizeAndItemChooserDialogs)
{
  AddTemplate("申通", LayoutWith(70, 90, 230, 127));
  Tmain1Frm* designer = OpenDesigner();
  std::vector<AnsiString> errors;
  Application()->OnException = [&](TObject*, Exception* E) { errors.push_back(E->Message()); };
  Headless().OnWindow("纸张设置", [&](HWND h) {
    auto* dialog = static_cast<Tmain1Frm*>(FindControl(h));
    EXPECT_EQ(dialog->edtLen1->Text(), "230");
    dialog->edtLen1->SetText("1x0"); // pasted: not a number
    Headless().QueueStep([&, dialog] {
      EXPECT_TRUE(dialog->Visible());
      dialog->edtLen1->SetText("100");
      dialog->edtHei1->SetText("");
      dialog->Button13->Click();
    });
    dialog->Button13->Click();
  });
  designer->ToolButton6->Click();
  EXPECT_EQ(errors, std::vector<AnsiString>{"\"1x0\" 不是有效的整数."});
  EXPECT_EQ(designer->PaperWidth(), 100);
  EXPECT_EQ(designer->PaperHeight(), 0);

  Headless().OnWindow("选择", [&](HWND h) {
    auto* dialog = static_cast<Tmain1Frm*>(FindControl(h));
    ASSERT_EQ(dialog->CheckListBox1->Items()->Count(), LabelCount);
    EXPECT_EQ(dialog->CheckListBox1->Items()->Strings(0), "寄件人"); // l13 comes first
    EXPECT_TRUE(dialog->CheckListBox1->Checked(0));
    dialog->CheckListBox1->SetChecked(0, false);
    dialog->Button7->Click();
  });
  designer->ToolButton5->Click();
  EXPECT_FALSE(designer->LabelByName("l13")->Visible());
  EXPECT_TRUE(designer->LabelByName("l14")->Visible());
}

TEST_P(Designer, ScreenshotOfTheDesignerWithATemplate)
{
  if (GetParam() != beSQLite)
    GTEST_SKIP() << "one screenshot is enough";
  TWaybillLayout layout = TWaybillLayout::Default();
  const char* texts[][2] = {{"l13", "张三"},
                            {"l14", "北京市海淀区青禾路 8 号"},
                            {"l17", "李四"},
                            {"l18", "上海市浦东新区"},
                            {"l1", "文件"}};
  for (auto& t : texts)
    layout.FindLabel(t[0])->Text = t[1];
  layout.PaperWidth = 230;
  layout.PaperHeight = 127;
  AddTemplate("申通快递", layout.BuildLayoutText());
  AddTemplate("圆通快递", LayoutWith(10, 10, 230, 127));
  Tmain1Frm* designer = OpenDesigner();
  Headless().ProcessMessages();
  ASSERT_EQ(designer->Templates().Selected(), 0);
  const std::filesystem::path file =
      std::filesystem::path(ParamStr(0)).parent_path() / "app_designer.png";
  ASSERT_TRUE(Headless().SaveScreenshot(file.string()));
  EXPECT_GT(std::filesystem::file_size(file), 10000u);
}

INSTANTIATE_TEST_SUITE_P(Backends, Designer, testing::Values(beSQLite, bePostgreSQL),
                         app_test::BackendName);

} // namespace
