#include "central_states.h"

#include "list_commands.h"
#include "paths.h"
#include "player_context.h"
#include "settings.h"
#include "skin.h"
#include "transport.h"
#include "window_moves.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {

constexpr ControlId kBottomStrip[] = {ControlId::sbAdd,   ControlId::sbAddFld, ControlId::sbRandom,
                                      ControlId::sbNewlist, ControlId::lbAddG1, ControlId::lbAddG2,
                                      ControlId::lbAddG3, ControlId::lbAddG4, ControlId::lbAddG5,
                                      ControlId::lbAddG6};
constexpr int kTitleStripHeight = 12;  // the strip above the visual area that takes clicks

void SetBottomStripVisible(PlayerContext& ctx, bool visible) {
  for (ControlId id : kBottomStrip) ctx.shell.panels.SetVisible(id, visible);
}

bool PlayingEntryValid(const PlayerContext& ctx) {
  return ctx.state.PlayingIndex >= 0 && ctx.state.PlayingIndex < ctx.list.size();
}

// The title shows the playing entry, or the idle title.
void ShowTrackCaption(PlayerContext& ctx) {
  ctx.shell.captions.SetCaption(ControlId::lbTitle, PlayingEntryValid(ctx) ? ctx.list.at(ctx.state.PlayingIndex).Title
                                                                           : ctx.texts().titleIdle);
}

QString UpperFileName(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1).toUpper(); }

}  // namespace

QRect VisualAreaBounds(const PlayerState& s) {
  return At(LayoutFor({s.ClientWidth, s.ClientHeight}), ControlId::VisPanel);
}

void ShowTrackList(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.VideoFullScreen) LeaveVideoFullScreen(ctx);
  Panels& panels = ctx.shell.panels;
  panels.SetVisible(ControlId::MListPanel, true);
  panels.SetVisible(ControlId::VisPanel, false);
  panels.SetVisible(ControlId::VdoPanel, false);
  s.ListShown = true;
  ShowTrackCaption(ctx);
  ctx.shell.captions.SetHint(ControlId::lbMove, ctx.texts().moveHintList);
  ctx.shell.captions.SetCaption(ControlId::lbTime, QString());
  ctx.shell.captions.FitTitleWidth();
  SetBottomStripVisible(ctx, true);
  ctx.shell.frame.SetAlphaBlend(s.SeeThrough);
  ctx.shell.frame.SetColourKey(false);
  // The spectrum's clock rests behind the list (it draws nothing there); the visual area
  // starts it again.
  ctx.shell.timers.SetTimer(TimerId::TimerFFT, false);
  StopVisPlugin(ctx);
  if (s.StayOnTop) ctx.shell.frame.SetTopmost(false);
  if (!ctx.list.empty() && ctx.list.selection().empty() && PlayingEntryValid(ctx)) {
    ctx.list.select(s.PlayingIndex);
    ctx.shell.views.TrackListChanged(ctx.list);
  }
  ctx.shell.views.FocusList(ListFocus::TrackList);
}

void ShowVisualArea(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  Panels& panels = ctx.shell.panels;
  panels.SetVisible(ControlId::VisPanel, !s.VideoShown);
  panels.SetVisible(ControlId::VdoPanel, s.VideoShown);
  if (s.ListShown) {
    panels.SetVisible(ControlId::MListPanel, false);
    SetBottomStripVisible(ctx, false);
  }
  s.ListShown = false;
  if (s.StayOnTop && ForegroundIsFree(ctx)) ctx.shell.frame.SetTopmost(true);
  ctx.shell.captions.SetHint(ControlId::lbMove, ctx.texts().moveHintVisual);
  if (s.LibraryPanelShown) {
    ctx.shell.captions.SetHint(ControlId::sbNewlist, ctx.texts().manageListHint);
    s.LibraryPanelShown = false;
    ctx.shell.views.SetLibraryPanelVisible(false);
    ctx.library.selected = -1;
    ctx.shell.views.LibraryChanged(ctx.library);
  }
  RestoreShortcuts(ctx);
  ctx.shell.captions.FitTitleWidth();
  s.TimerFFTOn = s.VisIndex == 1 && !s.VideoShown;
  ctx.shell.timers.SetTimer(TimerId::TimerFFT, s.TimerFFTOn);
  StopVisPlugin(ctx);
  const int plugin = s.VisIndex - 2;
  s.AvsSelected = s.LyricsTracking && plugin >= 0 && plugin < s.VisPlugins.size() &&
                  UpperFileName(s.VisPlugins[plugin]) == u"VIS_AVS.SO"_s;
  ctx.shell.frame.SetAlphaBlend(s.SeeThrough && s.AvsSelected);
  ctx.shell.frame.SetColourKey(s.SeeThrough && s.LyricsTracking && s.VisIndex == 1);
  ctx.shell.captions.SetHint(ControlId::lbProgress, ctx.texts().progressHint);
}

void lbMoveDblClick(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!s.LyricsTracking && !s.VideoShown) return;
  ResumeIfPaused(ctx);
  if (!s.ListShown) {
    ShowTrackList(ctx);
    return;
  }
  ShowTrackCaption(ctx);
  ctx.shell.captions.SetCaption(ControlId::lbTime, s.TrackSeconds >= 1 ? FormatLength(s.TrackSeconds) : QString());
  if (s.VideoShown || s.VisIndex == 1) {
    ShowVisualArea(ctx);
  } else {
    StartVisPlugin(ctx);
    AnnounceTitle(ctx);
  }
}

void lbNextMouseEnter(PlayerContext& ctx) { ctx.state.PointerInside = true; }

void lbNextMouseLeave(PlayerContext& ctx) { ctx.state.PointerInside = false; }

void VisPanelMouseMove(PlayerContext& ctx, ControlId sender, bool applicationActive) {
  ctx.state.ActiveAtPointer = applicationActive;
  if (sender == ControlId::lbTitle)
    lbTitleMouseEnter(ctx);
  else if (ctx.state.PointerInside)
    lbTitleMouseLeave(ctx);
}

void VisPanelMouseUp(PlayerContext& ctx, ControlId sender, PointerButton button, QPoint pos) {
  PlayerState& s = ctx.state;
  if (s.VideoShown && button == PointerButton::Right) {
    SwitchVideoFullScreen(ctx);
    return;
  }
  if (s.VideoShown || s.ListShown) return;
  const QRect panel = VisualAreaBounds(s);
  const bool onTitleStrip = pos.x() >= 0 && pos.x() < panel.width() && pos.y() >= -kTitleStripHeight && pos.y() < 0;
  if (sender == ControlId::lbTitle && !ctx.lyrics.table.empty()) {
    // A left click counts when released where it was pressed, over the title.
    if (s.ActiveAtPointer && (button != PointerButton::Left || onTitleStrip)) LyricTitleClicked(ctx, button);
    return;
  }
  if (button == PointerButton::Left) {
    if (sender == ControlId::VisPanel || !onTitleStrip) return;
  } else if (button != PointerButton::Right) {
    return;
  }
  if (s.PausedTag) {
    ResumeIfPaused(ctx);
    return;
  }
  if (VisPluginStarting(ctx)) return;
  const bool noPlugins = s.VisPlugins.isEmpty();
  if (button == PointerButton::Right || (noPlugins && s.ActiveAtPointer)) {
    if (s.VisIndex == 1) {
      CycleStyle(ctx);
    } else {
      StopVisPlugin(ctx);
      ctx.vis.NewPresetPending = true;
      StartVisPlugin(ctx);
    }
    s.SettingsDirty = true;
    return;
  }
  if (!s.ActiveAtPointer) return;
  if (++s.VisIndex == static_cast<int>(s.VisPlugins.size()) + 2) {
    PickRandomStyle(ctx);
    SetupSpectrum(ctx);
    s.VisIndex = 1;
  }
  if (ctx.spectrum.style == kRingStyle || s.VisIndex >= 2) ResetSpectrum(ctx);
  StopVisPlugin(ctx);
  if (s.VisIndex == 1) {
    ShowVisualArea(ctx);
  } else {
    ctx.vis.NewPresetPending = true;
    StartVisPlugin(ctx);
    AnnounceTitle(ctx);
  }
  s.SettingsDirty = true;
}

void SwitchVideoFullScreen(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  WindowFrame& frame = ctx.shell.frame;
  const QRect old = frame.Bounds();
  if (!s.VideoFullScreen) {
    const QSize natural = VideoWindowSize(ctx);
    if (!natural.isEmpty() && natural != old.size()) {
      const QRect work = frame.WorkArea();
      const int left = SnapToWorkArea(s, old.left() - (natural.width() - old.width()) / 2, natural.width(), true, work);
      const int top = SnapToWorkArea(s, old.top() - (natural.height() - old.height()) / 2, natural.height(), false, work);
      PlaceWindow(ctx, QRect(QPoint(left, top), natural));
      ApplyWindowShape(ctx);
      return;
    }
  }
  if (!s.VideoFullScreen) {
    s.VideoFullScreen = true;
    s.FullScreenSaved = old;
    const QRect panel = VisualAreaBounds(s);
    // The panel covers the window's own screen, wherever that lies on the desktop.
    const QRect screen = frame.ScreenBounds();
    const int left = -panel.left() - 1, top = -panel.top() - 1;
    PlaceWindow(ctx, QRect(screen.left() + left, screen.top() + top, screen.width() - left + 7,
                           screen.height() - top + 7));
    frame.SetCursorHidden(true);
  } else {
    LeaveVideoFullScreen(ctx);
    return;
  }
  ApplyWindowShape(ctx);
}

void LeaveVideoFullScreen(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!s.VideoFullScreen) return;
  ctx.shell.frame.SetCursorHidden(false);
  s.VideoFullScreen = false;
  PlaceWindow(ctx, s.FullScreenSaved);
  ApplyWindowShape(ctx);
}

}  // namespace lirra
