#include "optional_bindings.h"

namespace lirra {

namespace {
#define LIRRA_TAGS_NAME(name) "TAGS_" #name,
const char* const kTagReaderEntryPoints[] = {TAGS_FUNCTIONS(LIRRA_TAGS_NAME)};
#undef LIRRA_TAGS_NAME
}

#define LIRRA_BASSVIS_NAME(name) "BASSVIS_" #name,
const char* const kVisHostEntryPoints[14] = {BASSVIS_FUNCTIONS(LIRRA_BASSVIS_NAME)};
#undef LIRRA_BASSVIS_NAME

#define LIRRA_ORVANA_NAME(name) "Orvana_" #name,
const char* const kVideoLibraryEntryPoints[9] = {ORVANA_PLAYER_FUNCTIONS(LIRRA_ORVANA_NAME)};
#undef LIRRA_ORVANA_NAME

// Each binding's fields are named after its functions; they are resolved in list order.
#define LIRRA_RESOLVE(name) name = library_.function<decltype(name)>(i++);

bool TagReaderBinding::bind(const std::string& path) {
  if (library_.bound()) return true;
  if (!library_.bind(path, kTagReaderEntryPoints)) return false;
  size_t i = 0;
  TAGS_FUNCTIONS(LIRRA_RESOLVE)
  return true;
}

bool VisHostBinding::bind(const std::string& path) {
  if (library_.bound()) return true;
  if (!library_.bind(path, kVisHostEntryPoints)) return false;
  size_t i = 0;
  BASSVIS_FUNCTIONS(LIRRA_RESOLVE)
  return true;
}

bool VideoLibraryBinding::bind(const std::string& path) {
  if (library_.bound()) return true;
  if (!library_.bind(path, kVideoLibraryEntryPoints)) return false;
  size_t i = 0;
  ORVANA_PLAYER_FUNCTIONS(LIRRA_RESOLVE)
  SetConfig = library_.optionalFunction<decltype(SetConfig)>("Orvana_SetConfig");
  return true;
}

#undef LIRRA_RESOLVE

}  // namespace lirra
