#include "transport.h"

#include <algorithm>
#include <cmath>

#include "engine_calls.h"
#include "list_commands.h"
#include "list_states.h"
#include "lyrics.h"
#include "next_track.h"
#include "playlist_library.h"
#include "sound_server_watch.h"
#include "paths.h"
#include "play_order.h"
#include "track_opening.h"

namespace lirra {

namespace {

// Round half to even, as the clock's arithmetic is defined.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

void EndOfTrack(PlayerContext& ctx) {
  if (ctx.state.StartMode == kStartSingleFile) {  // a file played alone: the window goes with it
    ctx.shell.frame.CloseMainWindow();
    return;
  }
  ctx.setTimer1(false);
  StopPlayback(ctx);
  PlayNext(ctx);
}

// The once-a-second part of the clock: end detection and the gauge. False when the tick
// ends here (a stream without end, or the track ended).
bool ProgressSecond(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const bool engineTrack = !s.VideoActive;
  if (s.LengthUnknown) {  // network streams play on without an end; a file still ends
    if (engineTrack && !s.CurrentIsNetwork && ctx.libs.engine->ChannelIsActive(s.CurrentChannel) == BASS_ACTIVE_STOPPED)
      EndOfTrack(ctx);
    return false;
  }
  // With the next entry joined, the engine's end is the end: the gauge counts whole
  // seconds and may reach its range while the last fraction still sounds.
  const bool gaugeAtEnd = s.GaugePosition >= s.GaugeRange && !NextTrackJoined(ctx);
  if (gaugeAtEnd || (engineTrack && ctx.libs.engine->ChannelIsActive(s.CurrentChannel) == BASS_ACTIVE_STOPPED)) {
    EndOfTrack(ctx);
    return false;
  }
  if (!s.LyricsTracking || !engineTrack)
    s.GaugePosition = s.VideoActive ? ctx.libs.video.GetSeconds(ORVANA_SECONDS_POSITION) : 0;
  else
    s.GaugePosition = RoundEven(ChannelPositionSeconds(*ctx.libs.engine, s.CurrentChannel)) - s.TrackStartSeconds;
  ctx.shell.captions.SetProgress(s.GaugeRange, s.GaugePosition);
  return true;
}

// Play with an empty track list plays the library's current list: the row of
// CurrentListFile, else the row at CurrentListIndex. Selecting it loads it.
void LoadLibrarysCurrentList(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  const PlaylistLibrary& lib = ctx.library;
  int row = lib.findFile(s.CurrentListFile);
  if (row < 0) row = s.CurrentListIndex;
  if (row < 0 || row >= lib.size()) return;
  SelectLibraryRow(ctx, row);
}

}  // namespace

void Timer1Tick(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!s.Timer1On || s.PausedTag) return;
  if (s.OpeningTrack) return;  // an open waits for the network or the sound server
  if (VisPluginStarting(ctx)) return;  // a plug-in is stopping: a track's end waits for the next tick
  if (KeepNextTrackReady(ctx)) return;  // the next track plays now, its clock just started
  WatchSoundServer(ctx);
  if (++s.TickDivider > 9) s.TickDivider = 0;
  if (s.LyricsTracking) LyricsSearchStep(ctx);
  // The lyric clock asks the engine where it is: only on ticks that use it.
  const bool display = LyricsDisplayed(ctx);
  const int lyricClock = display || (s.LyricsTracking && ctx.lyrics.tapPending) ? LyricClock(ctx) : 0;
  if (s.LyricsTracking) LyricTapStep(ctx, lyricClock);
  if (s.TickDivider == 0 && !ProgressSecond(ctx)) return;
  if (display) LyricDisplayStep(ctx, lyricClock);
}

void StartOrStop(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.Timer1On) {
    ctx.setTimer1(false);
    StopPlayback(ctx);
  } else if (s.AutoStart) {
    s.PlayToday = true;
    s.PlayNowPending = ScheduleDecision(ctx, ScheduleQuestion::ArmNextHour);
  }
  PlayCurrent(ctx);
}

namespace {
void FreshSpectrumForNextTrack(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  if (s.VisIndex == 1) {
    ClearPeaks(ctx);
    if (!s.ListShown) PickRandomStyle(ctx);  // each new track in a style of its own
  }
}
}  // namespace

void PlayNext(PlayerContext& ctx) {
  FreshSpectrumForNextTrack(ctx);
  const int first = ctx.list.firstSelected();
  if (first < 0 || first == ctx.state.PlayingIndex) ChooseNext(ctx);
  PlayCurrent(ctx);
}

void PlayChosenNext(PlayerContext& ctx) {
  ctx.setTimer1(false);
  StopPlayback(ctx);
  FreshSpectrumForNextTrack(ctx);
  PlayCurrent(ctx);
}

void PlayOrNext(PlayerContext& ctx, PlaySource source) {
  PlayerState& s = ctx.state;
  if (s.OpeningTrack) return;
  if (s.Timer1On) {
    if (source == PlaySource::EnterKey) return;
    ctx.setTimer1(false);
    StopPlayback(ctx);
    PlayNext(ctx);
    return;
  }
  if (source == PlaySource::RightArrow || !s.MListVisible) return;
  if (ctx.list.empty()) LoadLibrarysCurrentList(ctx);
  if (s.InPlaceEditing) {
    RestoreShortcuts(ctx);
    ctx.shell.views.FocusList(ListFocus::TrackList);
  }
  StartOrStop(ctx);
}

void StopCommand(PlayerContext& ctx) {
  if (HoldWhileVisHostBusy(ctx, [&ctx] { StopCommand(ctx); })) return;
  if (!ctx.state.Timer1On) return;
  StopAndShowStopped(ctx);
}

void PauseCommand(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!s.Timer1On) return;
  if (s.VideoActive) {
    ctx.libs.video.MediaState(s.PausedTag ? ORVANA_PLAY : ORVANA_PAUSE);
  } else if (s.PausedTag) {
    ctx.libs.engine->ChannelPlay(s.CurrentChannel, FALSE);
  } else {
    DropNextTrack(ctx);  // joined again once playing goes on
    ctx.libs.engine->ChannelPause(s.CurrentChannel);
  }
  s.PausedTag = s.PausedTag ? 0 : 1;
}

void SeekCommand(PlayerContext& ctx, int x, int y, int width, int height, bool leftButton) {
  const PlayerState& s = ctx.state;
  if (!s.ActiveAtPointer || !leftButton || x < 0 || x >= width || y < 0 || y >= height) return;
  SeekTo(ctx, RoundEven(static_cast<double>(x) * s.GaugeRange / width));
}

bool SeekTo(PlayerContext& ctx, int t) {
  PlayerState& s = ctx.state;
  if (s.LengthUnknown || !s.Timer1On) return false;
  const EngineFunctions& bass = *ctx.libs.engine;
  if (!s.VideoActive && bass.ChannelIsActive(s.CurrentChannel) == BASS_ACTIVE_STOPPED) return false;
  t = std::clamp(t, 0, std::max(s.GaugeRange, 0));
  DropNextTrack(ctx);  // chosen and joined again when the new place is near the end
  if (s.VideoActive)
    ctx.libs.video.SetPosition(t);
  else
    bass.ChannelSetPosition(s.CurrentChannel,
                            bass.ChannelSeconds2Bytes(s.CurrentChannel, t + s.TrackStartSeconds),
                            BASS_POS_BYTE);
  ResumeIfPaused(ctx);
  s.GaugePosition = t;
  ctx.shell.captions.SetProgress(s.GaugeRange, t);
  if (s.ShowLyrics && !ctx.lyrics.table.empty()) FindLyricLineAgain(ctx.lyrics);
  return true;
}

void ShowLength(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  if (!s.Timer1On && s.PlayingIndex >= 0 && s.PlayingIndex < ctx.list.size())
    ctx.shell.captions.SetCaption(ControlId::lbTitle, ctx.list.at(s.PlayingIndex).Title);
  if (s.DisplayUpdates)
    ctx.shell.captions.SetCaption(ControlId::lbTime, s.TrackSeconds >= 1 ? FormatLength(s.TrackSeconds) : QString());
}

}  // namespace lirra
