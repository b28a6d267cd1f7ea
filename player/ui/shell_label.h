// A label that reports the mouse to the main window: the player's small controls
// (captions used as buttons, drag and hover areas) are labels.
#pragma once

#include <QLabel>

namespace lirra {

class ShellLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

  // A caption of the 11-row strip at the window's top: its letters are drawn from the
  // label's top edge by their ink, not by the font's line height, so a font's spare
  // leading never pushes them into the central area.
  void setStripCaption(bool on, bool chinese = false);
  // The largest pixel size up to `designPixels` whose ink fits `rows`: for Latin text its
  // capitals, descenders and brackets; for Chinese text its characters and symbols.
  static QFont FitToRows(QFont font, int designPixels, int rows, bool chinese);

 signals:
  // A left-button press and release over the label.
  void clicked();
  void mousePressed(Qt::MouseButton button, QPoint pos);
  // `global`: where the pointer was let go, on the screen.
  void mouseReleased(Qt::MouseButton button, QPoint pos, QPoint global);
  void doubleClicked();  // of the left button
  // Moves with a button held, and without one while mouse tracking is on.
  void mouseMoved(Qt::MouseButtons buttons, QPoint globalPos);
  void entered();
  void left();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool stripCaption_ = false;
  bool chineseInk_ = false;
};

}  // namespace lirra
