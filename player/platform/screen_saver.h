// The desktop's screen saver over D-Bus (org.freedesktop.ScreenSaver): kept off with an
// inhibition while a video plays and let on again after. Without a session bus or without
// the service nothing happens and nothing fails.
#pragma once

#include <cstdint>
#include <optional>

namespace lirra {

class DesktopScreenSaver {
 public:
  ~DesktopScreenSaver();
  // Whether a session bus is there to ask (the service itself is looked up when needed,
  // so that start-up never waits for the bus).
  static bool mayExist();
  // false: inhibit (once); true: release the inhibition.
  void setActive(bool active);
  bool inhibited() const { return cookie_.has_value(); }

 private:
  std::optional<std::uint32_t> cookie_;
};

}  // namespace lirra
