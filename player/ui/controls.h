// The main window's controls, made from the control table: labels, the gauge, panels and
// the bottom buttons, in their colours, stacking order and cursors.
#pragma once

#include <array>

#include "window_layout.h"

class QWidget;

namespace lirra {

using Controls = std::array<QWidget*, kControlCount>;

// Every control of the table as a child of `window`.
Controls BuildControls(QWidget* window);

}  // namespace lirra
