// The radio group (TCustomRadioGroup/TRadioGroup): a group box that makes one radio button
// per item and arranges them in columns. ExtCtrls.h describes it.
#include <algorithm>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ExtCtrlsPrivate.h"

void extctrls::RegisterRadioGroupClasses()
{
  TClassRegistration<TCustomRadioGroup, TCustomGroupBox>("TCustomRadioGroup");
  TClassRegistration<TRadioGroup, TCustomRadioGroup>("TRadioGroup")
      .Property("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns)
      .Default(1)
      .Property("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex)
      .Default(-1)
      .Property("Items", &TRadioGroup::Items, &TRadioGroup::SetItems);
}

// One radio button of a group: its click tells the group which item is chosen.
class TGroupButton : public TRadioButton {
public:
  explicit TGroupButton(TCustomRadioGroup* Group) : TRadioButton(Group), FGroup(Group) {}

  void Click() override
  {
    if (FInClick)
      return;
    FInClick = true;
    TDestroyWatch watch(this);
    TRadioButton::Click();
    if (watch.Destroyed())
      return;
    FInClick = false;
    FGroup->ButtonClicked(this);
  }

private:
  TCustomRadioGroup* FGroup;
  bool FInClick = false;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), FItems(std::make_unique<TStringList>())
{
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csReplicatable};
  FItems->OnChange = TNotifyEvent::Bind(this, &TCustomRadioGroup::ItemsChanged);
}

TCustomRadioGroup::~TCustomRadioGroup()
{
  FItems->OnChange = nullptr;
}

TRadioButton* TCustomRadioGroup::Buttons(Integer Index) const
{
  if (Index < 0 || Index >= static_cast<Integer>(FButtons.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FButtons[static_cast<std::size_t>(Index)];
}

void TCustomRadioGroup::ItemsChanged(TObject*)
{
  if (ComponentState().Contains(csLoading))
    return;
  if (FItemIndex >= FItems->Count())
    FItemIndex = FItems->Count() - 1;
  UpdateButtons();
}

void TCustomRadioGroup::Loaded()
{
  TCustomGroupBox::Loaded();
  if (FItemIndex >= FItems->Count())
    FItemIndex = FItems->Count() - 1;
  UpdateButtons();
}

// One button per item, captioned with it; only the item at ItemIndex is checked. Nothing
// here counts as a click.
void TCustomRadioGroup::UpdateButtons()
{
  FUpdating = true;
  Integer count = FItems->Count();
  while (static_cast<Integer>(FButtons.size()) > count) {
    delete FButtons.back();
    FButtons.pop_back();
  }
  while (static_cast<Integer>(FButtons.size()) < count) {
    auto* button = new TGroupButton(this);
    button->SetParent(this);
    FButtons.push_back(button);
  }
  for (Integer i = 0; i < count; ++i) {
    TRadioButton* b = FButtons[static_cast<std::size_t>(i)];
    b->SetCaption(FItems->Strings(i));
    b->SetEnabled(FEnabled);
    b->SetChecked(i == FItemIndex);
  }
  FUpdating = false;
  ArrangeButtons();
}

// The buttons fill the columns from top to bottom, sharing the height below the caption.
void TCustomRadioGroup::ArrangeButtons()
{
  if (FButtons.empty() || ComponentState().Contains(csLoading))
    return;
  HDC dc = GetDC(0);
  TCanvas* measure = CanvasFromDC(dc);
  measure->SetFont(FFont.get());
  Integer textHeight = measure->GetTextMetrics().tmHeight;
  ReleaseDC(0, dc);
  Integer count = static_cast<Integer>(FButtons.size());
  Integer columns = std::max(FColumns, 1);
  Integer perColumn = (count + columns - 1) / columns;
  Integer buttonWidth = (FWidth - 10) / columns;
  Integer space = FHeight - textHeight - 5;
  Integer buttonHeight = std::max(space / perColumn, 1);
  Integer topMargin = textHeight + 1 + (space % perColumn) / 2;
  for (Integer i = 0; i < count; ++i)
    FButtons[static_cast<std::size_t>(i)]->SetBounds((i / perColumn) * buttonWidth + 8,
                                                     (i % perColumn) * buttonHeight + topMargin,
                                                     buttonWidth, buttonHeight);
}

void TCustomRadioGroup::SetColumns(Integer Value)
{
  Value = std::clamp(Value, 1, 16);
  if (Value == FColumns)
    return;
  FColumns = Value;
  ArrangeButtons();
  Invalidate();
}

// Checking an item by code is a click of the group, as checking it by hand is.
void TCustomRadioGroup::SetItemIndex(Integer Value)
{
  if (ComponentState().Contains(csLoading)) {
    FItemIndex = Value;
    return;
  }
  Value = std::clamp(Value, -1, static_cast<Integer>(FButtons.size()) - 1);
  if (Value == FItemIndex)
    return;
  if (FItemIndex >= 0)
    FButtons[static_cast<std::size_t>(FItemIndex)]->SetChecked(false);
  FItemIndex = Value;
  if (Value >= 0)
    FButtons[static_cast<std::size_t>(Value)]->SetChecked(true);
}

void TCustomRadioGroup::ButtonClicked(TRadioButton* Button)
{
  if (FUpdating)
    return;
  auto it = std::find(FButtons.begin(), FButtons.end(), Button);
  if (it == FButtons.end())
    return;
  FItemIndex = static_cast<Integer>(it - FButtons.begin());
  Click();
}

void TCustomRadioGroup::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_SIZE:
  case CM_FONTCHANGED:
    TCustomGroupBox::Dispatch(Message);
    ArrangeButtons();
    return;
  case CM_ENABLEDCHANGED:
    for (TRadioButton* b : FButtons)
      b->SetEnabled(FEnabled);
    break;
  }
  TCustomGroupBox::Dispatch(Message);
}
