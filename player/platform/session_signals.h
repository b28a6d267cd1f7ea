// The signals a session's end sends (SIGTERM from logout, shutdown and `systemctl --user
// stop`; SIGINT from a terminal; SIGHUP when the terminal goes) made readable on a pipe, so
// that the close runs on the UI thread: the handler itself only writes one byte.
#pragma once

namespace lirra {

// Installs the handlers once for the process and returns the pipe's reading end, readable
// once a signal came; -1 when the pipe cannot be made.
int InstallSessionSignals();
// Reads the signals that came; true if there was one.
bool TakeSessionSignals();

}  // namespace lirra
