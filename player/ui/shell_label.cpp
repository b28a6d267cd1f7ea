#include "shell_label.h"

#include <QMouseEvent>
#include <QPainter>


namespace lirra {

namespace {
// Glyphs that reach the highest and lowest in each language's captions.
const QString kLatinInk = QStringLiteral("Hdgjy()<>");
const QString kChineseInk = QStringLiteral("Hd\u25C7\u2605\u4E2D");
const QString& InkSample(bool chinese) { return chinese ? kChineseInk : kLatinInk; }
}  // namespace

void ShellLabel::setStripCaption(bool on, bool chinese) {
  stripCaption_ = on;
  chineseInk_ = chinese;
  update();
}

QFont ShellLabel::FitToRows(QFont font, int designPixels, int rows, bool chinese) {
  for (int px = designPixels; px > 6; --px) {
    font.setPixelSize(px);
    if (QFontMetrics(font).tightBoundingRect(InkSample(chinese)).height() <= rows) break;
  }
  return font;
}

void ShellLabel::paintEvent(QPaintEvent* event) {
  if (!stripCaption_) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  const QFontMetrics m(font());
  const int advance = m.horizontalAdvance(text());
  int x = 0;
  if (alignment() & Qt::AlignRight) x = width() - advance;
  if (alignment() & Qt::AlignHCenter) x = (width() - advance) / 2;
  // The ink's top on the label's top row.
  painter.drawText(x, -m.tightBoundingRect(InkSample(chineseInk_)).top(), text());
}

void ShellLabel::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event->button(), event->position().toPoint());
  event->accept();
}

void ShellLabel::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  emit mouseReleased(event->button(), pos, event->globalPosition().toPoint());
  if (event->button() == Qt::LeftButton && rect().contains(pos)) emit clicked();
  event->accept();
}

void ShellLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  // Only the left button double-clicks; another button's second press is a press.
  if (event->button() != Qt::LeftButton) return mousePressEvent(event);
  emit doubleClicked();
  event->accept();
}

void ShellLabel::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(event->buttons(), event->globalPosition().toPoint());
  event->accept();
}

void ShellLabel::enterEvent(QEnterEvent* event) {
  emit entered();
  QLabel::enterEvent(event);
}

void ShellLabel::leaveEvent(QEvent* event) {
  emit left();
  QLabel::leaveEvent(event);
}

}  // namespace lirra
