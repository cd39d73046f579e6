#include "platform/qt/x11_desktop.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace calyxa {
namespace {

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_connection_t* x11Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
  ReplyPtr<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(
          connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.data()), nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t rootOf(xcb_connection_t* connection) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  return screen ? screen->root : xcb_window_t(XCB_WINDOW_NONE);
}

}  // namespace

void applyOverlayDesktopHints(QWindow& window) {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  const std::array<xcb_atom_t, 4> states = {internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                            internAtom(connection, "_NET_WM_STATE_SKIP_PAGER"),
                                            internAtom(connection, "_NET_WM_STATE_STICKY"),
                                            internAtom(connection, "_NET_WM_STATE_ABOVE")};
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id,
                      internAtom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                      uint32_t(states.size()), states.data());
  const uint32_t allDesktops = 0xFFFFFFFF;
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id,
                      internAtom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                      &allDesktops);
  xcb_flush(connection);
}

std::optional<QPoint> activeWindowCentre(const QWindow* except) {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return std::nullopt;
  const xcb_window_t root = rootOf(connection);
  ReplyPtr<xcb_get_property_reply_t> active(
      xcb_get_property_reply(
          connection,
          xcb_get_property(connection, 0, root, internAtom(connection, "_NET_ACTIVE_WINDOW"),
                           XCB_ATOM_WINDOW, 0, 1),
          nullptr),
      &std::free);
  if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) < 4) {
    return std::nullopt;
  }
  const xcb_window_t window = *static_cast<xcb_window_t*>(xcb_get_property_value(active.get()));
  if (window == XCB_WINDOW_NONE || (except && except->winId() == window)) return std::nullopt;
  ReplyPtr<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr),
      &std::free);
  if (!geometry || geometry->width <= 100 || geometry->height <= 100) return std::nullopt;
  ReplyPtr<xcb_translate_coordinates_reply_t> origin(
      xcb_translate_coordinates_reply(
          connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr),
      &std::free);
  if (!origin) return std::nullopt;
  const qreal scale = qApp->devicePixelRatio();
  return QPoint(int((origin->dst_x + geometry->width * 0.5) / scale),
                int((origin->dst_y + geometry->height * 0.5) / scale));
}

}  // namespace calyxa
