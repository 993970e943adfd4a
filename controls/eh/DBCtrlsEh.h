// The stand-alone data-aware controls: the field data link they share (TFieldDataLinkEh),
// which binds a control to a field or, bound to nothing, holds a value of its own; and the
// check box (TCustomDBCheckBoxEh, published as TDBCheckBoxEh) with three states mapped to a
// Boolean field or to lists of field texts, painted entirely by itself.
#pragma once

#include <vector>

#include "controls/eh/DropDownsEh.h"
#include "controls/eh/EditButtonsEh.h"
#include "platform/data/DB.h"
#include "platform/ui/Mask.h"
#include "platform/ui/StdCtrls.h"

using TUpdateDataEventEh = TEvent<void(TObject* Sender, bool& Handled)>;

class TFieldDataLinkEh : public TDataLink {
public:
  TFieldDataLinkEh();

  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& Value);
  void SetDataSourceEh(TDataSource* Value);
  TField* Field() const { return FFields.empty() ? nullptr : FFields.front(); }
  Integer FieldsCount() const { return static_cast<Integer>(FFields.size()); }
  bool DataIndepended() const { return FDataIndepended; }
  bool EditingEh() const { return FEditing; }
  bool Modified() const { return FModified; }
  void MarkModified() { FModified = true; }
  const Variant& DataIndependentValue() const { return FDataIndependentValue; }
  void SetDataIndependentValue(const Variant& Value) { FDataIndependentValue = Value; }

  // Starts an edit: data independent, the link's own; bound, the dataset's when the field
  // can be changed. Returns whether it is editing.
  bool StartEdit();
  // Shows the stored value again (a record change for all fields) and clears Modified.
  void ResetValue();
  bool IsActive() const;
  bool CanChange() const;
  // Data independent, the link's value; bound, the field's through its edit-text conversion.
  void WriteText(const AnsiString& Text);
  void WriteVariant(const Variant& Value);

  TNotifyEvent OnDataChanged;
  TNotifyEvent OnEditingChanged;
  TNotifyEvent OnStoreRequested;
  TNotifyEvent OnActiveChanged;

protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;
  void FocusControl(TField** Field) override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;

private:
  void UpdateField();
  void UpdateDataIndepended();
  void UpdateEditing();
  void SignalDataChanged();

  std::vector<TField*> FFields;
  AnsiString FFieldName;
  bool FDataIndepended = true;
  bool FEditing = false;
  bool FModified = false;
  Variant FDataIndependentValue;
};

// The data-aware edit box: a masked edit that shows a field's text (its edit text while
// focused, its display text otherwise) and writes the text back when the dataset asks its
// controls for their values (posting, or leaving the control); bound to nothing it holds a
// value of its own. Its buttons, recent texts and in-place hosting come with the combo box.
class TCustomDBEditEh : public TCustomMaskEdit, public IDropDownOwnerEh {
public:
  explicit TCustomDBEditEh(TComponent* AOwner);
  ~TCustomDBEditEh() override;

  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  const AnsiString& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const AnsiString& Value);
  TField* Field() const { return FDataLink->Field(); }
  TFieldDataLinkEh* DataLink() const { return FDataLink.get(); }
  bool IsDataIndependent() const { return FDataLink->DataIndepended(); }
  bool ReadOnly() const { return FReadOnlyEh; }
  void SetReadOnly(bool Value);
  bool EditFocused() const { return FFocused; }

  // The value: data independent, the edit's own; bound, the field's.
  Variant Value() const;
  void SetValue(const Variant& Value);
  // Writing the text stores it at once (a failure shows the stored value again and
  // propagates).
  void SetTextEh(const AnsiString& Value);
  void CloseDropDown(bool) override {}

  TUpdateDataEventEh OnUpdateData;

protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoEnter() override;
  void DoExit() override;
  void Change() override;
  bool EditCanModify() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  virtual void StoreValue();
  void LinkDataChanged(TObject* Sender);
  void ApplyReadOnlyState();

private:
  void UpdateData(TObject* Sender);
  void EditingChanged(TObject* Sender);
  void AssignText(const AnsiString& Text);
  void SetEditFocused(bool Value);

  std::unique_ptr<TFieldDataLinkEh> FDataLink;
  bool FFocused = false;
  bool FReadOnlyEh = false;
  bool FInUpdateData = false;
  bool FAssigning = false;
  bool FMaxLengthFromField = false;
  Integer FFieldMaxLength = 0;
};

class TDBEditEh : public TCustomDBEditEh {
public:
  using TCustomDBEditEh::TCustomDBEditEh;
};

class TCustomDBCheckBoxEh : public TButtonControl {
public:
  explicit TCustomDBCheckBoxEh(TComponent* AOwner);
  ~TCustomDBCheckBoxEh() override;

  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  const AnsiString& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const AnsiString& Value);
  TField* Field() const { return FDataLink->Field(); }
  TFieldDataLinkEh* DataLink() const { return FDataLink.get(); }

  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  const AnsiString& ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const AnsiString& Value);
  const AnsiString& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const AnsiString& Value);
  bool ReadOnly() const { return FDataLink->ReadOnly(); }
  void SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
  void SetAlwaysShowBorder(bool Value);
  bool Modified() const { return FModified; }
  virtual bool IsDataIndependent() const { return FDataLink->DataIndepended(); }

  TUpdateDataEventEh OnUpdateData;

  // The box and caption rectangles for the present size and alignment.
  TRect BoxRect() const;
  TRect CaptionRect() const;

protected:
  bool GetChecked() const override { return Checked(); }
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoExit() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  virtual void ApplyState(TCheckBoxState Value);
  virtual void CycleState();
  virtual void StoreState();
  virtual void PostState();
  virtual void DrawControl(TCanvas* Canvas, TCheckBoxState AState, bool Focused, bool Pressed,
                           bool Hot);
  TCheckBoxState StateFromField() const;

private:
  void DataChanged(TObject* Sender);
  void UpdateData(TObject* Sender);

  std::unique_ptr<TFieldDataLinkEh> FDataLink;
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  AnsiString FValueChecked;
  AnsiString FValueUnchecked;
  TLeftRight FAlignment = taRightJustify;
  bool FFlat = false;
  bool FAlwaysShowBorder = false;
  bool FModified = false;
  bool FMouseOver = false;
  bool FSpacePressed = false;
  bool FLeftDown = false;
  bool FSuppressClicks = false;
  bool FPosting = false;
};

class TDBCheckBoxEh : public TCustomDBCheckBoxEh {
public:
  using TCustomDBCheckBoxEh::TCustomDBCheckBoxEh;
};

// Whether a text equals, case ignored, one of the ';'-separated, trimmed entries of a list.
bool TextInValueListEh(const AnsiString& Text, const AnsiString& List);

void DBCtrlsEhInitialization();
