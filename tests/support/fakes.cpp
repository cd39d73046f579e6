#include "support/fakes.h"

#include <functional>

namespace calyxa::testing {
namespace {

class SolidContent final : public ImageContent {
 public:
  explicit SolidContent(std::uint32_t argb) : argb_(argb) {}
  RasterImage render(int width, int height) const override {
    return {width, height,
            std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, argb_)};
  }

 private:
  std::uint32_t argb_;
};

}  // namespace

Image FakeWorkspace::iconForFile(const std::string& path) {
  iconRequests.push_back(path);
  const auto colour = static_cast<std::uint32_t>(std::hash<std::string>{}(path)) | 0xFF000000u;
  return Image(32, 32, std::make_shared<SolidContent>(colour));
}

}  // namespace calyxa::testing
