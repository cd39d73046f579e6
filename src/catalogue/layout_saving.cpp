#include <atomic>

#include "catalogue/layout_file.h"
#include "catalogue/tilewell_store.h"

namespace calyxa {

namespace {
constexpr double kSaveDelay = 0.35;
}  // namespace

// One snapshot on its way to disk. Whoever starts it first writes it; nobody writes it twice.
struct TilewellStore::PendingSave {
  // The arrangement as it stood. Slots are immutable and share their payloads, so the copy costs
  // a pointer per slot on the main thread, and the records are made on the writing thread: a
  // drag reorders a large grid several times a second.
  std::vector<LaunchItem> snapshot;
  std::filesystem::path file;
  // The file held no readable layout when the scan read it: keep it before replacing it.
  bool keepDamagedFile = false;
  std::atomic<bool> started{false};

  void write() {
    if (started.exchange(true)) return;
    // A damaged file that could not be kept is not replaced: it may hold all the user's folders.
    if (keepDamagedFile && !keepDamagedLayoutAside(file)) return;
    // A failure leaves the old file whole; nothing to report.
    writeLayoutFile(file, snapshotLayout(snapshot));
  }
};

void TilewellStore::scheduleDebouncedSave() {
  if (saveDebounceWorkItem) saveDebounceWorkItem->cancel();
  auto save = std::make_shared<PendingSave>();
  save->snapshot = items;
  save->file = layoutFileURL;
  save->keepDamagedFile = layoutFileDamaged;
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
