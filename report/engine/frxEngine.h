// The report engine: turns a report definition into prepared pages. A build runs the pages
// once per record of the report's dataset (twice over with DoublePass, so the second pass
// knows the page count); every page instance prints its loose objects, then its data bands
// with their headers, footers and groups, walking master-detail chains, and breaks pages and
// columns when bands do not fit, reprinting titles, page and column headers and marked
// headers. Every band goes through PrepareBand (evaluate, stretch, shift, height) before the
// prepared pages (frxPreviewPages.h) store it. frxEngine.cpp holds passes, pages, bands and
// groups; frxEngineLayout.cpp columns, keep-together, splitting, subreports and vertical
// bands; the totals are frxAggregate.h's.
#pragma once

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "report/engine/frxClass.h"

class TfrxAggregateList;

class TfrxEngine : public TfrxCustomEngine {
public:
  explicit TfrxEngine(TfrxReport* AReport);
  ~TfrxEngine() override;

  void EndPage() override;
  void NewColumn() override;
  void NewPage() override;
  void ShowBand(TfrxComponent* Band) override;
  void ShowBandByClass(TClass BandClass) override;
  Extended FootersHeight() override;
  Extended FreeSpace() override;
  Variant AggregateValue(const AnsiString& FuncName, const AnsiString& Expression, Variant& Value,
                         Integer Flags, TfrxComponent* Band) override;
  bool BuildReport() override;

  TfrxAggregateList* Aggregates() const { return FAggregates.get(); }

private:
  // What the engine keeps of a band during a build.
  struct TBandInfo {
    std::vector<TfrxDataBand*> Details;   // detail bands (of a data band) with datasets
    std::vector<TfrxGroupHeader*> Groups; // a data band's group headers, outermost first
    TfrxBand* Header = nullptr;
    TfrxBand* Footer = nullptr; // of a data band, or a group header's footer
    Variant LastValue;          // a group header's last condition value
    Integer Line = 1;           // "Line": within the current group
    Integer LineThrough = 1;    // "Line#": within the run of the band
    Extended MaxY = 0;          // the lowest bottom of a multi-column band's row set
    bool HasCells = false;      // a horizontal band holding cells of vertical bands
    bool ShiftTreeBuilt = false;
    std::vector<TfrxComponent*> TopShift; // objects without an object above them
  };
  struct TObjectInfo {
    std::vector<TfrxComponent*> ShiftChildren;
    Extended StretchDelta = 0;
    TfrxBand* OriginBand = nullptr; // a cell moved into a vertical band
  };
  struct THeaderEntry {
    TfrxBand* Band = nullptr;
    Extended X = 0;
    bool AddedWhileKeeping = false;
  };
  struct TPageInfo {
    std::vector<TfrxDataBand*> Masters, VerticalMasters;
    std::vector<TfrxBand*> VerticalBands;
  };

  TBandInfo& Info(TfrxBand* Band) { return FBands[Band]; }
  TObjectInfo& ObjInfo(TfrxComponent* Obj) { return FObjects[Obj]; }

  // ---- Passes and pages (frxEngine.cpp) ----
  bool InitializeBuild();
  void CheckDataSets();
  bool RunDialogs();
  void RunPass();
  void RunReportPages();
  void RunPage(TfrxReportPage* Page);
  void RunPageInstance();
  void StartPage();
  void NewPageStart();
  void ShowPageObjects();
  void ShowFooterBand(TfrxBand* Band);
  void AddPageOutline();
  bool HasData(TfrxComponent* Owner, bool PrintIfEmpty);

  // ---- Bands ----
  void ShowBandCore(TfrxBand* Band);
  void PrepareBand(TfrxBand* Band);
  void FinishBand(TfrxBand* Band);
  void OutputBand(TfrxBand* Band);
  void BuildShiftTree(TfrxBand* Band);
  void ShiftObjects(TfrxComponent* Parent, const std::vector<TfrxComponent*>& Children,
                    Extended Bottom, Extended X);
  void PrepareBandTree(TfrxReportPage* Page, bool Vertical);
  void CollectAggregates(TfrxReportPage* Page);
  void AddBandOutline(TfrxBand* Band);
  void SetLineNumbers(TfrxBand* Band);
  void ResetLastValues(TfrxBand* Band);

  // ---- Data bands and groups ----
  void RunDataBands(TfrxComponent* Owner);
  void StartGroups(TfrxDataBand* Band, size_t From, bool Initial);
  void EndGroups(TfrxDataBand* Band, size_t From);
  void CheckGroups(TfrxDataBand* Band);
  void AddHeader(TfrxBand* Band, Extended X);
  void RemoveHeader(TfrxBand* Band);

  // ---- Layout (frxEngineLayout.cpp) ----
  void StartKeep(TfrxBand* Band, Integer Position = 0);
  void EndKeep(TfrxBand* Band);
  void ShowColumnFooter();
  void StartNewColumn();
  void NextDataColumn(TfrxDataBand* Band, Integer Position, Extended Y0);
  void CloseDataColumns(TfrxDataBand* Band, Integer Position, Extended Y0);
  void SplitBand(TfrxBand* Band);
  void RunSubreports(TfrxBand* Band);
  void RunInlineSubreports(TfrxBand* Band);
  void StartCrossBand(TfrxBand* Band);
  void RunVerticalBands(const std::vector<TfrxDataBand*>& Bands);
  void OutputVerticalCell(TfrxBand* Band);
  void OutputCrossBand(TfrxBand* Band);

  std::unique_ptr<TfrxAggregateList> FAggregates;
  std::unordered_map<TfrxBand*, TBandInfo> FBands;
  std::unordered_map<TfrxComponent*, TObjectInfo> FObjects;
  std::unordered_map<TfrxReportPage*, TPageInfo> FPages;

  TfrxReportPage* FPage = nullptr;
  std::vector<THeaderEntry> FHeaders;
  std::vector<TfrxBand*> FVHeaders;
  std::vector<TfrxBand*> FFooters;
  Extended FColumnTop = 0;
  Extended FXOffset = 0;
  TfrxBand* FCurBand = nullptr;
  bool FFirstPage = false, FLastPage = false;
  bool FPageRunStart = false, FBuildStart = false, FReprinting = false;
  // Nothing but the overlay and reprinted headers is on the current page (or column): a band
  // that does not fit is output overflowing, since a break could not give it more room.
  bool FFreshPage = false;
  // Keep-together.
  bool FKeeping = false;
  TfrxBand* FKeepBand = nullptr;
  Integer FKeepPosition = 0;
  TObject* FKeepOutline = nullptr;
  // Subreports printed inside a band collect their bands here.
  TfrxBand* FInlineCollector = nullptr;
  // Vertical bands.
  TfrxBand* FCrossBand = nullptr;
  bool FCrossAllowSplit = false;
  bool FVReprinting = false;
  // Where the cells of each page-wide segment start among the cross band's objects.
  std::vector<Integer> FCrossSegments;
};
