#include "list_commands.h"

#include <QFile>
#include <QFileInfo>

#include <unordered_set>


#include "compare.h"
#include "cue_sheet.h"
#include "list_states.h"
#include "m3u_format.h"
#include "paths.h"
#include "playlist_file.h"
#include "playlist_library.h"
#include "startup.h"
#include "track_opening.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {

// Step 2 of adding to an empty list: the library's first row without a file becomes the
// current list, named after the row.
void AdoptNewLibraryRow(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  for (int i = 0; i < ctx.library.size(); ++i) {
    PlaylistEntry& row = ctx.library.at(i);
    if (row.File) continue;
    s.CurrentListIndex = i;
    s.CurrentListFile = s.DataDir + row.Name + u".m3u"_s;
    row.File = s.CurrentListFile;
    s.PlayingIndex = -1;
    return;
  }
}

// The library knows the current list's file once it has been written.
void NameLibraryRowAfterList(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.CurrentListFile.isEmpty()) return;
  PlaylistLibrary& lib = ctx.library;
  if (s.CurrentListIndex == -1) {
    // A list from outside the list folder is no row of the library; and a row that has a
    // file of its own keeps its name, so that its Delete removes its own file.
    if (!IsInListFolder(s, s.CurrentListFile)) return;
    s.CurrentListIndex = lib.findFile(s.CurrentListFile);
    if (s.CurrentListIndex < 0 && (lib.empty() || lib.at(0).File)) {
      s.CurrentListIndex = lib.insert({DisplayName(s.CurrentListFile), s.CurrentListFile}, ctx.collator());
    } else if (s.CurrentListIndex < 0) {
      s.CurrentListIndex = 0;
      lib.at(0).Name = DisplayName(s.CurrentListFile);
    }
  }
  if (s.CurrentListIndex < lib.size() && !lib.at(s.CurrentListIndex).File)
    lib.at(s.CurrentListIndex).File = s.CurrentListFile;
}

// A copy of an imported list gets the list's own name, or a free name ending in "2.m3u"
// ("32.m3u", …) when that is taken: an import never overwrites a list of the library.
QString ImportedListName(const QString& listFolder, const QString& source) {
  const QString plain = listFolder + FileNameOf(source);
  if (!QFileInfo::exists(plain)) return plain;
  QString name = listFolder + DisplayName(source) + u"2.m3u"_s;
  for (int n = 3; QFileInfo::exists(name); ++n)
    name = listFolder + DisplayName(source) + QString::number(n) + u".m3u"_s;
  return name;
}

void ImportListFile(PlayerContext& ctx, const QString& file) {
  PlayerState& s = ctx.state;
  if (SameText(file, s.CurrentListFile)) return;
  if (s.ListModified) SaveCurrentList(ctx);
  if (s.MListVisible) {
    if (!s.LibraryPanelShown) sbNewlistClick(ctx);
    ctx.shell.views.FocusList(ListFocus::Library);
  }
  if (IsInListFolder(s, file)) {
    if (!s.MListVisible) return;
    const int row = ctx.library.findName(DisplayName(file));
    if (row >= 0) SelectLibraryRow(ctx, row);
    return;
  }
  s.CurrentListFile = file;
  LoadCurrentList(ctx);
  if (s.CurrentListFile.isEmpty()) {
    if (s.CurrentListIndex == -1) {
      ShowEmptyListState(ctx);
    } else if (s.CurrentListIndex < ctx.library.size() && ctx.library.at(s.CurrentListIndex).File) {
      s.CurrentListFile = *ctx.library.at(s.CurrentListIndex).File;
      LoadCurrentList(ctx);
    }
    return;
  }
  s.CurrentListFile = ImportedListName(s.DataDir, file);
  s.ListModified = true;
  SaveCurrentList(ctx);
  const int row = ctx.library.insert({DisplayName(s.CurrentListFile), s.CurrentListFile}, ctx.collator());
  s.CurrentListIndex = row;
  ctx.library.selected = row;
  ctx.shell.views.LibraryChanged(ctx.library);
  if (ctx.list.firstSelected() >= 0) ctx.shell.views.ScrollTrackIntoView(ctx.list.firstSelected());
}

}  // namespace

void AddFiles(PlayerContext& ctx, const QStringList& paths) {
  PlayerState& s = ctx.state;
  TrackList& list = ctx.list;
  if (s.MListVisible) list.clearSelection();
  if (!ctx.library.empty() && list.empty()) AdoptNewLibraryRow(ctx);

  const bool playing = IsPlaying(s);
  const int playingEntry = s.PlayingIndex;
  const int r = (s.RandomOrder && !playing && !paths.isEmpty()) ? ctx.randomBelow(static_cast<int>(paths.size())) : 0;

  const std::unordered_map<QString, int> known = list.locationIndex();
  const int sizeBefore = list.size();

  // An album added with its cue sheet comes in as the sheet's tracks, not once more whole.
  std::unordered_set<QString> namedBySheets;
  for (const QString& path : paths)
    if (IsCueSheetLocation(path) && FileExists(path))
      for (const QString& audio : CueSheetAudioFiles(path)) namedBySheets.insert(LocationKey(audio));

  int remembered = -1;
  for (qsizetype i = 0; i < paths.size(); ++i) {
    const QString& path = paths.at(i);
    if (IsListFile(path) || namedBySheets.count(LocationKey(path))) continue;
    int entry;
    if (IsCueSheetLocation(path) && ExpandCueSheet(ctx, path)) {
      // The sheet's tracks count as this path's entry: without that, a batch of only cue
      // sheets would neither show the list nor write it.
      entry = list.firstSelected();
    } else if (auto found = known.find(LocationKey(path)); found != known.end()) {
      entry = found->second;
    } else {
      entry = list.size();
      list.append({TitleForLocation(path), path, std::nullopt, std::nullopt});
      s.ListModified = true;
    }
    if (entry < 0) continue;
    if (i < r) {
      list.clearSelection();
    } else if (i == r) {
      if (list.selection().empty()) list.select(entry);
      remembered = list.firstSelected();
    }
  }

  if (list.size() != sizeBefore) s.ListEdited = true;

  if (remembered >= 0) {
    if (playing) {
      list.select(s.PlayingIndex);
    } else if (!s.MListVisible) {
      ShowIdleTitle(ctx);
    }
    if (s.ListModified) {
      SortTrackList(ctx);
      s.ShufflePos = 0;
    }
    s.NextIndex = list.firstSelected();
    if (playing) s.PlayingIndex = s.NextIndex;
  } else if (s.MListVisible && playingEntry >= 0 && playingEntry < list.size()) {
    list.select(playingEntry);
  }
  if (s.LibraryPanelShown) list.clearSelection();
  if (s.FromFolderDialog) {
    s.FromFolderDialog = false;
    if (s.StartMode == kStartSingleFile) {
      s.StartMode = kStartActivated;
      s.SettingsDirty = true;
    }
  }
  if (s.ListModified) SaveCurrentList(ctx);
  NameLibraryRowAfterList(ctx);
  ctx.shell.views.TrackListChanged(list);
  if (remembered >= 0 && list.firstSelected() >= 0) ctx.shell.views.ScrollTrackIntoView(list.firstSelected());
  ctx.shell.views.LibraryChanged(ctx.library);
}

void sbAddClick(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.OpeningTrack) return;
  s.DisplayUpdates = false;
  CheckVideoTypes(ctx);
  const std::optional<QStringList> chosen = ctx.shell.dialogs.ChooseFilesToOpen(s.OpenFilter, s.OpenDir);
  if (!chosen || chosen->isEmpty()) {
    if (s.ListModified) SaveCurrentList(ctx);
    s.DisplayUpdates = true;
    return;
  }
  if (s.StartMode == kStartSingleFile) {
    s.StartMode = kStartActivated;
    s.SettingsDirty = true;
  }
  const QString folder = QFileInfo(chosen->front()).absolutePath();
  if (!SameText(folder, s.OpenDir)) {
    s.OpenDir = folder;
    s.SettingsDirty = true;
  }
  if (chosen->size() == 1 && IsListFile(chosen->front()))
    ImportListFile(ctx, chosen->front());
  else
    AddFiles(ctx, *chosen);
  s.DisplayUpdates = true;
}

void sbAddFldClick(PlayerContext& ctx) {
  if (ctx.state.OpeningTrack) return;
  CheckVideoTypes(ctx);
  ctx.state.DisplayUpdates = false;
  ctx.shell.dialogs.ShowAddFolderDialog();
  ctx.state.DisplayUpdates = true;
}

void AddFromFolderDialog(PlayerContext& ctx, const QString& folder, const QStringList& files) {
  PlayerState& s = ctx.state;
  if (s.OpeningTrack) return;
  if (!SameText(folder, s.OpenDir)) {
    s.OpenDir = folder;
    s.SettingsDirty = true;
  }
  QStringList batch;
  batch.reserve(files.size());
  const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
  for (const QString& name : files) batch.push_back(prefix + name);
  s.FromFolderDialog = true;
  AddFiles(ctx, batch);
}

void AddFromAddressMemo(PlayerContext& ctx, const QStringList& lines) {
  if (!ctx.state.OpeningTrack) AddFiles(ctx, lines);
}

void DeleteSelectedTracks(PlayerContext& ctx, Removal why) {
  PlayerState& s = ctx.state;
  TrackList& list = ctx.list;
  if (list.empty()) return;
  const bool ownList = s.CurrentListFile.isEmpty() || IsInListFolder(s, s.CurrentListFile);
  if (why == Removal::AfterFailedOpen && !ownList) {
    const QString folder = ListFolderOf(s.CurrentListFile);
    for (const int row : list.size() == 1 ? std::vector<int>{0} : list.selection())
      AppendEntryLines(list.at(row), folder, s.WithheldLines);
  }
  int k = 0;
  const bool playing = IsPlaying(s);
  QString playingLocation;
  if (list.size() == 1) {
    list.clear();
  } else {
    if (list.selection().empty()) return;
    k = list.firstSelected();
    if (playing && s.PlayingIndex < list.size()) playingLocation = list.at(s.PlayingIndex).Location;
    list.removeRows(list.selection());
  }

  if (!list.empty()) {
    const int found = playing ? list.findByLocation(playingLocation) : -1;
    if (found >= 0) {
      s.NextIndex = found;
    } else {
      s.NextIndex = (k == list.size()) ? k - 1 : k;
      if (playing) {  // the playing entry went: the one in its place plays
        ctx.setTimer1(false);
        StopPlayback(ctx);
        s.PlayingIndex = s.NextIndex;
        s.DisplayUpdates = false;
        list.clearSelection();
        PlayCurrent(ctx);
        s.DisplayUpdates = true;
      }
    }
    list.select(s.NextIndex);
    if (IsPlaying(s)) s.PlayingIndex = s.NextIndex;
    s.ListModified = true;
    if (why == Removal::ByUser) s.ListEdited = true;
    SaveCurrentList(ctx);
    s.ShufflePos = 0;
    ctx.shell.views.TrackListChanged(list);
    return;
  }

  // The list is empty: it loses its file, and its library row becomes a new list again.
  if (playing) StopAndShowStopped(ctx);
  ctx.shell.views.TrackListChanged(list);
  PlaylistLibrary& lib = ctx.library;
  for (int i = 0; i < lib.size(); ++i) {
    if (lib.at(i).File) continue;
    lib.removeAt(i);
    if (i < s.CurrentListIndex) --s.CurrentListIndex;
    if (lib.selected >= i) lib.selected = lib.selected == i ? -1 : lib.selected - 1;
    break;
  }
  if (s.CurrentListIndex >= 0 && s.CurrentListIndex < lib.size()) lib.at(s.CurrentListIndex).File.reset();
  if (lib.size() <= 1) {
    s.CurrentListIndex = -1;
    ShowEmptyListState(ctx);
  } else {
    if (!s.LibraryPanelShown) sbNewlistClick(ctx);
    ctx.shell.views.FocusList(ListFocus::Library);
  }
  // Only the player's own lists are deleted; a list opened from elsewhere stays.
  if (!s.CurrentListFile.isEmpty() && IsInListFolder(s, s.CurrentListFile)) QFile::remove(s.CurrentListFile);
  s.CurrentListFile.clear();
  s.ListModified = false;
  ctx.shell.views.LibraryChanged(lib);
}

void pmDelClick(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  if (!s.MListVisible || s.OpeningTrack) return;
  switch (ctx.shell.views.FocusedList()) {
    case ListFocus::TrackList:
      DeleteSelectedTracks(ctx);
      break;
    case ListFocus::Library:
      DeleteLibraryRow(ctx);
      break;
    case ListFocus::None:
      break;
  }
}

void MListMouseUp(PlayerContext& ctx) {
  if (ctx.state.OpeningTrack) return;
  ctx.list.selectAll();
  DeleteSelectedTracks(ctx);
  if (ctx.state.MListVisible) {
    if (!ctx.state.LibraryPanelShown) sbNewlistClick(ctx);
    ctx.shell.views.FocusList(ListFocus::Library);
  }
}

void pmSelAllClick(PlayerContext& ctx) {
  if (!ctx.state.MListVisible || ctx.state.InPlaceEditing) return;
  ctx.list.selectAll();
  ctx.shell.views.TrackListChanged(ctx.list);
}

void MListClick(PlayerContext& ctx) {
  if (ctx.library.selected < 0) return;
  ctx.library.selected = -1;
  ctx.shell.views.LibraryChanged(ctx.library);
}

void MListEditing(PlayerContext& ctx) {
  ctx.shell.views.SetEditShortcuts(false);
  ctx.state.InPlaceEditing = true;
}

void RestoreShortcuts(PlayerContext& ctx) {
  if (ctx.state.InPlaceEditing) ctx.shell.views.SetEditShortcuts(true);
  ctx.state.InPlaceEditing = false;
  if (ctx.list.firstSelected() >= 0) ctx.shell.views.ScrollTrackIntoView(ctx.list.firstSelected());
  // With the library shown, its selection (the list just renamed, say) comes into view too.
  if (ctx.state.MListVisible && ctx.library.selected >= 0) ctx.shell.views.ScrollLibraryIntoView(ctx.library.selected);
}

bool MListEdited(PlayerContext& ctx, int row, const QString& text) {
  PlayerState& s = ctx.state;
  const QString title = TitleText(text);
  if (title.isEmpty() || s.OpeningTrack || row < 0 || row >= ctx.list.size()) {
    RestoreShortcuts(ctx);
    return false;
  }
  s.ListModified = true;
  s.ListEdited = true;
  TrackEntry& entry = ctx.list.at(row);
  entry.Title = title;
  if (!entry.LengthSeconds) entry.LengthSeconds = QStringLiteral("0");
  const int before = s.PlayingIndex;
  SortTrackList(ctx);
  if (before >= 0 && before == row) {
    ctx.shell.captions.SetWindowTitle(ctx.list.at(s.PlayingIndex).Title);  // announce the new title
    s.ShufflePos = 0;
  }
  ctx.shell.views.TrackListChanged(ctx.list);
  RestoreShortcuts(ctx);
  return true;
}

}  // namespace lirra
