// The engine's passes, pages, bands, data bands and groups. frxEngine.h gives the picture.
#include "report/engine/frxEngine.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Forms.h"
#include "report/engine/frxAggregate.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxRes.h"

namespace {

constexpr Extended MmToPx = 3.77953L;
constexpr Extended Tolerance = 0.0001L;

std::vector<TfrxComponent*> Children(TfrxComponent* Obj)
{
  std::vector<TfrxComponent*> result;
  TList* list = Obj->Objects();
  result.reserve(static_cast<size_t>(list->Count()));
  for (Integer i = 0; i < list->Count(); ++i)
    result.push_back(static_cast<TfrxComponent*>(list->Items(i)));
  return result;
}

std::vector<TfrxComponent*> Descendants(TfrxComponent* Obj)
{
  std::vector<TfrxComponent*> result;
  TList* list = Obj->AllObjects();
  result.reserve(static_cast<size_t>(list->Count()));
  for (Integer i = 0; i < list->Count(); ++i)
    result.push_back(static_cast<TfrxComponent*>(list->Items(i)));
  return result;
}

bool IsDataBand(TfrxBand* Band)
{
  return dynamic_cast<TfrxDataBand*>(Band) != nullptr;
}

TfrxDataSet* DataSetOf(TfrxDataBand* Band)
{
  return Band->DataSet();
}

// A bottom frame line of a dot-matrix text takes a character row of its own.
bool HasDMPBottomLine(TfrxComponent* Obj)
{
  auto* memo = dynamic_cast<TfrxDMPMemoView*>(Obj);
  return memo && memo->Frame()->Typ().Contains(ftBottom);
}

// Group conditions compare as values; Null equals only Null, and values that cannot be
// compared differ.
bool SameGroupValue(const Variant& A, const Variant& B)
{
  if (VarIsNull(A) || VarIsNull(B))
    return VarIsNull(A) == VarIsNull(B);
  try {
    return A == B;
  } catch (const Exception&) {
    return false;
  }
}

} // namespace

TfrxEngine::TfrxEngine(TfrxReport* AReport)
    : TfrxCustomEngine(AReport), FAggregates(std::make_unique<TfrxAggregateList>(AReport))
{
}

TfrxEngine::~TfrxEngine() = default;

// ---- The build ----

bool TfrxEngine::BuildReport()
{
  TfrxReport* report = Report();
  auto* pages = PreviewPages();
  bool result = false;
  TScopeExit finish([&] {
    report->DataSets()->FinalizeAll();
    pages->Finish();
    SetRunning(false);
    FInlineCollector = nullptr;
    FCrossBand = nullptr;
  });
  if (!InitializeBuild())
    return false;
  report->DataSets()->InitializeAll();
  report->RunScriptEvent(report, report->OnStartReport);
  if (RunDialogs()) {
    SetFinalPass(!DoublePass());
    SetTotalPages(0);
    pages->BeginPass();
    RunPass();
    if (DoublePass()) {
      SetTotalPages(pages->PageCount());
      pages->ClearFirstPassPages();
      FAggregates->ResetAll();
      SetFinalPass(true);
      RunPass();
    }
    result = true;
  }
  report->RunScriptEvent(report, report->OnStopReport);
  return result;
}

bool TfrxEngine::InitializeBuild()
{
  TfrxReport* report = Report();
  PreviewPages()->Initialize();
  SetStartDate(Date());
  SetStartTime(Time());
  SetRunning(true);
  FKeeping = false;
  FKeepBand = nullptr;
  SetCurVColumn(0);
  FInlineCollector = nullptr;
  FCrossBand = nullptr;
  FAggregates->Clear();
  FBands.clear();
  FObjects.clear();
  FPages.clear();
  for (Integer i = 0; i < report->PageCount(); ++i) {
    auto* page = dynamic_cast<TfrxReportPage*>(report->Pages(i));
    if (!page)
      continue; // dialog pages have no controls in this system: nothing to prepare
    FPage = page;
    PreviewPages()->AddSourcePage(page);
    PrepareBandTree(page, false);
    PrepareBandTree(page, true);
    CollectAggregates(page);
  }
  CheckDataSets();
  return report->Errors()->Count() == 0;
}

void TfrxEngine::CheckDataSets()
{
  TfrxReport* report = Report();
  TfrxDataSet* reportDs = report->DataSet();
  for (Integer i = 0; i < report->PageCount(); ++i) {
    auto* page = dynamic_cast<TfrxReportPage*>(report->Pages(i));
    if (!page)
      continue;
    if (reportDs && reportDs == page->DataSet()) {
      report->Errors()->Add("Cannot use the same dataset for Report.DataSet and Page.DataSet");
      return;
    }
    for (TfrxDataBand* band : FPages[page].Masters) {
      if (reportDs && band->DataSet() == reportDs) {
        report->Errors()->Add("Cannot use the same dataset for Report.DataSet and Band.DataSet");
        break;
      }
      if (page->DataSet() && band->DataSet() == page->DataSet()) {
        report->Errors()->Add("Cannot use the same dataset for Page.DataSet and Band.DataSet");
        break;
      }
    }
  }
}

bool TfrxEngine::RunDialogs()
{
  // Dialog pages hold no controls in this system, and a window without controls is
  // skipped: nothing is shown and the build goes on.
  return true;
}

void TfrxEngine::RunPass()
{
  TfrxReport* report = Report();
  FBuildStart = true;
  if (TfrxDataSet* ds = report->DataSet()) {
    ds->First();
    while (!ds->Eof() && !report->Terminated()) {
      RunReportPages();
      ds->Next();
    }
  } else {
    RunReportPages();
  }
}

void TfrxEngine::RunReportPages()
{
  TfrxReport* report = Report();
  for (Integer i = 0; i < report->PageCount(); ++i) {
    auto* page = dynamic_cast<TfrxReportPage*>(report->Pages(i));
    if (!page)
      continue;
    if (!page->IsSubreportPage() && page->Visible()) {
      FPage = page;
      RunPage(page);
    }
    if (report->Terminated())
      break;
    FBuildStart = false;
  }
}

void TfrxEngine::RunPage(TfrxReportPage* Page)
{
  TfrxReport* report = Report();
  if (Page->IsSubreportPage()) {
    // Only its data bands, at the current position of the page that prints it.
    RunDataBands(Page);
    return;
  }
  FPageRunStart = true;
  report->RunScriptEvent(Page, Page->OnBeforePrint);
  if (TfrxDataSet* ds = Page->DataSet()) {
    ds->First();
    while (!ds->Eof() && !report->Terminated()) {
      RunPageInstance();
      ds->Next();
    }
  } else {
    RunPageInstance();
  }
  report->RunScriptEvent(Page, Page->OnAfterPrint);
}

void TfrxEngine::RunPageInstance()
{
  TfrxReport* report = Report();
  if (!HasData(FPage, report->EngineOptions()->PrintIfEmpty()))
    return;
  StartPage();
  ShowPageObjects();
  if (report->OnManualBuild)
    report->OnManualBuild(FPage);
  else if (!Trim(FPage->OnManualBuild).empty())
    report->RunScriptEvent(FPage, Trim(FPage->OnManualBuild));
  else
    RunDataBands(FPage);
  ShowBandByClass(ClassInfoOf<TfrxReportSummary>());
  FLastPage = true;
  EndPage();
  FLastPage = false;
}

bool TfrxEngine::HasData(TfrxComponent* Owner, bool PrintIfEmpty)
{
  if (PrintIfEmpty)
    return true;
  auto* band = dynamic_cast<TfrxBand*>(Owner);
  const std::vector<TfrxDataBand*>& list =
      band ? Info(band).Details : FPages[static_cast<TfrxReportPage*>(Owner)].Masters;
  if (list.empty())
    return band != nullptr;
  bool result = false;
  for (TfrxDataBand* b : std::vector<TfrxDataBand*>(list)) {
    Report()->RunScriptEvent(b, b->OnMasterDetail);
    TfrxDataSet* ds = DataSetOf(b);
    ds->First();
    if (!result && !ds->Eof() && HasData(b, b->PrintIfDetailEmpty()))
      result = true;
  }
  return result;
}

void TfrxEngine::StartPage()
{
  FHeaders.clear();
  auto* title = FPage->FindBand(ClassInfoOf<TfrxReportTitle>());
  auto* header = FPage->FindBand(ClassInfoOf<TfrxPageHeader>());
  if (FPage->TitleBeforeHeader()) {
    FHeaders.push_back({title, 0, false});
    FHeaders.push_back({header, 0, false});
  } else {
    FHeaders.push_back({header, 0, false});
    FHeaders.push_back({title, 0, false});
  }
  FFooters.clear();
  if (TfrxBand* b = FPage->FindBand(ClassInfoOf<TfrxColumnFooter>()))
    FFooters.push_back(b);
  if (TfrxBand* b = FPage->FindBand(ClassInfoOf<TfrxPageFooter>()))
    FFooters.push_back(b);
  SetPageHeight(FPage->PaperHeight() * MmToPx - FPage->TopMargin() * MmToPx -
                FPage->BottomMargin() * MmToPx);
  SetPageWidth(FPage->PaperWidth() * MmToPx - FPage->LeftMargin() * MmToPx -
               FPage->RightMargin() * MmToPx);
  SetCurX(0);
  SetCurY(0);
  SetCurColumn(1);
  FXOffset = 0;
  FFirstPage = true;
  FLastPage = false;
  auto* pages = PreviewPages();
  if (pages->PageCount() > 0 && FPage->PrintOnPreviousPage()) {
    pages->SetCurPage(pages->PageCount() - 1);
    SetCurY(pages->GetLastY());
    FFreshPage = false;
    ShowBandByClass(ClassInfoOf<TfrxReportTitle>());
  } else {
    NewPageStart();
  }
  if (FBuildStart)
    pages->SetFirstPage(pages->CurPage());
  FColumnTop = CurY();
  TfrxBand* columnHeader = FPage->FindBand(ClassInfoOf<TfrxColumnHeader>());
  ShowBand(columnHeader);
  FHeaders.push_back({columnHeader, 0, false});
  for (THeaderEntry& entry : FHeaders)
    if (entry.Band && entry.Band == title)
      entry.Band = nullptr;
  AddPageOutline();
}

void TfrxEngine::AddPageOutline()
{
  TfrxCustomOutline* outline = PreviewPages()->Outline();
  outline->LevelRoot();
  if (!FPage->OutlineText().empty())
    outline->AddItem(VarToStr(Report()->Calc(FPage->OutlineText())), 0);
}

void TfrxEngine::NewPageStart()
{
  PreviewPages()->AddPage(FPage);
  SetCurY(0);
  ShowBandByClass(ClassInfoOf<TfrxOverlay>());
  SetCurY(0);
  FFreshPage = true;
  const Extended savedX = CurX();
  for (size_t i = 0; i < FHeaders.size(); ++i) {
    THeaderEntry entry = FHeaders[i];
    TfrxBand* band = entry.Band;
    if (!band)
      continue;
    if (auto* ph = dynamic_cast<TfrxPageHeader*>(band); ph && FFirstPage && !ph->PrintOnFirstPage())
      continue;
    if (FKeeping && entry.AddedWhileKeeping)
      continue;
    SetCurX(entry.X);
    band->SetOverflow(true);
    SetLineNumbers(band);
    FReprinting = true;
    if (dynamic_cast<TfrxReportTitle*>(band))
      FHeaders[i].Band = nullptr;
    TScopeExit done([&] {
      FReprinting = false;
      band->SetOverflow(false);
    });
    ShowBand(band);
  }
  SetCurX(savedX);
}

void TfrxEngine::ShowPageObjects()
{
  std::vector<TfrxComponent*> loose;
  for (TfrxComponent* obj : Children(FPage))
    if (!obj->IsBand())
      loose.push_back(obj);
  if (loose.empty())
    return;
  // The objects are borrowed by a band of the engine's own for one output.
  TfrxNullBand band(nullptr);
  for (TfrxComponent* obj : loose)
    band.Objects()->Add(obj);
  TScopeExit giveBack([&] {
    band.Objects()->Clear();
    FBands.erase(&band);
  });
  ShowBand(&band);
}

void TfrxEngine::EndPage()
{
  if (FPage->Columns() > 1) {
    ShowColumnFooter();
    SetCurX(FXOffset);
    SetCurColumn(1);
    FColumnTop = 0;
  }
  for (TfrxBand* band : FFooters) {
    if (dynamic_cast<TfrxPageFooter*>(band))
      SetCurY(PageHeight() - band->Height());
    ShowFooterBand(band);
  }
  FFirstPage = false;
}

void TfrxEngine::ShowFooterBand(TfrxBand* Band)
{
  PrepareBand(Band);
  if (Band->Visible()) {
    Band->SetLeft(0);
    Band->SetTop(CurY());
    auto* pf = dynamic_cast<TfrxPageFooter*>(Band);
    const bool skip =
        pf && ((FFirstPage && !pf->PrintOnFirstPage()) || (FLastPage && !pf->PrintOnLastPage()));
    if (!skip && !PreviewPages()->BandExists(Band)) {
      PreviewPages()->AddObject(Band);
      SetCurY(CurY() + Band->Height());
    }
  }
  FinishBand(Band);
  FAggregates->Reset(Band);
}

void TfrxEngine::NewPage()
{
  if (FKeeping)
    PreviewPages()->CutObjects(FKeepPosition);
  EndPage();
  NewPageStart();
  if (FKeeping) {
    FAggregates->EndKeep();
    PreviewPages()->PasteObjects(0, CurY());
    PreviewPages()->Outline()->ShiftItems(FKeepOutline, static_cast<Integer>(Round(CurY())));
    SetCurY(PreviewPages()->GetLastY());
    FFreshPage = false;
    FKeeping = false;
    FKeepBand = nullptr;
  }
  AddPageOutline();
}

Extended TfrxEngine::FootersHeight()
{
  Extended result = 0;
  for (TfrxBand* band : FFooters)
    result += band->Height();
  return result;
}

Extended TfrxEngine::FreeSpace()
{
  return PageHeight() - FootersHeight() - CurY();
}

Variant TfrxEngine::AggregateValue(const AnsiString& FuncName, const AnsiString& Expression,
                                   Variant& Value, Integer Flags, TfrxComponent* Band)
{
  FAggregates->GetValue(FCurBand, CurVColumn(), Value, Flags, Band, Expression, FuncName);
  return Value;
}

// ---- Bands ----

void TfrxEngine::ShowBandByClass(TClass BandClass)
{
  if (FPage)
    ShowBand(FPage->FindBand(BandClass));
}

void TfrxEngine::ShowBand(TfrxComponent* Component)
{
  auto* band = dynamic_cast<TfrxBand*>(Component);
  if (!band)
    return;
  if (band->KeepChild())
    StartKeep(band);
  ShowBandCore(band);
  if (TfrxBand* child = band->Child(); child && (band->Visible() || band->PrintChildIfInvisible()))
    ShowBand(child);
  if (band->KeepChild())
    EndKeep(band);
  if (IsDataBand(band))
    FAggregates->Accumulate(band, 0);
}

void TfrxEngine::ShowBandCore(TfrxBand* Band)
{
  if (Info(Band).HasCells && !FInlineCollector)
    StartCrossBand(Band);
  if (Band->Vertical()) {
    OutputVerticalCell(Band);
    return;
  }
  auto* dataBand = dynamic_cast<TfrxDataBand*>(Band);
  const bool counted = dataBand || dynamic_cast<TfrxGroupHeader*>(Band);
  if (!FReprinting && Band->Visible() && Band->StartNewPage() && !FInlineCollector &&
      (!counted || Info(Band).LineThrough != 1))
    NewPage();
  PrepareBand(Band);
  bool split = false;
  const bool multiColumn = dataBand && dataBand->Columns() > 1;
  if (Band->Visible() && !multiColumn && !dynamic_cast<TfrxOverlay*>(Band) && !FInlineCollector &&
      !FReprinting && FreeSpace() < Band->Height()) {
    if (Band->AllowSplit()) {
      SplitBand(Band);
      split = true;
    } else if (!FFreshPage) {
      NewColumn();
    }
  }
  if (Band->Visible() && !split) {
    if (!dynamic_cast<TfrxNullBand*>(Band)) {
      Band->SetLeft(multiColumn ? Band->Left() + CurX() : CurX());
      Band->SetTop(CurY());
    }
    OutputBand(Band);
    SetCurY(CurY() + Band->Height());
  }
  FinishBand(Band);
  if (Band == FCrossBand) {
    Band->SetAllowSplit(FCrossAllowSplit);
    FCrossBand = nullptr;
  }
  if (dynamic_cast<TfrxFooter*>(Band) || dynamic_cast<TfrxGroupFooter*>(Band) ||
      dynamic_cast<TfrxPageFooter*>(Band) || dynamic_cast<TfrxReportSummary*>(Band))
    FAggregates->Reset(Band);
  if (Band->Visible())
    RunSubreports(Band);
}

void TfrxEngine::OutputBand(TfrxBand* Band)
{
  auto* pages = PreviewPages();
  if (FInlineCollector) {
    // A copy of the band with its objects goes into the collector, at the band's place.
    auto* copy = new TfrxNullBand(nullptr);
    copy->SetParent(FInlineCollector);
    copy->SetBounds(Band->Left(), Band->Top(), Band->Width(), Band->Height());
    for (TfrxComponent* obj : Children(Band)) {
      if (!obj->Visible())
        continue;
      auto* dup = dynamic_cast<TfrxComponent*>(obj->ClassType()->Create(nullptr));
      if (!dup)
        continue;
      dup->Assign(obj);
      dup->SetParent(copy);
    }
    return;
  }
  if (FCrossBand == Band) {
    OutputCrossBand(Band);
    return;
  }
  if (FReprinting && pages->BandExists(Band))
    return;
  pages->AddObject(Band);
  if (!FReprinting && !dynamic_cast<TfrxOverlay*>(Band))
    FFreshPage = false;
}

void TfrxEngine::PrepareBand(TfrxBand* Band)
{
  TfrxReport* report = Report();
  FCurBand = Band;
  TBandInfo& info = Info(Band);
  if (!info.ShiftTreeBuilt)
    BuildShiftTree(Band);
  const bool crossPrepared = Band == FCrossBand;
  if (!crossPrepared) {
    report->SetCurrentObjectName(Band->Name());
    Band->SaveState();
    report->DoBeforePrint(Band);
  }
  bool inlineSubreports = false;
  bool grew = false;
  for (TfrxComponent* c : Descendants(Band)) {
    auto* obj = dynamic_cast<TfrxReportComponent*>(c);
    if (!obj)
      continue;
    if (auto* sub = dynamic_cast<TfrxSubreport*>(obj); sub && sub->PrintOnParent())
      inlineSubreports = true;
    if (crossPrepared)
      continue;
    report->SetCurrentObjectName(obj->Name());
    obj->SaveState();
    if (Band->Visible()) {
      report->DoBeforePrint(obj);
      if (obj->Visible()) {
        obj->EvaluateData();
        if (auto* view = dynamic_cast<TfrxView*>(obj))
          report->RunScriptEvent(obj, view->OnAfterData);
      }
    }
    auto* stretch = dynamic_cast<TfrxStretcheable*>(obj);
    if (Band->Visible() && obj->Visible() && stretch && stretch->StretchMode() != smDontStretch) {
      const Extended h = stretch->CalcHeight();
      TObjectInfo& oi = ObjInfo(obj);
      if (h <= obj->Height()) {
        oi.StretchDelta = 0;
      } else {
        oi.StretchDelta = h - obj->Height();
        obj->SetHeight(h);
        grew = true;
      }
    }
  }
  if (!Band->Visible())
    return;
  if (grew)
    ShiftObjects(Band, info.TopShift, Band->Top() + Band->Height(), 0);
  if (inlineSubreports)
    RunInlineSubreports(Band);
  Extended bottom = 0;
  for (TfrxComponent* obj : Children(Band)) {
    Extended b = obj->Top() + obj->Height();
    if (HasDMPBottomLine(obj))
      b += 17;
    bottom = std::max(bottom, b);
  }
  if (Band->Stretched())
    Band->SetHeight(bottom);
  report->SetCurrentObjectName(Band->Name());
  report->RunScriptEvent(Band, Band->OnAfterCalcHeight);
  for (TfrxComponent* obj : Children(Band)) {
    auto* stretch = dynamic_cast<TfrxStretcheable*>(obj);
    if (stretch && stretch->StretchMode() == smMaxHeight)
      obj->SetHeight(bottom - obj->Top() - (HasDMPBottomLine(obj) ? 17 : 0));
  }
}

void TfrxEngine::BuildShiftTree(TfrxBand* Band)
{
  TBandInfo& info = Info(Band);
  info.ShiftTreeBuilt = true;
  info.TopShift.clear();
  const std::vector<TfrxComponent*> objects = Children(Band);
  for (TfrxComponent* obj : objects)
    ObjInfo(obj).ShiftChildren.clear();
  for (TfrxComponent* obj : objects) {
    TfrxComponent* parent = nullptr;
    Extended gap = 1e10L;
    for (TfrxComponent* other : objects) {
      if (other == obj)
        continue;
      const Extended otherBottom = other->Top() + other->Height();
      if (otherBottom - obj->Top() >= Tolerance)
        continue; // not above
      if (other->Left() >= obj->Left() + obj->Width() - Tolerance ||
          other->Left() + other->Width() <= obj->Left() + Tolerance)
        continue; // no horizontal overlap
      const Extended g = obj->Top() - otherBottom;
      if (g < gap) {
        gap = g;
        parent = other;
      }
    }
    if (parent)
      ObjInfo(parent).ShiftChildren.push_back(obj);
    else
      info.TopShift.push_back(obj);
  }
}

// Moves the objects below Parent: Bottom is Parent's bottom after it stretched and moved, X
// how far the objects that always shift move.
void TfrxEngine::ShiftObjects(TfrxComponent* Parent, const std::vector<TfrxComponent*>& Children,
                              Extended Bottom, Extended X)
{
  for (TfrxComponent* child : Children) {
    auto* view = dynamic_cast<TfrxView*>(child);
    const TfrxShiftMode mode = view ? view->ShiftMode() : smAlways;
    TObjectInfo& oi = ObjInfo(child);
    Extended moved = 0;
    switch (mode) {
    case smAlways:
      moved = Parent->IsBand() ? 0 : X;
      break;
    case smWhenOverlapped:
      // Objects with no object above them cannot be overlapped.
      if (!Parent->IsBand() && child->Top() < Bottom)
        moved = Bottom - child->Top();
      break;
    case smDontShift:
      continue;
    }
    child->SetTop(child->Top() + moved);
    if (!oi.ShiftChildren.empty())
      ShiftObjects(child, oi.ShiftChildren, child->Top() + child->Height(),
                   moved + oi.StretchDelta);
  }
}

void TfrxEngine::FinishBand(TfrxBand* Band)
{
  TfrxReport* report = Report();
  // Objects added to the band while it printed (inline subreports, cells) go first.
  const Integer original = Band->OriginalObjectsCount();
  if (original >= 0) {
    while (Band->Objects()->Count() > original) {
      auto* obj = static_cast<TfrxComponent*>(Band->Objects()->Items(Band->Objects()->Count() - 1));
      FObjects.erase(obj);
      delete obj;
    }
    Band->SetOriginalObjectsCount(-1);
  }
  const std::vector<TfrxComponent*> objects = Descendants(Band);
  for (TfrxComponent* c : objects) {
    auto* obj = dynamic_cast<TfrxReportComponent*>(c);
    if (!obj)
      continue;
    if (Band->Visible()) {
      report->SetCurrentObjectName(obj->Name());
      report->DoAfterPrint(obj);
    }
    obj->RestoreState();
  }
  report->DoAfterPrint(Band);
  Band->RestoreState();
}

void TfrxEngine::SetLineNumbers(TfrxBand* Band)
{
  const TBandInfo& info = Info(Band);
  SetCurLine(info.Line);
  SetCurLineThrough(info.LineThrough);
}

void TfrxEngine::ResetLastValues(TfrxBand* Band)
{
  for (TfrxComponent* c : Descendants(Band))
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(c))
      memo->ResetBuildState();
}

void TfrxEngine::AddBandOutline(TfrxBand* Band)
{
  if (Band->OutlineText().empty())
    return;
  Report()->SetCurrentObjectName(Band->Name());
  const Variant text = Report()->Calc(Band->OutlineText());
  PreviewPages()->Outline()->AddItem(VarToStr(text),
                                     static_cast<Integer>(Round(CurY() - Band->Height())));
}

// ---- The band tree ----

void TfrxEngine::PrepareBandTree(TfrxReportPage* Page, bool Vertical)
{
  TfrxReport* report = Report();
  TPageInfo& pageInfo = FPages[Page];
  Page->AlignChildren();
  (Vertical ? pageInfo.VerticalMasters : pageInfo.Masters).clear();
  std::vector<TfrxBand*> bands;
  std::vector<TfrxBand*> vertical;
  for (TfrxComponent* obj : Children(Page))
    if (auto* band = dynamic_cast<TfrxBand*>(obj)) {
      if (band->Vertical())
        vertical.push_back(band);
      if (band->Vertical() != Vertical)
        continue;
      bands.push_back(band);
    }
  for (TfrxBand* band : bands) {
    TBandInfo& info = Info(band);
    info.Details.clear();
    info.Groups.clear();
    info.Header = info.Footer = nullptr;
    info.HasCells = false;
    info.ShiftTreeBuilt = false;
    if (auto* db = dynamic_cast<TfrxDataBand*>(band); db && !db->DataSet() && db->RowCount() > 0) {
      db->SetDataSet(db->VirtualDataSet());
      db->VirtualDataSet()->OpenForReport();
    }
  }
  if (!Vertical && !vertical.empty()) {
    pageInfo.VerticalBands = vertical;
    for (TfrxBand* band : bands)
      for (TfrxBand* vb : vertical)
        for (TfrxComponent* obj : Children(band)) {
          if (obj->Left() < vb->Left() - Tolerance ||
              obj->Left() + obj->Width() > vb->Left() + vb->Width() + Tolerance)
            continue;
          ObjInfo(obj).OriginBand = band;
          obj->SetLeft(obj->Left() - vb->Left());
          obj->SetParent(vb);
          Info(band).HasCells = true;
        }
  }

  // Bands of kinds 4 to 13 sorted by position; of two with the same key, the first counts.
  std::vector<std::pair<AnsiString, TfrxBand*>> sorted;
  for (TfrxBand* band : bands) {
    const Integer kind = band->KindIndex();
    if (kind < 4 || kind > 13)
      continue;
    const AnsiString key = Format("%9.2f", {Vertical ? band->Left() : band->Top()});
    if (std::any_of(sorted.begin(), sorted.end(), [&](const auto& e) { return e.first == key; }))
      continue;
    sorted.emplace_back(key, band);
  }
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<TfrxBand*> list;
  for (auto& e : sorted)
    list.push_back(e.second);

  auto error = [&](const char* Id, TfrxBand* Band) {
    report->Errors()->Add(ReportResources()->Lookup(Id) + " " + Band->Name());
  };
  // Groups: consecutive group headers nest for the next data band.
  for (size_t i = 0; i < list.size(); ++i) {
    if (!dynamic_cast<TfrxGroupHeader*>(list[i]) ||
        (i > 0 && dynamic_cast<TfrxGroupHeader*>(list[i - 1])))
      continue;
    size_t j = i;
    std::vector<TfrxGroupHeader*> nest;
    while (j < list.size() && dynamic_cast<TfrxGroupHeader*>(list[j]))
      nest.push_back(static_cast<TfrxGroupHeader*>(list[j++]));
    while (j < list.size() && !IsDataBand(list[j]))
      ++j;
    if (j < list.size())
      Info(list[j]).Groups = nest;
    else
      for (TfrxGroupHeader* g : nest)
        error("enUnconnGroup", g);
  }
  // Group footers pair with the nearest unpaired group header before them.
  std::vector<TfrxBand*> rest;
  std::vector<TfrxGroupHeader*> open;
  for (TfrxBand* band : list) {
    if (auto* gh = dynamic_cast<TfrxGroupHeader*>(band)) {
      open.push_back(gh);
      continue;
    }
    if (dynamic_cast<TfrxGroupFooter*>(band)) {
      if (open.empty()) {
        error("enUnconnGFooter", band);
      } else {
        Info(open.back()).Footer = band;
        open.pop_back();
      }
      continue;
    }
    rest.push_back(band);
  }
  // Headers directly before and footers directly after a data band.
  std::vector<TfrxBand*> dataBands;
  for (size_t i = 0; i < rest.size(); ++i) {
    TfrxBand* band = rest[i];
    if (dynamic_cast<TfrxHeader*>(band)) {
      if (i + 1 < rest.size() && IsDataBand(rest[i + 1]))
        Info(rest[i + 1]).Header = band;
      else
        error("enUnconnHeader", band);
    } else if (dynamic_cast<TfrxFooter*>(band)) {
      if (i > 0 && IsDataBand(rest[i - 1]))
        Info(rest[i - 1]).Footer = band;
      else
        error("enUnconnHeader", band);
    } else if (IsDataBand(band)) {
      dataBands.push_back(band);
    }
  }
  // The master-detail tree.
  std::vector<TfrxDataBand*>& masters = Vertical ? pageInfo.VerticalMasters : pageInfo.Masters;
  std::vector<bool> placed(dataBands.size(), false);
  // Places the bands after Index of kind Kind + 1 as details of Parent, recursively; returns
  // the index where the details end.
  std::function<size_t(size_t, TfrxBand*)> placeDetails = [&](size_t Index,
                                                              TfrxBand* Parent) -> size_t {
    const Integer kind = Parent->KindIndex();
    size_t i = Index + 1;
    while (i < dataBands.size()) {
      const Integer k = dataBands[i]->KindIndex();
      if (k <= kind)
        break;
      if (k == kind + 1) {
        placed[i] = true;
        auto* db = static_cast<TfrxDataBand*>(dataBands[i]);
        if (db->DataSet())
          Info(Parent).Details.push_back(db);
        i = placeDetails(i, db);
        continue;
      }
      ++i; // deeper bands in between are skipped
    }
    return i;
  };
  for (size_t i = 0; i < dataBands.size(); ++i) {
    if (!dynamic_cast<TfrxMasterData*>(dataBands[i]))
      continue;
    placed[i] = true;
    auto* db = static_cast<TfrxDataBand*>(dataBands[i]);
    if (db->DataSet())
      masters.push_back(db);
    placeDetails(i, db);
  }
  for (size_t i = 0; i < dataBands.size(); ++i)
    if (!placed[i])
      error("enBandPos", dataBands[i]);
}

void TfrxEngine::CollectAggregates(TfrxReportPage* Page)
{
  TPageInfo& pageInfo = FPages[Page];
  std::function<void(TfrxDataBand*)> collect = [&](TfrxDataBand* Band) {
    TBandInfo& info = Info(Band);
    FAggregates->CollectBand(info.Footer, Band);
    for (TfrxGroupHeader* g : info.Groups)
      FAggregates->CollectBand(Info(g).Footer, Band);
    if (Band->Vertical())
      FAggregates->CollectBand(Band, Band);
    for (TfrxDataBand* d : std::vector<TfrxDataBand*>(info.Details))
      collect(d);
  };
  for (TfrxDataBand* b : pageInfo.Masters)
    collect(b);
  for (TfrxDataBand* b : pageInfo.VerticalMasters)
    collect(b);
  if (pageInfo.Masters.empty())
    return;
  TfrxDataBand* first = pageInfo.Masters.front();
  FAggregates->CollectBand(Page->FindBand(ClassInfoOf<TfrxPageFooter>()), first);
  FAggregates->CollectBand(Page->FindBand(ClassInfoOf<TfrxColumnFooter>()), first);
  FAggregates->CollectBand(Page->FindBand(ClassInfoOf<TfrxReportSummary>()), first);
}

// ---- Data bands and groups ----

void TfrxEngine::AddHeader(TfrxBand* Band, Extended X)
{
  FHeaders.push_back({Band, X, FKeeping});
}

void TfrxEngine::RemoveHeader(TfrxBand* Band)
{
  for (size_t i = 0; i < FHeaders.size(); ++i)
    if (FHeaders[i].Band == Band) {
      FHeaders.erase(FHeaders.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

void TfrxEngine::RunDataBands(TfrxComponent* Owner)
{
  TfrxReport* report = Report();
  Application()->ProcessMessages();
  if (report->Terminated())
    return;
  auto* ownerBand = dynamic_cast<TfrxBand*>(Owner);
  const std::vector<TfrxDataBand*> list =
      ownerBand ? Info(ownerBand).Details : FPages[static_cast<TfrxReportPage*>(Owner)].Masters;
  for (TfrxDataBand* band : list) {
    TBandInfo& info = Info(band);
    TfrxDataSet* ds = DataSetOf(band);
    ds->First();
    info.Line = 1;
    info.LineThrough = 1;
    if (band->Columns() > 1)
      band->SetCurColumn(1);
    ResetLastValues(band);
    bool first = true;
    bool printed = false;
    Integer rowSet = 0;
    Integer footerPosition = 0;
    const bool hasGroups = !info.Groups.empty();
    while (!ds->Eof()) {
      if (HasData(band, band->PrintIfDetailEmpty())) {
        printed = true;
        if (first) {
          if (band->KeepTogether())
            StartKeep(band);
          if (band->KeepHeader() && info.Header)
            StartKeep(info.Header);
          ShowBand(info.Header);
          if (auto* h = dynamic_cast<TfrxHeader*>(info.Header); h && h->ReprintOnNewPage())
            AddHeader(h, FXOffset);
        } else if (!hasGroups && band->KeepTogether()) {
          StartKeep(band);
        }
        if (hasGroups) {
          if (first)
            StartGroups(band, 0, true);
          else
            CheckGroups(band);
        }
        if (band->KeepFooter())
          footerPosition = PreviewPages()->GetCurPosition();
        if (band->Columns() > 1 && band->CurColumn() == 1)
          rowSet = PreviewPages()->GetCurPosition();
        const Extended rowY = CurY();
        SetLineNumbers(band);
        ShowBand(band);
        if (first && band->KeepHeader() && info.Header)
          EndKeep(info.Header);
        ++info.Line;
        ++info.LineThrough;
        if (band->Columns() > 1)
          NextDataColumn(band, rowSet, rowY);
        AddBandOutline(band);
        RunDataBands(band);
        if (!band->OutlineText().empty())
          PreviewPages()->Outline()->LevelUp();
        first = false;
      }
      FPageRunStart = false;
      if (band->FooterAfterEach())
        ShowBand(info.Footer);
      if (!hasGroups && band->KeepTogether())
        EndKeep(band);
      ds->Next();
      if ((band->RowCount() != 0 && info.LineThrough > band->RowCount()) || report->Terminated())
        break;
    }
    if (band->Columns() > 1)
      CloseDataColumns(band, rowSet, CurY());
    if (hasGroups)
      EndGroups(band, 0);
    if (printed) {
      if (!band->FooterAfterEach()) {
        if (band->KeepFooter())
          StartKeep(band, footerPosition);
        ShowBand(info.Footer);
        if (band->KeepFooter())
          EndKeep(band);
      }
      RemoveHeader(info.Header);
      if (hasGroups && band->KeepTogether())
        EndKeep(band);
    }
    if (report->Terminated())
      break;
    FPageRunStart = false;
  }
}

void TfrxEngine::StartGroups(TfrxDataBand* Band, size_t From, bool Initial)
{
  TfrxReport* report = Report();
  std::vector<TfrxGroupHeader*>& groups = Info(Band).Groups;
  for (size_t level = From; level < groups.size(); ++level) {
    TfrxGroupHeader* g = groups[level];
    TBandInfo& gi = Info(g);
    if (Initial) {
      gi.Line = 1;
      gi.LineThrough = 1;
      ResetLastValues(g);
    } else {
      ++gi.Line;
      if (level + 1 < groups.size())
        Info(groups[level + 1]).Line = 0;
      ++gi.LineThrough;
    }
    SetLineNumbers(g);
    report->SetCurrentObjectName(g->Name());
    gi.LastValue = report->Calc(g->Condition());
    if (g->KeepTogether())
      StartKeep(g);
    ShowBand(g);
    AddBandOutline(g);
    if (g->ReprintOnNewPage()) {
      if (g->Vertical())
        FVHeaders.push_back(g);
      else
        AddHeader(g, FXOffset);
    }
  }
}

void TfrxEngine::EndGroups(TfrxDataBand* Band, size_t From)
{
  std::vector<TfrxGroupHeader*>& groups = Info(Band).Groups;
  for (size_t level = groups.size(); level-- > From;) {
    TfrxGroupHeader* g = groups[level];
    ShowBand(Info(g).Footer);
    if (!g->OutlineText().empty())
      PreviewPages()->Outline()->LevelUp();
    RemoveHeader(g);
    FVHeaders.erase(std::remove(FVHeaders.begin(), FVHeaders.end(), g), FVHeaders.end());
    if (g->KeepTogether())
      EndKeep(g);
  }
}

void TfrxEngine::CheckGroups(TfrxDataBand* Band)
{
  TfrxReport* report = Report();
  std::vector<TfrxGroupHeader*>& groups = Info(Band).Groups;
  for (size_t level = 0; level < groups.size(); ++level) {
    TfrxGroupHeader* g = groups[level];
    report->SetCurrentObjectName(g->Name());
    const Variant value = report->Calc(g->Condition());
    if (SameGroupValue(value, Info(g).LastValue))
      continue;
    if (Band->Columns() > 1)
      CloseDataColumns(Band, 0, 0);
    TfrxDataSet* ds = DataSetOf(Band);
    bool back = false;
    try {
      ds->Prior();
      back = true;
    } catch (const Exception&) {
    }
    EndGroups(Band, level);
    if (back)
      ds->Next();
    StartGroups(Band, level, false);
    Info(Band).Line = 1;
    ResetLastValues(Band);
    return;
  }
}
