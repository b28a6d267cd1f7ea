// The host the Orvana tests drive: liborvana.so bound by name, as the player binds it, media
// made by the tests (videos, tones, a MIDI file, a broken file), and a native owner window
// on a real X server (Xvfb) with sound going to the test's PulseAudio.
#pragma once

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

#include <gst/gst.h>

#include "orvana.h"
#include "midi_file.h"
#include "orvana_library.h"

namespace orvana_host {

using namespace Qt::StringLiterals;

inline constexpr const char* kOrvanaLibrary = LIRRA_APP_DIR "/liborvana.so";

inline OrvanaLibrary& Lib() {
  static OrvanaLibrary lib;
  return lib;
}

inline QTemporaryDir& Media() {
  static QTemporaryDir dir;
  return dir;
}
inline QString MediaFile(const char* name) { return Media().filePath(QString::fromLatin1(name)); }

inline bool Ffmpeg(const QStringList& args) {
  QProcess p;
  p.start(u"ffmpeg"_s, QStringList{u"-loglevel"_s, u"error"_s, u"-y"_s} + args);
  return p.waitForFinished(60000) && p.exitCode() == 0;
}

inline std::vector<std::pair<int32_t, Qt::HANDLE>> g_events;
inline void RecordEvent(int32_t code, int32_t, int32_t) { g_events.push_back({code, QThread::currentThreadId()}); }
inline std::string EventCodes() {
  std::string codes;
  for (auto& e : g_events) codes += std::to_string(e.first) + ' ';
  return codes;
}

// The loudness of each channel at the test's sink, from its monitor, over half a second.
inline std::pair<double, double> SinkLevels() {
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

// The graph the library builds, caught as elements are added to it (the test shares the
// library's GStreamer).
inline GstElement* g_graph = nullptr;
inline gboolean NoteGraph(GSignalInvocationHint*, guint, const GValue* params, gpointer) {
  GstObject* top = GST_OBJECT(g_value_get_object(&params[0]));
  while (GST_OBJECT_PARENT(top)) top = GST_OBJECT_PARENT(top);
  if (GST_IS_PIPELINE(top)) g_graph = GST_ELEMENT(top);
  return TRUE;
}

// The graph a load builds (null when the load fails).
inline GstElement* GraphBuiltBy(const std::function<int32_t()>& load) {
  gst_init(nullptr, nullptr);      // as the library does at its first load
  g_type_class_ref(GST_TYPE_BIN);  // its signals exist once its class does
  const guint added = g_signal_lookup("element-added", GST_TYPE_BIN);
  const gulong hook = g_signal_add_emission_hook(added, 0, NoteGraph, nullptr, nullptr);
  g_graph = nullptr;
  const int32_t hr = load();
  g_signal_remove_emission_hook(added, hook);
  return hr == 0 ? g_graph : nullptr;
}

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
    ASSERT_TRUE(Lib().bind(kOrvanaLibrary)) << dlerror();
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"color=c=red:s=640x480:r=25:d=4"_s, u"-f"_s, u"lavfi"_s,
                        u"-i"_s, u"sine=frequency=440:duration=4"_s, u"-c:v"_s, u"libx264"_s, u"-g"_s, u"25"_s,
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
    // MPEG audio coded as two mono channels, the tone on the first.
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=10"_s, u"-af"_s,
                        u"pan=stereo|c0=c0|c1=0*c0"_s, u"-c:a"_s, u"libtwolame"_s, u"-mode"_s, u"dual_channel"_s,
                        u"-b:a"_s, u"192k"_s, MediaFile("dual.mp2")}));
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=3:sample_rate=48000"_s, u"-af"_s,
                        u"pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0"_s, u"-c:a"_s, u"pcm_f32le"_s,
                        MediaFile("surround.wav")}));
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=2"_s, u"-c:a"_s,
                        u"libvorbis"_s, MediaFile("tone.ogg")}));
    ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=1:sample_rate=22050"_s,
                        u"-c:a"_s, u"pcm_u8"_s, MediaFile("tone8.wav")}));
    // Pictures and sound under the names AVI and MPEG files store them by.
    const struct {
      const char* name;
      QStringList codecs;
    } stored[] = {
        {"divx.avi", {u"-c:v"_s, u"mpeg4"_s, u"-vtag"_s, u"DIVX"_s, u"-c:a"_s, u"libmp3lame"_s}},
        {"xvid.avi", {u"-c:v"_s, u"mpeg4"_s, u"-vtag"_s, u"XVID"_s, u"-c:a"_s, u"ac3"_s}},
        {"mjpeg.avi", {u"-c:v"_s, u"mjpeg"_s, u"-c:a"_s, u"pcm_s16le"_s}},
        {"mpeg2.mpg", {u"-c:v"_s, u"mpeg2video"_s, u"-c:a"_s, u"mp2"_s}},
    };
    for (const auto& s : stored)
      ASSERT_TRUE(Ffmpeg(QStringList{u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=s=160x120:r=25:d=1"_s, u"-f"_s, u"lavfi"_s,
                                     u"-i"_s, u"sine=duration=1:sample_rate=48000"_s, u"-ac"_s, u"2"_s}
                         << s.codecs << MediaFile(s.name)));
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

// The centre of the owner's picture, as on the screen.
inline QColor ScreenPixel(QWidget& owner, QPoint at) {
  return owner.screen()->grabWindow(owner.winId()).toImage().pixelColor(at);
}

}  // namespace orvana_host
