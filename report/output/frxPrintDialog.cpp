// The print dialog (frxPrintDialog.h).
#include "report/output/frxPrintDialog.h"

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxPrinter.h"
#include "report/engine/frxRes.h"
#include "report/output/frxFormsPrivate.h"

namespace {

using frxforms::Place;

// A small printer: paper coming out of a grey body.
void DrawPrinterGlyph(TCanvas* C, Integer X, Integer Y)
{
  C->Pen()->SetColor(clBlack);
  C->Brush()->SetColor(clWhite);
  C->Rectangle(X + 4, Y + 1, X + 12, Y + 7);
  C->Brush()->SetColor(clGray);
  C->Rectangle(X + 1, Y + 6, X + 15, Y + 13);
  C->Brush()->SetColor(clLime);
  C->FillRect(TRect(X + 11, Y + 8, X + 13, Y + 10));
}

// Sheets numbered 1 2 3 in sets (collated: 123 123) or page by page (11 22 33).
void DrawCopiesPicture(TCanvas* C, bool Collate)
{
  const char* sets[2][2] = {{"1", "1"}, {"2", "2"}};
  C->Font()->SetName("Arial");
  C->Font()->SetHeight(-9);
  for (Integer set = 0; set < 2; ++set)
    for (Integer sheet = 2; sheet >= 0; --sheet) {
      Integer x = set * 44 + sheet * 6, y = sheet * 5;
      C->Pen()->SetColor(clBlack);
      C->Brush()->SetColor(clWhite);
      C->Rectangle(x, y, x + 22, y + 28);
      C->Brush()->SetStyle(bsClear);
      AnsiString n = Collate ? IntToStr(sheet + 1) : AnsiString(sets[set][0]);
      if (!Collate)
        n = IntToStr(set + 1);
      C->TextOut(x + 12, y + 15, n);
      C->Brush()->SetStyle(bsSolid);
    }
}

// The stand-in for the save dialog: a name typed into an edit.
bool AskFileName(TComponent* Owner, AnsiString& FileName)
{
  TForm form(Owner);
  form.BeginLoading();
  form.SetCaption("Print To File");
  form.SetBorderStyle(bsDialog);
  form.SetPosition(poScreenCenter);
  form.SetClientWidth(360);
  form.SetClientHeight(72);
  auto* edit = Place<TEdit>(&form, &form, "FileNameE", 8, 8, 344, 21);
  edit->SetText(FileName);
  auto* ok = Place<TButton>(&form, &form, "OkB", 196, 40, 75, 25, "OK");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = Place<TButton>(&form, &form, "CancelB", 277, 40, 75, 25, "Cancel");
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  form.EndLoading();
  ReportResources()->LocalizeForm(&form);
  if (form.ShowModal() != mrOk || edit->Text().empty())
    return false;
  FileName = edit->Text();
  return true;
}

bool ShowPrintDialog(TfrxReport* Report, TfrxPrintDialogSettings& Settings)
{
  TfrxPrintDialog dialog(Application());
  dialog.UpDown1->SetPosition(StrToIntDef(Settings.Copies, 1));
  dialog.CopiesE->SetText(IntToStr(dialog.UpDown1->Position()));
  dialog.CollateCB->SetChecked(Settings.Collate);
  dialog.PageNumbersE->SetText(Settings.PageNumbers);
  if (!Settings.PageNumbers.empty())
    dialog.PageNumbersRB->SetChecked(true);
  dialog.PrintPagesCB->SetItemIndex(Settings.PrintPages);
  if (dialog.ShowModal() != mrOk)
    return false;
  Settings.Copies = dialog.CopiesE->Text();
  Settings.Collate = dialog.CollateCB->Checked();
  if (dialog.AllRB->Checked())
    Settings.Range = TfrxPrintDialogSettings::prAll;
  else if (dialog.CurPageRB->Checked())
    Settings.Range = TfrxPrintDialogSettings::prCurrent;
  else
    Settings.Range = TfrxPrintDialogSettings::prPages;
  Settings.PageNumbers = dialog.PageNumbersE->Text();
  Settings.PrintPages = static_cast<TfrxPrintPages>(std::max(0, dialog.PrintPagesCB->ItemIndex()));
  Settings.Reverse = dialog.ReverseCB->Checked();
  return true;
}

} // namespace

TfrxPrintDialog::TfrxPrintDialog(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetName("frxPrintDialog");
  SetCaption("Print");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(477);
  SetClientHeight(263);

  Label12 = Place<TGroupBox>(this, this, "Label12", 4, 4, 469, 101, "Printer");
  PrintersCB = Place<TComboBox>(Label12, this, "PrintersCB", 12, 20, 292, 22);
  PrintersCB->SetStyle(csOwnerDrawFixed);
  PrintersCB->SetItemHeight(16);
  PrintersCB->OnClick = TNotifyEvent::Bind(this, &TfrxPrintDialog::PrintersCBClick);
  PrintersCB->OnDrawItem = TDrawItemEvent::Bind(this, &TfrxPrintDialog::PrintersCBDrawItem);
  TypeL = Place<TLabel>(Label12, this, "TypeL", 12, 52, 50, 13, "Type:");
  TypeL1 = Place<TLabel>(Label12, this, "TypeL1", 68, 52, 236, 13);
  WhereL = Place<TLabel>(Label12, this, "WhereL", 12, 72, 50, 13, "Where:");
  WhereL1 = Place<TLabel>(Label12, this, "WhereL1", 68, 72, 236, 13);
  PropButton = Place<TButton>(Label12, this, "PropButton", 372, 20, 85, 23, "Properties...");
  PropButton->OnClick = TNotifyEvent::Bind(this, &TfrxPrintDialog::PropButtonClick);
  FileCB = Place<TCheckBox>(Label12, this, "FileCB", 320, 52, 137, 17, "Print to file");
  ReverseCB = Place<TCheckBox>(Label12, this, "ReverseCB", 320, 72, 137, 17, "Reverse pages");

  Label1 = Place<TGroupBox>(this, this, "Label1", 4, 108, 261, 121, "Pages");
  AllRB = Place<TRadioButton>(Label1, this, "AllRB", 12, 20, 153, 17, "All");
  AllRB->SetChecked(true);
  CurPageRB = Place<TRadioButton>(Label1, this, "CurPageRB", 12, 40, 153, 17, "Current page");
  PageNumbersRB = Place<TRadioButton>(Label1, this, "PageNumbersRB", 12, 60, 77, 17, "Pages:");
  PageNumbersRB->OnClick = TNotifyEvent::Bind(this, &TfrxPrintDialog::PageNumbersRBClick);
  PageNumbersE = Place<TEdit>(Label1, this, "PageNumbersE", 92, 58, 157, 21);
  PageNumbersE->OnEnter = TNotifyEvent::Bind(this, &TfrxPrintDialog::PageNumbersEEnter);
  DescrL = Place<TLabel>(Label1, this, "DescrL", 12, 84, 237, 29,
                         "Enter page numbers and/or page ranges, separated by commas. For "
                         "example, 1,3,5-12");
  DescrL->SetWordWrap(true);

  Label2 = Place<TGroupBox>(this, this, "Label2", 272, 108, 201, 121, "Copies");
  CopiesL = Place<TLabel>(Label2, this, "CopiesL", 12, 24, 100, 13, "Number of copies");
  CopiesE = Place<TEdit>(Label2, this, "CopiesE", 128, 20, 41, 21);
  CopiesE->SetText("1");
  UpDown1 = Place<TUpDown>(Label2, this, "UpDown1", 169, 20, 15, 21);
  UpDown1->SetMin(1);
  UpDown1->SetPosition(1);
  UpDown1->SetAssociate(CopiesE);
  CollateCB = Place<TCheckBox>(Label2, this, "CollateCB", 112, 60, 17, 17);
  CollateCB->SetChecked(true);
  CollateCB->OnClick = TNotifyEvent::Bind(this, &TfrxPrintDialog::CollateCBClick);
  CollateL = Place<TLabel>(Label2, this, "CollateL", 132, 62, 60, 13, "Collate");
  CollateL->OnClick = TNotifyEvent::Bind(this, &TfrxPrintDialog::CollateLClick);
  CollateL->OnDblClick = TNotifyEvent::Bind(this, &TfrxPrintDialog::CollateLClick);
  CopiesPB = Place<TPaintBox>(Label2, this, "CopiesPB", 12, 52, 96, 40);
  CopiesPB->OnPaint = TNotifyEvent::Bind(this, &TfrxPrintDialog::CopiesPBPaint);

  PrintL = Place<TLabel>(this, this, "PrintL", 8, 240, 40, 13, "Print");
  PrintPagesCB = Place<TComboBox>(this, this, "PrintPagesCB", 60, 236, 145, 21);
  PrintPagesCB->SetStyle(csDropDownList);
  OkB = Place<TButton>(this, this, "OkB", 316, 234, 75, 25, "OK");
  OkB->SetDefault(true);
  OkB->SetModalResult(mrOk);
  CancelB = Place<TButton>(this, this, "CancelB", 398, 234, 75, 25, "Cancel");
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
  EndLoading();

  ReportResources()->LocalizeForm(this);
  PrintPagesCB->Items()->Clear();
  for (const char* id : {"ppAll", "ppOdd", "ppEven"})
    PrintPagesCB->Items()->Add(ReportResources()->Lookup(id));
  PrintPagesCB->SetItemIndex(0);
}

void TfrxPrintDialog::DoShow()
{
  TfrxPrinters* printers = GlobalPrinters();
  PrintersCB->Items()->Assign(printers->PrinterNames());
  PrintersCB->SetItemIndex(printers->CurrentIndex());
  PrintersCBClick(nullptr);
  FOldIndex = printers->CurrentIndex();
  CollateCBClick(nullptr);
  // The dialog always opens on all pages.
  PrintPagesCB->SetItemIndex(0);
  PrintPagesCB->SetLeft(PrintL->Left() + PrintL->Width() + 11);
  TForm::DoShow();
}

void TfrxPrintDialog::DoHide()
{
  TForm::DoHide();
  TfrxPrinters* printers = GlobalPrinters();
  if (ModalResult() != mrOk) {
    if (FOldIndex != printers->CurrentIndex())
      printers->SelectIndex(FOldIndex);
    return;
  }
  TfrxCustomPrinter* printer = printers->CurrentPrinter();
  printer->SetFileName("");
  if (!FileCB->Checked())
    return;
  AnsiString name;
  if (ExecuteFileDialog(name))
    printer->SetFileName(ChangeFileExt(name, ".prn"));
  else
    SetModalResult(mrCancel);
}

bool TfrxPrintDialog::ExecuteFileDialog(AnsiString& FileName)
{
  if (OnFileDialog)
    return OnFileDialog(FileName);
  return AskFileName(this, FileName);
}

void TfrxPrintDialog::PrintersCBClick(TObject*)
{
  Integer index = PrintersCB->ItemIndex();
  if (index < 0)
    return;
  TfrxPrinters* printers = GlobalPrinters();
  if (index != printers->CurrentIndex())
    printers->SelectIndex(index);
  TfrxCustomPrinter* printer = printers->CurrentPrinter();
  TypeL1->SetCaption(printer->Name());
  WhereL1->SetCaption(printer->Port());
}

void TfrxPrintDialog::PrintersCBDrawItem(TWinControl*, Integer Index, TRect Rect, TOwnerDrawState)
{
  TCanvas* c = PrintersCB->Canvas();
  c->FillRect(Rect);
  TColor text = c->Font()->Color();
  {
    TCanvasSaver saver(*c);
    DrawPrinterGlyph(c, Rect.Left + 2, Rect.Top);
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(text);
  c->TextOut(Rect.Left + 24, Rect.Top + 1, PrintersCB->Items()->Strings(Index));
}

void TfrxPrintDialog::PropButtonClick(TObject*)
{
  GlobalPrinters()->CurrentPrinter()->PropertiesDlg();
}

void TfrxPrintDialog::PageNumbersEEnter(TObject*)
{
  PageNumbersRB->SetChecked(true);
}

void TfrxPrintDialog::PageNumbersRBClick(TObject*)
{
  if (PageNumbersE->CanFocus())
    PageNumbersE->SetFocus();
}

void TfrxPrintDialog::CollateLClick(TObject*)
{
  CollateCB->SetChecked(!CollateCB->Checked());
}

void TfrxPrintDialog::CollateCBClick(TObject*)
{
  CopiesPB->Invalidate();
}

void TfrxPrintDialog::CopiesPBPaint(TObject*)
{
  TCanvas* c = CopiesPB->Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(TRect(0, 0, CopiesPB->Width(), CopiesPB->Height()));
  DrawCopiesPicture(c, CollateCB->Checked());
}

void RegisterPrintDialog()
{
  TClassRegistration<TfrxPrintDialog, TForm>("TfrxPrintDialog");
  ReportResources()->Add("TfrxPrintDialog",
                         "Caption=打印\r\n"
                         "Label12.Caption=打印机   \r\n"
                         "TypeL.Caption=类型:\r\n"
                         "WhereL.Caption=位置:\r\n"
                         "PropButton.Caption=属性(&P)\r\n"
                         "FileCB.Caption=打印到文件\r\n"
                         "ReverseCB.Caption=逆页序打印(&V)\r\n"
                         "Label1.Caption=页面   \r\n"
                         "AllRB.Caption=全部(&A)\r\n"
                         "CurPageRB.Caption=当前页(&E)\r\n"
                         "PageNumbersRB.Caption=页数(&G):\r\n"
                         "DescrL.Caption=请键入页码或用逗号分隔的页码范围(例如:1,3,5-12)\r\n"
                         "Label2.Caption=份数(&C)   \r\n"
                         "CopiesL.Caption=打印份数\r\n"
                         "CollateL.Caption=逐份打印(&T)\r\n"
                         "PrintL.Caption=打印\r\n"
                         "OkB.Caption=确定\r\n"
                         "CancelB.Caption=取消\r\n");
  SetPrintDialogFunc(ShowPrintDialog);
}

void UnregisterPrintDialog()
{
  SetPrintDialogFunc(nullptr);
}
