// Loading and saving a report definition of about 2,000 objects (a page of 20 bands with 99 text
// objects each) through the XML serializer. The objects are stand-ins with the kinds of
// published properties a text object carries: position, font, colour, an enumeration,
// Booleans, a script event name and multi-line text. The scaling runs load 4,000 to 64,000
// named text objects and report the complexity Google Benchmark fits to the times: loading
// must stay linear. Run with GLIBC_TUNABLES=glibc.malloc.trim_threshold=4000000000 so freed
// memory stays with the process between runs.
#include <benchmark/benchmark.h>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Units.h"
#include "report/engine/frxClass.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterScriptUnits();
void RegisterReportEngineUnits();

namespace {

enum TBenchAlign { haLeft, haRight, haCenter, haBlock };

class TfrxBenchMemoView : public TfrxReportComponent {
public:
  explicit TfrxBenchMemoView(TComponent* AOwner)
      : TfrxReportComponent(AOwner), Memo(new TStringList)
  {
  }
  ~TfrxBenchMemoView() override { delete Memo; }
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}

  TColor Color = 0x1FFFFFFF;
  TBenchAlign HAlign = haLeft;
  bool WordWrap = true;
  bool AutoWidth = false;
  AnsiString DataField;
  AnsiString OnBeforePrint;
  TStringList* Memo;
};

class TfrxBenchBand : public TfrxBenchMemoView {
public:
  using TfrxBenchMemoView::TfrxBenchMemoView;
};

template <class C, class T> auto Setter(T C::*member)
{
  return [member](C* self, const T& v) { self->*member = v; };
}

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterScriptUnits();
    RegisterReportEngineUnits();
    InitializeUnits();
    using M = TfrxBenchMemoView;
    RegisterEnumType<TBenchAlign>("TBenchAlign", {"haLeft", "haRight", "haCenter", "haBlock"});
    TClassRegistration<M, TfrxReportComponent>("TfrxBenchMemoView")
        .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
        .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
        .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
        .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
        .Property("Color", &M::Color, Setter(&M::Color))
        .Type(TColorTypeInfo())
        .Default(0x1FFFFFFF)
        .Property("HAlign", &M::HAlign, Setter(&M::HAlign))
        .Default(haLeft)
        .Property("WordWrap", &M::WordWrap, Setter(&M::WordWrap))
        .Default(true)
        .Property("AutoWidth", &M::AutoWidth, Setter(&M::AutoWidth))
        .Default(false)
        .Property("DataField", &M::DataField, Setter(&M::DataField))
        .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
        .Stored(&TfrxComponent::IsFontStored)
        .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
        .Default(true)
        .Property("Memo", [](M* m) -> TStrings* { return m->Memo; })
        .Property("OnBeforePrint", &M::OnBeforePrint, Setter(&M::OnBeforePrint));
    TClassRegistration<TfrxBenchBand, TfrxBenchMemoView>("TfrxBenchBand");
    RegisterClasses(
        {ClassInfoOf<TfrxBenchMemoView>(), ClassInfoOf<TfrxBenchBand>(), ClassInfoOf<TfrxPage>()});
    return true;
  }();
  (void)started;
}

// The definition text of a report with 20 bands of 99 objects on one page.
AnsiString ReportText()
{
  TfrxReport report(nullptr);
  auto* page = new TfrxPage(&report);
  page->SetName("Page1");
  for (Integer b = 0; b < 20; ++b) {
    auto* band = new TfrxBenchBand(page);
    band->MakeUniqueName();
    band->SetBounds(0, b * 40.0, 718.1107, 37.79528);
    for (Integer i = 0; i < 99; ++i) {
      auto* memo = new TfrxBenchMemoView(band);
      memo->SetBaseName("Memo");
      memo->MakeUniqueName();
      memo->SetBounds((i % 10) * 71.81107, (i / 10) * 3.77953, 68.03154, 18.89765);
      memo->HAlign = static_cast<TBenchAlign>(i % 4);
      memo->DataField = "Field" + std::to_string(i);
      memo->Memo->SetText("[Data.\"Field" + std::to_string(i) + "\"]\r\n收件人地址 " +
                          std::to_string(b));
      if (i % 3 == 0) {
        memo->Font()->SetName("宋体");
        memo->Font()->SetStyle({fsBold});
      }
      if (i % 7 == 0)
        memo->OnBeforePrint = memo->Name() + "OnBeforePrint";
    }
  }
  TStringStream out;
  report.SaveToStream(&out);
  return out.DataString();
}

void BM_ReportXmlLoad(benchmark::State& state)
{
  StartUnits();
  const AnsiString text = ReportText();
  for (auto _ : state) {
    TfrxReport report(nullptr);
    TStringStream in(text);
    report.LoadFromStream(&in);
    if (report.Errors()->Count() > 0)
      state.SkipWithError(report.Errors()->Strings(0).c_str());
    benchmark::DoNotOptimize(report.Objects()->Count());
  }
  state.counters["bytes"] = static_cast<double>(text.size());
  state.counters["objects/s"] = benchmark::Counter(2000.0 * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportXmlLoad)->Unit(benchmark::kMillisecond);

void BM_ReportXmlSave(benchmark::State& state)
{
  StartUnits();
  const AnsiString text = ReportText();
  TfrxReport report(nullptr);
  TStringStream in(text);
  report.LoadFromStream(&in);
  for (auto _ : state) {
    TStringStream out;
    report.SaveToStream(&out);
    benchmark::DoNotOptimize(out.DataString().size());
  }
  state.counters["objects/s"] = benchmark::Counter(2000.0 * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportXmlSave)->Unit(benchmark::kMillisecond);

// A page with one band holding Count named text objects, the first flowing into the last.
AnsiString FlatReportText(Integer Count)
{
  AnsiString text = "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport Name=\"\">"
                    "<TfrxReportPage Name=\"Page1\"><TfrxMasterData Name=\"MasterData1\">";
  for (Integer i = 1; i <= Count; ++i)
    text += "<TfrxMemoView Name=\"Memo" + IntToStr(i) + "\" Left=\"" + IntToStr(i % 700) +
            "\" Width=\"50\" Height=\"18\"" +
            (i == 1 ? " FlowTo=\"Memo" + IntToStr(Count) + "\"" : AnsiString()) +
            " Memo.Text=\"[Data.&#34;Field\"/>";
  text += "</TfrxMasterData></TfrxReportPage></TfrxReport>";
  return text;
}

// One untimed load and free: the memory the runs need is then the process's already, so
// the first-touch cost of fresh pages does not pass for the load's own cost.
void WarmUp(const AnsiString& Text)
{
  auto report = std::make_unique<TfrxReport>(nullptr);
  TStringStream in(Text);
  report->LoadFromStream(&in);
}

void BM_ReportXmlLoadScaling(benchmark::State& state)
{
  StartUnits();
  const Integer count = static_cast<Integer>(state.range(0));
  const AnsiString text = FlatReportText(count);
  WarmUp(text);
  for (auto _ : state) {
    state.PauseTiming();
    auto report = std::make_unique<TfrxReport>(nullptr);
    TStringStream in(text);
    state.ResumeTiming();
    report->LoadFromStream(&in);
    state.PauseTiming();
    if (report->ComponentCount() != count + 2)
      state.SkipWithError("objects lost");
    report.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
  state.counters["objects/s"] =
      benchmark::Counter(static_cast<double>(count) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportXmlLoadScaling)
    ->RangeMultiplier(2)
    ->Range(4000, 64000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Freeing a loaded report of Count objects.
void BM_ReportFreeScaling(benchmark::State& state)
{
  StartUnits();
  const Integer count = static_cast<Integer>(state.range(0));
  const AnsiString text = FlatReportText(count);
  WarmUp(text);
  for (auto _ : state) {
    state.PauseTiming();
    auto report = std::make_unique<TfrxReport>(nullptr);
    TStringStream in(text);
    report->LoadFromStream(&in);
    state.ResumeTiming();
    report.reset();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReportFreeScaling)
    ->RangeMultiplier(2)
    ->Range(4000, 64000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

BENCHMARK_MAIN();
