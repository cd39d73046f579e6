#include "platform/posix/gio_desktop_entries.h"

#include <gio/gdesktopappinfo.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/posix/desktop_entry_files.h"
#include "platform/posix/glib_handles.h"
#include "platform/utf8.h"

namespace calyxa {
namespace {

std::string withoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.ends_with('/'))
    folder.pop_back();
  return folder;
}

bool holds(const std::string& dataFolder, const std::string& entryPath) {
  const std::string applications = withoutTrailingSlashes(dataFolder) + "/applications/";
  return entryPath.starts_with(applications);
}

// Text of the entry that can be shown and saved; nothing for what is missing or garbled.
std::optional<std::string> usable(const char* text) {
  if (!text || !*text || !isValidUtf8(text)) return std::nullopt;
  return std::string(text);
}

std::optional<DesktopEntry> makeEntry(GDesktopAppInfo* info, const DesktopEntryFile& file,
                                      const std::string& userDataFolder) {
  GAppInfo* app = G_APP_INFO(info);
  const auto englishName = takeString(g_desktop_app_info_get_string(info, "Name"));
  if (!englishName || !isValidUtf8(*englishName) || englishName->empty()) return std::nullopt;
  DesktopEntry entry;
  entry.id = file.id;
  entry.path = file.path;
  entry.englishName = *englishName;
  entry.name = usable(g_app_info_get_name(app)).value_or(*englishName);
  if (const auto generic = usable(g_desktop_app_info_get_generic_name(info))) {
    entry.keywords.push_back(*generic);
  }
  for (const gchar* const* keyword = g_desktop_app_info_get_keywords(info); keyword && *keyword;
       ++keyword) {
    if (const auto text = usable(*keyword)) entry.keywords.push_back(*text);
  }
  entry.isSystem = isDistributionEntry(entry.path, userDataFolder);
  return entry;
}

// The file as a key file; nothing when it cannot be read as one. Safe on any thread.
GKeyFilePtr loadKeys(const DesktopEntryFile& file) {
  GKeyFilePtr keys(g_key_file_new());
  if (!g_key_file_load_from_file(keys.get(), file.path.c_str(), G_KEY_FILE_NONE, nullptr)) {
    return nullptr;
  }
  return keys;
}

// The entry as the desktop's menu shows it, by GIO's reading of its keys; nothing for one the
// menu leaves out or GIO refuses.
std::optional<DesktopEntry> shownEntry(GKeyFile* keys, const DesktopEntryFile& file,
                                       const std::string& userDataFolder) {
  if (!keys) return std::nullopt;
  const GObjectPtr<GDesktopAppInfo> info{g_desktop_app_info_new_from_keyfile(keys)};
  if (!info || g_desktop_app_info_get_is_hidden(info.get()) ||
      !g_app_info_should_show(G_APP_INFO(info.get()))) {
    return std::nullopt;
  }
  return makeEntry(info.get(), file, userDataFolder);
}

// Hands `use` the key files of `files` in order, while helper threads read those further on:
// a first listing reads every file, and GIO's reading of the keys holds one lock of its own, so
// only the reading of the bytes runs side by side.
template <class Use>
void readAhead(const std::vector<const DesktopEntryFile*>& files, Use&& use) {
  constexpr std::size_t kWorthAThread = 64;
  const std::size_t count = files.size();
  std::vector<GKeyFilePtr> keys(count);
  std::vector<std::atomic<bool>> loaded(count);
  std::atomic<std::size_t> next{0};
  const auto loadOne = [&]() -> bool {
    const std::size_t k = next.fetch_add(1);
    if (k >= count) return false;
    keys[k] = loadKeys(*files[k]);
    loaded[k].store(true, std::memory_order_release);
    loaded[k].notify_one();
    return true;
  };
  const std::size_t helpers = std::min<std::size_t>(
      {std::max(1u, std::thread::hardware_concurrency()) - 1, count / kWorthAThread, 7});
  std::vector<std::jthread> threads;
  for (std::size_t t = 0; t < helpers; ++t) {
    threads.emplace_back([&] {
      while (loadOne()) {
      }
    });
  }
  for (std::size_t k = 0; k < count; ++k) {
    while (!loaded[k].load(std::memory_order_acquire)) {
      if (!loadOne()) loaded[k].wait(false, std::memory_order_acquire);
    }
    use(k, keys[k].get());
    keys[k].reset();
  }
}

class MonitorWatch final : public DesktopEntrySource::Watch {
 public:
  explicit MonitorWatch(std::function<void()> onChange)
      : monitor_(g_app_info_monitor_get()),
        onChange_(std::make_unique<std::function<void()>>(std::move(onChange))) {
    handler_ = g_signal_connect_swapped(monitor_.get(), "changed",
                                        G_CALLBACK(&MonitorWatch::changed), onChange_.get());
  }
  ~MonitorWatch() override { g_signal_handler_disconnect(monitor_.get(), handler_); }
  MonitorWatch(const MonitorWatch&) = delete;
  MonitorWatch& operator=(const MonitorWatch&) = delete;

 private:
  static void changed(std::function<void()>* onChange) { (*onChange)(); }

  GObjectPtr<GAppInfoMonitor> monitor_;
  std::unique_ptr<std::function<void()>> onChange_;
  gulong handler_ = 0;
};

}  // namespace

bool isDistributionEntry(const std::string& entryPath, const std::string& userDataFolder) {
  const std::string user = withoutTrailingSlashes(userDataFolder);
  const std::string ownFolders[] = {user, "/usr/local/share", "/var/lib/flatpak/exports/share",
                                    user + "/flatpak/exports/share", "/var/lib/snapd/desktop"};
  return std::none_of(std::begin(ownFolders), std::end(ownFolders),
                      [&](const std::string& folder) { return holds(folder, entryPath); });
}

GioDesktopEntries::GioDesktopEntries(std::shared_ptr<MainQueue> mainQueue,
                                     std::shared_ptr<BackgroundQueue> launches)
    : mainQueue_(std::move(mainQueue)), launches_(std::move(launches)) {}

std::vector<DesktopEntry> GioDesktopEntries::desktopEntries() {
  const std::string userDataFolder = g_get_user_data_dir();
  std::vector<std::string> dataFolders{userDataFolder};
  for (const gchar* const* folder = g_get_system_data_dirs(); folder && *folder; ++folder)
    dataFolders.emplace_back(*folder);

  // Only files that changed since the last listing are read again: GIO itself re-reads every
  // one of them on each listing.
  std::vector<DesktopEntryFile> files = desktopEntryFiles(dataFolders);
  std::vector<std::optional<ReadEntry>> known(files.size());
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto found = read_.find(files[i].path);
    if (found != read_.end() && found->second.id == files[i].id &&
        found->second.stamp == files[i].stamp) {
      known[i] = std::move(found->second);
    } else {
      changed.push_back(i);
    }
  }
  std::vector<const DesktopEntryFile*> unread;
  for (const std::size_t i : changed)
    unread.push_back(&files[i]);
  readAhead(unread, [&](std::size_t k, GKeyFile* keys) {
    known[changed[k]] =
        ReadEntry{unread[k]->id, unread[k]->stamp, shownEntry(keys, *unread[k], userDataFolder)};
  });

  std::unordered_map<std::string, ReadEntry> read;
  std::vector<DesktopEntry> entries;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (known[i]->shown) entries.push_back(*known[i]->shown);
    read.insert_or_assign(std::move(files[i].path), std::move(*known[i]));
  }
  read_ = std::move(read);

  // GIO watches the data folders only while its own index of them is set up, and drops that
  // index on every change: a lookup sets it up again, so the next change is reported too.
  const GObjectPtr<GDesktopAppInfo> none{g_desktop_app_info_new("calyxa-index-check.desktop")};
  return entries;
}

void GioDesktopEntries::launch(const std::string& id, LaunchCompletion completion) {
  // GIO spawns (or calls D-Bus) synchronously: that happens on the launch thread, never on the
  // main one.
  launches_->asyncAfter(0.0, [id, completion = std::move(completion), mainQueue = mainQueue_] {
    bool started = false;
    if (const GObjectPtr<GDesktopAppInfo> info{g_desktop_app_info_new(id.c_str())}) {
      const GObjectPtr<GAppLaunchContext> context{g_app_launch_context_new()};
      GError* error = nullptr;
      started = g_app_info_launch(G_APP_INFO(info.get()), nullptr, context.get(), &error);
      const GErrorPtr owned(error);
    }
    if (completion) mainQueue->async([completion, started] { completion(started); });
  });
}

std::unique_ptr<DesktopEntrySource::Watch> GioDesktopEntries::watchChanges(
    std::function<void()> onChange) {
  return std::make_unique<MonitorWatch>(std::move(onChange));
}

}  // namespace calyxa
