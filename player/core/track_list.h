// The track list: the entries of the current playlist and which of them are selected.
// The window's list view mirrors it.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace lirra {

struct TrackEntry {
  QString Title;                        // shown
  QString Location;                     // file path, URL, or "path,start,end"
  std::optional<QString> LengthSeconds; // whole seconds as text, "0" when not known
  std::optional<QString> LengthText;    // "m:ss", only for a length above 0
};

class TrackList {
 public:
  int size() const { return static_cast<int>(entries_.size()); }
  bool empty() const { return entries_.empty(); }
  TrackEntry& at(int i) { return entries_.at(static_cast<size_t>(i)); }
  const TrackEntry& at(int i) const { return entries_.at(static_cast<size_t>(i)); }
  void append(TrackEntry entry) { entries_.push_back(std::move(entry)); }
  void clear() {
    entries_.clear();
    selection_.clear();
  }

  // Selected rows in ascending order.
  const std::vector<int>& selection() const { return selection_; }
  int firstSelected() const { return selection_.empty() ? -1 : selection_.front(); }
  void select(int i) { selection_ = {i}; }
  void setSelection(std::vector<int> rows);
  void clearSelection() { selection_.clear(); }

 private:
  std::vector<TrackEntry> entries_;
  std::vector<int> selection_;
};

}  // namespace lirra
