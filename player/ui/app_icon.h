// The program's own picture: a note in the captions' green on a dark round tile. The tray
// and the window use it, and the build paints the installed icons from it.
#pragma once

#include <QImage>

namespace lirra {

// The picture `size` pixels square, on a transparent ground.
QImage PaintAppIcon(int size);

}  // namespace lirra
