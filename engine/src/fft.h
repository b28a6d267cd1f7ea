// Spectrum of 1024 samples: Hann window, 1024-point FFT, 512 magnitudes scaled so that a
// full-scale sine at a bin's centre reads about 1.0.
#pragma once

#include <array>

namespace lirra::engine {

class Spectrum1024 {
 public:
  static constexpr int kSize = 1024;
  static constexpr int kBins = kSize / 2;

  Spectrum1024();
  // `samples` holds kSize mono samples, oldest first; `out` receives kBins magnitudes.
  void compute(const float* samples, float* out) const;

 private:
  // The real input is transformed as a 512-point complex FFT of (even, odd) sample pairs,
  // then split into the spectrum of the real signal.
  static constexpr int kHalf = kSize / 2;
  std::array<float, kSize> window_{};
  std::array<float, kHalf / 2> cosHalf_{}, sinHalf_{};  // twiddles of the 512-point FFT
  std::array<float, kHalf> cosFull_{}, sinFull_{};      // twiddles of the split step
  std::array<int, kHalf> bitReverse_{};
};

}  // namespace lirra::engine
