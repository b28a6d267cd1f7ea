// The list area of the main window: the track list view MList and, on the panel pnList at
// its left, the playlist library view ListView1, inside the central list panel. It shows
// what the player's lists hold, lays itself out by the list-area rule and forwards the
// views' events to the player; it decides nothing.
#pragma once

#include <QObject>

#include <vector>

#include "shell.h"

class QShortcut;
class QTreeView;
class QWidget;

namespace lirra {

class LibraryModel;
class Player;
class TrackListModel;

class ListArea : public QObject, public ListViews {
  Q_OBJECT
 public:
  // Builds the views inside `panel` (MListPanel) of `window`, once the player exists.
  void build(Player& player, QWidget* window, QWidget* panel);

  QTreeView* trackList() const { return mList_; }
  QTreeView* libraryList() const { return listView1_; }
  QWidget* libraryPanel() const { return pnList_; }
  // The list-area rule for the panel's current size.
  void layOut();
  // The lists, their frame panel and the library panel in the window's colours.
  void setColours(const WindowColours& colours);

  // ListViews
  void TrackListChanged(const TrackList& list) override;
  void ScrollTrackIntoView(int row) override;
  void ScrollLibraryIntoView(int row) override;
  void LibraryChanged(const PlaylistLibrary& library) override;
  void SetTrackListVisible(bool visible) override;
  void SetLibraryPanelVisible(bool visible) override;
  ListFocus FocusedList() override;
  void FocusList(ListFocus view) override;
  void SetEditShortcuts(bool on) override;

  // The shortcuts an in-place edit takes away (the window creates them).
  void setEditShortcuts(std::vector<QShortcut*> shortcuts) { editShortcuts_ = std::move(shortcuts); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void connectViews();

  Player* player_ = nullptr;
  QWidget* window_ = nullptr;
  QWidget* panel_ = nullptr;
  QTreeView* mList_ = nullptr;
  QWidget* pnList_ = nullptr;
  QTreeView* listView1_ = nullptr;
  TrackListModel* trackModel_ = nullptr;
  LibraryModel* libraryModel_ = nullptr;
  std::vector<QShortcut*> editShortcuts_;
  bool refreshingList_ = false;
  bool refreshingLibrary_ = false;
};

}  // namespace lirra
