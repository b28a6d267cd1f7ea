// Bounded waiting on the PulseAudio threaded main loop.
#pragma once

#include <chrono>
#include <thread>

namespace lirra::engine::pulse {

template <typename Ready, typename Failed>
bool WaitFor(pa_threaded_mainloop* loop, int timeoutMs, Ready ready, Failed failed) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!ready()) {
    if (failed() || std::chrono::steady_clock::now() > deadline) return false;
    // pa_threaded_mainloop_wait has no time-out: release the lock briefly instead, so a
    // server that never answers cannot hang the caller.
    pa_threaded_mainloop_unlock(loop);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    pa_threaded_mainloop_lock(loop);
  }
  return true;
}

}  // namespace lirra::engine::pulse
