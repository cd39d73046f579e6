#include "shell/root_view.h"

#include <QLineEdit>

#include "shell/app_delegate.h"
#include "views/search_bar.h"
#include "views/tilewell_view.h"

namespace calyxa {

QWidget* makeRootView(TilewellStore& store, std::function<void()> onDismiss, QWidget* parent) {
  auto* view = new TilewellView(store, std::move(onDismiss), parent);  // owned by `parent`
  view->setNotchHeight(getScreenTopNotchHeight());
  // Typed text and the input method's composition land in the search field.
  view->setFocusProxy(view->searchBar()->capsule()->field());
  return view;
}

}  // namespace calyxa
