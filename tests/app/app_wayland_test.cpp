// The player on a Wayland desktop (weston, headless, started by the test command): where X
// is offered too (XWayland) it runs as an X client, its window mapped on XWayland's display;
// asked for native Wayland, or without X, it runs as a Wayland client. Either way its
// sound reaches the sink. (What the window shows on Wayland: tests/ui/wayland_window_test.cpp.)
#include <QProcess>
#include <QThread>

#include "private_app.h"

namespace lirra {
namespace {

enum class Session { BothOffered, NativeAsked, WaylandOnly };

class WaylandApp : public PrivateApp, public ::testing::WithParamInterface<Session> {};

TEST_P(WaylandApp, RunsOnTheWindowSystemItChoseAndPlaysToTheSink) {
  const QString socket = qEnvironmentVariable("LIRRA_WAYLAND_SOCKET"), xwayland = qEnvironmentVariable("LIRRA_XWAYLAND_DISPLAY");
  ASSERT_FALSE(socket.isEmpty() || xwayland.isEmpty()) << "needs weston with XWayland (the test command starts it)";
  const QString tone = app_ + u"tone.wav"_s;
  WriteSine(tone, 50 * 44100.0 / 1024, 20);  // the spectrum's bin 50
  SinkListener sink;
  ASSERT_TRUE(sink.listening());

  QProcessEnvironment e = env();
  e.insert(u"WAYLAND_DISPLAY"_s, socket);
  e.insert(u"XDG_RUNTIME_DIR"_s, qEnvironmentVariable("XDG_RUNTIME_DIR"));  // where the compositor's socket is
  e.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"config"_s));
  e.insert(u"DISPLAY"_s, xwayland);
  e.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);  // as a desktop session says: Qt alone would pick Wayland
  if (GetParam() == Session::NativeAsked) e.insert(u"LIRRA_WAYLAND"_s, u"1"_s);
  if (GetParam() == Session::WaylandOnly) e.remove(u"DISPLAY"_s);
  QProcess lirra;
  lirra.setProcessEnvironment(e);
  lirra.setWorkingDirectory(app_);
  lirra.start(app_ + u"lirra"_s, {tone});
  ASSERT_TRUE(lirra.waitForStarted(10000));
  EXPECT_GE(sink.msUntil(50, 8000), 0) << "the tone never reached the sink: "
                                       << lirra.readAllStandardError().toStdString();

  // An X client shows on XWayland's display (looked for up to 8 s); a Wayland client never
  // does there.
  const auto onXWayland = [&] {
    QProcess xdotool;
    QProcessEnvironment x = QProcessEnvironment::systemEnvironment();
    x.insert(u"DISPLAY"_s, xwayland);
    xdotool.setProcessEnvironment(x);
    xdotool.start(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(lirra.processId()),
                                 u"--name"_s, u"."_s});
    return xdotool.waitForFinished(10000) && !xdotool.readAllStandardOutput().trimmed().isEmpty();
  };
  bool seen = false;
  for (int i = 0; i < 16 && !seen; ++i, QThread::msleep(500)) seen = onXWayland();
  EXPECT_EQ(seen, GetParam() == Session::BothOffered);
  EXPECT_EQ(lirra.state(), QProcess::Running) << lirra.readAllStandardError().toStdString();
  lirra.terminate();  // a session's end: the close runs
  ASSERT_TRUE(lirra.waitForFinished(5000));
  EXPECT_EQ(lirra.exitCode(), 0) << lirra.readAllStandardError().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sessions, WaylandApp,
                         ::testing::Values(Session::BothOffered, Session::NativeAsked, Session::WaylandOnly),
                         [](const auto& info) {
                           switch (info.param) {
                             case Session::BothOffered: return "XWaylandByDefault";
                             case Session::NativeAsked: return "NativeWhenAsked";
                             default: return "NativeWithoutX";
                           }
                         });

}  // namespace
}  // namespace lirra
