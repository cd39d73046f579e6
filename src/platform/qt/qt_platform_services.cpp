#include "platform/qt/qt_platform_services.h"

#include "platform/qt/qt_main_queue.h"
#include "platform/qt/qt_workspace.h"

namespace calyxa {

PlatformServices makeQtPlatformServices() {
  PlatformServices services = makePosixPlatformServices();
  services.mainQueue = std::make_shared<QtMainQueue>();
  services.workspace = std::make_shared<QtWorkspace>(services.workspace, services.systemRoot);
  return services;
}

}  // namespace calyxa
