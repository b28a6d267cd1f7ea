// One PulseAudio playback stream: float stereo at the output rate, pulled from its channel
// by the write callback.
#include <cstdint>
#include <vector>

#include "pulse.h"

namespace lirra::engine::pulse {

namespace {

// The channel decodes ahead (decode_ahead.h), so a request never waits for a decoder and
// can be large: few requests mean few wake-ups of the sound server and of this process.
// What is heard still follows pause, seek and stop at once (cork and flush), and the
// position counts the buffer's latency.
constexpr int kBufferMs = 500;  // target length of the server-side buffer
constexpr int kRequestMs = 200; // smallest request

class PulseStream final : public OutputStream {
 public:
  PulseStream(pa_threaded_mainloop* loop, int rate, PullFunction pull, FinishedFunction finished)
      : loop_(loop), rate_(rate), pull_(std::move(pull)), finished_(std::move(finished)) {}

  ~PulseStream() override {
    // Callbacks of operations still running would reach a stream that is gone.
    if (drainOp_) pa_operation_unref(drainOp_);
    for (pa_operation* op : operations_) {
      if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
      pa_operation_unref(op);
    }
    if (!stream_) return;
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }

  bool connect(pa_context* context) {
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE, static_cast<uint32_t>(rate_), 2};
    stream_ = pa_stream_new(context, "Lirra", &sampleFormat, nullptr);
    if (!stream_) return false;
    pa_stream_set_state_callback(
        stream_, [](pa_stream*, void* loop) {
          pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
        },
        loop_);
    pa_stream_set_write_callback(stream_, &PulseStream::OnWrite, this);
    const auto bytes = [this](int ms) {
      return static_cast<uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(ms) * 1000,
                                                    pa_stream_get_sample_spec(stream_)));
    };
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = bytes(kBufferMs);
    attr.prebuf = bytes(kRequestMs);
    attr.minreq = bytes(kRequestMs);
    attr.fragsize = static_cast<uint32_t>(-1);
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
        PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0)
      return false;
    return WaitFor(
        loop_, 3000, [this] { return pa_stream_get_state(stream_) == PA_STREAM_READY; },
        [this] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)); });
  }

  void start() override {
    restartData();
    corked_ = false;
    cork(false);
    fill();
  }
  void pause() override {
    corked_ = true;
    cork(true);
  }

  // The server applies a flush on its own time, possibly after data written later; so no
  // data is written until it confirms, and then the buffer is filled again.
  void flush() override {
    restartData();
    ++flushesPending_;
    if (!track(pa_stream_flush(stream_, &PulseStream::OnFlushed, this))) --flushesPending_;
  }

  bool finished() override { return drained_; }
  void wake() override { fill(); }

  int64_t latencyFrames() override {
    pa_usec_t usec = 0;
    int negative = 0;
    // No timing from the server yet: nothing written has been heard.
    if (pa_stream_get_latency(stream_, &usec, &negative) < 0) return INT64_MAX / 2;
    if (negative) return 0;  // ran dry: everything written has been heard
    return static_cast<int64_t>(usec * static_cast<uint64_t>(rate_) / 1000000);
  }

 private:
  // Writes as much as the server can take now. Needed whenever data becomes available
  // again: the server asked earlier while we had none, and will not ask again until its
  // buffer drains.
  void fill() {
    if (flushesPending_ > 0 || corked_) return;
    const size_t writable = pa_stream_writable_size(stream_);
    if (writable != static_cast<size_t>(-1) && writable > 0) OnWrite(stream_, writable, this);
  }

  static void OnFlushed(pa_stream*, int, void* self) {
    auto* me = static_cast<PulseStream*>(self);
    if (--me->flushesPending_ == 0) me->fill();
  }

  // Keeps an operation whose callback refers to this stream until it is done.
  bool track(pa_operation* op) {
    if (!op) return false;
    std::erase_if(operations_, [](pa_operation* o) {
      if (pa_operation_get_state(o) == PA_OPERATION_RUNNING) return false;
      pa_operation_unref(o);
      return true;
    });
    operations_.push_back(op);
    return true;
  }

  // New data may follow: forget an earlier end, and ignore a drain still under way.
  void restartData() {
    if (drainOp_) {
      if (pa_operation_get_state(drainOp_) == PA_OPERATION_RUNNING)
        pa_operation_cancel(drainOp_);  // its end is not the end any more
      pa_operation_unref(drainOp_);
      drainOp_ = nullptr;
    }
    ++generation_;
    draining_ = false;
    drained_ = false;
  }

  // The data ran out: ask the server to tell us when all of it has been played.
  void drain() {
    if (draining_) return;
    draining_ = true;
    drainTicket_ = {this, generation_};
    pa_operation* op = pa_stream_drain(stream_, &PulseStream::OnDrained, &drainTicket_);
    if (track(op)) drainOp_ = pa_operation_ref(op);
  }

  struct DrainTicket {
    PulseStream* stream = nullptr;
    unsigned generation = 0;
  };

  static void OnDrained(pa_stream*, int success, void* ticket) {
    const auto* t = static_cast<DrainTicket*>(ticket);
    if (success && t->generation == t->stream->generation_ && !t->stream->drained_) {
      t->stream->drained_ = true;
      t->stream->finished_();
    }
  }

  void cork(bool on) {
    if (pa_operation* op = pa_stream_cork(stream_, on ? 1 : 0, nullptr, nullptr))
      pa_operation_unref(op);
  }

  // Writes up to `nbytes`. One write buffer may be smaller than what the server asked for
  // (a memory block), so this goes on until the request is met or the channel has no
  // more for now (it wakes the stream when it has).
  static void OnWrite(pa_stream* s, size_t nbytes, void* self) {
    auto* me = static_cast<PulseStream*>(self);
    if (me->flushesPending_ > 0 || me->corked_) return;  // fill() catches up
    while (nbytes >= 2 * sizeof(float)) {
      void* data = nullptr;
      size_t block = nbytes;
      if (pa_stream_begin_write(s, &data, &block) < 0 || !data) return;
      const size_t frames = block / (2 * sizeof(float));
      bool ended = false;
      const size_t got = me->pull_(static_cast<float*>(data), frames, &ended);
      if (got == 0)
        pa_stream_cancel_write(s);
      else
        pa_stream_write(s, data, got * 2 * sizeof(float), nullptr, 0, PA_SEEK_RELATIVE);
      if (ended) me->drain();
      if (ended || got < frames) return;
      nbytes -= got * 2 * sizeof(float);
    }
  }

  pa_threaded_mainloop* loop_;
  int rate_;
  PullFunction pull_;
  FinishedFunction finished_;
  pa_stream* stream_ = nullptr;
  unsigned generation_ = 0;
  int flushesPending_ = 0;
  bool corked_ = true;  // the stream starts corked
  bool draining_ = false;
  bool drained_ = false;
  DrainTicket drainTicket_;
  std::vector<pa_operation*> operations_;  // referenced until done
  pa_operation* drainOp_ = nullptr;       // our own reference besides operations_
};

}  // namespace

std::unique_ptr<OutputStream> CreateStream(pa_threaded_mainloop* loop, pa_context* context,
                                           int rate, PullFunction pull,
                                           FinishedFunction finished) {
  auto stream = std::make_unique<PulseStream>(loop, rate, std::move(pull), std::move(finished));
  if (!stream->connect(context)) return nullptr;
  return stream;
}

}  // namespace lirra::engine::pulse
