// Runtime micro-benchmarks.
#include <benchmark/benchmark.h>

#include "platform/rtl/Types.h"

static void BM_IntersectRect(benchmark::State& state)
{
  TRect a = Rect(0, 0, 100, 100), b = Rect(50, 50, 150, 150), r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(IntersectRect(r, a, b));
  }
}
BENCHMARK(BM_IntersectRect);

BENCHMARK_MAIN();
