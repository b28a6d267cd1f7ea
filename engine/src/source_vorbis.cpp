// Ogg Vorbis through libvorbisfile, mono or stereo. Other Ogg codecs (Opus, FLAC) are left
// to the add-ons.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cctype>

#include "bass.h"
#include "native_sources.h"

namespace lirra::engine {

namespace {

class VorbisSource final : public PcmSource {
 public:
  ~VorbisSource() override {
    if (opened_) ov_clear(&file_);
  }

  int open(const std::string& path) {
    if (ov_fopen(path.c_str(), &file_) != 0) return BASS_ERROR_FILEFORM;
    opened_ = true;
    const vorbis_info* vi = ov_info(&file_, -1);
    if (!vi || vi->channels < 1 || vi->channels > 2 || vi->rate <= 0) return BASS_ERROR_FILEFORM;
    info_.rate = static_cast<int>(vi->rate);
    info_.channels = vi->channels;
    info_.bits = 0;
    info_.ctype = BASS_CTYPE_STREAM_OGG;
    const ogg_int64_t total = ov_pcm_total(&file_, -1);
    info_.lengthFrames = total >= 0 ? total : -1;
    return BASS_OK;
  }

  size_t read(float* out, size_t frames) override {
    size_t done = 0;
    while (done < frames) {
      float** planes = nullptr;
      int link = 0;
      const long got = ov_read_float(&file_, &planes, static_cast<int>(std::min<size_t>(frames - done, 4096)), &link);
      if (got == OV_HOLE) continue;  // a gap in the data: go on after it
      if (got <= 0) break;
      const vorbis_info* vi = ov_info(&file_, link);
      if (!vi || vi->channels != info_.channels || vi->rate != info_.rate) break;  // another format
      for (long i = 0; i < got; ++i)
        for (int c = 0; c < info_.channels; ++c) out[(done + static_cast<size_t>(i)) * info_.channels + c] = planes[c][i];
      done += static_cast<size_t>(got);
    }
    return done;
  }

  bool seek(int64_t frame) override { return ov_pcm_seek(&file_, frame) == 0; }

  // Vorbis comments as "key=value" with the key in lower case (keys are case-insensitive).
  std::vector<std::string> tags() const override {
    std::vector<std::string> out;
    vorbis_comment* comments = ov_comment(const_cast<OggVorbis_File*>(&file_), -1);
    if (!comments) return out;
    for (int i = 0; i < comments->comments; ++i) {
      std::string tag(comments->user_comments[i], static_cast<size_t>(comments->comment_lengths[i]));
      const size_t eq = tag.find('=');
      if (eq == std::string::npos) continue;
      for (size_t k = 0; k < eq; ++k) tag[k] = static_cast<char>(std::tolower(static_cast<unsigned char>(tag[k])));
      out.push_back(std::move(tag));
    }
    return out;
  }

 private:
  OggVorbis_File file_{};
  bool opened_ = false;
};

}  // namespace

OpenResult OpenVorbisDecoder(const OpenRequest& request) {
  return OpenPcmSource<VorbisSource>(request);
}

}  // namespace lirra::engine
