// The find dialog (frxSearchDialog.h).
#include "report/output/frxSearchDialog.h"

#include "platform/rtl/TypInfo.h"
#include "report/engine/frxRes.h"
#include "report/output/frxFormsPrivate.h"

using frxforms::Place;

AnsiString& LastSearchText()
{
  static AnsiString text;
  return text;
}

TfrxSearchDialog::TfrxSearchDialog(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetName("frxSearchDialog");
  SetCaption("Find text");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  HandleNeeded();
  SetClientWidth(252);
  SetClientHeight(206);
  TextL = Place<TLabel>(this, this, "TextL", 8, 8, 236, 13, "Text to find");
  TextE = Place<TEdit>(this, this, "TextE", 8, 24, 236, 21);
  ReplacePanel = Place<TPanel>(this, this, "ReplacePanel", 0, 48, 252, 44);
  ReplacePanel->SetBevelOuter(bvNone);
  ReplacePanel->SetCaption("");
  ReplacePanel->SetVisible(false);
  ReplaceL = Place<TLabel>(ReplacePanel, this, "ReplaceL", 8, 0, 236, 13, "Replace with");
  ReplaceE = Place<TEdit>(ReplacePanel, this, "ReplaceE", 8, 16, 236, 21);
  SearchL = Place<TGroupBox>(this, this, "SearchL", 8, 96, 236, 69, "Search options");
  CaseCB = Place<TCheckBox>(SearchL, this, "CaseCB", 12, 20, 212, 17, "Case sensitive");
  TopCB = Place<TCheckBox>(SearchL, this, "TopCB", 12, 42, 212, 17, "Search from top");
  OkB = Place<TButton>(this, this, "OkB", 88, 174, 75, 25, "OK");
  OkB->SetDefault(true);
  OkB->SetModalResult(mrOk);
  CancelB = Place<TButton>(this, this, "CancelB", 169, 174, 75, 25, "Cancel");
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
  EndLoading();
  ReportResources()->LocalizeForm(this);
}

void TfrxSearchDialog::DoShow()
{
  TextE->SetText(LastSearchText());
  TForm::DoShow();
  if (TextE->CanFocus())
    TextE->SetFocus();
  TextE->SelectAll();
}

void TfrxSearchDialog::DoHide()
{
  TForm::DoHide();
  if (ModalResult() == mrOk)
    LastSearchText() = TextE->Text();
}

void RegisterSearchDialog()
{
  TClassRegistration<TfrxSearchDialog, TForm>("TfrxSearchDialog");
  ReportResources()->Add("TfrxSearchDialog", "Caption=查找文本\r\n"
                                             "TextL.Caption=欲查找的文本:\r\n"
                                             "ReplaceL.Caption=替换为:\r\n"
                                             "SearchL.Caption=选项   \r\n"
                                             "CaseCB.Caption=区分大小写\r\n"
                                             "TopCB.Caption=从头开始查找\r\n"
                                             "OkB.Caption=确定\r\n"
                                             "CancelB.Caption=取消\r\n");
}
