// The real lirra program, started from the app folder as the run command starts it.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDirIterator>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cmath>

#include "private_app.h"

namespace lirra {
namespace {

TEST_F(PrivateApp, AFileOnTheCommandLinePlaysToTheSinkAndTheWindowClosesAtItsEnd) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("PULSE_SERVER")) << "the test command starts PulseAudio";
  // However short, a track ends (one under a second once played on for good).
  for (const double seconds : {3.0, 0.4}) {
    SCOPED_TRACE(seconds);
    const QString tone = dir_.filePath(u"tone.wav"_s);
    WriteSine(tone, 40 * 44100.0 / 1024, seconds);  // the centre of spectrum bin 40

    SinkListener sink;
    ASSERT_TRUE(sink.listening());
    QProcess lirra;
    start(lirra, {tone});
    if (seconds > 1) {  // a short one may be over before a look at the window or sink
      const QString window = WaitForWindow(lirra, u"^tone$"_s);
      EXPECT_FALSE(window.isEmpty()) << "the window's title is the track's";
      QFile maps(u"/proc/%1/maps"_s.arg(lirra.processId()));
      ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
      EXPECT_FALSE(maps.readAll().contains("libavcodec")) << "a WAV file plays without FFmpeg";
      EXPECT_GE(sink.msUntil(40, 4000), 0) << "the tone never reached the sink";
    }
    ASSERT_TRUE(lirra.waitForFinished(8000)) << "the window did not close at the end of the track";
    EXPECT_EQ(lirra.exitCode(), 0) << lirra.readAllStandardError().toStdString();
  }
  // The one thing a first run keeps is the skin it picked.
  QFile ini(app_ + u"lirra.ini"_s);
  if (ini.open(QIODevice::ReadOnly)) {
    EXPECT_TRUE(ini.readAll().contains("skin=")) << "written without a change";
  }
}

TEST_F(PrivateApp, AVideoFileOnTheCommandLinePlaysThroughTheVideoLibraryToItsEnd) {
  const QString clip = dir_.filePath(u"clip.avi"_s);
  QProcess ffmpeg;
  ffmpeg.start(u"ffmpeg"_s, {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                            u"testsrc2=s=320x240:r=25:d=2"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                            u"sine=frequency=440:duration=2"_s, u"-c:v"_s, u"mpeg4"_s, u"-c:a"_s,
                            u"libmp3lame"_s, u"-shortest"_s, clip});
  ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
  ASSERT_TRUE(QFile::exists(app_ + u"liborvana.so"_s));

  // An .avi is no engine type: the player hands it to liborvana.so, which plays it; a
  // failed open would stop at a message box instead of ending by itself.
  QProcess lirra;
  start(lirra, {clip});
  EXPECT_FALSE(WaitForWindow(lirra, u"^clip$"_s).isEmpty()) << "the window's title is the clip's";
  ASSERT_TRUE(lirra.waitForFinished(12000)) << "the window did not close at the end of the clip";
  EXPECT_EQ(lirra.exitCode(), 0) << lirra.readAllStandardError().toStdString();
}

// Whatever fails to open alone is reported before the window closes: a missing file, an
// empty one, text under a sound file's name and an address nobody answers (opened once the
// window is up, with or without a window manager). A list holding that address says so
// too, and stays as the user wrote it.
TEST_F(PrivateApp, WhatCannotBePlayedIsReportedAndTheWindowCloses) {
  const QString list = dir_.filePath(u"radio.m3u"_s);
  const QByteArray listText = "#EXTM3U\r\nhttp://127.0.0.1:9/radio.mp3\r\n";
  QFile(dir_.filePath(u"empty.mp3"_s)).open(QIODevice::WriteOnly);
  for (QFile f(dir_.filePath(u"text.ogg"_s)); f.open(QIODevice::WriteOnly);) {
    f.write("not a sound\n");
    break;
  }
  for (QFile f(list); f.open(QIODevice::WriteOnly);) {
    f.write(listText);
    break;
  }
  const struct {
    QString argument, caption;
    bool closes;
  } cases[] = {{dir_.filePath(u"missing.mp3"_s), u"^missing$"_s, true},
               {dir_.filePath(u"empty.mp3"_s), u"^empty$"_s, true},
               {dir_.filePath(u"text.ogg"_s), u"^text$"_s, true},
               {u"http://127.0.0.1:9/radio.mp3"_s, u"^http://127.0.0.1:9/radio.mp3$"_s, true},
               {list, u"^http://127.0.0.1:9/radio.mp3$"_s, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument.toStdString());
    QProcess lirra;
    start(lirra, {c.argument});
    const QString box = WaitForWindow(lirra, c.caption);
    ASSERT_FALSE(box.isEmpty()) << "no message box captioned with the entry's title";
    // The box may take a moment to take keys (no window manager gives it the focus): press
    // Return until the box goes.
    for (int i = 0; i < 20 && lirra.state() != QProcess::NotRunning; ++i) {
      RunTool(u"xdotool"_s, {u"key"_s, u"--window"_s, box, u"Return"_s});
      if (lirra.waitForFinished(400) || (!c.closes && RunTool(u"xdotool"_s, {u"getwindowname"_s, box}).isEmpty())) break;
    }
    if (c.closes) {
      ASSERT_EQ(lirra.state(), QProcess::NotRunning) << "the message was answered, the window stayed";
      EXPECT_EQ(lirra.exitCode(), 0) << lirra.readAllStandardError().toStdString();
    } else {
      lirra.terminate();
      ASSERT_TRUE(lirra.waitForFinished(10000));
      EXPECT_EQ(ReadFile(list), listText) << "the entry that failed is gone from memory only";
    }
  }
}

// A smart-mode start outside the play hours (this schedule has none) ends at once: no
// window, and nothing written to the app folder.
TEST_F(PrivateApp, AnAutoStartOutsideThePlayHoursEndsWithoutAWindowOrAWrite) {
  const QByteArray ini = "[main]\r\nsmart_mode=1100000000\r\n";
  QFile settings(app_ + u"lirra.ini"_s);
  ASSERT_TRUE(settings.open(QIODevice::WriteOnly) && settings.write(ini) == ini.size());
  settings.close();
  const QStringList before = Listing(app_);
  QProcess lirra;
  start(lirra, {u"/AUTO"_s});
  ASSERT_TRUE(lirra.waitForFinished(5000)) << "the smart-mode start kept running";
  EXPECT_EQ(lirra.exitCode(), 0);
  EXPECT_EQ(Listing(app_), before);
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  EXPECT_EQ(settings.readAll(), ini);
}

TEST_F(PrivateApp, ASecondPlayerEndsAtOnceWhileTheFirstRuns) {
  QProcess first;
  start(first, {app_ + u"Demo.m3u"_s});
  // The first player holds the instance lock as soon as it runs; watched through its open
  // files so that looking never takes the lock away from it.
  const auto holdsLock = [&first] {
    const QString fdinfo = u"/proc/%1/fdinfo"_s.arg(first.processId());
    for (const QString& fd : QDir(fdinfo).entryList(QDir::Files)) {
      QFile f(fdinfo + u'/' + fd);
      if (f.open(QIODevice::ReadOnly) && f.readAll().contains("FLOCK")) return true;
    }
    return false;
  };
  QElapsedTimer timer;
  timer.start();
  while (!holdsLock() && timer.elapsed() < 10000) QThread::msleep(50);
  ASSERT_TRUE(holdsLock()) << "the first player never took the lock";
  QProcess second;
  start(second, {dir_.filePath(u"other.wav"_s)});
  ASSERT_TRUE(second.waitForFinished(5000)) << "the second player kept running";
  EXPECT_EQ(second.exitCode(), 0);
  first.terminate();
  ASSERT_TRUE(first.waitForFinished(8000));
}

TEST_F(PrivateApp, OpensOnTheDemoPlaylistAndEndsCleanlyWhenClosed) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"))
      << "needs an X server (the test command starts Xvfb)";
  ASSERT_FALSE(QStandardPaths::findExecutable(u"xdotool"_s).isEmpty());

  // A frame skin of the start size (without one a skin is picked at random).
  QFile ini(app_ + u"lirra.ini"_s);
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write("[main]\r\nskin=Ocean.bmp\r\n") > 0);
  ini.close();
  QProcess lirra;
  start(lirra, {app_ + u"Demo.m3u"_s});

  // Wait for the window to be mapped; it opens at the start size.
  const QString id = WaitForWindow(lirra, u"^Lirra$"_s);
  ASSERT_FALSE(id.isEmpty()) << "no Lirra window appeared";
  EXPECT_EQ(ClickPowerLabel(id), QSize(270, 150));
  ASSERT_TRUE(lirra.waitForFinished(15000)) << "the window did not close";
  EXPECT_EQ(lirra.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(lirra.exitCode(), 0) << lirra.readAllStandardError().toStdString();
}

// Collects the player's PropertiesChanged signals.
class PropertiesChangedRecorder : public QObject {
  Q_OBJECT
 public slots:
  void changed(const QString& interface, const QVariantMap& properties, const QStringList&) {
    if (interface == u"org.mpris.MediaPlayer2.Player"_s) received << properties;
  }

 public:
  QList<QVariantMap> received;
};

// A desktop's media controls on a private session bus: the player answers as
// org.mpris.MediaPlayer2.lirra and its methods drive what the sink plays.
TEST_F(PrivateApp, TheDesktopsMediaControlsDriveWhatTheSinkPlays) {
  int argc = 0;
  QCoreApplication app(argc, nullptr);  // the bus connection's signals arrive through it
  const PrivateBus privateBus(u"controls"_s);
  const QString address = privateBus.address();
  ASSERT_FALSE(address.isEmpty());
  // Three tones, each at the centre of its own spectrum bin, in a list of the app folder.
  const int bins[] = {40, 80, 120};
  QByteArray list = "#EXTM3U\r\n";
  for (int i = 0; i < 3; ++i) {
    const QString name = QString(QChar(u'a' + i));
    WriteSine(app_ + name + u".wav"_s, bins[i] * 44100.0 / 1024, 30.0);
    list += name.toUtf8() + ".wav\r\n";
  }
  QFile m3u(app_ + u"tones.m3u"_s);
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly) && m3u.write(list) == list.size());
  m3u.close();
  SinkListener sink;
  ASSERT_TRUE(sink.listening());

  QProcessEnvironment e = env();
  e.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, address);
  QProcess lirra;
  lirra.setProcessEnvironment(e);
  lirra.start(app_ + u"lirra"_s, {app_ + u"tones.m3u"_s});
  ASSERT_TRUE(lirra.waitForStarted(10000));
  QDBusConnection bus = privateBus.connection();
  const QString service = u"org.mpris.MediaPlayer2.lirra"_s;
  ASSERT_TRUE(QTest::qWaitFor([&] { return bus.interface()->isServiceRegistered(service).value(); }, 10000))
      << "the player never took its name on the bus";
  QDBusInterface player(service, u"/org/mpris/MediaPlayer2"_s, u"org.mpris.MediaPlayer2.Player"_s, bus);
  PropertiesChangedRecorder recorder;
  ASSERT_TRUE(bus.connect(service, u"/org/mpris/MediaPlayer2"_s, u"org.freedesktop.DBus.Properties"_s,
                          u"PropertiesChanged"_s, &recorder,
                          SLOT(changed(QString, QVariantMap, QStringList))));
  const auto title = [&] { return player.property("Metadata").toMap().value(u"xesam:title"_s).toString(); };

  // A list starts at an entry of its own choosing; the sink tells which.
  int first = -1;
  QElapsedTimer started;
  started.start();
  while (first < 0 && started.elapsed() < 5000) {
    const int* hit = std::find(std::begin(bins), std::end(bins), sink.loudestBin());
    if (hit != std::end(bins)) first = static_cast<int>(hit - bins);
    QThread::msleep(5);
  }
  ASSERT_TRUE(first >= 0 && first < 3) << "none of the list's tones played";
  const QString letter = QString(QChar(u'a' + first));
  EXPECT_EQ(player.property("PlaybackStatus").toString(), u"Playing"_s);
  EXPECT_EQ(title(), letter);
  EXPECT_TRUE(player.property("Metadata").toMap().value(u"xesam:url"_s).toString().endsWith(u"/"_s + letter + u".wav"_s));
  EXPECT_EQ(player.property("Metadata").toMap().value(u"mpris:length"_s).toLongLong(), 30'000'000);

  player.call(u"PlayPause"_s);
  EXPECT_GE(sink.msUntil(-1, 2000), 0) << "PlayPause did not pause the sound";
  EXPECT_EQ(player.property("PlaybackStatus").toString(), u"Paused"_s);
  player.call(u"PlayPause"_s);
  EXPECT_GE(sink.msUntil(bins[first], 2000), 0) << "PlayPause did not resume it";

  player.call(u"SetPosition"_s, QVariant::fromValue(QDBusObjectPath(u"/org/lirra/track/%1"_s.arg(first))),
              qlonglong{20'000'000});
  EXPECT_NEAR(player.property("Position").toLongLong() / 1e6, 20.0, 1.5) << "a seek to 0:20";

  recorder.received.clear();
  player.call(u"Next"_s);
  const int next = (first + 1) % 3;
  EXPECT_GE(sink.msUntil(bins[next], 3000), 0) << "Next did not play the list's next entry";
  EXPECT_EQ(title(), QString(QChar(u'a' + next)));
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return std::any_of(recorder.received.begin(), recorder.received.end(), [](const QVariantMap& m) {
      return m.contains(u"Metadata"_s);
    });
  }, 3000)) << "no signal told the desktop of the new track";

  EXPECT_EQ(player.call(u"OpenUri"_s, u"file:///elsewhere.mp3"_s).type(), QDBusMessage::ErrorMessage)
      << "an address from outside is refused, not silently dropped";
  player.call(u"Stop"_s);
  EXPECT_GE(sink.msUntil(-1, 2000), 0) << "Stop left the sound on";
  EXPECT_EQ(player.property("PlaybackStatus").toString(), u"Stopped"_s);
  QDBusInterface(service, u"/org/mpris/MediaPlayer2"_s, u"org.mpris.MediaPlayer2"_s, bus).call(u"Quit"_s);
  ASSERT_TRUE(lirra.waitForFinished(10000)) << "Quit did not end the player";
  EXPECT_EQ(lirra.exitCode(), 0) << lirra.readAllStandardError().toStdString();
}

// `cmake --install` into a scratch prefix: a launcher, valid desktop metadata, and a
// program folder without write permission, so the copy keeps its settings and lists in
// the XDG folders (read from there and written there) and never writes into the prefix.
TEST_F(PrivateApp, AnInstalledCopyKeepsSettingsAndListsInTheXdgFolders) {
  const QString prefix = dir_.filePath(u"prefix"_s);
  QProcess install;
  install.start(QStringLiteral(LIRRA_CMAKE_COMMAND), {u"--install"_s, QStringLiteral(LIRRA_BUILD_DIR), u"--prefix"_s, prefix});
  ASSERT_TRUE(install.waitForFinished(120000) && install.exitCode() == 0) << install.readAllStandardError().toStdString();
  EXPECT_EQ(QFileInfo(prefix + u"/bin/lirra"_s).canonicalFilePath(), QFileInfo(prefix + u"/lib/lirra/lirra"_s).canonicalFilePath());
  EXPECT_TRUE(QFile::exists(prefix + u"/share/icons/hicolor/48x48/apps/lirra.png"_s));
  EXPECT_FALSE(QFile::exists(prefix + u"/lib/lirra/lirra.ini"_s)) << "no settings of a build's run are installed";
  EXPECT_EQ(QFileInfo(prefix + u"/lib/lirra"_s).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther), 0);
  for (const auto& [tool, args] : {std::pair{u"desktop-file-validate"_s, QStringList{prefix + u"/share/applications/lirra.desktop"_s}},
                                   std::pair{u"appstreamcli"_s, QStringList{u"validate"_s, u"--no-net"_s,
                                             prefix + u"/share/metainfo/org.lirra.Lirra.metainfo.xml"_s}}}) {
    QProcess check;
    check.start(tool, args);
    ASSERT_TRUE(check.waitForFinished(30000)) << tool.toStdString() << " (the install script adds it)";
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
  }

  // The user's folders: settings naming a frame skin of the start size, and a list of one tone.
  const QString config = dir_.filePath(u"config"_s), data = dir_.filePath(u"userdata"_s);
  ASSERT_TRUE(QDir().mkpath(config + u"/lirra"_s) && QDir().mkpath(data + u"/lirra"_s));
  QFile ini(config + u"/lirra/lirra.ini"_s);
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write("[main]\r\nskin=Ocean.bmp\r\n") > 0);
  ini.close();
  WriteSine(dir_.filePath(u"tone.wav"_s), 40 * 44100.0 / 1024, 20.0);
  QFile list(data + u"/lirra/Mine.m3u"_s);
  ASSERT_TRUE(list.open(QIODevice::WriteOnly) && list.write(dir_.filePath(u"tone.wav"_s).toUtf8() + "\r\n") > 0);
  list.close();
  const QStringList before = Listing(prefix);

  SinkListener sink;
  ASSERT_TRUE(sink.listening());
  QProcessEnvironment e = env();
  e.insert(u"XDG_CONFIG_HOME"_s, config);
  e.insert(u"XDG_DATA_HOME"_s, data);
  QProcess lirra;
  lirra.setProcessEnvironment(e);
  lirra.start(prefix + u"/bin/lirra"_s, {});
  ASSERT_TRUE(lirra.waitForStarted(10000));
  EXPECT_GE(sink.msUntil(40, 8000), 0) << "the list of the data folder did not play";
  const QString window = WaitForWindow(lirra, u"."_s);
  ASSERT_FALSE(window.isEmpty());
  EXPECT_EQ(ClickPowerLabel(window), QSize(270, 150)) << "the skin the settings name";
  ASSERT_TRUE(lirra.waitForFinished(15000)) << "the window did not close";
  EXPECT_EQ(lirra.exitCode(), 0) << lirra.readAllStandardError().toStdString();

  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_TRUE(ini.readAll().contains("m3u=Mine.m3u")) << "the settings remember the list, in the config folder";
  EXPECT_TRUE(QFile::exists(config + u"/lirra/lirra.dat"_s));
  EXPECT_TRUE(QFileInfo(data + u"/lirra/Plugins/Lyrics"_s).isDir());
  EXPECT_EQ(Listing(prefix), before) << "the installed folder stays as installed";
}

TEST_F(PrivateApp, SaysPlainlyWhenThereIsNoDisplay) {
  QProcessEnvironment env = this->env();
  env.remove(u"DISPLAY"_s);
  env.remove(u"WAYLAND_DISPLAY"_s);
  QProcess lirra;
  lirra.setProcessEnvironment(env);
  lirra.start(app_ + u"lirra"_s, {app_ + u"Demo.m3u"_s});
  ASSERT_TRUE(lirra.waitForFinished(15000));
  EXPECT_EQ(lirra.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(lirra.exitCode(), 1);
  EXPECT_TRUE(lirra.readAllStandardError().contains("no display to show the window on"));

  env.insert(u"DISPLAY"_s, u":4242"_s);  // a display nobody serves
  lirra.setProcessEnvironment(env);
  lirra.start(app_ + u"lirra"_s, {});
  ASSERT_TRUE(lirra.waitForFinished(15000));
  EXPECT_EQ(lirra.exitCode(), 1);
  EXPECT_TRUE(lirra.readAllStandardError().contains("cannot be reached"));
}

}  // namespace
}  // namespace lirra

#include "app_process_test.moc"
