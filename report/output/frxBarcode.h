// The barcode report object: a view that owns a barcode encoder (frxBarcod.h), takes its
// data from a dataset field, an expression or its own text, sizes itself along the code and
// draws the code inside its frame; its component editor with the editor form; and the
// registrations that make it a palette object, a report-file class and a script class.
#pragma once

#include <memory>

#include "platform/ui/Forms.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/output/frxBarcod.h"

class TfrxBarCodeView : public TfrxView {
public:
  explicit TfrxBarCodeView(TComponent* AOwner);
  ~TfrxBarCodeView() override;

  // Sizes the object to the encoded code (width, or height when turned by 90 or 270
  // degrees) and draws it; encoder errors reach the caller.
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
            Extended OffsetY) override;
  // Sizes the object to the encoded code as Draw does (encoder errors raise).
  void FitSize();
  // The field's text with a data binding, else the value of Expression when it has one;
  // then the object takes the code's size, so prepared pages and exports keep it.
  void EvaluateData() override;
  AnsiString GetDescription() override;

  TfrxBarcodeType BarType() const { return FBarType; }
  void SetBarType(TfrxBarcodeType Value) { FBarType = Value; }
  bool CalcCheckSum() const { return FCalcCheckSum; }
  void SetCalcCheckSum(bool Value) { FCalcCheckSum = Value; }
  const AnsiString& Expression() const { return FExpression; }
  void SetExpression(const AnsiString& Value) { FExpression = Value; }
  TfrxHAlign HAlign() const { return FHAlign; }
  void SetHAlign(TfrxHAlign Value) { FHAlign = Value; }
  Integer Rotation() const { return FRotation; }
  void SetRotation(Integer Value) { FRotation = Value; }
  bool ShowText() const { return FShowText; }
  void SetShowText(bool Value) { FShowText = Value; }
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value) { FText = Value; }
  Extended Zoom() const { return FZoom; }
  void SetZoom(Extended Value) { FZoom = Value; }
  bool IsZoomStored() const { return FZoom != 1; }
  TfrxBarcode* Barcode() const { return FBarcode.get(); }

private:
  std::unique_ptr<TfrxBarcode> FBarcode;
  TfrxBarcodeType FBarType = bcCode39;
  bool FCalcCheckSum = false;
  AnsiString FExpression;
  TfrxHAlign FHAlign = haLeft;
  Integer FRotation = 0;
  bool FShowText = true;
  AnsiString FText = "12345678";
  Extended FZoom = 1;
};

class TLabel;
class TEdit;
class TListBox;
class TGroupBox;
class TCheckBox;
class TRadioButton;
class TUpDown;
class TBevel;
class TPaintBox;
class TButton;
class TSpeedButton;

// The barcode editor: code expression, symbology, check digit, text, zoom and rotation of
// one barcode view, with an example drawn as the choices change. The view is written back
// only when the form closes with OK.
class TfrxBarcodeEditorForm : public TForm {
public:
  explicit TfrxBarcodeEditorForm(TComponent* AOwner);

  TfrxBarCodeView* Barcode() const { return FBarcode; }
  void SetBarcode(TfrxBarCodeView* Value) { FBarcode = Value; }
  // Draws the example: the chosen symbology of "12345678" at the chosen angle.
  void PaintExample();

  TLabel* CodeLbl;
  // FIXME: CodeE becomes the report library's edit with a button, and TypeCB a drop-down
  // list, when those controls exist; an edit with a speed button and a list box stand in.
  TEdit* CodeE;
  TSpeedButton* CodeButton;
  TLabel* TypeLbl;
  TListBox* TypeCB;
  TGroupBox* OptionsLbl;
  TCheckBox* CalcCheckSumCB;
  TCheckBox* ViewTextCB;
  TLabel* ZoomLbl;
  TEdit* ZoomE;
  TUpDown* UpDown1;
  TGroupBox* RotationLbl;
  TRadioButton* Rotation0RB;
  TRadioButton* Rotation90RB;
  TRadioButton* Rotation180RB;
  TRadioButton* Rotation270RB;
  TBevel* ExampleBvl;
  TPaintBox* ExamplePB;
  TButton* OkB;
  TButton* CancelB;

protected:
  void DoShow() override;
  void DoHide() override;

private:
  Integer ChosenRotation() const;
  void ExampleChanged(TObject* Sender);
  void ExamplePaint(TObject* Sender);
  void CodeButtonClick(TObject* Sender);

  TfrxBarCodeView* FBarcode = nullptr;
};

// Links the barcode object into a program; it has no behaviour of its own.
class TfrxBarCodeObject : public TComponent {
public:
  explicit TfrxBarCodeObject(TComponent* AOwner) : TComponent(AOwner) {}
};

// The designer's component editor of barcode views: the editor form, and menu commands
// that switch the check digit and the text of the selected barcodes.
class TfrxBarcodeEditor : public TfrxComponentEditor {
public:
  using TfrxComponentEditor::TfrxComponentEditor;

  bool EditComponent() override;
  bool CanEdit() override { return true; }
  void FillMenu() override;
  // Tag 1 sets CalcCheckSum, tag 2 ShowText of every selected barcode view that may be
  // modified; true when any was.
  bool ExecuteMenuItem(Integer Tag, bool Checked) override;
};

// The class records, the palette entry, the component editor and the script entries (the
// frxBarcode unit's start-up); the localized texts of the object and its editor.
void RegisterBarcodeClasses();
void AddBarcodeResources(class TfrxResources* Resources);
