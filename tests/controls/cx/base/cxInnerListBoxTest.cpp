#include "controls/cx/base/cxInnerListBox.h"

#include <gtest/gtest.h>

#include "platform/rtl/NumFormat.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/StdCtrls.h"
#include "tests/controls/cx/base/cxUiTestKit.h"

namespace {

// A container whose inner control is a list box, as the list editors make it.
class TListContainer : public TcxContainer {
public:
  explicit TListContainer(TComponent* AOwner) : TcxContainer(AOwner)
  {
    List = new TcxCustomInnerListBox(this);
    List->SetContainer(this);
    List->SetParent(this);
    SetInnerControl(List);
  }
  TcxCustomInnerListBox* List;
  Integer Drags = 0;

protected:
  void DoStartDrag(TDragObject*& DragObject) override
  {
    ++Drags;
    TcxContainer::DoStartDrag(DragObject);
  }
};

} // namespace

using cxInnerListBoxTest = cxUiTest;

TEST_F(cxInnerListBoxTest, LookAndFeelBarMirrorsTheNativeOne)
{
  auto* c = Place<TListContainer>(10, 10, 150, 100);
  c->UpdateLook();
  Headless().ProcessMessages();
  TcxCustomInnerListBox* list = c->List;
  EXPECT_FALSE(list->VScrollBar()->Visible());
  for (Integer i = 0; i < 30; ++i)
    list->Items()->Add("运单 " + IntToStr(i));
  Headless().ProcessMessages();
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(list->Handle(), SB_VERT, si));
  TcxScrollBar* bar = list->VScrollBar();
  ASSERT_TRUE(bar->Visible()) << "the native bar appeared";
  EXPECT_EQ(bar->Parent(), c) << "on the list box's parent";
  EXPECT_EQ(bar->Min(), si.nMin);
  EXPECT_EQ(bar->Max(), si.nMax);
  EXPECT_EQ(bar->PageSize(), static_cast<Integer>(si.nPage));
  SCROLLBARINFO info;
  ASSERT_TRUE(GetScrollBarInfo(list->Handle(), OBJID_VSCROLL, info));
  EXPECT_EQ(bar->ClientToScreen({0, 0}), (TPoint{info.rcScrollBar.Left, info.rcScrollBar.Top}))
      << "over the native bar";
  // Scrolling the list moves the painted bar; scrolling the painted bar moves the list.
  list->SetTopIndex(5);
  Headless().ProcessMessages();
  EXPECT_EQ(bar->Position(), 5);
  Headless().Click(At(bar, 5, bar->Height() - 5));
  EXPECT_EQ(list->TopIndex(), 6);
  EXPECT_EQ(bar->Position(), 6);
}

TEST_F(cxInnerListBoxTest, TabNeverReachesTheListAndMovesOn)
{
  auto* c = Place<TListContainer>(10, 10, 150, 100);
  auto* next = Place<TEdit>(10, 120, 100, 21);
  c->UpdateLook();
  Headless().ProcessMessages();
  c->List->Items()->Add("a");
  c->SetFocus();
  ASSERT_EQ(GetFocus(), c->List->Handle());
  EXPECT_TRUE(SendMessage(c->List->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  Headless().Key(VK_TAB);
  EXPECT_EQ(GetFocus(), next->Handle());
}

TEST_F(cxInnerListBoxTest, PressOnASelectedItemDragsTheContainerAndKeepsTheSelection)
{
  auto* c = Place<TListContainer>(10, 10, 150, 100);
  c->UpdateLook();
  Headless().ProcessMessages();
  TcxCustomInnerListBox* list = c->List;
  list->SetMultiSelect(true);
  for (const char* s : {"一", "二", "三"})
    list->Items()->Add(s);
  list->SetSelected(0, true);
  list->SetSelected(1, true);
  c->SetDragMode(dmAutomatic);
  const TRect item = list->ItemRect(1);
  const TPoint on = At(list, 10, item.Top + 2);
  // The press starts the container's drag (a modal loop): move away and let go inside it.
  Headless().QueueStep([on] {
    Headless().Move({on.X + 40, on.Y + 40});
    Headless().Release(hbLeft, {on.X + 40, on.Y + 40});
  });
  Headless().Press(hbLeft, on);
  EXPECT_EQ(c->Drags, 1);
  EXPECT_TRUE(list->Selected(0)) << "the selection stays";
  EXPECT_TRUE(list->Selected(1));
}
