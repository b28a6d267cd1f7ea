// The visual area on a real X server, checked on the screen: a video's picture, a screen
// of twice the pixels, the spectrum of what plays (also of MIDI and of the video library's
// audio) and the visualisation plug-ins.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QTest>

#include "window_on_screen.h"
#include "skin_image.h"
#include "vis_box.h"
#include "track_kind.h"

namespace lirra {
namespace {

// The video library draws into the window's video panel: the picture letter-boxed in the
// panel, following the window's size and going full screen and back on right clicks.
TEST_F(WindowOnScreen, AVideoShowsLetterBoxedInThePanelAndFollowsTheWindow) {
  const QString clip =
      app_.makeMedia(u"clip.avi"_s, u"color=c=white:s=320x240:r=25:d=20"_s, {u"-c:v"_s, u"mjpeg"_s, u"-q:v"_s, u"3"_s});
  ASSERT_FALSE(clip.isEmpty());
  Open({}, {clip});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().VideoShown; }, 10000));
  QWidget* panel = window_->control(ControlId::VdoPanel);
  ASSERT_TRUE(panel->isVisible());

  // A 4:3 picture in a wide panel: white in the middle, black bars left and right.
  const auto check = [&](const char* when) {
    ASSERT_TRUE(QTest::qWaitFor([&] {
      const QImage shot = Screen();
      const QRect p(At(panel->pos()), panel->size());
      const int pictureWidth = p.height() * 4 / 3;
      const int bar = (p.width() - pictureWidth) / 2;
      return shot.pixelColor(p.center()).lightness() > 200 && shot.pixelColor(p.left() + bar / 2, p.center().y()) == Qt::black &&
             shot.pixelColor(p.left() + bar + 4, p.center().y()).lightness() > 200 &&
             shot.pixelColor(p.right() - bar / 2, p.center().y()) == Qt::black;
    }, 5000)) << when;
  };
  check("at the start size");
  Press(window_->control(ControlId::lbResiz8a)->geometry().center());
  DragTo(At(window_->control(ControlId::lbResiz8a)->geometry().center()) + QPoint(230, 130));
  ASSERT_EQ(window_->size(), QSize(480, 270));
  check("after a grip resize");

  const QRect before = window_->geometry();
  Click(panel->geometry().center(), 3);  // fits the window to the picture: 334 x 263
  EXPECT_EQ(window_->size(), QSize(334, 263));
  const QRect fitted = window_->geometry();
  Click(panel->geometry().center(), 3);
  EXPECT_TRUE(window_->player().state().VideoFullScreen);
  const QRect screen = window_->screen()->geometry();
  EXPECT_TRUE(QRect(At(panel->pos()), panel->size()).contains(screen)) << "the picture covers the screen";
  Click(panel->geometry().center(), 3);
  EXPECT_FALSE(window_->player().state().VideoFullScreen);
  EXPECT_EQ(window_->geometry(), fitted);
  EXPECT_NE(fitted, before);
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// Run with QT_SCALE_FACTOR=2 (its own test entry): twice the pixels, each skin pixel a
// crisp 2 x 2 block, the layout in the same logical pixels.
TEST_F(WindowOnScreen, OnAScreenOfTwiceThePixelsSkinsStayCrisp) {
  if (QGuiApplication::primaryScreen()->devicePixelRatio() != 2) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
  app_.addSkin(u"Graphite"_s);
  Open(u"Graphite.bmp"_s);
  EXPECT_EQ(window_->size(), QSize(270, 150)) << "logical pixels";
  const QImage shot = Screen();
  ASSERT_GE(shot.width(), 2 * (window_->x() + 270)) << "a grab of the device pixels";
  const SkinImage graphite = *ReadSkinFile(app_.skinFolder() + u"Graphite.bmp"_s);
  const QPoint origin = 2 * window_->pos();
  for (QPoint p : {QPoint(3, 1), QPoint(3, 9), QPoint(100, 1), QPoint(2, 60), QPoint(120, 147)}) {
    // Where the tile skin's pieces put each window pixel: tiles repeat every 4 pixels.
    const int sx = p.x() < 7 ? p.x() : 7 + (p.x() - 7) % 4;
    const int sy = p.y() >= 143 ? p.y() - 150 + 23 : p.y() >= 16 ? 12 + (p.y() - 16) % 4 : p.y();
    const QColor expected = QColor::fromRgb(graphite.at(sx, sy));
    for (QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
      EXPECT_EQ(shot.pixelColor(origin + 2 * p + d), expected) << p.x() << "," << p.y() << " +" << d.x() << d.y();
  }
  EXPECT_EQ(shot.pixelColor(origin + QPoint(1, 1)), kBackdrop) << "the cut corner pixel is 2 x 2 too";
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// The demo tune plays: its spectrum moves on the screen thirty times a second, put
// straight into the X window.
TEST_F(WindowOnScreen, ThePlayingTunesSpectrumShowsOnTheScreen) {
  app_.addDemoList();
  Open({});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  EXPECT_TRUE(QTest::qWaitFor([&] { return SpectrumPixelsLit() > 50; }, 3000)) << "no bars while the tune plays";
  EXPECT_TRUE(window_->control(ControlId::VisPanel)->findChild<SpectrumBox*>(u"VisBox"_s)->drawsDirectly());
  // Always on top, on and off, makes the native windows anew: the bars go on in the new
  // ones, and the window keeps answering meanwhile.
  for (int i = 0; i < 2; ++i) {
    window_->player().pmOnTopClick();
    QTest::qWait(300);
    EXPECT_TRUE(QTest::qWaitFor([&] { return SpectrumPixelsLit() > 50; }, 3000)) << "no bars after always on top, step " << i;
  }
}

// Switching to the list and back, quickly or slowly, never leaves the visual area black
// while the tune plays.
TEST_F(WindowOnScreen, TheSpectrumComesBackAfterEverySwitchToTheList) {
  app_.addDemoList();
  Open({});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  ASSERT_TRUE(QTest::qWaitFor([&] { return SpectrumPixelsLit() > 50; }, 3000));
  for (int pause : {0, 30, 200, 0, 600, 10, 1000, 50}) {
    window_->player().lbMoveDblClick();
    ASSERT_TRUE(window_->player().state().ListShown);
    QTest::qWait(pause);
    window_->player().lbMoveDblClick();
    ASSERT_FALSE(window_->player().state().ListShown);
    EXPECT_TRUE(QTest::qWaitFor([&] { return SpectrumPixelsLit() > 50; }, 1500)) << "black after " << pause << " ms on the list";
  }
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// A standard MIDI file of one track: a chord held for `seconds`, ten times over.
QByteArray MidiChords(int seconds) {
  QByteArray track;
  const auto event = [&](std::initializer_list<int> bytes) {
    for (int b : bytes) track.append(static_cast<char>(b));
  };
  for (int i = 0; i < 10; ++i) {
    for (int note : {60, 64, 67}) event({0x00, 0x90, note, 100});  // on, at once
    const int ticks = seconds * 96 / 10;                            // 96 ticks a beat, 120 beats a minute
    event({0x80 | (ticks >> 7 & 0x7F), ticks & 0x7F, 0x80, 60, 0});
    for (int note : {64, 67}) event({0x00, 0x80, note, 0});
  }
  event({0x00, 0xFF, 0x2F, 0x00});  // end of track
  const auto be32 = [](int v) {
    const char bytes[] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                          static_cast<char>(v)};
    return QByteArray(bytes, 4);
  };
  return "MThd" + be32(6) + QByteArray("\0\0\0\1\0\x60", 6) + "MTrk" + be32(static_cast<int>(track.size())) + track;
}

// A MIDI file plays through the video library's synthesizer; the spectrum shows what is
// heard, recorded back from the output's monitor.
TEST_F(WindowOnScreen, AMidiFileIsVisualisedFromWhatIsHeard) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("PULSE_SERVER")) << "the test command starts PulseAudio";
  const QString midi = app_.path() + u"chords.mid"_s;
  QFile file(midi);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(MidiChords(20)) > 0);
  file.close();
  Open({}, {midi});
  const PlayerState& s = window_->player().state();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Timer1On; }, 10000)) << "the MIDI file did not play";
  ASSERT_TRUE(s.VideoActive && !s.VideoShown);
  ASSERT_EQ(s.TrackKind, kKindMidiCapture);
  EXPECT_TRUE(QTest::qWaitFor([&] { return SpectrumPixelsLit() > 30; }, 8000)) << "the chords never showed";
}

// Sound the video library plays (here an AVI holding only a tone) never passes through the
// engine: the spectrum shows it recorded back from the output's monitor.
TEST_F(WindowOnScreen, AudioTheVideoLibraryPlaysIsVisualisedFromWhatIsHeard) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("PULSE_SERVER")) << "the test command starts PulseAudio";
  const QString tone = app_.makeMedia(u"tone_only.avi"_s, u"sine=frequency=1000:duration=20"_s, {u"-c:a"_s, u"pcm_s16le"_s});
  ASSERT_FALSE(tone.isEmpty());
  Open({}, {tone});
  const PlayerState& s = window_->player().state();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Timer1On; }, 10000));
  ASSERT_TRUE(s.VideoActive && !s.VideoShown) << "played by the video library, without a picture";
  ASSERT_EQ(s.TrackKind, kKindMidiCapture) << "recorded back";
  EXPECT_TRUE(QTest::qWaitFor([&] { return SpectrumPixelsLit() > 30; }, 5000)) << "the tone's bar never showed";
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// A real plug-in through the real host: the scope shows in the visual area, drawn from the
// tune that plays, and stops when the list comes back.
TEST_F(WindowOnScreen, TheScopePluginShowsInTheVisualAreaThroughTheHost) {
  app_.addVisPlugin(u"scope"_s);
  app_.addDemoList();
  Open({});
  window_->activateWindow();
  const PlayerState& s = window_->player().state();
  ASSERT_TRUE(s.VisLibAvailable);
  ASSERT_EQ(s.VisPlugins.size(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return VisPluginRunning(window_->player().context().vis); }, 5000))
      << "the plug-in starts at the first activation";
  QWidget* panel = window_->control(ControlId::VisPanel);
  const auto traceShown = [&] {
    const QImage shot = Screen();
    const QRect onScreen(At(panel->pos()), panel->size());
    int trace = 0;
    for (int y = onScreen.top(); y <= onScreen.bottom(); ++y)
      for (int x = onScreen.left(); x <= onScreen.right(); ++x) trace += shot.pixelColor(x, y) == QColor(140, 255, 120);
    return trace;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return traceShown() > panel->width() / 2; }, 3000)) << "no trace on the screen";
  Click(DragArea(), 1, 2);  // the list: the plug-in stops
  EXPECT_TRUE(s.ListShown);
  EXPECT_FALSE(VisPluginRunning(window_->player().context().vis));
  EXPECT_EQ(traceShown(), 0);
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// The AVS plug-in: a MilkDrop preset of the pool copied to Plugins/vis_avs.dat and rendered
// by projectM with OpenGL in the visual area.
TEST_F(WindowOnScreen, TheAvsPluginRendersAPresetOfThePoolWithOpenGl) {
  const QString preset = u"/usr/share/projectM/presets/presets_milkdrop_200/EoS - glowsticks v2 02.milk"_s;
  ASSERT_TRUE(QFile::exists(preset)) << "projectm-data is installed by the install script";
  // Mesa's software rasteriser without LLVM: llvmpipe's JIT sometimes crashes inside the
  // address sanitizer's process (never in a plain one).
  qputenv("GALLIUM_DRIVER", "softpipe");
  app_.addVisPlugin(u"avs"_s);
  const QString pool = app_.path() + u"Plugins/AVS/newpicks/"_s;
  QFile::remove(app_.path() + u"Plugins/AVS"_s);  // a pool of our own instead of the build's
  ASSERT_TRUE(QDir().mkpath(pool) && QFile::copy(preset, pool + u"glowsticks.avs"_s));
  app_.addDemoList();
  Open({});
  window_->activateWindow();
  const PlayerContext& ctx = window_->player().context();
  ASSERT_TRUE(QTest::qWaitFor([&] { return VisPluginRunning(ctx.vis); }, 10000)) << "the plug-in did not start";
  EXPECT_TRUE(ctx.state.AvsSelected);
  QFile dat(app_.path() + u"Plugins/vis_avs.dat"_s), source(preset);
  ASSERT_TRUE(dat.open(QIODevice::ReadOnly) && source.open(QIODevice::ReadOnly));
  EXPECT_EQ(dat.readAll(), source.readAll()) << "the preset of the pool is the current one";
  QWidget* panel = window_->control(ControlId::VisPanel);
  const auto colours = [&] {
    const QImage shot = Screen();
    const QRect onScreen(At(panel->pos()), panel->size());
    QSet<QRgb> seen;
    for (int y = onScreen.top(); y <= onScreen.bottom(); y += 2)
      for (int x = onScreen.left(); x <= onScreen.right(); x += 2) seen.insert(shot.pixel(x, y));
    return seen.size();
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return colours() > 16; }, 20000)) << "no picture from projectM";
  const auto panelShot = [&] { return Screen().copy(QRect(At(panel->pos()), panel->size())); };
  const QImage before = panelShot();
  EXPECT_TRUE(QTest::qWaitFor([&] { return panelShot() != before; }, 3000)) << "the picture stands still";
  // A right click restarts it with a preset of the pool again (its renderer is reused).
  const uint32_t first = ctx.vis.VisParam.plugin;
  Click(panel->geometry().center(), 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return VisPluginRunning(ctx.vis) && ctx.vis.VisParam.plugin != first; }, 10000))
      << "no restart";
  // Mesa's software rasteriser draws the first frames slowly on a loaded machine: the wait
  // only guards against a picture that never comes.
  EXPECT_TRUE(QTest::qWaitFor([&] { return colours() > 16; }, 20000)) << "no picture after the restart";
}

}  // namespace
}  // namespace lirra
