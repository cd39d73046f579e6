#pragma once

#include <filesystem>

namespace calyxa {

// Shows `file` selected in the desktop's file manager (org.freedesktop.FileManager1.ShowItems on
// the session bus); where no file manager answers there, opens its folder with the default
// handler of folders. Waits for the bus: call it off the main thread. False when neither worked.
bool revealFile(const std::filesystem::path& file);

}  // namespace calyxa
