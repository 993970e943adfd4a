// Control-base behaviour not tied to forms: auto-sizing windowed controls.
#include "tests/platform/ui/UiTestKit.h"

using ControlAutoSize = UiTest;

TEST_F(ControlAutoSize, WindowedControlFollowsItsChildren)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 400, 300);
  auto* box = new TCustomControl(form);
  box->SetBounds(10, 10, 200, 200);
  box->SetBorderWidth(2);
  box->SetParent(form);
  auto* child = new TCustomControl(form);
  child->SetBounds(10, 5, 50, 20);
  child->SetParent(box);
  auto* filler = new TCustomControl(form);
  filler->SetAlign(alClient);
  filler->SetParent(box);
  form->Show();

  box->SetAutoSize(true);
  EXPECT_EQ(box->ClientWidth(), 60);
  EXPECT_EQ(box->ClientHeight(), 25);
  EXPECT_EQ(box->Width(), 64) << "the border stays outside the fitted client area";

  child->SetBounds(10, 5, 120, 40);
  EXPECT_EQ(box->ClientWidth(), 130);
  EXPECT_EQ(box->ClientHeight(), 45);
  child->SetVisible(false);
  EXPECT_EQ(box->ClientWidth(), 130) << "nothing left to fit: the size stays";
  delete form;
}
