// Engine add-ons: shared objects loaded by BASS_PluginLoad that declare formats and
// decode them (see bass_addon.h). A loaded add-on stays in memory while any stream it
// opened is alive, even after BASS_PluginFree.
#pragma once

#include <memory>
#include <string>

#include "bass_addon.h"
#include "decoder.h"

namespace lirra::engine {

class AddonLibrary {
 public:
  // Loads `path`; on failure returns null and sets `error` (BASS_ERROR_*).
  static std::shared_ptr<AddonLibrary> Load(const std::string& path, int* error);
  ~AddonLibrary();
  AddonLibrary(const AddonLibrary&) = delete;
  AddonLibrary& operator=(const AddonLibrary&) = delete;

  const LirraEngineAddon& addon() const { return *addon_; }
  const std::string& path() const { return path_; }

 private:
  AddonLibrary(void* handle, const LirraEngineAddon* addon, std::string path)
      : handle_(handle), addon_(addon), path_(std::move(path)) {}
  void* handle_;
  const LirraEngineAddon* addon_;
  std::string path_;
};

// Opens a stream through an add-on; the decoder keeps the add-on loaded.
OpenResult OpenAddonDecoder(const std::shared_ptr<AddonLibrary>& library,
                            const OpenRequest& request);

}  // namespace lirra::engine
