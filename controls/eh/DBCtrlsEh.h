// The stand-alone data-aware controls: the field data link they share (TFieldDataLinkEh),
// which binds a control to a field or, bound to nothing, holds a value of its own; and the
// check box (TCustomDBCheckBoxEh, published as TDBCheckBoxEh) with three states mapped to a
// Boolean field or to lists of field texts, painted entirely by itself.
#pragma once

#include <functional>
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

// The edit box's private messages: re-create after the image settings changed; a button's
// drop-down menu closed (WParam: the button control's Tag).
constexpr UINT CM_EDITIMAGECHANGEDEH = 0x465;
constexpr UINT CM_DROPDOWNMENUCLOSEDEH = 0x466;

// The image an edit box shows at the left of its text.
class TEditImageEh : public TPersistent {
public:
  explicit TEditImageEh(TWinControl* EditControl);

  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // 0: the image list's width.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  // The edit grows to the image list's height.
  bool UseImageHeight() const { return FUseImageHeight; }
  void SetUseImageHeight(bool Value);
  // Copies Images, ImageIndex, Visible and Width.
  void Assign(TPersistent* Source) override;

  // The image's place changed (the edit re-creates its window) / the image index changed.
  TNotifyEvent OnChanged;
  TNotifyEvent OnIndexChanged;

protected:
  TPersistent* GetOwner() override { return FEditControl; }

private:
  void Changed();

  TWinControl* FEditControl;
  TCustomImageList* FImages = nullptr;
  Integer FImageIndex = -1;
  bool FVisible = false;
  Integer FWidth = 0;
  bool FUseImageHeight = true;
};

// What a control that hosts an edit box as its in-place editor offers the editor: it sees
// the editor's messages and keys first, may forbid changes and tells where and when it was
// last clicked (a press of the editor right after it is a double click).
class IInplaceEditHolderEh {
public:
  virtual ~IInplaceEditHolderEh() = default;
  virtual bool InplaceEditCanModify(TControl* Editor) = 0;
  // The screen point and message time of the holder's last click.
  virtual bool GetMouseDownInfo(TPoint& Pt, Cardinal& Time) = 0;
  // A message of the editor; a non-zero Result ends its handling.
  virtual void InplaceEditWndProc(TControl* Editor, TMessage& Message) = 0;
  // Keys of the editor; a hook that zeroes the key ends their handling.
  virtual void InplaceEditKeyDown(TControl* Editor, Word& Key, TShiftState Shift) = 0;
  virtual void InplaceEditKeyPress(TControl* Editor, char& Key) = 0;
  virtual void InplaceEditKeyUp(TControl* Editor, Word& Key, TShiftState Shift) = 0;
};

// How a holder sets up an edit box as its in-place editor (the only way to set the holder).
class IInplaceEditorEh {
public:
  virtual ~IInplaceEditorEh() = default;
  virtual TFont* GetFont() = 0;
  virtual void SetInplaceEditHolder(TWinControl* AInplaceEditHolder) = 0;
  virtual void SetBorderStyle(TBorderStyle Value) = 0;
  virtual void SetFont(TFont* Value) = 0;
  virtual void SetColor(TColor Value) = 0;
  virtual void SetOnKeyPress(TKeyPressEvent Value) = 0;
  virtual void SetOnExit(TNotifyEvent Value) = 0;
};

using TOnCheckDrawRequiredStateEventEh = TEvent<void(TObject* Sender, bool& DrawState)>;
using TGetImageIndexEventEh = TEvent<void(TObject* Sender, Integer& ImageIndex)>;

// The data-aware edit box: a masked edit that shows a field's text (its edit text while
// focused, its display text otherwise) and writes the text back when the dataset asks its
// controls for their values (posting, or leaving the control); bound to nothing it holds a
// value of its own. Buttons sit inside it at the right (a main button, hidden unless a
// descendant shows it, and a collection of further buttons), an optional image at the left;
// the text keeps to the rectangle between them. Unfocused, a text that is not left-aligned
// is painted by the control itself; an empty required field is marked while a record is
// inserted; the flat look draws its own border. DBCtrlsEhEdit.cpp holds the value flow and
// keys, DBEditsEhLayout.cpp the buttons, layout and painting.
class TCustomDBEditEh : public TCustomMaskEdit, public IDropDownOwnerEh, public IInplaceEditorEh {
public:
  explicit TCustomDBEditEh(TComponent* AOwner);
  ~TCustomDBEditEh() override;
  // The button controls go with the other children before the window does: the edit lets
  // go of them first.
  void BeforeDestruction() override;

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

  // The value: data independent, the edit's own; bound, the field's (the combo box with key
  // items: the key). Writing stores at once.
  Variant Value() const { return ReadValue(); }
  void SetValue(const Variant& Value) { WriteValue(Value); }
  // Writing the text stores it at once (a failure shows the stored value again and
  // propagates).
  void SetTextEh(const AnsiString& Value);
  void CloseDropDown(bool) override;

  // The field's alignment until one is set.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  bool AlignmentSet() const { return FAlignmentSet; }
  // The field's mask until one is set.
  void SetEditMask(const AnsiString& Value);
  bool EditMaskSet() const { return FEditMaskSet; }
  // A fixed height from the font (with a single border).
  void SetAutoSize(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
  void SetAlwaysShowBorder(bool Value);
  bool HighlightRequired() const { return FHighlightRequired; }
  void SetHighlightRequired(bool Value);
  bool WordWrap() const { return FWordWrapEh; }
  void SetWordWrap(bool Value);

  TEditButtonEh* EditButton() const { return FEditButton.get(); }
  void SetEditButton(TEditButtonEh* Value) { FEditButton->Assign(Value); }
  TEditButtonsEh* EditButtons() const { return FEditButtons.get(); }
  void SetEditButtons(TEditButtonsEh* Value) { FEditButtons->Assign(Value); }
  TEditImageEh* EditImage() const { return FEditImage.get(); }
  void SetEditImage(TEditImageEh* Value) { FEditImage->Assign(Value); }
  // The recently used texts; with Active set a list of those starting with the typed text
  // drops down as the user types.
  TMRUListEh* MRUList() const { return FMRUList.get(); }
  void SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }
  // The list box of recent texts (made on first use) and whether it shows.
  TMRUListboxEh* MruListBox();
  bool MruListOpen() const { return FMruOpen; }

  // ---- In-place hosting ----
  TWinControl* InplaceEditHolder() const { return FHolder; }
  // Shown at Rect (hosted: an empty Rect hides it), or placed there.
  void PlaceAt(const TRect& Rect);
  // Hidden (hosted: without redrawing, the holder getting back the focus).
  void HideInPlace();
  // IInplaceEditorEh
  TFont* GetFont() override { return Font(); }
  // Refuses (EInvalidOperation) a holder without IInplaceEditHolderEh, keeping none.
  void SetInplaceEditHolder(TWinControl* AInplaceEditHolder) override;
  void SetBorderStyle(TBorderStyle Value) override { TCustomMaskEdit::SetBorderStyle(Value); }
  void SetFont(TFont* Value) override { TCustomMaskEdit::SetFont(Value); }
  void SetColor(TColor Value) override { TCustomMaskEdit::SetColor(Value); }
  void SetOnKeyPress(TKeyPressEvent Value) override { OnKeyPress = Value; }
  void SetOnExit(TNotifyEvent Value) override { OnExit = Value; }
  void SetFocus() override;

  // The button controls: entry 0 is the main button's, entry i the collection's i-1th.
  Integer ButtonControlCount() const { return static_cast<Integer>(FButtons.size()); }
  TEditButtonControlEh* ButtonControl(Integer Index) const { return FButtons[Index].Control; }
  TShape* ButtonSeparator(Integer Index) const { return FButtons[Index].Separator; }
  // The width all buttons and separators take and the buttons' common height.
  Integer ButtonsWidth() const { return FButtonsWidth; }
  Integer ButtonsHeight() const { return FButtonsHeight; }
  // The image's width plus its margin (0 without a shown image).
  Integer ImageWidth() const { return FImageWidth; }
  // The flat border shows its active look.
  bool BorderShown() const { return FBorderShown; }
  bool DroppedDown() const { return FDroppedDown; }

  // With a fixed height the height is the font's (FitHeightToFont).
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // The rectangle the text keeps to: the client area without the buttons and the image.
  virtual TRect ComputeEditRect();
  // The height the font (and the image) asks for.
  virtual Integer FitHeightToFont();
  // Whether the buttons and their shortcuts work.
  virtual bool ButtonsActive();

  TUpdateDataEventEh OnUpdateData;
  TOnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;
  TGetImageIndexEventEh OnGetImageIndex;
  // The main button's events.
  TButtonClickEventEh OnButtonClick;
  TButtonDownEventEh OnButtonDown;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Loaded() override;
  void AdjustSize() override;
  void Resize() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void CMShowingChanged(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  void Change() override;
  bool EditCanModify() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  virtual TEditButtonEh* CreateMainEditButton();
  // A descendant whose main button differs makes it again from its constructor (the base
  // constructor cannot call the descendant's CreateMainEditButton).
  void ReplaceMainEditButton();
  virtual TEditButtonControlEh* CreateButtonControl();
  virtual TAlignment DefAlignment();
  virtual AnsiString DefEditMask();
  virtual Integer DefImageIndex() { return -1; }
  // The text the control paints itself.
  virtual AnsiString PaintText();
  virtual void StoreValue();
  // The key-down handling after the holder, the recent-text list, Ctrl+A and the buttons'
  // shortcuts, before the native edit's.
  virtual void EditKeyDown(Word& Key, TShiftState Shift);
  virtual Variant ReadValue() const;
  virtual void WriteValue(const Variant& Value);
  // Shows a text / a value without storing it.
  virtual void AssignText(const AnsiString& Text);
  virtual void AssignValue(const Variant& Value);
  // Hands the text to the link.
  virtual void PostValue();
  // Whether a typed character is taken (the field's valid-character test).
  virtual bool AcceptsChar(char Ch);
  // Reading: a field's value into the edit, or the edit's own value.
  virtual void ReadFieldValue(TField* Field);
  virtual void ReadIndependentValue(const Variant& Value);
  // Whether a string field's size becomes MaxLength.
  virtual bool FieldSetsMaxLength() { return true; }
  // Shows (Show) and stores at once, the way writing Text and Value does; false when
  // ignored (design time).
  bool WriteAndStore(const std::function<void()>& Show);
  // The main button was pressed (Down: its lower half).
  virtual void ButtonDropDown(bool Down);
  virtual void OpenDropDown();
  virtual void ButtonPressed(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void ButtonClicked(TObject* Sender);
  virtual void ButtonMouseMoved(TObject* Sender, TShiftState Shift, Integer X, Integer Y) {}
  virtual void ButtonReleased(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                              Integer Y);
  virtual void PaintRequiredMark(TCanvas* Canvas);
  virtual void ApplyFixedHeight();
  virtual TMRUListboxEh* CreateMruListBox();
  // Whether a recent text is offered for the present text (OnItemFilter has the last word).
  virtual void MruItemMatches(const AnsiString& Item, bool& Accept);
  // The user resized the open list: its rows and width go to MRUList.
  virtual void MruListResized();
  // The user changed the text: the recent-text list opens, follows or closes.
  virtual void TextChangedByUser();
  void CloseMruList(bool Accept);
  // Whether a cancel-mode notification from Sender leaves the drop-downs open.
  virtual bool IsOwnPart(TControl* Sender);
  // The holder's interface (null when not hosted).
  IInplaceEditHolderEh* Holder() const { return FHolderIntf; }
  virtual void RefreshImageIndex();
  void LinkDataChanged(TObject* Sender);
  virtual void ApplyReadOnlyState();
  // Builds, lays out and refreshes the button controls, then narrows the text to the rest.
  void UpdateButtons();
  void UpdateButtonStates();
  void UpdateEditRect();
  void UpdateBorderShown();
  // The button entry whose shortcut Key and Shift are (-1 none).
  Integer ButtonOfShortCut(Word Key, TShiftState Shift) const;
  // The rectangles of the button strip and of the image.
  TRect ButtonsRect() const;
  TRect ImageRect() const;
  bool ShowsNativeText() const;

  bool FDroppedDown = false;
  bool FDroppedByThisClick = false;

private:
  struct TButtonEntry {
    TEditButtonControlEh* Control = nullptr;
    TShape* Separator = nullptr;
  };
  void UpdateData(TObject* Sender);
  void EditingChanged(TObject* Sender);
  void SetEditFocused(bool Value);
  void ButtonsChanged(TCollectionItem* Item);
  void MainButtonChanged(TEditButtonEh* Button);
  void EditImageChanged(TObject* Sender);
  void EditImageIndexChanged(TObject* Sender);
  void ButtonClickEvent(TObject* Sender);
  void ButtonMouseMoveEvent(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void ButtonMouseUpEvent(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                          Integer Y);
  TEditButtonEh* ButtonOfEntry(Integer Index) const;
  void BuildButtons();
  void LayoutButtons();
  void PaintSelf(TCanvas* Canvas);
  void PaintImage(TCanvas* Canvas);
  void PaintFlatBorder();
  bool MouseOverBorderArea(TMessage& Message);
  void MruDropDown(TObject* Sender);
  void MruCloseUp(TObject* Sender, bool Accept);
  void MruListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                      Integer Y);
  bool HolderWndProc(TMessage& Message);

  std::unique_ptr<TFieldDataLinkEh> FDataLink;
  std::unique_ptr<TEditButtonEh> FEditButton;
  std::unique_ptr<TEditButtonsEh> FEditButtons;
  std::unique_ptr<TEditImageEh> FEditImage;
  std::unique_ptr<TMRUListEh> FMRUList;
  TMRUListboxEh* FMruListBox = nullptr; // owned as a component
  bool FMruOpen = false;
  // Enter or Esc closed the list on key-down: its character goes nowhere.
  char FSwallowChar = 0;
  TWinControl* FHolder = nullptr;
  IInplaceEditHolderEh* FHolderIntf = nullptr;
  std::vector<TButtonEntry> FButtons;
  std::unique_ptr<TCanvas> FPaintCanvas;
  bool FFocused = false;
  bool FReadOnlyEh = false;
  bool FInUpdateData = false;
  bool FAssigning = false;
  bool FMaxLengthFromField = false;
  Integer FFieldMaxLength = 0;
  TAlignment FAlignmentEh = taLeftJustify;
  bool FAlignmentSet = false;
  bool FEditMaskSet = false;
  bool FFlat = false;
  bool FAlwaysShowBorder = false;
  bool FHighlightRequired = false;
  bool FWordWrapEh = false;
  bool FBorderShown = false;
  bool FMouseOver = false;
  bool FFixedHeight = false;
  bool FBuildingButtons = false;
  Integer FButtonsWidth = 0;
  Integer FButtonsHeight = 0;
  Integer FImageWidth = 0;
};

class TDBEditEh : public TCustomDBEditEh {
public:
  using TCustomDBEditEh::TCustomDBEditEh;
};

enum TDropDownAlign { daLeft, daRight, daCenter };

// The drop-down list's settings of a combo box.
class TDropDownBoxEh : public TPersistent {
public:
  explicit TDropDownBoxEh(TPersistent* Owner) : FOwner(Owner) {}
  TDropDownAlign Align() const { return FAlign; }
  void SetAlign(TDropDownAlign Value) { FAlign = Value; }
  // Typing a character opens the list.
  bool AutoDrop() const { return FAutoDrop; }
  void SetAutoDrop(bool Value) { FAutoDrop = Value; }
  Integer Rows() const { return FRows; }
  void SetRows(Integer Value) { FRows = Value; }
  bool Sizable() const { return FSizable; }
  void SetSizable(bool Value) { FSizable = Value; }
  // -1 fits the widest item; below 1 the control's width.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }
  // Copies Align, Rows, Width and Sizable.
  void Assign(TPersistent* Source) override;

protected:
  TPersistent* GetOwner() override { return FOwner; }

private:
  TPersistent* FOwner;
  TDropDownAlign FAlign = daLeft;
  bool FAutoDrop = false;
  Integer FRows = 7;
  bool FSizable = false;
  Integer FWidth = 0;
};

using TNotInListEventEh =
    TEvent<void(TObject* Sender, const AnsiString& NewText, bool& RecheckInList)>;
using TClosingUpEventEh = TEvent<void(TObject* Sender, bool& Accept)>;

// The data-aware combo box: the edit box with a list of items in a drop-down list box.
// Without KeyItems it edits text and completes typing from the items; with KeyItems item i
// shows Items[i] and stands for the stored value KeyItems[i], the user chooses (typing
// searches the items) and the field receives the key. Only items that have a key can be
// chosen in keyed mode. DBEditsEhCombo.cpp holds it.
class TCustomDBComboBoxEh : public TCustomDBEditEh {
public:
  explicit TCustomDBComboBoxEh(TComponent* AOwner);
  ~TCustomDBComboBoxEh() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  TStrings* KeyItems() const { return FKeyItems.get(); }
  void SetKeyItems(TStrings* Value) { FKeyItems->Assign(Value); }
  TDropDownBoxEh* DropDownBox() const { return FDropDownBox.get(); }
  void SetDropDownBox(TDropDownBoxEh* Value) { FDropDownBox->Assign(Value); }
  // The edit image's list; setting it shows the image.
  TCustomImageList* Images() const { return EditImage()->Images(); }
  void SetImages(TCustomImageList* Value);

  Integer ItemIndex() const { return FItemIndex; }
  // Chooses an item and stores at once.
  void SetItemIndex(Integer Value);
  // The usable items: all of them, or with key items as many as have a key.
  Integer ItemCount() const { return FItemCount; }
  bool Keyed() const { return FKeyed; }
  bool ListVisible() const { return FListVisible; }
  // The drop-down list box (made on first use).
  TPopupListboxEh* PopupList();
  // Keyed: the value becomes Null (stored); otherwise the text is emptied.
  void Clear();
  void CloseDropDown(bool Accept) override;

  TNotifyEvent OnDropDown;
  TCloseUpEventEh OnCloseUp;
  TNotInListEventEh OnNotInList;
  TListGetImageIndexEventEh OnGetItemImageIndex;
  // While the list closes, before its choice is taken.
  TClosingUpEventEh OnClosingUp;
  // When the items are needed and Items is empty.
  TNotifyEvent OnGetItemsList;

protected:
  void KeyPress(char& Key) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void EditKeyDown(Word& Key, TShiftState Shift) override;

  TEditButtonEh* CreateMainEditButton() override;
  TAlignment DefAlignment() override;
  Integer DefImageIndex() override { return FItemImageIndex; }
  Variant ReadValue() const override;
  void AssignText(const AnsiString& Text) override;
  void AssignValue(const Variant& Value) override;
  void PostValue() override;
  bool AcceptsChar(char Ch) override;
  void ReadFieldValue(TField* Field) override;
  void ReadIndependentValue(const Variant& Value) override;
  bool FieldSetsMaxLength() override { return !FKeyed; }
  void ApplyReadOnlyState() override;
  void RefreshImageIndex() override;
  void StoreValue() override;
  void ButtonDropDown(bool Down) override;
  void OpenDropDown() override;
  void ButtonMouseMoved(TObject* Sender, TShiftState Shift, Integer X, Integer Y) override;
  bool IsOwnPart(TControl* Sender) override;

  // Selects the first item equal to Text (Partial: starting with it), completing the text;
  // true when the current item changed.
  virtual bool LocateItem(const AnsiString& Text, bool Partial);
  // Typed text of the item search (a Backspace widens the selection backwards).
  virtual bool TypeAhead(const AnsiString& Text);
  virtual Integer EnsureItems();
  // Makes item Index the current one and shows its text (Force: even when it is current).
  void SelectItem(Integer Index, bool Force = false);
  // The previous (Up) or next item.
  void Step(bool Up);

private:
  void ItemsChanged(TObject* Sender);
  void KeyItemsChanged(TObject* Sender);
  void UpdateItemCount();
  void ListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ListGetImageIndex(TObject* Sender, Integer ItemIndex, Integer& ImageIndex);
  Integer IndexOfText(TStrings* List, const AnsiString& Text, Integer Count) const;
  void UserChoseItem(Integer Index);

  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TStringList> FKeyItems;
  std::unique_ptr<TDropDownBoxEh> FDropDownBox;
  TPopupListboxEh* FPopupList = nullptr; // owned as a component
  Integer FItemIndex = -1;
  Integer FItemCount = 0;
  bool FKeyed = false;
  Variant FKeyValue;
  bool FListVisible = false;
  Integer FItemImageIndex = -1;
  // The character message being handled was used up by the key-press handling.
  bool FCharConsumed = false;
};

class TDBComboBoxEh : public TCustomDBComboBoxEh {
public:
  using TCustomDBComboBoxEh::TCustomDBComboBoxEh;
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
