#include "platform/qt/qt_image.h"

#include <cstring>

namespace calyxa {

QImage toQImage(const RasterImage& raster) {
  if (raster.isEmpty() ||
      raster.pixels.size() < static_cast<std::size_t>(raster.width) * raster.height) {
    return {};
  }
  QImage image(raster.width, raster.height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < raster.height; ++y) {
    std::memcpy(image.scanLine(y),
                raster.pixels.data() + static_cast<std::size_t>(y) * raster.width,
                static_cast<std::size_t>(raster.width) * sizeof(std::uint32_t));
  }
  return image;
}

RasterImage toRasterImage(const QImage& image) {
  if (image.isNull()) return {};
  const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  RasterImage raster{source.width(), source.height(), {}};
  raster.pixels.resize(static_cast<std::size_t>(source.width()) * source.height());
  for (int y = 0; y < source.height(); ++y) {
    std::memcpy(raster.pixels.data() + static_cast<std::size_t>(y) * source.width(),
                source.constScanLine(y), static_cast<std::size_t>(source.width()) * 4);
  }
  return raster;
}

QImage renderForDisplay(const Image& image, qreal devicePixelRatio) {
  QImage pixels = toQImage(image.render(devicePixelRatio));
  pixels.setDevicePixelRatio(devicePixelRatio);
  return pixels;
}

}  // namespace calyxa
