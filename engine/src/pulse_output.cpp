// The PulseAudio output: one connection to the server; a playback stream per channel.
#include "bass.h"
#include "pulse.h"
#include "pulse_connection.h"

namespace lirra::engine {

namespace {

class PulseOutput final : public Output {
 public:
  explicit PulseOutput(int rate) : rate_(rate) {}

  int connect(int timeoutMs) { return connection_.connect("Lirra", timeoutMs); }

  std::unique_ptr<OutputStream> createStream(int rate, PullFunction pull,
                                             FinishedFunction finished) override {
    return pulse::CreateStream(connection_.loop(), connection_.context(), rate, std::move(pull),
                               std::move(finished));
  }
  void lock() override { connection_.lock(); }
  void unlock() override { connection_.unlock(); }
  int rate() const override { return rate_; }

 private:
  int rate_;
  pulse::Connection connection_;
};

}  // namespace

OutputOpenResult OpenPulseOutput(int rate, int connectTimeoutMs) {
  auto output = std::make_unique<PulseOutput>(rate);
  const int error = output->connect(connectTimeoutMs);
  if (error != BASS_OK) return {nullptr, error};
  return {std::move(output), BASS_OK};
}

}  // namespace lirra::engine
