// The main window on Qt's offscreen platform: real widgets, real events, no display.
#include "main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QHeaderView>
#include <QTreeView>

#include "private_bus.h"
#include "scratch_app.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

using testing::ScratchApp;

QString Caption(const MainWindow& w, ControlId id) {
  return qobject_cast<QLabel*>(w.control(id))->text();
}

TEST(MainWindowOffscreen, OpensFramelessAtTheStartSizeWithEveryDesignedControl) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale(u"en_US"_s)});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.player().state().EngineReady; }));

  EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(window.size(), QSize(270, 150));
  EXPECT_EQ(window.windowTitle(), u"Lirra"_s);

  const WindowLayout layout = LayoutFor(window.size());
  for (const ControlSpec& entry : ControlTable()) {
    const QString name = QString::fromLatin1(entry.name.data(), entry.name.size());
    QWidget* w = window.findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << entry.name;
    EXPECT_EQ(w, window.control(entry.id));
    EXPECT_EQ(w->geometry(), At(layout, entry.id)) << entry.name;
    // The skin-name edge shows once a skin is loaded (the app folder ships skins).
    const bool visible = entry.id == ControlId::lbSkinName ? window.player().context().skin.SkinLoaded
                                                           : entry.visibleAtStart;
    EXPECT_EQ(w->isVisible(), visible) << entry.name;
  }
  auto* list = window.findChild<QTreeView*>(u"MList"_s);
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(list->isVisible()) << "an empty library starts in the empty-list state";
  EXPECT_EQ(Caption(window, ControlId::lbTitle), u"Open Music Files From The Bottom"_s);
  EXPECT_TRUE(list->isHeaderHidden());
  EXPECT_EQ(list->model()->columnCount(), 4);
  EXPECT_TRUE(list->isColumnHidden(1) && list->isColumnHidden(2));
  EXPECT_EQ(list->columnWidth(3), 42);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);

  EXPECT_EQ(Caption(window, ControlId::lbNext), u"<>"_s);
  EXPECT_EQ(Caption(window, ControlId::lbPower), u"()"_s);
  // The program's own cursors: the hand over captions, the four-way arrow over the rest.
  const QCursor hand = window.control(ControlId::lbTitle)->cursor();
  const QCursor arrows = window.control(ControlId::sbAdd)->cursor();
  EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
  EXPECT_EQ(arrows.shape(), Qt::BitmapCursor);
  EXPECT_EQ(hand.hotSpot(), QPoint(6, 0));
  EXPECT_EQ(arrows.hotSpot(), QPoint(7, 7));
  EXPECT_EQ(window.control(ControlId::lbMove)->cursor().hotSpot(), QPoint(7, 7));
  EXPECT_EQ(window.control(ControlId::lbPower)->cursor().hotSpot(), QPoint(6, 0));
  EXPECT_EQ(window.control(ControlId::sbAddFld)->toolTip(), u"Add Folder or URL"_s);
}

TEST(MainWindowOffscreen, ChineseCaptionsUseTheSongTypefaceAndQtsDialogsSpeakChinese) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale(u"zh_CN"_s)});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.player().state().EngineReady; }));
  EXPECT_EQ(Caption(window, ControlId::lbNext), u"◇"_s);
  EXPECT_EQ(Caption(window, ControlId::lbPower), u"★"_s);
  EXPECT_EQ(window.control(ControlId::lbPower)->toolTip(), u"关闭"_s);
  const QFont font = window.control(ControlId::lbTitle)->font();
  EXPECT_EQ(font.families().value(0), u"SimSun"_s);
  // As large as the captions' 12 pixels allow while the letters fit the caption strip.
  EXPECT_GE(font.pixelSize(), 9);
  EXPECT_LE(QFontMetrics(font).tightBoundingRect(u"Lirra\u4E2D"_s).height(), 11);
  // The buttons of message boxes and the file dialog's texts come from Qt's translations.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), u"确定"_s);
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), u"打开"_s);
}

TEST(MainWindowOffscreen, ResizingFollowsTheAnchors) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale::c()});
  window.show();
  window.resize(480, 270);
  const WindowLayout layout = LayoutFor({480, 270});
  for (const ControlSpec& entry : ControlTable())
    EXPECT_EQ(window.control(entry.id)->geometry(), At(layout, entry.id)) << entry.name;
  EXPECT_EQ(window.trackList()->size(), At(layout, ControlId::MListPanel).size());
  // The anchors' result, worked out by hand: right- and bottom-anchored pieces keep their
  // distance to those edges, the panels stretch.
  const std::pair<ControlId, QRect> byHand[] = {{ControlId::VisPanel, {7, 16, 466, 247}},
                                                {ControlId::MListPanel, {7, 15, 466, 248}},
                                                {ControlId::lbPower, {462, 4, 11, 11}},
                                                {ControlId::lbResiz8a, {473, 263, 7, 7}},
                                                {ControlId::lbAddG1, {8, 269, 9, 1}}};
  for (const auto& [id, rect] : byHand) EXPECT_EQ(window.control(id)->geometry(), rect) << SpecOf(id).name;
}

// The desktop's media controls over the bus while the lyrics' save question is open: each
// call is answered at once, the sound has stopped before the question, and the commands
// run after the answer, in the order they came.
TEST(MainWindowOffscreen, TheBusIsAnsweredWhileTheLyricsSaveQuestionIsOpen) {
  const PrivateBus bus(u"question"_s);
  ASSERT_FALSE(bus.address().isEmpty());
  qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());  // the player's session bus
  ScratchApp app;
  app.addDemoList();
  MainWindow window({app.path(), {}, QLocale::c()});
  window.show();
  const PlayerState& s = window.player().state();
  const QString service = u"org.mpris.MediaPlayer2.lirra"_s;
  QDBusConnection client = bus.connection();
  ASSERT_TRUE(QTest::qWaitFor([&] { return client.interface()->isServiceRegistered(service).value(); }, 10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Timer1On && s.GaugePosition >= 4; }, 10000)) << "the demo plays";
  window.player().VisPanelMouseUp(ControlId::lbTitle, PointerButton::Right, {});  // a tap re-times a line
  ASSERT_FALSE(window.player().context().lyrics.change.isEmpty());

  // Asynchronous calls only: a blocking one would wait for this very thread.
  const auto call = [&](const QString& method) {
    return client.asyncCall(QDBusMessage::createMethodCall(service, u"/org/mpris/MediaPlayer2"_s,
                                                           u"org.mpris.MediaPlayer2.Player"_s, method));
  };
  const QDBusPendingCall stop = call(u"Stop"_s);
  QDBusPendingCall playPause = stop;
  bool stopAnswered = false, stoppedFirst = false, stillAsking = false;
  qint64 playPauseMs = -1;
  QElapsedTimer asked;
  int step = 0;
  // The question runs an event loop of its own: the test acts from a timer inside it.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (step == 0 && question) {
      stopAnswered = stop.isFinished() && !stop.isError();
      stoppedFirst = !s.Timer1On;
      playPause = call(u"PlayPause"_s);
      asked.start();
      step = 1;
    } else if (step == 1 && playPause.isFinished()) {
      playPauseMs = asked.elapsed();
      stillAsking = question && !s.Timer1On;
      if (question) question->button(QMessageBox::No)->click();
      step = 2;
    }
  });
  watch.start(20);
  EXPECT_TRUE(QTest::qWaitFor([&] { return step == 2 && s.Timer1On; }, 20000)) << "step " << step;
  EXPECT_TRUE(stopAnswered) << "Stop waited for the question";
  EXPECT_TRUE(stoppedFirst) << "the old track played on while asking";
  EXPECT_TRUE(stillAsking) << "PlayPause ran inside the question";
  EXPECT_TRUE(playPauseMs >= 0 && playPauseMs < 2000) << playPauseMs << " ms";
  EXPECT_FALSE(playPause.isError()) << playPause.error().message().toStdString();
}

// A file the video library cannot open makes it show its error box inside the load; the
// player closes that box by itself at once, so an unattended player never waits on it.
TEST(MainWindowOffscreen, TheVideoLibrarysErrorBoxIsClosedAtOnce) {
  ScratchApp app;
  QFile bad(app.path() + u"broken.avi"_s);
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write(QByteArray("RIFF\x10\0\0\0AVI LIST", 16)) == 16);
  bad.close();
  QElapsedTimer shown;
  qint64 openMs = -1;
  QStringList seen;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    bool errorBox = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      if (box->windowTitle() == u"Error"_s) {
        errorBox = true;
        if (!shown.isValid()) shown.start();
        if (shown.elapsed() > 3000) box->done(QMessageBox::Ok);  // left open: ended here, and reported
      } else {
        seen << box->windowTitle() + u": "_s + box->text();
        box->done(QMessageBox::Ok);  // the player's own failure message
      }
    }
    if (!errorBox && shown.isValid() && openMs < 0) openMs = shown.elapsed();
  });
  watch.start(5);
  MainWindow window({app.path(), {bad.fileName()}, QLocale::c()});
  window.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return openMs >= 0; }, 15000)) << "the error box never showed, or stayed; other boxes: " << seen.join(u" | "_s).toStdString();
  EXPECT_LT(openMs, 1000) << "the error box stayed " << openMs << " ms";
}

// The real tray icon's clicks reach the player: a right click stops (and hides the window),
// another plays again; its tip follows.
TEST(MainWindowOffscreen, TheTrayIconsClicksReachThePlayer) {
  ScratchApp app;
  app.addDemoList();
  MainWindow window({app.path(), {}, QLocale::c()});
  window.show();
  const PlayerState& s = window.player().state();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Timer1On; }, 10000));
  auto* tray = window.findChild<QSystemTrayIcon*>();
  ASSERT_NE(tray, nullptr) << "no tray icon";
  emit tray->activated(QSystemTrayIcon::Context);
  EXPECT_FALSE(s.Timer1On) << "a right click on the tray stops";
  EXPECT_EQ(tray->toolTip(), u"Lirra|RightClk to Play"_s);
  emit tray->activated(QSystemTrayIcon::Context);
  EXPECT_TRUE(s.Timer1On) << "and another plays again";
  EXPECT_TRUE(tray->toolTip().endsWith(u"|RightClk to Stop"_s)) << tray->toolTip().toStdString();
}

TEST(MainWindowOffscreen, LeftClickOnThePowerLabelClosesTheWindow) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale::c()});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QWidget* power = window.control(ControlId::lbPower);
  QTest::mouseClick(power, Qt::RightButton);
  EXPECT_TRUE(window.isVisible()) << "only the left button closes";
  QTest::mouseClick(power, Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
}

TEST(MainWindowOffscreen, CloseIsRefusedWhileATrackIsOpening) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale::c()});
  window.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.player().state().EngineReady; }));
  window.player().state().OpeningTrack = true;
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  window.player().state().OpeningTrack = false;
  EXPECT_TRUE(window.close());
}

}  // namespace
}  // namespace lirra
