// The layout rebuild: columns from fields, fixed columns, row and title heights, widths and
// the auto-fit distribution; the reactions to sized and moved columns and sized rows
// (DBGridEh.h describes the unit).
#include <algorithm>
#include <cmath>

#include "controls/eh/DBGridEh.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// Text metrics of a font measured on the grid's canvas (the canvas font is put back).
TTextMetric MetricsOf(TCanvas* Canvas, TFont* Font, Integer* WgHeight = nullptr)
{
  TFont saved;
  saved.Assign(Canvas->Font());
  TScopeExit restore([&] { Canvas->Font()->Assign(&saved); });
  Canvas->Font()->Assign(Font);
  if (WgHeight)
    *WgHeight = Canvas->TextHeight("Wg");
  return Canvas->GetTextMetrics();
}

// Whether a lookup field's key fields are missing or read-only (then it is read-only).
bool LookupReadOnly(TField* Field)
{
  TDataSet* ds = Field->DataSet();
  if (!ds)
    return true;
  std::vector<TField*> keys;
  try {
    ds->GetFieldList(keys, Field->KeyFields());
  } catch (const EDatabaseError&) {
    return true;
  }
  for (TField* k : keys)
    if (k->ReadOnly())
      return true;
  return keys.empty();
}

} // namespace

TCustomDBGridEh::TMeasureScope::TMeasureScope(TCustomDBGridEh* Grid) : FGrid(Grid)
{
  // Text is measured through the text engine, which needs no device: nothing to borrow.
}

TCustomDBGridEh::TMeasureScope::~TMeasureScope() = default;

void TCustomDBGridEh::DropStrayDefaultColumns()
{
  bool seenDefault = false;
  for (Integer i = 0; i < FColumns->Count(); ++i) {
    TColumnEh* c = FColumns->Items(i);
    if (c->IsDefaultColumn()) {
      seenDefault = true;
      continue;
    }
    if (!seenDefault)
      continue;
    for (Integer k = FColumns->Count() - 1; k >= 0; --k)
      if (FColumns->Items(k)->IsDefaultColumn())
        delete FColumns->Items(k);
    return;
  }
}

void TCustomDBGridEh::DefineFieldMap()
{
  TDataSet* ds = FDataLink->DataSet();
  if (FColumns->IsCustomized()) {
    FDataLink->SetMapFromColumns(true);
    for (Integer i = 0; i < FColumns->Count(); ++i)
      FDataLink->MapField(FColumns->Items(i)->FieldName());
    return;
  }
  FDataLink->SetMapFromColumns(false);
  if (!ds)
    return;
  for (Integer i = 0; i < ds->FieldCount(); ++i) {
    TField* f = ds->Fields()->Fields(i);
    if (f->Visible())
      FDataLink->MapField(f->FieldName());
  }
}

void TCustomDBGridEh::BuildColumnsFromFields()
{
  if (FColumns->IsCustomized()) {
    for (Integer i = 0; i < FColumns->Count(); ++i)
      FColumns->Items(i)->BindField(nullptr);
    return;
  }
  TDataSet* ds = FDataLink->DataSet();
  if (FDataLink->Active() || (ds && !ds->DefaultFields())) {
    for (Integer i = FColumns->Count() - 1; i >= 0; --i) {
      TColumnEh* c = FColumns->Items(i);
      TField* f = c->FField;
      bool mapped = false;
      for (Integer k = 0; f && k < FDataLink->MappedCount(); ++k)
        mapped = mapped || FDataLink->MappedField(k) == f;
      if (!f || !mapped)
        delete c;
    }
  } else
    FColumns->Clear();
  Integer count = std::max<Integer>(FDataLink->MappedCount(), FColumns->Count() == 0 ? 1 : 0);
  for (Integer i = 0; i < count; ++i) {
    TField* f = FDataLink->MappedField(i);
    TColumnEh* column = nullptr;
    if (f)
      for (Integer k = i; k < FColumns->Count(); ++k)
        if (FColumns->Items(k)->FField == f) {
          column = FColumns->Items(k);
          break;
        }
    if (!column) {
      column = FColumns->AddDefaultColumn();
      if (f)
        column->BindField(f);
    }
    column->TCollectionItem::SetIndex(i);
  }
}

void TCustomDBGridEh::InternalLayout()
{
  if (ComponentState().Contains(csLoading))
    return;
  if (HandleAllocated())
    DropPendingMessage(Handle(), CM_DEFERLAYOUT);
  FLayoutInProgress = true;
  TScopeExit done([&] { FLayoutInProgress = false; });

  // 1-3: columns.
  DropStrayDefaultColumns();
  FIndicatorColCount = FOptions.Contains(dgIndicator) ? 1 : 0;
  FDataLink->ClearFieldMap();
  if (FDataLink->Active())
    DefineFieldMap();
  BuildColumnsFromFields();

  // 4-5: visible and fixed columns. A hidden column inside the frozen range does not
  // count against the frozen visible columns.
  FVisibleColumns->Clear();
  for (Integer i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->Visible())
      FVisibleColumns->Add(FColumns->Items(i));
  Integer hidden = 0;
  for (Integer i = 0; i < FColumns->Count() && i < FFrozenColCount + hidden; ++i)
    if (!FColumns->Items(i)->Visible())
      ++hidden;
  for (Integer i = FFrozenColCount + hidden; i < FColumns->Count(); ++i) {
    if (FColumns->Items(i)->Visible())
      break;
    ++hidden;
  }
  SetColCount(FColumns->Count() + FIndicatorColCount);
  Integer h = hidden - (FVisibleColumns->Count() == 0 ? 1 : 0);
  h = std::max<Integer>(h, 0);
  Integer fixed = FDataLink->Active() || FColumns->IsCustomized()
                      ? FIndicatorColCount + FFrozenColCount + h
                      : FIndicatorColCount + h;
  // Never all columns fixed: the base grid needs a scrolling column.
  SetFixedCols(std::min<Integer>(fixed, ColCount() - 1));

  // 7: row height from the text metrics of the grid font.
  Integer m = (FFlat ? 1 : 3) + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
  Integer t = 0;
  TTextMetric tm = MetricsOf(Canvas(), Font(), &t);
  Integer titleHeight = RowHeights(0);
  Integer rowHeight;
  if (FRowHeight > 0 || FRowLines > 0)
    rowHeight = FRowHeight + (tm.tmHeight + tm.tmExternalLeading) * FRowLines;
  else
    rowHeight = t + m;
  if (FExtOptions.Contains(dgxFitRowHeightToTextEh) && t > 0) {
    Integer n = (rowHeight - m) / t, r = (rowHeight - m) % t;
    rowHeight = (r <= t / 2 && n > 0) ? n * t + m : (n + 1) * t + m;
    FRowLines = (rowHeight - m) / t;
    FRowHeight = m;
  }
  SetDefaultRowHeight(rowHeight);
  if (FOptions.Contains(dgTitles))
    SetRowHeights(0, titleHeight);

  // 8-9: edit buttons and the multi-line flag.
  if (DefaultRowHeight() <= static_cast<Integer>(std::nearbyint(FEditButtonWidth * 3 / 2.0)))
    FEditButtonHeight = DefaultRowHeight();
  else
    FEditButtonHeight = FEditButtonWidth;
  FMultiLineRows = tm.tmHeight + tm.tmExternalLeading + tm.tmInternalLeading + FVertCellSpacing <
                   DefaultRowHeight();

  // 10: a single title row.
  if (FOptions.Contains(dgTitles) && !FUseMultiTitle) {
    Integer best = 0;
    for (Integer i = 0; i < FColumns->Count(); ++i) {
      Integer th = 0;
      MetricsOf(Canvas(), FColumns->Items(i)->Title()->Font(), &th);
      best = std::max(best, th + FVertCellSpacing);
    }
    if (FColumns->Count() == 0) {
      Integer th = 0;
      MetricsOf(Canvas(), FTitleFont.get(), &th);
      best = th + FVertCellSpacing;
    }
    SetRowHeights(0, best);
  }

  // 11: the horizontal scroll bar.
  bool wantHorz = (!FAutoFitColWidths || ComponentState().Contains(csDesigning)) &&
                  FHorzScrollBar->Visible() && !FHorzScrollBar->HasExternalBar();
  bool hasHorz = TCustomGrid::ScrollBars() == ssHorizontal || TCustomGrid::ScrollBars() == ssBoth;
  if (wantHorz != hasHorz) {
    TCustomGrid::SetScrollBars(wantHorz ? ssHorizontal : ssNone);
    if (HandleAllocated())
      UpdateVertScrollBar();
  }

  // 12-13: widths and auto-fit.
  ApplyColumnWidths();
  if (FAutoFitColWidths && !ComponentState().Contains(csDesigning) && HandleAllocated())
    ApplyAutoFit();

  // 14: the title height.
  if (FOptions.Contains(dgTitles))
    ApplyTitleHeight();

  // 15.
  ApplyColumnWidths();
  Integer left = LeftCol();
  RecalcRowCount();
  if (FOptions.Contains(dgFullRowSelect) && left < ColCount() && left >= FixedCols())
    SetLeftCol(left);
  SyncCurrentRow();
  UpdateHorzExtScrollBar();
  Invalidate();
  if (FSelection->Kind() == selColumnsEh)
    FSelection->Columns()->SyncWithColumns();
}

void TCustomDBGridEh::ApplyTitleHeight()
{
  if (FTitleHeight > 0 || FTitleLines > 0) {
    TFont* tallest = FTitleFont.get();
    Integer best = -1;
    for (Integer i = 0; i < FColumns->Count(); ++i) {
      TFont* f = FColumns->Items(i)->Title()->Font();
      Integer th = MetricsOf(Canvas(), f).tmHeight;
      if (th > best) {
        best = th;
        tallest = f;
      }
    }
    TTextMetric tm = MetricsOf(Canvas(), tallest);
    FComputedTitleHeight = FTitleLines * tm.tmHeight + tm.tmExternalLeading + 2 + FTitleHeight +
                           (FOptions.Contains(dgRowLines) ? 1 : 0);
    SetRowHeights(0, FComputedTitleHeight);
  }
  if (FUseMultiTitle) {
    TFont saved;
    saved.Assign(Canvas()->Font());
    TScopeExit restore([&] { Canvas()->Font()->Assign(&saved); });
    Canvas()->Font()->Assign(FTitleFont.get());
    FTitleRoot->BuildFromColumns(this);
    Integer h = MultiTitleHeight(FTitleRoot.get());
    SetRowHeights(0, std::max<Integer>(h - (FExtOptions.Contains(dgxFixed3DEh) ? 1 : 3), 1));
  }
}

void TCustomDBGridEh::ApplyColumnWidths()
{
  bool active = FDataLink->Active();
  for (Integer i = 0; i < FColumns->Count(); ++i) {
    TColumnEh* c = FColumns->Items(i);
    Integer raw = DataToRawColumn(i);
    if (raw >= ColCount())
      break;
    TField* f = c->Field();
    bool fieldEditable = f && f->FieldKind() != fkCalculated && !f->ReadOnly() &&
                         !(f->FieldKind() == fkLookup && LookupReadOnly(f));
    SetTabStops(raw, c->Visible() && !c->ReadOnly() && active && fieldEditable);
    Integer w = c->Visible() ? c->Width() : (FOptions.Contains(dgColLines) ? -1 : 0);
    if (ColWidths(raw) != w)
      TCustomGrid::SetColWidths(raw, w);
  }
  if (FOptions.Contains(dgIndicator) && ColWidths(0) != 11)
    TCustomGrid::SetColWidths(0, 11);
}

void TCustomDBGridEh::ApplyAutoFit()
{
  // Sizing a default column can change its field's display width, and the layout that change
  // asks for rebuilds the default columns. Outside a layout that rebuild waits until every
  // width is set, so the columns being sized stay alive.
  const bool ownLock = AcquireLayoutLock();
  try {
    FitColumnWidths();
  } catch (...) {
    if (ownLock)
      EndLayout();
    throw;
  }
  if (ownLock)
    EndLayout();
}

void TCustomDBGridEh::FitColumnWidths()
{
  std::vector<bool> marked(static_cast<std::size_t>(FColumns->Count()), false);
  Integer sum = 0, available = 0;
  for (Integer pass = 0; pass <= FVisibleColumns->Count(); ++pass) {
    UpdateVertScrollBar();
    Integer base = 0, others = 0;
    for (Integer i = 0; i < FVisibleColumns->Count(); ++i) {
      TColumnEh* c = FVisibleColumns->Items(i);
      if (c->AutoFitColWidth() && !marked[static_cast<std::size_t>(c->Index())])
        base += c->AutoFitBaseWidth();
      else
        others += c->Width();
    }
    available = std::max<Integer>(std::max(ClientWidth(), FAutoFitMinWidth) - others, 0);
    if (FOptions.Contains(dgIndicator))
      available -= ColWidths(0);
    if (FOptions.Contains(dgColLines))
      available -= FVisibleColumns->Count();
    if (FOptions.Contains(dgIndicator) && FOptions.Contains(dgColLines))
      available -= 1;
    sum = 0;
    bool repeat = false;
    for (Integer i = 0; i < FVisibleColumns->Count(); ++i) {
      TColumnEh* c = FVisibleColumns->Items(i);
      if (!c->AutoFitColWidth() || marked[static_cast<std::size_t>(c->Index())])
        continue;
      // With no base width to share, the columns keep their widths.
      Integer w = base > 0 ? MulDiv(c->AutoFitBaseWidth(), available, base) : c->Width();
      c->SetWidth(w);
      if (c->Width() != w) {
        marked[static_cast<std::size_t>(c->Index())] = true;
        repeat = true;
      }
      sum += c->Width();
    }
    if (!repeat)
      break;
  }
  // Rounding leftovers go to the last column that follows the distribution.
  if (sum != available)
    for (Integer i = FVisibleColumns->Count() - 1; i >= 0; --i) {
      TColumnEh* c = FVisibleColumns->Items(i);
      if (c->AutoFitColWidth() && !marked[static_cast<std::size_t>(c->Index())]) {
        c->SetWidth(std::max<Integer>(c->Width() + available - sum, 0));
        break;
      }
    }
  ApplyColumnWidths();
}

void TCustomDBGridEh::SetAutoFitColWidths(bool Value)
{
  if (Value == FAutoFitColWidths)
    return;
  FAutoFitColWidths = Value;
  if (ComponentState().Contains(csDesigning))
    return;
  if (Value) {
    if (!ComponentState().Contains(csLoading))
      for (Integer i = 0; i < FColumns->Count(); ++i)
        FColumns->Items(i)->SetAutoFitBaseWidth(FColumns->Items(i)->Width());
    TCustomGrid::SetScrollBars(ssNone);
  } else {
    {
      TUpdateScope<TDBGridColumnsEh> update(FColumns.get());
      for (Integer i = 0; i < FColumns->Count(); ++i)
        FColumns->Items(i)->SetWidth(FColumns->Items(i)->AutoFitBaseWidth());
    }
    TCustomGrid::SetScrollBars(ssHorizontal);
  }
  LayoutChanged();
}

void TCustomDBGridEh::ColWidthsChanged()
{
  if ((FDataLink->Active() || FColumns->IsCustomized()) && AcquireLayoutLock()) {
    TScopeExit release([&] { EndLayout(); });
    TCustomGrid::ColWidthsChanged();
    for (Integer i = 0; i < FColumns->Count() && DataToRawColumn(i) < ColCount(); ++i) {
      Integer raw = DataToRawColumn(i);
      Integer clamped = FColumns->Items(i)->ClampWidth(ColWidths(raw));
      if (ColWidths(raw) > 0 && clamped != ColWidths(raw))
        TCustomGrid::SetColWidths(raw, clamped);
    }
    for (Integer i = 0; i < FColumns->Count() && DataToRawColumn(i) < ColCount(); ++i) {
      TColumnEh* c = FColumns->Items(i);
      Integer raw = DataToRawColumn(i);
      Integer rawWidth = ColWidths(raw);
      Integer oldWidth = c->Width();
      if (!c->Visible() || rawWidth == oldWidth)
        continue;
      if (!FAutoFitColWidths || ComponentState().Contains(csDesigning)) {
        c->SetWidth(rawWidth);
      } else if (FExtOptions.Contains(dgxSpreadResizeEh)) {
        // Spread: the auto-fit columns right of this one give or take the difference in
        // proportion to their base widths (nothing to share over zero widths).
        if (c->AutoFitColWidth() && oldWidth > 0)
          c->SetAutoFitBaseWidth(MulDiv(rawWidth, c->AutoFitBaseWidth(), oldWidth));
        else if (!c->AutoFitColWidth())
          c->SetWidth(rawWidth);
        Integer rest = 0;
        for (Integer k = i + 1; k < FColumns->Count(); ++k)
          if (FColumns->Items(k)->Visible() && FColumns->Items(k)->AutoFitColWidth())
            rest += FColumns->Items(k)->Width();
        if (rest > 0)
          for (Integer k = i + 1; k < FColumns->Count(); ++k) {
            TColumnEh* o = FColumns->Items(k);
            if (!o->Visible() || !o->AutoFitColWidth())
              continue;
            Integer b = MulDiv(rest + oldWidth - rawWidth, o->AutoFitBaseWidth(), rest);
            o->SetAutoFitBaseWidth(b <= 0 ? 1 : b);
          }
      } else {
        Integer k = FVisibleColumns->IndexOf(c);
        if (k < 0)
          continue;
        if (c->AutoFitColWidth()) {
          Integer oldBase = c->AutoFitBaseWidth();
          Integer newBase = oldWidth > 0 ? MulDiv(oldBase, rawWidth, oldWidth) : oldBase;
          c->SetAutoFitBaseWidth(newBase);
          if (k < FVisibleColumns->Count() - 1) {
            TColumnEh* next = FVisibleColumns->Items(k + 1);
            next->SetAutoFitBaseWidth(
                std::max<Integer>(0, next->AutoFitBaseWidth() + oldBase - newBase));
          }
        } else
          c->SetWidth(rawWidth);
      }
    }
  } else
    TCustomGrid::ColWidthsChanged();
  InvalidateEditor();
  if (OnColWidthsChanged)
    OnColWidthsChanged(this);
  UpdateHorzExtScrollBar();
}

void TCustomDBGridEh::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
  Integer from = RawToDataColumn(FromIndex), to = RawToDataColumn(ToIndex);
  if (from < 0 || to < 0 || from >= FColumns->Count() || to >= FColumns->Count())
    return;
  FColumns->Items(from)->SetIndex(to);
  if (OnColumnMoved)
    OnColumnMoved(this, from, to);
}

void TCustomDBGridEh::RowHeightsChanged()
{
  TCustomGrid::RowHeightsChanged();
}
