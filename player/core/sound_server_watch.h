// The sound server away while a track plays: the engine keeps the track's place and plays
// on by itself once a server is back. A listener who hears nothing for 10 s is told why,
// once, and the notice goes when the sound is back.
#pragma once

namespace lirra {

struct PlayerContext;

struct SoundServerWatch {
  int ticksAway = 0;     // Timer1 ticks the playing channel has waited for a server
  bool noticeShown = false;
};

// Each Timer1 tick while a track plays.
void WatchSoundServer(PlayerContext& ctx);

}  // namespace lirra
