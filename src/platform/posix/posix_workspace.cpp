#include "platform/posix/posix_workspace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "platform/posix/bundle_info.h"
#include "platform/posix/file_browser.h"
#include "platform/posix/process_spawn.h"

namespace calyxa {
namespace {

class GenericIconContent final : public ImageContent {
 public:
  explicit GenericIconContent(double hue) : hue_(hue) {}

  RasterImage render(int width, int height) const override {
    RasterImage image{width, height, {}};
    if (width <= 0 || height <= 0) return {};
    image.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    const double radius = 0.22 * std::min(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const double coverage = tileCoverage(x + 0.5, y + 0.5, width, height, radius);
        if (coverage <= 0) continue;
        const double shade = 0.92 - 0.25 * (y + 0.5) / height;
        const auto [r, g, b] = colour(shade);
        const auto a = static_cast<std::uint32_t>(std::lround(255 * coverage));
        const auto premultiply = [&](double c) {
          return static_cast<std::uint32_t>(std::lround(255 * c * coverage));
        };
        image.pixels[static_cast<std::size_t>(y) * width + x] =
            (a << 24) | (premultiply(r) << 16) | (premultiply(g) << 8) | premultiply(b);
      }
    }
    return image;
  }

 private:
  // Fraction of the pixel centred at (x, y) inside the rounded tile, smoothed over one pixel.
  static double tileCoverage(double x, double y, int width, int height, double radius) {
    const double inset = 0.06 * std::min(width, height);
    const double left = inset + radius;
    const double right = width - inset - radius;
    const double top = inset + radius;
    const double bottom = height - inset - radius;
    const double dx = std::max({left - x, 0.0, x - right});
    const double dy = std::max({top - y, 0.0, y - bottom});
    const double outside = std::hypot(dx, dy) - radius;
    return std::clamp(0.5 - outside, 0.0, 1.0);
  }

  std::array<double, 3> colour(double value) const {
    // HSV with saturation 0.55.
    const double h = hue_ * 6.0;
    const double c = value * 0.55;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    const double m = value - c;
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h) % 6) {
      case 0:
        r = c, g = x;
        break;
      case 1:
        r = x, g = c;
        break;
      case 2:
        g = c, b = x;
        break;
      case 3:
        g = x, b = c;
        break;
      case 4:
        r = x, b = c;
        break;
      default:
        r = c, b = x;
        break;
    }
    return {r + m, g + m, b + m};
  }

  double hue_;
};

}  // namespace

Image genericApplicationIcon(const std::string& seed) {
  const double hue = static_cast<double>(std::hash<std::string>{}(seed) % 360) / 360.0;
  return Image(128, 128, std::make_shared<GenericIconContent>(hue));
}

PosixWorkspace::PosixWorkspace(SystemRoot root, std::shared_ptr<MainQueue> mainQueue,
                               std::shared_ptr<BackgroundQueue> launches)
    : root_(std::move(root)), mainQueue_(std::move(mainQueue)), launches_(std::move(launches)) {}

void PosixWorkspace::openApplication(const std::string& bundlePath, bool /*activates*/,
                                     LaunchCompletion completion) {
  // A newly started program takes the focus by itself on Linux desktops; a bundle's program has
  // no desktop-wide way of being asked to come forward instead.
  launches_->asyncAfter(0.0, [bundle = root_.resolve(bundlePath), mainQueue = mainQueue_,
                              completion = std::move(completion)] {
    const auto executable = bundleExecutablePath(bundle);
    const bool started = executable && spawnDetached(*executable, {executable->string()});
    if (completion) mainQueue->async([completion, started] { completion(started); });
  });
}

void PosixWorkspace::revealInFileBrowser(const std::string& path) {
  launches_->asyncAfter(0.0, [file = fileOnDisk(root_, path)] { revealFile(file); });
}

std::filesystem::path fileOnDisk(const SystemRoot& root, const std::string& path) {
  if (path.ends_with(".desktop") && path.starts_with('/')) return path;
  return root.resolve(path);
}

Image PosixWorkspace::iconForFile(const std::string& path) {
  return genericApplicationIcon(path);
}

}  // namespace calyxa
