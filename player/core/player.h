// The player's logic behind the main window. The window forwards its events here; the
// player answers through the Shell. Start-up, playback and the lists grow from these
// entry points.
#pragma once

#include <QLocale>
#include <QString>

#include "player_state.h"
#include "shell.h"

namespace lirra {

class Player {
 public:
  explicit Player(Shell& shell) : shell_(shell) {}
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  PlayerState& state() { return state_; }
  const PlayerState& state() const { return state_; }

  // Window creation: `appDir` is the executable's folder, `locale` the system locale.
  void FormCreate(const QString& appDir, const QLocale& locale);
  // First show of the window.
  void FormShow();
  // Whether the window may close now.
  bool FormCloseQuery();

  void lbPowerClick();

  const UiTexts& texts() const { return TextsFor(state_.UseChinese); }

 private:
  void ApplyLanguage();

  Shell& shell_;
  PlayerState state_;
};

}  // namespace lirra
