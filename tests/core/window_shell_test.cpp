// The window's behaviour without a window: where drags and grip resizes land, the two
// states of the central area, the clicks on the visual area and a video's full screen.
#include <gtest/gtest.h>

#include "central_states.h"
#include "player_fixture.h"
#include "skin.h"
#include "window_moves.h"

namespace lirra {
namespace {

TEST(WindowMoves, ADroppedWindowSnapsToEdgesWithinTheMargin) {
  const QRect work(0, 0, 1280, 770);
  struct Case {
    QRect dropped;
    QPoint lands;
  };
  const Case cases[] = {
      {{8, 300, 270, 150}, {0, 300}},                   // 8 pixels from the left: onto it
      {{12, 300, 270, 150}, {12, 300}},                 // 12 away: stays
      {{10, 300, 270, 150}, {10, 300}},                 // exactly the margin: stays
      {{-9, 300, 270, 150}, {0, 300}},                  // a little past the edge
      {{1002, 615, 270, 150}, {1010, 620}},             // near the right and bottom edges
      {{9, -5, 1280, 150}, {0, 0}},                     // as wide as the work area: margin 10
      {{500, 300, 270, 150}, {500, 300}},
  };
  for (const Case& c : cases) EXPECT_EQ(SnapDroppedWindow(c.dropped, work), c.lands) << c.dropped.x();
}

TEST(WindowMoves, AGripResizeEndsOnTheLadder) {
  const SkinImage frameSkin(360, 200), tileSkin(18, 23);
  const QSize noVideo, video(734, 599);  // 720 x 576 plus the frame
  struct Case {
    QSize dropped;
    QSize videoWindow;
    const SkinImage* skin;
    QSize lands;
  };
  const Case cases[] = {
      {{300, 200}, noVideo, nullptr, {270, 200}},
      {{600, 450}, noVideo, nullptr, {640, 360}},
      {{2000, 2000}, noVideo, nullptr, {640, 360}},  // no height above 360 without a video
      {{190, 100}, noVideo, nullptr, {195, 109}},
      {{421, 236}, noVideo, nullptr, {480, 270}},
      {{600, 320}, video, nullptr, {734, 412}},      // the video's width, a 16:9 height
      {{600, 500}, video, nullptr, {734, 599}},      // the video's own height
      {{300, 150}, noVideo, &frameSkin, {360, 200}}, // never below a frame skin
      {{300, 150}, noVideo, &tileSkin, {270, 150}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GripLadderSize(c.dropped, c.videoWindow, c.skin), c.lands) << c.dropped.width() << "x" << c.dropped.height();
}

TEST_F(PlayerTest, AMoveSnapsAndAGripResizeLandsOnTheLadderAndReshapes) {
  Start({});
  PlayerState& s = player_.state();
  shell_.bounds = QRect(7, 300, 270, 150);
  player_.lbMoveDragEnded();
  EXPECT_EQ(shell_.bounds.topLeft(), QPoint(0, 300));
  EXPECT_FALSE(s.CentreOnShow);
  EXPECT_TRUE(s.SettingsDirty);

  shell_.bounds = QRect(100, 100, 350, 240);
  const int fits = shell_.titleFits;
  player_.lbResizeDragEnded();
  EXPECT_EQ(shell_.bounds, QRect(100, 100, 360, 270));
  EXPECT_EQ(QSize(s.ClientWidth, s.ClientHeight), QSize(360, 270));
  EXPECT_EQ(shell_.shape.client, QSize(360, 270));
  EXPECT_GT(shell_.titleFits, fits);
  // Dropped right on a rung: nothing to move, but the new size is kept at close.
  s.SettingsDirty = false;
  shell_.bounds = QRect(120, 100, 360, 270);
  player_.lbResizeDragEnded();
  EXPECT_EQ(shell_.bounds, QRect(120, 100, 360, 270));
  EXPECT_TRUE(s.SettingsDirty);
  // By the bottom-left grip the right edge stays: the ladder's width is taken from the left.
  shell_.bounds = QRect(100, 100, 350, 240);
  player_.lbResizeDragEnded(ResizeGrip::BottomLeft);
  EXPECT_EQ(shell_.bounds, QRect(90, 100, 360, 270));
}

// A playing track shows the visual area; a double click goes back to the list and forth.
TEST_F(PlayerTest, ATrackOpensTheVisualAreaAndDoubleClicksSwitchBack) {
  player_.lbMoveDblClick();
  EXPECT_TRUE(player_.state().ListShown) << "nothing plays: a double click does nothing";
  AddEntries(1);
  Start({});
  const PlayerState& s = player_.state();
  ASSERT_TRUE(s.Timer1On);
  const auto visualShown = [&] {
    return !s.ListShown && shell_.shown(ControlId::VisPanel) && !shell_.shown(ControlId::MListPanel) &&
           !shell_.shown(ControlId::sbAdd) && !shell_.shown(ControlId::lbAddG6) &&
           shell_.hints[ControlId::lbMove] == u"DoubleClk to Playlist"_s;
  };
  EXPECT_TRUE(visualShown());
  EXPECT_TRUE(shell_.timerFFT) << "the spectrum's clock runs while it is shown";
  player_.lbMoveDblClick();
  EXPECT_TRUE(s.ListShown && shell_.shown(ControlId::MListPanel) && shell_.shown(ControlId::sbAdd));
  EXPECT_FALSE(shell_.timerFFT) << "the spectrum's clock rests behind the list";
  EXPECT_EQ(shell_.hints[ControlId::lbMove], u"DoubleClk to Vis/Video"_s);
  EXPECT_TRUE(shell_.captions[ControlId::lbTime].isEmpty());
  player_.pmPauseClick();
  player_.lbMoveDblClick();
  EXPECT_TRUE(visualShown());
  EXPECT_EQ(s.PausedTag, 0) << "a double click resumes a pause";
  player_.lbNextRightUp();
  EXPECT_TRUE(s.ListShown) << "a stop shows the list";
}

TEST_F(PlayerTest, ClicksOnTheVisualAreaStepTheSpectrumOnlyFromTheTitleStripOrTheRightButton) {
  AddEntries(1);
  Start({});
  PlayerContext& ctx = player_.context();
  ASSERT_EQ(player_.state().VisIndex, 1);
  ctx.spectrum.style = 1;
  struct Click {
    ControlId sender;
    PointerButton button;
    QPoint pos;  // relative to the visual area
    int styleAfter;
  };
  const Click clicks[] = {
      {ControlId::VisPanel, PointerButton::Left, {50, 30}, 1},  // on the spectrum itself
      {ControlId::lbTmp1, PointerButton::Left, {50, -13}, 1},   // above the title strip
      {ControlId::lbTmp1, PointerButton::Left, {50, -6}, 2},    // in the title strip
      {ControlId::VisPanel, PointerButton::Right, {50, 30}, 3},
      {ControlId::VisPanel, PointerButton::Middle, {50, 30}, 3},
  };
  for (const Click& c : clicks) {
    player_.VisPanelMouseUp(c.sender, c.button, c.pos);
    EXPECT_EQ(ctx.spectrum.style, c.styleAfter) << static_cast<int>(c.sender) << " at " << c.pos.y();
  }
  player_.VisPanelMouseMove(ControlId::VisPanel, false);  // the click that activates the window
  player_.VisPanelMouseUp(ControlId::lbTmp1, PointerButton::Left, {50, -6});
  EXPECT_EQ(ctx.spectrum.style, 3);
  player_.pmPauseClick();
  player_.VisPanelMouseUp(ControlId::VisPanel, PointerButton::Right, {50, 30});
  EXPECT_EQ(player_.state().PausedTag, 0) << "a click on a paused track only resumes";
  EXPECT_EQ(ctx.spectrum.style, 3);
}

TEST_F(PlayerTest, RightClicksOnAVideoFitTheWindowThenGoFullScreenThenBack) {
  ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_orvana.so"), appDir_ + u"liborvana.so"_s));
  bool screenSaverOn = true;
  player_.context().screenSaver = {[] { return true; }, [&](bool on) { screenSaverOn = on; }};
  const QString clip = MakeFile(u"clip.avi"_s);
  player_.context().list.append({u"clip"_s, clip, std::nullopt, std::nullopt});
  Start({});
  const PlayerState& s = player_.state();
  ASSERT_TRUE(s.VideoShown) << "the fake video library shows a 320 x 240 picture";
  EXPECT_TRUE(shell_.shown(ControlId::VdoPanel) && !shell_.shown(ControlId::VisPanel));
  EXPECT_FALSE(screenSaverOn) << "kept off while the video plays";

  shell_.bounds = QRect(400, 300, 270, 150);
  player_.VisPanelMouseUp(ControlId::VisPanel, PointerButton::Right, {10, 10});
  const QRect fitted(368, 244, 334, 263);  // the picture plus the frame, around the old centre
  EXPECT_EQ(shell_.bounds, fitted);
  player_.VisPanelMouseUp(ControlId::VisPanel, PointerButton::Right, {10, 10});
  EXPECT_TRUE(s.VideoFullScreen);
  EXPECT_EQ(shell_.bounds, QRect(-8, -17, 1295, 824)) << "the video panel covers the screen";
  EXPECT_TRUE(shell_.cursorHidden);
  player_.VisPanelMouseUp(ControlId::VisPanel, PointerButton::Right, {10, 10});
  EXPECT_FALSE(s.VideoFullScreen);
  EXPECT_EQ(shell_.bounds, fitted);
  EXPECT_FALSE(shell_.cursorHidden);

  // On a second monitor right of the first: that monitor is covered.
  shell_.screenBounds = QRect(1280, 0, 1920, 1080);
  player_.VisPanelMouseUp(ControlId::VisPanel, PointerButton::Right, {10, 10});
  ASSERT_TRUE(s.VideoFullScreen);
  EXPECT_EQ(shell_.bounds, QRect(1272, -17, 1935, 1104));
  player_.lbNextRightUp();
  EXPECT_FALSE(s.VideoFullScreen) << "showing the list leaves full screen";
  EXPECT_EQ(shell_.bounds, fitted);
  EXPECT_TRUE(screenSaverOn) << "let on again at the stop";
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(PlayerTest, SeeThroughAndAlwaysOnTopComeBackAsSaved) {
  writeBytes(u"lirra.ini"_s, "[main]\r\ntransp=1\r\non_top=1\r\n");
  AddEntries(1);
  Start({});
  EXPECT_TRUE(shell_.topmost) << "the visual area of the playing track is on top";
  EXPECT_TRUE(shell_.colourKey) << "the spectrum's black is see-through";
  player_.lbMoveDblClick();
  player_.FormActivate();
  EXPECT_FALSE(shell_.topmost) << "the list leaves the topmost band";
  EXPECT_TRUE(shell_.alphaBlend) << "the list shows see-through";
  EXPECT_FALSE(shell_.colourKey);
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(PlayerTest, MinimiseRestoreAndTheDesktopsColours) {
  writeBytes(u"lirra.ini"_s, "[main]\r\non_top=1\r\n");
  AddEntries(1);
  Start({});
  PlayerState& s = player_.state();
  player_.lbPowerMouseUp();
  EXPECT_TRUE(shell_.minimised) << "a right click on the close mark minimises";
  player_.ApplicationMinimised();
  player_.pmPauseClick();
  shell_.topmost = false;
  shell_.minimised = false;
  player_.ApplicationRestored();
  EXPECT_EQ(s.PausedTag, 0) << "a restore resumes a pause";
  EXPECT_TRUE(shell_.topmost) << "the visual area goes back on top";

  // Without a skin the caption strip follows the desktop's colours, never the key black.
  player_.DesktopColoursChanged({0, MakeRgb(40, 80, 160)});
  EXPECT_EQ(shell_.colours.captionText, MakeRgb(1, 1, 1));
  EXPECT_EQ(shell_.colours.gaugeFore, MakeRgb(1, 1, 1));
  EXPECT_EQ(shell_.colours.window, MakeRgb(40, 80, 160));
  EXPECT_EQ(shell_.colours.gaugeBack, MakeRgb(40, 80, 160));
}

}  // namespace
}  // namespace lirra
