// Skins: the window's bitmap, shape and colours. Not built yet: the step is called where
// the order of events puts it and does nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct SkinState {};

// At the first show: the skin of the settings, or the next one found.
void ApplySkin(PlayerContext& ctx);

}  // namespace lirra
