// The spectrum without a window: its geometry, the colours of its columns, how levels and
// peak markers move from tick to tick, the pixels of a frame, and when it asks the engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

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

// Only a step into a style that reads other bins (3 groups them into bands, 5 spreads them
// evenly) lays the spectrum out again.
TEST_F(PlayerTest, OnlyTheStylesWhoseBinsChangeLayTheSpectrumOutAnew) {
  AddEntries(1);
  Start({});
  SpectrumState& sp = player_.context().spectrum;
  sp.style = 1;
  for (const auto& [to, laysOut] : {std::pair{2, false}, {3, true}, {4, false}, {5, true}, {6, false}, {1, false}}) {
    const int before = shell_.visBoxSetups;
    CycleStyle(player_.context());
    ASSERT_EQ(sp.style, to);
    EXPECT_EQ(shell_.visBoxSetups - before, laysOut ? 1 : 0) << "into style " << to;
  }
}

// Restarting the waterfall while a track plays fills the whole picture with the quietest
// colour at the next frame: no black is left below its first line.
TEST_F(PlayerTest, AWaterfallStartedAnewClearsToTheFloorsColour) {
  AddEntries(1);
  Start({});
  ASSERT_TRUE(player_.state().Timer1On);
  SpectrumState& sp = player_.context().spectrum;
  sp.style = kRingStyle;
  SetupSpectrum(player_.context());  // the waterfall starts anew
  std::array<float, 512> silence{};
  ComposeSpectrumFrame(sp, silence.data(), true);
  const Rgb floor = sp.GradientColumn.back();
  EXPECT_TRUE(std::all_of(sp.Buffer.pixels.begin(), sp.Buffer.pixels.end(), [&](Rgb c) { return c == floor; }));
}

// A request the engine refuses (a stream between two tracks, say) shows nothing new: the
// last frame stays on the screen rather than a black one.
TEST_F(PlayerTest, AFailedSpectrumRequestLeavesTheLastFrame) {
  AddEntries(1);
  Start({});
  Engine().fftBin10 = 0.2875f;
  player_.TimerFFTTimer();
  ASSERT_EQ(shell_.framesShown, 1);
  Engine().fftBin10 = -1.0f;  // refused
  player_.TimerFFTTimer();
  EXPECT_EQ(Engine().dataRequests, 2);
  EXPECT_EQ(shell_.framesShown, 1) << "a frame was shown for a refused request";
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// Each style's bar and peak drawing for one loud grouped band (bar 5: bins 7..12) at two
// thirds of the height, on a 300-pixel panel (24 bars of 12 pixels, 85 rows).
TEST(Spectrum, EveryStyleDrawsItsBarAndPeakWhereItShould) {
  struct Case {
    int style;
    int barWidthDrawn;  // pixels of the 12-pixel pitch the body covers
    bool ledGaps;       // every third row dark
    bool topIsRed;      // the body starts red at its top
  };
  const Case cases[] = {{1, 11, true, false}, {2, 11, false, false}, {5, 12, false, true}, {6, 12, false, false}};
  for (const Case& c : cases) {
    SpectrumState sp;
    sp.style = c.style;
    LayOutSpectrum(sp, {300, 86}, {314, 109});
    ASSERT_EQ(sp.SpectrumHeight, 85);
    std::array<float, 512> fft{};
    fft[12] = 61.0f / 320;  // level 61: v = 61 * 85 / 92 = 56 rows
    ComposeSpectrumFrame(sp, fft.data(), true);
    const int x0 = 4 * 12, floor = sp.SpectrumHeight - 1, top = sp.SpectrumHeight - 56 + (c.style == 1 ? 1 : 0);
    int drawn = 0;
    for (int x = x0; x < x0 + 12; ++x) drawn += sp.Buffer.at(x, floor) != 0;
    EXPECT_EQ(drawn, c.barWidthDrawn) << "style " << c.style;
    EXPECT_EQ(sp.Buffer.at(x0, top - 1), 0u) << "style " << c.style << ": nothing above the bar";
    EXPECT_NE(sp.Buffer.at(x0, top + 1), 0u) << "style " << c.style;
    if (c.ledGaps) {
      for (int y = top; y < sp.SpectrumHeight; ++y)
        EXPECT_EQ(sp.Buffer.at(x0, y) == 0, (y + 1) % 3 == 0) << "LED row " << y;
    }
    if (c.topIsRed) {
      EXPECT_EQ(sp.Buffer.at(x0, top), sp.GradientColumn[0]);
    }
    // The peaks of styles 2 and 6 hold 21 ticks above the falling bar, then are hidden.
    if (c.style != 2 && c.style != 6) continue;
    fft.fill(0);
    int shownTicks = 0;
    for (int tick = 0; tick < 40; ++tick) {
      ComposeSpectrumFrame(sp, fft.data(), true);
      const int barTop = sp.SpectrumHeight - sp.LevelHistory[12] * sp.SpectrumHeight / 92;
      bool marker = false;
      for (int y = 0; y < barTop - 1; ++y) marker = marker || sp.Buffer.at(x0, y) != 0;
      shownTicks += marker;
    }
    EXPECT_EQ(shownTicks, 21) << "style " << c.style;
  }
}

TEST(Spectrum, RingsAreDrawnInTheirScaledBoxes) {
  SpectrumState sp;
  sp.style = kRingStyle;
  LayOutSpectrum(sp, {256, 127}, {270, 150});  // RingScale 138
  std::array<float, 512> fft{};
  fft[0] = 0.2875f;
  ComposeSpectrumFrame(sp, fft.data(), false);
  // Bar 1's ring: box (110, 14)-(153, 57) scaled by 1.38 → (151, 19)-(211, 78); its left and
  // right edges on the middle row are lit, its centre is not.
  const int mid = (19 + 78) / 2;
  EXPECT_NE(sp.Buffer.at(151, mid), 0u);
  EXPECT_NE(sp.Buffer.at(210, mid), 0u);
  EXPECT_EQ(sp.Buffer.at(181, mid), 0u);
  EXPECT_EQ(SpectrumFrameOffset(sp, true), QPoint((244 - (211 - 24)) / 2 - 24, (126 - (107 - 19)) / 2 - 19 + 3));
}

}  // namespace
}  // namespace lirra
