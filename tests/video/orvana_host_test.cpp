// Orvana driven by a small host: the exports, playback and its events, sound at the sink,
// addresses and bad arguments.
#include "http_server.h"
#include "orvana_host_fixture.h"

namespace orvana_host {
namespace {

TEST(OrvanaExports, ExactlyTheFiftyNineAndNothingBeforeInit) {
  QProcess nm;
  nm.start(u"nm"_s, {u"-D"_s, u"--defined-only"_s, QStringLiteral(LIRRA_APP_DIR "/liborvana.so")});
  ASSERT_TRUE(nm.waitForFinished(30000));
  int orvana = 0, other = 0;
  for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> f = line.simplified().split(' ');
    if (f.size() < 3 || f[1] == "A") continue;  // version nodes
    (f[2].startsWith("Orvana_") ? orvana : other)++;
  }
  EXPECT_EQ(orvana, 59);
  EXPECT_EQ(other, 0);

  ASSERT_TRUE(Lib().bind(kOrvanaLibrary));
  OrvanaLibrary& o = Lib();
  EXPECT_EQ(o.Orvana_GetVolume(), 0);
  EXPECT_EQ(o.Orvana_GraphMode(), 0);
  EXPECT_EQ(o.Orvana_MediaState(0), 0);
  EXPECT_EQ(o.Orvana_SetConfig(256, 1), 0);
  EXPECT_EQ(o.Orvana_GetSeconds(4), 0);
  uint8_t pcm[4] = {1, 2, 3, 4};
  EXPECT_EQ(o.Orvana_SetChannel(pcm, 4, 1, 16), 0);
  EXPECT_EQ(pcm[2], 3) << "nothing done before Orvana_Init";
}

TEST_F(OrvanaHost, DefaultsAndCallsWithNothingOpen) {
  OrvanaLibrary& o = Lib();
  EXPECT_EQ(o.Orvana_GraphMode(), 0);
  EXPECT_EQ(o.Orvana_GetVolume(), 10000);
  EXPECT_EQ(o.Orvana_GetBalance(), 0);
  o.Orvana_SetVolume(5000);
  EXPECT_EQ(o.Orvana_GetVolume(), 10000) << "without media the volume is not even stored";
  EXPECT_EQ(o.Orvana_MediaState(4), ORVANA_FALSE) << "close with nothing open";
  EXPECT_EQ(o.Orvana_IsActive(), 0);
  OrvanaBSTR text = nullptr;
  o.Orvana_GetTime(&text, 2);
  EXPECT_EQ(text, nullptr);
  o.Orvana_GetEventCode(&text, ORVANA_EC_PAUSED);  // needs no media
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(QString::fromUtf16(text, OrvanaStringLength(text)), u"EC_PAUSED - A pause request has completed."_s);
  OrvanaFreeString(text);
  text = nullptr;
  OrvanaVideoInfo info{7, 8, 9};
  o.Orvana_GetVideoInfo(&info);
  EXPECT_EQ(info.width, 7) << "the record is left alone";
  uint8_t pcm[4] = {1, 2, 3, 4};
  EXPECT_EQ(o.Orvana_SetChannel(pcm, 4, 1, 16), ORVANA_TRUE);
  EXPECT_EQ(pcm[2], 1);
  EXPECT_EQ(o.Orvana_SetConfig(256, 4), 1);
  EXPECT_EQ(Load("tone.ogg"), ORVANA_S_FALSE) << "capture mode opens no files";
}

TEST_F(OrvanaHost, AudioOnlyMediaPlaysWithSettingsTimesAndEventsOnTheUiThread) {
  OrvanaLibrary& o = Lib();
  ASSERT_EQ(Load("tone.ogg", RecordEvent), 0);
  OrvanaVideoInfo info = Info();
  EXPECT_EQ(info.hasVideo, 0);
  EXPECT_EQ(o.Orvana_GetSeconds(4), 2);
  EXPECT_EQ(o.Orvana_GetSeconds(5), 0);
  OrvanaBSTR text = nullptr;
  o.Orvana_GetTime(&text, 2);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(QString::fromUtf16(text, OrvanaStringLength(text)), u"00:02"_s);
  o.Orvana_GetTime(&text, 7);  // not a kind: the variable keeps its string
  EXPECT_EQ(QString::fromUtf16(text, OrvanaStringLength(text)), u"00:02"_s);
  OrvanaFreeString(text);

  o.Orvana_SetVolume(20000);
  EXPECT_EQ(o.Orvana_GetVolume(), 10000);
  o.Orvana_SetVolume(-5);
  EXPECT_EQ(o.Orvana_GetVolume(), 0);
  o.Orvana_SetVolume(10000);
  o.Orvana_SetBalance(-20000);
  EXPECT_EQ(o.Orvana_GetBalance(), -10000);
  o.Orvana_SetBalance(0);

  EXPECT_EQ(o.Orvana_MediaState(256), ORVANA_TRUE) << "only the low byte counts: play";
  ASSERT_TRUE(QTest::qWaitFor([&] { return o.Orvana_IsActive() == ORVANA_STATE_RUNNING; }, 3000));
  // A pause that completes is told, also one asked while already paused.
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(o.Orvana_MediaState(1), ORVANA_TRUE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !g_events.empty(); }, 2000)) << "pause " << i;
    EXPECT_EQ(g_events.front().first, ORVANA_EC_PAUSED);
    EXPECT_EQ(g_events.front().second, QThread::currentThreadId());
    g_events.clear();
  }
  EXPECT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !g_events.empty(); }, 6000)) << "end of stream";
  EXPECT_EQ(g_events.front().first, ORVANA_EC_COMPLETE);
  EXPECT_EQ(g_events.front().second, QThread::currentThreadId()) << "delivered on the host's thread";
  EXPECT_EQ(o.Orvana_MediaState(2), ORVANA_TRUE);
  EXPECT_EQ(o.Orvana_IsActive(), ORVANA_STATE_STOPPED);
  EXPECT_EQ(o.Orvana_MediaState(4), ORVANA_TRUE);
  EXPECT_EQ(o.Orvana_MediaState(4), ORVANA_FALSE);
}

TEST_F(OrvanaHost, BrokenAndMissingFilesFailWithTheErrorBox) {
  OrvanaLibrary& o = Lib();
  BoxAnswerer boxes;
  const int32_t broken = Load("broken.mp4");
  EXPECT_LT(broken, 0);
  const int32_t missing = Load("missing.mp4");
  EXPECT_EQ(missing, ORVANA_VFW_E_NOT_FOUND);
  ASSERT_EQ(boxes.titles.size(), 2);
  EXPECT_EQ(boxes.titles[0], u"Error"_s);
  EXPECT_EQ(boxes.texts[1], u"Error Code: $80040216"_s);
  o.Orvana_SetMsgBoxTextLang(1);
  Load("missing.mp4");
  ASSERT_EQ(boxes.titles.size(), 3);
  EXPECT_EQ(boxes.titles[2], u"错误"_s);
  o.Orvana_SetMsgBoxTextLang(0);
}

extern "C" uint32_t OrvanaLengthFromC(const char16_t* text, uint32_t length);

// Addresses reach GStreamer as addresses; arguments no caller should send do no harm.
TEST_F(OrvanaHost, NetworkAddressesPlayAndBadArgumentsAreRefused) {
  EXPECT_EQ(OrvanaLengthFromC(u"abc", 3), 3u) << "the header works from C";
  OrvanaLibrary& o = Lib();
  BoxAnswerer boxes;  // a failed load's error box is answered
  EXPECT_EQ(o.Orvana_MediaLoad(0, 0x7ffffff0, MediaFile("video.mp4").toUtf8().constData(), 0, nullptr),
            ORVANA_E_INVALIDARG) << "a window id nobody has is refused before a sink draws into it";
  QFile mp3(MediaFile("left.mp3"));
  ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
  lirra::testing::HttpServer server(lirra::testing::HttpServer::Mode::File, mp3.readAll().toStdString());
  ASSERT_EQ(o.Orvana_MediaLoad(0, owner_.winId(), server.url("/left.mp3").c_str(), 0, nullptr), 0)
      << "an http:// address is played, not looked for as a file";
  EXPECT_NEAR(o.Orvana_GetSeconds(4), 10, 1);
  EXPECT_GE(server.requests(), 1);
  // Each odd place on its own: where it leaves the stream.
  const auto secondsAfter = [&](const std::function<void()>& call) {
    call();
    QTest::qWait(300);
    return o.Orvana_GetSeconds(3);
  };
  ASSERT_EQ(secondsAfter([&] { o.Orvana_SetPosition(5); }), 5) << "the address is sought";
  EXPECT_EQ(secondsAfter([&] { o.Orvana_SetPosition(std::nan("")); }), 5) << "not a number: no move";
  EXPECT_EQ(secondsAfter([&] { o.Orvana_FastForward(INT32_MIN); }), 0) << "far before the start: the start";
  EXPECT_GE(secondsAfter([&] { o.Orvana_SetPosition(1e300); }), 9) << "far past the end: the end";
  EXPECT_GE(secondsAfter([&] { o.Orvana_FastBack(INT32_MIN); }), 9) << "a back step of -2^31 s goes forwards";

  EXPECT_EQ(o.Orvana_MediaLoad(0, owner_.winId(), "", 0, nullptr), ORVANA_E_INVALIDARG) << "no name is no file";
  EXPECT_EQ(o.Orvana_MediaLoad(0, owner_.winId(), nullptr, 0, nullptr), ORVANA_E_INVALIDARG);
}

TEST_F(OrvanaHost, MidiPlaysThroughTheSoftwareSynthesizer) {
  OrvanaLibrary& o = Lib();
  ASSERT_EQ(Load("tune.mid"), 0);
  OrvanaVideoInfo info = Info();
  EXPECT_EQ(info.hasVideo, 0);
  EXPECT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return o.Orvana_IsActive() == ORVANA_STATE_RUNNING; }, 3000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) >= 1; }, 4000)) << "time runs";
}

std::vector<std::string> g_dropped;

void RecordDrop(const char* text) { g_dropped.emplace_back(text); }

TEST_F(OrvanaHost, TextDroppedOnTheWindowReachesTheHostAndTheTrayCommandsAnswer) {
  OrvanaLibrary& o = Lib();
  o.Orvana_Free();
  ASSERT_EQ(o.Orvana_Init(owner_.winId(), RecordDrop), ORVANA_TRUE);
  EXPECT_TRUE(owner_.acceptDrops());
  QMimeData data;
  data.setText(u"http://radio.example/live"_s);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&owner_, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&owner_, &drop);
  ASSERT_EQ(g_dropped.size(), 1u);
  EXPECT_EQ(g_dropped[0], "http://radio.example/live");
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(u"/music/a.mp3"_s), QUrl::fromLocalFile(u"/music/b.mp3"_s)});
  QDragEnterEvent fileEnter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&owner_, &fileEnter);
  QDropEvent fileDrop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&owner_, &fileDrop);
  ASSERT_EQ(g_dropped.size(), 2u);
  EXPECT_EQ(g_dropped[1], "/music/a.mp3\r\n/music/b.mp3");
  o.Orvana_Free();
  EXPECT_FALSE(owner_.acceptDrops()) << "the window takes no drops after Orvana_Free";
  ASSERT_EQ(o.Orvana_Init(owner_.winId(), nullptr), ORVANA_TRUE);
  QDragEnterEvent ownEnter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&owner_, &ownEnter);
  EXPECT_FALSE(ownEnter.isAccepted()) << "no drop callback: the window's own drag handling decides";

  EXPECT_EQ(o.Orvana_CDROM_State("E", 2), 0) << "neither open nor close: nothing sent";
  EXPECT_EQ(o.Orvana_CDROM_State("/nonexistent/drive", 0), 0) << "no drive to open";
  const QString notADrive = MediaFile("tone.ogg");
  EXPECT_EQ(o.Orvana_CDROM_State(notADrive.toUtf8().constData(), 0), ORVANA_TRUE)
      << "opened, but it has no door to open";
}

TEST_F(OrvanaHost, SeeksRateStepLimitsZoomAndFullScreen) {
  OrvanaLibrary& o = Lib();
  ASSERT_EQ(Load("video.mp4", RecordEvent), 0);
  o.Orvana_SetPosition(2.0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 2; }, 3000)) << "an absolute seek";
  o.Orvana_FastBack(5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 0; }, 3000)) << "back past the start: the start";
  o.Orvana_FastForward(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 1; }, 3000));
  g_events.clear();
  o.Orvana_StepOneFrame();
  EXPECT_TRUE(QTest::qWaitFor([&] {
    for (auto& e : g_events) if (e.first == ORVANA_EC_STEP_COMPLETE) return true;
    return false;
  }, 3000)) << "a frame step reports its end";
  // Two seconds of the medium, from 1 s to 3 s: at twice the speed about a second less. The
  // sound server's start-up adds a few hundred ms that differ between the rates. A rate
  // change that seeks from where the last run ended (3 s) would end almost at once.
  const auto playOneToThree = [&](double rate) {
    EXPECT_EQ(o.Orvana_SetStartStopPosition(1, 3), ORVANA_TRUE);
    o.Orvana_SetRate(rate);
    g_events.clear();
    QElapsedTimer played;
    played.start();
    EXPECT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !g_events.empty() && g_events.back().first == ORVANA_EC_COMPLETE; }, 5000))
        << "playing stops at the stop position; events: " << EventCodes() << "at " << o.Orvana_GetSeconds(3)
        << " s, state " << o.Orvana_IsActive();
    const qint64 ms = played.elapsed();
    EXPECT_EQ(o.Orvana_GetSeconds(3), 3) << "ended at the stop position, before the medium's end";
    EXPECT_EQ(o.Orvana_MediaState(2), ORVANA_TRUE) << "stop: the rate goes back to 1";
    return ms;
  };
  playOneToThree(1.0);  // wakes the sound server's idle sink, which takes up to a second or so
  const qint64 once = playOneToThree(1.0), twice = playOneToThree(2.0);
  EXPECT_GT(once - twice, 700) << once << " ms at rate 1, " << twice << " ms at rate 2";
  EXPECT_LT(once - twice, 2100) << once << " ms at rate 1, " << twice << " ms at rate 2";
  o.Orvana_MediaState(ORVANA_REWIND);
  EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 0; }, 3000)) << "rewound to the start";

  // Full screen in and out with the same call.
  QWidget* video = VideoWindow();
  ASSERT_NE(video, nullptr);
  
  EXPECT_EQ(o.Orvana_StartFullScreen(), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return video->isFullScreen(); }, 3000));
  // The host hears a double click and a key on the full-screen picture (through the X
  // server), the click where it lies in the host's window.
  struct Heard : QObject {
    std::vector<std::pair<QEvent::Type, QPoint>> events;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::MouseButtonDblClick) events.push_back({e->type(), static_cast<QMouseEvent*>(e)->pos()});
      if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
        events.push_back({e->type(), {}});
      return false;
    }
  } heard;
  owner_.installEventFilter(&heard);

  const QPoint at = video->mapToGlobal(QPoint(300, 200));
  for (const QStringList& input : {QStringList{u"mousemove"_s, QString::number(at.x()), QString::number(at.y())},
                                   QStringList{u"click"_s, u"--repeat"_s, u"2"_s, u"1"_s}, QStringList{u"key"_s, u"Escape"_s}}) {
    QProcess xdo;
    xdo.start(u"xdotool"_s, input);
    ASSERT_TRUE(QTest::qWaitFor([&] { return xdo.state() == QProcess::NotRunning; }, 5000));
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return heard.events.size() >= 2; }, 3000)) << heard.events.size();
  ASSERT_GE(heard.events.size(), 2u);
  EXPECT_EQ(heard.events[0], std::pair(QEvent::MouseButtonDblClick, owner_.mapFromGlobal(at)));
  EXPECT_EQ(heard.events.back().first, QEvent::KeyPress);
  owner_.removeEventFilter(&heard);
  EXPECT_EQ(o.Orvana_StartFullScreen(), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !video->isWindow(); }, 3000));
  EXPECT_EQ(video->parentWidget(), &owner_);
  EXPECT_EQ(video->geometry(), QRect(0, 50, 400, 300)) << "back in its letter-box";

  // Closing the full-screen picture brings it back and tells the host the user ended it.
  EXPECT_EQ(o.Orvana_StartFullScreen(), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return video->isFullScreen(); }, 3000));
  g_events.clear();
  video->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !g_events.empty() && g_events.back().first == ORVANA_EC_USERABORT; }, 3000))
      << EventCodes();
  EXPECT_EQ(video->parentWidget(), &owner_);
  EXPECT_TRUE(video->isVisible());
}

TEST_F(OrvanaHost, FileNamesAreCutAt259Characters) {
  // A name of 259 characters names the file; with more, only the first 259 count.
  QString dir = Media().filePath(u"n"_s);
  QString name = dir + u'/' + QString(259 - dir.size() - 1 - 4, u'a') + u".ogg"_s;
  ASSERT_EQ(name.size(), 259);
  QDir().mkpath(dir);
  ASSERT_TRUE(QFile::copy(MediaFile("tone.ogg"), name));
  const QByteArray longer = (name + u"-and-more"_s).toUtf8();
  EXPECT_EQ(Lib().Orvana_MediaLoad(0, owner_.winId(), longer.constData(), 0, nullptr), 0);
  EXPECT_EQ(Lib().Orvana_GetSeconds(4), 2);
}

TEST_F(OrvanaHost, TheDualChannelChoiceOfMpegAudioIsHeardAtTheSink) {
  OrvanaLibrary& o = Lib();
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("LIRRA_TEST_SINK")) << "the test command starts PulseAudio";
  EXPECT_EQ(o.Orvana_SetMpegAudioChannel(1), ORVANA_S_FALSE) << "nothing open";
  ASSERT_EQ(Load("tone.ogg"), 0);
  EXPECT_EQ(o.Orvana_SetMpegAudioChannel(1), ORVANA_S_FALSE) << "Vorbis: no MPEG audio decoder";
  // The choice puts one channel of a stream coded as two mono channels on both; ordinary
  // stereo MPEG audio keeps its channels.
  for (const char* name : {"dual.mp2", "left.mp3"}) {
    const bool dual = std::strcmp(name, "dual.mp2") == 0;
    ASSERT_EQ(Load(name), 0);
    ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
    QTest::qWait(300);
    auto [left, right] = SinkLevels();
    EXPECT_GT(left, 1000) << name << ": the tone is on the left";
    EXPECT_LT(right, 100) << name;
    // What is already on its way to the sink plays out first.
    EXPECT_EQ(o.Orvana_SetMpegAudioChannel(1), ORVANA_S_OK);  // the left on both
    QTest::qWait(1500);
    std::tie(left, right) = SinkLevels();
    if (dual)
      EXPECT_GT(right, 1000) << "the left channel now plays on the right too";
    else
      EXPECT_LT(right, 100) << "ordinary stereo is not collapsed";
    EXPECT_EQ(o.Orvana_SetMpegAudioChannel(2), ORVANA_S_OK);  // the (silent) right on both
    QTest::qWait(1500);
    std::tie(left, right) = SinkLevels();
    EXPECT_LT(right, 100) << name;
    if (dual)
      EXPECT_LT(left, 100) << "the silent right on both";
    else
      EXPECT_GT(left, 1000) << "ordinary stereo keeps its left";
    EXPECT_EQ(o.Orvana_SetMpegAudioChannel(0), ORVANA_S_OK);
  }
}

// Surround and float sound reach the sound server in their own format: the stream the server
// shows for the player.
TEST_F(OrvanaHost, SurroundFloatSoundKeepsItsFormatToTheSink) {
  ASSERT_EQ(Load("surround.wav"), 0);
  ASSERT_EQ(Lib().Orvana_MediaState(0), ORVANA_TRUE);
  QString streams;
  EXPECT_TRUE(QTest::qWaitFor([&] {
    QProcess pactl;
    pactl.start(u"pactl"_s, {u"list"_s, u"sink-inputs"_s});
    pactl.waitForFinished(5000);
    streams = QString::fromUtf8(pactl.readAllStandardOutput());
    return streams.contains(u"Sample Specification:"_s);
  }, 3000));
  EXPECT_TRUE(streams.contains(u"Sample Specification: float32le 6ch 48000Hz"_s)) << streams.toStdString();
}

// Volume, balance and mute as heard: the left-only tone's level at the sink.
TEST_F(OrvanaHost, VolumeBalanceAndMuteAreHeardAtTheSink) {
  OrvanaLibrary& o = Lib();
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("LIRRA_TEST_SINK")) << "the test command starts PulseAudio";
  ASSERT_EQ(Load("left.mp3"), 0);
  ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  QTest::qWait(300);
  const double full = SinkLevels().first;
  ASSERT_GT(full, 1000);
  const auto leftAfter = [&](const std::function<void()>& change) {
    change();
    QTest::qWait(1500);  // what is already on its way to the sink plays out first
    return SinkLevels().first;
  };
  const double half = leftAfter([&] { o.Orvana_SetVolume(5000); });
  EXPECT_LT(half, full * 0.5) << "volume 5000 of 10000 is quieter";
  EXPECT_GT(half, 0.0);
  // The interface's sign: a negative balance applies a positive attenuation, which falls on
  // the left channel.
  EXPECT_LT(leftAfter([&] {
              o.Orvana_SetVolume(10000);
              o.Orvana_SetBalance(-10000);
            }),
            100)
      << "balance -10000 silences the left";
  EXPECT_LT(leftAfter([&] {
              o.Orvana_SetBalance(0);
              o.Orvana_Mute();
            }),
            100)
      << "muted";
  EXPECT_GT(leftAfter([&] { o.Orvana_Mute(); }), full * 0.7) << "the second mute gives the sound back";
}

}  // namespace
}  // namespace orvana_host
