// The scroll bar control: its parts pressed and dragged, its notifications through the parent
// and the notification hook, and the window functions' SB_CTL.
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

using ScrollBarControl = UiTest;

TEST_F(ScrollBarControl, PartsScrollAndTheThumbDrags)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(50, 50, 400, 300);
  auto* bar = new TScrollBar(form);
  bar->SetBounds(10, 10, 217, 17);
  bar->SetParent(form);
  bar->SetLargeChange(10);
  bar->SetPageSize(20);
  std::vector<TScrollCode> codes;
  bar->OnScroll = [&](TObject*, TScrollCode code, Integer&) { codes.push_back(code); };
  Integer changes = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  Headless().ProcessMessages();

  Headless().Click(bar->ClientToScreen({210, 8}));
  EXPECT_EQ(bar->Position(), 1) << "the right arrow";
  Headless().Click(bar->ClientToScreen({150, 8}));
  EXPECT_EQ(bar->Position(), 11) << "the page area right of the thumb";
  EXPECT_EQ(codes, (std::vector<TScrollCode>{scLineDown, scEndScroll, scPageDown, scEndScroll}));

  // Held on the arrow it repeats after a pause.
  TPoint arrow = bar->ClientToScreen({210, 8});
  Headless().QueueStep([arrow] {
    Headless().AdvanceAndProcess(400 + 100 * 2);
    Headless().Release(hbLeft, arrow);
  });
  Headless().Press(hbLeft, arrow);
  EXPECT_EQ(bar->Position(), 11 + 1 + 3);

  // The thumb follows the pointer and lands where it is let go; the end is Max less the page.
  codes.clear();
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(bar->Handle(), SB_CTL, si);
  EXPECT_EQ(si.nPos, 15);
  EXPECT_EQ(si.nPage, 20u);
  Integer track = 217 - 2 * 17;
  Integer thumb = track * 20 / 101;
  Integer thumbStart = 17 + (15 * (track - thumb)) / 81;
  TPoint grab = bar->ClientToScreen({thumbStart + thumb / 2, 8});
  Headless().Drag(grab, {grab.X + 400, grab.Y});
  EXPECT_EQ(bar->Position(), 81) << "100 - 20 + 1";
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes.front(), scTrack);
  EXPECT_EQ(codes[codes.size() - 2], scPosition);
  EXPECT_EQ(codes.back(), scEndScroll);
  EXPECT_GT(changes, 3);
  EXPECT_THROW(bar->SetMax(-1), EInvalidOperation);
  delete form;
}

TEST_F(ScrollBarControl, NotificationHookAndSbCtl)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(50, 50, 400, 300);
  auto* bar = new TScrollBar(form);
  bar->SetKind(sbVertical);
  bar->SetBounds(10, 10, 17, 200);
  bar->SetParent(form);
  form->Show();
  Headless().ProcessMessages();
  EXPECT_FALSE(bar->HasNotificationHook());
  std::vector<UINT> heard;
  bar->SetNotificationHook([&](TMessage& m) { heard.push_back(m.Msg); });
  EXPECT_TRUE(bar->HasNotificationHook()) << "an attached listener shows";
  Headless().Click(bar->ClientToScreen({8, 195}));
  EXPECT_EQ(heard, (std::vector<UINT>{CN_VSCROLL, CN_VSCROLL}));
  EXPECT_EQ(bar->Position(), 1) << "the bar's own handling still runs";

  // SB_CTL reaches the control: a grid sets an external bar so.
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 49;
  si.nPage = 10;
  si.nPos = 45;
  EXPECT_EQ(SetScrollInfo(bar->Handle(), SB_CTL, si, true), 40) << "kept within max less page";
  EXPECT_EQ(bar->Max(), 49);
  EXPECT_EQ(GetScrollPos(bar->Handle(), SB_CTL), 40);
  SetScrollPos(bar->Handle(), SB_CTL, 3, true);
  EXPECT_EQ(bar->Position(), 3);
  bar->SetFocus();
  Headless().Key(VK_END);
  EXPECT_EQ(bar->Position(), 40);
  delete form;
}
