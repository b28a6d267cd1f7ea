// The main window: a frameless window whose whole surface is the player. It builds the
// designed controls, lays them out by their anchors, implements the Shell for the
// player's logic and forwards its events to it. It decides nothing itself.
#pragma once

#include <QWidget>

#include <array>
#include <vector>

#include "player.h"
#include "shell.h"
#include "window_layout.h"

class QShortcut;
class QTimer;
class QTreeView;

namespace lirra {

class LibraryModel;
class TrackListModel;

class MainWindow : public QWidget, public Shell {
  Q_OBJECT
 public:
  explicit MainWindow(const StartupEnvironment& env, QWidget* parent = nullptr);

  // False when the player decided at creation that no window is to be shown.
  bool created() const { return created_; }
  Player& player() { return player_; }
  QWidget* control(ControlId id) const { return controls_[static_cast<int>(id)]; }
  QTreeView* trackList() const { return mList_; }
  QTreeView* libraryList() const { return listView1_; }
  QWidget* libraryPanel() const { return pnList_; }

  // Shell
  void SetCaption(ControlId control, const QString& text) override;
  void SetHint(ControlId control, const QString& text) override;
  void SetFont(ControlId control, const FontSpec& font) override;
  void SetWindowTitle(const QString& title) override;
  void CloseMainWindow() override;
  void ShowMessage(const QString& text, const QString& caption) override;
  void BringToFront() override;
  void TrackListChanged(const TrackList& list) override;
  void ScrollTrackIntoView(int row) override;
  void LibraryChanged(const PlaylistLibrary& library) override;
  void SetTrackListVisible(bool visible) override;
  void SetLibraryPanelVisible(bool visible) override;
  ListFocus FocusedList() override;
  void FocusList(ListFocus view) override;
  void SetEditShortcuts(bool on) override;
  void SetAlphaBlend(bool on) override;
  void SetTopmost(bool on) override;
  std::optional<QStringList> ChooseFilesToOpen(const QString& filter, const QString& initialDir) override;
  void ShowAddFolderDialog() override;
  void SetProgress(int range, int position) override;
  void SetTimer1(bool on) override;
  uintptr_t WindowId() override;
  uintptr_t VideoWindowId() override;
  QRect WorkArea() override;
  void RunWhileResponsive(const std::function<void()>& work) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void ConnectControls();
  void ApplyLayout();
  void BuildListViews();
  void ApplyListAreaLayout();

  Player player_;
  std::array<QWidget*, kControlCount> controls_{};
  QTreeView* mList_ = nullptr;
  QWidget* pnList_ = nullptr;
  QTreeView* listView1_ = nullptr;
  TrackListModel* trackModel_ = nullptr;
  LibraryModel* libraryModel_ = nullptr;
  std::vector<QShortcut*> editShortcuts_;  // removed while a name is edited in place
  QTimer* timer1_ = nullptr;
  bool created_ = false;
  bool shown_ = false;
  bool closing_ = false;
  bool refreshingList_ = false;
  bool refreshingLibrary_ = false;
};

}  // namespace lirra
