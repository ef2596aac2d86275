#include "platform/x11/X11WindowPlacement.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QScreen>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/x11/XcbReply.h"

namespace vv {
namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
  const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection,
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
      nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The position of the named monitor in the server's monitor list, which is also the order of
// the Xinerama screens that _NET_WM_FULLSCREEN_MONITORS counts in. None with a single monitor:
// there the plain full-screen state says everything.
std::optional<std::uint32_t> monitorIndex(xcb_connection_t* connection, xcb_window_t root,
                                          const QString& name) {
  const Reply<xcb_randr_get_monitors_reply_t> monitors(xcb_randr_get_monitors_reply(
      connection, xcb_randr_get_monitors(connection, root, 1), nullptr));
  if (!monitors || xcb_randr_get_monitors_monitors_length(monitors.get()) < 2) {
    return std::nullopt;
  }
  std::uint32_t index = 0;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
       xcb_randr_monitor_info_next(&it), ++index) {
    const Reply<xcb_get_atom_name_reply_t> atomName(
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, it.data->name), nullptr));
    if (atomName && QString::fromUtf8(xcb_get_atom_name_name(atomName.get()),
                                      xcb_get_atom_name_name_length(atomName.get())) == name) {
      return index;
    }
  }
  return std::nullopt;
}

void markAsOverlay(xcb_connection_t* connection, xcb_window_t window) {
  // Qt adds its own states (full screen, above) to these when it maps the window.
  const xcb_atom_t states[] = {internAtom(connection, "_NET_WM_STATE_ABOVE"),
                               internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                               internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                      internAtom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 3, states);
  const std::uint32_t allDesktops = 0xFFFFFFFFu;
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                      internAtom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                      &allDesktops);
}

// Asks the window manager to make the full-screen window span exactly that one monitor; one
// that does not know the message ignores it and keeps the window on the monitor it lies on.
void requestFullScreenMonitor(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                              std::uint32_t monitor) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = internAtom(connection, "_NET_WM_FULLSCREEN_MONITORS");
  message.data.data32[0] = monitor;  // top, bottom, left, right edges: all this one monitor
  message.data.data32[1] = monitor;
  message.data.data32[2] = monitor;
  message.data.data32[3] = monitor;
  message.data.data32[4] = 1;  // the request comes from a normal application
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&message));
}

}  // namespace

void X11WindowPlacement::present(QWidget& window, const ScreenInfo& screen) {
  if (screen.qscreen) {
    window.setScreen(screen.qscreen);
  }
  window.setGeometry(screen.geometry);
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) {
    // Not on an X server (the offscreen platform of the tests): the toolkit's request is all.
    window.showFullScreen();
    return;
  }
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  markAsOverlay(connection, id);
  window.showFullScreen();
  if (const std::optional<std::uint32_t> monitor = monitorIndex(connection, root, screen.name)) {
    requestFullScreenMonitor(connection, root, id, *monitor);
  }
  xcb_flush(connection);
  window.raise();
  window.activateWindow();
}

}  // namespace vv
