#include "plugins.h"

#include <dlfcn.h>

#include <cstring>

namespace lirra::engine {

std::shared_ptr<AddonLibrary> AddonLibrary::Load(const std::string& path, int* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    *error = BASS_ERROR_FILEOPEN;
    return nullptr;
  }
  auto* entry = reinterpret_cast<LirraEngineAddonEntry*>(dlsym(handle, LIRRA_ADDON_ENTRY));
  const LirraEngineAddon* addon = entry ? entry() : nullptr;
  if (!addon || addon->magic != LIRRA_ADDON_MAGIC) {
    dlclose(handle);
    *error = BASS_ERROR_FILEFORM;  // a shared object, but not an add-on
    return nullptr;
  }
  if (addon->version != LIRRA_ADDON_VERSION || !addon->open || !addon->read || !addon->seek ||
      !addon->close) {
    dlclose(handle);
    *error = BASS_ERROR_VERSION;
    return nullptr;
  }
  *error = BASS_OK;
  return std::shared_ptr<AddonLibrary>(new AddonLibrary(handle, addon, path));
}

AddonLibrary::~AddonLibrary() { dlclose(handle_); }

namespace {

class AddonDecoder final : public Decoder {
 public:
  AddonDecoder(std::shared_ptr<AddonLibrary> library, LirraAddonStream* stream,
               const LirraAddonSourceInfo& src)
      : library_(std::move(library)), stream_(stream) {
    info_.rate = src.rate;
    info_.channels = src.channels;
    info_.bits = src.bits;
    info_.ctype = src.ctype;
    info_.lengthFrames = src.length_frames;
  }
  ~AddonDecoder() override { library_->addon().close(stream_); }

  const SourceInfo& info() const override { return info_; }
  size_t read(float* out, size_t frames) override {
    return library_->addon().read(stream_, out, frames);
  }
  bool seek(int64_t sourceFrame) override {
    return library_->addon().seek(stream_, sourceFrame) == 1;
  }
  std::vector<std::string> tags() const override {
    std::vector<std::string> out;
    if (!library_->addon().tags) return out;
    for (const char* p = library_->addon().tags(stream_); p && *p; p += std::strlen(p) + 1)
      out.emplace_back(p);
    return out;
  }

 private:
  std::shared_ptr<AddonLibrary> library_;
  LirraAddonStream* stream_;
  SourceInfo info_;
};

}  // namespace

OpenResult OpenAddonDecoder(const std::shared_ptr<AddonLibrary>& library,
                            const OpenRequest& request) {
  LirraAddonSourceInfo src{};
  int32_t error = BASS_ERROR_FILEFORM;
  LirraAddonStream* stream = library->addon().open(request.path.c_str(), request.outputRate,
                                                   request.timeoutMs, &src, &error);
  if (!stream) return {nullptr, error ? error : BASS_ERROR_FILEFORM};
  return {std::make_unique<AddonDecoder>(library, stream, src), BASS_OK};
}

}  // namespace lirra::engine
