#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/saved_layout_item.h"
#include "support/temp_dir.h"

namespace calyxa::bench {

// A system root holding `count` application bundles with realistic Info.plist files: half XML,
// half binary, a fifth of them in sub-folders of /Applications, a seventh in
// /System/Applications, Chinese names as zh-Hans translations.
struct BundleTree {
  std::unique_ptr<testing::TempDir> root;
  std::vector<std::string> bundlePaths;  // system paths, in generation order
};
BundleTree generateBundleTree(int count);

// A saved layout over `bundlePaths`: `records` slots of which `folders` are folders of
// `perFolder` applications, spread evenly; `vanished` of the ids named are of bundles that no
// longer exist. Chosen with a fixed seed.
std::vector<SavedLayoutItem> savedLayoutOver(const std::vector<std::string>& bundlePaths,
                                             int records, int folders, int perFolder, int vanished);

}  // namespace calyxa::bench
