#pragma once

#include <string>
#include <string_view>

namespace calyxa {

// The name of a folder made by dropping the application `draggedName` on `targetName`: the first
// category whose keyword occurs in either lower-cased name, the target's name tried first;
// "同类应用" when none does.
std::string categoryFolderName(std::string_view targetName, std::string_view draggedName);

}  // namespace calyxa
