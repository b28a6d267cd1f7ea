// Which entry plays next: list order, or a shuffle that visits every other entry once.
#pragma once

#include "player_context.h"

namespace lirra {

// Sets NextIndex and clears the list's selection so that PlayCurrent plays it.
void ChooseNext(PlayerContext& ctx);
// sbRandom: toggles the order; the shuffle drawn already is used up first.
void RandomButtonClick(PlayerContext& ctx);

}  // namespace lirra
