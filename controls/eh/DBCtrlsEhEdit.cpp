// The data-aware edit box (see DBCtrlsEh.h): binding, reading, storing, keys and focus.
#include "controls/eh/DBCtrlsEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/Windows.h"

TCustomDBEditEh::TCustomDBEditEh(TComponent* AOwner)
    : TCustomMaskEdit(AOwner), FDataLink(std::make_unique<TFieldDataLinkEh>())
{
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  FAutoSize = true;
  FDataLink->SetControl(this);
  FDataLink->OnDataChanged = TNotifyEvent::Bind(this, &TCustomDBEditEh::LinkDataChanged);
  FDataLink->OnStoreRequested = TNotifyEvent::Bind(this, &TCustomDBEditEh::UpdateData);
  FDataLink->OnEditingChanged = TNotifyEvent::Bind(this, &TCustomDBEditEh::EditingChanged);
  FEditButton.reset(CreateMainEditButton());
  FEditButton->OnChangeHook =
      TEditButtonChangeHookEh::Bind(this, &TCustomDBEditEh::MainButtonChanged);
  FEditButtons =
      std::make_unique<TEditButtonsEh>(this, CollectionItemClass<TVisibleEditButtonEh>());
  FEditButtons->OnChanged = TEditButtonsChangedEh::Bind(this, &TCustomDBEditEh::ButtonsChanged);
  FEditImage = std::make_unique<TEditImageEh>(this);
  FEditImage->OnChanged = TNotifyEvent::Bind(this, &TCustomDBEditEh::EditImageChanged);
  FEditImage->OnIndexChanged = TNotifyEvent::Bind(this, &TCustomDBEditEh::EditImageIndexChanged);
  FMRUList = std::make_unique<TMRUListEh>(this);
  FMRUList->OnDropDownHook = TNotifyEvent::Bind(this, &TCustomDBEditEh::MruDropDown);
  FMRUList->OnCloseUpHook = TCloseUpEventEh::Bind(this, &TCustomDBEditEh::MruCloseUp);
}

void TCustomDBEditEh::BeforeDestruction()
{
  FButtons.clear();
  TCustomMaskEdit::BeforeDestruction();
}

void TCustomDBEditEh::ReplaceMainEditButton()
{
  std::unique_ptr<TEditButtonEh> button(CreateMainEditButton());
  button->Assign(FEditButton.get());
  button->SetVisible(true);
  button->SetShortCut(ShortCutAltDownEh);
  FEditButton = std::move(button);
  FEditButton->OnChangeHook =
      TEditButtonChangeHookEh::Bind(this, &TCustomDBEditEh::MainButtonChanged);
}

TCustomDBEditEh::~TCustomDBEditEh()
{
  FDataLink->OnDataChanged = nullptr;
  FDataLink->OnStoreRequested = nullptr;
  FDataLink->OnEditingChanged = nullptr;
  FDataLink->SetDataSource(nullptr);
  FEditButton->OnChangeHook = nullptr;
  FEditButtons->OnChanged = nullptr;
  FEditImage->OnChanged = nullptr;
  FEditImage->OnIndexChanged = nullptr;
  FMRUList->OnDropDownHook = nullptr;
  FMRUList->OnCloseUpHook = nullptr;
  if (FHolder)
    FHolder->RemoveFreeNotification(this);
}

void TCustomDBEditEh::SetDataSource(TDataSource* Value)
{
  if (DataSource())
    DataSource()->RemoveFreeNotification(this);
  FDataLink->SetDataSourceEh(Value);
  if (Value)
    Value->FreeNotification(this);
  LinkDataChanged(nullptr);
  Invalidate();
}

void TCustomDBEditEh::SetDataField(const AnsiString& Value)
{
  // A length that came from the field goes with it; one the user set stays.
  if (FMaxLengthFromField && MaxLength() == FFieldMaxLength &&
      !ComponentState().Contains(csDesigning))
    SetMaxLength(0);
  FMaxLengthFromField = false;
  FDataLink->SetFieldName(Value);
  UpdateButtonStates();
  Invalidate();
}

void TCustomDBEditEh::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomMaskEdit::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (FDataLink && AComponent == FDataLink->DataSource())
    FDataLink->SetDataSourceEh(nullptr);
  if (AComponent == FHolder) {
    FHolder = nullptr;
    FHolderIntf = nullptr;
  }
  if (AComponent == FMruListBox) {
    FMruListBox = nullptr;
    FMruOpen = false;
  }
  // A button control or separator freed from outside: its entry is made again.
  for (TButtonEntry& entry : FButtons) {
    if (entry.Control == AComponent)
      entry.Control = nullptr;
    if (entry.Separator == AComponent)
      entry.Separator = nullptr;
  }
  if (FEditImage && AComponent == FEditImage->Images())
    FEditImage->SetImages(nullptr);
  // A menu that was a button's drop-down menu is dropped from every button.
  if (FEditButton && AComponent == FEditButton->DropdownMenu())
    FEditButton->SetDropdownMenu(nullptr);
  if (FEditButtons)
    for (Integer i = 0; i < FEditButtons->Count(); ++i)
      if (AComponent == FEditButtons->Items(i)->DropdownMenu())
        FEditButtons->Items(i)->SetDropdownMenu(nullptr);
}

void TCustomDBEditEh::SetEditMask(const AnsiString& Value)
{
  if (FEditMaskSet && Value == EditMask())
    return;
  bool loading = ComponentState().Contains(csLoading);
  AnsiString kept = loading && IsDataIndependent() ? EditText() : AnsiString();
  TCustomMaskEdit::SetEditMask(Value);
  FEditMaskSet = true;
  if (loading) {
    AssignText(kept);
    return;
  }
  if (IsDataIndependent())
    FDataLink->WriteText(EditText());
  else
    LinkDataChanged(nullptr);
}

void TCustomDBEditEh::SetReadOnly(bool Value)
{
  FReadOnlyEh = Value;
  FDataLink->SetReadOnly(Value);
  ApplyReadOnlyState();
}

namespace {

// A Variant's text: '' for arrays and values that do not convert.
AnsiString VariantText(const Variant& V)
{
  try {
    return VarIsArray(V) ? AnsiString() : VarToStr(V);
  } catch (const Exception&) {
    return AnsiString();
  }
}

} // namespace

void TCustomDBEditEh::AssignValue(const Variant& Value)
{
  AssignText(VariantText(Value));
}

void TCustomDBEditEh::ReadFieldValue(TField* Field)
{
  bool memo = Field->DataType() == ftMemo;
  if (FFocused && Field->CanModify())
    AssignText(memo ? Field->AsString() : Field->Text());
  else
    AssignText(memo ? Field->AsString() : Field->DisplayText());
}

void TCustomDBEditEh::ReadIndependentValue(const Variant& Value)
{
  AssignText(VariantText(Value));
}

void TCustomDBEditEh::AssignText(const AnsiString& Text)
{
  FAssigning = true;
  TScopeExit done([this] { FAssigning = false; });
  SetText(Text);
}

void TCustomDBEditEh::LinkDataChanged(TObject*)
{
  if (TField* field = Field()) {
    if (!FAlignmentSet && field->Alignment() != FAlignmentEh) {
      FAlignmentEh = field->Alignment();
      Invalidate();
    }
    if (!FEditMaskSet && field->EditMask() != EditMask())
      TCustomMaskEdit::SetEditMask(field->EditMask());
    if (!ComponentState().Contains(csDesigning) && MaxLength() == 0 && FieldSetsMaxLength() &&
        (field->DataType() == ftString || field->DataType() == ftWideString)) {
      SetMaxLength(field->Size());
      FMaxLengthFromField = true;
      FFieldMaxLength = field->Size();
    }
    ReadFieldValue(field);
  } else if (IsDataIndependent()) {
    if (!FEditMaskSet && IsMasked())
      TCustomMaskEdit::SetEditMask("");
    ReadIndependentValue(FDataLink->DataIndependentValue());
  } else {
    if (!FEditMaskSet && IsMasked())
      TCustomMaskEdit::SetEditMask("");
    AssignText("");
  }
  ApplyReadOnlyState();
  SetModified(false);
  UpdateButtonStates();
}

void TCustomDBEditEh::EditingChanged(TObject*)
{
  ApplyReadOnlyState();
}

// The native edit takes typing while the link edits, or while focused when the value can be
// changed (so that the input method works; the first keystroke starts the edit).
void TCustomDBEditEh::ApplyReadOnlyState()
{
  bool readOnly = FReadOnlyEh || (!FDataLink->EditingEh() && !OnUpdateData);
  if (!readOnly && FHolderIntf && !FHolderIntf->InplaceEditCanModify(this))
    readOnly = true;
  else if (!FReadOnlyEh && FFocused && FDataLink->CanChange())
    readOnly = false;
  TCustomMaskEdit::SetReadOnly(readOnly);
}

bool TCustomDBEditEh::EditCanModify()
{
  if (FReadOnlyEh)
    return false;
  return FDataLink->StartEdit();
}

void TCustomDBEditEh::Change()
{
  if (!FAssigning)
    FDataLink->MarkModified();
  TDestroyWatch watch(this);
  TCustomMaskEdit::Change();
  if (watch.Destroyed())
    return;
  RefreshImageIndex();
  if (!FAssigning)
    TextChangedByUser();
}

void TCustomDBEditEh::KeyDown(Word& Key, TShiftState Shift)
{
  FSwallowChar = 0;
  if (FHolderIntf) {
    FHolderIntf->InplaceEditKeyDown(this, Key, Shift);
    if (Key == 0)
      return;
  }
  if (FMruOpen && FMruListBox) {
    bool alt = Shift.Contains(ssAlt), ctrl = Shift.Contains(ssCtrl);
    if (((Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) && !alt) ||
        ((Key == VK_HOME || Key == VK_END) && ctrl)) {
      FMruListBox->Perform(WM_KEYDOWN, Key, 0);
      Key = 0;
      return;
    }
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
      FSwallowChar = static_cast<char>(Key);
      CloseMruList(Key == VK_RETURN);
      Key = 0;
      return;
    }
  }
  if (Key == 'A' && Shift.Contains(ssCtrl)) {
    // Ctrl+A alone selects everything; with another shift key it is left to the handlers.
    TWinControl::KeyDown(Key, Shift);
    if (Key != 0 && Shift == TShiftState{ssCtrl})
      SelectAll();
    Key = 0;
    return;
  }
  if (Key != 0 && ButtonsActive()) {
    // A button's shortcut presses and clicks it like the mouse on its lower half.
    Integer index = ButtonOfShortCut(Key, Shift);
    if (index >= 0 && index < ButtonControlCount()) {
      Key = 0;
      TEditButtonControlEh* control = ButtonControl(index);
      if (!control)
        return;
      bool autoRepeat = false, handled = false;
      TDestroyWatch watch(this);
      if (control->OnDown)
        control->OnDown(control, false, autoRepeat, handled);
      if (!watch.Destroyed())
        control->Click();
      return;
    }
  }
  EditKeyDown(Key, Shift);
  if (Key != 0)
    TCustomMaskEdit::KeyDown(Key, Shift);
}

void TCustomDBEditEh::EditKeyDown(Word& Key, TShiftState Shift)
{
  if ((Key == VK_DELETE || (Key == VK_INSERT && Shift == TShiftState{ssShift})) && !FReadOnlyEh)
    FDataLink->StartEdit();
}

void TCustomDBEditEh::KeyPress(char& Key)
{
  if (FSwallowChar != 0 && Key == FSwallowChar) {
    FSwallowChar = 0;
    Key = 0;
    return;
  }
  if (FHolderIntf) {
    FHolderIntf->InplaceEditKeyPress(this, Key);
    if (Key == 0)
      return;
  }
  if (OnKeyPress)
    OnKeyPress(this, Key);
  unsigned char c = static_cast<unsigned char>(Key);
  if (c == 0)
    return;
  if (c == '\r' || c == '\t' || c == '\n') {
    Key = 0; // a single-line value: line ends and tabs never go in
    return;
  }
  if (c == VK_ESCAPE) {
    FDataLink->ResetValue();
    SelectAll();
    Key = 0;
    return;
  }
  bool starts = c == VK_BACK || c == 22 || c == 24 || c >= 32;
  if (c >= 32 && Field() && !IsDataIndependent() && !AcceptsChar(Key)) {
    MessageBeep(0);
    Key = 0;
    return;
  }
  if (starts && !FReadOnlyEh)
    FDataLink->StartEdit();
  // The framework's own key press without OnKeyPress a second time.
  TKeyPressEvent handler = OnKeyPress;
  OnKeyPress = nullptr;
  TScopeExit restore([this, handler] { OnKeyPress = handler; });
  TCustomMaskEdit::KeyPress(Key);
}

void TCustomDBEditEh::SetEditFocused(bool Value)
{
  if (Value == FFocused)
    return;
  FFocused = Value;
  if (Alignment() != taLeftJustify && !IsMasked())
    Invalidate();
  FDataLink->ResetValue();
}

void TCustomDBEditEh::DoEnter()
{
  SetEditFocused(true);
  TCustomMaskEdit::DoEnter();
  ApplyReadOnlyState();
  UpdateBorderShown();
}

void TCustomDBEditEh::DoExit()
{
  TCustomMaskEdit::DoExit(); // OnExit
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    SelectAll();
    SetFocus();
    throw;
  }
  SetEditFocused(false);
  ApplyReadOnlyState();
  UpdateBorderShown();
}

void TCustomDBEditEh::UpdateData(TObject*)
{
  StoreValue();
}

void TCustomDBEditEh::StoreValue()
{
  if (FFocused && IsMasked())
    ValidateEdit();
  bool handled = false;
  if (OnUpdateData) {
    FInUpdateData = true;
    TScopeExit done([this] { FInUpdateData = false; });
    OnUpdateData(this, handled);
  }
  if (!handled)
    PostValue();
  SetModified(false);
  if (FMRUList->AutoAdd() && FMRUList->Active() && Showing())
    FMRUList->Remember(Text());
}

void TCustomDBEditEh::PostValue()
{
  FDataLink->WriteText(IsDataIndependent() ? EditText() : Text());
}

bool TCustomDBEditEh::AcceptsChar(char Ch)
{
  return !Field() || Field()->IsValidChar(Ch);
}

Variant TCustomDBEditEh::ReadValue() const
{
  if (IsDataIndependent())
    return FDataLink->DataIndependentValue();
  TField* field = Field();
  return field ? field->Value() : Null();
}

void TCustomDBEditEh::WriteValue(const Variant& Value)
{
  if (!WriteAndStore([&] { AssignValue(Value); }))
    return;
  // The edit box keeps the Variant itself as its own value, not its text.
  if (IsDataIndependent() && !FInUpdateData)
    FDataLink->SetDataIndependentValue(Value);
}

void TCustomDBEditEh::SetTextEh(const AnsiString& Value)
{
  WriteAndStore([&] { AssignText(Value); });
}

bool TCustomDBEditEh::WriteAndStore(const std::function<void()>& Show)
{
  if (ComponentState().Contains(csDesigning) && !IsDataIndependent())
    return false;
  if (!IsDataIndependent())
    FDataLink->Edit(); // nothing to put into edit without a dataset
  Show();
  if (FInUpdateData)
    return true;
  try {
    StoreValue();
  } catch (...) {
    FDataLink->ResetValue();
    throw;
  }
  return true;
}
