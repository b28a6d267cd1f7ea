// The window's two options on the keyboard: see-through (Insert) and always on top (T).
#pragma once

#include "player_context.h"

namespace lirra {

void pmTranspClick(PlayerContext& ctx);
void pmOnTopClick(PlayerContext& ctx);
// On every activation of the main window: with the list shown the window's alpha follows
// the see-through option again.
void ApplyListAlpha(PlayerContext& ctx);

}  // namespace lirra
