// Number formatting and parsing benchmarks: FloatToStr, Format and StrToFloat.
#include <benchmark/benchmark.h>

#include "platform/rtl/NumFormat.h"

static void BM_FloatToStr(benchmark::State& state)
{
  const double values[] = {28.8, 94.48825, 2.0 / 3.0, 1e20, 0.000001, 123456.789};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FloatToStr(values[i++ % 6]));
  }
}
BENCHMARK(BM_FloatToStr);

static void BM_FormatFloatPicture(benchmark::State& state)
{
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatFloat("#,##0.00", 1234567.891));
  }
}
BENCHMARK(BM_FormatFloatPicture);

static void BM_FormatMixed(benchmark::State& state)
{
  AnsiString name = "waybill";
  for (auto _ : state) {
    benchmark::DoNotOptimize(Format("%s %4.4d %9.2f %x %d%%", {name, 12, 3.14159, 255, 50}));
  }
}
BENCHMARK(BM_FormatMixed);

static void BM_FormatInteger(benchmark::State& state)
{
  for (auto _ : state) {
    benchmark::DoNotOptimize(Format("%d", {123456}));
  }
}
BENCHMARK(BM_FormatInteger);

static void BM_StrToFloat(benchmark::State& state)
{
  const AnsiString texts[] = {"28.8", "  -1234.5678 ", "1.5E-7", "0.666666666666667"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(StrToFloat(texts[i++ % 4]));
  }
}
BENCHMARK(BM_StrToFloat);

BENCHMARK_MAIN();
