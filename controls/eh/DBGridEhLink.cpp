// The grid's data link (field index map and the notifications it forwards) and the list of
// records selected row by row (DBGridEh.h describes the unit).
#include "controls/eh/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// The field map's limit; the message names the column count of older grids.
constexpr Integer kMaxMapSize = 268435455;

} // namespace

// ---- TGridDataLinkEh ----

TGridDataLinkEh::TGridDataLinkEh(TCustomDBGridEh* Grid) : FGrid(Grid)
{
  SetVisualControl(true);
  SetControl(Grid);
}

TGridDataLinkEh::~TGridDataLinkEh()
{
  ClearFieldMap();
}

bool TGridDataLinkEh::MapField(const AnsiString& FieldName)
{
  if (FMappedCount >= kMaxMapSize)
    RaiseGridOperationError(STooManyColumns);
  TDataSet* ds = DataSet();
  TField* field = nullptr;
  if (ds)
    field = FMapFromColumns ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
  if (FMappedCount == static_cast<Integer>(FFieldMap.size())) {
    std::size_t grown = FFieldMap.empty() ? 8 : FFieldMap.size() * 2;
    FFieldMap.resize(std::min<std::size_t>(grown, kMaxMapSize));
  }
  Integer index = -1;
  if (field) {
    index = field->Index();
    field->FreeNotification(FGrid);
  }
  FFieldMap[static_cast<std::size_t>(FMappedCount++)] = index;
  return true;
}

void TGridDataLinkEh::ClearFieldMap()
{
  FFieldMap.clear();
  FMappedCount = 0;
}

TField* TGridDataLinkEh::MappedField(Integer I) const
{
  if (I < 0 || I >= FMappedCount)
    return nullptr;
  Integer index = FFieldMap[static_cast<std::size_t>(I)];
  TDataSet* ds = DataSet();
  if (index < 0 || !ds || index >= ds->FieldCount())
    return nullptr;
  return ds->Fields()->Fields(index);
}

bool TGridDataLinkEh::FollowsDatasetFields() const
{
  TDataSet* ds = DataSet();
  if (!ds)
    return true;
  if (FMapFromColumns)
    for (Integer i = 0; i < FMappedCount; ++i)
      if (FFieldMap[static_cast<std::size_t>(i)] < 0)
        return false;
  return ds->DefaultFields();
}

void TGridDataLinkEh::RevertEdit()
{
  if (FModified) {
    FGrid->FieldChanged(nullptr);
    FModified = false;
  } else if (DataSet())
    DataSet()->Cancel();
}

void TGridDataLinkEh::ActiveChanged()
{
  FGrid->DataLinkStateChanged(Active());
  FModified = false;
}

void TGridDataLinkEh::DataSetChanged()
{
  FGrid->DataChanged();
  FModified = false;
}

void TGridDataLinkEh::DataSetScrolled(Integer Distance)
{
  FGrid->Scroll(Distance);
}

void TGridDataLinkEh::LayoutChanged()
{
  bool saved = FGrid->DataLinkLayoutChange();
  FGrid->SetDataLinkLayoutChange(true);
  {
    TScopeExit restore([&] { FGrid->SetDataLinkLayoutChange(saved); });
    FGrid->LayoutChanged();
  }
  TDataLink::LayoutChanged();
}

void TGridDataLinkEh::FocusControl(TField** Field)
{
  if (!Field || !*Field)
    return;
  FGrid->SelectFieldColumn(*Field);
  if (FGrid->SelectedField() == *Field && FGrid->AcquireFocus()) {
    *Field = nullptr;
    FGrid->ShowCellEditor();
  }
}

void TGridDataLinkEh::EditingChanged()
{
  FGrid->InvalidateIndicator();
}

void TGridDataLinkEh::RecordChanged(TField* Field)
{
  FGrid->FieldChanged(Field);
  FModified = false;
}

void TGridDataLinkEh::UpdateData()
{
  if (FInUpdateData)
    return;
  FInUpdateData = true;
  TScopeExit done([&] { FInUpdateData = false; });
  if (FModified)
    FGrid->UpdateData();
  FModified = false;
}

// ---- TBookmarkListEh ----

TBookmarkListEh::TBookmarkListEh(TCustomDBGridEh* Grid)
    : FGrid(Grid), FList(std::make_unique<TStringList>())
{
  FList->OnChange = TNotifyEvent::Bind(this, &TBookmarkListEh::ListChanged);
}

TBookmarkListEh::~TBookmarkListEh()
{
  FList->OnChange = nullptr;
  FList->Clear();
}

void TBookmarkListEh::ListChanged(TObject*)
{
  FCacheIndex = -1;
  FCacheBookmark.clear();
}

Integer TBookmarkListEh::Compare(const AnsiString& A, const AnsiString& B)
{
  return FGrid->DataLink()->DataSet()->CompareBookmarks(A, B);
}

void TBookmarkListEh::ClearSelected()
{
  if (FList->Count() == 0)
    return;
  FList->Clear();
  if (FGrid->Selection())
    FGrid->Selection()->DropIfEmpty();
  FGrid->Invalidate();
}

AnsiString TBookmarkListEh::CurrentBookmark()
{
  if (!FLinkIsActive)
    RaiseGridOperationError(SDataSetClosed);
  return FGrid->DataLink()->DataSet()->Bookmark();
}

bool TBookmarkListEh::CurrentSelected()
{
  Integer index;
  return SearchBookmark(CurrentBookmark(), index);
}

void TBookmarkListEh::SetCurrentSelected(bool Value)
{
  AnsiString current = CurrentBookmark();
  Integer index;
  if (SearchBookmark(current, index) == Value)
    return;
  if (Value)
    FList->Insert(index, current);
  else
    FList->Delete(index);
  FGrid->InvalidateRow(FGrid->Row());
  TDBGridEhSelection* sel = FGrid->Selection();
  if (sel->Kind() != selRowsEh && FList->Count() > 0) {
    // Rows replace another kind of selection (Reset leaves the list alone then).
    sel->Reset();
    sel->SetKind(selRowsEh);
  }
  sel->DropIfEmpty();
}

bool TBookmarkListEh::SearchBookmark(const AnsiString& Bookmark, Integer& Index)
{
  if (FCacheIndex >= 0 && Bookmark == FCacheBookmark) {
    FLastCached = true;
    Index = FCacheIndex;
    return FCacheFound;
  }
  FLastCached = false;
  Integer l = 0, h = FList->Count() - 1;
  bool found = false;
  while (l <= h) {
    Integer i = (l + h) / 2;
    Integer c = Compare(FList->Strings(i), Bookmark);
    if (c < 0)
      l = i + 1;
    else {
      h = i - 1;
      if (c == 0) {
        found = true;
        l = i;
      }
    }
  }
  Index = l;
  FCacheBookmark = Bookmark;
  FCacheIndex = l;
  FCacheFound = found;
  return found;
}

Integer TBookmarkListEh::BookmarkIndex(const AnsiString& Bookmark)
{
  Integer index;
  return SearchBookmark(Bookmark, index) ? index : -1;
}

void TBookmarkListEh::LinkActiveChanged(bool Value)
{
  ClearSelected();
  if (FGrid->Selection())
    FGrid->Selection()->DropIfEmpty();
  FLinkIsActive = Value;
}

void TBookmarkListEh::DeleteSelected()
{
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (!ds || FList->Count() == 0)
    return;
  ds->DisableControls();
  {
    TScopeExit enable([&] { ds->EnableControls(); });
    for (Integer i = FList->Count() - 1; i >= 0; --i) {
      ds->SetBookmark(FList->Strings(i));
      ds->Delete();
      FList->Delete(i);
    }
  }
  FGrid->Selection()->DropIfEmpty();
}

TGridRect TBookmarkListEh::SelectedRowsRect()
{
  Integer first = -1, last = -1;
  TGridDataLinkEh* link = FGrid->DataLink();
  if (link->Active()) {
    TDataSet* ds = link->DataSet();
    Integer saved = link->ActiveRecord();
    TScopeExit restore([&] { link->SetActiveRecord(saved); });
    for (Integer i = 0; i < link->RecordCount(); ++i) {
      link->SetActiveRecord(i);
      Integer index;
      if (!SearchBookmark(ds->Bookmark(), index))
        continue;
      if (first < 0)
        first = i;
      last = std::max(last, i);
    }
  }
  if (first < 0)
    return MakeGridRect(-1, -1, -1, -1);
  Integer header = FGrid->HeaderRowCount();
  return MakeGridRect(0, header + first, FGrid->ColCount() - 1, header + last);
}
