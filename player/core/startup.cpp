#include "startup.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>


#include "engine_calls.h"
#include "list_states.h"
#include "m3u_format.h"
#include "open_filter.h"
#include "paths.h"
#include "playlist_file.h"
#include "playlist_library.h"
#include "settings.h"
#include "track_opening.h"
#include "skin.h"
#include "window_options.h"
#include "user_folders.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {




void CloseWithMessage(PlayerContext& ctx, const QString& text) {
  ctx.inform(text);
  ctx.shell.frame.CloseMainWindow();
}

}  // namespace

void ApplyLanguage(PlayerContext& ctx) {
  const UiTexts& t = ctx.texts();
  Captions& captions = ctx.shell.captions;
  captions.SetCaption(ControlId::lbNext, t.nextCaption);
  captions.SetHint(ControlId::lbNext, t.nextHintIdle);
  captions.SetCaption(ControlId::lbPower, t.powerCaption);
  captions.SetHint(ControlId::lbPower, t.powerHint);
  captions.SetCaption(ControlId::lbTitle, t.titleIdle);
  // Without a skin the Chinese drag-area hint stays cleared; the English one is set.
  if (!ctx.state.UseChinese || ctx.skin.SkinLoaded) captions.SetHint(ControlId::lbMove, t.moveHintSkin);
  captions.SetHint(ControlId::sbAdd, t.addHint);
  captions.SetHint(ControlId::sbAddFld, t.addFolderHint);
  captions.SetHint(ControlId::sbRandom, ctx.state.RandomOrder ? t.randomOrderHint : t.normalOrderHint);
  captions.SetHint(ControlId::sbNewlist, t.manageListHint);
  captions.SetHint(ControlId::lbProgress, t.progressHint);
  if (ctx.state.UseChinese) {
    for (ControlId id : {ControlId::lbNext, ControlId::lbPower, ControlId::lbTitle})
      captions.SetFont(id, SongTiFont());
  } else {
    captions.SetFont(ControlId::lbTime, FontSpec{{}, 12});
  }
}

bool LoadEnginePlugin(PlayerContext& ctx, const QString& path) {
  const EngineFunctions& bass = *ctx.libs.engine;
  const QByteArray name = path.toUtf8();
  const uint32_t plugin = bass.PluginLoad(name.constData(), kNoFlags);
  if (!plugin) return false;
  if (const BASS_PLUGININFO* info = bass.PluginGetInfo(plugin)) {
    for (DWORD i = 0; i < info->formatc; ++i)
      ctx.state.PluginExtensions += QString::fromUtf8(info->formats[i].exts).toLower() + u';';
  }
  return true;
}

void BuildMediaTypes(PlayerContext& ctx, const VideoExtras& extras) {
  PlayerState& s = ctx.state;
  const OpenFilter filter =
      BuildOpenFilter(s.UseChinese, s.VideoLibAvailable, s.EngineReady, s.PluginExtensions, extras);
  s.OpenFilter = filter.filter;
  s.MediaMask = filter.mediaMask;
}

void CheckVideoTypes(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.VideoTypesChecked || !s.VideoLibAvailable || !ctx.videoExtras) return;
  s.VideoTypesChecked = true;
  BuildMediaTypes(ctx, ctx.videoExtras());
}

bool FormCreate(PlayerContext& ctx, const StartupEnvironment& env) {
  PlayerState& s = ctx.state;
  s = PlayerState{};
  s.AppDir = env.appDir.endsWith(u'/') ? env.appDir : env.appDir + u'/';
  const UserFolders folders = UserFoldersFor(s.AppDir.toStdString());
  s.ConfigDir = QString::fromStdString(folders.config);
  s.DataDir = QString::fromStdString(folders.data);
  if (FileExists(s.AppDir + u"libbass.so"_s)) LoadSettings(s, ctx.shell.frame.WorkArea());
  s.StartArgument = env.arguments.value(0);
  ctx.earlyStart = env.earlyStart;
  if (s.StartArgument.toUpper() == QLatin1String("/AUTO")) {
    s.StartMode = kStartNormal;
    if (!ScheduleDecision(ctx, ScheduleQuestion::AutoStartAllowed)) return false;  // nothing written
  }
  if (!folders.portable) {
    QDir().mkpath(s.ConfigDir);
    QDir().mkpath(s.DataDir + u"Plugins/Lyrics"_s);
  }
  WriteVisDefaults(s);
  s.UseChinese = IsSimplifiedChinese(env.locale);
  if (s.IsWinNT && ctx.screenSaver.available) s.ScreenSaverWasActive = ctx.screenSaver.available();
  ctx.shell.captions.SetWindowTitle(QStringLiteral("Lirra"));
  return true;
}

void FormShow(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  Libraries& libs = ctx.libs;
  // What an early start began is the player's from here: its bound engine, and the
  // playing channel, which PlayCurrent takes over (what it does not take is stopped below).
  ctx.preStarted = ctx.earlyStart ? ctx.earlyStart->take() : EarlyStart::Handover{};
  if (ctx.preStarted.engine.bound()) libs.engine = std::move(ctx.preStarted.engine);
  if (!libs.engine.bind((s.AppDir + u"libbass.so"_s).toStdString())) {
    CloseWithMessage(ctx, ctx.tr("缺少文件libbass.so，无法运行！", "Can't run without libbass.so"));
    return;
  }
  if (!ctx.preStarted.engineStarted && !StartEngineOutput(*libs.engine, ctx.shell.frame.WindowId())) {
    CloseWithMessage(ctx, ctx.tr("声卡未安装/被占用/或者驱动不兼容,不能运行!", "Can't initialize device"));
    return;
  }
  s.EngineReady = true;
  s.WmaAvailable = LoadEnginePlugin(ctx, s.AppDir + QString::fromLatin1(kEngineAddOnFiles[0]));
  for (size_t i = 1; i < std::size(kEngineAddOnFiles); ++i)
    LoadEnginePlugin(ctx, s.AppDir + QString::fromLatin1(kEngineAddOnFiles[i]));
  s.VideoLibAvailable = libs.video.bind((s.AppDir + u"liborvana.so"_s).toStdString());
  if (s.VideoLibAvailable) libs.video.Init(ctx.shell.frame.WindowId(), nullptr);
  s.TagsAvailable = libs.tags.bind((s.AppDir + u"Plugins/libtags.so"_s).toStdString());
  s.VisLibAvailable = libs.vis.bind((s.AppDir + u"libbass_vis.so"_s).toStdString());
  if (s.VisLibAvailable) {
    const QStringList found = QDir(s.AppDir + u"Plugins"_s).entryList({QStringLiteral("vis_*.so")}, QDir::Files);
    for (const QString& name : found.mid(0, 7)) s.VisPlugins << s.AppDir + u"Plugins/"_s + name;
  }
  // 1 the spectrum, 2 and up a plug-in: a value below 1 means the spectrum too.
  s.VisIndex = std::clamp(s.VisIndex, 1, static_cast<int>(s.VisPlugins.size()) + 1);
  if (s.VisIndex == 1) ctx.spectrum.style = ctx.randomBelow(kSpectrumStyles) + 1;
  SetupSpectrum(ctx);
  ApplySkin(ctx);
  ApplyLanguage(ctx);
  BuildMediaTypes(ctx, {});

  if (s.StartMode == kStartNormal) {
    s.PlayNowPending = ctx.now().time().minute() > 29;
  } else {
    s.PlayNowPending = ScheduleDecision(ctx, ScheduleQuestion::ArmNextHour);
    s.StartMode = CommandLineStartMode(s.StartArgument);
    if (s.StartMode == kStartList) s.CurrentListFile = s.StartArgument;
  }
  if (s.StartMode != kStartSingleFile) {
    ScanListFolder(ctx);
    if (!s.CurrentListFile.isEmpty() && !s.MListVisible) LoadCurrentList(ctx);
  }
  s.AutoStart = s.StartArgument.toUpper() == QLatin1String("/AUTO");
  ctx.shell.captions.FitTitleWidth();
  ApplyWindowShape(ctx);
  AddTrayIcon(ctx);

  if (s.StartMode == kStartSingleFile) {
    ctx.list.clear();
    ctx.list.append({TitleForLocation(s.StartArgument), s.StartArgument, std::nullopt, std::nullopt});
    s.NextIndex = s.PlayingIndex = 0;
    s.MListVisible = true;
    ctx.shell.views.SetTrackListVisible(true);
    ctx.shell.views.TrackListChanged(ctx.list);
    PlayCurrent(ctx);
  } else if (!ctx.list.empty()) {
    PlayCurrent(ctx);
  } else {
    ShowEmptyListState(ctx);
  }
  DiscardPreStartedChannel(ctx);
}

void FormActivate(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.StartMode != kStartSingleFile) s.StartMode = kStartActivated;
  s.MainActivated = true;
  if (!ctx.schedule.timerOn) SetScheduleTimer(ctx, true);
  if (ctx.vis.NewPresetPending) {  // the start clears it
    StartVisPlugin(ctx);
    AnnounceTitle(ctx);
  }
  ApplyListAlpha(ctx);
  OpenHeldNetworkEntry(ctx);
}

void OpenHeldNetworkEntry(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!s.NetworkOpenHeld) return;
  s.NetworkOpenHeld = false;
  if (IsPlaying(s) || s.PlayingIndex < 0 || s.PlayingIndex >= ctx.list.size()) return;
  s.MainActivated = true;  // as any play does; the window is up
  ctx.list.select(s.PlayingIndex);
  PlayCurrent(ctx);
}

bool FormCloseQuery(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.OpeningTrack) return false;  // a network entry is being opened: refused silently
  if (!s.EngineReady) return true;   // nothing was started
  SetScheduleTimer(ctx, false);
  if (s.Timer1On) {
    ctx.setTimer1(false);
    StopPlayback(ctx);
    QuitVisPlugin(ctx);
  }
  WriteWhatChanged(ctx);
  return true;
}

void WriteWhatChanged(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!s.EngineReady) return;
  SaveLyrics(ctx);
  if (s.SettingsDirty) {
    QString error;
    if (SaveSettings(s, &error))
      s.SettingsDirty = false;
    else
      ctx.inform(ctx.tr("设置未能保存:\n", "The settings could not be saved:\n") + error);
  }
  if (s.ListModified) SaveCurrentList(ctx);
}

void FormClose(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.EngineReady) {
    DropNextTrack(ctx);  // an open under way ends before the engine goes
    if (s.TagsAvailable) ctx.libs.tags.unbind();
    if (s.VisLibAvailable) ctx.libs.vis.unbind();
    if (s.VideoLibAvailable) ctx.libs.video.Free();
    ctx.libs.engine->PluginFree(kAllPlugins);
    ctx.libs.engine->Free();
    ctx.libs.engine.unbind();
    s.EngineReady = false;
  }
  RemoveTrayIcon(ctx);
}

}  // namespace lirra
