#include "controls/cx/base/cxControls.h"

#include <gtest/gtest.h>

#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Menus.h"
#include "tests/controls/cx/base/cxUiTestKit.h"

namespace {

// A control whose bars always ask for H (0..189, page 183) and V (0..89, page 83): on a
// 200 x 100 control with 17-pixel bars each is needed only because of the other.
class TBarsControl : public TcxControl {
public:
  using TcxControl::TcxControl;
  bool AutoHideH = true;
  Integer InitCalls = 0;
  bool Flip = false; // asks for the opposite visibility on every call
  std::vector<std::tuple<TScrollBarKind, TScrollCode, Integer>> Scrolls;
  void InitScrollBarData() override
  {
    ++InitCalls;
    if (Flip) {
      const bool show = !HScrollBarVisible();
      SetScrollBarData(sbHorizontal, 0, show ? 500 : 10, 1, 100, 0, true, true);
      SetScrollBarData(sbVertical, 0, 10, 1, 100, 0, true, true);
      return;
    }
    SetScrollBarData(sbHorizontal, 0, 189, 1, 183, 0, true, true);
    SetScrollBarData(sbVertical, 0, 89, 1, 83, 0, true, true);
  }
  bool AutoHidesScrollBar(TScrollBarKind AKind) const override
  {
    return AKind == sbVertical || AutoHideH;
  }
  void Scroll(TScrollBarKind AKind, TScrollCode ACode, Integer& APos) override
  {
    Scrolls.push_back({AKind, ACode, APos});
  }
};

class TDragProbe : public TcxDragAndDropObject {
public:
  using TcxDragAndDropObject::TcxDragAndDropObject;
  static inline std::vector<std::string> Log;
  void BeginOperation() override
  {
    Log.push_back("begin");
    TcxDragAndDropObject::BeginOperation();
  }
  void EndOperation(bool AAccepted) override { Log.push_back(AAccepted ? "end+" : "end-"); }
};

class TDragControl : public TcxControl {
public:
  using TcxControl::TcxControl;
  bool StartsDragAndDropAt(TPoint) override { return true; }
};

} // namespace

using cxControlTest = cxUiTest;

TEST_F(cxControlTest, BarsNeededOnlyForEachOtherHideTogether)
{
  auto* c = Place<TBarsControl>(10, 10, 200, 100);
  c->RecalcScrollBars();
  EXPECT_FALSE(c->HScrollBarVisible());
  EXPECT_FALSE(c->VScrollBarVisible());
  EXPECT_FALSE(c->SizeGrip()->Visible());
  TRect content;
  c->ContentRect(content);
  EXPECT_EQ(content, Rect(0, 0, 200, 100));

  c->AutoHideH = false;
  c->RecalcScrollBars();
  EXPECT_TRUE(c->HScrollBarVisible());
  EXPECT_TRUE(c->VScrollBarVisible());
  EXPECT_TRUE(c->SizeGrip()->Visible());
  c->ContentRect(content);
  EXPECT_EQ(content, Rect(0, 0, 183, 83)) << "the bars take their room";
  EXPECT_EQ(c->HScrollBar()->BoundsRect(), Rect(0, 83, 183, 100));
  EXPECT_EQ(c->VScrollBar()->BoundsRect(), Rect(183, 0, 200, 83));
  EXPECT_EQ(c->SizeGrip()->BoundsRect(), Rect(183, 83, 200, 100));
  EXPECT_EQ(c->HScrollBar()->PageSize(), 183);
  // Only the mode's kinds may show.
  c->SetScrollBarsMode(ssVertical);
  EXPECT_FALSE(c->HScrollBarVisible());
  EXPECT_TRUE(c->VScrollBarVisible());
}

TEST_F(cxControlTest, OscillatingScrollBarDataEndsLocked)
{
  auto* c = Place<TBarsControl>(10, 10, 200, 100);
  c->Flip = true;
  c->RecalcScrollBars();
  EXPECT_LE(c->InitCalls, 40) << "bounded";
  EXPECT_FALSE(c->IsUpdatingScrollBars());
  EXPECT_FALSE(c->IsScrollBarsLocked());
}

TEST_F(cxControlTest, WheelScrollsTheLinesTheSystemSays)
{
  auto* c = Place<TBarsControl>(10, 10, 200, 100);
  c->AutoHideH = false;
  c->RecalcScrollBars();
  ASSERT_EQ(Mouse()->WheelScrollLines(), 3);
  c->SetFocus();
  Headless().Wheel(1, At(c, 50, 50));
  ASSERT_EQ(c->Scrolls.size(), 3u);
  for (auto& s : c->Scrolls) {
    EXPECT_EQ(std::get<0>(s), sbVertical);
    EXPECT_EQ(std::get<1>(s), scLineUp);
  }
  c->Scrolls.clear();
  Headless().Wheel(-1, At(c, 50, 50));
  ASSERT_EQ(c->Scrolls.size(), 3u);
  EXPECT_EQ(std::get<1>(c->Scrolls[0]), scLineDown);
  // A wheel set to scroll pages steps three lines instead of four billion.
  c->Scrolls.clear();
  Mouse()->SetWheelScrollLines(-1);
  Headless().Wheel(1, At(c, 50, 50));
  Mouse()->SetWheelScrollLines(3);
  EXPECT_EQ(c->Scrolls.size(), 3u);
}

TEST_F(cxControlTest, DialogCodesAndSettingsChanges)
{
  auto* c = Place<TBarsControl>(10, 10, 200, 100);
  c->SetWantedKeys(TcxWantedKeys{wkArrows, wkTab});
  EXPECT_EQ(SendMessage(c->Handle(), WM_GETDLGCODE, 0, 0), 3);
  c->SetWantedKeys(TcxWantedKeys{wkAllKeys, wkArrows, wkChars, wkTab});
  EXPECT_EQ(SendMessage(c->Handle(), WM_GETDLGCODE, 0, 0), 0x87);
  c->AutoHideH = false;
  c->RecalcScrollBars();
  const Integer calls = c->InitCalls;
  SendMessage(c->Handle(), CXM_SETTINGSCHANGED, 0, 0);
  EXPECT_EQ(c->InitCalls, calls) << "unchanged metrics: nothing";
  SetSystemMetrics(SM_CYHSCROLL, 20);
  SetSystemMetrics(SM_CXVSCROLL, 20);
  BroadcastMessage(WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
  EXPECT_EQ(c->HScrollBar()->Height(), 20);
  EXPECT_EQ(c->VScrollBar()->Width(), 20);
  EXPECT_GT(c->InitCalls, calls);
}

TEST_F(cxControlTest, EscapeEndsDragAndDropAsNotAccepted)
{
  auto* c = new TDragControl(Form);
  c->FDragAndDropObjectClass = [](TcxControl* AControl) -> TcxDragAndDropObject* {
    return new TDragProbe(AControl);
  };
  c->SetParent(Form);
  c->SetBounds(10, 10, 200, 100);
  TDragProbe::Log.clear();
  Headless().Press(hbLeft, At(c, 20, 20));
  EXPECT_EQ(c->DragAndDropState(), ddsStarting);
  Headless().Move(At(c, 22, 21));
  EXPECT_EQ(c->DragAndDropState(), ddsStarting) << "within the drag threshold";
  Headless().Move(At(c, 60, 40));
  EXPECT_EQ(c->DragAndDropState(), ddsInProcess);
  Headless().Key(VK_ESCAPE);
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
  EXPECT_EQ(TDragProbe::Log, (std::vector<std::string>{"begin", "end-"}));
  Headless().Release(hbLeft, At(c, 60, 40));
  // A release ends a running one as accepted.
  TDragProbe::Log.clear();
  Headless().Drag(At(c, 120, 20), At(c, 180, 60)); // elsewhere: not a double click
  EXPECT_EQ(TDragProbe::Log, (std::vector<std::string>{"begin", "end+"}));
  EXPECT_EQ(GetCapture(), 0);
}

TEST_F(cxControlTest, KeyboardContextMenuOpensAtTheClientOrigin)
{
  struct TSource : TComponent, IcxPopupMenuSource {
    using TComponent::TComponent;
    TPoint At{-1, -1};
    void Popup(Integer X, Integer Y) override { At = {X, Y}; }
  };
  auto* c = Place<TBarsControl>(10, 10, 200, 100);
  auto* source = new TSource(Form);
  c->SetPopupMenu(source);
  EXPECT_EQ(c->PopupMenu(), source);
  SendMessage(c->Handle(), WM_CONTEXTMENU, c->Handle(), PointToLParam({-1, -1}));
  EXPECT_EQ(source->At, c->ClientToScreen({0, 0}));
  const TPoint inside = c->ClientToScreen({30, 40});
  SendMessage(c->Handle(), WM_CONTEXTMENU, c->Handle(), PointToLParam(inside));
  EXPECT_EQ(source->At, inside);
  delete source;
  EXPECT_EQ(c->PopupMenu(), nullptr) << "free notification";
  c->SetPopupMenu(new TComponent(Form));
  EXPECT_EQ(c->PopupMenu(), nullptr) << "neither a popup menu nor a source";
}

TEST_F(cxControlTest, AHandlerThatFreesTheControlIsSurvived)
{
  auto* c = Place<TBarsControl>(10, 10, 200, 100);
  c->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { delete c; };
  Headless().Click(At(c, 20, 20));
  EXPECT_EQ(Form->ControlCount(), 0);
}

TEST(cxMiddleButton, DirectionAndSpeedByTheTable)
{
  struct Case {
    TPoint P;
    bool Horz, Vert;
    Integer Direction, Speed;
  } cases[] = {
      {{500, 515}, true, true, 4, 1},  // distance 15
      {{500, 519}, true, true, 4, 2},  // 19
      {{500, 540}, false, true, 4, 6}, // 40: a step every 7 ticks
      {{500, 569}, true, true, 4, 12}, // 69
      {{500, 900}, true, true, 4, 12}, // capped
      {{510, 505}, true, true, 0, 0},  // the neutral zone
      {{900, 505}, false, true, 0, 0}, // no horizontal scrolling: never leaves the zone
      {{460, 500}, true, true, 1, 6},  // left
      {{500, 470}, true, false, 0, 0}, // only horizontal: vertical moves stay neutral
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.P.X << "," << c.P.Y);
    Integer direction = -1, speed = -1;
    cxMiddleButtonDirection(c.P, {500, 500}, 29, c.Horz, c.Vert, direction, speed);
    EXPECT_EQ(direction, c.Direction);
    EXPECT_EQ(speed, c.Speed);
  }
}

namespace {

struct TTracker : IcxMouseTrackingCaller {
  Integer Leaves = 0;
  void MouseLeave() override { ++Leaves; }
};

class TLeaveCounter : public TcxControl {
public:
  using TcxControl::TcxControl;
  Integer CmLeaves = 0;
  void FireMouseLeave(TControl* AControl) override { ++CmLeaves; }
};

} // namespace

TEST_F(cxControlTest, TrackingReportsLeavingTheBoundsAndTheClient)
{
  auto* c = Place<TLeaveCounter>(10, 10, 100, 21);
  TTracker tracker;
  Headless().Move(At(c, 5, 5));
  StartMouseTracking(c, Rect(0, 0, 20, 21), &tracker);
  StartMouseTracking(c, Rect(0, 0, 20, 21), &tracker);
  EXPECT_EQ(MouseTrackingCount(), 1) << "one timer per caller";
  Headless().AdvanceAndProcess(30);
  EXPECT_EQ(tracker.Leaves, 0);
  // Out of the tracked bounds, still in the client: MouseLeave only.
  Headless().Move(At(c, 50, 5));
  const Integer before = c->CmLeaves;
  Headless().AdvanceAndProcess(10);
  EXPECT_EQ(tracker.Leaves, 1);
  EXPECT_EQ(c->CmLeaves, before);
  EXPECT_FALSE(IsMouseTracked(&tracker));
  // Out of the client: CM_MOUSELEAVE as well.
  StartMouseTracking(c, Rect(0, 0, 100, 21), &tracker);
  Headless().Move(At(c, 50, 200));
  const Integer cmBefore = c->CmLeaves;
  Headless().AdvanceAndProcess(10);
  EXPECT_EQ(tracker.Leaves, 2);
  EXPECT_GT(c->CmLeaves, cmBefore);
}

TEST_F(cxControlTest, TrackingSurvivesTheControlAndStopsInsideItsTick)
{
  TTracker tracker;
  auto* c = Place<TLeaveCounter>(10, 10, 100, 21);
  Headless().Move(At(c, 5, 5));
  StartMouseTracking(c, Rect(0, 0, 100, 21), &tracker);
  delete c;
  Headless().Move({900, 700});
  Headless().AdvanceAndProcess(50);
  EXPECT_EQ(tracker.Leaves, 0) << "the timer stopped with its control";
  EXPECT_EQ(MouseTrackingCount(), 0);
  EXPECT_FALSE(IsMouseTracked(&tracker));
  // A caller that stops its own tracking from MouseLeave is fine.
  struct TSelfStopper : IcxMouseTrackingCaller {
    Integer Leaves = 0;
    void MouseLeave() override
    {
      ++Leaves;
      StopMouseTracking(this);
    }
  } stopper;
  Headless().Move(At(Form, 5, 5));
  StartMouseTracking(Form, Rect(0, 0, 20, 20), &stopper);
  Headless().Move(At(Form, 100, 100));
  Headless().AdvanceAndProcess(30);
  EXPECT_EQ(stopper.Leaves, 1);
  EXPECT_EQ(MouseTrackingCount(), 0);
}
