// The built-in spectrum analyser of the visual area. Not built yet: the steps are called
// where the order of events puts them and do nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct SpectrumState {};

// At the first show: the analyser's geometry and bitmaps.
void SetupSpectrum(PlayerContext& ctx);
// Before the next track: the peaks fall back to the floor.
void ClearPeaks(PlayerContext& ctx);

}  // namespace lirra
