// Driving the program's modal windows from test steps as a user does: the window on top,
// its buttons clicked with the mouse, and a modal window ended from a step.
#pragma once

#include <gtest/gtest.h>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/Headless.h"

namespace app_test {

// The active window as a window of class F; null when it is another one.
template <class F> F* ActiveWindow()
{
  return dynamic_cast<F*>(Screen()->ActiveForm());
}

// Clicks a control with the mouse, as a user does.
inline void ClickControl(TWinControl* Control)
{
  Headless().Click(THeadlessBackend::ScreenPoint(Control->Handle(), TPoint(5, 5)));
}

// Ends a modal form from a test step. A step is not input: the waiting loop looks at the
// form's result again only once a message arrives, so one is posted.
inline void EndModal(TCustomForm* Form, TModalResult Result)
{
  Form->SetModalResult(Result);
  PostMessage(Form->Handle(), WM_NULL, 0, 0);
}

} // namespace app_test
