// The data-aware grid: TCustomDBGridEh shows the records of a dataset's buffer window in
// rows and its fields in columns (TColumnEh), with a title row, an indicator column, frozen
// columns, footers and a selection. The grid stands on the base grid (platform/ui/Grids.h)
// for geometry, scrolling and the editor slot; its data link (TGridDataLinkEh) turns the
// dataset's notifications into grid operations. The unit is split by subject into
// DBGridEh<Part>.cpp files: Core (settings, locks, data-link glue), Link (data link and
// bookmark list), Columns (column model and column defaults), Layout (the layout rebuild and
// column widths), Rows (rows, scroll bars, scrolling), Paint (painting and cell drawing),
// Style (selection colours), Text (cell text writers and helpers), Selection.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "controls/eh/DBCtrlsEh.h"
#include "controls/eh/DBSumListProducer.h"
#include "controls/eh/DropDownsEh.h"
#include "controls/eh/PropertyInterceptors.h"
#include "platform/data/DB.h"
#include "platform/graphics/ImgList.h"
#include "platform/rtl/Lists.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/StdCtrls.h"

class TCustomDBGridEh;
class TColumnEh;
class TDBGridColumnsEh;
class TColumnTitleEh;
class TColumnDefValuesEh;
class TGridDataLinkEh;
class TBookmarkListEh;
class TDBGridEhStyle;
class IMemTableEh;
class TDBGridEhSelection;
class TColumnsEhList;
class TPopupMenu;
class TSTColumnFilterEh;
class TSTDBGridEhFilter;
class TPopupListboxEh;
class TPopupDataGridEh;
class TDBGridInplaceEdit;
class TInplaceFilterEditEh;
class IMemTableDataFieldValueListEh;

// ---- Option sets and enumerations (ordinals are bit numbers; keep the order) ----

enum TDBGridEhOption {
  dgEditing,
  dgAlwaysShowEditor,
  dgTitles,
  dgIndicator,
  dgColumnResize,
  dgColLines,
  dgRowLines,
  dgTabs,
  dgFullRowSelect,
  dgKeepSelectionVisible,
  dgConfirmDelete,
  dgCancelOnExit,
  dgMultiSelect
};
using TDBGridEhOptions = TSet<TDBGridEhOption>;

enum TDBGridEhExtOption {
  dgxFixed3DEh,
  dgxFrozen3DEh,
  dgxFooter3DEh,
  dgxData3DEh,
  dgxSpreadResizeEh,
  dgxHighlightFocusEh,
  dgxClearSelectionEh,
  dgxFitRowHeightToTextEh,
  dgxAutoSortMarkingEh,
  dgxMultiSortMarkingEh,
  dgxEnterAsTabEh,
  dgxLiveColSizingEh,
  dgxIncSearchEh,
  dgxTypeToSearchEh,
  dgxRowHighlightEh,
  dgxDblClickFitColWidthEh,
  dgxFindDialogEh
};
using TDBGridEhExtOptions = TSet<TDBGridEhExtOption>;

enum TPermittedEditEh { peInsertEh, peUpdateEh, peDeleteEh, peAppendEh };
using TPermittedEditsEh = TSet<TPermittedEditEh>;

enum TGridSelectionKindEh { selNoneEh, selRowsEh, selRectEh, selColumnsEh, selAllEh };
using TGridSelectionKindsEh = TSet<TGridSelectionKindEh>;

enum TClipboardActionEh { caCutEh, caCopyEh, caPasteEh, caDeleteEh, caSelectAllEh };
using TClipboardActionsEh = TSet<TClipboardActionEh>;

enum TSortMarkerEh { smNoneEh, smDownEh, smUpEh };
enum TTextOrientationEh { tohHorizontal, tohVertical };
enum TColumnButtonStyleEh { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown };
enum TCellEditStyleEh {
  cesPlain,
  cesEllipsis,
  cesPickList,
  cesDataList,
  cesUpDown,
  cesDropDown,
  cesDate
};
enum TColumnKindEh { ckText, ckCheckboxes, ckLookup, ckPickList, ckImageList, ckKeyList };

// Area of a cell (the vertical part of GetCellType's kind).
enum TCellAreaEh { caTitleEh, caFilterEh, caDataEh, caFillerEh, caFooterEh };

// The values a column (and its title) may hold as its own; every other value follows the
// field, the grid or the grid's column defaults.
enum TColumnEhValue {
  cvColor,
  cvWidth,
  cvFont,
  cvAlignment,
  cvReadOnly,
  cvTitleColor,
  cvTitleCaption,
  cvTitleAlignment,
  cvTitleFont,
  cvTitleButton,
  cvTitleEndEllipsis,
  cvTitleToolTips,
  cvTitleOrientation,
  cvImeMode,
  cvImeName,
  cvWordWrap,
  cvLookupDisplayFields,
  cvCheckboxes,
  cvAlwaysShowEditButton,
  cvEndEllipsis,
  cvAutoDropDown,
  cvDblClickNextVal,
  cvToolTips,
  cvDropDownSizing,
  cvDropDownShowTitles,
  cvLayout,
  cvHighlightRequired
};
using TColumnEhValues = TSet<TColumnEhValue>;

// Own values of a footer and of the title defaults.
enum TColumnFooterEhValue { cfvAlignment, cfvFont, cfvColor, cfvToolTips };
using TColumnFooterEhValues = TSet<TColumnFooterEhValue>;
enum TColumnTitleDefValue { ctdvColor, ctdvAlignment };
using TColumnTitleDefValues = TSet<TColumnTitleDefValue>;

enum TFooterValueType { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };

enum TScrollBarVisibleModeEh { sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh };

// The message a grid posts to itself to rebuild its layout once the locks are released.
inline constexpr UINT CM_DEFERLAYOUT = WM_USER + 100;
static_assert(CM_DEFERLAYOUT == 1124, "deferred-layout message number");

// Library messages (exact texts).
inline constexpr const char* SDeleteRecordQuestion = "Delete record?";
inline constexpr const char* SDeleteMultipleRecordsQuestion = "Delete all selected records?";
inline constexpr const char* STooManyColumns = "Grid requested to display more than 256 columns";
inline constexpr const char* SGetCellTypeError = "Algorithm error in TCustomDBGridEh.GetCellType";
inline constexpr const char* SCellSelectedError =
    "Error in function TDBGridEhSelectionRect.CellSelected";
inline constexpr const char* SGetBottomRowError = "Error in TDBGridEhSelectionRect.GetBottomRow";

// ---- Small records ----

// A cell of GetCellType: the data column (or the indicator column) and the area row.
struct TCellTypeEh {
  Integer DataCol = 0;
  Integer AreaRow = 0;
  Integer HorzPart = 0; // 0 indicator, 1 data columns
  TCellAreaEh Area = caDataEh;
};

// One corner of a rectangular selection: a data column and a record.
struct TDBCell {
  Integer ColIndex = -1;
  AnsiString Bookmark;
};

// The parameters of one data cell, filled by the column and offered to OnGetCellParams.
class TColCellParamsEh : public TObject {
public:
  TAlignment Alignment = taLeftJustify;
  TColor Background = clWindow;
  TCheckBoxState CheckMark = cbUnchecked;
  Integer Col = -1;
  TFont* Font = nullptr; // not owned
  Integer ImageIndex = -1;
  bool ReadOnly = false;
  Integer Row = -1;
  TGridDrawState State;
  AnsiString Text;
};

// ---- Event types ----

using TDBGridEhClickEvent = TEvent<void(TColumnEh* Column)>;
using TDrawColumnEhCellEvent = TEvent<void(TObject* Sender, const TRect& Rect, Integer DataCol,
                                           TColumnEh* Column, TGridDrawState State)>;
using TDrawDataCellEvent =
    TEvent<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
using TGetCellEhParamsEvent = TEvent<void(TObject* Sender, TColumnEh* Column, TFont* AFont,
                                          TColor& Background, TGridDrawState State)>;
using TGetFooterParamsEvent =
    TEvent<void(TObject* Sender, Integer DataCol, Integer Row, TColumnEh* Column, TFont* AFont,
                TColor& Background, TAlignment& Alignment, TGridDrawState State, AnsiString& Text)>;
using TDrawFooterCellEvent =
    TEvent<void(TObject* Sender, Integer DataCol, Integer Row, TColumnEh* Column, const TRect& Rect,
                TGridDrawState State)>;
using TGetTitleParamsEvent =
    TEvent<void(TObject* Sender, TColumnEh* Column, bool Pressed, TSortMarkerEh& SortMarker,
                TColor& Background, TFont* AFont)>;
using TTitleEhClickEvent = TEvent<void(TObject* Sender, Integer ACol, TColumnEh* Column)>;
using TCheckTitleEhBtnEvent =
    TEvent<void(TObject* Sender, Integer ACol, TColumnEh* Column, bool& Enabled)>;
using TGetColCellParamsEventEh =
    TEvent<void(TObject* Sender, bool EditMode, TColCellParamsEh* Params)>;
using TColCellUpdateDataEventEh =
    TEvent<void(TObject* Sender, AnsiString& Text, Variant& Value, bool& UseText, bool& Handled)>;
using TNotInListEventEh =
    TEvent<void(TObject* Sender, const AnsiString& NewText, bool& RecheckInList)>;
using TOnColumnCheckDrawRequiredStateEventEh =
    TEvent<void(TObject* Sender, const AnsiString& Text, bool& DrawState)>;

// ---- Column lists ----

// A list of columns that never frees them (the grid's VisibleColumns, SortMarkedColumns).
class TColumnsEhList : public TObject {
public:
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TColumnEh* Items(Integer Index) const { return FItems.at(static_cast<std::size_t>(Index)); }
  TColumnEh* operator[](Integer Index) const { return Items(Index); }
  void SetItems(Integer Index, TColumnEh* Value)
  {
    FItems.at(static_cast<std::size_t>(Index)) = Value;
  }
  Integer Add(TColumnEh* Column);
  void Insert(Integer Index, TColumnEh* Column);
  void Delete(Integer Index);
  Integer Remove(TColumnEh* Column);
  Integer IndexOf(const TColumnEh* Column) const;
  void Exchange(Integer A, Integer B);
  virtual void Clear() { FItems.clear(); }
  void SetCount(Integer Value) { FItems.resize(static_cast<std::size_t>(Value), nullptr); }

protected:
  std::vector<TColumnEh*> FItems;
};

// ---- Column defaults (the grid's ColumnDefValues) ----

class TColumnTitleDefValuesEh : public TPersistent {
public:
  explicit TColumnTitleDefValuesEh(TColumnDefValuesEh* Owner) : FOwner(Owner) {}

  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  TColor Color() const;
  void SetColor(TColor Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  TTextOrientationEh Orientation() const { return FOrientation; }
  void SetOrientation(TTextOrientationEh Value);
  bool TitleButton() const { return FTitleButton; }
  void SetTitleButton(bool Value) { FTitleButton = Value; }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }
  TColumnTitleDefValues OwnValues() const { return FOwnValues; }
  void Assign(TPersistent* Source) override;

protected:
  TPersistent* GetOwner() override;

private:
  TCustomDBGridEh* Grid() const;

  TAlignment FAlignment = taLeftJustify;
  TColumnTitleDefValues FOwnValues;
  TColor FColor = clBtnFace;
  TColumnDefValuesEh* FOwner;
  bool FEndEllipsis = false;
  TTextOrientationEh FOrientation = tohHorizontal;
  bool FTitleButton = false;
  bool FToolTips = false;
};

class TColumnFooterDefValuesEh : public TPersistent {
public:
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }
  void Assign(TPersistent* Source) override;

private:
  bool FToolTips = false;
};

class TColumnDefValuesEh : public TPersistent {
public:
  explicit TColumnDefValuesEh(TCustomDBGridEh* AGrid);
  ~TColumnDefValuesEh() override;

  bool AlwaysShowEditButton() const { return FAlwaysShowEditButton; }
  void SetAlwaysShowEditButton(bool Value);
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  bool DblClickNextVal() const { return FDblClickNextVal; }
  void SetDblClickNextVal(bool Value) { FDblClickNextVal = Value; }
  bool DropDownShowTitles() const { return FDropDownShowTitles; }
  void SetDropDownShowTitles(bool Value) { FDropDownShowTitles = Value; }
  bool DropDownSizing() const { return FDropDownSizing; }
  void SetDropDownSizing(bool Value) { FDropDownSizing = Value; }
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool HighlightRequired() const { return FHighlightRequired; }
  void SetHighlightRequired(bool Value);
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }
  TColumnTitleDefValuesEh* Title() const { return FTitle.get(); }
  void SetTitle(TColumnTitleDefValuesEh* Value) { FTitle->Assign(Value); }
  TColumnFooterDefValuesEh* Footer() const { return FFooter.get(); }
  void SetFooter(TColumnFooterDefValuesEh* Value) { FFooter->Assign(Value); }
  TCustomDBGridEh* Grid() const { return FGrid; }
  void Assign(TPersistent* Source) override;

protected:
  TPersistent* GetOwner() override;

private:
  void RepaintGrid();

  bool FAlwaysShowEditButton = false;
  bool FAutoDropDown = false;
  bool FDblClickNextVal = false;
  bool FDropDownShowTitles = false;
  bool FDropDownSizing = false;
  bool FEndEllipsis = false;
  TTextLayout FLayout = tlTop;
  bool FHighlightRequired = false;
  TCustomDBGridEh* FGrid;
  std::unique_ptr<TColumnTitleDefValuesEh> FTitle;
  std::unique_ptr<TColumnFooterDefValuesEh> FFooter;
  bool FToolTips = false;
};

// The data grid's published form of the column defaults.
class TDBGridEhColumnDefValuesEh : public TColumnDefValuesEh {
public:
  using TColumnDefValuesEh::TColumnDefValuesEh;
};

// ---- Titles and footers ----

class TColumnTitleEh : public TPersistent {
public:
  explicit TColumnTitleEh(TColumnEh* Column);
  ~TColumnTitleEh() override;

  TColumnEh* Column() const { return FColumn; }
  AnsiString Caption() const;
  virtual void SetCaption(const AnsiString& Value);
  TFont* Font() const;
  void SetFont(TFont* Value);
  TColor Color() const;
  void SetColor(TColor Value);
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  AnsiString Hint() const { return FHint; }
  void SetHint(const AnsiString& Value) { FHint = Value; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  bool TitleButton() const;
  void SetTitleButton(bool Value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);
  TTextOrientationEh Orientation() const;
  void SetOrientation(TTextOrientationEh Value);
  Integer SortIndex() const { return FSortIndex; }
  void SetSortIndex(Integer Value);
  TSortMarkerEh SortMarker() const { return FSortMarker; }
  void SetSortMarker(TSortMarkerEh Value);
  // A click on a title button: none -> down -> up -> none (KeepOthers) or down.
  void CycleSortMarker(bool KeepOthers);
  // The width the sort marker (and its number) takes in the title.
  Integer SortMarkerWidth();

  TColor DefColor() const;
  TFont* DefFont() const;
  AnsiString DefCaption() const;
  TAlignment DefAlignment() const;
  bool DefTitleButton() const;
  bool DefEndEllipsis() const;
  bool DefToolTips() const;
  TTextOrientationEh DefOrientation() const;
  void SyncDefaultFont();
  virtual void ResetOwnValues();
  void Assign(TPersistent* Source) override;

protected:
  TPersistent* GetOwner() override;

private:
  void FontChanged(TObject* Sender);
  bool IsOwn(TColumnEhValue Value) const;
  void SetOwn(TColumnEhValue Value, bool On);
  // Sets an own value: Field takes Value and Flag is marked own, unless it already holds it.
  template <class T> void SetOwnValue(T& Field, T Value, TColumnEhValue Flag);
  void Changed(bool AllItems);

  TColumnEh* FColumn;
  AnsiString FCaption;
  std::unique_ptr<TFont> FFont;
  TColor FColor = clBtnFace;
  TAlignment FAlignment = taLeftJustify;
  AnsiString FHint;
  Integer FImageIndex = -1;
  bool FTitleButton = false;
  bool FEndEllipsis = false;
  bool FToolTips = false;
  TTextOrientationEh FOrientation = tohHorizontal;
  Integer FSortIndex = 0;
  TSortMarkerEh FSortMarker = smNoneEh;
  bool FSyncingFont = false;
};

// One footer cell of a column: a sum, average or count of a field, a field's value or a
// static text. Values it does not hold itself follow the column and the grid.
class TColumnFooterEh : public TCollectionItem {
public:
  explicit TColumnFooterEh(TCollection* Collection = nullptr);
  TColumnFooterEh(TColumnEh* Column, std::nullptr_t);
  ~TColumnFooterEh() override;

  TColumnEh* Column() const { return FColumn; }
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  TColor Color() const;
  void SetColor(TColor Value);
  TFont* Font() const;
  void SetFont(TFont* Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);
  AnsiString DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  AnsiString FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& Value);
  TFooterValueType ValueType() const { return FValueType; }
  void SetValueType(TFooterValueType Value);
  AnsiString Value() const { return FValue; }
  void SetValue(const AnsiString& Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  TColumnFooterEhValues OwnValues() const { return FOwnValues; }

  TAlignment DefAlignment() const;
  TColor DefColor() const;
  TFont* DefFont() const;
  bool DefToolTips() const;
  void SyncDefaultFont();
  void ResetOwnValues();
  // Binds the footer to its aggregate of the grid's sum list (or frees it when the footer
  // shows no aggregate).
  void EnsureSumValue();
  TDBSum* Sum() const { return FSum; }
  void Assign(TPersistent* Source) override;

protected:
  TPersistent* GetOwner() override;

private:
  void FontChanged(TObject* Sender);
  void Changed();
  TCustomDBGridEh* Grid() const;

  TColumnEh* FColumn = nullptr;
  TAlignment FAlignment = taLeftJustify;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  bool FToolTips = false;
  AnsiString FDisplayFormat;
  bool FEndEllipsis = false;
  AnsiString FFieldName;
  TFooterValueType FValueType = fvtNon;
  AnsiString FValue;
  bool FWordWrap = false;
  TColumnFooterEhValues FOwnValues;
  bool FSyncingFont = false;
  TDBSum* FSum = nullptr; // owned: freeing it takes it out of the sum list
};

// The several footers of a column (one per footer row).
class TColumnFootersEh : public TCollection {
public:
  explicit TColumnFootersEh(TColumnEh* Column);
  TColumnEh* Column() const { return FColumn; }
  TColumnFooterEh* Items(Integer Index) const
  {
    return static_cast<TColumnFooterEh*>(TCollection::Items(Index));
  }
  TColumnFooterEh* Add() { return static_cast<TColumnFooterEh*>(TCollection::Add()); }

protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

private:
  TColumnEh* FColumn;
};

// ---- Multi-level titles ----

// A node of the title tree: the root stands for the whole title area, each leaf for one
// column, each inner node for an upper title shared by neighbouring columns. Siblings form
// a ring (the last points back to the parent's first child).
class THeadTreeNode : public TObject {
public:
  THeadTreeNode();
  THeadTreeNode(const AnsiString& ACaption, Integer AWidth, Integer AHeight);
  ~THeadTreeNode() override;

  THeadTreeNode* FirstChild = nullptr;
  TColumnEh* GridColumn = nullptr;
  bool Painted = false;
  Integer NodeHeight = 0;
  THeadTreeNode* ParentNode = nullptr;
  THeadTreeNode* NextSibling = nullptr;
  AnsiString Caption;
  Integer LineWidth = 0;
  Integer NodeWidth = 0;
  Integer MarkerIndent = 0;

  // Raise "Node not in Tree" when the node named is not below this one.
  THeadTreeNode* InsertAfter(THeadTreeNode* AAfter, const AnsiString& ACaption, Integer AWidth,
                             Integer AHeight);
  THeadTreeNode* AppendChild(THeadTreeNode* ANode, const AnsiString& ACaption, Integer AWidth,
                             Integer AHeight);
  void FreeChildren();
  bool Contains(THeadTreeNode* ANode) const;
  Integer Depth() const;
  // Puts the siblings AFrom..ATo under a new node captioned ACaption.
  THeadTreeNode* GroupSiblings(THeadTreeNode* AFrom, THeadTreeNode* ATo, Integer AHeight,
                               const AnsiString& ACaption);
  // Rebuilds the tree below this root from the grid's column titles.
  void BuildFromColumns(TCustomDBGridEh* AGrid);
  void ForEachNode(const std::function<void(THeadTreeNode*)>& AProc);
  // The children in ring order.
  std::vector<THeadTreeNode*> Children() const;
};

// Words of a title path separated by runs of "|" (none empty; double-byte characters are
// never separators). Positions are 1-based; 0 when there are fewer words.
Integer NthWordPosition(Integer N, const AnsiString& AText);
AnsiString NthWord(Integer N, const AnsiString& AText);

inline constexpr const char* SNodeNotInTree = "Node not in Tree";
inline constexpr const char* SAToNotInLevel = "ATo not in level";

// ---- Footer sums ----

// The grid's running sums: the aggregates its footers read.
class TDBGridEhSumList : public TDBSumListProducer {
public:
  explicit TDBGridEhSumList(TCustomDBGridEh* Grid);
};

// ---- Columns ----

class TColumnEh : public TCollectionItem {
public:
  explicit TColumnEh(TCollection* Collection = nullptr);
  ~TColumnEh() override;

  // Binding.
  AnsiString FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& Value);
  TField* Field() { return BoundField(); }
  TField* BoundField();
  virtual void BindField(TField* AField);
  virtual bool IsDefaultColumn() const { return !FStored; }
  void SetStored(bool Value) { FStored = Value; }
  TCustomDBGridEh* OwnerGrid() const;
  TCustomDBGridEh* Grid() const { return OwnerGrid(); }
  void RebindFooterSums();

  // Effective values with their own-value flags.
  TColumnEhValues OwnValues() const { return FOwnValues; }
  Integer Width();
  virtual void SetWidth(Integer Value);
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value);
  Integer MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(Integer Value);
  Integer ClampWidth(Integer W) const;
  bool AutoFitColWidth() const { return FAutoFitColWidth; }
  virtual void SetAutoFitColWidth(bool Value);
  Integer AutoFitBaseWidth() const { return FAutoFitBaseWidth; }
  void SetAutoFitBaseWidth(Integer Value) { FAutoFitBaseWidth = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TColor Color() const;
  void SetColor(TColor Value);
  TFont* Font();
  void SetFont(TFont* Value);
  TAlignment Alignment();
  virtual void SetAlignment(TAlignment Value);
  TTextLayout Layout() const;
  void SetLayout(TTextLayout Value);
  bool WordWrap();
  virtual void SetWordWrap(bool Value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool Value);
  bool ReadOnly();
  virtual void SetReadOnly(bool Value);
  TImeMode ImeMode() const;
  virtual void SetImeMode(TImeMode Value);
  AnsiString ImeName() const;
  virtual void SetImeName(const AnsiString& Value);
  TColumnTitleEh* Title() const { return FTitle.get(); }
  void SetTitle(TColumnTitleEh* Value) { FTitle->Assign(Value); }
  TColumnFooterEh* Footer() const { return FFooter.get(); }
  void SetFooter(TColumnFooterEh* Value) { FFooter->Assign(Value); }
  TColumnFootersEh* Footers() const { return FFooters.get(); }
  void SetFooters(TColumnFootersEh* Value) { FFooters->Assign(Value); }
  // Footers(I) when there are more than I footers, else Footer.
  TColumnFooterEh* FooterAt(Integer I) const;
  TStrings* PickList();
  void SetPickList(TStrings* Value);
  TStrings* KeyList();
  void SetKeyList(TStrings* Value);
  bool HasPickList() const { return FPickList && FPickList->Count() > 0; }
  bool HasKeyList() const { return FKeyList && FKeyList->Count() > 0; }
  Integer NotInKeyListIndex() const { return FNotInKeyListIndex; }
  void SetNotInKeyListIndex(Integer Value);
  bool Checkboxes();
  void SetCheckboxes(bool Value);
  TCustomImageList* ImageList() const { return FImageList; }
  void SetImageList(TCustomImageList* Value);
  bool ShowImageAndText() const { return FShowImageAndText; }
  void SetShowImageAndText(bool Value);
  TColumnButtonStyleEh ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TColumnButtonStyleEh Value);
  bool AlwaysShowEditButton() const;
  void SetAlwaysShowEditButton(bool Value);
  // The list a lookup cell drops down: made at its first use, owned by the column.
  TPopupDataGridEh* DropDownGrid();
  // The texts recently entered in the column's cells (inactive until switched on).
  TMRUListEh* MRUList() const { return FMRUList.get(); }
  // The buttons the cell editor shows left of the main button, the last one outermost.
  TEditButtonsEh* EditButtons() const { return FEditButtons.get(); }
  void SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }
  Cardinal DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(Cardinal Value) { FDropDownRows = Value; }
  Integer DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(Integer Value);
  bool DropDownSizing() const;
  void SetDropDownSizing(bool Value);
  bool DropDownShowTitles() const;
  void SetDropDownShowTitles(bool Value);
  bool AutoDropDown() const;
  void SetAutoDropDown(bool Value);
  bool DblClickNextVal() const;
  void SetDblClickNextVal(bool Value);
  Extended Increment() const { return FIncrement; }
  void SetIncrement(Extended Value) { FIncrement = Value; }
  AnsiString LookupDisplayFields();
  virtual void SetLookupDisplayFields(const AnsiString& Value);
  AnsiString DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& Value);
  AnsiString EditMask() const { return FEditMask; }
  void SetEditMask(const AnsiString& Value);
  bool HideDuplicates() const { return FHideDuplicates; }
  virtual void SetHideDuplicates(bool Value);
  bool HighlightRequired() const;
  virtual void SetHighlightRequired(bool Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  TSTColumnFilterEh* STFilter() const { return FSTFilter.get(); }
  // The distinct values the filter cell's list offers (kept from its first drop-down).
  const std::shared_ptr<IMemTableDataFieldValueListEh>& FilterValueList() const
  {
    return FFilterValueList;
  }
  void SetFilterValueList(std::shared_ptr<IMemTableDataFieldValueListEh> Value)
  {
    FFilterValueList = std::move(Value);
  }

  // Defaults.
  TColor DefColor() const;
  TFont* DefFont() const;
  TAlignment DefAlignment();
  bool DefReadOnly();
  Integer DefWidth();
  bool DefWordWrap();
  bool DefCheckboxes();
  AnsiString DefLookupDisplayFields();
  bool DefAlwaysShowEditButton() const;
  bool DefAutoDropDown() const;
  bool DefDblClickNextVal() const;
  bool DefDropDownShowTitles() const;
  bool DefDropDownSizing() const;
  bool DefEndEllipsis() const;
  bool DefHighlightRequired() const;
  TTextLayout DefLayout() const;
  bool DefToolTips() const;
  TImeMode DefImeMode() const;
  AnsiString DefImeName() const;
  void SyncDefaultFont();
  virtual void ResetOwnValues();

  // Classification and values.
  TColumnKindEh Kind();
  TCellEditStyleEh ColumnEditStyle();
  Integer EditButtonsWidth();
  AnsiString CellText();
  static AnsiString FormatFieldText(TField* Field, const AnsiString& Format);
  static bool LookupKeyFound(TField* Field);
  Integer ImageIndexOfValue();
  TCheckBoxState ValueCheckState();
  void SetValueCheckState(TCheckBoxState Value);
  void StoreCellValue(AnsiString Text, Variant Value, bool UseText);
  bool CanEditValue(bool TryEdit);
  void StepValue(Integer AStep);
  void FillCellParams(TColCellParamsEh* Params);
  virtual void DoGetCellParams(bool EditMode, TColCellParamsEh* Params);
  TDataSet* FieldLookupDataSet();
  void SetOnGetCellParams(const TGetColCellParamsEventEh& Value);
  // Fits the column's width to its title, data and footers.
  virtual void FitWidthToData();

  AnsiString DisplayName() const override;
  void SetIndex(Integer Value) override;
  void Assign(TPersistent* Source) override;

  // Events.
  TGetColCellParamsEventEh OnGetCellParams;
  TColCellUpdateDataEventEh OnUpdateData;
  TNotInListEventEh OnNotInList;
  TOnColumnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;
  // The cell's main button pressed and clicked in the cell editor (Sender: the editor).
  TButtonDownEventEh OnEditButtonDown;
  TButtonClickEventEh OnEditButtonClick;

protected:
  friend class TColumnTitleEh;
  friend class TColumnFooterEh;
  friend class TDBGridColumnsEh;
  friend class TCustomDBGridEh;

public:
  // Reports a change of this column (AllItems: of the whole collection) to the grid.
  void ColumnChanged(bool AllItems) { Changed(AllItems); }

private:
  void FontChanged(TObject* Sender);
  void ImageListChanged(TObject* Sender);
  bool Own(TColumnEhValue V) const { return FOwnValues.Contains(V); }
  // Stores a flagged value: sets the flag unless it is set and the value is unchanged.
  template <class T> bool StoreOwn(TColumnEhValue Flag, T& Slot, const T& Value);
  void RepaintGrid();
  bool DataLinkActive() const;
  bool IsInLinkLayoutChange() const;

  AnsiString FFieldName;
  TField* FField = nullptr;
  bool FStored = true;
  TColumnEhValues FOwnValues;
  Integer FWidth = 64;
  Integer FMinWidth = 0;
  Integer FMaxWidth = 0;
  bool FAutoFitColWidth = true;
  Integer FAutoFitBaseWidth = 0;
  bool FVisible = true;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FEndEllipsis = false;
  bool FReadOnly = false;
  TImeMode FImeMode = imDontCare;
  AnsiString FImeName;
  std::unique_ptr<TColumnTitleEh> FTitle;
  std::unique_ptr<TColumnFooterEh> FFooter;
  std::unique_ptr<TColumnFootersEh> FFooters;
  std::unique_ptr<TStringList> FPickList;
  std::unique_ptr<TStringList> FKeyList;
  Integer FNotInKeyListIndex = -1;
  bool FCheckboxes = false;
  TCustomImageList* FImageList = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  bool FShowImageAndText = false;
  TColumnButtonStyleEh FButtonStyle = cbsAuto;
  bool FAlwaysShowEditButton = false;
  std::unique_ptr<TMRUListEh> FMRUList;
  std::unique_ptr<TEditButtonsEh> FEditButtons;
  TPopupDataGridEh* FDropDownGrid = nullptr;
  Cardinal FDropDownRows = 7;
  Integer FDropDownWidth = 0;
  bool FDropDownSizing = false;
  bool FDropDownShowTitles = false;
  bool FAutoDropDown = false;
  bool FDblClickNextVal = false;
  Extended FIncrement = 1;
  AnsiString FLookupDisplayFields;
  AnsiString FDisplayFormat;
  AnsiString FEditMask;
  bool FHideDuplicates = false;
  bool FHighlightRequired = false;
  bool FToolTips = false;
  TPopupMenu* FPopupMenu = nullptr;
  Integer FTag = 0;
  bool FSyncingFont = false;
  std::unique_ptr<TSTColumnFilterEh> FSTFilter;
  std::shared_ptr<IMemTableDataFieldValueListEh> FFilterValueList;
};

// The published column class of the data grid.
class TDBGridColumnEh : public TColumnEh {
public:
  using TColumnEh::TColumnEh;
};

// The grid's columns: either generated from the dataset's fields (default state) or
// defined by the program (customized: the first column is persistent).
class TDBGridColumnsEh : public TCollection {
public:
  TDBGridColumnsEh(TCustomDBGridEh* Grid, TCollectionItemClass ItemClass);

  TCustomDBGridEh* Grid() const { return FGrid; }
  TColumnEh* Items(Integer Index) const
  {
    return static_cast<TColumnEh*>(TCollection::Items(Index));
  }
  TColumnEh* operator[](Integer Index) const { return Items(Index); }
  TColumnEh* Add() { return static_cast<TColumnEh*>(TCollection::Add()); }
  TColumnEh* AddDefaultColumn();
  TColumnEh* ColumnAt(Integer Index) const { return Items(Index); }
  bool IsCustomized() const { return Count() > 0 && !Items(0)->IsDefaultColumn(); }
  // Forgets the filter value lists the columns cached.
  void ClearValueLists()
  {
    for (Integer i = 0; i < Count(); ++i)
      Items(i)->SetFilterValueList(nullptr);
  }

protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

private:
  TCustomDBGridEh* FGrid;
};

// ---- Data link and bookmark list ----

class TGridDataLinkEh : public TDataLink {
public:
  explicit TGridDataLinkEh(TCustomDBGridEh* Grid);
  ~TGridDataLinkEh() override;

  // Appends one map entry for FieldName (true always).
  bool MapField(const AnsiString& FieldName);
  void ClearFieldMap();
  TField* MappedField(Integer I) const;
  Integer MappedCount() const { return FMappedCount; }
  Integer FieldIndexMap(Integer I) const { return FFieldMap.at(static_cast<std::size_t>(I)); }
  bool MapFromColumns() const { return FMapFromColumns; }
  void SetMapFromColumns(bool Value) { FMapFromColumns = Value; }
  bool FollowsDatasetFields() const;
  bool EditorModified() const { return FModified; }
  void MarkModified() { FModified = true; }
  void RevertEdit();
  // Writes the editor's pending change into the field (the update-data step).
  void WritePendingEdits() { UpdateData(); }
  // The map's allocated length (for tests of its growth).
  Integer FieldMapCapacity() const { return static_cast<Integer>(FFieldMap.size()); }

protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer Distance) override;
  void FocusControl(TField** Field) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;

private:
  TCustomDBGridEh* FGrid;
  std::vector<Integer> FFieldMap;
  Integer FMappedCount = 0;
  bool FMapFromColumns = false;
  bool FModified = false;
  bool FInUpdateData = false;
};

class TBookmarkListEh : public TObject {
public:
  explicit TBookmarkListEh(TCustomDBGridEh* Grid);
  ~TBookmarkListEh() override;

  void ClearSelected();
  Integer Count() const { return FList->Count(); }
  AnsiString Items(Integer I) const { return FList->Strings(I); }
  AnsiString CurrentBookmark();
  bool CurrentSelected();
  void SetCurrentSelected(bool Value);
  bool SearchBookmark(const AnsiString& Bookmark, Integer& Index);
  Integer BookmarkIndex(const AnsiString& Bookmark);
  void LinkActiveChanged(bool Value);
  void DeleteSelected();
  TGridRect SelectedRowsRect();
  bool LinkIsActive() const { return FLinkIsActive; }
  // Whether the last search was answered from the cache (for tests of the cache).
  bool LastSearchCached() const { return FLastCached; }

private:
  Integer Compare(const AnsiString& A, const AnsiString& B);
  void ListChanged(TObject* Sender);

  TCustomDBGridEh* FGrid;
  std::unique_ptr<TStringList> FList;
  AnsiString FCacheBookmark;
  Integer FCacheIndex = -1;
  bool FCacheFound = false;
  bool FLinkIsActive = false;
  bool FLastCached = false;
};

// ---- Selection ----

class TDBGridEhSelectionRect : public TObject {
public:
  explicit TDBGridEhSelectionRect(TCustomDBGridEh* Grid) : FGrid(Grid) {}

  TDBCell AnchorCell() const { return FAnchor; }
  TDBCell ExtentCell() const { return FExtent; }
  bool DataReady() const;
  bool CellSelected(Integer ADataCol, const AnsiString& ABookmark);
  AnsiString GetBottomRow();
  AnsiString GetUpperRow();
  Integer GetLeftmostCol();
  Integer GetRightmostCol();
  void ClearCells();
  void SelectCell(Integer ADataCol, const AnsiString& ABookmark, bool AExtend);
  TRect CellsBoxRect(Integer ACol1, AnsiString ABookmark1, Integer ACol2, AnsiString ABookmark2);
  TGridRect BoundingGridRect();

private:
  void CheckReady(const char* Message) const;
  Integer Compare(const AnsiString& A, const AnsiString& B);

  TDBCell FAnchor;
  TCustomDBGridEh* FGrid;
  TDBCell FExtent;
};

class TDBGridEhSelectionCols : public TColumnsEhList {
public:
  explicit TDBGridEhSelectionCols(TCustomDBGridEh* Grid) : FGrid(Grid) {}

  void Clear() override;
  void InsertSorted(TColumnEh* AColumn);
  void SelectColumn(TColumnEh* AColumn, bool AAdd);
  void ToggleColumn(TColumnEh* AColumn);
  void ExtendToColumn(TColumnEh* AColumn);
  void SyncWithColumns();
  TGridRect BoundingGridRect();
  TColumnEh* AnchorColumn() const { return FAnchor; }
  TColumnEh* ExtentColumn() const { return FExtent; }

private:
  void InvalidateColumn(TColumnEh* Column);
  TDBGridEhSelection* Selection() const;

  TColumnEh* FAnchor = nullptr;
  TCustomDBGridEh* FGrid;
  TColumnEh* FExtent = nullptr;
  TColumnsEhList FShiftAdded;
};

class TDBGridEhSelection : public TObject {
public:
  explicit TDBGridEhSelection(TCustomDBGridEh* Grid);
  ~TDBGridEhSelection() override;

  TDBGridEhSelectionCols* Columns() const { return FColumns.get(); }
  TDBGridEhSelectionRect* Rect() const { return FRect.get(); }
  TBookmarkListEh* Rows() const;
  TBookmarkListEh* SelectedRecords() const { return Rows(); }
  TGridSelectionKindEh SelectionType() const { return FKind; }
  TGridSelectionKindEh Kind() const { return FKind; }
  void SetKind(TGridSelectionKindEh Value);
  bool ContainsCell(Integer ADataCol, const AnsiString& ABookmark);
  void Reset();
  void Clear() { Reset(); }
  void DataLinkActiveChanged(bool AActive);
  void SelectEverything();
  void SelectAll() { SelectEverything(); }
  void DropIfEmpty();
  TGridRect BoundingGridRect();

private:
  std::unique_ptr<TDBGridEhSelectionCols> FColumns;
  TCustomDBGridEh* FGrid;
  std::unique_ptr<TDBGridEhSelectionRect> FRect;
  TGridSelectionKindEh FKind = selNoneEh;
};

// ---- Filter expressions of the filter row ----

enum TSTFilterOpEh {
  fopNoneEh,
  fopEqualEh,
  fopNotEqualEh,
  fopGreaterEh,
  fopLessEh,
  fopGreaterOrEqualEh,
  fopLessOrEqualEh,
  fopLikeEh,
  fopNotLikeEh,
  fopInEh,
  fopNotInEh,
  fopIsNullEh,
  fopIsNotNullEh,
  fopAndEh,
  fopOrEh,
  fopValueEh
};
static_assert(fopValueEh == 15, "operator ordinals index STFilterOperatorTexts");

enum TSTFilterValueKindEh { fvkOtherEh, fvkStringEh, fvkNumberEh, fvkDateTimeEh, fvkBooleanEh };

// A parsed filter text: one or two conditions joined by AND or OR. Operands are Null when
// the operator takes none, a Variant array for IN lists.
struct TSTFilterExpressionEh {
  TSTFilterValueKindEh ValueKind = fvkOtherEh;
  TSTFilterOpEh FirstOperator = fopNoneEh;
  Variant FirstOperand = Null();
  TSTFilterOpEh Conjunction = fopNoneEh;
  TSTFilterOpEh SecondOperator = fopNoneEh;
  Variant SecondOperand = Null();
};

// The display text of each operator.
extern const char* const STFilterOperatorTexts[16];

// Filter syntax errors (each followed by the whole trimmed filter text).
inline constexpr const char* SQuoteIsAbsent = "Quote is absent: ";
inline constexpr const char* SLeftParenthesisExpected = "'(' expected: ";
inline constexpr const char* SRightParenthesisExpected = "')' expected: ";
inline constexpr const char* SErrorInExpression = "Error in expression: ";
inline constexpr const char* SUnexpectedExpressionBeforeNull =
    "Unexpected expression before Null: ";
inline constexpr const char* SUnexpectedExpressionAfterOperator =
    "Unexpected expression after operator: ";
inline constexpr const char* SIncorrectExpression = "Incorrect expression: ";
inline constexpr const char* SUnexpectedANDorOR = "Unexpected AND or OR: ";

void ResetSTFilterExpression(TSTFilterExpressionEh& AExpr);
// Parses AText (AExpr.ValueKind set by the caller) into AExpr. A syntax error raises
// Exception and a value that does not convert the conversion's error; either way AExpr is
// left as it was.
void ParseSTFilterText(const AnsiString& AText, TSTFilterExpressionEh& AExpr);
// Converts an operand (and the elements of a list) to a number or a date for those kinds.
void TypeSTFilterOperand(Variant& AValue, TSTFilterValueKindEh AKind);
TSTFilterValueKindEh STFilterValueKindOf(TFieldType AType);
// The canonical text of an expression (empty for kind other or no condition).
AnsiString STFilterExpressionText(const TSTFilterExpressionEh& AExpr);

// The filter settings and the parsed filter of one column.
class TSTColumnFilterEh : public TPersistent {
public:
  explicit TSTColumnFilterEh(TColumnEh* Column);
  ~TSTColumnFilterEh() override;

  AnsiString DataField() const { return FDataField; }
  void SetDataField(const AnsiString& Value) { FDataField = Value; }
  AnsiString KeyField() const { return FKeyField; }
  void SetKeyField(const AnsiString& Value) { FKeyField = Value; }
  AnsiString ListField() const { return FListField; }
  void SetListField(const AnsiString& Value) { FListField = Value; }
  TDataSource* ListSource() const { return FListSource; }
  void SetListSource(TDataSource* Value) { FListSource = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  Variant MatchedKeys() const { return FMatchedKeys; }
  Integer ListWidth() const { return FListWidth; }
  void SetListWidth(Integer Value) { FListWidth = Value; }
  Integer ListRows() const { return FListRows; }
  void SetListRows(Integer Value) { FListRows = Value; }
  AnsiString FilterText() const { return FFilterText; }
  const TSTFilterExpressionEh& Expression() const { return FExpression; }
  TColumnEh* Column() const { return FColumn; }

  void SetFilterText(const AnsiString& AText);
  // Parses and stores AText; a text that does not parse raises and changes nothing.
  void InternalSetFilterText(const AnsiString& AText);
  void Clear();
  TSTFilterExpressionEh CopyParsedExpression() const { return FExpression; }
  virtual AnsiString CanonicalText() const;
  virtual bool HasDropDownButton() const;
  virtual AnsiString FilterFieldName() const;
  virtual Variant FirstOperandValue() const;
  virtual Variant SecondOperandValue() const { return FExpression.SecondOperand; }
  AnsiString LookupKeyFieldName() const;
  AnsiString LookupListFieldName() const;
  TDataSet* LookupListDataSet() const;
  void Assign(TPersistent* Source) override;

protected:
  TPersistent* GetOwner() override;

private:
  TField* LookupField() const;
  TDataSet* GridDataSet() const;

  TColumnEh* FColumn;
  AnsiString FDataField;
  AnsiString FKeyField;
  AnsiString FListField;
  TDataSource* FListSource = nullptr;
  bool FVisible = true;
  Variant FMatchedKeys = Null();
  Integer FListWidth = 0;
  Integer FListRows = 0;
  TSTFilterExpressionEh FExpression;
  AnsiString FFilterText;
};

// The grid's filter-row settings.
class TSTDBGridEhFilter : public TPersistent {
public:
  explicit TSTDBGridEhFilter(TCustomDBGridEh* Grid) : FGrid(Grid) {}
  bool Local() const { return FLocal; }
  void SetLocal(bool Value) { FLocal = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate()
  {
    if (FUpdateCount > 0)
      --FUpdateCount;
  }
  Integer UpdateCount() const { return FUpdateCount; }
  void Assign(TPersistent* Source) override;

private:
  TCustomDBGridEh* FGrid;
  bool FLocal = false;
  bool FVisible = false;
  Integer FUpdateCount = 0;
};

// ---- Data service and dataset features ----

// Applies a dataset's filter or sorting from a grid for one dataset class.
class TDatasetFeaturesEh : public TObject {
public:
  explicit TDatasetFeaturesEh(TClass DataSetClass) : FDataSetClass(DataSetClass) {}
  TClass DataSetClass() const { return FDataSetClass; }
  virtual void ApplySorting(TCustomDBGridEh* AGrid, TDataSet* ADataSet, bool IsReopen) {}
  virtual void ApplyFilter(TCustomDBGridEh* AGrid, TDataSet* ADataSet, bool IsReopen) {}

private:
  TClass FDataSetClass;
};

// The registry of dataset features (owned; empty unless a program registers some).
TStringList* DatasetFeaturesRegistry();
// The object registered for the nearest ancestor of AClass (earlier entries win ties).
TDatasetFeaturesEh* FindDatasetFeaturesForClass(TClass AClass);
TDatasetFeaturesEh* FindDatasetFeatures(TDataSet* ADataSet);
// Steps from AClass up to the class named AName (case ignored); MaxInt when none is.
Integer DatasetFeaturesDistance(TClass AClass, const AnsiString& AName);

using TGridEhNotifyEvent = TEvent<void(TCustomDBGridEh* Grid)>;

class TDBGridEhDataService : public TPersistent {
public:
  virtual void ApplyGridFilter(TCustomDBGridEh* AGrid);
  virtual void ApplyGridSorting(TCustomDBGridEh* AGrid);
  virtual void DefaultApplyGridFilter(TCustomDBGridEh* AGrid);
  virtual void DefaultApplyGridSorting(TCustomDBGridEh* AGrid);

  TGridEhNotifyEvent OnApplyGridSorting;
  TGridEhNotifyEvent OnApplyGridFilter;
};

TDBGridEhDataService* SharedGridDataService();

// Stands in for a column while stored properties are read: Width goes to the base width of
// an auto-fit grid's column, else to the width.
class TColumnEhPropertyInterceptor : public TStoragePropertyInterceptor {
public:
  using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
  // Reading answers the target's width (the property is written while reading).
  Integer Width() const;
  void SetWidth(Integer Value);
};

// Stands in for a column collection: ColumnsIndex reads and orders the columns by name.
class TColumnsEhPropertyInterceptor : public TStoragePropertyInterceptor {
public:
  using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
  AnsiString ColumnsIndex() const;
  void SetColumnsIndex(const AnsiString& Value);

private:
  AnsiString FColumnsIndex;
};

// The column order as text: every FieldName in double quotes, joined by commas.
AnsiString ColumnsIndexText(TDBGridColumnsEh* Columns);
// Moves the columns named in AText (comma text) to the listed positions.
void SetColumnsIndexText(TDBGridColumnsEh* Columns, const AnsiString& AText);

// ---- The cell editor ----

class TPopupMonthCalendarEh;
class TPopupCalculatorEh;
class TMRUListboxEh;

// The cell editor: the base in-place edit narrowed by the cell's edit button, with the
// drop-downs of the cell's edit style (pick list, month calendar, calculator, the lookup
// list of lookup columns: Alt+Down or F4, a click on the button; Enter or a click takes
// the item, Esc closes) and the list of recently entered texts dropping down while the
// user types. The popups close through
// the editor (IDropDownOwnerEh).
class TDBGridInplaceEdit : public TInplaceEdit, public IDropDownOwnerEh {
public:
  explicit TDBGridInplaceEdit(TComponent* AOwner);
  ~TDBGridInplaceEdit() override;

  TCellEditStyleEh EditStyle() const { return FEditStyle; }
  Integer ButtonWidth() const { return FButtonWidth; }
  bool ListVisible() const { return FListVisible; }
  bool DroppedDown() const { return FListVisible; }
  TPopupListboxEh* PickList() const { return FPickList; }
  TPopupMonthCalendarEh* Calendar() const { return FCalendar; }
  TPopupCalculatorEh* Calculator() const { return FCalculator; }
  // The lookup list of the current lookup column while the editor shows it (borrowed).
  TPopupDataGridEh* DataList() const { return FDataList; }
  TMRUListboxEh* MruListBox() const { return FMruListBox; }
  bool MruListVisible() const { return FMruOpen; }
  // The popup of the current edit style (none for styles without one).
  TWinControl* ActiveList();
  void OpenDropDown();
  void CloseDropDown(bool Accept) override;
  void OpenMruList();
  void CloseMruList(bool Accept);
  void UpdateContents() override;
  // A press on the cell's main button (Down: its lower half): an up-down cell steps its
  // value, the list styles open their list.
  virtual void ButtonDropDown(bool Down);
  // The main button pressed (Down: its lower half) and clicked, by the mouse on the grid's
  // button or by Ctrl+Enter.
  void MainButtonPressed(bool Down);
  void MainButtonClicked();
  // Steps the cell's value: the top button forward in text cells and to the previous entry
  // in list cells; a text typed into the editor is stored first.
  void StepByButton(bool Down);
  // The controls of the column's visible edit buttons, left of the main button.
  Integer ExtraButtonCount() const { return static_cast<Integer>(FExtraButtons.size()); }
  TEditButtonControlEh* ExtraButton(Integer Index) const { return FExtraButtons[Index].Control; }

protected:
  void UpdateLoc(const TRect& Loc) override;
  void BoundsChanged() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Change() override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // A change of the text the user made: the recent-text list follows it.
  virtual void TextChangedByUser();

private:
  TCustomDBGridEh* DBGrid() const;
  TStrings* ListItems(TColumnEh* Column, Integer& Count) const;
  bool CalculatorStyle() const;
  // Whether the current edit style drops a list down.
  bool HasList() const;
  void SetEditorText(const AnsiString& Value);
  void OpenPickList(TColumnEh* Column);
  void OpenCalendar(TColumnEh* Column);
  void OpenCalculator(TColumnEh* Column);
  bool OpenDataList(TColumnEh* Column);
  void AcceptDataList(TColumnEh* Column);
  // Text typed into a lookup cell completes to the first list record it begins; whether
  // the typed text was taken (swallowed).
  bool AcceptDataListText(const AnsiString& Typed);
  // The key of a lookup cell changed by typing or deleting: the open list shows it.
  void DataListFollows(const Variant& Key);
  // Text typed into a pick-list or key-list cell completes to the first list text it begins;
  // whether the typed text was taken (a key-list cell takes every character).
  bool AcceptPickListText(const AnsiString& Typed);
  // The pasted text of a lookup or key-list cell, completed as typed text is; whether the
  // cell took the paste (other cells paste normally).
  bool PasteCompleted(const AnsiString& Pasted);
  // Puts a completed text into the editor and the grid's edit text, the part from Caret on
  // selected.
  void TakeCompletion(const AnsiString& Text, Integer Caret);
  // A completion searched in the lookup list: the record's text and key, or Null when no
  // record's text begins with Prefix.
  bool LocateDataListText(const AnsiString& Prefix, AnsiString& Text, Variant& Key);
  void AcceptPickList(TColumnEh* Column, Integer Index);
  void AcceptCalendar(TColumnEh* Column);
  void AcceptCalculator(TColumnEh* Column);
  // Keys for an open list; true when the key went to it.
  bool ListKeyDown(Word& Key, TShiftState Shift);
  bool MruKeyDown(Word& Key, TShiftState Shift);
  void ShowPopup(TWinControl* Popup, TPoint At);
  void MruListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                      Integer Y);
  bool ForeignWindow(HWND Window, TWinControl* Popup) const;
  // The column's edit buttons: made again for each cell, laid out with every move.
  void BuildExtraButtons(TColumnEh* Column);
  void LayoutExtraButtons();
  void ExtraButtonPressed(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  void ExtraButtonClicked(TObject* Sender);
  TEditButtonEh* ButtonOfControl(TObject* Control) const;
  // A shortcut of one of the column's buttons presses and clicks it.
  bool ExtraButtonShortCut(Word Key, TShiftState Shift);

  struct TExtraButton {
    Integer Index = 0;                       // in the column's EditButtons
    TEditButtonControlEh* Control = nullptr; // owned through the component tree
  };
  std::vector<TExtraButton> FExtraButtons;
  bool FPressOpenedList = false;
  // The list closed by a press on the grid (the focus or a cancel-mode notice going to the
  // grid), and the time of that press: a press on the cell's button that closed its list
  // does not open it again.
  bool FListClosedByGridPress = false;
  DWORD FListClosedAt = 0;
  Integer FExtraButtonsWidth = 0;
  TCellEditStyleEh FEditStyle = cesPlain;
  Integer FButtonWidth = 0;
  TPopupListboxEh* FPickList = nullptr;       // owned
  TPopupMonthCalendarEh* FCalendar = nullptr; // owned through the component tree
  TPopupCalculatorEh* FCalculator = nullptr;  // owned through the component tree
  TMRUListboxEh* FMruListBox = nullptr;       // owned through the component tree
  TMRUListEh* FMRUList = nullptr;             // the column's
  TPopupDataGridEh* FDataList = nullptr;      // the column's, while open
  TDataSource* FLookupSource = nullptr;       // owned through the component tree
  bool FListVisible = false;
  bool FMruOpen = false;
  bool FContentsUpdating = false;
  bool FEatChar = false;
};

// The editor of a filter cell: a combo box one pixel lower at the top.
class TInplaceFilterEditEh : public TDBComboBoxEh {
public:
  using TDBComboBoxEh::TDBComboBoxEh;
  // Sets the key value, then shows Text for it.
  void ShowKeyText(const Variant& Value, const AnsiString& Text);
};

// ---- Style ----

class TDBGridEhStyle : public TPersistent {
public:
  TDBGridEhStyle();
  ~TDBGridEhStyle() override;

  bool LightenSelection() const { return FLightenSelection; }
  void SetLightenSelection(bool Value) { FLightenSelection = Value; }
  Integer ScreenColorCount() const { return FScreenColorCount; }
  bool ApplyFilterOnSelect() const { return FApplyFilterOnSelect; }
  void SetApplyFilterOnSelect(bool Value) { FApplyFilterOnSelect = Value; }
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool Value) { FShowFocusRect = Value; }

  void AddGrid(TCustomDBGridEh* Grid);
  bool HasGrid(TCustomDBGridEh* Grid) const;
  void RemoveGrid(TCustomDBGridEh* Grid);
  Integer GridCount() const { return static_cast<Integer>(FGrids.size()); }

  virtual bool HighlightDataCell(TCustomDBGridEh* Grid, Integer ACol, Integer ARow, Integer DataCol,
                                 Integer DataRow, TGridDrawState& State, TColor& Background,
                                 TFont* Font);
  virtual bool HighlightOtherCell(TCustomDBGridEh* Grid, Integer ACol, Integer ARow,
                                  Integer DataCol, Integer DataRow, bool Highlight,
                                  const TCellTypeEh& CellType, TColor& Background, TFont* Font);
  virtual LRESULT ColorWatchProc(UINT Msg, WPARAM WParam, LPARAM LParam);
  virtual void ScreenColorsChanged();
  HWND WatchWindow() const { return FWindow; }

private:
  std::vector<TCustomDBGridEh*> FGrids;
  bool FLightenSelection = true;
  Integer FScreenColorCount = -1;
  HWND FWindow = 0;
  bool FApplyFilterOnSelect = false;
  bool FShowFocusRect = true;
};

// The style every grid uses unless given its own; created at library start-up.
TDBGridEhStyle* DefaultGridStyle();
void SetDefaultGridStyle(TDBGridEhStyle* Value);

// The blend of a colour with a "glass" colour, lightened toward 225 (AUngray: with more
// contrast), rounded half to even.
TColor MixLightColor(TColor AColor, TColor AGlassColor, bool AUngray);

// Tests switch the screen's colour count to check the 256-colour rules (-1: true colour).
void SetScreenColorCountForTests(Integer Value);
Integer ScreenColorCountNow();

// ---- Cell text drawing and helpers ----

void DrawCellText(TCanvas* Canvas, const TRect& ARect, bool FillRect, Integer DX, Integer DY,
                  const AnsiString& Text, TAlignment Alignment, TTextLayout Layout, bool MultiLine,
                  bool EndEllipsis, Integer LeftMargin, Integer RightMargin,
                  bool RightToLeftReading);
Integer DrawVerticalCellText(TCanvas* Canvas, const TRect& ARect, bool FillRect, Integer DX,
                             Integer DY, const AnsiString& Text, TAlignment Alignment,
                             TTextLayout Layout, bool EndEllipsis, bool CalcOnly);
// A copy of Font rotated by 90 degrees (the name "Default" becomes the platform's default).
void MakeVerticalFont(TFont* Font, TFont* Result);
AnsiString ShortenWithEllipsis(const AnsiString& Text, TCanvas* Canvas, Integer MaxWidth);
void DrawImageClipped(TCustomImageList* Images, TBitmap* Bitmap, TCanvas* Canvas,
                      TAlignment Alignment, Integer DX, Integer ImageIndex, const TRect& ARect);
Integer MeasureTextWidth(TCanvas* Canvas, const AnsiString& Text);
bool CellTextClipped(TCustomDBGridEh* Grid, Integer LeftMargin, Integer TopMargin,
                     const TRect& ARect, bool WordWrap, Integer& TextWidth, Integer& TextHeight,
                     const AnsiString& Text);
TGridRect MakeGridRect(Integer Left, Integer Top, Integer Right, Integer Bottom);
bool PointInGridRect(Integer Col, Integer Row, const TGridRect& Rect);
void SwapRectExtent(TRect& Rect);
void DropPendingMessage(HWND Window, UINT Msg);
[[noreturn]] void RaiseGridOperationError(const AnsiString& Text);
inline Integer IntMax(Integer A, Integer B)
{
  return A > B ? A : B;
}
inline Integer IntMin(Integer A, Integer B)
{
  return A < B ? A : B;
}
inline Integer IntChoose(bool Condition, Integer A, Integer B)
{
  return Condition ? A : B;
}
// The off-screen bitmap all grids share for text on colours the device cannot show.
TBitmap* AcquireDrawBitmap();
void ReleaseDrawBitmap();
TBitmap* SharedDrawBitmap();

// The hint window of cell tool tips: sized with the cell's font (the hint's data).
class TToolTipsWindow : public THintWindow {
public:
  explicit TToolTipsWindow(TComponent* AOwner) : THintWindow(AOwner) {}
  // The hint's extent measured in AFont (the cell's font) in the window-text colour.
  TRect CalcHintRectFont(Integer MaxWidth, const AnsiString& AHint, TFont* AFont);
  // The hint's data is the cell's font: the tip is measured and drawn in it.
  TRect CalcHintRectData(Integer MaxWidth, const AnsiString& Hint, void* Data) override;
  void ActivateHintData(TRect Rect, const AnsiString& Hint, void* Data) override;
};
THintWindow* MakeToolTipsWindow(TComponent* Owner);

// The selection cursors: over a title's lowest 7 pixels (columns) and over the indicator
// (records; the left-pointing one in right-to-left grids). Loaded at the unit's start;
// LoadGridCursors raises EOutOfResources "Cannot load cursor resource" when one fails.
extern HCURSOR ColumnSelectCursor;
extern HCURSOR RowSelectCursor;
extern HCURSOR RowSelectCursorRTL;
// The keys of the incremental search, the find dialog and the copy from the record above,
// the search's time-out and its colours: read at each use, so a program may change them.
extern TShortCut IncSearchShortCut;     // Ctrl+F
extern TShortCut SearchNextShortCut;    // Ctrl+Enter
extern TShortCut SearchPriorShortCut;   // Ctrl+Shift+Enter
extern TShortCut CopyFromAboveShortCut; // Ctrl+'
extern TShortCut FindDialogShortCut;    // Ctrl+F
extern Integer TypeToSearchTimeOut;     // milliseconds
extern TColor SearchBackgroundColor;
extern TColor SearchTextColor;
// The find dialog's entry point, stored by the find dialog's unit at start-up: the grid to
// search, the text to start with, and whether the dialog is modal. Without one, the grid's
// find keys do nothing.
using TExecuteDBGridEhFindDialogProc = void (*)(TCustomDBGridEh* Grid, const AnsiString& Text,
                                                bool Modal);
extern TExecuteDBGridEhFindDialogProc ExecuteDBGridEhFindDialogProc;
// Whether the grid opens the find dialog modally (the default) or as a tool window.
extern bool FindDialogModal;
void OpenGridFindDialog(TCustomDBGridEh* Grid, const AnsiString& Text);
void LoadGridCursors();
// Whether grids draw their fixed cells with the theme's header items (off until the program
// turns it on: grids keep their classic frames by default).
bool GridThemesEnabled();
void SetGridThemesEnabled(bool Value);
void FreeGridCursors();

// ---- Scroll-bar settings ----

class TDBGridEhScrollBar : public TPersistent {
public:
  TDBGridEhScrollBar(TCustomDBGridEh* Grid, TScrollBarKind Kind) : FGrid(Grid), FKind(Kind) {}
  // Lets go of the external bar (its notifications no longer reach the grid).
  ~TDBGridEhScrollBar() override;
  void Assign(TPersistent* Source) override;

  TScrollBarKind Kind() const { return FKind; }
  // Visible is the visible mode not being "never"; setting it gives "auto" or "never".
  bool Visible() const { return FVisibleMode != sbNeverShowEh; }
  void SetVisible(bool Value);
  TScrollBarVisibleModeEh VisibleMode() const { return FVisibleMode; }
  void SetVisibleMode(TScrollBarVisibleModeEh Value);
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  // Whether the grid's own bar may show (visible and not replaced by an external bar).
  bool IsScrollBarShowing() const { return Visible() && !FExtScrollBar; }
  // The external bar's visibility, or the own bar's (visible and in the window's style).
  bool IsScrollBarVisible() const;
  // A scroll-bar control on the form that replaces the grid's own bar: its scroll
  // notifications reach the grid as the grid's own scroll messages, and the grid sets its
  // range and position. A bar another control listens to already raises "Possible <Name>
  // already attached to the other control." and nothing changes.
  TScrollBar* ExtScrollBar() const { return FExtScrollBar; }
  void SetExtScrollBar(TScrollBar* AScrollBar);
  bool HasExternalBar() const { return FExtScrollBar != nullptr; }
  // The external bar's Visible follows Visible.
  void SyncExternalBar();
  // Range, page and position of the external bar, or of the window's own bar.
  bool ReadScrollInfo(SCROLLINFO& AInfo) const;

protected:
  friend class TCustomDBGridEh;
  void ExternalBarProc(TMessage& Message);
  // The grid clears a bar that is being freed.
  void ExtScrollBarFreed() { FExtScrollBar = nullptr; }

  TCustomDBGridEh* FGrid;
  TScrollBarKind FKind;
  TScrollBar* FExtScrollBar = nullptr;
  bool FTracking = false;
  TScrollBarVisibleModeEh FVisibleMode = sbAutoShowEh;
};

class TVertDBGridEhScrollBar : public TDBGridEhScrollBar {
public:
  explicit TVertDBGridEhScrollBar(TCustomDBGridEh* Grid) : TDBGridEhScrollBar(Grid, sbVertical) {}
};

// ---- The grid ----

class TCustomDBGridEh : public TCustomGrid, public IInplaceEditHolderEh {
public:
  explicit TCustomDBGridEh(TComponent* AOwner);
  ~TCustomDBGridEh() override;

  // ---- Settings ----
  TDBGridColumnsEh* Columns() const { return FColumns.get(); }
  TColumnDefValuesEh* ColumnDefValues() const { return FColumnDefValues.get(); }
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  TDBGridEhOptions Options() const { return FOptions; }
  void SetOptions(TDBGridEhOptions Value);
  TDBGridEhExtOptions ExtOptions() const { return FExtOptions; }
  void SetExtOptions(TDBGridEhExtOptions Value);
  TPermittedEditsEh PermittedEdits() const { return FPermittedEdits; }
  void SetPermittedEdits(TPermittedEditsEh Value) { FPermittedEdits = Value; }
  TGridSelectionKindsEh SelectableKinds() const { return FSelectableKinds; }
  void SetSelectableKinds(TGridSelectionKindsEh Value) { FSelectableKinds = Value; }
  TClipboardActionsEh ClipboardActions() const { return FClipboardActions; }
  void SetClipboardActions(TClipboardActionsEh Value) { FClipboardActions = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  TFont* TitleFont() const { return FTitleFont.get(); }
  void SetTitleFont(TFont* Value) { FTitleFont->Assign(Value); }
  TCustomImageList* TitleImages() const { return FTitleImages; }
  void SetTitleImages(TCustomImageList* Value);
  Integer TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(Integer Value);
  Integer TitleLines() const { return FTitleLines; }
  void SetTitleLines(Integer Value);
  Integer TitleTextSpacing() const { return FTitleTextSpacing; }
  void SetTitleTextSpacing(Integer Value);
  Integer FooterRowCount() const { return FFooterRowCount; }
  void SetFooterRowCount(Integer Value);
  TColor FooterColor() const { return FFooterColor; }
  void SetFooterColor(TColor Value);
  TFont* FooterFont() const { return FFooterFont.get(); }
  void SetFooterFont(TFont* Value) { FFooterFont->Assign(Value); }
  Integer RowHeight() const { return FRowHeight; }
  void SetRowHeight(Integer Value);
  Integer RowLines() const { return FRowLines; }
  void SetRowLines(Integer Value);
  bool RowSizingEnabled() const { return FRowSizingEnabled; }
  void SetRowSizingEnabled(bool Value);
  Integer FrozenColCount() const { return FFrozenColCount; }
  void SetFrozenColCount(Integer Value);
  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool Value);
  Integer AutoFitMinWidth() const { return FAutoFitMinWidth; }
  void SetAutoFitMinWidth(Integer Value);
  bool UseMultiTitle() const { return FUseMultiTitle; }
  // Fixed cells are drawn by the theme's header items: not flat, themes on, 3-D fixed cells
  // and both kinds of grid lines.
  bool ThemedFixedCells() const;
  void SetUseMultiTitle(bool Value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
  bool MemoAsText() const { return FMemoAsText; }
  void SetMemoAsText(bool Value);
  bool SyncFieldDisplayWidth() const { return FSyncFieldDisplayWidth; }
  void SetSyncFieldDisplayWidth(bool Value) { FSyncFieldDisplayWidth = Value; }
  TDBGridEhScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  TVertDBGridEhScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
  TDBGridEhStyle* Style() const { return FStyle; }
  void SetStyle(TDBGridEhStyle* Value);
  bool UseMemTableView() const { return FUseMemTableView; }
  void SetUseMemTableView(bool Value);

  // ---- Read-only companions ----
  TDBGridEhSelection* Selection() const { return FSelection.get(); }
  TBookmarkListEh* SelectedRows() const { return FSelectedRows.get(); }
  TColumnsEhList* VisibleColumns() const { return FVisibleColumns.get(); }
  TColumnsEhList* SortMarkedColumns() const { return FSortMarkedColumns.get(); }
  TGridDataLinkEh* DataLink() const { return FDataLink.get(); }
  Integer IndicatorColCount() const { return FIndicatorColCount; }
  Integer HeaderRowCount() const { return TitleRowCount() + SubTitleRowCount(); }
  virtual Integer TitleRowCount() const { return FOptions.Contains(dgTitles) ? 1 : 0; }
  virtual Integer SubTitleRowCount() const;
  Integer SelectedIndex() const { return Col() - FIndicatorColCount; }
  void SetSelectedIndex(Integer Value) { SelectDataColumn(Value); }
  TField* SelectedField();
  TColCellParamsEh* CellParams() const { return FCellParams.get(); }
  Integer VertCellSpacing() const { return FVertCellSpacing; }
  Integer EditButtonWidth() const { return FEditButtonWidth; }
  Integer EditButtonHeight() const { return FEditButtonHeight; }
  bool MultiLineRows() const { return FMultiLineRows; }
  Integer ComputedTitleHeight() const { return FComputedTitleHeight; }
  bool LayoutInProgress() const { return FLayoutInProgress; }
  Integer LayoutLock() const { return FLayoutLock; }
  Integer UpdateLock() const { return FUpdateLock; }
  // The filter row is shown (the filter row's settings are built with the filter row).
  bool STFilterVisible() const;
  void SetSTFilterVisible(bool Value);
  TSTDBGridEhFilter* STFilter() const { return FSTFilter.get(); }
  // ---- Filter row (DBGridEhFilter.cpp) ----
  bool FilterCellVisible(Integer ADataCol) const;
  AnsiString FilterCellText(Integer ADataCol) const;
  // Hands the filters to OnApplyFilter or the data service; the view is restored and
  // repainted also when applying raises.
  void ApplyFilterNow();
  void ClearFilter();
  // Filter editing (DBGridEhFilterEdit.cpp): the combo box the grid places over a filter
  // cell while the user edits the cell's filter.
  void StartFilterEdit(Integer ADataCol);
  void EndFilterEdit();
  void SetFilterEditing(bool AActive);
  void HideFilterEdit();
  void UpdateFilterEdit(bool AReinit);
  virtual void PrepareFilterEdit(Integer ADataCol);
  virtual void StoreFilterEditText(Integer ADataCol);
  virtual bool FilterEditActive();
  virtual TInplaceFilterEditEh* CreateFilterEdit();
  void MoveFilterEdit(bool AForward, bool AToEnd);
  bool IsFilterRow(Integer ACol, Integer ARow) const;
  bool FilterEditing() const { return FFilterEditing; }
  Integer FilterCol() const { return FFilterCol; }
  TInplaceFilterEditEh* FilterEdit() const { return FFilterEdit; }
  // The filter editor's holder.
  bool InplaceEditCanModify(TControl* Editor) override { return true; }
  bool GetMouseDownInfo(TPoint& Pt, Cardinal& Time) override;
  void InplaceEditWndProc(TControl* Editor, TMessage& Message) override {}
  void InplaceEditKeyDown(TControl* Editor, Word& Key, TShiftState Shift) override;
  void InplaceEditKeyPress(TControl* Editor, char& Key) override;
  void InplaceEditKeyUp(TControl* Editor, Word& Key, TShiftState Shift) override {}

  // ---- Coordinates ----
  Integer RawToDataColumn(Integer ACol) const { return ACol - FIndicatorColCount; }
  Integer DataToRawColumn(Integer ACol) const { return ACol + FIndicatorColCount; }
  TCellTypeEh GetCellType(Integer ACol, Integer ARow) const;
  // Data rows on screen: fully visible scrollable rows without footer and filler rows.
  Integer VisibleDataRowCount();

  // ---- Locks ----
  void BeginUpdate();
  void EndUpdate();
  void BeginLayout();
  bool AcquireLayoutLock();
  void EndLayout();
  void CancelLayout();
  void DeferLayout();
  virtual void LayoutChanged();

  // ---- Data link glue ----
  virtual void DataLinkStateChanged(bool Value);
  virtual void DataChanged();
  virtual void Scroll(Integer Distance);
  void RefreshMemTableLink();
  bool HasMemTable() const { return FMemTable != nullptr; }
  bool MemTableViewActive() const { return HasMemTable() && FFooterRowCount == 0; }
  IMemTableEh* MemTable() const { return FMemTable; }
  // ---- Memory-table view (DBGridEhMemTable.cpp) ----
  // One row per record of the memory table; scrolling moves only the view, the dataset's
  // current record moves the current row.
  void MemRecalcRowCount();
  void MemSyncCurrentRow();
  // Asks the memory table for enough records to fill the client area.
  void RequestRecordsForView();
  // Make a data row's record readable through the fields (an instant read of the memory
  // table, else the data link's active record); always paired, never nested.
  void BeginRowRead(Integer ADataRow);
  void EndRowRead();
  bool RowIsCurrent(Integer ADataRow);
  // Whether a data row shows a record (rows beyond the records are empty).
  bool RowHasRecord(Integer ADataRow);
  // RowCount less the header rows (and the footer and filler rows).
  Integer DataRowCount() const;
  void ClampedSetTopRow(Integer ATop);
  void MemClampTopRow();
  void MemUpdateVertScrollBar();
  void MemVertScroll(TMessage& Message);
  // The tree area's width in the first column: 18 pixels per level of the readable record.
  Integer MemTreeIndent();
  void DrawMemTreeArea(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState);
  // True when (X, Y) lies on a tree area; unless ACheckOnly a click on the node's glyph
  // expands or collapses it, keeping the view and the current record.
  bool MemTreeMouseDown(Integer X, Integer Y, bool ACheckOnly);
  virtual void FieldChanged(TField* Field);
  // ---- Editing bridge (DBGridEhEdit.cpp) ----
  virtual void UpdateData();
  bool PrepareCellEdit();
  void SelectColumn(Integer RawCol, Integer Direction, bool ExtendRect);
  void SelectDataColumn(Integer DataCol);
  TColumnEh* CurrentColumn() const;
  TDBGridInplaceEdit* CellEditor() const;
  // The base grid's editor questions, answered for the current column.
  bool CanEditModify() override;
  bool CanEditAcceptKey(char Key) override;
  AnsiString GetEditText(Integer ACol, Integer ARow) override;
  void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value) override;
  AnsiString GetEditMask(Integer ACol, Integer ARow) override;
  Integer GetEditLimit() override;

  AnsiString EditText() const { return FEditText; }
  Variant EditValue() const { return FEditValue; }
  void SetEditValue(const Variant& Value) { FEditValue = Value; }
  // ---- Incremental search and the view's position (DBGridEhSearch.cpp) ----
  void RunIncrementalSearch(const AnsiString& AddText, Integer TimeOut, Integer Direction);
  void StopIncrementalSearch();
  // The search and find-dialog shortcuts (Ctrl+F) from the grid or its cell editor: starts
  // the incremental search, or opens the find dialog with FindText; whether the key was one.
  bool FindShortCutDown(Word& Key, TShiftState Shift, const AnsiString& FindText);
  bool IncSearchActive() const { return FIncSearchActive; }
  AnsiString IncSearchText() const { return FIncSearchText; }
  // Widths fitted to titles, data and footers (DBGridEhFit.cpp).
  void FitColumnWidths(TColumnsEhList* Columns);
  void FitClickedColumnWidths(TColumnEh* Column);
  void TitleFitWidth(TColumnEh* Column, Integer& Width);
  void CellFitWidth(TColumnEh* Column, Integer& Width);
  void FooterFitWidth(TColumnEh* Column, Integer& Width);
  // Keeps the current record on its row of the view around a walk through the dataset.
  void SaveGridPosition();
  void RestoreGridPosition();
  // ---- Keyboard (DBGridEhKeys.cpp) ----
  bool SelectionAllowed(TGridSelectionKindEh Kind) const;
  // Whether the clipboard keys may act (each also needs its ClipboardActions flag).
  bool CanCopySelection();
  bool CanDeleteSelection();
  bool CanCutSelection();
  bool CanPasteClipboard();
  bool CanSelectAllRecords();
  // The cell editor exists and is shown.
  bool CellEditorShown() const;
  // Repaints a raw column from the titles to the last row on screen.
  void InvalidateGridColumn(Integer ACol);
  // Makes a raw column current (a frozen one without scrolling the view).
  void MoveToRawColumn(Integer ACol);
  // Lists the sort-marked columns again by their titles' SortIndex (1 first; gaps stay
  // empty entries).
  void RebuildSortMarkedColumns();
  void MoveBySelecting(bool Select, Integer Distance, bool RowsMode, bool ToEnd);
  // The delete confirmation's question for the selected records.
  AnsiString DeleteQuestion() const;
  void SelectFieldColumn(TField* Field);
  void InvalidateEditor();
  void InvalidateCellRange(const TGridRect& ARect);
  void InvalidateRow(Integer ARow) { TCustomGrid::InvalidateRow(ARow); }
  void InvalidateIndicator();
  void InvalidateFooter();
  void ClearSelection();
  // ---- Dragging (DBGridEhMouse.cpp) ----
  // The mouse gesture under way: none, selecting rows from the indicator or in row mode,
  // selecting columns by their titles, dragging a rectangle of cells.
  enum TTrackModeEh {
    tmNoneEh = 0,
    tmRowSelectEh = 1,
    tmColSelectEh = 2,
    tmRectEh = 3,
    tmFrozenSizeEh = 6 // sizing a frozen column by its title's right border
  };
  TTrackModeEh TrackMode() const { return FTrackMode; }
  // One step of scrolling while a drag is outside the data area; timer 1 repeats it at the
  // interval it sets (faster farther out) until the pointer is back inside.
  virtual void DragAutoScroll();
  Integer AutoScrollInterval() const { return FAutoScrollInterval; }
  bool AutoScrollRunning() const { return FAutoScrollRunning; }
  // Ends a gesture of the grid's own: timer, capture, pressed title and tracking mode.
  void EndTracking();
  // Whether (X, Y) lies on the sizing zone of a frozen column's right border in the header
  // rows; Index is the raw column, Pos the border, Ofs the border's distance from X.
  bool InFrozenSizingZone(Integer X, Integer Y, Integer& Index, Integer& Pos, Integer& Ofs);
  // The data cells' area in client coordinates (below the headers, above the filler and
  // footers, right of the fixed columns).
  TRect DataArea();
  virtual bool AcquireFocus();
  virtual void ShowCellEditor();
  void ResetStyle();
  virtual bool EditorAlwaysVisible() const;
  virtual bool SelectionActive();
  virtual void SelectionFocusChanged();
  bool HasActiveFocus();
  virtual bool RowFocusRectNeeded();
  // The test of edit permission: active link and the permitted edit for the record.
  bool EditPermitted();

  // ---- Layout (DBGridEhLayout.cpp) ----
  virtual void DefineFieldMap();
  virtual void ApplyColumnWidths();
  Integer MultiTitleHeight(THeadTreeNode* Node);
  THeadTreeNode* TitleRoot() const { return FTitleRoot.get(); }
  // The leaf of each column (by collection index) in the title tree.
  THeadTreeNode* LeafOf(Integer DataCol) const;
  TDBGridEhSumList* SumList() const { return FSumList.get(); }
  virtual AnsiString FooterCellText(Integer AFooterIndex, TColumnEh* AColumn);
  // The text a data cell's tool tip shows for the record being read: the cell's text, or
  // for image and check-box columns the pick-list entry of the cell's image or state.
  void CellTipText(TColumnEh* Column, AnsiString& Text);
  TNotifyEvent OnSumListRecalcAll;
  TNotifyEvent OnSumListAfterRecalcAll;
  // ---- Rows and scroll bars (DBGridEhRows.cpp) ----
  virtual void RecalcRowCount();
  virtual void SyncCurrentRow();
  virtual void UpdateVertScrollBar();
  virtual void UpdateHorzExtScrollBar();
  void CalcDrawInfoExt(TGridDrawInfo& Info, Integer& FrozenExtent, Integer& FooterExtent);
  // The vertical scroll bar's messages move the dataset (WM_VSCROLL).
  void WMVScroll(TMessage& Message);
  // Thumb tracking with the horizontal setting's Tracking moves the columns with the thumb.
  void WMHScroll(TMessage& Message);
  // The rows a page scrolls: the visible rows less the footer and filler rows (at least 1).
  Integer PageRowCount();
  // Range, page and position of an external bar: the page goes last, so the position is not
  // clamped by the old page.
  static void SetExternalBarValues(TScrollBar* Bar, const SCROLLINFO& Info);
  bool CanNumberRecords();
  Integer CurrentRecordNumber();
  // The vertical bar's last values (as the grid set them).
  SCROLLINFO VertScrollInfo();

  // ---- Scaling ----
  void ChangeScale(Integer M, Integer D);

  // ---- Events fired by the operations below ----
  virtual void CellClick(TColumnEh* Column);
  virtual void CheckTitleButton(Integer DataCol, bool& Enabled);
  virtual void ColEnter();
  virtual void ColExit();
  virtual void SortMarkingChanged();
  virtual void TitleButtonClick(Integer DataCol, TColumnEh* Column);
  virtual void DrawColumnCell(const TRect& Rect, Integer DataCol, TColumnEh* Column,
                              TGridDrawState State);
  virtual void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
  virtual void EditButtonClick();
  virtual void GetCellParams(TColumnEh* Column, TFont* AFont, TColor& Background,
                             TGridDrawState State);
  virtual void GetFooterParams(Integer DataCol, Integer Row, TColumnEh* Column, TFont* AFont,
                               TColor& Background, TAlignment& Alignment, TGridDrawState State,
                               AnsiString& Text);
  virtual void TitleClick(TColumnEh* Column);
  virtual void ApplyFilter();
  virtual void ApplySorting();
  void CollectDataSetFields(std::vector<TField*>& List);
  static TColor BrightenColor(TColor Color, Integer Divisor);

  TDBGridEhClickEvent OnCellClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;
  TMovedEvent OnColumnMoved;
  TNotifyEvent OnColWidthsChanged;
  TDrawColumnEhCellEvent OnDrawColumnCell;
  TDrawDataCellEvent OnDrawDataCell;
  TNotifyEvent OnEditButtonClick;
  TGetCellEhParamsEvent OnGetCellParams;
  TGetFooterParamsEvent OnGetFooterParams;
  TNotifyEvent OnSortMarkingChanged;
  TDBGridEhClickEvent OnTitleClick;
  TCheckTitleEhBtnEvent OnCheckButton;
  TDrawFooterCellEvent OnDrawFooterCell;
  TGetTitleParamsEvent OnGetTitleParams;
  TTitleEhClickEvent OnTitleBtnClick;
  TNotifyEvent OnApplyFilter;
  // Fired first by a wheel step in memory-table view; Handled stops the grid's own step.
  TEvent<void(TObject*Sender, TShiftState Shift, TPoint MousePos, bool&Handled)> OnMouseWheelDown,
      OnMouseWheelUp;

  // Whether the data link is reporting a layout change (column widths then stay generated).
  bool DataLinkLayoutChange() const { return FDataLinkLayoutChange; }
  void SetDataLinkLayoutChange(bool Value) { FDataLinkLayoutChange = Value; }
  // Layout code measures with the grid canvas; before the window exists it borrows a
  // screen context (the scope attaches and releases it).
  class TMeasureScope {
  public:
    explicit TMeasureScope(TCustomDBGridEh* Grid);
    ~TMeasureScope();

  private:
    TCustomDBGridEh* FGrid;
    bool FBorrowed = false;
  };
  TCanvas* MeasureCanvas() const { return Canvas(); }

  void Loaded() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

protected:
  friend class TGridDataLinkEh;
  friend class TColumnEh;
  friend class TDBGridColumnsEh;
  friend class TBookmarkListEh;
  friend class TDBGridEhSelection;
  friend class TDBGridEhSelectionRect;
  friend class TDBGridEhSelectionCols;
  friend class TDBGridEhStyle;
  friend class THeadTreeNode;

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
  bool CanEditShow() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  // The base grid's scrolling while dragging: up and down move the dataset past the buffer.
  void TimedScroll(TGridScrollDirection Direction) override;
  TInplaceEdit* CreateEditor() override;
  void DrawSizingLine(const TGridDrawInfo& DrawInfo) override;
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
  void TopLeftChanged() override;
  // The wheel: in memory-table view it scrolls the view (Ctrl a page, Shift moves the
  // record); otherwise it moves the dataset by a record.
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

  virtual TColumnDefValuesEh* CreateColumnDefValues();
  virtual TDBGridColumnsEh* CreateColumns();
  virtual TDBGridEhScrollBar* CreateScrollBar(TScrollBarKind Kind);
  virtual void DeferredResize();
  void WMSize();
  void CMDeferLayout();

  // The layout rebuild (DBGridEhLayout.cpp).
  void InternalLayout();
  void BuildColumnsFromFields();
  void ApplyAutoFit();
  // The auto-fit distribution itself (ApplyAutoFit holds the layout around it).
  void FitColumnWidths();
  void DropStrayDefaultColumns();
  void ApplyTitleHeight();
  void ColumnsChangedFromCollection() {}

  // Whether a key with its shift state is the given shortcut.
  static bool IsKeyOf(TShortCut ShortCut, Word Key, TShiftState Shift);
  // Cell tool tips, the hint pause and the cursor (DBGridEhHints.cpp).
  TPoint HitTestPoint();
  bool CellHasToolTips(Integer ACol, Integer ARow);
  void CMHintShowPause(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void CellToolTip(TGridCoord Cell, TColumnEh* Column, THintInfo& Info);
  void ShowCellToolTip(THintInfo& Info, const TRect& R, Integer Limit, const AnsiString& Text,
                       TAlignment Alignment, bool Wrap, bool AlwaysCut);
  // Sets the cursor the grid shows at the pointer; false leaves it to the base grid.
  bool SetGridCursor(TMessage& Message);
  std::unique_ptr<TFont> FToolTipFont;

  // Mouse selection: the column-select zone of titles and the indicator.
  bool InColumnSelectZone(TGridCoord Cell, Integer Y);
  bool SelectByMouse(TGridCoord Cell, const TCellTypeEh& Type, TShiftState Shift, Integer Y);
  // Search helpers.
  void RestartSearchTimer();
  void KillSearchTimer();
  bool SearchKeyDown(Word& Key, TShiftState Shift);
  bool SearchKeyPress(char Key);
  AnsiString CurrentCellPrefix(const AnsiString& Pattern);
  // Keyboard helpers.
  void ClearSelectionOnMove();
  bool InsertUnmodified() const;
  void RowStepDown(bool Shift);
  void RowStepUp(bool Shift);
  void TabWalk(bool Back);
  bool ConfirmDelete();
  void CopyValueFromAbove();
  void DeleteByKey();

  // Painting (DBGridEhPaint.cpp).
  void PaintLines(TGridDrawInfo& DrawInfo, Integer FrozenExtent, Integer FooterExtent);
  void PaintCells(TGridDrawInfo& DrawInfo);
  void DrawIndicatorCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState);
  void DrawTitleCell(Integer DataCol, Integer ARow, const TRect& ARect, TGridDrawState AState);
  void DrawDataCellEh(Integer ACol, Integer ARow, Integer DataCol, Integer DataRow,
                      const TRect& ARect, TGridDrawState AState);
  void DrawFooterCell(Integer DataCol, Integer FooterRow, const TRect& ARect,
                      TGridDrawState AState);
  void DrawTitleBands(Integer DataCol, const TRect& ARect);
  void DrawThemedFixedCell(const TRect& ARect, bool Hot, const TRect& Clip);
  virtual bool CellHas3DFrame(Integer ACol, Integer ARow, TGridDrawState AState,
                              const TRect& ARect);
  void Draw3DFrame(TRect& ARect, bool Raised);
  // Whether a data cell is drawn highlighted, and in which colours (the style's rule).
  virtual bool DataCellHighlightColors(Integer ACol, Integer ARow, Integer DataCol, Integer DataRow,
                                       TGridDrawState& State, TColor& Background, TFont* AFont);
  bool CellInSelection(Integer ACol, Integer ARow, const AnsiString& Bookmark, Integer DataCol);

  // Link state.
  std::unique_ptr<TDBGridColumnsEh> FColumns;
  std::unique_ptr<TColumnDefValuesEh> FColumnDefValues;
  std::unique_ptr<TGridDataLinkEh> FDataLink;
  std::unique_ptr<TColumnsEhList> FVisibleColumns;
  std::unique_ptr<TColumnsEhList> FSortMarkedColumns;

private:
  void TitleFontChanged(TObject* Sender);
  void FooterFontChanged(TObject* Sender);
  void TitleImagesChanged(TObject* Sender);
  void SumsChanged();
  void UpdateScrollBarSettings();

  TDBGridEhOptions FOptions;
  TDBGridEhExtOptions FExtOptions;
  TPermittedEditsEh FPermittedEdits;
  TGridSelectionKindsEh FSelectableKinds;
  TClipboardActionsEh FClipboardActions;
  bool FReadOnly = false;
  bool FFlat = false;
  std::unique_ptr<TFont> FTitleFont;
  TCustomImageList* FTitleImages = nullptr;
  std::unique_ptr<TChangeLink> FTitleImagesLink;
  Integer FTitleHeight = 0;
  Integer FTitleLines = 0;
  Integer FTitleTextSpacing = 10;
  Integer FFooterRowCount = 0;
  TColor FFooterColor = clWindow;
  std::unique_ptr<TFont> FFooterFont;
  Integer FRowHeight = 0;
  Integer FRowLines = 0;
  bool FRowSizingEnabled = false;
  Integer FFrozenColCount = 0;
  bool FAutoFitColWidths = false;
  Integer FAutoFitMinWidth = 0;
  bool FUseMultiTitle = false;
  bool FDefaultDrawing = true;
  bool FMemoAsText = false;
  bool FSyncFieldDisplayWidth = true;
  std::unique_ptr<TDBGridEhScrollBar> FHorzScrollBar;
  std::unique_ptr<TVertDBGridEhScrollBar> FVertScrollBar;
  TDBGridEhStyle* FStyle = nullptr;
  bool FUseMemTableView = true;
  std::unique_ptr<TDBGridEhSelection> FSelection;
  std::unique_ptr<TBookmarkListEh> FSelectedRows;
  std::unique_ptr<TColCellParamsEh> FCellParams;

  Integer FIndicatorColCount = 1;
  Integer FVertCellSpacing = 4;
  bool FDataLinkLayoutChange = false;
  Byte FLayoutLock = 0;
  Byte FUpdateLock = 0;
  bool FInColExit = false;
  TImeMode FSavedImeMode = imDontCare;
  AnsiString FSavedImeName;
  bool FParentFontTitle = false;
  bool FParentFontFooter = false;
  Integer FIndicatorRow = -1;
  bool FInDataChanged = false;
  bool FLeftEdge = true;
  bool FDeferredResize = false;
  bool FFocusOnMouseDown = true;
  bool FMultiLineRows = false;
  bool FLayoutInProgress = false;
  Integer FComputedTitleHeight = 0;
  Integer FEditButtonWidth = 16;
  Integer FEditButtonHeight = 16;
  TScrollBarVisibleModeEh FLastVertBarMode = sbAutoShowEh;
  bool FLastVertBarVisible = false;
  bool FSelectionActive = false;
  std::unique_ptr<TSTDBGridEhFilter> FSTFilter;
  TInplaceFilterEditEh* FFilterEdit = nullptr; // owned through the component tree
  Integer FFilterCol = -1;
  bool FFilterEditing = false;
  TPoint FFilterMouseDownPos;
  Cardinal FFilterMouseDownTime = 0;
  void FilterEditKeyDown(Word& Key, TShiftState Shift);
  void FilterEditCloseUp(TObject* Sender, bool Accept);
  void FilterListChoosing(TObject* Sender, bool& Accept);
  void FillFilterList(TObject* Sender);
  // A press on a filter cell starts editing it; true when it did.
  bool FilterRowMouseDown(TMessage& Message);
  std::unique_ptr<THeadTreeNode> FTitleRoot;
  std::vector<THeadTreeNode*> FLeaves;
  std::unique_ptr<TDBGridEhSumList> FSumList;
  bool FFiltering = false;
  Integer FCanvasBorrowCount = 0;
  // Keyboard and selection state.
  bool FToggleMode = false;
  bool FAnchorValid = false;
  AnsiString FAnchorBookmark;
  bool FAnchorSelected = false;
  bool FSortPending = false;
  bool FSkipThumbPosition = false;
  bool FIncSearchActive = false;
  AnsiString FIncSearchText;
  Integer FIncSearchTimeOut = -1;
  bool FIncSearchTimerRunning = false;
  bool FIncSearchMoving = false;
  AnsiString FSavedBookmark;
  Integer FSavedOffset = 0;
  Integer FPressedTitleCol = -1;
  TGridCoord FClickedCell{-1, -1};
  TGridCoord FButtonPressedCell{-1, -1}; // the cell whose edit button the mouse pressed
  // The cell being edited: its text and (key lists, lookups) its key value.
  AnsiString FEditText;
  Variant FEditValue = Null();
  Integer FCurrentFooterPaintRow = -1;
  // Dragging.
  TTrackModeEh FTrackMode = tmNoneEh;
  bool FRowDrag = false;
  bool FTrackCapture = false;
  TPoint FTrackPoint;
  TPoint FMouseDownPoint;
  Integer FAutoScrollInterval = 60;
  Integer FFrozenSizingIndex = -1;
  Integer FFrozenSizingPos = 0;
  Integer FFrozenSizingOfs = 0;
  HOVERLAY FFrozenLine = 0;
  void ShowFrozenSizingLine();
  void HideFrozenSizingLine();
  // Sets a frozen column's width from its left edge to the sizing position (at least 1).
  void SizeFrozenColumn(Integer MinWidth);
  bool FAutoScrollRunning = false;
  void StartAutoScroll(Integer Interval);
  void StopAutoScroll();
  void StartTracking(TTrackModeEh Mode);
  // Column popup menus pop up on a right-button release over a data column.
  bool ColumnPopup(Integer X, Integer Y);
  // Memory-table view.
  IMemTableEh* FMemTable = nullptr;
  TDataSet* FMemTableDataSet = nullptr;
  bool FInRequestRecords = false;
  bool FKeepSelAnchor = false;
  Integer FMemLastIndex = -2;
  bool FRowReading = false;
  bool FRowReadMem = false;
  Integer FRowReadSaved = 0;
  // Moves the current cell to a row for the memory table (the anchor stays with the
  // keep-anchor flag).
  void MemMoveCurrentRow(Integer ATarget);
  // Scrolls the view just enough to show a row.
  void MemShowRow(Integer ARow);
  // Expands or collapses a node, keeping the view's top row and, unless the table asks
  // otherwise, the current record.
  void MemSetNodeExpanded(Integer AIndex, bool AExpanded);
  // Keypad *, + and - on the current node of a tree.
  bool MemTreeKey(Word Key);
};

// The grid as programs place it.
class TDBGridEh : public TCustomDBGridEh {
public:
  explicit TDBGridEh(TComponent* AOwner) : TCustomDBGridEh(AOwner) {}
};

void RegisterDBGridEhClasses();
