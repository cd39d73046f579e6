#include "catalogue/tilewell_store.h"

namespace calyxa {
namespace {

constexpr const char* kApplicationsFolder = "/Applications";
constexpr const char* kAppsBookmarkKey = "Calyxa.AppsBookmark";
constexpr const char* kGesturePermissionConfirmedKey = "Calyxa.GesturePermissionConfirmed";
constexpr const char* kHasCompletedOnboardingKey = "Calyxa.hasCompletedOnboarding";
constexpr const char* kAccessibilitySettingsAddress =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
// A listing this short is taken for one the system cut down, not the real folder.
constexpr std::size_t kMaxEntriesOfUnreadableFolder = 3;

Animation onboardingAnimation() {
  return Animation::spring(0.3, 1.0);
}

}  // namespace

void TilewellStore::refreshPermissionStates() {
  const auto entries = services.fileSystem->contentsOfDirectory(kApplicationsFolder);
  bool folder = entries && entries->size() > kMaxEntriesOfUnreadableFolder;
  // A folder the user once chose counts as granted; whether it still resolves is the scan's matter.
  if (services.defaults->dataForKey(kAppsBookmarkKey)) folder = true;
  if (folder != hasGrantedFolderAccess.get()) {
    hasGrantedFolderAccess = folder;
    if (folder && totalAppsCount() < kRescanCatalogueBelow) {
      scanApplications(std::nullopt, /*showToast=*/false);
    }
  }

  // All three are asked every time, so a check with side effects behaves the same on each poll.
  const bool trusted = services.permissions->isProcessTrusted();
  const bool listens = services.permissions->preflightListenEventAccess();
  const bool confirmed = services.defaults->boolForKey(kGesturePermissionConfirmedKey);
  const bool gesture = trusted || listens || confirmed;
  if (gesture != hasGrantedGesturePermission.get()) hasGrantedGesturePermission = gesture;
}

void TilewellStore::startPermissionPolling() {
  if (permissionTimer) permissionTimer->cancel();
  permissionTimer = services.mainQueue->scheduleRepeating(kPermissionPollInterval,
                                                          [this, alive = lifetime.watch()] {
                                                            if (alive.expired()) return;
                                                            refreshPermissionStates();
                                                          });
}

void TilewellStore::requestGesturePermission() {
  services.permissions->isProcessTrustedWithPrompt();
  services.permissions->requestListenEventAccess();
  openAccessibilityPreferences();
  refreshPermissionStates();
}

void TilewellStore::openAccessibilityPreferences() {
  services.permissions->openURL(kAccessibilitySettingsAddress);
}

void TilewellStore::markGesturePermissionConfirmed() {
  services.defaults->setBool(kGesturePermissionConfirmedKey, true);
  refreshPermissionStates();
}

void TilewellStore::completeOnboarding() {
  services.defaults->setBool(kHasCompletedOnboardingKey, true);
  withAnimation(onboardingAnimation(), [&] { showOnboarding = false; });
  scanApplications(std::nullopt, /*showToast=*/true);
}

void TilewellStore::reopenOnboarding() {
  refreshPermissionStates();
  withAnimation(onboardingAnimation(), [&] { showOnboarding = true; });
}

}  // namespace calyxa
