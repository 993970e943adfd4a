// Text measuring and drawing throughput of both text engines, in characters per second.
#include <benchmark/benchmark.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();

namespace {

// 20 characters: Chinese and Latin mixed, as waybill labels are.
const AnsiString kLine = "收件人：张三 Beijing 100080";

Integer CharacterCount(const AnsiString& text)
{
  Integer n = 0;
  for (size_t i = 0; i < text.size(); ++i, ++n)
    if (static_cast<unsigned char>(text[i]) >= 0x81)
      ++i;
  return n;
}

std::unique_ptr<TTextEngine> MakeEngine(int kind)
{
  if (kind == 0)
    return CreateFixedTextEngine(TFixedMetrics{});
  return CreatePangoTextEngine();
}

void BM_Measure(benchmark::State& state)
{
  auto engine = MakeEngine(static_cast<int>(state.range(0)));
  TFontSpec font;
  font.Name = "宋体";
  font.EmHeight = 12;
  std::vector<double> advances;
  for (auto _ : state) {
    engine->Advances(font, kLine, advances);
    benchmark::DoNotOptimize(advances.data());
  }
  state.SetItemsProcessed(state.iterations() * CharacterCount(kLine));
  state.SetLabel(state.range(0) == 0 ? "fixed" : "pango");
}
BENCHMARK(BM_Measure)->Arg(0)->Arg(1);

void BM_Draw(benchmark::State& state)
{
  auto engine = MakeEngine(static_cast<int>(state.range(0)));
  TBitmap bitmap;
  bitmap.SetSize(400, 40);
  TCanvas* canvas = bitmap.Canvas();
  canvas->SetTextEngine(engine.get());
  canvas->Font()->SetName("宋体");
  canvas->Font()->SetSize(9);
  for (auto _ : state)
    canvas->TextOut(2, 2, kLine);
  state.SetItemsProcessed(state.iterations() * CharacterCount(kLine));
  state.SetLabel(state.range(0) == 0 ? "fixed" : "pango");
}
BENCHMARK(BM_Draw)->Arg(0)->Arg(1);

} // namespace

int main(int argc, char** argv)
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  InitializeUnits();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  FinalizeUnits();
  return 0;
}
