// The entry that follows the playing track, opened a few seconds before the track ends and
// joined to it in the engine, so that the two sound as one: no gap, nothing heard twice.
// The play order still decides which entry follows, the end of a track still runs the
// player's usual steps, and the usual open path still starts the next track; only the
// sound is joined, and the opened channel is taken over instead of opening it again.
//
// Not joined: network streams, what the video library plays (video, MIDI), a next entry
// that does not open, the last entry of a list played in list order, a file played alone.
#pragma once

#include <QString>

#include <cstdint>
#include <future>
#include <vector>

namespace lirra {

struct PlayerContext;

// How long before the end of the playing track the next one is opened and joined.
inline constexpr double kPrepareSecondsBeforeEnd = 5.0;

struct NextTrackState {
  // The entry that follows, with everything its choice depended on: when any of it
  // changes, it may not be the next one any more and is dropped.
  int index = -1;                  // -1: nothing chosen
  QString location;
  QString file;                    // what is opened: the location, or a cue track's file
  int playingIndex = -1;
  uint64_t listRevision = 0;
  bool randomOrder = false;
  int shufflePos = 0;
  int selected = -1;               // a selected entry wins over the order (-1: none did)
  std::vector<int> shuffleOrder;   // the shuffle once the entry plays
  int shufflePosAfter = 0;

  std::future<uint32_t> opening;   // its open, off the UI thread
  uint32_t channel = 0;            // opened (0 while opening, or when it did not open)
  bool joined = false;             // the engine plays it on from the end of the playing one

  // An entry is chosen: being opened, ready, or left to the usual path.
  bool chosen() const { return index >= 0; }

  // Handed to PlayCurrent when the engine has moved on to it.
  uint32_t handedChannel = 0;
  QString handedLocation;
};

// Every Timer1 tick while a track plays: opens and joins the next entry when the track is
// near its end, drops it when it is no longer the next, and, once the engine has moved on
// to it (the playing track's last sample heard), runs the end of the track and plays the
// next one on the channel that already sounds. True when it did that.
bool KeepNextTrackReady(PlayerContext& ctx);
// True while a joined entry waits for the playing track's end in the engine: then only
// the engine's end counts, not the once-a-second look at the gauge.
bool NextTrackJoined(const PlayerContext& ctx);
// Drops what was prepared: undoes the join, frees the channel (a pause, a seek, a stop).
void DropNextTrack(PlayerContext& ctx);
// The channel handed over for `location` once the engine moved on to it, else 0. The
// caller owns it from then on.
uint32_t TakeHandedChannel(PlayerContext& ctx, const QString& location);

}  // namespace lirra
