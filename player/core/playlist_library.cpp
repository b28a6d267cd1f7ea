#include "playlist_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <set>

#include "compare.h"
#include "list_commands.h"
#include "list_states.h"
#include "paths.h"
#include "playlist_file.h"
#include "track_opening.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {

QString ListFileFor(const PlayerState& s, const QString& name) { return s.DataDir + name + u".m3u"_s; }

// A list name that would name a file outside the list folder is refused like an empty one.
bool IsUsableListName(const QString& name) {
  return !name.isEmpty() && !name.contains(u'/') && name != u"."_s && name != u".."_s;
}

void PlayLoadersChoice(PlayerContext& ctx, bool wasPlaying) {
  PlayerState& s = ctx.state;
  if (!wasPlaying) return;
  ctx.setTimer1(false);
  StopPlayback(ctx);
  s.DisplayUpdates = false;
  PlayCurrent(ctx);
  s.DisplayUpdates = true;
}

}  // namespace

void ScanListFolder(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  // Lists that proved unusable and could not be deleted are not drawn again, so the
  // search for a usable list ends.
  std::set<QString> unusable;
  QStringList names;
  for (;;) {
    names.clear();
    for (const QString& name : QDir(s.DataDir).entryList({u"*.m3u"_s}, QDir::Files, QDir::Name))
      if (!unusable.contains(name)) names.push_back(name);
    if (names.isEmpty()) return;
    const QString candidate = s.DataDir + names.at(ctx.randomBelow(static_cast<int>(names.size())));
    if (!s.CurrentListFile.isEmpty() && (!s.AutoStart || SameText(candidate, s.CurrentListFile))) break;
    if (!s.CurrentListFile.isEmpty() && s.ListModified) SaveCurrentList(ctx);
    s.CurrentListFile = candidate;
    LoadCurrentList(ctx);
    if (!s.CurrentListFile.isEmpty()) break;
    if (QFileInfo::exists(candidate)) unusable.insert(FileNameOf(candidate));
  }

  PlaylistLibrary& lib = ctx.library;
  lib.clear();
  for (const QString& name : names) lib.insert({DisplayName(name), s.DataDir + name}, ctx.collator());
  int current = -1;
  for (int i = 0; i < lib.size(); ++i)
    if (lib.at(i).File == s.CurrentListFile) current = i;
  ctx.shell.views.LibraryChanged(lib);
  if (current < 0) return;
  // The current list's row: already loaded unless the track list is still empty.
  s.CurrentListIndex = current;
  SelectLibraryRow(ctx, current);
}

void SelectLibraryRow(PlayerContext& ctx, int row) {
  ctx.library.selected = row;
  ctx.shell.views.LibraryChanged(ctx.library);
  ListView1SelectItem(ctx);
}

void LibrarySelectionChanged(PlayerContext& ctx, int row) {
  if (row == ctx.library.selected) return;
  if (ctx.state.OpeningTrack) {
    ctx.shell.views.LibraryChanged(ctx.library);
    return;
  }
  ctx.library.selected = row;
  ListView1SelectItem(ctx);
}

void ListView1SelectItem(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  PlaylistLibrary& lib = ctx.library;
  const int row = lib.selected;
  if (row < 0 || row >= lib.size()) return;
  if (!ctx.list.empty() && row == s.CurrentListIndex) return;
  if (s.ListModified) SaveCurrentList(ctx);
  s.CurrentListIndex = row;
  const PlaylistEntry& entry = lib.at(row);
  if (!entry.File) {
    if (IsPlaying(s)) StopAndShowStopped(ctx);
    ctx.list.clear();
    ctx.shell.views.TrackListChanged(ctx.list);
    return;
  }
  const bool wasPlaying = IsPlaying(s);
  s.CurrentListFile = *entry.File;
  LoadCurrentList(ctx);
  if (!ctx.list.empty()) PlayLoadersChoice(ctx, wasPlaying);
}

void sbNewlistClick(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  PlaylistLibrary& lib = ctx.library;
  if (!s.MListVisible) return;
  if (!s.LibraryPanelShown) {
    s.LibraryPanelShown = true;
    ctx.shell.views.SetLibraryPanelVisible(true);
    ctx.list.clearSelection();
    ctx.shell.views.TrackListChanged(ctx.list);
    lib.selected = s.CurrentListIndex < lib.size() ? s.CurrentListIndex : -1;
    ctx.shell.views.LibraryChanged(lib);
    ctx.shell.views.FocusList(ListFocus::Library);
    ctx.shell.captions.SetHint(ControlId::sbNewlist, ctx.tr("新建列表", "New Playlist"));
    return;
  }
  ctx.shell.views.FocusList(ListFocus::Library);
  if (s.OpeningTrack) return;  // a new list would empty the track list under the open
  if (s.ListModified) SaveCurrentList(ctx);
  const QString name = DisplayName(NewListName(s.DataDir));
  if (lib.findName(name) >= 0) return;  // a new list not written yet is already there
  const int row = lib.insert({name, std::nullopt}, ctx.collator());
  if (row <= s.CurrentListIndex) ++s.CurrentListIndex;
  SelectLibraryRow(ctx, row);
}

bool ListView1Edited(PlayerContext& ctx, int row, const QString& text) {
  PlayerState& s = ctx.state;
  PlaylistLibrary& lib = ctx.library;
  const QString name = text.trimmed();
  bool accepted = !s.OpeningTrack && row >= 0 && row < lib.size() && IsUsableListName(name) && lib.findName(name) < 0;
  if (accepted) {
    PlaylistEntry entry = lib.at(row);
    entry.Name = name;
    if (entry.File) {
      const QString renamed = ListFileFor(s, name);
      if (QFileInfo::exists(renamed) || !QFile::rename(*entry.File, renamed)) {
        accepted = false;  // the file keeps its name, so the row does too
      } else {
        if (SameText(*entry.File, s.CurrentListFile) || row == s.CurrentListIndex) {
          s.CurrentListFile = renamed;
          RememberCurrentList(s);
        }
        entry.File = renamed;
      }
    }
    if (accepted) {
      const bool wasSelected = lib.selected == row;
      lib.removeAt(row);
      if (lib.selected > row) --lib.selected;
      const int moved = lib.insert(std::move(entry), ctx.collator());
      if (wasSelected) lib.selected = moved;
      s.CurrentListIndex = moved;
    }
  }
  ctx.shell.views.LibraryChanged(lib);
  RestoreShortcuts(ctx);
  return accepted;
}

void ListView1Click(PlayerContext& ctx) {
  ctx.list.clearSelection();
  ctx.shell.views.TrackListChanged(ctx.list);
  if (ctx.library.selected < 0 && ctx.state.CurrentListIndex >= 0 &&
      ctx.state.CurrentListIndex < ctx.library.size()) {
    ctx.library.selected = ctx.state.CurrentListIndex;
    ctx.shell.views.LibraryChanged(ctx.library);
  }
}

void DeleteLibraryRow(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  PlaylistLibrary& lib = ctx.library;
  int k = lib.selected;
  if (k < 0 || k >= lib.size() || s.OpeningTrack) return;
  if (const auto& file = lib.at(k).File; file && IsInListFolder(s, *file)) QFile::remove(*file);
  lib.removeAt(k);
  lib.selected = -1;
  const bool wasPlaying = IsPlaying(s);
  if (!lib.empty()) {
    if (k == lib.size()) k = k - 1;
    lib.selected = k;
    s.CurrentListIndex = k;  // the selection below is the current list already
    ctx.shell.views.LibraryChanged(lib);
    if (s.ListModified) s.ListModified = false;  // its file is gone with the row
    const PlaylistEntry& row = lib.at(k);
    if (!row.File) {
      s.CurrentListFile = ListFileFor(s, row.Name);
      if (wasPlaying) StopAndShowStopped(ctx);
      ctx.list.clear();
      ctx.shell.views.TrackListChanged(ctx.list);
    } else {
      s.CurrentListFile = *row.File;
      LoadCurrentList(ctx);
      if (!ctx.list.empty()) PlayLoadersChoice(ctx, wasPlaying);
    }
    return;
  }
  if (wasPlaying) StopAndShowStopped(ctx);
  ctx.list.clear();
  ctx.shell.views.TrackListChanged(ctx.list);
  ctx.shell.views.LibraryChanged(lib);
  ShowEmptyListState(ctx);
  s.ListModified = false;
  s.CurrentListIndex = -1;
  s.CurrentListFile.clear();
}

}  // namespace lirra
