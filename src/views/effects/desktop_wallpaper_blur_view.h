#pragma once

#include <QWidget>

#include "views/effects/visual_effect_view.h"

namespace calyxa {

// The blurred desktop behind the overlay, described as a value: creation builds the platform
// view, updating reconciles an existing one with the description.
struct DesktopWallpaperBlurView {
  VisualEffectMaterial material = VisualEffectMaterial::fullScreenUI;
  VisualEffectBlendingMode blendingMode = VisualEffectBlendingMode::behindWindow;

  // A new view, always active and emphasized, whatever the window's key state.
  VisualEffectView* makeView(QWidget* parent) const;
  // Writes only what differs, so an unchanged description costs the view nothing.
  void updateView(VisualEffectView& view) const;
};

}  // namespace calyxa
