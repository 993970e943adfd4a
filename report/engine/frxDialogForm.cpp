// The window of a report dialog page; see frxDialogForm.h.
#include "report/engine/frxDialogForm.h"

#include "platform/rtl/TypInfo.h"
#include "report/engine/frxRes.h"

void RegisterDialogForm()
{
  TClassRegistration<TfrxDialogForm, TForm>("TfrxDialogForm");
}

TfrxDialogForm::TfrxDialogForm(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetCaption(" ");
  SetClientWidth(115);
  SetClientHeight(59);
  SetKeyPreview(true);
  Font()->SetName("Tahoma");
  OnCloseQuery = TCloseQueryEvent::Bind(this, &TfrxDialogForm::FormCloseQuery);
  EndLoading();
  ReportResources()->LocalizeForm(this);
}

void TfrxDialogForm::FormCloseQuery(TObject*, bool& CanClose)
{
  CanClose = false;
}

void TfrxDialogForm::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
    return;
  case WM_EXITSIZEMOVE:
    TForm::Dispatch(Message);
    if (OnModify)
      OnModify(this);
    return;
  default:
    TForm::Dispatch(Message);
  }
}
