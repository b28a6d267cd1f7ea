// The spectrum drawn in the window while a track plays. Not written yet: its two steps are
// called at their places in start-up and playback and do nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct SpectrumState {};

// At the first show: the spectrum's size and pictures.
void SetupSpectrum(PlayerContext& ctx);
// Before the next track: the peak marks start from the bottom again.
void ClearPeaks(PlayerContext& ctx);

}  // namespace lirra
