// Reading the current list file into the track list and writing it back.
#pragma once

#include "player_context.h"

namespace lirra {

// Replaces the track list with the entries of CurrentListFile. An unusable list is
// reported and CurrentListFile cleared: callers test it to learn whether the load worked.
void LoadCurrentList(PlayerContext& ctx);
// Writes the track list to CurrentListFile (naming a new list first when it has no
// file). Does nothing while the track list view is hidden or a single file plays alone.
void SaveCurrentList(PlayerContext& ctx);
// The folder a list file's relative entries are read from, ending in "/".
QString ListFolderOf(const QString& listFile);
// listFolder + "newlist<n>.m3u" for the first n whose file does not exist.
QString NewListName(const QString& listFolder);
// The file lies directly in the player's own list folder, DataDir (compared
// case-insensitively).
bool IsInListFolder(const PlayerState& s, const QString& file);
// The settings remember the current list of the list folder: a different one marks
// them changed, so the next start opens the list the user was on.
void RememberCurrentList(PlayerState& s);
// Sorts the track list by title once; PlayingIndex follows its entry.
void SortTrackList(PlayerContext& ctx);

}  // namespace lirra
