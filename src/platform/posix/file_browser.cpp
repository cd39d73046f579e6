#include "platform/posix/file_browser.h"

#include <gio/gio.h>

#include "platform/posix/glib_handles.h"

namespace calyxa {
namespace {

constexpr int kBusTimeoutMs = 5000;

std::optional<std::string> fileURI(const std::filesystem::path& path) {
  GError* error = nullptr;
  auto uri = takeString(g_filename_to_uri(path.c_str(), nullptr, &error));
  const GErrorPtr owned(error);
  return uri;
}

bool showItem(const std::string& uri) {
  GError* error = nullptr;
  const GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error)};
  GErrorPtr busError(error);
  if (!bus) return false;
  const gchar* uris[] = {uri.c_str(), nullptr};
  error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus.get(), "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
      "org.freedesktop.FileManager1", "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr,
      G_DBUS_CALL_FLAGS_NONE, kBusTimeoutMs, nullptr, &error);
  const GErrorPtr callError(error);
  if (!reply) return false;
  g_variant_unref(reply);
  return true;
}

}  // namespace

bool revealFile(const std::filesystem::path& file) {
  const auto uri = fileURI(file);
  if (uri && showItem(*uri)) return true;
  const auto folder = fileURI(file.parent_path());
  if (!folder) return false;
  GError* error = nullptr;
  const bool opened = g_app_info_launch_default_for_uri(folder->c_str(), nullptr, &error);
  const GErrorPtr owned(error);
  return opened;
}

}  // namespace calyxa
