// The player's side of the visualisation plug-ins. Not written yet: its steps are called
// at their places in playback and close and do nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct VisHostState {};

// After a track opened: the running visualisation follows the new channel.
void AttachVisualisation(PlayerContext& ctx);
// At close: a running plug-in is shut down.
void QuitVisPlugin(PlayerContext& ctx);

}  // namespace lirra
