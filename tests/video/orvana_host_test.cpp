// A small host that binds liborvana.so by name, as the player does, and drives it on real
// media made by the test: a 640 x 480 video with sound, an audio-only file, a MIDI file and
// a broken file. Runs on a real X server (Xvfb) with sound going to the test's PulseAudio.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <climits>
#include <functional>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>

#include "http_server.h"
#include "orvana.h"

namespace {

using namespace Qt::StringLiterals;

// The exports the host uses, bound by name.
struct OrvanaLibrary {
#define ORVANA_FN(name) decltype(&::name) name = nullptr;
#define ORVANA_ALL(X)                                                                            \
  X(Orvana_Init) X(Orvana_Free) X(Orvana_MediaLoad) X(Orvana_MediaState) X(Orvana_SetVolume)     \
  X(Orvana_GetVolume) X(Orvana_SetBalance) X(Orvana_GetBalance) X(Orvana_IsActive)              \
  X(Orvana_GetTime) X(Orvana_GetSeconds) X(Orvana_SetPosition) X(Orvana_Mute)                   \
  X(Orvana_SetWindowResize) X(Orvana_GetVideoInfo) X(Orvana_SetVideoWindow)                     \
  X(Orvana_CaptureBitmap) X(Orvana_BitmapHandle) X(Orvana_SetChannel) X(Orvana_SetConfig)       \
  X(Orvana_GraphMode) X(Orvana_SetMsgBoxTextLang) X(Orvana_SetStartStopPosition)                \
  X(Orvana_FastForward) X(Orvana_SetDigitalZoom) X(Orvana_CDROM_State) X(Orvana_SetVideoEffects) \
  X(Orvana_RepaintVideo) X(Orvana_StartFullScreen) X(Orvana_SetRate) X(Orvana_FastBack) \
  X(Orvana_StepOneFrame) X(Orvana_SetMpegAudioChannel) X(Orvana_GetEventCode)
  ORVANA_ALL(ORVANA_FN)
  void* handle = nullptr;

  bool bind() {
    handle = dlopen(LIRRA_APP_DIR "/liborvana.so", RTLD_NOW | RTLD_LOCAL);
    if (!handle) return false;
#define ORVANA_BIND(name) name = reinterpret_cast<decltype(name)>(dlsym(handle, #name)); if (!name) return false;
    ORVANA_ALL(ORVANA_BIND)
    return true;
  }
};

OrvanaLibrary& Lib() {
  static OrvanaLibrary lib;
  return lib;
}

QTemporaryDir& Media() {
  static QTemporaryDir dir;
  return dir;
}
QString MediaFile(const char* name) { return Media().filePath(QString::fromLatin1(name)); }

bool Ffmpeg(const QStringList& args) {
  QProcess p;
  p.start(u"ffmpeg"_s, QStringList{u"-loglevel"_s, u"error"_s, u"-y"_s} + args);
  return p.waitForFinished(60000) && p.exitCode() == 0;
}

// A standard MIDI file: one track, a few notes of a piano, about a second and a half.
QByteArray MidiFile() {
  QByteArray track;
  const auto note = [&](char key) {
    track += QByteArray("\x00\x90", 2) + key + char(0x60);
    track += QByteArray("\x83\x00\x80", 3) + key + char(0x40);  // 384 ticks later
  };
  note(60), note(64), note(67);
  track += QByteArray("\x00\xFF\x2F\x00", 4);
  QByteArray file("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\x80", 14);  // format 0, 384 ticks/beat
  file += "MTrk";
  const quint32 n = static_cast<quint32>(track.size());
  file += char(n >> 24), file += char(n >> 16), file += char(n >> 8), file += char(n);
  return file + track;
}

std::vector<std::pair<int32_t, Qt::HANDLE>> g_events;
void RecordEvent(int32_t code, int32_t, int32_t) { g_events.push_back({code, QThread::currentThreadId()}); }

// Answers the next modal box like a user and remembers its title and text.
struct BoxAnswerer {
  BoxAnswerer() {
    timer.setInterval(30);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        titles << box->windowTitle();
        texts << box->text();
        box->accept();
      }
    });
    timer.start();
  }
  QTimer timer;
  QStringList titles, texts;
};

class OrvanaHost : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(Lib().bind()) << dlerror();
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"color=c=red:s=640x480:r=25:d=3"_s, u"-f"_s, u"lavfi"_s,
                        u"-i"_s, u"sine=frequency=440:duration=3"_s, u"-c:v"_s, u"libx264"_s, u"-g"_s, u"25"_s,
                        u"-pix_fmt"_s, u"yuv420p"_s, u"-c:a"_s, u"aac"_s, u"-shortest"_s, MediaFile("video.mp4")}));
    // Blue with a red box over the central half of width and height, for the zoom.
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s,
                        u"color=c=blue:s=640x480:r=25:d=4,drawbox=x=160:y=120:w=320:h=240:color=red:t=fill"_s,
                        u"-c:v"_s, u"libx264"_s, u"-g"_s, u"25"_s, u"-pix_fmt"_s, u"yuv420p"_s, MediaFile("box.mp4")}));
    // Blue with its top-left quarter red: every flip and mirror shows.
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s,
                        u"color=c=blue:s=640x480:r=25:d=3,drawbox=x=0:y=0:w=320:h=240:color=red:t=fill"_s,
                        u"-c:v"_s, u"libx264"_s, u"-g"_s, u"25"_s, u"-pix_fmt"_s, u"yuv420p"_s, MediaFile("corner.mp4")}));
    // A grey test pattern full of fine detail, kept losslessly: what a snapshot must return.
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=s=640x480:r=25:d=2,format=gray,format=yuv420p"_s,
                        u"-c:v"_s, u"libx264"_s, u"-qp"_s, u"0"_s, MediaFile("pattern.mp4")}));
    ASSERT_TRUE(Ffmpeg({u"-i"_s, MediaFile("pattern.mp4"), u"-frames:v"_s, u"1"_s, u"-f"_s, u"rawvideo"_s,
                        u"-pix_fmt"_s, u"gray"_s, MediaFile("pattern.gray")}));
    // A transport stream whose pictures grow from 320 x 240 to 640 x 480 after a second.
    for (const char* size : {"320x240", "640x480"})
      ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=r=25:d=1:s="_s + QLatin1String(size), u"-c:v"_s,
                          u"libx264"_s, u"-pix_fmt"_s, u"yuv420p"_s, MediaFile(size) + u".ts"_s}));
    QFile sizes(MediaFile("sizes.ts"));
    ASSERT_TRUE(sizes.open(QIODevice::WriteOnly));
    for (const char* size : {"320x240", "640x480"}) {
      QFile part(MediaFile(size) + u".ts"_s);
      ASSERT_TRUE(part.open(QIODevice::ReadOnly));
      sizes.write(part.readAll());
    }
    sizes.close();
    // MPEG audio with a tone on the left channel only.
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=10"_s, u"-af"_s,
                        u"pan=stereo|c0=c0|c1=0*c0"_s, u"-c:a"_s, u"libmp3lame"_s, MediaFile("left.mp3")}));
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=2"_s, u"-c:a"_s,
                        u"libvorbis"_s, MediaFile("tone.ogg")}));
    QFile midi(MediaFile("tune.mid"));
    ASSERT_TRUE(midi.open(QIODevice::WriteOnly));
    midi.write(MidiFile());
    midi.close();
    QFile broken(MediaFile("broken.mp4"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919) % 251);
    broken.write(junk);
  }

  void SetUp() override {
    owner_.setAttribute(Qt::WA_NativeWindow);
    QPalette black = owner_.palette();  // a black video panel, like the player's
    black.setColor(QPalette::Window, Qt::black);
    owner_.setPalette(black);
    owner_.setAutoFillBackground(true);
    owner_.resize(400, 400);
    owner_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner_));
    ASSERT_EQ(Lib().Orvana_Init(owner_.winId(), nullptr), ORVANA_TRUE);
    g_events.clear();
  }
  void TearDown() override { Lib().Orvana_Free(); }

  int32_t Load(const char* name, OrvanaMediaEventCallback callback = nullptr) {
    return Lib().Orvana_MediaLoad(0, owner_.winId(), MediaFile(name).toUtf8().constData(), 0, callback);
  }
  QWidget* VideoWindow() { return owner_.findChild<QWidget*>(u"OrvanaVideoWindow"_s); }
  static OrvanaVideoInfo Info() {
    OrvanaVideoInfo info{0, 0, 0};
    Lib().Orvana_GetVideoInfo(&info);
    return info;
  }
  // Orvana_CaptureBitmap into a file of the media folder; the file's bytes.
  QByteArray Snapshot(const QString& name) {
    const QString file = Media().filePath(name);
    const std::u16string utf16 = file.toStdU16String();
    OrvanaBSTR bstr = OrvanaAllocString(utf16.c_str(), static_cast<uint32_t>(utf16.size()));
    Lib().Orvana_CaptureBitmap(bstr);
    OrvanaFreeString(bstr);
    QFile bmp(file);
    return bmp.open(QIODevice::ReadOnly) ? bmp.readAll() : QByteArray();
  }

  QWidget owner_;
};

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

  ASSERT_TRUE(Lib().bind());
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
  EXPECT_EQ(o.Orvana_Mute(), ORVANA_TRUE);
  EXPECT_EQ(o.Orvana_Mute(), ORVANA_TRUE);

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
  o.Orvana_SetPosition(std::nan(""));
  o.Orvana_SetPosition(1e300);
  o.Orvana_FastBack(INT32_MIN);
  o.Orvana_FastForward(INT32_MIN);
  EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 0; }, 2000)) << "back at the start";

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

  EXPECT_EQ(o.Orvana_CDROM_State("E", 2), 0) << "neither open nor close: nothing sent";
  EXPECT_EQ(o.Orvana_CDROM_State("/nonexistent/drive", 0), 0) << "no drive to open";
  const QString notADrive = MediaFile("tone.ogg");
  EXPECT_EQ(o.Orvana_CDROM_State(notADrive.toUtf8().constData(), 0), ORVANA_TRUE)
      << "opened, but it has no door to open";
}

// The centre of the owner's picture, as on the screen.
QColor ScreenPixel(QWidget& owner, QPoint at) {
  return owner.screen()->grabWindow(owner.winId()).toImage().pixelColor(at);
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
  EXPECT_FALSE(layer->isFullScreen());
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
// their renderer is missing and load nothing.
TEST_F(OrvanaHost, WithoutTheRendererTheWindowlessModesWarnAndLoadNothing) {
  if (qEnvironmentVariableIsEmpty("ORVANA_TEST_NO_PLUGINS")) GTEST_SKIP() << "needs GStreamer without plug-ins";
  OrvanaLibrary& o = Lib();
  BoxAnswerer boxes;
  for (int32_t mode : {1, 2}) {
    o.Orvana_SetConfig(256, mode);
    EXPECT_EQ(Load("tone.ogg"), ORVANA_S_FALSE) << "mode " << mode;
  }
  ASSERT_EQ(boxes.titles.size(), 2);
  EXPECT_EQ(boxes.titles[0], u"Video Mixing Renderer (VMR9) capabilities"_s);
  EXPECT_TRUE(boxes.texts[1].startsWith(u"This application requires the Video Mixing Renderer"_s));
  o.Orvana_SetConfig(256, 0);
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
  // One second of the medium, from 1 s to 2 s: at twice the speed half a second less.
  const auto playSecondOne = [&](double rate) {
    EXPECT_EQ(o.Orvana_SetStartStopPosition(1, 2), ORVANA_TRUE);
    o.Orvana_SetRate(rate);
    g_events.clear();
    QElapsedTimer played;
    played.start();
    EXPECT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !g_events.empty() && g_events.back().first == ORVANA_EC_COMPLETE; }, 4000))
        << "playing stops at the stop position";
    const qint64 ms = played.elapsed();
    EXPECT_EQ(o.Orvana_GetSeconds(3), 2) << "ended at the stop position";
    EXPECT_EQ(o.Orvana_MediaState(2), ORVANA_TRUE) << "stop: the rate goes back to 1";
    return ms;
  };
  const qint64 once = playSecondOne(1.0), twice = playSecondOne(2.0);
  EXPECT_GT(once - twice, 300) << once << " ms at rate 1, " << twice << " ms at rate 2";
  EXPECT_LT(once - twice, 700) << "from the start position, not from before it";
  o.Orvana_MediaState(ORVANA_REWIND);
  EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 0; }, 3000)) << "rewound to the start";

  // Full screen in and out with the same call.
  QWidget* video = VideoWindow();
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(o.Orvana_StartFullScreen(), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return video->isFullScreen(); }, 3000));
  EXPECT_EQ(o.Orvana_StartFullScreen(), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !video->isWindow(); }, 3000));
  EXPECT_EQ(video->parentWidget(), &owner_);
  EXPECT_EQ(video->geometry(), QRect(0, 50, 400, 300)) << "back in its letter-box";
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

// The loudness of each channel at the test's sink, from its monitor, over half a second.
std::pair<double, double> SinkLevels() {
  QProcess parec;
  parec.start(u"parec"_s, {u"--device="_s + qEnvironmentVariable("LIRRA_TEST_SINK") + u".monitor"_s,
                           u"--format=s16le"_s, u"--channels=2"_s, u"--rate=44100"_s, u"--raw"_s});
  if (!parec.waitForStarted(5000)) return {-1, -1};
  QTest::qWait(600);
  parec.kill();
  parec.waitForFinished(2000);
  const QByteArray pcm = parec.readAllStandardOutput();
  double left = 0, right = 0;
  const auto* samples = reinterpret_cast<const int16_t*>(pcm.constData());
  const qsizetype frames = pcm.size() / 4;
  for (qsizetype i = 0; i < frames; ++i) {
    left += std::abs(samples[2 * i]);
    right += std::abs(samples[2 * i + 1]);
  }
  return frames ? std::pair{left / frames, right / frames} : std::pair{-1.0, -1.0};
}

TEST_F(OrvanaHost, TheDualChannelChoiceOfMpegAudioIsHeardAtTheSink) {
  OrvanaLibrary& o = Lib();
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("LIRRA_TEST_SINK")) << "the test command starts PulseAudio";
  EXPECT_EQ(o.Orvana_SetMpegAudioChannel(1), ORVANA_S_FALSE) << "nothing open";
  ASSERT_EQ(Load("tone.ogg"), 0);
  EXPECT_EQ(o.Orvana_SetMpegAudioChannel(1), ORVANA_S_FALSE) << "Vorbis: no MPEG audio decoder";
  ASSERT_EQ(Load("left.mp3"), 0);
  ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  QTest::qWait(300);
  auto [left, right] = SinkLevels();
  EXPECT_GT(left, 1000) << "the tone is on the left";
  EXPECT_LT(right, 100);
  // What is already on its way to the sink plays out first.
  EXPECT_EQ(o.Orvana_SetMpegAudioChannel(1), ORVANA_S_OK);  // the left on both
  QTest::qWait(1500);
  std::tie(left, right) = SinkLevels();
  EXPECT_GT(right, 1000) << "the left channel now plays on the right too";
  EXPECT_EQ(o.Orvana_SetMpegAudioChannel(2), ORVANA_S_OK);  // the (silent) right on both
  QTest::qWait(1500);
  std::tie(left, right) = SinkLevels();
  EXPECT_LT(left, 100);
  EXPECT_LT(right, 100);
  EXPECT_EQ(o.Orvana_SetMpegAudioChannel(0), ORVANA_S_OK);
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
