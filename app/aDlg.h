// The program's OK/Cancel/Help dialog (TADlgFrm) and its Close/Help information dialog
// (TAInfoDlgFrm): fixed dialog borders, a line above the buttons at the bottom right.
// Descendants validate in their close query and stay open by refusing to close.
#pragma once

#include "app/a.h"

class TBevel;
class TButton;

class TADlgFrm : public TaFrm {
public:
  explicit TADlgFrm(TComponent* AOwner, TFormBuild Build = fbComplete);

  TBevel* BgBevel1;
  TButton* OkBtn1;     // "确定(&O)": ends with OK
  TButton* CancelBtn1; // "取消": ends with Cancel, also on Esc
  TButton* HelpBtn1;   // "帮助": the window's help page

protected:
  void OkBtn1Click(TObject* Sender);
  void CancelBtn1Click(TObject* Sender);
  void HelpBtn1Click(TObject* Sender);
};
