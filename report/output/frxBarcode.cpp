// The barcode report object, its component editor and registrations; the editor form is in
// frxBarcodeEditor.cpp. See frxBarcode.h.
#include "report/output/frxBarcode.h"

#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"
#include "platform/ui/Menus.h"
#include "report/engine/frxRes.h"
#include "report/script/fsScript.h"

void RegisterBarcodeClasses()
{
  using V = TfrxBarCodeView;
  TClassRegistration<TfrxBarCodeView, TfrxView>("TfrxBarCodeView")
      .Property("BarType", &V::BarType, &V::SetBarType)
      .Default(bcCode39)
      .Property("BrushStyle", &TfrxView::BrushStyle, &TfrxView::SetBrushStyle)
      .Default(bsSolid)
      .Property("CalcCheckSum", &V::CalcCheckSum, &V::SetCalcCheckSum)
      .Default(false)
      .Property("Color", &TfrxView::Color, &TfrxView::SetColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("DataField", &TfrxView::DataField, &TfrxView::SetDataField)
      .Property("DataSet", &TfrxView::DataSet, &TfrxView::SetDataSet)
      .Property("DataSetName", &TfrxView::DataSetName, &TfrxView::SetDataSetName)
      .Property("Expression", &V::Expression, &V::SetExpression)
      .Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame)
      .Property("HAlign", &V::HAlign, &V::SetHAlign)
      .Default(haLeft)
      .Property("Rotation", &V::Rotation, &V::SetRotation)
      .Default(0)
      .Property("ShowText", &V::ShowText, &V::SetShowText)
      .Default(true)
      .Property("Text", &V::Text, &V::SetText)
      .Property("Zoom", &V::Zoom, &V::SetZoom)
      .Stored(&V::IsZoomStored);
  TClassRegistration<TfrxBarCodeObject, TComponent>("TfrxBarCodeObject");
  TClassRegistration<TfrxBarcodeEditor, TfrxComponentEditor>("TfrxBarcodeEditor");
  TClassRegistration<TfrxBarcodeEditorForm, TForm>("TfrxBarcodeEditorForm");

  if (TfrxObjectCollection* objects = RegisteredObjects())
    objects->RegisterObject(ClassInfoOf<TfrxBarCodeView>(), nullptr, "", "Other", 0, 23);
  if (TfrxComponentEditorCollection* editors = RegisteredComponentEditors())
    editors->RegisterEditor(ClassInfoOf<TfrxBarCodeView>(),
                            ComponentEditorClass<TfrxBarcodeEditor>());
  if (TfsScript* script = GlobalScriptUnit()) {
    script->RegisterScriptEnum("TfrxBarcodeType", BarcodeTypeNames());
    script->RegisterScriptClass(ClassInfoOf<TfrxBarCodeView>(), "TfrxView");
  }
}

void AddBarcodeResources(TfrxResources* Resources)
{
  Resources->Add("obBarC", "条形码对象");
  Resources->Add("bcCalcChecksum", "计算检查码");
  Resources->Add("bcShowText", "显示文本");
  Resources->Add("TfrxBarcodeEditorForm", "Caption=条形码编辑器\r\n"
                                          "CodeLbl.Caption=码\r\n"
                                          "TypeLbl.Caption=条形码类型\r\n"
                                          "OptionsLbl.Caption=选项   \r\n"
                                          "CalcCheckSumCB.Caption=计算检查码 \r\n"
                                          "ViewTextCB.Caption=文本\r\n"
                                          "ZoomLbl.Caption=缩放:\r\n"
                                          "RotationLbl.Caption=旋转   \r\n"
                                          "Rotation0RB.Caption=0度\r\n"
                                          "Rotation90RB.Caption=90度\r\n"
                                          "Rotation180RB.Caption=180度\r\n"
                                          "Rotation270RB.Caption=270度\r\n"
                                          "OkB.Caption=确定\r\n"
                                          "CancelB.Caption=取消\r\n");
}

// ---------------------------------------------------------------------------------------
// TfrxBarCodeView

TfrxBarCodeView::TfrxBarCodeView(TComponent* AOwner)
    : TfrxView(AOwner), FBarcode(std::make_unique<TfrxBarcode>(nullptr))
{
  SetColor(clNone);
}

TfrxBarCodeView::~TfrxBarCodeView() = default;

AnsiString TfrxBarCodeView::GetDescription()
{
  return ReportResources()->Lookup("obBarC");
}

void TfrxBarCodeView::EvaluateData()
{
  TfrxView::EvaluateData();
  if (HasDataBinding())
    FText = VarToStr(DataSet()->Value(DataField()));
  else if (!FExpression.empty())
    if (TfrxReport* report = Report())
      FText = VarToStr(report->Calc(FExpression));
  // A text the symbology refuses keeps the size; drawing reports the error.
  try {
    FitSize();
  } catch (const Exception&) {
  }
}

void TfrxBarCodeView::FitSize()
{
  FBarcode->SetAngle(FRotation);
  FBarcode->SetChecksum(FCalcCheckSum);
  FBarcode->SetTyp(FBarType);
  FBarcode->SetColor(Color() == clNone ? clWhite : Color());
  FBarcode->SetText(FText);
  const Extended oldWidth = Width();
  if (FZoom < 0.0001)
    FZoom = 1;
  const Extended size = FBarcode->Width() * FZoom;
  if (FRotation != 0 && FRotation != 180)
    SetHeight(size);
  else
    SetWidth(size);
  if (FHAlign == haRight)
    SetLeft(oldWidth + Left() - Width());
  else if (FHAlign == haCenter)
    SetLeft((oldWidth - Width()) / 2 + Left());
}

void TfrxBarCodeView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                           Extended OffsetY)
{
  FitSize();
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  DrawBackground();
  FBarcode->DrawBarcode(Canvas, TRect{FX, FY, FX1, FY1}, FShowText);
  DrawFrame();
}

// ---------------------------------------------------------------------------------------
// TfrxBarcodeEditor

void TfrxBarcodeEditor::FillMenu()
{
  auto* menu = dynamic_cast<TMenu*>(Menu());
  auto* view = dynamic_cast<TfrxBarCodeView*>(Component());
  if (!menu || !view)
    return;
  auto add = [&](const char* id, Integer tag, bool checked) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(ReportResources()->Lookup(id));
    item->SetTag(tag);
    item->SetChecked(checked);
    menu->Items()->Add(item);
  };
  add("bcCalcChecksum", 1, view->CalcCheckSum());
  add("bcShowText", 2, view->ShowText());
}

bool TfrxBarcodeEditor::ExecuteMenuItem(Integer Tag, bool Checked)
{
  const bool inherited = TfrxComponentEditor::ExecuteMenuItem(Tag, Checked);
  bool handled = false;
  TList* selected = Designer() ? Designer()->SelectedObjects() : nullptr;
  for (Integer i = 0; selected && i < selected->Count(); ++i) {
    auto* view = dynamic_cast<TfrxBarCodeView*>(static_cast<TObject*>(selected->Items(i)));
    if (!view || view->Restrictions().Contains(rfDontModify))
      continue;
    if (Tag == 1)
      view->SetCalcCheckSum(Checked);
    else if (Tag == 2)
      view->SetShowText(Checked);
    handled = true;
  }
  return handled || inherited;
}
