// The page settings dialog of the preview: paper size, orientation and margins of one
// prepared page, in centimetres, applied to that page or (at the caller's choice) to every
// page of the report. Choosing a paper or an orientation asks the current printer for the
// paper's size without changing the printer's own settings, so Cancel leaves the printer
// as it was.
#pragma once

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TfrxReportPage;

class TfrxPageSettingsForm : public TForm {
public:
  explicit TfrxPageSettingsForm(TComponent* AOwner);

  TfrxReportPage* Page() const { return FPage; }
  // The page to edit; it changes in place when the dialog closes with OK.
  void SetPage(TfrxReportPage* Value) { FPage = Value; }
  bool ApplyToAll() const { return ApplyToAllRB->Checked(); }

  // The handlers, as the controls call them.
  void PortraitRBClick(TObject* Sender);
  void SizeCBClick(TObject* Sender);
  void WidthEChange(TObject* Sender);
  // Reads every number first (a text that is not one raises and the dialog stays open),
  // then closes with OK.
  void OKBClick(TObject* Sender);

  TGroupBox* SizeL;
  TComboBox* SizeCB;
  TLabel* WidthL;
  TEdit* WidthE;
  TLabel* HeightL;
  TEdit* HeightE;
  TLabel* cmL1;
  TLabel* cmL2;
  TLabel* cmL3;
  TLabel* cmL4;
  TLabel* cmL5;
  TLabel* cmL6;
  TGroupBox* OrientationL;
  TRadioButton* PortraitRB;
  TRadioButton* LandscapeRB;
  TPaintBox* PortraitImg;
  TPaintBox* LandscapeImg;
  TGroupBox* MarginsL;
  TLabel* LeftL;
  TEdit* MarginLeftE;
  TLabel* TopL;
  TEdit* MarginTopE;
  TLabel* RightL;
  TEdit* MarginRightE;
  TLabel* BottomL;
  TEdit* MarginBottomE;
  TGroupBox* OtherL;
  TRadioButton* ApplyToCurRB;
  TRadioButton* ApplyToAllRB;
  TButton* OKB;
  TButton* CancelB;

protected:
  void DoShow() override;
  void DoHide() override;

private:
  void OrientationPaint(TObject* Sender);

  TfrxReportPage* FPage = nullptr;
  bool FUpdating = false;
  bool FLastLandscape = false;
};

void RegisterPageSettingsForm();
