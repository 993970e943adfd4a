// The layered suite's foundation on the headless backend: a container painting 200 parts
// through a look-and-feel painter (a full repaint each iteration, for each painter), and a
// base control with its own vertical bar scrolled line by line over 100,000 rows, each step
// recalculating the bar and painting the rows shown.
#include <benchmark/benchmark.h>

#include "controls/cx/base/cxContainer.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Units.h"
#include "platform/ui/backend/headless/Headless.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterCxBaseUnits();

namespace {

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterCxBaseUnits();
    InitializeUnits();
    Headless().SetScreenSize({900, 700});
    Headless().SetTimeBudget(1LL << 40);
    return true;
  }();
  (void)started;
}

// A container that paints a grid of 200 parts with its look and feel's painter.
class TPartsContainer : public TcxContainer {
public:
  using TcxContainer::TcxContainer;

protected:
  void Paint() override
  {
    TcxContainer::Paint();
    TcxCanvas* c = cxCanvas();
    TcxCustomLookAndFeelPainterClass p = Painter();
    for (Integer i = 0; i < 200; ++i) {
      const TRect r = Bounds(4 + (i % 10) * 60, 4 + (i / 10) * 24, 56, 20);
      const TcxButtonState s = static_cast<TcxButtonState>(i % 5);
      switch (i % 5) {
      case 0:
        p->DrawButton(c, r, "按钮", s);
        break;
      case 1:
        p->DrawHeader(c, r, cxRectInflate(r, -2, -2), {}, cxBordersAll, s, taLeftJustify, vaCenter,
                      false, true, "运单号", Font(), clBtnText, clBtnFace);
        break;
      case 2:
        p->DrawCheckButton(c, Bounds(r.Left, r.Top, 13, 13), s, i % 2 == 0);
        p->DrawRadioButton(c, r.Left + 20, r.Top, s, i % 3 == 0, false, clWindow);
        break;
      case 3:
        p->DrawScrollBarPart(c, true, r, sbpThumbnail, cxbsNormal);
        break;
      default:
        p->DrawFooterCell(c, r, taRightJustify, vaCenter, false, "12.50", Font(), clBtnText,
                          clBtnFace);
        break;
      }
    }
  }
};

void BM_PaintContainer200Parts(benchmark::State& state)
{
  StartUnits();
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 640, 540);
  auto* c = new TPartsContainer(form);
  c->SetParent(form);
  c->SetBounds(4, 4, 620, 500);
  c->Style()->LookAndFeel()->SetKind(static_cast<TcxLookAndFeelKind>(state.range(0)));
  form->Show();
  Headless().ProcessMessages();
  for (auto _ : state)
    RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  state.counters["parts/s"] = benchmark::Counter(200.0 * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
  delete form;
  Headless().ProcessMessages();
}
BENCHMARK(BM_PaintContainer200Parts)
    ->Arg(lfFlat)
    ->Arg(lfStandard)
    ->Arg(lfUltraFlat)
    ->Unit(benchmark::kMillisecond);

// 100,000 rows of 18 pixels; the own vertical bar tells where the top row is.
class TRowsControl : public TcxControl {
public:
  using TcxControl::TcxControl;
  static constexpr Integer RowCount = 100000;
  static constexpr Integer RowHeight = 18;
  Integer TopRow = 0;

  Integer VisibleRows()
  {
    TRect r;
    ContentRect(r);
    return std::max(1, cxRectHeight(r) / RowHeight);
  }
  void InitScrollBarData() override
  {
    SetScrollBarData(sbVertical, 0, RowCount - 1, 1, VisibleRows(), TopRow, true, true);
  }
  void Scroll(TScrollBarKind, TScrollCode ACode, Integer& APos) override
  {
    if (ACode == scLineDown)
      TopRow = std::min(TopRow + 1, RowCount - VisibleRows());
    else if (ACode == scLineUp)
      TopRow = std::max(TopRow - 1, 0);
    APos = TopRow;
    RecalcScrollBars();
    Invalidate();
  }

protected:
  void Paint() override
  {
    TRect content;
    ContentRect(content);
    TcxCustomLookAndFeelPainterClass p = Painter();
    for (Integer i = 0; i < VisibleRows(); ++i) {
      const TRect r = Rect(content.Left, content.Top + i * RowHeight, content.Right,
                           content.Top + (i + 1) * RowHeight);
      p->DrawContent(cxCanvas(), r, cxRectInflate(r, -2, 0), taLeftJustify, vaCenter, false, true,
                     "运单 " + IntToStr(TopRow + i) + " 上海市浦东新区", Font(), clWindowText,
                     (TopRow + i) % 2 ? clWindow : clInfoBk);
    }
  }
};

void BM_ScrollBaseControl100000Rows(benchmark::State& state)
{
  StartUnits();
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 400, 500);
  auto* c = new TRowsControl(form);
  c->SetParent(form);
  c->SetBounds(4, 4, 360, 440);
  form->Show();
  c->RecalcScrollBars();
  Headless().ProcessMessages();
  Integer steps = 0;
  for (auto _ : state) {
    c->ScrollInDirection(c->TopRow + c->VisibleRows() >= TRowsControl::RowCount ? 3 : 4);
    UpdateWindow(c->Handle());
    ++steps;
  }
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
  state.counters["bar position"] = c->VScrollBar()->Position();
  delete form;
  Headless().ProcessMessages();
}
BENCHMARK(BM_ScrollBaseControl100000Rows)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
