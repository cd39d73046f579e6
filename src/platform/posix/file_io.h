#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace calyxa {

enum class ReadStatus { ok, missing, unreadable, tooLarge };

struct FileReadResult {
  ReadStatus status = ReadStatus::missing;
  std::string bytes;
};

// Reads a whole regular file, refusing anything larger than `maxBytes`.
FileReadResult readFileBytes(const std::filesystem::path& path, std::size_t maxBytes);

// Writes `bytes` to a temporary file in the same folder, flushes it to disk and renames it over
// `path`, so that a reader sees the old file or the new one, never a part. False on any failure,
// in which case the temporary file is removed and `path` is untouched.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace calyxa
