#include "shell/root_view.h"

#include <QVBoxLayout>

#include "views/effects/desktop_wallpaper_blur_view.h"

namespace calyxa {

QWidget* makeRootView(TilewellStore&, std::function<void()>, QWidget* parent) {
  auto* root = new QWidget(parent);
  auto* layout = new QVBoxLayout(root);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(DesktopWallpaperBlurView{}.makeView(root));
  return root;
}

}  // namespace calyxa
