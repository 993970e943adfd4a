// The parts the program's windows share while they build themselves: the buttons of their
// tool bars. Private to the windows' .cpp files; aDlgPrivate.h holds the dialogs' parts.
#pragma once

#include <type_traits>

#include "platform/ui/ComCtrls.h"

// Adds a button named Name to Bar, owned by Form: a separator 8 pixels wide when Handler is
// null, else a button showing Caption (and the bar's image Image, unless Image is negative)
// that calls Handler on Form when clicked.
template <class F>
TToolButton* AddToolButton(F* Form, TToolBar* Bar, const char* Name, const char* Caption,
                           Integer Image, std::type_identity_t<void (F::*)(TObject*)> Handler)
{
  auto* button = new TToolButton(Form);
  button->SetName(Name);
  button->SetParent(Bar);
  if (!Handler) {
    button->SetStyle(tbsSeparator);
    button->SetWidth(8);
    return button;
  }
  button->SetCaption(Caption);
  if (Image >= 0)
    button->SetImageIndex(Image);
  button->OnClick = TNotifyEvent::Bind(Form, Handler);
  return button;
}
