// The central area of the main window: one of three panels shows at a time, the track
// list (MListPanel), the visual area (VisPanel, holding the spectrum's paint box) or a
// video's picture (VdoPanel, a native window the video library draws into). The player
// decides which.
#pragma once

#include <cstdint>

#include "controls.h"

class QWidget;

namespace lirra {

class SpectrumBox;

class CentralArea {
 public:
  explicit CentralArea(const Controls& controls);

  QWidget* listPanel() const { return list_; }
  QWidget* visualPanel() const { return visual_; }
  QWidget* videoPanel() const { return video_; }
  SpectrumBox* visBox() const { return visBox_; }
  // The native window the video library draws a picture into.
  uintptr_t videoWindowId() const;

 private:
  QWidget* list_;
  QWidget* visual_;
  QWidget* video_;
  SpectrumBox* visBox_;
};

}  // namespace lirra
