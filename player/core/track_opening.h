// Opening the selected entry of the track list and playing it through the engine or the
// video library; stopping it; reporting a failed open; measuring a file's length.
#pragma once

#include <QString>

#include "player_context.h"
#include "track_kind.h"

namespace lirra {

ClassifyContext ClassifyContextOf(const PlayerState& s);

// Opens the selected entry (or the one at NextIndex when nothing is selected) and starts
// it and the playback clock.
void PlayCurrent(PlayerContext& ctx);
// Stops and frees a channel an early start left that PlayCurrent did not take over.
void DiscardPreStartedChannel(PlayerContext& ctx);
// Stops and frees what plays. The caller turns Timer1 off first.
void StopPlayback(PlayerContext& ctx);
// While a video plays the screen saver is kept off; at its stop it is let on again.
void SwitchScreenSaver(PlayerContext& ctx);
// The length of a file in whole seconds from a decode-only stream; 0 when it won't open.
int ProbeDuration(PlayerContext& ctx, const QString& path);

// The lengths on the entry after a track started (range = TrackSeconds).
void UpdateEntryLength(PlayerContext& ctx, int index, int range);

}  // namespace lirra
