// One connection to the PulseAudio server, run by its own threaded main loop.
#pragma once

#include <pulse/pulseaudio.h>

namespace lirra::engine::pulse {

class Connection {
 public:
  Connection() = default;
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Connects to the server named by the environment or the default one, waiting at most
  // `timeoutMs`. Returns BASS_OK or a BASS_ERROR_* code.
  int connect(const char* clientName, int timeoutMs);

  pa_threaded_mainloop* loop() const { return loop_; }
  pa_context* context() const { return context_; }
  void lock() { pa_threaded_mainloop_lock(loop_); }
  void unlock() { pa_threaded_mainloop_unlock(loop_); }

 private:
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
};

// Holds the main loop's lock for a scope.
class Locked {
 public:
  explicit Locked(Connection& c) : c_(c) { c_.lock(); }
  ~Locked() { c_.unlock(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  Connection& c_;
};

}  // namespace lirra::engine::pulse
