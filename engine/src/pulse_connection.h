// One connection to the PulseAudio server, run by its own threaded main loop. A server
// that goes away (restarted by an update, by the user, or after a crash) is connected to
// again: tries begin 100 ms after the loss and back off to one every 2 s, without end,
// all on the main loop's thread, so no caller ever waits for them. A local server's
// socket is watched too: when it appears again the next try comes at once.
#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <functional>
#include <string>

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

  // Called on the main loop's thread, with its lock held: `lost` once the server went
  // away (streams of the old context are dead then), `back` once a new context is ready.
  void onServerChanges(std::function<void()> lost, std::function<void()> back);
  // The server answers now; false from its loss until the next connection is ready.
  bool available() const { return available_.load(std::memory_order_relaxed); }

  pa_threaded_mainloop* loop() const { return loop_; }
  // The current context: only usable while available().
  pa_context* context() const { return context_; }
  void lock() { pa_threaded_mainloop_lock(loop_); }
  void unlock() { pa_threaded_mainloop_unlock(loop_); }

 private:
  bool openContext();
  static void OnState(pa_context* context, void* self);
  static void OnRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
  void scheduleRetry();
  void watchSocket();
  static void OnSocketFolder(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self);

  std::string clientName_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_context* dead_ = nullptr;  // a failed context, freed outside its own callback
  pa_time_event* retryTimer_ = nullptr;
  int retryDelayMs_ = 0;        // the wait before the next try; 0 after a connection
  bool retryArmed_ = false;     // a try is scheduled
  bool everReady_ = false;      // only a connection that once worked is tried again
  int socketWatch_ = -1;        // inotify on the local socket's folder
  pa_io_event* socketEvent_ = nullptr;
  std::string socketName_;
  std::atomic<bool> available_{false};
  std::function<void()> lost_, back_;
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
