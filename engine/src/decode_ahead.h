// Decoding ahead of the output: a thread of the channel's own decodes into a small ring of
// frames, so the output's callback only copies, under the output's lock, and a source
// that stalls (a network stream waiting for data) never holds that lock: position,
// spectrum and pause keep answering at once.
//
// Threads: the worker reads the decoder; read() runs on the output's thread; seek(),
// withDecoder() and stop() on API threads. The decoder is only touched with decoderMutex_
// held; the ring only with ringMutex_ held. The worker never holds either while it calls
// `dataReady`, which takes the output's lock: stop() must be called without that lock.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "decoder.h"

namespace lirra::engine {

// Makes every sample a finite value within full scale (NaN becomes silence), as the output
// would clip it. Nothing after the decoder ever sees a NaN or an infinity.
void SanitizeSamples(float* stereo, size_t frames);

class DecodeAhead {
 public:
  // `dataReady` runs on the worker when frames arrive after read() found none.
  DecodeAhead(Decoder& decoder, size_t capacityFrames, std::function<void()> dataReady);
  ~DecodeAhead();  // stop()
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // Copies up to `frames` buffered frames. `*ended` when the source has no more and all
  // of it was copied: a short count otherwise only means "not yet".
  size_t read(float* out, size_t frames, bool* ended);
  // Drops what is buffered and moves the decoder; waits for a read under way to finish.
  bool seek(int64_t sourceFrame);
  // Runs `use` with the decoder to itself (tags, stream metadata).
  template <typename F>
  auto withDecoder(F use) {
    std::lock_guard<std::mutex> guard(decoderMutex_);
    return use(decoder_);
  }
  // Ends the worker: a network read under way is cut short by the decoder's abort.
  void stop();

 private:
  void run();

  Decoder& decoder_;
  std::mutex decoderMutex_;
  std::mutex ringMutex_;
  std::condition_variable roomOrStop_;
  std::vector<float> ring_;  // stereo frames
  size_t capacity_;          // in frames
  size_t head_ = 0;          // next frame to copy out
  size_t size_ = 0;          // frames buffered
  bool sourceEnded_ = false;
  bool starved_ = false;     // read() found nothing while the source goes on
  bool stopping_ = false;
  uint64_t epoch_ = 0;       // raised by every seek: frames read before it are dropped
  std::function<void()> dataReady_;
  std::thread worker_;
};

}  // namespace lirra::engine
