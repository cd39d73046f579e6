#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/saved_layout_item.h"

namespace calyxa {

// The layout document: compact JSON, keys in the order type, id, name, subAppIDs, non-ASCII
// text as itself and every "/" escaped as "\/". Invalid UTF-8 becomes U+FFFD, so that the
// document always parses.
std::string encodeLayoutDocument(const std::vector<SavedLayoutItem>& records);

// The current format: an array of record objects. Nothing when the bytes are not valid JSON, the
// top level is not an array, or any record lacks "type" or "id" or holds a value of the wrong
// kind (null counts as absent).
std::optional<std::vector<SavedLayoutItem>> decodeCurrentLayout(std::string_view bytes);

// The legacy format: an array of application ids.
std::optional<std::vector<std::string>> decodeLegacyLayout(std::string_view bytes);

// The saved records of the file at `path`: the current format when it holds records, else the
// legacy format, else none. Never fails.
std::vector<SavedLayoutItem> readLayoutFile(const std::filesystem::path& path);

struct LayoutFileContents {
  std::vector<SavedLayoutItem> records;
  // The file is there but holds no layout: it cannot be read, or is in neither format.
  bool damaged = false;
};
LayoutFileContents readLayoutFileContents(const std::filesystem::path& path);

// Renames a damaged layout file to "<name>.corrupt" (else ".corrupt.1", ...) before a save
// replaces it, so that the arrangement it may hold is not lost. True when there is nothing to
// keep (the file is missing or readable) or it was kept.
bool keepDamagedLayoutAside(const std::filesystem::path& path);

// Replaces the file atomically with the document of `records`; false when it could not.
bool writeLayoutFile(const std::filesystem::path& path, const std::vector<SavedLayoutItem>& records,
                     const std::function<void()>& beforeRename = {});

// Where the layout lives: ".tilewell_layout.json" in the developer directory when one is given
// and writable, else "tilewell_layout.json" in "CalyxaData" of `home`, which is created here
// (a failure to create it is ignored: saves then fail silently).
std::filesystem::path resolveLayoutFileURL(
    const std::optional<std::filesystem::path>& developerDirectory,
    const std::filesystem::path& home);

// Layout files larger than this are not read (a real one for thousands of applications is a few
// hundred kilobytes).
inline constexpr std::size_t kMaxLayoutFileBytes = 64 * 1024 * 1024;

}  // namespace calyxa
