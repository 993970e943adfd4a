// The print dialog: printer, pages, copies, collation, odd or even pages, reverse order and
// print to file. Choosing a printer switches the program's current printer at once; Cancel
// puts the previous one back. The print walk (TfrxPreviewPages::PrintPages) shows it
// through the seam it offers (SetPrintDialogFunc); RegisterPrintDialog installs it.
#pragma once

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;
class TPaintBox;
class TRadioButton;
class TUpDown;

class TfrxPrintDialog : public TForm {
public:
  explicit TfrxPrintDialog(TComponent* AOwner);

  // Asks for the print-to-file name (preset with FileName); false when cancelled.
  // FIXME: the platform's save dialog takes over when it exists; a small name dialog
  // stands in.
  std::function<bool(AnsiString& FileName)> OnFileDialog;

  TGroupBox* Label12;
  TComboBox* PrintersCB;
  TLabel* TypeL;
  TLabel* TypeL1;
  TLabel* WhereL;
  TLabel* WhereL1;
  TButton* PropButton;
  TCheckBox* FileCB;
  TCheckBox* ReverseCB;
  TGroupBox* Label1;
  TRadioButton* AllRB;
  TRadioButton* CurPageRB;
  TRadioButton* PageNumbersRB;
  TEdit* PageNumbersE;
  TLabel* DescrL;
  TGroupBox* Label2;
  TLabel* CopiesL;
  TEdit* CopiesE;
  TUpDown* UpDown1;
  TCheckBox* CollateCB;
  TLabel* CollateL;
  TPaintBox* CopiesPB;
  TLabel* PrintL;
  TComboBox* PrintPagesCB;
  TButton* OkB;
  TButton* CancelB;

protected:
  void DoShow() override;
  void DoHide() override;

private:
  void PrintersCBClick(TObject* Sender);
  void PrintersCBDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);
  void PropButtonClick(TObject* Sender);
  void PageNumbersEEnter(TObject* Sender);
  void PageNumbersRBClick(TObject* Sender);
  void CollateLClick(TObject* Sender);
  void CollateCBClick(TObject* Sender);
  void CopiesPBPaint(TObject* Sender);
  bool ExecuteFileDialog(AnsiString& FileName);

  Integer FOldIndex = -1;
};

// Installs the dialog as the print walk's dialog (the frxPrintDialog unit's start-up).
void RegisterPrintDialog();
void UnregisterPrintDialog();
