// RIFF WAVE files with integer PCM (8 to 32 bits) or IEEE float samples, mono or stereo.
// Anything else in a WAVE file (compressed formats, more channels) is left to the
// general decoder.
#include <cstdio>
#include <cstring>

#include "bass.h"
#include "native_sources.h"

namespace lirra::engine {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

class WaveSource final : public PcmSource {
 public:
  ~WaveSource() override {
    if (file_) std::fclose(file_);
  }

  // BASS_OK, or why the file is no WAVE file this source plays.
  int open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return BASS_ERROR_FILEOPEN;
    unsigned char riff[12];
    if (std::fread(riff, 1, 12, file_) != 12 || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0)
      return BASS_ERROR_FILEFORM;
    std::fseek(file_, 0, SEEK_END);
    const int64_t fileSize = ftello(file_);
    int64_t pos = 12;
    bool haveFormat = false;
    uint16_t format = 0, channels = 0, blockAlign = 0, bits = 0;
    uint32_t rate = 0;
    while (pos + 8 <= fileSize) {
      unsigned char head[8];
      if (fseeko(file_, pos, SEEK_SET) != 0 || std::fread(head, 1, 8, file_) != 8) break;
      const int64_t size = Le32(head + 4);
      if (std::memcmp(head, "fmt ", 4) == 0 && size >= 16) {
        unsigned char fmt[40] = {};
        const size_t want = size < 40 ? static_cast<size_t>(size) : 40;
        if (std::fread(fmt, 1, want, file_) != want) return BASS_ERROR_FILEFORM;
        format = Le16(fmt);
        channels = Le16(fmt + 2);
        rate = Le32(fmt + 4);
        blockAlign = Le16(fmt + 12);
        bits = Le16(fmt + 14);
        if (format == kFormatExtensible && want >= 26) format = Le16(fmt + 24);  // sub-format
        haveFormat = true;
      } else if (std::memcmp(head, "data", 4) == 0) {
        if (!haveFormat) return BASS_ERROR_FILEFORM;
        dataStart_ = pos + 8;
        // A size left open by a recorder that never finished counts to the end of the file.
        const int64_t rest = fileSize - dataStart_;
        dataBytes_ = size == 0 || size > rest ? rest : size;
        break;
      }
      pos += 8 + size + (size & 1);  // chunks are padded to even sizes
    }
    if (!haveFormat || dataStart_ < 0) return BASS_ERROR_FILEFORM;
    const bool pcm = format == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool fp = format == kFormatFloat && (bits == 32 || bits == 64);
    if (!(pcm || fp) || channels < 1 || channels > 2 || rate < 1000 || rate > 768000 ||
        blockAlign != channels * (bits / 8))
      return BASS_ERROR_FILEFORM;
    bytesPerSample_ = bits / 8;
    float_ = fp;
    info_.rate = static_cast<int>(rate);
    info_.channels = channels;
    info_.bits = bits;
    info_.ctype = fp ? BASS_CTYPE_STREAM_WAV_FLOAT : BASS_CTYPE_STREAM_WAV_PCM;
    info_.lengthFrames = dataBytes_ / blockAlign;
    blockAlign_ = blockAlign;
    return seek(0) ? BASS_OK : BASS_ERROR_FILEFORM;
  }

  size_t read(float* out, size_t frames) override {
    const int64_t left = info_.lengthFrames - frame_;
    if (left <= 0) return 0;
    if (static_cast<int64_t>(frames) > left) frames = static_cast<size_t>(left);
    raw_.resize(frames * blockAlign_);
    const size_t got = std::fread(raw_.data(), blockAlign_, frames, file_);
    const size_t samples = got * static_cast<size_t>(info_.channels);
    const unsigned char* p = raw_.data();
    for (size_t i = 0; i < samples; ++i, p += bytesPerSample_) out[i] = sample(p);
    frame_ += static_cast<int64_t>(got);
    return got;
  }

  bool seek(int64_t frame) override {
    if (frame < 0 || frame > info_.lengthFrames) return false;
    if (fseeko(file_, dataStart_ + frame * blockAlign_, SEEK_SET) != 0) return false;
    frame_ = frame;
    return true;
  }

 private:
  float sample(const unsigned char* p) const {
    switch (bytesPerSample_) {
      case 1: return static_cast<float>(p[0] - 128) / 128.0f;
      case 2: return static_cast<float>(static_cast<int16_t>(Le16(p))) / 32768.0f;
      case 3: {
        const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 |
                                               static_cast<uint32_t>(p[1]) << 16 |
                                               static_cast<uint32_t>(p[2]) << 24);
        return static_cast<float>(v) / 2147483648.0f;
      }
      case 4: {
        const uint32_t bits = Le32(p);
        if (!float_) return static_cast<float>(static_cast<int32_t>(bits)) / 2147483648.0f;
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
      }
      default: {
        const uint64_t bits = static_cast<uint64_t>(Le32(p)) | static_cast<uint64_t>(Le32(p + 4)) << 32;
        double d;
        std::memcpy(&d, &bits, 8);
        return static_cast<float>(d);
      }
    }
  }

  std::FILE* file_ = nullptr;
  int64_t dataStart_ = -1;
  int64_t dataBytes_ = 0;
  int64_t frame_ = 0;
  size_t blockAlign_ = 0;
  int bytesPerSample_ = 0;
  bool float_ = false;
  std::vector<unsigned char> raw_;
};

}  // namespace

OpenResult OpenWaveDecoder(const OpenRequest& request) {
  return OpenPcmSource<WaveSource>(request);
}

}  // namespace lirra::engine
