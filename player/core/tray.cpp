#include "tray.h"

#include "list_states.h"
#include "player_context.h"
#include "track_opening.h"
#include "transport.h"

namespace lirra {

namespace {
constexpr qsizetype kTipCharacters = 63;
}  // namespace

void AddTrayIcon(PlayerContext& ctx) { ctx.shell.frame.ShowTrayIcon(true); }
void RemoveTrayIcon(PlayerContext& ctx) { ctx.shell.frame.ShowTrayIcon(false); }

void SetTrayTip(PlayerContext& ctx, const QString& tip) { ctx.shell.frame.SetTrayTip(tip.left(kTipCharacters)); }

QString IdleTrayTip(const PlayerContext& ctx) { return ctx.tr("Lirra|右键播放", "Lirra|RightClk to Play"); }

QString PlayingTrayTip(const PlayerContext& ctx, const QString& windowTitle) {
  return windowTitle + ctx.tr("|右键停止", "|RightClk to Stop");
}

bool ForegroundIsFree(PlayerContext& ctx) {
  if (ctx.shell.frame.IsMinimised()) return false;
  const ForegroundWindow front = ctx.shell.frame.Foreground();
  if (front.isMainWindow) return true;
  const QString title = front.title.left(256).toUpper();
  return title.isEmpty() || title == u"PROGRAM MANAGER" || title == u"AVS" || title == u"MILKDROP" ||
         title == u"ACTIVEMOVIE WINDOW";
}

void TrayMouseMove(PlayerContext& ctx) {
  // Sampled before a click: the click itself may bring the panel to the front.
  if (!ctx.tray.buttonDown) ctx.tray.foregroundWasFree = ForegroundIsFree(ctx);
}

void TrayLeftDown(PlayerContext& ctx) { ctx.tray.buttonDown = true; }

void TrayLeftUp(PlayerContext& ctx) {
  ctx.tray.buttonDown = false;
  if (ctx.shell.frame.IsMinimised()) {
    ctx.shell.frame.BringToFront();  // restored; the restore handling follows
  } else if (ctx.tray.foregroundWasFree) {
    StopPluginUnlessFullScreen(ctx);
    ctx.shell.frame.Minimise();
  } else {
    ctx.shell.frame.BringToFront();
  }
}

void TrayRightUp(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.Timer1On) {
    ctx.schedule.stopReason = StopReason::Tray;
    ctx.setTimer1(false);
    StopPlayback(ctx);
    ShowStoppedState(ctx);
  } else if (s.MListVisible) {
    PlayOrNext(ctx, PlaySource::NextLabel);
  }
}

}  // namespace lirra
