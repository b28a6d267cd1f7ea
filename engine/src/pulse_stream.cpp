// One PulseAudio playback stream: float stereo at the output rate, pulled from its channel
// by the write callback.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>
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

class PulseStream final : public ServerStream {
 public:
  PulseStream(pa_threaded_mainloop* loop, int rate, StreamCallbacks callbacks, StreamSet* set)
      : loop_(loop), rate_(rate), callbacks_(std::move(callbacks)), set_(set) {
    set_->insert(this);
  }

  ~PulseStream() override {
    set_->erase(this);
    releaseServerSide();
  }

  // The first connection, while the server is there: waits until the stream is ready.
  bool connect(pa_context* context) {
    if (!open(context)) return false;
    return WaitFor(
        loop_, 3000, [this] { return ready_; },
        [this] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)); });
  }

  void lose() override {
    markLost();
    releaseServerSide();
  }
  void notifyLost() override {
    if (callbacks_.lost) callbacks_.lost();
  }
  void reconnect(pa_context* context) override {
    if (!stream_) open(context);  // OnState plays on once it is ready
  }
  bool waitingForServer() override { return !ready_; }

  void start() override {
    restartData();
    corked_ = false;
    heardSeenAt_ = Clock::now();  // nothing was heard while it stood
    if (!ready_) return;
    cork(false);
    fill();
  }
  void pause() override {
    if (ready_) latencyFrames();  // what was heard up to the pause
    corked_ = true;
    if (ready_) cork(true);
  }

  // The server applies a flush on its own time, possibly after data written later; so no
  // data is written until it confirms, and then the buffer is filled again.
  void flush() override {
    restartData();
    written_ = heardSeen_ = heardAtLoss_ = 0;
    heardSeenAt_ = Clock::now();
    if (!ready_) return;
    ++flushesPending_;
    if (!track(pa_stream_flush(stream_, &PulseStream::OnFlushed, this))) --flushesPending_;
  }

  bool finished() override { return drained_; }
  void wake() override { fill(); }

  int64_t latencyFrames() override {
    // Away from the server, what it was given after the last sound heard is not heard.
    if (!ready_) return written_ - heardAtLoss_;
    pa_usec_t usec = 0;
    int negative = 0;
    // No timing from the server yet: nothing written has been heard.
    if (pa_stream_get_latency(stream_, &usec, &negative) < 0) return INT64_MAX / 2;
    const int64_t latency =
        negative ? 0 : static_cast<int64_t>(usec * static_cast<uint64_t>(rate_) / 1000000);
    heardSeen_ = std::max<int64_t>(0, written_ - latency);
    heardSeenAt_ = Clock::now();
    return latency;
  }

 private:
  using Clock = std::chrono::steady_clock;

  bool open(pa_context* context) {
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE, static_cast<uint32_t>(rate_), 2};
    stream_ = pa_stream_new(context, "Lirra", &sampleFormat, nullptr);
    if (!stream_) return false;
    pa_stream_set_state_callback(stream_, &PulseStream::OnState, this);
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
    return pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) >= 0;
  }

  static void OnState(pa_stream* s, void* self) {
    auto* me = static_cast<PulseStream*>(self);
    pa_threaded_mainloop_signal(me->loop_, 0);
    if (s != me->stream_) return;
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_READY && !me->ready_) {
      me->ready_ = true;
      if (!me->corked_) {  // asked to play while the server was away
        me->cork(false);
        me->fill();
      }
    } else if (!PA_STREAM_IS_GOOD(state)) {
      me->markLost();  // (the server often tells the stream before the connection)
    }
  }

  void markLost() {
    if (!ready_) return;
    heardAtLoss_ = heardSoFar();
    ready_ = false;
  }

  // Frames of what it was given since the last flush that have been heard: the last
  // reading of the server's latency, and the time played since then.
  int64_t heardSoFar() const {
    int64_t heard = heardSeen_;
    if (!corked_) {
      const auto since = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - heardSeenAt_);
      heard += since.count() * rate_ / 1000000;
    }
    return std::clamp<int64_t>(heard, 0, written_);
  }

  // Lets go of everything the server side had: the stream, operations under way.
  void releaseServerSide() {
    if (drainOp_) pa_operation_unref(std::exchange(drainOp_, nullptr));
    for (pa_operation* op : operations_) {
      if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
      pa_operation_unref(op);
    }
    operations_.clear();
    ready_ = false;
    flushesPending_ = 0;
    draining_ = drained_ = false;
    if (!stream_) return;
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(std::exchange(stream_, nullptr));
  }

  // Writes as much as the server can take now. Needed whenever data becomes available
  // again: the server asked earlier while we had none, and will not ask again until its
  // buffer drains.
  void fill() {
    if (!ready_ || flushesPending_ > 0 || corked_) return;
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
      t->stream->callbacks_.finished();
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
    if (!me->ready_ || me->flushesPending_ > 0 || me->corked_) return;  // fill() catches up
    me->latencyFrames();  // keeps the reading of what was heard fresh
    while (nbytes >= 2 * sizeof(float)) {
      void* data = nullptr;
      size_t block = nbytes;
      if (pa_stream_begin_write(s, &data, &block) < 0 || !data) return;
      const size_t frames = block / (2 * sizeof(float));
      bool ended = false;
      const size_t got = me->callbacks_.pull(static_cast<float*>(data), frames, &ended);
      if (got == 0)
        pa_stream_cancel_write(s);
      else
        pa_stream_write(s, data, got * 2 * sizeof(float), nullptr, 0, PA_SEEK_RELATIVE);
      me->written_ += static_cast<int64_t>(got);
      if (ended) me->drain();
      if (ended || got < frames) return;
      nbytes -= got * 2 * sizeof(float);
    }
  }

  pa_threaded_mainloop* loop_;
  int rate_;
  StreamCallbacks callbacks_;
  StreamSet* set_;
  pa_stream* stream_ = nullptr;
  bool ready_ = false;    // the server side is there and ready
  int64_t written_ = 0;   // frames given since the last flush
  int64_t heardSeen_ = 0; // of those, heard at the last reading of the latency
  Clock::time_point heardSeenAt_ = Clock::now();
  int64_t heardAtLoss_ = 0;  // of those, heard when the server went away
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

std::unique_ptr<ServerStream> CreateStream(pa_threaded_mainloop* loop, pa_context* context,
                                           int rate, StreamCallbacks callbacks, StreamSet* set) {
  auto stream = std::make_unique<PulseStream>(loop, rate, std::move(callbacks), set);
  if (context && !stream->connect(context)) return nullptr;
  return stream;
}

}  // namespace lirra::engine::pulse
