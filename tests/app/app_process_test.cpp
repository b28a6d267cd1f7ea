// The real lirra program, started from the app folder as the run command starts it.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "window_layout.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

const QString kAppDir = QStringLiteral(LIRRA_APP_DIR) + u'/';

// Runs a helper program to completion and returns its standard output.
QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(15000) || p.exitCode() != 0) return {};
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QProcessEnvironment LirraEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(u"QT_QPA_PLATFORM"_s);
  return env;
}

TEST(LirraProcess, OpensOnTheDemoPlaylistAndEndsCleanlyWhenClosed) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"))
      << "needs an X server (the test command starts Xvfb)";
  ASSERT_FALSE(QStandardPaths::findExecutable(u"xdotool"_s).isEmpty());

  QProcess lirra;
  lirra.setProcessEnvironment(LirraEnvironment());
  lirra.setWorkingDirectory(kAppDir);
  lirra.start(kAppDir + u"lirra"_s, {kAppDir + u"Demo.m3u"_s});
  ASSERT_TRUE(lirra.waitForStarted(10000));

  // Wait for the window to be mapped, then read where it is.
  const QString id = RunTool(u"xdotool"_s, {u"search"_s, u"--sync"_s, u"--onlyvisible"_s,
                                        u"--pid"_s, QString::number(lirra.processId()),
                                        u"--name"_s, u"^Lirra$"_s});
  ASSERT_FALSE(id.isEmpty()) << "no Lirra window appeared";
  const QString geometry = RunTool(u"xdotool"_s, {u"getwindowgeometry"_s, u"--shell"_s, id});
  const auto field = [&](const QString& name) {
    const auto m = QRegularExpression(u"^"_s + name + u"=(-?\\d+)$"_s,
                                      QRegularExpression::MultilineOption)
                       .match(geometry);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
  };
  EXPECT_EQ(field(u"WIDTH"_s), 270);
  EXPECT_EQ(field(u"HEIGHT"_s), 150);

  // A real left click on the close label.
  const QPoint power = At(LayoutFor(kStartClientSize), ControlId::lbPower).center();
  const QString x = QString::number(field(u"X"_s) + power.x());
  const QString y = QString::number(field(u"Y"_s) + power.y());
  RunTool(u"xdotool"_s, {u"mousemove"_s, u"--sync"_s, x, y, u"click"_s, u"1"_s});

  ASSERT_TRUE(lirra.waitForFinished(15000)) << "the window did not close";
  EXPECT_EQ(lirra.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(lirra.exitCode(), 0) << lirra.readAllStandardError().toStdString();
}

TEST(LirraProcess, SaysPlainlyWhenThereIsNoDisplay) {
  QProcessEnvironment env = LirraEnvironment();
  env.remove(u"DISPLAY"_s);
  env.remove(u"WAYLAND_DISPLAY"_s);
  QProcess lirra;
  lirra.setProcessEnvironment(env);
  lirra.start(kAppDir + u"lirra"_s, {kAppDir + u"Demo.m3u"_s});
  ASSERT_TRUE(lirra.waitForFinished(15000));
  EXPECT_EQ(lirra.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(lirra.exitCode(), 1);
  EXPECT_TRUE(lirra.readAllStandardError().contains("no display to show the window on"));

  env.insert(u"DISPLAY"_s, u":4242"_s);  // a display nobody serves
  lirra.setProcessEnvironment(env);
  lirra.start(kAppDir + u"lirra"_s, {});
  ASSERT_TRUE(lirra.waitForFinished(15000));
  EXPECT_EQ(lirra.exitCode(), 1);
  EXPECT_TRUE(lirra.readAllStandardError().contains("cannot be reached"));
}

}  // namespace
}  // namespace lirra
