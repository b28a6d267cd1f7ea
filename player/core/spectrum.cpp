#include "spectrum.h"

#include "player_context.h"

namespace lirra {

void SetupSpectrum(PlayerContext&) {}
void ResetSpectrum(PlayerContext& ctx) { ClearPeaks(ctx); }
void ClearPeaks(PlayerContext&) {}

void CycleStyle(PlayerContext& ctx) {
  SpectrumState& sp = ctx.spectrum;
  sp.style = sp.style % kSpectrumStyles + 1;
  if (sp.style == 3 || sp.style == 5) {
    SetupSpectrum(ctx);  // between grouped and linear bins
  } else if (sp.style == kRingStyle) {
    if (!ctx.state.IsWinNT || ctx.state.SeeThrough)
      ResetSpectrum(ctx);
    else
      ClearPeaks(ctx);
  }
}

void PickRandomStyle(PlayerContext& ctx) {
  SpectrumState& sp = ctx.spectrum;
  const int old = sp.style;
  sp.style = ctx.randomBelow(kSpectrumStyles) + 1;
  if (old != kRingStyle || sp.style != kRingStyle) SetupSpectrum(ctx);
}

}  // namespace lirra
