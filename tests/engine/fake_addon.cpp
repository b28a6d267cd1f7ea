// An add-on built for another version of the add-on interface: the engine must refuse it.
#include "bass_addon.h"

namespace {
const LirraEngineAddon kAddon = {LIRRA_ADDON_MAGIC, LIRRA_ADDON_VERSION + 98, {}, nullptr,
                                 nullptr, nullptr, nullptr, nullptr};
}

extern "C" __attribute__((visibility("default"))) const LirraEngineAddon* lirra_engine_addon(void) {
  return &kAddon;
}
