// What the whole-program benchmarks that launch the player share: a private app folder to
// run it from, and waiting for its window to be mapped.
#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace lirra::bench {

// A private app folder: the program copied (its folder is where it runs from), the rest
// linked, and settings naming a frame skin of the start size.
inline std::string PrivateApp(const std::string& built, const std::string& dir) {
  const std::string app = dir + "/app";
  std::system(("rm -rf '" + app + "' && mkdir -p '" + app + "' && cp '" + built + "/lirra' '" + app +
               "/' && for f in '" + built + "'/*; do [ \"$(basename \"$f\")\" = lirra ] || ln -s \"$f\" '" + app +
               "/'; done").c_str());
  // PLAYER_BENCH_SKIN names another skin, or "none" for the unskinned window.
  const char* skin = std::getenv("PLAYER_BENCH_SKIN");
  const std::string name = skin ? skin : "Ocean.bmp";
  // The spectrum is the visualisation (vis=1), so it shows while the track plays.
  if (name != "none") std::ofstream(app + "/lirra.ini") << "[main]\r\nskin=" << name << "\r\nvis=1\r\n";
  return app;
}

// From here the connection hears of every window mapped on the first screen.
inline void HearMappedWindows(xcb_connection_t* x) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(x);
}

// Whether a window was mapped since the last look (events are read, not waited for).
inline bool WindowMappedNow(xcb_connection_t* x) {
  bool mapped = false;
  while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
    mapped = mapped || (e->response_type & 0x7F) == XCB_MAP_NOTIFY;
    free(e);
  }
  return mapped;
}

// Waits for the next window mapped on the screen (the player's; no other client maps
// windows meanwhile). False after 10 s.
inline bool WaitForMappedWindow(xcb_connection_t* x) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < until) {
    if (WindowMappedNow(x)) return true;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

}  // namespace lirra::bench
