// The real program playing lists whose tracks follow each other without a gap, heard at
// the sink's monitor: cue sheets' tracks heard as one sweep, and the title and the
// desktop's metadata moving on as the next track is heard.
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QTest>

#include "heard_sound.h"
#include "private_app.h"

namespace lirra {
namespace {

using testing::SinkRecording;

// 300 Hz at the file's start, rising 50 Hz a second: its pitch tells where in the file.
constexpr double kSweepFrom = 300.0, kSweepRise = 50.0;
double SweepAt(double t) { return 0.5 * std::sin(2 * M_PI * (kSweepFrom * t + kSweepRise * t * t / 2)); }
double SweepTimeAt(double hz) { return (hz - kSweepFrom) / kSweepRise; }

class GaplessApp : public PrivateApp {
 protected:
  GaplessApp() : bus_(u"gapless"_s) {}

  // Starts the player on `list`, its media controls on the test's own bus.
  void startWithControls(const QString& list) {
    QProcessEnvironment e = env();
    e.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus_.address());
    lirra_.setProcessEnvironment(e);
    lirra_.start(app_ + u"lirra"_s, {list});
    ASSERT_TRUE(lirra_.waitForStarted(10000));
    connection_ = std::make_unique<QDBusConnection>(bus_.connection());
    ASSERT_TRUE(QTest::qWaitFor([&] { return connection_->interface()->isServiceRegistered(kService).value(); }, 10000));
    player_ = std::make_unique<QDBusInterface>(kService, u"/org/mpris/MediaPlayer2"_s,
                                               u"org.mpris.MediaPlayer2.Player"_s, *connection_);
  }
  void TearDown() override {
    if (lirra_.state() == QProcess::Running) {
      QDBusInterface(kService, u"/org/mpris/MediaPlayer2"_s, u"org.mpris.MediaPlayer2"_s, *connection_).call(u"Quit"_s);
      EXPECT_TRUE(lirra_.waitForFinished(10000));
      EXPECT_EQ(lirra_.exitCode(), 0) << lirra_.readAllStandardError().toStdString();
      if (lirra_.state() == QProcess::Running) lirra_.kill();  // never left playing into the next test
    }
  }
  QString title() { return player_->property("Metadata").toMap().value(u"xesam:title"_s).toString(); }

  // A list starts at an entry of its own choosing: Next moves through the order to the
  // entry titled `first`, which is then paused and played from its start (while `heard`
  // records, when given).
  void playFromItsStart(const QString& first, std::unique_ptr<SinkRecording>* heard = nullptr) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !title().isEmpty(); }, 5000));
    for (int i = 0; i < 40 && title() != first; ++i) {
      const QString was = title();
      player_->call(u"Next"_s);
      ASSERT_TRUE(QTest::qWaitFor([&] { return title() != was; }, 3000));
    }
    ASSERT_EQ(title(), first);
    player_->call(u"PlayPause"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player_->property("PlaybackStatus").toString() == u"Paused"_s; }, 2000));
    if (heard) {
      *heard = std::make_unique<SinkRecording>(dir_.filePath(u"heard.raw"_s).toStdString());
      ASSERT_TRUE((*heard)->started());
    }
    const QVariant track = player_->property("Metadata").toMap().value(u"mpris:trackid"_s);
    player_->call(u"SetPosition"_s, track, qlonglong{0});  // a seek resumes the pause
  }

  static inline const QString kService = u"org.mpris.MediaPlayer2.lirra"_s;
  PrivateBus bus_;
  QProcess lirra_;
  std::unique_ptr<QDBusConnection> connection_;
  std::unique_ptr<QDBusInterface> player_;
};

QByteArray CueSheet(const QString& audio, int tracks, int seconds) {
  QByteArray sheet = "FILE \"" + audio.toUtf8() + "\" WAVE\r\n";
  for (int k = 0; k < tracks; ++k) {
    const int at = k * seconds;
    sheet += QStringLiteral("  TRACK %1 AUDIO\r\n    TITLE \"Part %1\"\r\n    INDEX 01 %2:%3:00\r\n")
                 .arg(k + 1, 2, 10, QChar(u'0'))
                 .arg(at / 60, 2, 10, QChar(u'0'))
                 .arg(at % 60, 2, 10, QChar(u'0'))
                 .toUtf8();
  }
  return sheet;
}

// A sheet of three two-second tracks and one of thirty one-second tracks over one sweep:
// heard from the first track's start, the sweep's own time runs on with the time heard,
// across every join, to the end of the last track: nothing repeated, nothing skipped, no gap.
TEST_F(GaplessApp, ACueSheetsTracksAreHeardAsOneUnbrokenSweep) {
  struct Sheet {
    int tracks, seconds;
  };
  for (const Sheet& s : {Sheet{3, 2}, Sheet{30, 1}}) {
    SCOPED_TRACE(std::to_string(s.tracks) + " tracks");
    const double total = s.tracks * s.seconds;
    const QString audio = dir_.filePath(u"sweep%1.wav"_s.arg(s.tracks));
    WriteWave(audio, total, SweepAt);
    const QString cue = dir_.filePath(u"album%1.cue"_s.arg(s.tracks));
    {
      QFile f(cue);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(CueSheet(audio, s.tracks, s.seconds));
    }
    const QString list = app_ + u"album%1.m3u"_s.arg(s.tracks);
    {
      QFile f(list);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("#EXTM3U\r\n" + cue.toUtf8() + "\r\n");
    }
    startWithControls(list);
    std::unique_ptr<SinkRecording> recording;
    playFromItsStart(u"Part 01"_s, &recording);
    QTest::qWait(static_cast<int>(total * 1000) + 800);
    const std::vector<float> heard = recording->stop();
    TearDown();

    const testing::Span sound = testing::SoundSpan(heard);
    // The list starts over after its last track, after a pause of up to a second (not
    // joined): the recording may or may not reach it. The album itself was heard whole.
    ASSERT_GE(sound.seconds(), total - 0.02) << "the album was not heard to its end";
    const testing::Span album{sound.begin, sound.begin + static_cast<size_t>((total - 0.01) * testing::kHeardRate)};
    EXPECT_LE(testing::LongestSilenceMs(heard, album), 2.0);
    const std::vector<double> track = testing::FrequencyTrack(heard, album, 0.05);
    int out = 0;
    for (size_t i = 0; i < track.size(); ++i) {
      const double expected = (i + 0.5) * 0.05;
      if (std::fabs(SweepTimeAt(track[i]) - expected) > 0.03 && ++out <= 3)
        ADD_FAILURE() << "at " << i * 0.05 << " s the sweep's " << SweepTimeAt(track[i]) << " s was heard";
    }
    EXPECT_EQ(out, 0);
  }
}

// Three tones, each a track of two seconds: the desktop's metadata and the window's title
// name the next track within 200 ms of its first sound at the sink, and not before it.
TEST_F(GaplessApp, TheTitleFollowsTheJoinWithinATick) {
  const double tones[] = {440, 1000, 2000};
  QByteArray list = "#EXTM3U\r\n";
  for (int i = 0; i < 3; ++i) {
    const QString name = QString(QChar(u'a' + i));
    WriteSine(app_ + name + u".wav"_s, tones[i], 2.0);
    list += name.toUtf8() + ".wav\r\n";
  }
  QFile m3u(app_ + u"tones.m3u"_s);
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly) && m3u.write(list) == list.size());
  m3u.close();
  startWithControls(app_ + u"tones.m3u"_s);
  const QString window = WaitForWindow(lirra_, u"."_s);
  ASSERT_FALSE(window.isEmpty());
  std::unique_ptr<SinkRecording> recording;
  playFromItsStart(u"a"_s, &recording);
  // When each name was first shown, on the recording's clock.
  double named[3][2] = {};
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 5000 && (named[2][0] == 0 || named[2][1] == 0)) {
    const QString shown[2] = {title(), RunTool(u"xdotool"_s, {u"getwindowname"_s, window})};
    const double now = recording->secondsAt(std::chrono::steady_clock::now());
    for (int k = 1; k < 3; ++k)
      for (int where = 0; where < 2; ++where)
        if (named[k][where] == 0 && shown[where] == QString(QChar(u'a' + k))) named[k][where] = now;
  }
  const std::vector<float> heard = recording->stop();
  const std::vector<double> track = testing::FrequencyTrack(heard, {0, heard.size()}, 0.01);
  for (int k = 1; k < 3; ++k) {
    SCOPED_TRACE(k);
    const auto first = std::find_if(track.begin(), track.end(), [&](double hz) { return std::fabs(hz - tones[k]) < 0.05 * tones[k]; });
    ASSERT_NE(first, track.end()) << "the tone was never heard";
    const double heardAt = (first - track.begin()) * 0.01;
    for (int where = 0; where < 2; ++where) {
      EXPECT_GT(named[k][where], 0) << (where ? "window title" : "metadata") << " never named it";
      EXPECT_LE(named[k][where] - heardAt, 0.2) << (where ? "window title" : "metadata");
      EXPECT_GE(named[k][where] - heardAt, -0.05) << (where ? "window title" : "metadata") << " named before heard";
    }
  }
}

}  // namespace
}  // namespace lirra
