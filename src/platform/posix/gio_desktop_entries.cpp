#include "platform/posix/gio_desktop_entries.h"

#include <gio/gdesktopappinfo.h>

#include <algorithm>

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

std::optional<DesktopEntry> makeEntry(GDesktopAppInfo* info, const std::string& userDataFolder) {
  GAppInfo* app = G_APP_INFO(info);
  const auto id = usable(g_app_info_get_id(app));
  const auto path = usable(g_desktop_app_info_get_filename(info));
  const auto englishName = takeString(g_desktop_app_info_get_string(info, "Name"));
  if (!id || !path || !englishName || !isValidUtf8(*englishName) || englishName->empty()) {
    return std::nullopt;
  }
  DesktopEntry entry;
  entry.id = *id;
  entry.path = *path;
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
  std::vector<DesktopEntry> entries;
  GList* all = g_app_info_get_all();
  for (GList* element = all; element; element = element->next) {
    auto* app = static_cast<GAppInfo*>(element->data);
    if (!G_IS_DESKTOP_APP_INFO(app) || !g_app_info_should_show(app)) continue;
    if (auto entry = makeEntry(G_DESKTOP_APP_INFO(app), userDataFolder)) {
      entries.push_back(std::move(*entry));
    }
  }
  g_list_free_full(all, g_object_unref);
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
