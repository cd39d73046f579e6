#pragma once

#include <QImage>
#include <QSize>
#include <cstddef>
#include <filesystem>
#include <optional>

namespace calyxa {

// Larger icon files are refused unread, and so are pictures wider than this.
inline constexpr std::size_t kMaxIconFileBytes = 32u * 1024 * 1024;
inline constexpr int kMaxIconEdge = 2048;

// The icon file named by the bundle's CFBundleIconFile in Contents/Resources, with ".icns"
// added when the name has no such extension. Only a plain file name is accepted, and only a
// regular file whose real location (symbolic links followed) lies inside the bundle; the real
// location is returned, so that reading it cannot be led elsewhere by the link.
std::optional<std::filesystem::path> bundleIconFile(const std::filesystem::path& realBundlePath);

// The picture in an icon file (an .icns, a JPEG 2000 file, or anything else Qt decodes) scaled
// to `pixels`: for an .icns, the representation closest above that size, its PNG or JPEG 2000
// pictures included. Null for a missing, unreadable, truncated, corrupt or oversized file. The
// image readers' complaints about odd files are kept off the terminal. Any thread may call it.
QImage decodeIconFile(const std::filesystem::path& path, QSize pixels);

}  // namespace calyxa
