// The player's side of the visualisation plug-ins. Plug-ins themselves are not hosted yet:
// a start therefore takes the path of a start that failed (a random spectrum style in the
// visual area), and nothing is ever running to stop, resize or quit.
#pragma once

namespace lirra {

struct PlayerContext;

struct VisHostState {
  bool NewPresetPending = false;  // the next start picks another preset
};

// After a track opened: the visual area shows, and a running visualisation follows the
// new channel.
void AttachVisualisation(PlayerContext& ctx);
// Starts the plug-in VisIndex selects in the visual area.
void StartVisPlugin(PlayerContext& ctx);
void StopVisPlugin(PlayerContext& ctx);
// A plug-in start is under way (clicks on the visual area wait).
bool VisPluginStarting(const PlayerContext& ctx);
// The application's title names the playing track ("i))" before a stream, "?time "
// before a track of unknown length).
void AnnounceTitle(PlayerContext& ctx);
// At close: a running plug-in is shut down.
void QuitVisPlugin(PlayerContext& ctx);

}  // namespace lirra
