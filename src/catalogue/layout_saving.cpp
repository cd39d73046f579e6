#include <atomic>

#include "catalogue/layout_file.h"
#include "catalogue/tilewell_store.h"

namespace calyxa {

namespace {
constexpr double kSaveDelay = 0.35;
}  // namespace

// One snapshot on its way to disk. Whoever starts it first writes it; nobody writes it twice.
struct TilewellStore::PendingSave {
  std::vector<SavedLayoutItem> snapshot;
  std::filesystem::path file;
  std::atomic<bool> started{false};

  void write() {
    if (started.exchange(true)) return;
    writeLayoutFile(file, snapshot);  // a failure leaves the old file whole; nothing to report
  }
};

void TilewellStore::scheduleDebouncedSave() {
  if (saveDebounceWorkItem) saveDebounceWorkItem->cancel();
  auto save = std::make_shared<PendingSave>();
  save->snapshot = snapshotLayout(items);
  save->file = layoutFileURL;
  // The background queue is serial: writes land in the order they were scheduled, so the newest
  // arrangement is the one left on disk.
  saveDebounceWorkItem =
      services.backgroundQueue->asyncAfter(kSaveDelay, [save] { save->write(); });
  pendingSave = std::move(save);
}

bool TilewellStore::hasPendingSave() const {
  return pendingSave && saveDebounceWorkItem && !saveDebounceWorkItem->isCancelled() &&
         !pendingSave->started;
}

void TilewellStore::flushPendingSave() {
  if (hasPendingSave()) {
    saveDebounceWorkItem->cancel();
    // Behind any write already running, ahead of nothing: the queue keeps the order.
    services.backgroundQueue->asyncAfter(0.0, [save = pendingSave] { save->write(); });
  }
  services.backgroundQueue->waitUntilIdle();
}

}  // namespace calyxa
