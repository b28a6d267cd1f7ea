#include "vis_host.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "central_states.h"
#include "inifile.h"
#include "paths.h"
#include "player_context.h"
#include "settings.h"
#include "textfile.h"
#include "track_kind.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {

constexpr int32_t kPlaying = 1;

const VisHostBinding& Host(const PlayerContext& ctx) { return ctx.libs.vis; }

QString SelectedPlugin(const PlayerContext& ctx) {
  const int i = ctx.state.VisIndex - 2;
  return i >= 0 && i < ctx.state.VisPlugins.size() ? ctx.state.VisPlugins[i] : QString();
}

void FollowChannel(PlayerContext& ctx) {
  VisHostState& v = ctx.vis;
  v.RunningRecord = false;
  Host(ctx).SetPlayState(&v.VisParam, kPlaying, -1, 0);
  Host(ctx).RenderChannel(&v.VisParam, ctx.state.CurrentChannel);
  v.RunningAudio = true;
}

// The AVS plug-in's own settings the player keeps in lirra.dat.
void WriteAvsKeys(PlayerContext& ctx, bool withPreset) {
  IniFile dat(VisDefaultsPath(ctx.state));
  dat.writeInteger(u"AVS"_s, u"cfg_docked"_s, 0);
  dat.writeInteger(u"AVS"_s, u"cfg_cfgwnd_open"_s, 0);
  if (withPreset) dat.writeString(u"AVS"_s, u"last_preset_name"_s, ctx.vis.LastPresetPath);
  dat.save();  // a file that cannot be written only costs the plug-in its remembered state
}

// A start that failed: the spectrum in a random style, without a message.
void FallBackToSpectrum(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.TrackKind == kKindMidiCapture) {
    ShowTrackList(ctx);
    return;
  }
  PickRandomStyle(ctx);
  SetupSpectrum(ctx);
  s.VisIndex = 1;
  ShowVisualArea(ctx);
}

}  // namespace

void AttachVisualisation(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  VisHostState& v = ctx.vis;
  const bool shownAndRunning = !s.ListShown && VisPluginRunning(v);
  v.NewPresetPending = s.VisIndex > 1 && !shownAndRunning;
  if (s.VisIndex == 1 || ctx.shell.frame.IsMinimised()) {
    ShowVisualArea(ctx);
  } else if (v.NewPresetPending) {
    v.NewPresetPending = false;
    StartVisPlugin(ctx);
  } else {
    FollowChannel(ctx);
  }
}

namespace {
// The host is free again: a track command held meanwhile runs now.
void EndHostWork(PlayerContext& ctx) {
  ctx.vis.Busy = false;
  if (const std::function<void()> held = std::exchange(ctx.vis.Held, {})) held();
}
}  // namespace

void StartVisPlugin(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  VisHostState& v = ctx.vis;
  if (!s.MainActivated) {
    v.NewPresetPending = true;  // the first activation starts it
    return;
  }
  if (s.DragInProgress) {
    s.DragInProgress = false;  // the move or resize starts it when its loop ends
    v.StartDeferred = true;
    return;
  }
  if (v.Busy) return;
  v.Busy = true;
  ShowVisualArea(ctx);
  const QString plugin = SelectedPlugin(ctx);
  if (plugin.isEmpty() || !Host(ctx).bound()) {
    FallBackToSpectrum(ctx);
    EndHostWork(ctx);
    return;
  }
  bool picked = false;
  if (s.AvsSelected && (v.NewPresetPending || !FileExists(s.DataDir + u"Plugins/vis_avs.dat"_s))) {
    PickAvsPreset(ctx);
    picked = true;
  }
  if (s.AvsSelected && (v.NewPresetPending || v.AvsEditorWasOpen)) WriteAvsKeys(ctx, v.NewPresetPending && picked);
  v.NewPresetPending = false;

  v.VisParam.kind = BASSVIS_KIND_MODULE;
  const uintptr_t main = ctx.shell.frame.WindowId();
  Host(ctx).Init(BASSVIS_KIND_MODULE, main, main);
  const QByteArray path = plugin.toUtf8();
  BASSVIS_EXEC exec{path.constData(), 1, 1, 0};
  Host(ctx).ExecutePlugin(&exec, &v.VisParam);
  if (v.VisParam.plugin) {
    Host(ctx).SetPlayState(&v.VisParam, kPlaying, -1, 0);
    v.PluginWindow = v.VisParam.window;
    if (v.PluginWindow) {
      const QSize panel = VisualAreaBounds(s).size();
      Host(ctx).SetVisPort(&v.VisParam, v.PluginWindow, ctx.shell.frame.VisualWindowId(), 0, 0, panel.width(),
                           panel.height());
    }
    Host(ctx).RenderChannel(&v.VisParam, s.CurrentChannel);
    (s.TrackKind == kKindMidiCapture ? v.RunningRecord : v.RunningAudio) = true;
  } else {
    FallBackToSpectrum(ctx);
  }
  EndHostWork(ctx);
}

void StopVisPlugin(PlayerContext& ctx) {
  VisHostState& v = ctx.vis;
  if (v.Busy || !VisPluginRunning(v) || !Host(ctx).bound()) return;
  v.Busy = true;
  v.RunningAudio = v.RunningRecord = false;
  Host(ctx).Quit(&v.VisParam);
  while (!Host(ctx).IsFree(&v.VisParam)) ctx.shell.timers.ProcessPendingEvents();
  v.VisParam.plugin = 0;
  v.PluginWindow = 0;
  EndHostWork(ctx);
}

bool VisPluginStarting(const PlayerContext& ctx) { return ctx.vis.Busy; }

bool HoldWhileVisHostBusy(PlayerContext& ctx, std::function<void()> command) {
  if (!ctx.vis.Busy) return false;
  ctx.vis.Held = std::move(command);
  return true;
}

void AnnounceTitle(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  if (s.PlayingIndex < 0 || s.PlayingIndex >= ctx.list.size()) return;
  QString text = ctx.list.at(s.PlayingIndex).Title;
  if (VisPluginRunning(ctx.vis) && Host(ctx).bound()) {
    QString title;
    if (s.TagsAvailable && !s.VideoActive && s.TrackKind != kKindCueTrack)
      title = QString::fromUtf8(ctx.libs.tags.Read(s.CurrentChannel, "%TITL"));
    if (title.isEmpty()) title = text;
    const QByteArray song = (QString::number(s.PlayingIndex + 1) + u". "_s + title + u" - Winamp"_s).toUtf8();
    const BASSVIS_INFO info{song.constData(), {}};
    Host(ctx).SetInfo(&ctx.vis.VisParam, &info);
  }
  if (s.CurrentIsNetwork)
    text.prepend(u"i))"_s);
  else if (s.LengthUnknown)
    text.prepend(u"?time "_s);
  ctx.shell.captions.SetWindowTitle(text);
  SetTrayTip(ctx, PlayingTrayTip(ctx, text));
}

void ResizeVisPlugin(PlayerContext& ctx) {
  if (!VisPluginRunning(ctx.vis) || !Host(ctx).bound()) return;
  const QSize panel = VisualAreaBounds(ctx.state).size();
  const BASSVIS_RESIZE resize{ctx.shell.frame.VisualWindowId(), 0, 0, 1};
  Host(ctx).Resize(&resize, 0, 0, panel.width(), panel.height());
}

void StopPluginUnlessFullScreen(PlayerContext& ctx) {
  const VisHostState& v = ctx.vis;
  if (!VisPluginRunning(v)) return;
  const QSize window = ctx.shell.frame.NativeWindowSize(v.PluginWindow);
  const QSize work = ctx.shell.frame.WorkArea().size();
  if (window.width() <= work.width() && window.height() <= work.height()) StopVisPlugin(ctx);
}

void PickAvsPreset(PlayerContext& ctx) {
  const QString base = ctx.state.AppDir + u"Plugins/AVS/"_s;
  QString pool = base + u"newpicks/"_s;
  if (!QFileInfo(pool).isDir()) {
    // The first sub-folder (by name: the disk's own order is arbitrary here) whose name does
    // not start with a dot, else the base. Dotted ones are listed and skipped here, by this
    // rule, not left to how the listing treats hidden folders.
    const QStringList folders = QDir(base).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    pool = base;
    for (const QString& name : folders)
      if (!name.startsWith(u'.')) {
        pool = base + name + u'/';
        break;
      }
  }
  ctx.vis.LastPresetPath = base;
  const QStringList presets = QDir(pool).entryList({u"*.avs"_s}, QDir::Files, QDir::Name);
  if (presets.isEmpty()) return;
  const QString chosen = pool + presets[ctx.randomBelow(static_cast<int>(presets.size()))];
  QFile file(chosen);
  if (!file.open(QIODevice::ReadOnly)) return;
  if (WriteFileAtomically(ctx.state.DataDir + u"Plugins/vis_avs.dat"_s, file.readAll()))
    ctx.vis.LastPresetPath = chosen;
}

void QuitVisPlugin(PlayerContext& ctx) { StopVisPlugin(ctx); }

}  // namespace lirra
