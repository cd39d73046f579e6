#include "platform/image.h"

#include <algorithm>
#include <cmath>

namespace calyxa {
namespace {

class ResizedContent final : public ImageContent {
 public:
  explicit ResizedContent(Image source) : source_(std::move(source)) {}
  RasterImage render(int pixelWidth, int pixelHeight) const override {
    if (source_.isNull() || pixelWidth <= 0 || pixelHeight <= 0) return {};
    // Ask the source for exactly the pixels needed; it scales better than we would.
    RasterImage pixels = source_.content()->render(pixelWidth, pixelHeight);
    if (pixels.width == pixelWidth && pixels.height == pixelHeight) return pixels;
    return scaleRaster(pixels, pixelWidth, pixelHeight);
  }

 private:
  Image source_;
};

std::uint32_t channel(std::uint32_t pixel, int shift) {
  return (pixel >> shift) & 0xFF;
}

}  // namespace

RasterImage Image::render(double scale) const {
  if (!content_) return {};
  const int w = std::max(1, static_cast<int>(std::lround(width_ * scale)));
  const int h = std::max(1, static_cast<int>(std::lround(height_ * scale)));
  return content_->render(w, h);
}

Image Image::resized(double widthPoints, double heightPoints) const {
  return Image(widthPoints, heightPoints, std::make_shared<ResizedContent>(*this));
}

RasterImage scaleRaster(const RasterImage& source, int width, int height) {
  RasterImage out{width, height, {}};
  if (width <= 0 || height <= 0) return {};
  out.pixels.assign(static_cast<std::size_t>(width) * height, 0);
  if (source.isEmpty()) return out;
  for (int y = 0; y < height; ++y) {
    const double sy =
        std::clamp((y + 0.5) * source.height / height - 0.5, 0.0, source.height - 1.0);
    const int y0 = static_cast<int>(sy);
    const int y1 = std::min(y0 + 1, source.height - 1);
    const double fy = sy - y0;
    for (int x = 0; x < width; ++x) {
      const double sx = std::clamp((x + 0.5) * source.width / width - 0.5, 0.0, source.width - 1.0);
      const int x0 = static_cast<int>(sx);
      const int x1 = std::min(x0 + 1, source.width - 1);
      const double fx = sx - x0;
      std::uint32_t result = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const double top = channel(source.pixel(x0, y0), shift) * (1 - fx) +
                           channel(source.pixel(x1, y0), shift) * fx;
        const double bottom = channel(source.pixel(x0, y1), shift) * (1 - fx) +
                              channel(source.pixel(x1, y1), shift) * fx;
        const auto value = static_cast<std::uint32_t>(std::lround(top * (1 - fy) + bottom * fy));
        result |= std::min<std::uint32_t>(value, 255) << shift;
      }
      out.pixels[static_cast<std::size_t>(y) * width + x] = result;
    }
  }
  return out;
}

}  // namespace calyxa
