#include "catalogue/tilewell_store.h"

#include <algorithm>
#include <cmath>

#include "catalogue/layout_file.h"
#include "catalogue/search_filter.h"
#include "platform/posix/file_io.h"

namespace calyxa {

namespace {

constexpr const char* kHasCompletedOnboardingKey = "Calyxa.hasCompletedOnboarding";
constexpr double kIconSize = 96.0;

// A build for development may keep its layout in a folder of its own.
std::optional<std::filesystem::path> developerLayoutDirectory() {
#ifdef CALYXA_DEVELOPER_LAYOUT_DIR
  if (std::string_view(CALYXA_DEVELOPER_LAYOUT_DIR).empty()) return std::nullopt;
  return std::filesystem::path(CALYXA_DEVELOPER_LAYOUT_DIR);
#else
  return std::nullopt;
#endif
}

}  // namespace

TilewellStore::TilewellStore(PlatformServices platform, PagerMotionController& sharedPager)
    : pager(sharedPager), services(std::move(platform)) {
  // Every assignment to the arrangement, however made, invalidates the search result.
  items.setDidSet([this] { invalidateFilterCache(); });
  searchText.setDidSet([this] { onSearchTextChanged(); });

  initialise();
}

void TilewellStore::initialise() {
  layoutFileURL = resolveLayoutFileURL(developerLayoutDirectory(), services.homeDirectory);
  // Saves cut short by a kill leave their temporary files; nothing else ever removes them.
  removeStaleTemporaryFiles(layoutFileURL);
  showOnboarding = !services.defaults->boolForKey(kHasCompletedOnboardingKey);
  restoreFolderAccess();
  refreshPermissionStates();
  refreshLaunchAtLoginState();
  scanApplications(std::nullopt, /*showToast=*/false);
  startPermissionPolling();
}

TilewellStore::~TilewellStore() {
  if (permissionTimer) permissionTimer->cancel();
}

TilewellStore& TilewellStore::shared() {
  static TilewellStore store(PlatformServices::shared(), PagerMotionController::shared());
  return store;
}

const std::vector<LaunchItem>& TilewellStore::filteredItems() const {
  if (currentQuery.empty()) return items.get();
  if (filterCacheKey && *filterCacheKey == currentQuery) return filterCacheValue;
  filterCacheValue = filterItems(items, currentQuery);
  filterCacheKey = currentQuery;
  return filterCacheValue;
}

void TilewellStore::invalidateFilterCache() {
  filterCacheKey.reset();
  filterCacheValue.clear();
}

int TilewellStore::pageCount() const {
  const auto count = static_cast<double>(filteredItems().size());
  return std::max(1, static_cast<int>(std::ceil(count / itemsPerPage)));
}

std::vector<LaunchItem> TilewellStore::itemsForPage(int page) const {
  const auto& shown = filteredItems();
  if (page < 0) return {};
  const auto start = static_cast<std::size_t>(page) * itemsPerPage;
  if (start >= shown.size()) return {};
  const auto end = std::min(start + itemsPerPage, shown.size());
  return {shown.begin() + static_cast<std::ptrdiff_t>(start),
          shown.begin() + static_cast<std::ptrdiff_t>(end)};
}

Image TilewellStore::icon(const AppItem& app) {
  if (const auto cached = iconCache.find(app.path); cached != iconCache.end()) {
    return cached->second;
  }
  Image image = services.workspace->iconForFile(app.path).resized(kIconSize, kIconSize);
  iconCache.insert_or_assign(app.path, image);
  return image;
}

void TilewellStore::syncPagerPageCount() {
  pager.pageCount = pageCount();
  // A rescan or an edit can take away the page on show: stay on the last one left.
  if (pager.currentPage >= pager.pageCount) {
    withoutAnimation([&] { pager.currentPage = pager.pageCount - 1; });
  }
}

void TilewellStore::onSearchTextChanged() {
  if (searchText.get() == previousSearchText) return;
  previousSearchText = searchText;
  currentQuery = makeSearchQuery(previousSearchText);
  invalidateFilterCache();
  syncPagerPageCount();
  withoutAnimation([&] {
    pager.currentPage = 0;
    pager.dragOffsetX = 0.0;
  });
  if (trimWhitespaceAndNewlines(previousSearchText).empty()) {
    selectedItemID = std::nullopt;
    return;
  }
  const auto& shown = filteredItems();
  selectedItemID = shown.empty() ? std::nullopt : std::optional<std::string>(shown.front().id());
}

}  // namespace calyxa
