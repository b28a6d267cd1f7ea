// Lyrics: the LRC lines of the playing track and their clock. Not written yet: its steps
// are called at their places in playback and do nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct LyricsState {};

// After a track opened: look for its lyrics.
void LoadLyrics(PlayerContext& ctx);
// Before a track opens: forget the previous track's lyrics.
void ResetLyrics(PlayerContext& ctx);

}  // namespace lirra
