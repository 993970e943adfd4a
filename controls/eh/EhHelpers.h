// Small functions and classes shared by the grid, its columns, the edit boxes and the
// drop-down lists: Variant comparison, double-click tests, images centred in a cell, dotted
// tree lines with plus/minus boxes, ';'-separated field lists, a data link reporting its
// data events, and the distinct values of a dataset field (the filter row's list).
#pragma once

#include <memory>
#include <vector>

#include "platform/data/DB.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Variants.h"

class TCustomImageList;

using TFieldsArrEh = std::vector<TField*>;

// Arrays equal an array only (same dimension count, same bounds of the first dimension,
// at least one element, elements pairwise equal); two unassigned values are equal, one is
// never equal to anything else; other values by the Variant equality, so Null equals Null.
// A comparison that raises (values that do not convert) gives false.
bool SameVariantValues(const Variant& A, const Variant& B);

// The second click lands within the double-click time and rectangle of the first.
bool IsSecondClick(TPoint First, TPoint Second, Cardinal ElapsedMs);

// Image-list colour values: no colour and the list's default colour.
constexpr TColor CLR_NONE = static_cast<TColor>(0xFFFFFFFF);
constexpr TColor CLR_DEFAULT = static_cast<TColor>(0xFF000000);
// The RGB value of a colour; clNone and clDefault become CLR_NONE and CLR_DEFAULT.
TColor ColorForImageList(TColor Color);

// Draws image Index centred in Rect, clipped to it when it does not fit (the canvas's clip
// is restored); selected images are drawn in the selected style.
void DrawImageInRect(TCanvas* Canvas, const TRect& Rect, TCustomImageList* Images, bool Selected,
                     Integer Index);

// One-pixel dots every two pixels from Start for Length pixels, drawn as one poly-polyline
// with the canvas's pen. When Start's x + y parity differs from Parity the line starts one
// pixel further and is one pixel shorter, so neighbouring lines form a chequered pattern.
void DrawDottedLine(TCanvas* Canvas, TPoint Start, Integer Length, Integer Parity, bool Horizontal);

// Tree lines in a cell. Kinds 0-5 draw a node box (0-2 expanded with a minus, 3-5 collapsed
// with a plus) with connectors above and below (0, 3), above only (1, 4) or below only
// (2, 5); kinds 6-9 draw connectors only: 6 through the cell and to the right, 7 the upper
// half and to the right, 8 the lower half and to the right, 9 through the cell. H and V
// scale the box; vertical connectors use Parity, horizontal ones parity 0.
void DrawTreeNodeLines(TCanvas* Canvas, const TRect& Rect, Integer Kind, Integer Parity, double H,
                       double V);

// Looks up each of the ';'-separated names in the dataset and appends the fields to List
// (when given). The first name without a field raises "Field '<name>' not found" with the
// component's name in front.
void ParseFieldList(TFieldsArrEh* List, TDataSet* DataSet, TComponent* Component,
                    const AnsiString& Names);
TFieldsArrEh FieldArrayOf(TDataSet* DataSet, TComponent* Component, const AnsiString& Names);
// Null clears every named field; any other value goes through the dataset's multi-field
// assignment (an array for several fields).
void AssignFieldValues(TDataSet* DataSet, const AnsiString& Names, const Variant& Value);

using TDataEventHookEh = TEvent<void(TDataEvent Event, NativeInt Info)>;

// A data link that tells its owner about every data event after handling it.
class TDataLinkEh : public TDataLink {
public:
  TDataEventHookEh DataEventHook;

protected:
  void DataEvent(TDataEvent Event, NativeInt Info) override;
};

// The distinct values of a dataset field, as a list an in-memory table can offer.
class IMemTableDataFieldValueListEh {
public:
  virtual ~IMemTableDataFieldValueListEh() = default;
  virtual TStrings* GetValues() = 0;
};

// The sorted distinct texts of one field of a dataset. The list reloads when asked after it
// went stale: a new field name or dataset, or a change of the dataset's data, properties or
// field list. Held by std::shared_ptr through its interface.
class TDatasetFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
public:
  TDatasetFieldValueListEh();
  ~TDatasetFieldValueListEh() override;

  TStrings* GetValues() override { return DistinctValues(); }
  // Reloads when stale, then answers the list.
  TStrings* DistinctValues();
  bool Stale() const { return FStale; }
  const AnsiString& ValueFieldName() const { return FFieldName; }
  void SetValueFieldName(const AnsiString& Value);
  TDataSet* SourceDataSet() const { return FDataSource->DataSet(); }
  void SetSourceDataSet(TDataSet* Value);

private:
  void ReloadValues();
  void DataEventHook(TDataEvent Event, NativeInt Info);

  std::unique_ptr<TStringList> FValues;
  bool FStale = true;
  AnsiString FFieldName;
  std::unique_ptr<TDataLinkEh> FDataLink;
  std::unique_ptr<TDataSource> FDataSource;
};
