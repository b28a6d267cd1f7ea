// The screen saver held off over D-Bus, against a stand-in for the desktop's service on a
// private session bus, and nothing at all where no bus or no service exists.
#include "screen_saver.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

class StandInScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
 public slots:
  // Answers once the test opens the gate (a slow desktop), at most 5 s later.
  uint Inhibit(const QString& application, const QString&) {
    for (int i = 0; i < 500 && !gateOpen; ++i) QThread::msleep(10);
    applications << application;
    return 42;
  }
  void UnInhibit(uint cookie) { released << cookie; }

 public:
  std::atomic<bool> gateOpen{true};
  QStringList applications;
  QList<uint> released;
};

TEST(DesktopScreenSaver, InhibitsOnceWhileOffAndReleasesTheSameCookie) {
  // A private session bus for this process.
  QProcess daemon;
  daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
  ASSERT_TRUE(daemon.waitForStarted(5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return daemon.canReadLine(); }, 5000));
  const QByteArray address = daemon.readLine().trimmed();
  qputenv("DBUS_SESSION_BUS_ADDRESS", address);
  {
    DesktopScreenSaver absent;
    absent.setActive(false);
    QTest::qWait(300);
    EXPECT_FALSE(absent.inhibited()) << "no service on the bus: nothing to hold off";
  }

  // The stand-in answers from a thread of its own, as another process would.
  QDBusConnection desktop = QDBusConnection::connectToBus(QString::fromUtf8(address), u"desktop"_s);
  StandInScreenSaver service;
  QThread desktopThread;
  service.moveToThread(&desktopThread);
  desktopThread.start();
  ASSERT_TRUE(desktop.registerObject(u"/org/freedesktop/ScreenSaver"_s, &service, QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(desktop.registerService(u"org.freedesktop.ScreenSaver"_s));
  {
    // The desktop is slow to answer: the player does not wait for it.
    DesktopScreenSaver saver;
    EXPECT_TRUE(DesktopScreenSaver::mayExist());
    service.gateOpen = false;
    saver.setActive(false);
    saver.setActive(false);
    EXPECT_FALSE(saver.inhibited()) << "asked, not yet answered";
    service.gateOpen = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return saver.inhibited(); }, 5000)) << "the answer arrives with the event loop";
    EXPECT_EQ(service.applications, QStringList{u"Lirra"_s}) << "one inhibition however often it is asked";
    saver.setActive(true);
    EXPECT_FALSE(saver.inhibited());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !service.released.isEmpty(); }, 2000));
    EXPECT_EQ(service.released, QList<uint>{42});
    // Let on again before the desktop answered: the inhibition is released as it comes.
    service.gateOpen = false;
    saver.setActive(false);
    saver.setActive(true);
    service.gateOpen = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return service.released.size() == 2; }, 5000));
    EXPECT_FALSE(saver.inhibited());
  }
  QDBusConnection::disconnectFromBus(u"desktop"_s);
  // Home again before its thread ends (only its own thread may hand it back).
  QMetaObject::invokeMethod(&service, [&] { service.moveToThread(QCoreApplication::instance()->thread()); },
                            Qt::BlockingQueuedConnection);
  desktopThread.quit();
  desktopThread.wait();
  daemon.kill();
  daemon.waitForFinished();
}

}  // namespace
}  // namespace lirra

#include "screen_saver_test.moc"
