// The sound engine (libbass.so) bound by name: the 33 entry points the player resolves, in
// their resolution order, as a typed table, and the optional ones (null where the engine
// lacks them).
#pragma once

#include <string>
#include <utility>

#include "bass.h"
#include "bound_library.h"

namespace lirra {

#define LIRRA_ENGINE_FIELD(name) decltype(&BASS_##name) name;
struct EngineFunctions {
  BASS_FUNCTIONS(LIRRA_ENGINE_FIELD)
  BASS_OPTIONAL_FUNCTIONS(LIRRA_ENGINE_FIELD)
};
#undef LIRRA_ENGINE_FIELD

class EngineBinding {
 public:
  EngineBinding() = default;
  ~EngineBinding() { unbind(); }
  EngineBinding(EngineBinding&& other) noexcept
      : library_(std::move(other.library_)), fn_(std::exchange(other.fn_, {})) {}
  EngineBinding& operator=(EngineBinding&& other) noexcept {
    if (this != &other) {
      unbind();
      library_ = std::move(other.library_);
      fn_ = std::exchange(other.fn_, {});
    }
    return *this;
  }
  // BindEngine: all 33 names or nothing; true at once when already bound.
  bool bind(const std::string& path);
  // UnbindEngine: BASS_Free (when bound), then unload.
  void unbind();
  bool bound() const { return library_.bound(); }
  const EngineFunctions& operator*() const { return fn_; }
  const EngineFunctions* operator->() const { return &fn_; }
  const BoundLibrary& library() const { return library_; }

 private:
  BoundLibrary library_;
  EngineFunctions fn_{};
};

// The entry points in resolution order, from BASS_FUNCTIONS.
extern const char* const kEngineEntryPoints[33];

// The engine's add-ons, the WMA add-on first (its success decides WmaAvailable), as paths
// relative to the app folder. Loaded in this order at the first show; preloaded earlier.
inline constexpr const char* kEngineAddOnFiles[] = {
    "libbasswma.so",          "Plugins/libbasscd.so",  "Plugins/libbass_ape.so",
    "Plugins/libbass_aac.so", "Plugins/libbass_mpc.so", "Plugins/libbass_tta.so",
    "Plugins/libbass_ac3.so", "Plugins/libbass_flac.so", "Plugins/libbass_opus.so",
    "Plugins/libbass_wv.so"};

}  // namespace lirra
