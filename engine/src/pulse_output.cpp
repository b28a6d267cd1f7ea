// The PulseAudio output: one connection to the server; a playback stream per channel.
// When the server goes away every stream keeps its place and plays on once the connection
// is back (pulse_connection.h).
#include "bass.h"
#include "pulse.h"
#include "pulse_connection.h"

namespace lirra::engine {

namespace {

class PulseOutput final : public Output {
 public:
  explicit PulseOutput(int rate) : rate_(rate) {}

  int connect(int timeoutMs) {
    const int error = connection_.connect("Lirra", timeoutMs);
    if (error == BASS_OK) connection_.onServerChanges([this] { serverLost(); }, [this] { serverBack(); });
    return error;
  }

  std::unique_ptr<OutputStream> createStream(int rate, StreamCallbacks callbacks) override {
    pa_context* context = connection_.available() ? connection_.context() : nullptr;
    return pulse::CreateStream(connection_.loop(), context, rate, std::move(callbacks), &streams_);
  }
  void lock() override { connection_.lock(); }
  void unlock() override { connection_.unlock(); }
  int rate() const override { return rate_; }
  bool available() const override { return connection_.available(); }

 private:
  // Every stream is lost before any channel hears of it: a channel that rewinds may touch
  // another one's stream (a join under way).
  void serverLost() {
    const pulse::StreamSet streams = streams_;
    for (pulse::ServerStream* stream : streams) stream->lose();
    for (pulse::ServerStream* stream : pulse::StreamSet(streams_))
      if (streams.contains(stream)) stream->notifyLost();
  }
  void serverBack() {
    for (pulse::ServerStream* stream : pulse::StreamSet(streams_)) stream->reconnect(connection_.context());
  }

  int rate_;
  pulse::StreamSet streams_;  // guarded by the connection's lock
  pulse::Connection connection_;  // its loop ends before the set goes
};

}  // namespace

OutputOpenResult OpenPulseOutput(int rate, int connectTimeoutMs) {
  auto output = std::make_unique<PulseOutput>(rate);
  const int error = output->connect(connectTimeoutMs);
  if (error != BASS_OK) return {nullptr, error};
  return {std::move(output), BASS_OK};
}

}  // namespace lirra::engine
