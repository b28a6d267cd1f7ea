#include "window_options.h"

#include "capture.h"
#include "list_commands.h"
#include "track_kind.h"
#include "transport.h"

namespace lirra {

void pmTranspClick(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const bool pluginShown = !s.ListShown && s.VisIndex >= 2 && !s.AvsSelected;
  if (!s.IsWinNT || s.VideoShown || pluginShown) return;
  s.SeeThrough = !s.SeeThrough;
  ResumeIfPaused(ctx);
  if (s.AvsSelected || s.ListShown) ctx.shell.frame.SetAlphaBlend(s.SeeThrough);
  if (!s.ListShown && s.VisIndex == 1) {
    // Only the spectrum's bars, rings and frame stay; its black background is see-through.
    if (ctx.spectrum.style == kRingStyle) ResetSpectrum(ctx);
    ctx.shell.frame.SetColourKey(s.SeeThrough);
  }
  s.SettingsDirty = true;
}

void pmOnTopClick(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.ListShown) return;
  s.StayOnTop = !s.StayOnTop;
  ctx.shell.frame.SetTopmost(s.StayOnTop);
  s.SettingsDirty = true;
}

void lbPowerMouseUp(PlayerContext& ctx) {
  StopPluginUnlessFullScreen(ctx);
  ctx.shell.frame.Minimise();
}

void ApplicationMinimised(PlayerContext& ctx) {
  // The tray icon is the way back, where there is a tray; elsewhere the taskbar button is.
  if (ctx.shell.frame.TrayHostAvailable()) ctx.shell.frame.SetTaskbarButtonHidden(true);
  if (ctx.state.TimerFFTOn) ClearPeaks(ctx);
  StopPluginUnlessFullScreen(ctx);
}

void ApplicationRestored(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  ctx.shell.frame.SetTaskbarButtonHidden(false);
  ResumeIfPaused(ctx);
  if (s.StayOnTop && !s.ListShown) ctx.shell.frame.SetTopmost(true);
  // The plug-in stopped at the minimise starts again (recording what is heard again first).
  if (!s.ListShown && s.VisIndex >= 2 && !VisPluginRunning(ctx.vis) && !s.VideoShown) {
    if (s.TrackKind == kKindMidiCapture) ResumeCapture(ctx);
    StartVisPlugin(ctx);
    AnnounceTitle(ctx);
  }
}

void TrayHostChanged(PlayerContext& ctx, bool available) {
  if (ctx.shell.frame.IsMinimised()) ctx.shell.frame.SetTaskbarButtonHidden(available);
}

void ApplicationActivated(PlayerContext& ctx, bool mainWindowInFront) {
  PlayerState& s = ctx.state;
  if (s.InPlaceEditing) RestoreShortcuts(ctx);
  if (mainWindowInFront && s.StayOnTop && !s.ListShown) ctx.shell.frame.SetTopmost(true);
}

void ApplyListAlpha(PlayerContext& ctx) {
  if (ctx.state.ListShown) ctx.shell.frame.SetAlphaBlend(ctx.state.SeeThrough);
}

void KeepClientSize(PlayerContext& ctx, int width, int height) {
  ctx.state.ClientWidth = width;
  ctx.state.ClientHeight = height;
}

void KeepWindowPosition(PlayerContext& ctx, int left, int top) {
  ctx.state.Left = left;
  ctx.state.Top = top;
}

}  // namespace lirra
