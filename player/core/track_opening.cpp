#include "track_opening.h"

#include <QFileInfo>

#include <malloc.h>

#include <cmath>
#include <utility>

#include "capture.h"
#include "central_states.h"
#include "engine_calls.h"
#include "list_commands.h"
#include "list_states.h"
#include "media_probe.h"
#include "next_track.h"
#include "paths.h"
#include "track_kind.h"
#include "transport.h"

namespace lirra {

namespace {

// OpenWithEngine: the entry at PlayingIndex through the sound engine.
void OpenWithEngine(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  LeaveVideoFullScreen(ctx);
  const EngineFunctions& bass = *ctx.libs.engine;
  QString path = ctx.list.at(s.PlayingIndex).Location;
  int usable = 1;
  if (s.TrackKind == kKindCueTrack) {
    const CueReference ref = ParseCueReference(path);
    path = ref.path;
    s.TrackStartSeconds = ref.start;
    usable = ref.end - ref.start;
    if (usable > 0) s.TrackSeconds = usable;
  }
  if (!s.CurrentIsNetwork && !FileExists(path)) usable = 0;

  uint32_t channel = 0;
  const QString location = ctx.list.at(s.PlayingIndex).Location;
  // The file already playing since before the window, or the entry the engine joined to
  // the track before: taken over, not opened again.
  const bool preStarted = ctx.preStarted.channel && s.TrackKind == kKindEngine &&
                          ctx.preStarted.location == location;
  const uint32_t joined = preStarted ? 0 : TakeHandedChannel(ctx, location);
  if (preStarted) {
    channel = std::exchange(ctx.preStarted.channel, 0);
  } else if (joined) {
    channel = joined;
    // Not joined after all (another sample rate): it starts now, where it was placed.
    if (bass.ChannelIsActive(channel) != BASS_ACTIVE_PLAYING && !bass.ChannelPlay(channel, FALSE)) {
      FreeEngineChannel(bass, channel, path);
      channel = 0;
    }
  } else if (usable > 0) {
    if (s.CurrentIsNetwork) {
      // Any engine type at an http(s) address streams (the old rule accepted addresses
      // without an extension only, so "http://host/song.mp3" never played).
      if (IsHttpUrl(path) && (s.TrackKind == kKindUrlStream || s.TrackKind == kKindEngine)) {
        const QString opened = ctx.list.at(s.PlayingIndex).Location;
        ctx.shell.timers.RunWhileResponsive(
            [&] { channel = OpenEngineAddress(bass, path); });
        // The window ran meanwhile: the entry is found again by what it is, not where it was.
        s.PlayingIndex = ctx.list.findByLocation(opened);
        if (s.PlayingIndex < 0) {
          if (channel) bass.StreamFree(channel);
          s.CurrentChannel = 0;
          s.OpenAbandoned = true;
          return;
        }
      }
    } else {
      channel = OpenEngineFile(bass, path);
      // A cue track starts at its start and ends at its end; placed before it plays, so
      // nothing of the file before it is heard.
      if (channel && s.TrackKind == kKindCueTrack) PlaceSection(bass, channel, s.TrackStartSeconds, s.TrackStartSeconds + usable);
    }
  }
  // A channel the engine refuses to start is a failed open: it never sounds, so it is
  // freed and reported instead of leaving a silent "playing" state behind.
  const bool opened = channel && !preStarted && !joined;
  if (opened && !bass.ChannelPlay(channel, s.TrackKind == kKindCueTrack ? FALSE : TRUE)) {
    FreeEngineChannel(bass, channel, path);
    channel = 0;
  }
  s.CurrentChannel = channel;
  if (!channel) {
    s.OpenFailed = true;
    return;
  }
  const double seconds = bass.ChannelBytes2Seconds(channel, bass.ChannelGetLength(channel, BASS_POS_BYTE));
  // Whole seconds; a sound shorter than a second still has a length (0 would mean unknown).
  const int length = seconds > 0 ? std::max(1, static_cast<int>(seconds)) : 0;
  if (s.TrackKind != kKindCueTrack) s.TrackSeconds = length;
  s.LyricsTracking = true;
  ShowLength(ctx);
  LoadLyrics(ctx);
  if (s.DisplayUpdates) AttachVisualisation(ctx);
}

// OpenWithVideoLibrary: the entry at PlayingIndex through Orvana.
void OpenWithVideoLibrary(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  VideoLibraryBinding& video = ctx.libs.video;
  SetScheduleTimer(ctx, true, kLookForErrorBoxMs);  // a library error box is closed at once
  const QByteArray name = ctx.list.at(s.PlayingIndex).Location.toUtf8();
  // Where the video library cannot draw into the panel's own window, it hands the pictures
  // to the panel to paint.
  if (video.SetConfig && !ctx.shell.frame.NativeWindowsDrawable())
    video.SetConfig(ORVANA_CONFIG_GRAPH_MODE, ORVANA_MODE_WINDOWLESS9);
  s.VideoActive = video.MediaLoad(ORVANA_FALSE, ctx.shell.frame.VideoWindowId(), name.constData(), ORVANA_FALSE,
                                  nullptr) == ORVANA_S_OK;
  if (!s.VideoActive) {
    if (s.TrackKind == kKindNetworkPath) {
      s.TrackKind = kKindEngine;
      OpenWithEngine(ctx);
    } else {
      s.OpenFailed = true;
    }
    return;
  }
  s.TrackSeconds = std::max(0, static_cast<int>(video.GetSeconds(ORVANA_SECONDS_DURATION)));
  OrvanaVideoInfo info{};
  video.GetVideoInfo(&info);
  video.MediaState(ORVANA_PLAY);
  ShowLength(ctx);
  s.VideoShown = info.hasVideo != 0;
  if (s.VideoShown) {
    if (s.DisplayUpdates) ShowVisualArea(ctx);
    return;
  }
  // Audio-only media (MIDI and the like) are visualised from what is heard, recorded back.
  LeaveVideoFullScreen(ctx);
  OpenCapture(ctx, s.DisplayUpdates);
  if (s.TrackKind == kKindMidiCapture) {
    s.LyricsTracking = true;
    LoadLyrics(ctx);
    if (s.DisplayUpdates) AttachVisualisation(ctx);
  } else if (!s.ListShown) {
    s.LyricsTracking = false;
    ShowTrackList(ctx);
  }
}

// An add-on claims the MP4 family by extension, but such a file may hold a picture:
// then it belongs to the video library. The look inside runs off the UI thread while
// list commands wait, as for a network open.
void RouteVideoToVideoLibrary(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const QString location = ctx.list.at(s.PlayingIndex).Location;
  if (s.TrackKind != kKindEngine || !s.VideoLibAvailable || s.CurrentIsNetwork || !MayHoldVideo(location))
    return;
  bool video = false;
  s.OpeningTrack = true;
  ctx.shell.timers.RunWhileResponsive([&] { video = IsoMediaHasVideo(location); });
  s.OpeningTrack = false;
  s.PlayingIndex = ctx.list.findByLocation(location);
  if (video) s.TrackKind = kKindOther;
}

void ReportOpenFailure(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const QString text = s.CurrentIsNetwork
                           ? ctx.tr("格式不明/地址有误/或者尚未联网,不能播放!",
                                    "Invalid or unsupported URL stream.")
                           : ctx.tr("格式不明或者路径有误,不能播放!",
                                    "Invalid or unsupported stream file.");
  if (s.CurrentIsNetwork) ctx.shell.captions.SetWindowTitle(QStringLiteral("Lirra"));  // no longer connecting
  SetScheduleTimer(ctx, false);  // the message box must not be closed as the library's
  ctx.shell.frame.BringToFront();
  ctx.shell.dialogs.ShowMessage(text, ctx.list.at(s.PlayingIndex).Title);
  s.OpenFailed = false;
  if (s.StartMode == kStartSingleFile) {
    ctx.shell.frame.CloseMainWindow();
    return;
  }
  // The failed entry, which PlayCurrent selected, leaves the list with any other selected
  // entries; with the library panel open the selection was cleared and nothing goes. A
  // selection the user moved while a network open waited is not what failed: the failed
  // entry alone goes then.
  if (!s.LibraryPanelShown && !ctx.list.isSelected(s.PlayingIndex)) ctx.list.select(s.PlayingIndex);
  ctx.shell.views.FocusList(ListFocus::TrackList);
  DeleteSelectedTracks(ctx, Removal::AfterFailedOpen);
  SetScheduleTimer(ctx, true);
}

}  // namespace

ClassifyContext ClassifyContextOf(const PlayerState& s) {
  return {s.EngineReady, s.WmaAvailable, s.VideoLibAvailable, s.PluginExtensions};
}

void UpdateEntryLength(PlayerContext& ctx, int index, int range) {
  PlayerState& s = ctx.state;
  TrackEntry& e = ctx.list.at(index);
  if (range <= 0) {
    s.LengthUnknown = true;
    if (e.LengthSeconds && e.LengthText) {
      e.LengthSeconds.reset();
      e.LengthText.reset();
    }
    if (!e.LengthSeconds) {
      e.LengthSeconds = QStringLiteral("0");
      s.ListModified = true;
    }
    return;
  }
  const QString seconds = QString::number(range);
  if (e.LengthSeconds == seconds && e.LengthText) return;
  e.LengthSeconds = seconds;
  e.LengthText = FormatLength(range);
  s.ListModified = true;
}

void PlayCurrent(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (HoldWhileVisHostBusy(ctx, [&ctx] { PlayCurrent(ctx); })) return;
  if (ctx.list.empty()) return;
  s.TrackStartSeconds = 0;
  ResetLyrics(ctx);
  ForgetTrackTags(ctx);
  if (ctx.list.selection().empty()) ctx.list.select(std::clamp(s.NextIndex, 0, ctx.list.size() - 1));
  s.PlayingIndex = ctx.list.firstSelected();
  ctx.shell.views.TrackListChanged(ctx.list);
  const Classification kind = ClassifyTrack(ctx.list.at(s.PlayingIndex).Location, ClassifyContextOf(s));
  s.TrackKind = kind.kind;
  s.CurrentIsNetwork = kind.isNetwork;
  RouteVideoToVideoLibrary(ctx);
  if (s.PlayingIndex < 0) return;  // gone while it was looked at (list commands wait meanwhile)
  if (s.CurrentIsNetwork) {
    if (!s.MainActivated) {
      // A network open waits for the window (its messages and the connecting title need
      // it); the first activation opens the entry.
      ctx.shell.captions.SetWindowTitle(QStringLiteral("Lirra"));
      s.NetworkOpenHeld = true;
      return;
    }
    s.OpeningTrack = true;
    ctx.shell.captions.SetWindowTitle(ctx.tr("正在连接...", "Connecting..."));
  }
  s.TrackSeconds = 0;
  if (s.VideoLibAvailable && (s.TrackKind == kKindOther || s.TrackKind == kKindNetworkPath ||
                              s.TrackKind == kKindMidiCapture))
    OpenWithVideoLibrary(ctx);
  else
    OpenWithEngine(ctx);
  if (s.LibraryPanelShown) ctx.list.clearSelection();
  s.OpeningTrack = false;
  if (std::exchange(s.OpenAbandoned, false)) {
    // The entry left the list while it opened (not reachable while list commands wait
    // for the open; kept so that such a case stops instead of touching another entry).
    s.OpenFailed = false;
    ShowStoppedState(ctx);
    return;
  }
  if (s.OpenFailed) {
    ReportOpenFailure(ctx);
    return;
  }
  s.TickDivider = 0;
  s.GaugeRange = s.TrackSeconds;
  s.GaugePosition = 0;
  ctx.shell.captions.SetProgress(s.GaugeRange, 0);
  ctx.setTimer1(true);
  UpdateEntryLength(ctx, s.PlayingIndex, s.GaugeRange);
  ctx.shell.views.TrackListChanged(ctx.list);
  AnnounceTitle(ctx);
  if (s.VideoShown && s.ScreenSaverWasActive && !s.ScreenSaverSuppressed) SwitchScreenSaver(ctx);
  ctx.shell.captions.SetHint(ControlId::lbNext, ctx.tr("下一个/右键停止", "Next/RightClk to Stop"));
  // Give what opening the track needed and no longer holds back to the system.
  if (s.IsWinNT) malloc_trim(0);
}

void DiscardPreStartedChannel(PlayerContext& ctx) {
  const uint32_t channel = std::exchange(ctx.preStarted.channel, 0);
  if (!channel || !ctx.libs.engine.bound()) return;
  ctx.libs.engine->ChannelStop(channel);
  FreeEngineChannel(*ctx.libs.engine, channel, ctx.preStarted.location);
}

void StopPlayback(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  DropNextTrack(ctx);
  const bool lyricsMayChange = ctx.schedule.timerOn;
  if (s.TrackKind == kKindMidiCapture && ctx.libs.engine.bound()) EndCapture(ctx);
  if (s.VideoActive) {
    ctx.libs.video.MediaState(ORVANA_CLOSE);
    s.VideoActive = false;
  } else if (s.CurrentChannel && ctx.libs.engine.bound()) {
    ctx.libs.engine->ChannelStop(s.CurrentChannel);
    ctx.libs.engine->StreamFree(s.CurrentChannel);
  }
  s.CurrentChannel = 0;
  s.PausedTag = 0;
  s.LengthUnknown = false;
  // Tapped times, or an offset folded in: saved once the sound has stopped, so a question
  // about them is never asked over the old track still playing.
  if (lyricsMayChange) SaveLyrics(ctx);
  if (s.ScreenSaverSuppressed) SwitchScreenSaver(ctx);
  s.LyricsTracking = false;
  s.VideoShown = false;
}

void SwitchScreenSaver(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  s.ScreenSaverSuppressed = s.Timer1On && s.VideoShown;
  if (ctx.screenSaver.setActive) ctx.screenSaver.setActive(!s.ScreenSaverSuppressed);
}

int ProbeDuration(PlayerContext& ctx, const QString& path) {
  PlayerState& s = ctx.state;
  s.ProbedSeconds = 0;
  const EngineFunctions& bass = *ctx.libs.engine;
  const QByteArray name = path.toUtf8();
  const uint32_t h =
      bass.StreamCreateFile(FALSE, name.constData(), kWholeFileOffset, kWholeFileLength, BASS_STREAM_DECODE);
  if (h) {
    s.ProbedSeconds = static_cast<int>(
        std::lround(bass.ChannelBytes2Seconds(h, bass.ChannelGetLength(h, BASS_POS_BYTE))));
    bass.StreamFree(h);
  }
  return s.ProbedSeconds;
}

}  // namespace lirra
