// The tracker-module decoder, on libopenmpt.
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "bass.h"
#include "decoder.h"

namespace lirra::engine {

namespace {

uint32_t ModuleType(const std::string& type) {
  if (type == "mod") return BASS_CTYPE_MUSIC_MOD;
  if (type == "mtm") return BASS_CTYPE_MUSIC_MTM;
  if (type == "s3m") return BASS_CTYPE_MUSIC_S3M;
  if (type == "xm") return BASS_CTYPE_MUSIC_XM;
  if (type == "it") return BASS_CTYPE_MUSIC_IT;
  return BASS_CTYPE_MUSIC_MOD;
}

std::string TakeString(const char* s) {
  std::string out = s ? s : "";
  openmpt_free_string(s);
  return out;
}

class ModuleDecoder final : public Decoder {
 public:
  ~ModuleDecoder() override {
    if (module_) openmpt_module_destroy(module_);
  }

  int open(const OpenRequest& req) {
    rate_ = req.outputRate;
    std::ifstream file(req.path, std::ios::binary);
    if (!file) return BASS_ERROR_FILEOPEN;
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return BASS_ERROR_FILEOPEN;
    int error = 0;
    module_ = openmpt_module_create_from_memory2(bytes.data(), bytes.size(),
                                                 openmpt_log_func_silent, nullptr,
                                                 openmpt_error_func_ignore, nullptr, &error,
                                                 nullptr, nullptr);
    if (!module_) return BASS_ERROR_FILEFORM;
    openmpt_module_set_repeat_count(module_, 0);  // play once, then end
    const std::string type = TakeString(openmpt_module_get_metadata(module_, "type"));
    const std::string container = TakeString(openmpt_module_get_metadata(module_, "container"));
    info_.rate = rate_;
    info_.channels = 2;
    info_.bits = 16;
    info_.ctype = ModuleType(type) | (container == "mo3" ? BASS_CTYPE_MUSIC_MO3 : 0);
    const double seconds = openmpt_module_get_duration_seconds(module_);
    info_.lengthFrames = seconds > 0 ? static_cast<int64_t>(std::llround(seconds * rate_)) : 0;
    title_ = TakeString(openmpt_module_get_metadata(module_, "title"));
    return BASS_OK;
  }

  const SourceInfo& info() const override { return info_; }

  size_t read(float* out, size_t frames) override {
    return openmpt_module_read_interleaved_float_stereo(module_, rate_, frames, out);
  }

  bool seek(int64_t sourceFrame) override {
    openmpt_module_set_position_seconds(module_, static_cast<double>(sourceFrame) / rate_);
    return true;
  }

  std::vector<std::string> tags() const override {
    if (title_.empty()) return {};
    return {"title=" + title_};
  }

 private:
  openmpt_module* module_ = nullptr;
  int rate_ = 44100;
  SourceInfo info_;
  std::string title_;
};

}  // namespace

OpenResult OpenModuleDecoder(const OpenRequest& request) {
  auto decoder = std::make_unique<ModuleDecoder>();
  const int error = decoder->open(request);
  if (error != BASS_OK) return {nullptr, error};
  return {std::move(decoder), BASS_OK};
}

}  // namespace lirra::engine
