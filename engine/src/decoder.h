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

inline bool IsNetworkAddress(const std::string& path) {
  return path.rfind("http://", 0) == 0 || path.rfind("https://", 0) == 0;
}

// OpenRequest::outputRate asking for the source's own rate: no resampling.
inline constexpr int kSourceRate = 0;

// The format decoders deliver: interleaved float stereo at the requested rate.
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
  // Called from another thread: a read waiting for the network gives up now, and later
  // reads end at once. Local sources never wait long and need nothing.
  virtual void abort() {}
};

struct OpenResult {
  std::unique_ptr<Decoder> decoder;
  int error = 0;  // BASS_ERROR_* when decoder is null
};

struct OpenRequest {
  std::string path;           // file path or URL
  int outputRate = 44100;      // kSourceRate: the source's own rate
  int timeoutMs = 5000;       // network connect and read time-out
  // Which FFmpeg codecs (AVCodecID values) this opener takes; empty takes every codec.
  std::function<bool(int codecId)> accepts;
  // Takes only the engine's own codecs (PCM, MPEG audio layers 1 to 3, Vorbis); the rest
  // is left to the add-ons.
  bool coreCodecsOnly = false;
};

// The engine's own formats: WAV, AIFF, MP1/2/3 and OGG files, and http:// and https://
// streams of them. WAV, MPEG audio and Vorbis files are decoded without FFmpeg.
OpenResult OpenCoreDecoder(const OpenRequest& request);

// The FFmpeg decoder: every audio format FFmpeg reads, files and http:// and https://
// streams. It lives in libbass_ffmpeg.so, loaded on the first call; without that library
// every open fails with BASS_ERROR_FILEFORM.
OpenResult OpenMediaDecoder(const OpenRequest& request);

// What libbass_ffmpeg.so exports as lirra_media_backend().
struct MediaBackend {
  int version;
  OpenResult (*open)(const OpenRequest& request);
};
constexpr int kMediaBackendVersion = 2;
// The tracker-module decoder (libopenmpt): MOD, XM, IT, S3M, MTM, UMX, MO3.
OpenResult OpenModuleDecoder(const OpenRequest& request);

}  // namespace lirra::engine
