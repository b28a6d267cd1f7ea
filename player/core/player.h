// The player's logic behind the main window. The window forwards its events here; the
// player answers through the Shell. It owns the player's state and libraries.
#pragma once

#include "player_context.h"
#include "startup.h"
#include "transport.h"

namespace lirra {

class Player {
 public:
  explicit Player(Shell& shell) : ctx_(shell) {}
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  PlayerState& state() { return ctx_.state; }
  const PlayerState& state() const { return ctx_.state; }
  PlayerContext& context() { return ctx_; }
  const UiTexts& texts() const { return ctx_.texts(); }

  // Window lifecycle.
  bool FormCreate(const StartupEnvironment& env) { return lirra::FormCreate(ctx_, env); }
  void FormShow() { lirra::FormShow(ctx_); }
  void FormActivate() { lirra::FormActivate(ctx_); }
  bool FormCloseQuery() { return lirra::FormCloseQuery(ctx_); }
  void FormClose() { lirra::FormClose(ctx_); }

  // Timers and controls.
  void Timer1Timer() { Timer1Tick(ctx_); }
  void lbNextClick() { PlayOrNext(ctx_, PlaySource::NextLabel); }
  void lbNextRightUp() { StopCommand(ctx_); }
  void lbPowerClick() { ctx_.shell.CloseMainWindow(); }
  void lbProgressMouseUp(int x, int y, int width, int height, bool left) {
    SeekCommand(ctx_, x, y, width, height, left);
  }
  void pmPlayClick() { PlayOrNext(ctx_, PlaySource::EnterKey); }
  void pmNextClick() { PlayOrNext(ctx_, PlaySource::RightArrow); }
  void pmPauseClick() { PauseCommand(ctx_); }
  void MListDblClick() { StartOrStop(ctx_); }
  void SelectionChanged(std::vector<int> rows) { ctx_.list.setSelection(std::move(rows)); }

 private:
  PlayerContext ctx_;
};

}  // namespace lirra
