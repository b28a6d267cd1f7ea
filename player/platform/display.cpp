#include "display.h"

#include <xcb/xcb.h>

#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace lirra {

void DisplayHold::release() {
  if (connection_) xcb_disconnect(static_cast<xcb_connection_t*>(connection_));
  connection_ = nullptr;
}

bool HasDisplay(std::string* why, DisplayHold* hold) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform && !std::string_view(platform).starts_with("xcb")) return true;

  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    if (why)
      *why = "there is no display to show the window on: DISPLAY is not set. "
             "Start Lirra from a desktop session, or under a virtual X server "
             "(for example: xvfb-run -a build/app/lirra).";
    return false;
  }
  // A busy server may turn a connection away for a moment: try a few times.
  bool ok = false;
  for (int attempt = 0; attempt < 3 && !ok; ++attempt) {
    if (attempt > 0) usleep(100 * 1000);
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    ok = connection && xcb_connection_has_error(connection) == 0;
    if (ok && hold) {
      hold->release();
      hold->connection_ = connection;
    } else if (connection) {
      xcb_disconnect(connection);
    }
  }
  if (!ok && why)
    *why = std::string("there is no display to show the window on: the X server \"") + display +
           "\" (DISPLAY) cannot be reached.";
  return ok;
}

bool CompositorRunning(void* xcbConnection, int screen) {
  auto* x = static_cast<xcb_connection_t*>(xcbConnection);
  if (!x) return false;
  const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(x, xcb_intern_atom(x, 1, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
  if (!atom) return false;
  bool running = false;
  if (atom->atom != XCB_ATOM_NONE) {
    if (xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, atom->atom), nullptr)) {
      running = owner->owner != XCB_WINDOW_NONE;
      free(owner);
    }
  }
  free(atom);
  return running;
}

WindowSize NativeX11WindowSizeOf(void* xcbConnection, uint32_t window) {
  auto* x = static_cast<xcb_connection_t*>(xcbConnection);
  WindowSize size;
  if (!x) return size;
  if (xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr)) {
    size = {g->width, g->height};
    free(g);
  }
  return size;
}

}  // namespace lirra
