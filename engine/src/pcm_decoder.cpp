#include "pcm_source.h"

#include <soxr.h>

#include <algorithm>
#include <cstring>

#include "bass.h"

namespace lirra::engine {

namespace {
constexpr size_t kBlockFrames = 4096;
}

PcmDecoder::PcmDecoder(std::unique_ptr<PcmSource> source, int outputRate)
    : source_(std::move(source)) {
  const int rate = source_->info().rate;
  resampling_ = outputRate != kSourceRate && rate != outputRate;
  if (resampling_) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    soxr_error_t error = nullptr;
    resampler_ = soxr_create(rate, outputRate, OutputFormat::kChannels, &error, &io, nullptr, nullptr);
    if (error) resampler_ = nullptr;
    input_.resize(kBlockFrames * OutputFormat::kChannels);
  }
}

PcmDecoder::~PcmDecoder() {
  if (resampler_) soxr_delete(resampler_);
}

size_t PcmDecoder::readStereo(float* out, size_t frames) {
  if (source_->info().channels == 2) return source_->read(out, frames);
  frames = std::min(frames, kBlockFrames);
  mono_.resize(frames);
  const size_t got = source_->read(mono_.data(), frames);
  for (size_t i = 0; i < got; ++i) out[2 * i] = out[2 * i + 1] = mono_[i];
  return got;
}

size_t PcmDecoder::readResampled(float* out, size_t frames) {
  size_t done = 0;
  while (done < frames && !flushed_) {
    if (inputPos_ == inputFrames_ && !sourceEnded_) {
      inputPos_ = 0;
      inputFrames_ = readStereo(input_.data(), kBlockFrames);
      sourceEnded_ = inputFrames_ == 0;
    }
    size_t used = 0, made = 0;
    const float* in = sourceEnded_ ? nullptr : input_.data() + inputPos_ * OutputFormat::kChannels;
    if (soxr_process(resampler_, in, inputFrames_ - inputPos_, &used, out + done * OutputFormat::kChannels,
                     frames - done, &made))
      break;  // an error ends the stream
    inputPos_ += used;
    done += made;
    if (sourceEnded_ && made == 0) flushed_ = true;  // the resampler's tail is out
  }
  return done;
}

size_t PcmDecoder::read(float* out, size_t frames) {
  if (resampling_) return readResampled(out, frames);
  size_t done = 0;
  while (done < frames) {
    const size_t got = readStereo(out + done * OutputFormat::kChannels, frames - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool PcmDecoder::seek(int64_t sourceFrame) {
  if (!source_->seek(sourceFrame)) return false;
  if (resampler_) soxr_clear(resampler_);
  inputPos_ = inputFrames_ = 0;
  sourceEnded_ = flushed_ = false;
  return true;
}

OpenResult MakePcmDecoder(std::unique_ptr<PcmSource> source, int outputRate) {
  auto decoder = std::make_unique<PcmDecoder>(std::move(source), outputRate);
  if (!decoder->ready()) return {nullptr, BASS_ERROR_MEM};
  return {std::move(decoder), BASS_OK};
}

}  // namespace lirra::engine
