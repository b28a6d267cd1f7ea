#include "window_options.h"

#include "transport.h"

namespace lirra {

void pmTranspClick(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const bool pluginShown = !s.ListShown && s.VisIndex >= 2 && !s.AvsSelected;
  if (!s.IsWinNT || s.VideoShown || pluginShown) return;
  s.SeeThrough = !s.SeeThrough;
  if (s.PausedTag) PauseCommand(ctx);
  if (s.AvsSelected || s.ListShown) ctx.shell.frame.SetAlphaBlend(s.SeeThrough);
  // The spectrum's colour key joins here with the spectrum.
  s.SettingsDirty = true;
}

void pmOnTopClick(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.ListShown) return;
  s.StayOnTop = !s.StayOnTop;
  ctx.shell.frame.SetTopmost(s.StayOnTop);
  s.SettingsDirty = true;
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
