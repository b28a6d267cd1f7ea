// Skins: the window's bitmap, shape and colours. Not written yet: its step is called at
// start-up and does nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct SkinState {};

// At the first show: the skin of the settings, or the next one found.
void ApplySkin(PlayerContext& ctx);

}  // namespace lirra
