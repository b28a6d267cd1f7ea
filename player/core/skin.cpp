#include "skin.h"

namespace lirra {

void ApplySkin(PlayerContext&) {}

}  // namespace lirra
