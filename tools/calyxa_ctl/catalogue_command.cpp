// calyxa-ctl catalogue: the start-up scan as the program runs it, printed.
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/item_json.h"
#include "catalogue/layout_file.h"
#include "catalogue/tilewell_store.h"
#include "commands.h"
#include "platform/posix/file_io.h"
#include "platform/system_root.h"

namespace calyxa::ctl {
namespace {

constexpr const char* kOption = "--extra-directory";

int usageError(const std::string& message) {
  std::fprintf(stderr,
               "calyxa-ctl catalogue: %s\n"
               "usage: calyxa-ctl catalogue [--extra-directory DIR]\n",
               message.c_str());
  return EX_USAGE;
}

// "/Volumes/Apps/" and "/Volumes/./Apps" name one folder, and so one set of ids.
std::string normalisedFolder(const std::string& path) {
  std::string normal = std::filesystem::path(path).lexically_normal().string();
  while (normal.size() > 1 && normal.ends_with('/'))
    normal.pop_back();
  return normal;
}

}  // namespace

int runCatalogue(const std::vector<std::string>& arguments) {
  std::optional<std::string> extraDirectory;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      std::printf(
          "usage: calyxa-ctl catalogue [--extra-directory DIR]\n"
          "\n"
          "Scans the application folders as the launcher does at start-up (DIR first, when\n"
          "given; DIR is a system path such as /Volumes/Apps, found under CALYXA_SYSTEM_ROOT),\n"
          "saves the arrangement to the layout file, and prints two lines: the layout file's\n"
          "document, and the catalogue as a JSON array of applications sorted by id.\n");
      return 0;
    }
    std::string value;
    if (argument == kOption) {
      if (i + 1 >= arguments.size()) return usageError("--extra-directory needs a folder");
      value = arguments[++i];
    } else if (argument.starts_with(std::string(kOption) + "=")) {
      value = argument.substr(std::string(kOption).size() + 1);
    } else {
      return usageError("unknown argument \"" + argument + "\"");
    }
    if (extraDirectory) return usageError("--extra-directory is given more than once");
    if (!value.starts_with('/')) {
      return usageError("the extra directory must be an absolute path, not \"" + value + "\"");
    }
    extraDirectory = normalisedFolder(value);
    const std::filesystem::path real = SystemRoot::fromEnvironment().resolve(*extraDirectory);
    struct stat info {};
    if (::stat(real.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      return usageError("no folder at " + *extraDirectory + " (looked at " + real.string() + ")");
    }
  }

  TilewellStore& store = TilewellStore::shared();
  store.scanApplications(extraDirectory, /*showToast=*/false);
  store.flushPendingSave();

  const std::string document = encodeLayoutDocument(snapshotLayout(store.items));
  nlohmann::ordered_json catalogue = nlohmann::ordered_json::array();
  for (const auto& [id, app] : store.allAppsMap.get())
    catalogue.push_back(encodeAppItem(app));  // the map keeps them sorted by id
  std::printf(
      "%s\n%s\n", document.c_str(),
      catalogue.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
  std::fflush(stdout);

  // Saving fails silently in the launcher; here the user asked, so say so.
  const FileReadResult saved = readFileBytes(store.layoutFile(), kMaxLayoutFileBytes);
  if (saved.status != ReadStatus::ok || saved.bytes != document) {
    std::fprintf(stderr, "calyxa-ctl catalogue: could not write the layout file %s\n",
                 store.layoutFile().c_str());
    return 1;
  }
  return 0;
}

}  // namespace calyxa::ctl
