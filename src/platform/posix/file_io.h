#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
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
// The same for a path relative to an open directory (AT_FDCWD: the working directory); for
// reading many files without building path objects.
FileReadResult readFileBytesAt(int directory, const char* path, std::size_t maxBytes);

// Writes `bytes` to a temporary file in the same folder, flushes it to disk and renames it over
// `path`, so that a reader sees the old file or the new one, never a part. False on any failure,
// in which case the temporary file is removed and `path` is untouched. A symbolic link stays one:
// the file it points to is replaced, in its own folder. Temporaries of that file left by a
// writer that was killed are removed first.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The same, calling `beforeRename` once the new bytes are safely on disk under the temporary
// name; tests use it to stand for a crash at the worst moment.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         const std::function<void()>& beforeRename);

// Removes what atomic writes of `path` cut short by a kill left behind: temporary files of its
// folder whose writing process is gone, and those of earlier versions (named without the process
// id) untouched for a minute. A write under way, by this process or another, is never disturbed.
void removeStaleTemporaryFiles(const std::filesystem::path& path);

}  // namespace calyxa
