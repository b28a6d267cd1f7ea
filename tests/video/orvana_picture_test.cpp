// Orvana's pictures: letter-boxing in the owner, snapshots, size changes, the windowless
// renderers with their effects, and the digital zoom, read from the screen.
#include "orvana_host_fixture.h"

namespace orvana_host {
namespace {

TEST_F(OrvanaHost, AVideoIsLetterBoxedInTheOwnerAndCapturedByteForByte) {
  OrvanaLibrary& o = Lib();
  ASSERT_EQ(Load("video.mp4"), 0);
  OrvanaVideoInfo info = Info();
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_EQ(info.hasVideo, ORVANA_TRUE);
  ASSERT_NE(VideoWindow(), nullptr);
  EXPECT_EQ(VideoWindow()->geometry(), QRect(0, 50, 400, 300)) << "640 x 480 letter-boxed into 400 x 400";
  ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  QTest::qWait(700);

  // What is on the screen: the red picture between black bars.
  const QImage shot = owner_.screen()->grabWindow(owner_.winId()).toImage();
  ASSERT_EQ(shot.size(), QSize(400, 400));
  const QColor middle = shot.pixelColor(200, 200), bar = shot.pixelColor(200, 20);
  EXPECT_GT(middle.red(), 200);
  EXPECT_LT(middle.green(), 60);
  EXPECT_LT(bar.red() + bar.green() + bar.blue(), 30) << "above the picture the owner shows through";

  // The frame as a file in the grabber snapshot layout, and as a bitmap for the caller.
  const QByteArray bytes = Snapshot(u"frame.bmp"_s);
  ASSERT_EQ(bytes.size(), 26 + 921600);
  EXPECT_EQ(bytes.left(2), "BM");
  EXPECT_EQ(static_cast<uint8_t>(bytes[18]) | static_cast<uint8_t>(bytes[19]) << 8, 640);
  EXPECT_EQ(static_cast<uint8_t>(bytes[26 + 2]) > 200, true) << "blue-green-red: red is the third byte";
  OrvanaBitmap* bitmap = o.Orvana_BitmapHandle();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->width, 640);
  EXPECT_EQ(bitmap->height, 480);
  EXPECT_EQ(bitmap->stride, 1920);
  OrvanaFreeBitmap(bitmap);

  // Resizing the owner to half the video size places the picture over all of it.
  EXPECT_EQ(o.Orvana_SetVideoWindow(owner_.winId(), 2), ORVANA_TRUE);
  EXPECT_EQ(owner_.size(), QSize(320, 240));
  EXPECT_EQ(VideoWindow()->geometry(), QRect(0, 0, 320, 240));
  owner_.resize(1000, 300);
  EXPECT_EQ(o.Orvana_SetWindowResize(), ORVANA_TRUE);
  EXPECT_EQ(VideoWindow()->geometry(), QRect(300, 0, 400, 300));

  // Loading again replaces the first medium; without a picture no window is resized.
  ASSERT_EQ(Load("tone.ogg"), 0);
  info = Info();
  EXPECT_EQ(info.hasVideo, 0);
  EXPECT_EQ(o.Orvana_SetVideoWindow(owner_.winId(), 1), ORVANA_TRUE);
  EXPECT_EQ(owner_.size(), QSize(1000, 300)) << "not collapsed to the last picture's size or to nothing";
}

// A snapshot is the decoded frame itself: its own size, every detail, whatever the window's
// size or the digital zoom (not the sink's window-sized picture scaled back up).
TEST_F(OrvanaHost, ASnapshotIsTheDecodedFrameAtItsOwnSize) {
  OrvanaLibrary& o = Lib();
  ASSERT_EQ(Load("pattern.mp4"), 0);
  o.Orvana_SetDigitalZoom(50);
  QFile reference(MediaFile("pattern.gray"));
  ASSERT_TRUE(reference.open(QIODevice::ReadOnly));
  const QByteArray grey = reference.readAll();
  ASSERT_EQ(grey.size(), 640 * 480);
  const QByteArray bmp = Snapshot(u"pattern.bmp"_s);
  ASSERT_EQ(bmp.size(), 26 + 921600);
  // Decoders' colour conversions differ by a level or two overall; beyond that offset
  // every pixel must match (a scaled or cropped picture is off by tens on its edges).
  std::vector<int> difference;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const char* bgr = bmp.constData() + 26 + (479 - y) * 1920 + x * 3;  // rows bottom-up
      const int value = (static_cast<uint8_t>(bgr[0]) + static_cast<uint8_t>(bgr[1]) + static_cast<uint8_t>(bgr[2])) / 3;
      difference.push_back(value - static_cast<uint8_t>(grey[y * 640 + x]));
    }
  const double offset = std::accumulate(difference.begin(), difference.end(), 0.0) / difference.size();
  double deviation = 0;
  for (int d : difference) deviation += std::abs(d - offset);
  deviation /= difference.size();
  EXPECT_LT(std::abs(offset), 4.0);
  EXPECT_LT(deviation, 1.0) << "mean difference from the decoded frame, per pixel";
  OrvanaBitmap* bitmap = o.Orvana_BitmapHandle();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(std::memcmp(bitmap->pixels, bmp.constData() + 26, 921600), 0) << "the same frame both ways";
  OrvanaFreeBitmap(bitmap);
}

std::vector<int32_t> g_sizes;

void RecordSize(int32_t code, int32_t param1, int32_t) {
  if (code == ORVANA_EC_VIDEO_SIZE_CHANGED) g_sizes.push_back(param1);
}

// A picture that changes its size while playing is told to the host and fitted anew, in the
// overlay mode and in the windowless one.
TEST_F(OrvanaHost, APictureThatChangesSizeIsToldToTheHost) {
  OrvanaLibrary& o = Lib();
  for (int32_t mode : {0, 1}) {
    o.Orvana_SetConfig(256, mode);
    g_sizes.clear();
    ASSERT_EQ(Load("sizes.ts", RecordSize), 0) << "mode " << mode;
    EXPECT_EQ(Info().width, 320);
    ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !g_sizes.empty(); }, 4000)) << "mode " << mode;
    EXPECT_EQ(g_sizes, std::vector<int32_t>{640 | 480 << 16}) << "mode " << mode;
    EXPECT_TRUE(QTest::qWaitFor([] { return Info().width == 640; }, 2000)) << "mode " << mode;
  }
  o.Orvana_SetConfig(256, 0);
}

TEST_F(OrvanaHost, TheWindowlessModesPaintTheFramesThemselvesWithFlipAndMirror) {
  OrvanaLibrary& o = Lib();
  EXPECT_NE(o.Orvana_SetConfig(256, 1), 0);
  EXPECT_EQ(o.Orvana_GraphMode(), 1);
  ASSERT_EQ(Load("corner.mp4"), 0);
  OrvanaVideoInfo info = Info();
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_EQ(info.hasVideo, ORVANA_TRUE);
  auto* layer = owner_.findChild<QWidget*>(u"OrvanaPicture"_s);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->geometry(), owner_.rect()) << "the picture layer covers the client area";
  ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  QTest::qWait(500);
  o.Orvana_RepaintVideo();
  QTest::qWait(50);
  // The picture lies at (0, 50) 400 x 300; which quarter is red, as painted by the library.
  const auto redQuarter = [&] {
    QString red;
    for (const QPoint at : {QPoint(100, 125), QPoint(300, 125), QPoint(100, 275), QPoint(300, 275)})
      red += ScreenPixel(owner_, at).red() > 200 ? u'R' : u'-';
    return red;
  };
  EXPECT_EQ(redQuarter(), u"R---"_s) << "the picture as it is";
  EXPECT_LT(ScreenPixel(owner_, {200, 20}).red() + ScreenPixel(owner_, {200, 20}).blue(), 30)
      << "letter-boxed: black above it";
  EXPECT_EQ(o.Orvana_StartFullScreen(), ORVANA_TRUE) << "windowless: nothing to switch, but a window exists";
  QTest::qWait(100);
  EXPECT_FALSE(owner_.isFullScreen());
  EXPECT_EQ(redQuarter(), u"R---"_s) << "windowless: the picture stays where it was";
  o.Orvana_SetVideoEffects(1, 1);
  o.Orvana_RepaintVideo();
  EXPECT_EQ(redQuarter(), u"--R-"_s) << "flipped: upside down";
  o.Orvana_SetVideoEffects(1, 2);
  o.Orvana_RepaintVideo();
  EXPECT_EQ(redQuarter(), u"---R"_s) << "flipped and mirrored";
  o.Orvana_SetVideoEffects(0, 1);
  o.Orvana_RepaintVideo();
  EXPECT_EQ(redQuarter(), u"-R--"_s) << "mirrored only";

  // The snapshot of a windowless renderer: file header, info header, 32-bit pixels.
  const QByteArray bytes = Snapshot(u"mixer.bmp"_s);
  ASSERT_EQ(bytes.size(), 14 + 40 + 640 * 480 * 4);
  const auto u32 = [&](int at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
                                 static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint8_t>(bytes[at + 3]) << 24);
  };
  EXPECT_EQ(u32(2), static_cast<uint32_t>(bytes.size())) << "bfSize";
  EXPECT_EQ(u32(10), 54u) << "bfOffBits: no colour table at 32 bits";
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(u32(18), 640u);
  EXPECT_GT(static_cast<uint8_t>(bytes[54 + 479 * 2560 + 2]), 200) << "the top row, stored last: red first";
  EXPECT_LT(static_cast<uint8_t>(bytes[54 + 2]), 60) << "the bottom row, stored first: blue";
  EXPECT_GT(static_cast<uint8_t>(bytes[54]), 200) << "blue-green-red-x";
}

// Run by its own test entry on a GStreamer without plug-ins: the windowless modes say that
// their renderer is missing, the overlay mode that no renderer is registered, and none of
// them loads anything.
TEST_F(OrvanaHost, WithoutTheRendererTheWindowlessModesWarnAndLoadNothing) {
  if (qEnvironmentVariableIsEmpty("ORVANA_TEST_NO_PLUGINS")) GTEST_SKIP() << "needs GStreamer without plug-ins";
  OrvanaLibrary& o = Lib();
  BoxAnswerer boxes;
  for (int32_t mode : {1, 2, 0}) {
    o.Orvana_SetConfig(256, mode);
    EXPECT_EQ(Load("tone.ogg"), ORVANA_S_FALSE) << "mode " << mode;
  }
  o.Orvana_SetConfig(256, 3);
  EXPECT_EQ(Load("tone.ogg"), ORVANA_VFW_E_DVD_RENDERFAIL) << "no DVD navigator: failed at once, with no box";
  ASSERT_EQ(boxes.titles.size(), 3);
  EXPECT_EQ(boxes.titles[0], u"Video Mixing Renderer (VMR9) capabilities"_s);
  EXPECT_TRUE(boxes.texts[1].startsWith(u"This application requires the Video Mixing Renderer"_s));
  EXPECT_EQ(boxes.titles[2] + u": "_s + boxes.texts[2], u"Error: Error Code: $80040154"_s) << "no overlay sink";
}

TEST_F(OrvanaHost, ModeTwoBuildsTheGraphByHandAndWarnsWithoutItsRenderer) {
  OrvanaLibrary& o = Lib();
  EXPECT_NE(o.Orvana_SetConfig(256, 2), 0);
  ASSERT_EQ(Load("tone.ogg"), 0) << "audio only: the source's one output goes to the sound output";
  OrvanaVideoInfo info = Info();
  EXPECT_EQ(info.hasVideo, 0);
  EXPECT_EQ(o.Orvana_GetSeconds(4), 2);
  o.Orvana_SetVolume(1000);
  EXPECT_EQ(o.Orvana_GetVolume(), 1000);
  EXPECT_EQ(o.Orvana_Mute(), ORVANA_TRUE);
  ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return o.Orvana_IsActive() == ORVANA_STATE_RUNNING; }, 3000));

  ASSERT_EQ(Load("video.mp4"), 0);
  info = Info();
  EXPECT_EQ(info.width, 640) << "read from the windowless renderer";
  EXPECT_EQ(info.hasVideo, ORVANA_TRUE);
  EXPECT_EQ(o.Orvana_SetVideoWindow(owner_.winId(), 2), ORVANA_TRUE);
  EXPECT_EQ(owner_.size(), QSize(320, 240)) << "half the picture the renderer has";
  owner_.resize(400, 400);
  ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  QTest::qWait(500);
  EXPECT_GT(ScreenPixel(owner_, {200, 200}).red(), 200);
  o.Orvana_SetConfig(256, 0);
}

TEST_F(OrvanaHost, DigitalZoomShowsTheCentralPartOfThePicture) {
  OrvanaLibrary& o = Lib();
  ASSERT_EQ(Load("box.mp4"), 0);
  ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  QTest::qWait(400);
  const QPoint nearEdge(20, 70);  // inside the 400 x 300 picture, in the blue border
  EXPECT_GT(ScreenPixel(owner_, nearEdge).blue(), 200);
  o.Orvana_SetDigitalZoom(50);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ScreenPixel(owner_, nearEdge).red() > 200; }, 2000))
      << "the central half (the red box) fills the picture";
  o.Orvana_SetDigitalZoom(100);  // out of range: nothing changes
  QTest::qWait(200);
  EXPECT_GT(ScreenPixel(owner_, nearEdge).red(), 200);
  o.Orvana_SetDigitalZoom(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ScreenPixel(owner_, nearEdge).blue() > 200; }, 2000))
      << "zoom 0 restores the whole picture";
}

}  // namespace
}  // namespace orvana_host
