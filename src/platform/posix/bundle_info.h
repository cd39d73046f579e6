#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/plist_value.h"

namespace calyxa {

// The information dictionary of the bundle at `realBundlePath` (Contents/Info.plist, XML or
// binary); nothing when it is missing, unreadable, malformed or not a dictionary.
std::optional<PlistDictionary> readBundleInfoDictionary(
    const std::filesystem::path& realBundlePath);

// A string entry of an information dictionary; nothing when absent or of another kind.
std::optional<std::string> stringEntry(const PlistDictionary& dictionary, const std::string& key);

// The bundle's main executable, Contents/MacOS/<CFBundleExecutable>, when the dictionary names a
// plain file name (no path) and that file is an executable regular file.
std::optional<std::filesystem::path> bundleExecutablePath(
    const std::filesystem::path& realBundlePath);

}  // namespace calyxa
