#pragma once

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "support/test_platform.h"
#include "views/animation/frame_driver.h"
#include "views/effects/vitrel_ambient_backdrop.h"
#include "views/icon_raster_cache.h"

namespace calyxa::testing {

// A store on fakes, a frame driver on the same manual clock, and a 1440 × 900 window with the
// backdrop in which the test puts its modal.
struct ModalHarness {
  explicit ModalHarness(std::vector<LaunchItem> items = {}) {
    platform.systemRoot = SystemRoot(root.path());
    platform.userDatabase->home = realHome.path().string();
    store = std::make_unique<TestStore>(platform);
    if (!items.empty()) (*store)->items = std::move(items);
    (*store)->invalidateFilterCache();
    host.resize(1440, 900);
    backdrop = new VitrelAmbientBackdrop(&host);
    backdrop->setGeometry(host.rect());
    host.show();
    QApplication::setActiveWindow(&host);
  }

  TilewellStore& operator*() { return **store; }
  TilewellStore* operator->() { return store->store.get(); }

  // Lets every animation finish.
  void settle() {
    platform.scheduler->advance(2.0);
    QApplication::processEvents();
  }

  // The window as drawn, written to renders/<name>.png.
  QImage snapshot(const std::string& name) {
    IconRasterCache::shared().waitUntilIdle();
    QApplication::processEvents();
    QImage image(host.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    host.render(&image);
    std::filesystem::create_directories(CALYXA_RENDER_DIR);
    image.save(QString::fromStdString(CALYXA_RENDER_DIR "/" + name + ".png"));
    return image;
  }

  TempDir root;
  TempDir realHome;
  TestPlatform platform;
  std::unique_ptr<TestStore> store;
  FrameDriver driver{platform.scheduler->clock(), platform.scheduler->mainQueue()};
  QWidget host;
  VitrelAmbientBackdrop* backdrop;
};

}  // namespace calyxa::testing
