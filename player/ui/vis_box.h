// The widget the spectrum shows in (named VisBox), inside the visual area: each frame the
// spectrum composes is shown whole and at once; clicks pass through to the visual area.
#pragma once

#include <QImage>
#include <QWidget>

#include "skin_image.h"

namespace lirra {

class DirectSurface;

class SpectrumBox : public QWidget {
  Q_OBJECT
 public:
  explicit SpectrumBox(QWidget* parent);
  ~SpectrumBox() override;

  void showFrame(const SkinImage& frame, QPoint at);
  void clear();
  // Black shows what lies behind the window (the colour key, with a compositor).
  void setSeeThroughBlack(bool on);
  // Whether frames are put straight into a native window of their own.
  bool drawsDirectly() const { return surface_ != nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Whether frames go to that native window now; it is made or dropped as the screen,
  // its pixel ratio or the see-through setting change.
  bool useDirectSurface();

  QImage image_;  // the last frame, for the toolkit's painting
  QPoint at_;
  bool seeThroughBlack_ = false;
  DirectSurface* surface_ = nullptr;
};

}  // namespace lirra
