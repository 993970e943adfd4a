// Text measuring and drawing throughput of both text engines, in characters per second, and
// the pango engine's drawing against raw pango drawing the same string in the same run:
// pango_cairo_show_layout of a layout made once, on a cairo context made once. The ratios
// are printed after the table (medians when run with --benchmark_repetitions).
#include <map>
#include <set>

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Surface.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Units.h"

void RegisterGraphicsUnits();

namespace {

// 20 characters: Chinese and Latin mixed, as waybill labels are.
const AnsiString kLine = "收件人：张三 Beijing 100080";
// The face 宋体 stands for, at 9 points on the screen (12 pixels).
constexpr const char* kFace = "WenQuanYi Zen Hei Mono";
constexpr double kEm = 12;

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

const char* Label(int kind)
{
  return kind == 0 ? "fixed" : "pango";
}

void BM_Measure(benchmark::State& state)
{
  auto engine = MakeEngine(static_cast<int>(state.range(0)));
  TFontSpec font;
  font.Name = "宋体";
  font.EmHeight = kEm;
  std::vector<double> advances;
  for (auto _ : state) {
    engine->Advances(font, kLine, advances);
    benchmark::DoNotOptimize(advances.data());
  }
  state.SetItemsProcessed(state.iterations() * CharacterCount(kLine));
  state.SetLabel(Label(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_Measure)->Arg(0)->Arg(1);

// The engine alone: glyphs of the string at the offsets the canvas measured.
void BM_EngineDraw(benchmark::State& state)
{
  auto engine = MakeEngine(static_cast<int>(state.range(0)));
  TImageSurface surface(400, 40);
  TFontSpec font;
  font.Name = "宋体";
  font.EmHeight = kEm;
  std::vector<double> advances, offsets(kLine.size());
  engine->Advances(font, kLine, advances);
  double x = 0;
  for (size_t i = 0; i < kLine.size(); ++i) {
    offsets[i] = x;
    x += advances[i];
  }
  for (auto _ : state)
    engine->Draw(surface, font, 2, 2, kLine, offsets, 0, nullptr);
  state.SetItemsProcessed(state.iterations() * CharacterCount(kLine));
  state.SetLabel(Label(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_EngineDraw)->Arg(0)->Arg(1);

// What a program calls: TextOut on a bitmap's canvas, measuring included.
void BM_Draw(benchmark::State& state)
{
  auto engine = MakeEngine(static_cast<int>(state.range(0)));
  TBitmap bitmap;
  bitmap.SetSize(400, 40);
  TCanvas* canvas = bitmap.Canvas();
  canvas->SetTextEngine(engine.get());
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetName("宋体");
  canvas->Font()->SetSize(9);
  for (auto _ : state)
    canvas->TextOut(2, 2, kLine);
  state.SetItemsProcessed(state.iterations() * CharacterCount(kLine));
  state.SetLabel(Label(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_Draw)->Arg(0)->Arg(1);

// The reference: raw pango on the same kind of surface, with the same face, size and
// unhinted font options.
void BM_RawPangoShowLayout(benchmark::State& state)
{
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 40);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
  pango_layout_context_changed(layout);
  PangoFontDescription* d = pango_font_description_from_string(kFace);
  pango_font_description_set_absolute_size(d, kEm * PANGO_SCALE);
  pango_layout_set_font_description(layout, d);
  pango_font_description_free(d);
  std::string utf8 = GbkToUtf8(kLine);
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) {
    cairo_move_to(cr, 2, 2);
    pango_cairo_show_layout(cr, layout);
  }
  cairo_surface_flush(surface);
  g_object_unref(layout);
  cairo_font_options_destroy(options);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  state.SetItemsProcessed(state.iterations() * CharacterCount(kLine));
  state.SetLabel("reference");
}
BENCHMARK(BM_RawPangoShowLayout);

// Prints the table as usual, then each pango drawing time over the reference's.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    // With repetitions the median stands for the benchmark, otherwise its one run.
    for (const Run& run : runs) {
      if (run.error_occurred)
        continue;
      if (run.run_type == Run::RT_Iteration && !FMedians.count(run.run_name.str()))
        FTimes[run.run_name.str()] = run.GetAdjustedRealTime();
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        FTimes[run.run_name.str()] = run.GetAdjustedRealTime();
        FMedians.insert(run.run_name.str());
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override
  {
    ConsoleReporter::Finalize();
    auto reference = FTimes.find("BM_RawPangoShowLayout");
    if (reference == FTimes.end() || reference->second <= 0)
      return;
    for (const char* name : {"BM_EngineDraw/1", "BM_Draw/1"}) {
      auto it = FTimes.find(name);
      if (it != FTimes.end())
        std::printf("%-16s %.2fx raw pango_cairo_show_layout (target at most 1.3x)\n", name,
                    it->second / reference->second);
    }
  }

private:
  std::map<std::string, double> FTimes;
  std::set<std::string> FMedians;
};

} // namespace

int main(int argc, char** argv)
{
  RegisterRtlUnits();
  RegisterGraphicsUnits();
  InitializeUnits();
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  FinalizeUnits();
  return 0;
}
