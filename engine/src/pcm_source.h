// Sources the engine decodes itself (WAV, MPEG audio, Ogg Vorbis) deliver float frames at
// their own rate and channel count; PcmDecoder turns them into the engine's output format.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decoder.h"

struct soxr;

namespace lirra::engine {

class PcmSource {
 public:
  virtual ~PcmSource() = default;
  // rate, channels (1 or 2), bits, ctype and lengthFrames of the source.
  const SourceInfo& info() const { return info_; }
  // Reads up to `frames` interleaved frames in the source's own layout; 0 at the end.
  virtual size_t read(float* out, size_t frames) = 0;
  virtual bool seek(int64_t frame) = 0;
  virtual std::vector<std::string> tags() const { return {}; }

 protected:
  SourceInfo info_;
};

// Stereo at the output rate: mono is doubled, other rates go through a resampler.
class PcmDecoder final : public Decoder {
 public:
  PcmDecoder(std::unique_ptr<PcmSource> source, int outputRate);
  ~PcmDecoder() override;
  PcmDecoder(const PcmDecoder&) = delete;
  PcmDecoder& operator=(const PcmDecoder&) = delete;

  // False when the resampler could not be made.
  bool ready() const { return source_ && (!resampling_ || resampler_); }
  const SourceInfo& info() const override { return source_->info(); }
  size_t read(float* out, size_t frames) override;
  bool seek(int64_t sourceFrame) override;
  std::vector<std::string> tags() const override { return source_->tags(); }

 private:
  // Reads source frames as stereo into `out`; 0 at the end.
  size_t readStereo(float* out, size_t frames);
  size_t readResampled(float* out, size_t frames);

  std::unique_ptr<PcmSource> source_;
  bool resampling_ = false;
  soxr* resampler_ = nullptr;
  std::vector<float> mono_;     // one block of a mono source
  std::vector<float> input_;    // stereo source frames waiting for the resampler
  size_t inputPos_ = 0;         // in frames
  size_t inputFrames_ = 0;
  bool sourceEnded_ = false;
  bool flushed_ = false;
};

// Wraps a source that opened into a decoder, or reports why not.
OpenResult MakePcmDecoder(std::unique_ptr<PcmSource> source, int outputRate);

// Opens a `Source` (with its `int open(const std::string& path)`, BASS_OK or an error
// code) and wraps it.
template <typename Source>
OpenResult OpenPcmSource(const OpenRequest& request) {
  auto source = std::make_unique<Source>();
  const int error = source->open(request.path);
  if (error != 0) return {nullptr, error};
  return MakePcmDecoder(std::move(source), request.outputRate);
}

}  // namespace lirra::engine
