#include "central_area.h"

#include <QWidget>

#include "vis_box.h"

namespace lirra {

CentralArea::CentralArea(const Controls& controls)
    : list_(controls[static_cast<int>(ControlId::MListPanel)]),
      visual_(controls[static_cast<int>(ControlId::VisPanel)]),
      video_(controls[static_cast<int>(ControlId::VdoPanel)]),
      visBox_(new SpectrumBox(visual_)) {}

// The video panel becomes a native window the first time the video library needs one, so
// that a window without video never pays for native child windows.
uintptr_t CentralArea::videoWindowId() const { return static_cast<uintptr_t>(video_->winId()); }

}  // namespace lirra
