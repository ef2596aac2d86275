#include "overlay/ScanWindow.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QPalette>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace vv {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (!reply) {
    return XCB_ATOM_NONE;
  }
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

// Asks the window manager, before the window is mapped, to keep it above every other window, on
// every desktop, and out of the taskbar and the pager. Only an X11 display has these hints; under
// other platforms (offscreen included) the native interface has no connection and nothing is done.
void markAsOverlay(WId windowId) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) {
    return;
  }
  xcb_connection_t* connection = x11->connection();
  if (!connection) {
    return;
  }
  const auto window = static_cast<xcb_window_t>(windowId);
  const xcb_atom_t states[] = {internAtom(connection, "_NET_WM_STATE_ABOVE"),
                               internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                               internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                      internAtom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 3, states);
  const std::uint32_t allDesktops = 0xFFFFFFFFu;
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                      internAtom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                      &allDesktops);
  xcb_flush(connection);
}

}  // namespace

ScanWindow::ScanWindow() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("Call from screen"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  QPalette background = palette();
  background.setColor(QPalette::Window, QColor::fromRgbF(0.08f, 0.08f, 0.08f));
  setPalette(background);
  setAutoFillBackground(true);
}

void ScanWindow::present(QScreen* screen, const QRect& geometry) {
  if (screen) {
    setScreen(screen);
  }
  setGeometry(geometry);
  markAsOverlay(winId());
  show();
  raise();
  activateWindow();
  if (firstResponder_) {
    firstResponder_->setFocus(Qt::ActiveWindowFocusReason);
  }
}

}  // namespace vv
