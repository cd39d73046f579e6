#include <utility>

#include "catalogue/default_order.h"
#include "catalogue/layout_file.h"
#include "catalogue/layout_restoration.h"
#include "catalogue/tilewell_store.h"
#include "platform/utf8.h"

namespace calyxa {
namespace {

constexpr const char* kAppsBookmarkKey = "Calyxa.AppsBookmark";
constexpr const char* kApplicationsFolder = "/Applications";
constexpr const char* kFinderPath = "/System/Library/CoreServices/Finder.app";
constexpr const char* kSafariID = "/Applications/Safari.app";
constexpr const char* kOwnBundleName = "Calyxa";
constexpr double kIconSize = 96.0;

std::string joinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (path.empty() || path.back() != '/') path.push_back('/');
  path += name;
  return path;
}

bool isBundleName(std::string_view name) {
  return name.ends_with(".app");
}

// The file name without its ".app": "Foo Bar.app" gives "Foo Bar". A name that is nothing but
// the extension is a hidden file's name, kept whole.
std::string bundleBaseName(std::string_view path) {
  std::string_view name = path.substr(path.rfind('/') + 1);
  if (name.size() > 4 && name.ends_with(".app")) name.remove_suffix(4);
  return std::string(name);
}

// Names and identifiers enter the catalogue only as well-formed text.
std::optional<std::string> usableText(std::optional<std::string> text) {
  if (text && !isValidUtf8(*text)) return std::nullopt;
  return text;
}

std::optional<std::string> dictionaryString(const std::optional<PlistDictionary>& dictionary,
                                            const char* key) {
  if (!dictionary) return std::nullopt;
  const auto found = dictionary->find(key);
  if (found == dictionary->end()) return std::nullopt;
  const auto* text = found->second.as<std::string>();
  if (!text) return std::nullopt;
  return usableText(*text);
}

}  // namespace

std::optional<AppItem> TilewellStore::makeAppItem(const std::string& path, bool isSystem) {
  // A path that is not UTF-8 could not be saved in the layout file and read back as itself, and
  // a replaced path would no longer launch: such a bundle is left out.
  if (!isValidUtf8(path)) return std::nullopt;
  std::string base = bundleBaseName(path);
  if (base == kOwnBundleName) return std::nullopt;

  AppItem app;
  app.id = (base == "Safari" && path.find("Cryptexes") != std::string::npos) ? kSafariID : path;
  app.bundleIdentifier = usableText(services.bundles->bundleIdentifier(path)).value_or(path);

  std::string shown = services.bundles->displayName(path);
  if (shown.ends_with(".app")) shown.resize(shown.size() - 4);
  if (!shown.empty() && isValidUtf8(shown)) {
    app.name = std::move(shown);
  } else {
    const auto info = services.bundles->infoDictionary(path);
    auto name =
        dictionaryString(services.bundles->localizedInfoDictionary(path), "CFBundleDisplayName");
    if (!name) name = dictionaryString(info, "CFBundleDisplayName");
    if (!name) name = dictionaryString(info, "CFBundleName");
    app.name = name.value_or(base);
  }
  app.englishName = std::move(base);
  app.path = path;
  app.isSystemApp = isSystem;
  return app;
}

void TilewellStore::addRunningApplications(std::map<std::string, AppItem>& catalogue) {
  constexpr std::string_view kPrefix = "/Applications/";
  for (auto& running : services.runningApplications->runningApplications()) {
    if (!running.bundlePath || !isValidUtf8(*running.bundlePath)) continue;
    const std::string& bundlePath = *running.bundlePath;
    if (!bundlePath.starts_with(kPrefix)) continue;
    // The entry directly inside /Applications: the third part of the path split at "/".
    const std::size_t end = bundlePath.find('/', kPrefix.size());
    const std::string_view entry =
        std::string_view(bundlePath)
            .substr(kPrefix.size(),
                    end == std::string::npos ? std::string::npos : end - kPrefix.size());
    if (!isBundleName(entry)) continue;
    const std::string top = std::string(kPrefix) + std::string(entry);
    std::string base = bundleBaseName(top);
    if (base == kOwnBundleName) continue;

    const bool topLevel = bundlePath == top;
    std::string name = base;
    std::string bundleIdentifier = top;
    if (topLevel) {
      name = usableText(running.localizedName).value_or(base);
      bundleIdentifier = usableText(running.bundleIdentifier).value_or(top);
    }
    // A helper's icon is not the application's: it only fills a gap.
    if (running.icon && (topLevel || !iconCache.contains(top))) {
      iconCache.insert_or_assign(top, running.icon->resized(kIconSize, kIconSize));
    }
    if (topLevel || !catalogue.contains(top)) {
      catalogue.insert_or_assign(top, AppItem{top, std::move(name), std::move(base),
                                              std::move(bundleIdentifier), top, false});
    }
  }
}

void TilewellStore::scanApplications(std::optional<std::string> extraDirectory, bool showToast) {
  std::vector<std::pair<std::string, bool>> directories;
  if (extraDirectory) directories.emplace_back(std::move(*extraDirectory), false);
  directories.emplace_back(kApplicationsFolder, false);
  directories.emplace_back("/Applications/Utilities", false);
  directories.emplace_back("/System/Applications", true);
  directories.emplace_back("/System/Applications/Utilities", true);
  directories.emplace_back("/System/Cryptexes/App/System/Applications", true);
  directories.emplace_back("/System/Volumes/Preboot/Cryptexes/App/System/Applications", true);
  const std::string home =
      services.userDatabase->currentUserHomeDirectory().value_or(services.homeDirectory.string());
  directories.emplace_back(joinPath(home, "Applications"), false);

  FileSystem& files = *services.fileSystem;
  std::map<std::string, AppItem> catalogue;
  const auto insert = [&catalogue](std::optional<AppItem> app) {
    if (app) catalogue.insert_or_assign(app->id, std::move(*app));
  };
  if (files.fileExists(kFinderPath)) insert(makeAppItem(kFinderPath, true));

  for (const auto& [directory, isSystem] : directories) {
    const auto entries = files.contentsOfDirectory(directory);
    if (!entries) continue;
    if (directory == kApplicationsFolder && !entries->empty()) hasGrantedFolderAccess = true;
    for (const auto& entry : *entries) {
      const std::string full = joinPath(directory, entry);
      if (isBundleName(entry)) {
        insert(makeAppItem(full, isSystem));
        continue;
      }
      // One level of sub-folders, hidden ones excepted; nothing deeper.
      if (entry.starts_with('.') || !files.isDirectory(full)) continue;
      const auto inner = files.contentsOfDirectory(full);
      if (!inner) continue;
      for (const auto& innerEntry : *inner) {
        if (isBundleName(innerEntry)) insert(makeAppItem(joinPath(full, innerEntry), isSystem));
      }
    }
  }
  addRunningApplications(catalogue);

  allAppsMap = catalogue;
  const NameCollator collator(userCollationLocale());
  LayoutFileContents saved = readLayoutFileContents(layoutFileURL);
  layoutFileDamaged = saved.damaged;
  std::vector<LaunchItem> arrangement = restoreArrangement(saved.records, catalogue, collator);

  for (const auto& [id, app] : catalogue)
    icon(app);  // fills the cache; the image is drawn only when first shown

  items = std::move(arrangement);
  invalidateFilterCache();
  syncPagerPageCount();
  scheduleDebouncedSave();
  if (showToast) {
    triggerToast("已同步 " + std::to_string(catalogue.size()) + " 款应用");
  }
}

void TilewellStore::authorizeApplicationsFolder() {
  FolderChooserRequest request;
  request.title = "授权读取“应用程序 (/Applications)”文件夹";
  request.message = "请选择 /Applications 文件夹以加载全部第三方应用图标";
  request.confirmButtonText = "授权访问";
  request.startDirectory = kApplicationsFolder;
  request.canChooseFiles = false;
  request.canChooseDirectories = true;
  request.allowsMultipleSelection = false;
  const auto chosen = services.folderChooser->chooseFolder(request);
  if (!chosen) return;

  services.bookmarks->startAccessing(*chosen);
  if (auto bookmark = services.bookmarks->createBookmark(*chosen)) {
    services.defaults->setData(kAppsBookmarkKey, std::move(*bookmark));
  }
  hasGrantedFolderAccess = true;
  scanApplications(*chosen, /*showToast=*/true);
}

void TilewellStore::restoreFolderAccess() {
  const auto bookmark = services.defaults->dataForKey(kAppsBookmarkKey);
  if (!bookmark) return;
  const auto folder = services.bookmarks->resolveBookmark(*bookmark);
  if (!folder) return;
  services.bookmarks->startAccessing(*folder);
  hasGrantedFolderAccess = true;
}

}  // namespace calyxa
