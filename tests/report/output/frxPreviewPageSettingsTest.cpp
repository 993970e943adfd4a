// The page settings dialog: what it shows of a page, how the size fields follow the paper
// and the orientation (asking the printer without changing it), what OK writes back and
// what a bad number does.
#include "report/output/frxPreviewPageSettings.h"

#include <gtest/gtest.h>

#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxPrinter.h"
#include "tests/report/engine/PrintFixtures.h"

namespace {

// A click on the button, through the window manager.
void Press(TControl* Button)
{
  Headless().Click(Button->ClientToScreen({Button->Width() / 2, Button->Height() / 2}));
}

class frxPreviewPageSettingsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    scope = std::make_unique<TPrintServiceScope>(std::make_unique<TFakePrintService>());
    page = new TfrxReportPage(&report);
    page->SetPaperSize(9);
    for (auto set : {&TfrxReportPage::SetLeftMargin, &TfrxReportPage::SetRightMargin,
                     &TfrxReportPage::SetTopMargin, &TfrxReportPage::SetBottomMargin})
      (page->*set)(10);
  }
  void TearDown() override
  {
    scope.reset();
    Headless().Reset();
  }
  // Shows the dialog on the page and runs Body while it is open.
  TModalResult Run(TfrxPageSettingsForm& Dialog, std::function<void()> Body)
  {
    Dialog.SetPage(page);
    Headless().OnWindow("页面设置", [Body](HWND) { Body(); });
    return Dialog.ShowModal();
  }
  Integer PaperIndex(Integer Number)
  {
    return GlobalPrinters()->CurrentPrinter()->PaperIndex(Number);
  }

  std::unique_ptr<TPrintServiceScope> scope;
  TfrxReport report{nullptr};
  TfrxReportPage* page = nullptr;
};

} // namespace

TEST_F(frxPreviewPageSettingsTest, ShowsThePageInCentimetres)
{
  TfrxPageSettingsForm d(nullptr);
  EXPECT_EQ(d.LandscapeRB->Caption(), "橫向打印");
  Run(d, [&] {
    EXPECT_EQ(d.WidthE->Text(), "21");
    EXPECT_EQ(d.HeightE->Text(), "29.70");
    EXPECT_EQ(d.MarginLeftE->Text(), "1");
    EXPECT_EQ(d.MarginBottomE->Text(), "1");
    EXPECT_EQ(d.SizeCB->ItemIndex(), PaperIndex(9));
    EXPECT_TRUE(d.PortraitRB->Checked());
    EXPECT_TRUE(d.PortraitImg->Visible());
    EXPECT_FALSE(d.LandscapeImg->Visible());
    EXPECT_TRUE(d.ApplyToCurRB->Checked());
    Press(d.CancelB);
  });
  // A paper the printer does not list opens on the custom size.
  page->SetPaperSize(12);
  TfrxPageSettingsForm other(nullptr);
  Run(other, [&] {
    EXPECT_EQ(other.SizeCB->ItemIndex(), PaperIndex(256));
    Press(other.CancelB);
  });
}

TEST_F(frxPreviewPageSettingsTest, SizeFieldsFollowPaperAndOrientation)
{
  TfrxPageSettingsForm d(nullptr);
  Run(d, [&] {
    // Typing a width selects the custom size and leaves the height.
    d.WidthE->SetText("22");
    EXPECT_EQ(d.SizeCB->ItemIndex(), 0);
    EXPECT_EQ(d.HeightE->Text(), "29.70");
    // With the custom size, landscape exchanges the two fields, portrait again too.
    d.LandscapeRB->SetChecked(true);
    d.LandscapeRB->OnClick(d.LandscapeRB);
    EXPECT_EQ(d.WidthE->Text(), "29.70");
    EXPECT_EQ(d.HeightE->Text(), "22");
    EXPECT_TRUE(d.LandscapeImg->Visible());
    d.PortraitRB->SetChecked(true);
    d.PortraitRB->OnClick(d.PortraitRB);
    EXPECT_EQ(d.WidthE->Text(), "22");
    // A standard paper brings its own size for the orientation.
    d.SizeCB->SetItemIndex(d.SizeCB->Items()->IndexOf("Label"));
    d.SizeCB->OnClick(d.SizeCB);
    EXPECT_EQ(d.WidthE->Text(), "10");
    EXPECT_EQ(d.HeightE->Text(), "15");
    EXPECT_EQ(d.SizeCB->Items()->Strings(d.SizeCB->ItemIndex()), "Label");
    d.LandscapeRB->SetChecked(true);
    d.LandscapeRB->OnClick(d.LandscapeRB);
    EXPECT_EQ(d.WidthE->Text(), "15");
    EXPECT_EQ(d.HeightE->Text(), "10");
    Press(d.CancelB);
  });
}

// The dialog asks the printer for paper sizes without switching it: after Cancel (and after
// OK too) the printer has the paper and orientation it had.
TEST_F(frxPreviewPageSettingsTest, CancelLeavesThePrinterAndThePageAsTheyWere)
{
  TfrxCustomPrinter* printer = GlobalPrinters()->CurrentPrinter();
  const Integer paper = printer->Paper();
  const bool orientation = printer->Orientation();
  const Extended width = printer->PaperWidth();
  TfrxPageSettingsForm d(nullptr);
  EXPECT_EQ(Run(d,
                [&] {
                  d.SizeCB->SetItemIndex(d.SizeCB->Items()->IndexOf("Label"));
                  d.SizeCB->OnClick(d.SizeCB);
                  d.LandscapeRB->SetChecked(true);
                  d.LandscapeRB->OnClick(d.LandscapeRB);
                  d.MarginLeftE->SetText("3");
                  Press(d.CancelB);
                }),
            mrCancel);
  EXPECT_EQ(printer->Paper(), paper);
  EXPECT_EQ(printer->Orientation(), orientation);
  EXPECT_EQ(printer->PaperWidth(), width);
  EXPECT_EQ(page->PaperSize(), 9);
  EXPECT_EQ(page->Orientation(), poPortrait);
  EXPECT_EQ(page->LeftMargin(), 10);
}

TEST_F(frxPreviewPageSettingsTest, OkWritesOrientationThenSizesThenPaperAndMargins)
{
  TfrxPageSettingsForm d(nullptr);
  EXPECT_EQ(Run(d,
                [&] {
                  d.LandscapeRB->SetChecked(true);
                  d.LandscapeRB->OnClick(d.LandscapeRB);
                  d.MarginLeftE->SetText("2,5");
                  d.MarginTopE->SetText(" 0.5 ");
                  d.ApplyToAllRB->SetChecked(true);
                  Press(d.OKB);
                }),
            mrOk);
  EXPECT_TRUE(d.ApplyToAll());
  EXPECT_EQ(page->Orientation(), poLandscape);
  EXPECT_EQ(page->PaperSize(), 9);
  EXPECT_NEAR(page->PaperWidth(), 297, 1e-9);
  EXPECT_NEAR(page->PaperHeight(), 210, 1e-9);
  EXPECT_NEAR(page->LeftMargin(), 25, 1e-9);
  EXPECT_NEAR(page->TopMargin(), 5, 1e-9);
}

// A number that cannot be read raises on OK and the dialog stays open with nothing written.
TEST_F(frxPreviewPageSettingsTest, ABadNumberKeepsTheDialogOpen)
{
  TfrxPageSettingsForm d(nullptr);
  Run(d, [&] {
    d.MarginRightE->SetText("一厘米");
    EXPECT_THROW(d.OKB->OnClick(d.OKB), EConvertError);
    EXPECT_EQ(d.ModalResult(), 0);
    d.WidthE->SetText("x");
    EXPECT_THROW(d.SizeCB->OnClick(d.SizeCB), EConvertError);
    Press(d.CancelB);
  });
  EXPECT_EQ(page->RightMargin(), 10);
}
