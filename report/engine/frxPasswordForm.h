// The password prompt of a protected report definition (TfrxReportOptions.CheckPassword):
// the typed text is read from PasswordE after OK. Its texts stay English.
#pragma once

#include "platform/ui/Forms.h"

class TButton;
class TEdit;
class TLabel;

class TfrxPasswordForm : public TForm {
public:
  explicit TfrxPasswordForm(TComponent* AOwner);

  TLabel* PasswordL;
  TEdit* PasswordE;
  TButton* OkB;
  TButton* CancelB;
};

// The class record of the form (the frxPasswordForm unit's start-up).
void RegisterPasswordForm();
