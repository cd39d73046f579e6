#include <gio/gio.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/posix/file_browser.h"
#include "platform/posix/glib_handles.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

constexpr const char* kInterface =
    "<node><interface name='org.freedesktop.FileManager1'>"
    "<method name='ShowItems'><arg type='as' direction='in'/><arg type='s' direction='in'/>"
    "</method></interface></node>";

// The desktop's file manager on a session bus of the test's own: it writes down what it is
// asked to show.
TEST(FileBrowserTest, RevealsTheFileThroughTheFileManagersBusInterface) {
  GTestDBus* bus = g_test_dbus_new(G_TEST_DBUS_NONE);
  g_test_dbus_up(bus);
  GError* error = nullptr;
  const GObjectPtr<GDBusConnection> connection{g_dbus_connection_new_for_address_sync(
      g_test_dbus_get_bus_address(bus),
      GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                           G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, &error)};
  ASSERT_TRUE(connection) << (error ? error->message : "");

  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
  std::vector<std::string> shown;
  static const GDBusInterfaceVTable vtable{
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
         GVariant* parameters, GDBusMethodInvocation* invocation, gpointer record) {
        GVariantIter* uris = nullptr;
        const gchar* startup = nullptr;
        g_variant_get(parameters, "(as&s)", &uris, &startup);
        for (const gchar* uri = nullptr; g_variant_iter_loop(uris, "&s", &uri);)
          static_cast<std::vector<std::string>*>(record)->push_back(uri);
        g_variant_iter_free(uris);
        g_dbus_method_invocation_return_value(invocation, nullptr);
      },
      nullptr,
      nullptr,
      {}};
  const guint object =
      g_dbus_connection_register_object(connection.get(), "/org/freedesktop/FileManager1",
                                        node->interfaces[0], &vtable, &shown, nullptr, nullptr);
  GVariant* owned = g_dbus_connection_call_sync(
      connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
      "RequestName", g_variant_new("(su)", "org.freedesktop.FileManager1", 0u), nullptr,
      G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
  ASSERT_TRUE(owned);
  g_variant_unref(owned);

  testing::TempDir dir;
  const auto file = dir.write("Apps/My App.desktop", "[Desktop Entry]\n");
  std::atomic<bool> done = false;
  bool revealed = false;
  // The call waits for the bus: off this thread, whose main context serves the file manager.
  std::thread caller([&] {
    revealed = revealFile(file);
    done = true;
  });
  while (!done)
    g_main_context_iteration(nullptr, FALSE);
  caller.join();
  EXPECT_TRUE(revealed);
  EXPECT_EQ(shown,
            (std::vector<std::string>{"file://" + dir.path().string() + "/Apps/My%20App.desktop"}));

  g_dbus_connection_unregister_object(connection.get(), object);
  g_dbus_node_info_unref(node);
  g_test_dbus_down(bus);
  g_object_unref(bus);
}

}  // namespace
}  // namespace calyxa
