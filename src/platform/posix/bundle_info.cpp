#include "platform/posix/bundle_info.h"

#include <unistd.h>

#include "platform/posix/plist_io.h"

namespace calyxa {

std::optional<PlistDictionary> readBundleInfoDictionary(
    const std::filesystem::path& realBundlePath) {
  auto value = readPlistFile(realBundlePath / "Contents" / "Info.plist");
  if (!value || !value->is<PlistDictionary>()) return std::nullopt;
  return std::get<PlistDictionary>(std::move(value->storage));
}

std::optional<std::string> stringEntry(const PlistDictionary& dictionary, const std::string& key) {
  const auto found = dictionary.find(key);
  if (found == dictionary.end()) return std::nullopt;
  const auto* text = found->second.as<std::string>();
  if (!text) return std::nullopt;
  return *text;
}

std::optional<std::filesystem::path> bundleExecutablePath(
    const std::filesystem::path& realBundlePath) {
  const auto info = readBundleInfoDictionary(realBundlePath);
  if (!info) return std::nullopt;
  const auto name = stringEntry(*info, "CFBundleExecutable");
  // A name with a path in it could point anywhere; only a file inside the bundle is started.
  if (!name || name->empty() || *name == "." || *name == ".." ||
      name->find('/') != std::string::npos || name->find('\0') != std::string::npos) {
    return std::nullopt;
  }
  const std::filesystem::path executable = realBundlePath / "Contents" / "MacOS" / *name;
  std::error_code error;
  if (!std::filesystem::is_regular_file(executable, error)) return std::nullopt;
  if (::access(executable.c_str(), X_OK) != 0) return std::nullopt;
  return executable;
}

}  // namespace calyxa
