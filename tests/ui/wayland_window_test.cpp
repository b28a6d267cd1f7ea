// The window as a native Wayland client (weston, headless, started by the test command):
// it maps, is cut to its skin's shape and painted from it, shows the spectrum of what plays
// and a video's picture, drawn by the video library into the window's own painting (no
// native window of another's there). Read back through Qt's own grab of the window.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>

#include "main_window.h"
#include "scratch_app.h"
#include "vis_box.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;
using testing::ScratchApp;

class WaylandWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), u"wayland"_s) << "needs the test run's weston (LIRRA_WAYLAND_SOCKET)";
  }
  void Open(const QStringList& args, const QString& skin = {}) {
    if (!skin.isEmpty()) {
      app_.addSkin(skin);
      QFile ini(app_.path() + u"lirra.ini"_s);
      ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
      ini.write(("[main]\r\nskin=" + skin + ".bmp\r\n").toUtf8());
    }
    window_ = std::make_unique<MainWindow>(StartupEnvironment{app_.path(), args, QLocale(u"en_US"_s)});
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().EngineReady; }));
  }
  // Pixels of `control` as the window paints them that are neither black nor `except`.
  int Lit(ControlId control, QColor except = Qt::black) {
    QWidget* w = window_->control(control);
    const QImage shot = window_->grab(QRect(w->mapTo(window_.get(), QPoint(0, 0)), w->size())).toImage();
    int lit = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) lit += shot.pixelColor(x, y) != Qt::black && shot.pixelColor(x, y) != except;
    return lit;
  }

  ScratchApp app_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(WaylandWindow, MapsShapedAndPaintedAndShowsTheSpectrum) {
  app_.addDemoList();
  Open({}, u"Graphite"_s);
  const QSize size = window_->size();
  EXPECT_FALSE(window_->mask().contains(QPoint(size.width() - 1, size.height() - 1))) << "the corner is not cut";
  EXPECT_TRUE(window_->mask().contains(QPoint(size.width() / 2, size.height() / 2)));
  const QImage frame = window_->grab().toImage();
  EXPECT_NE(frame.pixelColor(2, size.height() / 2), frame.pixelColor(size.width() / 2, 2)) << "no skin painted";
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Lit(ControlId::VisPanel) > 50; }, 3000)) << "no bars while the tune plays";
  EXPECT_FALSE(window_->control(ControlId::VisPanel)->findChild<SpectrumBox*>(u"VisBox"_s)->drawsDirectly());
}

TEST_F(WaylandWindow, AVideosPictureShowsInThePanel) {
  const QString clip =
      app_.makeMedia(u"clip.avi"_s, u"color=c=white:s=320x240:r=25:d=20"_s, {u"-c:v"_s, u"mjpeg"_s, u"-q:v"_s, u"3"_s});
  ASSERT_FALSE(clip.isEmpty());
  Open({clip});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().VideoShown; }, 10000));
  QWidget* panel = window_->control(ControlId::VdoPanel);
  const int area = panel->width() * panel->height();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Lit(ControlId::VdoPanel) > area / 3; }, 5000))
      << "the white picture does not show: " << Lit(ControlId::VdoPanel) << " of " << area << " pixels";
}

}  // namespace
}  // namespace lirra
