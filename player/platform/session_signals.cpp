#include "session_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace lirra {

namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int signal) {
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(signal);
  // Full pipe: a signal is waiting already, which is all the reader needs to know.
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

int InstallSessionSignals() {
  if (g_pipe[0] >= 0) return g_pipe[0];
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
  return g_pipe[0];
}

bool TakeSessionSignals() {
  unsigned char bytes[16];
  bool any = false;
  while (read(g_pipe[0], bytes, sizeof bytes) > 0) any = true;
  return any;
}

}  // namespace lirra
