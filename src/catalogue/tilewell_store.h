#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/launch_item.h"
#include "editing/pager_motion_controller.h"
#include "platform/dispatch.h"
#include "platform/geometry.h"
#include "platform/image.h"
#include "platform/lifetime.h"
#include "platform/platform_services.h"
#include "platform/published.h"

namespace calyxa {

namespace testing {
class TilewellStoreInspector;
}

// The one model object: the catalogue, the arrangement, the search text and every piece of
// interface state that more than one view reads. Main thread only.
class TilewellStore {
 public:
  static constexpr int columnsPerPage = 7;
  static constexpr int rowsPerPage = 5;
  static constexpr int itemsPerPage = columnsPerPage * rowsPerPage;

  // Builds the store on `services` and runs the start-up sequence (reads defaults, scans).
  TilewellStore(PlatformServices services, PagerMotionController& pager);
  ~TilewellStore();
  TilewellStore(const TilewellStore&) = delete;
  TilewellStore& operator=(const TilewellStore&) = delete;

  // The program's store, built on first use on the process's platform services.
  static TilewellStore& shared();

  // Every published property also reports here, with its name.
  ChangeHub changes;

  Published<std::vector<LaunchItem>> items{{}, &changes, "items"};
  Published<std::map<std::string, AppItem>> allAppsMap{{}, &changes, "allAppsMap"};
  Published<std::string> searchText{{}, &changes, "searchText"};
  Published<bool> isPresented{false, &changes, "isPresented"};
  Published<std::optional<std::string>> selectedItemID{{}, &changes, "selectedItemID"};
  Published<bool> isEditingPositions{false, &changes, "isEditingPositions"};
  Published<std::optional<LaunchItem>> draggingItem{{}, &changes, "draggingItem"};
  Published<std::optional<std::string>> potentialFolderTargetID{
      {}, &changes, "potentialFolderTargetID"};
  Published<std::optional<LaunchFolder>> activeFolder{{}, &changes, "activeFolder"};
  Published<std::optional<std::string>> launchingAppID{{}, &changes, "launchingAppID"};
  Published<std::optional<std::string>> statusToast{{}, &changes, "statusToast"};
  Published<bool> showOnboarding{false, &changes, "showOnboarding"};
  Published<bool> showSettings{false, &changes, "showSettings"};
  Published<bool> hasGrantedFolderAccess{false, &changes, "hasGrantedFolderAccess"};
  Published<bool> hasGrantedGesturePermission{false, &changes, "hasGrantedGesturePermission"};
  Published<bool> isLaunchAtLoginEnabled{false, &changes, "isLaunchAtLoginEnabled"};

  PagerMotionController& pager;

  // --- Pages -----------------------------------------------------------------------------------

  // The slots shown: `items` while the search text is blank, else the search result. The
  // reference stays valid until `items` or `searchText` next change.
  const std::vector<LaunchItem>& filteredItems() const;
  void invalidateFilterCache();
  // Pages of the shown slots, at least 1.
  int pageCount() const;
  // Number of catalogued applications, in folders or not.
  int totalAppsCount() const { return static_cast<int>(allAppsMap->size()); }
  // The shown slots of `page`; empty past the last page.
  std::vector<LaunchItem> itemsForPage(int page) const;

  // The application's icon at 96 × 96 points, cached by path.
  Image icon(const AppItem& app);

  // --- Selection, launching and toasts ---------------------------------------------------------

  void moveSelection(int dx, int dy);
  void activateSelection(std::function<void()> onDismiss,
                         std::function<void(const LaunchFolder&)> onOpenFolder);
  void launchApp(AppItem app, std::function<void()> onDismiss);
  void triggerToast(std::string message);

  static constexpr double kToastDuration = 1.8;
  static constexpr double kLaunchDismissDelay = 0.15;
  static constexpr double kKeyboardPageVelocityHint = 1400.0;

  // --- Application scan and the layout file ----------------------------------------------------

  // Rebuilds the catalogue from the application folders (`extraDirectory` first, when given),
  // restores the saved arrangement over it and schedules a save. With `showToast`, tells the
  // user how many applications there are.
  void scanApplications(std::optional<std::string> extraDirectory, bool showToast);
  // Asks the user for the applications folder, remembers the choice and rescans with it.
  void authorizeApplicationsFolder();
  // Where the arrangement is saved.
  const std::filesystem::path& layoutFile() const { return layoutFileURL; }

  // Writes a save that is still waiting for its delay at once, and returns when it is on disk.
  // For a normal quit, so that the last edit is not lost.
  void flushPendingSave();
  // A save is scheduled and has not started writing yet.
  bool hasPendingSave() const;

  // --- Folder operations -----------------------------------------------------------------------

  // Drops application `dragged` on `target`: a new folder of the two in the target's slot, or the
  // application appended to the target folder. A dragged folder is never merged.
  void createOrMergeIntoFolder(LaunchItem dragged, LaunchItem target);
  // Turns the application's slot into a folder holding it alone, and opens it.
  void createNewFolderWithApp(AppItem app, std::string customName = "新建文件夹");
  // Blank names are ignored; others are stored trimmed.
  void updateFolderName(std::string folderID, std::string newName);
  // Appends `app` to the folder and takes it out of wherever else it stood.
  void addAppToFolder(std::string folderID, AppItem app);
  // Puts the application back on the grid right after the folder; a folder left with fewer than
  // two applications is dissolved.
  void removeAppFromFolder(std::string folderID, std::string appID);
  // Puts the folder's applications on the grid in its place, in order.
  void dissolveFolder(std::string folderID);

  // --- Drag and reorder ------------------------------------------------------------------------

  // Hovering an application this close (points) to another slot's icon centre means a merge.
  static constexpr double kMergeRadius = 34.0;
  // The icon centre within a cell, as fractions of the cell's width and height.
  static constexpr double kIconCentreX = 0.5;
  static constexpr double kIconCentreY = 0.45;
  // Live reorders are at least this far apart, in seconds of media time.
  static constexpr double kReorderThrottle = 0.16;
  static constexpr double kItemMoveVelocityHint = 1100.0;

  // The pointer moved over `target` while `dragged` is dragged: highlight a merge or reorder live.
  void updateDragOverTarget(LaunchItem dragged, LaunchItem target, Point cursorInCell,
                            Size cellSize);
  // The pointer left the cell `id`.
  void clearFolderHighlight(std::string id);
  // The drag was released over a cell (`on`), or over no cell.
  void finalizeItemDrop(LaunchItem dragged, std::optional<LaunchItem> on);
  // Edit-mode arrows: moves the slot `delta` places, the pager following it.
  void moveItemStep(LaunchItem item, int delta);
  // Moves the slot to the first place of `targetPage` (clamped to the pages there are).
  void moveItemToPage(LaunchItem item, int targetPage);

  // --- Launch at login -------------------------------------------------------------------------

  // The login user's home as the user database records it, else the process's home.
  std::string resolveRealHomeDirectory() const;
  // The launch agent: Library/LaunchAgents/com.vantorel.tilewell.plist in the real home.
  std::filesystem::path launchAgentPlistURL() const;
  // The program the launch agent starts: the running executable, else the path the process was
  // started by, else the standard install location.
  std::string resolveExecutablePathForLaunchAgent() const;
  // Writes the launch agent for `executablePath`; false when any step failed.
  bool writeLaunchAgentPlist(const std::string& executablePath);
  // Starts the program at login, or stops doing so: through the login-item service, else with
  // the launch agent. With `showToast`, tells the user the outcome.
  void setLaunchAtLogin(bool enabled, bool showToast);
  void toggleLaunchAtLogin();
  // Re-derives isLaunchAtLoginEnabled from the system, and points a launch agent left behind by
  // a moved program at the program's present path.
  void refreshLaunchAtLoginState();

  // --- Permissions and onboarding --------------------------------------------------------------

  static constexpr double kPermissionPollInterval = 1.5;
  // A catalogue this small when folder access arrives was scanned without it: scan again.
  static constexpr int kRescanCatalogueBelow = 90;

  // Re-reads folder access and the input permission; each flag is assigned only when it changes.
  void refreshPermissionStates();
  // (Re)starts the poll of refreshPermissionStates(); one poll at most runs.
  void startPermissionPolling();
  // Asks the system for the accessibility and input-monitoring permissions and opens the
  // settings where the user grants them.
  void requestGesturePermission();
  void openAccessibilityPreferences();
  // The user says the input permission is granted: believed from now on, whatever the system says.
  void markGesturePermissionConfirmed();
  // Hides onboarding for good and rescans, telling the user how many applications there are.
  void completeOnboarding();
  // Shows onboarding again, for this run only.
  void reopenOnboarding();

 private:
  friend class testing::TilewellStoreInspector;  // white-box checks in tests

  void onSearchTextChanged();
  // The pager's page count after the shown list changed, its current page kept inside it.
  void syncPagerPageCount();
  // The initialiser's steps, in order.
  void initialise();

  PlatformServices services;
  LifetimeToken lifetime;

  std::unordered_map<std::string, Image> iconCache;
  std::filesystem::path layoutFileURL;
  std::optional<Cancellable> permissionTimer;
  std::optional<Cancellable> saveDebounceWorkItem;
  double lastReorderTime = 0.0;
  mutable std::optional<std::string> filterCacheKey;
  mutable std::vector<LaunchItem> filterCacheValue;

  // The search text the last change reaction saw, and the query formed from it.
  std::string previousSearchText;
  std::string currentQuery;

  // --- Private state of the scan and the layout file ---

  struct PendingSave;
  // The layout file held no readable layout at the last scan: the next save keeps it aside.
  bool layoutFileDamaged = false;
  // Writes the arrangement 0.35 s from now unless another call comes first.
  void scheduleDebouncedSave();
  std::shared_ptr<PendingSave> pendingSave;
  // The catalogue record of the bundle at `path`; none for the program's own bundle and for
  // paths that cannot be stored.
  std::optional<AppItem> makeAppItem(const std::string& path, bool isSystem);
  void addRunningApplications(std::map<std::string, AppItem>& catalogue);
  // Regains access to the folder the user chose in an earlier run.
  void restoreFolderAccess();

  // --- Private state of editing ---

  // The end of a folder edit: the page count, then the save, then the toast if any.
  void finishArrangementEdit(std::optional<std::string> toast = std::nullopt);

  // --- Private state of launch at login, permissions and onboarding ---

  // Rewrites the launch agent at `agent` when it starts another path than the present one.
  void repairLaunchAgent(const std::filesystem::path& agent);
};

}  // namespace calyxa
