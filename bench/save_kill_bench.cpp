// Nothing lost on a crash: a child process writes a track list, the settings and a lyrics
// file again and again through the player's own writers, each round a new version of all
// three; the parent kills it with SIGKILL at a random moment, `kills` times. After every
// kill each file must be, byte for byte, one of the versions written (never partial, never
// gone once written). Temporary files left beside them are counted.
//
//   save_kill_bench <scratch-dir> [kills=1000]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "inifile.h"
#include "lrc_format.h"
#include "m3u_format.h"
#include "player_state.h"
#include "settings.h"
#include "textfile.h"

namespace {

using namespace lirra;
using namespace Qt::StringLiterals;

constexpr int kEntries = 20000;  // about 1.3 MB of list: a write takes long enough to be hit

QStringList ListLines(int version) {
  TrackList list;
  for (int i = 0; i < kEntries; ++i) {
    TrackEntry e;
    e.Title = QStringLiteral("v%1 歌曲 %2").arg(version).arg(i);
    e.Location = QStringLiteral("/music/album %1/track %2.mp3").arg(i / 12).arg(i);
    e.LengthSeconds = QString::number(180 + i % 90);
    list.append(std::move(e));
  }
  return M3uLines(list);
}

QStringList LyricLines(int version) {
  QStringList lines{QStringLiteral("[ti:v%1]").arg(version)};
  for (int i = 0; i < 400; ++i)
    lines << QStringLiteral("[%1:%2.00]第 %3 行 v%4").arg(i / 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0')).arg(i).arg(version);
  return FormatLyrics(ParseLyrics(lines));
}

PlayerState SettingsOf(const QString& dir, int version) {
  PlayerState s;
  s.ConfigDir = dir;
  s.OpenDir = QStringLiteral("/music/v%1").arg(version);
  s.Left = version % 1000;
  s.CurrentListFile = dir + QStringLiteral("list.m3u");
  return s;
}

// One round of saves, as the player makes them: each file replaced whole.
bool WriteVersion(const QString& dir, int version) {
  PlayerState s = SettingsOf(dir, version);
  return WriteTextLines(dir + u"list.m3u"_s, ListLines(version)) && SaveSettings(s) &&
         WriteTextLines(dir + u"song.lrc"_s, LyricLines(version));
}

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The version a file is: the number its text carries, when its bytes are exactly what that
// version wrote (checked against a fresh write of it); -1 for anything else.
int VersionOf(const QByteArray& bytes, const QString& referenceDir, const QString& name) {
  static const QRegularExpression number(u"v(\\d+)"_s);
  const QRegularExpressionMatch m = number.match(QString::fromUtf8(bytes));
  if (!m.hasMatch()) return -1;
  const int v = m.captured(1).toInt();
  static int written = -1;
  if (v != written) {
    QDir(referenceDir).removeRecursively();
    QDir().mkpath(referenceDir);
    WriteVersion(referenceDir, v);
    written = v;
  }
  return Bytes(referenceDir + name) == bytes ? v : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: save_kill_bench <scratch-dir> [kills]\n");
    return 2;
  }
  const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + u"/files/"_s;
  const QString reference = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + u"/reference/"_s;
  const int kills = argc > 2 ? std::atoi(argv[2]) : 1000;
  QDir(dir).removeRecursively();
  QDir().mkpath(dir);

  // Kills spread over the first three rounds of each child, so they land in every file.
  const auto started = std::chrono::steady_clock::now();
  WriteVersion(dir, 0);
  const auto roundUs = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> delayUs(0, static_cast<int>(3 * roundUs.count()));
  int version = 0, faults = 0, between = 0, strays = 0;
  for (int kill = 0; kill < kills; ++kill) {
    const pid_t child = fork();
    if (child == 0) {
      for (int v = version + 1;; ++v) WriteVersion(dir, v);
    }
    usleep(static_cast<useconds_t>(delayUs(random)));
    ::kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    QList<int> found;
    for (const QString& name : {u"list.m3u"_s, u"lirra.ini"_s, u"song.lrc"_s}) {
      const QByteArray bytes = Bytes(dir + name);
      const int v = VersionOf(bytes, reference, name);
      if (v < version) {  // partial, foreign, or older than what was on disk before
        ++faults;
        std::fprintf(stderr, "kill %d: %s is none of the versions written (%lld bytes)\n", kill, qPrintable(name),
                     static_cast<long long>(bytes.size()));
      }
      found << v;
    }
    if (*std::min_element(found.begin(), found.end()) != *std::max_element(found.begin(), found.end())) ++between;
    // A kill between the temporary file's naming and its rename leaves it beside the target:
    // litter, never a file lost. Counted, then cleared, so each kill is judged on its own.
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
      if (name == u"list.m3u"_s || name == u"lirra.ini"_s || name == u"song.lrc"_s) continue;
      ++strays;
      std::fprintf(stderr, "kill %d: a temporary file was left: %s\n", kill, qPrintable(name));
      QFile::remove(dir + name);
    }
    // The next child starts above every version written so far.
    version = std::max(version, *std::max_element(found.begin(), found.end())) + 1;
    WriteVersion(dir, version);
  }
  std::printf("a round of three saves: %.1f ms\n", roundUs.count() / 1000.0);
  std::printf("kills: %d, files checked: %d, kills between two files of a round: %d, temporary files left: %d, "
              "faults: %d\n",
              kills, kills * 3, between, strays, faults);
  return faults == 0 ? 0 : 1;
}
