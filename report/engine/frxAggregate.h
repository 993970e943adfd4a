// Totals of report footers: the SUM, AVG, MIN, MAX and COUNT calls found in the text
// objects of footer bands before a build, one accumulator per call, fed by every printed row
// of its data band and read when the footer prints. The engine (frxEngine.h) owns the list.
#pragma once

#include <memory>
#include <vector>

#include "report/engine/frxClass.h"

class TfrxBand;
class TfrxDataBand;
class TfrxCustomMemoView;

enum TfrxAggregateFunction { agSum, agAvg, agMin, agMax, agCount };

// One SUM/AVG/MIN/MAX/COUNT call of a text object.
class TfrxAggregateItem {
public:
  TfrxAggregateFunction Kind = agSum;
  TfrxBand* DataBand = nullptr;
  TfrxBand* ResetBand = nullptr;
  bool IncludeInvisible = false; // flags bit 0
  bool RunningTotal = false;     // flags bit 1
  bool PageFooter = false;
  AnsiString Expression; // the first argument, trimmed ('' for COUNT)
  AnsiString ObjectName;
  AnsiString Text; // the whole call, trimmed
  Variant Value;
  Integer Count = 0;
  // Per vertical column (0 .. 1000), made on first use.
  std::vector<Variant> ColumnValues;
  std::vector<Integer> ColumnCounts;
  Integer Column = 0;
  bool Keeping = false;
  Variant KeepValue;
  Integer KeepCount = 0;

  void Reset();
  void Combine(Variant& Into, const Variant& V) const;
  Variant Result() const;
};

class TfrxAggregateList {
public:
  explicit TfrxAggregateList(TfrxReport* AReport) : FReport(AReport) {}

  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TfrxAggregateItem* Items(Integer Index) const { return FItems[static_cast<size_t>(Index)].get(); }

  // Registers the calls in the text objects of Source (a footer, a page footer, a summary
  // or a vertical data band) with DefaultBand as the data band of calls that name none.
  // ResetBand is the band whose printing reads and resets them (null: the object's band).
  // A flags argument that is not an integer raises EConvertError.
  void CollectBand(TfrxBand* Source, TfrxBand* DefaultBand, TfrxBand* ResetBand = nullptr);
  // One printed row of Band (Column 0) or one vertical cell (Column = the vertical column).
  void Accumulate(TfrxBand* Band, Integer Column);
  // The value of a call made while CurrentBand prints; Null when no accumulator matches.
  void GetValue(TfrxBand* CurrentBand, Integer Column, Variant& Value, Integer Flags,
                TfrxComponent* Band, const AnsiString& Expression, const AnsiString& FuncName);
  // After Band printed: its accumulators start again (running totals that counted keep on).
  void Reset(TfrxBand* Band);
  // Between the passes of a two-pass build: every accumulator starts again.
  void ResetAll();
  // Rows printed while a keep is open count apart, and join the page-footer totals when it
  // ends (on the page the kept rows finally land on).
  void StartKeep();
  void EndKeep();

private:
  struct TScan;

  TfrxReport* FReport;
  std::vector<std::unique_ptr<TfrxAggregateItem>> FItems;
};
