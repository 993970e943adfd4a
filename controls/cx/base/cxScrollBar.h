// A scroll bar painted entirely by the look-and-feel painter, with the platform bar's
// behaviour built by hand: five parts, hot tracking, thumb dragging with snap-back and
// auto-repeat of arrow and page presses (400 ms, then every 60 ms). TcxControlScrollBar is
// a control's own bar, filled from pending data in one step (cxControls.h computes them);
// TcxSizeGrip fills the corner between two bars.
#pragma once

#include <memory>

#include "controls/cx/base/cxGraphics.h"
#include "controls/cx/base/cxLookAndFeelPainters.h"
#include "controls/cx/base/cxLookAndFeels.h"
#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

class TBitmap;
class TTimer;
class TcxControl;
class TcxLookAndFeel;
class TdxThemeChangedNotificator;

class TcxScrollBar : public TCustomControl {
public:
  explicit TcxScrollBar(TComponent* AOwner);
  ~TcxScrollBar() override;

  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value) { SetScrollParams(Value, FMax, FPosition, FPageSize, true); }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value) { SetScrollParams(FMin, Value, FPosition, FPageSize, true); }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer Value) { SetScrollParams(FMin, FMax, FPosition, Value, true); }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value) { ChangePosition(Value); }
  void ChangePosition(Integer Value) { SetScrollParams(FMin, FMax, Value, FPageSize, true); }
  Integer SmallChange() const { return FSmallChange; }
  void SetSmallChange(Integer Value) { FSmallChange = Value; }
  Integer LargeChange() const { return FLargeChange; }
  void SetLargeChange(Integer Value) { FLargeChange = Value; }
  bool UnlimitedTracking() const { return FUnlimitedTracking; }
  void SetUnlimitedTracking(bool Value) { FUnlimitedTracking = Value; }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value);

  // Max below Min or below PageSize raises EInvalidOperation "Scrollbar property out of
  // range" and changes nothing; the position is clamped into Min..Max.
  void SetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize,
                       bool ARedraw = true);
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  // The parts and what the bar shows of them (client coordinates).
  TRect PartBounds(TcxScrollBarPart APart) const;
  TcxScrollBarPart HitTest(TPoint P) const;
  TcxScrollBarPart PressedPart() const { return FPressedPart; }
  TcxScrollBarPart HotPart() const { return FHotPart; }
  TcxButtonState PartState(TcxScrollBarPart APart) const;
  Integer MinThumbSize() const { return FMinThumbSize; }
  TTimer* RepeatTimer() const { return FTimer.get(); }

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

protected:
  virtual void Change();
  virtual void Scroll(TScrollCode AScrollCode, Integer& AScrollPos);
  virtual void MouseEnter();
  virtual void MouseLeave();
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  TcxCustomLookAndFeelPainterClass Painter() const;

private:
  void CalcMinThumbSize();
  void CalcArrowRects();
  void CalcThumb();
  void CalcPageRects();
  bool Horizontal() const { return FKind == sbHorizontal; }
  Integer AxisStart(const TRect& R) const { return Horizontal() ? R.Left : R.Top; }
  Integer AxisEnd(const TRect& R) const { return Horizontal() ? R.Right : R.Bottom; }
  Integer PositionFromThumb() const;
  void DoScroll(TScrollCode ACode);
  void EndTracking();
  void TrackThumb(TPoint P);
  void TimerTick(TObject* Sender);
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  void ThemeChanged(TObject* Sender);
  TPoint CursorClientPos() const;

  TScrollBarKind FKind = sbHorizontal;
  Integer FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0;
  Integer FSmallChange = 1, FLargeChange = 1;
  bool FUnlimitedTracking = false;
  std::unique_ptr<TBitmap> FBitmap;
  std::unique_ptr<TcxCanvas> FCanvas;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  std::unique_ptr<TdxThemeChangedNotificator> FNotificator;
  std::unique_ptr<TTimer> FTimer;
  TRect FArrow1, FArrow2, FThumb, FPage1, FPage2;
  Integer FMinThumbSize = 8;
  TcxScrollBarPart FPressedPart = sbpNone;
  TcxScrollBarPart FHotPart = sbpNone;
  TPoint FDownPoint;
  Integer FSavedPosition = 0;
  TPoint FSavedThumbOrigin;
};

// What a control computes for one of its bars before applying it.
struct TcxScrollBarData {
  Integer Min = 0;
  Integer Max = 100;
  Integer Position = 0;
  Integer PageSize = 0;
  SmallInt SmallChange = 1;
  SmallInt LargeChange = 1;
  bool Enabled = true;
  bool Visible = false;
  bool AllowShow = true;
  bool AllowHide = true;
};

class TcxControlScrollBar : public TcxScrollBar {
public:
  explicit TcxControlScrollBar(TcxControl* AOwner);

  TcxScrollBarData Data;
  bool IsShown() const { return Visible(); }
  void SetShown(bool Value) { SetVisible(Value); }
  void ApplyData();
  virtual void FocusParent();
  void WndProc(TMessage& Message) override;
};

class TcxSizeGrip : public TCustomControl {
public:
  explicit TcxSizeGrip(TComponent* AOwner);

protected:
  void Paint() override;
};

// The platform's width of a vertical and height of a horizontal scroll bar.
void SystemScrollBarSize(TSize& ASize);

extern const TResStringRec cxSScrollBarRange;

void cxScrollBarInitialization();
void cxScrollBarFinalization();
