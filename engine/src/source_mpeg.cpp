// MPEG audio layers 1 to 3 through libmpg123, gapless: the encoder's delay and padding are
// not part of the sound, so lengths and positions count only the music.
#include <mpg123.h>

#include <cstdio>
#include <mutex>

#include "bass.h"
#include "native_sources.h"

namespace lirra::engine {

namespace {

class MpegSource final : public PcmSource {
 public:
  ~MpegSource() override {
    if (handle_) {
      mpg123_close(handle_);
      mpg123_delete(handle_);
    }
  }

  int open(const std::string& path) {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int error = MPG123_OK;
    handle_ = mpg123_new(nullptr, &error);
    if (!handle_) return BASS_ERROR_MEM;
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0);
    mpg123_param(handle_, MPG123_RESYNC_LIMIT, 4096, 0);
    mpg123_format_none(handle_);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
      mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_open(handle_, path.c_str()) != MPG123_OK) return BASS_ERROR_FILEOPEN;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK ||
        encoding != MPG123_ENC_FLOAT_32 || channels < 1 || channels > 2)
      return BASS_ERROR_FILEFORM;
    mpg123_frameinfo frame{};
    if (mpg123_info(handle_, &frame) != MPG123_OK) return BASS_ERROR_FILEFORM;
    // The length is exact when the file says it (an Info/Xing frame); otherwise the file
    // is scanned once, which also gives exact seeking in files of varying bit rate.
    long accurate = 0;
    double unused = 0;
    if (mpg123_getstate(handle_, MPG123_ACCURATE, &accurate, &unused) != MPG123_OK || !accurate)
      mpg123_scan(handle_);
    const off_t length = mpg123_length(handle_);
    info_.rate = static_cast<int>(rate);
    info_.channels = channels;
    info_.bits = 0;
    info_.ctype = frame.layer == 1   ? BASS_CTYPE_STREAM_MP1
                  : frame.layer == 2 ? BASS_CTYPE_STREAM_MP2
                                     : BASS_CTYPE_STREAM_MP3;
    info_.lengthFrames = length > 0 ? static_cast<int64_t>(length) : -1;
    return BASS_OK;
  }

  size_t read(float* out, size_t frames) override {
    if (ended_) return 0;
    const size_t frameBytes = sizeof(float) * static_cast<size_t>(info_.channels);
    size_t done = 0;
    while (done < frames) {
      size_t bytes = 0;
      const int rc = mpg123_read(handle_, reinterpret_cast<unsigned char*>(out + done * info_.channels),
                                 (frames - done) * frameBytes, &bytes);
      done += bytes / frameBytes;
      if (rc == MPG123_OK) continue;
      if (rc == MPG123_NEW_FORMAT && sameFormat()) continue;
      ended_ = true;  // the end, a broken stream or a format change: the stream ends here
      break;
    }
    return done;
  }

  bool seek(int64_t frame) override {
    if (mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) < 0) return false;
    ended_ = false;
    return true;
  }

 private:
  bool sameFormat() {
    long rate = 0;
    int channels = 0, encoding = 0;
    return mpg123_getformat(handle_, &rate, &channels, &encoding) == MPG123_OK &&
           rate == info_.rate && channels == info_.channels && encoding == MPG123_ENC_FLOAT_32;
  }

  mpg123_handle* handle_ = nullptr;
  bool ended_ = false;
};

}  // namespace

OpenResult OpenMpegDecoder(const OpenRequest& request) {
  return OpenPcmSource<MpegSource>(request);
}

}  // namespace lirra::engine
