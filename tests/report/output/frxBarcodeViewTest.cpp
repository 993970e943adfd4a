// The barcode report object: its size follows the code (width, or height when turned),
// alignment keeps the chosen edge, zoom limits, the expression, drawing that reads back,
// report XML with defaults left out, and the editor form's round trip.
#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/output/frxBarcod.h"
#include "report/output/frxBarcode.h"
#include "tests/report/output/ExportFixtures.h"
#include "tests/report/output/OutputTestSupport.h"

namespace {

class frxBarcodeViewTest : public ::testing::Test {
protected:
  void SetUp() override { Headless().Reset(); }
  void TearDown() override { Headless().Reset(); }
};

} // namespace

TEST_F(frxBarcodeViewTest, SizeFollowsTheCode)
{
  TfrxBarCodeView view(nullptr);
  view.SetBarType(bcCodeEAN13);
  view.SetText("590123412345");
  view.SetCalcCheckSum(true);
  view.SetBounds(100, 50, 300, 80);
  view.FitSize();
  const Extended modules = view.Barcode()->Width();
  EXPECT_GT(modules, 90);
  EXPECT_DOUBLE_EQ(view.Width(), modules);
  EXPECT_DOUBLE_EQ(view.Left(), 100);
  EXPECT_DOUBLE_EQ(view.Height(), 80);

  const struct {
    TfrxHAlign Align;
    Integer Rotation;
    Extended Zoom;
    Extended Left, Width, Height;
  } cases[] = {
      {haLeft, 0, 2, 100, 2 * modules, 80},
      {haRight, 0, 2, 400 - 2 * modules, 2 * modules, 80}, // the right edge stays at 400
      {haCenter, 0, 2, 250 - modules, 2 * modules, 80},    // the centre stays at 250
      {haLeft, 90, 1, 100, 300, modules},                  // turned: the height follows
      {haLeft, 270, 1, 100, 300, modules},
      {haLeft, 180, 1, 100, modules, 80},
      {haLeft, 0, 0, 100, modules, 80}, // zoom 0 draws as 1
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Align << " " << c.Rotation << " " << c.Zoom);
    view.SetBounds(100, 50, 300, 80);
    view.SetHAlign(c.Align);
    view.SetRotation(c.Rotation);
    view.SetZoom(c.Zoom);
    view.FitSize();
    EXPECT_NEAR(view.Left(), c.Left, 1e-9);
    EXPECT_NEAR(view.Width(), c.Width, 1e-9);
    EXPECT_NEAR(view.Height(), c.Height, 1e-9);
  }
  EXPECT_DOUBLE_EQ(view.Zoom(), 1);

  // A text the symbology refuses raises from FitSize and Draw, not from EvaluateData.
  view.SetText("12A");
  EXPECT_THROW(view.FitSize(), Exception);
  EXPECT_NO_THROW(view.EvaluateData());
}

// The expression's value becomes the code; drawn on a bitmap without a fill colour the
// code stands on white and reads back.
TEST_F(frxBarcodeViewTest, ExpressionAndDrawing)
{
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(0);
  auto* view = r.Add<TfrxBarCodeView>(band, 10, 10, 100, 60);
  view->SetBarType(bcCode128B);
  view->SetExpression("'SF' + '42'");
  view->EvaluateData();
  EXPECT_EQ(view->Text(), "SF42");
  const Extended width = view->Width();
  EXPECT_DOUBLE_EQ(width, view->Barcode()->Width());

  TBitmap bmp(static_cast<Integer>(width * 3) + 40, 220);
  bmp.Canvas()->Brush()->SetColor(clSilver);
  bmp.Canvas()->FillRect(TRect{0, 0, bmp.Width(), bmp.Height()});
  view->Draw(bmp.Canvas(), 3, 3, 10 - 30, 10 - 30);
  EXPECT_EQ(bmp.Pixel(22, 25), clWhite); // the quiet zone is white, not transparent
  EXPECT_EQ(bmp.Pixel(5, 5), clSilver);  // outside the object nothing is drawn
  if (!ProgramAvailable("zbarimg"))
    GTEST_SKIP() << "zbarimg is not installed";
  TPngImage png;
  png.Assign(&bmp);
  const std::string file = OutputPath("barcode_view.png");
  png.SaveToFile(file);
  EXPECT_EQ(Chomp(RunProgram("zbarimg -q --raw '" + file + "' 2>/dev/null")), "SF42");
}

// Report XML: changed properties are written and read back; defaults are left out.
TEST_F(frxBarcodeViewTest, ReportXmlRoundTrip)
{
  TExportReport r;
  TfrxReportTitle* band = r.AddPage(10);
  auto* view = r.Add<TfrxBarCodeView>(band, 10, 20, 100, 60);
  view->SetName("Barcode1");
  TMemoryStream plain;
  r.Report()->SaveToStream(&plain);
  const std::string defaults(static_cast<const char*>(plain.Memory()),
                             static_cast<size_t>(plain.Size()));
  const size_t at = defaults.find("<TfrxBarCodeView");
  ASSERT_NE(at, std::string::npos) << defaults;
  const std::string element = defaults.substr(at, defaults.find("/>", at) - at);
  for (const char* absent : {"BarType", "CalcCheckSum", "HAlign", "Rotation", "ShowText", "Zoom"})
    EXPECT_EQ(element.find(absent), std::string::npos) << absent << ": " << element;

  view->SetBarType(bcCodeUPC_A);
  view->SetCalcCheckSum(true);
  view->SetExpression("<Data.\"No\">");
  view->SetHAlign(haRight);
  view->SetRotation(90);
  view->SetShowText(false);
  view->SetText("03600029145");
  view->SetZoom(1.5);
  TMemoryStream saved;
  r.Report()->SaveToStream(&saved);
  saved.SetPosition(0);
  TfrxReport loaded(nullptr);
  loaded.LoadFromStream(&saved);
  auto* back = dynamic_cast<TfrxBarCodeView*>(loaded.FindObject("Barcode1"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->BarType(), bcCodeUPC_A);
  EXPECT_TRUE(back->CalcCheckSum());
  EXPECT_EQ(back->Expression(), "<Data.\"No\">");
  EXPECT_EQ(back->HAlign(), haRight);
  EXPECT_EQ(back->Rotation(), 90);
  EXPECT_FALSE(back->ShowText());
  EXPECT_EQ(back->Text(), "03600029145");
  EXPECT_DOUBLE_EQ(back->Zoom(), 1.5);
}

// The editor shows the view's settings and writes the changed ones back on OK only.
TEST_F(frxBarcodeViewTest, EditorRoundTrip)
{
  TfrxBarCodeView view(nullptr);
  view.SetBarType(bcCodeEAN8);
  view.SetExpression("<No>");
  view.SetRotation(180);
  view.SetZoom(2);
  auto edit = [&](bool Ok) {
    TfrxBarcodeEditorForm form(nullptr);
    form.SetBarcode(&view);
    Headless().OnWindow(form.Caption(), [&](HWND) {
      EXPECT_EQ(form.CodeE->Text(), "<No>");
      EXPECT_EQ(form.TypeCB->ItemIndex(), static_cast<Integer>(bcCodeEAN8));
      EXPECT_TRUE(form.Rotation180RB->Checked());
      EXPECT_EQ(form.ZoomE->Text(), "2");
      form.CodeE->SetText("<Other>");
      form.TypeCB->SetItemIndex(bcCode93);
      form.CalcCheckSumCB->SetChecked(true);
      form.ViewTextCB->SetChecked(false);
      form.ZoomE->SetText("3");
      form.Rotation90RB->SetChecked(true);
      (Ok ? form.OkB : form.CancelB)->Click();
    });
    return form.ShowModal();
  };
  {
    // The client area keeps its designed size once the window has its frame.
    TfrxBarcodeEditorForm form(nullptr);
    form.Show();
    EXPECT_EQ(form.ClientWidth(), 539);
    EXPECT_EQ(form.ClientHeight(), 255);
  }
  EXPECT_EQ(edit(false), mrCancel);
  EXPECT_EQ(view.Expression(), "<No>");
  EXPECT_EQ(view.BarType(), bcCodeEAN8);
  EXPECT_EQ(edit(true), mrOk);
  EXPECT_EQ(view.Expression(), "<Other>");
  EXPECT_EQ(view.BarType(), bcCode93);
  EXPECT_TRUE(view.CalcCheckSum());
  EXPECT_FALSE(view.ShowText());
  EXPECT_DOUBLE_EQ(view.Zoom(), 3);
  EXPECT_EQ(view.Rotation(), 90);
}
