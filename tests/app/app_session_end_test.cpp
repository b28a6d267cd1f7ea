// A desktop session's end closes the player as the user's close would: after SIGTERM, and
// after its X server went away, the settings and a list of the player's own that playing
// changed are on disk, written whole.
#include <signal.h>

#include <QFile>
#include <QProcess>
#include <QThread>

#include "private_app.h"

namespace lirra {
namespace {

// An X server of the test's own, which the test may take away.
class OwnXServer {
 public:
  OwnXServer() {
    server_.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"800x600x24"_s, u"-nolisten"_s, u"tcp"_s});
    if (server_.waitForStarted(5000) && server_.waitForReadyRead(10000))
      display_ = u':' + QString::fromLatin1(server_.readLine().trimmed());
  }
  ~OwnXServer() { end(); }
  const QString& display() const { return display_; }
  void end() {
    server_.kill();
    server_.waitForFinished();
  }

 private:
  QProcess server_;
  QString display_;
};

enum class SessionEnds { Terminated, DisplayGone };

class SessionEndApp : public PrivateApp, public ::testing::WithParamInterface<SessionEnds> {};

TEST_P(SessionEndApp, WritesTheSettingsAndAChangedListOfItsOwn) {
  // Playing learns the tone's length, which the list did not hold: the list changed. No
  // settings file yet: the place the window gets is a change too.
  const QString tone = app_ + u"tone.wav"_s, list = app_ + u"own.m3u"_s;
  WriteSine(tone, 440, 30);
  QFile m3u(list);
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly) && m3u.write(("#EXTM3U\r\n" + tone + "\r\n").toUtf8()) > 0);
  m3u.close();
  ASSERT_FALSE(QFile::exists(app_ + u"lirra.ini"_s));

  OwnXServer x;
  QProcess lirra;
  if (GetParam() == SessionEnds::DisplayGone) {
    ASSERT_FALSE(x.display().isEmpty()) << "no X server of the test's own";
    QProcessEnvironment e = env();
    e.insert(u"DISPLAY"_s, x.display());
    lirra.setProcessEnvironment(e);
    lirra.setWorkingDirectory(app_);
    lirra.start(app_ + u"lirra"_s, {list});
    ASSERT_TRUE(lirra.waitForStarted(10000));
    QThread::msleep(4000);  // the window shows and the tone plays
    ASSERT_EQ(lirra.state(), QProcess::Running) << lirra.readAllStandardError().toStdString();
    x.end();
  } else {
    start(lirra, {list});
    ASSERT_FALSE(WaitForWindow(lirra, u"."_s).isEmpty()) << "no window";
    QThread::msleep(1000);
    kill(static_cast<pid_t>(lirra.processId()), SIGTERM);
  }
  ASSERT_TRUE(lirra.waitForFinished(5000)) << "still running after the session ended";
  EXPECT_EQ(lirra.exitStatus(), QProcess::NormalExit) << "ended by the signal, not by its close";
  const QString ini = QString::fromUtf8(ReadFile(app_ + u"lirra.ini"_s));
  EXPECT_TRUE(ini.contains(u"pos_x="_s)) << "settings not written: " << ini.toStdString();
  const QString written = QString::fromUtf8(ReadFile(list));
  EXPECT_TRUE(written.startsWith(u"#EXTM3U"_s) && written.contains(u"#EXTINF:30,"_s) && written.contains(tone))
      << "the list's change was lost: " << written.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ends, SessionEndApp, ::testing::Values(SessionEnds::Terminated, SessionEnds::DisplayGone),
                         [](const auto& info) {
                           return info.param == SessionEnds::Terminated ? "Sigterm" : "DisplayGone";
                         });

}  // namespace
}  // namespace lirra
