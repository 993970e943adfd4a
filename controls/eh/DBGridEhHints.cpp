// The grid's cell tool tips, its hint pause and its cursor shapes (the selection cursors
// and the frozen-column sizing cursor); DBGridEh.h describes the unit.
#include <algorithm>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/Forms.h"

HCURSOR ColumnSelectCursor = 0;
HCURSOR RowSelectCursor = 0;
HCURSOR RowSelectCursorRTL = 0;

namespace {

enum TArrowDirection { adDown, adRight, adLeft };

// A 32 x 32 arrow cursor: a black arrow with a white outline whose tip is the hot spot.
std::vector<AnsiString> ArrowArt(TArrowDirection Direction, TPoint Tip)
{
  std::vector<AnsiString> rows(32, AnsiString(32, ' '));
  auto put = [&](Integer along, Integer across) {
    // along: distance back from the tip; across: offset to the side of the arrow's axis.
    Integer x = Tip.X, y = Tip.Y;
    switch (Direction) {
    case adDown:
      x += across;
      y -= along;
      break;
    case adRight:
      x -= along;
      y += across;
      break;
    case adLeft:
      x += along;
      y += across;
      break;
    }
    if (x >= 0 && x < 32 && y >= 0 && y < 32)
      rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '#';
  };
  // The head: a triangle 4 pixels to each side; the shaft: 3 pixels wide, 8 long.
  for (Integer along = 0; along <= 4; ++along)
    for (Integer across = -along; across <= along; ++across)
      put(along, across);
  for (Integer along = 5; along <= 12; ++along)
    for (Integer across = -1; across <= 1; ++across)
      put(along, across);
  std::vector<AnsiString> outlined = rows;
  for (Integer y = 0; y < 32; ++y)
    for (Integer x = 0; x < 32; ++x) {
      if (rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] != ' ')
        continue;
      bool edge = false;
      for (Integer dy = -1; dy <= 1 && !edge; ++dy)
        for (Integer dx = -1; dx <= 1 && !edge; ++dx) {
          Integer nx = x + dx, ny = y + dy;
          edge = nx >= 0 && nx < 32 && ny >= 0 && ny < 32 &&
                 rows[static_cast<std::size_t>(ny)][static_cast<std::size_t>(nx)] == '#';
        }
      if (edge)
        outlined[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '.';
    }
  return outlined;
}

HCURSOR LoadGridCursor(const AnsiString& Name)
{
  HCURSOR c = LoadCursor(0, Name);
  if (!c)
    throw EOutOfResources("Cannot load cursor resource");
  return c;
}

} // namespace

void LoadGridCursors()
{
  RegisterCursorResource("DOWNCUREH", ArrowArt(adDown, {15, 19}), {15, 19});
  RegisterCursorResource("RIGHTCUREH", ArrowArt(adRight, {19, 16}), {19, 16});
  RegisterCursorResource("LEFTCUREH", ArrowArt(adLeft, {0, 4}), {0, 4});
  ColumnSelectCursor = LoadGridCursor("DOWNCUREH");
  RowSelectCursor = LoadGridCursor("RIGHTCUREH");
  RowSelectCursorRTL = LoadGridCursor("LEFTCUREH");
}

void FreeGridCursors()
{
  for (HCURSOR* c : {&ColumnSelectCursor, &RowSelectCursor, &RowSelectCursorRTL}) {
    if (*c)
      DestroyCursor(*c);
    *c = 0;
  }
}

// ---- The tool-tip window ----

TRect TToolTipsWindow::CalcHintRectData(Integer MaxWidth, const AnsiString& Hint, void* Data)
{
  return CalcHintRectFont(MaxWidth, Hint, static_cast<TFont*>(Data));
}

void TToolTipsWindow::ActivateHintData(TRect Rect, const AnsiString& Hint, void* Data)
{
  if (auto* font = static_cast<TFont*>(Data)) {
    Font()->Assign(font);
    Font()->SetColor(clWindowText);
  }
  ActivateHint(Rect, Hint);
}

THintWindow* MakeToolTipsWindow(TComponent* Owner)
{
  return new TToolTipsWindow(Owner);
}

// ---- The grid's side ----

TPoint TCustomDBGridEh::HitTestPoint()
{
  TPoint p;
  GetCursorPos(p);
  return ScreenToClient(p);
}

void TCustomDBGridEh::CellTipText(TColumnEh* Column, AnsiString& Text)
{
  Text.clear();
  TColumnKindEh kind = Column->Kind();
  if (kind == ckImageList || kind == ckCheckboxes) {
    Integer index = -1;
    if (kind == ckImageList)
      index = Column->Field() ? Column->KeyList()->IndexOf(Column->Field()->Text()) : -1;
    else
      index = static_cast<Integer>(Column->ValueCheckState());
    if (index >= 0 && index < Column->PickList()->Count())
      Text = Column->PickList()->Strings(index);
    return;
  }
  if (Column->Field())
    Text = Column->CellText();
}

bool TCustomDBGridEh::CellHasToolTips(Integer ACol, Integer ARow)
{
  if (ACol < FIndicatorColCount || ACol >= ColCount() || ARow < 0 || ARow >= RowCount())
    return false;
  TColumnEh* column = FColumns->Items(RawToDataColumn(ACol));
  if (FFooterRowCount > 0 && ARow > RowCount() - FFooterRowCount - 1)
    return column->FooterAt(ARow + FFooterRowCount - RowCount())->ToolTips();
  if (ARow >= HeaderRowCount() && ARow < HeaderRowCount() + DataRowCount())
    return FDataLink->Active() && column->ToolTips();
  return ARow == TitleRowCount() - 1 && column->Title()->ToolTips() &&
         column->Title()->Hint().empty();
}

void TCustomDBGridEh::CMHintShowPause(TMessage& Message)
{
  TPoint p = HitTestPoint();
  TGridCoord cell = MouseCoord(p.X, p.Y);
  if (cell.X < FIndicatorColCount || cell.Y < 0)
    return;
  auto* pause = reinterpret_cast<Integer*>(Message.LParam);
  *pause = CellHasToolTips(cell.X, cell.Y) ? 0 : Application()->HintPause();
}

void TCustomDBGridEh::CMHintShow(TMessage& Message)
{
  TCustomGrid::Dispatch(Message);
  if (Message.Result != 0)
    return;
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  TGridCoord cell = MouseCoord(info->CursorPos.X, info->CursorPos.Y);
  if (cell.X < 0 || cell.Y < 0)
    return;
  // Each cell is a hint area of its own: moving to another cell asks again.
  info->CursorRect = CellRect(cell.X, cell.Y);
  if (cell.X < FIndicatorColCount)
    return;
  TColumnEh* column = FColumns->Items(RawToDataColumn(cell.X));
  TColumnTitleEh* title = column->Title();
  bool titleRow = cell.Y == TitleRowCount() - 1 && FOptions.Contains(dgTitles);
  if (titleRow && !title->Hint().empty()) {
    info->HintStr = GetShortHint(title->Hint());
    info->CursorRect = CellRect(cell.X, cell.Y);
    return;
  }
  bool acts = titleRow ? title->ToolTips()
                       : cell.Y >= HeaderRowCount() && FDataLink->Active() && column->ToolTips();
  if (!acts || GetCapture() != 0 || GetKeyState(VK_CONTROL) < 0)
    return;
  CellToolTip(cell, column, *info);
}

// The tip of one cell: its whole text where the cell cuts it off, placed over the cell's
// text in the cell's font.
void TCustomDBGridEh::CellToolTip(TGridCoord Cell, TColumnEh* Column, THintInfo& Info)
{
  bool rtl = BiDiMode() == bdRightToLeft;
  TRect r = CellRect(Cell.X, Cell.Y);
  Integer mouseX = Info.CursorPos.X;
  if (rtl) {
    r = TRect(ClientWidth() - r.Right, r.Top, ClientWidth() - r.Left, r.Bottom);
    mouseX = ClientWidth() - mouseX;
  }
  Integer limit = r.Left + Column->Width();
  if (!FToolTipFont)
    FToolTipFont = std::make_unique<TFont>();
  AnsiString text;
  TAlignment alignment = taLeftJustify;
  bool wrap = false, alwaysCut = false;
  Integer dataEnd = HeaderRowCount() + DataRowCount();
  if (Cell.Y < HeaderRowCount()) {
    TColumnTitleEh* title = Column->Title();
    Integer marker = title->SortMarkerWidth();
    if (marker > 2) {
      r.Right -= marker - 2;
      limit -= marker - 2;
    }
    text = title->Caption();
    if (FUseMultiTitle)
      if (THeadTreeNode* leaf = LeafOf(Column->Index())) {
        text = leaf->Caption;
        r.Top = r.Bottom - leaf->NodeHeight + 1;
        if (Info.CursorPos.Y < r.Top)
          return; // over an upper title's band
      }
    wrap = FUseMultiTitle || FTitleHeight > 0 || FTitleLines > 0;
    alignment = title->Alignment();
    FToolTipFont->Assign(title->Font());
    if (title->Orientation() == tohVertical) {
      SwapRectExtent(r);
      wrap = false;
    }
  } else if (Cell.Y < dataEnd) {
    {
      BeginRowRead(Cell.Y - HeaderRowCount());
      TScopeExit end([&] { EndRowRead(); });
      CellTipText(Column, text);
    }
    if (Column->AlwaysShowEditButton()) {
      limit = r.Left + Column->Width() - Column->EditButtonsWidth();
      r.Right = std::min(r.Right, limit);
      if (mouseX > r.Right)
        text.clear(); // over the cell's buttons
    }
    if (Column->Index() == 0)
      r.Left += MemTreeIndent();
    if (Column->ImageList() && Column->ShowImageAndText())
      r.Left += Column->ImageList()->Width() + 5;
    if (mouseX < r.Left)
      text.clear(); // over the tree or the image beside the text
    TColumnKindEh kind = Column->Kind();
    alwaysCut = kind == ckImageList || kind == ckCheckboxes;
    alignment = alwaysCut ? taLeftJustify : Column->Alignment();
    wrap = Column->WordWrap() && FMultiLineRows;
    FToolTipFont->Assign(Column->Font());
    TColCellParamsEh* p = FCellParams.get();
    Column->FillCellParams(p);
    p->Background = Canvas()->Brush()->Color();
    p->Font = FToolTipFont.get();
    p->State = {};
    p->Alignment = alignment;
    p->Text = text;
    p->Col = Cell.X;
    p->Row = Cell.Y;
    GetCellParams(Column, p->Font, p->Background, p->State);
    Column->DoGetCellParams(false, p);
    text = p->Text;
    alignment = p->Alignment;
  } else if (FFooterRowCount >= 1 && Cell.Y > RowCount() - FFooterRowCount - 1) {
    Integer f = Cell.Y + FFooterRowCount - RowCount();
    TColumnFooterEh* footer = Column->FooterAt(f);
    FToolTipFont->Assign(footer->Font());
    wrap = footer->WordWrap();
    alignment = footer->Alignment();
    text = FooterCellText(f, Column);
  } else {
    return; // the filler row
  }
  ShowCellToolTip(Info, r, limit, text, alignment, wrap, alwaysCut);
}

void TCustomDBGridEh::ShowCellToolTip(THintInfo& Info, const TRect& R, Integer Limit,
                                      const AnsiString& Text, TAlignment Alignment, bool Wrap,
                                      bool AlwaysCut)
{
  TCanvas* c = Canvas();
  TFont saved;
  saved.Assign(c->Font());
  TScopeExit restore([&] { c->Font()->Assign(&saved); });
  c->Font()->Assign(FToolTipFont.get());
  Integer w = 0, h = 0;
  bool cut = CellTextClipped(this, Wrap ? 2 : 0, FVertCellSpacing, R, Wrap, w, h, Text);
  cut = cut || AlwaysCut;
  if (Text.empty() || !(cut || (Alignment == taRightJustify && R.Right < Limit - 2))) {
    Info.HintStr.clear();
    Info.CursorRect = R;
    return;
  }
  Info.HintStr = Text;
  Info.CursorRect = R;
  Integer d = FFlat ? 2 : 1;
  TPoint pos;
  switch (Alignment) {
  case taRightJustify:
    pos = TPoint(Limit - w - 6, R.Top - d);
    break;
  case taCenter:
    pos = TPoint(Limit - w - 5 + w / 2 - (Limit - R.Left - 4) / 2, R.Top - d);
    break;
  default:
    pos = TPoint(R.Left - 1, R.Top - d);
    break;
  }
  if (BiDiMode() == bdRightToLeft)
    pos.X = ClientWidth() - pos.X;
  Info.HintPos = ClientToScreen(pos);
  Info.HintWindowClass = MakeToolTipsWindow;
  Info.HintData = FToolTipFont.get();
  if (Wrap)
    Info.HintMaxWidth = R.Width() - 4;
}

// ---- The cursor ----

bool TCustomDBGridEh::SetGridCursor(TMessage& Message)
{
  if (LOWORD(Message.LParam) != HTCLIENT || !FDataLink)
    return false;
  TPoint p = HitTestPoint();
  Integer index = -1, pos = 0, ofs = 0;
  bool frozen =
      FTrackMode == tmFrozenSizeEh || (FTrackMode == tmNoneEh && GridState() == gsNormal &&
                                       InFrozenSizingZone(p.X, p.Y, index, pos, ofs));
  if (frozen) {
    ::SetCursor(Screen()->Cursors(crHSplit));
    return true;
  }
  if (!FDataLink->Active() || !FOptions.Contains(dgMultiSelect) || GridState() != gsNormal)
    return false;
  TGridState state = gsNormal;
  TGridDrawInfo info;
  CalcSizingState(p.X, p.Y, state, index, pos, ofs, info);
  if (state != gsNormal)
    return false;
  TGridCoord cell = MouseCoord(p.X, p.Y);
  if (cell.X < 0 || cell.Y < 0)
    return false;
  TDataSet* ds = FDataLink->DataSet();
  if (cell.X < FIndicatorColCount && cell.Y >= HeaderRowCount() && !(ds->Bof() && ds->Eof()) &&
      FSelectableKinds.Contains(selRowsEh)) {
    ::SetCursor(BiDiMode() == bdRightToLeft ? RowSelectCursorRTL : RowSelectCursor);
    return true;
  }
  if (FOptions.Contains(dgTitles) && cell.Y == 0 && cell.X >= FIndicatorColCount &&
      !FOptions.Contains(dgFullRowSelect) && FSelectableKinds.Contains(selColumnsEh)) {
    TRect r = CellRect(cell.X, 0);
    Integer zoneTop = r.Height() < 7 ? r.Top : r.Bottom - 7;
    if (p.Y <= r.Bottom && p.Y >= zoneTop) {
      ::SetCursor(ColumnSelectCursor);
      return true;
    }
  }
  return false;
}
