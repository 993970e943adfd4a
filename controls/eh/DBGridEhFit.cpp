// Fitting column widths to their titles, data and footers (a walk over every record that
// leaves the view where it was), and the double click on a column border that asks for it
// (DBGridEh.h describes the unit).
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// The width a text needs in the grid's canvas font (wrapped: its widest word).
Integer TextNeed(TCustomDBGridEh* Grid, const AnsiString& Text, bool WordWrap, Integer Height)
{
  Integer w = 0, h = 0;
  CellTextClipped(Grid, 0, 0, TRect(0, 0, 0, Height), WordWrap, w, h, Text);
  return w;
}

} // namespace

void TCustomDBGridEh::TitleFitWidth(TColumnEh* Column, Integer& Width)
{
  TColumnTitleEh* title = Column->Title();
  Integer marker = title->SortMarkerWidth();
  Integer m = marker >= 3 ? marker + 2 : 4;
  if (FTitleImages && title->ImageIndex() != -1) {
    Width = std::max(Width, m + FTitleImages->Width());
    return;
  }
  TCanvas* c = Canvas();
  TFont saved;
  saved.Assign(c->Font());
  TScopeExit restore([&] { c->Font()->Assign(&saved); });
  c->Font()->Assign(title->Font());
  AnsiString text = title->Caption();
  if (FUseMultiTitle)
    if (THeadTreeNode* leaf = LeafOf(Column->Index()))
      text = leaf->Caption;
  bool wrap = FUseMultiTitle || FTitleHeight > 0 || FTitleLines > 0;
  if (title->Orientation() == tohVertical)
    Width = std::max(Width, m + c->TextHeight(text));
  else
    Width = std::max(Width, TextNeed(this, text, wrap, RowHeights(0)) + (wrap ? 2 : 0) + m);
}

void TCustomDBGridEh::CellFitWidth(TColumnEh* Column, Integer& Width)
{
  Integer m = 4;
  if (Column->AlwaysShowEditButton())
    m += Column->EditButtonsWidth();
  TColumnKindEh kind = Column->Kind();
  if (kind == ckImageList && Column->ImageList()) {
    Width = std::max(Width, Column->ImageList()->Width() + m);
    return;
  }
  if (kind == ckCheckboxes) {
    Width = std::max(Width, 13 + m);
    return;
  }
  TCanvas* c = Canvas();
  TFont saved;
  saved.Assign(c->Font());
  TScopeExit restore([&] { c->Font()->Assign(&saved); });
  c->Font()->Assign(Column->Font());
  TColCellParamsEh* p = FCellParams.get();
  Column->FillCellParams(p);
  p->Background = c->Brush()->Color();
  p->Font = c->Font();
  p->State = {};
  p->Col = DataToRawColumn(Column->Index());
  p->Row = 0;
  GetCellParams(Column, p->Font, p->Background, p->State);
  Column->DoGetCellParams(false, p);
  Width = std::max(
      Width, TextNeed(this, p->Text, Column->WordWrap() && FMultiLineRows, DefaultRowHeight()) + m);
}

void TCustomDBGridEh::FooterFitWidth(TColumnEh* Column, Integer& Width)
{
  TCanvas* c = Canvas();
  TFont saved;
  saved.Assign(c->Font());
  TScopeExit restore([&] { c->Font()->Assign(&saved); });
  for (Integer i = 0; i < FFooterRowCount; ++i) {
    TColumnFooterEh* footer = Column->FooterAt(i);
    c->Font()->Assign(footer->Font());
    TColor bg = footer->Color();
    TAlignment align = footer->Alignment();
    AnsiString text = FooterCellText(i, Column);
    GetFooterParams(Column->Index(), i, Column, c->Font(), bg, align, {}, text);
    Width = std::max(
        Width, 5 + TextNeed(this, text, footer->WordWrap() && FMultiLineRows, DefaultRowHeight()));
  }
}

void TCustomDBGridEh::FitColumnWidths(TColumnsEhList* Columns)
{
  std::vector<Integer> widths(static_cast<std::size_t>(Columns->Count()), 0);
  for (Integer i = 0; i < Columns->Count(); ++i)
    TitleFitWidth(Columns->Items(i), widths[static_cast<std::size_t>(i)]);
  if (!FDataLink->Active())
    return;
  TDataSet* ds = FDataLink->DataSet();
  {
    ds->DisableControls();
    TScopeExit enable([&] { ds->EnableControls(); });
    SaveGridPosition();
    TScopeExit restore([&] { RestoreGridPosition(); });
    ds->First();
    Integer n = ds->RecNo(), count = ds->RecordCount();
    while (!ds->Eof()) {
      for (Integer i = 0; i < Columns->Count(); ++i)
        CellFitWidth(Columns->Items(i), widths[static_cast<std::size_t>(i)]);
      ds->Next();
      if (ds->IsSequenced() && n >= count)
        break;
      n = ds->RecNo();
    }
  }
  bool lock = !FAutoFitColWidths;
  if (lock)
    BeginLayout();
  TScopeExit end([&] {
    if (lock)
      EndLayout();
  });
  for (Integer i = 0; i < Columns->Count(); ++i) {
    FooterFitWidth(Columns->Items(i), widths[static_cast<std::size_t>(i)]);
    Columns->Items(i)->SetWidth(widths[static_cast<std::size_t>(i)]);
  }
}

void TCustomDBGridEh::FitClickedColumnWidths(TColumnEh* Column)
{
  TColumnsEhList list;
  if (FSelection->Kind() == selColumnsEh)
    for (Integer i = 0; i < FSelection->Columns()->Count(); ++i)
      list.Add(FSelection->Columns()->Items(i));
  else if (FSelection->Kind() == selAllEh)
    for (Integer i = 0; i < FColumns->Count(); ++i)
      list.Add(FColumns->Items(i));
  if (list.IndexOf(Column) < 0)
    list.Add(Column);
  FitColumnWidths(&list);
}

void TColumnEh::FitWidthToData()
{
  TCustomDBGridEh* g = OwnerGrid();
  if (!g)
    return;
  TColumnsEhList list;
  list.Add(this);
  g->FitColumnWidths(&list);
}
