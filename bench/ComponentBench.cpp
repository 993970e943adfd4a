// Freeing many owned components: the owner freeing them all, and each freed by itself from
// the last to the first and in the order they were made. Each size is timed so that the
// ratio between them shows whether the cost per component stays flat.
//
// The owner keeps insertions and removals to itself, as the report does with its objects:
// the base class passes each one on to every component it owns, which by itself costs time
// in proportion to the number owned. What is measured here is the owner's list.
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Units.h"

namespace {

void StartUnits()
{
  static bool done = false;
  if (done)
    return;
  done = true;
  RegisterRtlUnits();
  InitializeUnits();
}

class TQuietOwner : public TComponent {
public:
  using TComponent::TComponent;

protected:
  void Notification(TComponent*, TOperation) override {}
};

// Count components owned by Owner, in the order they were made.
std::vector<TComponent*> MakeOwned(TComponent* Owner, Integer Count)
{
  std::vector<TComponent*> made;
  made.reserve(static_cast<size_t>(Count));
  for (Integer i = 0; i < Count; ++i) {
    auto* c = new TComponent(Owner);
    made.push_back(c);
  }
  return made;
}

// The sizes every benchmark here runs at; the complexity fit over them shows whether the
// cost per component stays flat.
void Sizes(benchmark::internal::Benchmark* b)
{
  b->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
}

void BM_OwnerFreesItsComponents(benchmark::State& state)
{
  StartUnits();
  for (auto _ : state) {
    state.PauseTiming();
    auto* owner = new TQuietOwner(nullptr);
    MakeOwned(owner, static_cast<Integer>(state.range(0)));
    state.ResumeTiming();
    delete owner;
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OwnerFreesItsComponents)->Apply(Sizes);

// Times FreeAll freeing, each by itself, the components made for one run (their owner
// stays).
template <class F> void FreeOwnedOneByOne(benchmark::State& state, F FreeAll)
{
  StartUnits();
  for (auto _ : state) {
    state.PauseTiming();
    TQuietOwner owner(nullptr);
    std::vector<TComponent*> made = MakeOwned(&owner, static_cast<Integer>(state.range(0)));
    state.ResumeTiming();
    FreeAll(made);
  }
  state.SetComplexityN(state.range(0));
}

void BM_FreeOwnedLastFirst(benchmark::State& state)
{
  FreeOwnedOneByOne(state, [](const std::vector<TComponent*>& made) {
    for (auto it = made.rbegin(); it != made.rend(); ++it)
      delete *it;
  });
}
BENCHMARK(BM_FreeOwnedLastFirst)->Apply(Sizes);

void BM_FreeOwnedInCreationOrder(benchmark::State& state)
{
  FreeOwnedOneByOne(state, [](const std::vector<TComponent*>& made) {
    for (TComponent* c : made)
      delete c;
  });
}
BENCHMARK(BM_FreeOwnedInCreationOrder)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
