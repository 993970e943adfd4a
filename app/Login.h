// The login dialog "登陆": the operator's id (the known ids to pick from, "sa" not among
// them) and password. OK closes only when the password is right; the operator then
// becomes the current operator and the id is remembered for the next start.
#pragma once

#include <memory>

#include "app/Uis.h"
#include "app/aDlg.h"

class TImage;
class TLabel;
class TOperator;
class TPanel;

class TLoginFrm : public TADlgFrm {
public:
  explicit TLoginFrm(TComponent* AOwner);
  ~TLoginFrm() override;

  // Only when closing with OK: the password of the id typed must be right; otherwise the
  // password field takes the focus with its text selected and the dialog stays.
  bool CloseQuery() override;

  TPanel* Panel1;
  TImage* Image1;
  TImage* Image2;
  TLabel* Label3;
  TLabel* Label1;
  TLabel* Label2;
  app::TComboBox* edtLoginId1;
  app::TEdit* edtPassword1;

private:
  void edtPassword1KeyPress(TObject* Sender, char& Key);

  std::unique_ptr<TOperator> FOperator;
};

// Shows the login dialog modally; true when it closed with OK.
bool ShowLoginDialog();
