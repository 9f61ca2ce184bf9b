#include "ui/qt/window_frame.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef SV_HAVE_XCB
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <xcb/xcb.h>
#endif

namespace sv {

#ifdef SV_HAVE_XCB
namespace {

xcb_connection_t* x11Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(
      connection, 0, static_cast<uint16_t>(std::char_traits<char>::length(name)), name);
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<xcb_atom_t> netWmState(xcb_connection_t* connection, xcb_window_t window,
                                   xcb_atom_t stateAtom) {
  const xcb_get_property_cookie_t cookie =
      xcb_get_property(connection, 0, window, stateAtom, XCB_ATOM_ATOM, 0, 1024);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(connection, cookie, nullptr), &std::free);
  std::vector<xcb_atom_t> states;
  if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32) return states;
  const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
  states.assign(values, values + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t));
  return states;
}

}  // namespace

void keepOffTaskbar(QWidget& window) {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t stateAtom = atom(connection, "_NET_WM_STATE");
  // Set on the window before it is mapped, where the window manager reads
  // it; Qt keeps states it did not set itself when it adds its own at show.
  std::vector<xcb_atom_t> states = netWmState(connection, id, stateAtom);
  for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
    const xcb_atom_t state = atom(connection, name);
    if (std::find(states.begin(), states.end(), state) == states.end()) states.push_back(state);
  }
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, stateAtom, XCB_ATOM_ATOM, 32,
                      static_cast<uint32_t>(states.size()), states.data());
  xcb_flush(connection);
}

#else

void keepOffTaskbar(QWidget&) {}

#endif

}  // namespace sv
