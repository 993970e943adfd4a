// The engine's layout beyond one band after another: page columns, multi-column data bands,
// keep-together, band splitting, subreports printed beside or inside a band, and vertical
// bands whose cells repeat across the page. frxEngine.h gives the picture.
#include <algorithm>
#include <map>

#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxAggregate.h"
#include "report/engine/frxEngine.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxUtils.h"

namespace {

constexpr Extended MmToPx = 3.77953L;
constexpr Extended Tolerance = 0.0001L;

std::vector<TfrxComponent*> ChildList(TfrxComponent* Obj)
{
  std::vector<TfrxComponent*> result;
  TList* list = Obj->Objects();
  for (Integer i = 0; i < list->Count(); ++i)
    result.push_back(static_cast<TfrxComponent*>(list->Items(i)));
  return result;
}

bool Overlaps(TfrxComponent* A, TfrxComponent* B)
{
  return B->Left() < A->Left() + A->Width() - Tolerance &&
         B->Left() + B->Width() > A->Left() + Tolerance;
}

bool IsFooterKind(TfrxBand* Band)
{
  return dynamic_cast<TfrxFooter*>(Band) || dynamic_cast<TfrxGroupFooter*>(Band);
}

} // namespace

// ---- Keep-together ----

void TfrxEngine::StartKeep(TfrxBand* Band, Integer Position)
{
  if (FKeeping || FPageRunStart || FInlineCollector)
    return;
  FKeeping = true;
  FKeepBand = Band;
  FKeepPosition = Position != 0 ? Position : PreviewPages()->GetCurPosition();
  FKeepOutline = PreviewPages()->Outline()->LastItem();
  FAggregates->StartKeep();
}

void TfrxEngine::EndKeep(TfrxBand* Band)
{
  if (!FKeeping || Band != FKeepBand)
    return;
  FKeeping = false;
  FKeepBand = nullptr;
  FAggregates->EndKeep();
}

// ---- Page columns ----

void TfrxEngine::NewColumn()
{
  if (CurColumn() >= FPage->Columns()) {
    NewPage();
    return;
  }
  ShowColumnFooter();
  StartNewColumn();
}

void TfrxEngine::ShowColumnFooter()
{
  TfrxBand* band = FPage->FindBand(ClassInfoOf<TfrxColumnFooter>());
  if (!band)
    return;
  PrepareBand(band);
  if (band->Visible()) {
    band->SetLeft(CurX() - FXOffset);
    band->SetTop(CurY());
    PreviewPages()->AddObject(band);
  }
  FinishBand(band);
  FAggregates->Reset(band);
}

void TfrxEngine::StartNewColumn()
{
  SetCurColumn(CurColumn() + 1);
  TStrings* positions = FPage->ColumnPositions();
  Extended x = 0;
  if (CurColumn() - 1 < positions->Count())
    x = ParseFloatLenient(positions->Strings(CurColumn() - 1)) * MmToPx;
  else
    x = (CurColumn() - 1) * FPage->ColumnWidth() * MmToPx;
  SetCurY(FColumnTop);
  for (const THeaderEntry& entry : std::vector<THeaderEntry>(FHeaders)) {
    if (!entry.Band)
      continue;
    SetCurX(entry.X + x);
    if (dynamic_cast<TfrxPageHeader*>(entry.Band) && CurY() != 0)
      continue;
    for (TfrxBand* band = entry.Band; band;) {
      band->SetOverflow(true);
      PrepareBand(band);
      if (band->Visible()) {
        band->SetLeft(CurX());
        band->SetTop(CurY());
        if (!dynamic_cast<TfrxPageHeader*>(band))
          PreviewPages()->AddObject(band);
        SetCurY(CurY() + band->Height());
      }
      FinishBand(band);
      band->SetOverflow(false);
      band = band->Visible() || band->PrintChildIfInvisible() ? band->Child() : nullptr;
    }
  }
  SetCurX(FXOffset + x);
  FFreshPage = true;
}

// ---- Multi-column data bands ----

void TfrxEngine::NextDataColumn(TfrxDataBand* Band, Integer Position, Extended Y0)
{
  TBandInfo& info = Info(Band);
  info.MaxY = std::max(info.MaxY, CurY());
  if (Band->CurColumn() < Band->Columns()) {
    SetCurY(Y0);
  } else if (info.MaxY <= PageHeight() - FootersHeight() || FFreshPage) {
    SetCurY(info.MaxY);
  } else if (FKeeping || Position < 0) {
    NewColumn();
  } else {
    // The row set does not fit: it moves whole to the next column or page.
    const Extended height = info.MaxY - Y0;
    PreviewPages()->CutObjects(Position);
    NewColumn();
    PreviewPages()->PasteObjects(CurX(), CurY());
    SetCurY(CurY() + height);
    FFreshPage = false;
  }
  Band->SetCurColumn(Band->CurColumn() + 1);
  if (Band->CurColumn() == 1)
    info.MaxY = 0;
}

void TfrxEngine::CloseDataColumns(TfrxDataBand* Band, Integer Position, Extended Y0)
{
  if (Band->CurColumn() == 1)
    return; // the last row set is complete
  Band->SetCurColumn(Band->Columns());
  NextDataColumn(Band, Position, Y0);
}

// ---- Band splitting ----

// Outputs Band in parts, one per page or column, while its objects do not fit. A part that
// would output nothing on a page holding nothing else forces progress: an object taller
// than the page is clipped, a stretchable one gives at least one line.
void TfrxEngine::SplitBand(TfrxBand* Band)
{
  const std::vector<TfrxComponent*> all = ChildList(Band);
  std::vector<TfrxComponent*> pending;
  std::map<TfrxComponent*, Extended> full;
  for (TfrxComponent* obj : all) {
    if (dynamic_cast<TfrxSubreport*>(obj))
      continue;
    pending.push_back(obj);
    if (auto* s = dynamic_cast<TfrxStretcheable*>(obj))
      s->BeginSplit();
    full[obj] = obj->Height();
  }
  TList* list = Band->Objects();
  TScopeExit giveBack([&] {
    list->Clear();
    for (TfrxComponent* obj : all)
      list->Add(obj);
  });
  list->Clear();
  Extended space = FreeSpace();
  while (!pending.empty() && !Report()->Terminated()) {
    // On a page that holds nothing yet, waiting for the next page cannot help.
    const bool force = FFreshPage;
    if (force && space <= Tolerance)
      space = 1e10L;
    std::vector<TfrxComponent*> part;
    std::vector<TfrxComponent*> moved;
    auto moveBelow = [&](TfrxComponent* Obj, Extended Bottom, Extended By) {
      for (TfrxComponent* other : pending)
        if (other != Obj && other->Top() >= Bottom - Tolerance && Overlaps(Obj, other) &&
            std::find(moved.begin(), moved.end(), other) == moved.end()) {
          other->SetTop(other->Top() + By);
          moved.push_back(other);
        }
    };
    for (TfrxComponent* obj : std::vector<TfrxComponent*>(pending)) {
      auto* stretch = dynamic_cast<TfrxStretcheable*>(obj);
      auto leave = [&] { pending.erase(std::find(pending.begin(), pending.end(), obj)); };
      if (obj->Top() + obj->Height() <= space + Tolerance) {
        if (stretch)
          stretch->FitPart();
        part.push_back(obj);
        leave();
      } else if (obj->Top() < space) {
        const bool atTop = force && obj->Top() <= Tolerance;
        if (stretch) {
          const Extended bottom = obj->Top() + full[obj];
          Extended h = space - obj->Top();
          obj->SetHeight(h);
          Extended d = stretch->FitPart();
          // At the top of an empty page: grow the part until a line fits.
          while (atTop && std::abs(d - obj->Height()) < Tolerance && h < full[obj]) {
            h = std::min(full[obj], std::max(h * 2, h + 1));
            obj->SetHeight(h);
            d = stretch->FitPart();
          }
          moveBelow(obj, bottom, d);
          if (std::abs(d - obj->Height()) < Tolerance) {
            obj->SetTop(space);
            obj->SetHeight(full[obj]);
          } else if (h >= full[obj] && atTop && space - obj->Top() < h) {
            part.push_back(obj); // the whole rest, overflowing
            leave();
          } else {
            part.push_back(obj);
            full[obj] = full[obj] - obj->Height() + d;
          }
        } else if (atTop) {
          moveBelow(obj, obj->Top() + obj->Height(), 0);
          obj->SetHeight(space - obj->Top());
          part.push_back(obj);
          leave();
        } else {
          moveBelow(obj, obj->Top() + obj->Height(), space - obj->Top());
          obj->SetTop(space);
        }
      }
    }
    Extended height = 0;
    for (TfrxComponent* obj : part)
      height = std::max(height, obj->Top() + obj->Height());
    Band->SetHeight(height);
    if (pending.empty())
      for (TfrxComponent* obj : part) {
        if (obj->Align() == baBottom)
          obj->SetTop(height - obj->Height());
        auto* s = dynamic_cast<TfrxStretcheable*>(obj);
        if (s && s->StretchMode() == smMaxHeight)
          obj->SetHeight(height - obj->Top());
      }
    for (TfrxComponent* obj : part)
      list->Add(obj);
    Band->SetLeft(CurX());
    Band->SetTop(CurY());
    if (!part.empty()) {
      PreviewPages()->AddObject(Band);
      FFreshPage = false;
    }
    list->Clear();
    if (!pending.empty())
      NewColumn();
    else
      SetCurY(CurY() + height);
    for (TfrxComponent* obj : pending) {
      obj->SetTop(obj->Top() - space);
      if (dynamic_cast<TfrxStretcheable*>(obj) && obj->Top() < 0) {
        obj->SetTop(0);
        obj->SetHeight(full[obj]);
      }
    }
    space = FreeSpace();
  }
}

// ---- Subreports ----

void TfrxEngine::RunSubreports(TfrxBand* Band)
{
  std::vector<TfrxSubreport*> subs;
  for (TfrxComponent* obj : ChildList(Band))
    if (auto* sub = dynamic_cast<TfrxSubreport*>(obj);
        sub && !sub->PrintOnParent() && sub->Visible() && sub->Page())
      subs.push_back(sub);
  if (subs.empty())
    return;
  auto* pages = PreviewPages();
  // What a subreport prints is new output, also beside a header being reprinted.
  const bool reprinting = FReprinting;
  FReprinting = false;
  TScopeExit restoreReprinting([&] { FReprinting = reprinting; });
  const Integer page = pages->CurPage();
  const Integer column = CurColumn();
  const Extended x = CurX(), y = CurY(), xOffset = FXOffset;
  Integer bestPage = page, bestColumn = column;
  Extended bestY = y;
  for (TfrxSubreport* sub : subs) {
    pages->SetCurPage(page);
    SetCurColumn(column);
    FXOffset = xOffset + sub->Left();
    SetCurX(x + sub->Left());
    SetCurY(y - Band->Height() + sub->Top());
    RunPage(sub->Page());
    const Integer p = pages->CurPage();
    if (p > bestPage || (p == bestPage && CurColumn() > bestColumn) ||
        (p == bestPage && CurColumn() == bestColumn && CurY() > bestY)) {
      bestPage = p;
      bestColumn = CurColumn();
      bestY = CurY();
    }
  }
  pages->SetCurPage(bestPage);
  SetCurColumn(bestColumn);
  Extended cx = xOffset;
  if (bestColumn > 1 && bestColumn - 1 < FPage->ColumnPositions()->Count())
    cx += ParseFloatLenient(FPage->ColumnPositions()->Strings(bestColumn - 1)) * MmToPx;
  SetCurX(cx);
  SetCurY(bestY);
  FXOffset = xOffset;
}

void TfrxEngine::RunInlineSubreports(TfrxBand* Band)
{
  const bool owner = FInlineCollector == nullptr;
  if (!owner)
    return; // the outer band collects what nested inline subreports print
  Band->SetOriginalObjectsCount(Band->Objects()->Count());
  std::unique_ptr<TfrxNullBand> collector(new TfrxNullBand(nullptr));
  FInlineCollector = collector.get();
  const Extended x = CurX(), y = CurY(), xOffset = FXOffset;
  {
    TScopeExit restore([&] {
      SetCurX(x);
      SetCurY(y);
      FXOffset = xOffset;
      FInlineCollector = nullptr;
    });
    for (TfrxComponent* obj : ChildList(Band)) {
      auto* sub = dynamic_cast<TfrxSubreport*>(obj);
      if (!sub || !sub->PrintOnParent() || !sub->Visible() || !sub->Page())
        continue;
      FXOffset = xOffset + sub->Left();
      SetCurX(x + sub->Left());
      SetCurY(sub->Top());
      RunPage(sub->Page());
    }
  }
  // What the subreports printed becomes objects of the band, at their places in it.
  for (TfrxComponent* copy : ChildList(collector.get()))
    for (TfrxComponent* obj : ChildList(copy)) {
      if (dynamic_cast<TfrxSubreport*>(obj) || !dynamic_cast<TfrxView*>(obj))
        continue;
      const Extended left = obj->AbsLeft(), top = obj->AbsTop();
      obj->SetParent(Band);
      obj->SetLeft(left);
      obj->SetTop(top);
      if (auto* s = dynamic_cast<TfrxStretcheable*>(obj))
        s->SetStretchMode(smDontStretch);
    }
}

// ---- Vertical bands ----

void TfrxEngine::StartCrossBand(TfrxBand* Band)
{
  TfrxReport* report = Report();
  report->SetCurrentObjectName(Band->Name());
  Band->SaveState();
  report->DoBeforePrint(Band);
  FCrossBand = Band;
  Band->SetOriginalObjectsCount(Band->Objects()->Count());
  FCrossAllowSplit = Band->AllowSplit();
  Band->SetAllowSplit(false);
  FVHeaders.clear();
  FCrossSegments.assign(1, 0);
  SetCurVColumn(0);
  SetCurX(0);
  RunVerticalBands(FPages[FPage].VerticalMasters);
  FCrossSegments.push_back(Band->Objects()->Count());
  SetCurX(0);
  PreviewPages()->SetAddPageAction(true);
}

void TfrxEngine::RunVerticalBands(const std::vector<TfrxDataBand*>& Bands)
{
  TfrxReport* report = Report();
  for (TfrxDataBand* band : Bands) {
    TBandInfo& info = Info(band);
    TfrxDataSet* ds = band->DataSet();
    ds->First();
    info.Line = 1;
    info.LineThrough = 1;
    ResetLastValues(band);
    bool first = true, printed = false;
    while (!ds->Eof()) {
      printed = true;
      if (first) {
        ShowBand(info.Header);
        if (auto* h = dynamic_cast<TfrxHeader*>(info.Header); h && h->ReprintOnNewPage())
          FVHeaders.push_back(h);
      }
      if (!info.Groups.empty()) {
        if (first)
          StartGroups(band, 0, true);
        else
          CheckGroups(band);
      }
      SetLineNumbers(band);
      ShowBand(band);
      ++info.Line;
      ++info.LineThrough;
      RunVerticalBands(std::vector<TfrxDataBand*>(info.Details));
      if (band->FooterAfterEach())
        ShowBand(info.Footer);
      ds->Next();
      first = false;
      if ((band->RowCount() != 0 && info.LineThrough > band->RowCount()) || report->Terminated())
        break;
    }
    if (!info.Groups.empty())
      EndGroups(band, 0);
    if (printed) {
      FVHeaders.erase(std::remove(FVHeaders.begin(), FVHeaders.end(), info.Header),
                      FVHeaders.end());
      if (!band->FooterAfterEach())
        ShowBand(info.Footer);
    }
  }
}

void TfrxEngine::OutputVerticalCell(TfrxBand* Band)
{
  TfrxReport* report = Report();
  if (!FCrossBand)
    return; // vertical bands print only as cells of a horizontal band
  SetCurVColumn(CurVColumn() + 1);
  FCurBand = IsFooterKind(Band) ? Band : FCrossBand;
  report->SetCurrentObjectName(Band->Name());
  Band->SaveState();
  report->DoBeforePrint(Band);
  if (Band->Visible()) {
    if (!FVReprinting && CurX() > Tolerance && CurX() + Band->Width() > PageWidth() + Tolerance) {
      SetCurX(0);
      FCrossSegments.push_back(FCrossBand->Objects()->Count());
      FVReprinting = true;
      TScopeExit done([this] { FVReprinting = false; });
      for (TfrxBand* header : std::vector<TfrxBand*>(FVHeaders))
        ShowBand(header);
    }
    for (TfrxComponent* obj : ChildList(Band)) {
      if (ObjInfo(obj).OriginBand != FCrossBand)
        continue;
      auto* view = dynamic_cast<TfrxReportComponent*>(obj);
      if (!view)
        continue;
      report->SetCurrentObjectName(obj->Name());
      view->SaveState();
      report->DoBeforePrint(view);
      view->EvaluateData();
      if (auto* v = dynamic_cast<TfrxView*>(view))
        report->RunScriptEvent(view, v->OnAfterData);
      auto* copy = dynamic_cast<TfrxComponent*>(obj->ClassType()->Create(nullptr));
      if (copy) {
        copy->Assign(obj);
        copy->SetLeft(obj->Left() + CurX());
        copy->SetParent(FCrossBand);
      }
      view->RestoreState();
    }
    SetCurX(CurX() + Band->Width());
  }
  report->DoAfterPrint(Band);
  Band->RestoreState();
  FAggregates->Accumulate(FCrossBand, CurVColumn());
  if (IsFooterKind(Band))
    FAggregates->Reset(Band);
}

void TfrxEngine::OutputCrossBand(TfrxBand* Band)
{
  auto* pages = PreviewPages();
  pages->SetAddPageAction(false);
  const Integer page = pages->CurPage();
  const Extended y = CurY(), x = CurX();
  const std::vector<TfrxComponent*> all = ChildList(Band);
  TList* list = Band->Objects();
  const size_t segments = FCrossSegments.size() - 1;
  for (size_t s = 0; s < segments; ++s) {
    list->Clear();
    const Integer from = FCrossSegments[s];
    const Integer to = std::min<Integer>(FCrossSegments[s + 1], static_cast<Integer>(all.size()));
    for (Integer i = from; i < to; ++i)
      list->Add(all[static_cast<size_t>(i)]);
    Band->SetTop(CurY());
    pages->AddObject(Band);
    FFreshPage = false;
    if (s + 1 < segments) {
      // The cells beyond the page's width go to the next prepared page, at the same height.
      NewPage();
      SetCurY(y);
    } else if (segments > 1) {
      EndPage();
    }
  }
  list->Clear();
  for (TfrxComponent* obj : all)
    list->Add(obj);
  pages->SetCurPage(page);
  SetCurY(y);
  SetCurX(x);
  pages->SetAddPageAction(true);
}
