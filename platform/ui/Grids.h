// The base grid and its in-place editor.
//
// TCustomGrid draws a table of cells: ColCount x RowCount, the first FixedCols columns and
// FixedRows rows fixed (they do not scroll), each column and row with its own size
// (ColWidths / RowHeights; a width of 0 leaves only the grid line, -1 hides the column and
// its line). It keeps a current cell and a selection, scrolls by TopRow/LeftCol, answers
// the navigation keys, sizes and moves columns and rows with the mouse (one tracking loop
// per gesture, with a timed scroll while the pointer is outside) and shows an editor
// (TInplaceEdit, a masked edit) over the current cell. Descendants draw and edit through
// the virtual hooks (DrawCell, GetEditText, SetEditText, CanEditModify ...); TDrawGrid turns
// them into events and TStringGrid keeps a string per cell.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/Mask.h"

enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateElement { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateElement>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum TGridScrollDirectionElement { sdLeft, sdRight, sdUp, sdDown };
using TGridScrollDirection = TSet<TGridScrollDirectionElement>;

struct TGridCoord {
  Integer X = 0;
  Integer Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

// A block of cells, inclusive on every side.
struct TGridRect {
  Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

// How one axis is laid out for drawing and hit-testing (pixels from the client's edge).
struct TGridAxisDrawInfo {
  Integer EffectiveLineWidth = 0;
  Integer FixedBoundary = 0; // where the fixed cells end
  Integer GridBoundary = 0;  // where the last visible cell ends
  Integer GridExtent = 0;    // the client extent
  Integer LastFullVisibleCell = 0;
  Integer FullVisBoundary = 0; // where the last fully visible cell ends
  Integer FixedCellCount = 0;
  Integer FirstGridCell = 0; // the first scrolling cell shown (TopRow / LeftCol)
  Integer GridCellCount = 0;
  std::function<Integer(Integer)> GetExtent; // a cell's extent (-1 hidden)
};

struct TGridDrawInfo {
  TGridAxisDrawInfo Horz, Vert;
};

class TCustomGrid;

// A grid operation out of range (an index past the columns or rows).
QH_DECLARE_EXCEPTION(EInvalidGridOperation, Exception);

// The editor a grid shows over its current cell: a single-line masked edit without a
// border, filled from the grid's GetEditText/GetEditMask/GetEditLimit and writing back
// through SetEditText as it changes. Navigation keys go on to the grid.
class TInplaceEdit : public TCustomMaskEdit {
public:
  explicit TInplaceEdit(TComponent* AOwner);
  // The grid forgets an editor freed before it (a window's children go before the window,
  // whose destruction still sends the grid focus messages).
  void BeforeDestruction() override;

  TCustomGrid* Grid() const { return FGrid; }
  // Shows the editor at Loc (client coordinates of the grid) and focuses it when the grid
  // has the focus.
  void Move(const TRect& Loc);
  void Hide();
  // Reads text, mask and limit of the grid's current cell.
  virtual void UpdateContents();
  // Multi-line (word-wrapped) editing; switching re-creates the window.
  bool WordWrap() const { return FMultiLine; }
  void SetWordWrap(bool Value);
  // The cell rectangle the editor covers (grid client coordinates).
  TRect CellRect() const { return FCellRect; }

  // Set by the grid before showing the editor.
  void SetGrid(TCustomGrid* Value) { FGrid = Value; }

protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void Dispatch(TMessage& Message) override;
  void DblClick() override;
  bool EditCanModify() override;
  void Change() override;
  virtual void BoundsChanged();
  virtual void UpdateLoc(const TRect& Loc);
  // A paste reaches the text only when the grid lets the cell change.
  virtual void PasteHook(TMessage& Message);

private:
  TCustomGrid* FGrid = nullptr;
  TRect FCellRect;
  bool FUpdating = false;
  AnsiString FOriginal; // the cell's text when the editor came to it (Esc puts it back)
};

class TCustomGrid : public TCustomControl {
public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  // ---- Geometry ----
  Integer ColCount() const { return FColCount; }
  void SetColCount(Integer Value);
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer Value);
  // Clamped to one less than the count (never raising the count).
  Integer FixedCols() const { return FFixedCols; }
  void SetFixedCols(Integer Value);
  Integer FixedRows() const { return FFixedRows; }
  void SetFixedRows(Integer Value);
  Integer DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(Integer Value);
  // Setting it resets every row height.
  Integer DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(Integer Value);
  Integer ColWidths(Integer Index) const;
  void SetColWidths(Integer Index, Integer Value);
  Integer RowHeights(Integer Index) const;
  void SetRowHeights(Integer Index, Integer Value);
  Integer GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(Integer Value);
  bool TabStops(Integer Index) const;
  void SetTabStops(Integer Index, bool Value);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor Value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // ---- Position ----
  Integer Col() const { return FCurrent.X; }
  void SetCol(Integer Value);
  Integer Row() const { return FCurrent.Y; }
  void SetRow(Integer Value);
  Integer TopRow() const { return FTopLeft.Y; }
  void SetTopRow(Integer Value);
  Integer LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(Integer Value);
  TGridRect Selection() const;
  void SetSelection(const TGridRect& Value);
  Integer VisibleColCount();
  Integer VisibleRowCount();
  // The largest TopRow/LeftCol that still fills the client.
  TGridCoord CalcMaxTopLeft();

  // ---- Editing ----
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool Value);
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  void ShowEditor();
  void HideEditor();
  // Shows the editor with Ch typed into it (selection replaced).
  void ShowEditorChar(char Ch);
  // Writes the editor's text to the cell (SetEditText) when it changed.
  void UpdateText();
  void InvalidateEditor();

  // ---- Mouse gestures: state read by descendants ----
  TGridState GridState() const { return FGridState; }
  void SetGridState(TGridState Value) { FGridState = Value; }
  Integer SizingIndex() const { return FSizingIndex; }
  void SetSizingIndex(Integer Value) { FSizingIndex = Value; }
  Integer SizingPos() const { return FSizingPos; }
  void SetSizingPos(Integer Value) { FSizingPos = Value; }
  Integer SizingOfs() const { return FSizingOfs; }
  void SetSizingOfs(Integer Value) { FSizingOfs = Value; }

  // ---- Queries ----
  TRect CellRect(Integer ACol, Integer ARow);
  // The rectangle covering the visible part of the block of cells.
  TRect BoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
  // The cell under a client point; -1 in a coordinate outside the cells.
  TGridCoord MouseCoord(Integer X, Integer Y);
  void CalcDrawInfo(TGridDrawInfo& DrawInfo);
  void CalcDrawInfoXY(TGridDrawInfo& DrawInfo, Integer UseWidth, Integer UseHeight);
  void CalcFixedInfo(TGridDrawInfo& DrawInfo);

  void MoveColRow(Integer ACol, Integer ARow, bool MoveAnchor, bool Show);
  void MoveColumn(Integer FromIndex, Integer ToIndex);
  void MoveRow(Integer FromIndex, Integer ToIndex);
  void InvalidateCell(Integer ACol, Integer ARow);
  void InvalidateRect(const TGridRect& ARect);
  void InvalidateCol(Integer ACol);
  void InvalidateRow(Integer ARow);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DblClick() override;
  void DoExit() override;
  void Resize() override;

  // ---- Hooks ----
  virtual void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) {}
  // From a press at (X, Y): whether it starts sizing, which line and where.
  virtual void CalcSizingState(Integer X, Integer Y, TGridState& State, Integer& Index,
                               Integer& SizingPos, Integer& SizingOfs, TGridDrawInfo& FixedInfo);
  virtual TInplaceEdit* CreateEditor();
  // Whether a left press takes the focus first (drop-down grids keep it with their owner).
  virtual bool TakesFocusOnMouseDown() { return true; }
  virtual bool CanEditShow();
  virtual bool CanEditModify() { return true; }
  virtual bool CanEditAcceptKey(char Key) { return true; }
  // Whether the grid itself takes the key (else it is left to the form).
  virtual bool CanGridAcceptKey(Word Key, TShiftState Shift) { return true; }
  virtual AnsiString GetEditText(Integer ACol, Integer ARow) { return AnsiString(); }
  virtual void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value) {}
  virtual AnsiString GetEditMask(Integer ACol, Integer ARow) { return AnsiString(); }
  virtual Integer GetEditLimit() { return 0; }
  virtual bool SelectCell(Integer ACol, Integer ARow) { return true; }
  virtual void ColumnMoved(Integer FromIndex, Integer ToIndex) {}
  virtual void RowMoved(Integer FromIndex, Integer ToIndex) {}
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void TopLeftChanged();
  // A tick of the timed scroll while a gesture drags outside the cells.
  virtual void TimedScroll(TGridScrollDirection Direction);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void SizeChanged(Integer OldColCount, Integer OldRowCount) {}
  virtual void DrawSizingLine(const TGridDrawInfo& DrawInfo);
  virtual void DrawMove();

  // The whole block of cells changed (sizes, counts): scroll bars and editor follow.
  void LayoutChanged();
  void UpdateScrollRange();
  void UpdateEdit();
  void FocusCell(Integer ACol, Integer ARow, bool MoveAnchor);
  void ClampInView(TGridCoord Coord);
  void MoveTopLeft(Integer ALeft, Integer ATop);

  TGridCoord FCurrent;
  TGridCoord FAnchor;
  TGridCoord FTopLeft;
  TInplaceEdit* FInplaceEdit = nullptr;
  bool FEditorMode = false;
  Integer FInplaceCol = -1, FInplaceRow = -1;

private:
  friend class TInplaceEdit;
  Integer AxisExtent(const std::vector<Integer>& Sizes, Integer Default, Integer Index) const;
  void InitAxis(TGridAxisDrawInfo& Axis, Integer Extent, Integer Count, Integer Fixed,
                Integer First, const std::vector<Integer>& Sizes, Integer Default);
  // The client position of a cell's leading edge along one axis (-1 when not shown).
  Integer LinePos(const TGridAxisDrawInfo& Axis, Integer Index) const;
  Integer CalcCoord(const TGridAxisDrawInfo& Axis, Integer N) const;
  void ScrollMessage(TMessage& Message, bool Vertical);
  void ChangeSize(Integer NewColCount, Integer NewRowCount);
  void TrackGesture(TShiftState Shift, Integer X, Integer Y);
  void FollowGesture(Integer X, Integer Y);
  void GestureTick();
  void EndGesture(Integer X, Integer Y, bool Cancelled);
  void HideSizingLine();

  Integer FColCount = 5, FRowCount = 5;
  Integer FFixedCols = 1, FFixedRows = 1;
  Integer FDefaultColWidth = 64, FDefaultRowHeight = 24;
  std::vector<Integer> FColWidths, FRowHeights;
  std::vector<bool> FTabStops;
  Integer FGridLineWidth = 1;
  TGridOptions FOptions;
  TScrollStyle FScrollBars = ssBoth;
  TColor FFixedColor = clBtnFace;
  bool FDefaultDrawing = true;
  TBorderStyle FBorderStyle = bsSingle;
  TGridState FGridState = gsNormal;
  Integer FSizingIndex = 0, FSizingPos = 0, FSizingOfs = 0;
  Integer FMoveIndex = 0, FMovePos = 0;
  TPoint FGesturePoint;
  HOVERLAY FSizingLine = 0;
  bool FEditUpdate = false;
};

using TDrawCellEvent = TEvent<void(TObject* Sender, Integer ACol, Integer ARow, const TRect& Rect,
                                   TGridDrawState State)>;
using TSelectCellEvent = TEvent<void(TObject* Sender, Integer ACol, Integer ARow, bool& CanSelect)>;
using TGetEditEvent = TEvent<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& Value)>;
using TSetEditEvent =
    TEvent<void(TObject* Sender, Integer ACol, Integer ARow, const AnsiString& Value)>;
using TMovedEvent = TEvent<void(TObject* Sender, Integer FromIndex, Integer ToIndex)>;

// The grid whose cells the program draws (OnDrawCell) and edits (OnGetEditText ...).
class TDrawGrid : public TCustomGrid {
public:
  explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TGetEditEvent OnGetEditMask;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;
  TNotifyEvent OnTopLeftChanged;

protected:
  void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
  bool SelectCell(Integer ACol, Integer ARow) override;
  AnsiString GetEditMask(Integer ACol, Integer ARow) override;
  AnsiString GetEditText(Integer ACol, Integer ARow) override;
  void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value) override;
  void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
  void RowMoved(Integer FromIndex, Integer ToIndex) override;
  void TopLeftChanged() override;
};

// A grid holding a string (and an object) per cell; the default drawing shows the string.
class TStringGrid : public TDrawGrid {
public:
  explicit TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

  AnsiString Cells(Integer ACol, Integer ARow) const;
  void SetCells(Integer ACol, Integer ARow, const AnsiString& Value);
  TObject* Objects(Integer ACol, Integer ARow) const;
  void SetObjects(Integer ACol, Integer ARow, TObject* Value);

protected:
  void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
  AnsiString GetEditText(Integer ACol, Integer ARow) override;
  void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value) override;
  void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
  void RowMoved(Integer FromIndex, Integer ToIndex) override;
  void SizeChanged(Integer OldColCount, Integer OldRowCount) override;

private:
  struct TCell {
    AnsiString Text;
    TObject* Object = nullptr;
  };
  // Rows of columns; grown on demand.
  std::vector<std::vector<TCell>> FCells;
  TCell* Find(Integer ACol, Integer ARow, bool Create);
  const TCell* Find(Integer ACol, Integer ARow) const;
};

void RegisterGridsClasses();
