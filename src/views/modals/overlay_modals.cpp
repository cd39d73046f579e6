#include "views/modals/overlay_modals.h"

#include "views/modals/folder_detail_modal_view.h"
#include "views/modals/onboarding_modal_view.h"
#include "views/modals/quick_settings_modal_view.h"
#include "views/tilewell_view.h"

namespace calyxa {

void installOverlayModals(TilewellView& view, TilewellStore& store, FrameDriver& driver,
                          std::function<void()> onQuit) {
  FrameDriver* frames = &driver;
  TilewellStore* model = &store;
  view.setFolderModalFactory([model, frames](QWidget* parent, const LaunchFolder&,
                                             std::function<void()> onDismiss,
                                             std::function<void(const AppItem&)> onLaunchApp) {
    return new FolderDetailModalView(*model, std::move(onDismiss), std::move(onLaunchApp), parent,
                                     *frames);
  });
  view.setSettingsModalFactory([model, frames, onQuit](QWidget* parent) {
    return new QuickSettingsModalView(*model, parent, onQuit, *frames);
  });
  view.setOnboardingModalFactory([model, frames](QWidget* parent) {
    return new OnboardingModalView(*model, parent, *frames);
  });
}

}  // namespace calyxa
