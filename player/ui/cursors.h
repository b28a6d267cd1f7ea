// The player's two cursors, drawn into the program: CRLINK, a pointing hand over the
// clickable captions, and CRMOVE, a four-way arrow over the parts that move the window
// and over the bottom buttons.
#pragma once

#include <QCursor>

namespace lirra {

QCursor LinkCursor();  // CRLINK, cursor number 8
QCursor MoveCursor();  // CRMOVE, cursor number 9

}  // namespace lirra
