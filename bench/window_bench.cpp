// The window's own costs on a real X server (scripts/bench.sh runs it under Xvfb, with a
// PulseAudio null sink): a skin change at 640 x 480 until the window is re-masked and
// repainted, one step of a grip resize (layout, shape and paint) at that size, as a drag
// makes them, and one spectrum tick (FFT request, composition, blit) at 640 x 360 while a
// tone plays. Medians.
//
//   window_bench <app-dir>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "main_window.h"
#include "track_opening.h"

namespace {

using lirra::bench::Median;
using Clock = std::chrono::steady_clock;
using namespace lirra;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Ten seconds of a 1 kHz sine, 44.1 kHz 16-bit stereo.
void WriteTone(const QString& path) {
  const int frames = 441000;
  QByteArray data;
  data.reserve(frames * 4);
  for (int i = 0; i < frames; ++i) {
    const auto v = static_cast<int16_t>(12000 * std::sin(2 * 3.14159265 * 1000 * i / 44100.0));
    for (int c = 0; c < 2; ++c) data.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8 & 0xFF));
  }
  const auto le32 = [](uint32_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
  const auto le16 = [](uint16_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
  QByteArray wav = "RIFF" + le32(36 + data.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(2) + le32(44100) +
                   le32(44100 * 4) + le16(4) + le16(16) + "data" + le32(data.size()) + data;
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(wav);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_bench <app-dir>\n");
    return 2;
  }
  QApplication qapp(argc, argv);
  // A private app folder: the built libraries, and three skins of the three kinds.
  QTemporaryDir app;
  const QDir built(QString::fromLocal8Bit(argv[1]));
  for (const QString& name : built.entryList({QStringLiteral("*.so")}, QDir::Files))
    QFile::link(built.filePath(name), app.filePath(name));
  QDir(app.path()).mkpath(QStringLiteral("Plugins/Skin"));
  for (const char* skin : {"Dusk.bmp", "Graphite.bmp", "Ocean.bmp"})
    QFile::link(built.filePath(QStringLiteral("Plugins/Skin/") + QLatin1String(skin)),
                app.filePath(QStringLiteral("Plugins/Skin/") + QLatin1String(skin)));
  QFile ini(app.filePath(QStringLiteral("lirra.ini")));
  if (ini.open(QIODevice::WriteOnly)) ini.write("[main]\r\nskin=Ocean.bmp\r\npos_w=640\r\npos_h=480\r\n");
  ini.close();

  MainWindow window({app.path() + u'/', {}, QLocale(QStringLiteral("en_US"))});
  window.show();
  const auto settle = [&] {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  };
  while (!window.player().state().EngineReady) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  window.resize(640, 480);
  settle();

  std::vector<double> change;
  for (int i = 0; i < 60; ++i) {
    const auto t0 = Clock::now();
    window.player().lbMoveRightUp();
    window.repaint();
    QApplication::processEvents();
    change.push_back(Ms(Clock::now() - t0));
    settle();
  }

  std::vector<double> step;
  MainWindowFrame& frame = window.frame();
  const QPoint grip = window.geometry().bottomRight();
  frame.beginResize(MainWindowFrame::Grip::BottomRight, grip);
  for (int i = 0; i < 120; ++i) {
    const QSize want(640 + i % 2, 480 + i % 2);
    const auto t0 = Clock::now();
    frame.follow(grip + QPoint(want.width() - 640, want.height() - 480));
    while (window.size() != want) QApplication::processEvents();
    window.repaint();
    step.push_back(Ms(Clock::now() - t0));
  }
  frame.end();

  // A spectrum tick at 640 x 360 (the visual area 626 x 337) while a tone plays.
  WriteTone(app.filePath(QStringLiteral("tone.wav")));
  PlayerContext& ctx = window.player().context();
  ctx.list.append({QStringLiteral("tone"), app.filePath(QStringLiteral("tone.wav")), std::nullopt, std::nullopt});
  ctx.list.select(0);
  PlayCurrent(ctx);
  window.resize(640, 360);
  settle();
  ctx.shell.timers.SetTimer(TimerId::TimerFFT, false);  // ticked by hand below
  // Each style (style 4 as the waterfall), the dearest median counts.
  double dearest = 0;
  int dearestStyle = 0;
  for (int style = 1; style <= 6; ++style) {
    ctx.spectrum.style = style;
    SetupSpectrum(ctx);
    for (int i = 0; i < 20; ++i) window.player().TimerFFTTimer();  // warm
    std::vector<double> tick;
    for (int i = 0; i < 200; ++i) {
      const auto t0 = Clock::now();
      window.player().TimerFFTTimer();
      tick.push_back(Ms(Clock::now() - t0));
    }
    if (Median(tick) > dearest) dearest = Median(tick), dearestStyle = style;
  }
  const bool shown = !ctx.state.ListShown && ctx.state.VisIndex == 1;

  std::printf("skin_change_640x480_ms_median %.2f (to the re-masked, repainted window)\n", Median(change));
  std::printf("resize_step_640x480_ms_median %.2f (layout, shape and paint)\n", Median(step));
  std::printf("spectrum_tick_640x360_ms_median %.3f (the dearest style, %d: FFT request, composition, blit%s)\n",
              dearest, dearestStyle, shown ? "" : "; THE SPECTRUM WAS NOT SHOWN");
  window.player().state().SettingsDirty = false;
  window.close();
  return 0;
}
