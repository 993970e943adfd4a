// Fixture of the foundation's window tests: a form on the headless screen, the scroll-bar
// metrics of the tests (17 pixels) and clean-up of what a test leaves. The headless backend
// is not reset between these tests: that would destroy the hidden windows the suite's units
// keep for the life of the program (theme receiver, colour listener).
#pragma once

#include <gtest/gtest.h>

#include "controls/cx/base/cxControls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Windows.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/support/ControlsGallery.h"

class cxUiTest : public testing::Test {
protected:
  TForm* Form = nullptr;

  void SetUp() override
  {
    Headless().SetTimeBudget(1000000);
    for (Integer m : {SM_CXVSCROLL, SM_CYHSCROLL, SM_CXHTHUMB, SM_CYVTHUMB})
      SetSystemMetrics(m, 17);
    Headless().ProcessMessages();
    Headless().Move({1000, 740});
    Form = new TForm(nullptr);
    Form->SetBounds(40, 40, 500, 400);
    Form->Show();
    Headless().ProcessMessages();
  }
  void TearDown() override
  {
    if (GetCapture())
      ReleaseCapture();
    while (Screen()->FormCount() > 0)
      delete Screen()->Forms(Screen()->FormCount() - 1);
    ResetSystemMetrics();
    Headless().ProcessMessages();
    EXPECT_EQ(MouseTrackingCount(), 0) << "a tracker was left running";
  }
  static TPoint At(TControl* c, Integer x, Integer y) { return c->ClientToScreen({x, y}); }
  // A new control of class T owned by and placed on the form.
  template <class T> T* Place(Integer x, Integer y, Integer w, Integer h)
  {
    return gallery::Put<T>(Form, x, y, w, h);
  }
};
