#pragma once

#include <QWidget>
#include <functional>

#include "catalogue/tilewell_store.h"

namespace calyxa {

// The overlay's root view on the store with its modals, calling `onDismiss` to close the overlay
// and `onQuit` for the settings' quit button.
QWidget* makeRootView(TilewellStore& store, std::function<void()> onDismiss, QWidget* parent,
                      std::function<void()> onQuit);

}  // namespace calyxa
