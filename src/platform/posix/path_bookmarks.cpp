#include "platform/posix/path_bookmarks.h"

#include <sys/stat.h>

#include "platform/posix/plist_io.h"

namespace calyxa {
namespace {
constexpr const char* kPathKey = "path";
}  // namespace

bool PathBookmarks::isFolder(const std::string& path) const {
  struct stat info {};
  return path.starts_with('/') && ::stat(root_.resolve(path).c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

std::optional<PlistData> PathBookmarks::createBookmark(const std::string& path) {
  if (!isFolder(path)) return std::nullopt;
  const auto bytes =
      serializePlist(PlistDictionary{{kPathKey, PlistValue(path)}}, PlistFormat::binary);
  if (!bytes) return std::nullopt;
  return PlistData(bytes->begin(), bytes->end());
}

std::optional<std::string> PathBookmarks::resolveBookmark(const PlistData& data) {
  const auto value =
      parsePlist(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
  if (!value) return std::nullopt;
  const auto* record = value->as<PlistDictionary>();
  if (!record) return std::nullopt;
  const auto found = record->find(kPathKey);
  if (found == record->end()) return std::nullopt;
  const auto* path = found->second.as<std::string>();
  if (!path || !isFolder(*path)) return std::nullopt;
  return *path;
}

}  // namespace calyxa
