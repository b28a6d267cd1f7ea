// The playlist library: the list files directly in the list folder (DataDir), shown in the library
// view, one of them the current list.
#pragma once

#include "player_context.h"

namespace lirra {

// Finds the lists, chooses the current one (a random one when none is set or when
// started by the schedule) and rebuilds the library view.
void ScanListFolder(PlayerContext& ctx);
// Selects a row as the program would and runs the selection handler.
void SelectLibraryRow(PlayerContext& ctx, int row);
// The user selected a library row (-1: none). Refused while a track opens: the view
// shows the library's own selection again.
void LibrarySelectionChanged(PlayerContext& ctx, int row);
// A row became selected (by the user or the program).
void ListView1SelectItem(PlayerContext& ctx);
// The library button: opens the panel, or creates a new list while it is open.
void sbNewlistClick(PlayerContext& ctx);
// A list name edited in place; false when refused (the old name stays).
bool ListView1Edited(PlayerContext& ctx, int row, const QString& text);
// A click in the library view.
void ListView1Click(PlayerContext& ctx);
// Delete with the library focused: removes the selected row and its file.
void DeleteLibraryRow(PlayerContext& ctx);

}  // namespace lirra
