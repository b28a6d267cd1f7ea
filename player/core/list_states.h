// What the window shows when the track list is empty, idle or stopped.
#pragma once

#include "player_context.h"

namespace lirra {

// No list: the track list view and the library panel hidden, the bottom hint as title.
void ShowEmptyListState(PlayerContext& ctx);
// A list is loaded: the track list view shown and focused, "Lirra" as title.
void ShowIdleTitle(PlayerContext& ctx);
// After a stop: the playing entry selected and in view, the gauge at 0, idle texts.
void ShowStoppedState(PlayerContext& ctx);
// Stops what plays (Timer1 off first) and shows the stopped state.
void StopAndShowStopped(PlayerContext& ctx);

// Playing, as the list commands mean it: the clock runs and an entry plays.
inline bool IsPlaying(const PlayerState& s) { return s.Timer1On && s.PlayingIndex >= 0; }

}  // namespace lirra
