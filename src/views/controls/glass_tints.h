#pragma once

#include <QColor>

#include "views/interface_font.h"
#include "views/view_style.h"

namespace calyxa {

// The named colours the modals tint glass with.
inline QColor cyanTint() {
  return srgb(0.0, 0.75, 1.0);
}
inline QColor greenTint() {
  return srgb(0.2, 0.78, 0.35);
}
inline QColor redTint() {
  return srgb(1.0, 0.23, 0.19);
}

}  // namespace calyxa
