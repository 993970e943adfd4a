// Variant micro-benchmarks: copies, arithmetic, comparison, and the cached-expression
// shape the script engine evaluates (Result := a * 1.17 + b) on Variants.
#include <benchmark/benchmark.h>

#include "platform/rtl/Variants.h"

static void BM_VariantCopyInteger(benchmark::State& state)
{
  Variant source = 42;
  for (auto _ : state) {
    Variant copy = source;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_VariantCopyInteger);

static void BM_VariantCopyString(benchmark::State& state)
{
  Variant source = AnsiString(200, 'x'); // a copy counts a reference, whatever the length
  for (auto _ : state) {
    Variant copy = source;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_VariantCopyString);

static void BM_VariantAddInteger(benchmark::State& state)
{
  Variant a = 12345, b = 678;
  for (auto _ : state)
    benchmark::DoNotOptimize(a + b);
}
BENCHMARK(BM_VariantAddInteger);

static void BM_VariantAddMixed(benchmark::State& state)
{
  Variant a = 12345, b = 0.5;
  for (auto _ : state)
    benchmark::DoNotOptimize(a + b);
}
BENCHMARK(BM_VariantAddMixed);

static void BM_VariantAddTextNumber(benchmark::State& state)
{
  Variant a = "12.5", b = 2;
  for (auto _ : state)
    benchmark::DoNotOptimize(a + b);
}
BENCHMARK(BM_VariantAddTextNumber);

static void BM_VariantCompareInteger(benchmark::State& state)
{
  Variant a = 12345, b = 678;
  for (auto _ : state)
    benchmark::DoNotOptimize(a < b);
}
BENCHMARK(BM_VariantCompareInteger);

static void BM_VariantCompareString(benchmark::State& state)
{
  Variant a = "SF1234567890", b = "SF1234567891";
  for (auto _ : state)
    benchmark::DoNotOptimize(VarCompareValue(a, b));
}
BENCHMARK(BM_VariantCompareString);

static void BM_VariantCompareCurrencyDouble(benchmark::State& state)
{
  Variant a = Currency(12.5), b = 12.25;
  for (auto _ : state)
    benchmark::DoNotOptimize(VarCompareValue(a, b));
}
BENCHMARK(BM_VariantCompareCurrencyDouble);

// One run of a cached `Result := a * 1.17 + b`: two Variant operations and a store.
static void BM_VariantCachedExpression(benchmark::State& state)
{
  Variant a = 120, b = 3.5, factor = 1.17, result;
  for (auto _ : state) {
    result = a * factor + b;
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VariantCachedExpression);

static void BM_VariantArrayGetPut(benchmark::State& state)
{
  Variant a = VarArrayCreate({0, 1000}, varVariant);
  Integer i = 0;
  for (auto _ : state) {
    VarArrayPut(a, i, {i});
    benchmark::DoNotOptimize(VarArrayGet(a, {i}));
    i = i == 1000 ? 0 : i + 1;
  }
}
BENCHMARK(BM_VariantArrayGetPut);

BENCHMARK_MAIN();
