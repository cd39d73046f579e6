#include "support/scan_fakes.h"

namespace calyxa::testing {
namespace {
constexpr std::string_view kPrefix = "bookmark:";
}  // namespace

std::optional<PlistData> FakeBookmarks::createBookmark(const std::string& path) {
  const std::string text = std::string(kPrefix) + path;
  return PlistData(text.begin(), text.end());
}

std::optional<std::string> FakeBookmarks::resolveBookmark(const PlistData& data) {
  const std::string text(data.begin(), data.end());
  if (!text.starts_with(kPrefix)) return std::nullopt;
  std::string path = text.substr(kPrefix.size());
  if (vanished.contains(path)) return std::nullopt;
  return path;
}

}  // namespace calyxa::testing
