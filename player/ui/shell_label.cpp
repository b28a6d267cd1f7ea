#include "shell_label.h"

#include <QMouseEvent>

namespace lirra {

void ShellLabel::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event->button(), event->position().toPoint());
  event->accept();
}

void ShellLabel::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  emit mouseReleased(event->button(), pos);
  if (event->button() == Qt::LeftButton && rect().contains(pos)) emit clicked();
  event->accept();
}

void ShellLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  emit doubleClicked();
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
