#include "spectrum.h"

namespace lirra {

void SetupSpectrum(PlayerContext&) {}
void ClearPeaks(PlayerContext&) {}

}  // namespace lirra
