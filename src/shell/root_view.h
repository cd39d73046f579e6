#pragma once

#include <QWidget>
#include <functional>

#include "catalogue/tilewell_store.h"

namespace calyxa {

// The overlay's root view on the store, calling `onDismiss` to close the overlay.
QWidget* makeRootView(TilewellStore& store, std::function<void()> onDismiss, QWidget* parent);

}  // namespace calyxa
