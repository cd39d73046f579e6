#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/posix/plist_io.h"

namespace calyxa::testing {

// What goes into a generated application bundle.
struct BundleContents {
  std::optional<std::string> identifier = {};  // CFBundleIdentifier
  std::optional<std::string> bundleName = {};  // CFBundleName
  PlistFormat format = PlistFormat::xml;
  // .lproj folder name -> translated CFBundleDisplayName, written as a UTF-16 strings file.
  std::map<std::string, std::string> localizedDisplayNames = {};
  // Further Info.plist entries.
  PlistDictionary extraKeys = {};
};

// Writes a bundle with Contents/Info.plist (and translations) at `systemPath` under `root`.
void writeAppBundle(const std::filesystem::path& root, const std::string& systemPath,
                    const BundleContents& contents);

// The UTF-16 little-endian text form of a strings file, with its byte-order mark.
std::string utf16StringsFile(const std::map<std::string, std::string>& entries);

}  // namespace calyxa::testing
