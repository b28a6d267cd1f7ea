// The window's own costs on a real X server (scripts/bench.sh runs it under Xvfb): a skin
// change at 640 x 480 until the window is re-masked and repainted, and one step of a grip
// resize (layout, shape and paint) at that size, as a drag makes them. Medians.
//
//   window_bench <app-dir>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "main_window.h"

namespace {

using lirra::bench::Median;
using Clock = std::chrono::steady_clock;
using namespace lirra;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

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

  std::printf("skin_change_640x480_ms_median %.2f (to the re-masked, repainted window)\n", Median(change));
  std::printf("resize_step_640x480_ms_median %.2f (layout, shape and paint)\n", Median(step));
  window.player().state().SettingsDirty = false;
  window.close();
  return 0;
}
