#include <algorithm>

#include "catalogue/tilewell_store.h"

namespace calyxa {

namespace {

std::optional<std::size_t> indexOfID(const std::vector<LaunchItem>& shown,
                                     const std::optional<std::string>& id) {
  if (!id) return std::nullopt;
  const auto found = std::find_if(shown.begin(), shown.end(),
                                  [&](const LaunchItem& item) { return item.id() == *id; });
  if (found == shown.end()) return std::nullopt;
  return static_cast<std::size_t>(found - shown.begin());
}

}  // namespace

void TilewellStore::moveSelection(int dx, int dy) {
  const auto& shown = filteredItems();
  if (shown.empty()) return;
  const auto count = static_cast<long>(shown.size());

  const auto selected = indexOfID(shown, selectedItemID);
  if (!selected) {
    // The first press only selects; its direction is ignored.
    const long first = std::min(count - 1, static_cast<long>(pager.currentPage) * itemsPerPage);
    selectedItemID = shown[static_cast<std::size_t>(first)].id();
    return;
  }

  const auto i = static_cast<long>(*selected);
  long next = 0;
  if (dy != 0) {
    const long slot = i % itemsPerPage;
    const long row = slot / columnsPerPage + dy;
    const long column = slot % columnsPerPage;
    // Vertical moves stay on their page.
    if (row < 0 || row >= rowsPerPage) return;
    next = (i - slot) + row * columnsPerPage + column;
    if (next >= count) return;
  } else {
    next = i + dx;
    if (next < 0 || next >= count) return;
  }

  selectedItemID = shown[static_cast<std::size_t>(next)].id();
  const int page = static_cast<int>(next / itemsPerPage);
  if (page != pager.currentPage) pager.switchPageAnimated(page, kKeyboardPageVelocityHint);
}

void TilewellStore::activateSelection(std::function<void()> onDismiss,
                                      std::function<void(const LaunchFolder&)> onOpenFolder) {
  const auto& shown = filteredItems();
  if (shown.empty()) return;
  const auto selected = indexOfID(shown, selectedItemID);
  // Copy: launching or opening may change what `shown` refers to.
  const LaunchItem target = shown[selected.value_or(0)];
  if (const AppItem* app = target.asApp()) {
    launchApp(*app, std::move(onDismiss));
  } else if (onOpenFolder) {
    onOpenFolder(*target.asFolder());
  }
}

void TilewellStore::launchApp(AppItem app, std::function<void()> onDismiss,
                              LaunchCompletion onLaunched) {
  withAnimation(Animation::spring(0.22, 0.95), [&] { launchingAppID = app.id; });
  // Neither way waits for the program to start.
  if (app.isDesktopEntry() && services.desktopEntries) {
    services.desktopEntries->launch(app.id, std::move(onLaunched));
  } else {
    services.workspace->openApplication(app.path, /*activates=*/true, std::move(onLaunched));
  }
  // The dismissal runs whether or not the launch worked: a failed launch shows nothing.
  services.mainQueue->asyncAfter(
      kLaunchDismissDelay, [this, alive = lifetime.watch(), onDismiss = std::move(onDismiss)] {
        if (alive.expired()) return;
        withoutAnimation([&] {
          launchingAppID = std::nullopt;
          activeFolder = std::nullopt;
        });
        if (onDismiss) onDismiss();
      });
}

void TilewellStore::triggerToast(std::string message) {
  withAnimation(Animation::spring(0.24, 1.0), [&] { statusToast = message; });
  // Each toast owns its timer, which clears only its own text: a newer toast keeps its full time.
  services.mainQueue->asyncAfter(
      kToastDuration, [this, alive = lifetime.watch(), message = std::move(message)] {
        if (alive.expired() || statusToast.get() != message) return;
        withAnimation(Animation::easeOut(0.2), [&] { statusToast = std::nullopt; });
      });
}

}  // namespace calyxa
