#include "play_order.h"

namespace lirra {

void ChooseNext(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const int n = ctx.list.size();
  const int c = s.PlayingIndex;
  if (s.RandomOrder && n > 2) {
    if (s.ShufflePos == 0) {
      // A new order of every entry but the playing one.
      std::vector<int> pool(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) pool[static_cast<size_t>(i)] = i;
      if (c >= 0 && c < n) {
        pool[static_cast<size_t>(c)] = pool.back();
        pool.pop_back();
      }
      s.ShuffleOrder.clear();
      while (!pool.empty()) {
        const int k = ctx.randomBelow(static_cast<int>(pool.size()));
        s.ShuffleOrder.push_back(pool[static_cast<size_t>(k)]);
        pool[static_cast<size_t>(k)] = pool.back();
        pool.pop_back();
      }
    }
    s.NextIndex = s.ShuffleOrder.at(static_cast<size_t>(s.ShufflePos));
    ++s.ShufflePos;
    if (s.ShufflePos >= static_cast<int>(s.ShuffleOrder.size())) s.ShufflePos = 0;
  } else {
    s.NextIndex = (c < n - 1) ? c + 1 : 0;
  }
  ctx.list.clearSelection();
  ctx.shell.views.TrackListChanged(ctx.list);
}

void RandomButtonClick(PlayerContext& ctx) {
  ctx.state.RandomOrder = !ctx.state.RandomOrder;
  const UiTexts& t = ctx.texts();
  ctx.shell.captions.SetHint(ControlId::sbRandom, ctx.state.RandomOrder ? t.randomOrderHint : t.normalOrderHint);
  ctx.state.SettingsDirty = true;
}

}  // namespace lirra
