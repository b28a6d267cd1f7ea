// The real player when its sound server goes away for longer than ten seconds: it says so
// once, in a notice that waits for nothing, and plays on by itself, the notice gone, once
// the server is back. Heard at the private server's sink.
#include <QProcess>
#include <QThread>

#include "private_app.h"
#include "sound_server.h"

namespace lirra {
namespace {

TEST_F(PrivateApp, ASoundServerGoneForTwelveSecondsIsToldOnceAndPlayingGoesOnWhenItIsBack) {
  testing::SoundServer server(dir_.filePath(u"server"_s).toStdString());
  std::string why;
  ASSERT_TRUE(server.start(&why)) << why;
  const QByteArray shared = qgetenv("PULSE_SERVER");
  qputenv("PULSE_SERVER", QByteArray::fromStdString(server.address()));  // the listener's too
  const QString tone = app_ + u"tone.wav"_s;
  WriteSine(tone, 50 * 44100.0 / 1024, 60);  // the spectrum's bin 50
  SinkListener sink;  // its recording reconnects with the server
  ASSERT_TRUE(sink.listening());
  QProcess lirra;
  start(lirra, {tone});
  ASSERT_GE(sink.msUntil(50, 8000), 0) << "not playing";
  const QString id = WaitForWindow(lirra, u"."_s);
  ASSERT_FALSE(id.isEmpty());
  const auto notices = [&] {
    // (--all: every condition must hold, not one of them.)
    return RunTool(u"xdotool"_s, {u"search"_s, u"--all"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(lirra.processId()),
                                  u"--name"_s, u"^Infomation$"_s});
  };

  server.kill();
  QThread::msleep(7000);
  EXPECT_TRUE(notices().isEmpty()) << "told before ten seconds";
  QThread::msleep(5000);
  const QString notice = notices();
  EXPECT_EQ(notice.count(u'\n'), 0) << "told more than once";
  EXPECT_FALSE(notice.isEmpty()) << "not told after twelve seconds";
  ASSERT_TRUE(server.start(&why)) << why;
  EXPECT_GE(sink.msUntil(50, 4000), 0) << "not playing again once the server is back";
  QThread::msleep(500);  // the next tick of the player's clock
  EXPECT_TRUE(notices().isEmpty()) << "the notice stays though the sound is back";
  EXPECT_EQ(lirra.state(), QProcess::Running);
  lirra.terminate();
  lirra.waitForFinished(5000);
  qputenv("PULSE_SERVER", shared);
}

}  // namespace
}  // namespace lirra
