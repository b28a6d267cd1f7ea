// Decoders: each turns one source (a file, a URL, a module) into float samples in the
// engine's output format. A decoder is opened by the registry, used by one channel under
// that channel's lock, and closed by destroying it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lirra::engine {

// The format decoders deliver: interleaved float stereo at the output rate.
struct OutputFormat {
  int rate = 44100;
  static constexpr int kChannels = 2;
};

struct SourceInfo {
  int rate = 0;              // the source's own sample rate
  int channels = 0;          // the source's own channel count
  int bits = 0;              // original resolution, 0 when not known
  uint32_t ctype = 0;        // BASS_CTYPE_*
  int64_t lengthFrames = -1; // length in source frames, -1 when not known
  int codecId = 0;           // FFmpeg's AVCodecID, 0 for other decoders
};

class Decoder {
 public:
  virtual ~Decoder() = default;
  virtual const SourceInfo& info() const = 0;
  // Fills up to `frames` output frames; returns how many were written. 0 means the end.
  virtual size_t read(float* out, size_t frames) = 0;
  // Moves so that the next read starts at `sourceFrame`. False when it cannot.
  virtual bool seek(int64_t sourceFrame) = 0;
  // Tags as "key=value" texts (UTF-8); empty when there are none.
  virtual std::vector<std::string> tags() const { return {}; }
  // A network stream's current shoutcast metadata ("StreamTitle='…';"), else empty.
  virtual std::string streamMeta() const { return {}; }
  // A network stream's ICY/HTTP headers, one "name: value" text each.
  virtual std::vector<std::string> httpHeaders() const { return {}; }
};

struct OpenResult {
  std::unique_ptr<Decoder> decoder;
  int error = 0;  // BASS_ERROR_* when decoder is null
};

struct OpenRequest {
  std::string path;           // file path or URL
  int outputRate = 44100;
  int timeoutMs = 5000;       // network connect and read time-out
  // Which FFmpeg codecs (AVCodecID values) this opener takes; empty takes every codec.
  std::function<bool(int codecId)> accepts;
};

// The formats the engine decodes itself: PCM (WAV, AIFF), MPEG audio layers 1 to 3, Vorbis.
// Everything else is left to the add-ons.
bool IsCoreCodec(int codecId);

// The file decoder (FFmpeg): WAV, MP1/2/3, OGG, AIFF and every other audio format FFmpeg
// reads; also http:// and https:// streams.
OpenResult OpenMediaDecoder(const OpenRequest& request);
// The tracker-module decoder (libopenmpt): MOD, XM, IT, S3M, MTM, UMX, MO3.
OpenResult OpenModuleDecoder(const OpenRequest& request);

}  // namespace lirra::engine
