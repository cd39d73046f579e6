#pragma once

#include <string>
#include <vector>

#include "catalogue/launch_item.h"

namespace calyxa::bench {

// `count` applications with realistic names, about a third of them Chinese, all distinct.
std::vector<AppItem> realisticApps(int count);

// An arrangement of `apps` in which the first folders × perFolder applications sit in `folders`
// folders spread evenly among the other slots.
std::vector<LaunchItem> arrangementWithFolders(const std::vector<AppItem>& apps, int folders,
                                               int perFolder);

}  // namespace calyxa::bench
