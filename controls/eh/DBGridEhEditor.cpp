// The grid's cell editor: the base in-place edit with room for the cell's edit button and
// the pick-list drop-down of pick-list and key-list columns (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/DropDownsEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/VirtualKeys.h"

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {}

TDBGridInplaceEdit::~TDBGridInplaceEdit()
{
  delete FPickList;
}

TCustomDBGridEh* TDBGridInplaceEdit::DBGrid() const
{
  return dynamic_cast<TCustomDBGridEh*>(Grid());
}

void TDBGridInplaceEdit::UpdateContents()
{
  CloseDropDown(false);
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  FEditStyle = c ? c->ColumnEditStyle() : cesPlain;
  FButtonWidth = FEditStyle == cesPlain || !g ? 0 : g->EditButtonWidth();
  TInplaceEdit::UpdateContents();
}

void TDBGridInplaceEdit::UpdateLoc(const TRect& Loc)
{
  // The edit leaves the cell's right end to the button the grid draws there.
  TRect r = Loc;
  r.Right = std::max(r.Left + 1, r.Right - FButtonWidth);
  TInplaceEdit::UpdateLoc(r);
}

TStrings* TDBGridInplaceEdit::ListItems(TColumnEh* Column, Integer& Count) const
{
  TStrings* pick = Column->PickList();
  Count = pick->Count();
  // A key list offers only the texts that have a key.
  if (Column->HasKeyList())
    Count = std::min(Count, Column->KeyList()->Count());
  return pick;
}

void TDBGridInplaceEdit::OpenDropDown()
{
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = g ? g->CurrentColumn() : nullptr;
  if (!c || FListVisible || (FEditStyle != cesPickList && !c->HasKeyList()))
    return;
  Integer count = 0;
  TStrings* items = ListItems(c, count);
  if (!FPickList) {
    FPickList = new TPopupListboxEh(nullptr);
    FPickList->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer X,
                                  Integer Y) {
      if (Button != mbLeft)
        return;
      Integer index = FPickList->ItemAtPos({X, Y}, true);
      if (index >= 0)
        FPickList->SetItemIndex(index);
      CloseDropDown(index >= 0);
    };
  }
  FPickList->Font()->Assign(Font());
  FPickList->Items()->Clear();
  for (Integer i = 0; i < count; ++i)
    FPickList->Items()->Add(items->Strings(i));
  Integer index = -1;
  for (Integer i = 0; i < count; ++i)
    if (AnsiSameText(items->Strings(i), Text()))
      index = i;
  FPickList->SetItemIndex(index);
  TRect cell = CellRect();
  Integer width = c->DropDownWidth() > 0 ? c->DropDownWidth() : cell.Width();
  FPickList->SetWidth(width);
  FPickList->SetRowCount(std::clamp<Integer>(count, 1, static_cast<Integer>(c->DropDownRows())));
  TPoint at = FitDropDownToControl(this, FPickList, 0);
  SetWindowPos(FPickList->Handle(), HWND_TOPMOST, at.X, at.Y, FPickList->Width(),
               FPickList->Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FListVisible = true;
}

void TDBGridInplaceEdit::CloseDropDown(bool Accept)
{
  if (!FListVisible)
    return;
  FListVisible = false;
  ShowWindow(FPickList->Handle(), SW_HIDE);
  TCustomDBGridEh* g = DBGrid();
  Integer index = FPickList->ItemIndex();
  if (!Accept || index < 0 || !g)
    return;
  TColumnEh* c = g->CurrentColumn();
  if (!c || !g->PrepareCellEdit())
    return;
  AnsiString text = FPickList->Items()->Strings(index);
  SetText(text);
  SelectAll();
  if (c->HasKeyList() && index < c->KeyList()->Count())
    g->SetEditValue(Variant(c->KeyList()->Strings(index)));
  g->SetEditText(g->Col(), g->Row(), text);
  g->DataLink()->MarkModified();
}

void TDBGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
  bool alt = Shift.Contains(ssAlt);
  if ((Key == VK_DOWN && alt) || (Key == VK_F4 && Shift.Empty())) {
    FListVisible ? CloseDropDown(true) : OpenDropDown();
    Key = 0;
    return;
  }
  if (FListVisible) {
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      Integer n = FPickList->Items()->Count();
      Integer step = Key == VK_UP ? -1 : Key == VK_DOWN ? 1 : Key == VK_PRIOR ? -7 : 7;
      FPickList->SetItemIndex(std::clamp<Integer>(FPickList->ItemIndex() + step, 0, n - 1));
      Key = 0;
      return;
    }
    case VK_RETURN:
      CloseDropDown(true);
      Key = 0;
      return;
    case VK_ESCAPE:
      CloseDropDown(false);
      Key = 0;
      return;
    }
  }
  TInplaceEdit::KeyDown(Key, Shift);
}

void TDBGridInplaceEdit::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_KILLFOCUS)
    CloseDropDown(false);
  TInplaceEdit::Dispatch(Message);
}

TInplaceEdit* TCustomDBGridEh::CreateEditor()
{
  auto* editor = new TDBGridInplaceEdit(this);
  editor->SetGrid(this);
  return editor;
}

TDBGridInplaceEdit* TCustomDBGridEh::CellEditor() const
{
  return dynamic_cast<TDBGridInplaceEdit*>(InplaceEditor());
}
