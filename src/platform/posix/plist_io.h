#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
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

// A property-list file held as libplist's own tree, for rewriting one entry of a dictionary:
// values are converted only where they are read or set, so that everything else is written back
// exactly as it was read, in the file's own format (libplist's getters narrow dates to 32-bit
// seconds; XML would turn a large binary file into a larger one).
class PlistDocument {
 public:
  // An empty dictionary, written as XML.
  PlistDocument();
  ~PlistDocument();
  PlistDocument(PlistDocument&&) noexcept;
  PlistDocument& operator=(PlistDocument&&) noexcept;

  // Nothing when the bytes are no property list or hold no dictionary.
  static std::optional<PlistDocument> parseDictionary(std::string_view bytes);

  PlistFormat format() const { return format_; }
  std::optional<PlistValue> value(std::string_view key) const;
  // Sets the entry, or removes it when given nothing.
  void set(std::string_view key, const std::optional<PlistValue>& value);
  // The document in its own format; nothing when those bytes would not read back as this very
  // document (too large for the reader, or a value the format cannot carry).
  std::optional<std::string> serialize() const;

 private:
  struct Root;
  PlistDocument(std::unique_ptr<Root> root, PlistFormat format);
  std::unique_ptr<Root> root_;
  PlistFormat format_ = PlistFormat::xml;
};

// Serialises and replaces the file atomically. False on any failure; the old file stays whole.
bool writePlistFile(const std::filesystem::path& path, const PlistValue& value,
                    PlistFormat format = PlistFormat::xml);

}  // namespace calyxa
