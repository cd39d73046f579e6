// The whole application scan over 2,000 bundles with a saved layout of 1,900 slots, and the
// layout file's encoding and decoding.
#include <benchmark/benchmark.h>

#include "bundle_tree_fixture.h"
#include "catalogue/layout_file.h"
#include "platform/posix/posix_bundle_reader.h"
#include "platform/posix/posix_workspace.h"
#include "platform/posix/proc_running_applications.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

constexpr int kBundles = 2000;
constexpr int kRecords = 1900;
constexpr int kFolders = 60;
constexpr int kPerFolder = 4;
constexpr int kVanished = 100;

struct ScanFixture {
  bench::BundleTree tree = bench::generateBundleTree(kBundles);
  std::vector<SavedLayoutItem> layout =
      bench::savedLayoutOver(tree.bundlePaths, kRecords, kFolders, kPerFolder, kVanished);
  testing::TestPlatform platform;
  PagerMotionController pager;
  std::unique_ptr<TilewellStore> store;

  ScanFixture() {
    platform.systemRoot = SystemRoot(tree.root->path());
    writeLayoutFile(platform.home->path() / "CalyxaData" / "tilewell_layout.json", layout);
    PlatformServices services = platform.services();
    // The real running-application source, as the program has it.
    services.runningApplications = std::make_shared<ProcRunningApplications>(
        services.systemRoot, services.bundles,
        std::make_shared<PosixWorkspace>(services.systemRoot, services.mainQueue,
                                         services.backgroundQueue));
    store = std::make_unique<TilewellStore>(services, pager);
  }
};

ScanFixture& scanFixture() {
  static ScanFixture fixture;  // one tree for every benchmark: generating it takes seconds
  return fixture;
}

void scan(benchmark::State& state, bool iconsCached) {
  ScanFixture& fixture = scanFixture();
  TilewellStore& store = *fixture.store;
  for (auto _ : state) {
    state.PauseTiming();
    if (!iconsCached) testing::TilewellStoreInspector::clearIconCache(store);
    state.ResumeTiming();
    store.scanApplications(std::nullopt, false);
    state.PauseTiming();
    fixture.platform.scheduler->advance(1.0);  // writes the save, drops what it superseded
    state.ResumeTiming();
  }
  state.counters["apps"] = static_cast<double>(store.totalAppsCount());
  state.counters["slots"] = static_cast<double>(store.items->size());
}

void BM_ScanApplications(benchmark::State& state) {
  scan(state, true);
}
BENCHMARK(BM_ScanApplications)->Unit(benchmark::kMillisecond);

void BM_ScanApplicationsWithoutCachedIcons(benchmark::State& state) {
  scan(state, false);
}
BENCHMARK(BM_ScanApplicationsWithoutCachedIcons)->Unit(benchmark::kMillisecond);

void BM_EncodeLayout(benchmark::State& state) {
  const auto& layout = scanFixture().layout;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string document = encodeLayoutDocument(layout);
    bytes = document.size();
    benchmark::DoNotOptimize(document.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["records"] = static_cast<double>(layout.size());
}
BENCHMARK(BM_EncodeLayout)->Unit(benchmark::kMicrosecond);

void BM_DecodeLayout(benchmark::State& state) {
  const std::string document = encodeLayoutDocument(scanFixture().layout);
  std::size_t records = 0;
  for (auto _ : state) {
    const auto decoded = decodeCurrentLayout(document);
    records = decoded ? decoded->size() : 0;
    benchmark::DoNotOptimize(records);
  }
  state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_DecodeLayout)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calyxa
