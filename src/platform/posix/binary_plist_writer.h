#pragma once

#include <plist/plist.h>

#include <optional>
#include <string>

namespace calyxa {

// The binary property list of a libplist tree. libplist's own writer takes seconds for a file
// of a few hundred thousand values, and drops what follows a U+0000 in a string; this one is
// linear and exact. Nothing for a string that is not UTF-8.
std::optional<std::string> writeBinaryPlist(plist_t root);

}  // namespace calyxa
