// The check list box (TCheckListBox). CheckLst.h describes it.
#include "platform/ui/CheckLst.h"

#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdPaint.h"

void RegisterCheckLstClasses()
{
  TClassRegistration<TCheckListBox, TCustomListBox>("TCheckListBox")
      .Property("AllowGrayed", &TCheckListBox::AllowGrayed, &TCheckListBox::SetAllowGrayed)
      .Default(false)
      .Property("Columns", &TCheckListBox::Columns, &TCheckListBox::SetColumns)
      .Default(0)
      .Property("Flat", &TCheckListBox::Flat, &TCheckListBox::SetFlat)
      .Default(true)
      .Property("ItemHeight", &TCheckListBox::ItemHeight, &TCheckListBox::SetItemHeight)
      .Property("Items", &TCheckListBox::Items, &TCheckListBox::SetItems)
      .Property("Sorted", &TCheckListBox::Sorted, &TCheckListBox::SetSorted)
      .Default(false)
      .Property("OnClickCheck", &TCheckListBox::OnClickCheck, &TCheckListBox::OnClickCheck)
      .Property("OnDrawItem", &TCheckListBox::OnDrawItem, &TCheckListBox::OnDrawItem);
}

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner)
{
  SetStyle(lbOwnerDrawFixed);
  SetItemHeight(20);
}

Integer TCheckListBox::CheckWidth() const
{
  return cCheckBoxSize + 4;
}

void TCheckListBox::CheckIndex(Integer Index) const
{
  if (Index < 0 || Index >= static_cast<Integer>(FList.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

bool TCheckListBox::Checked(Integer Index) const
{
  return State(Index) == cbChecked;
}

void TCheckListBox::SetChecked(Integer Index, bool Value)
{
  SetState(Index, Value ? cbChecked : cbUnchecked);
}

TCheckBoxState TCheckListBox::State(Integer Index) const
{
  CheckIndex(Index);
  return static_cast<TCheckBoxState>(FList[static_cast<std::size_t>(Index)].Check);
}

void TCheckListBox::SetState(Integer Index, TCheckBoxState Value)
{
  CheckIndex(Index);
  Integer& check = FList[static_cast<std::size_t>(Index)].Check;
  if (check == Value)
    return;
  check = Value;
  if (HandleAllocated())
    InvalidateRect(Handle(), nullptr, false);
}

bool TCheckListBox::ItemEnabled(Integer Index) const
{
  CheckIndex(Index);
  return !FList[static_cast<std::size_t>(Index)].Disabled;
}

void TCheckListBox::SetItemEnabled(Integer Index, bool Value)
{
  CheckIndex(Index);
  FList[static_cast<std::size_t>(Index)].Disabled = !Value;
  Invalidate();
}

void TCheckListBox::ClickCheck()
{
  OnClickCheck(this);
}

void TCheckListBox::ToggleClickCheck(Integer Index)
{
  if (Index < 0 || Index >= Count() || !ItemEnabled(Index))
    return;
  TCheckBoxState next = State(Index) == cbUnchecked                 ? cbChecked
                        : State(Index) == cbChecked && FAllowGrayed ? cbGrayed
                                                                    : cbUnchecked;
  SetState(Index, next);
  ClickCheck();
}

// The box stands in the list's own colours at the item's left; the text and the selection's
// highlight begin after it.
void TCheckListBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State)
{
  TRect box = Rect;
  box.Right = box.Left + CheckWidth();
  TColor brush = Canvas()->Brush()->Color();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(box);
  Canvas()->Brush()->SetColor(brush);
  if (Index >= 0 && Index < Count()) {
    TPaintState paint;
    Integer check = FList[static_cast<std::size_t>(Index)].Check;
    if (check == cbChecked)
      paint.Include(psChecked);
    if (check == cbGrayed)
      paint.Include(psGrayed);
    if (!Enabled() || FList[static_cast<std::size_t>(Index)].Disabled)
      paint.Include(psDisabled);
    Integer top = Rect.Top + (Rect.Height() - cCheckBoxSize) / 2;
    PaintCheckBox(Canvas(), Bounds(box.Left + 2, top, cCheckBoxSize, cCheckBoxSize), paint);
  }
  TRect text = Rect;
  text.Left = box.Right;
  TCustomListBox::DrawItem(Index, text, State);
}

void TCheckListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Button == mbLeft) {
    Integer index = ItemAtPos({X, Y}, true);
    if (index >= 0 && X - ItemRect(index).Left < CheckWidth()) {
      TDestroyWatch watch(this);
      ToggleClickCheck(index);
      if (watch.Destroyed())
        return;
    }
  }
  TCustomListBox::MouseDown(Button, Shift, X, Y);
}

void TCheckListBox::KeyPress(char& Key)
{
  if (Key == ' ') {
    ToggleClickCheck(ItemIndex());
    Key = 0;
    return;
  }
  TCustomListBox::KeyPress(Key);
}
