// Orvana figures under Xvfb with a PulseAudio null sink, medians of several runs:
//  - Orvana_Init: resident memory it adds (with binding the library) and its time;
//  - Orvana_MediaLoad + play of a local 640 x 480 MP4 until its first frame is on screen,
//    in-process, and from process launch for a small host and for gst-play-1.0;
//  - CPU while playing a moving picture, against gst-play-1.0;
//  - one Orvana_CaptureBitmap at 640 x 480;
//  - Orvana_GetMediaInfo of a local 640 x 480 video;
//  - a camera (the tests' device provider, a live test picture) from the open call until its
//    picture is on the screen;
//  - a DVD (the tests' disc): from the load until its title menu is on the screen, and a
//    chapter jump until the next chapter's picture is;
//  - resident memory over 200 load/close cycles: the median after cycles 1-10, 91-100 and
//    191-200 (one reading wanders by a few MB from cycle to cycle as the allocator's heaps
//    fill and empty; a leak grows between the batches), and the range of all readings.
//
//  - the soak (its own command): 500 load/play/seek/close cycles, one kind of medium after
//    the other (a video with sound, a tone, a MIDI tune, the DVD folder, the camera), and
//    resident memory at cycle 500 against cycle 50 (medians of cycles 41-50 and 491-500),
//    with the player's malloc setting (one arena).
//
//   orvana_bench <app-dir>             runs everything but the soak
//   orvana_bench <app-dir> soak [kinds] runs the soak (over the kinds named by digits: 0 video .. 4 camera)
//   orvana_bench <app-dir> host <file> is the small host (plays the file in a window)
//   orvana_bench <app-dir> init        prints what binding and Orvana_Init cost
#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "fake_camera.h"
#include "midi_file.h"
#include "test_disc.h"
#include "orvana.h"
#include "orvana_library.h"

extern char** environ;

namespace {

using lirra::bench::Median;
using lirra::bench::ResidentKb;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Red pixels of a screen grab (sampled every 8th pixel): the test picture is pure red.
int RedPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); y += 8)
    for (int x = 0; x < image.width(); x += 8) {
      const QRgb p = image.pixel(x, y);
      n += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
    }
  return n;
}

bool Ffmpeg(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"),
                                                 QStringLiteral("-y")} + args);
  return p.waitForFinished(120000) && p.exitCode() == 0;
}

double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  if (text.empty()) return 0;
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;
  long utime = 0, stime = 0, cutime = 0, cstime = 0;
  fields >> utime >> stime >> cutime >> cstime;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

pid_t Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // The players' own output would mix with the figures.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &quiet, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&quiet);
  return spawned == 0 ? pid : -1;
}

void Finish(pid_t pid) {
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
}

// From launch until red covers a good part of the screen; -1 when it never does.
double LaunchToPicture(const std::vector<std::string>& argv, QScreen* screen) {
  const auto start = Clock::now();
  const pid_t pid = Spawn(argv);
  if (pid < 0) return -1;
  double ms = -1;
  while (Ms(Clock::now() - start) < 10000) {
    if (RedPixels(screen->grabWindow(0).toImage()) > 500) {
      ms = Ms(Clock::now() - start);
      break;
    }
    QTest::qWait(2);
  }
  Finish(pid);
  QTest::qWait(300);
  return ms;
}

double CpuPercentWhilePlaying(const std::vector<std::string>& argv) {
  const pid_t pid = Spawn(argv);
  if (pid < 0) return -1;
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const double before = CpuSeconds(pid);
  const auto start = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(4));
  const double used = CpuSeconds(pid) - before;
  const double wall = Ms(Clock::now() - start) / 1000.0;
  Finish(pid);
  return 100.0 * used / wall;
}

int RunHost(const std::string& app, const char* file, int argc, char** argv) {
  QApplication qapp(argc, argv);
  QWidget window;
  window.setAttribute(Qt::WA_NativeWindow);
  QPalette black = window.palette();
  black.setColor(QPalette::Window, Qt::black);
  window.setPalette(black);
  window.setAutoFillBackground(true);
  window.resize(640, 480);
  window.move(0, 0);
  window.show();
  orvana_host::OrvanaLibrary o;
  if (!o.bind((app + "/liborvana.so").c_str())) return 1;
  o.Orvana_Init(window.winId(), nullptr);
  if (o.Orvana_MediaLoad(1, window.winId(), file, 0, nullptr) != 0) return 1;
  const int code = QApplication::exec();
  o.Orvana_Free();
  return code;
}

int RunInit(const std::string& app) {
  const long before = ResidentKb();
  const auto start = Clock::now();
  orvana_host::OrvanaLibrary o;
  if (!o.bind((app + "/liborvana.so").c_str())) return 1;
  o.Orvana_Init(0, nullptr);
  const double ms = Ms(Clock::now() - start);
  std::printf("%.3f %ld\n", ms, ResidentKb() - before);
  o.Orvana_Free();
  return 0;
}

}  // namespace

// Load, play, seek, close: `cycles` times over five kinds of media. Prints the resident
// memory at cycle 50 and at the last cycle (each the median of the ten cycles up to it) and
// fails when the last exceeds the first by more than 5 MB.
int RunSoak(const std::string& app, int argc, char** argv, int cycles, const std::string& kindDigits) {
  // As the player runs (its main keeps one malloc arena); LIRRA_SOAK_GLIBC_ARENAS=1 keeps
  // glibc's default, an arena per thread, to compare.
  if (!std::getenv("LIRRA_SOAK_GLIBC_ARENAS")) mallopt(M_ARENA_MAX, 1);
  QApplication qapp(argc, argv);
  QTemporaryDir media;
  const QString video = media.filePath(QStringLiteral("av.mp4")), tone = media.filePath(QStringLiteral("tone.ogg"));
  Ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc=s=320x240:r=25:d=4"),
          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=4"),
          QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
          QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-shortest"), video});
  Ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=4"),
          QStringLiteral("-c:a"), QStringLiteral("libvorbis"), tone});
  const QString tune = media.filePath(QStringLiteral("tune.mid"));
  QFile midi(tune);
  if (!midi.open(QIODevice::WriteOnly) || midi.write(orvana_host::MidiFile()) < 0) return 1;
  midi.close();
  if (!orvana_host::AuthorTestDisc(media.path()) || !orvana_host::RegisterFakeCamera()) return 1;
  QWidget window;
  window.setAttribute(Qt::WA_NativeWindow);
  window.resize(320, 240);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  orvana_host::OrvanaLibrary o;
  if (!o.bind((app + "/liborvana.so").c_str())) return 1;
  o.Orvana_Init(window.winId(), nullptr);
  const struct {
    const char* what;
    int mode;
    QByteArray file;  // empty: the camera
  } kinds[] = {{"video with sound", 1, video.toUtf8()}, {"sound", 0, tone.toUtf8()}, {"MIDI", 0, tune.toUtf8()},
               {"DVD folder", 3, media.filePath(QStringLiteral("DVD")).toUtf8()}, {"camera", 4, {}}};
  std::vector<double> atFifty, atLast;
  int failed = 0;
  const auto start = Clock::now();
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    const auto& kind = kinds[(kindDigits[static_cast<size_t>(cycle - 1) % kindDigits.size()] - '0') % 5];
    o.Orvana_SetConfig(256, kind.mode);
    const bool loaded = kind.file.isEmpty()
                            ? o.Orvana_Capture_OpenVideoDevice(0, window.winId(), 0, nullptr) == ORVANA_TRUE
                            : o.Orvana_MediaLoad(0, window.winId(), kind.file.constData(), 0, nullptr) == 0;
    failed += !loaded;
    if (loaded) {
      o.Orvana_MediaState(0);
      if (kind.mode == 3) o.Orvana_DVD_SetTitle(1);
      QTest::qWait(150);
      if (kind.mode == 3) o.Orvana_DVD_NextChapter();
      else o.Orvana_SetPosition(1.0);
      QTest::qWait(100);
      o.Orvana_MediaState(4);
    }
    QApplication::processEvents();
    malloc_trim(0);  // what the cycles keep, not what the allocator holds for the next one
    const double kb = static_cast<double>(ResidentKb());
    if (cycle > 40 && cycle <= 50) atFifty.push_back(kb);
    if (cycle > cycles - 10) atLast.push_back(kb);
  }
  o.Orvana_Free();
  const double grown = Median(atLast) - Median(atFifty);
  std::printf("soak: %d load/play/seek/close cycles over five kinds of media in %.0f s (%d failed to load); resident "
              "%.0f KB at cycle 50, %.0f KB at cycle %d (%+.0f KB; median of ten readings each)\n",
              cycles, Ms(Clock::now() - start) / 1000, failed, Median(atFifty), Median(atLast), cycles, grown);
  return failed == 0 && grown <= 5 * 1024 ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: orvana_bench <app-dir> [host <file> | init | soak]\n");
    return 2;
  }
  const std::string app = argv[1];
  if (argc >= 4 && std::string(argv[2]) == "host") return RunHost(app, argv[3], argc, argv);
  if (argc >= 3 && std::string(argv[2]) == "init") return RunInit(app);
  // "soak 03" cycles through the kinds named by their digits only (0 video .. 4 camera), to
  // find which keep memory.
  if (argc >= 3 && std::string(argv[2]) == "soak") {
    const std::string kinds = argc >= 4 ? argv[3] : "01234";
    if (kinds.empty() || kinds.find_first_not_of("01234") != std::string::npos) return 2;
    return RunSoak(app, argc, argv, 500, kinds);
  }

  // Orvana_Init in a fresh process each time: time and memory it adds (binding included).
  std::vector<double> initMs, initKb;
  for (int run = 0; run < 7; ++run) {
    QProcess p;
    p.start(QString::fromLocal8Bit(argv[0]), {QString::fromStdString(app), QStringLiteral("init")});
    p.waitForFinished(30000);
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    if (f.size() == 2) {
      initMs.push_back(f[0].toDouble());
      initKb.push_back(f[1].toDouble());
    }
  }

  QApplication qapp(argc, argv);
  QTemporaryDir media;
  const QString red = media.filePath(QStringLiteral("red.mp4"));
  const QString moving = media.filePath(QStringLiteral("moving.mp4"));
  Ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=c=red:s=640x480:r=25:d=8"),
          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=8"),
          QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-g"), QStringLiteral("25"), QStringLiteral("-pix_fmt"),
          QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-shortest"), red});
  Ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc2=s=640x480:r=25:d=12"),
          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=12"),
          QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-g"), QStringLiteral("25"), QStringLiteral("-pix_fmt"),
          QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-shortest"), moving});

  // In-process: the call until the picture is on the screen, then snapshots.
  std::vector<double> loadMs, captureMs, infoMs, cameraMs, dvdMenuMs, chapterMs;
  double firstInfoMs = 0;
  std::vector<double> cycleKb[3];  // after cycles 1-10, 91-100, 191-200
  long fewestKb = 0, mostKb = 0;
  static int infoLines = 0;
  {
    QWidget window;
    window.setAttribute(Qt::WA_NativeWindow);
    window.resize(640, 480);
    window.move(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    orvana_host::OrvanaLibrary o;
    if (!o.bind((app + "/liborvana.so").c_str())) return 1;
    o.Orvana_Init(window.winId(), nullptr);
    const QByteArray file = red.toUtf8();
    for (int run = 0; run < 7; ++run) {
      const auto start = Clock::now();
      o.Orvana_MediaLoad(1, window.winId(), file.constData(), 0, nullptr);
      while (Ms(Clock::now() - start) < 5000) {
        QApplication::processEvents();
        if (RedPixels(window.screen()->grabWindow(window.winId()).toImage()) > 500) break;
      }
      loadMs.push_back(Ms(Clock::now() - start));
      if (run == 0) {
        const std::u16string name = media.filePath(QStringLiteral("shot.bmp")).toStdU16String();
        OrvanaBSTR bstr = OrvanaAllocString(name.c_str(), static_cast<uint32_t>(name.size()));
        for (int i = 0; i < 9; ++i) {
          const auto t = Clock::now();
          o.Orvana_CaptureBitmap(bstr);
          captureMs.push_back(Ms(Clock::now() - t));
        }
        OrvanaFreeString(bstr);
      }
      o.Orvana_MediaState(4);
      QTest::qWait(200);
    }
    // The first call also reads GStreamer's plug-in registry into the process.
    for (int run = 0; run < 10; ++run) {
      const auto t = Clock::now();
      o.Orvana_GetMediaInfo(file.constData(), [](const char*) { ++infoLines; });
      (run == 0 ? firstInfoMs : infoMs.emplace_back()) = Ms(Clock::now() - t);
    }
    for (int cycle = 1; cycle <= 200; ++cycle) {
      o.Orvana_MediaLoad(0, window.winId(), file.constData(), 0, nullptr);
      o.Orvana_MediaState(4);
      QApplication::processEvents();
      // What the cycles keep, not what the allocator holds on to for the next one.
      malloc_trim(0);
      const long kb = ResidentKb();
      const int batch = cycle <= 10 ? 0 : cycle > 90 && cycle <= 100 ? 1 : cycle > 190 ? 2 : -1;
      if (batch >= 0) cycleKb[batch].push_back(static_cast<double>(kb));
      fewestKb = cycle == 1 ? kb : std::min(fewestKb, kb);
      mostKb = std::max(mostKb, kb);
    }
    // The camera: its first bar is white, where the window was black.
    if (!orvana_host::RegisterFakeCamera() || !o.Orvana_SetConfig(256, 4)) return 1;
    for (int run = 0; run < 7; ++run) {
      const auto start = Clock::now();
      o.Orvana_Capture_OpenVideoDevice(0, window.winId(), 0, nullptr);
      while (Ms(Clock::now() - start) < 5000) {
        const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
        if (qGray(shot.pixel(20, 240)) > 200) break;
        QApplication::processEvents();
      }
      cameraMs.push_back(Ms(Clock::now() - start));
      o.Orvana_MediaState(4);
      QTest::qWait(200);
    }
    // The disc: its title menu is magenta; title 1 turns from blue to cyan at chapter 2.
    if (!orvana_host::AuthorTestDisc(media.path()) || !o.Orvana_SetConfig(256, 3)) return 1;
    const QByteArray disc = media.filePath(QStringLiteral("DVD")).toUtf8();
    const auto until = [&](bool (*shown)(QColor)) {
      const auto start = Clock::now();
      while (Ms(Clock::now() - start) < 5000) {
        if (shown(window.screen()->grabWindow(window.winId()).toImage().pixelColor(320, 240))) break;
        QApplication::processEvents();
      }
      return Ms(Clock::now() - start);
    };
    const auto magenta = [](QColor c) { return c.red() > 150 && c.blue() > 150 && c.green() < 90; };
    const auto blue = [](QColor c) { return c.blue() > 150 && c.red() < 90 && c.green() < 90; };
    const auto cyan = [](QColor c) { return c.blue() > 150 && c.green() > 150 && c.red() < 90; };
    for (int run = 0; run < 7; ++run) {
      const auto start = Clock::now();
      o.Orvana_MediaLoad(0, window.winId(), disc.constData(), 0, nullptr);
      until(magenta);
      dvdMenuMs.push_back(Ms(Clock::now() - start));
      o.Orvana_DVD_SetTitle(1);
      until(blue);
      const auto jump = Clock::now();
      o.Orvana_DVD_NextChapter();
      until(cyan);
      chapterMs.push_back(Ms(Clock::now() - jump));
      o.Orvana_MediaState(4);
      QTest::qWait(200);
    }
    o.Orvana_Free();
  }

  QScreen* screen = QGuiApplication::primaryScreen();
  std::vector<double> hostLaunch, playLaunch;
  for (int run = 0; run < 5; ++run) {
    hostLaunch.push_back(LaunchToPicture({argv[0], app, "host", red.toStdString()}, screen));
    playLaunch.push_back(LaunchToPicture({"gst-play-1.0", "--no-interactive", "-q", red.toStdString()}, screen));
  }
  std::vector<double> hostCpu, playCpu;
  for (int run = 0; run < 3; ++run) {
    hostCpu.push_back(CpuPercentWhilePlaying({argv[0], app, "host", moving.toStdString()}));
    playCpu.push_back(CpuPercentWhilePlaying({"gst-play-1.0", "--no-interactive", "-q", moving.toStdString()}));
  }

  std::printf("Orvana_Init (binding included): median %.2f ms, +%.0f KB resident\n", Median(initMs), Median(initKb));
  std::printf("Orvana_MediaLoad + play to the first frame on screen (in-process): median %.0f ms\n", Median(loadMs));
  std::printf("launch to the first frame on screen: small Orvana host %.0f ms, gst-play-1.0 %.0f ms (ratio %.2f)\n",
              Median(hostLaunch), Median(playLaunch), Median(hostLaunch) / Median(playLaunch));
  std::printf("CPU while playing 640 x 480 H.264 with sound: Orvana host %.1f %%, gst-play-1.0 %.1f %% of one core\n",
              Median(hostCpu), Median(playCpu));
  std::printf("Orvana_CaptureBitmap at 640 x 480: median %.2f ms\n", Median(captureMs));
  std::printf("Orvana_GetMediaInfo of a 640 x 480 H.264 + AAC file (%d lines a call): median %.1f ms, first call %.1f ms\n",
              infoLines / 10, Median(infoMs), firstInfoMs);
  std::printf("camera open to its first picture on the screen: median %.0f ms\n", Median(cameraMs));
  std::printf("DVD load to its title menu on the screen: median %.0f ms; chapter jump to the chapter's picture: "
              "median %.0f ms\n", Median(dvdMenuMs), Median(chapterMs));
  const double first = Median(cycleKb[0]), hundred = Median(cycleKb[1]), twoHundred = Median(cycleKb[2]);
  std::printf("load/close cycles, resident (median of ten readings): %.0f KB after cycles 1-10, %.0f KB after 91-100 "
              "(%+.0f KB), %.0f KB after 191-200 (%+.0f KB from 100); all readings %ld-%ld KB\n",
              first, hundred, hundred - first, twoHundred, twoHundred - hundred, fewestKb, mostKb);
  return 0;
}
