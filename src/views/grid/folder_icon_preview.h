#pragma once

#include <QImage>
#include <QRectF>
#include <functional>

#include "catalogue/launch_item.h"

namespace calyxa {

// The tile of a folder in the grid: a glassy rounded square with the icons of its first nine
// applications in three columns.
struct FolderIconPreview {
  static constexpr int kMaxMiniIcons = 9;
  static constexpr double kInset = 10.0;
  static constexpr double kSpacing = 3.5;
  // Room around the tile for its shadow, in points.
  static constexpr double kShadowMargin = 16.0;

  // The mini icons' frames inside a tile of side `side` (tile coordinates), one per shown app.
  static std::vector<QRectF> miniIconFrames(double side, int appCount);

  // The tile of side `side` points with its shadow, kShadowMargin larger on every side, at
  // `devicePixelRatio`. `miniIcon` gives an application's icon at a pixel size (null: not
  // decoded yet, a placeholder is drawn).
  static QImage render(const LaunchFolder& folder, double side, bool hovered,
                       qreal devicePixelRatio,
                       const std::function<QImage(const AppItem&, int pixelSize)>& miniIcon);
};

}  // namespace calyxa
