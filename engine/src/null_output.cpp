// The null output: a thread that consumes every playing stream in real time and plays
// nothing. Everything heard at once, so latency is zero.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "bass.h"
#include "output.h"

namespace lirra::engine {

namespace {

constexpr int kTickMs = 10;

class NullOutput;

class NullStream final : public OutputStream {
 public:
  NullStream(NullOutput* owner, int rate, PullFunction pull, std::function<void()> finished)
      : owner_(owner), framesPerTick_(static_cast<size_t>(rate) * kTickMs / 1000),
        pull_(std::move(pull)), finished_(std::move(finished)) {}
  ~NullStream() override;
  void start() override {
    running_ = true;
    endReported_ = false;
  }
  void pause() override { running_ = false; }
  void flush() override { endReported_ = false; }
  int64_t latencyFrames() override { return 0; }
  bool finished() override { return true; }  // heard the moment it is pulled

  void tick(std::vector<float>& scratch) {
    if (!running_) return;
    bool ended = false;
    scratch.resize(std::max(scratch.size(), framesPerTick_ * 2));
    pull_(scratch.data(), framesPerTick_, &ended);
    if (ended && !endReported_) {
      endReported_ = true;  // what was pulled is heard at once
      finished_();
    }
  }

 private:
  NullOutput* owner_;
  size_t framesPerTick_;
  PullFunction pull_;
  std::function<void()> finished_;
  bool running_ = false;
  bool endReported_ = false;
};

class NullOutput final : public Output {
 public:
  explicit NullOutput(int rate) : rate_(rate), thread_([this] { run(); }) {}
  ~NullOutput() override {
    stop_ = true;
    thread_.join();
  }

  std::unique_ptr<OutputStream> createStream(int rate, StreamCallbacks callbacks) override {
    auto stream = std::make_unique<NullStream>(this, rate, std::move(callbacks.pull),
                                               std::move(callbacks.finished));
    streams_.push_back(stream.get());  // the caller holds our lock
    return stream;
  }
  void lock() override { mutex_.lock(); }
  void unlock() override { mutex_.unlock(); }
  int rate() const override { return rate_; }

  void forget(NullStream* stream) { std::erase(streams_, stream); }

 private:
  void run() {
    std::vector<float> scratch;
    auto next = std::chrono::steady_clock::now();
    while (!stop_) {
      next += std::chrono::milliseconds(kTickMs);
      std::this_thread::sleep_until(next);
      std::lock_guard<std::recursive_mutex> guard(mutex_);
      for (NullStream* s : streams_) s->tick(scratch);
    }
  }

  int rate_;
  std::recursive_mutex mutex_;
  std::vector<NullStream*> streams_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Streams are destroyed with the output's lock held (see output.h).
NullStream::~NullStream() { owner_->forget(this); }

}  // namespace

OutputOpenResult OpenNullOutput(int rate) { return {std::make_unique<NullOutput>(rate), BASS_OK}; }

}  // namespace lirra::engine
