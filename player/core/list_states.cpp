#include "list_states.h"

#include "central_states.h"
#include "player_context.h"
#include "track_opening.h"

namespace lirra {

void ShowEmptyListState(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  s.MListVisible = false;
  ctx.shell.views.SetTrackListVisible(false);
  ctx.shell.captions.SetCaption(ControlId::lbTitle, ctx.tr("底边开启音乐", "Open Music Files From The Bottom"));
  SetTrayTip(ctx, QStringLiteral("Lirra"));
  if (s.LibraryPanelShown) {
    s.LibraryPanelShown = false;
    ctx.shell.views.SetLibraryPanelVisible(false);
    ctx.shell.captions.SetHint(ControlId::sbNewlist, ctx.texts().manageListHint);
  }
}

void ShowIdleTitle(PlayerContext& ctx) {
  ctx.state.MListVisible = true;
  ctx.shell.views.SetTrackListVisible(true);
  ctx.shell.views.FocusList(ListFocus::TrackList);
  ctx.shell.captions.SetCaption(ControlId::lbTitle, ctx.texts().titleIdle);
  SetTrayTip(ctx, IdleTrayTip(ctx));
}

void ShowStoppedState(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  TrackList& list = ctx.list;
  if (!list.empty()) {
    const int selected = list.firstSelected();
    if (selected < 0 || (selected != s.PlayingIndex && s.OpeningTrack)) {
      if (s.PlayingIndex >= 0 && s.PlayingIndex < list.size()) list.select(s.PlayingIndex);
      else list.clearSelection();
      ctx.shell.views.TrackListChanged(list);
    }
    if (list.firstSelected() >= 0) {
      ctx.shell.views.ScrollTrackIntoView(list.firstSelected());
      s.NextIndex = list.firstSelected();
    }
  }
  if (!s.OpeningTrack) s.PlayNowPending = false;
  s.GaugePosition = 0;
  ctx.shell.captions.SetProgress(s.GaugeRange, 0);
  ctx.shell.captions.SetHint(ControlId::lbProgress, QString());
  if (!s.ListShown) ShowTrackList(ctx);
  ctx.shell.captions.SetHint(ControlId::lbMove, ctx.skin.SkinLoaded ? ctx.texts().moveHintSkin : QString());
  ctx.shell.captions.SetHint(ControlId::lbNext, ctx.texts().nextHintIdle);
  ctx.shell.captions.SetCaption(ControlId::lbTitle, ctx.texts().titleIdle);
  ctx.shell.captions.FitTitleWidth();
  // A stop by the schedule or from the tray hides the window to the tray; after the
  // schedule's the title says the smart mode paused. The reason is used up.
  const StopReason reason = std::exchange(ctx.schedule.stopReason, StopReason::Ordinary);
  if (reason != StopReason::Ordinary) {
    StopPluginUnlessFullScreen(ctx);
    ctx.shell.frame.Minimise();
  }
  ctx.shell.captions.SetWindowTitle(reason == StopReason::Schedule ? ctx.tr("暂停@智能模式", "Pause@Smart Mode")
                                                                   : QStringLiteral("Lirra"));
  SetTrayTip(ctx, IdleTrayTip(ctx));
}

void StopAndShowStopped(PlayerContext& ctx) {
  ctx.setTimer1(false);
  StopPlayback(ctx);
  ShowStoppedState(ctx);
}

}  // namespace lirra
