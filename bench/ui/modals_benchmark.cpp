// The three modals over the full overlay at 1440 × 900 on the software raster: opening one to
// its first complete frame, and one frame while it springs in.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <functional>
#include <memory>

#include "catalogue_fixture.h"
#include "support/test_platform.h"
#include "views/animation/frame_driver.h"
#include "views/icon_raster_cache.h"
#include "views/modals/overlay_modals.h"
#include "views/tilewell_view.h"

namespace calyxa {
namespace {

const QSize kScreen(1440, 900);

struct OverlayScene {
  OverlayScene() {
    const auto apps = bench::realisticApps(300);
    auto items = bench::arrangementWithFolders(apps, 12, 16);
    store = std::make_unique<testing::TestStore>(platform);
    withoutAnimation([&] {
      (*store)->items = items;
      (*store)->isPresented = true;
    });
    for (const auto& item : items) {
      if (item.isFolder()) folder = *item.asFolder();
    }
    view = std::make_unique<TilewellView>(
        **store, [] {}, nullptr, driver);
    installOverlayModals(*view, **store, driver, [] {});
    view->resize(kScreen);
    view->show();
    frame();  // the grid's icons decode once, before anything is measured
    IconRasterCache::shared().waitUntilIdle();
    QApplication::processEvents();
  }

  // What the window shows now, drawn whole.
  void frame() { view->render(&image); }

  // Sets the flag of one modal without animation, or with the spring of its operation.
  void present(int modal, bool shown, bool animated) {
    TilewellStore& s = **store;
    const auto change = [&] {
      if (modal == 0) s.activeFolder = shown ? std::optional(folder) : std::nullopt;
      if (modal == 1) s.showSettings = shown;
      if (modal == 2) s.showOnboarding = shown;
    };
    if (animated) {
      withAnimation(Animation::spring(0.26, 1.0), change);
    } else {
      withoutAnimation(change);
    }
  }

  testing::TestPlatform platform;
  std::unique_ptr<testing::TestStore> store;
  FrameDriver driver{platform.scheduler->clock(), platform.scheduler->mainQueue()};
  std::unique_ptr<TilewellView> view;
  LaunchFolder folder;
  QImage image{kScreen, QImage::Format_ARGB32_Premultiplied};
};

const char* kNames[] = {"folder", "settings", "onboarding"};

// From the store's request, with its spring, to the first frame: the modal lays itself out,
// takes its picture of the grid beneath and paints over it. (Built once: the first opening of
// each modal also builds its widgets.)
void BM_OpenModalToFirstFrame(benchmark::State& state) {
  OverlayScene scene;
  const int modal = static_cast<int>(state.range(0));
  for (auto _ : state) {
    scene.present(modal, true, true);
    scene.frame();
    benchmark::DoNotOptimize(scene.image.constBits());
    state.PauseTiming();
    scene.present(modal, false, false);
    QApplication::processEvents();
    IconRasterCache::shared().waitUntilIdle();
    state.ResumeTiming();
  }
  state.SetLabel(kNames[modal]);
}
BENCHMARK(BM_OpenModalToFirstFrame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// One frame of the window while the modal fades and grows in: the frame clock moves 1/60 s a
// frame; the modal is presented again when it has arrived.
void BM_FrameWhileModalAnimates(benchmark::State& state) {
  OverlayScene scene;
  const int modal = static_cast<int>(state.range(0));
  int frames = 0;
  for (auto _ : state) {
    if (frames++ % 12 == 0) {
      state.PauseTiming();
      scene.present(modal, false, false);
      QApplication::processEvents();
      scene.present(modal, true, true);
      scene.frame();
      state.ResumeTiming();
    }
    scene.platform.scheduler->advance(1.0 / 60.0);
    scene.frame();
    benchmark::DoNotOptimize(scene.image.constBits());
  }
  state.SetLabel(kNames[modal]);
}
BENCHMARK(BM_FrameWhileModalAnimates)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The first opening of a modal, which also builds it.
void BM_BuildAndOpenModal(benchmark::State& state) {
  const int modal = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto scene = std::make_unique<OverlayScene>();
    state.ResumeTiming();
    scene->present(modal, true, true);
    scene->frame();
    benchmark::DoNotOptimize(scene->image.constBits());
    state.PauseTiming();
    scene.reset();
    state.ResumeTiming();
  }
  state.SetLabel(kNames[modal]);
}
BENCHMARK(BM_BuildAndOpenModal)->DenseRange(0, 2)->Iterations(5)->Unit(benchmark::kMillisecond);

// The same window without a modal, for comparison.
void BM_FrameWithoutModal(benchmark::State& state) {
  OverlayScene scene;
  for (auto _ : state) {
    scene.frame();
    benchmark::DoNotOptimize(scene.image.constBits());
  }
}
BENCHMARK(BM_FrameWithoutModal)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calyxa
