// The parts the program's dialogs share: a button at the bottom right, the line above the
// buttons, and a caption with the field beside it. Private to the dialogs' .cpp files.
#pragma once

#include "app/Uis.h"
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

// A label at (Left, Top) with a control Width wide beside it, 70 pixels to the right.
template <class C>
inline C* CaptionedControl(TWinControl* Parent, TComponent* Owner, const char* Name,
                           const char* Caption, Integer Left, Integer Top, Integer Width,
                           Integer Height = 21)
{
  auto* label = new TLabel(Owner);
  label->SetBounds(Left, Top + 4, 66, 12);
  label->SetCaption(Caption);
  label->SetParent(Parent);
  C* control = new C(Owner);
  control->SetName(Name);
  control->SetBounds(Left + 70, Top, Width, Height);
  control->SetParent(Parent);
  label->SetFocusControl(control);
  return control;
}

inline app::TEdit* CaptionedEdit(TWinControl* Parent, const char* Name, const char* Caption,
                                 Integer Left, Integer Top, Integer Width)
{
  return CaptionedControl<app::TEdit>(Parent, Parent, Name, Caption, Left, Top, Width);
}
