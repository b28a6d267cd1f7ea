#include "sound_server_watch.h"

#include <utility>

#include "player_context.h"

namespace lirra {

namespace {
constexpr int kTicksBeforeNotice = 100;  // 10 s of the 100-ms clock
}

void WatchSoundServer(PlayerContext& ctx) {
  SoundServerWatch& w = ctx.soundServer;
  const PlayerState& s = ctx.state;
  const bool away = !s.VideoActive && s.CurrentChannel != 0 &&
                    ctx.libs.engine->ChannelIsActive(s.CurrentChannel) == BASS_ACTIVE_PAUSED_DEVICE;
  if (!away) {
    w.ticksAway = 0;
    if (std::exchange(w.noticeShown, false)) ctx.shell.dialogs.CloseNotice();
    return;
  }
  if (++w.ticksAway < kTicksBeforeNotice || w.noticeShown) return;
  w.noticeShown = true;
  ctx.shell.dialogs.ShowNotice(ctx.tr("声音服务已断开,恢复后Lirra将自动继续播放。",
                                      "The sound server went away; Lirra will play again as soon as it is back."),
                               ctx.texts().messageCaption);
}

}  // namespace lirra
