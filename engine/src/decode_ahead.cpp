#include "decode_ahead.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lirra::engine {

namespace {
constexpr size_t kChunkFrames = 2048;  // one decoder read
}

void SanitizeSamples(float* stereo, size_t frames) {
  for (size_t i = 0; i < frames * 2; ++i) {
    const float v = stereo[i];
    stereo[i] = std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
  }
}

DecodeAhead::DecodeAhead(Decoder& decoder, size_t capacityFrames, std::function<void()> dataReady)
    : decoder_(decoder),
      ring_(std::max(capacityFrames, kChunkFrames) * 2),
      capacity_(std::max(capacityFrames, kChunkFrames)),
      dataReady_(std::move(dataReady)),
      worker_([this] { run(); }) {}

DecodeAhead::~DecodeAhead() { stop(); }

void DecodeAhead::stop() {
  if (!worker_.joinable()) return;  // stopped before
  {
    std::lock_guard<std::mutex> guard(ringMutex_);
    stopping_ = true;
  }
  decoder_.abort();
  roomOrStop_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void DecodeAhead::run() {
  std::vector<float> chunk(kChunkFrames * 2);
  for (;;) {
    {
      std::unique_lock<std::mutex> ring(ringMutex_);
      roomOrStop_.wait(ring, [this] { return stopping_ || (!sourceEnded_ && capacity_ - size_ >= kChunkFrames); });
      if (stopping_) return;
    }
    size_t got = 0;
    uint64_t epoch = 0;
    {
      std::lock_guard<std::mutex> decoder(decoderMutex_);
      {
        std::lock_guard<std::mutex> ring(ringMutex_);
        epoch = epoch_;
      }
      got = decoder_.read(chunk.data(), kChunkFrames);
    }
    SanitizeSamples(chunk.data(), got);
    bool wake = false;
    {
      std::lock_guard<std::mutex> ring(ringMutex_);
      if (epoch != epoch_) continue;  // a seek came between: these frames are from before it
      for (size_t i = 0; i < got; ++i) {
        const size_t at = (head_ + size_ + i) % capacity_;
        ring_[2 * at] = chunk[2 * i];
        ring_[2 * at + 1] = chunk[2 * i + 1];
      }
      size_ += got;
      if (got == 0) sourceEnded_ = true;
      wake = std::exchange(starved_, false);
    }
    if (wake && dataReady_) dataReady_();
  }
}

size_t DecodeAhead::read(float* out, size_t frames, bool* ended) {
  std::lock_guard<std::mutex> ring(ringMutex_);
  const size_t n = std::min(frames, size_);
  for (size_t i = 0; i < n; ++i) {
    const size_t at = (head_ + i) % capacity_;
    out[2 * i] = ring_[2 * at];
    out[2 * i + 1] = ring_[2 * at + 1];
  }
  head_ = (head_ + n) % capacity_;
  size_ -= n;
  *ended = sourceEnded_ && size_ == 0;
  if (n < frames && !sourceEnded_) starved_ = true;
  if (n > 0) roomOrStop_.notify_one();
  return n;
}

bool DecodeAhead::seek(int64_t sourceFrame) {
  std::lock_guard<std::mutex> decoder(decoderMutex_);
  const bool moved = decoder_.seek(sourceFrame);
  std::lock_guard<std::mutex> ring(ringMutex_);
  if (moved) {
    ++epoch_;
    head_ = size_ = 0;
    sourceEnded_ = false;
    roomOrStop_.notify_one();
  }
  return moved;
}

}  // namespace lirra::engine
