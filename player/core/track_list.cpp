#include "track_list.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

#include "compare.h"

namespace lirra {

void TrackList::setSelection(std::vector<int> rows) {
  std::erase_if(rows, [this](int r) { return r < 0 || r >= size(); });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  selection_ = std::move(rows);
}

bool TrackList::isSelected(int i) const {
  return std::binary_search(selection_.begin(), selection_.end(), i);
}

void TrackList::selectAll() {
  selection_.resize(entries_.size());
  std::iota(selection_.begin(), selection_.end(), 0);
}

void TrackList::removeRows(std::vector<int> rows) {
  ++revision_;
  std::vector<bool> gone(entries_.size(), false);
  for (int r : rows)
    if (r >= 0 && r < size()) gone[static_cast<size_t>(r)] = true;
  size_t out = 0;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (!gone[i]) entries_[out++] = std::move(entries_[i]);
  entries_.resize(out);
  selection_.clear();
}

std::vector<int> TrackList::sortByTitle(const LocaleCollator& collator) {
  ++revision_;
  // Sort keys once per entry: comparing keys is far cheaper than collating strings.
  std::vector<QCollatorSortKey> keys;
  keys.reserve(entries_.size());
  for (const TrackEntry& e : entries_) keys.push_back(collator.sortKey(e.Title));
  std::vector<int> order(entries_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
  });
  std::vector<TrackEntry> sorted;
  sorted.reserve(entries_.size());
  std::vector<int> newIndex(entries_.size());
  for (size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(entries_[static_cast<size_t>(order[i])]));
    newIndex[static_cast<size_t>(order[i])] = static_cast<int>(i);
  }
  entries_ = std::move(sorted);
  for (int& row : selection_) row = newIndex[static_cast<size_t>(row)];
  std::sort(selection_.begin(), selection_.end());
  return newIndex;
}

int TrackList::findByLocation(const QString& location) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (SameText(entries_[i].Location, location)) return static_cast<int>(i);
  return -1;
}

std::unordered_map<QString, int> TrackList::locationIndex() const {
  std::unordered_map<QString, int> index;
  index.reserve(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) index.emplace(LocationKey(entries_[i].Location), static_cast<int>(i));
  return index;
}

int PlaylistLibrary::insert(PlaylistEntry row, const LocaleCollator& collator) {
  auto at = std::upper_bound(rows_.begin(), rows_.end(), row.Name,
                             [&](const QString& name, const PlaylistEntry& r) {
                               return collator.compare(name, r.Name) < 0;
                             });
  const int index = static_cast<int>(at - rows_.begin());
  rows_.insert(at, std::move(row));
  if (selected >= index) ++selected;
  return index;
}

int PlaylistLibrary::findFile(const QString& file) const {
  for (int i = 0; i < size(); ++i)
    if (rows_[static_cast<size_t>(i)].File && SameText(*rows_[static_cast<size_t>(i)].File, file)) return i;
  return -1;
}

int PlaylistLibrary::findName(const QString& name) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].Name == name) return static_cast<int>(i);
  return -1;
}

}  // namespace lirra
