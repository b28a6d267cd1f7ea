// The player's side of the visualisation plug-ins. Not built yet: the steps are called
// where the order of events puts them and do nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct VisHostState {};

// After a track opened: the running visualisation follows the new channel.
void AttachVisualisation(PlayerContext& ctx);
// At close: a running plug-in is shut down.
void QuitVisPlugin(PlayerContext& ctx);

}  // namespace lirra
