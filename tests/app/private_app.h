// The real lirra program in a private copy of the app folder, and the sink it plays to:
// the fixture of the tests that start the program.
#pragma once

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>

#include "bass.h"
#include "private_bus.h"
#include "window_layout.h"

namespace lirra {

using namespace Qt::StringLiterals;

inline const QString kAppDir = QStringLiteral(LIRRA_APP_DIR) + u'/';

// Runs a helper program to completion and returns its standard output.
inline QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(15000) || p.exitCode() != 0) return {};
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

inline QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QProcessEnvironment LirraEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(u"QT_QPA_PLATFORM"_s);
  // As for the window tests: memory errors end the run, the exit-time leak scan is off.
  env.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0"_s);
  // The visualisation plug-in's OpenGL without LLVM (llvmpipe's JIT can crash under the
  // address sanitizer).
  env.insert(u"GALLIUM_DRIVER"_s, u"softpipe"_s);
  return env;
}

// A private copy of the app folder and runtime folder, so that a run's settings, lists and
// single-instance lock touch nothing else.
class PrivateApp : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    app_ = dir_.filePath(u"app"_s) + u'/';
    QDirIterator it(kAppDir, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString from = it.next();
      const QString to = app_ + from.mid(kAppDir.size());
      if (it.fileInfo().isDir())
        QDir().mkpath(to);
      else
        ASSERT_TRUE(QDir().mkpath(QFileInfo(to).path()) && QFile::copy(from, to)) << to.toStdString();
    }
    runtime_ = dir_.filePath(u"runtime"_s);
    QDir().mkpath(runtime_);
    QFile::setPermissions(runtime_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QProcessEnvironment env() const {
    QProcessEnvironment e = LirraEnvironment();
    e.insert(u"XDG_RUNTIME_DIR"_s, runtime_);
    e.insert(u"XDG_DATA_HOME"_s, dir_.filePath(u"data"_s));
    return e;
  }
  void start(QProcess& p, const QStringList& args) {
    p.setProcessEnvironment(env());
    p.setWorkingDirectory(app_);
    p.start(app_ + u"lirra"_s, args);
    ASSERT_TRUE(p.waitForStarted(10000));
  }
  // The first visible window of the process whose name matches, or empty after 10 s.
  static QString WaitForWindow(const QProcess& p, const QString& name) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000 && p.state() == QProcess::Running) {
      const QString found = RunTool(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--pid"_s,
                                                   QString::number(p.processId()), u"--name"_s, name});
      if (!found.isEmpty()) return found.section(u'\n', 0, 0);
      QThread::msleep(250);  // gently: every look is a new connection to the X server
    }
    return {};
  }

  // Every path under `folder` with its modification time: equal listings, nothing written.
  static QStringList Listing(const QString& folder) {
    QStringList all;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) all << it.next() + u' ' + QString::number(it.fileInfo().lastModified().toMSecsSinceEpoch());
    all.sort();
    return all;
  }
  // A real left click on the close label of the window `id`; returns the window's size.
  static QSize ClickPowerLabel(const QString& id) {
    const QString geometry = RunTool(u"xdotool"_s, {u"getwindowgeometry"_s, u"--shell"_s, id});
    const auto field = [&](const QString& name) {
      const auto m = QRegularExpression(u"^"_s + name + u"=(-?\\d+)$"_s, QRegularExpression::MultilineOption)
                         .match(geometry);
      return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    const QSize size(field(u"WIDTH"_s), field(u"HEIGHT"_s));
    const QPoint power = At(LayoutFor(size), ControlId::lbPower).center();
    RunTool(u"xdotool"_s, {u"mousemove"_s, u"--sync"_s, QString::number(field(u"X"_s) + power.x()),
                           QString::number(field(u"Y"_s) + power.y()), u"click"_s, u"1"_s});
    return size;
  }

  QTemporaryDir dir_;
  QString app_;
  QString runtime_;
};

// A 16-bit stereo WAV at 44.1 kHz of `seconds` whose samples `at(time)` gives, in -1..1.
template <typename Signal>
void WriteWave(const QString& path, double seconds, Signal at) {
  const int frames = static_cast<int>(seconds * 44100);
  QByteArray data;
  data.reserve(frames * 4);
  for (int f = 0; f < frames; ++f) {
    const auto v = static_cast<qint16>(std::lround(32767 * std::clamp(at(f / 44100.0), -1.0, 1.0)));
    for (int c = 0; c < 2; ++c) data.append(static_cast<char>(v & 0xFF)).append(static_cast<char>((v >> 8) & 0xFF));
  }
  QByteArray head("RIFF");
  const auto le = [&head](quint32 v, int n) { for (int i = 0; i < n; ++i) head.append(static_cast<char>((v >> (8 * i)) & 0xFF)); };
  le(36 + data.size(), 4);
  head += "WAVEfmt ";
  le(16, 4), le(1, 2), le(2, 2), le(44100, 4), le(176400, 4), le(4, 2), le(16, 2);
  head += "data";
  le(data.size(), 4);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(head + data);
}

inline void WriteSine(const QString& path, double hz, double seconds) {
  WriteWave(path, seconds, [hz](double t) { return 16000.0 / 32767 * std::sin(2 * M_PI * hz * t); });
}

// The sink, heard through the engine's own recording of its monitor.
class SinkListener {
 public:
  SinkListener() {
    if (BASS_RecordInit(0) && BASS_RecordSetInput(0, BASS_INPUT_ON, -1.0f))
      monitor_ = BASS_RecordStart(44100, 2, 0, nullptr, nullptr);  // stereo: see heard_sound.h
  }
  ~SinkListener() { BASS_RecordFree(); }
  bool listening() const { return monitor_ != 0; }
  // The strongest spectrum bin of what the sink plays now (-1 for silence).
  int loudestBin() const {
    float bins[512];
    if (BASS_ChannelGetData(monitor_, bins, BASS_DATA_FFT1024) == 0xFFFFFFFFu) return -1;
    const float* top = std::max_element(bins, bins + 512);
    return *top > 0.1f ? static_cast<int>(top - bins) : -1;
  }
  // Milliseconds until the sink plays `bin` (-1: silence), or -1 when it does not within
  // `withinMs`.
  qint64 msUntil(int bin, int withinMs) const {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < withinMs) {
      if (loudestBin() == bin) return timer.elapsed();
      QThread::msleep(5);
    }
    return -1;
  }

 private:
  HRECORD monitor_ = 0;
};


}  // namespace lirra
