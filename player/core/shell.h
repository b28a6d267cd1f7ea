// What the player's logic asks of the window it runs in. The main window implements it;
// logic tests use a recording shell. All calls come on the UI thread.
#pragma once

#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>

#include "track_list.h"
#include "ui_texts.h"
#include "window_layout.h"

namespace lirra {

class Shell {
 public:
  virtual ~Shell() = default;

  virtual void SetCaption(ControlId control, const QString& text) = 0;
  virtual void SetHint(ControlId control, const QString& text) = 0;
  virtual void SetFont(ControlId control, const FontSpec& font) = 0;
  virtual void SetWindowTitle(const QString& title) = 0;
  // Asks the window to close; the close runs the player's close query and close.
  virtual void CloseMainWindow() = 0;

  // A modal message box with one OK button.
  virtual void ShowMessage(const QString& text, const QString& caption) = 0;
  // Restores the window when minimised and brings it to the front.
  virtual void BringToFront() = 0;

  // The track list view shows the list's entries and selection again.
  virtual void TrackListChanged(const TrackList& list) = 0;
  // The progress gauge: range and position in whole seconds.
  virtual void SetProgress(int range, int position) = 0;
  // The playback clock: Timer1, every 100 ms, calls Player::Timer1Timer while on.
  virtual void SetTimer1(bool on) = 0;

  // Native window ids handed to the engine and the video library.
  virtual uintptr_t WindowId() = 0;
  virtual uintptr_t VideoWindowId() = 0;
  // The work area of the window's screen.
  virtual QRect WorkArea() = 0;

  // Runs `work` (a blocking open) off the UI thread and returns when it is done, while
  // the window keeps handling events.
  virtual void RunWhileResponsive(const std::function<void()>& work) = 0;
};

}  // namespace lirra
