// The recent-text list and the special row: settings the drop-down owners publish (see
// DropDownsEh.h).
#include "controls/eh/DropDownsEh.h"
#include "controls/eh/EditButtonsEh.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"

namespace {

void RegisterClasses()
{
  RegisterEnumType<TGripCornerEh>("TGripCornerEh",
                                  {"gcTopLeft", "gcTopRight", "gcBottomRight", "gcBottomLeft"});
  TClassRegistration<TSizeGripEh, TCustomControl>("TSizeGripEh");
  TClassRegistration<TPopupListboxEh, TCustomListBox>("TPopupListboxEh");
  TClassRegistration<TMRUListboxEh, TPopupListboxEh>("TMRUListboxEh");
  TClassRegistration<TPopupMonthCalendarEh, TMonthCalendar>("TPopupMonthCalendarEh");
  TClassRegistration<TMRUListEh, TPersistent>("TMRUListEh")
      .Abstract()
      .Property("Active", &TMRUListEh::Active, &TMRUListEh::SetActive)
      .Default(false)
      .Property("AutoAdd", &TMRUListEh::AutoAdd, &TMRUListEh::SetAutoAdd)
      .Default(true)
      .Property("CaseSensitive", &TMRUListEh::CaseSensitive, &TMRUListEh::SetCaseSensitive)
      .Default(false)
      .Property("Items", &TMRUListEh::Items, &TMRUListEh::SetItems)
      .Property("Limit", &TMRUListEh::Limit, &TMRUListEh::SetLimit)
      .Default(100)
      .Property("Rows", &TMRUListEh::Rows, &TMRUListEh::SetRows)
      .Default(7);
  TClassRegistration<TSpecRowEh, TPersistent>("TSpecRowEh")
      .Abstract()
      .Property("CellsText", &TSpecRowEh::CellsText, &TSpecRowEh::SetCellsText)
      .Property("Color", &TSpecRowEh::Color, &TSpecRowEh::SetColor)
      .Type(TColorTypeInfo())
      .Stored(&TSpecRowEh::ColorAssigned)
      .Property("Font", &TSpecRowEh::Font, &TSpecRowEh::SetFont)
      .Stored(&TSpecRowEh::FontAssigned)
      .Property("ShortCut", &TSpecRowEh::ShortCut, &TSpecRowEh::SetShortCut)
      .Default(ShortCutAltDelEh)
      .Property("ShowIfNotInKeyList", &TSpecRowEh::ShowIfNotInKeyList,
                &TSpecRowEh::SetShowIfNotInKeyList)
      .Default(true)
      .Property("Value", &TSpecRowEh::Value, &TSpecRowEh::SetValue)
      .Stored([](TSpecRowEh* row) { return !VarIsNull(row->Value()); })
      .Property("Visible", &TSpecRowEh::Visible, &TSpecRowEh::SetVisible)
      .Default(false);
}

} // namespace

// ---- TMRUListEh ----

TMRUListEh::TMRUListEh(TPersistent* Owner) : FOwner(Owner), FItems(std::make_unique<TStringList>())
{
}

TMRUListEh::~TMRUListEh() = default;

void TMRUListEh::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  if (OnActiveChange)
    OnActiveChange(this);
}

void TMRUListEh::SetLimit(Integer Value)
{
  FLimit = std::max(0, Value);
  Trim();
}

void TMRUListEh::Trim()
{
  while (FItems->Count() > FLimit)
    FItems->Delete(0);
}

bool TMRUListEh::SameItem(const AnsiString& A, const AnsiString& B) const
{
  return FCaseSensitive ? CompareTextExact(A, B) == 0 : CompareTextNoCase(A, B) == 0;
}

void TMRUListEh::Remember(const AnsiString& Text)
{
  if (::Trim(Text).empty())
    return;
  for (Integer i = 0; i < FItems->Count(); ++i)
    if (SameItem(FItems->Strings(i), Text)) {
      FItems->Move(i, FItems->Count() - 1);
      return;
    }
  FItems->Add(Text);
  Trim();
}

bool TMRUListEh::CopyMatchingTo(TStrings* Target, const AnsiString& Text)
{
  Target->Clear();
  TUpdateScope update(*Target);
  Integer length = Length(Text);
  for (Integer i = 0; i < FItems->Count(); ++i) {
    AnsiString item = FItems->Strings(i);
    AnsiString head = item.substr(0, length);
    bool accept = SameItem(head, Text);
    if (OnItemFilter)
      OnItemFilter(this, item, accept);
    if (accept)
      Target->Add(item);
    if (i % 100 == 0) {
      MSG msg;
      if (FStopOnPendingKey && PeekMessage(msg, 0, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE))
        return false;
    }
  }
  return true;
}

void TMRUListEh::NotifyDropDown()
{
  FDroppedDown = true;
  if (OnDropDownHook)
    OnDropDownHook(this);
}

void TMRUListEh::NotifyCloseUp(bool Accept)
{
  FDroppedDown = false;
  if (OnCloseUpHook)
    OnCloseUpHook(this, Accept);
}

void TMRUListEh::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TMRUListEh*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  SetActive(source->FActive);
  FItems->Assign(source->FItems.get());
  SetLimit(source->FLimit);
  FRows = source->FRows;
  FCaseSensitive = source->FCaseSensitive;
}

// ---- Special row ----

void SplitCellsTextEh(const AnsiString& Text, TStrings* Cells)
{
  Cells->Clear();
  size_t i = 0, n = Text.size();
  auto skipControls = [&] {
    while (i < n && static_cast<unsigned char>(Text[i]) >= 1 &&
           static_cast<unsigned char>(Text[i]) < 32)
      ++i;
  };
  skipControls();
  while (i < n) {
    AnsiString part;
    if (Text[i] == '"') {
      ++i;
      while (i < n) {
        if (Text[i] == '"') {
          if (i + 1 < n && Text[i + 1] == '"') {
            part += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        part += Text[i++];
      }
    } else {
      while (i < n && static_cast<unsigned char>(Text[i]) >= 32 && Text[i] != ';')
        part += Text[i++];
    }
    Cells->Add(part);
    skipControls();
    if (i < n && Text[i] == ';') {
      ++i;
      skipControls();
    } else if (i < n) {
      // Text after a closing quote runs on to the next separator.
      while (i < n && Text[i] != ';')
        ++i;
      if (i < n)
        ++i;
      skipControls();
    }
  }
}

TSpecRowEh::TSpecRowEh(TControl* Owner)
    : FOwner(Owner), FCellsStrings(std::make_unique<TStringList>()),
      FFont(std::make_unique<TFont>()), FShortCut(ShortCutAltDelEh), FValue(Null())
{
  FFont->OnChange = TNotifyEvent::Bind(this, &TSpecRowEh::FontChanged);
}

TSpecRowEh::~TSpecRowEh()
{
  FFont->OnChange = nullptr;
}

void TSpecRowEh::Changed()
{
  if (FUpdateCount == 0 && OnChanged)
    OnChanged(this);
}

void TSpecRowEh::EndUpdate()
{
  if (FUpdateCount > 0 && --FUpdateCount == 0)
    Changed();
}

void TSpecRowEh::SetCellsText(const AnsiString& Value)
{
  if (Value == FCellsText)
    return;
  FCellsText = Value;
  SplitCellsText();
  Changed();
}

void TSpecRowEh::SplitCellsText()
{
  SplitCellsTextEh(FCellsText, FCellsStrings.get());
}

AnsiString TSpecRowEh::TextOfCell(Integer Index) const
{
  return Index >= 0 && Index < FCellsStrings->Count() ? FCellsStrings->Strings(Index) : "";
}

TColor TSpecRowEh::Color() const
{
  if (!FColorAssigned && FOwner)
    return FOwner->Color();
  return FColor;
}

void TSpecRowEh::SetColor(TColor Value)
{
  FColorAssigned = true;
  if (Value == FColor)
    return;
  FColor = Value;
  Changed();
}

TFont* TSpecRowEh::Font() const
{
  if (!FFontAssigned && FOwner) {
    // Refreshed from the owner without counting as an assignment.
    auto* self = const_cast<TSpecRowEh*>(this);
    self->FRefreshingFont = true;
    TScopeExit done([self] { self->FRefreshingFont = false; });
    FFont->Assign(FOwner->Font());
  }
  return FFont.get();
}

void TSpecRowEh::SetFont(TFont* Value)
{
  FFont->Assign(Value);
  FFontAssigned = true;
}

void TSpecRowEh::FontChanged(TObject*)
{
  if (FRefreshingFont)
    return;
  FFontAssigned = true;
  Changed();
}

void TSpecRowEh::SetShortCut(TShortCut Value)
{
  if (Value == FShortCut)
    return;
  FShortCut = Value;
  Changed();
}

void TSpecRowEh::SetShowIfNotInKeyList(bool Value)
{
  if (Value == FShowIfNotInKeyList)
    return;
  FShowIfNotInKeyList = Value;
  Changed();
}

void TSpecRowEh::SetValue(const Variant& Value)
{
  FValue = Value;
  Changed();
}

void TSpecRowEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed();
}

void TSpecRowEh::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TSpecRowEh*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  TScopeExit end([this] { EndUpdate(); });
  SetCellsText(source->FCellsText);
  if (source->FColorAssigned)
    SetColor(source->FColor);
  if (source->FFontAssigned)
    SetFont(source->FFont.get());
  SetShortCut(source->FShortCut);
  SetShowIfNotInKeyList(source->FShowIfNotInKeyList);
  SetValue(source->FValue);
  SetVisible(source->FVisible);
}

void DropDownsEhInitialization()
{
  RegisterClasses();
}

void DropDownsEhFinalization() {}
