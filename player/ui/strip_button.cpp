#include "strip_button.h"

#include <QPainter>

namespace lirra {

namespace {

// 5 x 5 glyphs, one string per row, '#' for a pixel.
const char* const kFolder[] = {"##...", "#####", "#...#", "#...#", "#####"};
// Two arrows, one each way (a cross read as "close").
const char* const kShuffle[] = {"...#.", "#####", ".....", "#####", ".#..."};
const char* const kList[] = {"#####", ".....", "#####", ".....", "#####"};

const char* const* Rows(StripButton::Glyph glyph) {
  switch (glyph) {
    case StripButton::Glyph::Folder: return kFolder;
    case StripButton::Glyph::Shuffle: return kShuffle;
    case StripButton::Glyph::List: return kList;
    case StripButton::Glyph::None: break;
  }
  return nullptr;
}

}  // namespace

StripButton::StripButton(Glyph glyph, QWidget* parent) : QToolButton(parent), glyph_(glyph) {
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);
}

void StripButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QColor accent = palette().color(QPalette::ButtonText);
  if (underMouse()) {
    QColor light = accent;
    light.setAlpha(isDown() ? 110 : 60);
    painter.fillRect(rect(), light);
  }
  // A faint divider at the right edge marks where one button ends.
  QColor divider = accent;
  divider.setAlpha(70);
  painter.fillRect(QRect(width() - 1, 1, 1, height() - 2), divider);
  const char* const* rows = Rows(glyph_);
  if (!rows) return;
  const QPoint origin((width() - 5) / 2, (height() - 5) / 2);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      if (rows[y][x] == '#') painter.fillRect(QRect(origin + QPoint(x, y), QSize(1, 1)), accent);
}

}  // namespace lirra
