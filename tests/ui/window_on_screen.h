// The main window on a real X server, driven by real pointer events (xdotool) and checked
// on the screen: the fixture and helpers the screen tests share.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <memory>

#include "main_window.h"
#include "scratch_app.h"

namespace lirra {

using namespace Qt::StringLiterals;
using testing::ScratchApp;

inline const QColor kBackdrop(0, 200, 0);

// Runs xdotool while the window keeps handling the events it causes. (Pointer moves do not
// wait with --sync: a pointer already at the place never reports a move.)
inline void Xdo(const QStringList& args) {
  QProcess p;
  p.start(u"xdotool"_s, args);
  ASSERT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000)) << args.join(u' ').toStdString();
  ASSERT_EQ(p.exitCode(), 0) << args.join(u' ').toStdString();
  QTest::qWait(50);
}

inline QString Num(int v) { return QString::number(v); }

// Anti-aliased text: a pixel of the text's own colour, give or take the blending.
inline bool InkLike(const QColor& pixel, const QColor& ink) {
  return std::abs(pixel.red() - ink.red()) + std::abs(pixel.green() - ink.green()) +
             std::abs(pixel.blue() - ink.blue()) < 90;
}

inline QImage Screen() {
  QTest::qWait(150);  // let the X server finish drawing
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

class WindowOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), u"xcb"_s) << "needs an X server (the test command starts Xvfb)";
    // A plain backdrop over the whole screen: what shows through the window's cut-outs.
    backdrop_.setWindowFlags(Qt::FramelessWindowHint);
    QPalette pal = backdrop_.palette();
    pal.setColor(QPalette::Window, kBackdrop);
    backdrop_.setPalette(pal);
    backdrop_.setAutoFillBackground(true);
    backdrop_.setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop_));
  }
  void Open(const QString& skin, const QStringList& args = {}) {
    if (!skin.isEmpty()) {
      QFile ini(app_.path() + u"lirra.ini"_s);
      ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
      ini.write(("[main]\r\nskin=" + skin + "\r\n").toUtf8());
    }
    window_ = std::make_unique<MainWindow>(StartupEnvironment{app_.path(), args, QLocale(u"en_US"_s)});
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().EngineReady; }));
  }
  // A point of the window in screen coordinates.
  QPoint At(QPoint inWindow) const { return window_->geometry().topLeft() + inWindow; }
  void Press(QPoint inWindow, int button = 1) {
    const QPoint p = At(inWindow);
    Xdo({u"mousemove"_s, Num(p.x()), Num(p.y()), u"mousedown"_s, Num(button)});
  }
  void DragTo(QPoint screen) {
    Xdo({u"mousemove"_s, Num(screen.x() - 20), Num(screen.y() - 20)});  // a step on the way
    Xdo({u"mousemove"_s, Num(screen.x()), Num(screen.y()), u"mouseup"_s, u"1"_s});
  }
  void Click(QPoint inWindow, int button, int times = 1) {
    const QPoint p = At(inWindow);
    Xdo({u"mousemove"_s, Num(p.x()), Num(p.y()), u"click"_s, u"--repeat"_s, Num(times), u"--delay"_s, u"80"_s,
         Num(button)});
  }
  // Pixels of the spectrum's paint box that are not black on the screen.
  int SpectrumPixelsLit() {
    QWidget* box = window_->control(ControlId::VisPanel)->findChild<QWidget*>(u"VisBox"_s);
    const QImage shot = Screen();
    const QRect onScreen(At(box->mapTo(window_.get(), QPoint(0, 0))), box->size());
    int lit = 0;
    for (int y = onScreen.top(); y <= onScreen.bottom(); ++y)
      for (int x = onScreen.left(); x <= onScreen.right(); ++x) lit += shot.pixelColor(x, y) != Qt::black;
    return lit;
  }
  // The drag area shows between the right edge and the central area.
  QPoint DragArea() const { return {window_->width() - 3, window_->height() / 2}; }

  QWidget backdrop_;
  ScratchApp app_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace lirra
