// What the window looks like, as the player's logic hands it to the window: the colours of
// its controls, its shape, and the pieces of a skin picture to draw.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

#include "skin_image.h"

namespace lirra {

struct WindowColours {
  Rgb window = MakeRgb(1, 1, 1);      // the form's background
  Rgb listBack = 0;                   // MList, ListView1, pnRect
  Rgb listText = MakeRgb(0, 192, 64);
  Rgb libraryBack = MakeRgb(16, 16, 16);  // pnList
  Rgb accent = MakeRgb(0, 192, 64);   // the add glyph lbAddG1..6
  Rgb captionText = MakeRgb(0, 192, 64);  // lbNext, lbPower, lbTitle, lbTime
  Rgb gaugeBack = MakeRgb(1, 1, 1);
  Rgb gaugeFore = MakeRgb(0, 192, 64);
  bool operator==(const WindowColours&) const = default;
};

// The window's region: the client less one see-through row just above the central area
// and less single pixels (its four corners and a skin's cut-outs).
struct WindowShape {
  QSize client;
  int seeThroughRow = -1;
  std::vector<QPoint> cutPixels;
  bool operator==(const WindowShape&) const = default;
};

// One copy from the skin picture onto the window, stretched when the sizes differ.
struct SkinPiece {
  QRect source;
  QRect target;
  bool operator==(const SkinPiece&) const = default;
};

}  // namespace lirra
