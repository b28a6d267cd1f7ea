// The main window: a frameless window whose whole surface is the player. It builds the
// designed controls, lays them out by their anchors, implements the Shell for the
// player's logic and forwards its events to it. It decides nothing itself.
#pragma once

#include <QWidget>

#include <array>

#include "player.h"
#include "shell.h"
#include "window_layout.h"

class QTreeWidget;

namespace lirra {

class MainWindow : public QWidget, public Shell {
  Q_OBJECT
 public:
  MainWindow(const QString& appDir, const QLocale& locale, QWidget* parent = nullptr);

  Player& player() { return player_; }
  QWidget* control(ControlId id) const { return controls_[static_cast<int>(id)]; }
  QTreeWidget* trackList() const { return mList_; }

  // Shell
  void SetCaption(ControlId control, const QString& text) override;
  void SetHint(ControlId control, const QString& text) override;
  void SetFont(ControlId control, const FontSpec& font) override;
  void SetWindowTitle(const QString& title) override;
  void CloseMainWindow() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void ApplyLayout();

  Player player_;
  std::array<QWidget*, kControlCount> controls_{};
  QTreeWidget* mList_ = nullptr;
  bool shown_ = false;
};

}  // namespace lirra
