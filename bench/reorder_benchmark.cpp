// One live reorder during a drag over an arrangement of 2,000 slots, with the save snapshot it
// schedules: the work the main thread does per reorder.
#include <benchmark/benchmark.h>

#include "catalogue/saved_layout_item.h"
#include "catalogue_fixture.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

// Every reading is a second after the last: the reorder throttle never holds a call back.
class SteppingClock final : public MediaClock {
 public:
  double now() const override { return time_ += 1.0; }

 private:
  mutable double time_ = 0.0;
};

// Takes the debounced write and drops it: the write itself runs off the main thread.
class DiscardingQueue final : public BackgroundQueue {
 public:
  Cancellable asyncAfter(double, Work) override { return {}; }
  void waitUntilIdle() override {}
};

struct ReorderFixture {
  testing::TestPlatform platform;
  PagerMotionController pager;
  std::unique_ptr<TilewellStore> store;

  ReorderFixture() {
    PlatformServices services = platform.services();
    services.clock = std::make_shared<SteppingClock>();
    services.backgroundQueue = std::make_shared<DiscardingQueue>();
    store = std::make_unique<TilewellStore>(services, pager);
    // 2,160 applications: 40 folders of 5 among 1,960 loose ones, 2,000 slots.
    store->items = bench::arrangementWithFolders(bench::realisticApps(2160), 40, 5);
  }
};

// The dragged slot swings between index `a` and index `b`.
void reorder(benchmark::State& state, std::size_t a, std::size_t b) {
  ReorderFixture fixture;
  TilewellStore& store = *fixture.store;
  if (store.items->size() != 2000) state.SkipWithError("the arrangement is not 2,000 slots");
  const LaunchItem dragged = store.items.get()[a];
  const Point away{0, 0};
  const Size cell{120, 140};
  bool forth = true;
  for (auto _ : state) {
    const LaunchItem target = store.items.get()[forth ? b : a];
    store.updateDragOverTarget(dragged, target, away, cell);
    forth = !forth;
  }
  if (store.items.get()[forth ? a : b].id() != dragged.id()) state.SkipWithError("no reorder");
  state.counters["slots"] = static_cast<double>(store.items->size());
}

void BM_LiveReorderAcrossTheWholeGrid(benchmark::State& state) {
  reorder(state, 10, 1990);
}
BENCHMARK(BM_LiveReorderAcrossTheWholeGrid)->Unit(benchmark::kMicrosecond);

void BM_LiveReorderToTheNextSlot(benchmark::State& state) {
  reorder(state, 1000, 1001);
}
BENCHMARK(BM_LiveReorderToTheNextSlot)->Unit(benchmark::kMicrosecond);

// The records of the layout file for the same arrangement: made by the save when it runs, on the
// background queue, not by the reorder.
void BM_SaveRecordsOffTheMainThread(benchmark::State& state) {
  ReorderFixture fixture;
  const std::vector<LaunchItem>& items = fixture.store->items;
  for (auto _ : state)
    benchmark::DoNotOptimize(snapshotLayout(items));
}
BENCHMARK(BM_SaveRecordsOffTheMainThread)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calyxa
