// The window of a report dialog page: an empty form that refuses closing by itself (the
// dialog page installs its own handlers while a build shows it), takes arrow keys and Tab,
// and tells when the user finished moving or sizing it.
#pragma once

#include "platform/ui/Forms.h"

class TfrxDialogForm : public TForm {
public:
  explicit TfrxDialogForm(TComponent* AOwner);

  // Raised with the window as sender after a move or a resize by the user.
  TNotifyEvent OnModify;

protected:
  void Dispatch(TMessage& Message) override;

private:
  void FormCloseQuery(TObject* Sender, bool& CanClose);
};

// The class record of the window (the frxDialogForm unit's start-up).
void RegisterDialogForm();
