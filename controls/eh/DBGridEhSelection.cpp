// The grid's selection: records (the bookmark list), a rectangle of cells between two
// bookmarked corners, whole columns, or everything (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/IMemTableEh.h"
#include "platform/rtl/ScopeGuard.h"

// ---- TDBGridEhSelection ----

TDBGridEhSelection::TDBGridEhSelection(TCustomDBGridEh* Grid)
    : FColumns(std::make_unique<TDBGridEhSelectionCols>(Grid)), FGrid(Grid),
      FRect(std::make_unique<TDBGridEhSelectionRect>(Grid))
{
}

TDBGridEhSelection::~TDBGridEhSelection() = default;

TBookmarkListEh* TDBGridEhSelection::Rows() const
{
  return FGrid->SelectedRows();
}

void TDBGridEhSelection::SetKind(TGridSelectionKindEh Value)
{
  if (Value == FKind)
    return;
  FKind = Value;
  if (FGrid->EditorMode())
    FGrid->InvalidateEditor();
}

bool TDBGridEhSelection::ContainsCell(Integer ADataCol, const AnsiString& ABookmark)
{
  switch (FKind) {
  case selRowsEh:
    return Rows()->BookmarkIndex(ABookmark) >= 0;
  case selRectEh:
    return ADataCol >= 0 && FRect->CellSelected(ADataCol, ABookmark);
  case selColumnsEh:
    return ADataCol >= 0 && ADataCol < FGrid->Columns()->Count() &&
           FColumns->IndexOf(FGrid->Columns()->Items(ADataCol)) >= 0;
  case selAllEh:
    return true;
  default:
    return false;
  }
}

void TDBGridEhSelection::Reset()
{
  // The editor comes back even when emptying raised.
  TScopeExit showEditor([&] {
    if (FGrid->Options().Contains(dgAlwaysShowEditor) && FGrid->DataLink() &&
        FGrid->DataLink()->Active() && FGrid->HandleAllocated())
      FGrid->ShowEditor();
  });
  TGridSelectionKindEh kind = FKind;
  switch (kind) {
  case selRowsEh:
    if (Rows())
      Rows()->ClearSelected();
    break;
  case selRectEh:
    FRect->ClearCells();
    break;
  case selColumnsEh:
    FColumns->Clear();
    break;
  case selAllEh:
    FGrid->Invalidate();
    break;
  default:
    break;
  }
  SetKind(selNoneEh);
}

void TDBGridEhSelection::DataLinkActiveChanged(bool AActive)
{
  if (Rows())
    Rows()->LinkActiveChanged(AActive);
  Reset();
}

void TDBGridEhSelection::SelectEverything()
{
  if (FKind == selAllEh)
    return;
  if (FKind != selNoneEh)
    Reset();
  SetKind(selAllEh);
  FGrid->Invalidate();
}

void TDBGridEhSelection::DropIfEmpty()
{
  bool empty = (FKind == selRowsEh && Rows() && Rows()->Count() == 0) ||
               (FKind == selColumnsEh && FColumns->Count() == 0);
  if (!empty)
    return;
  SetKind(selNoneEh);
  FGrid->Invalidate();
}

TGridRect TDBGridEhSelection::BoundingGridRect()
{
  switch (FKind) {
  case selRowsEh:
    return Rows()->SelectedRowsRect();
  case selRectEh:
    return FRect->BoundingGridRect();
  case selColumnsEh:
    return FColumns->BoundingGridRect();
  case selAllEh:
    return MakeGridRect(0, 0, FGrid->ColCount(), FGrid->RowCount());
  default:
    return MakeGridRect(-1, -1, -1, -1);
  }
}

// ---- TDBGridEhSelectionRect ----

bool TDBGridEhSelectionRect::DataReady() const
{
  TGridDataLinkEh* link = FGrid->DataLink();
  return FGrid->DataSource() && FGrid->DataSource()->DataSet() && link && link->Active();
}

void TDBGridEhSelectionRect::CheckReady(const char* Message) const
{
  if (!DataReady())
    RaiseGridOperationError(Message);
}

Integer TDBGridEhSelectionRect::Compare(const AnsiString& A, const AnsiString& B)
{
  return FGrid->DataLink()->DataSet()->CompareBookmarks(A, B);
}

AnsiString TDBGridEhSelectionRect::GetBottomRow()
{
  CheckReady(SGetBottomRowError);
  return Compare(FAnchor.Bookmark, FExtent.Bookmark) < 0 ? FExtent.Bookmark : FAnchor.Bookmark;
}

AnsiString TDBGridEhSelectionRect::GetUpperRow()
{
  CheckReady(SCellSelectedError);
  return Compare(FAnchor.Bookmark, FExtent.Bookmark) <= 0 ? FAnchor.Bookmark : FExtent.Bookmark;
}

Integer TDBGridEhSelectionRect::GetLeftmostCol()
{
  CheckReady(SCellSelectedError);
  return std::min(FAnchor.ColIndex, FExtent.ColIndex);
}

Integer TDBGridEhSelectionRect::GetRightmostCol()
{
  CheckReady(SCellSelectedError);
  return std::max(FAnchor.ColIndex, FExtent.ColIndex);
}

bool TDBGridEhSelectionRect::CellSelected(Integer ADataCol, const AnsiString& ABookmark)
{
  CheckReady(SCellSelectedError);
  return Compare(ABookmark, GetUpperRow()) >= 0 && Compare(ABookmark, GetBottomRow()) <= 0 &&
         ADataCol >= GetLeftmostCol() && ADataCol <= GetRightmostCol();
}

void TDBGridEhSelectionRect::ClearCells()
{
  FAnchor = TDBCell();
  FExtent = TDBCell();
  FGrid->Invalidate();
}

void TDBGridEhSelectionRect::SelectCell(Integer ADataCol, const AnsiString& ABookmark, bool AExtend)
{
  TDBGridEhSelection* sel = FGrid->Selection();
  if (sel->Kind() != selRectEh)
    sel->Reset();
  TDBCell oldAnchor = FAnchor, oldExtent = FExtent;
  if (FAnchor.ColIndex < 0 || !AExtend)
    FAnchor = TDBCell{ADataCol, ABookmark};
  FExtent = TDBCell{ADataCol, ABookmark};
  bool single = FAnchor.ColIndex == FExtent.ColIndex && FAnchor.Bookmark == FExtent.Bookmark;
  if (single) {
    if (sel->Kind() == selRectEh)
      sel->SetKind(selNoneEh);
  } else
    sel->SetKind(selRectEh);
  if (!FGrid->HandleAllocated())
    return;
  // Only what changed between the old and the new rectangle is repainted.
  TRect newBox =
      CellsBoxRect(FAnchor.ColIndex, FAnchor.Bookmark, FExtent.ColIndex, FExtent.Bookmark);
  TRect oldBox = oldAnchor.ColIndex >= 0 ? CellsBoxRect(oldAnchor.ColIndex, oldAnchor.Bookmark,
                                                        oldExtent.ColIndex, oldExtent.Bookmark)
                                         : TRect();
  TRect inter;
  HWND h = FGrid->Handle();
  if (!IntersectRect(inter, oldBox, newBox)) {
    ::InvalidateRect(h, &oldBox, false);
    ::InvalidateRect(h, &newBox, false);
    return;
  }
  TRect uni;
  UnionRect(uni, oldBox, newBox);
  TRect strips[4] = {TRect(uni.Left, uni.Top, inter.Left, uni.Bottom),
                     TRect(inter.Left, uni.Top, inter.Right, inter.Top),
                     TRect(inter.Right, uni.Top, uni.Right, uni.Bottom),
                     TRect(inter.Left, inter.Bottom, inter.Right, uni.Bottom)};
  for (TRect& s : strips)
    if (!IsRectEmpty(s))
      ::InvalidateRect(h, &s, false);
}

TRect TDBGridEhSelectionRect::CellsBoxRect(Integer ACol1, AnsiString ABookmark1, Integer ACol2,
                                           AnsiString ABookmark2)
{
  if (ACol1 > ACol2)
    std::swap(ACol1, ACol2);
  if (Compare(ABookmark1, ABookmark2) > 0)
    std::swap(ABookmark1, ABookmark2);
  if (FGrid->MemTableViewActive()) {
    // Every record has its row: the rows are the records' indexes in the memory table.
    Integer header = FGrid->HeaderRowCount();
    IMemTableEh* table = FGrid->MemTable();
    return FGrid->BoxRect(
        FGrid->DataToRawColumn(ACol1), table->IndexOfBookmark(ABookmark1) + header,
        FGrid->DataToRawColumn(ACol2), table->IndexOfBookmark(ABookmark2) + header);
  }
  TGridDataLinkEh* link = FGrid->DataLink();
  TDataSet* ds = link->DataSet();
  Integer saved = link->ActiveRecord();
  TScopeExit restore([&] { link->SetActiveRecord(saved); });
  Integer count = link->RecordCount();
  auto bufferRow = [&](const AnsiString& bm) {
    for (Integer i = 0; i < count; ++i) {
      link->SetActiveRecord(i);
      if (ds->Bookmark() == bm)
        return i;
    }
    return -1;
  };
  Integer top, bottom;
  link->SetActiveRecord(0);
  AnsiString firstBm = ds->Bookmark();
  link->SetActiveRecord(std::max<Integer>(count - 1, 0));
  AnsiString lastBm = ds->Bookmark();
  if (Compare(ABookmark1, firstBm) < 0)
    top = 0;
  else {
    top = bufferRow(ABookmark1);
    if (top < 0)
      top = count;
  }
  if (Compare(ABookmark2, lastBm) <= 0)
    bottom = bufferRow(ABookmark2);
  else
    bottom = FGrid->VisibleDataRowCount();
  Integer header = FGrid->HeaderRowCount();
  return FGrid->BoxRect(FGrid->DataToRawColumn(ACol1), top + header, FGrid->DataToRawColumn(ACol2),
                        bottom + header);
}

TGridRect TDBGridEhSelectionRect::BoundingGridRect()
{
  TGridDataLinkEh* link = FGrid->DataLink();
  if (!DataReady())
    return MakeGridRect(-1, -1, -1, -1);
  TDataSet* ds = link->DataSet();
  AnsiString upper = GetUpperRow(), lower = GetBottomRow();
  if (FGrid->MemTableViewActive()) {
    Integer header = FGrid->HeaderRowCount();
    Integer top = FGrid->MemTable()->IndexOfBookmark(upper);
    Integer bottom = FGrid->MemTable()->IndexOfBookmark(lower);
    if (top < 0 || bottom < 0)
      return MakeGridRect(-1, -1, -1, -1);
    return MakeGridRect(FGrid->DataToRawColumn(GetLeftmostCol()), top + header,
                        FGrid->DataToRawColumn(GetRightmostCol()), bottom + header);
  }
  Integer saved = link->ActiveRecord();
  TScopeExit restore([&] { link->SetActiveRecord(saved); });
  Integer top = -1, bottom = -1;
  for (Integer i = 0; i < link->RecordCount(); ++i) {
    link->SetActiveRecord(i);
    AnsiString bm = ds->Bookmark();
    if (top < 0 && Compare(bm, upper) >= 0)
      top = i;
    if (Compare(bm, lower) <= 0)
      bottom = i;
  }
  if (top < 0 || bottom < 0)
    return MakeGridRect(-1, -1, -1, -1);
  Integer header = FGrid->HeaderRowCount();
  return MakeGridRect(FGrid->DataToRawColumn(GetLeftmostCol()), top + header,
                      FGrid->DataToRawColumn(GetRightmostCol()), bottom + header);
}

// ---- TDBGridEhSelectionCols ----

TDBGridEhSelection* TDBGridEhSelectionCols::Selection() const
{
  return FGrid->Selection();
}

void TDBGridEhSelectionCols::InvalidateColumn(TColumnEh* Column)
{
  if (!FGrid->HandleAllocated() || !Column || Column->Collection() != FGrid->Columns())
    return;
  FGrid->InvalidateCol(FGrid->DataToRawColumn(Column->Index()));
}

void TDBGridEhSelectionCols::Clear()
{
  for (TColumnEh* c : FItems)
    InvalidateColumn(c);
  TColumnsEhList::Clear();
  FAnchor = nullptr;
}

void TDBGridEhSelectionCols::InsertSorted(TColumnEh* AColumn)
{
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Index() > AColumn->Index()) {
      Insert(i, AColumn);
      return;
    }
  Add(AColumn);
}

void TDBGridEhSelectionCols::SelectColumn(TColumnEh* AColumn, bool AAdd)
{
  TDBGridEhSelection* sel = Selection();
  if (sel->Kind() != selColumnsEh)
    sel->Reset();
  if (!AAdd)
    Clear();
  if (IndexOf(AColumn) < 0) {
    InsertSorted(AColumn);
    InvalidateColumn(AColumn);
  }
  FAnchor = FExtent = AColumn;
  sel->SetKind(selColumnsEh);
  FShiftAdded.Clear();
}

void TDBGridEhSelectionCols::ToggleColumn(TColumnEh* AColumn)
{
  TDBGridEhSelection* sel = Selection();
  if (sel->Kind() != selColumnsEh)
    sel->Reset();
  if (IndexOf(AColumn) >= 0)
    Remove(AColumn);
  else
    InsertSorted(AColumn);
  InvalidateColumn(AColumn);
  FAnchor = FExtent = AColumn;
  FShiftAdded.Clear();
  sel->SetKind(Count() > 0 ? selColumnsEh : selNoneEh);
}

void TDBGridEhSelectionCols::ExtendToColumn(TColumnEh* AColumn)
{
  TDBGridEhSelection* sel = Selection();
  if (sel->Kind() != selColumnsEh)
    sel->Reset();
  if (!FAnchor) {
    SelectColumn(AColumn, true);
    FAnchor = AColumn;
    return;
  }
  TDBGridColumnsEh* columns = FGrid->Columns();
  Integer a = FAnchor->Index(), s = (FExtent ? FExtent : FAnchor)->Index(), n = AColumn->Index();
  enum TMode { mExtend, mUndo };
  Integer from = s, to = n, step = 1, flip = -1;
  TMode mode = mExtend;
  if (a < s) {
    if (n > s) {
      from = s, to = n, step = 1;
    } else if (n < s) {
      mode = mUndo, step = -1, from = s;
      if (n < a) {
        to = n;
        flip = a;
      } else
        to = n + 1;
    } else
      from = to = n;
  } else if (a > s) {
    if (n < s) {
      from = s, to = n, step = -1;
    } else if (n > s) {
      mode = mUndo, step = 1, from = s;
      if (n > a) {
        to = n;
        flip = a;
      } else
        to = n - 1;
    } else
      from = to = n;
  } else {
    from = a, to = n, step = n < a ? -1 : 1;
  }
  bool anchorSelected = IndexOf(FAnchor) >= 0;
  for (Integer i = from;; i += step) {
    if (i == flip)
      mode = mExtend;
    if (i >= 0 && i < columns->Count()) {
      TColumnEh* c = columns->Items(i);
      bool listed = IndexOf(c) >= 0;
      bool shifted = FShiftAdded.IndexOf(c) >= 0;
      bool changed = false;
      if (mode == mExtend && anchorSelected && !listed && c->Visible()) {
        InsertSorted(c);
        FShiftAdded.Add(c);
        changed = true;
      } else if (mode == mExtend && !anchorSelected && listed && c != FAnchor) {
        Remove(c);
        FShiftAdded.Add(c);
        changed = true;
      } else if (mode == mUndo && anchorSelected && listed && c != FAnchor && shifted) {
        Remove(c);
        FShiftAdded.Remove(c);
        changed = true;
      } else if (mode == mUndo && !anchorSelected && !listed && c->Visible() && shifted) {
        InsertSorted(c);
        FShiftAdded.Remove(c);
        changed = true;
      }
      if (changed)
        InvalidateColumn(c);
    }
    if (i == to)
      break;
  }
  FExtent = AColumn;
  sel->SetKind(Count() > 0 ? selColumnsEh : selNoneEh);
}

void TDBGridEhSelectionCols::SyncWithColumns()
{
  TDBGridColumnsEh* columns = FGrid->Columns();
  for (Integer i = Count() - 1; i >= 0; --i) {
    bool present = false;
    for (Integer k = 0; k < columns->Count() && !present; ++k)
      present = columns->Items(k) == Items(i);
    if (!present)
      Delete(i);
  }
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](TColumnEh* a, TColumnEh* b) { return a->Index() < b->Index(); });
}

TGridRect TDBGridEhSelectionCols::BoundingGridRect()
{
  if (Count() == 0)
    return MakeGridRect(-1, 0, -1, FGrid->RowCount());
  Integer lo = Items(0)->Index(), hi = lo;
  for (TColumnEh* c : FItems) {
    lo = std::min(lo, c->Index());
    hi = std::max(hi, c->Index());
  }
  return MakeGridRect(FGrid->DataToRawColumn(lo), 0, FGrid->DataToRawColumn(hi), FGrid->RowCount());
}
