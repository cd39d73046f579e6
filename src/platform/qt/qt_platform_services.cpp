#include "platform/qt/qt_platform_services.h"

#include "platform/qt/qt_main_queue.h"
#include "platform/qt/qt_workspace.h"

namespace calyxa {

PlatformServices makeQtPlatformServices() {
  return makePosixPlatformServices(
      {std::make_shared<QtMainQueue>(),
       [](std::shared_ptr<Workspace> posix, const SystemRoot& root) -> std::shared_ptr<Workspace> {
         return std::make_shared<QtWorkspace>(std::move(posix), root);
       }});
}

}  // namespace calyxa
