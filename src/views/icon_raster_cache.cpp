// Temporary stand-in until the real cache is merged: decodes synchronously.
#include "views/icon_raster_cache.h"

#include "platform/qt/qt_image.h"

namespace calyxa {

IconRasterCache& IconRasterCache::shared() {
  static IconRasterCache cache;
  return cache;
}

QImage IconRasterCache::image(const Image& icon, int pixelSize, QObject*, std::function<void()>) {
  return imageNow(icon, pixelSize);
}

QImage IconRasterCache::imageNow(const Image& icon, int pixelSize) {
  if (icon.isNull() || icon.width() <= 0) return {};
  return renderForDisplay(icon, pixelSize / icon.width());
}

void IconRasterCache::waitUntilIdle() {}

}  // namespace calyxa
