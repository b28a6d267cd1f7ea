// Outputs: where a playing channel's samples go. Drivers are chosen by name
// ("pulse", "null"); both run the same channel code, so tests of the null driver exercise
// the real paths.
//
// Contract: the driver's own thread calls a stream's pull function with the driver's lock
// held, and every other call into a driver or a stream is made with that lock held too
// (OutputLock; the lock is recursive). start() may pull at once, on the caller's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace lirra::engine {

// Fills `out` with up to `frames` interleaved stereo float frames and returns how many.
// Sets `*ended` when the source has no more data (as opposed to none just now).
using PullFunction = std::function<size_t(float* out, size_t frames, bool* ended)>;

class OutputStream {
 public:
  virtual ~OutputStream() = default;
  virtual void start() = 0;   // begin or resume playing, topping the buffer up now
  virtual void pause() = 0;   // stop pulling; what is buffered stays
  virtual void flush() = 0;   // drop what is buffered and not yet heard
  // Frames handed to the driver but not yet heard.
  virtual int64_t latencyFrames() = 0;
  // True once a pull reported the end of the data and everything given before that has
  // been heard. Cleared by start() and flush().
  virtual bool finished() = 0;
  // Data became available after a pull found none: take it now rather than when the
  // driver next asks (which may be never, once its buffer ran dry).
  virtual void wake() {}
  // The sound server is away: the stream keeps its requests and plays on when it is back.
  virtual bool waitingForServer() { return false; }
};

// What a stream calls on the driver's thread, with its lock held.
struct StreamCallbacks {
  PullFunction pull;
  // finished() became true.
  std::function<void()> finished;
  // The sound server went away: what it held and had not played is gone, and the stream
  // counts as having played only what was heard (latencyFrames() says how much of what
  // it was given that is not). Nothing is pulled until the server is back.
  std::function<void()> lost;
};

class Output {
 public:
  virtual ~Output() = default;
  // A stream of stereo float frames at `rate` (the server converts it to the device's).
  // While the server is away it is made all the same, and connects once it is back.
  virtual std::unique_ptr<OutputStream> createStream(int rate, StreamCallbacks callbacks) = 0;
  // False while the sound server is away.
  virtual bool available() const { return true; }
  virtual void lock() = 0;
  virtual void unlock() = 0;
  // The rate given to BASS_Init: what tracker modules are rendered at.
  virtual int rate() const = 0;
};

class OutputLock {
 public:
  explicit OutputLock(Output* output) : output_(output) {
    if (output_) output_->lock();
  }
  ~OutputLock() {
    if (output_) output_->unlock();
  }
  OutputLock(const OutputLock&) = delete;
  OutputLock& operator=(const OutputLock&) = delete;

 private:
  Output* output_;
};

struct OutputOpenResult {
  std::unique_ptr<Output> output;
  int error = 0;  // BASS_ERROR_* when output is null
};

// The PulseAudio server named by the environment (PULSE_SERVER) or the default one.
OutputOpenResult OpenPulseOutput(int rate, int connectTimeoutMs);
// Consumes audio in real time without a sound device (BASS device 0).
OutputOpenResult OpenNullOutput(int rate);

}  // namespace lirra::engine
