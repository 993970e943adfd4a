// The parts the two dialog bases share: a button at the bottom right and the line above
// the buttons. Private to aDlg.cpp and aInfoDlg.cpp.
#pragma once

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

inline TButton* DialogButton(TCustomForm* Form, const char* Name, const char* Caption, Integer Left,
                             Integer Top)
{
  TButton* b = new TButton(Form);
  b->SetName(Name);
  b->SetBounds(Left, Top, 75, 25);
  b->SetCaption(Caption);
  b->SetAnchors({akRight, akBottom});
  b->SetParent(Form);
  return b;
}

inline TBevel* BottomLine(TCustomForm* Form, Integer Top)
{
  TBevel* bevel = new TBevel(Form);
  bevel->SetName("BgBevel1");
  bevel->SetShape(bsTopLine);
  bevel->SetBounds(8, Top, Form->ClientWidth() - 16, 2);
  bevel->SetAnchors({akLeft, akRight, akBottom});
  bevel->SetParent(Form);
  return bevel;
}
