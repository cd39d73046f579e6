#pragma once

#include <QImage>
#include <QSize>
#include <filesystem>
#include <string>

namespace calyxa {

// The picture an Icon value of a desktop entry names, at `pixels`: an absolute file (PNG, SVG,
// XPM, ...) or a theme icon looked up in the user's icon theme, then hicolor, then the data
// folders' pixmaps. Null when there is none that can be decoded.
QImage decodeDesktopEntryIcon(const std::string& icon, QSize pixels);

// The icon of the desktop entry file at `entryFile`, or the generic icon seeded by `seed`.
QImage drawDesktopEntryIcon(const std::filesystem::path& entryFile, QSize pixels,
                            const std::string& seed);

}  // namespace calyxa
