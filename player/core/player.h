// The player's logic behind the main window. The window forwards its events here; the
// player answers through the Shell. It owns the player's state and libraries.
#pragma once

#include "central_states.h"
#include "list_commands.h"
#include "play_order.h"
#include "player_context.h"
#include "playlist_library.h"
#include "startup.h"
#include "transport.h"
#include "skin.h"
#include "window_moves.h"
#include "window_options.h"

namespace lirra {

class Player {
 public:
  explicit Player(const Shell& shell) : ctx_(shell) {}
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
  void OpenHeldNetworkEntry() { lirra::OpenHeldNetworkEntry(ctx_); }
  bool FormCloseQuery() { return lirra::FormCloseQuery(ctx_); }
  void FormClose() { lirra::FormClose(ctx_); }
  // The desktop session ends (a signal, the session manager, the display gone): from here
  // the close asks nothing; WriteWhatChanged is all of it that needs no window.
  void SessionEnding() { ctx_.sessionEnding = true; }
  void WriteWhatChanged() { lirra::WriteWhatChanged(ctx_); }

  // The window was resized or moved (by the user or the window system).
  bool FormResize(int width, int height) { return lirra::FormResize(ctx_, {width, height}); }
  void FormMove(int left, int top) { KeepWindowPosition(ctx_, left, top); }
  // The frame's painting and the end steps of the window's own move and resize loops.
  std::vector<SkinPiece> FormPaint(QSize client) const { return lirra::FormPaint(ctx_, client); }
  void WindowDragStarted() { BeginWindowDrag(ctx_); }
  void lbMoveDragEnded() { FinishMove(ctx_); }
  void lbResizeDragEnded(ResizeGrip grip = ResizeGrip::BottomRight) { FinishGripResize(ctx_, grip); }
  // A resize step while a grip is dragged: laid out and shaped as it goes.
  void ResizeDragStep(int width, int height) {
    if (lirra::FormResize(ctx_, {width, height})) ApplyWindowShape(ctx_);
  }
  void lbMoveRightUp() { ChangeSkin(ctx_); }
  void lbMoveDblClick() { lirra::lbMoveDblClick(ctx_); }
  void VisPanelMouseMove(ControlId sender, bool applicationActive) {
    lirra::VisPanelMouseMove(ctx_, sender, applicationActive);
  }
  // The pointer left the title for anywhere (another label, the frame, outside the window).
  void lbTitleMouseLeave() { lirra::lbTitleMouseLeave(ctx_); }
  void lbNextMouseEnter() { lirra::lbNextMouseEnter(ctx_); }
  void lbNextMouseLeave() { lirra::lbNextMouseLeave(ctx_); }
  void VisPanelMouseUp(ControlId sender, PointerButton button, QPoint pos) {
    lirra::VisPanelMouseUp(ctx_, sender, button, pos);
  }
  void lbPowerMouseUp() { lirra::lbPowerMouseUp(ctx_); }
  void ApplicationMinimised() { lirra::ApplicationMinimised(ctx_); }
  void ApplicationRestored() { lirra::ApplicationRestored(ctx_); }
  void TrayHostChanged(bool available) { lirra::TrayHostChanged(ctx_, available); }
  void ApplicationActivated(bool mainWindowInFront) { lirra::ApplicationActivated(ctx_, mainWindowInFront); }
  void DesktopColoursChanged(const DesktopColours& colours) { ApplyDesktopColours(ctx_, colours); }

  // Timers and controls.
  void Timer1Timer() { Timer1Tick(ctx_); }
  void Timer2Timer() { ScheduleTimer(ctx_); }
  // The tray icon's mouse messages.
  void TrayMouseMove() { lirra::TrayMouseMove(ctx_); }
  void TrayLeftDown() { lirra::TrayLeftDown(ctx_); }
  void TrayLeftUp() { lirra::TrayLeftUp(ctx_); }
  void TrayRightUp() { lirra::TrayRightUp(ctx_); }
  // The desktop's media controls.
  MediaStatus MediaControlsStatus() { return ReadMediaStatus(ctx_); }
  qint64 MediaControlsPosition() { return MediaPositionUs(ctx_); }
  void MediaControlsCommand(MediaCommand command) { RunMediaCommand(ctx_, command); }
  bool MediaControlsSeek(const QString& trackId, qint64 us) { return SeekMediaTo(ctx_, trackId, us); }
  void MediaControlsShuffle(bool on) { SetMediaShuffle(ctx_, on); }
  void TimerFFTTimer() { lirra::TimerFFTTimer(ctx_); }
  void lbNextClick() { PlayOrNext(ctx_, PlaySource::NextLabel); }
  void lbNextRightUp() { StopCommand(ctx_); }
  void lbPowerClick() { ctx_.shell.frame.CloseMainWindow(); }
  void lbProgressMouseUp(int x, int y, int width, int height, bool left) {
    SeekCommand(ctx_, x, y, width, height, left);
  }
  void pmPlayClick() { PlayOrNext(ctx_, PlaySource::EnterKey); }
  void pmNextClick() { PlayOrNext(ctx_, PlaySource::RightArrow); }
  void pmPauseClick() { PauseCommand(ctx_); }
  void MListDblClick() {
    if (ctx_.state.OpeningTrack || ctx_.list.selection().empty()) return;
    StartOrStop(ctx_);
  }
  void SelectionChanged(std::vector<int> rows) { ctx_.list.setSelection(std::move(rows)); }
  void sbRandomClick() { RandomButtonClick(ctx_); }
  void pmTranspClick() { lirra::pmTranspClick(ctx_); }
  void pmOnTopClick() { lirra::pmOnTopClick(ctx_); }

  // The track list and its commands.
  void sbAddClick() { lirra::sbAddClick(ctx_); }
  void sbAddFldClick() { lirra::sbAddFldClick(ctx_); }
  void pmDelClick() { lirra::pmDelClick(ctx_); }
  void pmSelAllClick() { lirra::pmSelAllClick(ctx_); }
  void MListMouseUp() { lirra::MListMouseUp(ctx_); }
  void MListClick() { lirra::MListClick(ctx_); }
  void MListEditing() { lirra::MListEditing(ctx_); }
  bool MListEdited(int row, const QString& text) { return lirra::MListEdited(ctx_, row, text); }
  void RestoreShortcuts() { lirra::RestoreShortcuts(ctx_); }
  void AddFromFolderDialog(const QString& folder, const QStringList& files) {
    lirra::AddFromFolderDialog(ctx_, folder, files);
  }
  void AddFromAddressMemo(const QStringList& lines) { lirra::AddFromAddressMemo(ctx_, lines); }

  // The playlist library.
  void sbNewlistClick() { lirra::sbNewlistClick(ctx_); }
  void LibrarySelectionChanged(int row) { lirra::LibrarySelectionChanged(ctx_, row); }
  bool ListView1Edited(int row, const QString& text) { return lirra::ListView1Edited(ctx_, row, text); }
  void ListView1Click() { lirra::ListView1Click(ctx_); }

 private:
  PlayerContext ctx_;
};

}  // namespace lirra
