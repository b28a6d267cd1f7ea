#include "track_list.h"

#include <algorithm>

namespace lirra {

void TrackList::setSelection(std::vector<int> rows) {
  std::erase_if(rows, [this](int r) { return r < 0 || r >= size(); });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  selection_ = std::move(rows);
}

}  // namespace lirra
