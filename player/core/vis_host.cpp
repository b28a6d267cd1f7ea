#include "vis_host.h"

namespace lirra {

void AttachVisualisation(PlayerContext&) {}
void QuitVisPlugin(PlayerContext&) {}

}  // namespace lirra
