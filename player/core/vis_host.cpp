#include "vis_host.h"

#include "central_states.h"
#include "player_context.h"

namespace lirra {

void AttachVisualisation(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  ctx.vis.NewPresetPending = s.VisIndex > 1;
  if (s.VisIndex == 1 || ctx.shell.frame.IsMinimised()) {
    ShowVisualArea(ctx);
  } else if (ctx.vis.NewPresetPending) {
    ctx.vis.NewPresetPending = false;
    StartVisPlugin(ctx);
  }
}

void StartVisPlugin(PlayerContext& ctx) {
  // No plug-in can start: the spectrum takes over in a random style, without a message.
  PickRandomStyle(ctx);
  SetupSpectrum(ctx);
  ctx.state.VisIndex = 1;
  ShowVisualArea(ctx);
}

void StopVisPlugin(PlayerContext&) {}
bool VisPluginStarting(const PlayerContext&) { return false; }

void AnnounceTitle(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  if (s.PlayingIndex < 0 || s.PlayingIndex >= ctx.list.size()) return;
  QString text = ctx.list.at(s.PlayingIndex).Title;
  if (s.CurrentIsNetwork)
    text.prepend(QStringLiteral("i))"));
  else if (s.LengthUnknown)
    text.prepend(QStringLiteral("?time "));
  ctx.shell.captions.SetWindowTitle(text);
}

void QuitVisPlugin(PlayerContext&) {}

}  // namespace lirra
