#include "engine_binding.h"

namespace lirra {

#define LIRRA_ENGINE_NAME(name) "BASS_" #name,
const char* const kEngineEntryPoints[33] = {BASS_FUNCTIONS(LIRRA_ENGINE_NAME)};
#undef LIRRA_ENGINE_NAME

bool EngineBinding::bind(const std::string& path) {
  if (library_.bound()) return true;
  if (!library_.bind(path, kEngineEntryPoints)) return false;
  size_t i = 0;
#define LIRRA_ENGINE_RESOLVE(name) fn_.name = library_.function<decltype(fn_.name)>(i++);
  BASS_FUNCTIONS(LIRRA_ENGINE_RESOLVE)
#undef LIRRA_ENGINE_RESOLVE
#define LIRRA_ENGINE_OPTIONAL(name) fn_.name = library_.optionalFunction<decltype(fn_.name)>("BASS_" #name);
  BASS_OPTIONAL_FUNCTIONS(LIRRA_ENGINE_OPTIONAL)
#undef LIRRA_ENGINE_OPTIONAL
  return true;
}

void EngineBinding::unbind() {
  if (library_.bound()) fn_.Free();
  library_.unbind();
  fn_ = {};
}

}  // namespace lirra
