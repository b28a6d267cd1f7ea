// The track list's commands: adding files, URLs and cue sheets, importing a list file,
// deleting entries (and the list file when the list becomes empty), select all, the
// right-click clear, and editing a title in place.
#pragma once

#include <QStringList>

#include "player_context.h"

namespace lirra {

// Appends a batch of paths, URLs or cue sheets (a ".m3u" among them is ignored); paths
// already in the list are not added again.
void AddFiles(PlayerContext& ctx, const QStringList& paths);
// The add command (button sbAdd, key A): the open dialog, then AddFiles or a list import.
void sbAddClick(PlayerContext& ctx);
// The add-folder button: the dialog of its own, with display updates held meanwhile.
void sbAddFldClick(PlayerContext& ctx);
// The add-folder dialog's OK: the typed addresses, or the chosen folder's media files.
void AddFromFolderDialog(PlayerContext& ctx, const QString& folder, const QStringList& files);
void AddFromAddressMemo(PlayerContext& ctx, const QStringList& lines);

// Delete: acts on the view that has the keyboard focus.
void pmDelClick(PlayerContext& ctx);
// Why entries leave the track list: the user's own delete edits the list file; an entry
// that failed to open leaves the list in memory only, unless the list is the player's own.
enum class Removal { ByUser, AfterFailedOpen };
// Delete with the track list focused: removes the selected entries.
void DeleteSelectedTracks(PlayerContext& ctx, Removal why = Removal::ByUser);
// Right button released over the track list: clears the whole list.
void MListMouseUp(PlayerContext& ctx);
// Ctrl+A.
void pmSelAllClick(PlayerContext& ctx);
// A click in the track list clears the library's selection.
void MListClick(PlayerContext& ctx);

// In-place editing, shared by both views.
void MListEditing(PlayerContext& ctx);
void RestoreShortcuts(PlayerContext& ctx);
// A title edited in place; false when the text is refused (the old title stays).
bool MListEdited(PlayerContext& ctx, int row, const QString& text);

}  // namespace lirra
