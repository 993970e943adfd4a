// Standard controls on the headless backend: a full repaint of the controls gallery (one
// form holding every control), and scrolling an owner-drawn list box of 10,000 items one
// line at a time, each step painted.
#include <benchmark/benchmark.h>

#include "platform/rtl/Units.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/support/ControlsGallery.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();

namespace {

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    InitializeUnits();
    Headless().Reset();
    Headless().SetScreenSize({900, 660});
    return true;
  }();
  (void)started;
}

void BM_RepaintControlsGallery(benchmark::State& state)
{
  StartUnits();
  TControlsGallery g = BuildControlsGallery();
  Headless().ProcessMessages();
  for (auto _ : state) {
    RedrawWindow(g.Form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  state.counters["controls"] = static_cast<double>(g.ControlCount);
  delete g.Form;
  Headless().ProcessMessages();
}
BENCHMARK(BM_RepaintControlsGallery)->Unit(benchmark::kMillisecond);

void BM_ScrollOwnerDrawnListBox10000(benchmark::State& state)
{
  StartUnits();
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 300, 400);
  auto* list = new TListBox(form);
  list->SetBounds(10, 10, 260, 340);
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(18);
  list->SetParent(form);
  list->Items()->BeginUpdate();
  for (Integer i = 0; i < 10000; ++i)
    list->Items()->Add("运单 " + std::to_string(i) + " 上海市浦东新区");
  list->Items()->EndUpdate();
  list->OnDrawItem = [list](TWinControl*, Integer index, const TRect& r, TOwnerDrawState s) {
    TCanvas* c = list->Canvas();
    c->Brush()->SetColor(s.Contains(odSelected) ? clHighlight : (index % 2 ? clWindow : clInfoBk));
    c->FillRect(r);
    c->Brush()->SetColor(index % 3 == 0 ? clRed : clGreen);
    c->FillRect(Rect(r.Left + 2, r.Top + 3, r.Left + 14, r.Bottom - 3));
    c->Brush()->SetStyle(bsClear);
    c->TextOut(r.Left + 18, r.Top + 2, list->Items()->Strings(index));
    c->Brush()->SetStyle(bsSolid);
  };
  form->Show();
  Headless().ProcessMessages();
  HWND h = list->Handle();
  Integer steps = 0;
  for (auto _ : state) {
    if (list->TopIndex() >= 10000 - 20)
      SendMessage(h, WM_VSCROLL, SB_TOP, 0);
    SendMessage(h, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(h);
    ++steps;
  }
  state.SetItemsProcessed(steps);
  delete form;
  Headless().ProcessMessages();
}
BENCHMARK(BM_ScrollOwnerDrawnListBox10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
