// Window layer benchmarks on the headless backend: message dispatch (a sent message, and a
// posted one taken by peek and dispatched), input fed in a burst and routed as it is taken,
// scrolling a small part of a large window, and a full repaint of a form holding 200 child
// controls (edits, buttons and labels, erase then paint, children clipped).
#include <benchmark/benchmark.h>

#include "platform/rtl/Units.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/Headless.h"

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
    return true;
  }();
  (void)started;
}

LRESULT CountingProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  static LRESULT count = 0;
  if (m == WM_USER + 1)
    return ++count;
  return DefWindowProc(h, m, w, l);
}

HWND MakeWindow(Integer width = 100, Integer height = 100, DWORD style = WS_POPUP)
{
  WNDCLASS wc;
  wc.lpszClassName = "UiBenchWindow";
  wc.lpfnWndProc = &CountingProc;
  RegisterClass(wc);
  return CreateWindowEx(0, "UiBenchWindow", "", style, 0, 0, width, height, 0);
}

void BM_SendMessage(benchmark::State& state)
{
  StartUnits();
  HWND h = MakeWindow();
  for (auto _ : state)
    benchmark::DoNotOptimize(SendMessage(h, WM_USER + 1, 0, 0));
  state.SetItemsProcessed(state.iterations());
  DestroyWindow(h);
}
BENCHMARK(BM_SendMessage);

// Post a batch, then take each one out with PeekMessage(PM_REMOVE) and dispatch it.
void BM_PostPeekDispatch(benchmark::State& state)
{
  StartUnits();
  HWND h = MakeWindow();
  constexpr int batch = 64;
  for (auto _ : state) {
    for (int i = 0; i < batch; ++i)
      PostMessage(h, WM_USER + 1, i, 0);
    MSG msg;
    while (PeekMessage(msg, h, WM_USER + 1, WM_USER + 1, PM_REMOVE))
      benchmark::DoNotOptimize(DispatchMessage(msg));
  }
  state.SetItemsProcessed(state.iterations() * batch);
  DestroyWindow(h);
}
BENCHMARK(BM_PostPeekDispatch);

// Bursts of pointer moves and key strokes fed as a display delivers them, then taken from
// the queue (routed to their windows as they are taken) and dispatched.
void BM_InputBurstRoutedAndDispatched(benchmark::State& state)
{
  StartUnits();
  HWND h = MakeWindow();
  ShowWindow(h, SW_SHOW);
  SetFocus(h);
  Headless().ProcessMessages();
  constexpr int batch = 64;
  for (auto _ : state) {
    for (int i = 0; i < batch / 2; ++i) {
      InputMouseMove({10 + i, 20});
      InputKey('A', (i & 1) == 0);
    }
    MSG msg;
    while (PeekMessage(msg, 0, 0, 0, PM_REMOVE))
      benchmark::DoNotOptimize(DispatchMessage(msg));
  }
  state.SetItemsProcessed(state.iterations() * batch);
  DestroyWindow(h);
}
BENCHMARK(BM_InputBurstRoutedAndDispatched);

// One line of a grid scrolled inside a 1600x1200 window: only that rectangle's pixels are
// copied, whatever the window's size.
void BM_ScrollSmallRectOfLargeWindow(benchmark::State& state)
{
  StartUnits();
  HWND h = MakeWindow(1600, 1200, WS_POPUP | WS_VISIBLE);
  Headless().ProcessMessages();
  TRect line = Rect(100, 100, 500, 140);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        ScrollWindowEx(h, 0, -20, &line, nullptr, nullptr, nullptr, SW_INVALIDATE));
  state.SetItemsProcessed(state.iterations());
  DestroyWindow(h);
}
BENCHMARK(BM_ScrollSmallRectOfLargeWindow);

// A 1000x700 form with 200 children in a 10x20 grid: edits, buttons and labels with text.
void BM_RepaintForm200Children(benchmark::State& state)
{
  StartUnits();
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 1000, 700);
  form->SetCaption("重绘");
  for (int i = 0; i < 200; ++i) {
    TRect r = Bounds(5 + (i % 10) * 98, 5 + (i / 10) * 32, 90, 24);
    TControl* c = nullptr;
    switch (i % 3) {
    case 0:
      c = new TEdit(form);
      break;
    case 1:
      c = new TButton(form);
      break;
    default:
      c = new TLabel(form);
      break;
    }
    c->SetBoundsRect(r);
    c->SetParent(form);
    c->SetText("运单" + std::to_string(i));
  }
  form->Show();
  Headless().ProcessMessages();
  for (auto _ : state) {
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  state.SetItemsProcessed(state.iterations());
  delete form;
}
BENCHMARK(BM_RepaintForm200Children)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
