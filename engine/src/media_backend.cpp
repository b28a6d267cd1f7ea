// Loads the FFmpeg decoder (libbass_ffmpeg.so, beside the engine) on first use. FFmpeg and
// the libraries it pulls in are large; a player that only plays the engine's own formats
// never maps them.
#include <dlfcn.h>

#include <string>

#include "bass.h"
#include "decoder.h"

namespace lirra::engine {

namespace {

constexpr const char* kBackendName = "libbass_ffmpeg.so";

const MediaBackend* Bind(const std::string& path) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  using Entry = const MediaBackend* (*)();
  const auto entry = reinterpret_cast<Entry>(dlsym(library, "lirra_media_backend"));
  const MediaBackend* backend = entry ? entry() : nullptr;
  if (backend && backend->version == kMediaBackendVersion) return backend;  // stays loaded
  dlclose(library);
  return nullptr;
}

const MediaBackend* LoadMediaBackend() {
  static const MediaBackend* const backend = [] {
    // Beside this library (the engine) or one folder up (an add-on in Plugins/); then the
    // loader's own search, which covers programs linking the engine's parts directly.
    Dl_info self{};
    if (dladdr(reinterpret_cast<const void*>(&LoadMediaBackend), &self) && self.dli_fname) {
      std::string dir = self.dli_fname;
      dir.erase(dir.rfind('/') == std::string::npos ? 0 : dir.rfind('/') + 1);
      for (const std::string& candidate : {dir + kBackendName, dir + "../" + kBackendName})
        if (const MediaBackend* found = Bind(candidate)) return found;
    }
    return Bind(kBackendName);
  }();
  return backend;
}

}  // namespace

OpenResult OpenMediaDecoder(const OpenRequest& request) {
  const MediaBackend* backend = LoadMediaBackend();
  if (!backend) return {nullptr, BASS_ERROR_FILEFORM};  // nothing here can decode it
  return backend->open(request);
}

}  // namespace lirra::engine
