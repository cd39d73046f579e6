// Filtering 2,000 applications: a fresh computation per query length, and a cached read.
#include <benchmark/benchmark.h>

#include "catalogue_fixture.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

struct SearchFixture {
  testing::TestStore store;
  SearchFixture() {
    store->items = bench::arrangementWithFolders(bench::realisticApps(2000), 40, 5);
  }
};

void freshFilter(benchmark::State& state, const char* query) {
  SearchFixture fixture;
  fixture.store->searchText = query;
  std::size_t shown = 0;
  for (auto _ : state) {
    fixture.store->invalidateFilterCache();
    shown = fixture.store->filteredItems().size();
    benchmark::DoNotOptimize(shown);
  }
  state.counters["shown"] = static_cast<double>(shown);
}

void BM_FreshFilter(benchmark::State& state, const char* query) {
  freshFilter(state, query);
}
BENCHMARK_CAPTURE(BM_FreshFilter, one_char, "p")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FreshFilter, three_chars, "pho")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FreshFilter, six_chars, "studio")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FreshFilter, chinese, "音乐")->Unit(benchmark::kMicrosecond);

void BM_CachedRead(benchmark::State& state) {
  SearchFixture fixture;
  fixture.store->searchText = "pho";
  fixture.store->filteredItems();
  for (auto _ : state)
    benchmark::DoNotOptimize(fixture.store->filteredItems().size());
}
BENCHMARK(BM_CachedRead);

}  // namespace
}  // namespace calyxa
