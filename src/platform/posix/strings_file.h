#pragma once

#include <optional>
#include <string_view>

#include "platform/plist_value.h"

namespace calyxa {

// The entries of a localised strings file (InfoPlist.strings): the text form
// `"key" = "value";` with comments, in UTF-16 with a byte-order mark or in UTF-8, or an XML or
// binary property list. Nothing when the bytes are none of these or break the syntax anywhere.
std::optional<PlistDictionary> parseStringsFile(std::string_view bytes);

// Strings files larger than this are not read.
inline constexpr std::size_t kMaxStringsFileBytes = 1024 * 1024;

}  // namespace calyxa
