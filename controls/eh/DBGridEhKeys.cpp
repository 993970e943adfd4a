// The grid's keyboard: navigation by record and column, paging, tabbing, row steps that
// append and cancel inserts, selecting while moving, deleting with confirmation, check-box
// keys, and leaving the grid (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/GridClipboardEh.h"
#include "controls/eh/IMemTableEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"

namespace {

bool IsCheckLike(TColumnEh* Column)
{
  TColumnKindEh k = Column->Kind();
  return k == ckCheckboxes || k == ckImageList;
}

} // namespace

bool TCustomDBGridEh::CanCopySelection()
{
  return FDataLink->Active() && FSelection->Kind() != selNoneEh;
}

bool TCustomDBGridEh::CanDeleteSelection()
{
  if (!FDataLink->Active() || FReadOnly)
    return false;
  TDataSet* ds = FDataLink->DataSet();
  if (ds->IsEmpty() || !ds->CanModify())
    return false;
  switch (FSelection->Kind()) {
  case selRowsEh:
  case selAllEh:
    return FPermittedEdits.Contains(peDeleteEh);
  case selRectEh:
  case selColumnsEh:
    return FPermittedEdits.Contains(peUpdateEh);
  default:
    return false;
  }
}

bool TCustomDBGridEh::CanCutSelection()
{
  return CanCopySelection() && CanDeleteSelection();
}

bool TCustomDBGridEh::CanPasteClipboard()
{
  if (!FDataLink->Active() || FReadOnly)
    return false;
  TDataSet* ds = FDataLink->DataSet();
  if (!ds->CanModify())
    return false;
  bool hasData =
      Clipboard()->HasFormat(RegisterClipboardFormat("VCLDBIF")) || Clipboard()->HasFormat(CF_TEXT);
  return hasData && (ds->State() == dsInsert || FPermittedEdits.Contains(peUpdateEh));
}

bool TCustomDBGridEh::CanSelectAllRecords()
{
  return FDataLink->Active() && !FDataLink->DataSet()->IsEmpty() &&
         FSelectableKinds.Contains(selAllEh);
}

bool TCustomDBGridEh::SelectionAllowed(TGridSelectionKindEh Kind) const
{
  if (Kind == selNoneEh)
    return true;
  if (!FOptions.Contains(dgMultiSelect) || !FSelectableKinds.Contains(Kind))
    return false;
  if ((Kind == selRectEh || Kind == selColumnsEh) && FOptions.Contains(dgFullRowSelect))
    return false;
  return true;
}

void TCustomDBGridEh::ClearSelectionOnMove()
{
  if (FOptions.Contains(dgMultiSelect) && FExtOptions.Contains(dgxClearSelectionEh))
    FSelectedRows->ClearSelected();
  FAnchorValid = false;
  if (FSelection->Kind() != selNoneEh && FExtOptions.Contains(dgxClearSelectionEh)) {
    FSelection->Reset();
    Invalidate();
    InvalidateEditor();
  }
}

void TCustomDBGridEh::MoveBySelecting(bool Select, Integer Distance, bool RowsMode, bool ToEnd)
{
  TDataSet* ds = FDataLink->DataSet();
  if (!ds)
    return;
  if (RowsMode || FOptions.Contains(dgFullRowSelect)) {
    Select = Select && SelectionAllowed(selRowsEh);
    BeginUpdate();
    TScopeExit done([&] { EndUpdate(); });
    Integer step = Distance < 0 ? -1 : 1;
    Integer remaining = std::abs(Distance);
    if (FOptions.Contains(dgMultiSelect) && FDataLink->Active()) {
      if (!Select)
        ClearSelectionOnMove();
      else if (!FAnchorValid) {
        FAnchorBookmark = ds->Bookmark();
        FAnchorSelected = FSelectedRows->CurrentSelected();
        FAnchorValid = true;
        FSelectedRows->SetCurrentSelected(FToggleMode ? !FAnchorSelected : true);
      }
    }
    while (ToEnd || remaining > 0) {
      AnsiString leaving = ds->Bookmark();
      if (ds->MoveBy(step) == 0)
        break;
      --remaining;
      if (!Select || !FOptions.Contains(dgMultiSelect))
        continue;
      Integer toAnchor = ds->CompareBookmarks(ds->Bookmark(), FAnchorBookmark);
      Integer fromAnchor = ds->CompareBookmarks(leaving, FAnchorBookmark);
      bool backTowardAnchor = (fromAnchor > 0 && step < 0 && toAnchor >= 0) ||
                              (fromAnchor < 0 && step > 0 && toAnchor <= 0);
      if (backTowardAnchor) {
        // The record left goes back to the anchor's state (toggle) or unselected.
        AnsiString reached = ds->Bookmark();
        ds->SetBookmark(leaving);
        FSelectedRows->SetCurrentSelected(FToggleMode ? FAnchorSelected : false);
        ds->SetBookmark(reached);
      } else
        FSelectedRows->SetCurrentSelected(FToggleMode ? !FAnchorSelected : true);
    }
  } else if (Select && SelectionAllowed(selRectEh)) {
    BeginUpdate();
    TScopeExit done([&] { EndUpdate(); });
    if (FSelection->Kind() != selRectEh) {
      ClearSelectionOnMove();
      FSelection->Rect()->SelectCell(SelectedIndex(), ds->Bookmark(), false);
    }
    if (ToEnd)
      Distance > 0 ? ds->Last() : ds->First();
    else
      ds->MoveBy(Distance);
    FSelection->Rect()->SelectCell(SelectedIndex(), ds->Bookmark(), true);
  } else if (ToEnd)
    Distance > 0 ? ds->Last() : ds->First();
  else
    ds->MoveBy(Distance);
  if (FUpdateLock == 0)
    Update();
}

bool TCustomDBGridEh::InsertUnmodified() const
{
  TDataSet* ds = FDataLink->DataSet();
  return ds && ds->State() == dsInsert && !ds->Modified() && !FDataLink->EditorModified();
}

void TCustomDBGridEh::RowStepDown(bool Shift)
{
  TDataSet* ds = FDataLink->DataSet();
  if (InsertUnmodified()) {
    // An untouched new record: nothing at the end, cancelled elsewhere.
    if (ds->Eof())
      return;
    ds->Cancel();
  } else if (Shift)
    MoveBySelecting(true, 1, !FSelectableKinds.Contains(selRectEh), false);
  else
    ds->Next();
  if (ds->Eof() && ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing) &&
      FPermittedEdits.Contains(peAppendEh) && ds->State() != dsInsert)
    ds->Append();
}

void TCustomDBGridEh::RowStepUp(bool Shift)
{
  TDataSet* ds = FDataLink->DataSet();
  if (InsertUnmodified() && ds->Eof()) {
    ds->Cancel();
    return;
  }
  if (Shift)
    MoveBySelecting(true, -1, !FSelectableKinds.Contains(selRectEh), false);
  else
    ds->Prior();
}

void TCustomDBGridEh::TabWalk(bool Back)
{
  ClearSelectionOnMove();
  BeginUpdate();
  TScopeExit done([&] { EndUpdate(); });
  Integer start = Col(), col = start;
  Integer first = FIndicatorColCount, last = ColCount() - 1;
  for (;;) {
    col += Back ? -1 : 1;
    if (col > last) {
      RowStepDown(false);
      col = first;
    } else if (col < first) {
      RowStepUp(false);
      col = last;
    }
    if (col == start)
      break;
    if (TabStops(col) && ColWidths(col) > 0)
      break;
  }
  SelectColumn(col, 0, false);
}

AnsiString TCustomDBGridEh::DeleteQuestion() const
{
  return FSelectedRows->Count() < 2 ? SDeleteRecordQuestion : SDeleteMultipleRecordsQuestion;
}

void TCustomDBGridEh::CopyValueFromAbove()
{
  TColumnEh* c = CurrentColumn();
  TField* f = c ? c->Field() : nullptr;
  Integer active = FDataLink->ActiveRecord();
  if (!f || active == 0 || !c->CanEditValue(false))
    return;
  TDataSet* ds = FDataLink->DataSet();
  // The previous buffered record is read without moving the cursor; a lookup copies keys.
  AnsiString names = f->FieldKind() == fkLookup ? f->KeyFields() : f->FieldName();
  FDataLink->SetActiveRecord(active - 1);
  Variant value;
  {
    TScopeExit back([&] { FDataLink->SetActiveRecord(active); });
    value = ds->FieldValues(names);
  }
  if (!c->CanEditValue(true))
    return;
  ds->SetFieldValues(names, value);
  ClearSelection();
  ShowEditor();
  if (InplaceEditor())
    InplaceEditor()->SelectAll();
}

bool TCustomDBGridEh::ConfirmDelete()
{
  if (!FOptions.Contains(dgConfirmDelete))
    return true;
  return Application()->MessageBox(DeleteQuestion(), Application()->Title(),
                                   MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void TCustomDBGridEh::DeleteByKey()
{
  TDataSet* ds = FDataLink->DataSet();
  if (FReadOnly || ds->IsEmpty() || !ds->CanModify() || !FPermittedEdits.Contains(peDeleteEh))
    return;
  if (!ConfirmDelete())
    return;
  if (FSelectedRows->Count() > 0)
    FSelectedRows->DeleteSelected();
  else
    ds->Delete();
}

void TCustomDBGridEh::KeyDown(Word& Key, TShiftState Shift)
{
  FToggleMode = Shift.Contains(ssCtrl) || !FExtOptions.Contains(dgxClearSelectionEh);
  TDestroyWatch watch(this);
  TCustomControl::KeyDown(Key, Shift); // OnKeyDown
  if (watch.Destroyed() || Key == 0 || !FDataLink->Active() || !CanGridAcceptKey(Key, Shift))
    return;
  if (SearchKeyDown(Key, Shift))
    return;
  TDataSet* ds = FDataLink->DataSet();
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift), alt = Shift.Contains(ssAlt);
  bool multi = FOptions.Contains(dgMultiSelect);
  Word key = Key;
  if (BiDiMode() == bdRightToLeft && (key == VK_LEFT || key == VK_RIGHT))
    key = key == VK_LEFT ? VK_RIGHT : VK_LEFT;
  Key = 0;
  // Up from the first record (or with Ctrl) goes into the filter row.
  if (key == VK_UP && !alt && !shift && STFilterVisible() &&
      (ctrl || ds->Bof() || (ds->IsSequenced() && ds->RecNo() == 1))) {
    Integer col = SelectedIndex();
    if (FOptions.Contains(dgFullRowSelect)) {
      col = std::max<Integer>(FFilterCol, 0);
      while (col < FColumns->Count() && !FilterCellVisible(col))
        ++col;
      Integer raw = DataToRawColumn(col);
      if (col >= FColumns->Count() || (raw >= FixedCols() && IsRectEmpty(CellRect(raw, 0)))) {
        col = std::max<Integer>(RawToDataColumn(LeftCol()), 0);
        while (col < FColumns->Count() && !FilterCellVisible(col))
          ++col;
      }
    }
    StartFilterEdit(col);
    return;
  }
  if (IsKeyOf(CopyFromAboveShortCut, key, Shift)) {
    CopyValueFromAbove();
    return;
  }
  if (!ctrl && !alt && MemTreeKey(key))
    return;
  if (ctrl) {
    if (!shift && (key == VK_PRIOR || key == VK_NEXT || key == VK_HOME || key == VK_END ||
                   key == VK_UP || key == VK_DOWN))
      ClearSelectionOnMove();
    // The first and last record on screen: the buffer's ends, or in memory-table view the
    // rows the view shows.
    Integer toTop = -FDataLink->ActiveRecord();
    Integer toBottom = FDataLink->RecordCount() - FDataLink->ActiveRecord() - 1;
    if (MemTableViewActive()) {
      TGridDrawInfo info;
      CalcDrawInfo(info);
      Integer last = std::min<Integer>(std::max(info.Vert.LastFullVisibleCell, TopRow()),
                                       HeaderRowCount() + MemTable()->MemRecordCount() - 1);
      toTop = TopRow() - Row();
      toBottom = std::max<Integer>(last - Row(), toTop);
    }
    switch (key) {
    case VK_PRIOR:
    case VK_UP:
      if (shift && multi)
        MoveBySelecting(true, toTop, false, false);
      else
        ds->MoveBy(toTop);
      return;
    case VK_NEXT:
    case VK_DOWN: {
      Integer d = toBottom;
      if (shift && multi)
        MoveBySelecting(true, d, false, false);
      else
        ds->MoveBy(d);
      return;
    }
    case VK_HOME:
      if (shift && multi)
        MoveBySelecting(true, -1, false, true);
      else
        ds->First();
      return;
    case VK_END:
      if (shift && multi)
        MoveBySelecting(true, 1, false, true);
      else
        ds->Last();
      return;
    case VK_LEFT:
      SelectColumn(FIndicatorColCount, 1, false);
      return;
    case VK_RIGHT:
      SelectColumn(ColCount() - 1, -1, false);
      return;
    case VK_DELETE:
      if (shift)
        return;
      if (FClipboardActions.Contains(caDeleteEh) && FSelection->Kind() != selNoneEh) {
        if (CanDeleteSelection())
          GridDeleteAction(this, false);
        return;
      }
      DeleteByKey();
      return;
    case VK_INSERT:
    case 'C':
      if (CanCopySelection() && FClipboardActions.Contains(caCopyEh))
        GridCopyAction(this, false);
      return;
    case 'V':
      if (CanPasteClipboard() && FClipboardActions.Contains(caPasteEh))
        GridPasteAction(this, false);
      return;
    case 'X':
      if (CanCutSelection() && FClipboardActions.Contains(caCutEh))
        GridCutAction(this, false);
      return;
    case 'A':
      if (CanSelectAllRecords() && FClipboardActions.Contains(caSelectAllEh))
        FSelection->SelectEverything();
      return;
    default:
      Key = key;
      return;
    }
  }
  switch (key) {
  case VK_TAB:
    if (alt || !FOptions.Contains(dgTabs)) {
      Key = key;
      return;
    }
    TabWalk(shift);
    return;
  case VK_RETURN:
    if (FExtOptions.Contains(dgxEnterAsTabEh))
      TabWalk(shift);
    else
      Key = key;
    return;
  case VK_ESCAPE:
    FDataLink->Reset();
    ClearSelection();
    if (!FOptions.Contains(dgAlwaysShowEditor))
      HideEditor();
    return;
  case VK_PRIOR:
  case VK_NEXT: {
    Integer d = VisibleDataRowCount() * (key == VK_PRIOR ? -1 : 1);
    if (shift && multi)
      MoveBySelecting(true, d, !FSelectableKinds.Contains(selRectEh), false);
    else {
      ClearSelectionOnMove();
      ds->MoveBy(d);
    }
    return;
  }
  case VK_HOME:
  case VK_END: {
    bool home = key == VK_HOME;
    if (FColumns->Count() == 1 || FOptions.Contains(dgFullRowSelect)) {
      if (shift && multi)
        MoveBySelecting(true, home ? -1 : 1, false, true);
      else {
        ClearSelectionOnMove();
        home ? ds->First() : ds->Last();
      }
    } else {
      if (!(shift && multi))
        ClearSelectionOnMove();
      SelectColumn(home ? FIndicatorColCount : ColCount() - 1, home ? 1 : -1, shift && multi);
    }
    return;
  }
  case VK_LEFT:
  case VK_RIGHT: {
    Integer dir = key == VK_LEFT ? -1 : 1;
    if (FOptions.Contains(dgFullRowSelect)) {
      SetLeftCol(std::clamp(LeftCol() + dir, FixedCols(), ColCount() - 1));
      return;
    }
    if (!(shift && multi))
      ClearSelectionOnMove();
    Integer target = Col() + dir;
    if (target < FIndicatorColCount || target >= ColCount())
      return;
    SelectColumn(target, dir, shift && multi);
    return;
  }
  case VK_UP:
    if (!shift)
      ClearSelectionOnMove();
    RowStepUp(shift && multi);
    return;
  case VK_DOWN:
    if (!shift)
      ClearSelectionOnMove();
    RowStepDown(shift && multi);
    return;
  case VK_INSERT:
    if (shift) {
      if (CanPasteClipboard() && FClipboardActions.Contains(caPasteEh))
        GridPasteAction(this, false);
      return;
    }
    if (ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing)) {
      ClearSelection();
      if (FPermittedEdits.Contains(peInsertEh))
        ds->Insert();
      else if (FPermittedEdits.Contains(peAppendEh))
        ds->Append();
    }
    return;
  case VK_F2:
    SetEditorMode(true);
    return;
  case VK_DELETE: {
    if (shift) {
      if (CanCutSelection() && FClipboardActions.Contains(caCutEh))
        GridCutAction(this, false);
      return;
    }
    Integer sel = SelectedIndex();
    if (sel < 0 || sel >= FColumns->Count() || FOptions.Contains(dgFullRowSelect))
      return;
    TColumnEh* c = FColumns->Items(sel);
    TField* f = c->Field();
    if (IsCheckLike(c) && f && !f->Required() && c->CanEditValue(true))
      c->StoreCellValue(AnsiString(), Null(), false);
    else
      Key = key;
    return;
  }
  default:
    Key = key;
  }
}

void TCustomDBGridEh::KeyUp(Word& Key, TShiftState Shift)
{
  TCustomGrid::KeyUp(Key, Shift);
  if (Key == VK_CONTROL && FSortPending) {
    FSortPending = false;
    SortMarkingChanged();
  }
}

void TCustomDBGridEh::KeyPress(char& Key)
{
  if (FExtOptions.Contains(dgxEnterAsTabEh) && Key == '\r')
    Key = '\t';
  if (!FOptions.Contains(dgAlwaysShowEditor) && Key == '\r')
    FDataLink->WritePendingEdits();
  Integer sel = SelectedIndex();
  // A space steps a check-box or image cell.
  if (Key == ' ' && !FOptions.Contains(dgFullRowSelect) && sel >= 0 && sel < FColumns->Count() &&
      IsCheckLike(FColumns->Items(sel)) && FDataLink->Active()) {
    FColumns->Items(sel)->StepValue(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
    Key = 0;
    return;
  }
  if (SearchKeyPress(Key)) {
    Key = 0;
    return;
  }
  // In a memory table's tree the keypad's *, + and - expand and collapse (on the key
  // press); their characters open no editor.
  if ((Key == '*' || Key == '+' || Key == '-') && MemTableViewActive() &&
      MemTable()->IsTreeView()) {
    Key = 0;
    return;
  }
  TCustomGrid::KeyPress(Key);
}

void TCustomDBGridEh::DoExit()
{
  if (FDataLink->Active()) {
    try {
      TDataSet* ds = FDataLink->DataSet();
      if (FOptions.Contains(dgCancelOnExit) && InsertUnmodified())
        ds->Cancel();
      else
        FDataLink->WritePendingEdits();
    } catch (...) {
      SetFocus();
      throw;
    }
  }
  TCustomGrid::DoExit();
}
