// The platform list box as the inner control of a container: it hands its input to the
// container (mouse, keys, clicks, wheel, drag and drop, popup menu), draws selected items
// in the highlight colours and covers its native scroll bars with look-and-feel bars kept
// in place and in step with them.
#pragma once

#include "controls/cx/base/cxContainer.h"
#include "platform/ui/StdCtrls.h"

class TcxCustomInnerListBox : public TListBox, public IcxContainerInnerControl {
public:
  explicit TcxCustomInnerListBox(TComponent* AOwner);
  ~TcxCustomInnerListBox() override;

  TcxContainer* Container() const { return FContainer; }
  void SetContainer(TcxContainer* Value) { FContainer = Value; }
  TcxScrollBar* HScrollBar() const { return FHScrollBar; }
  TcxScrollBar* VScrollBar() const { return FVScrollBar; }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  TcxCanvas* cxCanvas() const { return FCanvas.get(); }
  // The corner between the two bars, relative to the list box's window rectangle; empty
  // unless both bars show.
  TRect SizeGripRect();

  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChanged);
  virtual void UpdateScrollBars();

  TWinControl* GetControl() override { return this; }
  TcxContainer* GetControlContainer() override { return FContainer; }

  void Click() override;
  void DblClick() override;

protected:
  void WndProc(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
  void DragDrop(TObject* Source, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CNDrawItem(TMessage& Message) override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;

private:
  void BarScroll(TObject* Sender, TScrollCode Code, Integer& Pos);
  void HandleLeftButtonDown(TMessage& Message);
  TcxContainer* FContainer = nullptr;
  std::unique_ptr<TcxCanvas> FCanvas;
  TcxScrollBar* FHScrollBar = nullptr;
  TcxScrollBar* FVScrollBar = nullptr;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  Integer FScrollBarsLock = 0;
  bool FScrollBarsCalculating = false;
};
