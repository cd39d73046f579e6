#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/bundle_reader.h"
#include "platform/system_root.h"

namespace calyxa {

// Reads Contents/Info.plist (XML or binary) and Contents/Resources/<language>.lproj/
// InfoPlist.strings of bundles under the system root.
class PosixBundleReader final : public BundleReader {
 public:
  // `localizations`: the .lproj folder names to look in, best first.
  PosixBundleReader(SystemRoot root, std::vector<std::string> localizations)
      : root_(std::move(root)), localizations_(std::move(localizations)) {}

  std::optional<std::string> bundleIdentifier(const std::string& bundlePath) override;
  std::optional<PlistDictionary> infoDictionary(const std::string& bundlePath) override;
  std::optional<PlistDictionary> localizedInfoDictionary(const std::string& bundlePath) override;
  std::string displayName(const std::string& path) override;

 private:
  SystemRoot root_;
  std::vector<std::string> localizations_;
};

// The .lproj folder names for the user's language, best first, from LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG.
std::vector<std::string> preferredBundleLocalizations();

// The .lproj folder names for one locale name such as "zh_CN.UTF-8", best first.
std::vector<std::string> bundleLocalizationsForLocale(std::string_view locale);

}  // namespace calyxa
