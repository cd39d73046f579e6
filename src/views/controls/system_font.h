#pragma once

#include <QColor>
#include <QFont>

#include "views/view_style.h"

namespace calyxa {

// The modals' font at `points` (layout points, logical pixels) in `weight`: a CJK sans-serif
// first, whose Latin letters match its Chinese, so that mixed titles read as one face.
QFont systemFont(double points, QFont::Weight weight = QFont::Normal);

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
