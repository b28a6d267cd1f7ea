// The playback clock and the transport commands: play/next, stop, pause, seek.
#pragma once

#include "player_context.h"

namespace lirra {

enum class PlaySource { NextLabel, EnterKey, RightArrow };

// Timer1, every 100 ms: progress once a second, end detection and the next track.
void Timer1Tick(PlayerContext& ctx);
// Left click on lbNext (and the Enter / Right-arrow shortcuts).
void PlayOrNext(PlayerContext& ctx, PlaySource source);
// Right button released on lbNext.
void StopCommand(PlayerContext& ctx);
// P: pause or resume while a track plays.
void PauseCommand(PlayerContext& ctx);
// Resumes a paused track (many commands do before acting).
inline void ResumeIfPaused(PlayerContext& ctx) {
  if (ctx.state.PausedTag) PauseCommand(ctx);
}
// Left button released on the progress strip at x of a strip `width` wide.
void SeekCommand(PlayerContext& ctx, int x, int y, int width, int height, bool leftButton);
// Moves the playing track to second `t` of its gauge (kept inside it) and resumes a pause;
// false while nothing seekable plays.
bool SeekTo(PlayerContext& ctx, int t);
void StartOrStop(PlayerContext& ctx);
void PlayNext(PlayerContext& ctx);
// The end of a track whose follower is chosen already (NextIndex or the selection): stops
// what plays and plays that entry.
void PlayChosenNext(PlayerContext& ctx);
// The length beside the title.
void ShowLength(PlayerContext& ctx);

}  // namespace lirra
