#pragma once

#include <optional>
#include <string>

#include "platform/plist_value.h"

namespace calyxa {

// What an application bundle says about itself. Paths are the system's own; a backend resolves
// them under the system root. Nothing where the bundle cannot be read.
class BundleReader {
 public:
  virtual ~BundleReader() = default;

  virtual std::optional<std::string> bundleIdentifier(const std::string& bundlePath) = 0;
  // Contents/Info.plist.
  virtual std::optional<PlistDictionary> infoDictionary(const std::string& bundlePath) = 0;
  // The information dictionary's entries translated for the user's language.
  virtual std::optional<PlistDictionary> localizedInfoDictionary(const std::string& bundlePath) = 0;
  // The name a file browser shows for `path`: a bundle's translated display name where it has
  // one for the user's language, else the file name (".app" included).
  virtual std::string displayName(const std::string& path) = 0;
};

}  // namespace calyxa
