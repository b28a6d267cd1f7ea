// Which entry plays next: list order, or a shuffle that visits every other entry once.
#pragma once

#include <vector>

#include "player_context.h"

namespace lirra {

// What ChooseNext would do, worked out without doing it: the entry, and the shuffle as
// it stands after taking it (a new shuffle drawn when the last one was used up).
struct NextInOrder {
  int index = -1;
  std::vector<int> shuffleOrder;
  int shufflePos = 0;
};
NextInOrder PeekNext(PlayerContext& ctx);
// Makes `next` the order's choice: NextIndex and the shuffle, the list's selection cleared
// so that PlayCurrent plays it.
void CommitNext(PlayerContext& ctx, NextInOrder next);

// Sets NextIndex and clears the list's selection so that PlayCurrent plays it.
void ChooseNext(PlayerContext& ctx);
// sbRandom: toggles the order; the shuffle drawn already is used up first.
void RandomButtonClick(PlayerContext& ctx);

}  // namespace lirra
