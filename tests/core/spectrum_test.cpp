// The spectrum without a window: its geometry, the colours of its columns, how levels and
// peak markers move from tick to tick, the pixels of a frame, and when it asks the engine.
#include <gtest/gtest.h>

#include "player_fixture.h"
#include "spectrum.h"

namespace lirra {
namespace {

TEST(Spectrum, BarsFillTheVisualAreaCentredAndRingsScaleWithTheWindow) {
  struct Case {
    int style;
    QSize panel, client;
    int bars, barWidth, ringScale;
  };
  const Case cases[] = {
      {1, {300, 86}, {314, 109}, 24, 12, 100},   // 288 pixels: 24 bars of 12, none spare
      {2, {312, 86}, {326, 109}, 25, 12, 100},   // 300 pixels: room for a 25th bar
      {3, {256, 127}, {270, 150}, 244, 1, 138},  // linear and narrow: one bin per column
      {4, {626, 337}, {640, 360}, 511, 1, 328},
      {5, {466, 177}, {480, 200}, 25, 18, 184},  // wider than twice the height: scaled by the height
  };
  for (const Case& c : cases) {
    SpectrumState sp;
    sp.style = c.style;
    LayOutSpectrum(sp, c.panel, c.client);
    EXPECT_EQ(sp.BarCount, c.bars) << c.panel.width();
    EXPECT_EQ(sp.BarWidth, c.barWidth) << c.panel.width();
    EXPECT_EQ(sp.RingScale, c.ringScale) << c.client.width();
    EXPECT_EQ(sp.VisBox, QRect((c.panel.width() - c.bars * c.barWidth) / 2, 0, c.bars * c.barWidth, c.panel.height() - 1));
    EXPECT_EQ(sp.GradientColumn.front(), MakeRgb(255, 95, 95));
    const Rgb floor = sp.GradientColumn.back();  // about RGB(95, 95, 255): steps are whole numbers
    EXPECT_TRUE((floor >> 16) < 100 && (floor >> 8 & 0xFF) < 100 && (floor & 0xFF) > 240) << std::hex << floor;
    EXPECT_EQ(sp.LedColumn[2], 0u) << "every third row of the LED column is dark";
  }
}

TEST(Spectrum, LevelsFallTwoUnitsATickAndPeaksWaitNineTicksThenFallFaster) {
  SpectrumState sp;
  sp.style = 1;
  LayOutSpectrum(sp, {300, 86}, {314, 109});
  std::array<float, 512> fft{};
  fft[12] = 100.0f / 320;  // bar 5 covers bins 7..12
  ComposeSpectrumFrame(sp, fft.data(), true);
  fft.fill(0);
  ComposeSpectrumFrame(sp, fft.data(), true);
  ComposeSpectrumFrame(sp, fft.data(), true);
  EXPECT_EQ(sp.LevelHistory[12], 96);

  SpectrumState quiet;
  quiet.style = 1;
  LayOutSpectrum(quiet, {300, 86}, {314, 109});
  quiet.PeakLevel[0] = 50.0f;
  const float expected[] = {50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 49.6f, 48.8f, 47.6f};
  for (float p : expected) {
    EXPECT_NEAR(quiet.PeakLevel[0], p, 1e-4);
    ComposeSpectrumFrame(quiet, fft.data(), true);
  }
}

TEST(Spectrum, AFullBinDrawsItsBarAndTheWaterfallScrollsDown) {
  SpectrumState sp;
  sp.style = 3;
  LayOutSpectrum(sp, {256, 127}, {270, 150});
  std::array<float, 512> fft{};
  fft[10] = 0.2875f;  // level 92: a full bar
  ComposeSpectrumFrame(sp, fft.data(), true);
  for (int y = 0; y < sp.SpectrumHeight; ++y) {
    ASSERT_EQ(sp.Buffer.at(10, y), MakeRgb(0, 0, 255)) << y;
    ASSERT_EQ(sp.Buffer.at(9, y), 0u) << y;
  }

  sp.style = kRingStyle;
  LayOutSpectrum(sp, {256, 127}, {270, 150});
  ComposeSpectrumFrame(sp, fft.data(), true);
  const Rgb loud = sp.Buffer.at(10, 0), quiet = sp.Buffer.at(9, 0);
  EXPECT_EQ(loud, sp.GradientColumn[0]) << "a full level takes the top of the ramp";
  EXPECT_EQ(quiet, sp.GradientColumn.back()) << "silence still draws, at the floor's colour";
  fft.fill(0);
  ComposeSpectrumFrame(sp, fft.data(), true);
  EXPECT_EQ(sp.Buffer.at(10, 1), loud) << "the last line moved down a row";
}

TEST_F(PlayerTest, TheSpectrumAsksTheEngineOnlyWhileItCanBeSeen) {
  AddEntries(1);
  Start({});
  ASSERT_FALSE(player_.state().ListShown);
  Engine().fftBin10 = 0.2875f;
  player_.context().spectrum.style = 3;
  SetupSpectrum(player_.context());
  player_.TimerFFTTimer();
  EXPECT_EQ(Engine().dataRequests, 1);
  ASSERT_EQ(shell_.framesShown, 1);
  EXPECT_EQ(shell_.frame.at(10, 0), MakeRgb(0, 0, 255));
  EXPECT_EQ(shell_.visBox, player_.context().spectrum.VisBox);
  shell_.minimised = true;
  player_.TimerFFTTimer();
  shell_.minimised = false;
  player_.lbMoveDblClick();  // the list
  player_.TimerFFTTimer();
  EXPECT_EQ(Engine().dataRequests, 1) << "minimised or behind the list: no request";
}

}  // namespace
}  // namespace lirra
