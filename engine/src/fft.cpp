#include "fft.h"

#include <cmath>
#include <numbers>

namespace lirra::engine {

Spectrum1024::Spectrum1024() {
  const double twoPi = 2.0 * std::numbers::pi;
  for (int n = 0; n < kSize; ++n)
    window_[n] = static_cast<float>(0.5 - 0.5 * std::cos(twoPi * n / kSize));
  for (int k = 0; k < kHalf / 2; ++k) {
    cosHalf_[k] = static_cast<float>(std::cos(twoPi * k / kHalf));
    sinHalf_[k] = static_cast<float>(-std::sin(twoPi * k / kHalf));
  }
  for (int k = 0; k < kHalf; ++k) {
    cosFull_[k] = static_cast<float>(std::cos(twoPi * k / kSize));
    sinFull_[k] = static_cast<float>(-std::sin(twoPi * k / kSize));
  }
  int bits = 0;
  while ((1 << bits) < kHalf) ++bits;
  for (int i = 0; i < kHalf; ++i) {
    int r = 0;
    for (int b = 0; b < bits; ++b)
      if (i & (1 << b)) r |= 1 << (bits - 1 - b);
    bitReverse_[i] = r;
  }
}

void Spectrum1024::compute(const float* samples, float* out) const {
  // z[n] = x[2n] + i x[2n+1], windowed, in bit-reversed order.
  float re[kHalf], im[kHalf];
  for (int n = 0; n < kHalf; ++n) {
    const int r = bitReverse_[n];
    re[r] = samples[2 * n] * window_[2 * n];
    im[r] = samples[2 * n + 1] * window_[2 * n + 1];
  }
  // Iterative radix-2 FFT of 512 points (plain float arithmetic: std::complex's
  // multiplication guards against infinities at a large cost).
  for (int len = 2; len <= kHalf; len <<= 1) {
    const int half = len / 2;
    const int step = kHalf / len;
    for (int start = 0; start < kHalf; start += len) {
      for (int k = 0; k < half; ++k) {
        const float wr = cosHalf_[k * step], wi = sinHalf_[k * step];
        const int a = start + k, b = a + half;
        const float tr = wr * re[b] - wi * im[b];
        const float ti = wr * im[b] + wi * re[b];
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
      }
    }
  }
  // X[k] = E[k] + W^k O[k], with E and O the spectra of the even and odd samples:
  // E[k] = (Z[k] + conj Z[N/2-k]) / 2, O[k] = (Z[k] - conj Z[N/2-k]) / 2i.
  // A sine of amplitude A at a bin centre gives |X| = A * N/4 under a Hann window.
  constexpr float kScale = 4.0f / kSize;
  for (int k = 0; k < kBins; ++k) {
    const int m = (kHalf - k) & (kHalf - 1);
    const float er = 0.5f * (re[k] + re[m]), ei = 0.5f * (im[k] - im[m]);
    const float or_ = 0.5f * (im[k] + im[m]), oi = -0.5f * (re[k] - re[m]);
    const float xr = er + cosFull_[k] * or_ - sinFull_[k] * oi;
    const float xi = ei + cosFull_[k] * oi + sinFull_[k] * or_;
    out[k] = std::sqrt(xr * xr + xi * xi) * kScale;
  }
}

}  // namespace lirra::engine
