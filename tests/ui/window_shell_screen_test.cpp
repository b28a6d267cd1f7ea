// The window's face and behaviour on a real X server, driven by real pointer events
// (xdotool) and checked on the screen: skins and the shape, drags that snap, grip resizes
// on the ladder, the double click between list and visual area, a video's picture.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QTest>

#include "main_window.h"
#include "scratch_app.h"
#include "skin_image.h"
#include "vis_box.h"
#include "track_kind.h"

#include <xcb/xcb.h>

#include <cstring>

namespace lirra {
namespace {

using namespace Qt::StringLiterals;
using testing::ScratchApp;

const QColor kBackdrop(0, 200, 0);

// Runs xdotool while the window keeps handling the events it causes. (Pointer moves do not
// wait with --sync: a pointer already at the place never reports a move.)
void Xdo(const QStringList& args) {
  QProcess p;
  p.start(u"xdotool"_s, args);
  ASSERT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000)) << args.join(u' ').toStdString();
  ASSERT_EQ(p.exitCode(), 0) << args.join(u' ').toStdString();
  QTest::qWait(50);
}

QString Num(int v) { return QString::number(v); }

// Anti-aliased text: a pixel of the text's own colour, give or take the blending.
bool InkLike(const QColor& pixel, const QColor& ink) {
  return std::abs(pixel.red() - ink.red()) + std::abs(pixel.green() - ink.green()) +
             std::abs(pixel.blue() - ink.blue()) < 90;
}

QImage Screen() {
  QTest::qWait(150);  // let the X server finish drawing
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

class WindowOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), u"xcb"_s) << "needs an X server (the test command starts Xvfb)";
    // A plain backdrop over the whole screen: what shows through the window's cut-outs.
    backdrop_.setWindowFlags(Qt::FramelessWindowHint);
    QPalette pal = backdrop_.palette();
    pal.setColor(QPalette::Window, kBackdrop);
    backdrop_.setPalette(pal);
    backdrop_.setAutoFillBackground(true);
    backdrop_.setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop_));
  }
  void Open(const QString& skin, const QStringList& args = {}) {
    if (!skin.isEmpty()) {
      QFile ini(app_.path() + u"lirra.ini"_s);
      ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
      ini.write(("[main]\r\nskin=" + skin + "\r\n").toUtf8());
    }
    window_ = std::make_unique<MainWindow>(StartupEnvironment{app_.path(), args, QLocale(u"en_US"_s)});
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().EngineReady; }));
  }
  // A point of the window in screen coordinates.
  QPoint At(QPoint inWindow) const { return window_->geometry().topLeft() + inWindow; }
  void Press(QPoint inWindow, int button = 1) {
    const QPoint p = At(inWindow);
    Xdo({u"mousemove"_s, Num(p.x()), Num(p.y()), u"mousedown"_s, Num(button)});
  }
  void DragTo(QPoint screen) {
    Xdo({u"mousemove"_s, Num(screen.x() - 20), Num(screen.y() - 20)});  // a step on the way
    Xdo({u"mousemove"_s, Num(screen.x()), Num(screen.y()), u"mouseup"_s, u"1"_s});
  }
  void Click(QPoint inWindow, int button, int times = 1) {
    const QPoint p = At(inWindow);
    Xdo({u"mousemove"_s, Num(p.x()), Num(p.y()), u"click"_s, u"--repeat"_s, Num(times), u"--delay"_s, u"80"_s,
         Num(button)});
  }
  // Pixels of the spectrum's paint box that are not black on the screen.
  int SpectrumPixelsLit() {
    QWidget* box = window_->control(ControlId::VisPanel)->findChild<QWidget*>(u"VisBox"_s);
    const QImage shot = Screen();
    const QRect onScreen(At(box->mapTo(window_.get(), QPoint(0, 0))), box->size());
    int lit = 0;
    for (int y = onScreen.top(); y <= onScreen.bottom(); ++y)
      for (int x = onScreen.left(); x <= onScreen.right(); ++x) lit += shot.pixelColor(x, y) != Qt::black;
    return lit;
  }
  // The drag area shows between the right edge and the central area.
  QPoint DragArea() const { return {window_->width() - 3, window_->height() / 2}; }

  QWidget backdrop_;
  ScratchApp app_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(WindowOnScreen, ASkinPaintsTheFrameCutsTheCornersAndARightClickStepsToTheNext) {
  app_.addSkin(u"Graphite"_s);
  app_.addSkin(u"Ocean"_s);
  Open(u"Graphite.bmp"_s);
  const auto skin = [&](const QString& name) { return *ReadSkinFile(app_.skinFolder() + name + u".bmp"_s); };
  const auto pixelAt = [&](const QImage& shot, QPoint inWindow) { return shot.pixelColor(At(inWindow)); };

  QImage shot = Screen();
  const SkinImage graphite = skin(u"Graphite"_s);
  EXPECT_EQ(pixelAt(shot, {3, 9}), QColor::fromRgb(graphite.at(3, 9))) << "the tile skin's corner";
  EXPECT_EQ(pixelAt(shot, {100, 1}), QColor::fromRgb(graphite.at(8, 1))) << "a top tile";
  EXPECT_EQ(pixelAt(shot, {0, 0}), kBackdrop) << "the corner pixel is cut";
  EXPECT_EQ(pixelAt(shot, {1, 0}), kBackdrop) << "magenta is cut";
  EXPECT_EQ(pixelAt(shot, {100, 15}), kBackdrop) << "the row above the central area is see-through";

  Click(DragArea(), 3);
  ASSERT_TRUE(window_->player().state().SkinFile.endsWith(u"Ocean.bmp"_s));
  EXPECT_EQ(window_->control(ControlId::lbSkinName)->toolTip(), u"skin:Ocean"_s);
  shot = Screen();
  const SkinImage ocean = skin(u"Ocean"_s);
  for (QPoint p : {QPoint(100, 1), QPoint(3, 60), QPoint(135, 146)})
    EXPECT_EQ(pixelAt(shot, p), QColor::fromRgb(ocean.at(p.x(), p.y()))) << p.x() << "," << p.y();
  for (QPoint p : {QPoint(2, 0), QPoint(0, 2), QPoint(267, 0), QPoint(269, 149)})
    EXPECT_EQ(pixelAt(shot, p), kBackdrop) << "the rounded corner at " << p.x() << "," << p.y();
  EXPECT_NE(pixelAt(shot, {4, 4}), kBackdrop);
  EXPECT_TRUE(window_->player().state().SettingsDirty);
}

TEST_F(WindowOnScreen, ADragSnapsToTheEdgeAndAGripResizeLandsOnTheLadder) {
  app_.addSkin(u"Graphite"_s);
  Open(u"Graphite.bmp"_s);
  const QRect work = window_->screen()->availableGeometry();
  // Dropped 6 pixels right of the work area's left edge and 40 below its top.
  const QPoint grab = DragArea();
  Press(grab);
  DragTo(work.topLeft() + QPoint(6, 40) + grab);
  EXPECT_EQ(window_->pos(), work.topLeft() + QPoint(0, 40)) << "snapped onto the left edge";
  QImage shot = Screen();
  EXPECT_NE(shot.pixelColor(work.left() + 3, work.top() + 40 + 60), kBackdrop) << "drawn where it landed";

  // A flick: press, one motion and the release within a few milliseconds, before the
  // window has seen any of them. It lands where it was let go.
  window_->move(400, 200);
  QTest::qWait(100);
  const QPoint from = At(grab), to = from + QPoint(-150, 120);
  Xdo({u"mousemove"_s, Num(from.x()), Num(from.y()), u"mousedown"_s, u"1"_s, u"mousemove"_s, Num(to.x()),
       Num(to.y()), u"mouseup"_s, u"1"_s});
  EXPECT_TRUE(QTest::qWaitFor([&] { return window_->pos() == QPoint(250, 320); }, 2000))
      << "a flick landed at " << window_->pos().x() << "," << window_->pos().y();

  window_->move(400, 200);
  struct Step {
    ControlId grip;
    QPoint by;
    QSize lands;
  };
  for (const Step& step : {Step{ControlId::lbResiz8a, {80, 90}, {360, 270}}, Step{ControlId::lbResiz8a, {-100, -100}, {270, 150}},
                           Step{ControlId::lbResiz7a, {-230, 30}, {480, 200}}}) {
    const QRect before = window_->geometry();
    const QPoint grip = window_->control(step.grip)->geometry().center();
    Press(grip);
    DragTo(At(grip) + step.by);
    EXPECT_EQ(window_->size(), step.lands);
    shot = Screen();
    const QRect now = window_->geometry();
    EXPECT_NE(shot.pixelColor(now.right() - 3, now.bottom() - 30), kBackdrop);
    EXPECT_EQ(shot.pixelColor(now.right(), now.bottom()), kBackdrop) << "re-masked: the corner pixel is cut";
    if (step.grip == ControlId::lbResiz7a) {
      EXPECT_EQ(now.right(), before.right()) << "the bottom-left grip leaves the right edge where it was";
    }
  }
}

TEST_F(WindowOnScreen, ADoubleClickSwitchesBetweenTheListAndTheVisualArea) {
  app_.addSkin(u"Ocean"_s);
  app_.addDemoList();
  Open(u"Ocean.bmp"_s);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  const QPoint centre = window_->control(ControlId::VisPanel)->geometry().center();
  const QColor listBack = QColor::fromRgb(ReadSkinFile(app_.skinFolder() + u"Ocean.bmp"_s)->at(0, 0));
  const QPoint freeRow(centre.x(), window_->height() - 30);  // below the list's one entry
  EXPECT_EQ(Screen().pixelColor(At(freeRow)), QColor(Qt::black)) << "a playing track shows the visual area";
  Click(DragArea(), 1, 2);
  EXPECT_TRUE(window_->player().state().ListShown);
  EXPECT_EQ(Screen().pixelColor(At(freeRow)), listBack) << "the list in the skin's colours";
  EXPECT_TRUE(window_->control(ControlId::sbAdd)->isVisible());
  Click(DragArea(), 1, 2);
  EXPECT_FALSE(window_->player().state().ListShown);
  EXPECT_EQ(Screen().pixelColor(At(freeRow)), QColor(Qt::black));
  Click(DragArea(), 3, 2);
  QTest::qWait(200);
  EXPECT_FALSE(window_->player().state().ListShown) << "a right double click only steps the skin";
}

// The title strip moves the window when dragged with the left button; its clicks keep their
// meaning (the right one steps the visualisation).
TEST_F(WindowOnScreen, DraggingTheTitleStripMovesTheWindowAndAClickStillSteps) {
  // A tune without lyrics: a click on the title is the strip's.
  const QString song = app_.path() + u"tone.wav"_s;
  QProcess ffmpeg;
  ffmpeg.start(u"ffmpeg"_s, {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                             u"sine=frequency=440:duration=30"_s, song});
  ASSERT_TRUE(ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0);
  Open({}, {song});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  window_->move(300, 200);
  QTest::qWait(100);
  const QWidget* strip = window_->control(ControlId::lbTitle);
  const QPoint grab = strip->mapTo(window_.get(), strip->rect().center());
  const int style = window_->player().context().spectrum.style;
  const QPoint from = window_->pos();
  Press(grab);
  DragTo(At(grab) + QPoint(60, 40));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window_->pos() == from + QPoint(60, 40); }, 2000))
      << "the window is at " << window_->pos().x() << "," << window_->pos().y();
  EXPECT_EQ(window_->player().context().spectrum.style, style) << "a move is no click";
  Click(grab, 3);  // the right button steps whether or not the window is active
  EXPECT_TRUE(QTest::qWaitFor([&] { return window_->player().context().spectrum.style != style; }, 2000))
      << "a click on the strip steps the style";
}

TEST_F(WindowOnScreen, TheTimeShowsWholeBesideALongTitle) {
  // A list naming a track of 3:45 with a title far wider than the strip.
  const QString title = u"A Very Long Title That Cannot Possibly Fit Into The Caption Strip Of The Window"_s;
  const QString song = app_.path() + u"long.mp3"_s;
  QProcess ffmpeg;
  ffmpeg.start(u"ffmpeg"_s, {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                             u"anullsrc=r=8000:cl=mono"_s, u"-t"_s, u"225"_s, u"-b:a"_s, u"8k"_s, song});
  ASSERT_TRUE(ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0);
  QFile list(app_.path() + u"long.m3u"_s);
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write(("#EXTM3U\r\n#EXTINF:225," + title + "\r\n" + song + "\r\n").toUtf8());
  list.close();
  Open({}, {app_.path() + u"long.m3u"_s});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  auto* time = static_cast<QLabel*>(window_->control(ControlId::lbTime));
  auto* titleLabel = static_cast<QLabel*>(window_->control(ControlId::lbTitle));
  ASSERT_EQ(time->text(), u"3:45"_s);
  EXPECT_EQ(time->geometry().right(), lirra::At(LayoutFor(window_->size()), ControlId::lbTime).right()) << "right-aligned";
  EXPECT_LT(titleLabel->geometry().right(), time->x()) << "the title ends left of the time";

  // On the screen: the time's ink spans the whole text's width and nothing of it is cut.
  const QImage shot = Screen();
  shot.save(QStringLiteral(LIRRA_SCREENSHOT_DIR "/long_title.png"));
  const QRect onScreen(At(time->pos()), time->size());
  const QColor ink = time->palette().color(QPalette::WindowText);
  int first = -1, last = -1;
  for (int x = onScreen.left(); x <= onScreen.right(); ++x)
    for (int y = onScreen.top(); y <= onScreen.bottom(); ++y)
      if (InkLike(shot.pixelColor(x, y), ink)) {
        if (first < 0) first = x;
        last = x;
      }
  const int advance = time->fontMetrics().horizontalAdvance(u"3:45"_s);
  ASSERT_GE(first, 0) << "no time on the screen";
  EXPECT_LE(first, onScreen.left() + 3) << "the time begins at the label's left";
  EXPECT_GE(last - first + 1, advance - 3) << "all four characters show";
}

// The demo tune's lyrics: the line of the moment in the title, and the title lit lime
// under the pointer while lyrics show.
TEST_F(WindowOnScreen, TheDemoTunesLyricLineShowsInTheTitleAndLightsUnderThePointer) {
  app_.addDemoList();
  Open({});
  auto* title = static_cast<QLabel*>(window_->control(ControlId::lbTitle));
  EXPECT_TRUE(QTest::qWaitFor([&] { return title->text() == u"Lirra\u00B7"_s; }, 8000)) << "the last line, at 4.8 s";
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  const QPoint centre = title->mapTo(window_.get(), title->rect().center());
  Xdo({u"mousemove"_s, Num(At(centre).x() - 2), Num(At(centre).y()), u"mousemove"_s, Num(At(centre).x()),
       Num(At(centre).y())});
  const auto limePixels = [&] {  // the text is smoothed: its solid strokes are lime
    const QImage shot = Screen();
    const QRect onScreen(At(title->mapTo(window_.get(), QPoint(0, 0))), title->size());
    int lime = 0;
    for (int y = onScreen.top(); y <= onScreen.bottom(); ++y)
      for (int x = onScreen.left(); x <= onScreen.right(); ++x) {
        const QColor c = shot.pixelColor(x, y);  // lime's ink, above the caption colour's 192
        lime += c.green() > 224 && c.red() < 64 && c.blue() < 64;
      }
    return lime;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return limePixels() > 10; }, 3000)) << "the title is not lime under the pointer";
  // Off the title onto the play label, and off the window: the title's own colour again.
  const QWidget* play = window_->control(ControlId::lbNext);
  const QPoint onPlay = At(play->mapTo(window_.get(), play->rect().center()));
  const QPoint outside = At(QPoint(window_->width() + 40, window_->height() / 2));
  for (const QPoint to : {onPlay, outside}) {
    Xdo({u"mousemove"_s, Num(At(centre).x()), Num(At(centre).y())});
    ASSERT_TRUE(QTest::qWaitFor([&] { return limePixels() > 10; }, 3000));
    Xdo({u"mousemove"_s, Num(to.x()), Num(to.y())});
    EXPECT_TRUE(QTest::qWaitFor([&] { return limePixels() == 0; }, 3000)) << "still lime with the pointer at " << to.x();
  }
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// The video library draws into the window's video panel: the picture letter-boxed in the
// panel, following the window's size and going full screen and back on right clicks.
TEST_F(WindowOnScreen, AVideoShowsLetterBoxedInThePanelAndFollowsTheWindow) {
  const QString clip = app_.path() + u"clip.avi"_s;
  QProcess ffmpeg;
  ffmpeg.start(u"ffmpeg"_s, {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                             u"color=c=white:s=320x240:r=25:d=20"_s, u"-c:v"_s, u"mjpeg"_s, u"-q:v"_s, u"3"_s, clip});
  ASSERT_TRUE(ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0);
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
  const QString tone = app_.path() + u"tone_only.avi"_s;
  QProcess ffmpeg;
  ffmpeg.start(u"ffmpeg"_s, {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                             u"sine=frequency=1000:duration=20"_s, u"-c:a"_s, u"pcm_s16le"_s, tone});
  ASSERT_TRUE(ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0);
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

namespace lirra {
namespace {

// Whether the window asked, within half a second, to leave the taskbar
// (_NET_WM_STATE_SKIP_TASKBAR added: a client message to the root, which a window manager
// reads and this test overhears).
bool AskedToLeaveTheTaskbar(xcb_connection_t* x, uint32_t window) {
  const auto atom = [x](const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
  };
  const xcb_atom_t state = atom("_NET_WM_STATE"), skip = atom("_NET_WM_STATE_SKIP_TASKBAR");
  bool asked = false;
  QTest::qWait(500);
  while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
    const auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
    if ((e->response_type & 0x7F) == XCB_CLIENT_MESSAGE && m->window == window && m->type == state &&
        m->data.data32[0] == 1 && m->data.data32[1] == skip)
      asked = true;
    free(e);
  }
  return asked;
}

// Minimised, the window leaves the taskbar only where a tray icon brings it back: here the
// test holds the X tray's selection (_NET_SYSTEM_TRAY_S0) for the second round.
TEST_F(WindowOnScreen, MinimisedItLeavesTheTaskbarOnlyWhereThereIsATray) {
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  ASSERT_EQ(xcb_connection_has_error(x), 0);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const uint32_t overhear = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &overhear);
  Open({});
  const auto window = static_cast<uint32_t>(window_->winId());
  for (bool tray : {false, true}) {
    if (tray) {
      const xcb_window_t owner = xcb_generate_id(x);
      xcb_create_window(x, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                        screen->root_visual, 0, nullptr);
      xcb_intern_atom_reply_t* s0 = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, 19, "_NET_SYSTEM_TRAY_S0"), nullptr);
      xcb_set_selection_owner(x, owner, s0->atom, XCB_CURRENT_TIME);
      free(s0);
      xcb_flush(x);
    }
    AskedToLeaveTheTaskbar(x, window);  // what came before
    window_->showMinimized();
    EXPECT_EQ(AskedToLeaveTheTaskbar(x, window), tray) << (tray ? "with" : "without") << " a tray";
    window_->showNormal();
  }
  xcb_disconnect(x);
}

}  // namespace
}  // namespace lirra
