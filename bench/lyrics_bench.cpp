// Lyrics: the re-search a tick makes for a track without lyrics, parsing a long LRC file,
// and the fetcher from its start to its file on disk against a loopback service.
//   lyrics_bench <app-dir>      (the built app folder, for Plugins/GetLRC)
#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "http_server.h"
#include "lrc_format.h"
#include "lyrics.h"
#include "paths.h"
#include "player_context.h"
#include "recording_shell.h"

namespace {

using Clock = std::chrono::steady_clock;
using lirra::bench::Median;

double MicrosecondsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

// A tick's look for lyrics of a tagged track that has none anywhere, the fetcher present.
double ResearchMicroseconds(const QString& appDir) {
  lirra::testing::RecordingShell shell;
  lirra::PlayerContext ctx(shell);
  lirra::PlayerState& s = ctx.state;
  s.AppDir = s.ConfigDir = s.DataDir = appDir;
  s.LyricsTracking = true;
  s.Timer1On = true;
  ctx.list.append({QStringLiteral("Some Title"), appDir + QStringLiteral("Music/song.mp3"), std::nullopt, std::nullopt});
  s.PlayingIndex = 0;
  ctx.tags = {true, QStringLiteral("Some Title"), QStringLiteral("Some Artist"), {}};  // read when the track opened
  std::vector<double> samples;
  for (int round = 0; round < 21; ++round) {
    constexpr int kTicks = 1000;
    const auto t0 = Clock::now();
    for (int i = 0; i < kTicks; ++i) lirra::LyricsSearchStep(ctx);
    samples.push_back(MicrosecondsSince(t0) / kTicks);
  }
  if (!ctx.lyrics.table.empty()) std::fprintf(stderr, "lyrics_bench: lyrics found where none should be\n");
  return Median(samples);
}

double ParseMilliseconds() {
  QStringList lines{QStringLiteral("[ti:Long]"), QStringLiteral("[ar:Bench]"), QStringLiteral("[offset:120]")};
  for (int i = 0; i < 2000; ++i) {
    const int t = (i * 37) % 60000;  // out of order, as files often are
    lines.append(QStringLiteral("[%1:%2.%3]line number %4 of the long lyric")
                     .arg(t / 600, 2, 10, QLatin1Char('0'))
                     .arg(t / 10 % 60, 2, 10, QLatin1Char('0'))
                     .arg(t % 10)
                     .arg(i));
  }
  lirra::LocaleCollator collator;
  std::vector<double> samples;
  for (int round = 0; round < 31; ++round) {
    const auto t0 = Clock::now();
    const lirra::LyricTable table =
        lirra::ParseLyrics(lines, [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    samples.push_back(MicrosecondsSince(t0) / 1000.0);
    if (table.times.size() != 2000) std::fprintf(stderr, "lyrics_bench: %zu lines parsed\n", table.times.size());
  }
  return Median(samples);
}

double FetchMilliseconds(const QString& builtApp, const QString& scratch) {
  lirra::testing::HttpServer service([](const std::string&, const std::string&) {
    return lirra::testing::HttpServer::Reply{200, R"({"syncedLyrics":"[00:01.00]one\n[00:02.00]two"})"};
  });
  QDir().mkpath(scratch + QStringLiteral("/Plugins"));
  const QString fetcher = scratch + QStringLiteral("/Plugins/GetLRC");
  QFile::copy(builtApp + QStringLiteral("/Plugins/GetLRC"), fetcher);
  const QString written = scratch + QStringLiteral("/Plugins/Lyrics/") + lirra::LyricFileName(QStringLiteral("A"), QStringLiteral("B"));
  qputenv("LIRRA_LYRICS_URL", QByteArray::fromStdString(service.url("")));
  std::vector<double> samples;
  for (int round = 0; round < 15; ++round) {
    QFile::remove(written);
    const auto t0 = Clock::now();
    QProcess run;
    run.start(fetcher, {QStringLiteral("A"), QStringLiteral("B")});
    run.waitForFinished(20000);
    samples.push_back(MicrosecondsSince(t0) / 1000.0);
    if (!QFile::exists(written)) std::fprintf(stderr, "lyrics_bench: the fetcher wrote nothing\n");
  }
  return Median(samples);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lyrics_bench <app-dir>\n");
    return 2;
  }
  QTemporaryDir scratch;
  const QString appDir = scratch.path() + QLatin1Char('/');
  QDir().mkpath(appDir + QStringLiteral("Music"));
  QFile(appDir + QStringLiteral("Music/song.mp3")).open(QIODevice::WriteOnly);
  QDir().mkpath(appDir + QStringLiteral("Plugins/Lyrics"));
  QFile(appDir + QStringLiteral("Plugins/GetLRC")).open(QIODevice::WriteOnly);
  std::printf("lyrics_research_per_tick_us_median %.2f (a tagged track without lyrics, the fetcher present)\n",
              ResearchMicroseconds(appDir));
  std::printf("lyrics_parse_2000_lines_ms_median %.3f\n", ParseMilliseconds());
  QTemporaryDir fetchScratch;
  std::printf("getlrc_start_to_file_ms_median %.1f (loopback service)\n",
              FetchMilliseconds(QString::fromLocal8Bit(argv[1]), fetchScratch.path()));
  return 0;
}
