// Reflection micro-benchmarks: property lookup by name, and get/set through a cached
// property record and by name, as the script binding and the serializer use them.
#include <benchmark/benchmark.h>

#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Units.h"
#include "platform/rtl/Variants.h"

namespace {

class TBenchBox : public TComponent {
public:
  using TComponent::TComponent;
  Integer Left() const { return FLeft; }
  void SetLeft(Integer v) { FLeft = v; }
  double Width() const { return FWidth; }
  void SetWidth(double v) { FWidth = v; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }

private:
  Integer FLeft = 0;
  double FWidth = 0;
  AnsiString FCaption;
};

void Register()
{
  static bool done = false;
  if (done)
    return;
  done = true;
  RegisterRtlUnits();
  InitializeUnits();
  TClassRegistration<TBenchBox, TComponent>("TBenchBox")
      .Property("Left", &TBenchBox::Left, &TBenchBox::SetLeft)
      .Property("Width", &TBenchBox::Width, &TBenchBox::SetWidth)
      .Property("Caption", &TBenchBox::Caption, &TBenchBox::SetCaption);
}

} // namespace

static void BM_GetPropInfoByName(benchmark::State& state)
{
  Register();
  TBenchBox box(nullptr);
  for (auto _ : state)
    benchmark::DoNotOptimize(GetPropInfo(&box, "width"));
}
BENCHMARK(BM_GetPropInfoByName);

static void BM_GetOrdPropCached(benchmark::State& state)
{
  Register();
  TBenchBox box(nullptr);
  PPropInfo prop = GetPropInfo(&box, "Left");
  for (auto _ : state)
    benchmark::DoNotOptimize(GetOrdProp(&box, prop));
}
BENCHMARK(BM_GetOrdPropCached);

static void BM_SetOrdPropByName(benchmark::State& state)
{
  Register();
  TBenchBox box(nullptr);
  NativeInt i = 0;
  for (auto _ : state)
    SetOrdProp(&box, "Left", ++i);
  benchmark::DoNotOptimize(box.Left());
}
BENCHMARK(BM_SetOrdPropByName);

static void BM_GetPropValueFloatCached(benchmark::State& state)
{
  Register();
  TBenchBox box(nullptr);
  box.SetWidth(94.48825);
  PPropInfo prop = GetPropInfo(&box, "Width");
  for (auto _ : state)
    benchmark::DoNotOptimize(GetPropValue(&box, prop));
}
BENCHMARK(BM_GetPropValueFloatCached);

static void BM_SetPropValueStringByName(benchmark::State& state)
{
  Register();
  TBenchBox box(nullptr);
  Variant text = AnsiString("运单号");
  for (auto _ : state)
    SetPropValue(&box, "Caption", text);
}
BENCHMARK(BM_SetPropValueStringByName);

BENCHMARK_MAIN();
