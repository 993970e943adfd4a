#include "controls/cx/base/cxScrollBar.h"

#include <gtest/gtest.h>

#include "platform/ui/ExtCtrls.h"
#include "tests/controls/cx/base/cxUiTestKit.h"

namespace {

struct TBarFixture : cxUiTest {
  TcxScrollBar* Bar = nullptr;
  std::vector<TScrollCode> Codes;
  Integer Changes = 0;
  void MakeBar(Integer width, Integer min, Integer max, Integer page)
  {
    Bar = Place<TcxScrollBar>(10, 10, width, 17);
    Bar->SetScrollParams(min, max, min, page);
    Bar->OnScroll = [this](TObject*, TScrollCode c, Integer&) { Codes.push_back(c); };
    Bar->OnChange = [this](TObject*) { ++Changes; };
    Headless().ProcessMessages();
  }
  TRect Thumb() const { return Bar->PartBounds(sbpThumbnail); }
};

} // namespace

using cxScrollBarTest = TBarFixture;

TEST_F(cxScrollBarTest, ThumbGeometryByTheTable)
{
  struct Case {
    const char* Name;
    Integer Width, Min, Max, Page, Position;
    TRect Thumb;
  } cases[] = {
      {"page 10 at 0", 234, 0, 99, 10, 0, Rect(17, 0, 37, 17)},
      {"page 10 at 45", 234, 0, 99, 10, 45, Rect(107, 0, 127, 17)},
      {"page 10 at 90", 234, 0, 99, 10, 90, Rect(197, 0, 217, 17)},
      {"no page at 50", 121, 0, 100, 0, 50, Rect(52, 0, 69, 17)},
      {"too narrow", 20, 0, 100, 0, 0, TRect{}},
      // A page as large as the range: the thumb fills the track from the first arrow.
      {"page fills the range", 234, 1, 100, 100, 50, Rect(17, 0, 217, 17)},
  };
  MakeBar(100, 0, 100, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Bar->SetBounds(10, 10, c.Width, 17);
    Bar->SetScrollParams(c.Min, c.Max, c.Position, c.Page);
    EXPECT_EQ(Thumb(), c.Thumb);
  }
  Bar->SetBounds(10, 10, 20, 17);
  EXPECT_EQ(Bar->PartBounds(sbpLineUp), Rect(0, 0, 10, 17)) << "half the bar each";
  EXPECT_EQ(Bar->PartBounds(sbpLineDown), Rect(10, 0, 20, 17));
}

TEST_F(cxScrollBarTest, ParamsAreCheckedAndPositionEnables)
{
  MakeBar(234, 0, 99, 10);
  EXPECT_THROW(Bar->SetScrollParams(10, 5, 0, 0), EInvalidOperation);
  try {
    Bar->SetScrollParams(0, 5, 0, 10);
  } catch (EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Scrollbar property out of range");
  }
  EXPECT_EQ(Bar->Max(), 99) << "nothing changed";
  Bar->SetPosition(500);
  EXPECT_EQ(Bar->Position(), 99) << "clamped";
  Bar->SetEnabled(false);
  EXPECT_EQ(Thumb(), TRect{}) << "a disabled bar has no thumb";
  Bar->SetPosition(3);
  EXPECT_TRUE(Bar->Enabled());
  EXPECT_EQ(Changes, 2);
}

TEST_F(cxScrollBarTest, ArrowAndPageClicksStepAndEndTheScroll)
{
  MakeBar(234, 0, 99, 10);
  Bar->SetLargeChange(10);
  Headless().Click(At(Bar, 225, 8));
  EXPECT_EQ(Bar->Position(), 1);
  Headless().Click(At(Bar, 150, 8));
  EXPECT_EQ(Bar->Position(), 11);
  Headless().Click(At(Bar, 5, 8));
  EXPECT_EQ(Bar->Position(), 10);
  EXPECT_EQ(Codes, (std::vector<TScrollCode>{scLineDown, scEndScroll, scPageDown, scEndScroll,
                                             scLineUp, scEndScroll}));
  EXPECT_EQ(Bar->PressedPart(), sbpNone);
}

TEST_F(cxScrollBarTest, HeldArrowRepeatsAfter400ThenEvery60AndPausesOffThePart)
{
  MakeBar(234, 0, 99, 10);
  const TPoint arrow = At(Bar, 225, 8);
  const TPoint off = At(Bar, 120, 8);
  std::vector<Integer> seen;
  Headless().Press(hbLeft, arrow);
  seen.push_back(Bar->Position()); // 1: at once
  Headless().AdvanceAndProcess(399);
  seen.push_back(Bar->Position()); // still 1
  Headless().AdvanceAndProcess(1);
  seen.push_back(Bar->Position()); // 2 at 400 ms
  Headless().AdvanceAndProcess(120);
  seen.push_back(Bar->Position()); // 4: every 60 ms
  Headless().Move(off);
  Headless().AdvanceAndProcess(300);
  seen.push_back(Bar->Position()); // paused
  Headless().Move(arrow);
  Headless().AdvanceAndProcess(60);
  seen.push_back(Bar->Position()); // resumed
  Headless().Release(hbLeft, arrow);
  Headless().AdvanceAndProcess(300);
  seen.push_back(Bar->Position()); // stopped
  EXPECT_EQ(seen, (std::vector<Integer>{1, 1, 2, 4, 4, 5, 5}));
  EXPECT_FALSE(Bar->RepeatTimer()->Enabled());
}

TEST_F(cxScrollBarTest, ThumbDragTracksSnapsBackAndLandsOnTheLastPosition)
{
  MakeBar(234, 0, 99, 10);
  const TPoint grab = At(Bar, 27, 8);
  Headless().Press(hbLeft, grab);
  Headless().Move({grab.X + 90, grab.Y});
  EXPECT_EQ(Thumb().Left, 107);
  EXPECT_EQ(Bar->Position(), 45);
  EXPECT_EQ(Codes.back(), scTrack);
  // 140 pixels below the bar: outside the tracking zone, back where it was pressed; 130
  // below still tracks.
  Headless().Move({grab.X + 90, grab.Y + 9 + 130});
  EXPECT_EQ(Bar->Position(), 45);
  Headless().Move({grab.X + 90, grab.Y + 9 + 140});
  EXPECT_EQ(Bar->Position(), 0);
  Headless().Move({grab.X + 230, grab.Y});
  EXPECT_EQ(Thumb().Left, 197) << "stops at the second arrow";
  EXPECT_EQ(Bar->Position(), 90);
  Codes.clear();
  Headless().Release(hbLeft, {grab.X + 230, grab.Y});
  EXPECT_EQ(Bar->Position(), 90);
  EXPECT_EQ(Codes, (std::vector<TScrollCode>{scPosition, scEndScroll}));
  // With unlimited tracking the thumb keeps following far away.
  Bar->SetUnlimitedTracking(true);
  const TPoint grab2 = At(Bar, 207, 8);
  Headless().Press(hbLeft, grab2);
  Headless().Move({grab2.X - 90, grab2.Y + 300});
  EXPECT_EQ(Bar->Position(), 45);
  Headless().Release(hbLeft, {grab2.X - 90, grab2.Y + 300});
}

TEST_F(cxScrollBarTest, OnScrollMayRedirectTheTrackPosition)
{
  MakeBar(234, 0, 99, 10);
  Bar->OnScroll = [](TObject*, TScrollCode code, Integer& pos) {
    if (code == scTrack)
      pos = 1000; // clamped to 99
  };
  const TPoint grab = At(Bar, 27, 8);
  Headless().Press(hbLeft, grab);
  Headless().Move({grab.X + 30, grab.Y});
  EXPECT_EQ(Bar->Position(), 99);
  Headless().Release(hbLeft, {grab.X + 30, grab.Y});
}

TEST_F(cxScrollBarTest, CancelModeAndDisablingEndTracking)
{
  MakeBar(234, 0, 99, 10);
  Headless().Press(hbLeft, At(Bar, 225, 8));
  EXPECT_EQ(Bar->PressedPart(), sbpLineDown);
  Codes.clear();
  Bar->Perform(WM_CANCELMODE, 0, 0);
  EXPECT_EQ(Bar->PressedPart(), sbpNone);
  EXPECT_EQ(Codes, std::vector<TScrollCode>{scEndScroll});
  Headless().Release(hbLeft, At(Bar, 225, 8));
  Headless().Press(hbLeft, At(Bar, 5, 8));
  Bar->SetEnabled(false);
  EXPECT_EQ(Bar->PressedPart(), sbpNone);
  EXPECT_FALSE(Bar->RepeatTimer()->Enabled());
  Headless().Release(hbLeft, At(Bar, 5, 8));
}

TEST_F(cxScrollBarTest, AThumbFillingTheTrackStaysAtTheStart)
{
  // Min 1, Max 100, PageSize 100: nothing to move through. The thumb starts at the first
  // arrow and a press and release on it leaves the position alone.
  MakeBar(234, 1, 100, 100);
  EXPECT_EQ(Thumb(), Rect(17, 0, 217, 17));
  const Integer changes = Changes;
  Headless().Click(At(Bar, 100, 8));
  EXPECT_EQ(Bar->Position(), 1);
  EXPECT_EQ(Changes, changes) << "nothing moved, nothing reported";
}
