#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace calyxa {

// Pixels in premultiplied ARGB, one 32-bit word a pixel, rows top to bottom.
struct RasterImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  bool isEmpty() const { return width <= 0 || height <= 0; }
  std::uint32_t pixel(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
};

// What an image shows, produced only when it is drawn: a scan of thousands of applications
// must not decode thousands of icons.
class ImageContent {
 public:
  virtual ~ImageContent() = default;
  virtual RasterImage render(int pixelWidth, int pixelHeight) const = 0;
};

// A toolkit-neutral image: a size in points and content drawn on demand. Copies share content.
class Image {
 public:
  Image() = default;
  Image(double widthPoints, double heightPoints, std::shared_ptr<const ImageContent> content)
      : width_(widthPoints), height_(heightPoints), content_(std::move(content)) {}

  double width() const { return width_; }
  double height() const { return height_; }
  bool isNull() const { return !content_; }
  const std::shared_ptr<const ImageContent>& content() const { return content_; }

  // Pixels at `scale` device pixels per point; empty for a null image.
  RasterImage render(double scale = 1.0) const;

  // A new image of the given size whose content is this image drawn over its whole area.
  Image resized(double widthPoints, double heightPoints) const;

  // Images are values with identity: two images are the same when they share content.
  bool operator==(const Image& other) const {
    return content_ == other.content_ && width_ == other.width_ && height_ == other.height_;
  }

 private:
  double width_ = 0.0;
  double height_ = 0.0;
  std::shared_ptr<const ImageContent> content_;
};

// Scales with bilinear filtering (the "high quality" interpolation of a redraw).
RasterImage scaleRaster(const RasterImage& source, int width, int height);

}  // namespace calyxa
