#pragma once

#include <filesystem>
#include <optional>

namespace calyxa {

// The process's home directory: $HOME, else the user database entry, else the working folder.
std::filesystem::path processHomeDirectory();

// The home directory the user database records for the current user id, if any.
std::optional<std::filesystem::path> userDatabaseHomeDirectory();

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::filesystem::path configHomeDirectory();

// Where the program keeps its own settings: <config home>/calyxa.
std::filesystem::path calyxaConfigDirectory();

}  // namespace calyxa
