#include "play_order.h"

namespace lirra {

NextInOrder PeekNext(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  const int n = ctx.list.size();
  const int c = s.PlayingIndex;
  NextInOrder next{-1, s.ShuffleOrder, s.ShufflePos};
  if (s.RandomOrder && n > 2) {
    if (next.shufflePos == 0) {
      // A new order of every entry but the playing one.
      std::vector<int> pool(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) pool[static_cast<size_t>(i)] = i;
      if (c >= 0 && c < n) {
        pool[static_cast<size_t>(c)] = pool.back();
        pool.pop_back();
      }
      next.shuffleOrder.clear();
      while (!pool.empty()) {
        const int k = ctx.randomBelow(static_cast<int>(pool.size()));
        next.shuffleOrder.push_back(pool[static_cast<size_t>(k)]);
        pool[static_cast<size_t>(k)] = pool.back();
        pool.pop_back();
      }
    }
    next.index = next.shuffleOrder.at(static_cast<size_t>(next.shufflePos));
    ++next.shufflePos;
    if (next.shufflePos >= static_cast<int>(next.shuffleOrder.size())) next.shufflePos = 0;
  } else {
    next.index = (c < n - 1) ? c + 1 : 0;
  }
  return next;
}

void CommitNext(PlayerContext& ctx, NextInOrder next) {
  PlayerState& s = ctx.state;
  s.NextIndex = next.index;
  s.ShuffleOrder = std::move(next.shuffleOrder);
  s.ShufflePos = next.shufflePos;
  ctx.list.clearSelection();
  ctx.shell.views.TrackListChanged(ctx.list);
}

void ChooseNext(PlayerContext& ctx) { CommitNext(ctx, PeekNext(ctx)); }

void RandomButtonClick(PlayerContext& ctx) {
  ctx.state.RandomOrder = !ctx.state.RandomOrder;
  const UiTexts& t = ctx.texts();
  ctx.shell.captions.SetHint(ControlId::sbRandom, ctx.state.RandomOrder ? t.randomOrderHint : t.normalOrderHint);
  ctx.state.SettingsDirty = true;
}

}  // namespace lirra
