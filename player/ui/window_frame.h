// The main window's frame as the player's logic sees it: closing, raising, see-through,
// always on top, the native ids and the screen's work area.
#pragma once

#include "shell.h"

class QWidget;

namespace lirra {

class MainWindowFrame : public WindowFrame {
 public:
  MainWindowFrame(QWidget& window, QWidget*& videoPanel) : window_(window), videoPanel_(videoPanel) {}

  void CloseMainWindow() override;
  void BringToFront() override;
  void SetAlphaBlend(bool on) override;
  void SetTopmost(bool on) override;
  uintptr_t WindowId() override;
  uintptr_t VideoWindowId() override;
  QRect WorkArea() override;

 private:
  QWidget& window_;
  QWidget*& videoPanel_;  // VdoPanel, once the controls exist
};

}  // namespace lirra
