#pragma once

#include "platform/platform_services.h"

namespace calyxa {

// The platform services of the Qt interface: the posix backend with the main queue on the Qt
// event loop and bundle icons decoded by Qt. Call on the main thread once the application object
// exists, and install with PlatformServices::installShared before anything uses shared().
PlatformServices makeQtPlatformServices();

}  // namespace calyxa
