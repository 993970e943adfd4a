// Drawing and printing prepared pages: 1,000 pages of a list report drawn at zoom 1 on a
// screen-sized bitmap, and the same 1,000 pages printed to a PDF file through the printer
// layer (a PDF-folder printer, print to file). Pages per second are reported as counters.
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "platform/graphics/Pictures.h"
#include "platform/print/Printers.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Units.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "report/engine/frxPrinter.h"
#include "tests/report/engine/ReportFixtures.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();

namespace {

constexpr Integer Pages = 1000;

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterScriptUnits();
    RegisterReportEngineUnits();
    InitializeUnits();
    Headless();
    return true;
  }();
  (void)started;
}

// A built list report of at least Pages pages, kept for all runs.
struct TBuilt {
  std::unique_ptr<TListData> Data;
  std::unique_ptr<TfrxReport> Report;
  TBuilt()
  {
    Data = std::make_unique<TListData>(NumberedRows(Pages * 52));
    Report = std::make_unique<TfrxReport>(nullptr);
    Report->EngineOptions()->SetSilentMode(true);
    BuildListReport(Report.get(), Data.get());
    Report->GenerateReport();
    Report->PrintOptions()->SetShowDialog(false);
  }
};

TBuilt& Built()
{
  StartUnits();
  static TBuilt built;
  return built;
}

void BM_DrawPagesZoom1(benchmark::State& state)
{
  TfrxPreviewPages* pages = Built().Report->PreviewPages();
  Integer count = std::min(Pages, pages->PageCount());
  TBitmap bitmap(800, 1130);
  for (auto _ : state)
    for (Integer i = 0; i < count; ++i)
      pages->DrawPage(i, bitmap.Canvas(), 1, 1, 0, 0);
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(count) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawPagesZoom1)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_PrintPagesToFile(benchmark::State& state)
{
  TfrxReport* report = Built().Report.get();
  TfrxPreviewPages* pages = report->PreviewPages();
  AnsiString dir = GetTempPath() + "qhprintbench-" + IntToStr(getpid());
  SetPrintService(std::make_unique<TPdfFolderPrintService>(dir));
  ResetGlobalPrinters();
  AnsiString file = dir + ".pdf";
  report->PrintOptions()->SetPageNumbers("1-" + IntToStr(Pages));
  for (auto _ : state) {
    GlobalPrinters()->CurrentPrinter()->SetFileName(file);
    pages->PrintPages();
  }
  DeleteFile(file);
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(Pages) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
  ResetGlobalPrinters();
  SetPrintService(nullptr);
}
BENCHMARK(BM_PrintPagesToFile)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
