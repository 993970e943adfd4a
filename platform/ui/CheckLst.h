// The check list box (TCheckListBox): a list box whose items carry check boxes. StdCtrls.h
// holds the list box it builds on.
#pragma once

#include "platform/ui/StdCtrls.h"

// A list of items each with a check box at its left: a click on the box or Space toggles it
// (OnClickCheck follows); an item can be kept from being checked (ItemEnabled).
class TCheckListBox : public TCustomListBox {
public:
  explicit TCheckListBox(TComponent* AOwner);

  bool Checked(Integer Index) const;
  void SetChecked(Integer Index, bool Value);
  TCheckBoxState State(Integer Index) const;
  void SetState(Integer Index, TCheckBoxState Value);
  bool ItemEnabled(Integer Index) const;
  void SetItemEnabled(Integer Index, bool Value);
  // A click steps through the grayed state too.
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  // Kept for the forms that set it: the boxes are drawn with the usual bevel.
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value) { FFlat = Value; }

  TNotifyEvent OnClickCheck;

protected:
  void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyPress(char& Key) override;
  virtual void ClickCheck();
  // The width of the check area at the left of each item.
  Integer CheckWidth() const;

private:
  void CheckIndex(Integer Index) const;
  void ToggleClickCheck(Integer Index);
  bool FAllowGrayed = false;
  bool FFlat = true;
};

void RegisterCheckLstClasses();
