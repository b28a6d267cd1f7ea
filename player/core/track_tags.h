// The playing track's tags (title, artist, album), read from the tag reader once per track
// and shared by whoever needs them: the lyrics lookup and the desktop's media controls.
#pragma once

#include <QString>

namespace lirra {

struct PlayerContext;

struct TrackTags {
  bool read = false;  // asked of the tag reader for this track (empty when it has none)
  QString title, artist, album;
};

// The tags of the playing track; empty for a video or without a tag reader.
const TrackTags& PlayingTrackTags(PlayerContext& ctx);
// A new track opens: its tags are read when next asked for.
void ForgetTrackTags(PlayerContext& ctx);

}  // namespace lirra
