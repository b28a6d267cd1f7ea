// The widget the spectrum shows in (named VisBox), inside the visual area: each frame the
// spectrum composes is shown whole and at once; clicks pass through to the visual area.
#pragma once

#include <QImage>
#include <QWidget>

#include "skin_image.h"

namespace lirra {

class SpectrumBox : public QWidget {
  Q_OBJECT
 public:
  explicit SpectrumBox(QWidget* parent);

  void showFrame(const SkinImage& frame, QPoint at);
  void clear();
  // Black shows what lies behind the window (the colour key, with a compositor).
  void setSeeThroughBlack(bool on);
  const QImage& frame() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
  QPoint at_;
  bool seeThroughBlack_ = false;
};

}  // namespace lirra
