#include "playlist_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "compare.h"
#include "cue_sheet.h"
#include "list_commands.h"
#include "playlist_library.h"
#include "list_states.h"
#include "m3u_format.h"
#include "paths.h"
#include "textfile.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {


// Which of a list's lines name existing files (by line index). Looking up 100,000 paths
// is the slowest part of loading a long list, so the look-ups run on a few threads.
std::vector<char> ExistingFiles(const QStringList& lines) {
  std::vector<char> found(static_cast<size_t>(lines.size()), 0);
  const auto check = [&](qsizetype begin, qsizetype end) {
    for (qsizetype i = begin; i < end; ++i) {
      const QString line = TrimListLine(lines.at(i));
      if (!NeedsExistenceCheck(line)) continue;
      struct stat st;
      found[static_cast<size_t>(i)] =
          ::stat(QFile::encodeName(line).constData(), &st) == 0 && S_ISREG(st.st_mode);
    }
  };
  constexpr qsizetype kPerThread = 4096;
  const qsizetype threads = std::clamp<qsizetype>(lines.size() / kPerThread, 1, 4);
  const qsizetype share = (lines.size() + threads - 1) / threads;
  std::vector<std::thread> workers;
  for (qsizetype t = 1; t < threads; ++t)
    workers.emplace_back(check, t * share, std::min(lines.size(), (t + 1) * share));
  check(0, std::min(lines.size(), share));
  for (std::thread& w : workers) w.join();
  return found;
}

// Flags the entries whose location (by LocationKey) the list file named relative.
void MarkRelativeEntries(TrackList& list, const QSet<QString>& relativeKeys) {
  if (relativeKeys.isEmpty()) return;
  for (int i = 0; i < list.size(); ++i)
    if (relativeKeys.contains(LocationKey(list.at(i).Location))) list.at(i).RelativeToList = true;
}

// The file's own lines for the locations the reader dropped as missing, each with the
// "#EXTINF:" line before it.
QStringList MissingEntryLines(const QStringList& fileLines, const std::vector<qsizetype>& missing) {
  QStringList lines;
  for (const qsizetype i : missing) {
    if (i > 0 && IsExtinfLine(TrimListLine(fileLines.at(i - 1)))) lines.push_back(TrimListLine(fileLines.at(i - 1)));
    lines.push_back(TrimListLine(fileLines.at(i)));
  }
  return lines;
}

// A set-aside entry the list holds again (added back by the user) is the list's once more.
void DropWithheldInList(QStringList& withheld, const TrackList& list, const QString& listFolder) {
  if (withheld.isEmpty()) return;
  const auto index = list.locationIndex();
  QStringList kept;
  for (qsizetype i = 0; i < withheld.size(); ++i) {
    const QString& line = withheld.at(i);
    if (IsExtinfLine(line)) continue;  // goes or stays with its location, below
    if (index.contains(LocationKey(ResolveListLocation(line, listFolder)))) continue;
    if (i > 0 && IsExtinfLine(withheld.at(i - 1))) kept.push_back(withheld.at(i - 1));
    kept.push_back(line);
  }
  withheld = kept;
}

void ReportUnusableList(PlayerContext& ctx, bool readable) {
  PlayerState& s = ctx.state;
  const QString file = s.CurrentListFile;
  ctx.shell.frame.BringToFront();
  // Only a list of our own folder is deleted; one that could not even be read is left
  // alone (the next start may read it).
  if (readable && IsInListFolder(s, file)) {
    ctx.shell.dialogs.ShowMessage(ctx.tr("该文件已失效,即将删除之!", "The file is invalid,will be deleted."), file);
    s.ListModified = false;
    // The list that failed goes, found by its file: not whatever row the focused view
    // happens to have selected. Its library row goes with it and the neighbour loads.
    const int row = s.MainActivated ? ctx.library.findFile(file) : -1;
    if (row >= 0) {
      ctx.library.selected = row;
      DeleteLibraryRow(ctx);
    } else {
      QFile::remove(file);
      s.CurrentListFile.clear();
    }
  } else {
    ctx.shell.dialogs.ShowMessage(ctx.tr("该文件已失效!", "The file is Invalid."), file);
    s.CurrentListFile.clear();
  }
}

}  // namespace

QString ListFolderOf(const QString& listFile) { return QFileInfo(listFile).absolutePath() + u'/'; }

bool IsInListFolder(const PlayerState& s, const QString& file) {
  return SameText(ListFolderOf(file), s.DataDir);
}

void RememberCurrentList(PlayerState& s) {
  if (s.CurrentListFile.isEmpty() || !IsInListFolder(s, s.CurrentListFile) ||
      SameText(s.CurrentListFile, s.RememberedListFile))
    return;
  s.RememberedListFile = s.CurrentListFile;
  s.SettingsDirty = true;
}

QString NewListName(const QString& listFolder) {
  for (int n = 1;; ++n) {
    const QString name = listFolder + QStringLiteral("newlist") + QString::number(n) + QStringLiteral(".m3u");
    if (!QFileInfo::exists(name)) return name;
  }
}

void SortTrackList(PlayerContext& ctx) {
  const std::vector<int> moved = ctx.list.sortByTitle(ctx.collator());
  PlayerState& s = ctx.state;
  if (s.PlayingIndex >= 0 && s.PlayingIndex < static_cast<int>(moved.size()))
    s.PlayingIndex = moved[static_cast<size_t>(s.PlayingIndex)];
}

void LoadCurrentList(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  TrackList& list = ctx.list;
  s.ListEdited = false;  // edits of the previous list were written before the switch
  if (s.MListVisible) list.clear();
  const TextReadResult read = ReadTextLines(s.CurrentListFile);
  if (!read.ok()) {
    ctx.shell.views.TrackListChanged(list);
    ReportUnusableList(ctx, false);
    return;
  }
  bool modified = false;
  QStringList lines = read.lines;
  const QString listFolder = ListFolderOf(s.CurrentListFile);
  const bool header = !lines.isEmpty() && lines.front().left(7).toUpper() == u"#EXTM3U"_s;
  QSet<QString> relativeKeys;
  for (qsizetype i = header ? 1 : 0; i < lines.size(); ++i) {
    const bool relative = IsRelativeListLocation(TrimListLine(lines.at(i)));
    lines[i] = ResolveListLocation(lines.at(i), listFolder);
    if (relative) relativeKeys.insert(LocationKey(lines.at(i)));
  }
  const std::vector<char> existing = ExistingFiles(lines);
  std::vector<qsizetype> missing;
  const QStringList data = CleanM3uLines(
      lines, [&](qsizetype i, const QString&) { return existing[static_cast<size_t>(i)] != 0; },
      &modified, &missing);
  list.reserve(static_cast<int>(data.size()));
  AppendM3uEntries(data, list, [&ctx](const QString& cue) { return ExpandCueSheet(ctx, cue); }, &modified);
  MarkRelativeEntries(list, relativeKeys);
  if (modified) s.ListModified = true;
  s.WithheldLines.clear();
  if (!IsInListFolder(s, s.CurrentListFile)) s.WithheldLines = MissingEntryLines(read.lines, missing);

  if (list.empty()) {
    ctx.shell.views.TrackListChanged(list);
    ReportUnusableList(ctx, true);
    return;
  }
  list.clearSelection();
  if (!s.MListVisible) ShowIdleTitle(ctx);
  SortTrackList(ctx);
  RememberCurrentList(s);
  s.NextIndex = ctx.randomBelow(list.size());
  list.select(s.NextIndex);
  s.ShufflePos = 0;
  ctx.shell.views.TrackListChanged(list);
  ctx.shell.views.ScrollTrackIntoView(s.NextIndex);
}

void SaveCurrentList(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!s.MListVisible || s.StartMode == kStartSingleFile) return;
  // An unchanged list that is already on disk has nothing new to write.
  if (!s.ListModified && !s.CurrentListFile.isEmpty() && FileExists(s.CurrentListFile)) return;
  // A list from outside the list folder is the user's own file: only the user's edits of
  // it (add, delete, a new title) write it, never what playing or reading it learned.
  if (!s.ListEdited && !s.CurrentListFile.isEmpty() && !IsInListFolder(s, s.CurrentListFile)) {
    s.ListModified = false;
    return;
  }
  if (s.CurrentListFile.isEmpty()) s.CurrentListFile = NewListName(s.DataDir);
  const QString folder = ListFolderOf(s.CurrentListFile);
  QStringList lines = M3uLines(ctx.list, folder);
  if (!IsInListFolder(s, s.CurrentListFile)) {
    DropWithheldInList(s.WithheldLines, ctx.list, folder);
    lines += s.WithheldLines;
  }
  QString error;
  if (!WriteTextLines(s.CurrentListFile, lines, &error)) {
    // The previous file stays whole and the list is still to be written; the user hears
    // of it now rather than finding the changes gone at the next start.
    ctx.inform(ctx.tr("播放列表未能保存:\n", "The playlist could not be saved:\n") + error);
    return;
  }
  s.ListModified = false;
  s.ListEdited = false;
  RememberCurrentList(s);
}

}  // namespace lirra
