// The base control of the layered suite: TcxControl adds to the platform's custom control a
// suite canvas, an owned look and feel whose painter draws its frame and bars, two own
// painted scroll bars with a size grip (cxScrollBar.h) and their recalculation, an internal
// drag-and-drop engine with a pluggable drag-and-drop object, a mouse-capture object,
// middle-button scrolling, font listeners, destroy-safe message handling, a popup-menu hook
// taking a TPopupMenu or any IcxPopupMenuSource, and the settings controller that passes
// system metric changes on. The unit also registers the suite's 14 cursors, keeps the
// mouse-leave tracking timers and offers the free helpers the other units use.
#pragma once

#include <memory>
#include <vector>

#include "controls/cx/base/cxClasses.h"
#include "controls/cx/base/cxGraphics.h"
#include "controls/cx/base/cxLookAndFeels.h"
#include "controls/cx/base/cxScrollBar.h"
#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

class TcxControl;

// The suite's cursors.
enum : TCursor {
  crDragCopy = 2100,
  crFullScroll = 2101,
  crHorScroll = 2102,
  crVerScroll = 2103,
  crUpScroll = 2104,
  crRightScroll = 2105,
  crDownScroll = 2106,
  crLeftScroll = 2107,
  crcxRemove = 2108,
  crcxVertSize = 2109,
  crcxHorzSize = 2110,
  crcxMultiDrag = 2111,
  crcxNoDrop = 2112,
  crcxDrag = 2113,
  crGridVertSize = crcxVertSize,
  crGridHorzSize = crcxHorzSize
};

// Private messages of the suite.
enum : UINT { CXM_CLOSEPOPUP = 0x8065, CXM_SHOWPOPUP = 0x8066, CXM_SETTINGSCHANGED = 0x8131 };

enum TcxDragAndDropState { ddsNone, ddsStarting, ddsInProcess };
enum TcxWantedKey { wkAllKeys, wkArrows, wkChars, wkTab };
using TcxWantedKeys = TSet<TcxWantedKey>;

class IcxPopupMenuSource {
public:
  virtual ~IcxPopupMenuSource() = default;
  virtual void Popup(Integer X, Integer Y) = 0;
};

class IcxMouseCaptureTarget {
public:
  virtual ~IcxMouseCaptureTarget() = default;
  virtual void MouseCaptureLost() = 0;
};

class IcxMouseTrackingCaller {
public:
  virtual ~IcxMouseTrackingCaller() = default;
  virtual void MouseLeave() = 0;
};

// One operation of moving something inside a control; the control makes it on demand and
// frees it when the operation ends.
class TcxDragAndDropObject : public TObject {
public:
  explicit TcxDragAndDropObject(TcxControl* AControl);

  TcxControl* Control() const { return FControl; }
  TcxCanvas* Canvas() const { return FCanvas; }
  TPoint CurMousePos() const { return FCurMousePos; }
  TPoint PrevMousePos() const { return FPrevMousePos; }
  bool Dirty() const { return FDirty; }
  void SetDirty(bool Value);

  virtual void DirtyChanged() {}
  virtual TCursor DragCursor(bool AAccepted) const;
  virtual bool ImmediateStart() const { return false; }
  virtual void EndOperation(bool AAccepted) {}
  virtual void BeginOperation() { DirtyChanged(); }
  virtual void MouseMoved(TPoint P, bool& AAccepted);
  virtual void BeforeEndOperation(bool AAccepted) { SetDirty(true); }

  void Init();
  void DoMouseMove(TPoint P, bool& AAccepted);
  void DoEnd(bool AAccepted);

private:
  TcxControl* FControl;
  TcxCanvas* FCanvas;
  TPoint FCurMousePos{-1, -1};
  TPoint FPrevMousePos{-1, -1};
  bool FDirty = false;
};

// Makes the drag-and-drop object of a control.
using TcxDragAndDropObjectFactory = TcxDragAndDropObject* (*)(TcxControl* AControl);

class TcxDragControlObject : public TDragControlObject {
public:
  using TDragControlObject::TDragControlObject;
  // The copy cursor over a target that accepts while Ctrl is held.
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
  // Made by the control for one drag: the drag frees it.
  bool FreedAfterDrag() const override { return true; }
};

class TcxControl : public TCustomControl {
public:
  explicit TcxControl(TComponent* AOwner);
  ~TcxControl() override;

  // ---- Non-virtual ----
  TcxCanvas* ActiveCanvas();
  TcxCanvas* cxCanvas() const { return FCanvas.get(); }
  TcxDragAndDropObject* DragAndDropObject();
  TcxDragAndDropState DragAndDropState() const { return FDragAndDropState; }
  void SetDragAndDropState(TcxDragAndDropState AValue);
  bool HScrollBarVisible() const;
  bool VScrollBarVisible() const;
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  void BeginDestroying();
  TcxWantedKeys WantedKeys() const { return FWantedKeys; }
  void SetWantedKeys(TcxWantedKeys AKeys) { FWantedKeys = AKeys; }
  TObject* MouseCaptureObject() const { return FMouseCaptureObject; }
  void SetMouseCaptureObject(TObject* AObject);
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  // A TPopupMenu or a component implementing IcxPopupMenuSource; anything else is nil.
  TComponent* PopupMenu() const { return FPopupMenuComponent; }
  void SetPopupMenu(TComponent* Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBarsMode(TScrollStyle Value);
  void AddFontListener(IcxFontListener* AListener);
  void RemoveFontListener(IcxFontListener* AListener);
  void InvalidateArea(const TRect* R, bool AEraseBackground);
  bool IsNearMouseDownPoint(Integer X, Integer Y) const;
  TPoint MouseDownPos() const { return FMouseDownPos; }
  void ScrollInDirection(Integer ADirection);
  void SetScrollBarData(TScrollBarKind AKind, Integer AMin, Integer AMax, Integer AStep,
                        Integer APage, Integer APosition, bool AAllowShow, bool AAllowHide);
  void EndDragAndDrop(bool AAccepted);
  TcxControlScrollBar* HScrollBar() const { return FHScrollBar; }
  TcxControlScrollBar* VScrollBar() const { return FVScrollBar; }
  TcxSizeGrip* SizeGrip() const { return FSizeGrip; }
  bool IsScrollBarsLocked() const { return FScrollBarsLocked; }
  bool IsUpdatingScrollBars() const { return FUpdatingScrollBars; }
  bool IsMiddleButtonScrolling() const { return FMiddleButtonScrolling; }
  void SetBorderStyle(Integer Value);
  Integer BorderStyle() const { return FBorderStyle; }
  void SetPaintBoundsOverride(const TRect& R) { FPaintBoundsOverride = R; }
  void NotifyDesignerModified() {}

  // ---- Virtual ----
  virtual bool ShowPopupMenu(TComponent* APopupMenu, Integer X, Integer Y);
  virtual void ParentBackgroundChanged() {}
  virtual void AfterMouseDown(TMouseButton AButton, Integer X, Integer Y);
  virtual bool AllowsDesignDragAt(Integer X, Integer Y, TShiftState AShift) { return true; }
  virtual void BeforeMouseDown(TMouseButton AButton, TShiftState AShift, Integer X, Integer Y) {}
  virtual void EndMouseOperation();
  virtual bool MayFocus();
  virtual bool CanFocusOnClick() { return MayFocus(); }
  virtual Integer FrameWidth();
  virtual void PaintBounds(TRect& R);
  virtual void ContentRect(TRect& R);
  virtual TCursor CursorAt(Integer X, Integer Y) { return FDefaultCursor; }
  virtual bool InDesignMode() const { return ComponentState().Contains(csDesigning); }
  virtual bool HasFocus() const { return Focused(); }
  // 0 none, 1 horizontal, 2 vertical.
  virtual Integer WheelScrollKind() const { return VScrollBarVisible() ? 2 : 0; }
  virtual bool ErasesBackground() const { return false; }
  virtual void ParentScrollBars();
  virtual bool IsOwnScrollBarPart(TControl* AControl) const;
  virtual TcxCustomLookAndFeelPainterClass Painter() const { return FLookAndFeel->PainterClass(); }
  virtual void LookAndFeelChangedHook(TcxLookAndFeel* ASender, TcxLookAndFeelValues AChanged) {}
  virtual void HScrollBarBounds(TRect& R);
  virtual void SizeGripBounds(TRect& R);
  virtual void VScrollBarBounds(TRect& R);
  virtual void InitScrollBarData() {}
  virtual bool AutoHidesScrollBar(TScrollBarKind AKind) const { return false; }
  virtual bool UsesOwnScrollBars() const { return true; }
  virtual void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos)
  {
  }
  virtual void PlaceScrollBars();
  virtual void RecalcScrollBars();
  virtual TcxDragAndDropObjectFactory DragAndDropObjectClass() const;
  virtual void DrawDragImage(TcxCanvas* ACanvas, const TRect& R) {}
  virtual void DragImageSize(TPoint& ASize) { ASize = TPoint{0, 0}; }
  virtual bool HasDragImages() const { return false; }
  virtual bool CanFocusNow();
  virtual bool CanBeginDragAt(Integer X, Integer Y);

  // ---- Dynamic ----
  virtual void AddChildComponent(class TcxControlChildComponent* AComponent);
  virtual void RemoveChildComponent(class TcxControlChildComponent* AComponent);
  virtual void BackgroundColorChanged() {}
  virtual void VisibleChanged() {}
  virtual bool AllowUnfocusedMouseDown() const { return false; }
  virtual void GeometryChanged() { RecalcScrollBars(); }
  virtual bool AllowsVclDragAt(Integer X, Integer Y) const { return FDragAndDropState == ddsNone; }
  virtual void CursorChanged() { FDefaultCursor = Cursor(); }
  virtual void CancelMouseOperation() { SetMouseCaptureObject(nullptr); }
  virtual void FireFocusChanged() { OnFocusChanged(this); }
  virtual void FontChanged();
  virtual bool AcceptsDesignMouse(Integer X, Integer Y, TShiftState AShift) const
  {
    return FDragAndDropState != ddsNone;
  }
  virtual bool Focusable() const { return true; }
  virtual void FireMouseEnter(TControl* AControl) { OnMouseEnter(this); }
  virtual void FireMouseLeave(TControl* AControl) { OnMouseLeave(this); }
  virtual void TextChanged() {}
  virtual void DragAndDropMove(TPoint P, bool& AAccepted);
  virtual void FinishDragAndDrop(bool AAccepted);
  virtual bool StartsDragAndDropAt(TPoint P) { return false; }
  virtual bool AcceptsDragObject(TDragObject* ADragObject) { return true; }
  virtual void BeginDragAndDrop();

  TNotifyEvent OnFocusChanged;
  TcxDragAndDropObjectFactory FDragAndDropObjectClass = nullptr;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void Resize() override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DoStartDrag(TDragObject*& DragObject) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos);
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChanged);
  void ApplyScrollBarRule(TcxControlScrollBar* ABar, Integer AMin, Integer AMax, Integer AStep,
                          Integer APage, Integer APosition, bool AAllowShow, bool AAllowHide);
  void ApplyMutualAutoHide();
  void MiddleButtonScroll();
  void SettingsChanged();

  std::unique_ptr<TcxCanvas> FCanvas;
  std::unique_ptr<TcxScreenCanvas> FScreenCanvas;
  TCursor FDefaultCursor = 0;
  Integer FBorderStyle = 0;
  TcxDragAndDropObject* FDragAndDropObject = nullptr;
  TcxDragAndDropState FDragAndDropState = ddsNone;
  TCursor FSavedScreenCursor = 0;
  bool FEndingDragAndDrop = false;
  std::vector<IcxFontListener*> FFontListeners;
  TcxControlScrollBar* FHScrollBar = nullptr;
  TcxControlScrollBar* FVScrollBar = nullptr;
  TcxSizeGrip* FSizeGrip = nullptr;
  bool FSavedHVisible = false;
  bool FSavedVVisible = false;
  bool FScrollBarsLocked = false;
  bool FUpdatingScrollBars = false;
  bool FCalculatingScrollBarsData = false;
  TcxWantedKeys FWantedKeys;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  TObject* FMouseCaptureObject = nullptr;
  TPoint FMouseDownPos;
  TComponent* FPopupMenuComponent = nullptr;
  TScrollStyle FScrollBars = ssBoth;
  bool FMiddleButtonScrolling = false;
  bool FLastParentBackground = true;
  TRect FPaintBoundsOverride;
};

// A component that belongs to a control (the grid views descend from it).
class TcxControlChildComponent : public TcxComponent {
public:
  explicit TcxControlChildComponent(TComponent* AOwner) : TcxComponent(AOwner) {}
  TcxControlChildComponent(TcxControl* AControl, bool AAssignOwner);
  ~TcxControlChildComponent() override;

  TcxControl* Control() const { return FControl; }
  virtual bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  virtual void SetControl(TcxControl* AControl) { FControl = AControl; }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  void SetParentComponent(TComponent* Value) override;
  TComponent* GetParentComponent() const override { return FControl; }
  bool HasParent() const override { return FControl != nullptr; }

private:
  TcxControl* FControl = nullptr;
};

// ---- Free helpers ----
UINT DoubleClickInterval();
void DesktopWorkAreaAt(const TRect& R, TRect& AWorkArea);
void CursorScreenPosition(TPoint& P);
bool WithinDragThreshold(TPoint ADownPos, Integer X, Integer Y);
void MapRectBetweenWindows(HWND AFrom, HWND ATo, TRect& R);
inline Word PassKeyCode(Word AKey)
{
  return AKey;
}
void BeginHourglassCursor();
void EndHourglassCursor();
bool ShowPopupMenuAt(TControl* AControl, TComponent* APopupMenu, Integer X, Integer Y);
void PostMouseMove(TWinControl* AControl, const TPoint* AP = nullptr);
bool IsComponentLoading(TComponent* AComponent);
void ControlLocalBounds(TControl* AControl, TRect& R);

// The drag-detection loop: 2 undecided (Escape), 1 the mouse moved out of the threshold
// square, 0 a button was released.
Integer cxDragDetect(HWND AWindow);

// Middle-button scrolling: the direction (0 none, 1 left, 2 right, 3 up, 4 down) and speed
// (1..12; 0 in the neutral zone) for the pointer P, an anchor at A of width W.
void cxMiddleButtonDirection(TPoint P, TPoint A, Integer W, bool AHorz, bool AVert,
                             Integer& ADirection, Integer& ASpeed);

// Mouse-leave tracking: a 10 ms timer per caller.
void StartMouseTracking(TControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller);
void StopMouseTracking(IcxMouseTrackingCaller* ACaller);
bool IsMouseTracked(IcxMouseTrackingCaller* ACaller);
Integer MouseTrackingCount();

// Passes WM_SETTINGCHANGE (SPI_SETNONCLIENTMETRICS) on to the controls as 0x8131.
class TcxSettingsController : public TObject {
public:
  ~TcxSettingsController() override;
  void AddControl(TWinControl* AControl);
  void RemoveControl(TWinControl* AControl);
  Integer Count() const { return static_cast<Integer>(FControls.size()); }

private:
  void WndProc(TMessage& Message);
  std::vector<TWinControl*> FControls;
  HWND FWindow = 0;
};
TcxSettingsController* SettingsControllerInstance();

void cxControlsInitialization();
void cxControlsFinalization();
