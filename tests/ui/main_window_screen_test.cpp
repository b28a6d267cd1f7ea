// The main window on a real X server (Xvfb): mapped, centred, painted, and captured from
// the screen into the build folder.
#include "main_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTreeView>

#include "scratch_app.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;


TEST(MainWindowOnX11, IsCentredPaintedAndCapturedFromTheScreen) {
  ASSERT_EQ(QGuiApplication::platformName(), u"xcb"_s)
      << "needs an X server (the test command starts Xvfb)";
  testing::ScratchApp app;
  app.addDemoList();  // the demo list loads and its tune starts
  MainWindow window({app.path(), {}, QLocale(u"en_US"_s)});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.player().state().Timer1On; }));
  EXPECT_EQ(window.trackList()->model()->rowCount(), 1);
  EXPECT_EQ(window.trackList()->model()->index(0, 0).data().toString(), u"Lirra - First Light"_s);
  QTest::qWait(200);  // let the X server finish drawing

  QScreen* screen = window.screen();
  const QRect expected(CentredPosition(screen->geometry().size(), {270, 150}), QSize(270, 150));
  EXPECT_EQ(window.frameGeometry(), expected);

  const QImage shot =
      screen->grabWindow(0, expected.x(), expected.y(), expected.width(), expected.height())
          .toImage();
  ASSERT_EQ(shot.size(), QSize(270, 150));
  const QString dir = QStringLiteral(LIRRA_SCREENSHOT_DIR);
  ASSERT_TRUE(QDir().mkpath(dir));
  ASSERT_TRUE(shot.save(dir + u"/main_window.png"_s));

  // Without a skin the frame strip left of the central area shows the window colour
  // RGB(1, 1, 1), never the key colour black; the central area (here the visual area of the
  // playing tune) and the gauge are drawn where the layout puts them.
  EXPECT_EQ(shot.pixelColor(3, 60), QColor(1, 1, 1));
  const QRect central = At(LayoutFor({270, 150}), ControlId::VisPanel);
  EXPECT_EQ(shot.pixelColor(central.center()), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(100, 2), QColor(1, 1, 1)) << "empty gauge shows its background";
}

}  // namespace
}  // namespace lirra
