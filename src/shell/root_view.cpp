#include "shell/root_view.h"

#include <QLineEdit>

#include "shell/app_delegate.h"
#include "views/modals/overlay_modals.h"
#include "views/search_bar.h"
#include "views/tilewell_view.h"

namespace calyxa {

QWidget* makeRootView(TilewellStore& store, std::function<void()> onDismiss, QWidget* parent,
                      std::function<void()> onQuit) {
  auto* view = new TilewellView(store, std::move(onDismiss), parent);  // owned by `parent`
  installOverlayModals(*view, store, FrameDriver::shared(), std::move(onQuit));
  view->setNotchHeight(getScreenTopNotchHeight());
  // Typed text and the input method's composition land in the search field.
  view->setFocusProxy(view->searchBar()->capsule()->field());
  return view;
}

}  // namespace calyxa
