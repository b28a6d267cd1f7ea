#include "fft.h"

#include <cmath>
#include <numbers>

namespace lirra::engine {

Spectrum1024::Spectrum1024() {
  const double twoPi = 2.0 * std::numbers::pi;
  for (int n = 0; n < kSize; ++n)
    window_[n] = static_cast<float>(0.5 - 0.5 * std::cos(twoPi * n / kSize));
  for (int k = 0; k < kSize / 2; ++k)
    twiddles_[k] = std::polar(1.0f, static_cast<float>(-twoPi * k / kSize));
  int bits = 0;
  while ((1 << bits) < kSize) ++bits;
  for (int i = 0; i < kSize; ++i) {
    int r = 0;
    for (int b = 0; b < bits; ++b)
      if (i & (1 << b)) r |= 1 << (bits - 1 - b);
    bitReverse_[i] = r;
  }
}

void Spectrum1024::compute(const float* samples, float* out) const {
  std::array<std::complex<float>, kSize> a;
  for (int i = 0; i < kSize; ++i) a[bitReverse_[i]] = samples[i] * window_[i];
  for (int len = 2; len <= kSize; len <<= 1) {
    const int half = len / 2;
    const int step = kSize / len;
    for (int start = 0; start < kSize; start += len) {
      for (int k = 0; k < half; ++k) {
        const std::complex<float> t = twiddles_[k * step] * a[start + k + half];
        a[start + k + half] = a[start + k] - t;
        a[start + k] += t;
      }
    }
  }
  // A sine of amplitude A at a bin centre gives |X| = A * N/4 under a Hann window.
  constexpr float kScale = 4.0f / kSize;
  for (int k = 0; k < kBins; ++k) out[k] = std::abs(a[k]) * kScale;
}

}  // namespace lirra::engine
