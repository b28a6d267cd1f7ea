// The signals a session's end sends (SIGTERM from logout, shutdown and `systemctl --user
// stop`; SIGINT from a terminal; SIGHUP when the terminal goes) made readable on a pipe, so
// that the close runs on the UI thread: the handler itself only writes one byte.
#pragma once

namespace lirra {

class SessionSignals {
 public:
  // Installs the handlers once for the process; false when the pipe cannot be made.
  bool install();
  // Readable once a signal came; read it with takeSignal().
  int fd() const;
  // The signal that came (0 when none is waiting).
  int takeSignal();
};

}  // namespace lirra
