#include <gtest/gtest.h>

#include "catalogue/layout_file.h"
#include "platform/posix/serial_background_queue.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::numberedApps;
using testing::slots;
using testing::TestPlatform;
using testing::TilewellStoreInspector;

// A real worker thread that starts each save at once instead of after its delay, so that writes
// run while the main thread goes on editing.
class ImmediateWorker final : public BackgroundQueue {
 public:
  explicit ImmediateWorker(std::shared_ptr<const MediaClock> clock) : queue_(std::move(clock)) {}
  Cancellable asyncAfter(double, Work work) override { return queue_.asyncAfter(0.0, work); }
  void waitUntilIdle() override { queue_.waitUntilIdle(); }

 private:
  SerialBackgroundQueue queue_;
};

TEST(ArrangementSaveTest, SavesWrittenDuringEditsHoldTheArrangementOfTheirTime) {
  TestPlatform platform;
  PlatformServices services = platform.services();
  auto worker = std::make_shared<ImmediateWorker>(services.clock);
  services.backgroundQueue = worker;
  PagerMotionController pager;
  TilewellStore store(services, pager);
  store.items = slots(numberedApps(300));
  pager.pageCount = store.pageCount();
  const auto file = TilewellStoreInspector::layoutFileURL(store);

  for (int round = 0; round < 300; ++round) {
    platform.scheduler->advance(0.2);
    const auto& items = store.items.get();
    const std::size_t n = items.size();
    const auto at = [&](std::size_t i) { return items[i % n]; };
    switch (round % 4) {
      case 0:
        store.updateDragOverTarget(at(round * 7), at(round * 13 + 1), {0, 0}, {100, 100});
        break;
      case 1:
        store.moveItemToPage(at(round * 3), round % 9);
        break;
      case 2:
        if (!at(round).isFolder() && !at(round + 1).isFolder()) {
          store.createOrMergeIntoFolder(at(round + 1), at(round));
        }
        break;
      default:
        if (const LaunchFolder* folder = at(round * 5).asFolder()) {
          store.dissolveFolder(folder->id);
        } else {
          store.moveItemStep(at(round * 5), round % 2 ? 1 : -1);
        }
    }
  }
  worker->waitUntilIdle();
  EXPECT_EQ(readLayoutFile(file), snapshotLayout(store.items));
  EXPECT_FALSE(store.hasPendingSave());
}

}  // namespace
}  // namespace calyxa
