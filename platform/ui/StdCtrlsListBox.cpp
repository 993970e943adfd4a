// The list box window (TCustomListBox/TListBox) and its items (TListBoxStrings): layout,
// selection, keys and incremental search, mouse tracking, scrolling, owner drawing and the
// LB_ messages. StdCtrls.h describes them.
#include <algorithm>
#include <climits>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"

void stdctrls::RegisterListBoxClasses()
{
  RegisterEnumType<TListBoxStyle>(
      "TListBoxStyle",
      {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual", "lbVirtualOwnerDraw"});
  RegisterEventType<TDrawItemEvent>("TDrawItemEvent");
  RegisterEventType<TMeasureItemEvent>("TMeasureItemEvent");
  RegisterEventType<TLBGetDataEvent>("TLBGetDataEvent");
  RegisterEventType<TLBGetDataObjectEvent>("TLBGetDataObjectEvent");
  RegisterEventType<TLBFindDataEvent>("TLBFindDataEvent");
  TClassRegistration<TCustomListBox, TWinControl>("TCustomListBox");
  TClassRegistration<TListBox, TCustomListBox>("TListBox")
      .Property("AutoComplete", &TListBox::AutoComplete, &TListBox::SetAutoComplete)
      .Default(true)
      .Property("BorderStyle", &TListBox::BorderStyle, &TListBox::SetBorderStyle)
      .Default(bsSingle)
      .Property("Columns", &TListBox::Columns, &TListBox::SetColumns)
      .Default(0)
      .Property("ExtendedSelect", &TListBox::ExtendedSelect, &TListBox::SetExtendedSelect)
      .Default(true)
      .Property("IntegralHeight", &TListBox::IntegralHeight, &TListBox::SetIntegralHeight)
      .Default(false)
      .Property("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight)
      .Property("Items", &TListBox::Items, &TListBox::SetItems)
      .Property("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect)
      .Default(false)
      .Property("ScrollWidth", &TListBox::ScrollWidth, &TListBox::SetScrollWidth)
      .Default(0)
      .Property("Sorted", &TListBox::Sorted, &TListBox::SetSorted)
      .Default(false)
      .Property("Style", &TListBox::Style, &TListBox::SetStyle)
      .Default(lbStandard)
      .Property("TabWidth", &TListBox::TabWidth, &TListBox::SetTabWidth)
      .Default(0)
      .Property("OnData", &TListBox::OnData, &TListBox::OnData)
      .Property("OnDataFind", &TListBox::OnDataFind, &TListBox::OnDataFind)
      .Property("OnDataObject", &TListBox::OnDataObject, &TListBox::OnDataObject)
      .Property("OnDrawItem", &TListBox::OnDrawItem, &TListBox::OnDrawItem)
      .Property("OnMeasureItem", &TListBox::OnMeasureItem, &TListBox::OnMeasureItem);
}

namespace {

constexpr UINT_PTR kTrackTimer = 1;
constexpr UINT kTrackInterval = 100;
constexpr DWORD kSearchPause = 1000; // incremental search starts over after this pause

} // namespace

TOwnerDrawState OwnerDrawState(UINT ItemState)
{
  TOwnerDrawState s;
  static const std::pair<UINT, TOwnerDrawStateElement> bits[] = {
      {ODS_SELECTED, odSelected},
      {ODS_GRAYED, odGrayed},
      {ODS_DISABLED, odDisabled},
      {ODS_CHECKED, odChecked},
      {ODS_FOCUS, odFocused},
      {ODS_DEFAULT, odDefault},
      {ODS_HOTLIGHT, odHotLight},
      {ODS_INACTIVE, odInactive},
      {ODS_NOACCEL, odNoAccel},
      {ODS_NOFOCUSRECT, odNoFocusRect},
      {ODS_COMBOBOXEDIT, odComboBoxEdit}};
  for (const auto& [bit, element] : bits)
    if (ItemState & bit)
      s.Include(element);
  return s;
}

// ---- TListBoxStrings ----

Integer TListBoxStrings::GetCount() const
{
  return FListBox->Count();
}

AnsiString TListBoxStrings::Get(Integer Index) const
{
  if (Index < 0 || Index >= FListBox->Count())
    Error("List index out of bounds (%d)", Index);
  return FListBox->ItemText(Index);
}

TObject* TListBoxStrings::GetObject(Integer Index) const
{
  if (Index < 0 || Index >= FListBox->Count())
    Error("List index out of bounds (%d)", Index);
  if (FListBox->IsVirtual())
    return FListBox->DoGetDataObject(Index);
  return reinterpret_cast<TObject*>(FListBox->FList[static_cast<std::size_t>(Index)].Data);
}

void TListBoxStrings::PutObject(Integer Index, TObject* AObject)
{
  if (FListBox->IsVirtual())
    return;
  if (Index < 0 || Index >= FListBox->Count())
    Error("List index out of bounds (%d)", Index);
  FListBox->FList[static_cast<std::size_t>(Index)].Data = reinterpret_cast<NativeInt>(AObject);
}

// A changed text keeps the item's object and selection.
void TListBoxStrings::Put(Integer Index, const AnsiString& S)
{
  if (FListBox->IsVirtual())
    return;
  if (Index < 0 || Index >= FListBox->Count())
    Error("List index out of bounds (%d)", Index);
  FListBox->FList[static_cast<std::size_t>(Index)].Text = S;
  FListBox->ItemsChanged();
}

Integer TListBoxStrings::Add(const AnsiString& S)
{
  if (FListBox->IsVirtual())
    return -1;
  return FListBox->InsertItem(-1, S);
}

void TListBoxStrings::Insert(Integer Index, const AnsiString& S)
{
  if (FListBox->IsVirtual())
    return;
  if (Index < 0 || Index > FListBox->Count())
    Error("List index out of bounds (%d)", Index);
  FListBox->InsertItem(Index, S);
}

void TListBoxStrings::Delete(Integer Index)
{
  if (Index < 0 || Index >= FListBox->Count())
    Error("List index out of bounds (%d)", Index);
  FListBox->DeleteItem(Index);
}

void TListBoxStrings::Clear()
{
  FListBox->ResetContent();
}

void TListBoxStrings::Exchange(Integer Index1, Integer Index2)
{
  auto& list = FListBox->FList;
  if (Index1 < 0 || Index1 >= static_cast<Integer>(list.size()))
    Error("List index out of bounds (%d)", Index1);
  if (Index2 < 0 || Index2 >= static_cast<Integer>(list.size()))
    Error("List index out of bounds (%d)", Index2);
  std::swap(list[Index1], list[Index2]);
  FListBox->ItemsChanged();
}

void TListBoxStrings::Move(Integer CurIndex, Integer NewIndex)
{
  auto& list = FListBox->FList;
  if (CurIndex == NewIndex)
    return;
  if (CurIndex < 0 || CurIndex >= static_cast<Integer>(list.size()))
    Error("List index out of bounds (%d)", CurIndex);
  if (NewIndex < 0 || NewIndex >= static_cast<Integer>(list.size()))
    Error("List index out of bounds (%d)", NewIndex);
  TCustomListBox::TItem item = list[CurIndex];
  list.erase(list.begin() + CurIndex);
  list.insert(list.begin() + NewIndex, item);
  FListBox->ItemsChanged();
}

Integer TListBoxStrings::IndexOf(const AnsiString& S) const
{
  return FListBox->FindString(S, -1, true);
}

void TListBoxStrings::SetUpdateState(bool Updating)
{
  if (Updating) {
    ++FListBox->FUpdateCount;
    return;
  }
  if (FListBox->FUpdateCount > 0)
    --FListBox->FUpdateCount;
  FListBox->ItemsChanged();
}

// ---- TCustomListBox: items ----

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TListBoxStrings>(this)),
      FCanvas(std::make_unique<TCanvas>())
{
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csOpaque};
  FWidth = 121;
  FHeight = 97;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FItemHeight = 16;
}

TCustomListBox::~TCustomListBox() = default;

Integer TCustomListBox::Count() const
{
  return IsVirtual() ? FCount : static_cast<Integer>(FList.size());
}

void TCustomListBox::SetCount(Integer Value)
{
  if (!IsVirtual())
    return;
  Value = std::max(Value, 0);
  FCount = Value;
  FItemIndex = std::min(FItemIndex, FCount - 1);
  FCaret = std::min(FCaret, FCount - 1);
  FList.assign(static_cast<std::size_t>(FMultiSelect ? FCount : 0), TItem());
  FTopIndex = std::clamp(FTopIndex, 0, MaxTopIndex());
  ItemsChanged();
}

void TCustomListBox::ItemsChanged()
{
  if (FUpdateCount > 0)
    return;
  FTopIndex = std::clamp(FTopIndex, 0, MaxTopIndex());
  UpdateScrollBars();
  Invalidate();
}

AnsiString TCustomListBox::ItemText(Integer Index)
{
  if (IsVirtual())
    return DoGetData(Index);
  return FList[static_cast<std::size_t>(Index)].Text;
}

AnsiString TCustomListBox::DoGetData(Integer Index)
{
  AnsiString data;
  OnData(this, Index, data);
  return data;
}

TObject* TCustomListBox::DoGetDataObject(Integer Index)
{
  TObject* object = nullptr;
  OnDataObject(this, Index, object);
  return object;
}

Integer TCustomListBox::DoFindData(const AnsiString& Data)
{
  return OnDataFind ? OnDataFind(this, Data) : -1;
}

// Inserts a text at Index (-1: the end, or its sorted place); returns where it went.
Integer TCustomListBox::InsertItem(Integer Index, const AnsiString& Text)
{
  if (IsVirtual())
    return -1;
  Integer n = static_cast<Integer>(FList.size());
  if (Index < 0 || Index > n) {
    Index = n;
    if (FSorted) {
      Index = 0;
      while (Index < n && AnsiCompareText(FList[Index].Text, Text) <= 0)
        ++Index;
    }
  }
  TItem item;
  item.Text = Text;
  FList.insert(FList.begin() + Index, item);
  if (FItemIndex >= Index)
    ++FItemIndex;
  if (FCaret >= Index)
    ++FCaret;
  if (FAnchor >= Index)
    ++FAnchor;
  if (FStyle == lbOwnerDrawVariable) {
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_LISTBOX;
    mis.itemID = static_cast<UINT>(Index);
    mis.itemHeight = static_cast<UINT>(FItemHeight);
    Perform(CN_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    FList[Index].Height = std::max<Integer>(static_cast<Integer>(mis.itemHeight), 1);
  }
  ItemsChanged();
  return Index;
}

void TCustomListBox::DeleteItem(Integer Index)
{
  if (IsVirtual() || Index < 0 || Index >= static_cast<Integer>(FList.size()))
    return;
  FList.erase(FList.begin() + Index);
  auto fix = [Index](Integer& i) {
    if (i == Index)
      i = -1;
    else if (i > Index)
      --i;
  };
  fix(FItemIndex);
  fix(FCaret);
  fix(FAnchor);
  ItemsChanged();
}

void TCustomListBox::ResetContent()
{
  FList.clear();
  if (IsVirtual())
    FCount = 0;
  FItemIndex = FCaret = FAnchor = -1;
  FTopIndex = 0;
  ItemsChanged();
}

// The first item from Start + 1 on (wrapping) whose text begins with Text (all of it when
// Exact), case ignored; -1 when none.
Integer TCustomListBox::FindString(const AnsiString& Text, Integer Start, bool Exact)
{
  if (IsVirtual()) {
    Integer found = DoFindData(Text);
    return found;
  }
  Integer n = Count();
  for (Integer step = 1; step <= n; ++step) {
    Integer i = ((Start < 0 ? -1 : Start) + step) % n;
    const AnsiString& t = FList[i].Text;
    if (Exact ? AnsiCompareText(t, Text) == 0
              : AnsiCompareText(t.substr(0, Text.size()), Text) == 0)
      return i;
  }
  return -1;
}

void TCustomListBox::Clear()
{
  ResetContent();
}

// ---- Properties ----

void TCustomListBox::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  Params.Style |= WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_HASSTRINGS;
  static const DWORD styles[] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE, LBS_NODATA,
                                 LBS_OWNERDRAWFIXED | LBS_NODATA};
  Params.Style |= styles[FStyle];
  if (FSorted)
    Params.Style |= LBS_SORT;
  if (FMultiSelect)
    Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (FColumns > 0)
    Params.Style |= LBS_MULTICOLUMN;
  if (!FIntegralHeight)
    Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FTabWidth > 0)
    Params.Style |= LBS_USETABSTOPS;
  if (FBorderStyle == bsSingle)
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd()
{
  TWinControl::CreateWnd();
  UpdateScrollBars();
}

void TCustomListBox::SetStyle(TListBoxStyle Value)
{
  if (Value == FStyle)
    return;
  bool wasVirtual = IsVirtual();
  FStyle = Value;
  if (wasVirtual != IsVirtual())
    ResetContent();
  if (FStyle == lbOwnerDrawVariable)
    for (Integer i = 0; i < static_cast<Integer>(FList.size()); ++i) {
      Integer h = FItemHeight;
      MeasureItem(i, h);
      FList[i].Height = std::max(h, 1);
    }
  stdctrls::RecreateKeepingFocus(this);
  ItemsChanged();
}

void TCustomListBox::SetItemHeight(Integer Value)
{
  if (Value == FItemHeight || Value < 1)
    return;
  FItemHeight = Value;
  ItemsChanged();
}

Integer TCustomListBox::EffectiveItemHeight()
{
  if (FStyle == lbStandard || FStyle == lbVirtual) {
    HDC dc = GetDC(0);
    TCanvas* c = CanvasFromDC(dc);
    c->SetFont(FFont.get());
    Integer h = c->TextHeight("0");
    ReleaseDC(0, dc);
    return std::max(h, 1);
  }
  return std::max(FItemHeight, 1);
}

Integer TCustomListBox::HeightOf(Integer Index)
{
  if (FStyle == lbOwnerDrawVariable && Index >= 0 && Index < static_cast<Integer>(FList.size()))
    return FList[Index].Height;
  return EffectiveItemHeight();
}

void TCustomListBox::SetColumns(Integer Value)
{
  Value = std::max(Value, 0);
  if (Value == FColumns)
    return;
  FColumns = Value;
  stdctrls::RecreateKeepingFocus(this);
  ItemsChanged();
}

void TCustomListBox::SetScrollWidth(Integer Value)
{
  Value = std::max(Value, 0);
  if (Value == FScrollWidth)
    return;
  FScrollWidth = Value;
  FScrollX = std::min(FScrollX, std::max(FScrollWidth - ClientWidth(), 0));
  ItemsChanged();
}

void TCustomListBox::SetIntegralHeight(bool Value)
{
  if (Value == FIntegralHeight)
    return;
  FIntegralHeight = Value;
  if (Value && HandleAllocated()) {
    Integer h = EffectiveItemHeight();
    Integer frame = FHeight - ClientHeight();
    Integer rows = std::max((FHeight - frame) / h, 1);
    SetHeight(rows * h + frame);
  }
}

void TCustomListBox::SetMultiSelect(bool Value)
{
  if (Value == FMultiSelect)
    return;
  FMultiSelect = Value;
  if (IsVirtual())
    FList.assign(static_cast<std::size_t>(Value ? FCount : 0), TItem());
  for (TItem& item : FList)
    item.Selected = false;
  if (Value) {
    FCaret = FItemIndex;
    if (FItemIndex >= 0 && FItemIndex < static_cast<Integer>(FList.size()))
      FList[FItemIndex].Selected = true;
  } else {
    FItemIndex = FCaret;
  }
  stdctrls::RecreateKeepingFocus(this);
  Invalidate();
}

void TCustomListBox::SetExtendedSelect(bool Value)
{
  if (Value == FExtendedSelect)
    return;
  FExtendedSelect = Value;
  stdctrls::RecreateKeepingFocus(this);
}

void TCustomListBox::SetSorted(bool Value)
{
  if (Value == FSorted)
    return;
  FSorted = Value;
  if (Value && !IsVirtual()) {
    AnsiString current = FItemIndex >= 0 ? FList[FItemIndex].Text : AnsiString();
    std::stable_sort(FList.begin(), FList.end(), [](const TItem& a, const TItem& b) {
      return AnsiCompareText(a.Text, b.Text) < 0;
    });
    if (FItemIndex >= 0)
      FItemIndex = FindString(current, -1, true);
  }
  ItemsChanged();
}

void TCustomListBox::SetTabWidth(Integer Value)
{
  if (Value == FTabWidth)
    return;
  FTabWidth = std::max(Value, 0);
  Invalidate();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  stdctrls::RecreateKeepingFocus(this);
}

// ---- Selection ----

Integer TCustomListBox::ItemIndex() const
{
  return FMultiSelect ? FCaret : FItemIndex;
}

void TCustomListBox::SetItemIndex(Integer Value)
{
  Value = std::clamp(Value, -1, Count() - 1);
  if (FMultiSelect) {
    SetCaret(Value, true);
    return;
  }
  if (Value == FItemIndex)
    return;
  FItemIndex = Value;
  FCaret = Value;
  if (Value >= 0)
    MakeVisible(Value);
  Invalidate();
}

bool TCustomListBox::Selected(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (!FMultiSelect)
    return Index == FItemIndex;
  return FList[static_cast<std::size_t>(Index)].Selected;
}

void TCustomListBox::SetSelected(Integer Index, bool Value)
{
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (!FMultiSelect) {
    if (Value)
      SetItemIndex(Index);
    else if (Index == FItemIndex)
      SetItemIndex(-1);
    return;
  }
  FList[static_cast<std::size_t>(Index)].Selected = Value;
  Invalidate();
}

Integer TCustomListBox::SelCount() const
{
  if (!FMultiSelect)
    return -1;
  return static_cast<Integer>(
      std::count_if(FList.begin(), FList.end(), [](const TItem& i) { return i.Selected; }));
}

void TCustomListBox::ClearSelection()
{
  if (!FMultiSelect) {
    SetItemIndex(-1);
    return;
  }
  for (TItem& item : FList)
    item.Selected = false;
  Invalidate();
}

void TCustomListBox::SelectAll()
{
  if (!FMultiSelect)
    return;
  for (TItem& item : FList)
    item.Selected = true;
  Invalidate();
}

void TCustomListBox::DeleteSelected()
{
  if (IsVirtual())
    return;
  if (!FMultiSelect) {
    if (FItemIndex >= 0)
      DeleteItem(FItemIndex);
    return;
  }
  for (Integer i = static_cast<Integer>(FList.size()) - 1; i >= 0; --i)
    if (FList[i].Selected)
      DeleteItem(i);
}

void TCustomListBox::SetCaret(Integer Index, bool Scroll)
{
  FCaret = Index;
  if (Scroll && Index >= 0)
    MakeVisible(Index);
  Invalidate();
}

void TCustomListBox::SelectOnly(Integer Index)
{
  for (Integer i = 0; i < static_cast<Integer>(FList.size()); ++i)
    FList[i].Selected = i == Index;
}

void TCustomListBox::SelectRange(Integer From, Integer To, bool Value)
{
  if (From > To)
    std::swap(From, To);
  for (Integer i = std::max(From, 0); i <= To && i < static_cast<Integer>(FList.size()); ++i)
    FList[i].Selected = Value;
}

// What a click (or an arrow key) at Index does to the selection: single selection selects
// it; extended selection selects it alone, or the range from the anchor with Shift, or
// toggles it with Ctrl; simple multiple selection toggles it.
bool TCustomListBox::SelectByUser(Integer Index, bool Extend, bool Toggle)
{
  if (Index < 0 || Index >= Count())
    return false;
  if (!FMultiSelect) {
    bool changed = Index != FItemIndex;
    FItemIndex = FCaret = Index;
    MakeVisible(Index);
    Invalidate();
    return changed;
  }
  std::vector<bool> before;
  for (const TItem& item : FList)
    before.push_back(item.Selected);
  if (!FExtendedSelect) {
    if (Toggle)
      FList[Index].Selected = !FList[Index].Selected;
  } else if (Extend) {
    if (FAnchor < 0)
      FAnchor = Index;
    if (!Toggle)
      SelectOnly(-1);
    SelectRange(FAnchor, Index, true);
  } else if (Toggle) {
    FList[Index].Selected = !FList[Index].Selected;
    FAnchor = Index;
  } else {
    SelectOnly(Index);
    FAnchor = Index;
  }
  SetCaret(Index, true);
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (before[i] != FList[i].Selected)
      return true;
  return false;
}

// ---- Geometry ----

Integer TCustomListBox::RowsPerColumn()
{
  return std::max(ClientHeight() / EffectiveItemHeight(), 1);
}

// Items that show at least partly from the top index on.
Integer TCustomListBox::VisibleItems()
{
  if (FColumns > 0)
    return RowsPerColumn() * (FColumns + 1);
  if (FStyle != lbOwnerDrawVariable)
    return ClientHeight() / EffectiveItemHeight() + 1;
  Integer y = 0, n = 0;
  for (Integer i = FTopIndex; i < Count() && y < ClientHeight(); ++i, ++n)
    y += HeightOf(i);
  return n;
}

// The last top index that still fills the window.
Integer TCustomListBox::MaxTopIndex()
{
  Integer count = Count();
  if (count == 0)
    return 0;
  if (FColumns > 0) {
    Integer rows = RowsPerColumn();
    Integer columns = (count + rows - 1) / rows;
    return std::max(columns - FColumns, 0) * rows;
  }
  if (FStyle == lbOwnerDrawVariable) {
    Integer y = 0, i = count;
    while (i > 0 && y + HeightOf(i - 1) <= ClientHeight())
      y += HeightOf(--i);
    return std::min(i, count - 1);
  }
  return std::max(count - ClientHeight() / EffectiveItemHeight(), 0);
}

TRect TCustomListBox::ItemRect(Integer Index)
{
  Integer h = EffectiveItemHeight();
  if (FColumns > 0) {
    Integer rows = RowsPerColumn();
    Integer width = std::max(ClientWidth() / FColumns, 1);
    Integer rel = Index - FTopIndex;
    Integer column = rel >= 0 ? rel / rows : -((rows - 1 - rel) / rows);
    Integer row = rel - column * rows;
    return Bounds(column * width, row * h, width, h);
  }
  Integer y = 0;
  if (FStyle == lbOwnerDrawVariable) {
    if (Index >= FTopIndex)
      for (Integer i = FTopIndex; i < Index; ++i)
        y += HeightOf(i);
    else
      for (Integer i = Index; i < FTopIndex; ++i)
        y -= HeightOf(i);
    h = HeightOf(Index);
  } else {
    y = (Index - FTopIndex) * h;
  }
  Integer width = std::max(ClientWidth(), FScrollWidth);
  return Rect(-FScrollX, y, width - FScrollX, y + h);
}

Integer TCustomListBox::ItemAtPos(TPoint Pos, bool Existing)
{
  Integer count = Count();
  if (Pos.Y < 0 || Pos.X < 0 || Pos.X >= ClientWidth())
    return Existing ? -1 : count;
  Integer found = count;
  if (FColumns > 0) {
    Integer rows = RowsPerColumn();
    Integer width = std::max(ClientWidth() / FColumns, 1);
    Integer row = Pos.Y / EffectiveItemHeight();
    if (row < rows)
      found = FTopIndex + (Pos.X / width) * rows + row;
  } else if (FStyle == lbOwnerDrawVariable) {
    Integer y = 0;
    for (Integer i = FTopIndex; i < count; ++i) {
      y += HeightOf(i);
      if (Pos.Y < y) {
        found = i;
        break;
      }
    }
  } else {
    found = FTopIndex + Pos.Y / EffectiveItemHeight();
  }
  if (found >= count)
    return Existing ? -1 : count;
  return found;
}

void TCustomListBox::MakeVisible(Integer Index)
{
  if (Index < 0 || Index >= Count())
    return;
  Integer top = FTopIndex;
  if (FColumns > 0) {
    Integer rows = RowsPerColumn();
    if (Index < top)
      top = Index / rows * rows;
    else if (Index >= top + rows * FColumns)
      top = (Index / rows - FColumns + 1) * rows;
  } else if (Index < top) {
    top = Index;
  } else if (FStyle == lbOwnerDrawVariable) {
    Integer y = 0;
    for (Integer i = Index; i >= 0; --i) {
      y += HeightOf(i);
      if (y > ClientHeight()) {
        top = std::max(top, i + 1 <= Index ? i + 1 : Index);
        break;
      }
    }
  } else {
    Integer full = std::max(ClientHeight() / EffectiveItemHeight(), 1);
    if (Index >= top + full)
      top = Index - full + 1;
  }
  SetTopIndex(top);
}

void TCustomListBox::SetTopIndex(Integer Value)
{
  Value = std::clamp(Value, 0, MaxTopIndex());
  if (Value == FTopIndex)
    return;
  FTopIndex = Value;
  UpdateScrollBars();
  Invalidate();
}

void TCustomListBox::UpdateScrollBars()
{
  if (!HandleAllocated() || FUpdateCount > 0)
    return;
  Integer count = Count();
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  if (FColumns > 0) {
    Integer rows = RowsPerColumn();
    Integer columns = std::max((count + rows - 1) / rows, 1);
    si.nMin = 0;
    si.nMax = columns - 1;
    si.nPage = static_cast<UINT>(FColumns);
    si.nPos = FTopIndex / rows;
    SetScrollInfo(FHandle, SB_HORZ, si, true);
    si.nMax = 0;
    si.nPage = 0;
    si.nPos = 0;
    SetScrollInfo(FHandle, SB_VERT, si, true);
    return;
  }
  si.nMin = 0;
  si.nMax = std::max(count - 1, 0);
  si.nPage = static_cast<UINT>(std::max(ClientHeight() / EffectiveItemHeight(), 1));
  si.nPos = FTopIndex;
  SetScrollInfo(FHandle, SB_VERT, si, true);
  SCROLLINFO h;
  h.fMask = SIF_ALL;
  h.nMin = 0;
  h.nMax = FScrollWidth > 0 ? FScrollWidth - 1 : 0;
  h.nPage = static_cast<UINT>(std::max(ClientWidth(), 1));
  h.nPos = FScrollX;
  SetScrollInfo(FHandle, SB_HORZ, h, true);
}

void TCustomListBox::ScrollMessage(TMessage& Message)
{
  bool vertical = Message.Msg == WM_VSCROLL;
  Integer code = LOWORD(Message.WParam);
  Integer rows = FColumns > 0 ? RowsPerColumn() : 1;
  bool columnsScroll = !vertical && FColumns > 0;
  Integer current = vertical || columnsScroll ? FTopIndex : FScrollX;
  Integer line = columnsScroll ? rows : vertical ? 1 : 8;
  Integer page = columnsScroll ? rows * FColumns
                 : vertical    ? std::max(ClientHeight() / EffectiveItemHeight() - 1, 1)
                               : std::max(ClientWidth(), 1);
  Integer target = current;
  switch (code) {
  case SB_LINEUP:
    target -= line;
    break;
  case SB_LINEDOWN:
    target += line;
    break;
  case SB_PAGEUP:
    target -= page;
    break;
  case SB_PAGEDOWN:
    target += page;
    break;
  case SB_TOP:
    target = 0;
    break;
  case SB_BOTTOM:
    target = INT_MAX / 2;
    break;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION: {
    SCROLLINFO si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(FHandle, vertical ? SB_VERT : SB_HORZ, si);
    target = columnsScroll ? si.nTrackPos * rows : si.nTrackPos;
    break;
  }
  default:
    return;
  }
  if (vertical || columnsScroll) {
    SetTopIndex(target);
    return;
  }
  Integer scrollX = std::clamp(target, 0, std::max(FScrollWidth - ClientWidth(), 0));
  if (scrollX != FScrollX) {
    FScrollX = scrollX;
    UpdateScrollBars();
    Invalidate();
  }
}

bool TCustomListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  Integer lines = -WheelDelta * Mouse()->WheelScrollLines() / WHEEL_DELTA;
  SetTopIndex(FTopIndex + (FColumns > 0 ? lines / 3 * RowsPerColumn() : lines));
  return true;
}

// ---- Drawing ----

void TCustomListBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State)
{
  if (OnDrawItem && IsOwnerDraw()) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= Count())
    return;
  TRect r = Rect;
  r.Left += 2;
  AnsiString text = ItemText(Index);
  if (FTabWidth > 0 || text.find('\t') != AnsiString::npos) {
    TTextMetric tm = FCanvas->GetTextMetrics();
    Integer stop = FTabWidth > 0 ? FTabWidth * tm.tmAveCharWidth / 4 : 8 * tm.tmAveCharWidth;
    FCanvas->Brush()->SetStyle(bsClear);
    FCanvas->TabbedTextOut(r.Left, r.Top + (r.Height() - FCanvas->TextHeight("0")) / 2, text,
                           {std::max(stop, 1)}, r.Left);
    return;
  }
  FCanvas->Brush()->SetStyle(bsClear);
  FCanvas->DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCustomListBox::MeasureItem(Integer Index, Integer& Height)
{
  OnMeasureItem(this, Index, Height);
}

void TCustomListBox::CNMeasureItem(TMessage& Message)
{
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  Integer height = FItemHeight;
  if (FStyle == lbOwnerDrawVariable)
    MeasureItem(static_cast<Integer>(mis->itemID), height);
  mis->itemHeight = static_cast<UINT>(std::max(height, 1));
  Message.Result = 1;
}

// An item's colours come first (the highlight for a selected item), then DrawItem; an
// entry without item (itemID -1) only fills its rectangle; the focus rectangle comes last.
void TCustomListBox::CNDrawItem(TMessage& Message)
{
  const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
  TOwnerDrawState state = OwnerDrawState(dis->itemState);
  BindCanvasToDC(*FCanvas, dis->hDC);
  FCanvas->SetFont(FFont.get());
  FCanvas->Brush()->SetStyle(bsSolid);
  FCanvas->Brush()->SetColor(FColor);
  Integer index = static_cast<Integer>(dis->itemID);
  if (index >= 0 && state.Contains(odSelected)) {
    FCanvas->Brush()->SetColor(clHighlight);
    FCanvas->Font()->SetColor(clHighlightText);
  }
  if (!FEnabled)
    FCanvas->Font()->SetColor(clGrayText);
  TDestroyWatch watch(this);
  if (index >= 0)
    DrawItem(index, dis->rcItem, state);
  else
    FCanvas->FillRect(dis->rcItem);
  if (watch.Destroyed())
    return;
  if (state.Contains(odFocused) && !state.Contains(odNoFocusRect)) {
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvas->DrawFocusRect(dis->rcItem);
  }
  BindCanvasToDC(*FCanvas, 0);
  Message.Result = 1;
}

// Owner-drawn items go to the parent (reflected back as CN_DRAWITEM); standard items are
// drawn here through the same steps.
void TCustomListBox::DrawOneItem(HDC DC, Integer Index, Integer Line)
{
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_LISTBOX;
  dis.CtlID = static_cast<UINT>(GetWindowLong(FHandle, GWL_ID));
  dis.itemID = static_cast<UINT>(Index);
  dis.itemAction = ODA_DRAWENTIRE;
  bool selected = Index >= 0 && (FMultiSelect ? FList[Index].Selected : Index == FItemIndex);
  if (selected)
    dis.itemState |= ODS_SELECTED;
  if (Focused() && Index == (FMultiSelect ? FCaret : FItemIndex))
    dis.itemState |= ODS_FOCUS;
  if (!FEnabled)
    dis.itemState |= ODS_DISABLED;
  dis.hwndItem = FHandle;
  dis.hDC = DC;
  dis.rcItem = ItemRect(Index >= 0 ? Index : Line);
  dis.itemData = Index >= 0 && !IsVirtual() ? static_cast<NativeUInt>(FList[Index].Data) : 0;
  if (!IsOwnerDraw()) {
    Perform(CN_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    return;
  }
  RequestDrawItem(dis);
}

void TCustomListBox::RequestDrawItem(DRAWITEMSTRUCT& Item)
{
  LPARAM l = reinterpret_cast<LPARAM>(&Item);
  HWND parent = GetParent(FHandle);
  LRESULT drawn = parent ? SendMessage(parent, WM_DRAWITEM, Item.CtlID, l) : 0;
  if (!drawn && !FindControl(parent))
    Perform(CN_DRAWITEM, Item.CtlID, l);
}

void TCustomListBox::PaintWindow(HDC DC)
{
  TCanvas* dc = CanvasFromDC(DC);
  TRect client = ClientRect();
  if (dc) {
    dc->Brush()->SetStyle(bsSolid);
    dc->Brush()->SetColor(FEnabled ? FColor : clBtnFace);
    dc->FillRect(client);
  }
  Integer count = Count();
  if (count == 0) {
    // An empty list that has the focus shows it around its first line.
    if (Focused())
      DrawOneItem(DC, -1, 0);
    return;
  }
  Integer last = std::min(count, FTopIndex + VisibleItems());
  TDestroyWatch watch(this);
  for (Integer i = FTopIndex; i < last && !watch.Destroyed(); ++i) {
    TRect r = ItemRect(i);
    if (r.Top >= client.Bottom || r.Left >= client.Right)
      continue;
    if (dc && !dc->RectVisible(r))
      continue;
    DrawOneItem(DC, i, i);
  }
}

// ---- Keys ----

void TCustomListBox::KeyDown(Word& Key, TShiftState Shift)
{
  TWinControl::KeyDown(Key, Shift);
  Integer count = Count();
  if (Key == 0 || count == 0)
    return;
  bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
  Integer current = ItemIndex();
  Integer page = std::max(ClientHeight() / EffectiveItemHeight() - 1, 1);
  Integer rows = FColumns > 0 ? RowsPerColumn() : 1;
  Integer target;
  switch (Key) {
  case VK_UP:
    target = current - 1;
    break;
  case VK_DOWN:
    target = current + 1;
    break;
  case VK_LEFT:
    target = current - rows;
    break;
  case VK_RIGHT:
    target = current + rows;
    break;
  case VK_PRIOR:
    target = current - page;
    break;
  case VK_NEXT:
    target = current + page;
    break;
  case VK_HOME:
    target = 0;
    break;
  case VK_END:
    target = count - 1;
    break;
  case VK_SPACE:
    if (FMultiSelect && (!FExtendedSelect || ctrl) && current >= 0) {
      bool changed = SelectByUser(current, false, true);
      Key = 0;
      if (changed)
        NotifyParent(LBN_SELCHANGE);
    }
    return;
  default:
    return;
  }
  Key = 0;
  if (current < 0)
    target = 0;
  target = std::clamp(target, 0, count - 1);
  if (FMultiSelect && (!FExtendedSelect || (ctrl && !shift))) {
    SetCaret(target, true);
    return;
  }
  if (SelectByUser(target, shift, false))
    NotifyParent(LBN_SELCHANGE);
}

// Typed characters select the next item whose text starts with what was typed; a pause
// starts the search over.
void TCustomListBox::KeyPress(char& Key)
{
  TWinControl::KeyPress(Key);
  unsigned char ch = static_cast<unsigned char>(Key);
  if (Key == 0 || ch < 0x20 || Count() == 0)
    return;
  DWORD now = GetTickCount();
  if (!FAutoComplete || now - FSearchTime > kSearchPause)
    FSearch.clear();
  FSearchTime = now;
  FSearch += Key;
  Integer current = ItemIndex();
  // A repeated single letter steps to the next match; a longer text looks from the current.
  Integer start = FSearch.size() == 1 ? current : current - 1;
  Integer found = FindString(FSearch, start, false);
  if (found < 0 && FSearch.size() > 1) {
    FSearch = AnsiString(1, Key);
    found = FindString(FSearch, current, false);
  }
  Key = 0;
  if (found >= 0 && SelectByUser(found, false, false))
    NotifyParent(LBN_SELCHANGE);
}

// ---- Mouse ----

// A press selects the item under it and follows the pointer while the button is down,
// scrolling when the pointer leaves the list above or below; the release tells the parent
// (LBN_SELCHANGE). A double click also tells LBN_DBLCLK.
void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TWinControl::MouseDown(Button, Shift, X, Y);
  if (watch.Destroyed() || Button != mbLeft || Count() == 0 || !HandleAllocated())
    return;
  Integer index = std::min(ItemAtPos({std::max(X, 0), std::max(Y, 0)}, false), Count() - 1);
  bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
  SelectByUser(index, shift && FExtendedSelect, ctrl || (FMultiSelect && !FExtendedSelect));
  if (Shift.Contains(ssDouble)) {
    NotifyParent(LBN_DBLCLK);
    return;
  }
  TrackMouse(Shift);
}

void TCustomListBox::FollowPointer(TPoint Point)
{
  if (FMultiSelect && !FExtendedSelect)
    return;
  Integer count = Count();
  Integer index;
  if (Point.Y < 0)
    index = FTopIndex;
  else if (Point.Y >= ClientHeight())
    index =
        std::min(FTopIndex + std::max(ClientHeight() / EffectiveItemHeight(), 1) - 1, count - 1);
  else
    index =
        std::min(ItemAtPos({std::clamp(Point.X, 0, ClientWidth() - 1), Point.Y}, false), count - 1);
  if (index >= 0)
    SelectByUser(index, FMultiSelect || FTrackShift.Contains(ssShift),
                 FTrackShift.Contains(ssCtrl) && FMultiSelect);
}

// Outside the list the selection runs on, one item a tick.
void TCustomListBox::TrackTimer()
{
  if (!FTracking)
    return;
  if (FTrackPoint.Y < 0 && FTopIndex > 0)
    SetTopIndex(FTopIndex - 1);
  else if (FTrackPoint.Y >= ClientHeight())
    SetTopIndex(FTopIndex + 1);
  else
    return;
  FollowPointer(FTrackPoint);
}

void TCustomListBox::TrackMouse(TShiftState Shift)
{
  HWND h = FHandle;
  TDestroyWatch watch(this);
  bool released = false;
  FTracking = true;
  FTrackShift = Shift;
  FTrackPoint = {0, 0};
  SetTimer(h, kTrackTimer, kTrackInterval);
  struct TStop {
    TCustomListBox* Self;
    TDestroyWatch& Watch;
    HWND Window;
    ~TStop()
    {
      KillTimer(Window, kTrackTimer);
      if (!Watch.Destroyed())
        Self->FTracking = false;
    }
  } stop{this, watch, h};
  TTrackLoop loop;
  loop.CaptureWindow = h;
  loop.FilterCode = MSGF_USER;
  loop.Name = "the list box";
  loop.Running = [&] { return !released && !watch.Destroyed(); };
  // The list's own handling follows the moves and ticks (WM_MOUSEMOVE and WM_TIMER while
  // FTracking); the release reaches the control too (OnMouseUp), then the loop is over.
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    if (m.message == WM_LBUTTONUP)
      released = true;
    return trPass;
  };
  TrackModal(loop);
  if (!watch.Destroyed())
    NotifyParent(LBN_SELCHANGE);
}

// ---- Messages ----

void TCustomListBox::NotifyParent(Word Code)
{
  stdctrls::NotifyParent(this, Code);
}

void TCustomListBox::CNCommand(TMessage& Message)
{
  switch (HIWORD(Message.WParam)) {
  case LBN_SELCHANGE:
    Click();
    break;
  case LBN_DBLCLK:
    DblClick();
    break;
  }
}

void TCustomListBox::LBMessage(TMessage& Message)
{
  Integer w = static_cast<Integer>(static_cast<NativeInt>(Message.WParam));
  const char* text = reinterpret_cast<const char*>(Message.LParam);
  Integer count = Count();
  auto valid = [&](Integer i) { return i >= 0 && i < count; };
  LRESULT& r = Message.Result;
  switch (Message.Msg) {
  case LB_ADDSTRING:
    r = InsertItem(-1, text ? text : "");
    return;
  case LB_INSERTSTRING:
    r = InsertItem(w < 0 ? count : std::min(w, count), text ? text : "");
    return;
  case LB_DELETESTRING:
    if (!valid(w)) {
      r = LB_ERR;
      return;
    }
    DeleteItem(w);
    r = Count();
    return;
  case LB_RESETCONTENT:
    ResetContent();
    return;
  case LB_GETCOUNT:
    r = count;
    return;
  case LB_SETCOUNT:
    if (!IsVirtual()) {
      r = LB_ERR;
      return;
    }
    SetCount(w);
    return;
  case LB_GETTEXT:
    if (!valid(w)) {
      r = LB_ERR;
      return;
    }
    {
      AnsiString t = ItemText(w);
      if (Message.LParam) {
        char* out = reinterpret_cast<char*>(Message.LParam);
        std::copy(t.begin(), t.end(), out);
        out[t.size()] = '\0';
      }
      r = static_cast<LRESULT>(t.size());
    }
    return;
  case LB_GETTEXTLEN:
    r = valid(w) ? static_cast<LRESULT>(ItemText(w).size()) : LRESULT(LB_ERR);
    return;
  case LB_GETITEMDATA:
    r = valid(w) && !IsVirtual() ? FList[w].Data : (valid(w) ? LRESULT(0) : LRESULT(LB_ERR));
    return;
  case LB_SETITEMDATA:
    if (!valid(w) || IsVirtual()) {
      r = LB_ERR;
      return;
    }
    FList[w].Data = static_cast<NativeInt>(Message.LParam);
    return;
  case LB_GETCURSEL:
    r = ItemIndex();
    return;
  case LB_SETCURSEL:
    if (FMultiSelect) {
      r = LB_ERR;
      return;
    }
    SetItemIndex(w);
    r = valid(w) ? w : LB_ERR;
    return;
  case LB_GETSEL:
    r = valid(w) ? (Selected(w) ? 1 : 0) : LB_ERR;
    return;
  case LB_SETSEL: {
    Integer index = static_cast<Integer>(Message.LParam);
    if (!FMultiSelect) {
      r = LB_ERR;
      return;
    }
    if (index == -1) {
      for (TItem& item : FList)
        item.Selected = w != 0;
      Invalidate();
    } else if (valid(index)) {
      SetSelected(index, w != 0);
    } else {
      r = LB_ERR;
    }
    return;
  }
  case LB_SELITEMRANGE:
    if (!FMultiSelect) {
      r = LB_ERR;
      return;
    }
    SelectRange(LOWORD(Message.LParam), HIWORD(Message.LParam), w != 0);
    Invalidate();
    return;
  case LB_SELITEMRANGEEX:
    if (!FMultiSelect) {
      r = LB_ERR;
      return;
    }
    SelectRange(w, static_cast<Integer>(Message.LParam), w <= static_cast<Integer>(Message.LParam));
    Invalidate();
    return;
  case LB_GETSELCOUNT:
    r = FMultiSelect ? SelCount() : LB_ERR;
    return;
  case LB_GETSELITEMS: {
    if (!FMultiSelect) {
      r = LB_ERR;
      return;
    }
    Integer* out = reinterpret_cast<Integer*>(Message.LParam);
    Integer n = 0;
    for (Integer i = 0; i < static_cast<Integer>(FList.size()) && n < w; ++i)
      if (FList[i].Selected)
        out[n++] = i;
    r = n;
    return;
  }
  case LB_GETTOPINDEX:
    r = FTopIndex;
    return;
  case LB_SETTOPINDEX:
    if (!valid(w) && !(w == 0 && count == 0)) {
      r = LB_ERR;
      return;
    }
    SetTopIndex(w);
    return;
  case LB_FINDSTRING:
  case LB_FINDSTRINGEXACT:
    r = FindString(text ? text : "", w, Message.Msg == LB_FINDSTRINGEXACT);
    return;
  case LB_SELECTSTRING: {
    Integer found = FindString(text ? text : "", w, false);
    if (found >= 0 && !FMultiSelect)
      SetItemIndex(found);
    r = found;
    return;
  }
  case LB_GETITEMRECT:
    if (!valid(w) && !(w == 0 && count == 0)) {
      r = LB_ERR;
      return;
    }
    *reinterpret_cast<TRect*>(Message.LParam) = ItemRect(w);
    return;
  case LB_GETITEMHEIGHT:
    r = FStyle == lbOwnerDrawVariable ? HeightOf(w) : EffectiveItemHeight();
    return;
  case LB_SETITEMHEIGHT:
    if (FStyle == lbOwnerDrawVariable && valid(w))
      FList[w].Height = std::max<Integer>(LOWORD(Message.LParam), 1);
    else
      SetItemHeight(LOWORD(Message.LParam));
    ItemsChanged();
    return;
  case LB_SETCARETINDEX:
    if (!valid(w)) {
      r = LB_ERR;
      return;
    }
    if (FMultiSelect)
      SetCaret(w, Message.LParam == 0);
    else
      SetItemIndex(w);
    return;
  case LB_GETCARETINDEX:
    r = FMultiSelect ? FCaret : FItemIndex;
    return;
  case LB_SETANCHORINDEX:
    FAnchor = w;
    return;
  case LB_GETANCHORINDEX:
    r = FAnchor;
    return;
  case LB_SETHORIZONTALEXTENT:
    SetScrollWidth(w);
    return;
  case LB_GETHORIZONTALEXTENT:
    r = FScrollWidth;
    return;
  case LB_SETTABSTOPS:
    SetTabWidth(w >= 1 && Message.LParam ? *reinterpret_cast<const Integer*>(Message.LParam) : 0);
    r = 1;
    return;
  case LB_SETCOLUMNWIDTH:
    return;
  case LB_ITEMFROMPOINT: {
    TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    Integer index = ItemAtPos(p, true);
    bool outside = index < 0;
    if (outside)
      index = std::clamp(ItemAtPos({std::max(p.X, 0), std::max(p.Y, 0)}, false), 0,
                         std::max(count - 1, 0));
    r = MAKELPARAM(index, outside ? 1 : 0);
    return;
  }
  case LB_INITSTORAGE:
    FList.reserve(FList.size() + static_cast<std::size_t>(std::max(w, 0)));
    r = static_cast<LRESULT>(FList.capacity());
    return;
  }
}

void TCustomListBox::Dispatch(TMessage& Message)
{
  if (Message.Msg >= LB_ADDSTRING && Message.Msg <= LB_GETLISTBOXINFO) {
    LBMessage(Message);
    return;
  }
  switch (Message.Msg) {
  case CN_COMMAND:
    CNCommand(Message);
    return;
  case CN_DRAWITEM:
    CNDrawItem(Message);
    return;
  case CN_MEASUREITEM:
    CNMeasureItem(Message);
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  case WM_TIMER:
    if (Message.WParam == kTrackTimer) {
      TrackTimer();
      return;
    }
    break;
  case WM_MOUSEMOVE:
    if (FTracking) {
      FTrackPoint = MessagePoint(Message);
      FollowPointer(FTrackPoint);
    }
    break;
  case WM_HSCROLL:
  case WM_VSCROLL:
    if (Message.LParam == 0) {
      ScrollMessage(Message);
      return;
    }
    break;
  case WM_SIZE:
    TWinControl::Dispatch(Message);
    FTopIndex = std::clamp(FTopIndex, 0, MaxTopIndex());
    UpdateScrollBars();
    Invalidate();
    return;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
  case CM_ENABLEDCHANGED:
  case CM_COLORCHANGED:
    Invalidate();
    break;
  case CM_FONTCHANGED:
    TWinControl::Dispatch(Message);
    ItemsChanged();
    return;
  }
  TWinControl::Dispatch(Message);
}
