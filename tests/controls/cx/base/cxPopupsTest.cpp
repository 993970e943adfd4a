#include "controls/cx/base/cxPopups.h"

#include <gtest/gtest.h>

#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "tests/controls/cx/base/cxUiTestKit.h"

namespace {

struct TPopupFixture : cxUiTest {
  void SetUp() override
  {
    cxUiTest::SetUp();
    SetWorkArea(Rect(0, 0, 1024, 738));
  }
  void TearDown() override
  {
    while (cxOpenedPopupCount() > 0)
      cxOpenedPopup(0)->ClosePopup(false);
    SetWorkArea(TRect{});
    cxUiTest::TearDown();
  }
  // A popup of the given size anchored at a screen rectangle (the form's client origin is
  // taken out).
  TcxPopupWindow* Placed(Integer w, Integer h, const TRect& screenAnchor)
  {
    auto* p = new TcxPopupWindow(Form);
    p->SetBounds(0, 0, w, h);
    const TPoint o = Form->ClientToScreen({0, 0});
    p->AnchorParent = Form;
    p->AnchorBounds = cxRectOffset(screenAnchor, -o.X, -o.Y);
    return p;
  }
  // A popup of the given size owned by AOwner that leaves the focus where it is; anchored at
  // Anchor in the owner unless Anchor is empty.
  static TcxCustomPopupWindow* NoFocusPopup(TWinControl* AOwner, Integer w, Integer h,
                                            const TRect& Anchor = TRect{})
  {
    auto* p = new TcxCustomPopupWindow(AOwner);
    p->SetTakesFocus(false);
    p->SetBounds(0, 0, w, h);
    if (!IsRectEmpty(Anchor)) {
      p->AnchorParent = AOwner;
      p->AnchorBounds = Anchor;
    }
    return p;
  }
};

// A button-like container control that counts the clicks reaching it.
class TOwnerControl : public TcxContainer {
public:
  using TcxContainer::TcxContainer;
  Integer Presses = 0;
  std::vector<WPARAM> SysKeys;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override
  {
    ++Presses;
    TcxContainer::MouseDown(Button, Shift, X, Y);
  }
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == WM_SYSKEYDOWN)
      SysKeys.push_back(Message.WParam);
    TcxContainer::WndProc(Message);
  }
};

} // namespace

using cxPopupTest = TPopupFixture;

TEST_F(cxPopupTest, PlacementFlipsAndClampsByTheTable)
{
  struct Case {
    const char* Name;
    TRect WorkArea;
    Integer Width, Height;
    TRect Owner;
    TPoint Expected;
  } cases[] = {
      {"flips above", Rect(0, 0, 1024, 738), 250, 200, Rect(100, 617, 300, 638), {100, 417}},
      {"stays below", Rect(0, 0, 1024, 300), 250, 200, Rect(100, 120, 300, 141), {100, 141}},
      {"shifted left", Rect(0, 0, 1024, 738), 300, 200, Rect(900, 100, 1000, 121), {724, 121}},
      {"wider than the area",
       Rect(0, 0, 1024, 738),
       1100,
       200,
       Rect(900, 100, 1000, 121),
       {0, 121}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SetWorkArea(c.WorkArea);
    TcxPopupWindow* p = Placed(c.Width, c.Height, c.Owner);
    TPoint at;
    p->CalculatePlacement(at);
    EXPECT_EQ(at, c.Expected);
    delete p;
  }
  // Sideways: to the right, flipping left when there is more room there; the direction
  // axis is not clamped.
  TcxPopupWindow* side = Placed(200, 100, Rect(900, 300, 950, 320));
  side->Direction = podHorizontal;
  side->AlignHorz = phaRight;
  side->AlignVert = pvaTop;
  TPoint at;
  side->CalculatePlacement(at);
  EXPECT_EQ(at, (TPoint{700, 300}));
}

TEST_F(cxPopupTest, FitToChildrenAndBorderExtents)
{
  auto* p = new TcxPopupWindow(Form);
  p->SetPopupBorderStyle(pfsDoubleRaised);
  p->InnerSpacing = 1;
  auto* child = new TPanel(p);
  child->SetParent(p);
  child->SetBounds(0, 0, 80, 40);
  p->FitToChildren();
  EXPECT_EQ(child->Left(), 3);
  EXPECT_EQ(p->Width(), 3 + 80 + 3);
  EXPECT_EQ(p->Height(), 3 + 40 + 3);
  EXPECT_EQ(p->HorzNonClientWidth(), 6);
  p->SetPopupBorderStyle(pfsSingle);
  EXPECT_EQ(child->Left(), 0) << "the shift is undone";
}

TEST_F(cxPopupTest, OutsideClicksCloseThroughTheHookAndOwnerClicksPass)
{
  auto* owner = Place<TOwnerControl>(10, 10, 150, 21);
  auto* other = Place<TEdit>(10, 100, 100, 21);
  Headless().ProcessMessages();
  auto* popup = NoFocusPopup(owner, 150, 80, Rect(130, 0, 150, 21)); // the drop-down button
  Integer closed = 0;
  popup->OnClosed = [&](TObject*) { ++closed; };
  popup->ShowPopup(owner);
  ASSERT_TRUE(popup->IsOpened());
  EXPECT_TRUE(IsWindowVisible(popup->Handle()));
  EXPECT_NE(GetActiveWindow(), popup->Handle()) << "a non-focus popup never activates";
  // A click inside the popup closes nothing.
  Headless().Click(At(popup, 20, 20));
  EXPECT_TRUE(popup->IsOpened());
  // A click elsewhere closes it.
  Headless().Click(At(other, 10, 10));
  EXPECT_FALSE(popup->IsOpened());
  EXPECT_EQ(closed, 1);
  // A click on the owner's button closes it, and the owner still gets the click.
  popup->ShowPopup(owner);
  const Integer presses = owner->Presses;
  Headless().Click(At(owner, 140, 10));
  EXPECT_FALSE(popup->IsOpened());
  EXPECT_EQ(owner->Presses, presses + 1);
}

TEST_F(cxPopupTest, AClickOnAnOwnerThatGoesAwayWithThePopupIsSwallowed)
{
  auto* owner = Place<TOwnerControl>(10, 10, 150, 21);
  auto* under = Place<TOwnerControl>(10, 10, 150, 21);
  owner->BringToFront();
  Headless().ProcessMessages();
  auto* popup = NoFocusPopup(owner, 150, 80, Rect(130, 0, 150, 21));
  // An in-place editor hides itself when its drop-down closes.
  popup->OnClosed = [owner](TObject*) { owner->Hide(); };
  popup->ShowPopup(owner);
  const Integer ownerPresses = owner->Presses;
  Headless().Click(At(owner, 140, 10));
  EXPECT_FALSE(popup->IsOpened());
  EXPECT_EQ(owner->Presses, ownerPresses);
  EXPECT_EQ(under->Presses, 0) << "the click is discarded, not passed to what lies below";
}

TEST_F(cxPopupTest, NestedPopupsSysKeysAndHidingTheOwner)
{
  auto* owner = Place<TOwnerControl>(10, 10, 150, 21);
  Headless().ProcessMessages();
  auto* p = NoFocusPopup(owner, 200, 120, Rect(0, 0, 150, 21));
  auto* inner = new TOwnerControl(p);
  inner->SetParent(p);
  inner->SetBounds(5, 5, 100, 21);
  p->ShowPopup(owner);
  auto* p2 = NoFocusPopup(inner, 100, 60, Rect(0, 0, 100, 21));
  p2->ShowPopup(owner); // the focus stays with the editor on the form
  ASSERT_EQ(cxOpenedPopupCount(), 2);
  Headless().Click(At(p2, 10, 10));
  EXPECT_EQ(cxOpenedPopupCount(), 2) << "a click in the nested popup closes nothing";
  // Alt+Down passes to the focused control, Alt+S becomes WM_NULL.
  owner->SetFocus();
  ASSERT_EQ(cxOpenedPopupCount(), 2) << "focusing the owner closes nothing";
  owner->SysKeys.clear();
  Headless().Key(VK_DOWN, false, false, true);
  Headless().Key('S', false, false, true);
  EXPECT_EQ(owner->SysKeys, std::vector<WPARAM>{VK_DOWN});
  // Hiding the owner closes both, the nested one first.
  std::vector<TObject*> order;
  p->OnClosed = [&](TObject* s) { order.push_back(s); };
  p2->OnClosed = [&](TObject* s) { order.push_back(s); };
  owner->Hide();
  EXPECT_EQ(cxOpenedPopupCount(), 0);
  EXPECT_EQ(order, (std::vector<TObject*>{p2, p}));
}

TEST_F(cxPopupTest, LeavingTheApplicationClosesPopups)
{
  auto* owner = Place<TOwnerControl>(10, 10, 150, 21);
  Headless().ProcessMessages();
  auto* p = NoFocusPopup(owner, 100, 60);
  p->ShowPopup(owner);
  Headless().ActivateOtherApplication();
  EXPECT_FALSE(p->IsOpened());
  Headless().ActivateOtherApplication(true);
}

TEST_F(cxPopupTest, FocusTakingPopupRunsItsLoopUntilHidden)
{
  auto* owner = Place<TOwnerControl>(10, 10, 150, 21);
  Headless().ProcessMessages();
  auto* p = new TcxCustomPopupWindow(owner);
  p->SetBounds(0, 0, 200, 100);
  auto* disabled = new TEdit(p);
  disabled->SetParent(p);
  disabled->SetBounds(10, 10, 80, 21);
  disabled->SetEnabled(false);
  auto* first = new TEdit(p);
  first->SetParent(p);
  first->SetBounds(10, 40, 80, 21);
  bool refuse = true;
  p->OnCloseQuery = [&](TObject*, bool& can) { can = !refuse; };
  HWND focusedInLoop = 0;
  Headless().QueueStep([&] {
    focusedInLoop = GetFocus();
    p->SetModalResult(mrOk); // refused by the close query
    PostMessage(p->Handle(), WM_NULL, 0, 0);
  });
  Headless().QueueStep([&] {
    EXPECT_TRUE(p->IsOpened()) << "the close query refused";
    EXPECT_EQ(p->ModalResult(), 0);
    PostPopupCloseRequest(p); // closes without asking
  });
  p->ShowPopup(disabled);
  EXPECT_EQ(focusedInLoop, first->Handle()) << "the first tab-stop control";
  EXPECT_FALSE(p->IsOpened());
  EXPECT_FALSE(p->Visible());
  EXPECT_EQ(GetFocus(), owner->Handle()) << "the owner gets the focus back";
}

TEST_F(cxPopupTest, ClosingTheOwnerFormClosesItsPopup)
{
  auto* owner = Place<TOwnerControl>(10, 10, 150, 21);
  Headless().ProcessMessages();
  auto* p = NoFocusPopup(owner, 100, 60);
  p->ShowPopup(owner);
  Form->OnCloseQuery = [](TObject*, bool& can) { can = false; }; // the form itself stays
  SendMessage(Form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(p->IsOpened());
  EXPECT_TRUE(Form->Visible());
  Form->OnCloseQuery = nullptr;
}
