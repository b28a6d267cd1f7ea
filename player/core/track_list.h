// The track list: the entries of the current playlist and which of them are selected.
// The window's list view mirrors it.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace lirra {

class LocaleCollator;

struct TrackEntry {
  QString Title;                        // shown
  QString Location;                     // file path, URL, or "path,start,end"
  std::optional<QString> LengthSeconds; // whole seconds as text, "0" when not known
  std::optional<QString> LengthText;    // "m:ss", only for a length above 0
  bool RelativeToList = false;          // the list file named it relative to its own folder
};

// Locations compare with their letter case ignored: this is the key they are compared by.
inline QString LocationKey(const QString& location) { return location.toUpper(); }

class TrackList {
 public:
  int size() const { return static_cast<int>(entries_.size()); }
  bool empty() const { return entries_.empty(); }
  TrackEntry& at(int i) { return entries_.at(static_cast<size_t>(i)); }
  const TrackEntry& at(int i) const { return entries_.at(static_cast<size_t>(i)); }
  void append(TrackEntry entry) {
    entries_.push_back(std::move(entry));
    ++revision_;
  }
  void reserve(int n) { entries_.reserve(static_cast<size_t>(n)); }
  void clear() {
    entries_.clear();
    selection_.clear();
    ++revision_;
  }
  // Changes whenever entries come, go or move (not when a title is renamed).
  uint64_t revision() const { return revision_; }
  // Removes the entries at `rows` (any order); the selection is cleared.
  void removeRows(std::vector<int> rows);
  // Sorts by title in the collator's order (ties keep their order). Selected entries stay
  // selected. Returns the new index of every old index.
  std::vector<int> sortByTitle(const LocaleCollator& collator);
  // The first entry whose location equals `location` case-insensitively, or -1.
  int findByLocation(const QString& location) const;
  // Every entry's index by LocationKey of its location (the first one of equal keys), for
  // many look-ups in one pass.
  std::unordered_map<QString, int> locationIndex() const;

  // Selected rows in ascending order.
  const std::vector<int>& selection() const { return selection_; }
  int firstSelected() const { return selection_.empty() ? -1 : selection_.front(); }
  bool isSelected(int i) const;
  void select(int i) { selection_ = {i}; }
  void setSelection(std::vector<int> rows);
  void selectAll();
  void clearSelection() { selection_.clear(); }

 private:
  std::vector<TrackEntry> entries_;
  std::vector<int> selection_;
  uint64_t revision_ = 0;
};

// A row of the playlist library: a list file in the list folder (DataDir), or a new list whose file
// is not written yet.
struct PlaylistEntry {
  QString Name;                // file name without extension
  std::optional<QString> File; // full path
};

// The playlist library's rows, kept sorted by name, and the selected row (-1 = none).
class PlaylistLibrary {
 public:
  int size() const { return static_cast<int>(rows_.size()); }
  bool empty() const { return rows_.empty(); }
  PlaylistEntry& at(int i) { return rows_.at(static_cast<size_t>(i)); }
  const PlaylistEntry& at(int i) const { return rows_.at(static_cast<size_t>(i)); }
  // Inserts in name order and returns the row's index.
  int insert(PlaylistEntry row, const LocaleCollator& collator);
  void removeAt(int i) { rows_.erase(rows_.begin() + i); }
  void clear() {
    rows_.clear();
    selected = -1;
  }
  // Row index by exact name, or -1.
  int findName(const QString& name) const;
  // Row index of the row whose file is `file` (case-insensitively), or -1.
  int findFile(const QString& file) const;

  int selected = -1;

 private:
  std::vector<PlaylistEntry> rows_;
};

}  // namespace lirra
