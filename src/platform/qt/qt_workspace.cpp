#include "platform/qt/qt_workspace.h"

#include "platform/qt/bundle_icon.h"
#include "platform/qt/generic_icon.h"
#include "platform/qt/qt_image.h"

namespace calyxa {
namespace {

class BundleIconContent final : public ImageContent {
 public:
  BundleIconContent(std::string path, SystemRoot root)
      : path_(std::move(path)), root_(std::move(root)) {}

  // Reads the file each time: the views keep what they draw (IconRasterCache), and holding a
  // picture here for every application would grow without bound. Nothing here changes after
  // construction, so any thread may draw at once.
  RasterImage render(int width, int height) const override {
    if (width <= 0 || height <= 0) return {};
    const QSize pixels(width, height);
    QImage image;
    if (const auto file = bundleIconFile(root_.resolve(path_)))
      image = decodeIconFile(*file, pixels);
    if (image.isNull()) image = drawGenericApplicationIcon(pixels, path_);
    return toRasterImage(image);
  }

 private:
  const std::string path_;
  const SystemRoot root_;
};

}  // namespace

QtWorkspace::QtWorkspace(std::shared_ptr<Workspace> launcher, SystemRoot root)
    : launcher_(std::move(launcher)), root_(std::move(root)) {}

void QtWorkspace::openApplication(const std::string& bundlePath, bool activates) {
  launcher_->openApplication(bundlePath, activates);
}

Image QtWorkspace::iconForFile(const std::string& path) {
  return Image(kIconEdge, kIconEdge, std::make_shared<BundleIconContent>(path, root_));
}

}  // namespace calyxa
