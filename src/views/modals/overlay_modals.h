#pragma once

#include <functional>

#include "views/animation/frame_driver.h"

namespace calyxa {

class TilewellStore;
class TilewellView;

// Puts the folder, settings and onboarding modals into the overlay's places for them. `onQuit`
// is the settings' "退出应用" (the application's quit when none is given).
void installOverlayModals(TilewellView& view, TilewellStore& store, FrameDriver& driver,
                          std::function<void()> onQuit = {});

}  // namespace calyxa
