// The spectrum drawn in the visual area while a track plays: six styles of bars and peak
// markers (and rings or a waterfall in style 4) computed from the engine's 1024-point FFT,
// composed into a picture of its own and shown whole about thirty times a second.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

#include "skin_image.h"

namespace lirra {

struct PlayerContext;

inline constexpr int kSpectrumStyles = 6;
inline constexpr int kRingStyle = 4;  // rings or a waterfall
inline constexpr int kSpectrumBins = 512;

struct SpectrumState {
  int style = 1;  // SpectrumStyle, 1..6
  int BarCount = 0;
  int BarWidth = 0;
  int SpectrumHeight = 0;
  int RingScale = 0;  // percent: the rings are laid out for a window 195 pixels wide
  QRect VisBox;       // where the frames show inside the visual area
  std::array<std::uint16_t, kSpectrumBins> LevelHistory{};
  std::array<float, kSpectrumBins> PeakLevel{};  // entry 0 doubles as the waterfall's clear request
  std::array<std::int32_t, kSpectrumBins> PeakAge{};
  SkinImage Buffer;                  // each frame is composed here, over black
  std::vector<Rgb> LedColumn;        // one colour per row: the segmented look of style 1
  std::vector<Rgb> GradientColumn;   // red at the top through yellow, green, cyan to blue
};

// The geometry and pre-painted columns for a visual area and client of these sizes.
void LayOutSpectrum(SpectrumState& sp, QSize visPanel, QSize client);
// One frame from 512 FFT magnitudes; the levels fall by at most 2 units a tick. `waterfall`
// chooses style 4's mode (rings otherwise).
void ComposeSpectrumFrame(SpectrumState& sp, const float* fft, bool waterfall);
// Where the frame is shown inside VisBox (the rings' bounding box is centred).
QPoint SpectrumFrameOffset(const SpectrumState& sp, bool ringMode);

// At the first show and every size change: the spectrum's size and pictures.
void SetupSpectrum(PlayerContext& ctx);
// The peaks start from the bottom again (and style 4 its background).
void ResetSpectrum(PlayerContext& ctx);
void ClearPeaks(PlayerContext& ctx);
// Right click on the spectrum: the next style, 6 wrapping to 1.
void CycleStyle(PlayerContext& ctx);
// A new track: a style at random.
void PickRandomStyle(PlayerContext& ctx);
// TimerFFT, every 33 ms while the spectrum is the visualisation: one FFT request and one
// frame. Nothing is asked of the engine while the window is minimised or the list shows.
void TimerFFTTimer(PlayerContext& ctx);

}  // namespace lirra
