// The barcode editor form and the component editor's edit command; see frxBarcode.h.
#include "platform/graphics/Pictures.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxUtils.h"
#include "report/output/frxBarcode.h"
#include "report/output/frxFormsPrivate.h"

namespace {

using frxforms::Place;

} // namespace

TfrxBarcodeEditorForm::TfrxBarcodeEditorForm(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetName("frxBarcodeEditorForm");
  SetCaption("Barcode editor");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(539);
  SetClientHeight(255);
  SetShowHint(true);

  CodeLbl = Place<TLabel>(this, this, "CodeLbl", 8, 8, 60, 13, "Code");
  CodeE = Place<TEdit>(this, this, "CodeE", 8, 24, 236, 21);
  CodeButton = Place<TSpeedButton>(this, this, "CodeButton", 245, 24, 21, 21, "...");
  CodeButton->OnClick = TNotifyEvent::Bind(this, &TfrxBarcodeEditorForm::CodeButtonClick);
  TypeLbl = Place<TLabel>(this, this, "TypeLbl", 8, 52, 100, 13, "Type of Bar");
  TypeCB = Place<TListBox>(this, this, "TypeCB", 8, 68, 257, 21);
  for (Integer i = 0; i < frxBarcodeTypeCount; ++i)
    TypeCB->Items()->Add(BarcodeTypeInfo(static_cast<TfrxBarcodeType>(i)).DisplayName);
  TypeCB->OnClick = TNotifyEvent::Bind(this, &TfrxBarcodeEditorForm::ExampleChanged);

  OptionsLbl = Place<TGroupBox>(this, this, "OptionsLbl", 8, 100, 129, 110, "Options");
  CalcCheckSumCB =
      Place<TCheckBox>(OptionsLbl, this, "CalcCheckSumCB", 8, 20, 115, 17, "Calc Checksum ");
  CalcCheckSumCB->OnClick = TNotifyEvent::Bind(this, &TfrxBarcodeEditorForm::ExampleChanged);
  ViewTextCB = Place<TCheckBox>(OptionsLbl, this, "ViewTextCB", 8, 42, 115, 17, "Text");
  ViewTextCB->OnClick = TNotifyEvent::Bind(this, &TfrxBarcodeEditorForm::ExampleChanged);
  ZoomLbl = Place<TLabel>(OptionsLbl, this, "ZoomLbl", 8, 72, 40, 13, "Zoom:");
  ZoomE = Place<TEdit>(OptionsLbl, this, "ZoomE", 52, 68, 49, 21);
  ZoomE->SetText("1");
  UpDown1 = Place<TUpDown>(OptionsLbl, this, "UpDown1", 101, 68, 15, 21);
  UpDown1->SetMin(0);
  UpDown1->SetPosition(1);
  UpDown1->SetWrap(false);
  UpDown1->SetAssociate(ZoomE);

  RotationLbl = Place<TGroupBox>(this, this, "RotationLbl", 144, 100, 121, 110, "Rotation");
  Rotation0RB = Place<TRadioButton>(RotationLbl, this, "Rotation0RB", 8, 20, 100, 17, "0°");
  Rotation90RB = Place<TRadioButton>(RotationLbl, this, "Rotation90RB", 8, 41, 100, 17, "90°");
  Rotation180RB = Place<TRadioButton>(RotationLbl, this, "Rotation180RB", 8, 62, 100, 17, "180°");
  Rotation270RB = Place<TRadioButton>(RotationLbl, this, "Rotation270RB", 8, 83, 100, 17, "270°");
  Rotation0RB->SetChecked(true);
  for (TRadioButton* rb : {Rotation0RB, Rotation90RB, Rotation180RB, Rotation270RB})
    rb->OnClick = TNotifyEvent::Bind(this, &TfrxBarcodeEditorForm::ExampleChanged);

  ExampleBvl = Place<TBevel>(this, this, "ExampleBvl", 276, 8, 257, 237);
  ExamplePB = Place<TPaintBox>(this, this, "ExamplePB", 278, 10, 253, 233);
  ExamplePB->OnPaint = TNotifyEvent::Bind(this, &TfrxBarcodeEditorForm::ExamplePaint);

  OkB = Place<TButton>(this, this, "OkB", 8, 222, 75, 25, "OK");
  OkB->SetDefault(true);
  OkB->SetModalResult(mrOk);
  CancelB = Place<TButton>(this, this, "CancelB", 90, 222, 75, 25, "Cancel");
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
  EndLoading();
  // The frame is known once the window exists; the client area keeps its size then.
  Handle();
  SetClientWidth(539);
  SetClientHeight(255);
  ReportResources()->LocalizeForm(this);
}

Integer TfrxBarcodeEditorForm::ChosenRotation() const
{
  if (Rotation90RB->Checked())
    return 90;
  if (Rotation180RB->Checked())
    return 180;
  if (Rotation270RB->Checked())
    return 270;
  return 0;
}

void TfrxBarcodeEditorForm::DoShow()
{
  if (FBarcode) {
    CodeE->SetText(FBarcode->Expression());
    TypeCB->SetItemIndex(FBarcode->BarType());
    CalcCheckSumCB->SetChecked(FBarcode->CalcCheckSum());
    ViewTextCB->SetChecked(FBarcode->ShowText());
    ZoomE->SetText(FloatToStr(FBarcode->Zoom()));
    switch (FBarcode->Rotation()) {
    case 90:
      Rotation90RB->SetChecked(true);
      break;
    case 180:
      Rotation180RB->SetChecked(true);
      break;
    case 270:
      Rotation270RB->SetChecked(true);
      break;
    default:
      Rotation0RB->SetChecked(true);
    }
  }
  TForm::DoShow();
  ExamplePB->Invalidate();
}

// The view changes only when the form closes with OK; a zoom that is no number raises
// its conversion error then and leaves the view's other settings as they were.
void TfrxBarcodeEditorForm::DoHide()
{
  TForm::DoHide();
  if (ModalResult() != mrOk || !FBarcode)
    return;
  const Extended zoom = ParseFloatLenient(ZoomE->Text());
  FBarcode->SetExpression(CodeE->Text());
  if (TypeCB->ItemIndex() >= 0)
    FBarcode->SetBarType(static_cast<TfrxBarcodeType>(TypeCB->ItemIndex()));
  FBarcode->SetCalcCheckSum(CalcCheckSumCB->Checked());
  FBarcode->SetShowText(ViewTextCB->Checked());
  FBarcode->SetZoom(zoom);
  FBarcode->SetRotation(ChosenRotation());
}

void TfrxBarcodeEditorForm::ExampleChanged(TObject*)
{
  ExamplePB->Invalidate();
}

void TfrxBarcodeEditorForm::ExamplePaint(TObject*)
{
  PaintExample();
}

void TfrxBarcodeEditorForm::PaintExample()
{
  TCanvas* canvas = ExamplePB->Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect(TRect{0, 0, ExamplePB->Width(), ExamplePB->Height()});
  if (TypeCB->ItemIndex() < 0)
    return;
  TfrxBarcode example(nullptr);
  example.SetTyp(static_cast<TfrxBarcodeType>(TypeCB->ItemIndex()));
  example.SetText("12345678");
  example.SetAngle(ChosenRotation());
  example.SetChecksum(CalcCheckSumCB->Checked());
  example.DrawBarcode(canvas, TRect{40, 20, ExamplePB->Width() - 40, 200}, ViewTextCB->Checked());
}

void TfrxBarcodeEditorForm::CodeButtonClick(TObject*)
{
  auto* designer = dynamic_cast<TfrxCustomDesigner*>(Owner());
  if (!designer)
    return;
  const AnsiString expr = designer->EditExpression(CodeE->Text());
  if (!expr.empty())
    CodeE->SetText(expr);
}

// ---------------------------------------------------------------------------------------
// TfrxBarcodeEditor::EditComponent

bool TfrxBarcodeEditor::EditComponent()
{
  auto* view = dynamic_cast<TfrxBarCodeView*>(Component());
  if (!view)
    return false;
  std::unique_ptr<TfrxBarcodeEditorForm> form = std::make_unique<TfrxBarcodeEditorForm>(Designer());
  form->SetBarcode(view);
  return form->ShowModal() == mrOk;
}
