// Capture devices as a host sees them, with the test's camera registered the way a real one
// appears.
#include <algorithm>

#include "fake_camera.h"
#include "orvana_host_fixture.h"

using namespace orvana_host;

TEST_F(OrvanaHost, VideoInputDevicesAreListedWithTheirNames) {
  ASSERT_TRUE(RegisterFakeCamera());
  OrvanaLibrary& o = Lib();
  OrvanaCaptureDeviceEntry entry{"untouched", "untouched"};
  ASSERT_EQ(o.Orvana_Capture_EnumVideoDevice(0, &entry), ORVANA_TRUE);
  EXPECT_STREQ(entry.friendlyName, kFakeCameraName);
  EXPECT_STREQ(entry.classId, "{00000000-0000-0000-0000-000000000000}") << "GStreamer devices name no class";
  // Past the end, before the start and without an entry: false, the entry left alone.
  OrvanaCaptureDeviceEntry kept{"kept", "kept"};
  for (int32_t index : {1, -1, INT32_MAX}) EXPECT_EQ(o.Orvana_Capture_EnumVideoDevice(index, &kept), ORVANA_FALSE);
  EXPECT_STREQ(kept.friendlyName, "kept");
  EXPECT_EQ(o.Orvana_Capture_EnumVideoDevice(0, nullptr), ORVANA_FALSE);
}

TEST_F(OrvanaHost, ACameraIsShownAndRecordedToNumberedFilesThatPlayBack) {
  ASSERT_TRUE(RegisterFakeCamera());
  OrvanaLibrary& o = Lib();
  ASSERT_EQ(Load("video.mp4"), 0);
  EXPECT_EQ(o.Orvana_Capture_OpenVideoDevice(0, owner_.winId(), 0, nullptr), ORVANA_FALSE) << "not in mode 0";
  EXPECT_EQ(o.Orvana_GetSeconds(4), 4) << "and the open file is left alone";
  ASSERT_NE(o.Orvana_SetConfig(256, 4), 0);
  EXPECT_EQ(Load("video.mp4"), ORVANA_S_FALSE) << "files are not loaded in the capture mode";
  for (int32_t index : {-1, 1}) EXPECT_EQ(o.Orvana_Capture_OpenVideoDevice(0, owner_.winId(), index, nullptr), ORVANA_FALSE);

  // Preview: the test picture's colour bars (light grey first, blue last) in the letter-box.
  ASSERT_EQ(o.Orvana_Capture_OpenVideoDevice(0, owner_.winId(), 0, nullptr), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Info().hasVideo != 0; }, 3000));
  EXPECT_EQ(Info().width, 320);
  const auto barsShown = [&] {
    const QColor first = ScreenPixel(owner_, {20, 150}), last = ScreenPixel(owner_, {385, 150});
    return first.red() > 150 && first.green() > 150 && first.blue() > 150 && last.blue() > 150 && last.red() < 80;
  };
  EXPECT_TRUE(QTest::qWaitFor(barsShown, 3000))
      << "the camera's picture on the screen: " << ScreenPixel(owner_, {20, 150}).name().toStdString() << " "
      << ScreenPixel(owner_, {385, 150}).name().toStdString();
  // The digital zoom shows the middle half: from the second bar (yellow) to the sixth (red).
  o.Orvana_SetDigitalZoom(50);
  EXPECT_TRUE(QTest::qWaitFor([&] {
    const QColor first = ScreenPixel(owner_, {20, 150}), last = ScreenPixel(owner_, {385, 150});
    return first.red() > 150 && first.green() > 150 && first.blue() < 80 && last.red() > 150 && last.blue() < 80;
  }, 3000)) << ScreenPixel(owner_, {20, 150}).name().toStdString() << " " << ScreenPixel(owner_, {385, 150}).name().toStdString();
  // A snapshot is the camera's own 320 x 240 picture, whatever the zoom: the first bar
  // light, the last blue.
  const QByteArray shot = Snapshot(u"camera.bmp"_s);
  ASSERT_EQ(shot.size(), 26 + 320 * 3 * 240);
  const auto bgr = [&](int x) { return reinterpret_cast<const uint8_t*>(shot.constData()) + 26 + 120 * 960 + x * 3; };
  EXPECT_GT(std::min({bgr(20)[0], bgr(20)[1], bgr(20)[2]}), 150);
  EXPECT_GT(bgr(300)[0], 150);
  EXPECT_LT(bgr(300)[2], 80);
  o.Orvana_SetDigitalZoom(0);
  EXPECT_TRUE(QTest::qWaitFor(barsShown, 3000));

  // Recording: files 1.avi and 2.avi in the host's folder, each a video with sound.
  const QString folder = QCoreApplication::applicationDirPath() + u'/';
  for (const char* name : {"1.avi", "2.avi"}) QFile::remove(folder + QLatin1String(name));
  for (const char* name : {"1.avi", "2.avi"}) {
    ASSERT_EQ(o.Orvana_Capture_OpenVideoDevice(1, owner_.winId(), 0, nullptr), ORVANA_TRUE) << name;
    QTest::qWait(1000);
    ASSERT_EQ(o.Orvana_MediaState(ORVANA_STOP), ORVANA_TRUE);
    static std::vector<std::string> lines;
    lines.clear();
    o.Orvana_GetMediaInfo((folder + QLatin1String(name)).toUtf8().constData(),
                          [](const char* line) { lines.emplace_back(line); });
    ASSERT_EQ(lines.size(), 2u) << name;
    EXPECT_EQ(lines[0], "Video: MJPG, Format: VideoInfo MJPG 320 X 240, 24 bits") << name;
    EXPECT_EQ(lines[1].rfind("Audio: PCM", 0), 0u) << lines[1];
  }
  EXPECT_EQ(o.Orvana_Capture_OpenVideoDevice(2, owner_.winId(), 0, nullptr), ORVANA_TRUE) << "other modes: nothing run";
  // A recording plays back as a file.
  ASSERT_NE(o.Orvana_SetConfig(256, 0), 0);
  ASSERT_EQ(o.Orvana_MediaLoad(1, owner_.winId(), (folder + u"1.avi"_s).toUtf8().constData(), 0, nullptr), 0);
  EXPECT_EQ(Info().width, 320);
  EXPECT_TRUE(QTest::qWaitFor(barsShown, 3000)) << "the recorded picture on the screen";
}

// A stopped recording is finished and kept; playing again shows the camera live and records
// to the next numbered file. A recording that cannot start takes no number.
TEST_F(OrvanaHost, ARecordingStoppedAndPlayedAgainGoesOnInTheNextFile) {
  ASSERT_TRUE(RegisterFakeCamera());
  OrvanaLibrary& o = Lib();
  ASSERT_NE(o.Orvana_SetConfig(256, 4), 0);
  const QString folder = QCoreApplication::applicationDirPath() + u'/';
  const auto file = [&](int n) { return QFileInfo(folder + QString::number(n) + u".avi"_s); };
  for (int n = 1; n <= 4; ++n) QFile::remove(file(n).filePath());

  ASSERT_EQ(o.Orvana_Capture_OpenVideoDevice(1, owner_.winId(), 0, RecordEvent), ORVANA_TRUE);
  QTest::qWait(800);
  ASSERT_EQ(o.Orvana_MediaState(ORVANA_STOP), ORVANA_TRUE);
  const qint64 first = file(1).size();
  ASSERT_GT(first, 10000);
  g_events.clear();
  ASSERT_EQ(o.Orvana_MediaState(ORVANA_PLAY), ORVANA_TRUE);
  EXPECT_TRUE(QTest::qWaitFor([&] { return file(2).size() > 10000; }, 3000)) << "the next file grows";
  const qint64 growing = file(2).size();
  EXPECT_TRUE(QTest::qWaitFor([&] { return file(2).size() > growing; }, 3000)) << "the camera runs";
  EXPECT_EQ(o.Orvana_IsActive(), ORVANA_STATE_RUNNING);
  EXPECT_EQ(file(1).size(), first) << "the finished recording is left as it was";
  EXPECT_TRUE(std::none_of(g_events.begin(), g_events.end(), [](auto& e) { return e.first == ORVANA_EC_COMPLETE; }))
      << EventCodes();
  ASSERT_EQ(o.Orvana_MediaState(ORVANA_STOP), ORVANA_TRUE);

  EXPECT_EQ(o.Orvana_Capture_OpenVideoDevice(1, 0x7ffffff0, 0, nullptr), ORVANA_FALSE) << "no such window";
  ASSERT_EQ(o.Orvana_Capture_OpenVideoDevice(1, owner_.winId(), 0, nullptr), ORVANA_TRUE);
  QTest::qWait(500);
  ASSERT_EQ(o.Orvana_MediaState(ORVANA_STOP), ORVANA_TRUE);
  EXPECT_TRUE(file(3).exists());
  EXPECT_FALSE(file(4).exists());
  static std::vector<std::string> lines;
  lines.clear();
  o.Orvana_GetMediaInfo(file(2).filePath().toUtf8().constData(), [](const char* line) { lines.emplace_back(line); });
  EXPECT_EQ(lines.size(), 2u) << "the second recording is whole: picture and sound";
}
