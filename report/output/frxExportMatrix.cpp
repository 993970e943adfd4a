// The export matrix; see frxExportMatrix.h.
#include "report/output/frxExportMatrix.h"

#include <algorithm>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/Math.h"
#include "report/engine/frxProgress.h"
#include "report/engine/frxRes.h"
#include "report/output/frxExportUtils.h"

// ---------------------------------------------------------------------------------------
// Styles and objects

TfrxIEMStyle::TfrxIEMStyle() : Font(std::make_unique<TFont>()) {}
TfrxIEMStyle::~TfrxIEMStyle() = default;

void TfrxIEMStyle::Assign(const TfrxIEMStyle& Source)
{
  Font->Assign(Source.Font.get());
  LineSpacing = Source.LineSpacing;
  VAlign = Source.VAlign;
  HAlign = Source.HAlign;
  FrameTyp = Source.FrameTyp;
  FrameWidth = Source.FrameWidth;
  FrameColor = Source.FrameColor;
  FrameStyle = Source.FrameStyle;
  Color = Source.Color;
  Rotation = Source.Rotation;
  GapX = Source.GapX;
  GapY = Source.GapY;
}

bool TfrxIEMStyle::SameAs(const TfrxIEMStyle& o) const
{
  return Font->Color() == o.Font->Color() && Font->Name() == o.Font->Name() &&
         Font->Size() == o.Font->Size() && Font->Style() == o.Font->Style() &&
         LineSpacing == o.LineSpacing && GapX == o.GapX && GapY == o.GapY && HAlign == o.HAlign &&
         VAlign == o.VAlign && FrameTyp == o.FrameTyp && FrameWidth == o.FrameWidth &&
         FrameColor == o.FrameColor && FrameStyle == o.FrameStyle && Rotation == o.Rotation &&
         Color == o.Color;
}

TfrxIEMObject::TfrxIEMObject() : Lines(std::make_unique<TStringList>()) {}
TfrxIEMObject::~TfrxIEMObject() = default;

// ---------------------------------------------------------------------------------------
// TfrxIEMatrix

TfrxIEMatrix::TfrxIEMatrix() = default;

TfrxIEMatrix::~TfrxIEMatrix()
{
  Clear();
}

void TfrxIEMatrix::Clear()
{
  delete FProgress;
  FProgress = nullptr;
  FItems.clear();
  FStyles.clear();
  FXPos.clear();
  FYPos.clear();
  FPages.clear();
  FCells.clear();
  FColumnCount = FRowCount = 0;
  FContentLeft = FContentTop = 99999;
  FContentRight = FContentBottom = 0;
  FPageOffset = 0;
}

Integer TfrxIEMatrix::AddStyle(std::unique_ptr<TfrxIEMStyle> Style)
{
  for (size_t i = 0; i < FStyles.size(); ++i)
    if (FStyles[i]->SameAs(*Style))
      return static_cast<Integer>(i);
  FStyles.push_back(std::move(Style));
  return static_cast<Integer>(FStyles.size()) - 1;
}

template <class F> Integer TfrxIEMatrix::AddStyleCopy(const TfrxIEMStyle* Style, F Change)
{
  auto copy = std::make_unique<TfrxIEMStyle>();
  copy->Assign(*Style);
  Change(*copy);
  return AddStyle(std::move(copy));
}

void TfrxIEMatrix::AddPosition(std::vector<TfrxIEMPos>& List, Extended Value)
{
  const size_t from = List.size() > 100 ? List.size() - 100 : 0;
  for (size_t i = from; i < List.size(); ++i)
    if (List[i].Position == Value)
      return;
  List.push_back({Value});
}

bool TfrxIEMatrix::IsTextObject(TfrxView* Obj) const
{
  auto* memo = dynamic_cast<TfrxCustomMemoView*>(Obj);
  if (!memo || (memo->BrushStyle() != bsSolid && memo->BrushStyle() != bsClear))
    return false;
  return !(RotatedAsPicture && memo->Rotation() != 0);
}

void TfrxIEMatrix::AddObject(TfrxView* Obj)
{
  frxFitExportObject(Obj);
  // A rectangle is exported as what it looks like: four border lines when transparent, an
  // empty framed cell when filled. Its own object is not added.
  if (auto* shape = dynamic_cast<TfrxShapeView*>(Obj); shape && shape->Shape() == skRectangle) {
    const Extended l = Obj->AbsLeft(), t = Obj->AbsTop(), w = Obj->Width(), h = Obj->Height();
    if (Obj->Color() == clNone) {
      const Extended lines[4][4] = {{l, t, w, 0}, {l, t, 0, h}, {l, t + h, w, 0}, {l + w, t, 0, h}};
      for (const auto& b : lines) {
        TfrxLineView line(nullptr);
        line.SetFrame(Obj->Frame());
        line.SetColor(clNone);
        line.SetBounds(b[0], b[1], b[2], b[3]);
        AddObject(&line);
      }
    } else {
      TfrxMemoView memo(nullptr);
      memo.SetFrame(Obj->Frame());
      memo.Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
      memo.SetColor(Obj->Color());
      memo.Font()->SetSize(1);
      memo.SetBounds(l, t, w, h);
      AddObject(&memo);
    }
    return;
  }

  auto style = std::make_unique<TfrxIEMStyle>();
  auto obj = std::make_unique<TfrxIEMObject>();
  obj->Hyperlink = Obj->URL();
  obj->Left = Obj->AbsLeft() < 0 ? 0 : Obj->AbsLeft();
  obj->Top = Obj->AbsTop() < 0 ? FPageOffset : Obj->AbsTop() + FPageOffset;
  obj->Width = Obj->Width();
  obj->Height = Obj->Height();
  auto* line = dynamic_cast<TfrxCustomLineView*>(Obj);
  if (line && Obj->Width() != 0 && Obj->Height() != 0)
    line = nullptr; // a diagonal line is a picture

  if (IsTextObject(Obj)) {
    auto* memo = static_cast<TfrxCustomMemoView*>(Obj);
    const bool highlight = memo->Highlight()->Active();
    style->Font->Assign(highlight ? memo->Highlight()->Font() : memo->Font());
    style->Color = highlight ? memo->Highlight()->Color() : memo->Color();
    style->HAlign = memo->HAlign();
    style->VAlign = memo->VAlign();
    style->LineSpacing = memo->LineSpacing();
    style->GapX = memo->GapX();
    style->GapY = memo->GapY();
    style->Rotation = memo->Rotation();
    style->FrameTyp = memo->Frame()->Typ();
    style->FrameWidth = static_cast<float>(memo->Frame()->Width());
    style->FrameColor = memo->Frame()->Color();
    style->FrameStyle = memo->Frame()->Style();
    if (ApplyTags && memo->AllowHTMLTags())
      obj->Lines->SetText(memo->MemoLayoutText(false));
    else
      obj->Lines->Assign(memo->Memo());
  } else if (line) {
    style->Color = Obj->Color();
    style->FrameTyp = Obj->Width() == 0 ? TfrxFrameTypes{ftLeft} : TfrxFrameTypes{ftTop};
    style->FrameWidth = static_cast<float>(Obj->Frame()->Width());
    style->FrameColor = Obj->Frame()->Color();
    style->FrameStyle = Obj->Frame()->Style();
    style->Font->SetName("Arial");
    style->Font->SetSize(1);
    if (obj->Width < 0) {
      obj->Left += obj->Width;
      obj->Width = -obj->Width;
    }
    if (obj->Height < 0) {
      obj->Top += obj->Height;
      obj->Height = -obj->Height;
    }
    const Extended thin = Tolerance >= 1 ? Tolerance : 1;
    if (obj->Width == 0)
      obj->Width = thin;
    if (obj->Height == 0)
      obj->Height = thin;
  } else {
    style->Font->Assign(Obj->Font());
    style->Color = Obj->Color();
    obj->HoldsText = false;
    Extended w = Obj->Width() + 1, h = Obj->Height() + 1;
    if (Round(w) == 0)
      w = 1;
    if (Round(h) == 0)
      h = 1;
    if (w < 0) {
      obj->Left += w;
      w = -w;
    }
    if (h < 0) {
      obj->Top += h;
      h = -h;
    }
    obj->Width = w;
    obj->Height = h;
    obj->Bitmap = std::make_unique<TBitmap>(static_cast<Integer>(Round(w)) + 1,
                                            static_cast<Integer>(Round(h)) + 1);
    Obj->Draw(obj->Bitmap->Canvas(), 1, 1, 1 - Obj->AbsLeft(), 1 - Obj->AbsTop());
  }
  obj->StyleNo = AddStyle(std::move(style));
  obj->Style = FStyles[obj->StyleNo].get();
  AddInternalObject(std::move(obj));
}

void TfrxIEMatrix::AddInternalObject(std::unique_ptr<TfrxIEMObject> Obj)
{
  FContentRight = std::max(FContentRight, Obj->Left + Obj->Width);
  FContentBottom = std::max(FContentBottom, Obj->Top + Obj->Height);
  FContentLeft = std::min(FContentLeft, Obj->Left);
  FContentTop = std::min(FContentTop, Obj->Top);
  AddPosition(FXPos, Obj->Left);
  AddPosition(FXPos, Obj->Left + Obj->Width);
  AddPosition(FYPos, Obj->Top);
  AddPosition(FYPos, Obj->Top + Obj->Height);
  TfrxIEMObjectList entry;
  entry.Item = std::move(Obj);
  FItems.push_back(std::move(entry));
}

void TfrxIEMatrix::AddPage(Integer Orientation, Extended Width, Extended Height,
                           Extended LeftMargin, Extended TopMargin, Extended RightMargin,
                           Extended BottomMargin)
{
  FPageOffset = FContentBottom;
  FPages.push_back(TfrxIEMPage{FContentBottom, Orientation, Width, Height, LeftMargin, TopMargin,
                               RightMargin, BottomMargin});
}

void TfrxIEMatrix::AddReportObject(TfrxComponent* Obj, bool Pictures)
{
  auto* view = dynamic_cast<TfrxView*>(Obj);
  if (!view || view->Name() == "_pagebackground")
    return;
  if (dynamic_cast<TfrxCustomMemoView*>(view) || Pictures)
    AddObject(view);
}

void TfrxIEMatrix::AddReportPage(TfrxComponent* Page)
{
  if (auto* page = dynamic_cast<TfrxReportPage*>(Page))
    AddPage(static_cast<Integer>(page->Orientation()), page->Width(), page->Height(),
            page->LeftMargin(), page->TopMargin(), page->RightMargin(), page->BottomMargin());
}

void TfrxIEMatrix::Advance()
{
  if (FProgress)
    FProgress->Advance();
}

// Sorts the grid lines, merges lines nearer than the tolerance (keeping the later one)
// and splits gaps wider than Limit.
void TfrxIEMatrix::SortPositions(std::vector<TfrxIEMPos>& List, Extended Limit)
{
  auto sortList = [&List] {
    std::stable_sort(List.begin(), List.end(), [](const TfrxIEMPos& a, const TfrxIEMPos& b) {
      return a.Position < b.Position;
    });
    // Exact duplicates that AddPosition did not see (it looks back 100 entries) would make
    // empty rows and columns.
    List.erase(std::unique(List.begin(), List.end(),
                           [](const TfrxIEMPos& a, const TfrxIEMPos& b) {
                             return a.Position == b.Position;
                           }),
               List.end());
  };
  sortList();
  Advance();
  for (size_t i = 0; i + 1 < List.size();) {
    if (Tolerance > List[i + 1].Position - List[i].Position)
      List.erase(List.begin() + static_cast<std::ptrdiff_t>(i));
    else
      ++i;
  }
  Advance();
  if (Limit > 0) {
    const size_t n = List.size();
    bool added = false;
    for (size_t i = 0; i + 1 < n; ++i) {
      const Extended a = List[i].Position, b = List[i + 1].Position;
      if (b - a <= Limit)
        continue;
      const Int64 k = Trunc((b - a) / Limit);
      for (Int64 j = 1; j <= k; ++j) {
        AddPosition(List, a + j * Limit);
        added = true;
      }
    }
    Advance();
    if (added)
      sortList();
  } else {
    Advance();
  }
  Advance();
}

namespace {

// The index of the first line at or beyond Value; the last line when none is.
Integer LineAtOrBeyond(const std::vector<TfrxIEMPos>& List, Extended Value)
{
  auto it = std::lower_bound(List.begin(), List.end(), Value,
                             [](const TfrxIEMPos& p, Extended v) { return p.Position < v; });
  if (it == List.end())
    return static_cast<Integer>(List.size()) - 1;
  return static_cast<Integer>(it - List.begin());
}

} // namespace

// Each object covers the cells from the first line at or beyond its left (top) edge to
// the first line at or beyond its right (bottom) edge, and at least one cell, so an
// object smaller than the tolerance is not lost.
void TfrxIEMatrix::LocateObjects()
{
  const Integer cols = static_cast<Integer>(FXPos.size()),
                rows = static_cast<Integer>(FYPos.size());
  for (TfrxIEMObjectList& e : FItems) {
    const TfrxIEMObject& o = *e.Item;
    e.Column = std::min(LineAtOrBeyond(FXPos, o.Left), std::max(0, cols - 2));
    e.ColumnSpan = std::max(1, LineAtOrBeyond(FXPos, o.Left + o.Width) - e.Column);
    e.Row = std::min(LineAtOrBeyond(FYPos, o.Top), std::max(0, rows - 2));
    e.RowSpan = std::max(1, LineAtOrBeyond(FYPos, o.Top + o.Height) - e.Row);
    e.ColumnSpan = std::min(e.ColumnSpan, std::max(1, cols - 1 - e.Column));
    e.RowSpan = std::min(e.RowSpan, std::max(1, rows - 1 - e.Row));
  }
}

void TfrxIEMatrix::FillCells()
{
  FCells.assign(static_cast<size_t>(FColumnCount) * static_cast<size_t>(FRowCount), -1);
  for (size_t i = 0; i < FItems.size(); ++i) {
    TfrxIEMObjectList& e = FItems[i];
    TfrxIEMObject& o = *e.Item;
    // A transparent object takes the fill of the object under it, unless that fill is
    // the colour of its own text.
    if (o.Style && o.Style->Color == clNone) {
      const Integer under = Cell(e.Column, e.Row);
      if (under >= 0) {
        const TfrxIEMStyle* s = FItems[under].Item->Style;
        if (s && s->Color != clNone && s->Color != o.Style->Font->Color()) {
          const TColor fill = s->Color;
          o.StyleNo = AddStyleCopy(o.Style, [fill](TfrxIEMStyle& c) { c.Color = fill; });
          o.Style = FStyles[o.StyleNo].get();
        }
      }
    }
    for (Integer r = e.Row; r < e.Row + e.RowSpan && r < FRowCount; ++r)
      for (Integer c = e.Column; c < e.Column + e.ColumnSpan && c < FColumnCount; ++c)
        FCells[static_cast<size_t>(c) + static_cast<size_t>(r) * FColumnCount] =
            static_cast<Integer>(i);
  }
}

void TfrxIEMatrix::BlockAt(Integer Column, Integer Row, Integer& Width, Integer& Height) const
{
  const Integer value = Cell(Column, Row);
  Width = 0;
  while (Column + Width < FColumnCount && Cell(Column + Width, Row) == value)
    ++Width;
  Height = 1;
  for (Integer r = Row + 1; r < FRowCount; ++r) {
    Integer run = 0;
    while (Column + run < FColumnCount && Cell(Column + run, r) == value)
      ++run;
    if (run < Width)
      break;
    ++Height;
  }
}

void TfrxIEMatrix::CutObject(Integer Index, Integer Column, Integer Row, Integer Width,
                             Integer Height)
{
  TfrxIEMObjectList& whole = FItems[static_cast<size_t>(Index)];
  TfrxIEMObject& w = *whole.Item;
  auto piece = std::make_unique<TfrxIEMObject>();
  piece->StyleNo = w.StyleNo;
  piece->Style = w.Style;
  piece->Hyperlink = w.Hyperlink;
  piece->Left = FXPos[static_cast<size_t>(Column)].Position;
  piece->Top = FYPos[static_cast<size_t>(Row)].Position;
  piece->Width = FXPos[static_cast<size_t>(Column + Width)].Position - piece->Left;
  piece->Height = FYPos[static_cast<size_t>(Row + Height)].Position - piece->Top;
  // The first piece that starts within the first two thirds of the object takes its
  // text or picture.
  if (w.Top + w.Height - piece->Top > w.Height / 3 &&
      w.Left + w.Width - piece->Left > w.Width / 3) {
    piece->Lines->Assign(w.Lines.get());
    piece->HoldsText = w.HoldsText;
    piece->Bitmap = std::move(w.Bitmap);
    w.Lines->Clear();
  }
  // Frame sides stay on the object's outer edges only (compared on the grid, so that a
  // merged line does not count as a different edge).
  if (w.Style) {
    TfrxFrameTypes sides = w.Style->FrameTyp;
    if (Row != whole.Row)
      sides.Exclude(ftTop);
    if (Column != whole.Column)
      sides.Exclude(ftLeft);
    if (Row + Height != whole.Row + whole.RowSpan)
      sides.Exclude(ftBottom);
    if (Column + Width != whole.Column + whole.ColumnSpan)
      sides.Exclude(ftRight);
    if (sides != w.Style->FrameTyp) {
      piece->StyleNo = AddStyleCopy(w.Style, [sides](TfrxIEMStyle& s) { s.FrameTyp = sides; });
      piece->Style = FStyles[piece->StyleNo].get();
    }
  }
  const Integer pieceIndex = static_cast<Integer>(FItems.size());
  for (Integer r = Row; r < Row + Height; ++r)
    for (Integer c = Column; c < Column + Width; ++c) {
      Integer& cell = FCells[static_cast<size_t>(c) + static_cast<size_t>(r) * FColumnCount];
      if (cell == Index)
        cell = pieceIndex;
    }
  TfrxIEMObjectList entry;
  entry.Item = std::move(piece);
  entry.Column = Column;
  entry.Row = Row;
  entry.ColumnSpan = Width;
  entry.RowSpan = Height;
  entry.Placed = true;
  FItems.push_back(std::move(entry));
}

void TfrxIEMatrix::SplitObjects()
{
  for (Integer r = 0; r < FRowCount; ++r)
    for (Integer c = 0; c < FColumnCount; ++c) {
      const Integer i = Cell(c, r);
      if (i < 0 || FItems[static_cast<size_t>(i)].Placed)
        continue;
      Integer w, h;
      BlockAt(c, r, w, h);
      const TfrxIEMObjectList& e = FItems[static_cast<size_t>(i)];
      if (e.Column == c && e.Row == r && e.ColumnSpan == w && e.RowSpan == h)
        FItems[static_cast<size_t>(i)].Placed = true;
      else
        CutObject(i, c, r, w, h);
    }
}

void TfrxIEMatrix::DropBorders()
{
  for (Integer r = 0; r < FRowCount; ++r)
    for (Integer c = 0; c < FColumnCount; ++c) {
      const Integer i = Cell(c, r);
      if (i < 0)
        continue;
      TfrxIEMObject& o = *FItems[static_cast<size_t>(i)].Item;
      if (!o.Style)
        continue;
      TfrxFrameTypes sides = o.Style->FrameTyp;
      auto shares = [&](Integer other, TfrxFrameType side) {
        if (other < 0 || other == i)
          return false;
        const TfrxIEMStyle* s = FItems[static_cast<size_t>(other)].Item->Style;
        return s && s->FrameTyp.Contains(side) && s->FrameWidth == o.Style->FrameWidth &&
               s->FrameColor == o.Style->FrameColor;
      };
      if (sides.Contains(ftTop) && shares(Cell(c, r - 1), ftBottom))
        sides.Exclude(ftTop);
      if (sides.Contains(ftLeft) && shares(Cell(c - 1, r), ftRight))
        sides.Exclude(ftLeft);
      if (sides != o.Style->FrameTyp) {
        o.StyleNo = AddStyleCopy(o.Style, [sides](TfrxIEMStyle& s) { s.FrameTyp = sides; });
        o.Style = FStyles[o.StyleNo].get();
      }
    }
}

void TfrxIEMatrix::Prepare()
{
  if (ShowProgress) {
    FProgress = new TfrxProgress(nullptr);
    FProgress->Start(11, ReportResources()->Lookup("ProgressWait"), true, false);
  }
  if (AddBackground) {
    auto style = std::make_unique<TfrxIEMStyle>();
    style->Color = clWhite;
    const Integer styleNo = AddStyle(std::move(style));
    auto bg = std::make_unique<TfrxIEMObject>();
    bg->StyleNo = styleNo;
    bg->Style = FStyles[styleNo].get();
    bg->Left = BackgroundAtContent ? FContentLeft : 0;
    bg->Top = BackgroundAtContent ? FContentTop : 0;
    bg->Width = FContentRight;
    bg->Height = FContentBottom;
    AddPosition(FXPos, 0);
    AddPosition(FYPos, 0);
    TfrxIEMObjectList entry;
    entry.Item = std::move(bg);
    FItems.insert(FItems.begin(), std::move(entry));
  }
  SortPositions(FXPos, MaxColumnWidth);
  SortPositions(FYPos, MaxRowHeight);
  LocateObjects();
  Advance();
  FColumnCount = static_cast<Integer>(FXPos.size());
  FRowCount = static_cast<Integer>(FYPos.size());
  FillCells();
  Advance();
  SplitObjects();
  Advance();
  if (DropSharedBorders)
    DropBorders();
  delete FProgress;
  FProgress = nullptr;
}

// ---- Readers ----

Integer TfrxIEMatrix::Cell(Integer Column, Integer Row) const
{
  if (Column < 0 || Row < 0 || Column >= FColumnCount || Row >= FRowCount)
    return -1;
  return FCells[static_cast<size_t>(Column) + static_cast<size_t>(Row) * FColumnCount];
}

TfrxIEMObject* TfrxIEMatrix::ObjectAt(Integer Column, Integer Row) const
{
  const Integer i = Cell(Column, Row);
  return i < 0 ? nullptr : FItems[static_cast<size_t>(i)].Item.get();
}

TfrxIEMObject* TfrxIEMatrix::ObjectByIndex(Integer Index) const
{
  if (Index < 0 || Index >= ObjectCount())
    return nullptr;
  return FItems[static_cast<size_t>(Index)].Item.get();
}

void TfrxIEMatrix::ObjectBounds(Integer Index, Integer& Column, Integer& Row, Integer& ColumnSpan,
                                Integer& RowSpan) const
{
  if (Index < 0 || Index >= ObjectCount()) {
    Column = Row = ColumnSpan = RowSpan = 0;
    return;
  }
  const TfrxIEMObjectList& e = FItems[static_cast<size_t>(Index)];
  Column = e.Column;
  Row = e.Row;
  ColumnSpan = e.ColumnSpan;
  RowSpan = e.RowSpan;
}

Extended TfrxIEMatrix::ColumnPosition(Integer Index) const
{
  return Index >= 0 && Index < static_cast<Integer>(FXPos.size()) ? FXPos[Index].Position : 0;
}

Extended TfrxIEMatrix::RowPosition(Integer Index) const
{
  return Index >= 0 && Index < static_cast<Integer>(FYPos.size()) ? FYPos[Index].Position : 0;
}

TfrxIEMStyle* TfrxIEMatrix::StyleByIndex(Integer Index) const
{
  return Index >= 0 && Index < StyleCount() ? FStyles[static_cast<size_t>(Index)].get() : nullptr;
}

Extended TfrxIEMatrix::PageBottom(Integer Index) const
{
  return Index >= 0 && Index < PageCount() ? FPages[Index].Bottom : 0;
}
Extended TfrxIEMatrix::PageWidth(Integer Index) const
{
  return Index >= 0 && Index < PageCount() ? FPages[Index].Width : 0;
}
Extended TfrxIEMatrix::PageHeight(Integer Index) const
{
  return Index >= 0 && Index < PageCount() ? FPages[Index].Height : 0;
}
Extended TfrxIEMatrix::PageLeftMargin(Integer Index) const
{
  return Index >= 0 && Index < PageCount() ? FPages[Index].LeftMargin : 0;
}
Extended TfrxIEMatrix::PageTopMargin(Integer Index) const
{
  return Index >= 0 && Index < PageCount() ? FPages[Index].TopMargin : 0;
}
Extended TfrxIEMatrix::PageRightMargin(Integer Index) const
{
  return Index >= 0 && Index < PageCount() ? FPages[Index].RightMargin : 0;
}
Extended TfrxIEMatrix::PageBottomMargin(Integer Index) const
{
  return Index >= 0 && Index < PageCount() ? FPages[Index].BottomMargin : 0;
}
bool TfrxIEMatrix::PageOrientation(Integer Index) const
{
  return Index >= 0 && Index < PageCount() && FPages[Index].Orientation == 1;
}
