// The spectrum drawn in the window while a track plays: its style is chosen here; the
// drawing itself is not written yet (its set-up, reset and peak steps do nothing).
#pragma once

namespace lirra {

struct PlayerContext;

inline constexpr int kSpectrumStyles = 6;
inline constexpr int kRingStyle = 4;  // rings or a waterfall

struct SpectrumState {
  int style = 1;  // SpectrumStyle, 1..6
};

// At the first show and every size change: the spectrum's size and pictures.
void SetupSpectrum(PlayerContext& ctx);
// The peaks start from the bottom again (and style 4 its background).
void ResetSpectrum(PlayerContext& ctx);
void ClearPeaks(PlayerContext& ctx);
// Right click on the spectrum: the next style, 6 wrapping to 1.
void CycleStyle(PlayerContext& ctx);
// A new track: a style at random.
void PickRandomStyle(PlayerContext& ctx);

}  // namespace lirra
