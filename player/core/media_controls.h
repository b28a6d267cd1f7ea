// What the desktop's media controls see of the player (MPRIS), and their commands. Every
// command runs the same operation as the matching key or button, so the player's rules
// hold whichever way a command arrives.
#pragma once

#include <QString>


namespace lirra {

struct PlayerContext;

enum class MediaCommand { Play, Pause, PlayPause, Stop, Next, Previous };

struct MediaStatus {
  enum class Playback { Stopped, Playing, Paused };
  Playback playback = Playback::Stopped;
  // The entry on show: its id (an object path, NoTrack when none), title, artist, album,
  // address and length in microseconds (0 when not known).
  QString trackId;
  QString title, artist, album, url;
  qint64 lengthUs = 0;
  bool canPlay = false, canPause = false, canGoNext = false, canSeek = false;
  bool shuffle = false;
  bool operator==(const MediaStatus&) const = default;
};

inline constexpr char kNoTrackId[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

MediaStatus ReadMediaStatus(PlayerContext& ctx);
// Where the playing track is, in microseconds (0 while stopped).
qint64 MediaPositionUs(PlayerContext& ctx);
void RunMediaCommand(PlayerContext& ctx, MediaCommand command);
// A seek to `us` microseconds into the playing track; false when nothing seekable plays
// or `trackId` is not the playing one's.
bool SeekMediaTo(PlayerContext& ctx, const QString& trackId, qint64 us);
// The random order, switched the way its button switches it.
void SetMediaShuffle(PlayerContext& ctx, bool on);

}  // namespace lirra
