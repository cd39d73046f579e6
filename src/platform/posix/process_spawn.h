#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace calyxa {

// Starts `executable` with `arguments` (argument 0 included) in a session of its own, detached
// from this process: standard streams on the null device, not waited for, never a zombie.
// True when the program was executed.
bool spawnDetached(const std::filesystem::path& executable,
                   const std::vector<std::string>& arguments);

}  // namespace calyxa
