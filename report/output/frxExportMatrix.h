// The export matrix: every report object of every exported page laid on one grid, so that
// table formats (the RTF export, frxExportRTF.h, and the spreadsheet export,
// frxExportXLS.h) can reproduce a free layout. Object edges become grid lines; lines nearer
// than a tolerance merge; each object covers a block of cells; objects partly covered by
// later ones are cut into rectangular pieces; equal visual attributes share a style. Pages
// are stacked, and the matrix remembers where each ends.
//
// Positions are report pixels (96 per inch); page margins are millimetres.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "report/engine/frxClass.h"

class TBitmap;
class TfrxProgress;

// Shared visual attributes of objects.
class TfrxIEMStyle {
public:
  TfrxIEMStyle();
  ~TfrxIEMStyle();
  void Assign(const TfrxIEMStyle& Source);
  // Every attribute AddStyle compares (font colour, name, size and style, spacing, gaps,
  // alignments, frame, rotation and fill).
  bool SameAs(const TfrxIEMStyle& Other) const;

  std::unique_ptr<TFont> Font;
  Extended LineSpacing = 0;
  TfrxVAlign VAlign = vaTop;
  TfrxHAlign HAlign = haLeft;
  TfrxFrameTypes FrameTyp;
  float FrameWidth = 0;
  TColor FrameColor = clBlack;
  TfrxFrameStyle FrameStyle = fsSolid;
  TColor Color = clNone;
  Integer Rotation = 0;
  Extended GapX = 0, GapY = 0;
};

// One placed object or piece of one.
class TfrxIEMObject {
public:
  TfrxIEMObject();
  ~TfrxIEMObject();

  std::unique_ptr<TStringList> Lines;
  AnsiString Hyperlink;
  Integer StyleNo = -1;
  TfrxIEMStyle* Style = nullptr; // shared, owned by the matrix
  bool HoldsText = true;
  Extended Left = 0, Top = 0, Width = 0, Height = 0;
  std::unique_ptr<TBitmap> Bitmap; // the picture of a non-text object
  Integer Mark = 0;                // free for the exporters
};

// An entry of the matrix's object list: the object and the block of cells it covers.
struct TfrxIEMObjectList {
  std::unique_ptr<TfrxIEMObject> Item;
  Integer Column = 0, Row = 0, ColumnSpan = 1, RowSpan = 1;
  bool Placed = false;
};

struct TfrxIEMPos {
  Extended Position = 0;
};

struct TfrxIEMPage {
  Extended Bottom = 0;
  Integer Orientation = 0; // 0 portrait, 1 landscape
  Extended Width = 0, Height = 0;
  Extended LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0;
};

class TfrxIEMatrix {
public:
  TfrxIEMatrix();
  ~TfrxIEMatrix();
  TfrxIEMatrix(const TfrxIEMatrix&) = delete;
  TfrxIEMatrix& operator=(const TfrxIEMatrix&) = delete;

  // Adds one report object of the current page.
  void AddObject(TfrxView* Obj);
  // Closes the current page: the next page's objects start below everything so far.
  void AddPage(Integer Orientation, Extended Width, Extended Height, Extended LeftMargin,
               Extended TopMargin, Extended RightMargin, Extended BottomMargin);
  // What a table export hands on from the export walk: each object of a page but its
  // background (pictures and other drawn objects only when Pictures), and each page's end.
  void AddReportObject(TfrxComponent* Obj, bool Pictures);
  void AddReportPage(TfrxComponent* Page);
  // Builds the grid, the cells, the pieces and the styles; once, after the last page.
  void Prepare();
  void Clear();

  // ---- Reading the result ----
  Integer Cell(Integer Column, Integer Row) const; // -1 outside the grid or empty
  TfrxIEMObject* ObjectAt(Integer Column, Integer Row) const;
  TfrxIEMObject* ObjectByIndex(Integer Index) const;
  void ObjectBounds(Integer Index, Integer& Column, Integer& Row, Integer& ColumnSpan,
                    Integer& RowSpan) const;
  Extended ColumnPosition(Integer Index) const;
  Extended RowPosition(Integer Index) const;
  TfrxIEMStyle* StyleByIndex(Integer Index) const;
  Integer StyleCount() const { return static_cast<Integer>(FStyles.size()); }
  Integer ObjectCount() const { return static_cast<Integer>(FItems.size()); }
  Integer PageCount() const { return static_cast<Integer>(FPages.size()); }
  Extended PageBottom(Integer Index) const;
  Extended PageWidth(Integer Index) const;
  Extended PageHeight(Integer Index) const;
  Extended PageLeftMargin(Integer Index) const;
  Extended PageTopMargin(Integer Index) const;
  Extended PageRightMargin(Integer Index) const;
  Extended PageBottomMargin(Integer Index) const;
  bool PageOrientation(Integer Index) const; // true: landscape
  Integer ColumnCount() const { return FColumnCount; }
  Integer RowCount() const { return FRowCount; }
  Extended ContentLeft() const { return FContentLeft; }
  Extended ContentTop() const { return FContentTop; }
  Extended ContentRight() const { return FContentRight; }
  Extended ContentBottom() const { return FContentBottom; }

  // ---- Options ----
  bool ShowProgress = true;
  Extended MaxRowHeight = 0, MaxColumnWidth = 0; // 0: no limit
  Extended Tolerance = 0;
  bool RotatedAsPicture = false;
  bool BackgroundAtContent = false;
  bool AddBackground = false;
  bool DropSharedBorders = false;
  bool ApplyTags = false;

private:
  Integer AddStyle(std::unique_ptr<TfrxIEMStyle> Style);
  // The index of a copy of Style changed by Change (an equal style is reused).
  template <class F> Integer AddStyleCopy(const TfrxIEMStyle* Style, F Change);
  void AddPosition(std::vector<TfrxIEMPos>& List, Extended Value);
  void AddInternalObject(std::unique_ptr<TfrxIEMObject> Obj);
  void SortPositions(std::vector<TfrxIEMPos>& List, Extended Limit);
  void Advance();
  void LocateObjects();
  void FillCells();
  void SplitObjects();
  void BlockAt(Integer Column, Integer Row, Integer& Width, Integer& Height) const;
  void CutObject(Integer Index, Integer Column, Integer Row, Integer Width, Integer Height);
  void DropBorders();
  bool IsTextObject(TfrxView* Obj) const;

  std::vector<TfrxIEMObjectList> FItems;
  std::vector<std::unique_ptr<TfrxIEMStyle>> FStyles;
  std::vector<TfrxIEMPos> FXPos, FYPos;
  std::vector<TfrxIEMPage> FPages;
  std::vector<Integer> FCells;
  Integer FColumnCount = 0, FRowCount = 0;
  Extended FContentLeft = 99999, FContentTop = 99999, FContentRight = 0, FContentBottom = 0;
  Extended FPageOffset = 0;
  TfrxProgress* FProgress = nullptr;
};
