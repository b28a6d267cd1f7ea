// The desktop's media controls, measured against the real program on a private session bus
// (run by scripts/bench.sh under Xvfb with a PulseAudio null sink): a PlayPause call that
// resumes a paused tone until the tone is at the sink again; property reads; and launch to
// sound and resident memory with and without a session bus (the name taken and the
// controls on, or the player as before). Medians.
//
//   mpris_bench <app-dir>
#include <signal.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "sink_monitor.h"

namespace {

using lirra::bench::Median;
using lirra::bench::ToneHeard;
using namespace Qt::StringLiterals;

// Milliseconds until `done` holds (polled every 0.5 ms), or -1 after 10 s.
template <typename Done>
double MsUntil(Done done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > 10000) return -1;
    QThread::usleep(500);
  }
  return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: mpris_bench <app-dir>\n");
    return 2;
  }
  const QString dir = u"/tmp/lirra-mpris-bench"_s;
  const QString tone = dir + u"/tone.mp3"_s;
  QProcess::execute(u"sh"_s, {u"-c"_s, u"rm -rf %1 && mkdir -p %1/runtime %1/app && chmod 700 %1/runtime && "
                                       "cp %2/lirra %1/app/ && for f in %2/*; do [ \"$(basename \"$f\")\" = lirra ] || "
                                       "ln -s \"$f\" %1/app/; done && printf '[main]\\r\\nskin=Ocean.bmp\\r\\n' > %1/app/lirra.ini && "
                                       "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=1722.66:duration=300 "
                                       "-ac 2 -c:a libmp3lame %3"_s.arg(dir, QString::fromLocal8Bit(argv[1]), tone)});
  qputenv("XDG_RUNTIME_DIR", (dir + u"/runtime"_s).toLocal8Bit());
  const HRECORD monitor = lirra::bench::StartSinkMonitor();
  if (!monitor) {
    std::fprintf(stderr, "mpris_bench: cannot record the sink's monitor\n");
    return 1;
  }
  QProcess daemon;
  daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
  while (daemon.waitForReadyRead(5000) && !daemon.canReadLine()) {}
  const QString address = QString::fromUtf8(daemon.readLine().trimmed());
  QDBusConnection bus = QDBusConnection::connectToBus(address, u"bench"_s);
  if (!bus.isConnected()) {
    std::fprintf(stderr, "mpris_bench: no private session bus\n");
    return 1;
  }
  const QString service = u"org.mpris.MediaPlayer2.lirra"_s;
  const QString path = u"/org/mpris/MediaPlayer2"_s;

  const int runs = 7;
  std::vector<double> startMs[2], residentMb[2], playPauseMs, readMs[3];
  for (int run = 0; run < runs; ++run) {
    for (int withBus = 0; withBus < 2; ++withBus) {
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
      if (withBus) env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, address);
      QProcess lirra;
      lirra.setProcessEnvironment(env);
      while (ToneHeard(monitor)) QThread::msleep(20);
      QThread::msleep(300);
      QElapsedTimer launched;
      launched.start();
      lirra.start(dir + u"/app/lirra"_s, {tone});
      if (MsUntil([&] { return ToneHeard(monitor); }) >= 0) startMs[withBus].push_back(launched.nsecsElapsed() / 1e6);
      QThread::msleep(1500);
      residentMb[withBus].push_back(lirra::bench::ResidentKb(std::to_string(lirra.processId())) / 1024.0);
      if (withBus) {
        if (MsUntil([&] { return bus.interface()->isServiceRegistered(service).value(); }) < 0) {
          std::fprintf(stderr, "mpris_bench: the player never took its name\n");
          return 1;
        }
        for (int i = 0; i < 5; ++i) {
          bus.call(QDBusMessage::createMethodCall(service, path, u"org.mpris.MediaPlayer2.Player"_s, u"PlayPause"_s));
          MsUntil([&] { return !ToneHeard(monitor); });
          QThread::msleep(200);
          QElapsedTimer called;
          called.start();
          bus.call(QDBusMessage::createMethodCall(service, path, u"org.mpris.MediaPlayer2.Player"_s, u"PlayPause"_s));
          if (MsUntil([&] { return ToneHeard(monitor); }) >= 0) playPauseMs.push_back(called.nsecsElapsed() / 1e6);
        }
        const char* properties[] = {"PlaybackStatus", "Metadata", "Position"};
        for (int p = 0; p < 3; ++p) {
          for (int i = 0; i < 50; ++i) {
            QDBusMessage get = QDBusMessage::createMethodCall(service, path, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
            get.setArguments({u"org.mpris.MediaPlayer2.Player"_s, QString::fromLatin1(properties[p])});
            QElapsedTimer t;
            t.start();
            const QDBusMessage reply = bus.call(get);
            if (reply.type() == QDBusMessage::ReplyMessage) readMs[p].push_back(t.nsecsElapsed() / 1e6);
          }
        }
      }
      lirra.terminate();
      lirra.waitForFinished(8000);
    }
  }
  std::printf("playpause_to_sound_at_sink_ms_median %.1f (includes the monitor recording's ~10 ms)\n", Median(playPauseMs));
  std::printf("property_read_ms_median PlaybackStatus %.3f Metadata %.3f Position %.3f\n", Median(readMs[0]),
              Median(readMs[1]), Median(readMs[2]));
  std::printf("launch_to_sink_ms_median without a bus %.0f, with the controls on %.0f\n", Median(startMs[0]),
              Median(startMs[1]));
  std::printf("resident_mb_median without a bus %.1f, with the controls on %.1f\n", Median(residentMb[0]),
              Median(residentMb[1]));
  QDBusConnection::disconnectFromBus(u"bench"_s);
  daemon.kill();
  daemon.waitForFinished();
  BASS_RecordFree();
  return 0;
}
