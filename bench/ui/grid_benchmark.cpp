// The overlay's grid on the software raster over 2,000 applications in 60 folders: a still
// frame, a frame while a finger drags the pages, the way from being presented to the first frame,
// and the resident memory of a whole snapshot run.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "bundle_tree_fixture.h"
#include "catalogue/layout_file.h"
#include "catalogue_fixture.h"
#include "support/test_platform.h"
#include "views/icon_raster_cache.h"
#include "views/tilewell_view.h"

namespace calyxa {
namespace {

constexpr int kApps = 2000;
constexpr int kFolders = 60;
constexpr int kPerFolder = 10;
const QSize kScreen(1440, 900);

// A store over the catalogue and the overlay's view on it, both on a manual clock.
struct Overlay {
  testing::TestStore store;
  FrameDriver driver{store.platform.scheduler->clock(), store.platform.scheduler->mainQueue()};
  std::unique_ptr<TilewellView> view;
  QImage frame{kScreen, QImage::Format_ARGB32_Premultiplied};

  explicit Overlay(bool presented) {
    const std::vector<AppItem> apps = bench::realisticApps(kApps);
    std::map<std::string, AppItem> catalogue;
    for (const AppItem& app : apps)
      catalogue.emplace(app.id, app);
    store->allAppsMap = catalogue;
    store->items = bench::arrangementWithFolders(apps, kFolders, kPerFolder);
    store.pager.pageCount = store->pageCount();
    withoutAnimation([&] {
      store->isPresented = presented;
      store->showOnboarding = false;
    });
    view = std::make_unique<TilewellView>(
        *store, [] {}, nullptr, driver);
    view->resize(kScreen);
    if (presented) view->show();
  }

  void paint() {
    QPainter painter(&frame);
    view->render(&painter);
  }
  // Paints until every icon shown is decoded.
  void settle() {
    paint();
    IconRasterCache::shared().waitUntilIdle();
    QApplication::processEvents();
    paint();
  }
};

void BM_StillFrame(benchmark::State& state) {
  Overlay overlay(true);
  overlay.settle();
  for (auto _ : state)
    overlay.paint();
}
BENCHMARK(BM_StillFrame)->Unit(benchmark::kMillisecond);

void BM_FrameDuringPageDrag(benchmark::State& state) {
  Overlay overlay(true);
  PagerMotionController& pager = overlay.store.pager;
  pager.switchPageAnimated(3);
  overlay.store.platform.scheduler->advance(2.0);
  // Warm both neighbours, then swing between them: two pages are always partly visible.
  for (double delta : {-500.0, 1000.0, -500.0}) {
    pager.updateInteractiveDrag(delta);
    overlay.settle();
  }
  double direction = -1.0;
  for (auto _ : state) {
    pager.updateInteractiveDrag(direction * 37.0);
    if (std::abs(pager.dragOffsetX) > 600) direction = -direction;
    overlay.paint();
  }
}
BENCHMARK(BM_FrameDuringPageDrag)->Unit(benchmark::kMillisecond);

// The overlay exists (it is built with the window at start-up) and is hidden; presenting it
// shows the grid, whose icons are not decoded yet, and the first frame of the entrance is drawn.
void BM_PresentToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto overlay = std::make_unique<Overlay>(false);
    state.ResumeTiming();
    withAnimation(Animation::spring(0.3, 1.0), [&] { overlay->store->isPresented = true; });
    overlay->view->show();
    overlay->store.platform.scheduler->advance(1.0 / 60);
    overlay->paint();
    state.PauseTiming();
    overlay.reset();
    IconRasterCache::shared().waitUntilIdle();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PresentToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

// The snapshot program over a tree of 2,000 bundles with a saved layout of 60 folders: its
// largest resident set.
void BM_SnapshotResidentMemory(benchmark::State& state) {
  bench::BundleTree tree = bench::generateBundleTree(kApps);
  testing::TempDir home;
  writeLayoutFile(home / "CalyxaData/tilewell_layout.json",
                  bench::savedLayoutOver(tree.bundlePaths, kApps - kFolders * (kPerFolder - 1),
                                         kFolders, kPerFolder, 0),
                  {});
  const std::string picture = (home / "shot.png").string();
  std::vector<std::string> arguments{CALYXA_EXECUTABLE, "--snapshot", picture};
  std::vector<std::string> environment{"PATH=/usr/bin:/bin",
                                       "CALYXA_SYSTEM_ROOT=" + tree.root->path().string(),
                                       "HOME=" + home.path().string(),
                                       "XDG_CONFIG_HOME=" + (home / "config").string(),
                                       "XDG_DATA_HOME=" + (home / "data").string(),
                                       "XDG_RUNTIME_DIR=" + home.path().string()};
  const auto pointers = [](std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings)
      result.push_back(s.data());
    result.push_back(nullptr);
    return result;
  };
  auto argv = pointers(arguments);
  auto envp = pointers(environment);
  long largest = 0;
  for (auto _ : state) {
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
      state.SkipWithError("cannot start Calyxa");
      return;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the snapshot failed");
      return;
    }
    largest = std::max(largest, usage.ru_maxrss);
  }
  state.counters["rss_MB"] = static_cast<double>(largest) / 1024.0;
}
BENCHMARK(BM_SnapshotResidentMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace calyxa
