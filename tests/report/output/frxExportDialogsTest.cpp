// The export options dialogs: localized captions and file types, the page range and the
// settings they hand to the filter, cancelling at either step, and the image quality that
// is no number.
#include "report/output/frxExportDialogs.h"

#include <gtest/gtest.h>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/Headless.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "report/output/frxExportImage.h"
#include "report/output/frxExportPDF.h"
#include "report/output/frxExportRTF.h"
#include "report/output/frxExportXLS.h"
#include "tests/report/output/ExportFixtures.h"
#include "tests/report/output/OutputTestSupport.h"

namespace {

class frxExportDialogsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    HeadlessDialogs().Reset();
  }
  void TearDown() override
  {
    EXPECT_EQ(HeadlessDialogs().Pending(), 0);
    HeadlessDialogs().Reset();
    Headless().Reset();
  }

  // Answers the next save dialog with Name ("" cancels) and records its filter and
  // extension.
  void AnswerSave(const AnsiString& Name)
  {
    HeadlessDialogs().Queue("TSaveDialog", [this, Name](TDialogRequest& R) {
      Filter = R.Filter;
      DefaultExt = R.DefaultExt;
      if (Name.empty())
        return false;
      R.FileName = Name;
      R.Files = {Name};
      return true;
    });
  }

  AnsiString Filter, DefaultExt;
};

size_t Count(const std::string& s, const std::string& what)
{
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
    ++n;
  return n;
}

// Clicks a dialog button from a responder. The click posts nothing, so a message follows it
// to let the waiting modal loop look at the result.
void Press(TButton* Button)
{
  Button->Click();
  PostMessage(Button->Handle(), WM_NULL, 0, 0);
}

void ThreePages(TExportReport& R)
{
  for (Integer p = 1; p <= 3; ++p)
    R.Memo(R.AddPage(10), 0, 0, 200, 20, "page " + IntToStr(p));
  R.Prepare();
}

} // namespace

TEST_F(frxExportDialogsTest, LocalizedTexts)
{
  TfrxPDFExportDialog pdf(nullptr);
  EXPECT_EQ(pdf.Caption(), "导出为PDF文件");
  EXPECT_EQ(pdf.CompressedCB->Caption(), "压缩");
  EXPECT_EQ(pdf.SaveDialog1->Filter(), "Adobe PDF 文件 (*.pdf)|*.pdf");
  EXPECT_EQ(pdf.SaveDialog1->DefaultExt(), "pdf");
  EXPECT_TRUE(pdf.AllRB->Checked());
  TfrxRTFExportDialog rtf(nullptr);
  EXPECT_EQ(rtf.PageBreaksCB->Caption(), "分页");
  EXPECT_EQ(rtf.SaveDialog1->DefaultExt(), "rtf");
  TfrxXLSExportDialog xls(nullptr);
  EXPECT_EQ(xls.Caption(), "导出到 Excel");
  EXPECT_EQ(xls.SaveDialog1->Filter(), "Excel 文件 (*.xlsx)|*.xlsx");
  EXPECT_EQ(xls.ActiveControl(), xls.OkB);
  TfrxIMGExportDialog img(nullptr);
  EXPECT_EQ(img.GroupPageRange->Caption(), " 页数范围  ");
  EXPECT_EQ(img.Mono->Caption(), "黑白");
  EXPECT_EQ(img.OkB->Name(), "OK");
  // Client areas as designed, with the frame around them.
  const struct {
    TfrxExportDialog* Dialog;
    Integer Width, Height;
  } sizes[] = {{&pdf, 278, 262}, {&rtf, 277, 261}, {&xls, 277, 263}, {&img, 277, 245}};
  for (const auto& s : sizes) {
    s.Dialog->Show();
    EXPECT_EQ(s.Dialog->ClientWidth(), s.Width) << s.Dialog->ClassName();
    EXPECT_EQ(s.Dialog->ClientHeight(), s.Height) << s.Dialog->ClassName();
    s.Dialog->Hide();
  }
}

// "Pages:" with "1,3" and compression off: the PDF holds those two pages, uncompressed, in
// the file the save dialog named.
TEST_F(frxExportDialogsTest, PageNumbersAndSettingsReachTheFilter)
{
  TExportReport r;
  ThreePages(r);
  const std::string file = OutputPath("dialog_pages.pdf");
  DeleteFile(file);
  AnswerSave(file);
  TfrxPDFExport filter(nullptr);
  Headless().OnWindow("导出为PDF文件", [&](HWND hwnd) {
    auto* dialog = dynamic_cast<TfrxPDFExportDialog*>(FindControl(hwnd));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->CompressedCB->Checked());
    dialog->PageNumbersRB->SetChecked(true);
    dialog->PageNumbersE->SetText("1,3");
    dialog->CompressedCB->SetChecked(false);
    Press(dialog->OkB);
  });
  ASSERT_TRUE(r.Export(&filter));
  EXPECT_EQ(Filter, "Adobe PDF 文件 (*.pdf)|*.pdf");
  EXPECT_EQ(DefaultExt, "pdf");
  EXPECT_EQ(filter.FileName(), file);
  EXPECT_FALSE(filter.Compressed());
  EXPECT_EQ(filter.PageNumbers(), "1,3");
  std::string pdf;
  ASSERT_TRUE(ReadFileBytes(file, pdf));
  EXPECT_EQ(Count(pdf, "/Type /Page\r\n"), 2u);
  EXPECT_EQ(pdf.find("/FlateDecode"), std::string::npos);
  EXPECT_NE(pdf.find("(page 3)"), std::string::npos);
  EXPECT_EQ(pdf.find("(page 2)"), std::string::npos);
}

// Cancel in the options dialog, or in the save dialog after OK, exports nothing.
TEST_F(frxExportDialogsTest, CancelAtEitherStep)
{
  TExportReport r;
  ThreePages(r);
  const std::string file = OutputPath("dialog_cancel.rtf");
  DeleteFile(file);
  TfrxRTFExport filter(nullptr);
  filter.SetShowProgress(false);
  Headless().OnWindow("导出为RTF", [&](HWND hwnd) {
    auto* dialog = dynamic_cast<TfrxRTFExportDialog*>(FindControl(hwnd));
    ASSERT_NE(dialog, nullptr);
    Press(dialog->CancelB);
  });
  EXPECT_FALSE(r.Export(&filter));
  AnswerSave("");
  Headless().OnWindow("导出为RTF", [&](HWND hwnd) {
    auto* dialog = dynamic_cast<TfrxRTFExportDialog*>(FindControl(hwnd));
    ASSERT_NE(dialog, nullptr);
    dialog->PicturesCB->SetChecked(false);
    Press(dialog->OkB);
  });
  EXPECT_FALSE(r.Export(&filter));
  EXPECT_FALSE(FileExists(file));
  EXPECT_TRUE(filter.FileName().empty());
  EXPECT_FALSE(filter.ExportPictures()); // the settings were taken before the file choice
}

// The image dialog: the quality typed in becomes JPEGQuality; a quality that is no whole
// number ends the export with the conversion error.
TEST_F(frxExportDialogsTest, ImageQuality)
{
  TExportReport r;
  ThreePages(r);
  const std::string prefix = OutputPath("dialog_img");
  AnswerSave(prefix + ".jpg");
  TfrxJPEGExport filter(nullptr);
  auto answer = [&](const char* Quality, bool Mono) {
    Headless().OnWindow("导出设置", [&, Quality, Mono](HWND hwnd) {
      auto* dialog = dynamic_cast<TfrxIMGExportDialog*>(FindControl(hwnd));
      ASSERT_NE(dialog, nullptr);
      dialog->Quality->SetText(Quality);
      dialog->Mono->SetChecked(Mono);
      dialog->CurPageRB->SetChecked(true);
      Press(dialog->OkB);
    });
  };
  answer("50", true);
  ASSERT_TRUE(r.Export(&filter));
  EXPECT_EQ(Filter, "Jpeg 图 (*.jpg)|*.jpg");
  EXPECT_EQ(DefaultExt, "jpg");
  EXPECT_EQ(filter.JPEGQuality(), 50);
  EXPECT_TRUE(filter.Monochrome());
  EXPECT_TRUE(FileExists(prefix + ".1.jpg"));
  EXPECT_FALSE(FileExists(prefix + ".2.jpg")); // the current page only
  answer("high", false);
  EXPECT_THROW(r.Export(&filter), EConvertError);
}
