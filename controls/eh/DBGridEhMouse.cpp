// The grid's mouse: a press on a data cell moves the dataset to its record and makes the
// column current (opening the editor on a second click or on the edit button), title
// buttons with sort marking, check-box clicks, and the base grid's sizing and moving of
// columns (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/VirtualKeys.h"

void TCustomDBGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  FClickedCell = {-1, -1};
  if (!AcquireFocus() || watch.Destroyed())
    return;
  TGridDrawInfo info;
  TGridState state = gsNormal;
  Integer index = -1, pos = 0, ofs = 0;
  CalcSizingState(X, Y, state, index, pos, ofs, info);
  TGridCoord cell = MouseCoord(X, Y);
  // A double click on a column border fits the column (and the selected ones) to content.
  if (Shift.Contains(ssDouble) && state == gsColSizing &&
      FExtOptions.Contains(dgxDblClickFitColWidthEh) && index >= FIndicatorColCount &&
      index < ColCount()) {
    FitClickedColumnWidths(FColumns->Items(RawToDataColumn(index)));
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (state != gsNormal || cell.X < 0 || cell.Y < 0 || Button != mbLeft ||
      Shift.Contains(ssDouble)) {
    if (state != gsNormal && FDataLink->Active())
      FDataLink->WritePendingEdits();
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  TCellTypeEh type = GetCellType(cell.X, cell.Y);
  if (SelectByMouse(cell, type, Shift, Y))
    return;
  if (type.Area == caTitleEh && type.HorzPart == 1) {
    bool enabled =
        type.DataCol < FColumns->Count() && FColumns->Items(type.DataCol)->Title()->TitleButton();
    CheckTitleButton(type.DataCol, enabled);
    if (enabled) {
      FPressedTitleCol = cell.X;
      SetCaptureControl(this);
      InvalidateCell(cell.X, cell.Y);
      return;
    }
    if (FDataLink->Active())
      FDataLink->WritePendingEdits();
    TCustomGrid::MouseDown(Button, Shift, X, Y); // moving the column by its title
    return;
  }
  // A click on the memory table's tree expands or collapses a node and nothing else.
  if (type.Area == caDataEh && MemTreeMouseDown(X, Y, false))
    return;
  if (type.Area != caDataEh || !RowHasRecord(type.AreaRow)) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  bool sameCell = cell.X == Col() && cell.Y == Row();
  {
    BeginUpdate();
    TScopeExit done([&] { EndUpdate(); });
    FDataLink->WritePendingEdits();
    if (!sameCell && !FOptions.Contains(dgAlwaysShowEditor))
      HideEditor();
    Integer delta = cell.Y - Row();
    bool multi = FOptions.Contains(dgMultiSelect);
    if (delta != 0) {
      if (Shift.Contains(ssShift) && multi)
        MoveBySelecting(true, delta, !FSelectableKinds.Contains(selRectEh), false);
      else {
        ClearSelectionOnMove();
        FDataLink->DataSet()->MoveBy(delta);
      }
    } else if (!Shift.Contains(ssShift))
      ClearSelectionOnMove();
    if (type.HorzPart == 1)
      SelectColumn(cell.X, 0, Shift.Contains(ssShift) && multi);
    if (Shift.Contains(ssCtrl) && multi && SelectionAllowed(selRowsEh))
      FSelectedRows->SetCurrentSelected(!FSelectedRows->CurrentSelected());
  }
  if (watch.Destroyed())
    return;
  Update();
  if (type.HorzPart == 1 && type.DataCol < FColumns->Count()) {
    TColumnEh* c = FColumns->Items(type.DataCol);
    TColumnKindEh kind = c->Kind();
    if (kind == ckCheckboxes || kind == ckImageList)
      FClickedCell = {cell.X, cell.Y};
    else {
      TRect r = CellRect(cell.X, cell.Y);
      bool onButton = c->ColumnEditStyle() != cesPlain && X >= r.Right - EditButtonWidth();
      if ((sameCell || onButton || FOptions.Contains(dgAlwaysShowEditor)) &&
          FOptions.Contains(dgEditing)) {
        ShowEditor();
        if (onButton && CellEditor())
          CellEditor()->OpenDropDown();
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomDBGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  TGridCoord cell = MouseCoord(X, Y);
  if (FPressedTitleCol >= 0) {
    Integer pressed = FPressedTitleCol;
    FPressedTitleCol = -1;
    SetCaptureControl(nullptr);
    InvalidateCell(pressed, 0);
    if (cell.X == pressed && cell.Y == 0) {
      Integer dataCol = RawToDataColumn(pressed);
      TColumnEh* column = FColumns->Items(dataCol);
      TitleButtonClick(dataCol, column);
      if (watch.Destroyed())
        return;
      FSortPending = Shift.Contains(ssCtrl);
      if (FExtOptions.Contains(dgxAutoSortMarkingEh)) {
        column->Title()->CycleSortMarker(FSortPending);
        // With Ctrl the sorting is applied when Ctrl is released.
        if (!FSortPending)
          SortMarkingChanged();
      }
      if (watch.Destroyed())
        return;
      TitleClick(column);
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  bool sizing =
      GridState() == gsColSizing || GridState() == gsRowSizing || GridState() == gsColMoving;
  TCustomGrid::MouseUp(Button, Shift, X, Y);
  if (watch.Destroyed() || sizing || Button != mbLeft || cell.X < FIndicatorColCount || cell.Y < 0)
    return;
  TCellTypeEh type = GetCellType(cell.X, cell.Y);
  if (type.DataCol >= FColumns->Count())
    return;
  TColumnEh* column = FColumns->Items(type.DataCol);
  if (type.Area == caTitleEh) {
    TitleClick(column);
    return;
  }
  if (type.Area != caDataEh)
    return;
  CellClick(column);
  if (watch.Destroyed())
    return;
  if (FClickedCell.X == cell.X && FClickedCell.Y == cell.Y && !column->DblClickNextVal() &&
      column->CanEditValue(true))
    column->StepValue(Shift.Contains(ssShift) ? -1 : 1);
  FClickedCell = {-1, -1};
}

void TCustomDBGridEh::DrawSizingLine(const TGridDrawInfo& DrawInfo)
{
  // Live sizing: the column follows the pointer instead of a dotted line.
  if (FExtOptions.Contains(dgxLiveColSizingEh) && GridState() == gsColSizing) {
    Integer index = SizingIndex();
    TRect r = CellRect(index, 0);
    if (!IsRectEmpty(r) || r.Left > 0) {
      Integer width = std::max<Integer>(SizingPos() - r.Left, 1);
      if (width != ColWidths(index))
        SetColWidths(index, width);
      Update();
    }
    return;
  }
  TCustomGrid::DrawSizingLine(DrawInfo);
}

bool TCustomDBGridEh::InColumnSelectZone(TGridCoord Cell, Integer Y)
{
  if (!FOptions.Contains(dgTitles) || !SelectionAllowed(selColumnsEh) || Cell.Y != 0 ||
      Cell.X < FIndicatorColCount)
    return false;
  TRect r = CellRect(Cell.X, 0);
  return Y >= r.Bottom - 7;
}

bool TCustomDBGridEh::SelectByMouse(TGridCoord Cell, const TCellTypeEh& Type, TShiftState Shift,
                                    Integer Y)
{
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  // The lowest pixels of a title select its column.
  if (InColumnSelectZone(Cell, Y) && Type.DataCol < FColumns->Count()) {
    TColumnEh* c = FColumns->Items(Type.DataCol);
    if (shift)
      FSelection->Columns()->ExtendToColumn(c);
    else if (ctrl)
      FSelection->Columns()->ToggleColumn(c);
    else {
      Invalidate();
      FSelection->Columns()->SelectColumn(c, false);
    }
    return true;
  }
  if (Type.HorzPart != 0 || !FDataLink->Active())
    return false;
  TDataSet* ds = FDataLink->DataSet();
  // The indicator cell of the title row selects everything or empties the selection.
  if (Type.Area == caTitleEh) {
    if (!FOptions.Contains(dgMultiSelect) || !FSelectableKinds.Contains(selAllEh))
      return false;
    if (FSelection->Kind() != selNoneEh)
      FSelection->Reset();
    else
      FSelection->SelectEverything();
    InvalidateEditor();
    return true;
  }
  // The indicator of a record selects records.
  if (Type.Area != caDataEh || !SelectionAllowed(selRowsEh) || ds->IsEmpty() ||
      !RowHasRecord(Type.AreaRow))
    return false;
  FDataLink->WritePendingEdits();
  Integer delta = Cell.Y - Row();
  if (shift && delta != 0) {
    FToggleMode = true;
    if (!FAnchorValid) {
      FAnchorBookmark = ds->Bookmark();
      FAnchorSelected = false;
      FAnchorValid = true;
    }
    MoveBySelecting(true, delta, true, false);
    return true;
  }
  if (delta != 0)
    ds->MoveBy(delta);
  if (ctrl || !FExtOptions.Contains(dgxClearSelectionEh))
    FSelectedRows->SetCurrentSelected(!FSelectedRows->CurrentSelected());
  else {
    ClearSelectionOnMove();
    FSelectedRows->SetCurrentSelected(true);
  }
  FAnchorValid = false;
  return true;
}
