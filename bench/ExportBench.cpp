// Exporting 1,000 prepared waybill pages (Chinese texts in framed cells, a picture, a
// filled shape, a line and a Code 128 barcode per page) to a compressed PDF file through
// the export walk and the PDF filter: pages per second, and the ratio of the whole export
// time to the time zlib alone takes to deflate the same page content streams (the
// uncompressed document's streams, at level 9 as the writer uses it). Times are processor
// times of the exporting thread.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include "platform/rtl/Units.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/output/frxExportPDF.h"
#include "report/output/frxPDFFile.h"
#include "tests/report/output/ExportFixtures.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();
void RegisterOleUnits();
void RegisterReportOutputUnits();

namespace {

constexpr Integer Pages = 1000;

// Seconds of this thread's processor time: the machine the figures come from is shared, so
// wall time would count the other programs' turns.
double Now()
{
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterScriptUnits();
    RegisterReportEngineUnits();
    RegisterOleUnits();
    RegisterReportOutputUnits();
    InitializeUnits();
    Headless();
    return true;
  }();
  (void)started;
}

// The two-page sample waybill repeated to 1,000 pages.
TExportReport& Report()
{
  static TExportReport* report = [] {
    auto* r = new TExportReport;
    for (Integer i = 0; i < Pages / 2; ++i)
      BuildWaybillReport(*r);
    r->Prepare();
    return r;
  }();
  return *report;
}

double ExportSeconds(bool Compressed, const std::string& File)
{
  TfrxPDFExport filter(nullptr);
  filter.SetShowDialog(false);
  filter.SetCompressed(Compressed);
  filter.SetFileName(File);
  const double start = Now();
  Report().Export(&filter);
  return Now() - start;
}

// The content streams of an uncompressed document.
std::vector<std::string> ContentStreams(const std::string& Pdf)
{
  std::vector<std::string> streams;
  for (size_t at = Pdf.find("stream\r\n"); at != std::string::npos;
       at = Pdf.find("stream\r\n", at + 1)) {
    if (at >= 3 && Pdf.compare(at - 3, 3, "end") == 0)
      continue;
    const size_t begin = at + 8, end = Pdf.find("endstream", begin);
    if (end == std::string::npos)
      break;
    // Only page contents: the font files are not part of what the pages cost.
    const size_t dict = Pdf.rfind("obj\r\n", at);
    if (Pdf.substr(dict, at - dict).find("/Length1") == std::string::npos)
      streams.push_back(Pdf.substr(begin, end - begin));
    at = end;
  }
  return streams;
}

double DeflateSeconds(const std::vector<std::string>& Streams, size_t& Bytes)
{
  std::string out;
  Bytes = 0;
  const double start = Now();
  for (const std::string& s : Streams) {
    uLongf size = compressBound(s.size());
    out.resize(size);
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(s.data()),
              s.size(), 9);
    Bytes += s.size();
  }
  return Now() - start;
}

void BM_ExportPDF1000Pages(benchmark::State& State)
{
  StartUnits();
  Report();
  const std::string file = "/tmp/qh_bench_export.pdf";
  ExportSeconds(false, file); // untimed: first touches, and the streams to deflate
  std::string pdf;
  {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    char buf[65536];
    size_t n;
    while (f && (n = std::fread(buf, 1, sizeof buf, f)) > 0)
      pdf.append(buf, n);
    if (f)
      std::fclose(f);
  }
  const std::vector<std::string> streams = ContentStreams(pdf);
  double exportTotal = 0, deflateTotal = 0;
  size_t bytes = 0;
  for (auto _ : State) {
    const double seconds = ExportSeconds(true, file);
    State.SetIterationTime(seconds);
    exportTotal += seconds;
    deflateTotal += DeflateSeconds(streams, bytes);
  }
  State.counters["pages_per_s"] =
      benchmark::Counter(static_cast<double>(Pages) * State.iterations() / exportTotal);
  State.counters["stream_MB"] = static_cast<double>(bytes) / 1e6;
  State.counters["deflate_ms"] = deflateTotal * 1000 / State.iterations();
  State.counters["export_to_deflate"] = exportTotal / deflateTotal;
  // EXPORT_BENCH_KEEP names a file to keep the last compressed export in, to compare the bytes
  // one build writes with another's.
  if (const char* keep = std::getenv("EXPORT_BENCH_KEEP"))
    std::rename(file.c_str(), keep);
  std::remove(file.c_str());
}
BENCHMARK(BM_ExportPDF1000Pages)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
