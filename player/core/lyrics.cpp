#include "lyrics.h"

namespace lirra {

void LoadLyrics(PlayerContext&) {}
void ResetLyrics(PlayerContext&) {}

}  // namespace lirra
