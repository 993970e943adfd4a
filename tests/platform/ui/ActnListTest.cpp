// Actions: linked controls follow them, clicks and shortcuts run them, disabled ones do not.
#include "platform/ui/ActnList.h"

#include "tests/platform/ui/UiTestKit.h"

using Actions = UiTest;

TEST_F(Actions, LinkedControlsFollowAndRunTheAction)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 300, 200);
  auto* list = new TActionList(form);
  auto* print = new TAction(form);
  print->SetActionList(list);
  print->SetCaption("打印(&P)");
  print->SetShortCut(ShortCut('P', {ssCtrl}));
  std::vector<TObject*> senders;
  std::vector<TComponent*> triggers;
  print->OnExecute = [&](TObject* sender) {
    senders.push_back(sender);
    triggers.push_back(print->ActionComponent());
  };
  auto* button = new TCustomControl(form);
  button->SetBounds(10, 10, 80, 25);
  button->SetParent(form);
  button->SetTabStop(true);
  button->SetAction(print);
  EXPECT_EQ(button->Caption(), "打印(&P)");
  print->SetEnabled(false);
  EXPECT_FALSE(button->Enabled()) << "the control follows the action";
  print->SetEnabled(true);
  EXPECT_TRUE(button->Enabled());
  form->Show();
  Headless().ProcessMessages();

  Headless().Click(button->ClientToScreen({5, 5}));
  ASSERT_EQ(senders.size(), 1u);
  EXPECT_EQ(senders[0], print) << "the action is the sender";
  EXPECT_EQ(triggers[0], button) << "the control is the trigger";

  // The shortcut runs it from the focused control; a disabled action leaves the key alone.
  button->SetFocus();
  Word seenKey = 0;
  button->OnKeyDown = [&](TObject*, Word& key, TShiftState) { seenKey = key; };
  Headless().Key('P', false, true);
  EXPECT_EQ(senders.size(), 2u);
  EXPECT_NE(seenKey, Word('P')) << "the shortcut took the key";
  int updates = 0;
  print->OnUpdate = [&](TObject*) {
    ++updates;
    print->SetEnabled(false);
  };
  Headless().Key('P', false, true);
  EXPECT_EQ(senders.size(), 2u) << "disabled by its update";
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(seenKey, Word('P')) << "the key went on to the control";

  // An action that goes away leaves its clients.
  delete print;
  EXPECT_EQ(button->Action(), nullptr);
  EXPECT_EQ(list->ActionCount(), 0);
  delete form;
}
