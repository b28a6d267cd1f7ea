// The desktop's screen saver over D-Bus (org.freedesktop.ScreenSaver): kept off with an
// inhibition while a video plays and let on again after. Without a session bus or without
// the service nothing happens and nothing fails. No call waits for the desktop: the answer
// to an inhibition arrives with the event loop.
#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>

namespace lirra {

class DesktopScreenSaver {
 public:
  DesktopScreenSaver();
  ~DesktopScreenSaver();
  // Whether a session bus is there to ask (the service itself is looked up when needed,
  // so that start-up never waits for the bus).
  static bool mayExist();
  // false: inhibit (once); true: release the inhibition, also one still being answered.
  void setActive(bool active);
  // The desktop answered the inhibition and it holds.
  bool inhibited() const { return cookie_.has_value(); }

 private:
  void Release();

  std::unique_ptr<QObject> replies_;  // the answers' context: none arrives after the saver is gone
  std::optional<std::uint32_t> cookie_;
  bool wanted_ = false;   // the screen saver is to be kept off
  bool asking_ = false;   // an inhibition is on its way
};

}  // namespace lirra
