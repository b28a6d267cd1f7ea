#include "media_controls.h"

#include <QUrl>

#include "engine_calls.h"
#include "paths.h"
#include "play_order.h"
#include "player_context.h"
#include "track_kind.h"
#include "transport.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kUsPerSecond = 1'000'000;

bool HasPlayingEntry(const PlayerContext& ctx) {
  return ctx.state.PlayingIndex >= 0 && ctx.state.PlayingIndex < ctx.list.size();
}

// The address of an entry: a local file (a cue track's file) as a file URL.
QString EntryUrl(const PlayerState& s, const QString& location) {
  if (IsUrl(location)) return location;
  const QString path = s.TrackKind == kKindCueTrack ? ParseCueReference(location).path : location;
  return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

}  // namespace

MediaStatus ReadMediaStatus(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  MediaStatus m;
  if (s.Timer1On) m.playback = s.PausedTag ? MediaStatus::Playback::Paused : MediaStatus::Playback::Playing;
  m.trackId = QString::fromLatin1(kNoTrackId);
  if (HasPlayingEntry(ctx)) {
    const TrackEntry& entry = ctx.list.at(s.PlayingIndex);
    m.trackId = u"/org/lirra/track/%1"_s.arg(s.PlayingIndex);
    m.title = entry.Title;
    m.url = EntryUrl(s, entry.Location);
    if (s.Timer1On) {
      const TrackTags& tags = PlayingTrackTags(ctx);
      if (!tags.title.isEmpty()) m.title = tags.title;
      m.artist = tags.artist;
      m.album = tags.album;
      if (!s.LengthUnknown && s.TrackSeconds > 0) m.lengthUs = s.TrackSeconds * kUsPerSecond;
    }
  }
  m.canPlay = s.MListVisible && !s.OpeningTrack;
  m.canPause = s.Timer1On;
  m.canGoNext = s.Timer1On && !ctx.list.empty();
  m.canSeek = s.Timer1On && !s.LengthUnknown;
  m.shuffle = s.RandomOrder;
  return m;
}

qint64 MediaPositionUs(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  if (!s.Timer1On) return 0;
  if (s.VideoActive) return qint64{ctx.libs.video.GetSeconds(ORVANA_SECONDS_POSITION)} * kUsPerSecond;
  const double seconds = ChannelPositionSeconds(*ctx.libs.engine, s.CurrentChannel) - s.TrackStartSeconds;
  return seconds > 0 ? static_cast<qint64>(seconds * kUsPerSecond) : 0;
}

void RunMediaCommand(PlayerContext& ctx, MediaCommand command) {
  const PlayerState& s = ctx.state;
  switch (command) {
    case MediaCommand::Play:
      if (s.PausedTag) PauseCommand(ctx);
      else if (!s.Timer1On) PlayOrNext(ctx, PlaySource::EnterKey);
      break;
    case MediaCommand::Pause:
      if (s.Timer1On && !s.PausedTag) PauseCommand(ctx);
      break;
    case MediaCommand::PlayPause:
      RunMediaCommand(ctx, s.Timer1On && !s.PausedTag ? MediaCommand::Pause : MediaCommand::Play);
      break;
    case MediaCommand::Stop:
      StopCommand(ctx);
      break;
    case MediaCommand::Next:  // the next in the play order while playing; stopped stays stopped
      PlayOrNext(ctx, PlaySource::RightArrow);
      break;
    case MediaCommand::Previous:  // the player keeps no way back
      break;
  }
}

bool SeekMediaTo(PlayerContext& ctx, const QString& trackId, qint64 us) {
  if (trackId != ReadMediaStatus(ctx).trackId || us < 0) return false;
  return SeekTo(ctx, static_cast<int>(std::min<qint64>(us / kUsPerSecond, INT32_MAX)));
}

void SetMediaShuffle(PlayerContext& ctx, bool on) {
  if (ctx.state.RandomOrder != on) RandomButtonClick(ctx);
}

}  // namespace lirra
