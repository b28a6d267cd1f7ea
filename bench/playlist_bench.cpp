// Playlist figures on the real window (Qt's offscreen platform) over a private app folder
// with the real engine: LoadCurrentList of 10,000 and 100,000 entries whose files exist,
// until the view is populated and laid out; SaveCurrentList of 100,000 entries; resident
// memory with 100,000 entries loaded; ExpandCueSheet of a 99-track sheet with and without
// its length probe. Medians of several runs.
//
//   playlist_bench <app-dir>
#include <malloc.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cue_sheet.h"
#include "m3u_format.h"
#include "main_window.h"
#include "playlist_file.h"
#include "track_opening.h"

namespace {

using lirra::bench::Median;
using lirra::bench::ResidentKb;

using Clock = std::chrono::steady_clock;
using namespace lirra;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// n empty media files in `folder` and a list file naming them (titles in reverse order,
// so the load really sorts).
QString MakeList(const QString& folder, const QString& listPath, int n) {
  QDir().mkpath(folder);
  QByteArray text = "#EXTM3U\r\n";
  for (int i = 0; i < n; ++i) {
    const QString path = folder + QStringLiteral("/track %1.mp3").arg(i, 6, 10, QLatin1Char('0'));
    QFile f(path);
    if (!f.exists() && f.open(QIODevice::WriteOnly)) f.close();
    text += "#EXTINF:" + QByteArray::number(180 + i % 120) + ",Artist " + QByteArray::number(i % 97) +
            " - Title " + QByteArray::number(n - i) + "\r\n" + path.toUtf8() + "\r\n";
  }
  QFile list(listPath);
  if (list.open(QIODevice::WriteOnly)) list.write(text);
  return listPath;
}

void Unload(MainWindow& window) {
  PlayerContext& ctx = window.player().context();
  ctx.list.clear();
  ctx.shell.views.TrackListChanged(ctx.list);
  ctx.state.ListModified = false;
  QApplication::processEvents();
  malloc_trim(0);
}

double TimeLoad(MainWindow& window, const QString& listFile) {
  PlayerContext& ctx = window.player().context();
  ctx.state.CurrentListFile = listFile;
  const auto start = Clock::now();
  LoadCurrentList(ctx);
  QApplication::processEvents();  // the view lays out its rows
  const double ms = Ms(Clock::now() - start);
  if (window.trackList()->model()->rowCount() != ctx.list.size() || ctx.list.empty())
    std::fprintf(stderr, "the view was not populated\n");
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: playlist_bench <app-dir>\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  QTemporaryDir app;
  const QDir built(QString::fromLocal8Bit(argv[1]));
  for (const QString& name : built.entryList({QStringLiteral("*.so")}, QDir::Files))
    QFile::link(built.filePath(name), app.filePath(name));
  QFile::link(built.filePath(QStringLiteral("Plugins")), app.filePath(QStringLiteral("Plugins")));

  MainWindow window({app.path() + u'/', {}, QLocale(QStringLiteral("en_US"))});
  window.show();
  while (!window.player().state().EngineReady) QApplication::processEvents();
  PlayerContext& ctx = window.player().context();

  QTemporaryDir media;
  const QString small = MakeList(media.filePath(QStringLiteral("m")), media.filePath(QStringLiteral("small.m3u")), 10000);
  const QString big = MakeList(media.filePath(QStringLiteral("m")), media.filePath(QStringLiteral("big.m3u")), 100000);

  std::vector<double> loads10k, loads100k, saves, buildLines;
  for (int run = 0; run < 5; ++run) {
    loads10k.push_back(TimeLoad(window, small));
    Unload(window);
  }
  const long emptyKb = ResidentKb();
  long loadedKb = 0;
  for (int run = 0; run < 5; ++run) {
    loads100k.push_back(TimeLoad(window, big));
    malloc_trim(0);
    loadedKb = std::max(loadedKb, ResidentKb());
    // An edited list (a list outside the app folder is written only after the user's edits).
    ctx.state.ListModified = ctx.state.ListEdited = true;
    ctx.state.CurrentListFile = media.filePath(QStringLiteral("saved.m3u"));
    const auto start = Clock::now();
    SaveCurrentList(ctx);
    saves.push_back(Ms(Clock::now() - start));
    const auto built = Clock::now();
    const QStringList lines = M3uLines(ctx.list);
    buildLines.push_back(Ms(Clock::now() - built));
    Unload(window);
  }

  // A 99-track sheet over a real WAV file the engine probes.
  const QString wav = media.filePath(QStringLiteral("album.wav"));
  {
    QFile f(wav);
    f.open(QIODevice::WriteOnly);
    const quint32 dataBytes = 44100 * 4 * 600;  // 10 minutes of 16-bit stereo silence
    QByteArray header("RIFF");
    const auto le32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) header.append(char((v >> (8 * i)) & 0xFF)); };
    const auto le16 = [&](quint16 v) { header.append(char(v & 0xFF)).append(char(v >> 8)); };
    le32(36 + dataBytes);
    header += "WAVEfmt ";
    le32(16); le16(1); le16(2); le32(44100); le32(44100 * 4); le16(4); le16(16);
    header += "data";
    le32(dataBytes);
    f.write(header);
    f.resize(header.size() + dataBytes);
  }
  QByteArray sheet = "PERFORMER \"Bench\"\r\nFILE \"album.wav\" WAVE\r\n";
  for (int t = 1; t <= 99; ++t)
    sheet += QStringLiteral("  TRACK %1 AUDIO\r\n    TITLE \"Part %1\"\r\n    INDEX 01 %2:%3:00\r\n")
                 .arg(t, 2, 10, QLatin1Char('0'))
                 .arg(t * 6 / 60, 2, 10, QLatin1Char('0'))
                 .arg(t * 6 % 60, 2, 10, QLatin1Char('0'))
                 .toUtf8();
  const QString cue = media.filePath(QStringLiteral("album.cue"));
  QFile c(cue);
  c.open(QIODevice::WriteOnly);
  c.write(sheet);
  c.close();
  std::vector<double> expands, probes;
  for (int run = 0; run < 9; ++run) {
    ctx.list.clear();
    auto start = Clock::now();
    ExpandCueSheet(ctx, cue);
    expands.push_back(Ms(Clock::now() - start));
    start = Clock::now();
    ProbeDuration(ctx, wav);
    probes.push_back(Ms(Clock::now() - start));
  }
  if (ctx.list.size() != 99) std::fprintf(stderr, "the sheet gave %d tracks\n", ctx.list.size());

  std::printf("LoadCurrentList 10,000 entries to a populated view: median %.1f ms\n", Median(loads10k));
  std::printf("LoadCurrentList 100,000 entries to a populated view: median %.1f ms\n", Median(loads100k));
  std::printf("SaveCurrentList 100,000 entries: median %.1f ms (building its lines %.1f ms)\n",
              Median(saves), Median(buildLines));
  std::printf("resident memory with 100,000 entries: +%.1f MB above an empty list\n",
              static_cast<double>(loadedKb - emptyKb) / 1024.0);
  std::printf("ExpandCueSheet 99 tracks: median %.2f ms, of which the length probe %.2f ms\n",
              Median(expands), Median(probes));
  window.close();
  return 0;
}
