#include "pulse_connection.h"

#include "bass.h"
#include "pulse.h"

namespace lirra::engine::pulse {

Connection::~Connection() {
  if (loop_) pa_threaded_mainloop_stop(loop_);
  if (context_) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  if (loop_) pa_threaded_mainloop_free(loop_);
}

int Connection::connect(const char* clientName, int timeoutMs) {
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) return BASS_ERROR_MEM;
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), clientName);
  if (!context_) return BASS_ERROR_MEM;
  pa_context_set_state_callback(
      context_, [](pa_context*, void* loop) {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
      },
      loop_);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    return BASS_ERROR_DEVICE;
  if (pa_threaded_mainloop_start(loop_) < 0) return BASS_ERROR_DRIVER;
  Locked locked(*this);
  const bool ready = WaitFor(
      loop_, timeoutMs, [this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; },
      [this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); });
  return ready ? BASS_OK : BASS_ERROR_DEVICE;
}

}  // namespace lirra::engine::pulse
