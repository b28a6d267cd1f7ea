#include "fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace lirra::engine {
namespace {

std::vector<float> Sine(double bin, double amplitude) {
  std::vector<float> s(1024);
  for (int n = 0; n < 1024; ++n)
    s[n] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * bin * n / 1024.0));
  return s;
}

TEST(Spectrum1024, AFullScaleSineAtABinCentreReadsAboutOne) {
  const Spectrum1024 spectrum;
  float out[512];
  for (int bin : {2, 23, 100, 400}) {
    spectrum.compute(Sine(bin, 1.0).data(), out);
    const float* top = std::max_element(out, out + 512);
    EXPECT_EQ(top - out, bin);
    EXPECT_NEAR(*top, 1.0, 0.01) << bin;
    EXPECT_NEAR(out[bin - 1], 0.5, 0.01) << "Hann leakage into the neighbours";
    EXPECT_NEAR(out[bin + 1], 0.5, 0.01);
    EXPECT_LT(out[bin + 3], 1e-4f);
  }
  spectrum.compute(Sine(50, 0.25).data(), out);
  EXPECT_NEAR(out[50], 0.25, 0.005) << "magnitudes scale with amplitude";
}

TEST(Spectrum1024, SilenceAndDirectCurrent) {
  const Spectrum1024 spectrum;
  float out[512];
  const std::vector<float> zeros(1024, 0.0f);
  spectrum.compute(zeros.data(), out);
  EXPECT_EQ(*std::max_element(out, out + 512), 0.0f);
  const std::vector<float> dc(1024, 0.5f);
  spectrum.compute(dc.data(), out);
  EXPECT_NEAR(out[0], 1.0, 0.01);  // 0.5 * N/2 * 4/N
  EXPECT_LT(out[2], 1e-4f);
}

}  // namespace
}  // namespace lirra::engine
