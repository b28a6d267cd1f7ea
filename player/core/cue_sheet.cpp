#include "cue_sheet.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <unordered_map>

#include "compare.h"
#include "m3u_format.h"
#include "paths.h"
#include "textfile.h"
#include "track_opening.h"

namespace lirra {

namespace {

bool IsCommand(const QString& line, QLatin1StringView keyword) {
  return line.startsWith(keyword, Qt::CaseInsensitive);
}

// The text between the first two double quotes, trimmed; empty without them.
QString Quoted(const QString& line) {
  const qsizetype open = line.indexOf(u'"');
  const qsizetype close = open < 0 ? -1 : line.indexOf(u'"', open + 1);
  return close < 0 ? QString() : line.mid(open + 1, close - open - 1).trimmed();
}

// The two characters that follow a keyword: TRACK numbers and INDEX numbers.
QString NumberAfter(const QString& line, qsizetype keywordLength) {
  return line.mid(keywordLength).trimmed().left(2);
}

// Minutes and seconds of an INDEX time "mm:ss:ff" at the end of the line; frames dropped.
int IndexSeconds(const QString& line) {
  if (line.size() < 8) return 0;
  const QString time = line.mid(line.size() - 8, 5);
  // Two digits each; anything else (a sign, a letter) counts as 0, never below it.
  const auto field = [](QStringView digits) {
    for (QChar c : digits)
      if (c < u'0' || c > u'9') return 0;
    return digits.toInt();
  };
  return field(QStringView(time).left(2)) * 60 + field(QStringView(time).mid(3, 2));
}

std::vector<QStringList> SplitBlocks(const QStringList& lines) {
  std::vector<QStringList> blocks(1);
  bool afterIndex = false;
  for (const QString& line : lines) {
    if (IsCommand(line, QLatin1StringView("FILE")) && afterIndex) blocks.emplace_back();
    blocks.back().push_back(line);
    afterIndex = IsCommand(line, QLatin1StringView("INDEX"));
  }
  return blocks;
}

}  // namespace

QString CueAudioPath(const QString& name, const QString& cueFolder) {
  // Sheets written on Windows separate folders with "\" and may spell the name in
  // another letter case than the file on disk.
  QString path = name;
  path.replace(u'\\', u'/');
  if (!path.startsWith(u'/')) path.prepend(cueFolder);
  if (FileExists(path)) return path;
  const QString wanted = FileNameOf(path);
  for (const QString& entry : QDir(cueFolder).entryList(QDir::Files | QDir::Hidden))
    if (SameText(entry, wanted)) return cueFolder + entry;
  return path;
}

QStringList CueSheetAudioFiles(const QString& cuePath) {
  const TextReadResult read = ReadTextLines(cuePath);
  QStringList files;
  const QString folder = QFileInfo(cuePath).absolutePath() + u'/';
  for (const QString& line : read.lines)
    if (const QString t = line.trimmed(); IsCommand(t, QLatin1StringView("FILE")) && !Quoted(t).isEmpty())
      files.push_back(CueAudioPath(Quoted(t), folder));
  return files;
}

QString CueTrackReference(const QString& audioPath, int start, int end) {
  return audioPath + u',' + QString::number(start) + u',' + QString::number(end);
}

std::vector<CueBlock> ParseCueSheet(const QStringList& lines, const QString& cueFolder,
                                    const std::function<int(const QString&)>& probeLength) {
  std::vector<CueBlock> result;
  QString albumPerformer;  // stays in force for later blocks until replaced
  for (const QStringList& blockLines : SplitBlocks(lines)) {
    CueBlock block;
    qsizetype i = 0;
    for (; i < blockLines.size() && !IsCommand(blockLines.at(i), QLatin1StringView("TRACK")); ++i) {
      const QString& line = blockLines.at(i);
      if (IsCommand(line, QLatin1StringView("PERFORMER"))) {
        albumPerformer = TitleText(Quoted(line));
      } else if (IsCommand(line, QLatin1StringView("FILE"))) {
        const QString name = Quoted(line);
        block.audioPath = name.isEmpty() ? QString() : CueAudioPath(name, cueFolder);
        block.length = (!name.isEmpty() && FileExists(block.audioPath))
                           ? probeLength(block.audioPath)
                           : 0;
      }
    }
    if (block.length <= 0) continue;

    struct Parsed {
      QString number, performer, title;
      int start = 0;
      bool indexed = false;
    };
    std::vector<Parsed> tracks;
    const QString baseTitle = TitleForLocation(block.audioPath);
    for (; i < blockLines.size(); ++i) {
      const QString& line = blockLines.at(i);
      if (IsCommand(line, QLatin1StringView("TRACK"))) {
        tracks.push_back({NumberAfter(line, 5), albumPerformer,
                          baseTitle + u' ' + QString::number(tracks.size() + 1), 0, false});
      } else if (tracks.empty()) {
        continue;
      } else if (IsCommand(line, QLatin1StringView("PERFORMER"))) {
        if (const QString name = TitleText(Quoted(line)); !name.isEmpty()) tracks.back().performer = name;
      } else if (IsCommand(line, QLatin1StringView("TITLE"))) {
        if (const QString title = TitleText(Quoted(line)); !title.isEmpty()) tracks.back().title = title;
      } else if (IsCommand(line, QLatin1StringView("INDEX"))) {
        Parsed& t = tracks.back();
        if (!t.indexed && NumberAfter(line, 5) == QLatin1String("01")) {
          t.start = IndexSeconds(line);
          t.indexed = true;
        }
      }
    }
    if (tracks.empty()) continue;
    std::stable_sort(tracks.begin(), tracks.end(), [](const Parsed& a, const Parsed& b) {
      return a.number.compare(b.number, Qt::CaseInsensitive) < 0;
    });
    for (size_t k = 0; k < tracks.size(); ++k) {
      const Parsed& t = tracks[k];
      const int end = k + 1 < tracks.size() ? tracks[k + 1].start : block.length;
      block.tracks.push_back(
          {t.number, TitleText(t.performer.isEmpty() ? t.title : t.performer + QStringLiteral(" - ") + t.title),
           t.start, end});
    }
    result.push_back(std::move(block));
  }
  return result;
}

bool ExpandCueSheet(PlayerContext& ctx, const QString& text) {
  PlayerState& s = ctx.state;
  // A sheet's own path may hold commas; only when the whole text names no file is it a
  // path followed by "," and more.
  const QString cuePath = FileExists(text) ? text : text.section(u',', 0, 0);
  if (!FileExists(cuePath)) return false;
  const TextReadResult read = ReadTextLines(cuePath);
  if (!read.ok()) return false;
  QStringList lines;
  for (const QString& line : read.lines)
    if (const QString t = line.trimmed(); !t.isEmpty()) lines.push_back(t);
  const QString folder = QFileInfo(cuePath).absolutePath() + u'/';
  const std::vector<CueBlock> blocks =
      ParseCueSheet(lines, folder, [&ctx](const QString& path) { return ProbeDuration(ctx, path); });
  if (blocks.empty()) return false;

  std::unordered_map<QString, int> existing = ctx.list.locationIndex();
  const bool playing = s.Timer1On && s.PlayingIndex >= 0;
  for (const CueBlock& block : blocks) {
    int chosen = -1;
    if (ctx.list.selection().empty())
      chosen = (s.RandomOrder && !playing) ? ctx.randomBelow(static_cast<int>(block.tracks.size())) : 0;
    for (size_t k = 0; k < block.tracks.size(); ++k) {
      const CueTrack& t = block.tracks[k];
      const QString reference = CueTrackReference(block.audioPath, t.start, t.end);
      auto [at, added] = existing.emplace(LocationKey(reference), ctx.list.size());
      if (added) {
        ctx.list.append({t.title, reference, QStringLiteral("0"), std::nullopt});
        s.ListModified = true;
      }
      if (static_cast<int>(k) == chosen) ctx.list.select(at->second);
    }
  }
  return true;
}

}  // namespace lirra
