// The servers the test command starts for the sound and video tests: a private
// PulseAudio (or pipewire-pulse) server with a null sink, reachable through PULSE_SERVER.
#include <gtest/gtest.h>

#include <QProcess>

namespace {

using namespace Qt::StringLiterals;

TEST(TestServers, PulseAudioServerWithANullSinkIsReachable) {
  const QString server = qEnvironmentVariable("PULSE_SERVER");
  const QString sink = qEnvironmentVariable("LIRRA_TEST_SINK");
  ASSERT_FALSE(server.isEmpty()) << "PULSE_SERVER is not set (the test command sets it)";
  ASSERT_FALSE(sink.isEmpty()) << "LIRRA_TEST_SINK is not set (the test command sets it)";

  QProcess pactl;
  pactl.start(u"pactl"_s, {u"list"_s, u"sinks"_s});
  ASSERT_TRUE(pactl.waitForFinished(10000));
  ASSERT_EQ(pactl.exitCode(), 0) << pactl.readAllStandardError().toStdString();
  const QString sinks = QString::fromUtf8(pactl.readAllStandardOutput());
  EXPECT_TRUE(sinks.contains(sink)) << sinks.toStdString();
  // PulseAudio's "module-null-sink.c", PipeWire's "support.null-audio-sink".
  EXPECT_TRUE(sinks.contains(u"null"_s)) << sinks.toStdString();
}

}  // namespace
