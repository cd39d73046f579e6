// The user-defaults file and a preference domain file as the program reads them from disk, and
// the first rewrite over whatever they held (a damaged file is set aside, never lost; one beyond
// the reader's limits is never rewritten).
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform_services.h"
#include "platform/posix/plist_limits.h"
#include "platform/posix/plist_preference_store.h"
#include "platform/posix/plist_user_defaults.h"

namespace {

namespace fs = std::filesystem;

// One folder for the whole run, in memory where there is such a folder.
const fs::path& folder() {
  static const fs::path path = [] {
    const fs::path parent = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
    std::string pattern = (parent / "calyxa-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return fs::path(pattern);
  }();
  return path;
}

void write(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct RemoveFolderAtExit {
  ~RemoveFolderAtExit() {
    std::error_code ignored;
    fs::remove_all(folder(), ignored);
  }
} removeFolderAtExit;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace calyxa;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fs::path defaultsFile = folder() / (std::string(kDefaultsDomain) + ".plist");
  write(defaultsFile, bytes);
  write(folder() / "Preferences" / "com.apple.dock.plist", bytes);

  PlistUserDefaults defaults(folder(), kDefaultsDomain);
  (void)defaults.dictionaryForKey("Calyxa.SystemGestureSnapshot.v1");
  (void)defaults.boolForKey("hasCompletedOnboarding");
  const PlistPreferenceStore preferences(folder() / "Preferences", "host");
  (void)preferences.copyValue("showLaunchpadGestureEnabled", "com.apple.dock", kPreferencesAnyHost);
  // Only a file beyond what the reader takes in is left alone; any other gets written.
  if (defaults.setObject("hasCompletedOnboarding", true)) {
    if (!defaults.object("hasCompletedOnboarding")) std::abort();
  } else if (plistWithinParserLimits(bytes)) {
    std::abort();
  }

  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder(), ignored))
    fs::remove_all(entry.path(), ignored);
  return 0;
}
