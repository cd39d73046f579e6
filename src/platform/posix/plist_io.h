#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/plist_value.h"

namespace calyxa {

enum class PlistFormat { xml, binary };

// Files larger than this are not property lists this program has any business reading.
inline constexpr std::size_t kMaxPlistFileBytes = 8 * 1024 * 1024;

// Parses XML or binary property-list bytes; nothing on malformed input.
std::optional<PlistValue> parsePlist(std::string_view bytes);

// The string stored under `key` in a dictionary document; nothing when the bytes are no
// dictionary or the entry is absent or of another kind. Cheaper than parsePlist for one entry.
std::optional<std::string> plistDictionaryString(std::string_view bytes, const char* key);

// Reads and parses a property-list file; nothing when it is missing, unreadable, too large or
// malformed.
std::optional<PlistValue> readPlistFile(const std::filesystem::path& path);

std::optional<std::string> serializePlist(const PlistValue& value, PlistFormat format);

// Serialises and replaces the file atomically. False on any failure; the old file stays whole.
bool writePlistFile(const std::filesystem::path& path, const PlistValue& value,
                    PlistFormat format = PlistFormat::xml);

}  // namespace calyxa
