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

}  // namespace lirra
