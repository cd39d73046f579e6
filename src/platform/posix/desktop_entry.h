#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace calyxa {

inline constexpr const char* kDesktopEntryGroup = "Desktop Entry";

// `argument` as one argument of an Exec line, quoted and escaped so that a launcher reading the
// entry passes it on unchanged, already in the form the file stores (string escapes applied).
// Nothing for text the format cannot carry: invalid UTF-8 or control characters other than
// tab, line feed and carriage return.
std::optional<std::string> desktopEntryExecArgument(std::string_view argument);

// The raw value of `key` in `group` of a desktop entry file (as GLib's key file reads it),
// string escapes left in place; nothing when the group or key is absent or the document is
// not a key file.
std::optional<std::string> desktopEntryValue(std::string_view document, std::string_view group,
                                             std::string_view key);

// The Icon of the desktop entry file at `file`: a theme icon name or an absolute file path.
// Nothing when the file cannot be read, is not a key file or has no usable Icon.
std::optional<std::string> desktopEntryIcon(const std::filesystem::path& file);

}  // namespace calyxa
