// The data-aware grid over 100,000 records of an in-memory dataset on the headless backend:
// one screen scrolled page by page and row by row and repainted, measured near the first,
// the middle and the last page. The buffered view shows its data link's buffer window and
// scrolls by moving the dataset; the memory-table view has a row per record, reads each
// row on screen through an instant read and scrolls without moving the dataset. In both
// the cost per screen should not depend on where in the dataset the screen is.
#include <memory>

#include <benchmark/benchmark.h>

#include "controls/eh/DBGridEh.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Units.h"
#include "platform/ui/Forms.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/controls/eh/MemTableEhTestKit.h"

void RegisterGraphicsUnits();
void RegisterUiUnits();
void RegisterDataUnits();
void RegisterEhUnits();

namespace {

constexpr Integer kRecords = 100000;

struct TGridFixture {
  std::unique_ptr<TMemDataSet> Data;
  TForm* Form = nullptr;
  TDBGridEh* Grid = nullptr;
  TDataSource* Source = nullptr;

  TGridFixture()
  {
    RegisterRtlUnits();
    RegisterGraphicsUnits();
    RegisterUiUnits();
    RegisterDataUnits();
    RegisterEhUnits();
    InitializeUnits();
    Headless().Reset();
    Data = std::make_unique<TMemDataSet>();
    Data->FieldDefs()->Add("ID", ftInteger);
    Data->FieldDefs()->Add("Name", ftString, 20);
    Data->FieldDefs()->Add("City", ftString, 20);
    Data->FieldDefs()->Add("Qty", ftInteger);
    Data->FieldDefs()->Add("Amount", ftFloat);
    Data->CreateDataSet();
    const char* cities[] = {"哈尔滨", "大连", "西安", "武汉", "苏州"};
    Data->DisableControls();
    for (Integer i = 1; i <= kRecords; ++i)
      Data->AppendRecord({Variant(i), Variant("收件人" + IntToStr(i)), Variant(cities[i % 5]),
                          Variant(i % 97), Variant(i * 1.25)});
    Data->EnableControls();
    Data->First();
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 820, 620);
    Grid = new TDBGridEh(Form);
    Grid->SetBounds(0, 0, 800, 600);
    Grid->SetParent(Form);
    Source = new TDataSource();
    Source->SetDataSet(Data.get());
    Grid->SetDataSource(Source);
    Form->Show();
    Headless().ProcessMessages();
  }
};

TGridFixture& Fixture()
{
  static TGridFixture fixture;
  return fixture;
}

// The same records in a memory table that offers the grid its memory-table view.
struct TMemTableFixture {
  std::unique_ptr<ehtest::TTestMemTableEh> Data;
  TForm* Form = nullptr;
  TDBGridEh* Grid = nullptr;
  TDataSource* Source = nullptr;

  TMemTableFixture()
  {
    Fixture(); // units, backend
    Data = std::make_unique<ehtest::TTestMemTableEh>();
    Data->MakeFlat(kRecords);
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 820, 620);
    Grid = new TDBGridEh(Form);
    Grid->SetBounds(0, 0, 800, 600);
    Grid->SetParent(Form);
    Source = new TDataSource();
    Source->SetDataSet(Data.get());
    Grid->SetDataSource(Source);
    Form->Show();
    Headless().ProcessMessages();
  }
};

TMemTableFixture& MemFixture()
{
  static TMemTableFixture fixture;
  return fixture;
}

// Where a screen starts: near the first, the middle or the last page.
Integer StartOf(Integer Where)
{
  return Where == 0 ? 1 : Where == 1 ? kRecords / 2 : kRecords - 200;
}

void Screen(benchmark::State& State, bool PageByPage)
{
  TGridFixture& f = Fixture();
  Integer page = f.Grid->VisibleDataRowCount();
  Integer start = StartOf(static_cast<Integer>(State.range(0)));
  f.Data->SetRecNo(start);
  Headless().ProcessMessages();
  // Back and forth over four pages from the start, so every screen lies in that region;
  // row by row the window scrolls a row at a time once the current row reaches its edge.
  Integer step = PageByPage ? page : 1;
  Integer limit = PageByPage ? 4 : 4 * page;
  Integer dir = 1, steps = 0;
  for (auto _ : State) {
    if (steps == limit) {
      dir = -dir;
      steps = 0;
    }
    ++steps;
    f.Data->MoveBy(dir * step);
    f.Grid->Invalidate();
    Headless().ProcessMessages();
  }
  State.counters["rows"] = page;
  State.SetItemsProcessed(State.iterations());
}

void BM_GridPageByPage(benchmark::State& State)
{
  Screen(State, true);
}
BENCHMARK(BM_GridPageByPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_GridRowByRow(benchmark::State& State)
{
  Screen(State, false);
}
BENCHMARK(BM_GridRowByRow)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The memory-table view scrolled by the vertical bar's messages: the dataset never moves.
void MemScreen(benchmark::State& State, bool PageByPage)
{
  TMemTableFixture& f = MemFixture();
  if (!f.Grid->MemTableViewActive()) {
    State.SkipWithError("the grid is not in memory-table view");
    return;
  }
  Integer page = f.Grid->VisibleDataRowCount();
  Integer start = StartOf(static_cast<Integer>(State.range(0)));
  f.Grid->ClampedSetTopRow(start);
  Headless().ProcessMessages();
  Integer limit = PageByPage ? 4 : 4 * page;
  Integer dir = 1, steps = 0;
  HWND h = f.Grid->Handle();
  for (auto _ : State) {
    if (steps == limit) {
      dir = -dir;
      steps = 0;
    }
    ++steps;
    Integer code =
        PageByPage ? (dir > 0 ? SB_PAGEDOWN : SB_PAGEUP) : (dir > 0 ? SB_LINEDOWN : SB_LINEUP);
    SendMessage(h, WM_VSCROLL, code, 0);
    Headless().ProcessMessages();
  }
  State.counters["rows"] = page;
  State.counters["top"] = f.Grid->TopRow();
  State.SetItemsProcessed(State.iterations());
}

void BM_MemTablePageByPage(benchmark::State& State)
{
  MemScreen(State, true);
}
BENCHMARK(BM_MemTablePageByPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_MemTableRowByRow(benchmark::State& State)
{
  MemScreen(State, false);
}
BENCHMARK(BM_MemTableRowByRow)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
