// The find dialog of the preview (and the designer): the text to find, case sensitivity and
// search from the top. The text of the last search confirmed with OK is remembered for the
// whole run of the program and offered, selected, the next time the dialog opens.
#pragma once

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TfrxSearchDialog : public TForm {
public:
  explicit TfrxSearchDialog(TComponent* AOwner);

  TLabel* TextL;
  TEdit* TextE;
  // The replace row the designer shows; hidden unless a caller shows it.
  TPanel* ReplacePanel;
  TLabel* ReplaceL;
  TEdit* ReplaceE;
  TGroupBox* SearchL;
  TCheckBox* CaseCB;
  TCheckBox* TopCB;
  TButton* OkB;
  TButton* CancelB;

protected:
  void DoShow() override;
  void DoHide() override;
};

// The remembered text ("" at start).
AnsiString& LastSearchText();

void RegisterSearchDialog();
