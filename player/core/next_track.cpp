#include "next_track.h"

#include <chrono>
#include <utility>

#include "engine_calls.h"
#include "media_probe.h"
#include "paths.h"
#include "play_order.h"
#include "player_context.h"
#include "track_kind.h"
#include "track_opening.h"
#include "transport.h"

namespace lirra {

namespace {

// The playing track is an engine track whose end the player waits for, on an engine that
// can join another to it.
bool MayJoinAfterPlayingTrack(const PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  return s.Timer1On && !s.PausedTag && !s.VideoActive && !s.CurrentIsNetwork && !s.LengthUnknown &&
         s.CurrentChannel != 0 && (s.TrackKind == kKindEngine || s.TrackKind == kKindCueTrack) &&
         s.StartMode != kStartSingleFile && ctx.libs.engine.bound() && ctx.libs.engine->ChannelJoin;
}

// A selected entry other than the playing one is what the end of the track plays.
int WinningSelection(const PlayerContext& ctx) {
  const int first = ctx.list.firstSelected();
  return first >= 0 && first != ctx.state.PlayingIndex ? first : -1;
}

bool StillTheNext(const PlayerContext& ctx, const NextTrackState& n) {
  const PlayerState& s = ctx.state;
  return n.playingIndex == s.PlayingIndex && n.listRevision == ctx.list.revision() &&
         n.randomOrder == s.RandomOrder && n.shufflePos == s.ShufflePos && n.selected == WinningSelection(ctx) &&
         n.index >= 0 && n.index < ctx.list.size() && ctx.list.at(n.index).Location == n.location;
}

// Chooses as the end of the track would (PlayNext), without committing anything: the
// shuffle's state is kept aside until the entry plays.
void ChooseFollowing(PlayerContext& ctx, NextTrackState& n) {
  const PlayerState& s = ctx.state;
  n.playingIndex = s.PlayingIndex;
  n.listRevision = ctx.list.revision();
  n.randomOrder = s.RandomOrder;
  n.shufflePos = s.ShufflePos;
  n.selected = WinningSelection(ctx);
  if (n.selected >= 0) {
    n.index = n.selected;
  } else {
    NextInOrder next = PeekNext(ctx);
    n.index = next.index;
    n.shuffleOrder = std::move(next.shuffleOrder);
    n.shufflePosAfter = next.shufflePos;
  }
  n.location = ctx.list.at(n.index).Location;
}

// The list played in list order ends with its last entry: what follows it starts as the
// list's start does, not joined.
bool WrapsToTheStart(const PlayerContext& ctx, const NextTrackState& n) {
  const bool listOrder = !ctx.state.RandomOrder || ctx.list.size() <= 2;
  return n.selected < 0 && listOrder && n.index <= ctx.state.PlayingIndex;
}

struct FollowingOpen {
  QString file;
  bool cueTrack = false;
  int start = 0;
  int end = 0;
  bool lookForPicture = false;  // an MP4-family file with a picture belongs to the video library
};

// The open, on a thread of its own (the engine may be called from any thread).
uint32_t OpenFollowing(const EngineFunctions& bass, const FollowingOpen& open) {
  if (!FileExists(open.file) || (open.lookForPicture && IsoMediaHasVideo(open.file))) return 0;
  const uint32_t channel = OpenEngineFile(bass, open.file);
  if (channel && open.cueTrack) PlaceSection(bass, channel, open.start, open.end);
  return channel;
}

void StartOpening(PlayerContext& ctx, NextTrackState& n) {
  const PlayerState& s = ctx.state;
  const Classification kind = ClassifyTrack(n.location, ClassifyContextOf(s));
  if (kind.isNetwork || (kind.kind != kKindEngine && kind.kind != kKindCueTrack) || WrapsToTheStart(ctx, n))
    return;  // left to the usual path at the end
  FollowingOpen open{n.location};
  if (kind.kind == kKindCueTrack) {
    const CueReference ref = ParseCueReference(n.location);
    if (ref.end - ref.start <= 0) return;
    open = {ref.path, true, ref.start, ref.end, false};
  } else {
    open.lookForPicture = s.VideoLibAvailable && MayHoldVideo(n.location);
  }
  n.file = open.file;
  n.opening = std::async(std::launch::async, OpenFollowing, *ctx.libs.engine, open);
}

double SecondsLeft(const PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  const EngineFunctions& bass = *ctx.libs.engine;
  const double end = s.TrackKind == kKindCueTrack
                         ? s.TrackStartSeconds + s.GaugeRange
                         : bass.ChannelBytes2Seconds(s.CurrentChannel, bass.ChannelGetLength(s.CurrentChannel, BASS_POS_BYTE));
  return end - ChannelPositionSeconds(bass, s.CurrentChannel);
}

// The engine plays the next entry now: the playing track ends the usual way and the next
// one starts on the channel that sounds already.
void FollowOn(PlayerContext& ctx) {
  NextTrackState& n = ctx.nextTrack;
  if (n.selected < 0) CommitNext(ctx, {n.index, std::move(n.shuffleOrder), n.shufflePosAfter});
  n.handedChannel = std::exchange(n.channel, 0);
  n.handedLocation = n.location;
  const QString file = n.file;
  const QString location = n.location;
  DropNextTrack(ctx);  // nothing is left to drop; the choice is forgotten
  PlayChosenNext(ctx);
  if (const uint32_t unused = TakeHandedChannel(ctx, location))  // the open path chose otherwise
    FreeEngineChannel(*ctx.libs.engine, unused, file);
}

}  // namespace

bool KeepNextTrackReady(PlayerContext& ctx) {
  NextTrackState& n = ctx.nextTrack;
  if (!MayJoinAfterPlayingTrack(ctx)) {
    if (n.chosen()) DropNextTrack(ctx);
    return false;
  }
  if (n.chosen() && !StillTheNext(ctx, n)) DropNextTrack(ctx);
  const EngineFunctions& bass = *ctx.libs.engine;
  const uint32_t playing = ctx.state.CurrentChannel;
  if (!n.chosen()) {
    if (SecondsLeft(ctx) > kPrepareSecondsBeforeEnd) return false;
    ChooseFollowing(ctx, n);
    StartOpening(ctx, n);
    return false;
  }
  if (n.opening.valid() && n.opening.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    n.channel = n.opening.get();
    // Refused (another sample rate, or the end already heard): it still starts at once
    // when the playing track has ended.
    if (n.channel) n.joined = bass.ChannelJoin(playing, n.channel) != FALSE;
  }
  if (n.channel && bass.ChannelIsActive(playing) == BASS_ACTIVE_STOPPED) {
    FollowOn(ctx);
    return true;
  }
  return false;
}

bool NextTrackJoined(const PlayerContext& ctx) { return ctx.nextTrack.joined; }

void DropNextTrack(PlayerContext& ctx) {
  NextTrackState& n = ctx.nextTrack;
  if (n.opening.valid()) n.channel = n.opening.get();  // waits for an open under way
  if (n.channel && ctx.libs.engine.bound()) FreeEngineChannel(*ctx.libs.engine, n.channel, n.file);  // undoes the join
  n.channel = 0;
  n.joined = false;
  n.index = -1;
  n.location.clear();
  n.file.clear();
  n.shuffleOrder.clear();
}

uint32_t TakeHandedChannel(PlayerContext& ctx, const QString& location) {
  NextTrackState& n = ctx.nextTrack;
  if (!n.handedChannel || n.handedLocation != location) return 0;
  n.handedLocation.clear();
  return std::exchange(n.handedChannel, 0);
}

}  // namespace lirra
