// What the player's logic asks of the window it runs in. The main window implements it;
// logic tests use a recording shell. All calls come on the UI thread.
#pragma once

#include <QString>

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
};

}  // namespace lirra
