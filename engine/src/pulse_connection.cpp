#include "pulse_connection.h"

#include <pulse/timeval.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "bass.h"
#include "pulse.h"

namespace lirra::engine::pulse {

namespace {
constexpr int kFirstRetryMs = 100;
constexpr int kLongestRetryMs = 2000;

void FreeContext(pa_context* context) {
  pa_context_set_state_callback(context, nullptr, nullptr);
  pa_context_disconnect(context);
  pa_context_unref(context);
}
}  // namespace

Connection::~Connection() {
  if (loop_) pa_threaded_mainloop_stop(loop_);
  if (retryTimer_) pa_threaded_mainloop_get_api(loop_)->time_free(retryTimer_);
  if (socketEvent_) pa_threaded_mainloop_get_api(loop_)->io_free(socketEvent_);
  if (socketWatch_ >= 0) close(socketWatch_);
  if (dead_) FreeContext(dead_);
  if (context_) FreeContext(context_);
  if (loop_) pa_threaded_mainloop_free(loop_);
}

bool Connection::openContext() {
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), clientName_.c_str());
  if (!context_) return false;
  pa_context_set_state_callback(context_, &Connection::OnState, this);
  return pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
}

int Connection::connect(const char* clientName, int timeoutMs) {
  clientName_ = clientName;
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) return BASS_ERROR_MEM;
  if (!openContext()) return context_ ? BASS_ERROR_DEVICE : BASS_ERROR_MEM;
  if (pa_threaded_mainloop_start(loop_) < 0) return BASS_ERROR_DRIVER;
  Locked locked(*this);
  const bool ready = WaitFor(
      loop_, timeoutMs, [this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; },
      [this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); });
  return ready ? BASS_OK : BASS_ERROR_DEVICE;
}

void Connection::onServerChanges(std::function<void()> lost, std::function<void()> back) {
  Locked locked(*this);
  lost_ = std::move(lost);
  back_ = std::move(back);
}

void Connection::OnState(pa_context* context, void* self) {
  auto* me = static_cast<Connection*>(self);
  pa_threaded_mainloop_signal(me->loop_, 0);
  if (context != me->context_) return;
  const pa_context_state_t state = pa_context_get_state(context);
  if (state == PA_CONTEXT_READY) {
    const bool again = me->everReady_;
    me->everReady_ = true;
    if (!again) me->watchSocket();
    me->retryDelayMs_ = 0;
    me->available_ = true;
    if (again && me->back_) me->back_();
  } else if (!PA_CONTEXT_IS_GOOD(state) && me->everReady_) {
    const bool wasAvailable = me->available_.exchange(false);
    if (wasAvailable && me->lost_) me->lost_();
    me->scheduleRetry();
  }
}

void Connection::scheduleRetry() {
  if (context_) {
    if (dead_) FreeContext(dead_);
    dead_ = std::exchange(context_, nullptr);
    pa_context_set_state_callback(dead_, nullptr, nullptr);
  }
  retryDelayMs_ = retryDelayMs_ == 0 ? kFirstRetryMs : std::min(2 * retryDelayMs_, kLongestRetryMs);
  timeval when{};
  pa_gettimeofday(&when);
  pa_timeval_add(&when, static_cast<pa_usec_t>(retryDelayMs_) * 1000);
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  retryArmed_ = true;
  if (retryTimer_)
    api->time_restart(retryTimer_, &when);
  else
    retryTimer_ = api->time_new(api, &when, &Connection::OnRetry, this);
}

// The server's address as the context used it: "unix:/run/user/1000/pulse/native",
// "/tmp/x/native", possibly behind a "{machine id}"; only local sockets are watched.
void Connection::watchSocket() {
  std::string address = pa_context_get_server(context_) ? pa_context_get_server(context_) : "";
  if (!address.empty() && address.front() == '{') address.erase(0, address.find('}') + 1);
  if (address.starts_with("unix:")) address.erase(0, 5);
  const size_t slash = address.rfind('/');
  if (address.empty() || address.front() != '/' || slash == std::string::npos) return;
  socketName_ = address.substr(slash + 1);
  socketWatch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (socketWatch_ < 0) return;
  const std::string folder = slash == 0 ? "/" : address.substr(0, slash);
  if (inotify_add_watch(socketWatch_, folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_ATTRIB) < 0) return;
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  socketEvent_ = api->io_new(api, socketWatch_, PA_IO_EVENT_INPUT, &Connection::OnSocketFolder, this);
}

void Connection::OnSocketFolder(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self) {
  auto* me = static_cast<Connection*>(self);
  alignas(inotify_event) char buffer[4096];
  bool socketAppeared = false;
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
    for (char* p = buffer; p < buffer + got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      if (event->len > 0 && me->socketName_ == event->name) socketAppeared = true;
      p += sizeof(inotify_event) + event->len;
    }
  }
  // A try waiting out its back-off comes soon instead (the server listens just after it
  // made its socket).
  if (socketAppeared && !me->available_ && me->retryArmed_) {
    me->retryDelayMs_ = 0;
    me->scheduleRetry();
  }
}

void Connection::OnRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
  auto* me = static_cast<Connection*>(self);
  if (me->dead_) FreeContext(std::exchange(me->dead_, nullptr));
  // A refusal may come at once, or later through OnState (which schedules the next try
  // itself and lets the context go).
  me->retryArmed_ = false;
  if (!me->openContext() && !me->retryArmed_) me->scheduleRetry();
}

}  // namespace lirra::engine::pulse
