#include "support/fakes.h"

#include <algorithm>
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

std::unique_ptr<DesktopEntrySource::Watch> FakeDesktopEntries::watchChanges(
    std::function<void()> onChange) {
  struct Registered final : Watch {
    Registered(std::shared_ptr<std::vector<std::function<void()>*>> list,
               std::function<void()> handler)
        : list(std::move(list)), handler(std::move(handler)) {
      this->list->push_back(&this->handler);
    }
    ~Registered() override { std::erase(*list, &handler); }
    std::shared_ptr<std::vector<std::function<void()>*>> list;
    std::function<void()> handler;
  };
  return std::make_unique<Registered>(watchers_, std::move(onChange));
}

void FakeDesktopEntries::changed() const {
  for (auto* handler : std::vector(*watchers_))
    (*handler)();
}

}  // namespace calyxa::testing
