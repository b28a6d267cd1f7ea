// The main window's frame as the player's logic sees it: closing, raising, see-through,
// always on top, the native ids and the screen's work area.
#pragma once

#include <memory>

#include "central_area.h"
#include "shell.h"

class QWidget;

namespace lirra {

class MainWindowFrame : public WindowFrame {
 public:
  MainWindowFrame(QWidget& window, std::unique_ptr<CentralArea>& central) : window_(window), central_(central) {}

  void CloseMainWindow() override;
  void BringToFront() override;
  void SetAlphaBlend(bool on) override;
  void SetTopmost(bool on) override;
  uintptr_t WindowId() override;
  uintptr_t VideoWindowId() override;
  QRect WorkArea() override;

 private:
  QWidget& window_;
  std::unique_ptr<CentralArea>& central_;  // once the controls exist
};

}  // namespace lirra
