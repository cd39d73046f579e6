#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace calyxa {

// `argument` as one argument of an Exec line, quoted and escaped so that a launcher reading the
// entry passes it on unchanged, already in the form the file stores (string escapes applied).
// Nothing for text the format cannot carry: invalid UTF-8 or control characters other than
// tab, line feed and carriage return.
std::optional<std::string> desktopEntryExecArgument(std::string_view argument);

// The raw value of `key` in `group` of a desktop entry file, without the blanks around the
// equals sign; nothing when the group or key is absent. Any bytes are accepted: lines that are
// neither a group header nor an entry are skipped.
std::optional<std::string> desktopEntryValue(std::string_view document, std::string_view group,
                                             std::string_view key);

}  // namespace calyxa
