// Control-base behaviour not tied to forms: auto-sizing windowed controls, owner-draw
// requests reflected to the control that made them.
#include "platform/ui/StdCtrls.h"
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

TEST_F(ControlAutoSize, ARecreatedFocusedWindowKeepsTheFocus)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 400, 300);
  auto* first = new TEdit(form);
  first->SetParent(form);
  auto* second = new TEdit(form);
  second->SetTop(40);
  second->SetParent(form);
  form->Show();
  second->SetFocus();
  Headless().ProcessMessages();
  ASSERT_TRUE(second->Focused());
  HWND old = second->Handle();
  second->RecreateWnd();
  EXPECT_NE(second->Handle(), old);
  EXPECT_TRUE(second->Focused()) << "the new window has the focus";
  EXPECT_EQ(form->ActiveControl(), second);
  // A window without the focus does not take it.
  first->RecreateWnd();
  EXPECT_TRUE(second->Focused());
  delete form;
}

using OwnerDraw = UiTest;

// A control that answers the owner-draw requests its parent reflects back to it.
class TOwnerDrawn : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  std::vector<UINT> Heard;
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == CN_MEASUREITEM) {
      Heard.push_back(Message.Msg);
      reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam)->itemHeight = 21;
      Message.Result = 1;
      return;
    }
    if (Message.Msg == CN_DRAWITEM) {
      Heard.push_back(Message.Msg);
      Message.Result = 1;
      return;
    }
    TCustomControl::WndProc(Message);
  }
};

TEST_F(OwnerDraw, ParentsReflectMeasureAndDrawRequestsToTheirControl)
{
  TForm* form = new TForm(nullptr);
  auto* list = new TOwnerDrawn(form);
  list->SetParent(form);
  auto* other = new TOwnerDrawn(form);
  other->SetParent(form);
  form->Show();
  HWND h = list->Handle();
  MEASUREITEMSTRUCT mis;
  mis.CtlType = ODT_LISTBOX;
  mis.CtlID = static_cast<UINT>(GetWindowLong(h, GWL_ID));
  mis.itemHeight = 13;
  EXPECT_EQ(SendMessage(form->Handle(), WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis)),
            1);
  EXPECT_EQ(mis.itemHeight, 21u);
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_LISTBOX;
  dis.CtlID = mis.CtlID;
  dis.hwndItem = h;
  EXPECT_EQ(SendMessage(form->Handle(), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis)), 1);
  EXPECT_EQ(list->Heard, (std::vector<UINT>{CN_MEASUREITEM, CN_DRAWITEM}));
  EXPECT_TRUE(other->Heard.empty());
  // A request naming no control of this parent stays with the parent.
  mis.CtlID = static_cast<UINT>(GetWindowLong(form->Handle(), GWL_ID));
  SendMessage(other->Handle(), WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
  EXPECT_TRUE(other->Heard.empty());
  delete form;
}
