#include "display.h"

#include <xcb/xcb.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace lirra {

void DisplayHold::release() {
  if (connection_) xcb_disconnect(static_cast<xcb_connection_t*>(connection_));
  connection_ = nullptr;
}

void ApplyQtPlatformChoice() {
  const auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  if (set("QT_QPA_PLATFORM") || !set("WAYLAND_DISPLAY")) return;
  const char* asked = std::getenv("LIRRA_WAYLAND");
  const bool native = asked && std::string_view(asked) == "1";
  const char* platform = !set("DISPLAY") ? "wayland" : native ? "wayland;xcb" : "xcb";
  setenv("QT_QPA_PLATFORM", platform, 1);
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

namespace {

// An atom by name; none when it does not exist yet, unless `create`.
xcb_atom_t Atom(xcb_connection_t* x, const char* name, bool create = false) {
  xcb_atom_t atom = XCB_ATOM_NONE;
  if (xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
          x, xcb_intern_atom(x, create ? 0 : 1, static_cast<uint16_t>(strlen(name)), name), nullptr)) {
    atom = r->atom;
    free(r);
  }
  return atom;
}

// A window property as bytes (empty when missing).
std::string Property(xcb_connection_t* x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
  std::string value;
  if (property == XCB_ATOM_NONE) return value;
  if (xcb_get_property_reply_t* r =
          xcb_get_property_reply(x, xcb_get_property(x, 0, window, property, type, 0, 1024), nullptr)) {
    value.assign(static_cast<const char*>(xcb_get_property_value(r)),
                 static_cast<size_t>(xcb_get_property_value_length(r)));
    free(r);
  }
  return value;
}

}  // namespace

void WaitForX11Server(void* xcbConnection) {
  auto* x = static_cast<xcb_connection_t*>(xcbConnection);
  if (x) free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
}

bool CompositorRunning(void* xcbConnection, int screen) {
  auto* x = static_cast<xcb_connection_t*>(xcbConnection);
  if (!x) return false;
  const xcb_atom_t selection = Atom(x, ("_NET_WM_CM_S" + std::to_string(screen)).c_str());
  if (selection == XCB_ATOM_NONE) return false;
  bool running = false;
  if (xcb_get_selection_owner_reply_t* owner =
          xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, selection), nullptr)) {
    running = owner->owner != XCB_WINDOW_NONE;
    free(owner);
  }
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


ActiveWindow ActiveX11Window(void* xcbConnection) {
  auto* x = static_cast<xcb_connection_t*>(xcbConnection);
  ActiveWindow active;
  if (!x) return active;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const std::string id = Property(x, root, Atom(x, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
  if (id.size() < sizeof(uint32_t)) return active;
  memcpy(&active.window, id.data(), sizeof(uint32_t));
  if (!active.window) return active;
  active.title = Property(x, active.window, Atom(x, "_NET_WM_NAME"), Atom(x, "UTF8_STRING"));
  if (active.title.empty()) active.title = Property(x, active.window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
  return active;
}

void SetX11SkipTaskbar(void* xcbConnection, uint32_t window, bool skip) {
  auto* x = static_cast<xcb_connection_t*>(xcbConnection);
  if (!x || !window) return;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = Atom(x, "_NET_WM_STATE", true);
  message.data.data32[0] = skip ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
  message.data.data32[1] = Atom(x, "_NET_WM_STATE_SKIP_TASKBAR", true);
  message.data.data32[3] = 1;  // from an application
  xcb_send_event(x, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(x);
}

}  // namespace lirra
