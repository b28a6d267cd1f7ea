// Recording inputs and capture streams on PulseAudio.
#include <algorithm>
#include <atomic>
#include <set>
#include <utility>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "bass.h"
#include "pulse.h"
#include "pulse_connection.h"
#include "record.h"

namespace lirra::engine {

namespace {

constexpr int kTimeoutMs = 3000;
constexpr size_t kRing = 8192;

const char* PortTypeName(const pa_source_port_info* port) {
  if (!port) return "";
  switch (port->type) {
    case PA_DEVICE_PORT_TYPE_MIC: return "mic";
    case PA_DEVICE_PORT_TYPE_HEADSET: return "headset";
    case PA_DEVICE_PORT_TYPE_HANDSET: return "handset";
    case PA_DEVICE_PORT_TYPE_LINE: return "line";
    case PA_DEVICE_PORT_TYPE_SPDIF: return "spdif";
    case PA_DEVICE_PORT_TYPE_HDMI: return "hdmi";
    default: return "other";
  }
}

struct SourceEntry {
  RecordInput input;
  bool monitor = false;
  uint32_t monitorOfSink = PA_INVALID_INDEX;
};

// A recording of one source. When the server goes away it keeps its count of frames and
// what it holds, and records on from the same source once the server is back (its time
// away counts as nothing recorded).
class PulseCapture final : public CaptureStream {
 public:
  PulseCapture(pulse::Connection& connection, std::set<PulseCapture*>& captures, int channels)
      : connection_(connection), captures_(captures), channels_(channels), ring_(kRing, 0.0f) {
    pulse::Locked locked(connection_);
    captures_.insert(this);
  }

  ~PulseCapture() override {
    pulse::Locked locked(connection_);
    captures_.erase(this);
    release();
  }

  int connect(const std::string& source, int rate) {
    pulse::Locked locked(connection_);
    source_ = source;
    sampleFormat_ = {PA_SAMPLE_FLOAT32LE, static_cast<uint32_t>(rate), static_cast<uint8_t>(channels_)};
    if (!pa_sample_spec_valid(&sampleFormat_)) return BASS_ERROR_FORMAT;
    if (!open(connection_.context())) return BASS_ERROR_START;
    const bool ready = pulse::WaitFor(
        connection_.loop(), kTimeoutMs, [this] { return ready_.load(); },
        [this] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)); });
    return ready ? BASS_OK : BASS_ERROR_START;
  }

  // Main loop thread, lock held.
  void lose() { release(); }
  void reconnect(pa_context* context) {
    if (!stream_) open(context);
  }

  void pause() override { cork(true); }
  void resume() override { cork(false); }
  bool paused() const override { return paused_; }
  bool waitingForServer() const override { return !ready_.load(); }

  void latest(float* out) const override {
    std::lock_guard<std::mutex> guard(mutex_);
    for (size_t i = 0; i < 1024; ++i) {
      const int64_t index = written_ - 1024 + static_cast<int64_t>(i);
      out[i] = index < 0 ? 0.0f : ring_[static_cast<size_t>(index) % kRing];
    }
  }

  int64_t framesCaptured() const override {
    std::lock_guard<std::mutex> guard(mutex_);
    return written_;
  }

 private:
  bool open(pa_context* context) {
    stream_ = pa_stream_new(context, "Lirra recording", &sampleFormat_, nullptr);
    if (!stream_) return false;
    pa_stream_set_state_callback(stream_, &PulseCapture::OnState, this);
    pa_stream_set_read_callback(stream_, &PulseCapture::OnRead, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(10000, &sampleFormat_));
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | (paused_ ? PA_STREAM_START_CORKED : 0));
    return pa_stream_connect_record(stream_, source_.c_str(), &attr, flags) >= 0;
  }

  void release() {
    ready_ = false;
    if (!stream_) return;
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(std::exchange(stream_, nullptr));
  }

  static void OnState(pa_stream* s, void* self) {
    auto* me = static_cast<PulseCapture*>(self);
    pa_threaded_mainloop_signal(me->connection_.loop(), 0);
    me->ready_ = pa_stream_get_state(s) == PA_STREAM_READY;
  }

  void cork(bool on) {
    pulse::Locked locked(connection_);
    paused_ = on;
    if (!ready_) return;  // a stream made again later starts as asked
    if (pa_operation* op = pa_stream_cork(stream_, on ? 1 : 0, nullptr, nullptr))
      pa_operation_unref(op);
  }

  static void OnRead(pa_stream* s, size_t, void* self) {
    auto* me = static_cast<PulseCapture*>(self);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(s) > 0 && pa_stream_peek(s, &data, &bytes) == 0 && bytes > 0) {
      me->append(static_cast<const float*>(data), bytes / sizeof(float) / me->channels_);
      pa_stream_drop(s);
    }
  }

  // `samples` is null for a hole in the recording: it counts as silence.
  void append(const float* samples, size_t frames) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (size_t f = 0; f < frames; ++f) {
      float mono = 0.0f;
      if (samples) {
        for (int c = 0; c < channels_; ++c) mono += samples[f * channels_ + c];
        mono /= static_cast<float>(channels_);
      }
      ring_[static_cast<size_t>(written_) % kRing] = mono;
      ++written_;
    }
  }

  pulse::Connection& connection_;
  std::set<PulseCapture*>& captures_;  // the recorder's, guarded by the connection's lock
  const int channels_;
  std::string source_;
  pa_sample_spec sampleFormat_{};
  pa_stream* stream_ = nullptr;
  std::atomic<bool> ready_{false};
  bool paused_ = false;
  mutable std::mutex mutex_;
  std::vector<float> ring_;
  int64_t written_ = 0;
};

class PulseRecorder final : public Recorder {
 public:
  int open(int timeoutMs) {
    const int rc = connection_.connect("Lirra recording", timeoutMs);
    if (rc != BASS_OK) return rc;
    connection_.onServerChanges(
        [this] {
          for (PulseCapture* capture : captures_) capture->lose();
        },
        [this] {
          for (PulseCapture* capture : captures_) capture->reconnect(connection_.context());
        });
    return listInputs() ? BASS_OK : BASS_ERROR_DEVICE;
  }

  const std::vector<RecordInput>& inputs() const override { return inputs_; }
  int selected() const override { return selected_; }

  bool select(int index) override {
    if (index < 0 || index >= static_cast<int>(inputs_.size())) return false;
    selected_ = index;
    return true;
  }

  bool setVolume(int index, float volume) override {
    if (index < 0 || index >= static_cast<int>(inputs_.size())) return false;
    volume = std::clamp(volume, 0.0f, 1.0f);
    pulse::Locked locked(connection_);
    pa_cvolume cv;
    pa_cvolume_set(&cv, 2, static_cast<pa_volume_t>(volume * PA_VOLUME_NORM));
    // By name: a restarted server numbers its sources anew.
    pa_operation* op = pa_context_set_source_volume_by_name(
        connection_.context(), inputs_[index].sourceName.c_str(), &cv, nullptr, nullptr);
    if (!op) return false;
    pa_operation_unref(op);
    inputs_[index].volume = volume;
    return true;
  }

  std::unique_ptr<CaptureStream> start(int rate, int channels, int* error) override {
    if (selected_ < 0) {
      *error = BASS_ERROR_DEVICE;
      return nullptr;
    }
    auto capture = std::make_unique<PulseCapture>(connection_, captures_, channels);
    *error = capture->connect(inputs_[selected_].sourceName, rate);
    if (*error != BASS_OK) return nullptr;
    return capture;
  }

 private:
  // Runs one introspection request to its end.
  template <typename Start>
  bool Query(Start start, bool* done) {
    pulse::Locked locked(connection_);
    pa_operation* op = start();
    if (!op) return false;
    const bool ok = pulse::WaitFor(connection_.loop(), kTimeoutMs, [done] { return *done; },
                                   [op] { return pa_operation_get_state(op) == PA_OPERATION_CANCELLED; });
    pa_operation_unref(op);
    return ok;
  }

  bool listInputs() {
    struct Server {
      std::string defaultSink, defaultSource;
      bool done = false;
      pa_threaded_mainloop* loop;
    } server{{}, {}, false, connection_.loop()};
    if (!Query([&] {
          return pa_context_get_server_info(
              connection_.context(),
              [](pa_context*, const pa_server_info* info, void* user) {
                auto* s = static_cast<Server*>(user);
                if (info) {
                  s->defaultSink = info->default_sink_name ? info->default_sink_name : "";
                  s->defaultSource = info->default_source_name ? info->default_source_name : "";
                }
                s->done = true;
                pa_threaded_mainloop_signal(s->loop, 0);
              },
              &server);
        }, &server.done))
      return false;

    struct Sources {
      std::vector<SourceEntry> entries;
      bool done = false;
      pa_threaded_mainloop* loop;
    } sources{{}, false, connection_.loop()};
    if (!Query([&] {
          return pa_context_get_source_info_list(
              connection_.context(),
              [](pa_context*, const pa_source_info* info, int eol, void* user) {
                auto* s = static_cast<Sources*>(user);
                if (eol || !info) {
                  s->done = true;
                  pa_threaded_mainloop_signal(s->loop, 0);
                  return;
                }
                SourceEntry e;
                e.monitor = info->monitor_of_sink != PA_INVALID_INDEX;
                e.monitorOfSink = info->monitor_of_sink;
                SourceFacts facts;
                facts.monitor = e.monitor;
                facts.activePortType = info->active_port ? PortTypeName(info->active_port) : "";
                if (const char* ff = pa_proplist_gets(info->proplist, "device.form_factor"))
                  facts.formFactor = ff;
                e.input.type = InputTypeOf(facts);
                e.input.sourceName = info->name;
                e.input.name = info->description ? info->description : info->name;
                e.input.volume = static_cast<float>(pa_cvolume_avg(&info->volume)) / PA_VOLUME_NORM;
                s->entries.push_back(std::move(e));
              },
              &sources);
        }, &sources.done))
      return false;

    // The default output's monitor first, named as a stereo mix; the other sources after
    // it in the server's order.
    const std::string defaultMonitor = server.defaultSink + ".monitor";
    std::stable_partition(sources.entries.begin(), sources.entries.end(),
                          [&](const SourceEntry& e) { return e.input.sourceName == defaultMonitor; });
    for (SourceEntry& e : sources.entries) {
      if (e.monitor) e.input.name = "Stereo Mix (" + e.input.name + ")";
      inputs_.push_back(e.input);
    }
    selected_ = inputs_.empty() ? -1 : 0;
    for (size_t i = 0; i < inputs_.size(); ++i)
      if (inputs_[i].sourceName == server.defaultSource) selected_ = static_cast<int>(i);
    return true;
  }

  std::set<PulseCapture*> captures_;
  pulse::Connection connection_;  // its loop ends before the set goes
  std::vector<RecordInput> inputs_;
  int selected_ = -1;
};

}  // namespace

std::unique_ptr<Recorder> OpenPulseRecorder(int timeoutMs, int* error) {
  auto recorder = std::make_unique<PulseRecorder>();
  *error = recorder->open(timeoutMs);
  if (*error != BASS_OK) return nullptr;
  return recorder;
}

}  // namespace lirra::engine
