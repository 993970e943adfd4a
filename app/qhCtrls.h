// The program's input controls: the edit TqhEdit (typed values, key filtering by kind,
// focus colours, Enter moves to the next control), the combo box TqhComboBox (focus
// colours, Enter moves on, Delete clears a list-style box) and the tree view TqhTreeView.
// Uis.h names them after the plain controls for the template designer.
#pragma once

#include "platform/rtl/Variants.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"

enum TEditType { etFree, etNumber, etInteger };

class TqhEdit : public TCustomEdit {
public:
  explicit TqhEdit(TComponent* AOwner);

  TEditType EditType() const { return FEditType; }
  void SetEditType(TEditType Value) { FEditType = Value; }
  // The colour while focused, and while focused and read-only (unless the control takes
  // its colour from its parent).
  TColor ColorOnEnter() const { return FColorOnEnter; }
  void SetColorOnEnter(TColor Value) { FColorOnEnter = Value; }
  TColor ColorOnReadOnly() const { return FColorOnReadOnly; }
  void SetColorOnReadOnly(TColor Value) { FColorOnReadOnly = Value; }
  // Enter moves the focus to the next control (Shift+Enter to the previous one).
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }

  // The text as a value. Reading an empty text gives 0 (numbers) or Null (dates and
  // variants); writing 0 or Null empties the text. A text that is not a value of the
  // kind raises EConvertError "\"<text>\" 不是有效的数字." (整数, 日期 for the others).
  Double AsDouble() const;
  void SetAsDouble(Double Value);
  Integer AsInteger() const;
  void SetAsInteger(Integer Value);
  Variant AsDate() const;
  void SetAsDate(const Variant& Value);
  Variant AsDateTime() const;
  void SetAsDateTime(const Variant& Value);
  // By EditType: a floating number, an integer or the text, with the runtime's own
  // conversion errors.
  Variant AsVariant() const;
  void SetAsVariant(const Variant& Value);

protected:
  void KeyPress(char& Key) override;
  void DoEnter() override;
  void DoExit() override;

private:
  TEditType FEditType = etFree;
  TColor FColorOnEnter = static_cast<TColor>(0xFFFF00);
  TColor FColorOnReadOnly = static_cast<TColor>(0x00FFFF);
  bool FTabOnEnter = true;
  TColor FColorBeforeEnter = clWindow;
};

// A combo box that shows the focus in colour ($FFFF00 focused, white otherwise), moves
// the focus on with Enter, and clears its selection with Delete in the list style.
// Automatic completion is off.
class TqhComboBox : public TCustomComboBox {
public:
  explicit TqhComboBox(TComponent* AOwner);

  // Enter moves the focus to the next control (Shift+Enter to the previous one).
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }

protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoEnter() override;
  void DoExit() override;

private:
  bool FTabOnEnter = true;
};

// The program's tree view: the platform's, under the program's name.
class TqhTreeView : public ::TTreeView {
public:
  using ::TTreeView::TTreeView;
};

// Whether an edit of kind Type holding Text takes the typed character Key (Backspace,
// Enter and the characters the kind allows; "." once and not first in a number, no second
// leading "0" in a number without ".").
bool EditTypeAccepts(TEditType Type, const AnsiString& Text, char Key);

// Posts the next-dialog-control message for Control's owner: the focus moves to the next
// control (the previous one with Shift) once the current key is handled. False when the
// owner is not a windowed control.
bool PostNextControl(TControl* Control);
