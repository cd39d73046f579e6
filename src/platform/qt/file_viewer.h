#pragma once

#include <filesystem>

namespace calyxa {

// Shows `path` selected in the desktop's file manager: through the file-manager service on the
// session bus, else by opening its folder with the default file manager. Fire and forget.
void revealInFileViewer(const std::filesystem::path& path);

}  // namespace calyxa
