// The page settings dialog (frxPreviewPageSettings.h).
#include "report/output/frxPreviewPageSettings.h"

#include <utility>

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxPrinter.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxUtils.h"
#include "report/output/frxFormsPrivate.h"

namespace {

using frxforms::Place;

constexpr Integer kCustomPaper = 256;

// Centimetres as the dialog shows them.
AnsiString Cm(Extended Millimetres)
{
  return FloatToDisplayText(Millimetres / 10);
}

// Millimetres from a typed number of centimetres; a text that is no number raises.
Extended Mm(TEdit* Edit)
{
  return ParseFloatLenient(Edit->Text()) * 10;
}

// The size of a paper on the current printer for an orientation, the printer left alone.
void PaperGeometry(Integer Paper, bool Landscape, Extended& Width, Extended& Height)
{
  TfrxCustomPrinter* printer = GlobalPrinters()->CurrentPrinter();
  if (auto* real = dynamic_cast<TfrxPrinter*>(printer)) {
    Extended l, t, r, b;
    real->QueryGeometry(Paper, Landscape, Width, Height, Width, Height, l, t, r, b);
    return;
  }
  PaperSizeOf(Paper, Width, Height);
  if (Landscape)
    std::swap(Width, Height);
}

} // namespace

TfrxPageSettingsForm::TfrxPageSettingsForm(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetName("frxPageSettingsForm");
  SetCaption("Page Settings");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  HandleNeeded();
  SetClientWidth(286);
  SetClientHeight(359);

  SizeL = Place<TGroupBox>(this, this, "SizeL", 8, 8, 270, 104, "Size");
  SizeCB = Place<TComboBox>(SizeL, this, "SizeCB", 12, 20, 246, 21);
  SizeCB->SetStyle(csDropDownList);
  SizeCB->SetDropDownCount(12);
  SizeCB->OnClick = TNotifyEvent::Bind(this, &TfrxPageSettingsForm::SizeCBClick);
  WidthL = Place<TLabel>(SizeL, this, "WidthL", 12, 52, 54, 13, "Width");
  WidthE = Place<TEdit>(SizeL, this, "WidthE", 70, 48, 60, 21);
  WidthE->OnChange = TNotifyEvent::Bind(this, &TfrxPageSettingsForm::WidthEChange);
  cmL1 = Place<TLabel>(SizeL, this, "cmL1", 136, 52, 30, 13, "cm");
  HeightL = Place<TLabel>(SizeL, this, "HeightL", 12, 78, 54, 13, "Height");
  HeightE = Place<TEdit>(SizeL, this, "HeightE", 70, 74, 60, 21);
  HeightE->OnChange = TNotifyEvent::Bind(this, &TfrxPageSettingsForm::WidthEChange);
  cmL2 = Place<TLabel>(SizeL, this, "cmL2", 136, 78, 30, 13, "cm");

  OrientationL = Place<TGroupBox>(this, this, "OrientationL", 8, 116, 270, 68, "Orientation");
  PortraitRB = Place<TRadioButton>(OrientationL, this, "PortraitRB", 12, 20, 150, 17, "Portrait");
  PortraitRB->SetChecked(true);
  PortraitRB->OnClick = TNotifyEvent::Bind(this, &TfrxPageSettingsForm::PortraitRBClick);
  LandscapeRB =
      Place<TRadioButton>(OrientationL, this, "LandscapeRB", 12, 42, 150, 17, "Landscape");
  LandscapeRB->OnClick = TNotifyEvent::Bind(this, &TfrxPageSettingsForm::PortraitRBClick);
  PortraitImg = Place<TPaintBox>(OrientationL, this, "PortraitImg", 210, 14, 48, 48);
  PortraitImg->OnPaint = TNotifyEvent::Bind(this, &TfrxPageSettingsForm::OrientationPaint);
  LandscapeImg = Place<TPaintBox>(OrientationL, this, "LandscapeImg", 210, 14, 48, 48);
  LandscapeImg->OnPaint = TNotifyEvent::Bind(this, &TfrxPageSettingsForm::OrientationPaint);
  LandscapeImg->SetVisible(false);

  MarginsL = Place<TGroupBox>(this, this, "MarginsL", 8, 188, 270, 76, "Margins");
  LeftL = Place<TLabel>(MarginsL, this, "LeftL", 12, 22, 36, 13, "Left");
  MarginLeftE = Place<TEdit>(MarginsL, this, "MarginLeftE", 50, 18, 50, 21);
  cmL3 = Place<TLabel>(MarginsL, this, "cmL3", 104, 22, 30, 13, "cm");
  TopL = Place<TLabel>(MarginsL, this, "TopL", 140, 22, 36, 13, "Top");
  MarginTopE = Place<TEdit>(MarginsL, this, "MarginTopE", 180, 18, 50, 21);
  cmL4 = Place<TLabel>(MarginsL, this, "cmL4", 234, 22, 30, 13, "cm");
  RightL = Place<TLabel>(MarginsL, this, "RightL", 12, 48, 36, 13, "Right");
  MarginRightE = Place<TEdit>(MarginsL, this, "MarginRightE", 50, 44, 50, 21);
  cmL5 = Place<TLabel>(MarginsL, this, "cmL5", 104, 48, 30, 13, "cm");
  BottomL = Place<TLabel>(MarginsL, this, "BottomL", 140, 48, 36, 13, "Bottom");
  MarginBottomE = Place<TEdit>(MarginsL, this, "MarginBottomE", 180, 44, 50, 21);
  cmL6 = Place<TLabel>(MarginsL, this, "cmL6", 234, 48, 30, 13, "cm");

  OtherL = Place<TGroupBox>(this, this, "OtherL", 8, 268, 270, 56, "Other");
  ApplyToCurRB = Place<TRadioButton>(OtherL, this, "ApplyToCurRB", 12, 16, 246, 17,
                                     "Apply to the current page");
  ApplyToCurRB->SetChecked(true);
  ApplyToAllRB =
      Place<TRadioButton>(OtherL, this, "ApplyToAllRB", 12, 34, 246, 17, "Apply to all pages");

  OKB = Place<TButton>(this, this, "OKB", 122, 330, 75, 25, "OK");
  OKB->SetDefault(true);
  OKB->OnClick = TNotifyEvent::Bind(this, &TfrxPageSettingsForm::OKBClick);
  CancelB = Place<TButton>(this, this, "CancelB", 203, 330, 75, 25, "Cancel");
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
  EndLoading();
  ReportResources()->LocalizeForm(this);
}

void TfrxPageSettingsForm::DoShow()
{
  FUpdating = true;
  {
    TScopeExit done([this] { FUpdating = false; });
    TfrxCustomPrinter* printer = GlobalPrinters()->CurrentPrinter();
    SizeCB->Items()->Assign(printer->Papers());
    if (FPage) {
      Integer index = printer->PaperIndex(FPage->PaperSize());
      if (index < 0)
        index = printer->PaperIndex(kCustomPaper);
      SizeCB->SetItemIndex(index);
      WidthE->SetText(Cm(FPage->PaperWidth()));
      HeightE->SetText(Cm(FPage->PaperHeight()));
      const bool landscape = FPage->Orientation() == poLandscape;
      PortraitRB->SetChecked(!landscape);
      LandscapeRB->SetChecked(landscape);
      FLastLandscape = landscape;
      MarginLeftE->SetText(Cm(FPage->LeftMargin()));
      MarginRightE->SetText(Cm(FPage->RightMargin()));
      MarginTopE->SetText(Cm(FPage->TopMargin()));
      MarginBottomE->SetText(Cm(FPage->BottomMargin()));
    }
    PortraitRBClick(nullptr);
  }
  TForm::DoShow();
}

void TfrxPageSettingsForm::PortraitRBClick(TObject*)
{
  PortraitImg->SetVisible(PortraitRB->Checked());
  LandscapeImg->SetVisible(LandscapeRB->Checked());
  SizeCBClick(nullptr);
}

// The size fields follow the chosen paper for the chosen orientation; with the custom size
// a change of orientation exchanges them.
void TfrxPageSettingsForm::SizeCBClick(TObject*)
{
  if (FUpdating)
    return;
  FUpdating = true;
  TScopeExit done([this] { FUpdating = false; });
  TfrxCustomPrinter* printer = GlobalPrinters()->CurrentPrinter();
  const Integer paper = printer->PaperNameToNumber(SizeCB->Text());
  Extended width = Mm(WidthE), height = Mm(HeightE);
  const bool landscape = LandscapeRB->Checked();
  if (paper == kCustomPaper) {
    if (landscape != FLastLandscape)
      std::swap(width, height);
  } else {
    PaperGeometry(paper, landscape, width, height);
  }
  FLastLandscape = landscape;
  WidthE->SetText(Cm(width));
  HeightE->SetText(Cm(height));
}

void TfrxPageSettingsForm::WidthEChange(TObject*)
{
  if (!FUpdating)
    SizeCB->SetItemIndex(0);
}

void TfrxPageSettingsForm::OKBClick(TObject*)
{
  for (TEdit* edit : {WidthE, HeightE, MarginLeftE, MarginRightE, MarginTopE, MarginBottomE})
    Mm(edit);
  SetModalResult(mrOk);
}

void TfrxPageSettingsForm::DoHide()
{
  TForm::DoHide();
  if (ModalResult() != mrOk || !FPage)
    return;
  FPage->SetOrientation(PortraitRB->Checked() ? poPortrait : poLandscape);
  FPage->SetPaperWidth(Mm(WidthE));
  FPage->SetPaperHeight(Mm(HeightE));
  FPage->SetPaperSize(GlobalPrinters()->CurrentPrinter()->PaperNameToNumber(SizeCB->Text()));
  FPage->SetLeftMargin(Mm(MarginLeftE));
  FPage->SetRightMargin(Mm(MarginRightE));
  FPage->SetTopMargin(Mm(MarginTopE));
  FPage->SetBottomMargin(Mm(MarginBottomE));
  FPage->AlignChildren();
}

// A sheet with lines of text, upright or lying.
void TfrxPageSettingsForm::OrientationPaint(TObject* Sender)
{
  auto* box = static_cast<TPaintBox*>(Sender);
  TCanvas* c = box->Canvas();
  const bool landscape = box == LandscapeImg;
  const TRect sheet = landscape ? Rect(4, 12, 44, 40) : Rect(10, 4, 38, 44);
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clWhite);
  c->Rectangle(sheet.Left, sheet.Top, sheet.Right, sheet.Bottom);
  c->Pen()->SetColor(clGray);
  for (Integer y = sheet.Top + 5; y < sheet.Bottom - 3; y += 4) {
    c->MoveTo(sheet.Left + 4, y);
    c->LineTo(sheet.Right - 4, y);
  }
}

void RegisterPageSettingsForm()
{
  TClassRegistration<TfrxPageSettingsForm, TForm>("TfrxPageSettingsForm");
  ReportResources()->Add("TfrxPageSettingsForm", "Caption=页面设置\r\n"
                                                 "SizeL.Caption=纸张大小   \r\n"
                                                 "WidthL.Caption=宽度\r\n"
                                                 "HeightL.Caption=高度\r\n"
                                                 "cmL1.Caption=厘米\r\n"
                                                 "cmL2.Caption=厘米\r\n"
                                                 "cmL3.Caption=厘米\r\n"
                                                 "cmL4.Caption=厘米\r\n"
                                                 "cmL5.Caption=厘米\r\n"
                                                 "cmL6.Caption=厘米\r\n"
                                                 "OrientationL.Caption=打印方向   \r\n"
                                                 "PortraitRB.Caption=纵向打印\r\n"
                                                 "LandscapeRB.Caption=橫向打印\r\n"
                                                 "MarginsL.Caption=页边距\r\n"
                                                 "LeftL.Caption=左\r\n"
                                                 "TopL.Caption=上\r\n"
                                                 "RightL.Caption=右\r\n"
                                                 "BottomL.Caption=下\r\n"
                                                 "OtherL.Caption=其它   \r\n"
                                                 "ApplyToCurRB.Caption=应用到当前页面\r\n"
                                                 "ApplyToAllRB.Caption=应用到所有页面\r\n"
                                                 "OKB.Caption=确定\r\n"
                                                 "CancelB.Caption=取消\r\n");
}
