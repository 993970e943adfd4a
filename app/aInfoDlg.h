// The program's Close/Help information dialog; see aDlg.h for the OK/Cancel one.
#pragma once

#include "app/a.h"

class TBevel;
class TButton;

class TAInfoDlgFrm : public TaFrm {
public:
  explicit TAInfoDlgFrm(TComponent* AOwner, TFormBuild Build = fbComplete);

  TBevel* BgBevel1;
  TButton* CloseBtn1; // "关闭": closes (Cancel), also on Esc
  TButton* HelpBtn1;  // "帮助": the window's help page

protected:
  void CloseBtn1Click(TObject* Sender);
  void HelpBtn1Click(TObject* Sender);
};
