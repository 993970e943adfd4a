// The preview on a 1,000-page list report: paging through every page with the page shown
// painted each time (pages per second), and a find from the first page of a text that
// stands only on the last page (each page drawn into a metafile and searched).
#include <benchmark/benchmark.h>

#include "platform/rtl/Units.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "report/output/frxPreview.h"
#include "tests/report/engine/ReportFixtures.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterOleUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();
void RegisterReportOutputUnits();

namespace {

constexpr Integer Pages = 1000;

struct TOpened {
  std::unique_ptr<TListData> Data;
  std::unique_ptr<TfrxReport> Report;
  TfrxPreviewForm* Form = nullptr;
  AnsiString LastText;
  TOpened()
  {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterOleUnits();
    RegisterScriptUnits();
    RegisterReportEngineUnits();
    RegisterReportOutputUnits();
    InitializeUnits();
    Headless().SetScreenSize({1280, 1024});
    const Integer rows = Pages * 49;
    Data = std::make_unique<TListData>(NumberedRows(rows));
    LastText = "N" + IntToStr(rows);
    Report = std::make_unique<TfrxReport>(nullptr);
    Report->EngineOptions()->SetSilentMode(true);
    Report->SetShowProgress(false);
    BuildListReport(Report.get(), Data.get());
    Report->GenerateReport();
    Report->PreviewOptions()->SetMaximized(false);
    Form = new TfrxPreviewForm(nullptr);
    Form->SetBounds(0, 0, 1000, 900);
    Report->SetPreview(Form->PreviewControl());
    Form->ApplyPreviewOptions();
    Form->Show();
    Headless().ProcessMessages();
  }
};

TOpened& Opened()
{
  static TOpened opened;
  return opened;
}

void BM_PageThroughAndPaint(benchmark::State& state)
{
  TOpened& o = Opened();
  TfrxPreview* p = o.Form->Preview();
  const Integer count = p->PageCount();
  for (auto _ : state) {
    p->First();
    Headless().ProcessMessages();
    for (Integer i = 1; i < count; ++i) {
      p->Next();
      p->Workspace()->Invalidate();
      Headless().ProcessMessages();
    }
    benchmark::DoNotOptimize(p->PageNo());
  }
  state.counters["pages"] = count;
  state.counters["pages_per_s"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PageThroughAndPaint)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FindOnTheLastPage(benchmark::State& state)
{
  TOpened& o = Opened();
  TfrxPreview* p = o.Form->Preview();
  TfrxFindState& find = PreviewFindState();
  for (auto _ : state) {
    find.Text = o.LastText;
    find.CaseSensitive = true;
    find.LastRecord = -1;
    p->Workspace()->SetSearchPage(0);
    p->Workspace()->ClearFindCache();
    if (!p->Workspace()->FindText())
      state.SkipWithError("the text was not found");
  }
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(p->PageCount()),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FindOnTheLastPage)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
