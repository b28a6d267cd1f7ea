// Spectrum of 1024 samples: Hann window, 1024-point FFT, 512 magnitudes scaled so that a
// full-scale sine at a bin's centre reads about 1.0.
#pragma once

#include <array>
#include <complex>

namespace lirra::engine {

class Spectrum1024 {
 public:
  static constexpr int kSize = 1024;
  static constexpr int kBins = kSize / 2;

  Spectrum1024();
  // `samples` holds kSize mono samples, oldest first; `out` receives kBins magnitudes.
  void compute(const float* samples, float* out) const;

 private:
  std::array<float, kSize> window_{};
  std::array<std::complex<float>, kSize / 2> twiddles_{};
  std::array<int, kSize> bitReverse_{};
};

}  // namespace lirra::engine
