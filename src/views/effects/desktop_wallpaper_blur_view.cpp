#include "views/effects/desktop_wallpaper_blur_view.h"

namespace calyxa {

VisualEffectView* DesktopWallpaperBlurView::makeView(QWidget* parent) const {
  auto* view = new VisualEffectView(parent);  // owned by `parent`
  view->setMaterial(material);
  view->setBlendingMode(blendingMode);
  view->setState(VisualEffectState::active);
  view->setEmphasized(true);
  return view;
}

void DesktopWallpaperBlurView::updateView(VisualEffectView& view) const {
  if (view.material() != material) view.setMaterial(material);
  if (view.blendingMode() != blendingMode) view.setBlendingMode(blendingMode);
}

}  // namespace calyxa
