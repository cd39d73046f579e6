#include "bundle_tree_fixture.h"

#include <algorithm>
#include <random>

#include "catalogue_fixture.h"
#include "support/app_bundle_tree.h"

namespace calyxa::bench {
namespace {

// The keys a typical application declares, so that parsing costs what it costs in real life.
PlistDictionary typicalInfo(const AppItem& app, int index) {
  PlistArray documentTypes;
  for (int k = 0; k < 3; ++k) {
    documentTypes.push_back(PlistDictionary{
        {"CFBundleTypeName", PlistValue("Document " + std::to_string(k))},
        {"CFBundleTypeRole", PlistValue("Editor")},
        {"LSItemContentTypes",
         PlistValue(PlistArray{PlistValue("public.data"), PlistValue("public.item")})},
    });
  }
  return {
      {"CFBundleIdentifier", PlistValue(app.bundleIdentifier)},
      {"CFBundleName", PlistValue(app.englishName)},
      {"CFBundleExecutable", PlistValue("main")},
      {"CFBundleIconFile", PlistValue("AppIcon")},
      {"CFBundlePackageType", PlistValue("APPL")},
      {"CFBundleShortVersionString", PlistValue("1." + std::to_string(index % 20))},
      {"CFBundleVersion", PlistValue(std::to_string(1000 + index))},
      {"CFBundleDevelopmentRegion", PlistValue("en")},
      {"CFBundleInfoDictionaryVersion", PlistValue("6.0")},
      {"LSMinimumSystemVersion", PlistValue("12.0")},
      {"LSApplicationCategoryType", PlistValue("public.app-category.productivity")},
      {"NSHighResolutionCapable", PlistValue(true)},
      {"NSHumanReadableCopyright", PlistValue("Copyright © 2024 Example Inc.")},
      {"NSPrincipalClass", PlistValue("NSApplication")},
      {"CFBundleDocumentTypes", PlistValue(std::move(documentTypes))},
  };
}

}  // namespace

BundleTree generateBundleTree(int count) {
  BundleTree tree{std::make_unique<testing::TempDir>(), {}};
  const auto apps = realisticApps(count);
  for (int i = 0; i < count; ++i) {
    const AppItem& app = apps[static_cast<std::size_t>(i)];
    std::string folder = "/Applications/";
    if (app.isSystemApp) {
      folder = "/System/Applications/";
    } else if (i % 5 == 1) {
      folder = "/Applications/Group " + std::to_string(i % 20) + "/";
    }
    const std::string path = folder + app.englishName + ".app";
    testing::BundleContents contents;
    contents.format = i % 2 == 0 ? PlistFormat::xml : PlistFormat::binary;
    if (app.name != app.englishName) contents.localizedDisplayNames = {{"zh-Hans", app.name}};
    contents.extraKeys = typicalInfo(app, i);
    testing::writeAppBundle(tree.root->path(), path, contents);
    tree.bundlePaths.push_back(path);
  }
  return tree;
}

std::vector<SavedLayoutItem> savedLayoutOver(const std::vector<std::string>& bundlePaths,
                                             int records, int folders, int perFolder,
                                             int vanished) {
  std::vector<std::string> ids = bundlePaths;
  for (int i = 0; i < vanished; ++i)
    ids.push_back("/Applications/Uninstalled " + std::to_string(i) + ".app");
  std::mt19937 random(42);
  std::shuffle(ids.begin(), ids.end(), random);

  std::vector<SavedLayoutItem> layout;
  std::size_t next = 0;
  const int spacing = folders > 0 ? records / folders : records + 1;
  for (int slot = 0; slot < records && next < ids.size(); ++slot) {
    if (folders > 0 && slot % spacing == spacing / 2 && slot / spacing < folders) {
      std::vector<std::string> members;
      for (int k = 0; k < perFolder && next < ids.size(); ++k)
        members.push_back(ids[next++]);
      layout.push_back({"folder", "FOLDER-" + std::to_string(slot),
                        "文件夹 " + std::to_string(slot), std::move(members)});
    } else {
      const std::string& id = ids[next++];
      layout.push_back({"app", id, id.substr(id.rfind('/') + 1), std::nullopt});
    }
  }
  return layout;
}

}  // namespace calyxa::bench
