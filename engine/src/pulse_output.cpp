// The PulseAudio output: one connection to the server, run by a threaded main loop.
#include <cstdlib>

#include "bass.h"
#include "pulse.h"

namespace lirra::engine {

namespace {

class PulseOutput final : public Output {
 public:
  explicit PulseOutput(int rate) : rate_(rate) {}

  ~PulseOutput() override {
    if (loop_) pa_threaded_mainloop_stop(loop_);
    if (context_) {
      pa_context_disconnect(context_);
      pa_context_unref(context_);
    }
    if (loop_) pa_threaded_mainloop_free(loop_);
  }

  int connect(int timeoutMs) {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return BASS_ERROR_MEM;
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Lirra");
    if (!context_) return BASS_ERROR_MEM;
    pa_context_set_state_callback(
        context_, [](pa_context*, void* loop) {
          pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
        },
        loop_);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
      return BASS_ERROR_DEVICE;
    if (pa_threaded_mainloop_start(loop_) < 0) return BASS_ERROR_DRIVER;
    pa_threaded_mainloop_lock(loop_);
    const bool ready = pulse::WaitFor(
        loop_, timeoutMs,
        [this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; },
        [this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); });
    pa_threaded_mainloop_unlock(loop_);
    return ready ? BASS_OK : BASS_ERROR_DEVICE;
  }

  std::unique_ptr<OutputStream> createStream(PullFunction pull,
                                             FinishedFunction finished) override {
    return pulse::CreateStream(loop_, context_, rate_, std::move(pull), std::move(finished));
  }
  void lock() override { pa_threaded_mainloop_lock(loop_); }
  void unlock() override { pa_threaded_mainloop_unlock(loop_); }
  int rate() const override { return rate_; }

 private:
  int rate_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
};

}  // namespace

OutputOpenResult OpenPulseOutput(int rate, int connectTimeoutMs) {
  auto output = std::make_unique<PulseOutput>(rate);
  const int error = output->connect(connectTimeoutMs);
  if (error != BASS_OK) return {nullptr, error};
  return {std::move(output), BASS_OK};
}

}  // namespace lirra::engine
