// A label that reports the mouse to the main window: the player's small controls
// (captions used as buttons, drag and hover areas) are labels.
#pragma once

#include <QLabel>

namespace lirra {

class ShellLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  // A left-button press and release over the label.
  void clicked();
  void mousePressed(Qt::MouseButton button, QPoint pos);
  void mouseReleased(Qt::MouseButton button, QPoint pos);
  void doubleClicked();
  void entered();
  void left();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
};

}  // namespace lirra
