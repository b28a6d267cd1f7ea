// The single-instance lock: an advisory lock on "Lirra 2009.lock" in the user's runtime
// folder ($XDG_RUNTIME_DIR, else /tmp). The kernel releases it when the process ends.
#pragma once

#include <string>

namespace lirra {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // False when another process holds the lock. A lock file that cannot be made at all
  // does not stop the player.
  bool acquire();
  static std::string LockPath();

 private:
  int fd_ = -1;
};

// Writes $XDG_DATA_HOME/applications/lirra.desktop (default ~/.local/share/applications)
// so that desktops offer Lirra for audio files. Failure is silent.
void WriteDesktopEntry(const std::string& executable);

}  // namespace lirra
