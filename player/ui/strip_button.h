// A button of the bottom strip: flat, 7 pixels high, drawn in the skin's accent colour
// with a small pixel glyph of what it does, and lit while the pointer is over it.
#pragma once

#include <QToolButton>

namespace lirra {

class StripButton : public QToolButton {
  Q_OBJECT
 public:
  enum class Glyph { None, Folder, Shuffle, List };
  StripButton(Glyph glyph, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Glyph glyph_;
};

}  // namespace lirra
