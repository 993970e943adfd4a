// The field data link of the stand-alone controls and the data-aware check box (see
// DBCtrlsEh.h).
#include "controls/eh/DBCtrlsEh.h"

#include "controls/eh/EhHelpers.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Menus.h"

namespace {

AnsiString FirstEntry(const AnsiString& List)
{
  size_t semi = List.find(';');
  return Trim(semi == AnsiString::npos ? List : List.substr(0, semi));
}

} // namespace

bool TextInValueListEh(const AnsiString& Text, const AnsiString& List)
{
  size_t start = 0;
  while (start <= List.size()) {
    size_t semi = List.find(';', start);
    AnsiString entry =
        List.substr(start, semi == AnsiString::npos ? AnsiString::npos : semi - start);
    if (CompareTextNoCase(Trim(entry), Text) == 0)
      return true;
    if (semi == AnsiString::npos)
      break;
    start = semi + 1;
  }
  return false;
}

// ---- TFieldDataLinkEh ----

TFieldDataLinkEh::TFieldDataLinkEh() : FDataIndependentValue(Null()) {}

void TFieldDataLinkEh::SetFieldName(const AnsiString& Value)
{
  if (Value == FFieldName)
    return;
  FFieldName = Value;
  UpdateField();
  UpdateDataIndepended();
}

void TFieldDataLinkEh::SetDataSourceEh(TDataSource* Value)
{
  if (Value == DataSource())
    return;
  SetDataSource(Value);
  UpdateDataIndepended();
}

void TFieldDataLinkEh::UpdateDataIndepended()
{
  bool independent = !DataSource() && FFieldName.empty();
  if (independent == FDataIndepended)
    return;
  FDataIndepended = independent;
  FDataIndependentValue = Null();
  UpdateField();
  if (independent)
    SignalDataChanged();
}

void TFieldDataLinkEh::UpdateField()
{
  FFields.clear();
  if (Active() && !FFieldName.empty())
    FFields.push_back(GetFieldByName(FFieldName));
  UpdateEditing();
  SignalDataChanged();
}

void TFieldDataLinkEh::SignalDataChanged()
{
  if (OnDataChanged)
    OnDataChanged(this);
  FModified = false;
}

bool TFieldDataLinkEh::IsActive() const
{
  return FDataIndepended || (Active() && Field());
}

bool TFieldDataLinkEh::CanChange() const
{
  return FDataIndepended || (Field() && Field()->CanModify());
}

bool TFieldDataLinkEh::StartEdit()
{
  if (FDataIndepended) {
    if (!FEditing && !ReadOnly()) {
      FEditing = true;
      FModified = false;
      if (OnEditingChanged)
        OnEditingChanged(this);
    }
  } else if (CanChange()) {
    Edit();
  }
  return FEditing;
}

void TFieldDataLinkEh::ResetValue()
{
  SignalDataChanged();
}

void TFieldDataLinkEh::WriteText(const AnsiString& Text)
{
  if (FDataIndepended) {
    FDataIndependentValue = Variant(Text);
    SignalDataChanged();
    return;
  }
  // Without a dataset or field the value is only shown: there is nothing to store it in.
  TField* field = Field();
  if (!field)
    return;
  if (field->DataType() == ftMemo)
    field->SetAsString(Text);
  else
    field->SetText(Text);
}

void TFieldDataLinkEh::WriteVariant(const Variant& Value)
{
  if (FDataIndepended) {
    FDataIndependentValue = Value;
    SignalDataChanged();
    return;
  }
  if (FFields.size() > 1) {
    for (size_t i = 0; i < FFields.size(); ++i)
      FFields[i]->SetValue(VarIsNull(Value) ? Null()
                                            : VarArrayGet(Value, {static_cast<Integer>(i)}));
    return;
  }
  if (TField* field = Field())
    field->SetValue(Value);
}

void TFieldDataLinkEh::UpdateEditing()
{
  bool editing = Editing() && CanChange();
  if (FDataIndepended || editing == FEditing)
    return;
  FEditing = editing;
  FModified = false;
  if (OnEditingChanged)
    OnEditingChanged(this);
}

void TFieldDataLinkEh::ActiveChanged()
{
  UpdateField();
  if (OnActiveChanged)
    OnActiveChanged(this);
}

void TFieldDataLinkEh::EditingChanged()
{
  UpdateEditing();
}

void TFieldDataLinkEh::LayoutChanged()
{
  UpdateField();
}

void TFieldDataLinkEh::RecordChanged(TField* Field)
{
  if (Field && std::find(FFields.begin(), FFields.end(), Field) == FFields.end())
    return;
  SignalDataChanged();
}

void TFieldDataLinkEh::UpdateData()
{
  if (FDataIndepended) {
    if (FModified && OnStoreRequested)
      OnStoreRequested(this);
    FEditing = false;
    FModified = false;
    return;
  }
  if (!FModified)
    return;
  if (Field() && OnStoreRequested)
    OnStoreRequested(this);
  FModified = false;
}

void TFieldDataLinkEh::FocusControl(TField** Field)
{
  if (!*Field || std::find(FFields.begin(), FFields.end(), *Field) == FFields.end())
    return;
  if (auto* control = dynamic_cast<TWinControl*>(Control()); control && control->CanFocus()) {
    *Field = nullptr;
    control->SetFocus();
  }
}

void TFieldDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info)
{
  TDataLink::DataEvent(Event, Info);
  if (Event != deDisabledStateChange)
    return;
  if (Info)
    UpdateField();
  else
    FFields.clear();
}

// ---- TCustomDBCheckBoxEh ----

TCustomDBCheckBoxEh::TCustomDBCheckBoxEh(TComponent* AOwner)
    : TButtonControl(AOwner), FDataLink(std::make_unique<TFieldDataLinkEh>())
{
  FWidth = 97;
  FHeight = 17;
  FTabStop = true;
  FControlStyle = FControlStyle - TControlStyle{csDoubleClicks} + TControlStyle{csReplicatable};
  FValueChecked = TrueBoolStrs.empty() ? AnsiString("True") : TrueBoolStrs.front();
  FValueUnchecked = FalseBoolStrs.empty() ? AnsiString("False") : FalseBoolStrs.front();
  FDataLink->SetControl(this);
  FDataLink->SetDataIndependentValue(Variant(false));
  FDataLink->OnDataChanged = TNotifyEvent::Bind(this, &TCustomDBCheckBoxEh::DataChanged);
  FDataLink->OnStoreRequested = TNotifyEvent::Bind(this, &TCustomDBCheckBoxEh::UpdateData);
  SetImeMode(imDisable);
}

TCustomDBCheckBoxEh::~TCustomDBCheckBoxEh()
{
  FDataLink->OnDataChanged = nullptr;
  FDataLink->OnStoreRequested = nullptr;
  FDataLink->SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::SetDataSource(TDataSource* Value)
{
  if (DataSource())
    DataSource()->RemoveFreeNotification(this);
  FDataLink->SetDataSourceEh(Value);
  if (Value)
    Value->FreeNotification(this);
  DataChanged(nullptr);
  Invalidate();
}

void TCustomDBCheckBoxEh::SetDataField(const AnsiString& Value)
{
  FDataLink->SetFieldName(Value);
  Invalidate();
}

void TCustomDBCheckBoxEh::Notification(TComponent* AComponent, TOperation Operation)
{
  TButtonControl::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource())
    FDataLink->SetDataSourceEh(nullptr);
}

void TCustomDBCheckBoxEh::SetValueChecked(const AnsiString& Value)
{
  FValueChecked = Value;
  DataChanged(nullptr);
}

void TCustomDBCheckBoxEh::SetValueUnchecked(const AnsiString& Value)
{
  FValueUnchecked = Value;
  DataChanged(nullptr);
}

void TCustomDBCheckBoxEh::SetAlignment(TLeftRight Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetFlat(bool Value)
{
  if (Value == FFlat)
    return;
  FFlat = Value;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetAlwaysShowBorder(bool Value)
{
  if (Value == FAlwaysShowBorder)
    return;
  FAlwaysShowBorder = Value;
  Invalidate();
}

TCheckBoxState TCustomDBCheckBoxEh::StateFromField() const
{
  if (IsDataIndependent()) {
    const Variant& v = FDataLink->DataIndependentValue();
    if (VarIsNull(v) || VarIsEmpty(v) || VarType(v) != varBoolean)
      return cbGrayed;
    return v.AsBoolean() ? cbChecked : cbUnchecked;
  }
  TField* field = Field();
  if (!field)
    return cbUnchecked;
  if (field->IsNull())
    return cbGrayed;
  if (field->DataType() == ftBoolean)
    return field->AsBoolean() ? cbChecked : cbUnchecked;
  AnsiString text = field->Text();
  if (TextInValueListEh(text, FValueChecked))
    return cbChecked;
  if (TextInValueListEh(text, FValueUnchecked))
    return cbUnchecked;
  return cbGrayed;
}

void TCustomDBCheckBoxEh::DataChanged(TObject*)
{
  ApplyState(StateFromField());
  FModified = false;
}

void TCustomDBCheckBoxEh::ApplyState(TCheckBoxState Value)
{
  if (Value == FState)
    return;
  FState = Value;
  FModified = true;
  Invalidate();
  if (!FSuppressClicks && !ClicksDisabled())
    Click(); // last: the handler may free the control
}

void TCustomDBCheckBoxEh::CycleState()
{
  if (!FDataLink->StartEdit())
    return;
  TCheckBoxState next = FState == cbUnchecked ? (FAllowGrayed ? cbGrayed : cbChecked)
                        : FState == cbChecked ? cbUnchecked
                                              : cbChecked;
  FDataLink->MarkModified();
  ApplyState(next);
}

void TCustomDBCheckBoxEh::SetState(TCheckBoxState Value)
{
  if (ComponentState().Contains(csDesigning) && !IsDataIndependent())
    return;
  if (!IsDataIndependent())
    FDataLink->Edit(); // does nothing without a dataset
  ApplyState(Value);
  if (FPosting)
    return;
  try {
    StoreState();
  } catch (...) {
    FDataLink->ResetValue();
    throw;
  }
}

void TCustomDBCheckBoxEh::StoreState()
{
  bool handled = false;
  if (OnUpdateData) {
    FPosting = true;
    TScopeExit done([this] { FPosting = false; });
    OnUpdateData(this, handled);
  }
  if (!handled)
    PostState();
}

void TCustomDBCheckBoxEh::PostState()
{
  if (IsDataIndependent()) {
    FDataLink->SetDataIndependentValue(FState == cbGrayed ? Null() : Variant(FState == cbChecked));
    return;
  }
  TField* field = Field();
  if (!field || !field->DataSet() || !field->DataSet()->Active())
    return; // nothing to store into: the state is only shown
  TDataSetState st = field->DataSet()->State();
  if (st != dsEdit && st != dsInsert)
    return;
  if (FState == cbGrayed)
    field->Clear();
  else if (field->DataType() == ftBoolean)
    field->SetAsBoolean(FState == cbChecked);
  else
    field->SetText(FirstEntry(FState == cbChecked ? FValueChecked : FValueUnchecked));
}

void TCustomDBCheckBoxEh::UpdateData(TObject*)
{
  StoreState();
}

// ---- Keys, mouse, focus ----

void TCustomDBCheckBoxEh::KeyDown(Word& Key, TShiftState Shift)
{
  TWinControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE && !FSpacePressed) {
    FSpacePressed = true;
    Invalidate();
  }
}

void TCustomDBCheckBoxEh::KeyUp(Word& Key, TShiftState Shift)
{
  TWinControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpacePressed) {
    FSpacePressed = false;
    Invalidate();
    CycleState();
  }
}

void TCustomDBCheckBoxEh::KeyPress(char& Key)
{
  TWinControl::KeyPress(Key);
  if (Key == VK_BACK || Key == ' ') {
    FDataLink->StartEdit();
  } else if (Key == VK_ESCAPE) {
    FDataLink->ResetValue();
    Key = 0;
  }
}

void TCustomDBCheckBoxEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Button == mbLeft && !Focused() && !ComponentState().Contains(csDesigning)) {
    // Taking the focus may store and move things: no click comes of it.
    FSuppressClicks = true;
    TScopeExit restore([this] { FSuppressClicks = false; });
    SetFocus();
    if (!Focused())
      return;
  }
  TControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) {
    FLeftDown = true;
    Invalidate();
  }
}

void TCustomDBCheckBoxEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TControl::MouseUp(Button, Shift, X, Y);
  if (watch.Destroyed() || Button != mbLeft || !FLeftDown)
    return;
  FLeftDown = false;
  Invalidate();
  if (PtInRect(ClientRect(), Point(X, Y)))
    CycleState();
}

void TCustomDBCheckBoxEh::DoExit()
{
  // The state is stored before OnExit; a store that fails keeps the focus here.
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    SetFocus();
    throw;
  }
  TButtonControl::DoExit();
}

void TCustomDBCheckBoxEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_CANCELMODE:
    // Releasing the press at (-1, -1) lets go of it without a click.
    if (MouseCapture())
      SetMouseCapture(false);
    FLeftDown = false;
    Invalidate();
    return;
  case CM_DIALOGCHAR:
    if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
      SetFocus();
      if (Focused())
        CycleState();
      Message.Result = 1;
    }
    return;
  case CM_MOUSEENTER:
  case CM_MOUSELEAVE:
    FMouseOver = Message.Msg == CM_MOUSEENTER;
    Invalidate();
    break;
  case CM_WANTSPECIALKEY:
    if (Message.WParam == VK_ESCAPE && FDataLink->Modified()) {
      Message.Result = 1;
      return;
    }
    break;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
  case CM_TEXTCHANGED:
  case CM_ENABLEDCHANGED:
    Invalidate();
    break;
  }
  TButtonControl::Dispatch(Message);
}

// ---- Painting ----

TRect TCustomDBCheckBoxEh::BoxRect() const
{
  TRect client = ClientRect();
  bool boxRight = FAlignment == taLeftJustify;
  return FitCheckBoxRect(client, boxRight ? taRightJustify : taLeftJustify, tlCenter);
}

TRect TCustomDBCheckBoxEh::CaptionRect() const
{
  TRect client = ClientRect(), box = BoxRect();
  if (FAlignment == taLeftJustify)
    return TRect(client.Left, client.Top, box.Left - 5, client.Bottom);
  return TRect(box.Right + 5, client.Top, client.Right, client.Bottom);
}

void TCustomDBCheckBoxEh::PaintWindow(HDC DC)
{
  TCanvas canvas;
  BindCanvasToDC(canvas, DC);
  canvas.SetFont(Font());
  bool pressed = (FMouseOver && FLeftDown) || FSpacePressed;
  DrawControl(&canvas, FState, Focused(), pressed, FMouseOver);
}

void TCustomDBCheckBoxEh::DrawControl(TCanvas* Canvas, TCheckBoxState AState, bool Focused,
                                      bool Pressed, bool Hot)
{
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color());
  Canvas->FillRect(ClientRect());
  // The caption: one line, vertically centred, left-aligned in its rectangle.
  TRect caption = CaptionRect();
  AnsiString text = Caption();
  TSize extent = Canvas->TextExtent(StripHotkey(text));
  Integer y = Height() / 2 - extent.cy / 2;
  Canvas->Brush()->SetStyle(bsClear);
  TRect textRect = Bounds(caption.Left, y, std::min(extent.cx, caption.Width()), extent.cy);
  if (Enabled()) {
    Canvas->Font()->SetColor(Font()->Color());
    Canvas->TextRect(caption, caption.Left, y, StripHotkey(text));
  } else {
    Canvas->Font()->SetColor(clBtnHighlight);
    Canvas->TextRect(caption, caption.Left + 1, y + 1, StripHotkey(text));
    Canvas->Font()->SetColor(clGrayText);
    Canvas->TextRect(caption, caption.Left, y, StripHotkey(text));
  }
  if (Focused) {
    TRect focus(std::max(0, textRect.Left - 1), std::max(0, textRect.Top - 1),
                std::min(Width(), textRect.Right + 1), std::min(Height(), textRect.Bottom + 1));
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->DrawFocusRect(focus);
  }
  PaintButtonFace(Canvas, BoxRect(), Color(), bpkCheckBox, Pressed ? 1 : 0, FFlat,
                  Hot || Focused || FAlwaysShowBorder, Enabled(), AState);
}

void DBCtrlsEhInitialization()
{
  RegisterEventType<TUpdateDataEventEh>("TUpdateDataEventEh");
  RegisterEventType<TNotInListEventEh>("TNotInListEventEh");
  RegisterEventType<TCloseUpEventEh>("TCloseUpEventEh");
  RegisterEventType<TListGetImageIndexEventEh>("TListGetImageIndexEventEh");
  RegisterEventType<TOnCheckDrawRequiredStateEventEh>("TOnCheckDrawRequiredStateEventEh");
  RegisterEventType<TGetImageIndexEventEh>("TGetImageIndexEventEh");
  RegisterEnumType<TDropDownAlign>("TDropDownAlign", {"daLeft", "daRight", "daCenter"});
  using D = TDropDownBoxEh;
  TClassRegistration<D, TPersistent>("TDropDownBoxEh")
      .Abstract()
      .Property("Align", &D::Align, &D::SetAlign)
      .Default(daLeft)
      .Property("AutoDrop", &D::AutoDrop, &D::SetAutoDrop)
      .Default(false)
      .Property("Rows", &D::Rows, &D::SetRows)
      .Default(7)
      .Property("Sizable", &D::Sizable, &D::SetSizable)
      .Default(false)
      .Property("Width", &D::Width, &D::SetWidth)
      .Default(0);
  TClassRegistration<TCustomDBEditEh, TWinControl>("TCustomDBEditEh");
  TClassRegistration<TDBEditEh, TCustomDBEditEh>("TDBEditEh");
  TClassRegistration<TCustomDBComboBoxEh, TCustomDBEditEh>("TCustomDBComboBoxEh");
  // Items and KeyItems come before Text, so a data-independent keyed combo box read from a
  // form description finds the item of its text.
  using B = TDBComboBoxEh;
  TClassRegistration<B, TCustomDBComboBoxEh>("TDBComboBoxEh")
      .Property("Alignment", &B::Alignment, &B::SetAlignment)
      .Stored([](B* c) { return c->AlignmentSet(); })
      .Property("AlwaysShowBorder", &B::AlwaysShowBorder, &B::SetAlwaysShowBorder)
      .Default(false)
      .Property("DataField", &B::DataField, &B::SetDataField)
      .Property("DataSource", &B::DataSource, &B::SetDataSource)
      .Property("DropDownBox", &B::DropDownBox, &B::SetDropDownBox)
      .Property("EditMask", &B::EditMask, &B::SetEditMask)
      .Stored([](B* c) { return c->EditMaskSet(); })
      .Property("Flat", &B::Flat, &B::SetFlat)
      .Default(false)
      .Property("HighlightRequired", &B::HighlightRequired, &B::SetHighlightRequired)
      .Default(false)
      .Property("Images", &B::Images, &B::SetImages)
      .Property("Items", &B::Items, &B::SetItems)
      .Property("KeyItems", &B::KeyItems, &B::SetKeyItems)
      .Property("MaxLength", &B::MaxLength, &B::SetMaxLength)
      .Default(0)
      .Property("ReadOnly", &B::ReadOnly, &B::SetReadOnly)
      .Default(false)
      .Property("Text", &B::Text, &B::SetTextEh)
      .Stored([](B* c) { return c->IsDataIndependent() && !c->Text().empty(); })
      .Property("WordWrap", &B::WordWrap, &B::SetWordWrap)
      .Default(false)
      .Property("OnButtonClick", &B::OnButtonClick, &B::OnButtonClick)
      .Property("OnButtonDown", &B::OnButtonDown, &B::OnButtonDown)
      .Property("OnChange", &B::OnChange, &B::OnChange)
      .Property("OnCheckDrawRequiredState", &B::OnCheckDrawRequiredState,
                &B::OnCheckDrawRequiredState)
      .Property("OnCloseUp", &B::OnCloseUp, &B::OnCloseUp)
      .Property("OnDropDown", &B::OnDropDown, &B::OnDropDown)
      .Property("OnGetImageIndex", &B::OnGetImageIndex, &B::OnGetImageIndex)
      .Property("OnGetItemImageIndex", &B::OnGetItemImageIndex, &B::OnGetItemImageIndex)
      .Property("OnNotInList", &B::OnNotInList, &B::OnNotInList)
      .Property("OnUpdateData", &B::OnUpdateData, &B::OnUpdateData);
  using C = TDBCheckBoxEh;
  TClassRegistration<TCustomDBCheckBoxEh, TButtonControl>("TCustomDBCheckBoxEh");
  TClassRegistration<C, TCustomDBCheckBoxEh>("TDBCheckBoxEh")
      .Property("AllowGrayed", &C::AllowGrayed, &C::SetAllowGrayed)
      .Default(false)
      .Property("Alignment", &C::Alignment, &C::SetAlignment)
      .Default(taRightJustify)
      .Property("AlwaysShowBorder", &C::AlwaysShowBorder, &C::SetAlwaysShowBorder)
      .Default(false)
      .Property("Checked", &C::Checked, &C::SetChecked)
      .Stored([](C*) { return false; })
      .Property("DataField", &C::DataField, &C::SetDataField)
      .Property("DataSource", &C::DataSource, &C::SetDataSource)
      .Property("Flat", &C::Flat, &C::SetFlat)
      .Default(false)
      .Property("ReadOnly", &C::ReadOnly, &C::SetReadOnly)
      .Default(false)
      .Property("State", &C::State, &C::SetState)
      .Stored([](C* c) { return c->IsDataIndependent() && c->State() != cbUnchecked; })
      .Property("ValueChecked", &C::ValueChecked, &C::SetValueChecked)
      .Property("ValueUnchecked", &C::ValueUnchecked, &C::SetValueUnchecked);
  // Constructed by name when read from form descriptions (the dialogs' controls).
  RegisterClasses(
      {ClassInfoOf<TDBEditEh>(), ClassInfoOf<TDBComboBoxEh>(), ClassInfoOf<TDBCheckBoxEh>()});
}
