// The cell editing bridge: the base grid's editor questions answered for columns and fields
// (texts of key and pick lists, lookups, memos), entering edit mode when the user starts
// typing, writing the text back when the data link asks, and moving the current column
// (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool IsMemo(TField* Field)
{
  return Field->DataType() == ftMemo || Field->DataType() == ftFmtMemo;
}

// Line breaks of a memo shown as text become CR LF.
AnsiString NormalizeLineBreaks(const AnsiString& Text)
{
  AnsiString out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char c = Text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < Text.size() && Text[i + 1] == '\n')
        ++i;
    } else if (c == '\n')
      out += "\r\n";
    else
      out += c;
  }
  return out;
}

Integer IndexOfText(TStrings* List, const AnsiString& Text)
{
  for (Integer i = 0; i < List->Count(); ++i)
    if (AnsiSameText(List->Strings(i), Text))
      return i;
  return -1;
}

bool KeysModifiable(TField* Field)
{
  TDataSet* ds = Field->DataSet();
  if (!ds || Field->KeyFields().empty())
    return false;
  std::vector<TField*> keys;
  try {
    ds->GetFieldList(keys, Field->KeyFields());
  } catch (const EDatabaseError&) {
    return false;
  }
  for (TField* k : keys)
    if (!k->CanModify())
      return false;
  return !keys.empty();
}

} // namespace

TColumnEh* TCustomDBGridEh::CurrentColumn() const
{
  Integer i = SelectedIndex();
  return i >= 0 && i < FColumns->Count() ? FColumns->Items(i) : nullptr;
}

bool TCustomDBGridEh::CanEditShow()
{
  bool result = FLayoutLock == 0 && TCustomGrid::CanEditShow();
  if (result) {
    TColumnEh* c = CurrentColumn();
    TColumnKindEh kind = c ? c->Kind() : ckText;
    result = c && kind != ckCheckboxes && kind != ckImageList && FDataLink->Active() &&
             !FIncSearchActive &&
             !(FSelection->Kind() != selNoneEh && FExtOptions.Contains(dgxClearSelectionEh) &&
               FSelectableKinds.Contains(selRectEh));
  }
  if (!result && EditorMode())
    HideEditor();
  return result;
}

bool TCustomDBGridEh::CanEditModify()
{
  TColumnEh* c = CurrentColumn();
  if ((c && c->Kind() == ckCheckboxes) || FIncSearchActive)
    return false;
  return PrepareCellEdit();
}

bool TCustomDBGridEh::PrepareCellEdit()
{
  TColumnEh* c = CurrentColumn();
  if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly() || !c || c->ReadOnly())
    return false;
  TField* f = c->Field();
  if (!f)
    return false;
  bool modifiable = f->FieldKind() == fkLookup ? KeysModifiable(f) : f->CanModify();
  if (!modifiable)
    return false;
  if (f->IsBlob() && !f->OnSetText && !(FMemoAsText && IsMemo(f)))
    return false;
  if (!c->CanEditValue(false))
    return false;
  FDataLink->Edit();
  bool editing = FDataLink->Editing();
  if (editing)
    FDataLink->MarkModified();
  return editing;
}

bool TCustomDBGridEh::CanEditAcceptKey(char Key)
{
  TColumnEh* c = CurrentColumn();
  TField* f = c ? c->Field() : nullptr;
  if (!FDataLink->Active() || !f)
    return false;
  if (c->HasKeyList())
    return true;
  return f->IsValidChar(Key);
}

AnsiString TCustomDBGridEh::GetEditMask(Integer ACol, Integer ARow)
{
  TColumnEh* c = CurrentColumn();
  if (!FDataLink->Active() || !c)
    return AnsiString();
  if (!c->EditMask().empty())
    return c->EditMask();
  TField* f = c->Field();
  if (!f || c->HasKeyList())
    return AnsiString();
  return f->EditMask();
}

Integer TCustomDBGridEh::GetEditLimit()
{
  TColumnEh* c = CurrentColumn();
  TField* f = c ? c->Field() : nullptr;
  if (!c || c->HasKeyList() || !f ||
      (f->DataType() != ftString && f->DataType() != ftWideString && f->DataType() != ftFixedChar))
    return 0;
  return f->Size();
}

AnsiString TCustomDBGridEh::GetEditText(Integer ACol, Integer ARow)
{
  FEditValue = Null();
  FEditText.clear();
  TColumnEh* c = CurrentColumn();
  if (!FDataLink->Active() || !c)
    return FEditText;
  TField* f = c->Field();
  AnsiString text;
  if (f) {
    if (c->HasKeyList()) {
      Integer i = IndexOfText(c->KeyList(), f->Text());
      if (i >= 0 && i < c->PickList()->Count())
        text = c->PickList()->Strings(i);
    } else if (FMemoAsText && IsMemo(f))
      text = NormalizeLineBreaks(f->AsString());
    else
      text = f->Text();
    if (f->FieldKind() == fkLookup && !f->KeyFields().empty())
      FEditValue = f->DataSet()->FieldValues(f->KeyFields());
  }
  TColCellParamsEh params;
  params.Text = text;
  params.Font = Canvas()->Font();
  c->DoGetCellParams(true, &params);
  FEditText = params.Text;
  return FEditText;
}

void TCustomDBGridEh::SetEditText(Integer ACol, Integer ARow, const AnsiString& Value)
{
  FEditText = Value;
}

void TCustomDBGridEh::UpdateData()
{
  TColumnEh* c = CurrentColumn();
  if (!c)
    return;
  TField* f = c->Field();
  AnsiString text = FEditText;
  if (!f) {
    c->StoreCellValue(text, Variant(text), true);
    return;
  }
  switch (c->Kind()) {
  case ckPickList:
    if (c->OnNotInList && IndexOfText(c->PickList(), text) < 0) {
      bool recheck = false;
      c->OnNotInList(c, text, recheck);
    }
    c->StoreCellValue(text, Variant(text), true);
    return;
  case ckKeyList: {
    Integer i = IndexOfText(c->PickList(), text);
    if (i >= 0 && i < c->KeyList()->Count()) {
      FEditValue = Variant(c->KeyList()->Strings(i));
    } else if (text.empty()) {
      FEditValue = Null();
    } else if (c->OnNotInList) {
      bool recheck = false;
      c->OnNotInList(c, text, recheck);
      i = recheck ? IndexOfText(c->PickList(), text) : -1;
      FEditValue = i >= 0 && i < c->KeyList()->Count() ? Variant(c->KeyList()->Strings(i)) : Null();
    } else {
      // A text that names no entry keeps the stored key: nothing is written.
      return;
    }
    c->StoreCellValue(text, FEditValue, false);
    return;
  }
  default:
    break;
  }
  if (f->FieldKind() == fkLookup && !f->KeyFields().empty()) {
    TDataSet* lookup = f->LookupDataSet();
    bool found = false;
    if (lookup && lookup->Active() && !text.empty()) {
      Variant keys = lookup->Lookup(f->LookupResultField(), Variant(text), f->LookupKeyFields());
      if (!VarIsNull(keys)) {
        FEditValue = keys;
        found = true;
      }
    }
    if (!found && !text.empty() && c->OnNotInList) {
      bool recheck = false;
      c->OnNotInList(c, text, recheck);
      if (recheck && lookup && lookup->Active()) {
        Variant keys = lookup->Lookup(f->LookupResultField(), Variant(text), f->LookupKeyFields());
        if (!VarIsNull(keys))
          FEditValue = keys;
      }
    }
    if (text.empty())
      FEditValue = Null();
    if (KeysModifiable(f)) {
      f->DataSet()->Edit();
      c->StoreCellValue(text, FEditValue, false);
    }
    return;
  }
  c->StoreCellValue(text, Variant(text), true);
}

void TCustomDBGridEh::SelectColumn(Integer RawCol, Integer Direction, bool ExtendRect)
{
  TDataSet* ds = FDataLink->DataSet();
  bool rect = ExtendRect && SelectionAllowed(selRectEh) && FDataLink->Active() && ds;
  if (rect && FSelection->Kind() != selRectEh) {
    ClearSelectionOnMove();
    FSelection->Rect()->SelectCell(SelectedIndex(), ds->Bookmark(), false);
  }
  FDataLink->WritePendingEdits();
  RawCol = std::clamp(RawCol, FIndicatorColCount, ColCount() - 1);
  if (Direction != 0) {
    while (RawCol >= FIndicatorColCount && RawCol < ColCount() && ColWidths(RawCol) < 1)
      RawCol += Direction;
    if (RawCol < FIndicatorColCount || RawCol >= ColCount())
      return;
  }
  if (RawCol != Col()) {
    Integer before = Col();
    ColExit();
    if (Col() != before)
      return;
    if (!FOptions.Contains(dgAlwaysShowEditor))
      HideEditor();
    if (!FOptions.Contains(dgFullRowSelect))
      MoveColRow(RawCol, Row(), true, RawCol >= FixedCols());
    TColumnEh* c = CurrentColumn();
    if (c && c->Kind() != ckCheckboxes && c->Kind() != ckImageList && EditorAlwaysVisible())
      ShowCellEditor();
    ColEnter();
    StopIncrementalSearch();
  }
  if (rect)
    FSelection->Rect()->SelectCell(SelectedIndex(), ds->Bookmark(), true);
}

void TCustomDBGridEh::SelectDataColumn(Integer DataCol)
{
  SelectColumn(DataCol + FIndicatorColCount, 0, false);
}
