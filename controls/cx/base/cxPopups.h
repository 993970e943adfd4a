// Drop-down windows of the suite: TcxPopupWindow is a borderless stay-on-top form that
// places itself beside an owner rectangle (flipping to the side with more room, clamped to
// the work area); TcxCustomPopupWindow adds the life cycle every drop-down shares: the list
// of open popups, showing with or without taking the focus, its own message loop, closing
// with an optional close query, notifications, the close and show messages, and three
// thread hooks that close open popups when the user clicks elsewhere, hides or closes the
// owner, or switches to another application. cxContainer.h installs the hooks.
#pragma once

#include <memory>

#include "controls/cx/base/cxContainer.h"
#include "platform/ui/Forms.h"

enum TcxPopupAlignHorz { phaLeft, phaCenter, phaRight };
enum TcxPopupAlignVert { pvaTop, pvaCenter, pvaBottom };
enum TcxPopupDirection { podHorizontal, podVertical };
enum TcxPopupBorderStyle { pfsNone, pfsSingle, pfsRaised, pfsDoubleRaised };

class TcxPopupWindow : public TForm {
public:
  explicit TcxPopupWindow(TComponent* AOwner);
  ~TcxPopupWindow() override;

  TcxPopupAlignHorz AlignHorz = phaLeft;
  TcxPopupAlignVert AlignVert = pvaBottom;
  TcxPopupDirection Direction = podVertical;
  bool Adjustable = true;
  TColor FrameColor = clWindowText;
  TRect AnchorBounds;
  TControl* AnchorParent = nullptr;
  Integer InnerSpacing = 0;

  TcxPopupBorderStyle PopupBorderStyle() const { return FPopupBorderStyle; }
  void SetPopupBorderStyle(TcxPopupBorderStyle Value);
  TcxCanvas* cxCanvas() const { return FCanvas.get(); }
  Integer HorzNonClientWidth() { return BorderExtent(0) + BorderExtent(2); }

  virtual void CalculatePlacement(TPoint& APosition);
  // The editors and views also know it as CalculateSize.
  virtual void FitToChildren();
  virtual Integer BorderExtent(Integer ASide) { return PopupBorderWidth(ASide) + InnerSpacing; }
  virtual Integer PopupBorderWidth(Integer ASide);
  virtual void PrepareToShow();
  virtual void DrawFrame();
  virtual void HidePopup() { Hide(); }
  virtual void Popup();
  virtual void VisibleChanged() {}

protected:
  void Dispatch(TMessage& Message) override;
  void Deactivate() override;
  void Paint() override;

private:
  std::unique_ptr<TcxCanvas> FCanvas;
  TcxPopupBorderStyle FPopupBorderStyle = pfsNone;
  HWND FPrevActiveWindow = 0;
};

class TcxCustomPopupWindow : public TcxPopupWindow {
public:
  explicit TcxCustomPopupWindow(TWinControl* AOwnerControl);
  ~TcxCustomPopupWindow() override;

  virtual void NotifyClosed() { OnClosed(this); }
  virtual void NotifyClosing() { OnClosing(this); }
  virtual void NotifyShown() { OnShowed(this); }
  virtual bool ErasesBackground() const { return false; }
  virtual void StyleChanged() {}
  virtual bool AcceptsSysKey(Word AKey) const;
  virtual void ClosePopup(bool AQuery);
  virtual void ShowPopup(TWinControl* AFocusedControl);
  virtual std::unique_ptr<TcxContainerStyle> CreateStyle();
  virtual std::unique_ptr<TcxContainerViewInfo> CreateViewInfo();
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

  bool IsOpened() const;
  TWinControl* OwnerControl() const { return FOwnerControl; }
  TcxContainerStyle* Style() const { return FStyle.get(); }
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo.get(); }
  bool TakesFocus() const { return FTakesFocus; }
  void SetTakesFocus(bool Value);
  bool FollowsTopMost() const { return FFollowsTopMost; }
  void SetFollowsTopMost(bool Value);
  bool OwnMessageLoop = true;
  bool ClosingByMessage() const { return FClosingByMessage; }
  void SetClosingByMessage(bool Value) { FClosingByMessage = Value; }
  TWinControl* FocusControl() const { return FFocusControl; }
  // True while the popup is open, takes focus and the focus is in it (nested popups too).
  bool PopupFocused() const;

  TNotifyEvent OnClosed;
  TNotifyEvent OnClosing;
  TNotifyEvent OnShowed;
  TNotifyEvent OnBeforeShow;

protected:
  void PrepareToShow() override {}
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void Deactivate() override;
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void HandleVisibleChanged();
  void Reopen();
  TWinControl* FOwnerControl;
  std::unique_ptr<TcxContainerStyle> FStyle;
  std::unique_ptr<TcxContainerViewInfo> FViewInfo;
  bool FTakesFocus = true;
  bool FFollowsTopMost = false;
  bool FClosingByMessage = false;
  TWinControl* FFocusControl = nullptr;
};

// The open popups, in opening order.
Integer cxOpenedPopupCount();
TcxCustomPopupWindow* cxOpenedPopup(Integer AIndex);

void PostPopupCloseRequest(TcxCustomPopupWindow* APopup);
bool ControlHasWindow(TWinControl* AControl, HWND AWnd);
bool IsWindowInside(TWinControl* AControl, HWND AWnd);
bool IsInOwnerForm(TWinControl* AControl, HWND AWnd);
inline HWND PassWindowHandle(HWND AWnd)
{
  return AWnd;
}
// Replaces the window's procedure for exactly one message, which answers 1 unprocessed.
void SwallowNextMessage(HWND AWnd);

void cxInstallPopupHooks();
void cxRemovePopupHooks();
